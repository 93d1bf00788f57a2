#!/usr/bin/env bash
# The format check passes on the checkout and, in a planted tree under the
# same .clang-format, fails on each misformatted file and names it, while the
# formatted file beside it passes.
set -eu
check=$1
root=$2
bash "$check" "$root"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
cp "$root/.clang-format" "$tree/"
mkdir -p "$tree/src/map" "$tree/tools" "$tree/tests" "$tree/bench" "$tree/fuzz"
printf 'int Add(int a, int b) {\n    return a + b;\n}\n' >"$tree/src/map/Good.cpp"
bash "$check" "$tree" || { echo "a formatted file was refused"; exit 1; }
while IFS='|' read -r file text; do
  printf '%b' "$text" >"$tree/$file"
  if out=$(bash "$check" "$tree"); then echo "a misformatted $file passed"; exit 1; fi
  grep -qx "  $file" <<<"$out" || { echo "$file not named: $out"; exit 1; }
  if grep -q Good.cpp <<<"$out"; then echo "the formatted file was named: $out"; exit 1; fi
  rm "$tree/$file"
done <<'PLANTED'
src/map/Bad.cpp|int  Sub(int a,int b){return a-b;}\n
tools/Indent.h|struct S {\n  int x;\n};\n
tests/Long.cpp|int Long() { return 1111111111 + 1111111111 + 1111111111 + 1111111111 + 1111111111 + 11111; }\n
bench/blit_bench.cpp|static void BM_Blit(int n) {\n  for (int i = 0; i < n; ++i) {}\n}\n
fuzz/Reader.h|int* Read(const char *data);\n
PLANTED
echo "format check ok"
