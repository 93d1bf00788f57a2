// Logical key bindings.
#include "data/KeyBindings.h"

#include <cstring>

u32 gKeyBindings[kKeyBindingSlots];

void ResetKeyBindings() {
    std::memset(gKeyBindings, 0, sizeof(gKeyBindings));
    std::memcpy(gKeyBindings, kDefaultKeyBindings, sizeof(kDefaultKeyBindings));
}
