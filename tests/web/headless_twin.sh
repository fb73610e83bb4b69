#!/usr/bin/env bash
# The WebAssembly korveld-render (run by Node) against the native one on the
# same session script (tests/web/session.txt): every presented frame's hash
# and every captured sample (both sound devices) must be the same.
#   tests/web/headless_twin.sh NATIVE_KORVELD_RENDER WEB_KORVELD_RENDER.js
set -u
native=$1
web=$2
script="$(dirname "$0")/session.txt"
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$native" --script "$script" --audio "$dir/native.wav" --frame-log "$dir/native.log" >"$dir/native.out" ||
  fail "native run ended with status $?"
# Without --no-experimental-fetch Node 20's loader fetches the .wasm by URL.
node --no-experimental-fetch "$web" --script "$script" --audio "$dir/web.wav" --frame-log "$dir/web.log" \
  >"$dir/web.out" || fail "WebAssembly run ended with status $?"

# The session must have reached what it is meant to cover, or equal outputs
# prove little: intro pictures, the viewer long after, sound from the SID
# tunes in the intro and from the modules in the viewer.
python3 - "$dir/native.log" "$dir/native.wav" <<'PY' || fail "the session does not cover the intro, the viewer and both players"
import struct, sys
frames = [line.split() for line in open(sys.argv[1])]
assert any(f[3] == 'picture' and float(f[1]) < 6 for f in frames)
assert float(frames[-1][1]) > 24
data = open(sys.argv[2], 'rb').read()[44:]
samples = struct.unpack('<%dh' % (len(data) // 2), data)
def loud(t0, t1):
    part = samples[int(t0 * 44100) * 2:int(t1 * 44100) * 2]
    return part and max(abs(s) for s in part) > 1000
assert loud(2, 6) and loud(12, 24)
PY

cmp -s "$dir/native.out" "$dir/web.out" || fail "summaries differ: $(cat "$dir/native.out") / $(cat "$dir/web.out")"
if ! cmp -s "$dir/native.log" "$dir/web.log"; then
  fail "frames differ from: $(diff "$dir/native.log" "$dir/web.log" | sed -n 2p)"
fi
if ! cmp -s "$dir/native.wav" "$dir/web.wav"; then
  at=$(cmp "$dir/native.wav" "$dir/web.wav" | awk '{ print $5 }' | tr -d ,)
  fail "audio differs from byte $at ($(( (at - 45) / 4 )) samples in)"
fi
echo "ok: $(wc -l <"$dir/native.log") frames and $(( ($(stat -c %s "$dir/native.wav") - 44) / 4 )) stereo samples equal"
