// Options file reading and writing, with clamping of what a damaged file holds.
#include "data/Options.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "platform/Fault.h"
#include "engine/DataErrors.h"
#include "engine/File.h"
#include "data/Config.h"
#include "data/KeyBindings.h"

bool gOptionsHeld = false;

namespace {

std::string OptionPath() {
    return std::string(gBasePath) + "Save\\Option.sav";
}

u32 ClampU(i32 v, i32 lo, i32 hi) {
    return static_cast<u32>(std::clamp(v, lo, hi));
}

// The slot screen's position is a slot and the row it stood on, slot + 1000 x
// row: each part is kept in its range.
i32 ClampSlotPos(i32 v) {
    if (v < 0) return 0;
    return std::min(v / 1000, 2) * 1000 + std::min(v % 1000, 98);
}

}  // namespace

void SetDefaultOptions() {
    gOptionStored = 1000;
    gWalkMode = 0;
    gRealTimeBattle = 0;
    gSfxVolume = gMusicVolume = kDefaultVolume;
    gCdVolume = 2;
    gSwapSpace = kDefaultCacheMb;
    gTextSpeed = 6;
    ResetKeyBindings();
    gSaveSlotPos = 0;
    gSmartMouse = 1;
}

void OptionsToValues(i32 v[kOptionCount]) {
    v[0] = gOptionStored;
    v[1] = gWalkMode;
    v[2] = static_cast<i32>(gRealTimeBattle);
    v[3] = static_cast<i32>(gSfxVolume);
    v[4] = static_cast<i32>(gMusicVolume);
    v[5] = static_cast<i32>(gCdVolume);
    v[6] = static_cast<i32>(gSwapSpace);
    v[7] = static_cast<i32>(gTextSpeed);
    for (int k = 0; k < kLogicalKeyCount; ++k) v[8 + k] = static_cast<i32>(gKeyBindings[k]);
    v[20] = gSaveSlotPos;
    v[21] = static_cast<i32>(gSmartMouse);
}

void OptionsFromValues(const i32* v, int count) {
    SetDefaultOptions();
    auto has = [count](int i) { return i < count; };
    if (has(0)) gOptionStored = v[0];
    if (has(1)) gWalkMode = v[1];
    if (has(2)) gRealTimeBattle = static_cast<u32>(v[2]);
    if (has(3)) gSfxVolume = ClampU(v[3], 0, 11);
    if (has(4)) gMusicVolume = ClampU(v[4], 0, 11);
    if (has(5)) gCdVolume = ClampU(v[5], 0, 11);
    if (has(6)) gSwapSpace = ClampU(v[6], 0, 255);
    if (has(7)) gTextSpeed = ClampU(v[7], 0, 11);
    for (int k = 0; k < kLogicalKeyCount; ++k)
        if (has(8 + k)) gKeyBindings[k] = ClampU(v[8 + k], 0, 255);  // 0: no key
    if (has(20)) gSaveSlotPos = ClampSlotPos(v[20]);
    if (has(21)) gSmartMouse = static_cast<u32>(v[21]);
}

void ApplyKeyBindings() {
    gMapKeyCodes[4] = gKeyBindings[kKeyUp];
    gMapKeyCodes[6] = gKeyBindings[kKeyDown];
    gMapKeyCodes[3] = gKeyBindings[kKeyLeft];
    gMapKeyCodes[5] = gKeyBindings[kKeyRight];
    gMapKeyCodes[7] = gKeyBindings[kKeyPageUp];
    gMapKeyCodes[8] = gKeyBindings[kKeyPageDown];
    gMapKeyCodes[12] = gKeyBindings[kKeyConfirm];
    gMapKeyCodes[1] = gKeyBindings[kKeyConfirm];
    gMapKeyCodes[0] = gKeyBindings[kKeyCancel];
    gMapKeyCodes[2] = gKeyBindings[kKeySwitch];
    gMapKeyCodes[16] = gKeyBindings[kKeyRun];
}

void LoadOptions() {
    i32 values[kOptionCount];
    int count = 0;
    gOptionsHeld = false;
    cDataFile f;
    if (f.Open(OptionPath().c_str(), OPEN_EXISTING, GENERIC_READ)) {
        // A short file gives what it holds; the rest keeps its defaults. A read
        // that fails keeps what was read and leaves the file alone.
        while (count < kOptionCount) {
            i32 v = 0;
            u32 before = f.file().Tell();
            if (!f.ReadInt(&v)) {
                gOptionsHeld = true;
                ReportDataError({OptionPath(), before,
                                 "read failed after " + std::to_string(count) + " values (" +
                                     f.file().GetErrorText() + "); the file is kept"});
                break;
            }
            if (f.file().Tell() != before + 4) break;
            values[count++] = v;
        }
    } else if (!f.file().NotThere()) {
        gOptionsHeld = true;  // there but unreadable: the defaults must not replace it
        ReportDataError(DataError::Unplaced(
            OptionPath(),
            std::string("cannot be opened (") + f.file().GetErrorText() + "); the file is kept"));
    }
    OptionsFromValues(values, count);
    ApplyKeyBindings();
}

int SaveOptions(bool chosen) {
    if (gOptionsHeld && !chosen) return 0;
    i32 values[kOptionCount];
    OptionsToValues(values);
    u8 bytes[kOptionCount * 4];
    for (int i = 0; i < kOptionCount; ++i) StoreU32(bytes + 4 * i, static_cast<u32>(values[i]));
    if (ReplaceFile(OptionPath().c_str(), bytes, sizeof(bytes))) {
        gOptionsHeld = false;
        return 1;
    }
    ReportNotWritten(OptionPath(), std::strerror(LastWriteError()));
    return 0;
}

void ResetOptions() {
    gOptionsHeld = false;
}
