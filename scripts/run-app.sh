#!/usr/bin/env bash
# Starts the reference upload service on 127.0.0.1:8080 (unless something already
# listens there) and then the program; stops the service when the program ends.
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
storage="${CLIPNEST_STORAGE:-$HOME/.local/share/clipnest-service}"
mkdir -p "$storage"
php_pid=""
if ! curl -s -o /dev/null --max-time 1 http://127.0.0.1:8080/faq; then
  CLIPNEST_STORAGE="$storage" php -d enable_post_data_reading=0 -S 127.0.0.1:8080 -t "$here/server" "$here/server/router.php" \
    > "$storage/server.log" 2>&1 &
  php_pid=$!
  echo "Upload service on http://127.0.0.1:8080 (videos in $storage)"
fi
trap '[ -n "$php_pid" ] && kill $php_pid 2>/dev/null' EXIT
"$build/app/clipnest"
