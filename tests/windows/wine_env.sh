# Sourced: the environment of Wine for the tests, and the prefix made once under the given folder.
#   . wine_env.sh WORK_DIR
export WINEPREFIX="$1/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Each Wine process needs its own view of the display; nothing but Xvfb is ever used.
unset WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/.lorvex-ready" ]; then
  rm -rf "$WINEPREFIX"
  xvfb-run -a wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.lorvex-ready"
fi
