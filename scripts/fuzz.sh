#!/usr/bin/env bash
# Runs every fuzz target (tests/fuzz) with libFuzzer for FUZZ_SECONDS each (default 60),
# starting from its seed corpus in the tree. New inputs it finds go to a work folder in the
# build, never into the tree; a fault is written there as an artifact and named at the end.
# Add a fault's input to tests/fuzz/corpus/<target>/ once it is mended: `make test` replays
# every file there.
#   scripts/fuzz.sh [build-dir]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${JOBS:-$(nproc)}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCLIPNEST_FUZZ=ON ${CMAKE_ARGS:-} >/dev/null || exit 1
cmake --build "$build" --target clipnest_fuzzers -j "$jobs" || exit 1

export QT_QPA_PLATFORM=offscreen
status=0
summary=()
for seeds in tests/fuzz/corpus/*/; do
  name=$(basename "$seeds")
  work="$build/fuzz-work/$name"
  mkdir -p "$work/corpus" "$work/artifacts"
  # -timeout=1: an input that takes a second is a hang worth a look.
  "$build/tests/fuzz/fuzz_$name" "$work/corpus" "$seeds" -max_total_time="$seconds" \
    -timeout=1 -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
    >"$work/log" 2>&1
  result=$?
  execs=$(awk '/stat::number_of_executed_units/ {print $2}' "$work/log")
  if [ "$result" -ne 0 ]; then
    status=1
    summary+=("$name: FAULT after ${execs:-?} executions: see $work/log and $work/artifacts/")
  else
    summary+=("$name: ${execs:-?} executions in $seconds s, no fault")
  fi
done
# The service as deployed, under random requests with a fresh seed (printed, for a replay).
requests=$((seconds * 20))
if line=$(python3 tests/server/fuzz_service.py --requests "$requests" 2>&1 | tail -n 1) &&
  [[ "$line" == ok:* ]]; then
  summary+=("service (network): $requests requests, no fault ($line)")
else
  status=1
  summary+=("service (network): $line")
fi
printf '%s\n' "${summary[@]}"
exit $status
