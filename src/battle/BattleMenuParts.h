// The command menu's interface sound, shared by the rings and the target picking.
#pragma once
#include "sound/Sound.h"
#include "data/Config.h"

inline void MenuSound(int n) {
    PlaySfx(n, static_cast<int>(gSfxVolume));
}
