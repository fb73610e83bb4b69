#!/usr/bin/env python3
"""Random whole-program sessions for korveld-render.

Each seed gives a frame time (0.001 s to 2 s) and a script: perhaps Escape or
the button held at the start, stray input in the intro, then moves, clicks,
drags past the scroll bar's ends, wheel, page, arrow and skin keys, the music
buttons and clicks during wipes, ended by Escape or QUIT. A session passes when
the run ends on its own with status 0 and its summary line, no earlier than the
script ends it, within a virtual-time bound worked out from the script and a
wall-clock limit, with nothing from the sanitizers on stderr.

  tests/app/session_fuzz.py RENDER [--seeds A:B | --seed N ... | --regression]
                            [--jobs J] [--keep DIR] [--wall S]
"""
import argparse, concurrent.futures, os, random, re, subprocess, sys, tempfile

# Button rectangles (x, y, w, h) of skin 1 and skin 2, buttons 1..10.
BUTTONS = {
    1: [(35, 40, 88, 19), (35, 65, 88, 19), (35, 90, 88, 19), (672, 65, 88, 19), (672, 90, 88, 19),
        (672, 40, 88, 19), (9, 132, 57, 19), (73, 132, 57, 19), (665, 132, 57, 19), (729, 132, 57, 19)],
    2: [(25, 49, 76, 19), (25, 73, 76, 19), (25, 97, 76, 19), (698, 73, 76, 19), (698, 97, 76, 19),
        (698, 49, 76, 19), (18, 137, 43, 8), (79, 137, 44, 8), (669, 137, 44, 8), (733, 137, 43, 8)],
}
MUTE = 6
QUIT_BOTH = (70, 54)  # inside QUIT of both skins
INTRO_KEYS = ["f%d" % n for n in range(1, 13)]
PAGE_KEYS = ["pageup", "pagedown", "home", "end"]
STRAY_KEYS = PAGE_KEYS + ["left", "right", "up", "down"]
# One seed per frame time from 0.004 s up; both endings, both held starts,
# drags past the bar's ends.
REGRESSION_SEEDS = [3, 5, 12, 17, 19, 24]
FRAME_TIMES = [1 / 60] * 6 + [0.001, 0.004, 1 / 30, 0.1, 0.5, 2.0]
SANITIZER = re.compile(r"Sanitizer|runtime error:|SUMMARY: ")
SUMMARY = re.compile(r"^frames (\d+) seconds ([0-9.]+) status (-?\d+) hash [0-9a-f]{16}$", re.M)

# The intro start (a pause, three half-second flashes), the change-over (six
# flashes) and a page wipe (150 frames) read no input, so the script waits
# them out before input that must be seen. Each viewer frame also sleeps 1 ms.
INTRO_START_SECONDS = 0.15 + 3 * 0.5
CHANGE_OVER_SECONDS = 6 * 0.5 + 0.01
FLASH_FRAMES_MARGIN = 8
WIPE_FRAMES = 150
FRAME_SLEEP = 0.001


def in_quit(x, y):
    return any(bx < x < bx + bw and by < y < by + bh for bx, by, bw, bh in (BUTTONS[1][0], BUTTONS[2][0]))


