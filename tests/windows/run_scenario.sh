#!/usr/bin/env bash
# Runs one scenario of the Wine test driver against lorvex.exe under Xvfb.
#   run_scenario.sh SCENARIO WINDOWS_BUILD_DIR WORK_DIR
# The Wine prefix is made once under WORK_DIR/prefix and reused. Screenshots the driver takes
# land in WORK_DIR/SCENARIO as PNG files.
set -euo pipefail
scenario=$1
build=$(cd "$2" && pwd)
work=$(mkdir -p "$3" && cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

. "$here/wine_env.sh" "$work"
out="$work/$scenario"
rm -rf "$out"
mkdir -p "$out"

status=0
xvfb-run -a -s "-screen 0 1024x768x24" \
  timeout 120 wine "$build/lorvex_wine_driver.exe" "$scenario" "$(winepath -w "$build/lorvex.exe")" \
  "$(winepath -w "$out")" || status=$?
wineserver -w || true
for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  if command -v convert >/dev/null; then convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; fi
done
exit $status
