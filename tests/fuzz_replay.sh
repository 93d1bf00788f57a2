#!/usr/bin/env bash
# Replays a fuzz target over the sample game's files of its format and over
# deterministic variants of them: every reader must survive what it is given.
set -eu
target=$1
gen=$2
variants=$3
shift 3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
"$gen" "$root/game" >/dev/null
files=()
for pattern in "$@"; do
  for f in "$root"/game/$pattern; do [ -f "$f" ] && files+=("$f"); done
done
if [ ${#files[@]} -eq 0 ]; then echo "no sample files match $*"; exit 1; fi
cd "$root"
"$target" --mutate "$variants" "${files[@]}"
