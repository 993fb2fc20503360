#!/usr/bin/env bash
# Starts the reference upload service (nginx in front of php-fpm, server/run-local.sh) on
# 127.0.0.1:8080 unless something already answers there, and then the program; stops the
# service when the program ends.
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
storage="${CLIPNEST_STORAGE:-$HOME/.local/share/clipnest-service}"
mkdir -p "$storage"
service_pid=""
if ! curl -s -o /dev/null --max-time 1 http://127.0.0.1:8080/faq; then
  rundir=$(mktemp -d "${TMPDIR:-/tmp}/clipnest-service.XXXXXX")
  bash "$here/server/run-local.sh" --dir "$rundir" --listen 127.0.0.1:8080 --storage "$storage" \
    > "$rundir/service.log" 2>&1 &
  service_pid=$!
  for _ in $(seq 600); do
    grep -q '^ready' "$rundir/service.log" 2>/dev/null && break
    kill -0 "$service_pid" 2>/dev/null || break
    sleep 0.05
  done
  if grep -q '^ready' "$rundir/service.log"; then
    echo "Upload service on http://127.0.0.1:8080 (videos in $storage, logs in $rundir)"
  else
    echo "The upload service did not start:" >&2
    cat "$rundir/service.log" >&2
  fi
fi
trap '[ -n "$service_pid" ] && kill $service_pid 2>/dev/null; wait' EXIT
"$build/app/clipnest"
