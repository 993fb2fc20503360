#!/usr/bin/env bash
# Runs a command inside a private headless Wayland test desktop and tears the desktop down
# afterwards, also when the command fails:
#   - sway on the headless backend with the pixman renderer (no GPU, no input devices), one
#     output HEADLESS-1 of 1920x1080 at scale 1, no bar, a plain background;
#   - a private D-Bus session bus with nothing to activate: every service on it is started here;
#   - PipeWire and WirePlumber (PulseAudio stays the sound server);
#   - xdg-desktop-portal with the xdg-desktop-portal-wlr backend for ScreenCast, whose output
#     chooser is a script of ours (below);
#   - PulseAudio with the sine "microphone" and the upload service, as on the X11 desktop.
# sway refuses to run as root: started by root (as on CI) it runs as the system user
# clipnest-wayland, created when missing, with a runtime folder of its own; everything else
# runs as the caller.
#
# Exported to the command:
#   HOME, XDG_RUNTIME_DIR, XDG_CONFIG_HOME, PULSE_SERVER, DBUS_SESSION_BUS_ADDRESS
#   WAYLAND_DISPLAY         absolute path of sway's socket;  SWAYSOCK  sway's IPC socket
#   XDG_CURRENT_DESKTOP=sway, XDG_SESSION_TYPE=wayland, QT_QPA_PLATFORM=wayland
#   CLIPNEST_TEST_SERVICE, CLIPNEST_TEST_UPLOADS   as on the X11 desktop
#   CLIPNEST_TEST_CHOOSER   a file holding the output name the chooser answers (HEADLESS-1);
#                           write it to choose another, empty it to make the user cancel
#   CLIPNEST_TEST_CHOOSER_CALLS  a file that gets one line each time the chooser runs
#   CLIPNEST_TEST_WAYLAND=1
# DISPLAY is unset.
#
# xdg-desktop-portal-wlr 0.7.0 cannot start a cast without a GPU by itself: the shim
# tests/support/wayland/ScreencopyShmShim.cpp is preloaded into it. Its path is taken from
# CLIPNEST_WAYLAND_SHIM, by default the one in the build folder `build`.
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/test-desktop-common.sh"

shim=${CLIPNEST_WAYLAND_SHIM:-$here/build/tests/support/wayland/libclipnest_screencopy_shm.so}
[ -f "$shim" ] || { echo "Wayland test desktop: $shim is missing: build the tests first" >&2; exit 1; }
shim=$(realpath "$shim")

desktop_init wayland "Wayland test desktop"
# Also when started from inside the X11 test desktop: nothing of it may leak in.
unset DISPLAY CLIPNEST_TEST_DESKTOP CLIPNEST_TEST_MONITORS CLIPNEST_TEST_PRIMARY
# sway's user must reach its own folder inside ours, and nothing else in it.
chmod 711 "$run"

start_sway() {
  local swayrt="$run/sway" as=()
  mkdir -p "$swayrt"
  cat > "$swayrt/config" << 'EOF'
xwayland disable
output HEADLESS-1 resolution 1920x1080 position 0 0 scale 1 background #3a5a78 solid_color
EOF
  if [ "$(id -u)" = 0 ]; then
    id -u clipnest-wayland > /dev/null 2>&1 ||
      useradd --system --user-group --no-create-home --home-dir /nonexistent \
        --shell /usr/sbin/nologin clipnest-wayland ||
      desktop_fail "cannot create the user clipnest-wayland for sway"
    chown -R clipnest-wayland: "$swayrt"
    as=(setpriv --reuid=clipnest-wayland --regid=clipnest-wayland --clear-groups)
  fi
  chmod 700 "$swayrt"
  desktop_spawn "$run/sway.log" "${as[@]}" env -i PATH="$PATH" HOME="$swayrt" \
    XDG_RUNTIME_DIR="$swayrt" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$swayrt/config"
  desktop_wait sway "$run/sway.log" "${pids[-1]}" sway_ready
}

