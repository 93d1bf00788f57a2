// The options file: defaults, round trip and damaged files.
#include <gtest/gtest.h>

#include "base/ByteIo.h"
#include "data/Options.h"
#include "shell/Settings.h"
#include "support/Harness.h"
#include "data/KeyBindings.h"

namespace {
void WriteValues(Harness& h, const std::vector<i32>& values) {
    std::vector<u8> b(values.size() * 4);
    for (size_t i = 0; i < values.size(); ++i) StoreU32(&b[4 * i], static_cast<u32>(values[i]));
    std::filesystem::create_directories(h.Path("Save"));
    WriteHostFile(h.Path("Save/Option.sav"), b);
}
}  // namespace

TEST(Options, MissingFileGivesTheDefaults) {
    Harness h;
    gSfxVolume = 1;
    gSmartMouse = 0;
    LoadOptions();
    EXPECT_EQ(gWalkMode, 0);
    EXPECT_EQ(gSfxVolume, 6u);
    EXPECT_EQ(gMusicVolume, 6u);
    EXPECT_EQ(gCdVolume, 2u);
    EXPECT_EQ(gSwapSpace, 60u);
    EXPECT_EQ(gTextSpeed, 6u);
    EXPECT_EQ(gSmartMouse, 1u);
    EXPECT_EQ(gOptionStored, 1000);
    EXPECT_EQ(gKeyBindings[kKeySwitch], 15u);
    // The map keys follow the bindings.
    EXPECT_EQ(gMapKeyCodes[4], 200u);
    EXPECT_EQ(gMapKeyCodes[12], 28u);
}

TEST(Options, RoundTripKeepsEveryValueInFileOrder) {
    Harness h;
    std::filesystem::create_directories(h.Path("Save"));
    SetDefaultOptions();
    gWalkMode = 1;
    gRealTimeBattle = 1;
    gSfxVolume = 11;
    gMusicVolume = 0;
    gCdVolume = 7;
    gSwapSpace = 90;
    gTextSpeed = 3;
    gKeyBindings[kKeyUp] = 17;
    gKeyBindings[kKeyFlee] = 50;
    gSaveSlotPos = 42;
    gSmartMouse = 0;
    SaveOptions();
    std::vector<u8> b = ReadHostFile(h.Path("Save/Option.sav"));
    ASSERT_EQ(b.size(), 88u);
    EXPECT_EQ(LoadU32(&b[0]), 1000u);
    EXPECT_EQ(LoadU32(&b[4 * 3]), 11u);
    EXPECT_EQ(LoadU32(&b[4 * 8]), 17u);
    EXPECT_EQ(LoadU32(&b[4 * 19]), 50u);
    EXPECT_EQ(LoadU32(&b[4 * 20]), 42u);
    SetDefaultOptions();
    LoadOptions();
    EXPECT_EQ(gWalkMode, 1);
    EXPECT_EQ(gRealTimeBattle, 1u);
    EXPECT_EQ(gSfxVolume, 11u);
    EXPECT_EQ(gMusicVolume, 0u);
    EXPECT_EQ(gCdVolume, 7u);
    EXPECT_EQ(gSwapSpace, 90u);
    EXPECT_EQ(gTextSpeed, 3u);
    EXPECT_EQ(gSaveSlotPos, 42);
    EXPECT_EQ(gSmartMouse, 0u);
    EXPECT_EQ(gMapKeyCodes[4], 17u);
}

TEST(Options, ShortFileKeepsDefaultsForWhatItLacks) {
    Harness h;
    WriteValues(h, {5, 1, 0, 9});
    LoadOptions();
    EXPECT_EQ(gOptionStored, 5);
    EXPECT_EQ(gWalkMode, 1);
    EXPECT_EQ(gSfxVolume, 9u);
    EXPECT_EQ(gMusicVolume, 6u);
    EXPECT_EQ(gKeyBindings[kKeyCancel], 1u);
    EXPECT_EQ(gSmartMouse, 1u);
}

TEST(Options, ValuesOutOfRangeAreClamped) {
    Harness h;
    std::vector<i32> v = {1000, 0, 0, 99, -4, 12, 60, 1000};
    for (int k = 0; k < 12; ++k) v.push_back(k == 0 ? 0 : k == 1 ? 4000 : 30);
    v.push_back(250);
    v.push_back(1);
    WriteValues(h, v);
    LoadOptions();
    EXPECT_EQ(gSfxVolume, 11u);
    EXPECT_EQ(gMusicVolume, 0u);
    EXPECT_EQ(gCdVolume, 11u);
    EXPECT_EQ(gTextSpeed, 11u);
    EXPECT_EQ(gKeyBindings[kKeyUp], 1u);
    EXPECT_EQ(gKeyBindings[kKeyDown], 255u);
    EXPECT_EQ(gSaveSlotPos, 98);
}

TEST(Options, VolumeScale) {
    EXPECT_EQ(VolumeTo127(0), 0);
    EXPECT_EQ(VolumeTo127(6), 69);
    EXPECT_EQ(VolumeTo127(11), 127);
}
