#!/usr/bin/env bash
# The check ranks the README's layers in the README's order and names the
# README's link headers. The layer check passes on the source tree and fails on
# a planted upward include (map mode including the shell, in each form an
# include may take; the toolkit including a menu page or the screen table; the
# menu including a shop) and on an include of the tools' code, while includes
# between equals, downward ones and the system's pass.
# It fails on a planted upward declaration (a header declaring what only a
# folder above defines, in each form a declaration may take, a header merely
# named like a link among them; a prototype or a block-scope extern in a .cpp;
# a class whose member, constructor or static member only a folder above
# defines), while the same in a listed link header, a member of a class of the
# same level, a name in a comment or string, a declaration also defined at its
# own level, a call and a variable built from arguments pass. A declaration a
# macro makes, through another macro too, counts as any other.
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
  listed=$(sed -n 's|^\([a-z]*/[A-Za-z]*\.h\)  .*|\1|p' "$readme" | sort | tr '\n' ' ')
  named=$(sed -n '/^links=(/,/)$/p' "$check" | grep -o '[a-z]*/[A-Za-z]*\.h' | sort | tr '\n' ' ')
  [ "$listed" = "$named" ] || { echo "the README's link headers: $listed; the check's: $named"; exit 1; }
fi
top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
root=$top/src
mkdir -p "$root"/{base,platform,engine,map/sub,story,ui,battle,menu,shop,screens,shell} "$top/tools/mhdata"
printf '#include "map/City.h"\n#include "../story/Talk.h"\n' > "$root/shell/Ok.cpp"
printf '#include "menu/MenuFrame.h"\n#include <vector>\n#include <SDL2/SDL.h>\n#include "Own.h"\n' > "$root/shop/Below.cpp"
printf '#include "menu/MenuState.h"\n' > "$root/battle/Beside.cpp"
printf '#include "menu/EquipFrame.h"\n#include "ui/Control.h"\n' > "$root/screens/Table.cpp"
printf '#include "../City.h"\n#include "./Near.h"\n' > "$root/map/sub/Down.cpp"
# Declarations that may stay: in a link header; a member; in a comment or a
# string; defined at the header's own level too; defined below.
printf '#pragma once\nvoid StartTalk(int n);\nextern int gTalkOwner;\n' > "$root/map/StoryLink.h"
printf 'int gTalkOwner = 0;\nvoid StartTalk(int n) {\n    gTalkOwner = n;\n}\n' > "$root/story/Talk.cpp"
printf '#pragma once\nstruct Pad {\n    void Poll();\n};\n// void Quit();\nconst char* kQuit = "void Quit();";\n' \
  > "$root/engine/Pad.h"
printf 'void Poll() {}\nvoid Quit() {}\nint Shared() { return 2; }\nint Blit(int n) { return n; }\n' \
  > "$root/shell/Loop.cpp"
printf '#pragma once\n#define MH_DECLARE(name) int name()\nMH_DECLARE(Shared);\nint Blit(int n);\n' > "$root/ui/Both.h"
printf 'int Shared() { return 1; }\n' > "$root/ui/Both.cpp"
printf 'int Blit(int n) { return n + 1; }\n' > "$root/platform/Blit.cpp"
printf '#pragma once\nstruct Gate {\n    Gate();\n    void Poll();\n    static int sOpen;\n};\n' > "$root/map/Gate.h"
printf '#include "map/Gate.h"\nGate::Gate() {}\nvoid Gate::Poll() {}\nint Gate::sOpen = 0;\n' > "$root/map/Gate.cpp"
printf 'void Walk(int n) {\n    Quit();\n    Gate gate(n);\n    int v(n * n);\n}\n' > "$root/map/Walk.cpp"
printf 'int gate(int n) { return n; }\nint v(int n) { return n; }\n' > "$root/shell/Gate.cpp"
bash "$check" "$root" || { echo "downward and sideways includes, or allowed declarations, were refused"; exit 1; }
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
menu/Up.cpp|#include "shop/ShopFront.h"|shop/ShopFront.h
map/Up.cpp|#include "mhdata/SoundData.h"|mhdata/SoundData.h
base/Up.cpp|#include <mhdata/SoundData.h>|mhdata/SoundData.h
map/sub/Up.cpp|#include "../../../tools/mhdata/SoundData.h"|../../../tools/mhdata/SoundData.h
PLANTED
# A file of the lower folder (after a "#pragma once") and a definition above
# it; the line the declaration starts on and its name are reported.
while IFS='|' read -r header declaration source definition line name; do
  printf '#pragma once\n%b\n' "$declaration" > "$root/$header"
  printf '#include "%s"\n%b\n' "$header" "$definition" > "$root/$source"
  if out=$(bash "$check" "$root"); then echo "a planted upward declaration passed: $declaration"; exit 1; fi
  grep -qF "$header:$line declares $name," <<<"$out" || { echo "unexpected report: $out"; exit 1; }
  rm "$root/$header" "$root/$source"
