// The settings screen through the real tick: sliders, rebinding, reset, every
// way out writing the options file, and the map key table.
#include <filesystem>
#include <utility>

#include "platform/TextCodec.h"
#include "ui/Screens.h"
#include "ui/SettingsFrame.h"
#include "support/SysScreenSupport.h"
#include "data/Config.h"
#include "data/Options.h"

namespace {

struct SettingsTest : SysScreenTest {
    void OpenSettings() {
        Open(12);
        ASSERT_NE(gSettingsFrame, nullptr);
    }
    // Clicks the key row of key k, waits out the capture delay, then holds code.
    void Rebind(int k, u8 code) {
        ClickAt(k % 2 ? 300 : 100, 265 + 25 * (k / 2));
        ASSERT_EQ(gSettingsFrame->capturing, 1);
        h.RunFrames(12);      // past 400 ms
        TapKey(h, code, 16);  // then past the cooldown
    }
    std::string OptionFile() { return h.Path("game/Save/Option.sav"); }
};

TEST(SettingsSlider, ClickFormulaIsMonotonic) {
    EXPECT_EQ(SliderValueAt(100), 0);  // both ends: the slider test through the screen
    i32 last = 0;
    for (i32 x = 136; x <= 326; ++x) {
        i32 v = SliderValueAt(x);
        EXPECT_GE(v, last) << x;
        EXPECT_LE(v, 11);
        last = v;
    }
}

TEST(SettingsKeyNames, NamesByScanCode) {
    const std::pair<u32, const char*> names[] = {
        {0, B5("請按一個鍵")}, {0x1E, "A"},  {0xC8, "Arrow Up"}, {0x9C, "Numpad Enter"},
        {0x54, "??"},          {0xDE, "??"}, {0x12345, "??"}};
    for (const auto& [code, name] : names) EXPECT_STREQ(KeyName(code), name) << code;
}

TEST_F(SettingsTest, SliderEndsGiveZeroAndEleven) {
    OpenSettings();
    ClickAt(136, 90);  // music
    h.RunFrames(1);
    EXPECT_EQ(gSettingsFrame->music, 0);
    ClickAt(326, 90);
    h.RunFrames(1);
    EXPECT_EQ(gSettingsFrame->music, 11);
    ClickAt(136, 115);  // effects: the global itself
    EXPECT_EQ(gSfxVolume, 0u);
    // The right arrow at 11 stays at 11.
    ClickAt(335, 90);
    h.RunFrames(1);
    EXPECT_EQ(gSettingsFrame->music, 11);
    EXPECT_EQ(gMusicVolume, 6u) << "held in the screen until it closes";
}

TEST_F(SettingsTest, RebindingClearsADuplicateAndRefusesFKeys) {
    OpenSettings();
    ASSERT_EQ(gSettingsFrame->keys[kKeyAutoAttack], 0x1Eu);
    Rebind(0, 0x1E);  // "A" onto up
    EXPECT_EQ(gSettingsFrame->keys[kKeyUp], 0x1Eu);
    EXPECT_EQ(gSettingsFrame->keys[kKeyAutoAttack], 0u);
    EXPECT_EQ(gSettingsFrame->capturing, 0);
    // An F-key is no binding: the capture waits on.
    ClickAt(300, 265);  // key 1, down
    h.RunFrames(12);
    for (u8 f : {0x3B, 0x58}) TapKey(h, f);  // F1, F12
    EXPECT_EQ(gSettingsFrame->capturing, 1);
    EXPECT_EQ(gSettingsFrame->keys[kKeyDown], 0xD0u);
    EXPECT_EQ(gFrameId, kScreenBit | 12);
    TapKey(h, 0x30, 0);  // B
    EXPECT_EQ(gSettingsFrame->keys[kKeyDown], 0x30u);
    h.RunFrames(16);
    // OK applies: the bindings and the map-mode table follow.
    ClickAt(230, 435);
    h.RunFrames(2);
    EXPECT_EQ(gFrameId, kScreenBit | 13);
    EXPECT_EQ(gKeyBindings[kKeyUp], 0x1Eu);
    EXPECT_EQ(gMapKeyCodes[4], 0x1Eu);
    EXPECT_EQ(gMapKeyCodes[6], 0x30u);
}

TEST_F(SettingsTest, ResetRestoresKeysZeroToTenOnly) {
    gKeyBindings[kKeyFlee] = 0x2E;
    gSmartMouse = 1;
    OpenSettings();
    Rebind(3, 0x20);  // right := D
    gSettingsFrame->smartMouse = 0;
    ClickAt(360, 435);  // reset
    h.RunFrames(1);
    EXPECT_EQ(gKeyBindings[kKeyRight], 0xCDu);
    EXPECT_EQ(gKeyBindings[kKeyFlee], 0x2Eu);
    EXPECT_EQ(gMusicVolume, 6u);
    EXPECT_EQ(gCdVolume, 2u);
    EXPECT_EQ(gSwapSpace, 60u);
    EXPECT_EQ(gSmartMouse, 0u) << "the screen's own choice is applied, not reset";
    EXPECT_EQ(gMapKeyCodes[5], 0xCDu);
}

// Cancel applies what the screen holds and still writes the options file.
TEST_F(SettingsTest, CancelAppliesTextSpeedCacheSizesAndSwitchesAndWritesTheFile) {
    std::filesystem::remove(OptionFile());
    gRealTimeBattle = 0;
    OpenSettings();
    ClickAt(326, 165);  // text speed 11
    ClickAt(360, 190);
    ClickAt(160, 215);
    EXPECT_EQ(gSettingsFrame->swap, 80);
    EXPECT_EQ(gSettingsFrame->realTime, 1);
    gSettingsFrame->focus = 4;
    Tap(kScanRight);  // 80 wraps to 45
    EXPECT_EQ(gSettingsFrame->swap, 45);
    Tap(kScanEsc, 2);
    EXPECT_EQ(gFrameId, kScreenBit | 13);
    EXPECT_EQ(gTextSpeed, 11u);
    EXPECT_EQ(gSwapSpace, 45u);
    EXPECT_EQ(gRealTimeBattle, 1u);
    ASSERT_TRUE(std::filesystem::exists(OptionFile()));
    EXPECT_EQ(std::filesystem::file_size(OptionFile()), 88u);
}

}  // namespace
