#!/usr/bin/env bash
# Fails when a C++ file of src/, tools/, tests/, bench/ or fuzz/ differs from
# what clang-format makes of it under the checkout's .clang-format; names each
# such file.
# Usage: check_format.sh [checkout root]; `clang-format -i <file>` puts a file right.
set -eu
root=${1:-"$(dirname "$0")/.."}
command -v clang-format >/dev/null || { echo "the format check needs clang-format"; exit 2; }
[ -f "$root/.clang-format" ] || { echo "no .clang-format in $root"; exit 2; }
cd "$root"
# clang-format writes "file:line:column: error: ..." for every place it would change.
bad=$(find src tools tests bench fuzz -name '*.cpp' -o -name '*.h' 2>/dev/null | sort |
  xargs -r -n 40 -P 4 clang-format --dry-run -Werror 2>&1 |
  sed -n 's/^\([^ :]*\.\(cpp\|h\)\):[0-9]*:[0-9]*: error:.*/\1/p' | sort -u || true)
if [ -n "$bad" ]; then
  echo "not formatted (clang-format -i puts them right):"
  echo "$bad" | sed 's/^/  /'
  exit 1
fi
