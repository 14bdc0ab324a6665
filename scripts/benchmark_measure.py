# Measures lorvex against the floor of plain paged LDAP searches, inside the benchmark's test
# domain, and writes the figures as Markdown. Run by scripts/benchmark.sh inside the domain's
# network namespace (testdomain.sh exec), with the system's Python and its standard library only.
#
#   benchmark_measure.py measure --set main|trio|scale --lorvex PATH --dir DOMAIN-DIR --users N
#                        --work DIR --json FILE [--repeat R]
#   benchmark_measure.py report --json FILE... --doc FILE --chart FILE --command TEXT --revision TEXT
#
# measure runs the cases of a set on the domain running now and writes their figures as JSON;
# report writes the Markdown page and draws its chart (gnuplot) from the figures of every set.
#
# Every program measured runs as a child of this one: wall time from a monotonic clock, CPU time
# (user + system) from the child's resource usage (wait4). Its peak resident memory comes from GNU
# time, which starts it from a small process of its own: a child started from this one would
# count this interpreter's peak as well (exec keeps the larger of the two).
import argparse
import json
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
DC3 = "dc3.sales.corp.test"
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


def cases(users, controllers=(DC2,), names=True):
    """The cases of a domain of that many bulk users; controllers are those after DC1."""
    half = (users + 1) // 2

    def floor(base, scope, filter_text, extra=(), per_controller=("lastLogon",), controls=()):
        return ([Search(DC1, base, scope, filter_text, OBJECT_ATTRIBUTES + list(extra), controls)] +
                [Search(dc, base, scope, filter_text, list(per_controller)) for dc in controllers])

    everything = dict(extra=["nTSecurityDescriptor"], per_controller=["lastLogon", "whenChanged"],
                      controls=[SD_FLAGS_CONTROL])
    result = [
        Case('all users, last logon', ["*", "lld", "/j"], floor(BASE, "sub", ALL_USERS)),
        Case('all users, every restriction', ["*", "all", "/j"], floor(BASE, "sub", ALL_USERS, **everything)),
        Case('group of %d members, last logon' % half, ["Bench Group", "lld", "/j"],
             floor(BASE, "sub", GROUP_MEMBERS)),
        Case('file of %d names, last logon' % half, ["@names.txt", "lld", "/j"],
             floor("OU=Bench A," + BASE, "one", USERS),
             "floor: the names are one OU here, so one search finds them"),
        Case('all users, last logon before 90 days ago, sorted by value',
             ["*", "lld", "lt", "tod-90", "/s=v"], floor(BASE, "sub", ALL_USERS)),
    ]
    if names:
        nt = dict(everything, extra=everything["extra"] + ["sAMAccountName"])
        principal = dict(everything, extra=everything["extra"] + ["userPrincipalName"])
        result += [
            Case('all users, every restriction, NT names', ["*", "all", "/y=n", "/j"],
                 floor(BASE, "sub", ALL_USERS, **nt)),
            Case('all users, every restriction, principal names', ["*", "all", "/y=p", "/j"],
                 floor(BASE, "sub", ALL_USERS, **principal)),
        ]
    return result