class Session:
    """Builds one script and keeps the numbers its time bound needs."""

    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.frame_time = self.rng.choice(FRAME_TIMES)
        self.lines = ["# session seed %d, frame time %r" % (seed, self.frame_time)]
        self.wait_seconds = 0.0
        self.frame_commands = 0  # commands that hold the script for frames
        self.presses = 0         # each may start one page change (two wipes)
        self.skin = 1
        self.earliest_end = 0.0
        self.wait_scale = min(1.0, self.frame_time * 60)  # short frames: short waits

    def emit(self, line):
        self.lines.append(line)
        verb = line.split()[0]
        self.frame_commands += verb in ("key", "click", "shot")
        self.presses += verb in ("click", "press")

    def wait_for(self, seconds):
        self.wait_seconds += seconds
        self.emit("wait %g" % seconds)

    def wait(self, lo, hi):
        self.wait_for(round(self.rng.uniform(lo, hi) * self.wait_scale, 3))

    def frames(self, n):
        self.wait_for(round(n * (self.frame_time + FRAME_SLEEP), 4))

    def fixed_wait(self, seconds):
        self.wait_for(round(seconds + FLASH_FRAMES_MARGIN * (self.frame_time + FRAME_SLEEP), 4))

    def move(self, x, y):
        self.emit("move %d %d" % (max(0, min(799, x)), max(0, min(599, y))))

    def key(self, choices):
        self.emit("key " + self.rng.choice(choices))

    def point_in_button(self, b, edge=False):
        x, y, w, h = BUTTONS[self.skin][b - 1]
        while True:
            if edge:  # the rectangle's edge or one pixel inside or outside it
                p = (self.rng.choice([x - 1, x, x + 1, x + w - 1, x + w, x + w + 1]),
                     self.rng.choice([y - 1, y, y + 1, y + h - 1, y + h, y + h + 1]))
            else:
                p = self.rng.randint(x + 1, x + w - 1), self.rng.randint(y + 1, y + h - 1)
            if not in_quit(*p):
                return p

    def point_in_menu(self):
        left = 147 if self.rng.randint(0, 1) == 0 else 401
        k = self.rng.randint(1, 5)
        return self.rng.randint(left, left + 244), self.rng.randint(48 + 12 * k, 60 + 12 * k)

    def point_on_bar(self):
        xo = 0 if self.skin == 1 else 5
        return self.rng.randint(774 + xo, 792 + xo), self.rng.randint(199, 562)

    def random_point(self):
        """Never inside QUIT: the run may end only where the script ends it."""
        while True:
            r = self.rng.random()
            if r < 0.35:
                p = self.point_in_button(self.rng.randint(2, 10), edge=self.rng.random() < 0.2)
            elif r < 0.7:
                p = self.point_in_menu()
            elif r < 0.85:
                p = self.point_on_bar()
            else:
                p = self.rng.randint(0, 799), self.rng.randint(0, 599)
            if not in_quit(*p):
                return p

    def start(self):
        r = self.rng.random()
        if r < 0.3:  # Escape (the release wait) or the button still held from before
            down, up = ("hold escape", "release escape") if r < 0.15 else ("press", "unpress")
            self.emit(down)
            self.wait(0.05, 0.5)
            self.emit(up)

    def intro(self):
        if self.rng.random() < 0.3:  # lost in the intro start's flashes
            self.wait(0, 1)
            self.key(INTRO_KEYS + ["escape"])
        self.fixed_wait(INTRO_START_SECONDS)
        self.wait(0, 2.5)
        for _ in range(self.rng.randint(0, 6)):
            r = self.rng.random()
            if r < 0.5:
                self.key(INTRO_KEYS)
            elif r < 0.6:
                self.move(self.rng.randint(0, 799), self.rng.randint(0, 599))
            elif r < 0.7:
                self.emit("wheel %d" % self.rng.randint(-5, 5))
            else:
                self.key(STRAY_KEYS)
            self.wait(0, 0.6)
        self.emit("key escape" if self.rng.random() < 0.7 else "click")
        if self.rng.random() < 0.2:  # lost in the change-over's flashes
            self.key(["f1", "f2"] + PAGE_KEYS)
            self.skin = 1  # which skin applies is not tracked: aim at skin 1
        self.fixed_wait(CHANGE_OVER_SECONDS)

    def click_at(self, point):
        self.move(*point)
        self.frames(self.rng.choice([0, 1, 2]))
        self.emit("click")

    def action(self):
        rng = self.rng
        r = rng.random()
        if r < 0.30:
            self.click_at(self.random_point())
        elif r < 0.38:  # clicks while a wipe runs
            self.click_at(self.point_in_menu())
            for _ in range(rng.randint(1, 3)):
                self.frames(rng.randint(0, 40))
                self.click_at(self.random_point())
        elif r < 0.48:  # drag, maybe past the bar's ends
            start = self.point_on_bar() if rng.random() < 0.7 else self.random_point()
            self.move(*start)
            self.frames(rng.randint(0, 2))
            self.emit("press")
            for _ in range(rng.randint(1, 6)):
                y = rng.choice([0, 1, 150, 199, 200, 201, 552, 553, 560, 561, 599, rng.randint(0, 599)])
                self.move(rng.choice([start[0], rng.randint(0, 799)]), y)
                self.frames(rng.randint(1, 5))
            self.emit("unpress")
        elif r < 0.56:
            self.emit("wheel %d" % rng.choice([-1, 1, -3, 3, -12, 40, -400, 1000, -1000]))
        elif r < 0.66:
            self.key(PAGE_KEYS)
        elif r < 0.74:
            key = rng.choice(["up", "down"])
            self.emit("hold " + key)
            if rng.random() < 0.3:
                self.emit("hold " + ("down" if key == "up" else "up"))
            self.frames(rng.randint(1, 90))
            self.emit("release up")
            self.emit("release down")
        elif r < 0.80:
            key = rng.choice(["f1", "f2"])
            self.skin = int(key[1])
            self.emit("key " + key)
        elif r < 0.90:  # the music buttons
            self.click_at(self.point_in_button(rng.choice([MUTE, MUTE, 7, 8, 9, 10])))
        elif r < 0.95:  # a press held over a button, then moved off
            self.move(*self.point_in_button(rng.randint(2, 10)))
            self.emit("press")
            self.frames(rng.randint(1, 5))
            self.move(*self.random_point())
            self.frames(rng.randint(1, 5))
            self.emit("unpress")
        else:
            self.move(*self.random_point())
        self.wait(0, 0.4)

    def finish(self):
        for line in ("unpress", "release up", "release down"):
            self.emit(line)
        self.frames(WIPE_FRAMES + 5)
        self.earliest_end = self.wait_seconds  # the run cannot pass its waits early
        if self.rng.random() < 0.5:
            self.emit("key escape")
        else:
            self.move(*QUIT_BOTH)
            self.frames(2)
            self.emit("click")
        self.frames(2)

    def bound(self):
        """Virtual seconds the run may take at most."""
        frames = self.frame_commands * 3 + len(self.lines) + 10 + self.presses * (2 * WIPE_FRAMES + 4)
        return 2 * (self.wait_seconds + frames * (self.frame_time + FRAME_SLEEP)) + 10


