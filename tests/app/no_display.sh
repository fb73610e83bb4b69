#!/usr/bin/env bash
# Without a usable display (none named, an empty DISPLAY, one nobody answers
# at) the magazine ends at once with status 255 and says why in one line on
# stderr.
set -u
failed=0
for display in unset "" ":$(( 500 + RANDOM % 400 ))"; do
  err=$(mktemp)
  if [ "$display" = unset ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$1" 2>"$err" >/dev/null
  else
    env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY="$display" "$1" 2>"$err" >/dev/null
  fi
  status=$?
  lines=$(wc -l <"$err")
  echo "DISPLAY $display: status $status: $(cat "$err")"; rm -f "$err"
  [ "$status" = 255 ] || { echo "  expected exit status 255"; failed=1; }
  [ "$lines" = 1 ] || { echo "  expected one line on stderr, got $lines"; failed=1; }
done
exit $failed
