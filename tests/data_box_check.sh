#!/usr/bin/env bash
# The box check passes on the source tree and fails on a box planted in a
# reader, in each form a box may take, while a box outside readers, a box
# named in a comment, a box on the allow list and a fault told on stderr alone
# pass.
set -eu
check=$1
src=$2
allow=$3
bash "$check" "$src" "$allow"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/map" "$root/ui" "$root/engine"
list="$root/allow.txt"
printf 'engine/Disk.cpp: cannot be written\n' >"$list"
printf 'void Ask() {\n    ErrorBox("Moonharbor", "%%s", "quit?");\n}\n' >"$root/ui/Ask.cpp"
printf 'bool Read(cFile& f) {\n    // ErrorBox would say it without a file\n    return f.IsOpen();\n}\n' \
  >"$root/map/Quiet.cpp"
printf 'void Save(cFile& f) {\n    if (!f.IsOpen()) ErrorBox("Save", "cannot be written");\n}\n' \
  >"$root/engine/Disk.cpp"
printf 'bool Read(cFile& f) {\n    if (!f.IsOpen()) ReportFault(kNoBox, "no file");\n    return true;\n}\n' \
  >"$root/map/Told.cpp"
bash "$check" "$root" "$list" || { echo "boxes outside readers or allowed were refused"; exit 1; }
while IFS='|' read -r file line; do
  printf 'u16 Read(const u8* p) {\n    u16 v = LoadU16(p);\n%s\n    return v;\n}\n' "$line" >"$root/$file"
  if out=$(bash "$check" "$root" "$list"); then echo "a planted box passed: $line"; exit 1; fi
  grep -qF "$file:3 shows a box itself" <<<"$out" || { echo "unexpected report: $out"; exit 1; }
  rm "$root/$file"
done <<'PLANTED'
map/Bad.cpp|    if (v > 9) ErrorBox("Moonharbor", "RoleDataBase init Failed.");
map/Bad.cpp|    if (v) MessageBoxA(gMainWnd, "bad pop-out points", "2k", 0);
ui/Bad.cpp|    if (!v) DSErrorBox (gMainWnd, "x", 0);
engine/Disk2.cpp|    if (v) ErrorBox("Save", "the data is bad"); // cannot be written
map/Bad.cpp|    if (v) ReportFault({"2k"}, "bad pop-out points %d", v);
PLANTED
echo "data box check ok"
