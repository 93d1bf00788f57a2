#!/usr/bin/env bash
# The run command's sample step twice over one folder, with a player's files
# made between the two: the second writing renews the game's data and keeps
# the saves, the screenshots, the settings and the options. Then the sample
# written into two fresh folders: every file the same, byte for byte.
set -eu
setup=$1
build=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
game="$root/game"
MH_BUILD_DIR="$build" bash "$setup" sample "$game" >/dev/null
test -s "$game/MH_Data/maps.dat" || { echo "no sample written"; exit 1; }

declare -A made=([Save/MH01.sav]="slot one" [Save/Quick.sav]="quick" [Save/Option.sav]="options"
  [ScrnShot/00000.bmp]="a screenshot" [Env.dat]="settings")
for f in "${!made[@]}"; do printf '%s' "${made[$f]}" > "$game/$f"; done
: > "$game/MH_Data/maps.dat"              # a spoiled data file is written again
printf 'stale' > "$game/data/mcache.dat"  # maps cached from the earlier sample

MH_BUILD_DIR="$build" bash "$setup" sample "$game" >/dev/null
bad=0
for f in "${!made[@]}"; do
  if [ "$(cat "$game/$f" 2>/dev/null)" != "${made[$f]}" ]; then echo "$f was not kept"; bad=1; fi
done
test -s "$game/MH_Data/maps.dat" || { echo "MH_Data/maps.dat was not written again"; bad=1; }
test ! -e "$game/data/mcache.dat" || { echo "the map cache of the earlier sample stayed"; bad=1; }
for twin in one two; do MH_BUILD_DIR="$build" bash "$setup" sample "$root/$twin" >/dev/null; done
diff -rq "$root/one" "$root/two" || { echo "the sample written twice differs"; bad=1; }
exit $bad
