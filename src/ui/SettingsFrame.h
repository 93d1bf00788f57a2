// The settings screen (screen 12 in play with the system panel, 27 from the
// title): volumes, text speed, map-cache size, two switches and eleven keys.
#pragma once
#include "base/Types.h"
#include "engine/GrpFont.h"
#include "engine/Screen.h"
#include "data/KeyBindings.h"
#include "ui/Control.h"
#include "ui/SysPanel.h"

constexpr i32 kSetBackgroundId = 5000;
constexpr i32 kSetListId = 5001;
constexpr i32 kSetOkId = 5004, kSetResetId = 5005;
constexpr i32 kSetBattleBoxId = 5006, kSetMouseBoxId = 5007;
constexpr i32 kSetCacheFirstId = 5050;  // 5050..5052
constexpr int kSliderCount = 4;         // music, effects, audio disc, text speed
constexpr int kBoundKeys = 11;          // keys 0..10 are rebound here
constexpr u32 kCaptureDelayMs = 400;
constexpr u32 kCaptureCooldownMs = 500;

// The 16-byte name of a DirectInput scan code: "請按一個鍵" for 0, "??" for a
// code without a key (Big5).
const char* KeyName(u32 code);
// The slider value of a click at x on a bar (x 136..326): 0..11, never stepping back.
i32 SliderValueAt(i32 x);

class cSettingsFrame {
public:
    cSettingsFrame() = default;
    cSettingsFrame(const cSettingsFrame&) = delete;
    cSettingsFrame& operator=(const cSettingsFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void ApplySettings();
    void ResetSettings();

    i32 result = 0;
    i32 capturing = 0;
    i32 focus = -1;
    i32 keyIndex = -1;
    u32 captureStart = 0;
    u32 cooldownEnd = 0;
    Screen screen = Screen::Settings;
    // The edited values: effects copy, music, map cache, text speed, audio disc,
    // real-time battle, smart mouse, then the fifteen key words.
    i32 sfx = 0, music = 0, swap = 0, textSpeed = 0, cdVolume = 0;
    i32 realTime = 0, smartMouse = 0;
    u32 keys[kKeyBindingSlots] = {};
    i32 shown[kSliderCount] = {-1, -1, -1, -1};
    cScrollBar bars[kSliderCount];

private:
    i32* SliderValue(int s);
    void MakeControls();
    void MakeSliders();
    void MakeKeys();
    void RefreshSliders(bool force);
    void ShowChoices();
    void ShowKeyNames();
    bool RunLeaving();
    void RunBackgroundClick();
    void RunCapture();
    void RunKeys();
    void RunHover();
    void MoveToFocus(i32 f);
    void StepCache(int step);
    void Leave(i32 code, int sound);

    cSysPanel panel_;
    cGrpFont labelFont_, nameFont_, buttonFont_, captionFont_;
    cActPic* barPics_[kSliderCount] = {};
    cControl* cacheMarker_ = nullptr;
    cControl* ticks_[2] = {};
    cControl* keyNames_[kBoundKeys] = {};
    cControl* captureFrame_ = nullptr;
};
