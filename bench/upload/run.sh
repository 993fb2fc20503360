#!/usr/bin/env bash
# Upload benchmark: a 300 MB video posted on loopback to the reference service.
# Goal: peak memory of the uploading process below the file size + 60 MiB.
#   bash bench/upload/run.sh <builddir>
# Uses the service of the test desktop (CLIPNEST_TEST_SERVICE) when there is one, otherwise
# starts its own.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
bench="$build/bench/upload/clipnest_bench_upload"
size_mb=${CLIPNEST_BENCH_UPLOAD_MB:-300}
[ -x "$bench" ] || { echo "upload bench: $bench is missing; build first" >&2; exit 1; }

work=$(mktemp -d /tmp/clipnest-bench-upload.XXXXXX)
php_pid=""
cleanup() {
  [ -n "$php_pid" ] && kill "$php_pid" 2>/dev/null && wait "$php_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

service=${CLIPNEST_TEST_SERVICE:-}
storage=${CLIPNEST_TEST_UPLOADS:-}
if [ -z "$service" ]; then
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  service="127.0.0.1:$port"
  storage="$work/storage"
  mkdir -p "$storage"
  CLIPNEST_STORAGE="$storage" php -d enable_post_data_reading=0 -S "$service" -t "$here/server" "$here/server/router.php" \
    > "$work/php.log" 2>&1 &
  php_pid=$!
  for _ in $(seq 100); do curl -s -o /dev/null "http://$service/faq" && break; sleep 0.1; done
fi

# A real MP4 head followed by filler, so the service takes it as a video.
ffmpeg -loglevel error -y -f lavfi -i testsrc=duration=1:size=64x48:rate=10 -pix_fmt yuv420p \
  "$work/head.mp4"
cp "$work/head.mp4" "$work/video.mp4"
head -c $((size_mb * 1000 * 1000 - $(stat -c %s "$work/head.mp4"))) /dev/urandom >> "$work/video.mp4"
bytes=$(stat -c %s "$work/video.mp4")

echo "upload bench: $bytes bytes to $service"
status=0
"$bench" "$work/video.mp4" "$service" 2>&1 | tee "$work/out.txt" || status=$?
answer=$(sed -n 's/^answer: *//p' "$work/out.txt")
if [ $status -eq 0 ] && [ -n "$answer" ]; then
  got=$(curl -s -r "$((bytes - 1000))-" "$answer" | cmp - <(tail -c 1000 "$work/video.mp4") >/dev/null && echo same || echo different)
  echo "stored tail:      $got"
  [ "$got" = same ] || status=1
  # Leave no 300 MB file behind in a shared storage folder.
  name=${answer##*/}
  [ -n "$storage" ] && [[ "$name" =~ ^[0-9a-f]{32}\.mp4$ ]] && rm -f "$storage/$name"
fi
peak=$(sed -n 's/^peak RSS total: *\([0-9.]*\).*/\1/p' "$work/out.txt")
if [ -n "$peak" ]; then
  limit=$(python3 -c "print(round($bytes/1048576 + 60, 1))")
  verdict=$(python3 -c "print('met' if $peak < $limit else 'MISSED')")
  echo "memory goal:      peak $peak MiB < $limit MiB (file + 60 MiB): $verdict"
  [ "$verdict" = met ] || status=1
fi
exit $status
