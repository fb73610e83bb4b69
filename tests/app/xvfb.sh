#!/usr/bin/env bash
# The real SDL binary on a virtual X screen: it starts, shows the noise
# flashes, and two Escape presses end it with status 0.
set -u
korveld=$1
command -v Xvfb >/dev/null || { echo "Xvfb missing (make deps installs it)"; exit 1; }
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; [ -n "${pid:-}" ] && kill -9 $pid 2>/dev/null' EXIT
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display SDL_AUDIODRIVER=dummy
# Leaks in the real binary are those of the X and D-Bus client libraries,
# whose stacks cannot be unwound; our own code's leaks are checked headless.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# What the screen shows: "black", "bands" (every row one colour: the noise
# flashes) or "picture".
screen() {
  xwd -root -silent | python3 -c '
import sys
d = sys.stdin.buffer.read()[-800 * 600 * 4:]
rows = [d[y * 3200:(y + 1) * 3200] for y in range(600)]
if not any(d): print("black")
elif all(r == r[:4] * 800 for r in rows): print("bands")
else: print("picture")'
}

"$korveld" & pid=$!
seen=
for _ in $(seq 100); do
  s=$(screen)
  [ "$s" = bands ] && seen=flashes
  [ "$s" = picture ] && break
  sleep 0.1
done
[ "$seen" = flashes ] || { echo "never saw the noise flashes (last screen: $s)"; exit 1; }
[ "$s" = picture ] || { echo "the intro never appeared"; exit 1; }
echo "saw the noise flashes, then the intro"
press() { xdotool keydown Escape; sleep 0.2; xdotool keyup Escape; }
sleep 0.5; press   # ends the intro
sleep 4; press     # ends the viewer after the 3 s change-over
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "still running after two Escape presses"; exit 1; fi
wait $pid; status=$?; pid=
[ "$status" = 0 ] || { echo "exit status $status"; exit 1; }
echo "ok"
