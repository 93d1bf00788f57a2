#!/usr/bin/env bash
# Two copies of the real game on one game folder, started from sessions that
# share no runtime folder (another XDG_RUNTIME_DIR, or MOONHARBOR_LOCK_DIR set):
# the first is in the town with a map of its cache mapped; each later copy ends
# at once with status 1 and one line on stderr, and so do a copy started in
# another folder whose settings name the game folder as their root and the
# installer's command line for the game folder. None of them opens a sound
# device (theirs would fail and say so) or takes the keyboard from the first,
# which plays on, its cache, cache table and settings as they were. The lock
# dies with the copy that held it: once the first is killed, a new copy starts
# in the folder with the lock file still there.
set -eu
. "$(dirname "$0")/game_test_prelude.sh"

if [ "${3:-}" = --inside ]; then
  root=$4
  # A copy of the game in folder $1 with the environment after it, in the background.
  start() {
    local dir=$1
    shift
    (cd "$dir" && exec env -u MOONHARBOR_LOCK_DIR -u XDG_RUNTIME_DIR "$@" "$game") 2> "$root/first.err" &
    pid=$!
    within 200 grep -qs "first frame at" "$root/first.err" || fail "no first frame: $(cat "$root/first.err")"
  }
  cache_mapped() { grep -q '/data/[0-9]*\.cm$' "/proc/$pid/maps"; }
  sums() { (cd "$root/game" && md5sum data/*.cm data/mcache.dat Env.dat); }
  mkdir -p "$root"/run1 "$root"/run2 "$root"/run3 "$root"/run4 "$root"/run5 "$root/other"

  # Files that no longer change: two looks at them a fifth of a second apart agree.
  settled() { sums > "$root/sums.before"; sleep 0.2; sums | cmp -s - "$root/sums.before"; }
  start "$root/game" XDG_RUNTIME_DIR="$root/run1" MOONHARBOR_TRACE_START=1
  window=$(xdotool search --name '^Moonharbor$' | head -1)
  xdotool windowfocus "$window"
  # Escape ends the opening video and does nothing on the title, where Return
  # starts a new game: both until the town's map is there.
  for i in $(seq 1 100); do
    xdotool key Escape Return
    within 10 cache_mapped && break
  done
  cache_mapped || fail "the first copy has no map of its cache mapped"
  within 50 settled || fail "the first copy's files do not settle"

  # The same folder from two other sessions; a folder whose settings name it.
  head -c 46 "$root/game/Env.dat" > "$root/other/Env.dat"
  printf '%s/\0\0\2\0' "$root/game" >> "$root/other/Env.dat"
  # And the installer's command line for the game folder, from another session.
  for second in "game XDG_RUNTIME_DIR=$root/run2" "game MOONHARBOR_LOCK_DIR=$root/run3" \
    "other XDG_RUNTIME_DIR=$root/run4" "other XDG_RUNTIME_DIR=$root/run5 2$root/game/"; do
    read -r dir session args <<< "$second"
    code=0
    (cd "$root/$dir" && env -u MOONHARBOR_LOCK_DIR -u XDG_RUNTIME_DIR "$session" \
      SDL_AUDIODRIVER=none-here timeout 20 "$game" $args) 2> "$root/second.err" || code=$?
    [ $code = 1 ] || fail "a second copy ($second) ended with $code: $(cat "$root/second.err")"
    [ "$(wc -l < "$root/second.err")" = 1 ] && grep -q '^Moonharbor is running' "$root/second.err" ||
      fail "a second copy ($second) did not say why in one line: $(cat "$root/second.err")"
  done
  # The first copy kept the keyboard and plays on.
  [ "$(xdotool getwindowfocus)" = "$window" ] || fail "a second copy took the keyboard"
  xdotool key Down
  kill -0 "$pid" 2>/dev/null || { wait "$pid" || fail "the first copy ended with status $?"; }
  cache_mapped || fail "the first copy let go of its map"
  sums | cmp -s - "$root/sums.before" || fail "the first copy's files changed: $(sums)"

  # Killed, the first copy leaves its lock file; a new copy starts all the same.
  kill -9 "$pid"
  wait "$pid" 2>/dev/null || true
  [ -e "$root/game/moonharbor.lock" ] || fail "no lock file in the game folder"
  start "$root/game" XDG_RUNTIME_DIR="$root/run2" MOONHARBOR_TRACE_START=1
  kill -0 "$pid" 2>/dev/null || fail "the copy after the killed one ended: $(cat "$root/first.err")"
  kill -TERM "$pid"
  wait "$pid" 2>/dev/null || true
  exit 0
fi

make_root
xvfb-run -a -s "-screen 0 640x480x24 -noreset" bash "$self" "$game" "$gen" --inside "$root"
echo "folder lock test passed"
