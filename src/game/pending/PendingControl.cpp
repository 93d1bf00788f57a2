// Placeholders for what the map scene and player control need of the menu
// pages until they exist.
#include "game/Pending.h"


ActPlayer* GlobalActSlot(int n) {
    return n >= 0 && n < kActSlots ? &gActSlots[n] : nullptr;
}
