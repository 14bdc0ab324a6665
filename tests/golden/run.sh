#!/usr/bin/env bash
# Golden runs of the test build of lorvex (tests/fakebin: the fixed domain CORP, now
# 2026-06-15 12:00:00, offset from LORVEX_TEST_OFFSET_HALF_HOURS). Each line of cases.txt is
# "NAME SHELL-TEXT"; the text runs in an empty directory of its own with `lorvex` at hand and
# its standard output, standard error and exit code must equal expected/NAME.{out,err,rc}.
# GOLDEN_UPDATE=1 writes the expected files from the outputs instead (read every one before
# committing it).
#   run.sh PATH-TO-LORVEX_FAKEBIN [NAME...]
set -uo pipefail
fakebin=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# The program takes its name (and its message prefix) from its own file name.
ln -s "$fakebin" "$work/bin/lorvex"
export PATH="$work/bin:$PATH" LC_ALL=C.UTF-8 TZ=UTC
export LORVEX_TEST_NOW=2026-06-15T12:00:00 LORVEX_TEST_OFFSET_HALF_HOURS=0
# Data files of the cases (more objects for a case to add) are read from here.
export GOLDEN_DIR=$here
unset ZEMUTILS
failures=0
count=0

while IFS= read -r line || [ -n "$line" ]; do
  case $line in '' | '#'*) continue ;; esac
  name=${line%% *}
  text=${line#* }
  if [ $# -gt 0 ] && [[ ! " $* " =~ " $name " ]]; then continue; fi
  count=$((count + 1))
  dir=$work/cases/$name
  mkdir -p "$dir"
  (cd "$dir" && bash -c "$text") >"$work/out" 2>"$work/err" </dev/null
  echo $? >"$work/rc"
  if [ "${GOLDEN_UPDATE:-0}" = 1 ]; then
    for part in out err rc; do cp "$work/$part" "$here/expected/$name.$part"; done
    continue
  fi
  # A missing expected file shows as diff's own complaint.
  diffs=$(for part in out err rc; do diff -u "$here/expected/$name.$part" "$work/$part" 2>&1; done)
  if [ -n "$diffs" ]; then
    echo "FAIL $name: $text"
    echo "$diffs"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
done <"$here/cases.txt"

echo "$count cases, $failures failed"
[ "$count" -gt 0 ] && [ "$failures" -eq 0 ]
