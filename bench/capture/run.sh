#!/usr/bin/env bash
# Runs the capture benchmark inside the test desktop: bash bench/capture/run.sh <builddir>
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target bench_capture > /dev/null
"$build/bench/capture/bench_capture" "${@:2}"
