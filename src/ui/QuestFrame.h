// The quest log (screen 10): the open quests by name, eight to a page, with
// the system panel of the in-game system screens.
#pragma once
#include "base/Types.h"
#include "engine/GrpFont.h"
#include "ui/SysPanel.h"

constexpr i32 kQuestPageUpId = 5000, kQuestPageDownId = 5001;
constexpr i32 kQuestListId = 5002, kQuestBackgroundId = 5003;
constexpr int kQuestRows = 8;
constexpr int kQuestNameBytes = 36;

// Cuts a Big5 text of n bytes so that it never ends in half a character.
void CutBig5Tail(char* text);

class cQuestFrame {
public:
    cQuestFrame() = default;
    cQuestFrame(const cQuestFrame&) = delete;
    cQuestFrame& operator=(const cQuestFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void ShowQuestPage(i32 first);

    i32 result = 0;
    i32 focus = -1;  // 0..5 list rows, 10..13 tabs, 20 page up, 21 page down
    i32 first = 0;
    i32 rowIndex[kQuestRows] = {};
    char names[kQuestRows][kQuestNameBytes] = {};
    cControl* rows[kQuestRows] = {};
    cControl* icons[kQuestRows] = {};
    cControl* pageUp = nullptr;
    cControl* pageDown = nullptr;

private:
    bool RunClicks();
    void RunKeys();
    void MoveToFocus(i32 f);
    void Leave(i32 code, int sound);

    cSysPanel panel_;
    cGrpFont rowFont_, buttonFont_;
    cControl* listPanel_ = nullptr;
    cActPic* panelPics_[2] = {};
};
