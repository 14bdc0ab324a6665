#!/usr/bin/env bash
# Runs a printing scenario and checks what reached the printer.
#   print_scenario.sh SCENARIO WINDOWS_BUILD_DIR WORK_DIR ORDER
# ORDER names the printed pages in order ("1 1 2 2"): equal numbers must be equal pages, different
# numbers different ones, and page 1 must begin with the first usage line. ORDER "image" expects
# one page holding one image (the window image). Either way the scenario must print one job.
set -euo pipefail
scenario=$1 build=$2 work=$(cd "$3" && pwd) order=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh" "$work"
if [ -z "${CUPS_SERVER:-}" ]; then
  echo "no private CUPS server: printing not checked"
  exit 77
fi
out_ps="$work/cups/out/last.ps"
rm -f "$out_ps"
done_jobs() { lpstat -W completed -o PDF 2>/dev/null | wc -l; }
jobs_before=$(done_jobs)
"$here/run_scenario.sh" "$scenario" "$build" "$work"
for _ in $(seq 1 300); do
  [ -z "$(lpstat -o PDF 2>/dev/null)" ] && [ -s "$out_ps" ] && break
  sleep 0.2
done
[ -s "$out_ps" ] || { echo "FAIL: nothing was printed"; exit 1; }
jobs=$(($(done_jobs) - jobs_before))
[ "$jobs" = 1 ] || { echo "FAIL: $jobs print jobs, expected 1"; exit 1; }
pdf="$work/$scenario/printed.pdf"
ps2pdf "$out_ps" "$pdf"
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
pdftoppm -f 1 -l 1 -r 60 -png "$pdf" "$work/$scenario/page" || true

if [ "$order" = image ]; then
  images=$(pdfimages -list "$pdf" | tail -n +3 | wc -l)
  echo "pages $pages, images $images"
  [ "$pages" = 1 ] && [ "$images" = 1 ] || { echo "FAIL: expected one page with one image"; exit 1; }
  echo "PASS printed window image"
  exit 0
fi

read -r -a wanted <<<"$order"
echo "pages $pages, expected ${#wanted[@]}"
[ "$pages" = "${#wanted[@]}" ] || { echo "FAIL: page count"; exit 1; }
declare -A text_of
for ((p = 1; p <= pages; p++)); do
  text=$(pdftotext -f "$p" -l "$p" -layout "$pdf" - | sed '/^[[:space:]]*$/d')
  id=${wanted[$((p - 1))]}
  first=$(head -n 1 <<<"$text")
  echo "page $p (as $id): $first"
  if [ "$id" = 1 ] && [[ "$first" != "LORVEX - account restrictions"* ]]; then
    echo "FAIL: page 1 does not begin with the first line"; exit 1
  fi
  if [ -n "${text_of[$id]+set}" ]; then
    [ "${text_of[$id]}" = "$text" ] || { echo "FAIL: copies of page $id differ"; exit 1; }
  else
    for other in "${!text_of[@]}"; do
      [ "${text_of[$other]}" != "$text" ] || { echo "FAIL: pages $other and $id are the same"; exit 1; }
    done
    text_of[$id]=$text
  fi
done
echo "PASS printed pages in order $order"
