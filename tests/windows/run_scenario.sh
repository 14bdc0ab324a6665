#!/usr/bin/env bash
# Runs one scenario of the Wine test driver against lorvex.exe in the session of session.sh; files
# the scenario writes land in WORK_DIR/SCENARIO.
#   run_scenario.sh SCENARIO WINDOWS_BUILD_DIR WORK_DIR [ORDER]
# With ORDER the scenario prints one job, whose pages must come in that order ("1 1 2 2": equal
# numbers equal pages, page 1 the one that begins the text), or ("image") be one page of one image.
set -euo pipefail
scenario=$1 build=$(cd "$2" && pwd) work=$(cd "$3" && pwd) order=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh" "$work"
out="$work/$scenario"
rm -rf "$out" && mkdir -p "$out"
if [ -n "$order" ]; then
  [ -n "${CUPS_SERVER:-}" ] || { echo "no private CUPS server: printing not checked"; exit 77; }
  rm -f "$work/cups/out/last.ps"
  jobs_before=$(lpstat -W completed -o PDF 2>/dev/null | wc -l)
fi
status=0
timeout 300 ${wine_ns:+ip netns exec "$wine_ns"} wine "$build/lorvex_wine_driver.exe" "$scenario" \
  "$(winepath -w "$build/lorvex.exe")" "$(winepath -w "$out")" "$(winepath -w "$here/../golden/expected")" 2>&1 |
  grep -v 'Read access denied for device' || status=${PIPESTATUS[0]}
[ -n "$order" ] && [ "$status" = 0 ] || exit "$status"

# The job is done once the queue is empty and the printer's file written.
for _ in $(seq 1 300); do [ -n "$(lpstat -o PDF 2>/dev/null)" ] || [ ! -s "$work/cups/out/last.ps" ] || break; sleep 0.2; done
[ -s "$work/cups/out/last.ps" ] || { echo "FAIL: nothing was printed"; exit 1; }
jobs=$(($(lpstat -W completed -o PDF 2>/dev/null | wc -l) - jobs_before))
[ "$jobs" = 1 ] || { echo "FAIL: $jobs print jobs, expected 1"; exit 1; }
pdf="$out/printed.pdf"
ps2pdf "$work/cups/out/last.ps" "$pdf"
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
if [ "$order" = image ]; then
  got=" $pages page, $(pdfimages -list "$pdf" | tail -n +3 | wc -l) image" order="1 page, 1 image"
else
  # Pages are numbered as they first appear, from 2 when the first is not the text's beginning.
  declare -A number_of
  got="" next=1
  for ((p = 1; p <= pages; p++)); do
    text=x$(pdftotext -f "$p" -l "$p" -layout "$pdf" - | sed '/^[[:space:]]*$/d')
    [ "$p" != 1 ] || [[ "$text" == "xLORVEX - account restrictions"* ]] || next=2
    [ -n "${number_of[$text]-}" ] || number_of[$text]=$((next++))
    got+=" ${number_of[$text]}"
  done
fi
echo "printed:$got"
[ "${got# }" = "$order" ] || { echo "FAIL: expected $order"; exit 1; }
