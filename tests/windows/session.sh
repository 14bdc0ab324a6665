#!/usr/bin/env bash
# Starts or stops what the Windows tests run in: an Xvfb display, a private CUPS server with a
# printer that writes PostScript to a file, and a persistent wineserver.
#   session.sh start|stop WORK_DIR
set -euo pipefail
action=$1
work=$(mkdir -p "$2" && cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

if [ "$action" = stop ]; then
  [ ! -f "$work/display" ] || { . "$here/wine_env.sh" "$work" && wineserver -k 2>/dev/null || true; }
  for pid in "$work/cupsd.pid" "$work/xvfb.pid"; do [ ! -f "$pid" ] || kill "$(cat "$pid")" 2>/dev/null || true; done
  [ ! -f "$work/netns" ] || ip netns del "$(cat "$work/netns")" 2>/dev/null || true
  rm -f "$work/cupsd.pid" "$work/xvfb.pid" "$work/netns" "$work/display"
  exit 0
fi

"$0" stop "$work" && rm -f "$work/cups/socket"

# A private cupsd on a local socket, its files under the work folder; the printer writes a file.
if command -v cupsd >/dev/null && [ -f /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd ]; then
  cups="$work/cups"
  rm -rf "$cups"
  mkdir -p "$cups"/{etc,spool,tmp,state,cache,log,out}
  chgrp lp "$cups/tmp" "$cups/spool" 2>/dev/null || true
  chmod 1770 "$cups/tmp"
  chmod 0710 "$cups/spool"
  chmod 1777 "$cups/out"
  printf '%s\n' "Listen $cups/socket" "LogLevel warn" "WebInterface No" "<Location />" "Order allow,deny" \
    "Allow all" "</Location>" >"$cups/etc/cupsd.conf"
  printf '%s\n' "ServerRoot $cups/etc" "RequestRoot $cups/spool" "TempDir $cups/tmp" "StateDir $cups/state" \
    "CacheDir $cups/cache" "AccessLog $cups/log/access_log" "ErrorLog $cups/log/error_log" \
    "PageLog $cups/log/page_log" "FileDevice Yes" >"$cups/etc/cups-files.conf"
  setsid cupsd -f -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" </dev/null >/dev/null 2>&1 &
  echo $! >"$work/cupsd.pid"
  for _ in $(seq 1 100); do [ -S "$cups/socket" ] && break; sleep 0.1; done
  export CUPS_SERVER="$cups/socket"
  lpadmin -p PDF -E -v "file://$cups/out/last.ps" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
  lpadmin -d PDF
fi

# The display: the first free number from 90 on.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
echo $! >"$work/xvfb.pid"
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
echo ":$n" >"$work/display"

# Wine's own network namespace (see wine_env.sh), named after the work folder.
if [ "$(id -u)" = 0 ] && command -v ip >/dev/null; then
  ns=lorvex-wine-$(printf '%s' "$work" | md5sum | cut -c1-8)
  ip netns del "$ns" 2>/dev/null || true
  ip netns add "$ns"
  ip -n "$ns" link set lo up
  echo "$ns" >"$work/netns"
fi

. "$here/wine_env.sh" "$work"
# A wineserver that stays between the tests' programs saves each of them the start of Wine.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
in_wine_ns wineserver -p </dev/null >/dev/null 2>&1
in_wine_ns wine cmd /c exit >/dev/null 2>&1 || true
