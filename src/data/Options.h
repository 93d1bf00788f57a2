// The options file "%sSave\Option.sav": 22 signed 32-bit values, no header.
#pragma once
#include "base/Types.h"
#include "data/Config.h"

constexpr int kOptionCount = 22;

// Options from the file, or defaults for whatever it lacks; then the map keys.
// A read error keeps the values read so far and holds the file: it is not
// written again this session unless the player chose new options.
void LoadOptions();
// Writes the file; 0 when it cannot be written or is held (and chosen is false).
int SaveOptions(bool chosen = false);
// True while a file that failed to read is held.
extern bool gOptionsHeld;
void ResetOptions();
// The defaults of every option value.
void SetDefaultOptions();
// Copies the logical bindings into the map-mode key table.
void ApplyKeyBindings();

// The 22 values in file order, and back (out-of-range values are clamped).
void OptionsToValues(i32 values[kOptionCount]);
void OptionsFromValues(const i32* values, int count);
