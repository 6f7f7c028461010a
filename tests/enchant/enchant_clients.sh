#!/usr/bin/env bash
# The provider as Enchant's own programs and Python's enchant module use
# it: installed into Enchant's module folder for the length of the test
# (whatever was there is put back), selected by an ordering file in a
# private configuration folder, so that the user's setup is untouched.
#   enchant_clients.sh MODULE MODULE_DIR LIBRARY_DIR MAIN_DICT
set -u
module=$(readlink -f "$1")
module_dir=$2
export LUMOSPELL_LIBRARY_DIR=$(readlink -f "$3")
export LUMOSPELL_MAIN_DICT=$(readlink -f "$4")
command -v enchant-2 >/dev/null || { echo "enchant-2 is not installed; skipping"; exit 77; }
if [ -n "${LUMOSPELL_SANITIZED:-}" ]; then
  # Enchant's programs are not instrumented, and an instrumented module in
  # the shared module folder would stop every other Enchant user on the
  # machine while the test runs.
  echo "the module is built with the sanitizers; skipping"
  exit 77
fi
[ -w "$module_dir" ] || { echo "cannot install into $module_dir; skipping"; exit 77; }
work=$(mktemp -d)
target="$module_dir/enchant_lumospell.so"
exec 9>/tmp/lumospell-enchant-test.lock
flock -w 120 9 || { echo "FAIL: another run holds the module folder"; exit 1; }
[ -e "$target" ] && cp -p "$target" "$work/kept.so"
restore() {
  if [ -e "$work/kept.so" ]; then cp -p "$work/kept.so" "$target"; else rm -f "$target"; fi
  rm -rf "$work"
}
trap restore EXIT
install -m 644 "$module" "$target"
mkdir -p "$work/config" "$work/home"
printf '%s:lumospell\n' en_US en_GB en_CA en_AU en > "$work/config/enchant.ordering"
export ENCHANT_CONFIG_DIR="$work/config" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
export LUMOSPELL_USER_DICT="$work/user.dic"
status=0
expect() {
  local what=$1 got=$2 want=$3
  if [ "$got" = "$want" ]; then echo "ok   $what"; else
    echo "FAIL $what: got '$got', expected '$want'"; status=1; fi
}
sample='The quick brown fox jumsp over teh lazy dog.'
expect "the ordering selects the provider" \
  "$(timeout 60 enchant-lsmod-2 -lang en_US 2>&1)" "en_US (lumospell)"
expect "the provider lists the variants" \
  "$(timeout 60 enchant-lsmod-2 -list-dicts 2>&1 | grep lumospell | sort | tr '\n' ' ')" \
  "en (lumospell) en_AU (lumospell) en_CA (lumospell) en_GB (lumospell) en_US (lumospell) "
expect "enchant-2 -l lists the misspelt words" \
  "$(echo "$sample" | timeout 60 enchant-2 -l -d en_US 2>&1 | tr '\n' ' ')" "jumsp teh "
pipe=$(printf '%s\n' "$sample" | timeout 60 enchant-2 -a -d en_US 2>&1)
expect "enchant-2 -a: banner" "$(echo "$pipe" | head -1 | cut -c1-4)" "@(#)"
expect "enchant-2 -a: ranked suggestions" \
  "$(echo "$pipe" | grep '^& jumsp' | sed 's/, .*//')" "& jumsp 15 20: jumps"
# Debian's python3-enchant belongs to Debian's interpreter.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
cd "$work" && timeout 60 "$python" - <<'PY' || status=1
import os
import sys
try:
    import enchant
except ImportError:
    print("python3-enchant is not installed; not checked")
    sys.exit(0)
failures = 0
def expect(what, ok):
    global failures
    print(("ok   " if ok else "FAIL ") + what)
    failures += not ok
d = enchant.Dict("en_US")
expect("python: our provider", d.provider.name == "lumospell")
expect("python: check", d.check("dictionary") and not d.check("dictionery"))
expect("python: ranked suggestions", d.suggest("dictionery")[:1] == ["dictionary"])
d.add_to_session("lumoword")
expect("python: the session list", d.check("lumoword"))
other = enchant.Dict("en")
expect("python: one session for every dictionary", other.check("lumoword"))
d.add("zorgleplex")
expect("python: the personal list", d.check("zorgleplex"))
user = open(os.environ["LUMOSPELL_USER_DICT"], encoding="latin-1").read().split()
expect("python: the personal list is saved", "zorgleplex" in user)
expect("python: no dictionary for other languages", not enchant.dict_exists("fr_FR") or
       enchant.Dict("fr_FR").provider.name != "lumospell")
# Applications call from several threads: each answer as one thread gets it.
import threading
words = ["teh", "recieve", "becuase", "wierd", "dictionery", "speling", "the", "thier",
         "acommodate", "untill"] * 3
alone = {w: (d.check(w), d.suggest(w)) for w in words}
wrong = []
def worker():
    for _ in range(5):
        for w in words:
            got = (d.check(w), d.suggest(w))
            if got != alone[w]:
                wrong.append((w, got))
threads = [threading.Thread(target=worker) for _ in range(8)]
for t in threads:
    t.start()
for t in threads:
    t.join()
expect("python: 8 threads get the one-thread answers (%d of %d differ)"
       % (len(wrong), 8 * 5 * len(words)), not wrong)
# Each variant its own dictionary in one process: the session follows the
# dictionary asked, and its words hold across the change.
os.environ["LUMOSPELL_DATA_DIR"] = os.path.dirname(os.environ.pop("LUMOSPELL_MAIN_DICT"))
broker = enchant.Broker()  # a broker of its own: Enchant keeps one dictionary a tag
us, gb = broker.request_dict("en_US"), broker.request_dict("en_GB")
answers = [(us.check("color"), gb.check("colour"), us.check("colour"), gb.check("organise"))
           for _ in range(2)]
expect("python: en_US and en_GB side by side %s" % answers, answers == [(True, True, False, True)] * 2)
gb.add_to_session("qwzgb")
expect("python: the session words across variants",
       gb.check("qwzgb") and us.check("qwzgb") and gb.check("qwzgb") and not gb.check("qwzus"))
expect("python: ranked per variant", us.suggest("lisence")[:1] == ["license"] and
       gb.suggest("lisence")[:1] == ["licence"])
sys.exit(1 if failures else 0)
PY
exit $status
