# The progress line of the test build of lorvex (tests/fakebin) seen on a terminal: standard error
# on a pseudo-terminal while standard output goes to a file shows the count of objects examined,
# overwritten in place, cleared before an error line and at the end; with standard error not a
# terminal, or standard output a terminal too, there is none. The test build's progress clock is
# stopped, so the line moves every 100 objects and the bytes are exact.
#   progress_tty.py PATH-TO-LORVEX_FAKEBIN
import os
import pty
import subprocess
import sys
import tempfile

ERROR = "LORVEX: No objects named nosuchuser were found"
ERASE = "\r" + " " * len("100 objects examined") + "\r"


def read_all(fd):
    data = b""
    while True:
        try:
            chunk = os.read(fd, 65536)
        except OSError:  # the terminal's other end has closed
            return data
        if not chunk:
            return data
        data += chunk


def run(work, stdout_tty, stderr_tty):
    """Runs `lorvex @names ad`; returns the exit code, standard output, standard error and
    what reached the terminal, as text."""
    env = dict(os.environ, LC_ALL="C.UTF-8", TZ="UTC", LORVEX_TEST_NOW="2026-06-15T12:00:00",
               LORVEX_TEST_OFFSET_HALF_HOURS="0")
    env.pop("ZEMUTILS", None)
    master, slave = pty.openpty()
    out_path = os.path.join(work, "out")
    err_path = os.path.join(work, "err")
    with open(out_path, "wb") as out_file, open(err_path, "wb") as err_file:
        child = subprocess.Popen([os.path.join(work, "lorvex"), "@names", "ad"], cwd=work, env=env,
                                 stdin=subprocess.DEVNULL, stdout=slave if stdout_tty else out_file,
                                 stderr=slave if stderr_tty else err_file)
        os.close(slave)
        on_tty = read_all(master)
        code = child.wait()
    os.close(master)
    out = open(out_path, "rb").read() if not stdout_tty else b""
    err = open(err_path, "rb").read() if not stderr_tty else b""
    return code, out.decode(), err.decode(), on_tty.decode()


def main():
    fakebin = os.path.abspath(sys.argv[1])
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        # The program takes its name (and its message prefix) from its own file name.
        os.symlink(fakebin, os.path.join(work, "lorvex"))
        with open(os.path.join(work, "names"), "w") as names:
            names.write("ann\n" * 150 + "nosuchuser\n" + "ann\n" * 150)

        code, plain_out, plain_err, _ = run(work, False, False)

        def check(name, got, want):
            nonlocal failures
            if got == want:
                print("ok   " + name)
            else:
                failures += 1
                print("FAIL %s\n  want %r\n  got  %r" % (name, want, got))

        check("exit code without a terminal", code, 1)
        check("standard error without a terminal holds no progress line", plain_err,
              ERROR + "\n\n300 users, 1 error\n")

        code, out, _, on_tty = run(work, False, True)
        check("exit code with standard error on a terminal", code, 1)
        check("standard output is the same with standard error on a terminal", out, plain_out)
        # The terminal turns each line end into a carriage return and a line feed.
        check("progress line on the terminal", on_tty,
              "\r100 objects examined" + ERASE + ERROR + "\r\n" +
              "\r151 objects examined\r251 objects examined" + ERASE + "\r\n300 users, 1 error\r\n")

        code, _, _, on_tty = run(work, True, True)
        check("exit code with both on a terminal", code, 1)
        check("no progress line when the output itself is on the terminal",
              "objects examined" in on_tty, False)
        check("the output reaches the terminal", on_tty.count("CN=Ann Archer,OU=Staff"), 300)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
