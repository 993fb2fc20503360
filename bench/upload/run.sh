#!/usr/bin/env bash
# Upload benchmark, on loopback against the reference service (nginx in front of php-fpm):
#  - a 300 MB video posted by the program's uploader: time, and peak memory of the program
#    (goal: below the file size + 60 MiB) and of the php-fpm worker (goal: below 64 MiB);
#  - 50 uploads of 20 MB at once: all stored intact, total time, failures (goal: none).
#   bash bench/upload/run.sh <builddir>
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
bench="$build/bench/upload/clipnest_bench_upload"
size_mb=${CLIPNEST_BENCH_UPLOAD_MB:-300}
[ -x "$bench" ] || { echo "upload bench: $bench is missing; build first" >&2; exit 1; }

work=$(mktemp -d /tmp/clipnest-bench-upload.XXXXXX)
service_pid=""
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A private instance of the service as deployed (nginx in front of php-fpm), so its PHP workers
# are fresh and their peak memory belongs to this run alone.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
service="127.0.0.1:$port"
storage="$work/storage"
bash "$here/server/run-local.sh" --dir "$work/run" --listen "$service" --storage "$storage" \
  > "$work/service.log" 2>&1 &
service_pid=$!
for _ in $(seq 600); do
  grep -q '^ready' "$work/service.log" 2>/dev/null && break
  kill -0 "$service_pid" 2>/dev/null || break
  sleep 0.05
done
grep -q '^ready' "$work/service.log" || { echo "upload bench: the service did not start" >&2; cat "$work/service.log" >&2; exit 1; }

# Peak resident memory (VmHWM, MiB) of the largest of the given processes.
peak_of() {
  local best=0 kib
  for pid in "$@"; do
    kib=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$kib" ] && [ "$kib" -gt "$best" ] && best=$kib
  done
  python3 -c "print(round($best/1024, 1))"
}
fpm_master=$(cat "$work/run/php-fpm.pid")
fpm_workers() { pgrep -P "$fpm_master" || true; }
nginx_master=$(cat "$work/run/nginx.pid")

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
  name=${answer##*/}
  [[ "$name" =~ ^[0-9a-f]{32}\.mp4$ ]] && rm -f "$storage/$name"
fi
# shellcheck disable=SC2046
fpm_peak=$(peak_of $(fpm_workers))
nginx_peak=$(peak_of $(pgrep -P "$nginx_master"))
fpm_verdict=$(python3 -c "print('met' if $fpm_peak < 64 else 'MISSED')")
echo "php-fpm worker:   peak $fpm_peak MiB < 64 MiB: $fpm_verdict"
echo "nginx worker:     peak $nginx_peak MiB"
[ "$fpm_verdict" = met ] || status=1
peak=$(sed -n 's/^peak RSS total: *\([0-9.]*\).*/\1/p' "$work/out.txt")
if [ -n "$peak" ]; then
  limit=$(python3 -c "print(round($bytes/1048576 + 60, 1))")
  verdict=$(python3 -c "print('met' if $peak < $limit else 'MISSED')")
  echo "memory goal:      peak $peak MiB < $limit MiB (file + 60 MiB): $verdict"
  [ "$verdict" = met ] || status=1
fi

# Many at once: uploads of 20 MB each, all started together with curl.
count=${CLIPNEST_BENCH_PARALLEL:-50}
cp "$work/head.mp4" "$work/small.mp4"
head -c $((20 * 1000 * 1000 - $(stat -c %s "$work/head.mp4"))) /dev/urandom >> "$work/small.mp4"
before=$(find "$storage" -name '*.mp4' | wc -l)
start=$(date +%s.%N)
for i in $(seq "$count"); do
  curl -s -o "$work/answer-$i" -w '%{http_code}' -F "attachment=@$work/small.mp4;type=video/mp4" \
    "http://$service/upload.php?width=64&height=48" > "$work/status-$i" &
done
wait $(jobs -p | grep -v "^$service_pid\$") 2>/dev/null || true
end=$(date +%s.%N)
ok=$(grep -l '^200$' "$work"/status-* | wc -l)
stored=$(( $(find "$storage" -name '*.mp4' | wc -l) - before ))
intact=0
want=$(sha1sum < "$work/small.mp4")
for f in $(find "$storage" -name '*.mp4'); do
  [ "$(sha1sum < "$f")" = "$want" ] && intact=$((intact + 1))
done
distinct=$(for f in "$work"/answer-*; do cat "$f"; echo; done | sort -u | grep -c '^http')
echo "parallel:         $count uploads of 20 MB in $(python3 -c "print(round($end - $start, 2))") s;" \
  "$ok answered 200, $stored stored, $intact intact, $distinct distinct links, $((count - ok)) failed"
# shellcheck disable=SC2046
echo "php-fpm worker:   peak $(peak_of $(fpm_workers)) MiB after the parallel uploads"
[ "$ok" -eq "$count" ] && [ "$stored" -eq "$count" ] && [ "$intact" -eq "$count" ] || status=1
exit $status
