#!/usr/bin/env bash
# Golden runs of the domain-controller list and the per-controller values against the test domain
# with two replicating controllers (scripts/testdomain.sh start --with-dc2), expected outputs in
# tests/integration/controllers_golden/; where the value itself matters, the date printed is also
# compared with the one the controller holds. The cases run in order and change the domain: alice
# logs on at DC2 half-way, and DC2 is stopped, in the middle of a run, for the last cases.
#   controllers_golden.sh PATH-TO-LORVEX
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/controllers_golden
. "$here/golden_lib.sh"
"$testdomain" exec ldapsearch -LLL -x -H ldap://127.0.0.12 -b "" -s base -o nettimeout=2 defaultNamingContext \
  >/dev/null 2>&1 || { echo "DC2 does not answer (testdomain.sh start --with-dc2)" && exit 77; }

# The one attribute value of an account as a controller holds it.
read_attribute() { # SERVER-NAME ACCOUNT ATTRIBUTE
  "$testdomain" exec env "$admin" ldapsearch -LLL -Q -Y GSSAPI -N \
    -H "ldap://$1.sales.corp.test" -b "DC=sales,DC=corp,DC=test" "(sAMAccountName=$2)" "$3" 2>/dev/null |
    sed -n "s/^$3: //p"
}

# The date lorvex prints for a time in seconds since 1970 (UTC, as the runs are).
format_seconds() { TZ=UTC date -d "@$1" '+%d-%b-%Y %H:%M:%S'; }
filetime_date() { format_seconds $(($1 / 10000000 - 11644473600)); }
utctime_date() { format_seconds "$(TZ=UTC date -d "${1:0:4}-${1:4:2}-${1:6:2} ${1:8:2}:${1:10:2}:${1:12:2}" +%s)"; }

# check_date NAME EXPECTED-DATE: the date in the last run's output is the expected one.
check_date() {
  local shown=$(grep -oE "$date_pattern" "$work/raw" | tail -1)
  [ "$shown" = "$2" ] && echo "ok   $1" || fail "$1: shows '$shown', the controller holds '$2'"
}

# Server files, named relative to the working directory.
printf 'dc2\n; only the second controller\n\n!dc1\n' >"$work/second.txt"
printf '  "dc*"  \n!DC2\n' >"$work/quoted.txt"
# Objects read in a fixed order; the last line names its own server list, without DC2.
printf 'alice\nkate\nleo\nmallory\ndc1/ivan\n' >"$work/objects.txt"

# The controller list: every controller in search order, the default server (DC1) credited with
# the object's own read, so alice's value is credited to DC1 however the servers are typed. bob
# never logged on; his replica on DC2 was written at the join, after DC1's copy.
run all-lld 0 -- alice lld /j
run all-md 0 -- bob md /j
check_date all-md-value "$(utctime_date "$(read_attribute dc2 bob whenChanged)")"
# With DC2 as the default server, DC1 (listed first) is read on its own and DC2 is credited with
# the object's own read. A list that leaves the default server out shows only what its controllers
# hold: alice has logged on at DC1 alone so far.
dc2_default=LDAPURI=ldap://dc2.sales.corp.test
run default-dc2-lld 0 "$alice" "$dc2_default" -- alice lld /j
check_date default-dc2-lld-value "$(filetime_date "$(read_attribute dc1 alice lastLogon)")"
run default-dc2-dc1-only 0 "$alice" "$dc2_default" -- dc1/alice lld /j
check_date default-dc2-dc1-only-value "$(filetime_date "$(read_attribute dc1 alice lastLogon)")"
run dc2-only-lld 0 -- dc2/alice lld /j
run_cases "$golden/cases.txt"

# alice logs on at DC2 only: her newest lastLogon is then DC2's, while DC1 keeps the older one.
sed "/kdc = 127.0.0.11/d" "$dir/krb5.conf" >"$work/krb5-dc2.conf"
echo 'Passw0rd!user' | "$testdomain" exec env "KRB5_CONFIG=$work/krb5-dc2.conf" \
  "KRB5CCNAME=FILE:$work/ccache-dc2" kinit alice >/dev/null 2>&1 || fail "kinit alice at DC2"
dc1_logon=$(read_attribute dc1 alice lastLogon)
dc2_logon=$(read_attribute dc2 alice lastLogon)
if [ -z "$dc2_logon" ] || [ "${dc1_logon:-0}" -ge "$dc2_logon" ]; then
  fail "the logon at DC2 did not give DC2 the newer lastLogon (DC1 ${dc1_logon:-none}, DC2 ${dc2_logon:-none})"
