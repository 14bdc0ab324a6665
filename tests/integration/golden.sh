#!/usr/bin/env bash
# Golden runs of lorvex against the test domain: each case of golden/cases.txt must give the
# outputs and exit code in golden/ (groups are sorted: the order of members differs from one
# provisioning to the next).
#   golden.sh PATH-TO-LORVEX [CASE...]
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/golden
. "$here/golden_lib.sh"

# grace's lockout lasts 15 minutes from the domain's start; lock her again for this run.
for _ in 1 2 3; do "$testdomain" exec ldapwhoami -x -H ldaps://dc1.sales.corp.test -D grace@sales.corp.test -w wrong >/dev/null 2>&1; done
run_cases "$golden/cases.txt"
finish
