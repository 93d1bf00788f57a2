// The options file "%sSave\Option.sav": 22 signed 32-bit values, no header.
#pragma once
#include "engine/Types.h"

constexpr int kOptionCount = 22;

extern i32 gOptionStored;    // a value kept for the file, default 1000
extern i32 gWalkMode;        // 0 walk, 1 run
extern u32 gRealTimeBattle;
extern u32 gCdVolume;        // 0..11
extern u32 gTextSpeed;       // 0..11
extern i32 gSaveSlotPos;     // the slot screen's remembered position, 0..98
extern u32 gSmartMouse;

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
// A 0..11 volume on the sound library's 0..127 scale.
inline i32 VolumeTo127(u32 v) { return static_cast<i32>(v * 127 / 11); }

// The 22 values in file order, and back (out-of-range values are clamped).
void OptionsToValues(i32 values[kOptionCount]);
void OptionsFromValues(const i32* values, int count);
