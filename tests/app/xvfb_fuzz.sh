#!/usr/bin/env bash
# Random X input against the real binary on a virtual screen larger than the
# frame (letterboxed full screen, or a window when the seed is even): moves,
# quick clicks, wheel notches, page, arrow and skin keys, Alt+Enter, drags.
# It must end on two Escape presses (held 0.2 s: a shorter tap can fall between
# two key queries and is rightly not a press) with status 0 and no sanitizer report.
#   tests/app/xvfb_fuzz.sh KORVELD FIRST_SEED LAST_SEED
set -u
bin=$1; first=${2:-1}; last=${3:-$first}
keys=(Page_Up Page_Down Home End F1 F2 Up Down)
failed=0
for seed in $(seq "$first" "$last"); do
  display=:$(( 200 + seed % 50 ))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & xv=$!
  for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  err=$(mktemp)
  (
    export DISPLAY=$display SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
    [ $((seed % 2)) = 0 ] && export KORVELD_WINDOWED=1
    exec "$bin" 2>"$err"
  ) & pid=$!
  export DISPLAY=$display
  RANDOM=$seed
  sleep 3; xdotool keydown Escape; sleep 0.2; xdotool keyup Escape; sleep 4
  for _ in $(seq 60); do
    case $((RANDOM % 9)) in
      0) xdotool mousemove $((RANDOM % 1024)) $((RANDOM % 768)) ;;
      1) xdotool click 1 ;;
      2) xdotool click 4 ;;
      3) xdotool click 5 ;;
      4) xdotool key "${keys[$((RANDOM % ${#keys[@]}))]}" ;;
      5) xdotool key alt+Return ;;
      6) xdotool mousedown 1 mousemove $((RANDOM % 1024)) $((RANDOM % 768)); sleep 0.2; xdotool mouseup 1 ;;
      7) xdotool keydown Down; sleep 0.3; xdotool keyup Down ;;
      8) sleep 0.3 ;;
    esac
    sleep 0.0$((RANDOM % 10))
  done
  # Past any wipe, with the pointer on the window (no window manager: the
  # keyboard follows the pointer).
  sleep 3; xdotool mousemove 400 300; sleep 0.5; xdotool keydown Escape; sleep 0.2; xdotool keyup Escape; sleep 1; xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
  for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then
    kill -9 $pid; wait $pid 2>/dev/null; result="did not end"
  else
    wait $pid; rc=$?; result="status $rc"
    [ "$rc" = 0 ] && ! grep -qE 'Sanitizer|runtime error' "$err" && result=ok
  fi
  kill $xv; wait $xv 2>/dev/null
  [ "$result" = ok ] || { failed=$((failed + 1)); echo "seed $seed: $result"; head -20 "$err"; }
  rm -f "$err"
done
echo "$((last - first + 1)) sessions, $failed failed"
[ "$failed" = 0 ]
