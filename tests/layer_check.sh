#!/usr/bin/env bash
# The check ranks the README's layers in the README's order. The layer check
# passes on the source tree and fails on a planted upward include
# (map mode including the shell, in each form an include may take; the toolkit
# including a menu page or the screen table), while includes between equals and
# downward ones pass.
set -eu
check=$1
src=$2
bash "$check" "$src"
# The README's layer list names the check's layers in the check's order.
readme=${3:-"$src/../README.md"}
if [ -f "$readme" ]; then
  listed=$(sed -n 's|^src/\([a-z]*\) .*|\1|p' "$readme" | tr '\n' ' ')
  ranked=$(sed -n '/declare -A rank/,/)$/p' "$check" | grep -o '\[[a-z]*\]=[0-9]*' | tr -d '[]' |
    sort -s -t= -k2,2n | cut -d= -f1 | tr '\n' ' ')
  [ "$listed" = "$ranked" ] || { echo "the README lists: $listed; the check ranks: $ranked"; exit 1; }
fi
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
