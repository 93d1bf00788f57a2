// The shop's buy side (screen 18) and sell side (screen 20).
#include "shop/ShopFront.h"

#include <new>

#include "platform/TextCodec.h"
#include "engine/FrameState.h"
#include "engine/Screen.h"
#include "data/Config.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/ScreenLink.h"
#include "ui/UiInput.h"
#include "menu/MenuFrame.h"
#include "shop/ShopBuyList.h"
#include "shop/ShopSellList.h"

namespace {
constexpr u32 kCaptionShadow = 0x595959;
constexpr u32 kCategoryShadow = 0x21405F;
constexpr MenuSpot kFirstCategory = {562, 110};

MenuSpot CategorySpot(int row) {
    return {562, 110 + 42 * row};
}

cControl* MakeCategoryButton(int row, int cat, cActPic* normal, cActPic* hover) {
    cControl* b = new cControl(416, 90 + 42 * row);
    b->SetButton(kShopCategoryId + cat, normal, hover, nullptr);
    return b;
}

cControl* MakeCategoryLabel(int row, int cat, cGrpFont* font) {
    cControl* l = new cControl(470, 97 + 42 * row);
    l->SetFont(font, kShopWhite, kStyleBoldOutline);
    l->SetText(B5(kCategoryCaptions[cat]));
    return l;
}

void MakeFrontButton(i32 id) {
    cControl* b = new cControl(393, 48);
    b->SetButton(id, new cActPic(kShopAct, 30), new cActPic(kShopAct, 31), nullptr);
}

// Where a key takes the focus from category row n of rows; false for none.
bool CategoryKey(int n, int rows, MenuKey key, MenuSpot* to) {
    if (rows <= 0) return false;
    if (key == MenuKey::Switch) {
        *to = ShopTabBar::Cursor(kTabBuy);
        return true;
    }
    if (key == MenuKey::Up) n = n == 0 ? rows - 1 : n - 1;
    if (key == MenuKey::Down) n = (n + 1) % rows;
    *to = CategorySpot(n);
    return true;
}

void FocusTabOrList(int k, MenuKey key) {
    bool toList = false;
    MenuSpot to = ShopTabKey(k, key, &toList);
    MoveCursorTo(toList ? kFirstCategory : to);
}
}  // namespace

// ---- buy side ----

void cShopBuyMenuFrame::Open() {
    result = 0;
    current = -1;
    SetupShopFont(&caption, 15, kCaptionShadow);
    SetupShopFont(&category, 24, kCategoryShadow);
    SetupShopFont(&text, 16, kCaptionShadow);
    SetupShopFont(&small, 12, kCaptionShadow);
    cControl* bg = new cControl(0, 0);
    bg->SetPics(new cActPic(kShopAct, 9), nullptr, nullptr);
    tabs.Make(kTabBuy);
    tooltip = MakeShopTooltip(&caption);
    cActPic* pics[kShopPortraits];
    MakeShopPortraits(pics);
    MakeParty(pics);
    MakeFrontButton(kBuyFrontButtonId);
    MakeCategories();
    money = ShopMoney();
    FormatShopTime(timeText, sizeof(timeText));
    MakeMoneyAndTime(&text, &money, timeText);
}

void cShopBuyMenuFrame::MakeParty(cActPic* const pics[kShopPortraits]) {
    for (int j = 0; j < kPartySize; ++j) {
        i32 r = gParty[j];
        if (r < 0) break;
        if (r >= kRoleCount) continue;
        i32 m = j % 3, row = j / 3;
        portrait[j] = new cControl(128 * m + 10, 185 * row + 50);
        portrait[j]->SetPics(pics[r], nullptr, nullptr);
        name[j] = new cControl(128 * m + 43, 185 * row + 173);
        name[j]->SetFont(&text, kShopWhite, kStyleShadow);
        CopyRecordText(nameText[j], sizeof(nameText[j]), gRoleStats[r].name,
                       sizeof(gRoleStats[r].name));
        name[j]->SetText(nameText[j]);
        level[j] = new cControl(128 * m + 105, 185 * row + 153);
        level[j]->SetFont(&small, kShopWhite, kStyleShadow);
        level[j]->SetNumber(&gRoleStats[r].level, 0);
    }
}

