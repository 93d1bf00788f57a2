// The part the shop's buy list (screen 19) and sell list (screen 21) share:
// eleven rows over a scrolled list, the tab bar, the tick's input order, the
// key table and the quantity box. Each list screen holds one and adds its
// entries, columns, limits and confirm.
#pragma once
#include <deque>

#include "base/Types.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "ui/Control.h"
#include "menu/MenuFrame.h"
#include "shop/ShopCommon.h"

class cActPic;

constexpr int kShopRows = 11;
constexpr i32 kShopBoxId = 7600;  // the box button; arrows 7601 (more), 7602 (fewer)
constexpr i32 kShopDownId = 7101, kShopUpId = 7102, kShopThumbId = 7103;
constexpr i32 kBoxConfirm = 600, kBoxCancel = 601, kBoxMore = 611, kBoxFewer = 612;
constexpr u32 kBlack = 0, kBlue = 0xFF0000, kDarkRed = 0x000090;

// How one list screen differs from the other.
struct ShopListLook {
    i32 background;  // act 9907 action
    i32 backgroundId;
    i32 panelId;
    int ownTab;
    i32 rowBase;  // the current-item value of row 0
    u32 backResult;
    MenuSpot confirmSpot;
    i32 boxFocus;
    i32 boxPriceX;
    bool tabSound = false;  // a tab click plays the tab sound and starts the next screen on row 0
};

enum class ShopClick { None, Confirm, Cancel, Row, Tab };

class cShopListCore {
public:
    void Setup(const ShopListLook& l, u32 cat);

    // ---- open ----
    void MakeFonts();
    void ReleaseFonts();
    void MakeBackground();
    void MakeTabs() { tabs.Make(look.ownTab); }
    void MakeTooltip() { tooltip = MakeShopTooltip(&caption); }
    // List panel, title, column captions, icons, highlight, arrows and thumb.
    void MakeListFrame(const char* titleUtf8);
    // Top and shown top 0, the scroll settings, one update.
    void StartScroll();
    void MakeMoneyAndTime();
    void FocusRow(int r);

    // ---- rows ----
    // Row r's four controls; the owned column in ownedColour.
    void MakeRow(int r, i32 nameX, i32 priceX, i32 ownedX, u32 ownedColour);
    void DeleteRows();
    // The maximum from the entry count; the top clamped into it.
    void SetEntries(int count);
    // The row (0..10) under the mouse, or -1.
    static int RowAt(i32 x, i32 y);
    // Entry index of the row under the mouse, or -1 when that row is empty.
    int EntryUnderMouse() const;
    // True when the rows need filling; moves the shown top along.
    bool TakeRefresh();
    void SetIcon(int r, i32 icon);

    // ---- tick ----
    // Reads and clears the clicked id of the list, box and tabs.
    ShopClick ReadClick(int* value);
    void ListUpkeep();
    void BoxUpkeep();
    // The shared hover step; the hovered entry index, or -1.
    int Hover();
    void MoveFocus();

    // ---- quantity box ----
    void OpenBox(u32 entry);
    // The limit, the focus, one update of the quantity and the total.
    void FinishBox(i32 limit, i64 unitPrice, bool halve);
    void UpdateTotal();
    // Deletes the box and gives the list back; the focus goes to the entry's
    // row when found (index >= top), else to row 0.
    void CloseBox(int foundIndex);

    // ---- close ----
    // Hands the frame to what the result asks for: the buy menu (0), the sell
    // menu (1), the strengthening screen (2); anything else leaves the shop.
    void GoNext() const;

    ShopListLook look{};
    u32 mode = 0;  // 0 list, 1 quantity box
    u32 result = 0;
    i32 current = -1;
    u32 category = 0;
    cGrpFont caption, title, text, button;
    ShopTabBar tabs;
    cControl* tooltip = nullptr;
    cControl* panel = nullptr;
    cControl* highlight = nullptr;
    cControl* down = nullptr;
    cControl* up = nullptr;
    cControl* thumb = nullptr;
    cActPic* icons[kItemTypes] = {};
    cScrollBar scroll;
    i32 top = 0, shownTop = 0, maximum = 0;
    int entries = 0;
    std::deque<cControl*> rowIcon, rowName, rowPrice, rowOwned;
    char nameText[kShopRows][33] = {};
    char priceText[kShopRows][24] = {};
    char ownedText[kShopRows][24] = {};
    i32 money = 0;
    char timeText[20] = {};

    // The box.
    u32 boxEntry = 0;
    i32 quantity = 0, lastQuantity = 0;
    i64 total = 0, unitPrice = 0;
    bool halve = false;
    cScrollBar quantityBar;
    cControl* boxIcon = nullptr;
    cControl* boxName = nullptr;
    cControl* boxPrice = nullptr;
    cControl* boxOwned = nullptr;
    cControl* boxLight = nullptr;
    char boxNameText[33] = {};
    char boxPriceText[24] = {};
    char boxOwnedText[24] = {};
    char quantityText[16] = {};
    char totalText[24] = {};

private:
    void RowKey(int r, MenuKey key);
    void BoxKey(MenuKey key);
    void SetListClickable(bool on);
    cControl* BoxText(i32 x, i32 y, const char* t, cGrpFont* f, u32 colour, i32 style);
    std::deque<cControl*> boxControls_;
    std::deque<cActPic*> boxPics_;
};

// The tick both list screens share: Esc leaves the list (or closes the box),
// then the money and the time, this frame's click, and the screen's upkeep.
// The screen gives its entries and its confirm (buying or selling).
template <class List>
void RunShopList(List& list, const std::deque<u32>& entries, void (List::*confirm)()) {
    cShopListCore& core = list.core;
    if (ShopCancelPressed()) {
        if (core.mode == 0) {
            core.result = core.look.backResult;
            gFramePhase = 2;
        } else {
            list.CloseQuantityBox();
        }
        return;
    }
    core.money = ShopMoney();
    FormatShopTime(core.timeText, sizeof(core.timeText));
    int v = -1;
    switch (core.ReadClick(&v)) {
        case ShopClick::Confirm:
            return (list.*confirm)();
        case ShopClick::Cancel:
            PlayUISound(263);
            return list.CloseQuantityBox();
        case ShopClick::Row:
            return list.OpenQuantityBox(entries[static_cast<size_t>(v)]);
        case ShopClick::Tab:
            if (core.look.tabSound) {
                PlayUISound(261);
                gKeyFocus = 0;
            }
            core.result = static_cast<u32>(v);
            gFramePhase = 2;
            return;
        case ShopClick::None:
            break;
    }
    list.ShowTip();
}

// The current-item value of a box place's cursor point.
MenuSpot ShopBoxSpot(i32 item);
MenuSpot ShopRowSpot(int r);
