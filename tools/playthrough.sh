#!/usr/bin/env bash
# Plays the sample adventure in a real window under a virtual X server with
# keys and the mouse (xdotool), the route of PlayThrough.TitleToEnding (its
# flight from the pirates too, not its other detours), and
# keeps a screenshot of every checkpoint as a numbered PNG for people to look
# at. Where the game has to get somewhere first (a map to load, a walk on the
# world map, a fight), the script waits for the colour of a known spot.
# Usage: tools/playthrough.sh [build folder] [out folder]
# MH_DISPLAY=:N runs the X server on display N instead of a free one.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
out=${2:-$PWD/playthrough}
mkdir -p "$out"
out=$(cd "$out" && pwd)
for tool in Xvfb xvfb-run xdotool xwd convert; do
  command -v "$tool" >/dev/null || { echo "playthrough needs $tool"; exit 2; }
done
root=$(mktemp -d)
"$build/mhgen" "$root/game" >/dev/null
rm -f "$out"/[0-9][0-9]-*.png
export MOONHARBOR_LOCK_DIR="$root" SDL_AUDIODRIVER=dummy MOONHARBOR_TRACE_START=1

cat >"$root/play.sh" <<'PLAY'
set -eu
game=$1 out=$2 log=$3
. "$4"
cd "$(dirname "$log")/game"
pid=
start_game() {
  : >"$log"
  "$game" 2>>"$log" &
  pid=$!
  for i in $(seq 1 100); do grep -qs "first frame at" "$log" && break; sleep 0.05; done
  sleep 2
  tap Escape  # the opening video
  sleep 1.5
}
stop_game() { kill -TERM "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; }
trap stop_game EXIT

# Keys are read once a frame (35 ms): a direction is held for two frames,
# short of a step of the player (four frames); other keys a little longer, for
# the boxes to see them; a pause lets the next press count.
tap() {
  local hold=0.15
  case $1 in Left | Right | Up | Down) hold=0.07 ;; esac
  xdotool keydown "$1"; sleep $hold; xdotool keyup "$1"; sleep "${2:-0.3}"
}
# A click of the left (or right, $3 = 3) button at (x, y).
click() {
  xdotool mousemove "$1" "$2"; sleep 0.15
  xdotool mousedown "${3:-1}"; sleep 0.1; xdotool mouseup "${3:-1}"; sleep 0.5
}
back() { click 320 240 3; sleep 0.5; }
# Screens closed one by one until the town's street shows: on the map the
# right button would walk the player away.
to_map() {
  for i in 1 2 3 4; do
    [ "$(pixel 200 166)" = "$road" ] && return 0
    back
  done
}
# Waits up to $4 seconds for colour $3 at (x, y); $5 a key tapped meanwhile.
wait_for() {
  for i in $(seq 1 $(($4 * 2))); do
    [ "$(pixel "$1" "$2")" = "$3" ] && return 0
    if [ -n "${5:-}" ]; then tap "$5" 1; else sleep 0.5; fi
  done
  echo "no $3 at $1,$2 after $4 s"; shot stuck; exit 1
}
# A box shows its words a character at a time: confirm once they are all out.
read_box() { sleep 5; shot "$1"; tap Return; }
# The world map: $1 taps of $2 pick the place, the player walks there (a long
# walk: the mark is confirmed once it is surely there), confirm enters it; the
# place is up once (x, y) has colour c ($4 $5 $6).
world_map_to() {
  wait_world
  sleep 0.5
  for i in $(seq 1 "$1"); do tap "$2" 0.5; done
  sleep 16
  shot "world-map-$3"
  tap Return
  wait_for "$4" "$5" "$6" 10
  sleep 1
}
# The member ring's rows as the ring stands in place: attack, wait, transform.
ring_attack() { click 364 18; }
ring_wait() { click 406 50; }
ring_transform() { click 336 76; }

start_game
shot title
tap Return  # new game, the focused button
read_box opening
sleep 3  # the opening gives the party its goods, one a frame
shot town

# The pier's spot on the street (cell 16, 6) before the raid: quiet.
click 264 104
sleep 4; shot pier-before-the-raid
for i in 1 2 3; do tap Return 1; done
sleep 1; shot pier-left

