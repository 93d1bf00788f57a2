#!/usr/bin/env bash
# The layer check passes on the source tree and fails on a planted upward include
# (map mode including the shell, in each form an include may take; the toolkit
# including a menu page or the screen table), while includes between equals and
# downward ones pass.
set -eu
check=$1
src=$2
bash "$check" "$src"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/map/sub" "$root/shell" "$root/ui" "$root/menu" "$root/screens"
printf '#include "map/City.h"\n#include "../story/Talk.h"\n' > "$root/shell/Ok.cpp"
printf '#include "shop/ShopFront.h"\n#include <vector>\n#include "Own.h"\n' > "$root/menu/Beside.cpp"
printf '#include "menu/EquipFrame.h"\n#include "ui/Control.h"\n' > "$root/screens/Table.cpp"
printf '#include "../City.h"\n#include "./Near.h"\n' > "$root/map/sub/Down.cpp"
bash "$check" "$root" || { echo "downward and sideways includes were refused"; exit 1; }
while IFS='|' read -r file line reported; do
  printf '#include "base/Types.h"\n%s\n' "$line" > "$root/$file"
  if out=$(bash "$check" "$root"); then echo "a planted upward include passed: $line"; exit 1; fi
  grep -qF "$file includes $reported" <<<"$out" || { echo "unexpected report: $out"; exit 1; }
  rm "$root/$file"
done <<'PLANTED'
map/Up.cpp|  #  include "shell/Main.h"|shell/Main.h
map/Up.cpp|#include <shell/Main.h>|shell/Main.h
map/Up.cpp|#include "../shell/Main.h"|../shell/Main.h
map/sub/Up.cpp|#include "../../ui/../shell/Main.h"|../../ui/../shell/Main.h
ui/Up.cpp|#include "menu/MenuState.h"|menu/MenuState.h
ui/Up.cpp|#include "../shop/ShopFront.h"|../shop/ShopFront.h
menu/Up.cpp|#include "screens/ScreenManager.h"|screens/ScreenManager.h
PLANTED
echo "layer check ok"
