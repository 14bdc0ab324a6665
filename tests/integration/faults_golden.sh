#!/usr/bin/env bash
# Golden runs of lorvex against authentication and connection faults in the test domain: accounts
# refused at the credential prompt, the running account's own ticket refused, a controller down or
# silent, TLS certificates not accepted. The prompt cases compare what the terminal shows.
#   faults_golden.sh PATH-TO-LORVEX [CASE...]
here=$(cd "$(dirname "$0")" && pwd)
golden=$here/faults_golden
. "$here/golden_lib.sh"

base=DC=sales,DC=corp,DC=test
vera_dn="CN=vera,OU=People,$base"

# Changes an account as the administrator: replace ATTRIBUTE with VALUE.
set_attribute() {
  printf 'dn: %s\nchangetype: modify\nreplace: %s\n%s: %s\n' "$1" "$2" "$2" "$3" |
    "$testdomain" exec env "$admin" ldapmodify -Q -Y GSSAPI -H ldap://dc1.sales.corp.test >/dev/null 2>&1
}

# vera is disabled and locked out for a while below; whatever happens, she is left as she was.
restore_vera() { set_attribute "$vera_dn" userAccountControl 512 && set_attribute "$vera_dn" lockoutTime 0; }
trap 'restore_vera; rm -rf "$work"' EXIT

# Three wrong passwords lock an account of the domain policy out for 15 minutes.
lock_out() {
  for _ in 1 2 3; do "$testdomain" exec ldapwhoami -x -H ldaps://dc1.sales.corp.test -D "$1@sales.corp.test" -w wrong >/dev/null 2>&1; done
}

# A credential cache of its own for an account, with a ticket-granting ticket only, as after a logon.
ticket() {
  echo 'Passw0rd!user' | "$testdomain" exec env KRB5CCNAME="FILE:$work/ccache-$1" kinit "${@:2}" "$1" >/dev/null 2>&1 ||
    fail "kinit $1"
}

# run_prompt NAME EXPECTED_EXIT USER PASSWORD [NAME=VALUE...] -- lorvex arguments: lorvex on a
# terminal without a credential cache (unless the settings name one), its prompt answered.
run_prompt() {
  local name=$1 want_rc=$2 user=$3 password=$4
  shift 4
  split_case "$@"
  selected "$name" || return
  run_case "$name" "$want_rc" "$nobody" "${case_envs[@]}" /usr/bin/python3 "$here/prompt_driver.py" \
    "$user" "$password" "$lorvex" "${case_args[@]}"
}

# Accounts the domain refuses at the prompt, each for its own reason: the reason line names it.
lock_out grace
run_cases "$golden/prompts.txt" run_prompt

# The running account's own ticket: expired, or still valid for an account since disabled or locked
# out. The domain refuses it; with output redirected the run ends, at a terminal the prompt offers
# another account.
if [ ${#only[@]} -eq 0 ] || [[ " ${only[*]} " =~ " own-ticket-" ]]; then
  ticket vera -l 1s
  # The ticket's one second of life is over after two; nothing else waits on the clock.
  sleep 2
  run own-ticket-expired 1 "KRB5CCNAME=FILE:$work/ccache-vera" -- alice ad
  ticket vera
  set_attribute "$vera_dn" userAccountControl 514
  run own-ticket-disabled 1 "KRB5CCNAME=FILE:$work/ccache-vera" -- alice ad
  run_prompt own-ticket-disabled-prompt 0 'SALES\walt' 'Passw0rd!user' "KRB5CCNAME=FILE:$work/ccache-vera" -- \
    bob ad /j
  # A service ticket for the directory obtained before the account was disabled is still taken by
  # the domain controller until it expires: that run goes on as vera.
  set_attribute "$vera_dn" userAccountControl 512
  ticket vera
  run own-ticket-first-run 0 "KRB5CCNAME=FILE:$work/ccache-vera" -- bob ad /j
  set_attribute "$vera_dn" userAccountControl 514
  run own-ticket-service-ticket-kept 0 "KRB5CCNAME=FILE:$work/ccache-vera" -- bob ad /j
  set_attribute "$vera_dn" userAccountControl 512
  ticket vera
  lock_out vera
  run own-ticket-locked-out 1 "KRB5CCNAME=FILE:$work/ccache-vera" -- alice ad
  restore_vera
fi

# Pieces of Kerberos missing on the client (no GSSAPI plugin where SASL_PATH points, no
# configuration where KRB5_CONFIG points): each is named, with what to install, without a prompt.
run sasl-gssapi-missing 1 "$alice" SASL_PATH=/nonexistent/sasl2 -- alice ad
run krb5-config-missing 1 "$alice" KRB5_CONFIG=/nonexistent/krb5.conf -- alice ad

# No controller listens at the configured address.
run dc-down 1 "$alice" LDAPURI=ldap://127.0.0.13 -- alice ad

# A server that refuses the security layer of the logon: over LDAPS lorvex leaves signing and
# sealing to TLS (a domain controller refuses both at once), and Samba wants them all the same.
# Typed credentials would not help, so there is no prompt: the server's own words are the reason.
run signing-refused 1 "$alice" LDAPURI=ldaps://dc1.sales.corp.test -- alice ad

# A server that takes the connection and never answers: the request's time limit (30 seconds)
# ends the run. The listener is started in the namespace and stopped after the case.
if selected silent-server; then
  "$testdomain" exec /usr/bin/python3 -c '
import os, socket
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.14", 389))
s.listen(8)
print("listening", os.getpid(), flush=True)
held = []
while True:
    held.append(s.accept()[0])
' >"$work/listener" 2>&1 &
  for _ in $(seq 1 50); do grep -q listening "$work/listener" && break || sleep 0.1; done
  run silent-server 1 "$alice" LDAPURI=ldap://127.0.0.14 -- alice ad
  kill "$(sed -n 's/^listening //p' "$work/listener")" && wait
fi

# TLS: where no KDC answers, typed credentials bind simply inside TLS, and a certificate the
# client does not accept is named as the reason.
printf '[libdefaults]\n\tdefault_realm = SALES.CORP.TEST\n\tdns_lookup_kdc = false\n\tdns_lookup_realm = false\n\trdns = false\n[realms]\n\tSALES.CORP.TEST = {\n\t\tkdc = 127.0.0.13\n\t}\n' \
  >"$work/krb5-no-kdc.conf"
no_kdc=KRB5_CONFIG=$work/krb5-no-kdc.conf
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/other.key" -out "$work/other-ca.pem" -days 30 \
  -subj "/CN=Another Authority" >/dev/null 2>&1 || fail "openssl req"
run_prompt tls-trusted 0 'kate@sales.corp.test' 'Passw0rd!user' "$no_kdc" -- bob ad /j
# The simple bind's refusal of an account names its state as the KDC's does ("data 533").
run_prompt tls-disabled 1 'bob@sales.corp.test' 'Passw0rd!user' "$no_kdc" -- bob ad /j
run_prompt tls-untrusted 1 'kate@sales.corp.test' 'Passw0rd!user' "$no_kdc" "LDAPTLS_CACERT=$work/other-ca.pem" -- \
  bob ad /j
run_prompt tls-name-mismatch 1 'kate@sales.corp.test' 'Passw0rd!user' "$no_kdc" LDAPURI=ldap://127.0.0.11 -- bob ad /j

finish