# The store keeper, the smith and the collector stand south of the street;
# a click on a person starts its talk.
click 392 212
read_box store-keeper
sleep 1; shot shop-buy-side
click 490 142; sleep 0.5; shot shop-buy-list
click 500 130; sleep 0.5; shot shop-buy-how-many
click 330 365; sleep 0.5; shot shop-bought
back; back; back
click 456 212
read_box smith
sleep 1; shot smith-buy-side
click 515 20; sleep 0.5; shot shop-sell-side
click 490 310; sleep 0.5; shot shop-sell-list
click 500 130; sleep 0.5; shot shop-sell-how-many
click 330 365; sleep 0.5; shot shop-sold
back
click 560 20; sleep 0.5; shot shop-strengthening
# The first piece's numbers show on the panel while the mouse points at it.
xdotool mousemove 520 100; sleep 0.5; shot strengthening-piece-before
click 520 100; click 340 120; sleep 0.5; shot strengthening-asks
click 400 330; sleep 1.5; shot strengthening
sleep 4; shot strengthened
xdotool mousemove 300 300; sleep 0.3; xdotool mousemove 520 100; sleep 0.5
shot strengthening-piece-after
back; back; back; back
click 328 212
read_box collector
sleep 1; shot item-list-of-the-talk
back
read_box collector-nothing

# The signpost at the west end of the street: out to the world map.
click 104 168
wait_world
sleep 1
shot world-map
# Down twice: the lighthouse, then the meadow (its road crosses the screen).
world_map_to 2 Down meadow 600 248 $road
shot meadow
# Along the road until a wild monster comes.
for i in $(seq 1 30); do
  [ "$(pixel 600 248)" = "$road" ] || break
  xdotool keydown Right; sleep 0.5; xdotool keyup Right; sleep 0.2
  [ "$(pixel 600 248)" = "$road" ] || break
  xdotool keydown Left; sleep 0.5; xdotool keyup Left; sleep 0.2
done
# The fight by hand: each ring's attack row, the enemy's mark moved on once
# and confirmed, until the meadow is back.
sleep 3; shot meadow-fight-ring
for turn in $(seq 1 30); do
  [ "$(pixel 600 248)" = "$road" ] && break
  ring_attack; sleep 0.5
  [ $turn = 1 ] && shot meadow-fight-target
  tap Right; tap Return; sleep 2
  [ $turn = 1 ] && shot meadow-fight-attack
  [ "$(pixel 320 240)" = "$road" ] || tap Return 0.5  # the banner
done
wait_for 600 248 $road 30 Return
sleep 1; shot meadow-fight-won
click 328 232  # the way back
# Each visit of the world map starts with no place picked: down once picks
# the lighthouse (grass where the world map's view shows sea).
world_map_to 1 Down lighthouse 40 240 $grass
shot lighthouse

# The keeper: the question (yes), the captain's raid, lost on auto.
tap Return
sleep 4; shot keeper-asks
tap Return; sleep 0.5; tap Return
read_box keeper-warns
sleep 3; shot captain-raid; tap a; sleep 4; shot captain-raid-on-auto
wait_for 40 240 $grass 300
sleep 1; shot raid-survived
read_box keeper-after-the-raid
sleep 2; read_box legend
read_box thunder-god
sleep 2; read_box keeper-how-to-transform  # a long box
read_box keeper-rows-to-the-pier
wait_for 120 166 $road 10
sleep 1; shot rowed-to-the-pier

# F9 saves quickly; the pirates fled; a step away, the game is closed and
# started again, and F10 on the title loads the quick save.
tap F9; sleep 0.3; shot quick-saved
sleep 2

# The pirates' fight runs in real time, so each step waits for what the
# screen shows: a ring is open while its panel's colour stands at (310, 60).
ring_panel=49,48,82
ring_open() { [ "$(pixel 310 60)" = "$ring_panel" ]; }
# A flight from the pirates: every ring that opens takes its flee row (逃)
# until the party has run and the street is back; the pirates keep the pier.
# The quick load below brings back the party as it was before.
ring_flee() { click 392 76; }
tap Up
read_box pirates-to-flee
sleep 3; shot pirates-fight-to-flee
for turn in $(seq 1 40); do
  for i in $(seq 1 120); do
    ring_open && break
    [ "$(pixel 120 166)" = "$road" ] && break
    sleep 0.25
  done
  ring_open || break
  ring_flee
  for j in $(seq 1 20); do ring_open || break; sleep 0.1; done
done
wait_for 120 166 $road 30
sleep 1; shot pirates-fled
read_box pirates-keep-the-pier
sleep 1

tap Down; tap Down; sleep 0.5
stop_game
start_game
shot title-after-a-restart
tap F10; sleep 0.3; shot quick-loading
wait_for 120 166 $road 10
sleep 1; shot quick-loaded

# The system menu: the first slot saved; a step away; the slot loaded.
tap F4; sleep 1; shot system-menu
click 580 120; sleep 1; shot save-slots
click 355 115; sleep 1; shot slot-saved
back; back
tap Down; tap Down; sleep 0.5
tap F4; sleep 1
click 580 160; sleep 1; shot load-slots
click 355 115; sleep 0.5; shot slot-load-asks
click 290 262; sleep 2; shot slot-loaded

