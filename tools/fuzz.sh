#!/usr/bin/env bash
# The fuzzing campaign: builds every fuzz target with clang (the whole library
# instrumented for libFuzzer, with AddressSanitizer and UndefinedBehaviorSanitizer),
# seeds each from the sample game and the inputs kept in fuzz/regress, runs it,
# and keeps new crashes under the folder it names at the end.
#
#   tools/fuzz.sh [seconds per target, 240] [target ...]   (default: every target)
#
# MH_FUZZ_OUT (fuzz-out) is the work folder, MH_FUZZ_JOBS (2) how many targets run
# at once. MH_FUZZ_COVERAGE=1 then replays each corpus through a second build with
# source coverage and reports the lines reached in each target's reader.
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

configure() {  # build folder, extra flags
  CC=clang CXX=clang++ cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMH_FUZZ_LIBFUZZER=ON -DMH_BENCH=OFF "-DCMAKE_CXX_FLAGS=${2:-}" >/dev/null
  cmake --build "$1" -j2 --target mhgen mhdump "${targets[@]/#/fuzz_}" >"$out/build-$(basename "$1").log" 2>&1 ||
    { echo "build failed: see $out/build-$(basename "$1").log"; exit 1; }
}

mkdir -p "$out"/{corpus,crashes,logs}
echo "building the targets in $build"
configure "$build"
rm -rf "$out/game" "$out/seeds"
"$build/mhgen" "$out/game" >/dev/null
ASAN_OPTIONS=detect_leaks=0 "$build/mhdump" seeds "$out/game" "$out/seeds"

run_one() {
  local t=$1 corpus="$out/corpus/$1"
  mkdir -p "$corpus" "$out/crashes/$t"
  cp -n "$out/seeds/$t"/* "$corpus"/ 2>/dev/null || true
  [ -d "fuzz/regress/$t" ] && cp -n "fuzz/regress/$t"/* "$corpus"/
  local before
  before=$(find "$out/crashes/$t" -type f | wc -l)
  (cd "$out" && "$OLDPWD/$build/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -timeout=60 \
    -rss_limit_mb=2560 -artifact_prefix="$out/crashes/$t/" "$corpus" >"$out/logs/$t.log" 2>&1) || true
  local execs cov crashes
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$out/logs/$t.log" | grep -o '[0-9]*$' || echo "?")
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$out/logs/$t.log" | tail -1 || echo "cov: ?")
  crashes=$(($(find "$out/crashes/$t" -type f | wc -l) - before))
  printf '%-14s execs %-9s %-22s new findings %s\n' "$t" "${execs:-?}" "${cov:-cov: ?}" "$crashes"
}

echo "running ${#targets[@]} targets for ${seconds}s each, $jobs at a time"
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

if [ "${MH_FUZZ_COVERAGE:-0}" = 1 ]; then
  # The reader each target is for: its lines reached by the corpus.
  declare -A reader=(
    [act_archive]=src/engine/MyAct.cpp [tsw_archive]=src/engine/Tsw.cpp
    [rle_decode]=src/engine/RlePic.cpp [sound_bank]=src/sound/Sound.cpp
    [xmi]=src/platform/MidiXmi.cpp [databases]=src/data/GameDatabase.cpp
    [behaviour]=src/game/Behaviour.cpp [talk]=src/story/Talk.cpp
    [talk_commands]=src/story/SceneCommands.cpp [map_archive]=src/game/MapArchive.cpp
    [maps_db]=src/game/MapDb.cpp [pic_show]=src/story/PicShow.cpp
    [save_file]=src/ui/SaveFile.cpp [dev_save]=src/ui/DevTool.cpp
    [env_file]=src/game/Settings.cpp [option_file]=src/game/Options.cpp
    [name_texts]=src/game/SystemServices.cpp [shop_file]=src/shop/ShopData.cpp
    [map_cache]=src/game/MapCache.cpp [audio_decode]=src/platform/AudioDecode.cpp
  )
  echo "building the coverage build"
  configure build-fuzzcov "-fprofile-instr-generate -fcoverage-mapping"
  for t in "${targets[@]}"; do
    prof="$out/logs/$t.profraw"
    (cd "$out" && LLVM_PROFILE_FILE="$prof" ASAN_OPTIONS=detect_leaks=0 \
      "$OLDPWD/build-fuzzcov/fuzz_$t" -runs=0 "$out/corpus/$t" >/dev/null 2>&1) || true
    llvm-profdata merge -sparse "$prof" -o "$out/logs/$t.profdata" 2>/dev/null || continue
    src=${reader[$t]:-}
    [ -n "$src" ] || continue
    line=$(llvm-cov report "build-fuzzcov/fuzz_$t" -instr-profile="$out/logs/$t.profdata" "$src" 2>/dev/null |
      awk '/^TOTAL/ {print "lines", $(NF-5), "missed", $(NF-4), "line coverage", $(NF-3)}')
    printf '%-14s %-32s %s\n' "$t" "$src" "$line"
  done
fi
echo "crashes are kept in $out/crashes/<target>/; logs in $out/logs/"
