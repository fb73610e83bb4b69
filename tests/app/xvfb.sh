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
"$korveld" & pid=$!
sleep 1.0  # inside the first 1.65 s of noise flashes
nonblack=$(xwd -root -silent | tail -c 480000 | tr -d '\000' | wc -c)
echo "non-black bytes in the flash screenshot: $nonblack"
[ "$nonblack" -gt 0 ] || { echo "the flash screenshot is all black"; exit 1; }
press() { xdotool keydown Escape; sleep 0.2; xdotool keyup Escape; }
sleep 1.5; press   # ends the intro
sleep 4; press     # ends the viewer after the 3 s change-over
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "still running after two Escape presses"; exit 1; fi
wait $pid; status=$?; pid=
[ "$status" = 0 ] || { echo "exit status $status"; exit 1; }
echo "ok"
