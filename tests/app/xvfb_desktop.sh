#!/usr/bin/env bash
# The real binary on virtual X screens of the frame's size and larger, with
# and without a window manager, checked by what a person would see (screen
# contents) and by its own exit.
#   tests/app/xvfb_desktop.sh KORVELD CHECK
# CHECK: no-display, plain-800, quit-held-wm, quit-held-bare, escape-held,
# kiosk-1600, openbox-1280, fill-1920, error-box, memory-limit. Input is what
# a quick hand or a touchpad sends: taps and clicks whose press and release
# come together.
# KORVELD_SHOTS=DIR keeps the screenshots there as PNG files.
set -u
bin=$1; check=$2
here=$(cd "$(dirname "$0")" && pwd) work=$(mktemp -d) shots=${KORVELD_SHOTS:-} pid= wm= xvfb=
trap '{ [ -n "$pid" ] && kill -9 $pid; kill $wm $xvfb; } 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL ($check): $*"; exit 1; }
for tool in Xvfb xdotool xwd openbox wmctrl python3; do command -v $tool >/dev/null || fail "$tool missing (make test-deps)"; done
export SDL_AUDIODRIVER=dummy
# The interpreter itself: a version manager's wrapper costs seconds a call under load.
py=$(python3 -c 'import sys; print(sys.executable)') || fail "python3 does not run"
# Leaks in the real binary are those of the X client libraries, whose stacks
# cannot be unwound; our own code's leaks are checked headless.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# place fill|whole: the frame's place: the largest whole factor, or in fill mode the
# screen's height (4:3) unless the whole factor reaches 90% of it.
place() {
  local whole=$(( W / 800 < H / 600 ? W / 800 : H / 600 )) fw fh
  if [ $((H * 800)) -le $((W * 600)) ]; then fh=$H fw=$((H * 800 / 600)); else fw=$W fh=$((W * 600 / 800)); fi
  if [ $whole -ge 1 ] && { [ "$1" = whole ] || [ $((60000 * whole)) -ge $((fh * 90)) ]; }; then
    fw=$((800 * whole)) fh=$((600 * whole))
  fi
  FW=$fw FH=$fh FX=$(( (W - fw) / 2 )) FY=$(( (H - fh) / 2 ))
}
# screen WIDTH HEIGHT MANAGER(wm|bare): a fresh X screen, the frame filling it.
screen() {
  W=$1 H=$2
  place fill
  # Xvfb picks a free display number and tells it once it is ready;
  # -noreset keeps the pointer where it was put when a client disconnects.
  Xvfb -displayfd 3 -screen 0 "${W}x${H}x24" -br -noreset -nolisten tcp 3>"$work/display" >/dev/null 2>&1 & xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -1 "$work/display")
  xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
  if [ "$3" = wm ]; then
    openbox >/dev/null 2>&1 & wm=$!
    for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
  fi
}
# Screen position of (the centre of) frame pixel (x, y).
at() { echo $(( FX + (2 * $1 + 1) * FW / 1600 )) $(( FY + (2 * $2 + 1) * FH / 1200 )); }
# shot NAME: keep a PNG; look X Y W H WHAT: ask xshot.py about a rectangle of the frame.
shot() { [ -z "$shots" ] || "$py" "$here/xshot.py" png "$shots/$check-$1.png"; }
look() { "$py" "$here/xshot.py" "$5" $((FX + $1 * FW / 800)) $((FY + $2 * FH / 600)) $(($3 * FW / 800)) $(($4 * FH / 600)); }
# until_ok SECONDS COMMAND...: true once COMMAND succeeds within SECONDS.
until_ok() { local end=$((SECONDS + $1)); shift; while [ $SECONDS -lt $end ]; do "$@" && return 0; sleep 0.2; done; false; }
launch() { "$bin" 2>"$work/stderr" & pid=$!; }
is_kind() { [ "$(look 0 0 800 600 kind)" = "$1" ]; }
intro_bars() { [ "$(look 0 0 800 600 kind)" = picture ] && [ "$(look 0 0 800 600 bars)" -ge 10 ]; }
ended() { ! kill -0 "$pid" 2>/dev/null; }
# ends_ok SECONDS WHY: the program ends within SECONDS, with status 0.
ends_ok() { until_ok "$1" ended || fail "$2"; wait "$pid"; local rc=$?; pid=; [ $rc = 0 ] || fail "exit status $rc"; }
# closes WHY: the window manager's close ends the program with status 0 within 2 s.
closes() {
  local end=$(( $(date +%s%N) + 2000000000 ))
  wmctrl -c KORVELD || fail "no window to close"
  while ! ended && [ "$(date +%s%N)" -lt $end ]; do sleep 0.05; done
  ended || fail "closing the window did not end the program within 2 s ($1)"; ends_ok 1 "$1"
}
# idles WHAT: minimised, under 5% of a core (main thread) over 5 s, music still written.
idles() {
  xdotool getactivewindow windowminimize --sync sleep 1
  local hz=$(getconf CLK_TCK) c0 c1 s0=$(stat -c %s "$work/music.raw")
  c0=$(awk '{ print $14 + $15 }' "/proc/$pid/task/$pid/stat") && sleep 5
  c1=$(awk '{ print $14 + $15 }' "/proc/$pid/task/$pid/stat") s1=$(stat -c %s "$work/music.raw")
  echo "$1 minimised: $((c1 - c0)) of $((5 * hz)) clock ticks, music +$((s1 - s0)) bytes"
  [ $(( (c1 - c0) * 100 )) -lt $(( 5 * hz * 5 )) ] || fail "$1 busy while minimised: $((c1 - c0)) ticks in 5 s"
  [ "$s1" -gt "$s0" ] || fail "the music stopped while the $1 was minimised"
  wmctrl -a KORVELD && sleep 1
}
# The menu's right column: filled in the charts menu, empty (as first seen) in the articles menu.
menu() { look 402 60 240 40 hash; }
charts_shown() { [ "$(look 402 60 240 40 colours)" -ge 10 ] && [ "$(menu)" != "$articles" ]; }
ctrl_c_ends() { kill -INT "$pid"; ends_ok "$1" "Ctrl+C did not end the program${2:-}"; }
# The intro on screen, then Escape and the 3 s change-over: the viewer.
to_viewer() {
  until_ok 60 intro_bars || { shot intro; fail "the intro never appeared"; }
  sleep 0.5  # past a frame torn between the last flash and the intro
  # A window manager may hand the new window the keyboard only a moment after
  # it shows; a press that went to another window is pressed again.
  for _ in 1 2 3; do xdotool key Escape; sleep 0.5; intro_bars || break; done
  intro_bars && { shot intro; fail "Escape never ended the intro"; }
  sleep 3.5
}

