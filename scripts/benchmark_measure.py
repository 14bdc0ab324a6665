# Measures lorvex against the floor of plain paged LDAP searches, inside the benchmark's test
# domain, and writes the figures as Markdown. Run by scripts/benchmark.sh inside the domain's
# network namespace (testdomain.sh exec), with the system's Python and its standard library only.
#
#   benchmark_measure.py --lorvex PATH --dir DOMAIN-DIR --users N --work DIR --doc FILE
#                        --command TEXT [--repeat R]
#
# Every program measured runs as a child of this one: wall time from a monotonic clock, CPU time
# (user + system) from the child's resource usage (wait4). Its peak resident memory comes from GNU
# time, which starts it from a small process of its own: a child started from this one would
# count this interpreter's peak as well (exec keeps the larger of the two).
import argparse
import os
import platform
import re
import statistics
import subprocess
import sys
import time

BASE = "DC=sales,DC=corp,DC=test"
USERS = "(sAMAccountType=805306368)"
ALL_USERS = "(&%s(cn=*))" % USERS
GROUP_DN = "CN=Bench Group,OU=Groups," + BASE
GROUP_MEMBERS = "(&%s(memberOf=%s))" % (USERS, GROUP_DN)
# What lorvex reads of every object, whatever the restriction.
OBJECT_ATTRIBUTES = ["accountExpires", "badPwdCount", "badPasswordTime", "lastLogon", "logonHours",
                     "userWorkstations", "pwdLastSet", "userAccountControl", "whenCreated", "whenChanged",
                     "lockoutTime", "displayName", "msDS-ResultantPSO"]
# The owner, group and DACL of the security descriptor, as an ordinary reader may have them.
SD_FLAGS_CONTROL = "!1.2.840.113556.1.4.801=::MAMCAQc="
FLOOR_PAGE_SIZE = 1000
DC1 = "dc1.sales.corp.test"
DC2 = "dc2.sales.corp.test"
ROUND_TRIPS = re.compile(r"^LDAP round trips: (\d+)$", re.M)
MIB = 1024.0


class Search:
    """One paged search of the floor: a controller, a base, a scope, a filter, attributes."""

    def __init__(self, server, base, scope, filter_text, attributes, controls=()):
        self.server, self.base, self.scope = server, base, scope
        self.filter_text, self.attributes, self.controls = filter_text, attributes, list(controls)

    def argv(self, debug=False):
        argv = ["ldapsearch", "-LLL", "-Q", "-Y", "GSSAPI", "-N", "-o", "ldif-wrap=no",
                "-H", "ldap://" + self.server, "-b", self.base, "-s", self.scope,
                "-E", "pr=%d/noprompt" % FLOOR_PAGE_SIZE]
        for control in self.controls:
            argv += ["-E", control]
        if debug:
            argv += ["-d", "1"]
        return argv + [self.filter_text] + self.attributes


class Case:
    def __init__(self, name, args, searches, note=""):
        self.name, self.args, self.searches, self.note = name, args, searches, note


def cases(users):
    half = (users + 1) // 2
    by_controller_lld = [Search(DC1, BASE, "sub", ALL_USERS, OBJECT_ATTRIBUTES),
                         Search(DC2, BASE, "sub", ALL_USERS, ["lastLogon"])]
    return [
        Case('all users, last logon', ["*", "lld", "/j"], by_controller_lld),
        Case('all users, every restriction', ["*", "all", "/j"],
             [Search(DC1, BASE, "sub", ALL_USERS, OBJECT_ATTRIBUTES + ["nTSecurityDescriptor"],
                     [SD_FLAGS_CONTROL]),
              Search(DC2, BASE, "sub", ALL_USERS, ["lastLogon", "whenChanged"])]),
        Case('group of %d members, last logon' % half, ["Bench Group", "lld", "/j"],
             [Search(DC1, BASE, "sub", GROUP_MEMBERS, OBJECT_ATTRIBUTES),
              Search(DC2, BASE, "sub", GROUP_MEMBERS, ["lastLogon"])]),
        Case('file of %d names, last logon' % half, ["@names.txt", "lld", "/j"],
             [Search(DC1, "OU=Bench A," + BASE, "one", USERS, OBJECT_ATTRIBUTES),
              Search(DC2, "OU=Bench A," + BASE, "one", USERS, ["lastLogon"])],
             "floor: the names are one OU here, so one search finds them"),
        Case('all users, last logon before 90 days ago, sorted by value',
             ["*", "lld", "lt", "tod-90", "/s=v"], by_controller_lld),
    ]


