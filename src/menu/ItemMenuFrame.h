// The items page (screen 2): the menu frame around the shown member, and the
// use, special-item and discard lists with the choice of a target member.
#pragma once
#include <deque>

#include "base/Types.h"
#include "ui/SysPanel.h"
#include "menu/MenuFrame.h"

class cControl;
class cActPic;

// Control ids of the page.
constexpr i32 kItemTabId = 2000;   // tabs 2000..2003
constexpr i32 kItemSideId = 2010;  // side column
constexpr i32 kItemSlotId = 2020;  // party slots 2020..2025
constexpr i32 kItemListId = 2030;  // list area; arrows 2031, 2032, thumb 2033
constexpr i32 kItemBackgroundId = 2500;

// Sub-modes.
enum ItemMenuMode : i32 {
    kItemMain = 0,
    kItemUseList = 1,
    kItemSpecialList = 2,
    kItemDiscardList = 3,
    kItemTargetChoice = 10,
};

class cItemMenuFrame {
public:
    cItemMenuFrame() = default;
    cItemMenuFrame(const cItemMenuFrame&) = delete;
    cItemMenuFrame& operator=(const cItemMenuFrame&) = delete;

    void Open();
    void Run();
    void Close();

    void SelectRole(i32 role);
    void OpenUseList();
    void OpenSpecialList();
    void OpenDiscardList();
    void MakeListFrame(i32 mode, const char* title, std::deque<i32> entries);
    void CloseList();
    void RefreshRows();
    void HoverList();
    void ClickUseList();
    void ClickDiscardList();
    void UseListItem(int row);
    void DiscardListItem(int row);
    void BeginTargetChoice();
    void EndTargetChoice();
    void TargetKeys();
    void CreateAbilityPanel();
    void ShowItemEffect(i32 item);
    void HideAbilityPanel();
    void DeleteAbilityPanel();

    // The ids of a list, in its order: grouped by type, then by id.
    static std::deque<i32> BuildList(i32 mode);

    i32 next =
        -1;  // 1 map, 2 equipment, 3 offering, 4 system, 5 transformation, 6 skills, 7 quick save
    i32 subMode = kItemMain;
    i32 focus = -1;
    i32 chosen = 0;  // list index of the item being used
    cSysPanel panel;
    cMenuFonts fonts;
    cPartySlots party;
    cMemberPanel member;
    cListPane list;
    cControl* listTitle = nullptr;
    cControl* marker = nullptr;
    cActPic* markerPic = nullptr;
    char hint[64] = {};

private:
    bool Back();
    bool Click(i32 id);
    void ClickSide();
    void Leave(i32 code, int sound);
    void Idle();
    void Keys();
    void MoveByKey(MenuKey key);
    void ListKey(MenuKey key);
    void FocusTo(int f);
    void Hover();
    void ShowHint(const char* big5);
    void AfterUse();
    void UseOn(i32 role);
    void BackToSide();
    int MarkerSlot() const;
};
