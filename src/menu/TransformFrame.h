// The transformation page (screen 17): the unlocked god/demon forms with the
// values, skills and MP costs of the one shown.
#pragma once
#include <deque>

#include "base/Types.h"
#include "engine/GrpFont.h"
#include "data/Records.h"
#include "ui/Control.h"
#include "menu/MenuFrame.h"

class cActPic;

constexpr i32 kTransformBackgroundId = 2005;
constexpr i32 kTransformTabId = 2000;  // tabs 2000..2003
constexpr i32 kTransformListId = 2150;
constexpr int kTransformForms = 20;
constexpr int kFormSkillRows = 6;

// The skill numbers a form shows, in slot order: its five special skills and
// its healing special, each kept when it names a skill.
int FormSkills(const MonsterData& form, i32 out[kFormSkillRows]);

class cTransformFrame {
public:
    cTransformFrame() = default;
    cTransformFrame(const cTransformFrame&) = delete;
    cTransformFrame& operator=(const cTransformFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void ShowForm(i32 n);
    void RunIdle();
    void HandleKeys();
    void RefreshRows();

    i32 next = 0;  // 1 items, 2 skills, 3 quick save, 4 system
    i32 focus = -1;
    i32 shownForm = 0;
    cGrpFont f0, f1, f2, f3, f4;
    cControl* hintLine = nullptr;
    cControl* rowBar = nullptr;
    cControl* formPic = nullptr;
    cControl* formName = nullptr;
    cControl* values[17] = {};
    cControl* skillName[kFormSkillRows] = {};
    cControl* skillMp[kFormSkillRows] = {};
    char mpText[kFormSkillRows][16] = {};  // "Mp:" and any 32-bit cost
    i32 skillOf[kFormSkillRows] = {};
    cActPic* entryPics[kTransformForms] = {};
    cActPic* largePics[kTransformForms] = {};
    std::deque<u32> forms;
    std::deque<cControl*> rowPics, rowNames;
    char rowText[kListRows][36] = {};
    cControl* arrows[3] = {};  // down, up, thumb
    cScrollBar scroll;
    i32 top = 0, lastTop = -1, maxTop = 0;
    char timeText[30] = {};
    char formText[36] = {};
    char hint[64] = {};

private:
    void MakeDetails();
    void MoveByKey(MenuKey key);
    void FocusTo(int f);
    void ShowHint(const char* big5);
    const char* CaptionAt(i32 x, i32 y) const;
};
