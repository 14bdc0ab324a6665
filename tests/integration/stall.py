#!/usr/bin/env python3
"""stall.py [--merge] [--blocked] TRIGGER EVENT -- PROGRAM [ARGUMENTS...]

Runs PROGRAM with its output going into a pipe of one page, reads it up to a line holding TRIGGER,
then runs the shell command EVENT (the program's id in STALL_PID) while the program, with nobody
reading, can write at most one more page. Then the rest is read. Everything read is copied to
standard output; the exit code is the program's (128 + a signal's number), 125 without the trigger.
--merge sends standard error into the same pipe; --blocked waits, after the trigger, until the
program sleeps in a write to the pipe, so that the event finds it held between two lines.
"""
import fcntl
import os
import platform
import subprocess
import sys
import time

WRITE = {"x86_64": 1, "aarch64": 64}.get(platform.machine())  # the write system call's number


def blocked_in_write(pid):
    """Whether a thread of the process sleeps in a write to its standard output or error."""
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return False
    for task in tasks:
        try:
            state = open("/proc/%d/task/%s/stat" % (pid, task)).read().rsplit(")", 1)[1].split()[0]
            fields = open("/proc/%d/task/%s/syscall" % (pid, task)).read().split()
        except OSError:
            continue
        if state == "S" and len(fields) > 1 and fields[0] == str(WRITE) and int(fields[1], 16) in (1, 2):
            return True
    return False


def main(argv):
    options = set()
    while argv and argv[0] in ("--merge", "--blocked"):
        options.add(argv.pop(0))
    if len(argv) < 4 or argv[2] != "--":
        sys.exit(__doc__)
    trigger, event, command = argv[0].encode(), argv[1], argv[3:]
    read_end, write_end = os.pipe()
    fcntl.fcntl(write_end, 1031, 4096)  # F_SETPIPE_SZ: one page
    child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=write_end,
                             stderr=write_end if "--merge" in options else None)
    os.close(write_end)
    out, line, seen = sys.stdout.buffer, b"", False
    # One byte at a time up to the trigger, so that nothing after it is taken out of the pipe.
    while not seen:
        byte = os.read(read_end, 1)
        if not byte:
            break
        out.write(byte)
        line += byte
        if byte == b"\n":
            seen, line = trigger in line, b""
    if seen:
        out.flush()
        while "--blocked" in options and child.poll() is None and not blocked_in_write(child.pid):
            time.sleep(0.01)
        status = subprocess.call(["/bin/sh", "-c", event], env=dict(os.environ, STALL_PID=str(child.pid)))
        if status != 0:
            sys.stderr.write("stall: the event command failed with %d\n" % status)
    for chunk in iter(lambda: os.read(read_end, 65536), b""):
        out.write(chunk)
    out.flush()
    code = child.wait()
    if not seen:
        sys.stderr.write("stall: the trigger %r never came\n" % argv[0])
    return 125 if not seen else 128 - code if code < 0 else code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
