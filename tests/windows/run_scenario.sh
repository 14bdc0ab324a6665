#!/usr/bin/env bash
# Runs one scenario of the Wine test driver against lorvex.exe in the session of session.sh.
#   run_scenario.sh SCENARIO WINDOWS_BUILD_DIR WORK_DIR
# Files the scenario writes land in WORK_DIR/SCENARIO.
set -euo pipefail
scenario=$1
build=$(cd "$2" && pwd)
work=$(cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

. "$here/wine_env.sh" "$work"
out="$work/$scenario"
rm -rf "$out"
mkdir -p "$out"

status=0
wine_run=()
[ -n "$wine_ns" ] && wine_run=(ip netns exec "$wine_ns")
timeout 300 "${wine_run[@]}" wine "$build/lorvex_wine_driver.exe" "$scenario" "$(winepath -w "$build/lorvex.exe")" \
  "$(winepath -w "$out")" 2>&1 | grep -v 'Read access denied for device' || status=${PIPESTATUS[0]}
exit "$status"
