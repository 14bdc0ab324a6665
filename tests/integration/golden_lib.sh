# Shared by the scripts that run lorvex against the test domain (scripts/testdomain.sh), here and in
# tests/windows. Source it after setting `golden` (the directory of expected files); it takes the
# path of lorvex from $1 and the names of the cases to run (all when none) from the rest. Dates and
# GUIDs change with every provisioning: they become DATE and {GUID} on both sides. GOLDEN_UPDATE=1
# rewrites the expected files from the current output (review the diff first).
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

# A date as lorvex prints it, and the time of day (hours and minutes) that may follow it.
day_pattern='[0-9]{1,2}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-[0-9]{4}'
minute_pattern=' [0-9]{1,2}:[0-9]{2}'
date_pattern="$day_pattern($minute_pattern(:[0-9]{2})?)?"
# A GUID typed by a test (all digits zero, so it is never an object's) is kept as it stands.
normalise() {
  sed -E -e "s/$date_pattern/DATE/g" -e 's/\{0{8}-0{4}-0{4}-0{4}-0{12}\}/{ZERO-GUID}/g' \
    -e 's/\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}/{GUID}/g' \
    -e 's/\{ZERO-GUID\}/{00000000-0000-0000-0000-000000000000}/g'
}

fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# verdict NAME SAME DESCRIPTION DIFF_FILE: "ok   NAME", or a failure with the differences.
verdict() {
  [ "$2" = 1 ] && echo "ok   $1" && return
  fail "$1$3"
  cat "$4"
}

# selected NAME: whether the case is to run (every case when the script was given no names).
selected() { [ ${#only[@]} -eq 0 ] || [[ " ${only[*]} " =~ " $1 " ]]; }

# split_case [NAME=VALUE...] -- ARGUMENTS: a case's settings into case_envs, the rest into case_args.
split_case() {
  case_envs=()
  while [ "$1" != -- ]; do case_envs+=("$1") && shift; done
  shift
  case_args=("$@")
}

# run_case NAME EXPECTED_EXIT [NAME=VALUE...] COMMAND...: the command in the namespace, in UTC
# (local times are then the same on every machine), in the work directory, with the settings; its
# normalised outputs and exit code must be the expected ones. The raw output stays in $work/raw.
run_case() {
  local name=$1 want_rc=$2
  shift 2
  (cd "$work" && "$testdomain" exec env TZ=UTC "$@") >"$work/raw" 2>"$work/err" </dev/null
  local rc=$? same=1 expected_err=/dev/null
  normalise <"$work/raw" >"$work/$name.out"
  normalise <"$work/err" >"$work/$name.err"
  if [ "${GOLDEN_UPDATE:-0}" = 1 ]; then
    cp "$work/$name.out" "$golden/$name.out"
    rm -f "$golden/$name.err"
    [ ! -s "$work/$name.err" ] || cp "$work/$name.err" "$golden/$name.err"
    [ "$rc" -eq "$want_rc" ] || echo "note: $name exits $rc, the script expects $want_rc"
    return
  fi
  [ -f "$golden/$name.err" ] && expected_err=$golden/$name.err
  # Both diffs always run, so a wrong exit code shows what was printed too.
  diff -u "$golden/$name.out" "$work/$name.out" >"$work/diff" || same=0
  diff -u "$expected_err" "$work/$name.err" >>"$work/diff" || same=0
  [ "$rc" -eq "$want_rc" ] || same=0
  verdict "$name" "$same" " (exit $rc, expected $want_rc): ${case_args[*]}" "$work/diff"
}

# run NAME EXPECTED_EXIT [NAME=VALUE...] -- lorvex arguments: lorvex, as alice unless settings are given.
run() {
  local name=$1 want_rc=$2
  shift 2
  split_case "$@"
  selected "$name" || return
  [ ${#case_envs[@]} -gt 0 ] || case_envs=("$alice")
  run_case "$name" "$want_rc" "${case_envs[@]}" "$lorvex" "${case_args[@]}"
}

# run_cases FILE [RUNNER]: each line of FILE, the arguments of RUNNER (default `run`) in the
# shell's quoting ("#" starts a comment), run in order.
run_cases() {
  local line
  while IFS= read -r line; do [[ -z "$line" || "$line" == \#* ]] || eval "${2:-run} $line"; done <"$1"
}

# The end of a golden script: its exit code.
finish() { [ "$failures" -eq 0 ]; }