done <<'PLANTED'
map/Up.h|void StartBattle(int n);|battle/Fight.cpp|void StartBattle(int n) {}|2|StartBattle
menu/Up.h|void OpenShop();|shop/Open.cpp|void OpenShop() {\n}|2|OpenShop
base/Up.h|void* Grab(int n);|engine/Grab.cpp|void* Grab(int n) {\n    return nullptr;\n}|2|Grab
ui/Up.h|// Says it.\nvoid Say(const char* format,\n         ...) __attribute__((format(printf, 1, 2)));|screens/Say.cpp|void Say(const char* format, ...) {}|3|Say
engine/Up.h|namespace fx {\nconst char* Glow(int n);\n}|shell/Fx.cpp|namespace fx {\nconst char* Glow(int n) { return "{"; }\n}|3|Glow
ui/Up.h|extern int gShown, gPicked[4];|screens/Table.cpp|int gShown = 0, gPicked[4] = {};|2|gPicked
map/ShellLink.h|void Quit();|shell/Quit.cpp|void Quit() {}|2|Quit
map/Up.cpp|void StartBattle(int n);\nvoid Walk() {\n    StartBattle(1);\n}|battle/Fight.cpp|void StartBattle(int n) {}|2|StartBattle
map/Up.h|struct Door {\n    void Open() const;\n};|shell/Door.cpp|void Door::Open() const {}|3|Door::Open
map/Up.h|namespace fx {\nclass Door final : public Pad {\n  public:\n    explicit Door(int n);\n};\n}|shell/Door.cpp|void fx::Door::Door(int n) {}|5|Door::Door
map/Up.h|struct Clock {\n    static int sTicks;\n};|shell/Clock.cpp|int Clock::sTicks = 0;|3|Clock::sTicks
map/Up.cpp|void Step() {\n    extern int gFrames;\n    ++gFrames;\n}|shell/Frame.cpp|int gFrames = 0;|3|gFrames
map/Up.cpp|void Step() {\n    if (true) {\n        extern "C" void Quit(), Leave(int n);\n    }\n}|shell/Quit.cpp|void Leave(int n) {}|4|Leave
map/Up.cpp|int Step() {\n    void Quit();\n    Quit();\n}|shell/Quit.cpp|namespace fx {\nvoid Quit() {}\n}|3|Quit
map/Up.h|#define MH_CALL(name) void name(int n)\nMH_CALL(StartBattle);|battle/Fight.cpp|void StartBattle(int n) {}|3|StartBattle
menu/Up.h|#define MH_LIST(X) X(OpenShop) \\\n    X(CloseShop)\n#define MH_NAMED(n) void n(const char* s = #n);\nMH_LIST(MH_NAMED)|shop/Open.cpp|void CloseShop(const char* s) {}|5|CloseShop
map/Up.cpp|int Step() {\n    switch (1) {\n        default:\n            const char* Name(int id, const Pad& pad);\n    }\n}|shell/Name.cpp|namespace fx {}\nconst char* fx::Name(int id, const Pad& pad) {}|5|Name
PLANTED
echo "layer check ok"
