#!/usr/bin/env bash
# From a fresh Debian 12 machine to a first lorvex run: installs the packages, builds, starts
# the demo domain (a Samba AD DC in its own network namespace, see scripts/testdomain.sh) and
# runs lorvex there as alice, a user of the domain with a Kerberos ticket.
#   ./scripts/demo.sh [lorvex arguments...]      default: the full report of alice
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target lorvex
./scripts/testdomain.sh start
[ $# -gt 0 ] || set -- alice
echo "+ lorvex $*" >&2
exec ./scripts/testdomain.sh exec ./build/lorvex "$@"
