#!/usr/bin/env bash
# Reads the built DLLs with the cross binutils, without running them: the
# export tables (the engine's sixteen at ordinals 1-16 in order, the
# front's and the ranker's by name, LumoSpellMakeDic at 1), that nothing
# but Windows DLLs is imported, the builder's dialog template, every DLL's
# version resource and that the DLLs are stripped.
#   check_dlls.sh OBJDUMP WINDRES FOLDER
set -uo pipefail
objdump=$1 windres=$2 folder=$3
failures=0 checks=0

check() {  # check DESCRIPTION EXPECTED ACTUAL
  checks=$((checks + 1))
  if [ "$2" != "$3" ]; then
    failures=$((failures + 1))
    printf 'FAILED %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  fi
}

# "ordinal name" per export, in ordinal order.
exports() {
  "$objdump" -p "$1" | awk '
    /^Ordinal Base/ { base = $3 }
    /\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
    table && /^[ \t]*$/ { table = 0 }
    table { gsub(/[\[\]]/, " "); print $1 + base, $2 }' | sort -n | tr '\n' ' '
}

imports() {
  "$objdump" -p "$1" | awk '/DLL Name:/ { print toupper($3) }' | sort | tr '\n' ' '
}

engine="1 SpellVer 2 SpellInit 3 SpellOptions 4 SpellCheck 5 SpellTerminate 6 SpellVerifyMdr "
engine+="7 SpellOpenMdr 8 SpellOpenUdr 9 SpellAddUdr 10 SpellAddChangeUdr 11 SpellDelUdr "
engine+="12 SpellClearUdr 13 SpellGetSizeUdr 14 SpellGetListUdr 15 SpellCloseMdr 16 SpellCloseUdr "
check "Orthex.dll exports" "$engine" "$(exports "$folder/Orthex.dll")"

front=$(exports "$folder/Orthbridge.dll" | tr ' ' '\n' | grep -v '^[0-9]*$' | sort | tr '\n' ' ')
check "Orthbridge.dll exports" "LumoSpellAddWord LumoSpellChangeAlways LumoSpellCheck \
LumoSpellGetLastFailure LumoSpellGetSaveResult \
LumoSpellGetSuggestionFirst LumoSpellGetSuggestionNext LumoSpellIgnoreAlways LumoSpellInit \
LumoSpellInit2 LumoSpellMode LumoSpellSetMessageHandler LumoSpellTerminate " "$front"

check "Lexforge.dll exports" "1 LumoSpellMakeDic 2 LumoSpellSetProgressPresenter " \
  "$(exports "$folder/Lexforge.dll")"

ranker=$(exports "$folder/LumoRank.dll" | tr ' ' '\n' | grep -v '^[0-9]*$' | sort | tr '\n' ' ')
check "LumoRank.dll exports" "LumoRankAddWord LumoRankChangeAlways LumoRankClose LumoRankOpen \
LumoRankOpenUserDict LumoRankSuggest LumoRankUsesIndex LumoRankVersion " "$ranker"

for dll in Orthex LumoRank; do
  check "$dll.dll imports" "KERNEL32.DLL MSVCRT.DLL " "$(imports "$folder/$dll.dll")"
done
for dll in Orthbridge Lexforge; do
  check "$dll.dll imports" "KERNEL32.DLL MSVCRT.DLL USER32.DLL " "$(imports "$folder/$dll.dll")"
done

# windres turns the resources back into a script; the template must read
# as written, texts as UTF-16 code units.
template=$("$windres" -i "$folder/Lexforge.dll" -O rc | sed '/Type: version/,$d' |
  grep -v '^ *$' | grep -v '^/\*\|^ *Name:')
expected='LANGUAGE 0, 0
"MAKESPELLDIC" DIALOG 25, 23, 159, 43
STYLE 0x80c80084
CAPTION L"\xff2c\xff55\xff4d\xff4f\x30b9\x30da\x30eb\x30c1\x30a7\x30c3\x30af\x30ad\x30c3\x30c8:\x8f9e\x66f8\x4f5c\x6210\x4e2d"
BEGIN
  CONTROL "", 100, "STATIC", 0x50020001, 13, 7, 132, 9
  CONTROL L"\x4e2d\x6b62", 2, "BUTTON", 0x50030001, 51, 22, 56, 16
END'
check "Lexforge.dll dialog template" "$expected" "$template"

# Product, version, description and copyright; no debug sections left.
declare -A description=([Orthex]="LumoSpell speller engine" [Orthbridge]="LumoSpell host interface"
  [Lexforge]="LumoSpell dictionary builder" [LumoRank]="LumoSpell suggestion ranker")
for dll in Orthex Orthbridge Lexforge LumoRank; do
  version=$("$windres" -i "$folder/$dll.dll" -O rc |
    awk -F'"' '/VALUE "(ProductName|ProductVersion|FileDescription|LegalCopyright)"/ { print $2 "=" $4 }' |
    sort | tr '\n' ';')
  check "$dll.dll version resource" "FileDescription=${description[$dll]};\
LegalCopyright=Copyright (C) 2026 the LumoSpell developers;ProductName=LumoSpell;\
ProductVersion=1.0.0;" "$version"
  check "$dll.dll debug sections" "" "$("$objdump" -h "$folder/$dll.dll" | awk '$2 ~ /^\.debug/ { print $2 }')"
done

echo "dll checks: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
