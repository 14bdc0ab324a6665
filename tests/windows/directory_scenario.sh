#!/usr/bin/env bash
# Runs lorvex.exe under Wine against the test domain (scripts/testdomain.sh) and compares the text
# of its window with the output of the OpenLDAP build for the same command, run at the same time.
#   directory_scenario.sh LINUX_LORVEX WINDOWS_BUILD_DIR WORK_DIR [CASE...]
# Both run inside the test domain's network namespace (Xvfb's socket file is seen from every one);
# Wine's sockets are made by the wineserver, so the session's wineserver gives way to one started
# there, and comes back afterwards. What Wine 8.0's wldap32 allows (directory/ads/win32/ads_win32.cc,
# docs/windows.md): no bind with the running account's logon (lorvex.exe refuses it, and the driver
# answers the credential prompt that follows on a console of its own); typed credentials bind with
# Negotiate, signed and sealed (NTLM for "SALES\name"; a "name@realm" ticket would go to the
# credential cache, so it is a scratch copy); over LDAPS they bind simply; no name translation
# (DsBind); and the server's reason for a refusal only from a simple bind's result, so the refused
# logon compared is one over LDAPS.
set -uo pipefail
linux_lorvex=$1 build=$(cd "$2" && pwd) artifacts=$(mkdir -p "$3" && cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
# The test domain's checks, settings, case selection and verdicts of the golden scripts.
. "$here/../integration/golden_lib.sh" "$linux_lorvex" "${@:4}"
. "$here/wine_env.sh" "$artifacts"

# A wineserver run by the command given, with Wine's services started (holding no pipe of a test).
wineserver_in() {
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  "$@" wineserver -p </dev/null >/dev/null 2>&1
  "$@" wine cmd /c exit </dev/null >/dev/null 2>&1
}
trap 'wineserver_in in_wine_ns; rm -rf "$work"' EXIT
wineserver_in "$testdomain" exec

# The window has no blank line before its first one; a heading's minute may turn between the two
# runs, so that time (only: both builds must show the same dates) becomes DATE.
normalise_heading() {
  sed -E -e '/./,$!d' -e "s/$day_pattern$minute_pattern\$/DATE/"
}

# windows_run OUT USER PASSWORD [refused]: the case in hand (split_case) run by the Wine driver,
# answering the credential prompt; the window's text and the exit code go to OUT.
windows_run() {
  local out=$1 user=$2 password=$3 outcome=${4:-}
  rm -rf "$out" && mkdir -p "$out" && cp "$dir/ccache-alice" "$out/ccache"
  local arguments="" a
  for a in "${case_args[@]}"; do
    case "$a" in *" "*) arguments+=" \"$a\"" ;; *) arguments+=" $a" ;; esac
  done
  # UTC keeps local times the same on both sides.
  timeout 300 "$testdomain" exec env TZ=UTC KRB5CCNAME="FILE:$out/ccache" USERDNSDOMAIN=sales.corp.test \
    "${case_envs[@]}" wine "$build/lorvex_wine_driver.exe" directory-run "$(winepath -w "$build/lorvex.exe")" \
    "$(winepath -w "$out")" "$(winepath -w "$here/../golden/expected")" "${arguments# }" "$user" "$password" \
    $outcome 2>&1 | grep -v 'Read access denied for device'
  tr -d '\r' <"$out/window.txt" 2>/dev/null | normalise_heading >"$out/windows-normalised.txt"
}

# same_as_linux NAME OUT: the verdict on the normalised texts and exit codes of both builds.
same_as_linux() {
  local name=$1 out=$2 same=1
  diff -u "$out/linux-normalised.txt" "$out/windows-normalised.txt" >"$out/diff" || same=0
  cmp -s "$out/linux-exit.txt" "$out/exit.txt" || same=0
  [ -s "$out/linux-normalised.txt" ] || same=0
  verdict "$name" "$same" ": lorvex ${case_args[*]} (exit $(cat "$out/exit.txt" 2>/dev/null), the OpenLDAP build \
$(cat "$out/linux-exit.txt"))" "$out/diff"
}

# compare_run NAME [NAME=VALUE...] -- lorvex arguments (the settings apply to the Windows run)
compare_run() {
  local name=$1 out=$artifacts/directory-$1
  shift
  split_case "$@"
  selected "$name" || return
  # The Windows run comes first, so that the OpenLDAP build reads whatever its bind changed.
  windows_run "$out" 'SALES\alice' 'Passw0rd!user'
  "$testdomain" exec env TZ=UTC "$alice" "$linux_lorvex" "${case_args[@]}" >"$out/linux.txt" 2>&1 </dev/null
  echo $? >"$out/linux-exit.txt"
  normalise_heading <"$out/linux.txt" >"$out/linux-normalised.txt"
  same_as_linux "$name" "$out"
}

# compare_refusal NAME USER PASSWORD [NAME=VALUE...] -- lorvex arguments: a logon refused at the
# prompt, the report from its first line on against the OpenLDAP build's at a terminal. Both bind
# simply inside TLS (the Windows build over the settings' LDAPS, the other where no KDC answers).
compare_refusal() {
  local name=$1 user=$2 password=$3 out=$artifacts/directory-$1
  shift 3
  split_case "$@"
  selected "$name" || return
  windows_run "$out" "$user" "$password" refused
  # Wine words error 1326 (logon failure) its own way; Windows' text is the OpenLDAP build's.
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
# LDAPS where LDAPURI asks for it: the same members as the OpenLDAP build's over LDAP (its GSSAPI
# bind inside LDAPS is refused by Samba: "Sign or Seal are required").
compare_run group-over-ldaps LDAPURI=ldaps://dc1.sales.corp.test -- Staff ad /s
# A wrong password: the same reason lines, the server's "data 52e" among them (walt is never locked
# out).
compare_refusal wrong-password 'SALES\walt' wrong LDAPURI=ldaps://dc1.sales.corp.test -- bob ad /j

finish
