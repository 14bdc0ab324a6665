# Shared by the golden scripts that run lorvex against the test domain (scripts/testdomain.sh).
# Source it after setting `golden` (the directory of expected files); it takes the path of lorvex
# from $1 and case names to run (all when none) from the rest of the arguments:
#   here=$(cd "$(dirname "$0")" && pwd); golden=$here/<name>; . "$here/golden_lib.sh"
# Dates and times become DATE and GUIDs {GUID} on both sides: they change with every provisioning.
# GOLDEN_UPDATE=1 rewrites the expected files from the current output (review the diff first).
set -uo pipefail
lorvex=$1
shift
only=("$@")
testdomain=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)/testdomain.sh
"$testdomain" status || exit 77
dir=$("$testdomain" env | sed -n 's/^LORVEX_TESTDOMAIN_DIR=//p')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

alice=KRB5CCNAME=FILE:$dir/ccache-alice
admin=KRB5CCNAME=FILE:$dir/ccache-administrator
nobody=KRB5CCNAME=FILE:$dir/no-such-ccache

date_pattern='[0-9]{1,2}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-[0-9]{4}( [0-9]{1,2}:[0-9]{2}(:[0-9]{2})?)?'
# A GUID typed by a test (all digits zero, so it is never an object's) is kept as it stands.
normalise() {
  sed -E -e "s/$date_pattern/DATE/g" \
    -e 's/\{0{8}-0{4}-0{4}-0{4}-0{12}\}/{ZERO-GUID}/g' \
    -e 's/\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}/{GUID}/g' \
    -e 's/\{ZERO-GUID\}/{00000000-0000-0000-0000-000000000000}/g'
}

fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# run NAME EXPECTED_EXIT [NAME=VALUE...] -- lorvex arguments
# Runs lorvex in the namespace, in UTC (the logon-hours grid and local times are then the same on
# every machine), in the work directory (relative file names in the arguments are found there),
# with the given environment (alice's credential cache when none is given). The raw output of the
# last run stays in $work/raw for checks of its own.
run() {
  local name=$1 want_rc=$2
  shift 2
  local envs=()
  while [ "$1" != -- ]; do
    envs+=("$1")
    shift
  done
  shift
  if [ ${#only[@]} -gt 0 ] && [[ ! " ${only[*]} " =~ " $name " ]]; then return; fi
  [ ${#envs[@]} -gt 0 ] || envs=("$alice")
  (cd "$work" && "$testdomain" exec env TZ=UTC "${envs[@]}" "$lorvex" "$@") \
    >"$work/raw" 2>"$work/err" </dev/null
  local rc=$?
  normalise <"$work/raw" >"$work/$name.out"
  normalise <"$work/err" >"$work/$name.err"
  if [ "${GOLDEN_UPDATE:-0}" = 1 ]; then
    cp "$work/$name.out" "$golden/$name.out"
    if [ -s "$work/$name.err" ]; then cp "$work/$name.err" "$golden/$name.err"; else rm -f "$golden/$name.err"; fi
    [ "$rc" -eq "$want_rc" ] || echo "note: $name exits $rc, the script expects $want_rc"
    return
  fi
  local expected_err=/dev/null
  [ -f "$golden/$name.err" ] && expected_err=$golden/$name.err
  # Both diffs always run, so a wrong exit code shows what was printed too.
  local same=1
  diff -u "$golden/$name.out" "$work/$name.out" >"$work/diff" || same=0
  diff -u "$expected_err" "$work/$name.err" >>"$work/diff" || same=0
  if [ "$rc" -ne "$want_rc" ] || [ "$same" = 0 ]; then
    fail "$name (exit $rc, expected $want_rc): lorvex $*"
    cat "$work/diff"
  else
    echo "ok   $name"
  fi
}

# The end of a golden script: its exit code.
finish() {
  [ "$failures" -eq 0 ]
}
