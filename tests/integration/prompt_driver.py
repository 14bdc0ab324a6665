"""prompt_driver.py USER PASSWORD COMMAND [ARGS...]: answers lorvex's credential prompt on a
pseudo-terminal as a user does (the name after "Username: ", the password after "Password for
...: " once echo is off) and prints what the terminal showed; the exit code is the command's. Each
answer waits for its prompt; everything ends after 90 s.
"""
import fcntl
import os
import pty
import select
import sys
import termios
import time

LIMIT = 90


def main():
    user, password, command = sys.argv[1], sys.argv[2], sys.argv[3:]
    master, slave = pty.openpty()
    pid = os.fork()
    if pid == 0:
        os.setsid()
        os.close(master)
        fcntl.ioctl(slave, termios.TIOCSCTTY, 0)
        for fd in (0, 1, 2):
            os.dup2(slave, fd)
        if slave > 2:
            os.close(slave)
        os.execvp(command[0], command)
    shown, answered_user, answered_password, status = b"", False, False, None
    deadline = time.monotonic() + LIMIT
    while status is None and time.monotonic() < deadline:
        ready, _, _ = select.select([master], [], [], 0.05)
        if ready:
            shown += os.read(master, 4096)
        if not answered_user and shown.endswith(b"Username: "):
            os.write(master, user.encode() + b"\r")
            answered_user = True
        elif answered_user and not answered_password:
            tail = shown.rsplit(b"\n", 1)[-1]
            echo_off = not termios.tcgetattr(slave)[3] & termios.ECHO
            # Typed while echo is off, the keys are never shown, even those read after echo is back.
            if tail.startswith(b"Password for ") and tail.endswith(b": ") and echo_off:
                os.write(master, password.encode() + b"\r")
                answered_password = True
        done, wait_status = os.waitpid(pid, os.WNOHANG)
        if done:
            status = wait_status
    if status is None:
        os.kill(pid, 9)
        _, status = os.waitpid(pid, 0)
        shown += b"\n[prompt driver: no end after %d s]\n" % LIMIT
    # What the program wrote before it ended is still waiting on the terminal.
    while select.select([master], [], [], 0)[0]:
        data = os.read(master, 4096)
        if not data:
            break
        shown += data
    os.close(master)
    sys.stdout.write(shown.replace(b"\r", b"").decode("utf-8", "replace"))
    sys.exit(os.waitstatus_to_exitcode(status))


main()
