#!/usr/bin/env bash
# Fails when a folder of src/ includes a header of a folder above it. Calls go
# downward; the few upward calls the game's design needs go through services
# declared below and defined above. Usage: check_layers.sh [source root]
# Lines of tools/layers-allow.txt ("file: included header") are let through.
# An include is read in every form it may take: "map/City.h", <map/City.h>,
# and paths relative to the including file ("../shell/Main.h").
set -eu
root=${1:-"$(dirname "$0")/../src"}
allow="$(dirname "$0")/layers-allow.txt"
# The same layers, in the same order, as the list in the README.
declare -A rank=([base]=0 [platform]=1 [engine]=2 [sound]=3 [data]=4 [map]=5 [story]=6
  [ui]=7 [battle]=8 [menu]=8 [shop]=8 [screens]=9 [shell]=10)

# Folds "." and ".." out of a slash-separated path into $norm; a path that
# climbs above its start keeps its leading "..".
normalise() {
  local -a out=()
  local part
  IFS=/ read -r -a parts <<<"$1"
  for part in "${parts[@]}"; do
    case $part in
      "" | .) ;;
      ..) if [ ${#out[@]} -gt 0 ] && [ "${out[-1]}" != .. ]; then unset 'out[-1]'; else out+=(..); fi ;;
      *) out+=("$part") ;;
    esac
  done
  local IFS=/
  norm="${out[*]}"
}

bad=0
while IFS= read -r -d '' file; do
  rel=${file#"$root"/}
  from=${rel%%/*}
  [ -n "${rank[$from]:-}" ] || continue
  dir=${rel%/*}
  while IFS= read -r inc; do
    # A path that starts with a dot is relative to the including file's
    # folder; any other is taken from the source root.
    case $inc in
      ./* | ../*) normalise "$dir/$inc" ;;
      *) normalise "$inc" ;;
    esac
    path=$norm
    to=${path%%/*}
    [ "$path" != "$to" ] || continue
    [ -n "${rank[$to]:-}" ] || continue
    if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
      if [ -f "$allow" ] && grep -qxF "$rel: $inc" "$allow"; then continue; fi
      echo "$rel includes $inc ($from may not include $to)"
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]\([^">]*\)[">].*/\1/p' "$file")
done < <(find "$root" -name '*.h' -print0 -o -name '*.cpp' -print0)
exit $bad
