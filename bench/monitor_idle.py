#!/usr/bin/env python3
"""The idle cost of `orvanta-cli monitor` with no connection, side by side with vnstatd (a
traffic-counting daemon that also wakes up now and then to look at the network) in the same
window on the same machine.

    bench/monitor_idle.py [--seconds N] [--cli PATH]

Both run in a private temporary folder: the monitor with its own data root, user settings and
simulator state (ORVANTA_RAS=sim:FILE, so no dial-up service of the machine is asked), vnstatd
with its own configuration and database folder, never the system's. After a settling time each
one's CPU time (the scheduler's count, in ms, over every thread), its wake-ups (context
switches) and its resident memory are taken at the start and the end of the window, and the
monitor's figures are given as ratios of vnstatd's. The monitor's memory maps are checked for
Qt's GUI libraries, which a monitor without windows must not load, and its resident memory is
split by mapping (Qt Core, the libraries it brings, the C and C++ runtime, the program, the
heap and stacks).

vnstatd comes with the Debian package vnstat (`apt-get install vnstat`); the script says so and
exits with 77 when it is missing. The default window is 600 s, the default program
build/release/bin/orvanta-cli.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SETTLE_SECONDS = 5
GUI_LIBRARIES = ("libQt6Widgets", "libQt6Gui", "libQt6OpenGL", "libxkbcommon", "libGL")


def cpu_ns(pid):
    """CPU time of the process in ns: every live thread's scheduler count, or the process's
    ticks when those are missing (a kernel without schedstats)."""
    total = 0
    try:
        for tid in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        return total
    except (OSError, ValueError, IndexError):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        ticks = int(fields[11]) + int(fields[12])
        return ticks * 1_000_000_000 // os.sysconf("SC_CLK_TCK")


def wakeups(pid):
    """Context switches of every live thread: about one a wake-up for an idle program."""
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def threads(pid):
    return len(os.listdir(f"/proc/{pid}/task"))


def gui_mappings(pid):
    found = set()
    with open(f"/proc/{pid}/maps") as f:
        for line in f:
            name = os.path.basename(line.split()[-1]) if len(line.split()) >= 6 else ""
            if name.startswith(GUI_LIBRARIES):
                found.add(name)
    return sorted(found)


# The groups the monitor's resident memory is split into, by mapping name.
SPLIT_GROUPS = (
    ("Qt Core", ("libQt6Core",)),
    ("ICU", ("libicu",)),
    ("Qt Core's other libraries", ("libglib", "libpcre2", "libz.", "libzstd", "libb2", "libgomp",
                                   "libdouble-conversion")),
    ("C and C++ runtime", ("libc.", "libm.", "libstdc++", "libgcc_s", "ld-linux")),
    ("the program", ("orvanta-cli",)),
    ("heap, stacks, anonymous", ("[heap]", "[stack]", "[anon]")),
)


def rss_split(pid):
    """Resident kB per mapping name (a library's segments together; unnamed ones as [anon])."""
    split = {}
    name = None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            fields = line.split()
            if len(fields) >= 5 and "-" in fields[0] and ":" in fields[3]:
                path = fields[5] if len(fields) >= 6 else "[anon]"
                name = os.path.basename(path) if path.startswith("/") else path
            elif fields and fields[0] == "Rss:" and name is not None:
                split[name] = split.get(name, 0) + int(fields[1])
    return split


def grouped(split):
    groups = {label: 0 for label, _ in SPLIT_GROUPS}
    groups["other"] = 0
    for name, kb in split.items():
        label = next((label for label, prefixes in SPLIT_GROUPS
                      if name.startswith(prefixes)), "other")
        groups[label] += kb
    return groups


def sample(pid):
    return {"cpu": cpu_ns(pid), "wake": wakeups(pid), "rss": rss_kb(pid)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seconds", type=float, default=600)
    parser.add_argument("--cli", default=os.path.join(ROOT, "build", "release", "bin", "orvanta-cli"))
    args = parser.parse_args()

    vnstatd = shutil.which("vnstatd") or ("/usr/sbin/vnstatd" if os.path.exists("/usr/sbin/vnstatd") else None)
    if not vnstatd:
        print("vnstatd is missing: install the Debian package vnstat (apt-get install vnstat)",
              file=sys.stderr)
        return 77
    if not os.access(args.cli, os.X_OK):
        print(f"{args.cli} is missing: build it first (cmake --build --preset release)", file=sys.stderr)
        return 1

    work = tempfile.mkdtemp(prefix="orvanta-idle-")
    procs = []
    try:
        env = dict(os.environ)
        for name in ("ORVANTA_POLL_MS", "ORVANTA_RAS"):
            env.pop(name, None)
        env.update({
            "ORVANTA_HOME": os.path.join(work, "home"),
            "XDG_CONFIG_HOME": os.path.join(work, "xdg"),
            "ORVANTA_RAS": "sim:" + os.path.join(work, "ras-sim.state"),
            "LC_ALL": "C.UTF-8",
        })
        os.makedirs(env["ORVANTA_HOME"])
        os.makedirs(env["XDG_CONFIG_HOME"])
        monitor_log = open(os.path.join(work, "monitor.out"), "w")
        monitor = subprocess.Popen([args.cli, "monitor"], env=env, stdout=monitor_log,
                                   stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        procs.append(monitor)

        db = os.path.join(work, "vnstat-db")
        os.makedirs(db)
        config = os.path.join(work, "vnstat.conf")
        with open(config, "w") as f:
            f.write(f'DatabaseDir "{db}"\nUseLogging 0\nDaemonUser ""\nDaemonGroup ""\n')
        vnstat = subprocess.Popen([vnstatd, "-n", "--config", config, "--alwaysadd"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                  stdin=subprocess.DEVNULL)
        procs.append(vnstat)

        time.sleep(SETTLE_SECONDS)
        for p, name in ((monitor, "orvanta-cli monitor"), (vnstat, "vnstatd")):
            if p.poll() is not None:
                print(f"{name} ended early with {p.returncode}", file=sys.stderr)
                return 1
        start = {p.pid: sample(p.pid) for p in procs}
        time.sleep(args.seconds)
        end = {p.pid: sample(p.pid) for p in procs}
        gui = gui_mappings(monitor.pid)
        split = rss_split(monitor.pid)
        vnstat_split = rss_split(vnstat.pid)
        counts = {p.pid: threads(p.pid) for p in procs}

        def figures(p):
            a, b = start[p.pid], end[p.pid]
            return (b["cpu"] - a["cpu"]) / 1e6, b["wake"] - a["wake"], max(a["rss"], b["rss"]) / 1024

        m = figures(monitor)
        v = figures(vnstat)
        ratio = lambda x, y: f"{x / y:.2f}x" if y else "n/a"
        print(f"idle window {args.seconds:.0f} s, machine: {os.uname().machine}, "
              f"{os.cpu_count()} CPUs, {os.uname().release}")
        print(f"{'':22}{'CPU ms':>10}{'wake-ups':>10}{'RSS MB':>10}{'threads':>9}")
        print(f"{'orvanta-cli monitor':22}{m[0]:10.1f}{m[1]:10d}{m[2]:10.1f}{counts[monitor.pid]:9d}")
        print(f"{'vnstatd':22}{v[0]:10.1f}{v[1]:10d}{v[2]:10.1f}{counts[vnstat.pid]:9d}")
        print(f"{'ratio':22}{ratio(m[0], v[0]):>10}{ratio(m[1], v[1]):>10}{ratio(m[2], v[2]):>10}")
        print("Qt GUI libraries mapped by the monitor: " + (", ".join(gui) if gui else "none"))
        print("the monitor's resident memory at the end, MB: " + ", ".join(
            f"{label} {kb / 1024:.1f}" for label, kb in grouped(split).items() if kb))
        print("vnstatd's, MB: " + ", ".join(
            f"{label} {kb / 1024:.1f}" for label, kb in grouped(vnstat_split).items() if kb))
        print("the monitor's largest mappings, MB: " + ", ".join(
            f"{name} {kb / 1024:.2f}" for name, kb in
            sorted(split.items(), key=lambda item: -item[1])[:8]))
        return 0
    finally:
        for p in procs:
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
