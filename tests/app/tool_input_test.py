#!/usr/bin/env python3
"""The sound tools read what an input file holds, and no more.

  tool_input_test.py KORVELD_XM2WAV KORVELD_SID2WAV MODULE.xm TUNE.sid

- korveld-xm2wav renders a module from its file to the same bytes as from
  the program's own copy, and the file costs its size in memory, not the
  64 MB the tool would accept;
- korveld-sid2wav refuses a file one byte over its 1 MB limit with one line,
  takes a file of exactly 1 MB past the size check, and reads a pipe.
"""
import os
import subprocess
import sys
import tempfile

MB = 1 << 20


def run(command, stdin=None):
    """Exit status, standard error and peak resident memory (MB) of a run."""
    child = subprocess.Popen(command, stdin=subprocess.PIPE if stdin is not None else subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if stdin is not None:
        try:
            child.stdin.write(stdin)
        except BrokenPipeError:
            pass  # the tool stopped reading at its limit
        child.stdin.close()
    err = child.stderr.read().decode(errors="replace")
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    return child.returncode, err, usage.ru_maxrss / 1024.0


def main():
    xm2wav, sid2wav, module, tune = sys.argv[1:5]
    failures = []

    def check(ok, what):
        print(("ok    " if ok else "FAIL  ") + what)
        if not ok:
            failures.append(what)

    with tempfile.TemporaryDirectory() as scratch:
        with open(module, "rb") as f:
            image = f.read()
        embedded = None
        for n in range(1, 5):
            out = os.path.join(scratch, f"embedded{n}.wav")
            status, _, peak = run([xm2wav, "--embedded", str(n), out, "--seconds", "2"])
            from_file = os.path.join(scratch, "file.wav")
            status_file, err, peak_file = run([xm2wav, module, from_file, "--seconds", "2"])
            if status == 0 and status_file == 0 and open(out, "rb").read() == open(from_file, "rb").read():
                embedded = (n, peak, peak_file)
                break
        check(embedded is not None, f"{os.path.basename(module)} renders as one of the embedded modules")
        if embedded:
            n, peak, peak_file = embedded
            check(peak_file < peak + 8 + 2 * len(image) / MB,
                  f"from the file {peak_file:.1f} MB, from the program {peak:.1f} MB (module {n})")

        with open(tune, "rb") as f:
            sid = f.read()
        out = os.path.join(scratch, "tune.wav")
        big = os.path.join(scratch, "big.sid")
        with open(big, "wb") as f:
            f.write(sid + bytes(MB + 1 - len(sid)))
        status, err, _ = run([sid2wav, big, out, "--seconds", "1"])
        check(status == 1 and err == f"korveld-sid2wav: {big}: larger than {MB} bytes\n",
              f"1 MB + 1 refused in one line: {status} {err!r}")
        with open(big, "wb") as f:
            f.write(sid + bytes(MB - len(sid)))
        status, err, _ = run([sid2wav, big, out, "--seconds", "1"])
        check("larger than" not in err, f"exactly 1 MB passes the size check: {status} {err.strip()!r}")
        status, err, _ = run([sid2wav, "/dev/stdin", out, "--seconds", "1"], stdin=sid)
        check(status == 0, f"a tune through a pipe plays: {status} {err.strip()!r}")
        status, err, _ = run([sid2wav, "/dev/stdin", out, "--seconds", "1"], stdin=sid + bytes(MB + 1 - len(sid)))
        check(status == 1 and err == f"korveld-sid2wav: /dev/stdin: larger than {MB} bytes\n",
              f"a pipe of 1 MB + 1 refused in one line: {status} {err!r}")

    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
