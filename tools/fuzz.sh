#!/usr/bin/env bash
# The fuzzing campaign: builds every fuzz target with clang (the whole library
# instrumented for libFuzzer, with AddressSanitizer and UndefinedBehaviorSanitizer),
# seeds each from the sample game and the inputs kept in fuzz/regress, and runs it
# for its whole time: a run that stops at a crash, a hang or an out-of-memory is
# started again on the grown corpus for the time left, the input that stopped it
# kept (and taken out of the corpus when it came from there). Restarts rather
# than libFuzzer's fork mode: the targets that start the game take seconds to
# start, longer than fork mode's first jobs run.
#
#   tools/fuzz.sh [seconds per target, 240] [target ...]   (default: every target)
#
# MH_FUZZ_OUT (fuzz-out) is the work folder, MH_FUZZ_JOBS (2) how many targets run
# at once. The summary (also in summary.txt) gives for each target the seconds it
# really ran, its executions and runs, every crash, hang and out-of-memory stop,
# and the inputs kept; at the end each corpus is run once more to count the edges
# of the target's reader that it reaches.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-240}
[ $# -gt 0 ] && shift
out=$(realpath -m "${MH_FUZZ_OUT:-fuzz-out}")
jobs=${MH_FUZZ_JOBS:-2}
# The synthesizer's OpenMP threads would spin on every start of the game.
export OMP_NUM_THREADS=1 OMP_WAIT_POLICY=passive
build=build-fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*.cpp; do
    n=$(basename "$f" .cpp)
    [ "$n" = replay_main ] || targets+=("$n")
  done
fi

mkdir -p "$out"/{corpus,crashes,logs}
echo "building the targets in $build"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMH_FUZZ_LIBFUZZER=ON -DMH_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target mhgen mhdump "${targets[@]/#/fuzz_}" >"$out/build.log" 2>&1 ||
  { echo "build failed: see $out/build.log"; exit 1; }
rm -rf "$out/game" "$out/seeds"
"$build/mhgen" "$out/game" >/dev/null
ASAN_OPTIONS=detect_leaks=0 "$build/mhdump" seeds "$out/game" "$out/seeds"

run_one() {
  local t=$1 corpus="$out/corpus/$1" crashes="$out/crashes/$1" log="$out/logs/$1.log"
  mkdir -p "$corpus" "$crashes"
  cp -n "$out/seeds/$t"/* "$corpus"/ 2>/dev/null || true
  [ -d "fuzz/regress/$t" ] && cp -n "fuzz/regress/$t"/* "$corpus"/
  # A process that dies leaves its temporary folders: they stay in the work folder.
  rm -rf "$out/tmp/$t"
  mkdir -p "$out/tmp/$t"
  : >"$log"
  local start left runs=0 execs=0 crash=0 hang=0 oom=0 rc kept before n unit
  before=$(find "$crashes" -type f | wc -l)
  start=$(date +%s)
  left=$seconds
  while [ "$left" -gt 0 ]; do
    runs=$((runs + 1))
    rc=0
    (cd "$out" && TMPDIR="$out/tmp/$t" "$OLDPWD/$build/fuzz_$t" -max_total_time="$left" \
      -print_final_stats=1 -timeout=60 -rss_limit_mb=2560 -artifact_prefix="$crashes/" \
      "$corpus" >"$log.run" 2>&1) || rc=$?
    cat "$log.run" >>"$log"
    n=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log.run" | grep -o '[0-9]*$' | tail -1)
    execs=$((execs + ${n:-0}))
    left=$((seconds - ($(date +%s) - start)))
    [ "$rc" -eq 0 ] && break
    if grep -q 'ERROR: libFuzzer: timeout' "$log.run"; then
      hang=$((hang + 1))
    elif grep -q 'ERROR: libFuzzer: out-of-memory' "$log.run"; then
      oom=$((oom + 1))
    else
      crash=$((crash + 1))
    fi
    # An input of the corpus that stops every run would stop the next one at once.
    unit=$(grep -o 'Test unit written to .*' "$log.run" | tail -1 | sed 's/^Test unit written to //')
    if [ -n "$unit" ] && [ -f "$unit" ]; then
      local sum
      sum=$(sha1sum <"$unit" | cut -d' ' -f1)
      find "$corpus" -type f -exec sha1sum {} + | awk -v s="$sum" '$1 == s { print $2 }' |
        xargs -r rm -f
    else
      break  # stopped without saying why: no use starting it again
    fi
  done
  rm -f "$log.run"
  local ran=$(($(date +%s) - start))
  kept=$(($(find "$crashes" -type f | wc -l) - before))
  local cov
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
  printf '%-14s %5ss %10s execs %3s runs  %-22s oom/timeout/crash %-9s inputs kept %s\n' "$t" \
    "$ran" "$execs" "$runs" "${cov:-cov: ? ft: ?}" "$oom/$hang/$crash" "$kept" |
    tee -a "$out/summary.txt"
}

echo "running ${#targets[@]} targets for ${seconds}s each, $jobs at a time"
: >"$out/summary.txt"
running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait
awk '{ secs += $2; execs += $3; runs += $5; split($12, s, "/"); oom += s[1]; hang += s[2];
        crash += s[3]; kept += $15 }
  END { printf "%-14s %5ds %10d execs %3d runs  %-22s oom/timeout/crash %d/%d/%d  inputs kept %d\n",
        "all " NR, secs, execs, runs, "(seconds summed)", oom, hang, crash, kept }' "$out/summary.txt" |
  tee -a "$out/summary.txt"

# The reader each target is for (fuzz/readers.txt), and how many of its edges the
# corpus reaches (libFuzzer's own count over the instrumented library);
# tools/fuzz_coverage.sh gives the lines.
declare -A reader=()
while read -r t src; do
  [ -n "$t" ] && [ "${t#\#}" = "$t" ] && reader[$t]=$src
done <fuzz/readers.txt
echo "edges of each reader reached by its corpus"
for t in "${targets[@]}"; do
  src=${reader[$t]:-}
  [ -n "$src" ] || continue
  (cd "$out" && "$OLDPWD/$build/fuzz_$t" -runs=0 -print_coverage=1 "$out/corpus/$t" 2>&1) |
    awk -v file="/$(basename "$src"):" -v t="$t" -v src="$src" '
      /_FUNC: hits:/ && index($0, file) { split($5, e, "/"); hit += e[1]; all += e[2] }
      END { printf "%-14s %-32s %d of %d edges (%d%%)\n", t, src, hit, all, all ? 100 * hit / all : 0 }'
done
echo "crashes are kept in $out/crashes/<target>/; logs in $out/logs/"