# The menu pages and the offering to the thunder god.
tap F1; sleep 1; shot items-page
click 520 144; sleep 1; shot equipment-page
click 470 20; sleep 0.5
click 520 184; sleep 1; shot offering-page
click 60 420; click 500 108; sleep 0.5; shot offering-asks
click 400 335; sleep 1; shot offering
sleep 4; shot offered
click 470 20; sleep 0.5
click 520 224; sleep 1; shot transformation-page
# The formation (the first two places swapped), the settings, the quest log.
tap F4; sleep 1
click 580 200; sleep 1; shot formation
click 60 150; click 190 150; sleep 0.5; shot formation-swapped
click 265 445; sleep 1
click 580 240; sleep 1; shot settings
click 230 435; sleep 1
click 580 280; sleep 1; shot quest-log
tap F2; sleep 1; shot skills-page
to_map

# The pirates on the pier: every member waits (the rings wait for the player
# in the default mode) until all gauges are full; then the ring with the
# transformation, the list of forms, the thunder god (its third row). 希爾's
# ring shows her white shirt at (468, 70), and its transformation tile at
# (342, 84) is slate once it may be chosen (grey while it may not).
hill_shirt=255,250,255 tile_open=49,72,131
tap Up
read_box pirates
sleep 3; shot pirates-fight
ready=0
for turn in $(seq 1 40); do
  for i in $(seq 1 120); do ring_open && break; sleep 0.25; done
  ring_open || break
  if [ "$(pixel 468 70)" = "$hill_shirt" ] && [ "$(pixel 342 84)" = "$tile_open" ]; then
    ready=1; break
  fi
  ring_wait
  for j in $(seq 1 20); do ring_open || break; sleep 0.1; done
done
[ $ready = 1 ] || { echo "the ring never offered the transformation"; shot stuck; exit 1; }
shot pirates-all-waited
ring_transform; sleep 1; shot forms-list
tap Down; tap Down; tap Return; sleep 3; shot thunder-god-fights
tap a; sleep 4; shot pirates-on-auto
# The fight, the video of the ship and the picture show of the harbour run
# on their own; the show draws the harbour, its sea the colour $show_sea at
# (100, 230), between black bars at the top and the bottom. Screens are
# taken until the street is back, and the first one of the show is kept.
show_sea=32,89,156
shown=0
for i in $(seq 1 400); do
  xwd -root | convert xwd:- "$out/show.png"
  top=$(convert "$out/show.png" -format "%[pixel:p{320,2}]" info: | tr -d "srgba()")
  bottom=$(convert "$out/show.png" -format "%[pixel:p{320,477}]" info: | tr -d "srgba()")
  sea_now=$(convert "$out/show.png" -format "%[pixel:p{100,230}]" info: | tr -d "srgba()")
  street=$(convert "$out/show.png" -format "%[pixel:p{120,166}]" info: | tr -d "srgba()")
  if [ $shown = 0 ] && [ "$top" = 0,0,0 ] && [ "$bottom" = 0,0,0 ] && [ "$sea_now" = "$show_sea" ]; then
    n=$((n + 1)); shown=1
    cp "$out/show.png" "$out/$(printf %02d $n)-picture-show.png"
    echo "$(printf %02d $n)-picture-show.png"
  fi
  [ "$street" = "$road" ] && [ $shown = 1 ] && break
  sleep 0.1
done
rm -f "$out/show.png"
[ $shown = 1 ] || { echo "no picture show seen"; shot stuck; exit 1; }
read_box pirates-gone
# Down once: the lighthouse.
world_map_to 1 Down lighthouse-again 40 240 $grass
tap Return  # the keeper again
read_box keeper-thanks
sleep 0.5; shot ending-entry
sleep 4; shot ending-rising
sleep 6; shot ending-hold
sleep 5; shot ending-fade-out
# The end screen (its words on a cyan band at (160, 170), black round them)
# closes by itself once its tune has played; the title (in colours that
# change) follows. No key is pressed: on the title it would pick a button.
wait_for 160 170 0,250,255 20; shot end-screen
for i in $(seq 1 60); do [ "$(pixel 20 20)" != 0,0,0 ] && break; sleep 0.5; done
sleep 1; shot title-again
kill -0 $pid || { echo "the game ended"; exit 1; }
PLAY

status=0
if [ -n "${MH_DISPLAY:-}" ]; then
  Xvfb "$MH_DISPLAY" -screen 0 640x480x24 -noreset >/dev/null 2>&1 &
  xpid=$!
  sleep 1
  DISPLAY=$MH_DISPLAY bash "$root/play.sh" "$build/moonharbor" "$out" "$root/game.log" "$here/tools/window_play.sh" || status=$?
  kill "$xpid" 2>/dev/null || true
else
  xvfb-run -a -s "-screen 0 640x480x24 -noreset" \
    bash "$root/play.sh" "$build/moonharbor" "$out" "$root/game.log" "$here/tools/window_play.sh" || status=$?
fi
rm -rf "$root"
[ $status = 0 ] && echo "screenshots in $out"
exit $status
