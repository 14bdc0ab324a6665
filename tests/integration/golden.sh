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
run_cases "$golden/cases.txt"

finish
