#!/usr/bin/env bash
# Runs the upload service with nginx in front of php-fpm, both from Debian, in the foreground
# and without privileges: every file they write (configuration, socket, pid files, logs,
# temporary bodies) lives in a private folder. Stops both when it is stopped or when either
# of them ends. Started by root (as on CI) the workers stay root, since the private folders
# are root's; a deployment runs them as a service user instead (README.md).
#
#   server/run-local.sh --dir RUNDIR --listen 127.0.0.1:PORT --storage DIR [configure.sh options]
#
# Prints "ready http://ADDR" once the service answers.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

dir="" listen="" server_name="" args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir=$2; shift 2 ;;
    --listen) listen=$2; args+=("$1" "$2"); shift 2 ;;
    --server-name) server_name=$2; shift 2 ;;
    *) args+=("$1"); shift ;;
  esac
done
if [ -z "$dir" ] || [ -z "$listen" ]; then
  echo "run-local.sh: --dir and --listen are needed" >&2; exit 2
fi
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
fpm_bin=$(command -v php-fpm 2>/dev/null || ls /usr/sbin/php-fpm* 2>/dev/null | sort -V | tail -n1)
if [ ! -x "$nginx_bin" ] || [ -z "$fpm_bin" ]; then
  echo "run-local.sh: nginx and php-fpm are needed (scripts/install-deps.sh installs them)" >&2
  exit 1
fi

mkdir -p "$dir/temp"
dir=$(cd "$dir" && pwd -P)
root_args=()
user_args=()
if [ "$(id -u)" -eq 0 ]; then
  root_args=(--allow-to-run-as-root)
  user_args=(--user root)
fi
# A client that sends no Host header gets links to the address it connected to.
[ -n "$server_name" ] || server_name=${listen%:*}
bash "$here/configure.sh" --out "$dir" --server-name "$server_name" --socket "$dir/php-fpm.sock" "${user_args[@]}" "${args[@]}" \
  > /dev/null || exit 2

cat > "$dir/php-fpm.conf" <<CONF
[global]
pid = $dir/php-fpm.pid
error_log = $dir/php-fpm.log
daemonize = no
include = $dir/clipnest-pool.conf
CONF

{
  [ "$(id -u)" -eq 0 ] && echo "user root root;"
  cat <<CONF
daemon off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/nginx-error.log warn;
events {
    worker_connections 1024;
}
http {
    access_log $dir/nginx-access.log;
    sendfile on;
    client_body_temp_path $dir/temp/body;
    fastcgi_temp_path $dir/temp/fastcgi;
    proxy_temp_path $dir/temp/proxy;
    scgi_temp_path $dir/temp/scgi;
    uwsgi_temp_path $dir/temp/uwsgi;
    include $dir/clipnest-site.conf;
}
CONF
} > "$dir/nginx.conf"

pids=()
stop() {
  for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
}
trap stop EXIT
trap 'exit 0' TERM INT HUP

rm -f "$dir/php-fpm.sock"
"$fpm_bin" --nodaemonize --fpm-config "$dir/php-fpm.conf" "${root_args[@]}" 2>> "$dir/php-fpm.log" &
pids+=($!)
"$nginx_bin" -p "$dir" -c "$dir/nginx.conf" -e "$dir/nginx-error.log" 2>> "$dir/nginx-error.log" &
pids+=($!)

for _ in $(seq 600); do
  if [ -S "$dir/php-fpm.sock" ] && curl -s -o /dev/null --max-time 1 "http://$listen/faq"; then
    echo "ready http://$listen"
    break
  fi
  for p in "${pids[@]}"; do
    if ! kill -0 "$p" 2>/dev/null; then
      echo "run-local.sh: the service did not start:" >&2
      tail -n 20 "$dir/nginx-error.log" "$dir/php-fpm.log" >&2
      exit 1
    fi
  done
  sleep 0.05
done
# Runs until stopped or until either server ends.
wait -n "${pids[@]}"
echo "run-local.sh: a server ended:" >&2
tail -n 20 "$dir/nginx-error.log" "$dir/php-fpm.log" >&2
exit 1
