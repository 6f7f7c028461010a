#!/usr/bin/env bash
# Reads the built DLLs with the cross binutils, without running them: the
# export tables (the engine's sixteen at ordinals 1-16 in order, the
# front's by name, LumoSpellMakeDic at 1), that nothing but Windows DLLs
# is imported, and the builder's dialog template.
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

check "Orthex.dll imports" "KERNEL32.DLL MSVCRT.DLL " "$(imports "$folder/Orthex.dll")"
for dll in Orthbridge Lexforge; do
  check "$dll.dll imports" "KERNEL32.DLL MSVCRT.DLL USER32.DLL " "$(imports "$folder/$dll.dll")"
done

# windres turns the resources back into a script; the template must read
# as written, texts as UTF-16 code units.
template=$("$windres" -i "$folder/Lexforge.dll" -O rc | grep -v '^ *$' | grep -v '^/\*\|^ *Name:')
expected='LANGUAGE 0, 0
"MAKESPELLDIC" DIALOG 25, 23, 159, 43
STYLE 0x80c80084
CAPTION L"\xff2c\xff55\xff4d\xff4f\x30b9\x30da\x30eb\x30c1\x30a7\x30c3\x30af\x30ad\x30c3\x30c8:\x8f9e\x66f8\x4f5c\x6210\x4e2d"
BEGIN
  CONTROL "", 100, "STATIC", 0x50020001, 13, 7, 132, 9
  CONTROL L"\x4e2d\x6b62", 2, "BUTTON", 0x50030001, 51, 22, 56, 16
END'
check "Lexforge.dll dialog template" "$expected" "$template"

echo "dll checks: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
