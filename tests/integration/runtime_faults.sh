#!/usr/bin/env bash
# Faults met while lorvex runs against the test domain (scripts/testdomain.sh, one controller):
# a group of 2,000 members, an input file of 10,000 lines with bad lines mixed in, objects deleted
# while a run is under way, log and error files that cannot be written, Ctrl+C during a sorted run,
# and the only domain controller stopped in the middle of a run. Each case checks the standard
# output, the standard error and the exit code exactly; where the moment of a fault decides how
# many objects come before it, every line is still checked and the counts must agree. Runs that
# meet a fault at a chosen moment go through stall.py: their output passes through a pipe of one
# page that is not read after the trigger line, so the program cannot get more than a page ahead
# of the fault.
#   runtime_faults.sh PATH-TO-LORVEX [CASE...]
#
# The cases change the domain: the objects they delete are made again, and the last case stops the
# controller and starts it again from the domain's cached state.
here=$(cd "$(dirname "$0")" && pwd)
golden=$here # no expected files: each case writes its own
. "$here/golden_lib.sh"
lorvex=$(realpath "$lorvex")
chmod 755 "$work"
base="DC=sales,DC=corp,DC=test"

# lorvex ARGUMENTS...: runs lorvex as alice, in UTC, in the work directory; the raw output is in
# $work/out and $work/err, the exit code in $rc. stalled [STALL-OPTIONS...] TRIGGER EVENT
# ARGUMENTS...: the same through stall.py.
lorvex() { stalled "" "" "$@"; }
stalled() {
  local options=()
  while [[ "$1" == --* ]]; do
    options+=("$1")
    shift
  done
  local through=(/usr/bin/python3 "$here/stall.py" "${options[@]}" "$1" "$2" --)
  [ -n "$1" ] || through=()
  shift 2
  (cd "$work" && "$testdomain" exec env TZ=UTC "$alice" "${through[@]}" "$lorvex" "$@") \
    >"$work/out" 2>"$work/err" </dev/null
  rc=$?
}

# compare WANT GOT: adds the differences of the two files, normalised, to $work/diff; fails when
# they differ. same NAME WANT GOT: the verdict on two files. check NAME WANT_RC WANT_OUT WANT_ERR:
# the verdict on the last run's exit code and outputs.
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

# As the administrator, inside the namespace.
ldap_admin() { # TOOL ARGUMENTS...
  local tool=$1
  shift
  "$testdomain" exec env "KRB5CCNAME=FILE:$dir/ccache-administrator" "$tool" -Q -Y GSSAPI \
    -H ldap://dc1.sales.corp.test "$@"
}
admin_event() { # the shell text of an ldap_admin call, for stall.py's event
  printf 'env KRB5CCNAME=FILE:%s/ccache-administrator %s -Q -Y GSSAPI -H ldap://dc1.sales.corp.test' "$dir" "$1"
}

# Workstations FIRST to LAST of the 2,000 in OU=Huge as lines of ad: name column of 45, then the value.
huge_lines() { seq -f 'CN=huge%04g,OU=Huge' "$1" "$2" | awk '{ printf "%-45sYes\n", $0 }'; }

# Makes a deleted workstation again, a member of Huge Group as before.
restore_huge() { # NUMBER
  local name
  name=$(printf huge%04d "$1")
  ldap_admin ldapadd >/dev/null <<EOF
dn: CN=$name,OU=Huge,$base
objectClass: computer
sAMAccountName: $name\$
userAccountControl: 4098
EOF
  ldap_admin ldapmodify >/dev/null <<EOF
dn: CN=Huge Group,OU=Groups,$base
changetype: modify
add: member
member: CN=$name,OU=Huge,$base
EOF
}

# --- A group of 2,000 members: read in ranges, each member shown once.
if selected huge-group; then
  lorvex "Huge Group" ad /s
  {
    printf '\nValues of "Account disabled" for members of group CN=Huge Group,OU=Groups at\n DATE\n\n'
    huge_lines 1 2000
    printf '\n2000 users\n'
  } >"$work/want.out"
  check huge-group 0 "$work/want.out" /dev/null
fi

# --- An input file of 10,000 lines: 2,000 workstations in four name forms (one with a tail that
# makes the line too long, one ending in a carriage return), with blank lines, blanks and tabs,
# comments, names of nothing, a name too long to exist, a contact, an organizational unit and a GUID
# that names nothing mixed in. Every good line gives its object, every bad one its message, in file
# order; the log (with /l alone) holds both, in the order they came.
if selected long-file; then
  /usr/bin/python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
lines, out, err, log = [], [], [], []
def result(n):
    text = "%-45sYes" % ("CN=huge%04d,OU=Huge" % n)
    out.append(text)
    log.append(text)
