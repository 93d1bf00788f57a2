#!/usr/bin/env bash
# Runs the shown-frame benchmark (bench_shown_bench) under a virtual X server
# at 640x480x16, 640x480x24 and 1920x1080x24 and prints, for each, the town
# frame's CPU time shown through SDL, headless in the same run, and their
# ratio. The load average is printed first: the machine may be shared.
# Usage: tools/shown_frame.sh [build folder] [repetitions]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
reps=${2:-3}
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-13s %12s %12s %7s %6s %s\n" screen "shown µs" "headless µs" ratio scale "rows/frame"
for screen in 640x480x16 640x480x24 1920x1080x24; do
  out=$(mktemp)
  xvfb-run -a -s "-screen 0 $screen -nolisten tcp -noreset" \
    "$build/bench_shown_bench" --benchmark_repetitions="$reps" \
    --benchmark_report_aggregates_only=true --benchmark_format=json >"$out" 2>/dev/null || true
  python3 - "$screen" "$out" <<'PY'
import json, sys
screen, path = sys.argv[1], sys.argv[2]
try:
    runs = json.load(open(path))["benchmarks"]
except Exception:
    print(f"{screen:13} no result"); sys.exit(0)
def pick(name, field="cpu_time"):
    for r in runs:
        if r["name"].startswith(name) and r.get("aggregate_name", "median") == "median":
            return r
    return None
shown, head = pick("BM_TownFrameShown"), pick("BM_TownFrameHeadless")
if not shown or not head or shown.get("error_occurred"):
    print(f"{screen:13} skipped"); sys.exit(0)
print(f"{screen:13} {shown['cpu_time']:12.1f} {head['cpu_time']:12.1f} "
      f"{shown['cpu_time'] / head['cpu_time']:7.2f} {shown.get('scale', 0):6.0f} {shown.get('rows_per_frame', 0):.0f}")
PY
  rm -f "$out"
done
