#!/usr/bin/env bash
# Builds the Debian package from this build tree into a scratch folder and checks it: its files,
# control fields and changelog; lintian finds no error in it; apt can install it with what it
# depends on; its manual page holds the usage text that `lorvex ?` prints; its bash completion
# offers the program's words; and the packaged lorvex answers --version and --help and, with the
# test domain running, reports an account of it.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work="$build/package-test"
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --build "$build" -j"$(nproc)" --target package_contents >/dev/null
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/lorvex_*_*.deb)
field() { dpkg-deb -f "$deb" "$1"; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' | grep -v '/$' | sort >"$work/files"
expected=$(printf '%s\n' usr/bin/lorvex usr/share/bash-completion/completions/lorvex usr/share/doc/lorvex/README.md \
  usr/share/doc/lorvex/changelog.gz usr/share/doc/lorvex/copyright usr/share/man/man1/lorvex.1.gz | sort)
[ "$(cat "$work/files")" = "$expected" ] || fail "package files: $(tr '\n' ' ' <"$work/files")"
[ "$(field Package) $(field Section) $(field Recommends)" = "lorvex admin krb5-user" ] ||
  fail "package name, section and recommends: $(field Package) $(field Section) $(field Recommends)"
for wanted in libldap libsasl2-modules-gssapi-mit libkrb5; do field Depends | grep -q "$wanted" || fail "no $wanted: $(field Depends)"; done
version=$(field Version)

# lintian: no error (warnings and notes are listed for the reader).
command -v lintian >/dev/null || fail "lintian is not installed (scripts/install-deps.sh)"
lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 || fail "lintian: $(grep '^E:' "$work/lintian.txt" | tr '\n' ' ')"
cat "$work/lintian.txt"
# apt finds everything the package depends on (a simulation: nothing is installed).
apt-get install -s "$deb" >"$work/apt.txt" 2>&1 || fail "apt-get install -s: $(tail -3 "$work/apt.txt" | tr '\n' ' ')"

dpkg-deb -x "$deb" "$work/root"
lorvex=$work/root/usr/bin/lorvex
zcat "$work/root/usr/share/doc/lorvex/changelog.gz" | head -1 | grep -q "^lorvex ($version) " ||
  fail "changelog does not begin with version $version"
# --version and --help need no directory: run where there is none.
out=$(LDAPURI=ldap://127.0.0.1:1 "$lorvex" --version) || fail "lorvex --version: exit $?"
[ "$out" = "lorvex $version" ] || fail "lorvex --version printed '$out'"
"$lorvex" '?' >"$work/usage.txt"
LDAPURI=ldap://127.0.0.1:1 "$lorvex" --help | cmp -s - "$work/usage.txt" || fail "lorvex --help is not the usage text"

LC_ALL=C MANWIDTH=100 man -l "$work/root/usr/share/man/man1/lorvex.1.gz" 2>"$work/man.err" | col -bx >"$work/man.txt"
[ ! -s "$work/man.err" ] || fail "man reported: $(cat "$work/man.err")"
for heading in NAME SYNOPSIS DESCRIPTION OPTIONS USAGE "SEE ALSO"; do grep -q "^$heading\$" "$work/man.txt" || fail "no $heading section"; done
# Every usage line appears in the manual page as it stands (indented by man).
grep -v '^$' "$work/usage.txt" | while IFS= read -r line; do grep -qF -- "$line" "$work/man.txt" || echo "$line"; done >"$work/missing"
[ ! -s "$work/missing" ] || fail "usage lines not in the manual page: $(head -3 "$work/missing")"
cmp -s "$work/root/usr/share/doc/lorvex/README.md" "$source_dir/README.md" || fail "README differs"

# The completion: a line typed so far -> what it offers for its last word.
completions=(
  "lorvex ann p|pcr pcl pe ped phl pmx plc pml pmn pne pr pre pso puc pur pei"
  "lorvex ann wr i|in includes"
  "lorvex ann lld \\>|\\> \\>="
  "lorvex /o=i|inetOrgPerson"
  "lorvex ann ad -s:v|vr v"
  "lorvex ann /y=p|p pu"
  "lorvex --v|--version"
  "lorvex ann ad /h|/h"
)
# Completes the last word of a line the way bash calls a completion function.
cat >"$work/complete.sh" <<'SCRIPT'
. /usr/share/bash-completion/bash_completion
. "$1"
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'
# Words part at blanks, and = and : stand apart, as bash gives them.
COMP_WORDS=()
for word in $2; do
  while [[ $word =~ ^([^=:]*)([=:])(.*)$ ]]; do
    [ -z "${BASH_REMATCH[1]}" ] || COMP_WORDS+=("${BASH_REMATCH[1]}")
    COMP_WORDS+=("${BASH_REMATCH[2]}")
    word=${BASH_REMATCH[3]}
  done
  [ -z "$word" ] || COMP_WORDS+=("$word")
done
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
COMP_LINE=$2 COMP_POINT=${#2}
_lorvex lorvex "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
echo "${COMPREPLY[*]}"
SCRIPT
for entry in "${completions[@]}"; do
  line=${entry%%|*}
  got=$(bash "$work/complete.sh" "$work/root/usr/share/bash-completion/completions/lorvex" "$line" 2>/dev/null)
  [ "$got" = "${entry#*|}" ] || fail "completion of '$line': '$got', not '${entry#*|}'"
done

# A report of the test domain by the packaged program, when the domain runs.
testdomain=$source_dir/scripts/testdomain.sh
if "$testdomain" status 2>/dev/null; then
  dir=$("$testdomain" env | sed -n 's/^LORVEX_TESTDOMAIN_DIR=//p')
  "$testdomain" exec env KRB5CCNAME="FILE:$dir/ccache-alice" "$lorvex" bob ad /j >"$work/report.out" 2>&1 &&
    cmp -s "$work/report.out" "$source_dir/tests/integration/golden/disabled.out" || fail "report: $(cat "$work/report.out")"
else
  echo "The test domain is not running: no report by the packaged program (scripts/testdomain.sh start)."
fi

if [ $failures -eq 0 ]; then echo "PASS $(basename "$deb")"; fi
exit $((failures > 0))
