#!/usr/bin/env python3
"""The two sound tools timed as whole processes: CPU time (user + system) and
peak resident memory of korveld-xm2wav rendering 120 s of each embedded module,
from the program's own copy and from the module file the build wrote, and of
korveld-sid2wav rendering 60 s of each embedded tune.

The machine may be shared: the commands run in turn, round after round, so a
change in its speed touches all of them alike, and each figure is the median
of the rounds. CPU time is what the process used, not how long it waited.

Peak memory comes from one more run of each under GNU time: a child started
from this script inherits the script's own resident high-water mark across
exec, so the script's wait would report Python's size, not the tool's.

With --baseline OTHER_BUILD_DIR the same tools of another build run in the
same rounds, interleaved with these, and each line gives both and the ratio.

  bench/tools_bench.py BUILD_DIR [--rounds N] [--baseline OTHER_BUILD_DIR]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

XM_SECONDS = 120
SID_SECONDS = 60
XM_TARGET_CPU = 0.06  # seconds of CPU for 120 s of a module
SID_TARGET_SPEED = 1500.0  # times real time
FLOOR_SECONDS = 0.01  # output of the start-up runs
GNU_TIME = "/usr/bin/time"


def run(command):
    """CPU seconds of one finished run of command."""
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(command, stdout=null, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        err = child.stderr.read().decode(errors="replace")
        child.stderr.close()
    if child.returncode != 0:
        sys.exit(f"tools_bench: {' '.join(command)} failed ({child.returncode}): {err.strip()}")
    return usage.ru_utime + usage.ru_stime


def peak_mb(command, scratch):
    """Peak resident MB of one run of command, as GNU time reports it (0 without it)."""
    if not os.path.exists(GNU_TIME):
        return 0.0
    report = os.path.join(scratch, "time.txt")
    with open(os.devnull, "wb") as null:
        subprocess.run([GNU_TIME, "-f", "%M", "-o", report] + command, stdout=null, stderr=null, check=True)
    with open(report) as f:
        return int(f.read().split()[-1]) / 1024.0


def tool_jobs(build, out):
    """(group, label, command) of every measured run of one build's tools."""
    xm2wav = os.path.join(build, "korveld-xm2wav")
    sid2wav = os.path.join(build, "korveld-sid2wav")
    module_dir = os.path.join(build, "content", "xm")
    module_files = sorted(f for f in os.listdir(module_dir) if f.endswith(".xm"))
    # The floors: a process that does nothing, and each tool's start-up with
    # all but a few milliseconds of output left out.
    jobs = [("floor", "a bare process (true)", [shutil.which("true") or "/bin/true"]),
            ("floor", "korveld-xm2wav start-up",
             [xm2wav, "--embedded", "1", out, "--seconds", str(FLOOR_SECONDS)]),
            ("floor", "korveld-sid2wav start-up",
             [sid2wav, "--embedded", "1", out, "--seconds", str(FLOOR_SECONDS)])]
    for n in range(1, 5):
        jobs.append(("xm", f"module {n} (embedded)",
                     [xm2wav, "--embedded", str(n), out, "--seconds", str(XM_SECONDS)]))
    for name in module_files:
        jobs.append(("xm", f"{name} (file)",
                     [xm2wav, os.path.join(module_dir, name), out, "--seconds", str(XM_SECONDS)]))
    for n in range(1, 13):
        jobs.append(("sid", f"tune {n} (embedded)",
                     [sid2wav, "--embedded", str(n), out, "--seconds", str(SID_SECONDS)]))
    return jobs


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--baseline", help="another build folder whose tools run in the same rounds")
    args = parser.parse_args()
    builds = [args.build] + ([args.baseline] if args.baseline else [])

    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "out.wav")
        jobs = {b: tool_jobs(b, out) for b in builds}
        cpu = {b: {label: [] for _, label, _ in jobs[b]} for b in builds}
        for b in builds:  # warm-up: page cache, shared libraries
            for group, _, command in jobs[b]:
                if group == "floor":
                    run(command)
        for _ in range(args.rounds):
            for i in range(len(jobs[args.build])):
                for b in builds:
                    _, label, command = jobs[b][i]
                    cpu[b][label].append(run(command))
        peak = {b: {label: peak_mb(command, scratch) for _, label, command in jobs[b]} for b in builds}

    print(f"== tools as processes (median CPU of {args.rounds} interleaved rounds, peak memory)")
    if args.baseline:
        print(f"   baseline {args.baseline}: its figures in [ ], then this build / baseline")

    def line(label, text_of):
        text = f"  {label:28s} " + text_of(args.build)
        if args.baseline:
            a = statistics.median(cpu[args.build][label])
            b = statistics.median(cpu[args.baseline][label])
            text += f"  [{text_of(args.baseline)}]  cpu {a / b:4.2f}x" if b > 0 else ""
        print(text)

    print(f"floors, beside which the figures below read (start-up: {FLOOR_SECONDS} s of output)")
    for group, label, _ in jobs[args.build]:
        if group != "floor":
            continue
        def floor_text(b, label=label):
            return f"cpu {statistics.median(cpu[b][label]):7.3f} s  peak {peak[b][label]:6.1f} MB"
        line(label, floor_text)
    print(f"korveld-xm2wav, {XM_SECONDS} s of output (target: under {XM_TARGET_CPU} s CPU)")
    for group, label, _ in jobs[args.build]:
        if group != "xm":
            continue
        def xm_text(b, label=label):
            c = statistics.median(cpu[b][label])
            return f"cpu {c:7.3f} s  peak {peak[b][label]:6.1f} MB  {c / XM_TARGET_CPU:5.2f}x target"
        line(label, xm_text)
    print(f"korveld-sid2wav, {SID_SECONDS} s of output (target: at least {SID_TARGET_SPEED:.0f}x real time)")
    for group, label, _ in jobs[args.build]:
        if group != "sid":
            continue
        def sid_text(b, label=label):
            c = statistics.median(cpu[b][label])
            speed = SID_SECONDS / c if c > 0 else float("inf")
            return f"cpu {c:7.3f} s  peak {peak[b][label]:6.1f} MB  {speed:7.0f}x real time"
        line(label, sid_text)


if __name__ == "__main__":
    main()
