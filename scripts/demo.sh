#!/usr/bin/env bash
# From a fresh Debian 12 machine to first lorvex runs: installs the packages, builds, starts
# the demo domain (a Samba AD DC in its own network namespace, see scripts/testdomain.sh) and
# runs lorvex there as alice, a user of the domain with a Kerberos ticket.
#   ./scripts/demo.sh                        alice's own report, a wildcard search by last
#                                            logon date, and a group
#   ./scripts/demo.sh LORVEX-ARGUMENTS...    that one command
#   ./scripts/demo-stop.sh                   stops the demo domain
# LORVEX_BUILD_DIR chooses the build tree (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LORVEX_BUILD_DIR:-build}
./scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target lorvex
./scripts/testdomain.sh start

lorvex() {
  printf '\n+ lorvex %s\n' "$*" >&2
  ./scripts/testdomain.sh exec "./$build/lorvex" "$@"
}

if [ $# -gt 0 ]; then
  lorvex "$@"
  exit
fi
status=0
lorvex . || status=1                       # the running account's own full report
lorvex '*' lld lt tod-90 /s || status=1    # everyone who has not logged on in the last 90 days
lorvex Staff ad /g /s || status=1          # a group's members, nested groups included
cat <<'EOT'

More commands run the same way, inside the demo domain as alice, for example:
    ./scripts/demo.sh "Big Group" ad
    ./scripts/demo.sh 'c*' pne
    ./scripts/demo.sh heidi all
    ./scripts/demo.sh /?                   (every option)
Stop the demo domain with:
    ./scripts/demo-stop.sh
EOT
exit $status
