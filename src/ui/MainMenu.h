// The title menu (screen 0): title pictures, four buttons, the version label,
// the opening video on the first open and F10 for the quick save.
#pragma once
#include "base/Types.h"
#include "engine/GrpFont.h"
#include "ui/UiInput.h"

class cActPic;
class cControl;

constexpr i32 kTitleAct = 9002;
constexpr i32 kTitleNewGame = 1000;
constexpr i32 kTitleLoad = 1001;
constexpr i32 kTitleSettings = 1002;
constexpr i32 kTitleQuit = 1003;
constexpr int kTitleButtons = 4;

enum TitleResult : i32 {
    kTitleNone,
    kTitleResNew,
    kTitleResLoad,
    kTitleResSettings,
    kTitleResQuit,
    kTitleResQuick
};

class cMainMenuFrame {
public:
    cMainMenuFrame() = default;
    cMainMenuFrame(const cMainMenuFrame&) = delete;
    cMainMenuFrame& operator=(const cMainMenuFrame&) = delete;

    void Open();
    void Run();
    void Close();

    i32 result = kTitleNone;
    i32 focus = kTitleNewGame;
    cGrpFont largeFont;
    cGrpFont smallFont;
    i32 titleAction = 1;  // 1..3, drawn at each open

private:
    void MakeControls();
    void MoveToButton(i32 id);
    void RunKeys();
    void RunQuickLoadKey();
    void DeleteOwnObjects();

    cActPic* background_ = nullptr;
    cActPic* second_ = nullptr;
    cActPic* pics_[kTitleButtons * 2] = {};
    cControl* controls_[kTitleButtons + 3] = {};
    u32 f10Down_ = 0;
};

// Set at program start; the first title of a run plays the opening video.
extern u32 gOpeningVideoPending;
// The cursor point of title button k (0..3).
inline i32 TitleButtonX(int k) {
    return 145 + 150 * k;
}
constexpr i32 kTitleButtonY = 440;
void ResetMainMenu();
