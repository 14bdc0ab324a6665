#!/usr/bin/env bash
# Benchmark of lorvex against the floor of plain paged LDAP searches, on test domains of
# replicating Samba controllers with many users; writes the figures and a chart of wall time
# against the number of objects to docs/performance.md and docs/performance.png.
#
#   scripts/benchmark.sh [--users N] [--scale-users M] [--repeat R] [--sets LIST] [--keep DIR]
#                        [--build DIR] [--doc FILE]
#
#   --users N        bulk users of the main domain (default 10000); half of them are the members
#                    of "Bench Group" and the names of the input file
#   --scale-users M  bulk users of the larger domain the cost per object is compared on
#                    (default 30000; 0 leaves it out)
#   --repeat R       runs of each measurement, lorvex and the floor taking turns; the median is
#                    kept (default 3)
#   --sets LIST      the sets to measure, of main,trio,scale (default all three)
#   --keep DIR       keeps the figures of each set measured in DIR and writes the page from every
#                    set found there, so that sets measured by separate runs (each in a namespace
#                    of its own, LORVEX_BENCH_NS) are reported together
#   --build DIR      build tree of lorvex (default build/, configured if need be); lorvex is built first
#   --doc FILE       where the figures go (default docs/performance.md; the chart beside it, .png)
#
# Sets measured: every case on two controllers (N users); the wildcard cases with a third
# controller joined (N users); the wildcard cases and memory on two controllers (M users).
# The domains live in a namespace and directories of their own, never the tests' ones:
# LORVEX_BENCH_NS (default lorvex-bench) and LORVEX_BENCH_DIR (default /var/tmp/lorvex-bench),
# one directory per number of users. The first start of each provisions it, loads the users in
# chunks while DC1 is stopped and joins DC2 and DC3, which takes many minutes (about 15 for
# 10,000 users, more than an hour for 30,000 on 2 busy cores); the pair and the trio are then
# cached there and later starts take seconds (scripts/testdomain.sh start --with-dc3 --bulk N).
# Needs root, as the test domain does.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
users=10000
scale_users=30000
repeat=3
sets=main,trio,scale
keep=
build=$root/build
doc=$root/docs/performance.md
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
    --scale-users) [ $# -ge 2 ] || die "--scale-users needs a value"; number --scale-users "$2"; scale_users=$2; shift 2 ;;
    --repeat) [ $# -ge 2 ] || die "--repeat needs a value"; number --repeat "$2"; repeat=$2; shift 2 ;;
    --sets) [ $# -ge 2 ] || die "--sets needs a value"; sets=$2; shift 2 ;;
    --keep) [ $# -ge 2 ] || die "--keep needs a directory"; keep=$(realpath -m "$2"); shift 2 ;;
    --build) [ $# -ge 2 ] || die "--build needs a directory"; build=$(realpath -m "$2"); shift 2 ;;
    --doc) [ $# -ge 2 ] || die "--doc needs a file"; doc=$(realpath -m "$2"); shift 2 ;;
    -h | --help) sed -n '2,34p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown argument '$1' (--help lists them)" ;;
  esac
done
[ "$users" -ge 2000 ] || die "--users must be at least 2000 (the memory check compares about 1,000 objects with all)"
[ "$repeat" -ge 1 ] || die "--repeat must be at least 1"
[ "$scale_users" -eq 0 ] || [ "$scale_users" -gt "$users" ] || die "--scale-users must be more than --users (or 0)"
[ "$users" -eq 10000 ] || command_text+=" --users $users"
[ "$scale_users" -eq 30000 ] || command_text+=" --scale-users $scale_users"
[ "$repeat" -eq 3 ] || command_text+=" --repeat $repeat"
for set in ${sets//,/ }; do
  case "$set" in main | trio | scale) ;; *) die "--sets takes main, trio and scale, not '$set'" ;; esac
done
[ "$sets" = main,trio,scale ] || command_text+=" --sets $sets"
[ "$scale_users" -gt 0 ] || sets=${sets//scale/}

[ "$(id -u)" -eq 0 ] || die "needs root (the domain runs in a network namespace)"
for tool in cmake ldapsearch samba gnuplot; do
  command -v "$tool" >/dev/null || die "$tool is missing (scripts/install-deps.sh)"
done
[ -x /usr/bin/python3 ] || die "/usr/bin/python3 is missing"
[ -x /usr/bin/time ] || die "GNU time (/usr/bin/time) is missing (scripts/install-deps.sh)"

export LORVEX_TESTDOMAIN_NS=${LORVEX_BENCH_NS:-lorvex-bench}
bench_dir=${LORVEX_BENCH_DIR:-/var/tmp/lorvex-bench}
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
  if [ -n "${LORVEX_TESTDOMAIN_DIR:-}" ]; then
    "$testdomain" stop >/dev/null 2>&1 || log "stopping the domain failed ($testdomain stop)"
  fi
  exit $rc
}
trap finish EXIT
trap 'exit 130' INT TERM

# measure SET USERS CONTROLLERS: starts the domain of USERS users with that many controllers and
# measures the set of cases on it.
measure() {
  local set=$1 n=$2 controllers=$3 started=$SECONDS
  [ -z "${LORVEX_TESTDOMAIN_DIR:-}" ] || "$testdomain" stop >/dev/null 2>&1
  export LORVEX_TESTDOMAIN_DIR=$bench_dir/users-$n
  log "starting the domain ($n users, $controllers controllers) in namespace $LORVEX_TESTDOMAIN_NS"
  "$testdomain" start "--with-dc$controllers" --bulk "$n" ||
    die "the test domain did not start ($testdomain start --with-dc$controllers --bulk $n)"
  log "domain ready after $((SECONDS - started)) s"
  local ip
  for ip in $(seq -f '127.0.0.1%g' 1 "$controllers"); do
    "$testdomain" exec ldapsearch -LLL -x -H "ldap://$ip" -b "" -s base -o nettimeout=2 defaultNamingContext \
      >/dev/null 2>&1 || die "the controller at $ip does not answer"
  done
  "$testdomain" exec /usr/bin/python3 "$here/benchmark_measure.py" measure --set "$set" --lorvex "$lorvex" \
    --dir "$LORVEX_TESTDOMAIN_DIR" --users "$n" --repeat "$repeat" --work "$work" --json "$work/$set.json" ||
    die "measuring the $set set failed"
}

for set in ${sets//,/ }; do
  case "$set" in
    main) measure main "$users" 2 ;;
    trio) measure trio "$users" 3 ;;
    scale) measure scale "$scale_users" 2 ;;
  esac
  if [ -n "$keep" ]; then mkdir -p "$keep" && cp "$work/$set.json" "$keep/"; fi
done
sets=()
for set in main trio scale; do
  if [ -n "$keep" ] && [ -f "$keep/$set.json" ]; then
    sets+=("$keep/$set.json")
  elif [ -f "$work/$set.json" ]; then
    sets+=("$work/$set.json")
  fi
done
[ -f "${sets[0]:-}" ] && [ "$(basename "${sets[0]}")" = main.json ] || {
  log "no figures of the main set yet: the page is written once it is measured"
  exit 0
}
mkdir -p "$(dirname "$doc")"
/usr/bin/python3 "$here/benchmark_measure.py" report --json "${sets[@]}" --doc "$doc" --chart "${doc%.md}.png" \
  --command "$command_text" --revision "$revision" --windows-note "$here/benchmark_windows.md" >/dev/null ||
  die "writing the figures failed"
log "figures written to $doc, chart ${doc%.md}.png"
