#!/usr/bin/env bash
# Fails when a folder of src/ includes a header of a folder above it. Calls go
# downward; the few upward calls the game's design needs go through services
# declared below and defined above, in the link headers named here: it also
# fails when any other file declares a function or variable defined only in
# folders above its own (a prototype or an extern in a header or a .cpp, at
# namespace scope or inside a function) or a class whose member, constructor or
# static data member is defined only above it. Usage: check_layers.sh [source root]
# Lines of tools/layers-allow.txt ("file: included header") are let through.
# An include is read in every form it may take: "map/City.h", <map/City.h>,
# and paths relative to the including file ("../shell/Main.h"). A file of src/
# including a header of tools/ (the folder beside the source root) fails too,
# and a declaration a macro makes is read as the macro writes it out.
set -eu -o pipefail
root=${1:-"$(dirname "$0")/../src"}
allow="$(dirname "$0")/layers-allow.txt"
tools="$root/../tools"
# The same layers, in the same order, as the list in the README.
declare -A rank=([base]=0 [platform]=1 [engine]=2 [sound]=3 [data]=4 [map]=5 [story]=6
  [ui]=7 [battle]=8 [menu]=8 [shop]=9 [screens]=10 [shell]=11)
# The link headers, as the README lists them: each declares what a layer above
# it defines.
links=(platform/AllocatorLink.h map/StoryLink.h map/InterfaceLink.h map/SessionServices.h
  story/ScreenCalls.h ui/ScreenLink.h)

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
    # The tools are built on the game's code, never under it.
    if [ "${path#../tools/}" != "$path" ] || { [ "$to" != .. ] && [ -d "$tools/$to" ]; }; then
      echo "$rel includes $inc (src may not include tools/)"
      bad=1
      continue
    fi
    [ -n "${rank[$to]:-}" ] || continue
    if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
      if [ -f "$allow" ] && grep -qxF "$rel: $inc" "$allow"; then continue; fi
      echo "$rel includes $inc ($from may not include $to)"
      bad=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]\([^">]*\)[">].*/\1/p' "$file")
done < <(find "$root" -name '*.h' -print0 -o -name '*.cpp' -print0)

# Every name declared or defined, at namespace scope, in a class or in a
# function body, with the folder ranks: a declaration outside the link headers
# (a prototype or an extern in a header or a .cpp, a member in its class) whose
# definitions all sit in folders above its file's is an upward call in disguise.
# A definition qualified by a namespace ("void fx::Glow() {}") defines the bare
# name too.
scanner=$(cd "$(dirname "$0")" && pwd)/declarations.awk
ranks=$(for f in "${!rank[@]}"; do echo "$f ${rank[$f]}"; done)
mapfile -d '' sources < <(cd "$root" && find . -name '*.h' -print0 -o -name '*.cpp' -print0 |
  sed -z 's|^\./||')
upward=$(cd "$root" && awk -f "$scanner" pass=1 "${sources[@]}" pass=2 "${sources[@]}" |
  awk -v ranks="$ranks" -v links="${links[*]}" '
    BEGIN {
      n = split(ranks, r, "\n")
      for (i = 1; i <= n; i++) { split(r[i], kv, " "); rank[kv[1]] = kv[2] }
      n = split(links, l, " ")
      for (i = 1; i <= n; i++) link[l[i]] = 1
    }
    function defined(name, folder) {
      if (!(name in lowest) || rank[folder] < lowest[name]) { lowest[name] = rank[folder]; at[name] = folder }
    }
    {
      folder = $3; sub(/\/.*/, "", folder)
      if ($1 == "N") { space[$2] = 1; next }
      if (!(folder in rank)) next
      if ($1 == "F") {
        defined($2, folder)
        if (index($2, "::")) { nq++; qname[nq] = $2; qfolder[nq] = folder }
      } else if (!($3 in link)) {
        d[++nd] = $2; file[nd] = $3; line[nd] = $4; from[nd] = folder
      }
    }
    END {
      for (i = 1; i <= nq; i++) {
        split(qname[i], part, "::")
        if (part[1] in space) defined(part[2], qfolder[i])
      }
      for (i = 1; i <= nd; i++)
        if ((d[i] in lowest) && lowest[d[i]] > rank[from[i]])
          printf "%s:%s declares %s, defined only above it in %s; an upward call goes through a link header\n", file[i], line[i], d[i], at[d[i]]
    }')
if [ -n "$upward" ]; then
  echo "$upward"
  bad=1
fi
exit $bad
