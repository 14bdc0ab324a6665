#!/usr/bin/env bash
# Line and branch coverage of the product code by the test suite, from a build of its own
# (gcc --coverage, -O0) in build-coverage/ (or $LORVEX_COVERAGE_BUILD).
#   coverage.sh [--integration] [--keep] [CTEST-ARGS...]
# Runs the unit tests and the golden runs of the in-memory directory; --integration adds the
# tests against the Samba test domain (scripts/testdomain.sh; set LORVEX_TESTDOMAIN_NS and
# LORVEX_TESTDOMAIN_DIR to use a domain of one's own). --keep keeps the counts of earlier runs.
# Product code is every .cc/.h outside tests/ and fuzz/, less the test files (*_test.cc,
# *_test_util.h, test_*.h) and the in-memory directory (files with "fake" in their name).
# Only the Linux build is measured: the Windows files (*_win32.cc) are not compiled here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${LORVEX_COVERAGE_BUILD:-$root/build-coverage}
labels='unit|golden'
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --integration) labels='unit|golden|integration'; shift ;;
    --keep) keep=1; shift ;;
    *) break ;;
  esac
done
command -v gcovr >/dev/null || {
  echo "coverage.sh: gcovr is missing (scripts/install-deps.sh)" >&2
  exit 1
}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DLORVEX_RELIABILITY_STAGES=OFF -DLORVEX_WINDOWS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
[ "$keep" -eq 1 ] || find "$build" -name '*.gcda' -delete
# A failing test still counts what it ran; the figures are printed either way.
status=0
(cd "$build" && ctest -L "$labels" -j"$(nproc)" --output-on-failure "$@") || status=$?

# gcc reports a branch for every path out of a call that could throw; with -fno-exceptions none
# can, and those are left out, as are branches the compiler made unreachable.
gcovr --root "$root" --object-directory "$build" --exclude-directories "$build/CMakeFiles/[0-9.]+" \
  --filter '(app|query|report|util|directory|retrieval|run)/' \
  --exclude '.*_test\.cc$' --exclude '.*_test_util\.h$' --exclude '.*/test_[^/]*\.h$' \
  --exclude '.*fake[^/]*$' --exclude '(tests|fuzz)/.*' \
  --exclude-throw-branches --exclude-unreachable-branches \
  --json-summary "$build/coverage-summary.json" --txt "$build/coverage.txt" >/dev/null

# One line a top folder, then the whole (folders of directory/ are listed on their own).
python3 - "$build/coverage-summary.json" "$labels" <<'EOF'
import json, sys
data = json.load(open(sys.argv[1]))
groups = {}
for f in data["files"]:
    parts = f["filename"].split("/")
    key = "/".join(parts[:-1]) or "."
    g = groups.setdefault(key, [0, 0, 0, 0])
    g[0] += f["line_covered"]; g[1] += f["line_total"]
    g[2] += f["branch_covered"]; g[3] += f["branch_total"]
def pct(a, b): return f"{100.0 * a / b:5.1f}%" if b else "    -"
print(f"Coverage of the product code (Linux build; *_win32.cc not compiled), tests: {sys.argv[2]}")
print(f"{'folder':28} {'lines':>18} {'branches':>18}")
for key in sorted(groups):
    l, lt, b, bt = groups[key]
    print(f"{key:28} {pct(l, lt)} {l:5}/{lt:<5} {pct(b, bt)} {b:5}/{bt:<5}")
l, lt = data["line_covered"], data["line_total"]
b, bt = data["branch_covered"], data["branch_total"]
print(f"{'total':28} {pct(l, lt)} {l:5}/{lt:<5} {pct(b, bt)} {b:5}/{bt:<5}")
EOF
echo "per file: $build/coverage.txt"
exit "$status"
