#!/usr/bin/env python3
"""The real program through a real sound server, recorded as a listener hears it.

  sound_server.py KORVELD KORVELD_RENDER [--busy] [--bench] [--keep DIR]

A private PulseAudio daemon with a null sink, an Xvfb screen and the magazine
on SDL's pulseaudio driver, driven through the intro (an F-key tune change)
into the viewer (MUSIC 2, MUTE twice, MUSIC 3, QUIT) while parec records the
sink's monitor; the same session on korveld-render for comparison. Checks:
  - the recording is the music: its level is within 3 dB of the render's;
  - no dropout: no run of silence of 10 ms or more inside the music (the
    deliberate gaps around a tune change or MUTE are left out), and the
    program's own count of the times its stream ran dry is 0;
  - no click: around MUTE, MUSIC n and the F-key change, no sample-to-sample
    step into or out of silence larger than EDGE_STEP.
--busy keeps one core busy with a second process while the session runs.
--bench prints the figures (dropouts, levels, steps) and always exits 0.
"""
import argparse, math, os, shutil, signal, struct, subprocess, sys, tempfile, time

RATE = 44100
SILENCE_RUN = RATE // 100   # 10 ms: a gap this long is a dropout
# A start or stop ramps over 256 frames, so the step into or out of silence
# is at most a 256th of full scale, and the modules' own rests end softer
# still (under 100); a cut or an underrun steps by thousands.
EDGE_STEP = 256
HERE = os.path.dirname(os.path.abspath(__file__))

# The session: (seconds after the previous step, action, argument). Times are
# those of the headless script too; the real run sleeps them between actions.
SESSION = [
    (4.0, "key", "F5"),        # the intro's tune changes on the open device
    (2.5, "key", "Escape"),    # ends the intro; the change-over's flashes
    (5.0, "click", (100, 142)),  # MUSIC 2
    (3.0, "click", (700, 51)),   # MUTE
    (1.5, "click", (700, 51)),   # MUTE again: the tune from its start
    (3.0, "click", (690, 142)),  # MUSIC 3
    (4.0, "click", (60, 50)),    # QUIT
]


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def headless_script():
    lines = []
    for wait, action, arg in SESSION:
        lines.append("wait %g" % wait)
        if action == "key":
            lines.append("key " + arg.lower())
        else:
            lines += ["move %d %d" % arg, "click"]
    return "\n".join(lines + ["wait 2"]) + "\n"


def read_pcm(path, skip=0):
    with open(path, "rb") as f:
        data = f.read()[skip:]
    n = len(data) // 4
    return struct.unpack("<%dh" % (2 * n), data[:4 * n])


class Session:
    def __init__(self, args):
        self.args = args
        self.work = args.keep or tempfile.mkdtemp(prefix="korveld-sound-")
        os.makedirs(self.work, exist_ok=True)
        self.procs = []
        run = os.path.join(self.work, "run")
        os.makedirs(run, exist_ok=True)
        os.chmod(run, 0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=run, HOME=self.work, PULSE_RUNTIME_PATH=os.path.join(run, "pulse"),
                        PULSE_STATE_PATH=os.path.join(self.work, "state"), SDL_AUDIODRIVER="pulseaudio")
        self.env.pop("PULSE_SERVER", None)

    def spawn(self, cmd, **kw):
        # Each process in a session of its own, as a desktop starts the sound
        # server and each program: the kernel shares the cores between
        # sessions first, so the check is not starved by its own siblings
        # (the other tests of the same run).
        p = subprocess.Popen(cmd, env=self.env, start_new_session=True, **kw)
        self.procs.append(p)
        return p

    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.send_signal(signal.SIGTERM)
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        if not self.args.keep:
            shutil.rmtree(self.work, ignore_errors=True)

    def start_x(self):
        r, w = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(w), "-screen", "0", "800x600x24", "-br", "-nolisten", "tcp"],
                   pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            display = f.readline().strip()
        if not display:
            fail("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display

    def start_pulse(self):
        log = open(os.path.join(self.work, "pulse.log"), "w")
        # A desktop's server runs its threads at a raised or real-time priority
        # (rtkit); so does this one where it may, so that what is measured is
        # the program's delivery, not a server starved by the machine's load.
        self.spawn(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                    "--high-priority=yes", "--realtime=yes",
                    "-L", "module-null-sink sink_name=korveld rate=%d format=s16le channels=2" % RATE,
                    "-L", "module-native-protocol-unix"], stdout=log, stderr=log)
        for _ in range(100):
            if subprocess.run(["pactl", "info"], env=self.env, capture_output=True).returncode == 0:
                return
            time.sleep(0.1)
        fail("the PulseAudio daemon did not start (see pulse.log)")

    def run_real(self):
        """Runs the session on the real binary; returns the recording and the action times in its frames."""
        self.sessions = getattr(self, "sessions", 0) + 1
        rec_path = os.path.join(self.work, "real%d.raw" % self.sessions)
        rec = self.spawn(["parec", "-d", "korveld.monitor", "--format=s16le", "--rate=%d" % RATE, "--channels=2",
                          "--latency-msec=100", rec_path])
        # The monitor records continuously, silence included: the file's size
        # when the program starts ties the recording's frames to the clock.
        for _ in range(100):
            if os.path.exists(rec_path) and os.path.getsize(rec_path) > 0:
                break
            time.sleep(0.05)
        time.sleep(0.3)
        t0, f0 = time.monotonic(), os.path.getsize(rec_path) // 4
        stderr = open(os.path.join(self.work, "korveld.stderr"), "w")
        prog = self.spawn([self.args.korveld], stderr=stderr)
        marks = []
        for wait, action, arg in SESSION:
            time.sleep(wait)
            marks.append(time.monotonic() - t0)  # the press comes after this
            if action == "key":
                subprocess.run(["xdotool", "keydown", arg, "sleep", "0.15", "keyup", arg], env=self.env)
            else:
                subprocess.run(["xdotool", "mousemove", str(arg[0]), str(arg[1]), "sleep", "0.1", "mousedown", "1",
                                "sleep", "0.1", "mouseup", "1"], env=self.env)
        try:
            status = prog.wait(15)
        except subprocess.TimeoutExpired:
            fail("QUIT did not end the program")
        time.sleep(0.5)
        rec.send_signal(signal.SIGINT)
        rec.wait(5)
        if status != 0:
            fail("the program ended with status %d" % status)
        samples = read_pcm(rec_path)
        # The program counts the times its stream ran dry and says so at exit.
        with open(stderr.name) as f:
            dry = sum(int(line.split(" ran dry ")[1].split()[0]) for line in f if " the sound ran dry " in line)
        return samples, [f0 + int(m * RATE) for m in marks], dry

    def run_headless(self):
        script = os.path.join(self.work, "session.txt")
        with open(script, "w") as f:
            f.write(headless_script())
        wav = os.path.join(self.work, "headless.wav")
        r = subprocess.run([self.args.render, "--script", script, "--audio", wav], capture_output=True, text=True)
        if r.returncode != 0:
            fail("korveld-render ended with status %d: %s" % (r.returncode, r.stderr.strip()))
        marks, t = [], 0.0
        for wait, _, _ in SESSION:
            t += wait
            marks.append(int(t * RATE))
        return read_pcm(wav, skip=44), marks


