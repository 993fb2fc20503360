#!/usr/bin/env bash
# Runs every test of the normal build and the unit tests of the sanitizer build, each on the
# private desktop it needs:
#   - the X11 test desktop (scripts/with-test-desktop.sh): every test not labelled `wayland`,
#     then the sanitizer build's unit tests;
#   - the Wayland test desktop (scripts/with-wayland-desktop.sh): the tests labelled `wayland`.
#   run-tests.sh [BUILD [SANITIZER_BUILD]]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
san=${2:-}
status=0
echo "== all tests but the Wayland ones, on the X11 test desktop ($build)"
bash "$here/with-test-desktop.sh" \
  ctest --test-dir "$build" -LE wayland --output-on-failure --timeout 600 || status=1
if [ -n "$san" ]; then
  echo "== unit tests under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer ($san)"
  # Leaks are errors; scripts/lsan.supp names the few inside system libraries, each with
  # its reason.
  bash "$here/with-test-desktop.sh" env \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS=suppressions="$here/lsan.supp":print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$san" -L unit --output-on-failure --timeout 600 || status=1
fi
echo "== the Wayland tests, on the Wayland test desktop ($build)"
# The portal's shim comes from the same build as the tests.
CLIPNEST_WAYLAND_SHIM="$build/tests/support/wayland/libclipnest_screencopy_shm.so" \
  bash "$here/with-wayland-desktop.sh" \
  ctest --test-dir "$build" -L wayland --output-on-failure --timeout 600 || status=1
exit $status
