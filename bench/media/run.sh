#!/usr/bin/env bash
# Media benchmark: clipnest-rec against the ffmpeg program on the same moving screen and
# sound (CPU, dropped frames, stop latency, memory, sound/picture offset, kill -9 survival).
# Usage, inside the test desktop: bash bench/media/run.sh <builddir>
# BENCH_SECONDS shortens the recordings while developing (default 30).
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
exec env PYTHONDONTWRITEBYTECODE=1 python3 "$here/bench.py" "$(cd "$build" 2>/dev/null && pwd || echo "$build")"
