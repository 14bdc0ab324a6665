#!/usr/bin/env bash
# Faults met while lorvex runs against the test domain (one controller): a group of 2,000 members,
# objects deleted during a run, log files that cannot be written, Ctrl+C, the controller stopped in
# the middle of a run. Each case checks the outputs and the exit code against those it builds. Runs
# that meet a fault at a chosen moment go through stall.py, so the program cannot get more than a
# page ahead of it. Deleted objects are made again; the stopped controller starts from its cache.
#   runtime_faults.sh PATH-TO-LORVEX [CASE...]
here=$(cd "$(dirname "$0")" && pwd)
golden=$here # no expected files: each case builds its own
. "$here/golden_lib.sh"
lorvex=$(realpath "$lorvex")
chmod 755 "$work"
base="DC=sales,DC=corp,DC=test"

# stalled [STALL-OPTIONS...] TRIGGER EVENT ARGUMENTS...: lorvex as alice through stall.py (no
# TRIGGER: directly); the raw output in $work/out and $work/err, the exit code in $rc.
stalled() {
  local options=()
  while [[ "$1" == --* ]]; do options+=("$1") && shift; done
  local through=(/usr/bin/python3 "$here/stall.py" "${options[@]}" "$1" "$2" --)
  [ -n "$1" ] || through=()
  shift 2
  # Pages of 250: an event after the first lines comes while most of a search is still to come.
  (cd "$work" && "$testdomain" exec env TZ=UTC "$alice" LORVEX_BATCH_OBJECTS=250 "${through[@]}" "$lorvex" "$@") \
    >"$work/out" 2>"$work/err" </dev/null
  rc=$?
}
lorvex() { stalled "" "" "$@"; }

# same NAME WANT GOT: the verdict on two files; check NAME WANT_RC WANT_OUT WANT_ERR: on the last run.
compare() { diff -u <(normalise <"$1") <(normalise <"$2" | sed "s#$work#WORK#g") >>"$work/diff"; }
same() {
  : >"$work/diff"
  compare "$2" "$3"
  verdict "$1" $((1 - $?)) "" "$work/diff"
}
check() {
  : >"$work/diff"
  local equal=1
  compare "$3" "$work/out" || equal=0
  compare "$4" "$work/err" || equal=0
  [ "$rc" -eq "$2" ] || equal=0
  verdict "$1" "$equal" " (exit $rc, expected $2)" "$work/diff"
}

# An LDAP tool as the administrator, and the shell text of one for stall.py's event.
admin_tool() { printf 'env KRB5CCNAME=FILE:%s/ccache-administrator %s -Q -Y GSSAPI -H ldap://dc1.sales.corp.test' "$dir" "$1"; }
ldap_admin() { "$testdomain" exec $(admin_tool "$1") "${@:2}"; }

# Workstations FIRST to LAST of the 2,000 in OU=Huge as lines of ad.
huge_lines() { seq -f 'CN=huge%04g,OU=Huge' "$1" "$2" | awk '{ printf "%-45sYes\n", $0 }'; }

# Makes a deleted workstation again, a member of Huge Group as before.
restore_huge() { # NUMBER
  local name
  name=$(printf huge%04d "$1")
  printf 'dn: CN=%s,OU=Huge,%s\nobjectClass: computer\nsAMAccountName: %s$\nuserAccountControl: 4098\n' \
    "$name" "$base" "$name" | ldap_admin ldapadd >/dev/null
  printf 'dn: CN=Huge Group,OU=Groups,%s\nchangetype: modify\nadd: member\nmember: CN=%s,OU=Huge,%s\n' \
    "$base" "$name" "$base" | ldap_admin ldapmodify >/dev/null
}

# A group of 2,000 members: read in ranges, each member shown once.
if selected huge-group; then
  lorvex "Huge Group" ad /s
  { printf '\nValues of "Account disabled" for members of group CN=Huge Group,OU=Groups at\n DATE\n\n'
    huge_lines 1 2000 && printf '\n2000 users\n'; } >"$work/want.out"
  check huge-group 0 "$work/want.out" /dev/null
fi

