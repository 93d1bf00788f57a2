// Placeholders for what player control and the behaviour scripts need of the
// menu pages and the map scene until they arrive.
#include "game/Pending.h"

void ResetMenuPage() {}

void WorldMapKeys() {}

ActPlayer* GlobalActSlot(int) {
    return nullptr;
}
