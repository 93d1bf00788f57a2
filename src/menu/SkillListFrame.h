// The skill list (screen 24): one member's skills of one category with their
// MP cost, or the unlocked summons and god/demon forms; support skills are
// used from here, on a member chosen among the party slots when they need one.
#pragma once
#include <deque>

#include "base/Types.h"
#include "engine/GrpFont.h"
#include "data/Records.h"
#include "menu/MenuFrame.h"
#include "menu/SkillFrame.h"

constexpr i32 kSkillDownId = 3041, kSkillUpId = 3042, kSkillThumbId = 3043;
constexpr i32 kFirstSummonSkill = 200;

enum SkillListMode : i32 { kSkillListMain = 0, kSkillListTarget = 1 };

// The entries of the list of category for the member menuRole, in list order:
// skill record numbers, or form numbers for the forms' category.
std::deque<i32> BuildSkillList(i32 category, i32 menuRole);

class cSkillListFrame {
public:
    // Plays the forward sound: the list is on its way.
    explicit cSkillListFrame(i32 category = 0);
    cSkillListFrame(const cSkillListFrame&) = delete;
    cSkillListFrame& operator=(const cSkillListFrame&) = delete;

    void Open();
    void Run();
    void Close();
    // The member panel shows role, who becomes the target role.
    void ShowRole(i32 role);
    void RefreshRows();
    void RunIdle();
    void HandleKeys();
    void ChooseSkill(i32 skill);
    void OpenTargetBox();
    void ConfirmTarget();
    void CloseTargetBox();

    // Whether the rows of skill would be drawn usable for the shown member.
    bool Usable(const SkillData& skill) const;

    i32 next = -1;  // 0 items, 1 skills page, 2 quick save, 3 system
    i32 subMode = kSkillListMain;
    i32 focus = -1;
    i32 category = 0;
    i32 pending = 0;      // the skill waiting for its target
    i32 targetRole = -1;  // the member the panel shows
    cSkillPageFrame frame;
    cGrpFont rowFont;  // 15, white shadow
    cListPane list;    // entries, top row, frame and scroll bar; the rows are ours
    cControl* rowName[kListRows] = {};
    cControl* rowValue[kListRows] = {};
    char nameText[kListRows][40] = {};
    char valueText[kListRows][24] = {};  // any 32-bit cost or value fits
    cControl* marker = nullptr;
    cActPic* markerPic = nullptr;

private:
    bool Click(i32 id);
    void ClickList();
    void Hover();
    void HoverList();
    void FillRow(int j, i32 entry);
    void SetRowLook(int j, bool usable);
    void AfterUse();
    void Leave(i32 code, int sound, bool resetFocus);
    void FocusTo(int f);
    void MainKeys(MenuKey key);
    void RowKeys(MenuKey key);
    void SlotKeys(MenuKey key);
    void TargetKeys(MenuKey key);
    bool FunctionKeys();
    void SetTabsEnabled(bool on);
    void MakeRows();
};
