#!/usr/bin/env bash
# Walks the sample adventure's ways out and in with the keys alone, in a real
# window under a virtual X server (xdotool keydown/keyup): a walk held down,
# then taps shorter than a frame of the game (35 ms) for the last steps into
# the signpost, the meadow's way back, the town's mark on the world map and
# the pier, and for the choices and the confirm on the world map. A short tap
# is what a quick finger or a busy frame gives; each must count. Each place is
# checked by the colour of a known spot of the screen, and a numbered
# screenshot of it is kept in the out folder (default keywalk/).
# Usage: tools/keywalk.sh [build folder] [out folder]
# With KEYWALK_DISPLAY set (":72"), the X server already running there is used.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
out=${2:-$PWD/keywalk}
mkdir -p "$out"
out=$(cd "$out" && pwd)
for tool in xdotool xwd convert; do
  command -v "$tool" >/dev/null || { echo "keywalk needs $tool"; exit 2; }
done
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
"$build/mhgen" "$root/game" >/dev/null
rm -f "$out"/[0-9][0-9]-*.png
export MOONHARBOR_LOCK_DIR="$root" SDL_AUDIODRIVER=dummy MOONHARBOR_TRACE_START=1
walk='
  set -eu
  game=$1 out=$2 log=$3
  . "$4"
  cd "$(dirname "$log")/game"
  "$game" 2>"$log" &
  pid=$!
  trap "kill -TERM $pid 2>/dev/null || true" EXIT
  for i in $(seq 1 100); do grep -qs "first frame at" "$log" && break; sleep 0.05; done

  # A key down for $2 seconds (default 20 ms, shorter than a frame), then a
  # pause of $3 (default 0.4 s: the step is over and the key reads as new).
  tap() { xdotool keydown "$1"; sleep "${2:-0.02}"; xdotool keyup "$1"; sleep "${3:-0.4}"; }
  # Waits up to $4 seconds for colour $3 at (x, y) ($5 "not": for any other colour).
  wait_for() {
    for i in $(seq 1 $(($4 * 4))); do
      c=$(pixel "$1" "$2")
      if [ "${5:-}" = not ]; then [ "$c" != "$3" ] && return 0; else [ "$c" = "$3" ] && return 0; fi
      sleep 0.25
    done
    echo "no ${5:-} $3 at $1,$2 after $4 s"; shot stuck; exit 1
  }
  # Taps of $1 until the world map is up, at most $2. Loading the world map
  # takes a while (seconds on a busy machine): a tap more meanwhile would
  # choose a place on it.
  tap_out() {
    for i in $(seq 1 "$2"); do
      tap "$1" 0.02 0.1
      for j in $(seq 1 24); do
        [ "$(pixel 620 200)" = "$sea" ] && return 0
        [ "$(pixel 40 240)" = "$sea" ] && return 0
        sleep 0.25
      done
    done
    echo "no world map after $2 taps of $1"; shot stuck; exit 1
  }
  # On the world map: $1 taps of $2 choose the place, the player walks there,
  # a tap of Return goes in.
  world_map_to() {
    sleep 1
    for i in $(seq 1 "$1"); do tap "$2" 0.02 0.5; done
    sleep 16
    shot "world-map-$3"
    tap Return
  }

  sleep 2
  tap Escape 0.15  # the opening video
  sleep 1.5
  tap Return 0.15  # new game
  sleep 5
  tap Return 0.15  # the opening words
  sleep 3
  wait_for 200 166 "$road" 10
  shot town
  # West along the street: a held walk, then short taps into the signpost.
  xdotool keydown Left; sleep 0.2; xdotool keyup Left; sleep 0.5
  tap_out Left 8
  sleep 1; shot signpost-world-map
  # Down twice: the lighthouse, then the meadow.
  world_map_to 2 Down meadow
  wait_for 600 248 "$road" 10
  sleep 1; shot meadow
  # Its way back lies right above where the player arrives.
  tap_out Up 3
  sleep 1; shot meadow-way-out
  # Up from no choice: the town, beside the signpost.
  world_map_to 1 Up town
  wait_for 200 166 "$road" 10
  sleep 1; shot town-again
  # Up three cells onto the grass, right nine along it, and up into the pier:
  # its words cover the grass at the top left.
  for i in 1 2 3; do tap Up; done
  for i in $(seq 1 9); do tap Right; done
  [ "$(pixel 130 45)" = "$grass" ] || { echo "no grass at 130,45"; shot stuck; exit 1; }
  tap Up
  wait_for 130 45 "$grass" 5 not
  sleep 1; shot pier
  kill -0 $pid || { echo "the game ended"; exit 1; }
'
if [ -n "${KEYWALK_DISPLAY:-}" ]; then
  DISPLAY=$KEYWALK_DISPLAY bash -c "$walk" _ "$build/moonharbor" "$out" "$root/game.log" "$here/tools/window_play.sh"
else
  command -v xvfb-run >/dev/null || { echo "keywalk needs xvfb-run"; exit 2; }
  xvfb-run -a -s "-screen 0 640x480x24 -noreset" bash -c "$walk" _ "$build/moonharbor" "$out" "$root/game.log" "$here/tools/window_play.sh"
fi
echo "keywalk: every place reached; screenshots in $out"