def level(samples, marks):
    """RMS of the viewer's music: from 4 s after Escape to QUIT, without MUTE and a second after each press."""
    escape, quit_at = marks[1], marks[-1]
    squares = count = 0
    for i in range(escape + 4 * RATE, min(quit_at, len(samples) // 2), RATE // 10):
        if any(m - RATE // 5 <= i < m + RATE for m in marks) or marks[3] <= i < marks[4]:
            continue
        part = samples[2 * i:2 * (i + RATE // 10)]
        squares += sum(v * v for v in part)
        count += len(part)
    return math.sqrt(squares / count) if count else 0.0


def hard_silences(samples, marks):
    """Runs of silence of 10 ms or more that the sound did not fade into or out of.

    (start frame, frames, step, made by a press): the step is the larger of
    the last frame before and the first after. The program fades every sound it
    starts or stops, and the modules' own rests end softly, so a hard edge
    is a dropout (the sound server ran dry) or, at a press, a click.
    """
    found, run, pressed = [], 0, set()
    level = lambda i: max(abs(samples[2 * i]), abs(samples[2 * i + 1]))
    for i in range(len(samples) // 2):
        if samples[2 * i] == 0 and samples[2 * i + 1] == 0:
            run += 1
            continue
        if run >= SILENCE_RUN and i > run:
            step = max(level(i), level(i - run - 1))
            # The first silence within two seconds of a press is the one it made.
            press = next((m for m in marks if m <= i - run < m + 2 * RATE and m not in pressed), None)
            pressed.add(press)
            if step > EDGE_STEP:
                found.append((i - run, run, step, press is not None))
        run = 0
    return found


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("korveld")
    ap.add_argument("render")
    ap.add_argument("--busy", action="store_true")
    ap.add_argument("--bench", action="store_true")
    ap.add_argument("--keep")
    args = ap.parse_args()
    for tool in ("Xvfb", "xdotool", "pulseaudio", "parec", "pactl"):
        if not shutil.which(tool):
            fail(tool + " missing (make test-deps)")
    s = Session(args)
    busy = None
    try:
        s.start_x()
        s.start_pulse()
        headless, hmarks = s.run_headless()
        if args.busy:
            busy = s.spawn([sys.executable, "-c", "while True: pass"])
        real, rmarks, dry = s.run_real()
        faults = hard_silences(real, rmarks)
        dropouts = [f for f in faults if not f[3]]
    finally:
        if busy:
            busy.kill()
        s.close()
    real_level, render_level = level(real, rmarks), level(headless, hmarks)
    diff = 20 * math.log10(real_level / render_level) if real_level > 0 else float("inf")
    print("%s: %d dropouts, %d clicks at a press, %d times ran dry; level %.0f against %.0f (%+.2f dB)"
          % ("busy" if args.busy else "idle", len(dropouts), len(faults) - len(dropouts), dry, real_level,
             render_level, diff))
    for start, frames, step, at_press in faults:
        print("  %s at %.3f s: %.1f ms of silence, step %d" % ("click" if at_press else "dropout", start / RATE,
                                                                1000.0 * frames / RATE, step))
    if args.bench:
        return
    if abs(diff) > 3.0:
        fail("the recording's level is %.1f dB from the headless render's" % diff)
    if faults or dry:
        fail("%d dropouts and %d clicks (a step above %d into or out of 10 ms of silence); the program ran dry %d times"
             % (len(dropouts), len(faults) - len(dropouts), EDGE_STEP, dry))
    print("ok")


if __name__ == "__main__":
    main()
