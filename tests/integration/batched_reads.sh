#!/usr/bin/env bash
# Objects read in batches against objects read one by one (LORVEX_PER_OBJECT=1), over the test
# domain (scripts/testdomain.sh): for every command the standard output, the standard error, the
# log and error files and the exit code of the two runs must be the same, byte for byte. Only the
# minute in a heading line may differ, when the two runs fall on both sides of it.
#   batched_reads.sh PATH-TO-LORVEX one-dc|two-dc
#
# one-dc: wildcards with every restriction, filters, sorting, layouts, /x, groups (the 45-member
# one, nested with /g, Domain Users, foreign members), input files with good and bad lines and
# names in every form, and the number of requests the lines of a file cost.
# two-dc: the per-controller values with DC2 up, the number of requests a wildcard run costs per
# controller (LORVEX_ROUND_TRIPS=1), then the same commands with DC2 down.
set -uo pipefail
lorvex=$(realpath "$1")
mode=$2
testdomain=$(cd "$(dirname "$0")/../../scripts" && pwd)/testdomain.sh
"$testdomain" status || exit 77
dir=$("$testdomain" env | sed -n 's/^LORVEX_TESTDOMAIN_DIR=//p')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

dc2_answers() {
  "$testdomain" exec ldapsearch -LLL -x -H ldap://127.0.0.12 -b "" -s base -o nettimeout=2 \
    defaultNamingContext >/dev/null 2>&1
}

# A heading ends with the minute of the run ("... at 5-Dec-2025 9:04"), perhaps on a line of its
# own; no other line ends with a time without seconds.
heading_minute='s/[0-9]{1,2}-[A-Z][a-z]{2}-[0-9]{4} [0-9]{1,2}:[0-9]{2}$/MINUTE/'

