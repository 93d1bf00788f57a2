// The options file: defaults, round trip and damaged files.
#include <gtest/gtest.h>

#include <tuple>

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
    EXPECT_EQ(std::tuple(gWalkMode, gSfxVolume, gMusicVolume, gCdVolume, gSwapSpace, gTextSpeed,
                         gSmartMouse, gOptionStored, gKeyBindings[kKeySwitch]),
              std::tuple(0, 6u, 6u, 2u, 60u, 6u, 1u, 1000, 15u));
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
    EXPECT_EQ(std::tuple(gWalkMode, gRealTimeBattle, gSfxVolume, gMusicVolume, gCdVolume,
                         gSwapSpace, gTextSpeed, gSaveSlotPos, gSmartMouse, gMapKeyCodes[4]),
              std::tuple(1, 1u, 11u, 0u, 7u, 90u, 3u, 42, 0u, 17u));
}

TEST(Options, ShortFileKeepsDefaultsForWhatItLacks) {
    Harness h;
    WriteValues(h, {5, 1, 0, 9});
    LoadOptions();
    EXPECT_EQ(std::tuple(gOptionStored, gWalkMode, gSfxVolume, gMusicVolume,
                         gKeyBindings[kKeyCancel], gSmartMouse),
              std::tuple(5, 1, 9u, 6u, 1u, 1u));
}

TEST(Options, ValuesOutOfRangeAreClamped) {
    Harness h;
    std::vector<i32> v = {1000, 0, 0, 99, -4, 12, 60, 1000};
    for (int k = 0; k < 12; ++k) v.push_back(k == 0 ? 0 : k == 1 ? 4000 : 30);
    v.push_back(250);
    v.push_back(1);
    WriteValues(h, v);
    LoadOptions();
    EXPECT_EQ(std::tuple(gSfxVolume, gMusicVolume, gCdVolume, gTextSpeed, gKeyBindings[kKeyUp],
                         gKeyBindings[kKeyDown], gSaveSlotPos),
              std::tuple(11u, 0u, 11u, 11u, 1u, 255u, 98));
}

TEST(Options, VolumeScale) {
    EXPECT_EQ(VolumeTo127(0), 0);
    EXPECT_EQ(VolumeTo127(6), 69);
    EXPECT_EQ(VolumeTo127(11), 127);
}
