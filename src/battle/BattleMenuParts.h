// What the command menu's files share: the interface sound, freezing both
// sides, and where a fighter is pointed at.
#pragma once
#include "base/Types.h"
#include "sound/Sound.h"

class cFighter;

void MenuSound(int n);
void FreezeBoth(i32 v);
// A fighter of either side holds a pending command.
bool AnyPending();
// The screen point the cursor is put on to show a fighter.
void FighterPoint(const cFighter& f, i32* x, i32* y);
