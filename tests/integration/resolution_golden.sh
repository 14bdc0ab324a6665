#!/usr/bin/env bash
# Golden runs of entity resolution, group expansion and the server list against the test domain:
# each case must give the outputs and exit code in resolution_golden/.
#   resolution_golden.sh PATH-TO-LORVEX [CASE...]
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/resolution_golden
. "$here/golden_lib.sh"

# A server file (named relative to the working directory, as the entity splits at its first "/"):
# one wanted controller, a comment, a blank line and an exclusion.
printf 'dc1\n; the only controller\n\n!dc2\n' >"$work/servers.txt"
run_cases "$golden/cases.txt"

# Last, as they join Domain Users: an account whose name holds parentheses, and two accounts given
# one principal name, which the directory refuses over LDAP, so it is written into the domain
# partition's database itself. The three are deleted at the end.
people=OU=People,DC=sales,DC=corp,DC=test
ldap_admin() { "$testdomain" exec env "$admin" "$1" -Q -Y GSSAPI -H ldap://dc1.sales.corp.test "${@:2}" >/dev/null 2>&1; }
trap 'ldap_admin ldapdelete "CN=twin1,$people" "CN=twin2,$people" "CN=par(en),$people"; rm -rf "$work"' EXIT
for name in twin1 twin2 'par(en)'; do printf 'dn: CN=%s,%s\nobjectClass: user\nsAMAccountName: %s\n\n' "$name" "$people" "$name"; done |
  ldap_admin ldapadd -c
printf 'dn: CN=%s,%s\nchangetype: modify\nreplace: userPrincipalName\nuserPrincipalName: twin@sales.corp.test\n\n' twin1 "$people" twin2 "$people" |
  "$testdomain" exec ldbmodify -H "tdb://$dir/dc1/private/sam.ldb.d/DC=SALES,DC=CORP,DC=TEST.ldb" >/dev/null ||
  fail "two accounts of one principal name"
# A filter's special characters in an account name are the name's own; a name given to two objects
# names neither.
run nt-name-parentheses 0 -- 'SALES\par(en)' ad /j
run principal-name-twice 1 -- twin@sales.corp.test ad /j
finish
