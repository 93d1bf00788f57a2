#!/usr/bin/env bash
# Line coverage of each reader by its fuzz corpus: builds the replay targets
# with clang's source-based coverage, runs each over the corpus that
# tools/fuzz.sh kept, and prints how many lines of the target's reader
# (fuzz/readers.txt) the corpus executes.
#
#   tools/fuzz_coverage.sh [target ...]   (default: every target with a corpus)
#
# MH_FUZZ_OUT (fuzz-out) is the campaign's work folder.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${MH_FUZZ_OUT:-fuzz-out}")
build=build-cov
export OMP_NUM_THREADS=1 OMP_WAIT_POLICY=passive
[ -d "$out/corpus" ] || { echo "no corpus under $out: run tools/fuzz.sh first"; exit 1; }

declare -A reader=()
while read -r t src; do
  [ -n "$t" ] && [ "${t#\#}" = "$t" ] && reader[$t]=$src
done <fuzz/readers.txt

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for d in "$out"/corpus/*/; do
    t=$(basename "$d")
    [ -n "${reader[$t]:-}" ] && targets+=("$t")
  done
fi

flags="-fprofile-instr-generate -fcoverage-mapping"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMH_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$build" -j"${MH_COV_JOBS:-2}" --target "${targets[@]/#/fuzz_}" >"$out/coverage-build.log" 2>&1 ||
  { echo "build failed: see $out/coverage-build.log"; exit 1; }

mkdir -p "$out/profiles"
printf '%-14s %-32s %s\n' target reader "lines executed"
for t in "${targets[@]}"; do
  src=${reader[$t]}
  rm -f "$out/profiles/$t"-*.profraw
  # The replay main takes many files per run; each run writes its own profile.
  (cd "$out" && find "$out/corpus/$t" -type f -print0 |
    LLVM_PROFILE_FILE="$out/profiles/$t-%p.profraw" xargs -0 -r -n 500 "$OLDPWD/$build/fuzz_$t" \
      >"$out/logs/$t.coverage.log" 2>&1) || true
  shopt -s nullglob
  raws=("$out/profiles/$t"-*.profraw)
  shopt -u nullglob
  if [ ${#raws[@]} -eq 0 ]; then
    printf '%-14s %-32s %s\n' "$t" "$src" "no profile (see $out/logs/$t.coverage.log)"
    continue
  fi
  llvm-profdata merge -sparse "${raws[@]}" -o "$out/profiles/$t.profdata"
  llvm-cov report "$build/fuzz_$t" -instr-profile="$out/profiles/$t.profdata" "$src" 2>/dev/null |
    awk -v t="$t" -v src="$src" '$1 ~ /\.cpp$/ {
        printf "%-14s %-32s %d of %d (%s)\n", t, src, $8 - $9, $8, $10 }'
done
