#!/usr/bin/env bash
# Replays a fuzz target over the inputs kept from its past failures, then over
# the seeds cut from the sample game and deterministic variants of them: every
# reader must survive what it is given.
set -eu
target=$1
tools=$2
fuzzdir=$3
variants=$4
# The synthesizer's OpenMP threads would spin on every start of the game.
export OMP_NUM_THREADS=1 OMP_WAIT_POLICY=passive
name=$(basename "$target")
name=${name#fuzz_}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
"$tools/mhgen" "$root/game" >/dev/null
"$tools/mhdump" seeds "$root/game" "$root/seeds" >/dev/null
cd "$root"
if [ -d "$fuzzdir/regress/$name" ]; then
  kept=("$fuzzdir/regress/$name"/*)
  echo "regression inputs: ${#kept[@]}"
  "$target" "${kept[@]}"
fi
seeds=("$root/seeds/$name"/*)
if [ ! -f "${seeds[0]}" ]; then echo "no seeds for $name"; exit 1; fi
echo "seeds: ${#seeds[@]}"
"$target" --mutate "$variants" "${seeds[@]}"
