#!/usr/bin/env bash
# Objects read in batches against objects read one by one (LORVEX_PER_OBJECT=1), over the test
# domain: for every command the outputs, the log and error files and the exit code of the two runs
# must be the same, byte for byte (but for the minute in a heading line); and the number of
# requests a run costs (LORVEX_ROUND_TRIPS=1). one-dc: one controller; two-dc: with DC2 up, then
# the same commands with DC2 down.
#   batched_reads.sh PATH-TO-LORVEX one-dc|two-dc
here=$(cd "$(dirname "$0")" && pwd)
golden=$here # no expected files: the two ways are compared with each other
. "$here/golden_lib.sh" "$1"
lorvex=$(realpath "$lorvex")
mode=$2

dc2_answers() {
  "$testdomain" exec ldapsearch -LLL -x -H ldap://127.0.0.12 -b "" -s base -o nettimeout=2 \
    defaultNamingContext >/dev/null 2>&1
}

# A heading ends with the minute of the run ("... at 5-Dec-2025 9:04"), perhaps on a line of its
# own; no other line ends with a time without seconds.
heading_minute='s/[0-9]{1,2}-[A-Z][a-z]{2}-[0-9]{4} [0-9]{1,2}:[0-9]{2}$/MINUTE/'

# One run of lorvex as alice (or as the account of AS), in UTC, in a directory of its own (which
# holds the input files and receives the /l and /e files), the way given: "batched" or "single".
run_once() { # WAY -- lorvex arguments
  local place=$work/$1 per_object=0
  shift 2
  rm -rf "$place" && mkdir -p "$place" && cp "$work"/*.txt "$place"/
  [ "$place" = "$work/single" ] && per_object=1
  (cd "$place" && "$testdomain" exec env TZ=UTC "${AS:-$alice}" "LORVEX_PER_OBJECT=$per_object" \
    "LORVEX_BATCH_OBJECTS=${BATCH:-}" "$lorvex" "$@") >"$place.out" 2>"$place.err" </dev/null
  echo $? >"$place.rc"
  for file in "$place.out" "$place.err" "$place"/*.log; do [ ! -f "$file" ] || sed -E -i "$heading_minute" "$file"; done
}

# compare NAME -- lorvex arguments: both ways must print and write the same.
compare() {
  run_once single "${@:2}"
  run_once batched "${@:2}"
  : >"$work/diff"
  for part in out err rc; do
    diff -u --label "one by one .$part" --label "batched .$part" "$work/single.$part" "$work/batched.$part" >>"$work/diff"
  done
  diff -ru "$work/single" "$work/batched" >>"$work/diff"
  if [ -s "$work/diff" ] || { [ ! -s "$work/batched.out" ] && [ ! -s "$work/batched.err" ]; }; then
    fail "$1 (different, or nothing printed): lorvex ${*:3}"
    head -60 "$work/diff"
  else
    echo "ok   $1 (exit $(cat "$work/batched.rc"))"
  fi
}

# Input files (batched_reads/): objects.txt with good lines, a comment, a blank line, names of
# nothing, a quoted name, a wildcard and a line with its own server list; names.txt with names in
# every form users write them in; servers.txt; groups.txt.
cp "$here"/batched_reads/*.txt "$work/"
# The 45 bulk accounts in four forms each, for the count of requests.
for i in $(seq -w 1 45); do
  printf 'bulk%s\nSALES\\BULK%s\nCN=bulk%s,OU=Bulk,DC=sales,DC=corp,DC=test\ncn=bulk%s,ou=bulk\n' "$i" "$i" "$i" "$i"
done >"$work/bulk.txt"

# The number of LDAP requests of a run (LORVEX_ROUND_TRIPS=1), one by one or batched.
trips() { # PER_OBJECT -- lorvex arguments
  local per_object=$1
  shift 2
  (cd "$work" && "$testdomain" exec env TZ=UTC "$alice" "LORVEX_PER_OBJECT=$per_object" LORVEX_ROUND_TRIPS=1 \
    "LORVEX_BATCH_OBJECTS=${BATCH:-}" "$lorvex" "$@" 2>&1 >/dev/null </dev/null |
    sed -n 's/^LDAP round trips: //p')
}

restrictions="ad ae aed al blc cd ild ilp ilr ilt lld lud md pcr pcl pe ped phl pmx plc pml pmn pne pr pre
  pso puc pur lh wr all"

if [ "$mode" = one-dc ]; then
  for r in $restrictions; do compare "every-user-$r" -- '*' "$r"; done
  compare no-restriction -- 'b*'
  compare filter-lld -- '*' lld lt tod-90
  compare filter-pne -- '*' pne eq yes
  compare filter-blc-sorted -- '*' blc ge 0 /s=v
  compare sorted-lld -- '*' lld /s=v
  compare sorted-all -- '*' all /s
  compare csv -- '*' lld /c
  compare log-files -- '*' lld /l=run.log /e=errors.log
  compare name-form-nt -- 'k*' ad /y=n
  compare computers -- '*' lld /o=computer
  compare inetorgperson -- '*' ad /o=inetOrgPerson
  compare typed-one-level -- 'cn=*' ad
  compare typed-subtree -- 'cn=*' ad /x
  compare typed-container -- 'cn=*,ou=people' lld /x
  compare no-match -- 'zz*' ad
  compare single-object -- alice all
  compare big-group -- 'Big Group' ad
  compare big-group-all -- 'Big Group' all
  compare group-nested -- Auditors lld /g
  compare group-cycle -- LoopA all /g
  compare group-foreign -- LocalRes ad
  compare group-domain-users -- 'Domain Users' lld /s
  compare group-wildcard -- '*' ad /o=group /g
  compare file -- @objects.txt ad
  compare file-sorted -- @objects.txt lld /s=v
  compare file-servers -- @servers.txt lld
  compare file-groups -- @groups.txt pso /o=group /g
  compare file-names -- @names.txt ad
  compare file-names-all -- @names.txt all
  compare file-names-sorted-nt -- @names.txt lld /s=v /y=n
  compare file-names-group -- @names.txt pso /o=group /g
  compare file-bulk -- @bulk.txt ad /o=user /l=run.log /e=errors.log

  # Resolving the lines of a file, reading their objects with the descriptor and their NT names
  # cost requests per block of lines, not per line: one by one it costs two or more a line.
  lines=$(wc -l <"$work/bulk.txt")
  batched=$(trips 0 -- @bulk.txt all /y=n /j)
  single=$(trips 1 -- @bulk.txt all /y=n /j)
  if [ -z "$batched" ] || [ -z "$single" ] || [ "$batched" -gt $((lines / 6)) ] || [ "$single" -lt $((2 * lines)) ]; then
    fail "file-round-trips: '$batched' requests batched, '$single' one by one, for $lines lines"
  else
    echo "ok   file-round-trips"
  fi
  compare single-controller -- 'dc1/*' lld /$

  # Password settings that reach accounts only through nested groups and a primary group: one
  # applied to Auditors (Staff and, inside it, Managers are nested in it), and an account whose
  # primary group is Staff. The batches take the settings of the accounts in reach from a search of
  # those accounts alone; every account must show the same as when read one by one. The settings
  # objects' attributes are hidden from alice (she is left to each account's own value, as the
  # cases above show), so these run as the administrator. Taken away again afterwards, whatever
  # happens, for the tests after this one.
  base=DC=sales,DC=corp,DC=test
  reach_pso="CN=AuditorsPSO,CN=Password Settings Container,CN=System,$base"
  reach_user="CN=psoprimary,OU=People,$base"
  as_admin() { "$testdomain" exec env "$admin" "$@" -Q -Y GSSAPI -H ldap://dc1.sales.corp.test >/dev/null 2>&1; }
  remove_reach() { as_admin ldapdelete "$reach_pso"; as_admin ldapdelete "$reach_user"; }
  trap 'remove_reach; rm -rf "$work"' EXIT
  staff_sid=$("$testdomain" exec env "$admin" ldapsearch -LLL -Q -Y GSSAPI -H ldap://dc1.sales.corp.test \
    -b "CN=Staff,OU=Groups,$base" -s base objectSid 2>/dev/null | sed -n 's/^objectSid:: //p')
  staff_rid=$(python3 -c 'import base64, struct, sys; print(struct.unpack("<I", base64.b64decode(sys.argv[1])[-4:])[0])' "$staff_sid")
  printf 'dn: %s\nobjectClass: user\nsAMAccountName: psoprimary\n\n' "$reach_user" >"$work/reach.ldif"
  printf 'dn: CN=Staff,OU=Groups,%s\nchangetype: modify\nadd: member\nmember: %s\n\n' "$base" "$reach_user" >>"$work/reach.ldif"
  printf 'dn: %s\nchangetype: modify\nreplace: primaryGroupID\nprimaryGroupID: %s\n\n' "$reach_user" "$staff_rid" >>"$work/reach.ldif"
  { printf 'dn: %s\nobjectClass: msDS-PasswordSettings\nmsDS-PasswordSettingsPrecedence: 40\n' "$reach_pso"
    printf 'msDS-PasswordReversibleEncryptionEnabled: FALSE\nmsDS-PasswordHistoryLength: 3\n'
    printf 'msDS-PasswordComplexityEnabled: TRUE\nmsDS-MinimumPasswordLength: 9\nmsDS-MinimumPasswordAge: -864000000000\n'
    printf 'msDS-MaximumPasswordAge: -17280000000000\nmsDS-LockoutThreshold: 4\n'
    printf 'msDS-LockoutObservationWindow: -6000000000\nmsDS-LockoutDuration: -6000000000\n'
    printf 'msDS-PSOAppliesTo: CN=Auditors,OU=Groups,%s\n' "$base"; } >>"$work/reach.ldif"
  if [ -n "$staff_rid" ] && as_admin ldapmodify -a -f "$work/reach.ldif"; then
    AS=$admin compare pso-reach -- '*' pso
    AS=$admin compare pso-reach-all -- '*' all /y=n
    AS=$admin BATCH=7 compare pso-reach-group -- Auditors pso /g
    # The account reached through its primary group alone shows the settings applied to Auditors.
    AS=$admin run_once batched -- psoprimary pso /j
    grep -q 'AuditorsPSO$' "$work/batched.out" && echo "ok   pso-reach-primary" ||
      fail "pso-reach-primary: $(cat "$work/batched.out" "$work/batched.err")"
  else
    fail "pso-reach: the password settings applied to Auditors could not be added"
  fi
  remove_reach
  # Batches of 7: many batches in flight one behind the other, the name forms read in bulk.
  BATCH=7 compare small-batches-all -- '*' all
  BATCH=7 compare small-batches-nt -- '*' all /y=n
  BATCH=7 compare small-batches-principal -- '*' all /y=p
  BATCH=7 compare small-batches-group -- 'Big Group' all /y=d
  BATCH=7 compare small-batches-file -- @names.txt lld /s=v /y=g
fi

if [ "$mode" = two-dc ]; then
  # The other controller tests may have left DC2 stopped: bring the pair back.
  dc2_answers || "$testdomain" start --with-dc2 >/dev/null 2>&1
  dc2_answers || { echo "DC2 does not answer (testdomain.sh start --with-dc2)" && exit 77; }
  dc2_cases() {
    local state=$1
    compare "$state-lld" -- '*' lld
    compare "$state-md" -- '*' md
    compare "$state-all" -- 'k*' all
    compare "$state-sorted" -- '*' lld /s=v
    compare "$state-filter" -- '*' lld ge tod-1
    compare "$state-group" -- Auditors md /g
    compare "$state-big-group" -- 'Big Group' lld
    compare "$state-file" -- @servers.txt lld
    compare "$state-file-objects" -- @objects.txt md
    compare "$state-file-names" -- @names.txt lld
    compare "$state-dc2-only" -- 'dc2/*' lld
    compare "$state-both-named" -- 'dc2,dc1/k*' all
    compare "$state-single-dc2" -- 'dc2/*' lld /$
    BATCH=7 compare "$state-small-batches" -- '*' all /y=n
    BATCH=7 compare "$state-small-batches-group" -- 'Big Group' lld /y=p
  }
  dc2_cases dc2-up

  # Requests of a wildcard lld run over every user, and of a group's, in batches of 7: the second
  # controller adds a bind (at most a few requests) and one paged search over the wildcard's scope
  # (of the group's members), whatever the number of batches. Read one by one, it costs a bind and a read per object: at least one per user.
  # A group of 2,000 members costs about as many as one of 45: a page of each search per 250 members.
  users=$("$testdomain" exec env "$alice" ldapsearch -LLL -Q -Y GSSAPI \
    -H ldap://dc1.sales.corp.test -b 'DC=sales,DC=corp,DC=test' '(sAMAccountType=805306368)' dn 2>/dev/null |
    grep -c '^dn:')
  one=$(BATCH=7 trips 0 -- 'dc1/*' lld /j)
  two=$(BATCH=7 trips 0 -- '*' lld /j)
  group_one=$(BATCH=7 trips 0 -- 'dc1/Big Group' lld /j)
  group_two=$(BATCH=7 trips 0 -- 'Big Group' lld /j)
  group_huge=$(trips 0 -- 'Huge Group' lld /j)
  single_one=$(trips 1 -- 'dc1/*' lld /j)
  single_two=$(trips 1 -- '*' lld /j)
  if [ -z "$one" ] || [ -z "$two" ] || [ -z "$single_one" ] || [ -z "$single_two" ] || [ "$users" -lt 40 ] ||
    [ "$two" -gt $((one + 5)) ] || [ "${group_two:-99}" -gt $((${group_one:-0} + 5)) ] ||
    [ "${group_huge:-999}" -gt $((${group_two:-0} + 20)) ] ||
    [ "$single_two" -lt $((single_one + users)) ]; then
    fail "round-trips: for $users users, batched '$one' with DC1, '$two' with both; one by one '$single_one', '$single_two'; group '$group_one', '$group_two', of 2,000 '$group_huge'"
  else
    echo "ok   round-trips"
  fi

  # DC2 goes down: every object reports it, in the same words and order both ways.
  "$testdomain" stop-dc2 || fail "stopping DC2"
  dc2_cases dc2-down
fi

finish
