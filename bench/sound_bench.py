#!/usr/bin/env python3
"""What a listener gets: the level of every tune, and dropouts through a real sound server.

  bench/sound_bench.py BUILD_DIR [--levels-only]

The level table renders the first minute of each of the twelve intro tunes
(korveld-sid2wav) and of the four modules (korveld-xm2wav) and prints each
one's RMS and peak in dBFS, then the spread between the loudest and the
quietest. Then tests/app/sound_server.py --bench plays a session of the real
program through a private PulseAudio daemon twice, idle and with one core
kept busy, and prints the dropouts, clicks and level it measured. Without
Xvfb or PulseAudio that part says so and is skipped.
"""
import argparse, math, os, shutil, struct, subprocess, sys, tempfile

SECONDS = 60
HERE = os.path.dirname(os.path.abspath(__file__))


def wav_samples(path):
    """The 16-bit samples of a canonical WAV file, channels interleaved."""
    with open(path, "rb") as f:
        data = f.read()
    at = 12
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if tag == b"data":
            body = data[at + 8:at + 8 + size]
            return struct.unpack("<%dh" % (len(body) // 2), body[:len(body) // 2 * 2])
        at += 8 + size + (size & 1)
    sys.exit("sound_bench: no data chunk in " + path)


def dbfs(value):
    return 20 * math.log10(value / 32768.0) if value > 0 else -float("inf")


def level_table(build):
    rows = []
    with tempfile.TemporaryDirectory(prefix="korveld-levels-") as tmp:
        out = os.path.join(tmp, "out.wav")
        tools = [("tune %d" % n, ["korveld-sid2wav", "--embedded", str(n)]) for n in range(1, 13)]
        tools += [("module %d" % n, ["korveld-xm2wav", "--embedded", str(n)]) for n in range(1, 5)]
        for name, (tool, *args) in tools:
            subprocess.run([os.path.join(build, tool), *args, out, "--seconds", str(SECONDS)], check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            pcm = wav_samples(out)
            rms = math.sqrt(sum(v * v for v in pcm) / len(pcm))
            rows.append((name, dbfs(rms), dbfs(max(abs(v) for v in pcm))))
    print("level of the first %d s   RMS dBFS   peak dBFS" % SECONDS)
    for name, rms, peak in rows:
        print("  %-22s %8.2f   %9.2f" % (name, rms, peak))
    levels = [r[1] for r in rows]
    print("  spread %.2f dB (%s loudest, %s quietest)" % (max(levels) - min(levels), rows[levels.index(max(levels))][0],
                                                        rows[levels.index(min(levels))][0]))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--levels-only", action="store_true")
    args = ap.parse_args()
    level_table(args.build)
    if args.levels_only:
        return
    missing = [t for t in ("Xvfb", "xdotool", "pulseaudio", "parec", "pactl") if not shutil.which(t)]
    if missing:
        print("sound server session skipped: %s missing (make test-deps)" % ", ".join(missing))
        return
    script = os.path.join(HERE, "..", "tests", "app", "sound_server.py")
    for extra in ([], ["--busy"]):
        subprocess.run([sys.executable, script, os.path.join(args.build, "korveld"),
                        os.path.join(args.build, "korveld-render"), "--bench", *extra])


if __name__ == "__main__":
    main()
