#!/usr/bin/env bash
# Faults met while lorvex runs against the test domain (scripts/testdomain.sh, one controller):
# a group of 2,000 members, an input file of 10,000 lines with bad lines mixed in, objects deleted
# while a run is under way, log and error files that cannot be written, Ctrl+C during a sorted run,
# and the only domain controller stopped in the middle of a run. Each case checks the standard
# output, the standard error and the exit code exactly; where the moment of a fault decides how
# many objects come before it, every line is still checked and the counts must agree. Runs that
# meet a fault at a chosen moment go through stall.py: their output passes through a pipe of one
# page that is not read after the trigger line, so the program cannot get more than a page ahead
# of the fault.
#   faults.sh PATH-TO-LORVEX [CASE...]
#
# The cases change the domain: the objects they delete are made again, and the last case stops the
# controller and starts it again from the domain's cached state.
set -uo pipefail
lorvex=$(realpath "$1")
shift
here=$(cd "$(dirname "$0")" && pwd)
testdomain=$here/../../scripts/testdomain.sh
stall=$here/stall.py
"$testdomain" status || exit 77
dir=$("$testdomain" env | sed -n 's/^LORVEX_TESTDOMAIN_DIR=//p')
work=$(mktemp -d)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
failures=0
only=("$@")
base="DC=sales,DC=corp,DC=test"

normalise() {
  sed -E 's/[0-9]{1,2}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-[0-9]{4}( [0-9]{1,2}:[0-9]{2}(:[0-9]{2})?)?/DATE/g'
}

wanted() { [ ${#only[@]} -eq 0 ] || [[ " ${only[*]} " =~ " $1 " ]]; }

pass() { echo "ok   $1"; }
fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# lorvex ARGUMENTS...: runs lorvex as alice, in UTC, in the work directory; the raw output is in
# $work/out and $work/err, the exit code in $rc.
lorvex() {
  (cd "$work" && "$testdomain" exec env TZ=UTC "KRB5CCNAME=FILE:$dir/ccache-alice" "$lorvex" "$@") \
    >"$work/out" 2>"$work/err" </dev/null
  rc=$?
}

# stalled [--merge] TRIGGER EVENT ARGUMENTS...: the same through stall.py.
stalled() {
  local merge=()
  if [ "$1" = --merge ]; then
    merge=(--merge)
    shift
  fi
  local trigger=$1 event=$2
  shift 2
  (cd "$work" && "$testdomain" exec env TZ=UTC "KRB5CCNAME=FILE:$dir/ccache-alice" /usr/bin/python3 "$stall" \
    "${merge[@]}" "$trigger" "$event" -- "$lorvex" "$@") >"$work/out" 2>"$work/err" </dev/null
  rc=$?
}

# check NAME WANT_RC WANT_OUT WANT_ERR: the last run's exit code and its normalised outputs.
check() {
  local name=$1 want_rc=$2 same=1
  normalise <"$work/out" >"$work/$name.out"
  normalise <"$work/err" >"$work/$name.err"
  diff -u "$3" "$work/$name.out" >"$work/diff" || same=0
  diff -u "$4" "$work/$name.err" >>"$work/diff" || same=0
  if [ "$rc" -ne "$want_rc" ] || [ "$same" = 0 ]; then
    fail "$name (exit $rc, expected $want_rc)"
    head -60 "$work/diff"
  else
    pass "$name"
  fi
}

# As the administrator, inside the namespace.
ldap_admin() { # TOOL ARGUMENTS...
  local tool=$1
  shift
  "$testdomain" exec env "KRB5CCNAME=FILE:$dir/ccache-administrator" "$tool" -Q -Y GSSAPI \
    -H ldap://dc1.sales.corp.test "$@"
}
admin_event() { # the shell text of an ldap_admin call, for stall.py's event
  printf 'env KRB5CCNAME=FILE:%s/ccache-administrator %s -Q -Y GSSAPI -H ldap://dc1.sales.corp.test' "$dir" "$1"
}

# Workstations FIRST to LAST of the 2,000 in OU=Huge as lines of ad: name column of 45, then the value.
huge_lines() { seq -f 'CN=huge%04g,OU=Huge' "$1" "$2" | awk '{ printf "%-45sYes\n", $0 }'; }

# Makes a deleted workstation again, a member of Huge Group as before.
restore_huge() { # NUMBER
  local name
  name=$(printf huge%04d "$1")
  ldap_admin ldapadd >/dev/null <<EOF
dn: CN=$name,OU=Huge,$base
objectClass: computer
sAMAccountName: $name\$
userAccountControl: 4098
EOF
  ldap_admin ldapmodify >/dev/null <<EOF
dn: CN=Huge Group,OU=Groups,$base
changetype: modify
add: member
member: CN=$name,OU=Huge,$base
EOF
}

# --- A group of 2,000 members: read in ranges, each member shown once.
if wanted huge-group; then
  lorvex "Huge Group" ad /s
  {
    printf '\nValues of "Account disabled" for members of group CN=Huge Group,OU=Groups at\n DATE\n\n'
    huge_lines 1 2000
    printf '\n2000 users\n'
  } >"$work/want.out"
  check huge-group 0 "$work/want.out" /dev/null
fi

[ "$failures" -eq 0 ]
