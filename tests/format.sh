#!/usr/bin/env bash
# Every C++ file of the project is formatted by the project's .clang-format: lists the files
# that are not and fails when there is one.
# Usage: format.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"
command -v clang-format >/dev/null || { echo "clang-format is not installed"; exit 1; }
files=$(git ls-files '*.cc' '*.h')
report=$(clang-format --dry-run $files 2>&1)
if [ -n "$report" ]; then
  echo "Not formatted by .clang-format (run: clang-format -i FILE):"
  sed -n 's/^\([^: ]*\):[0-9]*:[0-9]*: warning: .*/  \1/p' <<<"$report" | sort -u
  exit 1
fi
