#!/usr/bin/env bash
# Stops the demo domain that scripts/demo.sh started (its DC, by PID, and its network namespace).
set -euo pipefail
cd "$(dirname "$0")/.."
exec ./scripts/testdomain.sh stop