# Ready once both sockets are there and sway answers with the output configured.
# Answers here are read whole, not piped to `grep -q`: under pipefail a writer cut short by a
# reader that stops early would count as a failure.
sway_ready() {
  local sock
  sock=$(find "$run/sway" -maxdepth 1 -type s -name 'wayland-*' | head -n1)
  [ -n "$sock" ] || return 1
  export WAYLAND_DISPLAY=$sock
  SWAYSOCK=$(find "$run/sway" -maxdepth 1 -type s -name 'sway-ipc.*.sock' | head -n1)
  export SWAYSOCK
  [ -n "$SWAYSOCK" ] && [[ $(swaymsg -t get_outputs) == *'"name": "HEADLESS-1"'* ]]
}

start_bus() {
  sed "s|@LISTEN@|unix:path=$run/bus|" "$here/tests/support/private-bus.conf" > "$run/bus.conf"
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$run/bus"
  desktop_spawn "$run/bus.log" dbus-daemon --nofork --nopidfile --config-file="$run/bus.conf"
  desktop_wait "the session bus" "$run/bus.log" "${pids[-1]}" bus_has org.freedesktop.DBus
}

bus_has() {
  [[ $(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1") == *'boolean true'* ]]
}

# Only the PipeWire daemon and its session manager: pipewire-pulse is never started, so
# PulseAudio keeps its socket and its role.
start_pipewire() {
  desktop_spawn "$run/pipewire.log" pipewire
  desktop_wait PipeWire "$run/pipewire.log" "${pids[-1]}" pw-cli info 0
  desktop_spawn "$run/wireplumber.log" wireplumber
  desktop_wait WirePlumber "$run/wireplumber.log" "${pids[-1]}" wireplumber_ready
}

wireplumber_ready() { [[ $(pw-dump) == *'"application.name": "WirePlumber"'* ]]; }

start_portal() {
  export CLIPNEST_TEST_CHOOSER="$run/chooser"
  export CLIPNEST_TEST_CHOOSER_CALLS="$run/chooser-calls"
  echo HEADLESS-1 > "$CLIPNEST_TEST_CHOOSER"
  : > "$CLIPNEST_TEST_CHOOSER_CALLS"
  cat > "$run/chooser.sh" << EOF
#!/bin/sh
echo called >> "$CLIPNEST_TEST_CHOOSER_CALLS"
cat "$CLIPNEST_TEST_CHOOSER"
EOF
  chmod +x "$run/chooser.sh"
  cat > "$run/xdpw.conf" << EOF
[screencast]
chooser_type=simple
chooser_cmd=$run/chooser.sh
EOF
  export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
  desktop_spawn "$run/permission-store.log" /usr/libexec/xdg-permission-store --replace
  desktop_wait "the permission store" "$run/permission-store.log" "${pids[-1]}" \
    bus_has org.freedesktop.impl.portal.PermissionStore
  desktop_spawn "$run/xdpw.log" env LD_PRELOAD="$shim" /usr/libexec/xdg-desktop-portal-wlr \
    --replace --loglevel=DEBUG --config="$run/xdpw.conf"
  desktop_wait xdg-desktop-portal-wlr "$run/xdpw.log" "${pids[-1]}" \
    bus_has org.freedesktop.impl.portal.desktop.wlr
  desktop_spawn "$run/portal.log" /usr/libexec/xdg-desktop-portal --replace --verbose
  desktop_wait xdg-desktop-portal "$run/portal.log" "${pids[-1]}" \
    bus_has org.freedesktop.portal.Desktop
}

start_sway
start_bus
start_pipewire
start_portal
desktop_start_pulse
desktop_start_service

export QT_QPA_PLATFORM=wayland CLIPNEST_TEST_WAYLAND=1
echo "Wayland test desktop: WAYLAND_DISPLAY=$WAYLAND_DISPLAY service=$CLIPNEST_TEST_SERVICE" \
  "runtime=$XDG_RUNTIME_DIR logs=$run"

"$@"
