// Logical key bindings.
#include "ui/KeyBindings.h"

#include <cstring>

u32 gKeyBindings[kLogicalKeyCount];

void ResetKeyBindings() { std::memcpy(gKeyBindings, kDefaultKeyBindings, sizeof(gKeyBindings)); }
