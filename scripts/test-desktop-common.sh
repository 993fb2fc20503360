# Sourced by scripts/with-test-desktop.sh (X11) and scripts/with-wayland-desktop.sh: what both
# test desktops share. Not to be run on its own.
#
#   desktop_init NAME LABEL one temporary folder for everything (HOME, XDG_RUNTIME_DIR,
#                           settings, uploads, logs), removed with every started process on exit
#   desktop_spawn LOG CMD.. starts CMD in the background with its output in LOG and stops it on exit
#   desktop_wait WHAT LOG PID CMD..
#                           waits (bounded) until CMD succeeds; fails printing LOG when it does
#                           not, or when PID ends first
#   desktop_start_pulse     PulseAudio: a 440 Hz sine "microphone" and a null sink "speakers"
#   desktop_start_service   the reference upload service on a free loopback port
#
# Variables set: run (the folder), pids (started processes, stopped in reverse order).

desktop_here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
desktop_label="test desktop"

desktop_cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$run"
}

desktop_fail() {
  echo "$desktop_label: $1" >&2
  [ -n "${2:-}" ] && [ -f "$2" ] && cat "$2" >&2
  exit 1
}

desktop_init() {
  desktop_label=$2
  run=$(mktemp -d "/tmp/clipnest-$1.XXXXXX")
  pids=()
  trap desktop_cleanup EXIT
  trap 'exit 130' INT TERM
  export HOME="$run/home"
  export XDG_RUNTIME_DIR="$run/runtime"
  export XDG_CONFIG_HOME="$HOME/.config"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR/pulse" "$run/uploads"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset SESSION_MANAGER
}

desktop_spawn() {
  local log=$1
  shift
  "$@" > "$log" 2>&1 &
  pids+=($!)
}

# 30 seconds at most: every piece is up within a few seconds on an idle machine, and the
# test machine may be busy building.
desktop_wait() {
  local what=$1 log=$2 pid=$3
  shift 3
  for _ in $(seq 300); do
    "$@" > /dev/null 2>&1 && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  "$@" > /dev/null 2>&1 && return 0
  desktop_fail "$what did not start" "$log"
}

desktop_start_pulse() {
  export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
  desktop_spawn "$run/pulse.log" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --disallow-exit --use-pid-file=no --system=false --disable-shm=false \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse/native" \
    --load="module-null-sink sink_name=speakers" \
    --load="module-sine-source source_name=microphone rate=44100 frequency=440" \
    --load="module-always-sink"
  desktop_wait PulseAudio "$run/pulse.log" "${pids[-1]}" pactl info
  pactl set-default-source microphone
  pactl set-default-sink speakers
}

desktop_service_ready() { grep -q '^ready' "$run/service.log"; }

desktop_start_service() {
  local port
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  export CLIPNEST_TEST_SERVICE="127.0.0.1:$port"
  export CLIPNEST_TEST_UPLOADS="$run/uploads"
  desktop_spawn "$run/service.log" bash "$desktop_here/server/run-local.sh" --dir "$run/service" \
    --listen "$CLIPNEST_TEST_SERVICE" --storage "$run/uploads"
  desktop_wait "the upload service" "$run/service.log" "${pids[-1]}" desktop_service_ready
}
