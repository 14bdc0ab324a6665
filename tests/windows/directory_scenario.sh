#!/usr/bin/env bash
# Runs lorvex.exe under Wine against the test domain (scripts/testdomain.sh) and compares the text
# of its window with the output of the OpenLDAP build for the same command, run at the same time.
#   directory_scenario.sh LINUX_LORVEX WINDOWS_BUILD_DIR WORK_DIR [CASE...]
# Both run inside the test domain's network namespace with its Kerberos configuration; the
# window's X display is reached through Xvfb's socket file, which every namespace sees. Wine's
# sockets are made by the wineserver, so for these runs the session's wineserver gives way to
# one started inside the test domain's namespace, and comes back to its own afterwards.
#
# What Wine 8.0's wldap32 can and cannot do here (see directory/ads/win32/ads_win32.cc):
# - The running account's logon cannot be used: a Negotiate bind without credentials ends a
#   program inside Wine's wldap32 (its SASL callback reads the null credentials), and its SASL
#   layer needs a name and password for SSPI in any case. lorvex.exe refuses the logon itself,
#   so the credential prompt follows, which the Wine driver answers on a console of its own.
# - Typed credentials bind with Negotiate, signed and sealed (NTLM for "SALES\name"). Wine's
#   Kerberos would store a ticket got from "name@realm" in the default credential cache, so the
#   cache named here is a scratch copy.
# - LDAPS (LDAPURI=ldaps://...) works; Negotiate inside it is refused by the directory, since Wine
#   always signs and seals, and the typed credentials then bind simply, inside TLS.
# - Name translation (DsBind) is not implemented by Wine, so names that need it are not used.
# - LDAP_OPT_SERVER_ERROR is not supported: the server's reason for a refusal reaches lorvex.exe
#   from the result of a simple bind only, so the refused logon compared here is one over LDAPS.
# What has and has not run on Windows itself: docs/windows.md.
set -uo pipefail
linux_lorvex=$1
build=$(cd "$2" && pwd)
artifacts=$(mkdir -p "$3" && cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
# The test domain's checks, settings, case selection and verdicts of the golden scripts.
. "$here/../integration/golden_lib.sh" "$linux_lorvex" "${@:4}"
. "$here/wine_env.sh" "$artifacts"

wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
# Wine's services start with the first program; started here, they hold no pipe of a test open.
back_outside() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  in_wine_ns wineserver -p </dev/null >/dev/null 2>&1
  in_wine_ns wine cmd /c exit </dev/null >/dev/null 2>&1
}
trap 'back_outside; rm -rf "$work"' EXIT
"$testdomain" exec wineserver -p </dev/null >/dev/null 2>&1
"$testdomain" exec wine cmd /c exit </dev/null >/dev/null 2>&1

# The window takes no blank line before its first one, and a heading's time has no seconds: the
# minute may turn between the two runs. Only that time is made DATE, not every date as in the
# golden files: both builds must show the same dates.
normalise_heading() {
  sed -E -e '/./,$!d' -e "s/$day_pattern$minute_pattern\$/DATE/"
}

# windows_run OUT USER PASSWORD [refused]: the case in hand (split_case) run by the Wine driver,
# which answers the credential prompt with USER and PASSWORD (that the domain refuses, when told);
# the window's text and the exit code go to OUT.
windows_run() {
  local out=$1 user=$2 password=$3 outcome=${4:-}
  rm -rf "$out"
  mkdir -p "$out"
  cp "$dir/ccache-alice" "$out/ccache"
  local arguments=""
  local a
  for a in "${case_args[@]}"; do
    case "$a" in *" "*) arguments+=" \"$a\"" ;; *) arguments+=" $a" ;; esac
  done
  # UTC keeps local times the same on both sides.
  timeout 300 "$testdomain" exec env TZ=UTC KRB5CCNAME="FILE:$out/ccache" USERDNSDOMAIN=sales.corp.test \
    "${case_envs[@]}" wine "$build/lorvex_wine_driver.exe" directory-run "$(winepath -w "$build/lorvex.exe")" \
    "$(winepath -w "$out")" "${arguments# }" "$user" "$password" $outcome 2>&1 | grep -v 'Read access denied for device'
  tr -d '\r' <"$out/window.txt" 2>/dev/null | normalise_heading >"$out/windows-normalised.txt"
}

