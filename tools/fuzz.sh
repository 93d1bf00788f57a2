#!/usr/bin/env bash
# The fuzzing campaign: builds every fuzz target with clang (the whole library
# instrumented for libFuzzer, with AddressSanitizer and UndefinedBehaviorSanitizer),
# seeds each from the sample game and the inputs kept in fuzz/regress, and runs it
# for its whole time in libFuzzer's fork mode: an input that crashes, hangs or
# runs out of memory is kept and the fuzzing goes on in a new process.
#
#   tools/fuzz.sh [seconds per target, 240] [target ...]   (default: every target)
#
# MH_FUZZ_OUT (fuzz-out) is the work folder, MH_FUZZ_JOBS (2) how many targets run
# at once. The summary (also in summary.txt) gives for each target the seconds it
# really ran, its executions, every crash, hang and out-of-memory stop, and the
# inputs kept; at the end each corpus is run once more to count the edges of the
# target's reader that it reaches.
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
  local t=$1 corpus="$out/corpus/$1"
  mkdir -p "$corpus" "$out/crashes/$t"
  cp -n "$out/seeds/$t"/* "$corpus"/ 2>/dev/null || true
  [ -d "fuzz/regress/$t" ] && cp -n "fuzz/regress/$t"/* "$corpus"/
  local before start
  before=$(find "$out/crashes/$t" -type f | wc -l)
  start=$(date +%s)
  # A process that dies leaves its temporary folders: they stay in the work folder.
  rm -rf "$out/tmp/$t"
  mkdir -p "$out/tmp/$t"
  (cd "$out" && TMPDIR="$out/tmp/$t" "$OLDPWD/$build/fuzz_$t" -fork=1 -ignore_crashes=1 \
    -ignore_timeouts=1 -ignore_ooms=1 -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2560 \
    -artifact_prefix="$out/crashes/$t/" "$corpus" >"$out/logs/$t.log" 2>&1) || true
  local ran=$(($(date +%s) - start))
  # Fork mode's last status line: "#execs: cov: c ft: f corp: n exec/s e
  # oom/timeout/crash: o/t/c time: s ..."; a target that never got going has none.
  local status execs cov stops kept
  status=$(grep -E '^#[0-9]+: cov: ' "$out/logs/$t.log" | tail -1 || true)
  execs=$(sed -E 's/^#([0-9]+):.*/\1/' <<<"$status")
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' <<<"$status" || true)
  stops=$(grep -oE 'oom/timeout/crash: [0-9]+/[0-9]+/[0-9]+' <<<"$status" | cut -d' ' -f2 || true)
  kept=$(($(find "$out/crashes/$t" -type f | wc -l) - before))
  printf '%-14s %5ss %10s execs  %-22s oom/timeout/crash %-9s inputs kept %s\n' "$t" "$ran" \
    "${execs:-0}" "${cov:-cov: ? ft: ?}" "${stops:-?/?/?}" "$kept" | tee -a "$out/summary.txt"
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
awk '{ secs += $2; execs += $3; split($10, s, "/"); oom += s[1]; hang += s[2]; crash += s[3]; kept += $13 }
  END { printf "%-14s %5ds %10d execs  %-22s oom/timeout/crash %d/%d/%d  inputs kept %d\n",
        "all " NR, secs, execs, "(target seconds)", oom, hang, crash, kept }' "$out/summary.txt" |
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
