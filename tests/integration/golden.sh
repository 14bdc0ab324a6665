#!/usr/bin/env bash
# Golden runs of the lorvex binary against the test domain (scripts/testdomain.sh): for each
# case the standard output, the standard error and the exit code must equal the expected ones
# in tests/integration/golden/ (groups are sorted by name: the order of member values differs
# from one provisioning to the next). Dates and times depend on when the domain was provisioned and
# on the clock, so they are replaced by placeholders on both sides. GOLDEN_UPDATE=1 rewrites the
# expected files from the current output (review the diff before committing it).
#   golden.sh PATH-TO-LORVEX [CASE...]
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/golden
. "$here/golden_lib.sh"

# grace's lockout lasts 15 minutes from the domain's start; lock her again for this run.
for _ in 1 2 3; do
  "$testdomain" exec ldapwhoami -x -H ldaps://dc1.sales.corp.test -D grace@sales.corp.test -w wrong >/dev/null 2>&1
done

run refused-redirected 1 "$nobody" -- alice
run alice-report 0 "$alice" -- alice
run disabled 0 "$alice" -- bob ad /j
run expired 0 "$alice" -- carol ae /j
run never-expires 0 "$alice" -- dave pne /j
run must-change 0 "$alice" -- erin pcl /j
run locked 0 "$alice" -- grace al /j
run cannot-change 0 "$alice" -- heidi puc /j
run workstations 0 "$alice" -- ivan wr /j
run logon-hours 0 "$alice" -- ivan lh /j
run nt-name-with-comma 0 "$alice" -- 'SALES\annlee' ad /j
run dn-with-slash 0 "$alice" -- 'CN=Ann/Bo,OU=People' ad /j
run display-name-non-ascii 0 "$alice" -- juergen ad /j /y=l
run wildcard 0 "$alice" -- 'c*' ad /j
run group 0 "$alice" -- Staff ad /j /s
run nested-groups 0 "$alice" -- Staff ad /g /j /s
run big-group 0 "$alice" -- "Big Group" ad /j /s
run group-cycle 0 "$alice" -- LoopA ad /g /j /s
run foreign-principals 0 "$alice" -- LocalRes ad /j /s
# Every name display form on a real object (GUIDs differ per provisioning and are normalised).
run name-form-nt 0 "$alice" -- alice ad /j /y=n
run name-form-principal 0 "$alice" -- alice ad /j /y=p
run name-form-guid 0 "$alice" -- alice ad /j /y=g
run name-form-relative 0 "$alice" -- alice ad /j /y=s
run name-form-relative-untyped 0 "$alice" -- alice ad /j /y=su
run name-form-common-name 0 "$alice" -- 'SALES\annlee' ad /j /y=t
run name-form-with-domain 0 "$alice" -- alice ad /j /y=d
run name-form-with-domain-untyped 0 "$alice" -- alice ad /j /y=du
run name-form-canonical-untyped 0 "$alice" -- alice ad /j /y=cu
run pso-unreadable-to-users 0 "$alice" -- frank pml /j
run pso-direct 0 "$admin" -- frank pml /j
run pso-through-group 0 "$admin" -- dave pso /j
run reversible-encryption 0 "$alice" -- rhea pre /j
run password-not-required 0 "$alice" -- nils pr /j
run cannot-change-one-trustee 0 "$alice" -- oscar puc /j
run workstations-long 0 "$alice" -- wendy wr /j
run display-name-long 0 "$alice" -- lena ad /j /y=l
run display-name-short 0 "$alice" -- nils ad /j /y=l
run expiring 0 "$alice" -- svc-backup aed /j
run computer 0 "$alice" -- WS01 ad /j
run inet-org-person 0 "$alice" -- ines ad /j
run not-found 1 "$alice" -- nobody ad
run other-domain 1 "$alice" -- 'otherdom\ann' ad

# The credential prompt on a terminal: the name is echoed, the password is not, and the typed
# credentials (a Kerberos ticket obtained in memory) then read the object.
if selected prompt; then
  { sleep 2; printf 'SALES\\alice\r'; sleep 1; printf 'Passw0rd!user\r'; } |
    "$testdomain" exec env TZ=UTC "$nobody" script -qec "$lorvex bob ad /j" /dev/null >"$work/prompt" 2>&1
  tr -d '\r' <"$work/prompt" >"$work/prompt.txt"
  if grep -qx 'Authentication is required for domain SALES' "$work/prompt.txt" &&
    grep -qx 'Username: SALES\\alice' "$work/prompt.txt" &&
    grep -qx 'Password for SALES\\alice: ' "$work/prompt.txt" &&
    ! grep -q 'Passw0rd' "$work/prompt.txt" &&
    grep -qx 'CN=bob,OU=People                             Yes' "$work/prompt.txt"; then
    echo "ok   prompt"
  else
    fail prompt
    cat "$work/prompt.txt"
  fi
fi

finish
