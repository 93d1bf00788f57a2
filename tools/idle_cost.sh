#!/usr/bin/env bash
# Starts the game on the sample data under a virtual X server and prints what
# it costs while it waits: CPU use over a 10-second sample of /proc, the time
# from launch to the first frame on the screen, and the resident set. It waits
# on the title, or with `map` (needs xdotool) in the town of a new game; on
# each screen named (width x height x depth), by default 640x480 at 16 and
# 24 bits and 1920x1080 at 24 bits. The load average is printed first.
# Usage: tools/idle_cost.sh [build folder] [seconds] [title|map] [WxHxD ...]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build-rel}" && pwd)
seconds=${2:-10}
screen=${3:-title}
shift $(($# < 3 ? $# : 3))
modes=("$@")
[ ${#modes[@]} -gt 0 ] || modes=(640x480x16 640x480x24 1920x1080x24)
if [ "$screen" = map ] && ! command -v xdotool >/dev/null; then echo "map needs xdotool"; exit 2; fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
"$build/mhgen" "$root/game" >/dev/null
export MOONHARBOR_LOCK_DIR="$root" SDL_AUDIODRIVER=dummy MOONHARBOR_TRACE_START=1
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
for mode in "${modes[@]}"; do
echo "== $mode"
xvfb-run -a -s "-screen 0 $mode -nolisten tcp -noreset" bash -c '
  game=$1 seconds=$2 log=$3 screen=$4
  cd "$(dirname "$log")/game"
  start=$(date +%s.%N)
  "$game" 2>"$log" &
  pid=$!
  for i in $(seq 1 100); do grep -q "first frame at" "$log" && break; sleep 0.05; done
  first=$(sed -n "s/^first frame at //p" "$log" | head -1)
  sleep 2  # past the opening frames
  if [ "$screen" = map ]; then
    # A key is read once a frame: each is held a little. Past the opening
    # video, the arrows put the cursor on the first title button, a click.
    key() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; sleep 0.3; }
    key Escape; sleep 1.5
    key Right; key Left
    xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
    sleep 4
  fi
  tick=$(getconf CLK_TCK)
  cpu() { awk "{print \$14 + \$15}" /proc/$pid/stat; }
  c0=$(cpu) t0=$(date +%s.%N)
  sleep "$seconds"
  c1=$(cpu) t1=$(date +%s.%N)
  rss=$(awk "/^VmRSS/ {print \$2}" /proc/$pid/status)
  threads=$(ls /proc/$pid/task | wc -l)
  kill -TERM $pid; wait $pid 2>/dev/null || true
  awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v tick="$tick" \
      -v start="$start" -v first="$first" -v rss="$rss" -v threads="$threads" -v screen="$screen" "BEGIN {
    printf \"screen: %s\n\", screen
    printf \"idle cpu: %.1f%% of a core over %.1f s\n\", 100 * (c1 - c0) / tick / (t1 - t0), t1 - t0
    if (first != \"\") printf \"first frame: %.0f ms after launch\n\", 1000 * (first - start)
    else print \"first frame: not seen\"
    printf \"resident set: %.1f MB, threads: %d\n\", rss / 1024, threads
  }"
' _ "$build/moonharbor" "$seconds" "$root/game.log" "$screen"
done