class Measure:
    def __init__(self, wall, cpu, rss_kib, code):
        self.wall, self.cpu, self.rss_kib, self.code = wall, cpu, rss_kib, code


GNU_TIME = "/usr/bin/time"


def run(argv, env, cwd, stdout_path, stderr_path):
    peak_path = stdout_path + ".peak"
    with open(stdout_path, "wb") as out, open(stderr_path, "wb") as err:
        start = time.monotonic()
        child = subprocess.Popen([GNU_TIME, "-f", "%M", "-o", peak_path, "--"] + argv, env=env, cwd=cwd,
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.monotonic() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    # GNU time writes "Command exited with non-zero status N" before the figure when it fails.
    peak = open(peak_path).read().split()
    if not peak or not peak[-1].isdigit():
        fail("GNU time gave no peak memory for %s" % " ".join(argv))
    return Measure(wall, usage.ru_utime + usage.ru_stime, int(peak[-1]), child.returncode)


def median_of(measures):
    """The run of median wall time, so that its figures belong together."""
    ordered = sorted(measures, key=lambda m: m.wall)
    return ordered[(len(ordered) - 1) // 2]


def fail(text):
    sys.stderr.write("benchmark: %s\n" % text)
    sys.exit(1)


class Bench:
    def __init__(self, options):
        self.o = options
        self.env = dict(os.environ)
        self.env["KRB5CCNAME"] = "FILE:%s/ccache-administrator" % options.dir
        self.env["TZ"] = "UTC"
        self.env["LC_ALL"] = "C.UTF-8"
        self.env.pop("ZEMUTILS", None)

    def lorvex(self, args, tag):
        env = dict(self.env, LORVEX_ROUND_TRIPS="1")
        out = os.path.join(self.o.work, tag + ".out")
        err = os.path.join(self.o.work, tag + ".err")
        measures = []
        for _ in range(self.o.repeat):
            measures.append(run([self.o.lorvex] + args, env, self.o.work, out, err))
        m = median_of(measures)
        text = open(err, encoding="utf-8", errors="replace").read()
        found = ROUND_TRIPS.findall(text)
        if not found:
            fail("lorvex %s printed no round-trip count; its standard error:\n%s" % (" ".join(args), text[-2000:]))
        m.round_trips = int(found[-1])
        m.lines = sum(1 for _ in open(out, "rb"))
        m.errors = [line for line in text.splitlines() if not ROUND_TRIPS.match(line)]
        return m

    def search(self, search, tag):
        out = os.path.join(self.o.work, tag + ".ldif")
        err = os.path.join(self.o.work, tag + ".err")
        measures = [run(search.argv(), self.env, self.o.work, out, err) for _ in range(self.o.repeat)]
        m = median_of(measures)
        if m.code != 0:
            fail("ldapsearch failed (%d): %s\n%s" % (m.code, " ".join(search.argv()), open(err).read()[-2000:]))
        m.entries = sum(1 for line in open(out, "rb") if line.startswith(b"dn: "))
        # The requests sent, counted from the library's trace in a run of their own.
        run(search.argv(debug=True), self.env, self.o.work, out, err)
        trace = open(err, encoding="utf-8", errors="replace").read()
        m.round_trips = trace.count("ldap_send_initial_request")
        if m.round_trips == 0:
            fail("no requests found in the trace of ldapsearch (is libldap built with debugging?)")
        return m


def mib(kib):
    return "%.1f" % (kib / MIB)


def machine():
    cpu = "unknown CPU"
    for line in open("/proc/cpuinfo"):
        if line.startswith("model name"):
            cpu = line.split(":", 1)[1].strip()
            break
    memory = 0
    for line in open("/proc/meminfo"):
        if line.startswith("MemTotal:"):
            memory = int(line.split()[1])
    samba = subprocess.run(["samba", "--version"], capture_output=True, text=True).stdout.strip()
    load = os.getloadavg()
    return ["%s, %d cores, %.1f GiB memory" % (cpu, os.cpu_count(), memory / MIB / MIB),
            "%s %s, Samba %s" % (platform.system(), platform.release(), samba.replace("Version ", "") or "unknown"),
            "load average at the start: %.2f %.2f %.2f" % load]


def main():
    parser = argparse.ArgumentParser()
    for name in ("--lorvex", "--dir", "--work", "--doc", "--command", "--revision"):
        parser.add_argument(name, required=True)
    parser.add_argument("--users", type=int, required=True)
    parser.add_argument("--repeat", type=int, default=1)
    o = parser.parse_args()
    bench = Bench(o)
    half = (o.users + 1) // 2
    with open(os.path.join(o.work, "names.txt"), "w") as names:
        for i in range(1, half + 1):
            names.write("bench%05d\n" % i)

    started = time.strftime("%Y-%m-%d %H:%M %Z")
    about = machine()
    rows = []
    for index, case in enumerate(cases(o.users)):
        tag = "case%d" % (index + 1)
        sys.stderr.write("benchmark: %s: lorvex %s\n" % (case.name, " ".join(case.args)))
        lv = bench.lorvex(case.args, tag)
        floors = [bench.search(s, "%s-floor%d" % (tag, n + 1)) for n, s in enumerate(case.searches)]
        rows.append((case, lv, floors))
        sys.stderr.write("benchmark:   lorvex %.2f s, floor %.2f s\n" % (lv.wall, sum(f.wall for f in floors)))

    # Memory without sorting, against the number of objects: ~1/10 of the users, then all of them.
    sys.stderr.write("benchmark: memory against the number of objects\n")
    few = bench.lorvex(["bench00*", "lld", "/j"], "few")
    many = bench.lorvex(["*", "lld", "/j"], "many")
    growth = (many.rss_kib - few.rss_kib) / few.rss_kib
    # Allocator pools and the connection's buffers move a little from run to run.
    flat = many.rss_kib <= few.rss_kib * 1.10 + 1024

    doc = []
    doc.append("# Performance")
    doc.append("")
    doc.append("Figures of `scripts/benchmark.sh`: lorvex against the floor, plain `ldapsearch` runs that fetch")
    doc.append("the same attributes of the same objects with paged results, over the same GSSAPI")
    doc.append("credentials (the domain's Administrator), from a test domain of two replicating Samba")
    doc.append("controllers holding %d bulk users besides the test accounts." % o.users)
    doc.append("")
    doc.append("- Date: %s; lorvex %s" % (started, o.revision))
    doc.append("- Machine: " + about[0])
    for line in about[1:]:
        doc.append("- " + line)
    doc.append("- Reproduce: `%s`" % o.command)
    doc.append("- Each figure is the run of median wall time of %d run%s." % (o.repeat, "" if o.repeat == 1 else "s"))
    doc.append("")
    doc.append("| case | lorvex arguments | wall s | CPU s | max RSS MiB | round trips | floor wall s "
               "| floor CPU s | floor max RSS MiB | floor round trips | wall ratio |")
    doc.append("|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for case, lv, floors in rows:
        floor_wall = sum(f.wall for f in floors)
        doc.append("| %s | `%s` | %.2f | %.2f | %s | %d | %.2f | %.2f | %s | %d | %.1f |" % (
            case.name, " ".join('"%s"' % a if a in ("*", "Bench Group") else a for a in case.args),
            lv.wall, lv.cpu, mib(lv.rss_kib), lv.round_trips, floor_wall, sum(f.cpu for f in floors),
            mib(max(f.rss_kib for f in floors)), sum(f.round_trips for f in floors),
            lv.wall / floor_wall if floor_wall > 0 else 0.0))
    doc.append("")
    doc.append("The floor of a case is one paged search (page size %d) on each controller, one after the" %
               FLOOR_PAGE_SIZE)
    doc.append("other, and its figures are their **sum** (the maximum for memory). lorvex reads objects in")
    doc.append("batches of 250 (docs/batched-reads.md): one search on each controller per batch, the")
    doc.append("controllers' searches at the same time on threads of their own, and the lines of an input")
    doc.append("file resolved with one search per batch. DC1 gives the %d attributes lorvex reads of every object" %
               len(OBJECT_ATTRIBUTES))
    doc.append("(with `all` also the security descriptor, for the password-change permission), DC2 the values")
    doc.append("that are not replicated (`lastLogon`, with `all` also `whenChanged`). Round trips are LDAP")
    doc.append("requests, binds included: lorvex counts its own (`LORVEX_ROUND_TRIPS=1`), the floor's are")
    doc.append("counted in libldap's trace. Wall ratio is lorvex's wall time over the floor's. Wall times")
    doc.append("follow the load of the machine (other work shares its cores; the load average above), and")
    doc.append("have been seen to vary by up to half from one run to the next; CPU time and round trips")
    doc.append("are steadier. `--repeat` keeps the run of median wall time of several. With")
    doc.append("`LORVEX_PER_OBJECT=1` lorvex reads every object on its own instead, a bind and a read per object")
    doc.append("and controller: the way to compare the two.")
    doc.append("")
    doc.append("| case | floor searches: controller, entries, wall s, round trips | lorvex exit, output lines |")
    doc.append("|---|---|---|")
    for case, lv, floors in rows:
        parts = ["%s %d, %.2f, %d" % (s.server.split(".")[0].upper(), f.entries, f.wall, f.round_trips)
                 for s, f in zip(case.searches, floors)]
        note = "; " + case.note if case.note else ""
        doc.append("| %s | %s%s | %d, %d |" % (case.name, "; ".join(parts), note, lv.code, lv.lines))
    doc.append("")
    doc.append("Memory when nothing is sorted (`lld /j`, each object printed as it is read):")
    doc.append("")
    doc.append("| objects | lorvex arguments | output lines | max RSS MiB |")
    doc.append("|---:|---|---:|---:|")
    doc.append("| about %d | `bench00* lld /j` | %d | %s |" % (o.users // 10, few.lines, mib(few.rss_kib)))
    doc.append("| all | `\"*\" lld /j` | %d | %s |" % (many.lines, mib(many.rss_kib)))
    doc.append("")
    doc.append("Peak memory %s with the number of objects (%+.1f %% for %.0f times the objects; flat means "
               "at most 10 %% and 1 MiB more)." % ("does not grow" if flat else "**grows**", growth * 100,
                                                   many.lines / max(few.lines, 1)))
    problems = [(case, lv) for case, lv, _ in rows if lv.code != 0 or lv.errors]
    if problems:
        doc.append("")
        doc.append("Runs that did not end cleanly:")
        doc.append("")
        for case, lv in problems:
            doc.append("- %s: exit %d; %s" % (case.name, lv.code, " / ".join(lv.errors[:3]) or "no message"))
    text = "\n".join(doc) + "\n"
    with open(o.doc, "w") as f:
        f.write(text)
    sys.stdout.write(text)


if __name__ == "__main__":
    main()