def error(*texts):
    err.extend(texts)
    log.extend(texts)
tail = " " + "y" * 400
for i in range(1, 2001):
    name = "huge%04d" % i
    form = i % 4
    if form == 0:
        lines.append("CN=%s,OU=Huge" % name)
    elif form == 1:
        lines.append(name + ("\r" if i % 8 == 5 else ""))
    elif form == 2:
        lines.append("\t SALES\\%s$" % name)
    else:
        lines.append(name + tail)
    result(i)
    for j in range(4):
        n = 4 * (i - 1) + j
        if n % 80 == 0:
            lines.append("nobody%04d" % i)
            error("LORVEX: No objects named nobody%04d were found" % i)
        elif n % 80 == 20:
            lines.append("x" * 400)
            error("LORVEX: No objects named", " " + "x" * 299, " were found")
        elif n % 80 == 40:
            lines.append('"Carl Contact" is a contact')
            error("LORVEX: CN=Carl Contact is not a user, computer, inetOrgPerson or group (it is",
                  " a contact)")
        elif n % 80 == 60:
            lines.append("OU=People")
            error("LORVEX: OU=People is not a user, computer, inetOrgPerson or group (it is an",
                  " organizationalUnit)")
        elif n % 80 == 70:
            lines.append("{00000000-0000-0000-0000-%012d}" % i)
            error("LORVEX: Cannot verify {00000000-0000-0000-0000-%012d}" % i,
                  "Reason(s): There is no such object on the server")
        else:
            lines.append(["", " \t ", "; a comment line"][n % 3])
assert len(lines) == 10000
errors = sum(1 for line in err if line.startswith("LORVEX: "))
totals = "2000 computers, %d errors" % errors
heading = ["", "Account disabled for objects in file long.txt at DATE", ""]
open(work + "/long.txt", "w").write("\n".join(lines) + "\n")
open(work + "/want.out", "w").write("\n".join(heading + out + ["", totals]) + "\n")
open(work + "/want.err", "w").write("\n".join(err + ["", totals]) + "\n")
open(work + "/want.log", "w").write("\n".join(heading + log + ["", totals]) + "\n")
PY
  lorvex @long.txt ad /l=long.log
  check long-file 1 "$work/want.out" "$work/want.err"
  same long-file-log "$work/want.log" "$work/long.log"
fi

