#!/usr/bin/env bash
# korveld-render from the command line: summary line, exit statuses, shots,
# audio, script errors, the time limit.
set -u
render=$1
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

out=$(printf 'wait 2.5\nkey escape\nwait 4\nshot %s/v.png\nkey escape\n' "$dir" | "$render" --audio "$dir/a.wav")
status=$?
[ "$status" = 0 ] || fail "exit status $status"
echo "$out" | grep -Eq '^frames [0-9]+ seconds 6\.5[0-9]+ status 0 hash [0-9a-f]{16}$' || fail "summary: $out"
# The signature, then the header chunk's width and height: 800 x 600.
[ "$(head -c 24 "$dir/v.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a0000000d494844520000032000000258 ] ||
  fail "shot is not an 800 x 600 PNG"
size=$(stat -c %s "$dir/a.wav")
# 6.5 s of 44100 Hz stereo 16-bit plus the 44-byte header, to within a frame.
[ "$size" -gt $((44 + 4 * 44100 * 65 / 10 - 4 * 800)) ] || fail "audio too short: $size bytes"

again=$(printf 'wait 2.5\nkey escape\nwait 4\nshot %s/w.png\nkey escape\n' "$dir" | "$render")
[ "${again##* }" = "${out##* }" ] || fail "two runs differ: $out / $again"

printf 'wait 1\nkey escape\n' | "$render" --max-seconds 5 >/dev/null 2>&1
[ $? = 124 ] || fail "a run past --max-seconds must end with 124"

# A frame time below the clock's resolution: the release wait (frames only,
# no sleeps) must still end, and so must the run, at its time limit (124 and
# the message; timeout(1) alone would also give 124).
err=$(printf 'hold escape\nwait 0.01\nrelease escape\nwait 1\n' |
  timeout 120 "$render" --frame-time 1e-7 --max-seconds 0.05 2>&1 >/dev/null)
status=$?
[ "$status" = 124 ] && echo "$err" | grep -q 'still running after' ||
  fail "a run with a tiny frame time must end at --max-seconds: status $status, $err"

err=$(printf 'wait 1\nbogus 3\n' | "$render" 2>&1 >/dev/null); status=$?
[ "$status" != 0 ] || fail "a bad script must fail"
echo "$err" | grep -q 'line 2' || fail "error must name the line: $err"

err=$("$render" --frame-time 0.02x 2>&1 >/dev/null); status=$?
[ "$status" = 2 ] && [ "$err" = "korveld-render: --frame-time: not a number: 0.02x" ] ||
  fail "a bad number must be refused in one line: status $status, $err"
echo ok
