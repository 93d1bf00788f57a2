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

// Missing, short and out-of-range files; the volume scale.
TEST(Options, MissingShortAndOutOfRangeFiles) {
    Harness h;
    // A missing file gives the defaults; the map keys follow the bindings.
    gSfxVolume = 1;
    gSmartMouse = 0;
    LoadOptions();
    EXPECT_EQ(std::tuple(gWalkMode, gSfxVolume, gMusicVolume, gCdVolume, gSwapSpace, gTextSpeed,
                         gSmartMouse, gOptionStored, gKeyBindings[kKeySwitch], gMapKeyCodes[4],
                         gMapKeyCodes[12]),
              std::tuple(0, 6u, 6u, 2u, 60u, 6u, 1u, 1000, 15u, 200u, 28u));
    // A short file keeps the defaults for what it lacks.
    WriteValues(h, {5, 1, 0, 9});
    LoadOptions();
    EXPECT_EQ(std::tuple(gOptionStored, gWalkMode, gSfxVolume, gMusicVolume,
                         gKeyBindings[kKeyCancel], gSmartMouse),
              std::tuple(5, 1, 9u, 6u, 1u, 1u));
    // Values out of range are clamped.
    std::vector<i32> v = {1000, 0, 0, 99, -4, 12, 60, 1000};
    for (int k = 0; k < 12; ++k) v.push_back(k == 0 ? 0 : k == 1 ? 4000 : 30);
    v.push_back(250);
    v.push_back(1);
    WriteValues(h, v);
    LoadOptions();
    EXPECT_EQ(std::tuple(gSfxVolume, gMusicVolume, gCdVolume, gTextSpeed, gKeyBindings[kKeyUp],
                         gKeyBindings[kKeyDown], gSaveSlotPos),
              std::tuple(11u, 0u, 11u, 11u, 1u, 255u, 98));
    EXPECT_EQ(std::tuple(VolumeTo127(0), VolumeTo127(6), VolumeTo127(11)), std::tuple(0, 69, 127));
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
    EXPECT_EQ(std::tuple(LoadU32(&b[0]), LoadU32(&b[4 * 3]), LoadU32(&b[4 * 8]),
                         LoadU32(&b[4 * 19]), LoadU32(&b[4 * 20])),
              std::tuple(1000u, 11u, 17u, 50u, 42u));
    SetDefaultOptions();
    LoadOptions();
    EXPECT_EQ(std::tuple(gWalkMode, gRealTimeBattle, gSfxVolume, gMusicVolume, gCdVolume,
                         gSwapSpace, gTextSpeed, gSaveSlotPos, gSmartMouse, gMapKeyCodes[4]),
              std::tuple(1, 1u, 11u, 0u, 7u, 90u, 3u, 42, 0u, 17u));
}
