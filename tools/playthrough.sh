#!/usr/bin/env bash
# Plays the sample adventure from the title to its ending in a real window under
# a virtual X server, with keys only (xdotool), and keeps a screenshot of every
# checkpoint as a numbered PNG for people to look at. Where the game has to get
# somewhere first (a map to load, a walk on the world map, a fight), the script
# waits for the colour of a known spot of the screen.
# Usage: tools/playthrough.sh [build folder] [out folder]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
out=${2:-$PWD/playthrough}
mkdir -p "$out"
out=$(cd "$out" && pwd)
for tool in xvfb-run xdotool xwd convert; do
  command -v "$tool" >/dev/null || { echo "playthrough needs $tool"; exit 2; }
done
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
"$build/mhgen" "$root/game" >/dev/null
rm -f "$out"/[0-9][0-9]-*.png
export MOONHARBOR_LOCK_DIR="$root" SDL_AUDIODRIVER=dummy MOONHARBOR_TRACE_START=1
xvfb-run -a -s "-screen 0 640x480x24" bash -c '
  set -eu
  game=$1 out=$2 log=$3
  cd "$(dirname "$log")/game"
  "$game" 2>"$log" &
  pid=$!
  trap "kill -TERM $pid 2>/dev/null || true" EXIT
  for i in $(seq 1 100); do grep -qs "first frame at" "$log" && break; sleep 0.05; done

  # Keys are read once a frame (35 ms): a direction is held for two frames,
  # short of a step of the player (four frames); other keys a little longer, for
  # the boxes to see them; a pause lets the next press count.
  tap() {
    local hold=0.15
    case $1 in Left | Right | Up | Down) hold=0.07 ;; esac
    xdotool keydown "$1"; sleep $hold; xdotool keyup "$1"; sleep "${2:-0.3}"
  }
  n=0
  shot() {
    n=$((n + 1))
    xwd -root | convert xwd:- "$out/$(printf %02d $n)-$1.png"
    echo "$(printf %02d $n)-$1.png"
  }
  # The colour at (x, y) of the screen: "r,g,b".
  pixel() {
    xwd -root | convert xwd:- -format "%[pixel:p{$1,$2}]" info: | tr -d "srgba()"
  }
  # The colours the script waits for: the world map'"'"'s sea and its wall, the
  # grass of the lighthouse and the town, and the town'"'"'s street.
  sea=16,40,131 wall=123,105,90 grass=49,145,49 road=197,161,98
  # Waits up to $4 seconds for colour $3 at (x, y); $5 a key tapped meanwhile.
  wait_for() {
    for i in $(seq 1 $(($4 * 2))); do
      [ "$(pixel "$1" "$2")" = "$3" ] && return 0
      if [ -n "${5:-}" ]; then tap "$5" 1; else sleep 0.5; fi
    done
    echo "no $3 at $1,$2 after $4 s"; shot stuck; exit 1
  }
  # The world map: Down picks the lighthouse, the player walks there (the view
  # then shows the map'"'"'s north-west corner), confirm enters it; the player
  # arrives facing the keeper.
  lighthouse() {
    wait_for 620 200 $sea 10
    sleep 0.5
    shot world-map
    tap Down
    wait_for 4 4 $wall 30
    sleep 1
    shot at-the-lighthouse-mark
    tap Return
    wait_for 600 20 $grass 10
    sleep 1
    shot lighthouse
  }

  # A box shows its words a character at a time: confirm once they are all out.
  read_box() { sleep 4; shot "$1"; tap Return; }

  sleep 2
  tap Escape  # the opening video
  sleep 1.5
  shot title
  tap Return  # new game, the focused button
  read_box opening
  sleep 1
  shot town
  # Along the street to the signpost, a step at a time until the world map shows.
  wait_for 620 200 $sea 10 Left
  lighthouse
  tap Return  # the keeper
  read_box keeper-sends-to-the-pier
  read_box keeper-rows-to-the-pier
  wait_for 120 166 $road 10
  sleep 1
  shot at-the-pier
  tap Up  # into the pier
  read_box pirates
  sleep 3
  shot battle
  tap a  # auto battle
  sleep 4
  shot battle-on-auto
  # The fight ends by itself, then the words on the pier lead out of town.
  sleep 1
  wait_for 120 166 $road 60
  read_box pirates-beaten
  lighthouse
  tap Return  # the keeper again
  read_box keeper-thanks
  sleep 0.5
  shot ending-entry
  sleep 4
  shot ending-rising
  sleep 6
  shot ending-hold
  sleep 5
  shot ending-fade-out
  sleep 4
  shot title-again
  kill -0 $pid || { echo "the game ended"; exit 1; }
' _ "$build/moonharbor" "$out" "$root/game.log"
echo "screenshots in $out"