void cShopBuyMenuFrame::MakeCategories() {
    cActPic* normal = new cActPic(kShopAct, 32);
    cActPic* hover = new cActPic(kShopAct, 33);
    rows = 0;
    int focusRow = -1;
    for (int i = 0; i < kShopCategories; ++i) {
        if (gShopStock.cat[i].index == -1) continue;
        button[rows] = MakeCategoryButton(rows, i, normal, hover);
        label[rows] = MakeCategoryLabel(rows, i, &category);
        rowCategory[rows] = i;
        if (gKeyFocus != 0 && gKeyFocus == i + 10) focusRow = rows;
        ++rows;
    }
    if (gKeyFocus == 0) {
        if (gSmartMouse)
            MoveCursorTo(kFirstCategory);
        else
            current = kTabBuy;
        return;
    }
    // A focus that names no made button, such as the category the sell list
    // keeps when its buy tab is clicked, gives no focus: the cursor stays put.
    if (focusRow < 0) return;
    if (gSmartMouse)
        MoveCursorTo(CategorySpot(focusRow));
    else
        current = rowCategory[focusRow] + 10;
}

int cShopBuyMenuFrame::RowOf(int cat) const {
    for (int n = 0; n < rows; ++n)
        if (rowCategory[n] == cat) return n;
    return -1;
}

void cShopBuyMenuFrame::Run() {
    if (ShopCancelPressed()) {
        result = 3;
        gFramePhase = 2;
        return;
    }
    money = ShopMoney();
    FormatShopTime(timeText, sizeof(timeText));
    if (Click(gMouseInput.clickedId)) return;
    ShowTip();
}

bool cShopBuyMenuFrame::Click(i32 id) {
    if (id == kShopTabId + kTabBuy) {
        gMouseInput.clickedId = 0;
        return false;
    }
    bool tab = id > kShopTabId && id < kShopTabId + kShopTabCount;
    bool cat = id >= kShopCategoryId && id < kShopCategoryId + kShopCategories;
    if (!tab && !cat) return false;
    gMouseInput.clickedId = 0;
    PlayUISound(261);
    result = static_cast<u32>(id - kShopTabId);
    gKeyFocus = tab ? 0 : static_cast<i32>(result);
    gFramePhase = 2;
    return true;
}

void cShopBuyMenuFrame::ShowTip() {
    tooltip->Hide();
    i32 id = gMouseInput.hoverId;
    if (id >= kShopTabId && id < kShopTabId + kShopTabCount) {
        current = id - kShopTabId;
        ShowShopTip(tooltip, kShopTabNames[current]);
    } else if (id >= kShopCategoryId && id < kShopCategoryId + kShopCategories) {
        current = id - kShopTabId;
        ShowShopTip(tooltip, kBuyTitles[id - kShopCategoryId]);
    }
    MoveFocus();
}

void cShopBuyMenuFrame::MoveFocus() {
    MenuKey key = ReadMenuKey();
    if (key == MenuKey::None || current < 0) return;
    if (current < kShopTabCount) return FocusTabOrList(current, key);
    int n = RowOf(current - 10);
    MenuSpot to;
    if (n >= 0 && CategoryKey(n, rows, key, &to)) MoveCursorTo(to);
}

void cShopBuyMenuFrame::Close() {
    caption.Release();
    category.Release();
    text.Release();
    small.Release();
    ClearFrameObjects();
    if (result == 1) {
        gFrameId = ScreenWord(Screen::ShopSellMenu);
    } else if (result == 2) {
        gFrameId = ScreenWord(Screen::Enhance);
    } else if (result >= 10 && result < 10 + kShopCategories) {
        delete gShopBuyListFrame;
        gShopBuyListFrame = new (std::nothrow) cShopBuyListFrame(result);
        gFrameId = ScreenWord(Screen::ShopBuyList);
    } else {
        LeaveShop();
    }
}

// ---- sell side ----

