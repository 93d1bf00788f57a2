// The equipment page (screen 3): the shown member's abilities and worn pieces,
// the candidate list of one slot, and the ability panel's comparison.
#pragma once
#include <deque>

#include "base/Types.h"
#include "engine/GrpFont.h"
#include "data/Records.h"
#include "ui/Control.h"
#include "ui/SysPanel.h"
#include "menu/AbilityPanel.h"
#include "menu/MenuFrame.h"

class cActPic;

// Control ids of the page.
constexpr i32 kEquipTabId = 2000;   // tabs 2000..2003
constexpr i32 kEquipSideId = 2010;  // side column (the six slots)
constexpr i32 kEquipSlotId = 2020;  // party slots 2020..2025
constexpr i32 kEquipDownId = 2031, kEquipUpId = 2032, kEquipThumbId = 2033;
constexpr i32 kEquipListId = 2050;  // the candidate list over the side column
constexpr int kEquipIcons = 29;     // act 9901 actions 0..28

// The piece an equipment slot index names, or null: an index outside 0..255 or
// a free owned place is an empty slot.
const EquipageData* WornEquipage(i32 index);
// The role whose wearer-mask bit decides for role r: roles 0 and 1 trade bits
// while game flag 324 is set.
i32 EquipMaskRole(i32 r);
// Wears owned piece entry (or takes off, entry -1, through the selected slot)
// on the slots of role, as the page does to the real record and its copies.
void ChangeEquipSlots(RoleData& role, int selectedSlot, i32 entry);
// The list of a slot for role r: -1, the wearable pieces highest index first,
// then the pieces r may not wear lowest index first.
std::deque<i32> BuildEquipCandidates(int slot, i32 r);
// The value of ability line k (0..16) of a derived record.
i32 AbilityValue(const RoleStats& s, int k);

class cEquipFrame {
public:
    cEquipFrame() = default;
    cEquipFrame(const cEquipFrame&) = delete;
    cEquipFrame& operator=(const cEquipFrame&) = delete;

    void Open();
    void Run();
    void Close();

    void SelectRole(i32 role);
    void Idle();
    void HandleKeys();
    void OpenList(int slot);
    void CloseList();
    void BuildList();
    void ClearList();
    void RefreshListRows();
    void HoverList();
    void ClickList();
    void EquipPiece(i32 entry);
    void CreateAbilityPanel();
    void ShowEquipCompare(i32 entry);
    void HideAbilityPanel();
    static void DeleteAbilityPanel();

    i32 next = -1;    // 1 items, 2 skills, 3 quick save, 4 system
    i32 subMode = 0;  // 1 while the candidate list is open
    i32 focus = -1;
    i32 lastCompared = -2;
    cSysPanel panel;
    cMenuFonts fonts;
    cGrpFont rowFont;  // worn pieces, candidate rows, the ability panel
    cPartySlots party;
    cControl* portrait = nullptr;
    cControl* name = nullptr;
    cControl* level = nullptr;
    cControl* abilities[kAbilityLines] = {};
    cActPic* icons[kEquipIcons] = {};
    cControl* wornIcon[kSlotCount] = {};
    cControl* wornName[kSlotCount] = {};
    char nameText[40] = {};
    char wornText[kSlotCount][36] = {};
    char hint[64] = {};

    // The candidate list.
    int selectedSlot = 0;
    std::deque<i32> candidates;
    i32 listTop = 0, lastTop = 0, maxTop = 0;
    cScrollBar scroll;
    cControl* listArea = nullptr;
    cControl* rowBar = nullptr;
    cControl* listTitle = nullptr;
    cControl* down = nullptr;
    cControl* up = nullptr;
    cControl* thumb = nullptr;
    cActPic* listPics[8] = {};
    cControl* rowIcon[kListRows] = {};
    cControl* rowName[kListRows] = {};
    char rowText[kListRows][36] = {};

private:
    void MakeMemberFields();
    void ShowWorn(i32 role);
    void Hover();
    void HintAt(i32 x, i32 y);
    void ShowHint(const char* big5);
    void MoveByKey(MenuKey key);
    void ListKey(MenuKey key);
    void FocusTo(int f);
    void SetRow(int r, i32 entry);
    void RebuildList();
    bool HasEntry(int r) const;
};
