#!/usr/bin/env bash
# Golden runs of entity resolution, group expansion and the server list against the test domain
# (scripts/testdomain.sh): for each case the standard output, the standard error and the exit code
# must equal the expected ones in tests/integration/resolution_golden/. Dates and times become
# DATE on both sides. GOLDEN_UPDATE=1 rewrites the expected files from the current output.
#   resolution_golden.sh PATH-TO-LORVEX [CASE...]
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/resolution_golden
. "$here/golden_lib.sh"

# A server file (named relative to the working directory, as the entity splits at its first "/"):
# one wanted controller, a comment, a blank line and an exclusion.
printf 'dc1\n; the only controller\n\n!dc2\n' >"$work/servers.txt"

# Entity forms.
run dn-whole 0 -- 'CN=alice,OU=People,DC=sales,DC=corp,DC=test' ad /j
run dn-without-domain 0 -- 'cn=alice,ou=people' ad /j
run account-name 0 -- alice ad /j
run nt-name 0 -- 'sales\alice' ad /j
run principal-name 0 -- alice@sales.corp.test ad /j
# bulk01 has no principal name of its own: its account name at the domain's DNS name is one.
run principal-name-implicit 0 -- bulk01@sales.corp.test ad /j
run common-name 0 -- 'Jürgen Müller' ad /j
run account-is-default 0 -- . ad /j
run unknown-guid 1 -- '{00000000-0000-0000-0000-000000000000}' ad
run contact-refused 1 -- 'Carl Contact' ad
run ou-refused 1 -- 'OU=People' ad
run not-a-group 1 -- . ad /o=group
run not-a-user 1 -- ines ad /o=user
# Searches: typed names one level (subtree with /x), containers built step by step.
run typed-one-level 1 -- 'cn=k*,ou=people' ad /j
run typed-subtree 0 -- 'cn=k*,ou=people' ad /j /x
run container-steps 0 -- 'cn=m*,tools,engineering,people' ad /j
run container-not-ou 0 -- 'cn=p*,staff container' ad /j
run container-missing 1 -- 'cn=x*,nowhere' ad
run nt-wildcard 0 -- 'SALES\k*' ad /j /s
run groups-by-wildcard 0 -- 'loop*' ad /o=group /j /s
run empty-group 0 -- 'Empty Group' ad /j
run primary-group 0 -- 'Domain Users' ad /j /s
# Server lists and controllers.
run server-named 0 -- 'dc1/alice' lld /j
run server-by-address 0 -- '127.0.0.11/alice' lld /j
run server-file 0 -- "@servers.txt/alice" lld /j
run server-missing 1 -- 'dc1,dc9/alice' lld /j
run single-member-server 1 -- 'ws01/alice' ad /j /$

finish
