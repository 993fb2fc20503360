#!/usr/bin/env bash
# Saves a 1 GB recording across file systems and within one, and reports the worst lateness
# of a 10 ms timer on the thread that started the save: bash bench/history/run.sh <builddir>
# [size in MB] [source folder] [target folder]
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target bench_save > /dev/null
"$build/bench/history/bench_save" "${@:2}"
