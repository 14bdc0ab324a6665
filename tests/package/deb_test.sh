#!/usr/bin/env bash
# Builds the Debian package from this build tree into a scratch folder and checks what it holds:
# the lorvex command, its manual page (rendered, with the usage text that `lorvex ?` prints) and
# the README, and the package's name, section and dependencies.
#   deb_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work="$build/package-test"
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --build "$build" --target lorvex manpage >/dev/null
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/lorvex_*_*.deb)

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' | grep -v '/$' | sort >"$work/files"
expected=$(printf '%s\n' usr/bin/lorvex usr/share/doc/lorvex/README.md usr/share/man/man1/lorvex.1.gz | sort)
[ "$(cat "$work/files")" = "$expected" ] || fail "package files: $(tr '\n' ' ' <"$work/files")"
[ "$(dpkg-deb -f "$deb" Package)" = lorvex ] || fail "package name $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Section)" = admin ] || fail "section $(dpkg-deb -f "$deb" Section)"
dpkg-deb -f "$deb" Depends | grep -q 'libldap' || fail "no libldap dependency: $(dpkg-deb -f "$deb" Depends)"

dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/lorvex" '?' >"$work/usage.txt"
LC_ALL=C MANWIDTH=100 man -l "$work/root/usr/share/man/man1/lorvex.1.gz" 2>"$work/man.err" | col -bx >"$work/man.txt"
[ ! -s "$work/man.err" ] || fail "man reported: $(cat "$work/man.err")"
for heading in NAME SYNOPSIS DESCRIPTION USAGE "SEE ALSO"; do
  grep -q "^$heading\$" "$work/man.txt" || fail "manual page has no $heading section"
done
# Every usage line appears in the manual page as it stands (indented by man).
missing=0
while IFS= read -r line; do
  [ -z "$line" ] && continue
  grep -qF -- "$line" "$work/man.txt" || { missing=$((missing + 1)); [ $missing -le 3 ] && fail "usage line not in the manual page: $line"; }
done <"$work/usage.txt"
[ $missing -le 3 ] || fail "$missing usage lines missing in all"
cmp -s "$work/root/usr/share/doc/lorvex/README.md" "$(dirname "$0")/../../README.md" || fail "README differs"

if [ $failures -eq 0 ]; then echo "PASS $(basename "$deb")"; fi
exit $((failures > 0))
