#!/usr/bin/env bash
# Media benchmarks, inside the test desktop: bash bench/media/run.sh <builddir>
#   bench.py: clipnest-rec against the ffmpeg program on the same moving screen and sound
#     (CPU, dropped frames, stop latency, memory, sound/picture offset, kill -9 survival),
#     then on a still screen, a still screen with a moving corner and typing in a terminal;
#     BENCH_SECONDS shortens the recordings while developing (default 30), BENCH_SCENE_SECONDS
#     the scenes' (default 15).
#   repaint.py: a player presenting one picture again and again (drawn, not changed) against
#     a truly still screen, in core-seconds per second; CLIPNEST_REC_BEFORE adds an older
#     clipnest-rec to compare with, BENCH_REPAINT_SECONDS the measured length (default 10).
#   stop.py: how stopping a long 1920x1080 recording with sound treats the GUI thread
#     (longest timer stall, time to the finished file); BENCH_STOP_SECONDS (default 600).
#   a long recording from a sound source whose clock runs 200 ppm fast: no cut in the sound
#     (beep-to-beep intervals in samples); BENCH_DRIFT_SECONDS (default 180; 0 leaves it out).
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$build" 2>/dev/null && pwd || echo "$build")
status=0
env PYTHONDONTWRITEBYTECODE=1 python3 "$here/bench.py" "$build" || status=1
env PYTHONDONTWRITEBYTECODE=1 python3 "$here/repaint.py" "$build" || status=1
env PYTHONDONTWRITEBYTECODE=1 python3 "$here/stop.py" "$build" || status=1
drift=${BENCH_DRIFT_SECONDS:-180}
if [ "$drift" != 0 ]; then
  echo "-- sound source 200 ppm fast for $drift s"
  CLIPNEST_DRIFT_SECONDS=$drift CLIPNEST_DRIFT_PPM=200 QT_QPA_PLATFORM=offscreen \
    "$build/tests/media/tst_engine_timing" fastSoundCardIsFollowedWithoutCuts 2>&1 \
    | grep -E "PASS|FAIL|QINFO|Loc" || status=1
fi
exit $status