# One run of lorvex as alice, in UTC, in a directory of its own (which holds the input files and
# receives the /l and /e files), the way given: "batched" or "single".
run_once() { # WAY -- lorvex arguments
  local way=$1
  shift 2
  local place=$work/$way
  rm -rf "$place"
  mkdir -p "$place"
  cp "$work"/*.txt "$place"/ 2>/dev/null
  local per_object=0
  [ "$way" = single ] && per_object=1
  (cd "$place" && "$testdomain" exec env TZ=UTC "KRB5CCNAME=FILE:$dir/ccache-alice" \
    "LORVEX_PER_OBJECT=$per_object" "LORVEX_BATCH_OBJECTS=${BATCH:-}" "$lorvex" "$@") >"$place.out" 2>"$place.err" </dev/null
  echo $? >"$place.rc"
  for file in "$place.out" "$place.err" "$place"/*.log; do
    [ -f "$file" ] && sed -E -i "$heading_minute" "$file"
  done
}

# compare NAME -- lorvex arguments: both ways must print and write the same.
compare() {
  local name=$1
  shift
  run_once single "$@"
  run_once batched "$@"
  local diffs=$work/diff
  : >"$diffs"
  for part in out err rc; do
    diff -u --label "one by one .$part" --label "batched .$part" "$work/single.$part" "$work/batched.$part" \
      >>"$diffs" || true
  done
  diff -ru "$work/single" "$work/batched" >>"$diffs" || true
  if [ -s "$diffs" ]; then
    fail "$name: lorvex ${*:2}"
    head -60 "$diffs"
  elif [ ! -s "$work/batched.out" ] && [ ! -s "$work/batched.err" ]; then
    fail "$name printed nothing: lorvex ${*:2}"
  else
    echo "ok   $name (exit $(cat "$work/batched.rc"))"
  fi
}

# Input files: good lines, a comment, a blank line, names that resolve to nothing, a quoted name
# with a blank, a wildcard (searched), a group, and a line with its own server list.
printf 'alice\n; a comment\n\nnosuchuser\n"Lee, Ann" with a note\nbob\nk*\n{00000000-0000-0000-0000-000000000000}\n' \
  >"$work/objects.txt"
printf 'ivan\ncarol\ndc1/dave\nerin\n' >"$work/servers.txt"
printf 'Staff\nBig Group\nnosuchgroup\nLocalRes\n' >"$work/groups.txt"
# Names in every form users write them in a file, each line resolved with the names of its block
# looked up ahead: account names in any case, NT names by the domain's NetBIOS and DNS names,
# principal names, DNs whole and without the domain, names that resolve to nothing, a duplicate,
# a group and a computer, comments and blank lines, non-ASCII names, a line with its own server.
cat >"$work/names.txt" <<'NAMES'
alice
; names in every form
bob

SALES\carol
sales.corp.test\dave
alice@sales.corp.test
CN=erin,OU=People,DC=sales,DC=corp,DC=test
cn=kate,ou=engineering,ou=people
SALES\CN=leo,OU=Engineering,OU=People
nosuchuser
SALES\nosuchuser
nosuch@sales.corp.test
CN=nobody,OU=People
ALICE
alice
Staff
WS01$
ws01
juergen
"Jürgen Müller"
dc1/frank
bulk01@sales.corp.test
OU=People
{00000000-0000-0000-0000-000000000000}
ines
  svc-backup   trailing words are ignored
"Lee, Ann"
annlee
NAMES
# The 45 bulk accounts in four forms each, for the count of requests.
for i in $(seq -w 1 45); do
  printf 'bulk%s\nSALES\\BULK%s\nCN=bulk%s,OU=Bulk,DC=sales,DC=corp,DC=test\ncn=bulk%s,ou=bulk\n' "$i" "$i" "$i" "$i"
done >"$work/bulk.txt"

# The number of LDAP requests of a run (LORVEX_ROUND_TRIPS=1), one by one or batched.
trips() { # PER_OBJECT -- lorvex arguments
  local per_object=$1
  shift 2
  (cd "$work" && "$testdomain" exec env TZ=UTC "KRB5CCNAME=FILE:$dir/ccache-alice" \
    "LORVEX_PER_OBJECT=$per_object" LORVEX_ROUND_TRIPS=1 "$lorvex" "$@" 2>&1 >/dev/null </dev/null |
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
  compare filter-pso -- '*' pso eq none
  compare filter-wr -- '*' wr eq 'ws*'
  compare filter-lh -- '*' lh ne n
  compare sorted-lld -- '*' lld /s=v
  compare sorted-cd-reverse -- '*' cd /s=vr
  compare sorted-names -- '*' ad /s=u
  compare sorted-names-reverse -- '*' md /s=r
  compare sorted-all -- '*' all /s
  compare csv -- '*' lld /c
  compare columns -- '*' plc /a=u30,v,f
  compare names-only -- '*' ad /u
  compare values-only -- '*' ped /v
  compare totals-only -- '*' ad eq yes /t
  compare exit-level -- '*' ad eq yes /h
  compare log-files -- '*' lld /l=run.log /e=errors.log
  compare name-form-nt -- 'k*' ad /y=n
  compare name-form-principal -- 'k*' lld /y=p
  compare computers -- '*' lld /o=computer
  compare inetorgperson -- '*' ad /o=inetOrgPerson
  compare typed-one-level -- 'cn=*' ad
  compare typed-subtree -- 'cn=*' ad /x
  compare typed-container -- 'cn=*,ou=people' lld /x
  compare no-match -- 'zz*' ad
  compare single-object -- alice all
  compare single-object-pso -- frank all
  compare big-group -- 'Big Group' ad
  compare big-group-all -- 'Big Group' all
  compare group-nested -- Auditors lld /g
  compare group-not-nested -- Auditors lld
  compare group-cycle -- LoopA all /g
  compare group-foreign -- LocalRes ad
  compare group-empty -- 'Empty Group' ad
  compare group-domain-users -- 'Domain Users' lld /s
  compare group-wildcard -- '*' ad /o=group /g
  compare file -- @objects.txt ad
  compare file-all -- @objects.txt all
  compare file-sorted -- @objects.txt lld /s=v
  compare file-servers -- @servers.txt lld
  compare file-groups -- @groups.txt pso /o=group /g
  compare file-missing -- @nothing.txt ad
  compare file-names -- @names.txt ad
  compare file-names-user -- @names.txt ad /o=user
  compare file-names-all -- @names.txt all
  compare file-names-sorted-nt -- @names.txt lld /s=v /y=n
  compare file-names-computer -- @names.txt ad /o=computer
  compare file-names-group -- @names.txt pso /o=group /g
  compare file-names-subtree -- @names.txt ad /x
  compare file-bulk -- @bulk.txt ad /o=user /l=run.log /e=errors.log

  # Resolving the lines of a file costs requests per block of lines, not per line: one by one it
  # costs two or more a line.
  lines=$(wc -l <"$work/bulk.txt")
  batched=$(trips 0 -- @bulk.txt ad /j)
  single=$(trips 1 -- @bulk.txt ad /j)
  echo "requests for $lines lines: batched $batched, one by one $single"
  if [ -z "$batched" ] || [ -z "$single" ]; then
    fail "file-round-trips: lorvex reported no count (LORVEX_ROUND_TRIPS=1)"
  elif [ "$batched" -gt $((lines / 6)) ] || [ "$single" -lt $((2 * lines)) ]; then
    fail "file-round-trips: $batched requests batched, $single one by one, for $lines lines"
  else
    echo "ok   file-round-trips"
  fi
  compare single-controller -- 'dc1/*' lld /$
  # Batches of 7: many batches in flight one behind the other, the name forms read in bulk.
  BATCH=7 compare small-batches-all -- '*' all
  BATCH=7 compare small-batches-nt -- '*' all /y=n
  BATCH=7 compare small-batches-principal -- '*' all /y=p
  BATCH=7 compare small-batches-group -- 'Big Group' all /y=d
  BATCH=7 compare small-batches-file -- @names.txt lld /s=v /y=g
fi

if [ "$mode" = two-dc ]; then
  # The other controller tests may have left DC2 stopped: bring the pair back.
  if ! dc2_answers; then
    "$testdomain" start --with-dc2 >/dev/null 2>&1 || {
      echo "DC2 cannot be started (testdomain.sh start --with-dc2)"
      exit 77
    }
  fi
  dc2_answers || {
    echo "DC2 does not answer (testdomain.sh start --with-dc2)"
    exit 77
  }
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

  # Requests of a wildcard lld run over every user: with the second controller, a search or two
  # per 20 objects more than with the first alone, never one or more per object. Read one
  # by one, the second controller costs a bind and a read per object: at least one per user.
  users=$("$testdomain" exec env "KRB5CCNAME=FILE:$dir/ccache-alice" ldapsearch -LLL -Q -Y GSSAPI \
    -H ldap://dc1.sales.corp.test -b 'DC=sales,DC=corp,DC=test' '(sAMAccountType=805306368)' dn 2>/dev/null |
    grep -c '^dn:')
  one=$(trips 0 -- 'dc1/*' lld /j)
  two=$(trips 0 -- '*' lld /j)
  single_one=$(trips 1 -- 'dc1/*' lld /j)
  single_two=$(trips 1 -- '*' lld /j)
  echo "requests for $users users: batched $one with DC1, $two with both; one by one $single_one, $single_two"
  # The second controller: a bind (at most a few requests) and one search per 20 objects (the DNs
  # one search filter names at most).
  batches=$(((users + 19) / 20))
  if [ -z "$one" ] || [ -z "$two" ] || [ -z "$single_one" ] || [ -z "$single_two" ]; then
    fail "round-trips: lorvex reported no count (LORVEX_ROUND_TRIPS=1)"
  elif [ "$users" -lt 40 ] || [ "$two" -gt $((one + 4 + 2 * batches)) ]; then
    fail "round-trips: $two requests with two controllers, $one with one, for $users users"
  else
    echo "ok   round-trips"
  fi
  if [ -n "$single_two" ] && [ "$single_two" -lt $((${single_one:-0} + users)) ]; then
    fail "round-trips-one-by-one: the count does not see the per-object reads ($single_two, $single_one)"
  else
    echo "ok   round-trips-one-by-one"
  fi

  # DC2 goes down: every object reports it, in the same words and order both ways.
  "$testdomain" stop-dc2 || fail "stopping DC2"
  dc2_cases dc2-down
fi

[ "$failures" -eq 0 ]