case $check in
  no-display)
    # No display named, an empty one, one nobody answers at: the magazine ends
    # at once with status 255 and says why in one line on stderr.
    for display in unset "" ":$((500 + RANDOM % 400))"; do
      if [ "$display" = unset ]; then unset DISPLAY; else export DISPLAY=$display; fi
      env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$bin" 2>"$work/stderr" >/dev/null; rc=$?
      echo "DISPLAY '$display': status $rc: $(cat "$work/stderr")"
      [ $rc = 255 ] && [ "$(wc -l <"$work/stderr")" = 1 ] || fail "expected status 255 and one line on stderr"
    done
    ;;
  plain-800)
    # A screen the frame's own size: the noise flashes, then the intro; two
    # Escape presses (intro, then viewer after the change-over) end it with 0.
    screen 800 600 bare
    launch
    until_ok 20 is_kind bands || { shot start; fail "never saw the noise flashes"; }
    to_viewer
    xdotool key Escape
    ends_ok 10 "still running after two Escape presses"
    ;;
  quit-held-wm | quit-held-bare)
    # The mouse rests over QUIT from before launch and never moves; the left
    # button goes down in the intro and stays down into the viewer: that is a
    # press on QUIT, and the program ends with status 0.
    screen 1280 1024 "${check#quit-held-}"
    xdotool mousemove $(at 70 54)
    launch
    until_ok 60 intro_bars || { shot intro; fail "the intro never appeared"; }
    xdotool mousedown 1
    ends_ok 10 "the button held over QUIT did not end the program"
    ;;
  escape-held)
    # Escape held from before launch: black frames while it is down, then the
    # intro's raster bars, not the viewer.
    screen 1280 1024 wm
    xdotool keydown Escape
    launch
    sleep 3
    is_kind black || { shot held; fail "not black while Escape is held"; }
    xdotool keyup Escape
    until_ok 6 intro_bars || { shot released; fail "no raster bars after Escape was released"; }
    closes "the intro"
    ;;
  kiosk-1600)
    # No window manager on a 1600 x 1200 screen: the frame at scale 2 fills
    # it, a click at CHARTS opens the charts menu, keypad Page Down pages.
    screen 1600 1200 bare
    xdotool mousemove 5 5
    launch
    to_viewer
    [ "$("$py" "$here/xshot.py" scaled 2)" = yes ] || fail "the screen is not the frame at scale 2"
    [ "$(look 0 0 800 1 kind)" != black ] && [ "$(look 0 599 800 1 kind)" != black ] || fail "black edges: the frame does not fill the screen"
    [ "$(look 402 60 240 40 colours)" -le 6 ] || fail "the viewer did not start with the articles menu"
    articles=$(menu)
    xdotool mousemove $(at 79 74) click 1 sleep 0.5
    charts_shown || { shot charts; fail "CHARTS did not open the charts menu"; }
    # The scroll-bar thumb leaves the top of its track.
    xdotool mousemove 5 5 sleep 0.3
    top=$(look 772 190 20 40 hash)
    xdotool key KP_Next sleep 0.5
    [ "$(look 772 190 20 40 hash)" != "$top" ] || fail "keypad Page Down did not move the page"
    xdotool key Escape
    ends_ok 5 "Escape did not end the viewer"
    ;;
  openbox-1280)
    # Under openbox at 1280 x 1024, full screen filled (scale 1.6): the intro
    # and the viewer idle while minimised; single clicks switch the menu each
    # time, a tap of F2 the skin; after Alt+Enter the pointer is still over
    # the button it was over; the window's close ends the windowed viewer.
    screen 1280 1024 wm
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/music.raw
    launch
    until_ok 60 intro_bars || { shot intro; fail "the intro never appeared"; }
    idles intro
    to_viewer
    articles=$(menu)
    xdotool mousemove $(at 79 74) click 1 sleep 0.7
    charts_shown || { shot charts; fail "a click on CHARTS did not open the charts menu"; }
    xdotool mousemove $(at 79 99) click 1 sleep 0.7
    [ "$(menu)" = "$articles" ] || { shot articles; fail "a click on ARTICLES did not open the articles menu"; }
    skin=$(look 0 0 800 600 hash)
    xdotool key F2 sleep 1
    [ "$(look 0 0 800 600 hash)" != "$skin" ] || fail "a tap of F2 did not switch the skin"
    xdotool key F1 sleep 1
    idles viewer
    # Over CHARTS, then windowed: a click without moving hits CHARTS there.
    xdotool mousemove $(at 79 74) sleep 0.3 key alt+Return sleep 1.5
    eval "$(xdotool search --name KORVELD getwindowgeometry --shell | grep -E '^(X|Y)=')"
    FX=$X FY=$Y FW=800 FH=600
    xdotool click 1 sleep 0.7
    charts_shown || { shot windowed; fail "after Alt+Enter the click did not land on CHARTS"; }
    closes "the windowed viewer"
    ;;
  fill-1920)
    # 1920 x 1080: filled, the frame is 1440 x 1080 from x 240; Alt+S switches
    # to the whole factor (1, centred). A click at QUIT quits in both.
    screen 1920 1080 wm
    for mode in fill whole; do
      launch
      to_viewer
      [ $mode = fill ] || xdotool key alt+s sleep 0.5; place $mode
      [ "$(look 0 0 800 1 kind)" != black ] && [ "$(look 0 599 800 1 kind)" != black ] || fail "$mode: no frame at its edges"
      [ "$("$py" "$here/xshot.py" kind 0 0 $FX $H)" = black ] || fail "$mode: no black bar left of the frame"
      xdotool mousemove $(at 79 49) click 1
      ends_ok 5 "$mode: a click at QUIT did not end the program"
    done
    ;;
  error-box)
    # No sound device: the intro's tune opens an error box. Closing the
    # window ends the program with status 0 while the box is still open,
    # and takes the box with it.
    screen 1024 768 wm
    export SDL_AUDIODRIVER=none-such
    launch
    until_ok 20 grep -q "Error" "$work/stderr" || fail "no error reported without a sound device"
    until_ok 10 eval 'wmctrl -l | grep -q " Error$"' || fail "no error box"
    closes "an error box open"
    sleep 0.5
    [ -z "$(wmctrl -l)" ] || fail "windows left on screen: $(wmctrl -l)"
    ;;
  memory-limit)
    # Under an address-space limit the frame is drawn by SDL's software
    # renderer (GL drivers crash inside renderer creation when they cannot
    # reserve their space); where even that cannot be had, the program ends
    # with status 255 and one line. Never a library's report or a crash.
    grep -qa __asan_init "$bin" && { echo "ok ($check: skipped, sanitizers reserve more than the limit)"; exit 0; }
    screen 1024 768 bare
    for mb in 64 128 256; do
      (ulimit -v $((mb * 1024)) && exec "$bin") 2>"$work/stderr" & pid=$!
      if until_ok 60 intro_bars; then ctrl_c_ends 5 " under $mb MB"; continue; fi
      ended || { shot "$mb"; fail "$mb MB: neither the intro nor an end"; }
      wait "$pid"; rc=$? pid=
      echo "$mb MB: status $rc: $(cat "$work/stderr")"
      [ $rc = 255 ] && [ "$(wc -l <"$work/stderr")" = 1 ] || fail "$mb MB: expected the intro, or status 255 and one line"
    done
    ;;
  *) fail "unknown check" ;;
esac
if grep -qE 'Sanitizer|runtime error' "$work/stderr"; then head -30 "$work/stderr"; fail "sanitizer report"; fi
echo "ok ($check)"
