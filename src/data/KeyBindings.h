// The DirectInput scan codes of the twelve logical keys of the interface.
#pragma once
#include "base/Types.h"

enum LogicalKey {
    kKeyUp,
    kKeyDown,
    kKeyLeft,
    kKeyRight,
    kKeyPageUp,
    kKeyPageDown,
    kKeyConfirm,
    kKeyCancel,
    kKeySwitch,
    kKeyRun,
    kKeyAutoAttack,
    kKeyFlee,
    kLogicalKeyCount
};

// Fifteen slots: the twelve logical keys, then three that stay 0.
constexpr int kKeyBindingSlots = 15;
extern u32 gKeyBindings[kKeyBindingSlots];
constexpr u32 kDefaultKeyBindings[kLogicalKeyCount] = {200, 208, 203, 205, 201, 209,
                                                       28,  1,   15,  19,  30,  34};
void ResetKeyBindings();
