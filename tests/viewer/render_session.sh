#!/usr/bin/env bash
# korveld-render as a user runs it: into the viewer, open a page from the
# menu, switch skins, change the tune, then end with the QUIT button.
set -u
render=$1
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

script='wait 2.5
key escape
wait 4
move 200 78
click
wait 3
key f2
wait 0.3
move 100 141
click
wait 1
shot '"$dir"'/carbon.png
key f1
wait 0.3
move 60 50
click
wait 5
'
out=$(printf '%s' "$script" | "$render" --max-seconds 60)
status=$?
[ "$status" = 0 ] || fail "exit status $status ($out)"
# The QUIT click ends the run long before the script's last wait is over.
echo "$out" | grep -Eq '^frames [0-9]+ seconds 1[01]\.[0-9]+ status 0 hash [0-9a-f]{16}$' || fail "summary: $out"
[ -s "$dir/carbon.png" ] || fail "no shot written"
again=$(printf '%s' "$script" | "$render" --max-seconds 60)
[ "$again" = "$out" ] || fail "two runs differ: $out / $again"
echo ok