def case_set(name, users):
    """main: every case on two controllers; trio: the wildcard cases on three; scale: the wildcard
    cases on two controllers (for a larger domain)."""
    if name == "main":
        return cases(users)
    if name == "trio":
        return cases(users, (DC2, DC3), names=False)[:2]
    return cases(users, names=False)[:2]


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
        # lorvex reads the objects on its default server and every other controller of its list on
        # its own; the floor reads the controllers in the directory's order. With the controller
        # listed first as the default server, both begin with the same controller.
        self.default_server = self.first_controller()
        self.env["LDAPURI"] = "ldap://" + self.default_server

    def first_controller(self):
        argv = ["ldapsearch", "-LLL", "-Q", "-Y", "GSSAPI", "-N", "-o", "ldif-wrap=no", "-H", "ldap://" + DC1,
                "-b", BASE, "(&(objectCategory=computer)(userAccountControl:1.2.840.113556.1.4.803:=8192))",
                "dNSHostName"]
        found = subprocess.run(argv, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        hosts = re.findall(r"^dNSHostName: (\S+)$", found.stdout.decode("utf-8", "replace"), re.M)
        if found.returncode != 0 or not hosts:
            fail("the domain controllers could not be listed (%s)" % " ".join(argv))
        return hosts[0]

    def lorvex_once(self, args, tag):
        env = dict(self.env, LORVEX_ROUND_TRIPS="1")
        out = os.path.join(self.o.work, tag + ".out")
        err = os.path.join(self.o.work, tag + ".err")
        m = run([self.o.lorvex] + args, env, self.o.work, out, err)
        text = open(err, encoding="utf-8", errors="replace").read()
        found = ROUND_TRIPS.findall(text)
        if not found:
            fail("lorvex %s printed no round-trip count; its standard error:\n%s" % (" ".join(args), text[-2000:]))
        m.round_trips = int(found[-1])
        m.lines = sum(1 for _ in open(out, "rb"))
        m.errors = [line for line in text.splitlines() if not ROUND_TRIPS.match(line)]
        return m

    def lorvex_figures(self, measures, args, tag):
        m = median_of(measures)
        m.walls = [x.wall for x in measures]
        return m

    def search_once(self, search, tag):
        out = os.path.join(self.o.work, tag + ".ldif")
        err = os.path.join(self.o.work, tag + ".err")
        m = run(search.argv(), self.env, self.o.work, out, err)
        if m.code != 0:
            fail("ldapsearch failed (%d): %s\n%s" % (m.code, " ".join(search.argv()), open(err).read()[-2000:]))
        m.entries = sum(1 for line in open(out, "rb") if line.startswith(b"dn: "))
        return m

    def search_figures(self, search, measures, tag):
        m = median_of(measures)
        m.walls = [x.wall for x in measures]
        out = os.path.join(self.o.work, tag + ".ldif")
        err = os.path.join(self.o.work, tag + ".err")
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
    return ["%s, %d cores, %.1f GiB memory" % (cpu, os.cpu_count(), memory / MIB / MIB),
            "%s %s, Samba %s" % (platform.system(), platform.release(), samba.replace("Version ", "") or "unknown")]


def figures(m, **extra):
    data = {"wall": m.wall, "walls": getattr(m, "walls", [m.wall]), "cpu": m.cpu, "rss_kib": m.rss_kib,
            "code": m.code}
    for name in ("round_trips", "lines", "errors", "entries"):
        if hasattr(m, name):
            data[name] = getattr(m, name)
    data.update(extra)
    return data


def measure(o):
    bench = Bench(o)
    half = (o.users + 1) // 2
    with open(os.path.join(o.work, "names.txt"), "w") as names:
        for i in range(1, half + 1):
            names.write("bench%05d\n" % i)
    result = {"set": o.set, "users": o.users, "repeat": o.repeat, "load": list(os.getloadavg()),
              "date": time.strftime("%Y-%m-%d %H:%M %Z"), "default_server": bench.default_server, "cases": []}
    for index, case in enumerate(case_set(o.set, o.users)):
        if o.cases and index + 1 not in o.cases:
            continue
        tag = "%s-case%d" % (o.set, index + 1)
        sys.stderr.write("benchmark: %s (%d users, %s): lorvex %s\n" % (case.name, o.users, o.set, " ".join(case.args)))
        # lorvex and the floor take turns, so that a change of the machine's load falls on both.
        runs, floor_runs = [], [[] for _ in case.searches]
        for _ in range(o.repeat):
            runs.append(bench.lorvex_once(case.args, tag))
            for n, search in enumerate(case.searches):
                floor_runs[n].append(bench.search_once(search, "%s-floor%d" % (tag, n + 1)))
        lv = bench.lorvex_figures(runs, case.args, tag)
        floors = [bench.search_figures(search, ms, "%s-floor%d" % (tag, n + 1))
                  for n, (search, ms) in enumerate(zip(case.searches, floor_runs))]
        floor_walls = [sum(f.walls[i] for f in floors) for i in range(o.repeat)]
        result["cases"].append({
            "name": case.name, "args": case.args, "note": case.note, "lorvex": figures(lv),
            "floor_wall": statistics.median(floor_walls), "floor_walls": floor_walls,
            "floors": [figures(f, server=s.server.split(".")[0].upper()) for s, f in zip(case.searches, floors)]})
        sys.stderr.write("benchmark:   lorvex %.2f s, floor %.2f s\n" % (lv.wall, statistics.median(floor_walls)))

    # Memory against the number of objects: about 1,000 of them, then all, without sorting; and all
    # sorted, which keeps a record for each object shown until the end.
    if o.set != "trio" and not o.cases:
        sys.stderr.write("benchmark: memory against the number of objects\n")
        memory = {}
        for key, args in (("few", ["bench00*", "lld", "/j"]), ("many", ["*", "lld", "/j"]),
                          ("sorted", ["*", "lld", "/s=v", "/j"])):
            # Peak memory varies little from run to run: one run each.
            m = bench.lorvex_figures([bench.lorvex_once(args, key)], args, key)
            memory[key] = figures(m, args=args)
        result["memory"] = memory
    with open(o.json, "w") as f:
        json.dump(result, f, indent=1)


def quoted(args):
    return " ".join('"%s"' % a if a in ("*", "Bench Group") else a for a in args)


def spread(walls):
    return "%.2f-%.2f" % (min(walls), max(walls))


def report(o):
    sets = [json.load(open(path)) for path in o.json]
    main = next(s for s in sets if s["set"] == "main")
    trio = next((s for s in sets if s["set"] == "trio"), None)
    scale = next((s for s in sets if s["set"] == "scale"), None)
    about = machine()
    doc = ["# Performance", ""]
    doc.append("Figures of `scripts/benchmark.sh`: lorvex against the floor, plain `ldapsearch` runs that fetch")
    doc.append("the same attributes of the same objects with paged results, over the same GSSAPI")
    doc.append("credentials (the domain's Administrator), from a test domain of replicating Samba")
    doc.append("controllers holding %d bulk users besides the test accounts (and %s)." % (
        main["users"], "%d in a second domain for the scale figures" % scale["users"] if scale else "no larger domain"))
    doc.append("")
    doc.append("- Date: %s; lorvex %s" % (main["date"], o.revision))
    doc.append("- Machine: " + about[0])
    doc.append("- " + about[1])
    doc.append("- load average at the start of each set: " + "; ".join(
        "%s %d users %.2f %.2f %.2f" % ((s["set"], s["users"]) + tuple(s["load"])) for s in sets))
    doc.append("- Reproduce: `%s`" % o.command)
    doc.append("- Each figure is the median of %d runs, lorvex and the floor taking turns; the spread "
               "(fastest-slowest) is given for the wall times." % main["repeat"])
    doc.append("")
    doc.append("## Two controllers, %d users" % main["users"])
    doc.append("")
    doc.append("| case | lorvex arguments | wall s | spread | CPU s | max RSS MiB | round trips | floor wall s "
               "| spread | floor CPU s | floor round trips | wall ratio |")
    doc.append("|---|---|---:|---|---:|---:|---:|---:|---|---:|---:|---:|")
    worst = 0.0
    for c in main["cases"]:
        lv, floors = c["lorvex"], c["floors"]
        ratio = lv["wall"] / c["floor_wall"] if c["floor_wall"] > 0 else 0.0
        worst = max(worst, ratio)
        doc.append("| %s | `%s` | %.2f | %s | %.2f | %s | %d | %.2f | %s | %.2f | %d | %.2f |" % (
            c["name"], quoted(c["args"]), lv["wall"], spread(lv["walls"]), lv["cpu"], mib(lv["rss_kib"]),
            lv["round_trips"], c["floor_wall"], spread(c["floor_walls"]), sum(f["cpu"] for f in floors),
            sum(f["round_trips"] for f in floors), ratio))
    doc.append("")
    doc.append("Highest wall ratio: %.2f (%s)." % (worst, "every case at or under the floor" if worst <= 1.0
                                                    else "**not every case is at or under the floor**"))
    doc.append("")
    doc.append("The floor of a case is one paged search (page size %d) on each controller, one after the" %
               FLOOR_PAGE_SIZE)
    doc.append("other, and its wall time is their **sum**. DC1 gives the %d attributes lorvex reads of every" %
               len(OBJECT_ATTRIBUTES))
    doc.append("object (with `all` also the security descriptor, for the password-change permission, and with")
    doc.append("`/y` the attribute of the name form), every other controller the values that are not")
    doc.append("replicated (`lastLogon`, with `all` also `whenChanged`). lorvex reads the objects a batch of")
    doc.append("250 at a time (docs/batched-reads.md): the search that finds the objects (a wildcard's search,")
    doc.append("the paged search of a group's members, `(memberOf=...)` sorted by `objectGUID` as the group")
    doc.append("lists them, the search of the names of a block of input-file lines) returns their attributes")
    doc.append("and the attribute of the name form, but not `msDS-ResultantPSO`: Samba computes it from the")
    doc.append("groups of every account it returns, most of the floor's DC1 search. lorvex first finds the")
    doc.append("few accounts a password settings object can reach (those it is applied to, the members of its")
    doc.append("groups, nested ones included, and the accounts whose primary group is one of them) and takes")
    doc.append("their values from one search; every other account has none. For a wildcard's or a group's search each other")
    doc.append("controller runs the same paged search on a thread of its own, started with it, and each")
    doc.append("batch takes its objects' values from it. Objects named one by one (the other controllers'")
    doc.append("values of the lines of a file and what those searches did not return) are searched for")
    doc.append("20 to a filter, since the directory")
    doc.append("matches every row against every term of an OR: more round trips")
    doc.append("than the floor, each far cheaper than a search of 250 names. Round trips are LDAP requests,")
    doc.append("binds included: lorvex counts its own (`LORVEX_ROUND_TRIPS=1`), the floor's are counted in")
    doc.append("libldap's trace. Wall ratio is lorvex's wall time over the floor's. Wall times follow the")
    doc.append("load of the machine (other work shares its two cores; the load averages above); CPU time and")
    doc.append("round trips are steadier.")
    doc.append("")
    servers = ", ".join("%s %s" % (s["set"], s.get("default_server", "?").split(".")[0].upper()) for s in sets)
    doc.append("lorvex's default server (`LDAPURI`) is the controller the directory lists first (%s):" % servers)
    doc.append("lorvex reads the objects on its default server and every other controller on its own, so it reads")
    doc.append("every controller once, as the floor does, and begins with the controller the floor begins with.")
    doc.append("")
    doc.append("| case | floor searches: controller, entries, wall s, round trips | lorvex exit, output lines |")
    doc.append("|---|---|---|")
    for s in sets:
        for c in s["cases"]:
            parts = ["%s %d, %.2f, %d" % (f["server"], f["entries"], f["wall"], f["round_trips"]) for f in c["floors"]]
            note = "; " + c["note"] if c["note"] else ""
            doc.append("| %s (%d users, %s) | %s%s | %d, %d |" % (c["name"], s["users"], s["set"], "; ".join(parts),
                                                                  note, c["lorvex"]["code"], c["lorvex"]["lines"]))
    if not trio:
        doc.append("")
        doc.append("No third controller was measured in this run (a `--sets` without trio).")
    if trio:
        doc.append("")
        doc.append("## A third controller")
        doc.append("")
        doc.append("The same domain with DC3 joined. A third controller should add at most the time of its own")
        doc.append("paged search, since lorvex runs it alongside the others.")
        doc.append("")
        doc.append("| case | lorvex wall s, 2 controllers | lorvex wall s, 3 controllers | added | DC3's own search s | "
                   "round trips 2 / 3 | floor wall s, 3 controllers | wall ratio |")
        doc.append("|---|---:|---:|---:|---:|---|---:|---:|")
        for c in trio["cases"]:
            pair = next(p for p in main["cases"] if p["args"] == c["args"])
            added = c["lorvex"]["wall"] - pair["lorvex"]["wall"]
            dc3 = next(f for f in c["floors"] if f["server"] == "DC3")
            doc.append("| %s | %.2f | %.2f | %+.2f | %.2f | %d / %d | %.2f | %.2f |" % (
                c["name"], pair["lorvex"]["wall"], c["lorvex"]["wall"], added, dc3["wall"],
                pair["lorvex"]["round_trips"], c["lorvex"]["round_trips"], c["floor_wall"],
                c["lorvex"]["wall"] / c["floor_wall"]))
    doc.append("")
    doc.append("## Scale")
    doc.append("")
    if scale:
        doc.append("Cost per object at %d and %d users (wall time and round trips over the objects the" %
                   (main["users"], scale["users"]))
        doc.append("floor's DC1 search found). Flat means at most 10 % more time per object.")
        doc.append("")
        doc.append("| case | objects | lorvex ms per object | floor ms per object | round trips per 1000 objects | "
                   "max RSS MiB |")
        doc.append("|---|---:|---:|---:|---:|---:|")
        for c in scale["cases"]:
            pair = next(p for p in main["cases"] if p["args"] == c["args"])
            per = []
            for s_, x in ((main, pair), (scale, c)):
                objects = x["floors"][0]["entries"]
                per.append(x["lorvex"]["wall"] / objects)
                doc.append("| %s | %d | %.3f | %.3f | %.1f | %s |" % (
                    x["name"], objects, 1000 * x["lorvex"]["wall"] / objects, 1000 * x["floor_wall"] / objects,
                    1000.0 * x["lorvex"]["round_trips"] / objects, mib(x["lorvex"]["rss_kib"])))
            doc.append("| %s: time per object at %d over %d users | | %+.1f %% (%s) | | | |" % (
                c["name"], scale["users"], main["users"], 100 * (per[1] / per[0] - 1),
                "flat" if per[1] <= per[0] * 1.10 else "**grows**"))
    else:
        doc.append("No larger domain was measured in this run (`--scale-users 0`, or a `--sets` without scale),")
        doc.append("so the cost per object is not compared across domain sizes here.")
    points = [(c["name"], c["floors"][0]["entries"], c["lorvex"]["wall"], c["floor_wall"])
              for s_ in (main, scale) if s_ for c in s_["cases"]]
    draw_chart(o.chart, points)
    doc.append("")
    doc.append("Wall time against the number of objects, every case on two controllers:")
    doc.append("")
    doc.append("![wall time against the number of objects](%s)" % os.path.basename(o.chart))
    doc.append("")
    doc.append("## Memory")
    doc.append("")
    doc.append("One run of each (peak memory varies little from run to run).")
    doc.append("")
    doc.append("| users | run | lorvex arguments | output lines | max RSS MiB |")
    doc.append("|---:|---|---|---:|---:|")
    for s in (main, scale):
        if not s:
            continue
        m = s["memory"]
        for key, label in (("few", "about 1000 objects"), ("many", "all, not sorted"), ("sorted", "all, sorted")):
            doc.append("| %d | %s | `%s` | %d | %s |" % (s["users"], label, quoted(m[key]["args"]), m[key]["lines"],
                                                        mib(m[key]["rss_kib"])))
    doc.append("")
    for s in (main, scale):
        if not s:
            continue
        m = s["memory"]
        growth = (m["many"]["rss_kib"] - m["few"]["rss_kib"]) / m["few"]["rss_kib"]
        flat = m["many"]["rss_kib"] <= m["few"]["rss_kib"] * 1.10 + 1024
        kept = max(m["sorted"]["lines"] - 1, 1)
        per_record = (m["sorted"]["rss_kib"] - m["many"]["rss_kib"]) * 1024.0 / kept
        doc.append("- %d users: peak memory %s with the number of objects when nothing is sorted (%+.1f %% for all "
                   "of them against about 1000; flat means at most 10 %% and 1 MiB more); sorting costs about %.0f "
                   "bytes per kept record." % (s["users"], "does not grow" if flat else "**grows**", growth * 100,
                                               per_record))
    problems = [(s, c) for s in sets for c in s["cases"] if c["lorvex"]["code"] != 0 or c["lorvex"]["errors"]]
    if problems:
        doc.append("")
        doc.append("Runs that did not end cleanly:")
        doc.append("")
        for s, c in problems:
            doc.append("- %s (%d users, %s): exit %d; %s" % (c["name"], s["users"], s["set"], c["lorvex"]["code"],
                                                           " / ".join(c["lorvex"]["errors"][:3]) or "no message"))
    doc.append("")
    doc.append("## Windows")
    doc.append("")
    doc.append(open(o.windows_note).read().strip() if o.windows_note and os.path.exists(o.windows_note) else
               "The Windows directory layer is not measured here.")
    text = "\n".join(doc) + "\n"
    with open(o.doc, "w") as f:
        f.write(text)
    sys.stdout.write(text)


def draw_chart(path, points):
    """Wall time against the number of objects of every case measured on two controllers: lorvex
    and the floor, and a line through the "*" lld /j runs of each."""
    data = path + ".dat"
    with open(data, "w") as f:
        for _, objects, lorvex, floor in sorted(points, key=lambda p: p[1]):
            f.write("%d %.3f %.3f\n" % (objects, lorvex, floor))
    script = ("set terminal png size 900,540\nset output '%s'\nset xlabel 'objects'\nset ylabel 'wall time, s'\n"
              "set key left top\nset xrange [0:*]\nset yrange [0:*]\nset grid\n"
              "plot '%s' using 1:2 with points pointtype 7 pointsize 1.5 title 'lorvex', "
              "'%s' using 1:3 with points pointtype 5 pointsize 1.5 title 'floor (paged ldapsearch, "
              "controllers in turn)'\n" % (path, data, data))
    result = subprocess.run(["gnuplot"], input=script, text=True, capture_output=True)
    os.remove(data)
    if result.returncode != 0:
        fail("gnuplot failed: %s" % result.stderr[-1000:])


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="mode", required=True)
    m = sub.add_parser("measure")
    for name in ("--lorvex", "--dir", "--work", "--json"):
        m.add_argument(name, required=True)
    m.add_argument("--set", choices=("main", "trio", "scale"), required=True)
    m.add_argument("--users", type=int, required=True)
    m.add_argument("--repeat", type=int, default=1)
    m.add_argument("--cases", type=lambda text: [int(n) for n in text.split(",")], default=[],
                   help="numbers of the cases to measure again (1 is the first), without the memory figures")
    r = sub.add_parser("report")
    r.add_argument("--json", nargs="+", required=True)
    for name in ("--doc", "--chart", "--command", "--revision"):
        r.add_argument(name, required=True)
    r.add_argument("--windows-note")
    o = parser.parse_args()
    if o.mode == "measure":
        measure(o)
    else:
        report(o)


if __name__ == "__main__":
    main()
