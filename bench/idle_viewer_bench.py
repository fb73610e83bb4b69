#!/usr/bin/env python3
"""The real magazine left idle in the viewer on a virtual X screen: the share
of a core its main thread uses (the thread that draws, presents and polls;
the sound threads are not measured), beside a floor measured in the same
rounds on a second virtual screen of the same size: korveld-present-floor, a
plain SDL program that only shows a changing 800 x 600 frame at the same
pacing. The ratio says how much more than merely showing frames the viewer
costs; a change of the machine's speed or load moves both.

The program starts as a person would start it; the intro is ended with
Escape once it shows, and the viewer is measured from 4 s after. Each round
reads both main threads' CPU time (utime + stime of /proc/PID/task/PID/stat)
over the same seconds; the figures are the medians of the rounds.

  bench/idle_viewer_bench.py BUILD_DIR [--rounds N] [--seconds S] [--screen WxH]
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

TARGET_SHARE = 0.03  # of one core
HERE = os.path.dirname(os.path.abspath(__file__))
XSHOT = os.path.join(HERE, "..", "tests", "app", "xshot.py")


def fail(message):
    sys.exit("idle_viewer_bench: " + message)


def start_screen(size, scratch, name):
    """(Xvfb process, DISPLAY) of a fresh virtual screen."""
    ready = os.path.join(scratch, name)
    with open(ready, "w") as out:
        server = subprocess.Popen(["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", size + "x24", "-br",
                                   "-noreset", "-nolisten", "tcp"], pass_fds=[out.fileno()],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        with open(ready) as f:
            number = f.read().strip()
        if number:
            return server, ":" + number
        time.sleep(0.1)
    fail("Xvfb did not start")


def cpu_ticks(pid, thread=True):
    """utime + stime of a process's main thread (or of the whole process), in clock ticks."""
    with open(f"/proc/{pid}/task/{pid}/stat" if thread else f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def look(env, what):
    size = env["KORVELD_SCREEN"].split("x")
    r = subprocess.run([sys.executable, XSHOT, what, "0", "0", size[0], size[1]], env=env, capture_output=True,
                       text=True)
    return r.stdout.strip()


def intro_shows(env):
    return look(env, "kind") == "picture" and int(look(env, "bars") or 0) >= 10


def to_viewer(env, program):
    """Waits for the intro, ends it with Escape, and waits out the change-over."""
    end = time.time() + 60
    while not intro_shows(env):
        if program.poll() is not None or time.time() > end:
            fail("the intro never appeared")
        time.sleep(0.2)
    time.sleep(0.5)
    for _ in range(3):
        subprocess.run(["xdotool", "key", "Escape"], env=env, check=True)
        time.sleep(0.5)
        if not intro_shows(env):
            break
    else:
        fail("Escape never ended the intro")
    time.sleep(4)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=10.0)
    parser.add_argument("--screen", default="800x600")
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool", "xwd"):
        if not shutil.which(tool):
            fail(f"{tool} missing (make bench-deps)")
    magazine = os.path.join(args.build, "korveld")
    floor = os.path.join(args.build, "korveld-present-floor")
    hz = os.sysconf("SC_CLK_TCK")
    started = []
    with tempfile.TemporaryDirectory() as scratch:
        try:
            base = dict(os.environ, SDL_AUDIODRIVER="dummy", KORVELD_SCREEN=args.screen)
            base.pop("KORVELD_WINDOWED", None)
            server, display = start_screen(args.screen, scratch, "magazine")
            started.append(server)
            env = dict(base, DISPLAY=display)
            program = subprocess.Popen([magazine], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            started.append(program)
            floor_server, floor_display = start_screen(args.screen, scratch, "floor")
            started.append(floor_server)
            plain = subprocess.Popen([floor], env=dict(base, DISPLAY=floor_display), stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True)
            started.append(plain)
            to_viewer(env, program)
            shares, floors, wholes = [], [], []
            for _ in range(args.rounds):
                a0, b0, t0 = cpu_ticks(program.pid), cpu_ticks(plain.pid), time.monotonic()
                w0 = cpu_ticks(program.pid, thread=False)
                time.sleep(args.seconds)
                a1, b1, t1 = cpu_ticks(program.pid), cpu_ticks(plain.pid), time.monotonic()
                w1 = cpu_ticks(program.pid, thread=False)
                shares.append((a1 - a0) / hz / (t1 - t0))
                floors.append((b1 - b0) / hz / (t1 - t0))
                wholes.append((w1 - w0) / hz / (t1 - t0))
            if program.poll() is not None:
                fail(f"the magazine ended during the measurement (status {program.returncode})")
            plain.send_signal(signal.SIGTERM)
            said, err = plain.communicate(timeout=10)
            if plain.returncode != 0:
                fail("korveld-present-floor failed: " + err.strip())
        finally:
            for p in reversed(started):
                if p.poll() is None:
                    p.kill()
                    p.wait()
    share, floor_share = statistics.median(shares), statistics.median(floors)
    rounds = " ".join(f"{s * 100:.1f}" for s in shares)
    print(f"idle viewer on a {args.screen} virtual X screen, main thread, median of {args.rounds} rounds of "
          f"{args.seconds:g} s (share of one core)")
    print(f"  korveld                 {share * 100:5.2f}%   rounds: {rounds}")
    # The whole process, for the record: a software GL driver's drawing
    # threads and the sound threads are in it.
    print(f"  korveld, every thread   {statistics.median(wholes) * 100:5.2f}%")
    print(f"  floor: plain SDL client {floor_share * 100:5.2f}%   {said.strip()}")
    ratio = share / floor_share if floor_share > 0 else float("inf")
    verdict = "met" if share < TARGET_SHARE else "MISSED"
    print(f"  ratio {ratio:.2f} x floor; target under {TARGET_SHARE * 100:g}%: {verdict}")


if __name__ == "__main__":
    main()