void cShopSellMenuFrame::Open() {
    result = 0;
    current = -1;
    SetupShopFont(&caption, 15, kCaptionShadow);
    SetupShopFont(&category, 24, kCategoryShadow);
    SetupShopFont(&text, 16, kCaptionShadow);
    cControl* bg = new cControl(0, 0);
    bg->SetButton(kSellFrontBackgroundId, new cActPic(kShopAct, 10), nullptr, nullptr);
    MakeFrontButton(kSellFrontButtonId);
    cActPic* normal = new cActPic(kShopAct, 32);
    cActPic* hover = new cActPic(kShopAct, 33);
    for (int i = 0; i < kSellCategoryCount; ++i) {
        button[i] = MakeCategoryButton(i, i, normal, hover);
        label[i] = MakeCategoryLabel(i, i, &category);
    }
    tabs.Make(kTabSell);
    tooltip = MakeShopTooltip(&caption);
    money = ShopMoney();
    FormatShopTime(timeText, sizeof(timeText));
    MakeMoneyAndTime(&text, &money, timeText);
    overlay = new cControl(0, 0);
    overlay->SetPics(new cActPic(kShopAct, 41), nullptr, nullptr);
    int row = gKeyFocus >= 0 && gKeyFocus < kSellCategoryCount ? gKeyFocus : 0;
    if (gSmartMouse)
        MoveCursorTo(CategorySpot(row));
    else
        current = row + 10;
}

void cShopSellMenuFrame::Run() {
    if (ShopCancelPressed()) {
        result = 3;
        gFramePhase = 2;
        return;
    }
    money = ShopMoney();
    FormatShopTime(timeText, sizeof(timeText));
    if (Click(gMouseInput.clickedId)) return;
    MoveFocus();
    ShowTip();
}

bool cShopSellMenuFrame::Click(i32 id) {
    if (id == kShopTabId + kTabSell) {
        gMouseInput.clickedId = 0;
        return false;
    }
    bool tab = id >= kShopTabId && id < kShopTabId + kShopTabCount;
    bool cat = id >= kShopCategoryId && id < kShopCategoryId + kSellCategoryCount;
    if (!tab && !cat) return false;
    gMouseInput.clickedId = 0;
    result = static_cast<u32>(id - kShopTabId);
    gKeyFocus = tab ? 0 : id - kShopCategoryId;
    gFramePhase = 2;
    return true;
}

void cShopSellMenuFrame::ShowTip() {
    tooltip->Hide();
    i32 id = gMouseInput.hoverId;
    if (id >= kShopTabId && id < kShopTabId + kShopTabCount) {
        current = id - kShopTabId;
        ShowShopTip(tooltip, kShopTabNames[current]);
    } else if (id >= kShopCategoryId && id < kShopCategoryId + kSellCategoryCount) {
        current = id - kShopTabId;
        ShowShopTip(tooltip, kSellTitles[id - kShopCategoryId]);
    } else if (id == kSellFrontBackgroundId) {
        ShowShopTip(tooltip, DetailPanelCaption(gMouseInput.x, gMouseInput.y));
    }
}

void cShopSellMenuFrame::MoveFocus() {
    MenuKey key = ReadMenuKey();
    if (key == MenuKey::None || current < 0) return;
    if (current < kShopTabCount) return FocusTabOrList(current, key);
    int n = current - 10;
    MenuSpot to;
    if (n >= 0 && n < kSellCategoryCount && CategoryKey(n, kSellCategoryCount, key, &to))
        MoveCursorTo(to);
}

void cShopSellMenuFrame::Close() {
    caption.Release();
    category.Release();
    text.Release();
    ClearFrameObjects();
    if (result == 0) {
        gFrameId = ScreenWord(Screen::ShopBuyMenu);
    } else if (result == 2) {
        gFrameId = ScreenWord(Screen::Enhance);
    } else if (result >= 10 && result < 10 + kSellCategoryCount) {
        delete gShopSellListFrame;
        gShopSellListFrame = new (std::nothrow) cShopSellListFrame(result);
        gFrameId = ScreenWord(Screen::ShopSellList);
    } else {
        LeaveShop();
    }
}
