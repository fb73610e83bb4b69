#!/usr/bin/env bash
# `make fuzz`: builds the five fuzz targets with clang, libFuzzer, ASan and
# UBSan in build-fuzz/ and runs each for FUZZ_SECONDS (default 60) from its
# seed corpus. New inputs go to build-fuzz/corpus/<name>/, never into the
# repository; a crash, leak, timeout or out-of-memory leaves its input in
# build-fuzz/artifacts/ and fails the run. Usage: fuzz/run.sh [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-build-fuzz}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(xm mixer tune page script)
# Per-input time limits: an input that renders two seconds of a module (or
# half a second of tiny loops), or runs a tune's init and four play calls,
# gets ample time even under ASan.
declare -A timeout=([xm]=20 [mixer]=20 [tune]=20 [page]=5 [script]=5)

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 > /dev/null
cmake --build "$build" -j "${JOBS:-2}" --target $(printf 'korveld_fuzz_%s ' "${targets[@]}")

mkdir -p "$build/artifacts"
status=0
for name in "${targets[@]}"; do
  work="$build/corpus/$name"
  mkdir -p "$work"
  log="$build/$name.log"
  echo "== fuzz $name: ${seconds} s"
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     "$build/korveld_fuzz_$name" "$work" "fuzz/corpus/$name" \
       -max_total_time="$seconds" -rss_limit_mb=2048 -timeout="${timeout[$name]}" \
       -artifact_prefix="$build/artifacts/$name-" -print_final_stats=1 > "$log" 2>&1; then
    # The last status line and the final figures: executions, coverage, memory.
    grep -E '^#[0-9]+' "$log" | tail -1
    grep -E 'stat::(number_of_executed_units|peak_rss_mb|new_units_added)' "$log"
  else
    status=1
    echo "fuzz $name FAILED; see $log"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5
  fi
done
exit $status