# same_as_linux NAME OUT: the verdict on the normalised texts and exit codes of both builds.
same_as_linux() {
  local name=$1 out=$2
  local same=1
  diff -u "$out/linux-normalised.txt" "$out/windows-normalised.txt" >"$out/diff" || same=0
  cmp -s "$out/linux-exit.txt" "$out/exit.txt" || same=0
  [ -s "$out/linux-normalised.txt" ] || same=0
  local exits="exit $(cat "$out/exit.txt" 2>/dev/null), the OpenLDAP build $(cat "$out/linux-exit.txt")"
  verdict "$name" "$same" ": lorvex ${case_args[*]} ($exits)" "$out/diff"
}

# compare_run NAME [NAME=VALUE...] -- lorvex arguments (the settings apply to the Windows run)
compare_run() {
  local name=$1
  shift
  split_case "$@"
  selected "$name" || return
  local out=$artifacts/directory-$name
  # The Windows run comes first, so that the OpenLDAP build reads whatever its bind changed.
  windows_run "$out" 'SALES\alice' 'Passw0rd!user'
  "$testdomain" exec env TZ=UTC "$alice" "$linux_lorvex" "${case_args[@]}" >"$out/linux.txt" 2>&1 </dev/null
  echo $? >"$out/linux-exit.txt"
  normalise_heading <"$out/linux.txt" >"$out/linux-normalised.txt"
  same_as_linux "$name" "$out"
}

# compare_refusal NAME USER PASSWORD [NAME=VALUE...] -- lorvex arguments
# A logon the domain refuses at the credential prompt: the report of the refusal (from its first
# line on) in the window, against what the OpenLDAP build shows at a terminal for the same answers.
# Both bind simply inside TLS, where the server gives its reason in the bind's result: the Windows
# build over the LDAPS of the settings, the OpenLDAP build where no KDC answers.
compare_refusal() {
  local name=$1 user=$2 password=$3
  shift 3
  split_case "$@"
  selected "$name" || return
  local out=$artifacts/directory-$name
  windows_run "$out" "$user" "$password" refused
  # Wine's message table words error 1326 (logon failure) its own way; Windows' own text is the
  # one the OpenLDAP build gives.
  sed -i -n -e 's/^Reason(s): Logon failure$/Reason(s): The user name or password is incorrect/' \
    -e '/^LORVEX: /,$p' "$out/windows-normalised.txt"
  printf '[libdefaults]\n\tdefault_realm = SALES.CORP.TEST\n\tdns_lookup_kdc = false\n\tdns_lookup_realm = false\n\trdns = false\n[realms]\n\tSALES.CORP.TEST = {\n\t\tkdc = 127.0.0.13\n\t}\n' \
    >"$work/krb5-no-kdc.conf"
  "$testdomain" exec env TZ=UTC "$nobody" KRB5_CONFIG="$work/krb5-no-kdc.conf" /usr/bin/python3 \
    "$here/../integration/prompt_driver.py" "$user" "$password" "$linux_lorvex" "${case_args[@]}" \
    >"$out/linux.txt" 2>&1 </dev/null
  echo $? >"$out/linux-exit.txt"
  sed -n '/^LORVEX: /,$p' "$out/linux.txt" >"$out/linux-normalised.txt"
  same_as_linux "$name" "$out"
}

compare_run alice-report -- alice
compare_run last-logon-wildcard -- 'a*' lld lt tod-90 /s=v
compare_run group -- Staff ad /s
# Batches of two, each object's descriptor read by the batch's search with the SD-flags control.
compare_run small-batches LORVEX_BATCH_OBJECTS=2 -- '*d*' puc
# LDAPS where LDAPURI asks for it, as the OpenLDAP build reads it: the same members as over LDAP.
# (The OpenLDAP build's own GSSAPI bind inside LDAPS is refused by Samba: "Sign or Seal are
# required"; so its output over plain LDAP is the one compared.)
compare_run group-over-ldaps LDAPURI=ldaps://dc1.sales.corp.test -- Staff ad /s
# A wrong password: the same reason lines, the server's own words ("data 52e") among them. (walt is
# never locked out, however often this runs.)
compare_refusal wrong-password 'SALES\walt' wrong LDAPURI=ldaps://dc1.sales.corp.test -- bob ad /j

finish