def make_session(seed):
    s = Session(seed)
    s.start()
    s.intro()
    for _ in range(random.Random(seed ^ 0x5EED).randint(3, 14)):
        s.action()
    s.finish()
    return s, "\n".join(s.lines) + "\n"


def problem_of(p, s, bound):
    m = SUMMARY.search(p.stdout)
    end = float(m.group(2)) if m else 0.0
    for bad, why in ((SANITIZER.search(p.stderr), "sanitizer report"),
                     (p.returncode == 124, "did not end within %.1f virtual seconds" % bound),
                     (p.returncode != 0, "exit status %d" % p.returncode),
                     (not m or m.group(3) != "0", "no summary line with status 0"),
                     (end < s.earliest_end - 0.002,
                      "ended at %.3f virtual seconds, before the script ended it (%.3f)" % (end, s.earliest_end))):
        if bad:
            return why
    return None


def run_seed(render, seed, wall, keep):
    s, text = make_session(seed)
    bound = s.bound()
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write(text)
    cmd = [render, "--script", f.name, "--frame-time", repr(s.frame_time), "--seed", str(seed),
           "--max-seconds", "%.3f" % bound]
    try:
        p = subprocess.run(cmd, capture_output=True, text=True, timeout=wall)
        problem, log = problem_of(p, s, bound), p.stdout + p.stderr
    except subprocess.TimeoutExpired as e:
        err = e.stderr.decode(errors="replace") if isinstance(e.stderr, bytes) else e.stderr or ""
        problem, log = "hang: no end after %g wall seconds" % wall, err
    finally:
        os.unlink(f.name)
    if problem and keep:
        os.makedirs(keep, exist_ok=True)
        for suffix, body in (("txt", text), ("err", " ".join(cmd) + "\n" + log)):
            with open(os.path.join(keep, "seed%d.%s" % (seed, suffix)), "w") as out:
                out.write(body)
    return seed, s.frame_time, problem, log


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("render", nargs="?")
    ap.add_argument("--seeds", help="a range A:B of seeds (B not included)")
    ap.add_argument("--seed", type=int, action="append", default=[], help="one seed; may be repeated")
    ap.add_argument("--regression", action="store_true", help="run the fixed seeds of the test suite")
    ap.add_argument("--jobs", type=int, default=1)
    ap.add_argument("--wall", type=float, default=300.0, help="wall-clock seconds a run may take")
    ap.add_argument("--keep", help="folder for the scripts and stderr of failing seeds")
    args = ap.parse_args()
    if not args.render:
        ap.error("the korveld-render program is needed")
    seeds = args.seed + (list(range(*map(int, args.seeds.split(":")))) if args.seeds else [])
    seeds = REGRESSION_SEEDS if args.regression else seeds or list(range(20))
    failures = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
        futures = [pool.submit(run_seed, args.render, n, args.wall, args.keep) for n in seeds]
        for future in concurrent.futures.as_completed(futures):
            seed, ft, problem, log = future.result()
            if problem:
                failures += 1
                print("seed %d (frame time %g): %s" % (seed, ft, problem))
                for line in [l for l in log.splitlines() if l.strip()][:12]:
                    print("    " + line)
                sys.stdout.flush()
    print("%d sessions, %d failed" % (len(seeds), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
