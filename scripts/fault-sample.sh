#!/usr/bin/env bash
# A sample of small faults, put into a scratch copy of the tree one at a time, each against the
# tests that should catch it; prints which ones the tests caught.
#   fault-sample.sh [--set fast|ldap] [--faults FILE] [ID...]
# FILE (default tests/faults.txt) holds one entry a fault:
#   == ID PATH SET    what a user would see
#   - original line(s), found exactly once in PATH
#   + replacement line(s) (none: the lines are dropped)
# A PATH that is not in the tree (a file moved to another folder) is found by its file name.
# SET "fast" runs the unit tests and the golden runs of the in-memory directory (ctest -L
# 'unit|golden'); "ldap" runs them and, when they pass, the tests against the Samba test domain
# (ctest -L integration; set LORVEX_TESTDOMAIN_NS and LORVEX_TESTDOMAIN_DIR to use a domain of
# one's own). The scratch copy lives in $LORVEX_FAULT_DIR (default /var/tmp/lorvex-fault-sample-<the
# checkout's folder name>, so that two checkouts never share one) and is built once; each fault costs an incremental build. The tree's tests must pass first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
faults=$root/tests/faults.txt
only_set=
ids=()
while [ $# -gt 0 ]; do
  case "$1" in
    --set) only_set=$2; shift 2 ;;
    --faults) faults=$(realpath "$2"); shift 2 ;;
    -*) echo "fault-sample.sh: unknown option $1" >&2; exit 2 ;;
    *) ids+=("$1"); shift ;;
  esac
done
work=${LORVEX_FAULT_DIR:-/var/tmp/lorvex-fault-sample-$(basename "$root")}
src=$work/src
build=$work/build
mkdir -p "$work"

# Splits FILE into one directory a fault (id, path, set, note, old, new) and lists the ids in order.
python3 - "$faults" "$work/faults" "$root" >"$work/ids" <<'EOF'
import os, shutil, sys
entries, current = [], None
for number, line in enumerate(open(sys.argv[1], encoding="utf-8").read().split("\n"), 1):
    if line.startswith("== "):
        head = line[3:].split(None, 3)
        if len(head) < 3 or head[2] not in ("fast", "ldap"):
            sys.exit(f"{sys.argv[1]}:{number}: '== ID PATH fast|ldap NOTE' expected")
        current = {"id": head[0], "path": head[1], "set": head[2], "note": head[3] if len(head) > 3 else "",
                   "old": [], "new": []}
        entries.append(current)
    elif line.startswith(("- ", "+ ")) or line in ("-", "+"):
        if current is None:
            sys.exit(f"{sys.argv[1]}:{number}: a line of text before the first '=='")
        current["old" if line[0] == "-" else "new"].append(line[2:])
    elif line.strip() and not line.startswith("#"):
        sys.exit(f"{sys.argv[1]}:{number}: not a fault line: {line}")
# A file moved to another folder is found by its name, so that the sample follows the tree.
def locate(path):
    if os.path.isfile(os.path.join(sys.argv[3], path)):
        return path
    name = os.path.basename(path)
    found = [os.path.relpath(os.path.join(d, name), sys.argv[3])
             for d, dirs, files in os.walk(sys.argv[3])
             if name in files and not os.path.relpath(d, sys.argv[3]).startswith(("build", ".git"))]
    if len(found) != 1:
        sys.exit(f"fault {path}: no such file, and {len(found)} files of that name in the tree")
    return found[0]
seen = set()
out = sys.argv[2]
shutil.rmtree(out, ignore_errors=True)
for e in entries:
    if e["id"] in seen or not e["old"]:
        sys.exit(f"fault {e['id']}: duplicate id or no original text")
    seen.add(e["id"])
    e["path"] = locate(e["path"])
    d = os.path.join(out, e["id"])
    os.makedirs(d)
    for key in ("path", "set", "note"):
        open(os.path.join(d, key), "w").write(e[key])
    open(os.path.join(d, "old"), "w").write("\n".join(e["old"]))
    open(os.path.join(d, "new"), "w").write("\n".join(e["new"]) + ("\n" if e["new"] else ""))
    print(e["id"])
