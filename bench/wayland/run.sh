#!/usr/bin/env bash
# The Wayland recording path against the X11 one, in the same run: clipnest-rec on the X11
# test desktop (which `make bench` runs this in), then through the screen-cast portal on the
# headless Wayland one, on the same content (bench/wayland/compare.py says which).
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$build" 2>/dev/null && pwd || echo "$build")
status=0
env PYTHONDONTWRITEBYTECODE=1 python3 "$here/compare.py" x11 "$build" || status=1
CLIPNEST_WAYLAND_SHIM="$build/tests/support/wayland/libclipnest_screencopy_shm.so" \
  bash "$here/../../scripts/with-wayland-desktop.sh" \
  env PYTHONDONTWRITEBYTECODE=1 python3 "$here/compare.py" wayland "$build" || status=1
exit $status