# An object deleted while a search runs, far ahead of where the run is: the others are shown and
# counted, without an error.
if selected vanish-search; then
  ldap_admin ldapsearch -LLL -E pr=20/noprompt -b "$base" '(&(objectCategory=computer)(CN=huge0*))' dn |
    sed -n 's/^dn: CN=\(huge[0-9]*\),.*/\1/p' >"$work/order"
  gone=$(tail -1 "$work/order")
  stalled 'OU=Huge' "$(admin_tool ldapdelete) 'CN=$gone,OU=Huge,$base'" 'huge0*' ad /o=computer
  { printf '\nValues of "Account disabled" for computer CN=huge0* at DATE\n\n'
    sed '$d' "$work/order" | awk '{ printf "%-45sYes\n", "CN=" $0 ",OU=Huge" }' && printf '\n998 computers\n'; } >"$work/want.out"
  check vanish-search 0 "$work/want.out" /dev/null
  restore_huge $((10#${gone#huge}))
fi

# Objects named by an input file deleted once the first result is out, in the third block of 250
# lines, which nothing has read then: each gives its message when its line comes.
if selected vanish-file; then
  { seq -f 'huge%04g' 1 699; echo 'CN=huge0700,OU=Huge'; echo huge0701; echo huge0702; } >"$work/vanish.txt"
  stalled huge0001 "$(admin_tool ldapdelete) 'CN=huge0700,OU=Huge,$base' 'CN=huge0701,OU=Huge,$base'" @vanish.txt ad
  { printf '\nAccount disabled for objects in file vanish.txt at DATE\n\n'
    huge_lines 1 699 && huge_lines 702 702 && printf '\n700 computers, 2 errors\n'; } >"$work/want.out"
  printf '%s\n' "LORVEX: Cannot verify CN=huge0700,OU=Huge,$base" 'Reason(s): There is no such object on the server' \
    'LORVEX: No objects named huge0701 were found' '' '700 computers, 2 errors' >"$work/want.err"
  check vanish-file 1 "$work/want.out" "$work/want.err"
  restore_huge 700
  restore_huge 701
fi

# A log in a directory the user (nobody) may not write in: the run stops before any query. A full
# disk (a device that refuses every write): the results still reach the console, the failure is
# reported once and counted, and the device node is left alone.
if selected log-files; then
  mkdir "$work/locked"
  cp "$dir/ccache-alice" "$work/ccache-nobody"
  chown nobody "$work/ccache-nobody"
  (cd "$work" && "$testdomain" exec setpriv --reuid=nobody --regid=nogroup --clear-groups env TZ=UTC \
    "KRB5CCNAME=FILE:$work/ccache-nobody" "$lorvex" alice ad '/l="locked/run.log"') >"$work/out" 2>"$work/err" </dev/null
  rc=$?
  printf 'Cannot open log file locked/run.log\nReason(s): Permission denied\n' >"$work/want.err"
  check log-unwritable-directory 1 /dev/null "$work/want.err"
  mknod "$work/full" c 1 7
  lorvex alice ad /l=full
  # The log's first line fails while the options are taken: its report comes between two blank lines.
  printf '\n\nValues of "Account disabled" for user CN=alice,OU=People at DATE\n\n%s\n\n1 user, 1 error\n' \
    'CN=alice,OU=People (Alice Archer)             No' >"$work/want.out"
  printf 'LORVEX: Cannot write to log file WORK/full\nReason(s): No space left on device\n\n1 user, 1 error\n' \
    >"$work/want.err"
  check log-full-disk 1 "$work/want.out" "$work/want.err"
  lorvex 'nobody' ad /e=full
  printf '\n' >"$work/want.out"
  printf '%s\n' 'LORVEX: No objects named nobody were found' 'LORVEX: Cannot write to error file WORK/full' \
    'Reason(s): No space left on device' >"$work/want.err"
  check error-file-full-disk 1 "$work/want.out" "$work/want.err"
  [ -c "$work/full" ] && verdict full-disk-device-kept 1 || fail "full-disk-device-kept: the device node is gone"
fi

# Ctrl+C during a sorted run: the records kept so far are sorted and shown, without totals, exit 1.
# The file names its workstations in falling order, with a name of nothing after the first ten,
# whose message is the trigger: so at least ten are kept, and the output is the workstations from
# some number up to 2000, rising; the append-mode log holds the same.
if selected ctrl-c; then
  { seq -f 'huge%04g' 2000 -1 1991; echo nobody; seq -f 'huge%04g' 1990 -1 1; } >"$work/ctrlc.txt"
  printf 'kept from an earlier run\n' >"$work/ctrlc.log"
  stalled --merge nobody 'kill -INT $STALL_PID' @ctrlc.txt ad /s=v /l=append,ctrlc.log
  kept=$(grep -c '^CN=huge' "$work/out")
  { printf '\nAccount disabled for objects in file ctrlc.txt at DATE\n\n'
    printf 'LORVEX: No objects named nobody were found\n' && huge_lines $((2001 - kept)) 2000; } >"$work/want.out"
  check ctrl-c 1 "$work/want.out" /dev/null
  [ "$kept" -ge 10 ] && [ "$kept" -lt 2000 ] && verdict ctrl-c-kept 1 ||
    fail "ctrl-c-kept: $kept records shown, expected at least the 10 before the stop and not all 2000"
  { echo 'kept from an earlier run' && cat "$work/want.out"; } >"$work/want.log"
  same ctrl-c-log "$work/want.log" "$work/ctrlc.log"
  # A second Ctrl+C ends the program at once, here while it waits to write a result: the log holds
  # what the console got (a line goes to the console first, so the one in hand may be there alone).
  stalled --merge --blocked OU=Huge 'kill -INT $STALL_PID
    while [ $(( 0x$(sed -n "s/^ShdPnd:\t*//p" /proc/$STALL_PID/status) & 2 )) -ne 0 ]; do sleep 0.01; done
    kill -INT $STALL_PID' 'huge0*' ad /o=computer /l=twice.log
  if [ "$rc" -eq 130 ] && grep -q '^CN=huge' "$work/out" &&
    { cmp -s "$work/out" "$work/twice.log" || cmp -s <(head -n -1 "$work/out") "$work/twice.log"; }; then
    verdict ctrl-c-twice 1
  else
    fail "ctrl-c-twice (exit $rc, expected 130): the log differs from the console or nothing was shown"
  fi
fi

# The only controller stops while a search runs: every object read after that reports it, the
# search ends with its own failure, and the totals count them all. Where the stop falls decides how
# many objects come first, so every line is checked for its form and the counts must agree.
if selected dc-down; then
  pid_file=$dir/dc1/run/samba.pid
  stalled --merge OU=Huge "kill -TERM \$(cat $pid_file); while kill -0 \$(cat $pid_file) 2>/dev/null; do sleep 0.1; done" \
    'huge0*' ad /o=computer /l=down.log /e=log,down.err
  "$testdomain" start >/dev/null 2>&1 || fail "starting the controller again"
  normalise <"$work/out" >"$work/dc-down.out"
  if /usr/bin/python3 - "$work/dc-down.out" "$rc" <<'PY'; then verdict dc-down 1; else fail dc-down; fi
import re, sys
lines = open(sys.argv[1]).read().split("\n")[:-1]
def expect(condition, what):
    if not condition:
        sys.exit("  %s; output:\n%s" % (what, "\n".join(lines[:12] + ["..."] + lines[-12:])))
expect(sys.argv[2] == "1" and lines[:3] == ["", 'Values of "Account disabled" for computer CN=huge0* at DATE', ""],
       "exit code %s, expected 1, or the heading" % sys.argv[2])
reason = ["Reason(s): The server is not operational", "           Can't contact LDAP server"]
at, results, names = 3, 0, []
while at < len(lines) and re.fullmatch(r"CN=huge0\d{3},OU=Huge {26}Yes", lines[at]):
    names.append(lines[at][3:11])
    at += 1
results = len(names)
# Objects are read a batch at a time: only those of a batch read after the stop report it.
while at < len(lines) and re.fullmatch(r"LORVEX: Cannot (connect to|get the attributes for) CN=huge0\d{3},OU=Huge", lines[at]):
    expect(lines[at + 1:at + 3] == reason, "the reason of line %d" % (at + 1))
    names.append(lines[at][-16:-8])
    at += 3
failed = len(names) - results
total = "%d computers, %d error%s" % (len(names), failed + 1, "s" if failed else "")
expect(results >= 1 and lines[at:] == ["LORVEX: Failed to complete the search for", " CN=%s,OU=Huge,DC=sales,DC=corp,DC=test" % names[-1]]
       + reason + ["", "", total, total], "the search's failure and the totals after line %d" % at)
expect(len(set(names)) == len(names), "a workstation shown twice")
PY
  # The log holds results and errors, the error file the errors; the console shows the blank line
  # and the totals on both of its streams, each file once.
  { head -n -3 "$work/out" && tail -n 1 "$work/out"; } >"$work/want.log"
  { sed -n '/^LORVEX: /,$p' "$work/out" | head -n -3 && tail -n 1 "$work/out"; } >"$work/want.err"
  cmp -s "$work/want.log" "$work/down.log" && cmp -s "$work/want.err" "$work/down.err" && verdict dc-down-files 1 ||
    fail dc-down-files
fi

finish
