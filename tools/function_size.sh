#!/usr/bin/env bash
# Lists every function in src/ whose body runs over 100 lines (blank and comment
# lines included), with clang-tidy's function-size check; exits non-zero when
# there is one.
#
#   tools/function_size.sh [build folder, default build]
#
# The build folder gives the compile commands (CMake writes them on configure).
# Needs clang-tidy (Debian package clang-tidy).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
limit=100
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json: configure first" >&2; exit 2; }

out=$(mktemp)
trap 'rm -f "$out"' EXIT
# clang-tidy fails on a file it cannot parse (a warning of the build's -Werror does
# not count); that file would go unchecked.
if ! find src -name '*.cpp' -print0 | sort -z |
  xargs -0 -P"$(nproc)" -n8 clang-tidy -p "$build" --quiet --extra-arg=-Wno-error \
    --header-filter='.*/src/.*' --checks='-*,readability-function-size' \
    --config="{CheckOptions: [{key: readability-function-size.LineThreshold, value: $limit}]}" \
    >"$out" 2>/dev/null; then
  echo "clang-tidy could not read every file (run it on one to see why)" >&2
  exit 2
fi
long=$(grep 'lines including whitespace' "$out" | sed "s|^$PWD/||; s|: note: | |" | sort -u || true)
if [ -n "$long" ]; then
  echo "functions over $limit lines:"
  echo "$long"
  exit 1
fi
echo "no function in src/ over $limit lines"
