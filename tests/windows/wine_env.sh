# Sourced: the environment of Wine for the tests, and the prefix made once under the given folder.
#   . wine_env.sh WORK_DIR
export WINEPREFIX="$1/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WAYLAND_DISPLAY
[ -f "$1/display" ] && export DISPLAY="$(cat "$1/display")"
[ -S "$1/cups/socket" ] && export CUPS_SERVER="$1/cups/socket"
if [ ! -f "$WINEPREFIX/.lorvex-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # A crashing program ends with its exit code instead of waiting in a dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  touch "$WINEPREFIX/.lorvex-ready"
fi
