#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: builds everything with gcc's
# --coverage counters (unoptimised, so each line counts as written) in its own
# folder, runs every ctest test and prints the share of src/ lines that ran as
# one figure, e.g. "81.4%". The summary with the line counts goes to stderr,
# the lines of each file to build-gcov/coverage.txt.
#
#   tools/coverage.sh
#
# MH_COVERAGE_DIR (build-gcov) is the build folder. Needs gcovr (tools/setup.sh
# test installs it). Exits non-zero when a test fails, after printing the figure.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${MH_COVERAGE_DIR:-build-gcov}
jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

CC=gcc CXX=g++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMH_BENCH=OFF \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O0 -g -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O0 -g -DNDEBUG" \
  -DCMAKE_C_FLAGS=--coverage -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage \
  "${launcher[@]}" >/dev/null
cmake --build "$dir" -j"$jobs" >"$dir/coverage-build.log" 2>&1 ||
  { echo "build failed: see $dir/coverage-build.log" >&2; exit 1; }

# Counters add up across runs: start each measurement from zero.
find "$dir" -name '*.gcda' -delete
status=0
(cd "$dir" && ctest -j"$jobs" --timeout 900 >ctest.log 2>&1) ||
  { status=1; echo "some tests failed: see $dir/ctest.log" >&2; }

# A header's lines count once, ran if any object that includes it ran them.
# CMake's own compiler checks were built with the counters too: left out.
# The per-file table goes to a file in the build folder. Never name a device
# as gcovr's output: it checks an output path by creating and deleting it, and
# run as root that deletes /dev/null.
summary=$(gcovr -r . --object-directory "$dir" --exclude-directories "$dir/CMakeFiles/[0-9].*" \
  --filter 'src/' -j "$jobs" -o "$dir/coverage.txt" --print-summary)
echo "$summary" >&2
echo "$summary" | sed -n 's/^lines: \([0-9.]*%\).*/\1/p'
exit $status
