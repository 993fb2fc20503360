#!/usr/bin/env bash
# The Wayland recording path against the X11 one and against GStreamer, in the same run:
# clipnest-rec on the X11 test desktop (which `make bench` runs this in), then through the
# screen-cast portal on the headless Wayland one, where GStreamer's recorder takes the same
# portal stream; then the table of all three (bench/wayland/compare.py says what is recorded).
# Then, on a Wayland desktop of its own, the time from the tray click to the capture overlay
# painted, with and without a stored screen-sharing token (bench/wayland/overlay_open.py).
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$build" 2>/dev/null && pwd || echo "$build")
results=$(mktemp -d /tmp/clipnest-bench-wayland.XXXXXX)
trap 'rm -rf "$results"' EXIT
status=0
env PYTHONDONTWRITEBYTECODE=1 python3 "$here/compare.py" x11 "$build" "$results/x11.json" ||
  status=1
CLIPNEST_WAYLAND_SHIM="$build/tests/support/wayland/libclipnest_screencopy_shm.so" \
  bash "$here/../../scripts/with-wayland-desktop.sh" \
  env PYTHONDONTWRITEBYTECODE=1 python3 "$here/compare.py" wayland "$build" \
  "$results/wayland.json" || status=1
env PYTHONDONTWRITEBYTECODE=1 python3 "$here/compare.py" table "$results/x11.json" \
  "$results/wayland.json" || status=1
CLIPNEST_WAYLAND_SHIM="$build/tests/support/wayland/libclipnest_screencopy_shm.so" \
  bash "$here/../../scripts/with-wayland-desktop.sh" \
  env PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 "$here/overlay_open.py" "$build" || status=1
exit $status