EOF
mapfile -t all_ids <"$work/ids"
[ ${#ids[@]} -gt 0 ] || ids=("${all_ids[@]}")
selected=()
for id in "${ids[@]}"; do
  [ -d "$work/faults/$id" ] || { echo "fault-sample.sh: no fault $id in $faults" >&2; exit 2; }
  [ -z "$only_set" ] || [ "$(cat "$work/faults/$id/set")" = "$only_set" ] && selected+=("$id")
done
need_ldap=0
for id in "${selected[@]}"; do [ "$(cat "$work/faults/$id/set")" = fast ] || need_ldap=1; done

# Applies fault ID to the scratch copy (its file saved aside), or fails when the original text
# is not there exactly once.
apply() {
  python3 - "$src" "$work/faults/$1" <<'EOF'
import os, sys
src, d = sys.argv[1:3]
read = lambda name: open(os.path.join(d, name), encoding="utf-8").read()
path = os.path.join(src, read("path"))
if not os.path.isfile(path):
    sys.exit(f"{read('path')}: no such file")
text = open(path, encoding="utf-8").read()
# Original and replacement are whole lines; a replacement of no lines drops them.
old = read("old") + "\n"
count = text.count(old)
if count != 1:
    sys.exit(f"{read('path')}: the original text is found {count} times, not once:\n{old}")
open(path + ".orig", "w", encoding="utf-8").write(text)
open(path, "w", encoding="utf-8").write(text.replace(old, read("new")))
EOF
}

# The file gets its original text back with a new time, so that make rebuilds it.
restore() {
  local path=$src/$(cat "$work/faults/$1/path")
  mv "$path.orig" "$path"
  touch "$path"
}

fast_targets=(lorvex_unit_tests lorvex_fakebin)
build_for() { # SET
  if [ "$1" = fast ]; then
    cmake --build "$build" -j"$(nproc)" --target "${fast_targets[@]}" >"$work/build.log" 2>&1
  else
    cmake --build "$build" -j"$(nproc)" >"$work/build.log" 2>&1
  fi
}

# Runs the tests of SET; prints the first test that failed (and how many more), nothing when all
# passed. The unit tests (ctest -L unit) run as one process of the test binary, which is the same
# tests without a process each; the golden runs and the integration tests run under ctest.
run_tests() { # SET
  local log=$work/ctest.log failed
  : >"$log"
  timeout 600 "$build/lorvex_unit_tests" --gtest_brief=1 >"$log" 2>&1 || echo "FAILED lorvex_unit_tests" >>"$log"
  failed=$(sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_./]*\)\( (.*\)\{0,1\}$/\1/p' "$log" | sort -u)
  [ -n "$failed" ] || failed=$(sed -n 's/^FAILED \(lorvex_unit_tests\)$/\1/p' "$log")
  if [ -z "$failed" ]; then
    (cd "$build" && ctest -L golden -j"$(nproc)" --timeout 300 >>"$log" 2>&1) || true
    if [ "$1" = ldap ] && ! grep -q '^The following tests FAILED' "$log"; then
      # The one-controller tests: a fault of the LDAP layer shows there, and the pair of
      # controllers would double the time of every fault.
      (cd "$build" && ctest -L integration -E 'dc2|two_dc|controllers' --timeout 900 >>"$log" 2>&1) || true
    fi
    failed=$(sed -n '/^The following tests FAILED/,$p' "$log" | sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\).*/\1/p')
    if [ -z "$failed" ] && ! grep -q '100% tests passed' "$log"; then failed=no-tests-ran; fi
  fi
  [ -n "$failed" ] || return 0
  local count
  count=$(echo "$failed" | wc -l)
  echo "$(echo "$failed" | head -1)$([ "$count" -gt 1 ] && echo " +$((count - 1))")"
}

echo "copying the tree to $src"
# A run stopped with a fault in place left its file aside: it is put back first. The copy keeps
# the times of files whose text is unchanged and gives changed files a new time, so that the
# incremental build never keeps an object built from a fault.
if [ -d "$src" ]; then
  find "$src" -name '*.orig' -print0 | while IFS= read -r -d '' saved; do
    mv "$saved" "${saved%.orig}"
    touch "${saved%.orig}"
  done
fi
rsync -rlpD --checksum --delete --exclude '/build*' --exclude '/.git' "$root/" "$src/"
# Unoptimised and without debug information: each fault's build is as short as it can be.
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=None -DLORVEX_RELIABILITY_STAGES=OFF -DLORVEX_WINDOWS=OFF \
  >"$work/cmake.log" 2>&1 || { cat "$work/cmake.log"; exit 1; }
baseline=fast
[ "$need_ldap" -eq 0 ] || baseline=ldap
echo "building and running the tests without faults ($baseline)"
build_for all || { tail -30 "$work/build.log"; exit 1; }
first=$(run_tests "$baseline")
if [ -n "$first" ]; then
  echo "fault-sample.sh: the tests fail without a fault ($first); see $work/ctest.log" >&2
  exit 1
fi
# A fault whose text no longer matches would be recorded as missed: every one is checked first.
for id in "${selected[@]}"; do
  apply "$id" || exit 1
  restore "$id"
done

results=$work/results.txt
printf '%-28s %-34s %-5s %-7s %s\n' fault file set result "first failing test" >"$results"
caught=0
for id in "${selected[@]}"; do
  set=$(cat "$work/faults/$id/set")
  path=$(cat "$work/faults/$id/path")
  apply "$id"
  if ! build_for "$set"; then
    # A fault the compiler refuses is not a sample of what the tests catch.
    result=no-build
    first=$(grep -m1 'error' "$work/build.log" || true)
  else
    first=$(run_tests "$set")
    result=missed
    [ -z "$first" ] || { result=caught; caught=$((caught + 1)); }
  fi
  restore "$id"
  line=$(printf '%-28s %-34s %-5s %-7s %s' "$id" "$path" "$set" "$result" "$first")
  echo "$line" | tee -a "$results"
done
build_for all >/dev/null 2>&1 || true
echo "caught $caught of ${#selected[@]}" | tee -a "$results"
echo "table: $results"
