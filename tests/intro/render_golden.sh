#!/usr/bin/env bash
# Golden intro frames from korveld-render (the whole program, headless):
# the first intro frame (drawn over the last noise flash), the first frame
# 3 s later, and a frame at 12 s, while the scroller holds at the welcome
# pause marker. Hashes come from the frame log and live in
# tests/intro/render_golden.txt.
#
# Regenerate (after looking at the pictures: KORVELD_INTRO_PNG_DIR=folder):
#   KORVELD_REGENERATE_GOLDEN=1 tests/intro/render_golden.sh build/korveld-render
# which rewrites the file and fails on purpose.
set -u
render=$1
golden="$(dirname "$0")/render_golden.txt"
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

shots=""
if [ -n "${KORVELD_INTRO_PNG_DIR:-}" ]; then
  shots=$(printf 'wait 1.69\nshot %s/render_first.png\nwait 3\nshot %s/render_3s.png\nwait 7.3\nshot %s/render_paused.png\n' \
    "$KORVELD_INTRO_PNG_DIR" "$KORVELD_INTRO_PNG_DIR" "$KORVELD_INTRO_PNG_DIR")
fi
printf '%s\nwait 12.5\nkey escape\nwait 3.2\nkey escape\n' "$shots" |
  "$render" --frame-log "$dir/frames.txt" >/dev/null || fail "korveld-render failed"

# index time hash kind: the intro's frames are the pictures before the
# change-over's noise.
read -r first_index first_time first_hash <<<"$(awk '$4 == "picture" { print $1, $2, $3; exit }' "$dir/frames.txt")"
[ -n "${first_hash:-}" ] || fail "no intro frame in the log"
awk -v i="$first_index" '$1 == i - 1 && $4 != "bands" { bad = 1 } END { exit bad }' "$dir/frames.txt" ||
  fail "the first intro frame does not follow the noise flashes"
later_hash=$(awk -v t="$first_time" '$4 == "picture" && $2 >= t + 3.0 { print $3; exit }' "$dir/frames.txt")
paused_hash=$(awk '$4 == "picture" && $2 >= 12.0 { print $3; exit }' "$dir/frames.txt")
[ -n "$later_hash" ] && [ -n "$paused_hash" ] || fail "the intro ended too early"

actual=$(printf 'intro_first_frame %s\nintro_after_3s %s\nintro_paused %s\n' "$first_hash" "$later_hash" "$paused_hash")
if [ "${KORVELD_REGENERATE_GOLDEN:-}" = 1 ]; then
  {
    echo "# Frame-log hashes of korveld-render intro frames; see tests/intro/render_golden.sh."
    echo "$actual"
  } >"$golden"
  fail "golden hashes rewritten in $golden; unset KORVELD_REGENERATE_GOLDEN"
fi
expected=$(grep -v '^#' "$golden" 2>/dev/null)
[ "$expected" = "$actual" ] || fail "intro frames changed:
expected:
$expected
actual:
$actual"
echo ok
