#!/usr/bin/env bash
# Without any display the magazine ends at once with status 255 and says why
# in one line on stderr.
set -u
err=$(mktemp)
"$1" 2>"$err" >/dev/null
status=$?
lines=$(wc -l <"$err")
cat "$err"; rm -f "$err"
[ "$status" = 255 ] || { echo "expected exit status 255, got $status"; exit 1; }
[ "$lines" = 1 ] || { echo "expected one line on stderr, got $lines"; exit 1; }