fi
run dc2-logon-lld 0 -- alice lld /j
check_date dc2-logon-lld-value "$(filetime_date "$dc2_logon")"
run dc2-logon-dc1-only 0 -- 'dc1/alice' lld /j
check_date dc2-logon-dc1-only-value "$(filetime_date "$dc1_logon")"
run dc2-logon-single 0 -- 'dc2/alice' lld /j /$
check_date dc2-logon-single-value "$(filetime_date "$dc2_logon")"
run dc2-logon-md 0 -- bob md /j

# DC2 stops in the middle of a run. The input file reads alice from both controllers first, then
# 300 workstations from DC1 alone, then three workstations and alice again from both. DC2 is stopped
# (by stall.py) once alice's first line is out: the program is then at most a page of output past
# it, far from the last four lines. Each of them reports DC2, after its binds were tried ten times,
# and shows the value DC1 holds: alice's newer logon at DC2 is shown first, her older one at DC1
# last. The run goes on to its totals and exit 1.
if selected dc2-stops-during-run; then
  { printf 'dc1,dc2/alice\ndc1/huge0001\n' && seq -f 'huge%04g' 2 300
    printf 'dc1,dc2/huge0301\nhuge0302\nhuge0303\ndc1,dc2/alice\n'; } >"$work/mid-run.txt"
  # Every connection of the run is traced, to count the binds tried at DC2. A sanitizer build's
  # leak check cannot run under a tracer, so it is left out of the traced run.
  (cd "$work" && "$testdomain" exec env TZ=UTC "$alice" "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" /usr/bin/python3 "$here/stall.py" 'CN=alice' \
    "$testdomain stop-dc2" -- strace -f -e trace=connect -o "$work/trace" "$lorvex" @mid-run.txt lld) \
    >"$work/raw" 2>"$work/err" </dev/null
  rc=$?
  dc2_failure() { printf "LORVEX: Cannot connect to %s on DC2 using 127.0.0.12\nReason(s): The server is not operational\n           Can't contact LDAP server\n" "$1"; }
  { printf '\nLast logon date for objects in file mid-run.txt at DATE\n\n%-45sDATE (DC2)\n' 'CN=alice,OU=People (Alice Archer)'
    seq -f 'CN=huge%04g,OU=Huge' 1 303 | awk '{ printf "%-61sNone\n", $0 }'
    printf '%-45sDATE (DC1)\n\n305 users, 4 errors\n' 'CN=alice,OU=People (Alice Archer)'; } >"$work/want.out"
  { for n in 301 302 303; do dc2_failure "CN=huge0$n,OU=Huge"; done
    dc2_failure 'CN=alice,OU=People' && printf '\n305 users, 4 errors\n'; } >"$work/want.err"
  diff -u "$work/want.out" <(normalise <"$work/raw") >"$work/diff"
  diff -u "$work/want.err" <(normalise <"$work/err") >>"$work/diff"
  verdict dc2-stops-during-run "$([ "$rc" -eq 1 ] && [ ! -s "$work/diff" ] && echo 1)" " (exit $rc, expected 1)" "$work/diff"
  # One connection to DC2 before it stopped; then ten binds for the four objects after, which are
  # read in one batch (ten for each of them when each object is read on its own).
  want_binds=11
  [ "${LORVEX_PER_OBJECT:-0}" = 1 ] && want_binds=41
  binds=$(grep -c 'htons(389), sin_addr=inet_addr("127.0.0.12")' "$work/trace")
  [ "$binds" -eq "$want_binds" ] && echo "ok   dc2-stops-during-run-retries" ||
    fail "dc2-stops-during-run-retries: $binds connections to DC2, expected $want_binds"
fi

# DC2 goes down: every object read with DC2 in the list reports it, with the bind tried ten times
# (the server is not operational), and the values come from DC1; the run goes on to the line that
# leaves DC2 out and ends with its totals and exit 1.
"$testdomain" stop-dc2 || fail "stopping DC2"
run dc2-down 1 -- @objects.txt lld
"$testdomain" exec strace -f -e trace=connect -o "$work/trace" env TZ=UTC \
  "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  "$alice" "$lorvex" alice lld /j >/dev/null 2>&1 </dev/null
binds=$(grep -c 'sin_addr=inet_addr("127.0.0.12")' "$work/trace")
[ "$binds" -eq 10 ] && echo "ok   dc2-down-retries" || fail "dc2-down-retries: $binds connections to DC2, expected 10"

finish
