#!/usr/bin/env bash
# The Wayland test desktop's own check (scripts/with-wayland-desktop.sh): the portal starts a
# cast whose frames arrive, a restore token skips the chooser, and a cancelled chooser is
# answered as a cancel.
#   check-desktop.sh PYTHON PORTAL_PROBE PIPEWIRE_FRAMES
set -uo pipefail
python=$1 probe=$2 frames=$3
if [ "${CLIPNEST_TEST_WAYLAND:-}" != 1 ]; then
  echo "needs the Wayland test desktop: scripts/with-wayland-desktop.sh" >&2
  exit 1
fi
work=$(mktemp -d)
chosen=$(cat "$CLIPNEST_TEST_CHOOSER")
changer=""
finish() {
  [ -n "$changer" ] && kill "$changer" 2>/dev/null
  printf '%s\n' "$chosen" > "$CLIPNEST_TEST_CHOOSER"
  rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
calls() { wc -l < "$CLIPNEST_TEST_CHOOSER_CALLS"; }

# The portal sends a frame only when the screen changes: a new background colour five times a
# second keeps it changing.
(for i in $(seq 1000); do
  swaymsg output HEADLESS-1 bg "#$(printf %06x $((i * 40503 % 16777216)))" solid_color > /dev/null
  sleep 0.2
done) &
changer=$!

before=$(calls)
"$python" "$probe" --save-token "$work/token" --consumer "$frames" 5 | tee "$work/first" ||
  fail "the first cast did not start or sent no frames"
[ "$(calls)" = $((before + 1)) ] || fail "the chooser ran $(($(calls) - before)) times, not once"
grep -q '^stream: node [0-9]* position 0,0 size 1920x1080' "$work/first" ||
  fail "the stream is not the whole 1920x1080 output"
grep -q '^format: BGRx 1920x1080' "$work/first" || fail "the frames are not BGRx 1920x1080"
[ -s "$work/token" ] || fail "no restore token"

"$python" "$probe" --restore-token "$(cat "$work/token")" || fail "the restored cast did not start"
[ "$(calls)" = $((before + 1)) ] || fail "the chooser ran again despite the restore token"

: > "$CLIPNEST_TEST_CHOOSER"
"$python" "$probe"
status=$?
[ $status = 1 ] || fail "a cancelled chooser gave $status, not 1 (cancelled)"
echo "PASS"
