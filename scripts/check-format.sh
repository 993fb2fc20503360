#!/usr/bin/env bash
# Fails when a C++ source of the repository differs from what clang-format makes of it
# (.clang-format at the root). `make format` rewrites them.
set -uo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null 2>&1; then
  echo "clang-format is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
files=$(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror $files; then
  echo "Formatting differs from .clang-format: run 'make format'" >&2
  exit 1
fi
echo "Formatting: all $(echo "$files" | wc -l) C++ files follow .clang-format"
