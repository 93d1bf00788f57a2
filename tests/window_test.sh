#!/usr/bin/env bash
# Starts the real game in a generated root under a virtual X server, checks that
# its window appears and that a second copy ends at once, then closes it.
set -eu
game=$1
gen=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
"$gen" "$root/game"
cd "$root/game"
export MOONHARBOR_LOCK_DIR="$root"
export SDL_AUDIODRIVER=dummy
# The leak checker stops every thread of the real windowed program at exit and
# can itself crash on the display and audio threads; leaks are checked by the
# unit tests, this test checks the window.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
xvfb-run -a -s "-screen 0 1280x1024x16" bash -c '
  game=$1
  "$game" &
  pid=$!
  found=0
  for i in $(seq 1 150); do
    if xwininfo -root -tree 2>/dev/null | grep -q "\"Moonharbor\""; then found=1; break; fi
    sleep 0.1
  done
  if [ $found != 1 ]; then echo "no window named Moonharbor appeared"; kill -9 $pid; exit 1; fi
  if ! timeout 10 "$game"; then echo "a second copy did not end at once"; kill -9 $pid; exit 1; fi
  kill -0 $pid || { echo "the first copy ended early"; exit 1; }
  kill -TERM $pid
  for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then echo "the game did not close"; kill -9 $pid; exit 1; fi
  wait $pid
' _ "$game"
echo "window test passed"
