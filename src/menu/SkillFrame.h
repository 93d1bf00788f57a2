// The skills page (screen 23): a member's skill categories in the side column,
// each opening that member's skill list (screen 24); and the frame, the
// category table and the slot walk that both skill pages share.
#pragma once
#include "base/Types.h"
#include "data/Records.h"
#include "ui/SysPanel.h"
#include "menu/MenuFrame.h"

// Control ids of both skill pages.
constexpr i32 kSkillTabId = 3000;   // tabs 3000..3003
constexpr i32 kSkillSideId = 3010;  // side column (the list area on the skill list)
constexpr i32 kSkillBackgroundId = 3020;
constexpr i32 kSkillSlotId = 3030;  // party slots 3030..3035
constexpr i32 kSkillIconId = 3100;  // status icons 3100..3105
constexpr int kSkillRowsMax = 3;

// Focus index ranges of both skill pages: 0..3 a tab, 10.. a row, 30..35 a slot.
constexpr int kSkillFocusRow = 10, kSkillFocusSlot = 30;

// The role whose category rows and skills the member menuRole shows: roles 0
// and 1 trade them while flag 324 is set; -1 for a role outside 0..7.
i32 SkillTableRole(i32 menuRole);
// The categories of the member's shown rows, in side-column order; their count.
int SkillCategoryRows(i32 menuRole, i32 out[kSkillRowsMax]);

// The slot walk of both pages over slotCount slots of a party of partyCount:
// up wraps to the last slot; down goes to the next slot, wraps to slot 0 at the
// party's end, and does nothing (-1) from the last slot when members follow
// that have no slot.
int SkillSlotAbove(int k, int slotCount);
int SkillSlotBelow(int k, int slotCount, int partyCount);

// Where a key takes the skills page's focus (tab, category row 10..12, slot
// 30..35) with rowCount rows and menuSlot the slot of the shown member (-1
// when it has none); -1 when the key does nothing.
int SkillFocusAfter(int focus, MenuKey key, int rowCount, int slotCount, int partyCount,
                    int menuSlot);

// The frame both skill pages build: panel, fonts, role pictures, member panel
// with the status icons 3100..3105, party slots 3030 + k, and the hint line.
class cSkillPageFrame {
public:
    // In two steps, so that a page can put its own controls between the panel
    // (background, tabs, side column, captions hidden, title, hint line) and
    // the member (role pictures, member panel, party slots).
    void MakePanel(i32 sidePic, i32 sideHoverPic, const char* title);
    void MakeMember();
    void ShowMember(i32 role);
    void Release();
    // The slot of the member, or -1 when the first six slots lack it.
    int SlotOf(i32 role) const { return party.SlotOf(role); }
    // Hint line: the Big5 text shown (copied), or hidden for null.
    void ShowHint(const char* big5);
    // The hover cases both pages share: tab, status icon, panel field (on the
    // background) and slot name. Sets *focus for tabs and slots; false when
    // the hover id is none of these.
    bool HoverCommon(i32 id, i32* focus);
    static MenuSpot FocusSpot(int focus);

    cSysPanel panel;
    cMenuFonts fonts;
    cPartySlots party;
    cMemberPanel member;
    char hint[64] = {};
};

class cSkillFrame {
public:
    cSkillFrame() = default;
    cSkillFrame(const cSkillFrame&) = delete;
    cSkillFrame& operator=(const cSkillFrame&) = delete;

    void Open();
    void Run();
    void Close();
    void SelectRole(i32 role);
    void RunIdle();
    void HandleKeys();
    // Opens the n-th shown category row (1..3).
    void OpenSkillList(int n);

    i32 next = -1;  // 0 items, 1 map, 2 quick save, 3 system, 10 skill list
    i32 focus = -1;
    int rowCount = 0;
    i32 rowCategory[kSkillRowsMax] = {};
    cSkillPageFrame frame;

private:
    bool Click(i32 id);
    void Hover();
    void FocusTo(int f);
    void Leave(i32 code);
};
