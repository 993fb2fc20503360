#!/usr/bin/env bash
# Runs every area's benchmark (bench/<area>/run.sh) against the given build.
set -uo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
status=0
for script in "$here"/*/run.sh; do
  [ -f "$script" ] || continue
  echo "== $(basename "$(dirname "$script")")"
  bash "$script" "$build" || status=1
done
exit $status
