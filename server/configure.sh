#!/usr/bin/env bash
# Writes the nginx site file and the php-fpm pool file of the upload service from the templates
# in conf/, for a deployment (see README.md) or for run-local.sh.
#
#   server/configure.sh --out DIR --storage DIR --socket PATH [options]
#
#   --out DIR            where clipnest-site.conf and clipnest-pool.conf go
#   --storage DIR        the videos' folder (outside the web root; made if missing)
#   --socket PATH        php-fpm's socket, shared by both files
#   --listen ADDR        nginx's listen address, e.g. 127.0.0.1:8080 or 443 (default 8080)
#   --server-name NAME   the host name clients use (default: _)
#   --tls-cert FILE      with --tls-key: serve HTTPS on --listen with this certificate chain
#   --tls-key FILE
#   --web-root DIR       default: public/ beside this script
#   --user NAME          user (and group) of the PHP workers; only when php-fpm starts as root
#   --max-upload BYTES   largest video (default 1073741824)
#   --max-storage BYTES  total size of all videos (default 20000000000)
#   --token-file FILE    uploads need "Authorization: Bearer <token>" with a token from FILE
#   --expire-days N      videos are removed N days after their upload (default 0: never)
#   --unfinished-hours N an unfinished resumable upload is dropped after N hours without a
#                        byte (default 24)
#   --php NAME=VALUE     one more php_admin_value line for the pool (repeatable)
set -euo pipefail
# Values are put in literally: "&" in one must not stand for the matched text (bash 5.2).
shopt -u patsub_replacement 2>/dev/null || true
here=$(cd "$(dirname "$0")" && pwd)

out="" storage="" socket="" listen="8080" server_name="_" cert="" key=""
web_root="$here/public" user="" max_upload=1073741824 max_storage=20000000000 token_file=""
expire_days=0 unfinished_hours=24
extra="" overridden=()
die() { echo "configure.sh: $*" >&2; exit 2; }
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || die "$1 needs a value"
  case "$1" in
    --out) out=$2 ;;
    --storage) storage=$2 ;;
    --socket) socket=$2 ;;
    --listen) listen=$2 ;;
    --server-name) server_name=$2 ;;
    --tls-cert) cert=$2 ;;
    --tls-key) key=$2 ;;
    --web-root) web_root=$2 ;;
    --user) user=$2 ;;
    --max-upload) max_upload=$2 ;;
    --max-storage) max_storage=$2 ;;
    --token-file) token_file=$2 ;;
    --expire-days) expire_days=$2 ;;
    --unfinished-hours) unfinished_hours=$2 ;;
    --php)
      [[ $2 =~ ^[a-z_.]+=[^$'\n']*$ ]] || die "--php wants NAME=VALUE, not $2"
      overridden+=("${2%%=*}")
      extra+="php_admin_value[${2%%=*}] = ${2#*=}"$'\n' ;;
    *) die "unknown option $1" ;;
  esac
  shift 2
done
[ -n "$out" ] && [ -n "$storage" ] && [ -n "$socket" ] || die "--out, --storage and --socket are needed"
[[ $max_upload =~ ^[1-9][0-9]{0,15}$ ]] || die "--max-upload wants a number of bytes"
[[ $max_storage =~ ^[1-9][0-9]{0,15}$ ]] || die "--max-storage wants a number of bytes"
[[ $expire_days =~ ^(0|[1-9][0-9]{0,4})$ ]] || die "--expire-days wants a whole number of days"
[[ $unfinished_hours =~ ^[1-9][0-9]{0,4}$ ]] || die "--unfinished-hours wants a whole number of hours"
[ -z "$cert$key" ] || { [ -n "$cert" ] && [ -n "$key" ]; } || die "--tls-cert and --tls-key go together"
for value in "$storage" "$socket" "$web_root" "$token_file" "$cert" "$key" "$server_name" "$listen"; do
  # These end up inside both configuration languages unquoted.
  [[ $value =~ ^[A-Za-z0-9_./:@+,-]*$ ]] || die "unsupported character in: $value"
done

mkdir -p "$out" "$storage"
storage=$(cd "$storage" && pwd -P)
web_root=$(cd "$web_root" && pwd -P)

if [ -n "$cert" ]; then
  listen_lines="    listen $listen ssl;
    ssl_certificate $cert;
    ssl_certificate_key $key;
    ssl_protocols TLSv1.2 TLSv1.3;"
else
  listen_lines="    listen $listen;"
fi
user_lines=""
if [ -n "$user" ]; then
  group=$(id -gn "$user")
  user_lines="user = $user
group = $group
listen.owner = $user
listen.group = $group"
fi
env_lines="env[CLIPNEST_STORAGE] = $storage
env[CLIPNEST_MAX_UPLOAD] = $max_upload
env[CLIPNEST_MAX_STORAGE] = $max_storage
env[CLIPNEST_EXPIRE_DAYS] = $expire_days
env[CLIPNEST_UNFINISHED_HOURS] = $unfinished_hours"
[ -z "$token_file" ] || env_lines+=$'\n'"env[CLIPNEST_TOKEN_FILE] = $token_file"

fill() {
  local text line kept="" name skip
  # A --php value replaces the template's line for the same setting rather than competing with it.
  while IFS= read -r line; do
    skip=0
    for name in "${overridden[@]}"; do
      [[ $line == "php_admin_value[$name] ="* ]] && skip=1
    done
    [ $skip -eq 1 ] || kept+=$line$'\n'
  done < "$1"
  text=${kept%$'\n'}
  text=${text//@LISTEN@/$listen_lines}
  text=${text//@SERVER_NAME@/$server_name}
  text=${text//@WEB_ROOT@/$web_root}
  # The framing of the multipart body around the video: as upload.php allows.
  text=${text//@MAX_BODY@/$((max_upload + 16384))}
  text=${text//@MAX_UPLOAD@/$max_upload}
  # One chunk of a resumable upload (8 MiB, as files.php's CLIPNEST_TUS_CHUNK) plus 64 KiB.
  text=${text//@MAX_CHUNK_BODY@/$((8388608 + 65536))}
  text=${text//@FPM_SOCKET@/$socket}
  text=${text//@USER@/$user_lines}
  text=${text//@ENV@/$env_lines}
  text=${text//@EXTRA@/$extra}
  printf '%s\n' "$text" > "$2"
}
fill "$here/conf/nginx-site.conf.in" "$out/clipnest-site.conf"
fill "$here/conf/php-fpm-pool.conf.in" "$out/clipnest-pool.conf"
echo "configure.sh: wrote $out/clipnest-site.conf and $out/clipnest-pool.conf"
