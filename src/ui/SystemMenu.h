// The system menu (screen 13): six rows to the save, load, formation,
// settings, quest-log and leave-game screens, the four menu tabs, money and time.
#pragma once
#include "base/Types.h"
#include "ui/SysPanel.h"
#include "ui/UiInput.h"

constexpr i32 kSysBackgroundId = 5000;
constexpr i32 kSysMenuListId = 5001;

class cSystemMenuFrame {
public:
    cSystemMenuFrame() = default;
    cSystemMenuFrame(const cSystemMenuFrame&) = delete;
    cSystemMenuFrame& operator=(const cSystemMenuFrame&) = delete;

    void Open();
    void Run();
    void Close();

    i32 result = 0;      // 1 map, 2..7 a row, 8..10 a tab
    i32 selection = -1;  // -1 none, 0..5 a row, 10..13 a tab
    cSysPanel panel;

private:
    bool RunClicks();
    void RunKeys();
    void Leave(i32 code, int sound);
};

// The mode word a system-screen result leads to, shared by the pages of the panel.
u32 SysMenuNextFrame(i32 result);
