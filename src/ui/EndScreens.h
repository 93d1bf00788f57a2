// The leave-game question (screens 1 and 30), the end screens (6 and 31) and
// the end of the test version (16).
#pragma once
#include "base/Types.h"
#include "engine/GrpFont.h"
#include "engine/Screen.h"

class cActPic;
class cControl;

constexpr i32 kExitBoxId = 9000;
constexpr u32 kTitleMusic = 43;
constexpr u32 kEndMusic = 41;

class cExitFrame {
public:
    cExitFrame() = default;
    ~cExitFrame();
    cExitFrame(const cExitFrame&) = delete;
    cExitFrame& operator=(const cExitFrame&) = delete;

    void Open();
    void Run();
    void Close();

    i32 result = 0;                       // 0 none, 1 yes, 2 no
    i32 selection = -1;                   // -1 none, 0 yes, 1 no
    Screen screen = Screen::BackToTitle;  // or Screen::LeaveGame
    cGrpFont font;
    u16* screenCopy = nullptr;
    cControl* marker = nullptr;

private:
    bool RunClick();
    void RunKeys();
};

class cEndFrame {
public:
    cEndFrame() = default;
    cEndFrame(const cEndFrame&) = delete;
    cEndFrame& operator=(const cEndFrame&) = delete;

    void Open();
    void Run();
    void Close();

    cGrpFont font;
    u32 startTime = 0;
    Screen screen = Screen::EndPicture;  // or Screen::TheEnd
    cActPic* cursorPic = nullptr;
    cActPic* endPic = nullptr;
    cControl* control = nullptr;
};

class cTestEndFrame {
public:
    cTestEndFrame() = default;
    cTestEndFrame(const cTestEndFrame&) = delete;
    cTestEndFrame& operator=(const cTestEndFrame&) = delete;

    void Open();
    void Run();
    void Close();

    cGrpFont font;
};
