# Sourced: the environment of Wine for the tests, and the prefix made once under the given folder.
#   . wine_env.sh WORK_DIR
export WINEPREFIX="$1/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WAYLAND_DISPLAY
[ -f "$1/display" ] && export DISPLAY="$(cat "$1/display")"
[ -S "$1/cups/socket" ] && export CUPS_SERVER="$1/cups/socket"
# Wine's sockets are made by its wineserver, which the session runs, with every Wine program, in a
# network namespace that has only loopback (made by session.sh as root), so that nothing a test runs
# reaches the network (Windows' domain controller locator asks DNS). in_wine_ns COMMAND runs there.
wine_ns=$(cat "$1/netns" 2>/dev/null || true)
in_wine_ns() { ${wine_ns:+ip netns exec "$wine_ns"} "$@"; }
if [ ! -f "$WINEPREFIX/.lorvex-ready" ]; then
  rm -rf "$WINEPREFIX"
  in_wine_ns wineboot -i >/dev/null 2>&1
  # A crashing program ends with its exit code instead of waiting in a dialog.
  in_wine_ns wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  touch "$WINEPREFIX/.lorvex-ready"
fi
