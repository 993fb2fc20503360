#!/usr/bin/env bash
# Media benchmarks, inside the test desktop: bash bench/media/run.sh <builddir>
#   bench.py: clipnest-rec against the ffmpeg program on the same moving screen and sound
#     (CPU, dropped frames, stop latency, memory, sound/picture offset, kill -9 survival);
#     BENCH_SECONDS shortens the recordings while developing (default 30).
#   stop.py: how stopping a long 1920x1080 recording with sound treats the GUI thread
#     (longest timer stall, time to the finished file); BENCH_STOP_SECONDS (default 600).
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$build" 2>/dev/null && pwd || echo "$build")
status=0
env PYTHONDONTWRITEBYTECODE=1 python3 "$here/bench.py" "$build" || status=1
env PYTHONDONTWRITEBYTECODE=1 python3 "$here/stop.py" "$build" || status=1
exit $status
