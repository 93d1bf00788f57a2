// What map mode asks of the interface above it: its sounds and its key state.
// The screens define these; the interface's headers include this one.
#pragma once
#include "base/Types.h"

// A fresh key state for a new session.
void ResetInterfaceKeys();
void PlayUISound(int n);