# --- An object deleted while a search runs: the last workstation of huge0* in search order goes
# once the first result is out, far ahead of where the run is. The search no longer finds it: the
# others are shown in search order and counted, without an error.
if selected vanish-search; then
  ldap_admin ldapsearch -LLL -E pr=20/noprompt -b "$base" '(&(objectCategory=computer)(CN=huge0*))' dn |
    sed -n 's/^dn: CN=\(huge[0-9]*\),.*/\1/p' >"$work/order"
  gone=$(tail -1 "$work/order")
  stalled 'OU=Huge' "$(admin_event ldapdelete) 'CN=$gone,OU=Huge,$base'" 'huge0*' ad /o=computer
  {
    printf '\nValues of "Account disabled" for computer CN=huge0* at DATE\n\n'
    sed '$d' "$work/order" | awk '{ printf "%-45sYes\n", "CN=" $0 ",OU=Huge" }'
    printf '\n998 computers\n'
  } >"$work/want.out"
  check vanish-search 0 "$work/want.out" /dev/null
  restore_huge $((10#${gone#huge}))
fi

# --- Objects named by an input file deleted once the first result is out, far ahead of where the
# run is: each gives its message when its line comes, and the lines after it are read as usual.
if selected vanish-file; then
  # Lines are resolved and read a block of 250 at a time, and the next block is read while one is
  # printed: the two deleted names lie in the third block, which nothing has read at the stall.
  { seq -f 'huge%04g' 1 699; echo 'CN=huge0700,OU=Huge'; echo huge0701; echo huge0702; } >"$work/vanish.txt"
  stalled huge0001 "$(admin_event ldapdelete) 'CN=huge0700,OU=Huge,$base' 'CN=huge0701,OU=Huge,$base'" \
    @vanish.txt ad
  {
    printf '\nAccount disabled for objects in file vanish.txt at DATE\n\n'
    huge_lines 1 699
    huge_lines 702 702
    printf '\n700 computers, 2 errors\n'
  } >"$work/want.out"
  cat >"$work/want.err" <<EOF
LORVEX: Cannot verify CN=huge0700,OU=Huge,$base
Reason(s): There is no such object on the server
LORVEX: No objects named huge0701 were found

700 computers, 2 errors
EOF
  check vanish-file 1 "$work/want.out" "$work/want.err"
  restore_huge 700
  restore_huge 701
fi

# --- Log and error files that cannot be written. A directory the user may not write in (the runs
# are made as nobody, since root may write anywhere): the run stops before any query, with the reason.
# A full disk (a node of the device that refuses every write with "no space"): the results still reach
# the console, the failure is reported once and counted, and the device node is left alone.
if selected log-files; then
  mkdir "$work/locked"
  cp "$dir/ccache-alice" "$work/ccache-nobody"
  chown nobody "$work/ccache-nobody"
  as_nobody() {
    (cd "$work" && "$testdomain" exec setpriv --reuid=nobody --regid=nogroup --clear-groups env TZ=UTC \
      "KRB5CCNAME=FILE:$work/ccache-nobody" "$lorvex" "$@") >"$work/out" 2>"$work/err" </dev/null
    rc=$?
  }
  as_nobody alice ad '/l="locked/run.log"'
  printf 'Cannot open log file locked/run.log\nReason(s): Permission denied\n' >"$work/want.err"
  check log-unwritable-directory 1 /dev/null "$work/want.err"
  as_nobody alice ad '/e="locked/run.err"'
  printf 'Cannot open error file locked/run.err\nReason(s): Permission denied\n' >"$work/want.err"
  check error-file-unwritable-directory 1 /dev/null "$work/want.err"

  mknod "$work/full" c 1 7
  alice_ad() {
    printf '\nValues of "Account disabled" for user CN=alice,OU=People at DATE\n\n'
    printf 'CN=alice,OU=People (Alice Archer)             No\n\n%s\n' "$1"
  }
  lorvex alice ad /l=full
  # The log's first line fails while the options are taken: its report comes between two blank lines.
  { echo; alice_ad '1 user, 1 error'; } >"$work/want.out"
  printf 'LORVEX: Cannot write to log file WORK/full\nReason(s): No space left on device\n\n1 user, 1 error\n' \
    >"$work/want.err"
  check log-full-disk 1 "$work/want.out" "$work/want.err"
  lorvex 'nobody' ad /e=full
  printf '\n' >"$work/want.out"
  printf 'LORVEX: No objects named nobody were found\nLORVEX: Cannot write to error file WORK/full\n%s\n' \
    'Reason(s): No space left on device' >"$work/want.err"
  check error-file-full-disk 1 "$work/want.out" "$work/want.err"
  if [ -c "$work/full" ]; then verdict full-disk-device-kept 1; else fail "full-disk-device-kept: the device node is gone"; fi

  # An append-mode log keeps what earlier runs wrote, whatever a later run does: a run that fails on
  # its entity, one refused for a bad option, one refused for an ambiguous keyword.
  lorvex alice ad /l=append,kept.log
  alice_ad '1 user' >"$work/want.log"
  lorvex nobody ad /l=append,kept.log
  printf '\nLORVEX: No objects named nobody were found\n' >>"$work/want.log"
  lorvex alice ad /l=append,kept.log /o=printer
  printf '\nLORVEX: An object class must be user, computer, inetOrgPerson, person or group\n' >>"$work/want.log"
  lorvex alice ad '/l=append,n,kept.log'
  same append-kept "$work/want.log" "$work/kept.log"
fi

# --- Ctrl+C during a sorted run (/s=v): the run stops at the next object, the records kept so far
# are sorted and shown, no totals follow, and the exit code is 1. The file names its workstations in
# falling order, with a name of nothing after the first ten: its message comes at once (the results
# wait for the sort), and Ctrl+C follows it. So at least those ten are kept, and the sorted output
# is the workstations from some number up to 2000, rising; the append-mode log holds the same.
if selected ctrl-c; then
  { seq -f 'huge%04g' 2000 -1 1991; echo nobody; seq -f 'huge%04g' 1990 -1 1; } >"$work/ctrlc.txt"
  printf 'kept from an earlier run\n' >"$work/ctrlc.log"
  stalled --merge nobody 'kill -INT $STALL_PID' @ctrlc.txt ad /s=v /l=append,ctrlc.log
  kept=$(grep -c '^CN=huge' "$work/out")
  {
    printf '\nAccount disabled for objects in file ctrlc.txt at DATE\n\n'
    printf 'LORVEX: No objects named nobody were found\n'
    huge_lines $((2001 - kept)) 2000
  } >"$work/want.out"
  check ctrl-c 1 "$work/want.out" /dev/null
  if [ "$kept" -ge 10 ] && [ "$kept" -lt 2000 ]; then verdict ctrl-c-kept 1; else
    fail "ctrl-c-kept: $kept records shown, expected at least the 10 before the stop and not all 2000"
  fi
  { echo 'kept from an earlier run'; cat "$work/want.out"; } >"$work/want.log"
  same ctrl-c-log "$work/want.log" "$work/ctrlc.log"

  # A second Ctrl+C ends the program at once, here while it waits to write a result: the log holds
  # what the console got (a line is written to the console first, so the one in hand when the
  # program ends may have reached the console alone).
  stalled --merge --blocked OU=Huge 'kill -INT $STALL_PID
    while [ $(( 0x$(sed -n "s/^ShdPnd:\t*//p" /proc/$STALL_PID/status) & 2 )) -ne 0 ]; do sleep 0.01; done
    kill -INT $STALL_PID' 'huge0*' ad /o=computer /l=twice.log
  if [ "$rc" -eq 130 ] && grep -q '^CN=huge' "$work/out" &&
    { cmp -s "$work/out" "$work/twice.log" || cmp -s <(head -n -1 "$work/out") "$work/twice.log"; }; then
    verdict ctrl-c-twice 1
  else
    fail "ctrl-c-twice (exit $rc, expected 130): the log differs from the console or nothing was shown"
    diff "$work/out" "$work/twice.log" | head -10
  fi
fi

# --- The only domain controller stops while a search runs: every object read after that reports
# that the server is not operational, the search itself ends with its own failure, and the totals count
# all of them. Where the stop falls decides how many objects come before it, so every line is
# checked for its form, each workstation must come once, and the counts must agree. The log and the
# error file hold everything the console got. The controller is started again from the domain's
# cached state.
if selected dc-down; then
  pid_file=$dir/dc1/run/samba.pid
  stalled --merge OU=Huge "kill -TERM \$(cat $pid_file); while kill -0 \$(cat $pid_file) 2>/dev/null; do sleep 0.1; done" \
    'huge0*' ad /o=computer /l=down.log /e=log,down.err
  "$testdomain" start >/dev/null 2>&1 || fail "starting the controller again"
  normalise <"$work/out" >"$work/dc-down.out"
  if /usr/bin/python3 - "$work/dc-down.out" "$rc" <<'PY'; then verdict dc-down 1; else fail dc-down; fi
import re, sys
lines = open(sys.argv[1]).read().split("\n")
assert lines.pop() == ""
def expect(condition, what):
    if not condition:
        print("  %s; output:\n%s" % (what, "\n".join(lines[:12] + ["..."] + lines[-12:])))
        sys.exit(1)
expect(sys.argv[2] == "1", "exit code %s, expected 1" % sys.argv[2])
expect(lines[:3] == ["", 'Values of "Account disabled" for computer CN=huge0* at DATE', ""], "heading")
reason = ["Reason(s): The server is not operational", "           Can't contact LDAP server"]
at, results, failed, names = 3, 0, 0, []
while at < len(lines) and re.fullmatch(r"CN=huge0\d{3},OU=Huge {26}Yes", lines[at]):
    names.append(lines[at][3:11])
    results += 1
    at += 1
while at < len(lines):
    found = re.fullmatch(r"LORVEX: Cannot (connect to|get the attributes for) CN=(huge0\d{3}),OU=Huge", lines[at])
    if not found:
        break
    expect(lines[at + 1:at + 3] == reason, "the reason of line %d" % (at + 1))
    names.append(found.group(2))
    failed += 1
    at += 3
# Objects are read a batch at a time: those of a batch read before the stop are all shown, and only
# the objects of a batch read after it report the failure, so there may be none of those.
expect(results >= 1, "%d results before the stop and %d failures after it" % (results, failed))
last = "CN=%s,OU=Huge,DC=sales,DC=corp,DC=test" % names[-1]
total = "%d computers, %d error%s" % (results + failed, failed + 1, "s" if failed else "")
expect(lines[at:] == ["LORVEX: Failed to complete the search for", " " + last] + reason + ["", "", total, total],
       "the search's failure and the totals after line %d" % at)
expect(len(set(names)) == len(names), "a workstation shown twice")
PY
  # The log holds results and errors, the error file the errors, each in the order the console got
  # them; the console shows the blank line and the totals on both of its streams, each file once.
  { head -n -3 "$work/out" && tail -n 1 "$work/out"; } >"$work/want.log"
  { sed -n '/^LORVEX: /,$p' "$work/out" | head -n -3 && tail -n 1 "$work/out"; } >"$work/want.err"
  if cmp -s "$work/want.log" "$work/down.log" && cmp -s "$work/want.err" "$work/down.err"; then
    verdict dc-down-files 1
  else
    fail dc-down-files
    diff "$work/want.log" "$work/down.log" | head -10
    diff "$work/want.err" "$work/down.err" | head -10
  fi
fi

finish
