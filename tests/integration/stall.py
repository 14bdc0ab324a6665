#!/usr/bin/env python3
"""Runs a program with its standard output going into a pipe of one page, reads that output until
a line holding a trigger text has come, then runs an event command while the program is held back:
with nobody reading, it can write at most one more page before its next write blocks. Then the rest
of the output is read. Everything read is copied to standard output, and the exit code is the
program's (128 + the signal's number when a signal ended it).

    stall.py [--merge] [--full BYTES] TRIGGER EVENT -- PROGRAM [ARGUMENTS...]

--merge sends the program's standard error into the same pipe, so that errors hold it back too and
keep their place among the results. --full waits, after the trigger, until fewer than BYTES are free
in the pipe (or the program has ended), so that a program whose every line is at least that long is
held at its next line when the event comes. EVENT is a shell command; it finds the program's
process id in STALL_PID. When the trigger never comes, the event is not run and the exit code is 125.
"""
import fcntl
import os
import struct
import subprocess
import sys
import termios
import time

F_SETPIPE_SZ = 1031  # fcntl.F_SETPIPE_SZ, named here for Pythons that lack it
PAGE = 4096


def held(descriptor):
    """The bytes waiting in a pipe."""
    return struct.unpack("i", fcntl.ioctl(descriptor, termios.FIONREAD, b"\0\0\0\0"))[0]


def main(argv):
    merge = False
    full = 0
    while argv and argv[0] in ("--merge", "--full"):
        if argv[0] == "--merge":
            merge = True
            argv = argv[1:]
        else:
            full = int(argv[1])
            argv = argv[2:]
    if len(argv) < 4 or argv[2] != "--":
        sys.stderr.write(__doc__)
        return 2
    trigger, event, command = argv[0].encode(), argv[1], argv[3:]

    read_end, write_end = os.pipe()
    fcntl.fcntl(write_end, F_SETPIPE_SZ, PAGE)
    child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=write_end,
                             stderr=write_end if merge else None)
    os.close(write_end)

    out = sys.stdout.buffer
    line = b""
    seen = False
    # One byte at a time up to the trigger, so that nothing after it is taken out of the pipe.
    while not seen:
        byte = os.read(read_end, 1)
        if not byte:
            break
        out.write(byte)
        line += byte
        if byte == b"\n":
            seen = trigger in line
            line = b""
    if seen:
        out.flush()
        while full and child.poll() is None and PAGE - held(read_end) >= full:
            time.sleep(0.01)
        environment = dict(os.environ, STALL_PID=str(child.pid))
        status = subprocess.call(["/bin/sh", "-c", event], env=environment)
        if status != 0:
            sys.stderr.write("stall: the event command failed with %d\n" % status)
    while True:
        chunk = os.read(read_end, 65536)
        if not chunk:
            break
        out.write(chunk)
    out.flush()
    code = child.wait()
    if not seen:
        sys.stderr.write("stall: the trigger %r never came\n" % argv[0])
        return 125
    return 128 - code if code < 0 else code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
