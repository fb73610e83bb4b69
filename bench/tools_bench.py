#!/usr/bin/env python3
"""The two sound tools timed as whole processes: CPU time (user + system) and
peak resident memory of korveld-xm2wav rendering 120 s of each embedded module,
from the program's own copy and from the module file the build wrote, and of
korveld-sid2wav rendering 60 s of each embedded tune.

The machine may be shared: the commands run in turn, round after round, so a
change in its speed touches all of them alike, and each figure is the median
of the rounds. CPU time is what the process used, not how long it waited.

  bench/tools_bench.py BUILD_DIR [--rounds N]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

XM_SECONDS = 120
SID_SECONDS = 60
XM_TARGET_CPU = 0.06  # seconds of CPU for 120 s of a module
SID_TARGET_SPEED = 1500.0  # times real time


def run(command):
    """CPU seconds and peak resident MB of one finished run of command."""
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(command, stdout=null, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        err = child.stderr.read().decode(errors="replace")
        child.stderr.close()
    if child.returncode != 0:
        sys.exit(f"tools_bench: {' '.join(command)} failed ({child.returncode}): {err.strip()}")
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    xm2wav = os.path.join(args.build, "korveld-xm2wav")
    sid2wav = os.path.join(args.build, "korveld-sid2wav")
    module_dir = os.path.join(args.build, "content", "xm")
    module_files = sorted(f for f in os.listdir(module_dir) if f.endswith(".xm"))

    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "out.wav")
        jobs = []  # (group, label, command)
        for n in range(1, 5):
            jobs.append(("xm", f"module {n} (embedded)",
                         [xm2wav, "--embedded", str(n), out, "--seconds", str(XM_SECONDS)]))
        for name in module_files:
            jobs.append(("xm", f"{name} (file)",
                         [xm2wav, os.path.join(module_dir, name), out, "--seconds", str(XM_SECONDS)]))
        for n in range(1, 13):
            jobs.append(("sid", f"tune {n} (embedded)",
                         [sid2wav, "--embedded", str(n), out, "--seconds", str(SID_SECONDS)]))
        cpu = {label: [] for _, label, _ in jobs}
        peak = {label: 0.0 for _, label, _ in jobs}
        run(jobs[0][2])  # warm-up: page cache, shared libraries
        for _ in range(args.rounds):
            for _, label, command in jobs:
                seconds, mb = run(command)
                cpu[label].append(seconds)
                peak[label] = max(peak[label], mb)

    print(f"== tools as processes (median CPU of {args.rounds} interleaved rounds, peak memory)")
    print(f"korveld-xm2wav, {XM_SECONDS} s of output (target: under {XM_TARGET_CPU} s CPU)")
    for group, label, _ in jobs:
        if group != "xm":
            continue
        c = statistics.median(cpu[label])
        print(f"  {label:28s} cpu {c:7.3f} s  peak {peak[label]:6.1f} MB  {c / XM_TARGET_CPU:5.2f}x target")
    print(f"korveld-sid2wav, {SID_SECONDS} s of output (target: at least {SID_TARGET_SPEED:.0f}x real time)")
    for group, label, _ in jobs:
        if group != "sid":
            continue
        c = statistics.median(cpu[label])
        speed = SID_SECONDS / c if c > 0 else float("inf")
        print(f"  {label:28s} cpu {c:7.3f} s  peak {peak[label]:6.1f} MB  {speed:7.0f}x real time")


if __name__ == "__main__":
    main()
