#!/usr/bin/env bash
# Runs a command inside a private test desktop and tears the desktop down afterwards,
# also when the command fails:
#   - Xvfb 1920x1080x24 on a free display number, openbox, trayer as the tray host;
#   - a PulseAudio server whose default source is a 440 Hz sine wave (the "microphone");
#   - the reference upload service (nginx in front of php-fpm, server/run-local.sh) on a free
#     loopback port.
# Everything lives under one temporary folder: HOME, XDG_RUNTIME_DIR, settings, uploads.
#
# Exported to the command:
#   DISPLAY, HOME, XDG_RUNTIME_DIR, XDG_CONFIG_HOME, PULSE_SERVER
#   CLIPNEST_TEST_SERVICE   host:port of the upload service
#   CLIPNEST_TEST_UPLOADS   the service's storage folder
#   CLIPNEST_TEST_DESKTOP=1
#
# CLIPNEST_TEST_MONITORS=2 (opt-in) makes it a desktop of two monitors: one 3840x1080
# screen split by `xrandr --setmonitor` into two 1920x1080 monitors side by side, the
# primary one on the left (CLIPNEST_TEST_PRIMARY=right puts it on the right). The tray
# stays at the bottom right, so it is on the right monitor.
set -uo pipefail
source "$(dirname "$0")/test-desktop-common.sh"

desktop_init desktop "test desktop"
# No session bus here: keep Qt and others from trying to start one.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$run/no-bus"
unset WAYLAND_DISPLAY

# Xvfb picks a free display itself and writes its number once it accepts clients.
monitors=${CLIPNEST_TEST_MONITORS:-1}
screen=1920x1080x24
[ "$monitors" = 2 ] && screen=3840x1080x24
exec 3> "$run/displayfd"
# -noreset: the monitor split lives in the server, which must not reset when a client leaves.
Xvfb -displayfd 3 -screen 0 "$screen" -noreset -nolisten tcp +extension RANDR > "$run/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do
  [ -s "$run/displayfd" ] && break
  kill -0 "${pids[0]}" 2>/dev/null || break
  sleep 0.1
done
[ -s "$run/displayfd" ] || desktop_fail "Xvfb did not start" "$run/xvfb.log"
export DISPLAY=":$(head -n1 "$run/displayfd")"
if [ "$monitors" = 2 ]; then
  # 1920 pixels over 508 mm: about 96 dpi, like the single monitor.
  left="1920/508x1080/286+0+0"; right="1920/508x1080/286+1920+0"
  if [ "${CLIPNEST_TEST_PRIMARY:-left}" = right ]; then
    xrandr --setmonitor clipnest-left "$left" none && xrandr --setmonitor '*clipnest-right' "$right" screen
  else
    xrandr --setmonitor '*clipnest-left' "$left" screen && xrandr --setmonitor clipnest-right "$right" none
  fi || desktop_fail "cannot split the screen into two monitors"
fi

desktop_spawn "$run/openbox.log" openbox --sm-disable
desktop_spawn "$run/trayer.log" trayer --edge bottom --align right --widthtype request --height 32 \
  --SetDockType true --transparent false --tint 0x404040

desktop_start_pulse
desktop_start_service

# Let the window manager and the tray take the screen before the tests look at it.
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
export CLIPNEST_TEST_DESKTOP=1
echo "test desktop: DISPLAY=$DISPLAY service=$CLIPNEST_TEST_SERVICE runtime=$XDG_RUNTIME_DIR"

"$@"
