#!/usr/bin/env bash
# The layer check passes on the source tree and fails on a planted upward include
# (map mode including the shell), while an include between equals passes.
set -eu
check=$1
src=$2
bash "$check" "$src"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/map" "$root/shell" "$root/ui" "$root/menu"
printf '#include "map/City.h"\n' > "$root/shell/Ok.cpp"
printf '#include "menu/MenuState.h"\n' > "$root/ui/Beside.cpp"
bash "$check" "$root" || { echo "downward and sideways includes were refused"; exit 1; }
printf '#include "base/Types.h"\n  #  include "shell/Main.h"\n' > "$root/map/Up.cpp"
if out=$(bash "$check" "$root"); then echo "a planted upward include passed"; exit 1; fi
grep -q "map/Up.cpp includes shell/Main.h" <<<"$out" || { echo "unexpected report: $out"; exit 1; }
echo "layer check ok"
