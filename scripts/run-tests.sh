#!/usr/bin/env bash
# Runs every test of the normal build and the unit tests of the sanitizer build.
# Expects the test desktop's environment (scripts/with-test-desktop.sh).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
san=${2:-}
status=0
echo "== all tests ($build)"
ctest --test-dir "$build" --output-on-failure --timeout 600 || status=1
if [ -n "$san" ]; then
  echo "== unit tests under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer ($san)"
  # Leaks are errors; scripts/lsan.supp names the few inside system libraries, each with
  # its reason.
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  LSAN_OPTIONS=suppressions="$here/lsan.supp":print_suppressions=0 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$san" -L unit --output-on-failure --timeout 600 || status=1
fi
exit $status
