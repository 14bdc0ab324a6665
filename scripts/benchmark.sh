#!/usr/bin/env bash
# Benchmark of lorvex against the floor of plain paged LDAP searches, on a test domain of two
# replicating Samba controllers with many users; writes the figures to docs/performance.md.
#
#   scripts/benchmark.sh [--users N] [--repeat R] [--build DIR] [--doc FILE] [--keep]
#
#   --users N    bulk users in the domain (default 10000); half of them are the members of
#                "Bench Group" and the names of the input file
#   --repeat R   runs of each measurement, the one of median wall time is kept (default 1)
#   --build DIR  build tree of lorvex (default build/, configured if need be); lorvex is built first
#   --doc FILE   where the figures go (default docs/performance.md)
#   --keep       leave the domain running at the end (a later run then starts at once)
#
# The domain lives in a namespace and directory of its own, never the tests' ones:
# LORVEX_BENCH_NS (default lorvex-bench) and LORVEX_BENCH_DIR (default /var/tmp/lorvex-bench).
# Its first start provisions it, loads the users while DC1 is stopped and joins DC2, which takes
# several minutes; the pair is then cached there and later starts take seconds
# (scripts/testdomain.sh start --with-dc2 --bulk N). Needs root, as the test domain does.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
users=10000
repeat=1
build=$root/build
doc=$root/docs/performance.md
keep=0
command_text="scripts/benchmark.sh"

die() {
  printf 'benchmark: %s\n' "$*" >&2
  exit 1
}
log() { printf 'benchmark: %s\n' "$*" >&2; }

number() { case "$2" in '' | *[!0-9]*) die "$1 takes a number, not '$2'" ;; esac; }

while [ $# -gt 0 ]; do
  case "$1" in
    --users) [ $# -ge 2 ] || die "--users needs a value"; number --users "$2"; users=$2; shift 2 ;;
    --repeat) [ $# -ge 2 ] || die "--repeat needs a value"; number --repeat "$2"; repeat=$2; shift 2 ;;
    --build) [ $# -ge 2 ] || die "--build needs a directory"; build=$(realpath -m "$2"); shift 2 ;;
    --doc) [ $# -ge 2 ] || die "--doc needs a file"; doc=$(realpath -m "$2"); shift 2 ;;
    --keep) keep=1; shift ;;
    -h | --help) sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown argument '$1' (--help lists them)" ;;
  esac
done
[ "$users" -ge 2000 ] || die "--users must be at least 2000 (the memory check compares about 1,000 objects with all)"
[ "$repeat" -ge 1 ] || die "--repeat must be at least 1"
[ "$users" -eq 10000 ] || command_text+=" --users $users"
[ "$repeat" -eq 1 ] || command_text+=" --repeat $repeat"

[ "$(id -u)" -eq 0 ] || die "needs root (the domain runs in a network namespace)"
for tool in cmake ldapsearch samba; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/install-deps.sh)"
done
[ -x /usr/bin/python3 ] || die "/usr/bin/python3 is missing"
[ -x /usr/bin/time ] || die "GNU time (/usr/bin/time) is missing (scripts/install-deps.sh)"

export LORVEX_TESTDOMAIN_NS=${LORVEX_BENCH_NS:-lorvex-bench}
export LORVEX_TESTDOMAIN_DIR=${LORVEX_BENCH_DIR:-/var/tmp/lorvex-bench}
case "$LORVEX_TESTDOMAIN_NS" in
  lorvex-test) die "LORVEX_BENCH_NS must not be the tests' namespace lorvex-test" ;;
esac
testdomain=$here/testdomain.sh

log "building lorvex in $build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || die "configuring $build failed"
fi
cmake --build "$build" -j2 --target lorvex >/dev/null || die "building lorvex failed (cmake --build $build --target lorvex)"
lorvex=$build/lorvex
[ -x "$lorvex" ] || die "no lorvex in $build"
revision=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ]; then revision+=" with changes"; fi

work=$(mktemp -d /tmp/lorvex-bench.XXXXXX)
chmod 755 "$work"
finish() {
  local rc=$?
  rm -rf "$work"
  if [ "$keep" -eq 0 ]; then
    "$testdomain" stop >/dev/null 2>&1 || log "stopping the domain failed ($testdomain stop)"
  else
    log "domain kept running: LORVEX_TESTDOMAIN_NS=$LORVEX_TESTDOMAIN_NS LORVEX_TESTDOMAIN_DIR=$LORVEX_TESTDOMAIN_DIR $testdomain stop"
  fi
  exit $rc
}
trap finish EXIT
trap 'exit 130' INT TERM

log "starting the domain ($users users, two controllers) in namespace $LORVEX_TESTDOMAIN_NS"
started=$SECONDS
"$testdomain" start --with-dc2 --bulk "$users" || die "the test domain did not start ($testdomain start --with-dc2 --bulk $users)"
log "domain ready after $((SECONDS - started)) s"
"$testdomain" exec ldapsearch -LLL -x -H ldap://127.0.0.12 -b "" -s base -o nettimeout=2 defaultNamingContext \
  >/dev/null 2>&1 || die "DC2 does not answer"

mkdir -p "$(dirname "$doc")"
"$testdomain" exec /usr/bin/python3 "$here/benchmark_measure.py" --lorvex "$lorvex" \
  --dir "$LORVEX_TESTDOMAIN_DIR" --users "$users" --repeat "$repeat" --work "$work" --doc "$doc" \
  --command "$command_text" --revision "$revision" >/dev/null || die "measuring failed"
log "figures written to $doc"
