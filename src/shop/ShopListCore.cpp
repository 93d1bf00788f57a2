// The list, keys and quantity box the two shop list screens share.
#include "shop/ShopListCore.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <iterator>

#include "platform/TextCodec.h"
#include "engine/FrameState.h"
#include "engine/Screen.h"
#include "data/Config.h"
#include "ui/ActPic.h"
#include "ui/UiInput.h"

namespace {
constexpr u32 kCaptionShadow = 0x595959;
constexpr u32 kTitleShadow = 0x21405F;
constexpr i32 kPageStep = kShopRows;
constexpr Screen kNextScreen[] = {Screen::ShopBuyMenu, Screen::ShopSellMenu, Screen::Enhance};
}  // namespace

MenuSpot ShopRowSpot(int r) {
    return {580, 132 + 24 * r};
}

MenuSpot ShopBoxSpot(i32 item) {
    switch (item) {
        case kBoxCancel:
            return {436, 370};
        case kBoxMore:
            return {320, 326};
        case kBoxFewer:
            return {260, 326};
        default:
            return {346, 370};
    }
}

void cShopListCore::Setup(const ShopListLook& l, u32 cat) {
    look = l;
    category = cat;
}

// ---- open ----

void cShopListCore::MakeFonts() {
    SetupShopFont(&caption, 15, kCaptionShadow);
    SetupShopFont(&title, 24, kTitleShadow);
    SetupShopFont(&text, 16, kCaptionShadow);
    SetupShopFont(&button, 20, kTitleShadow);
}

void cShopListCore::ReleaseFonts() {
    caption.Release();
    title.Release();
    text.Release();
    button.Release();
}

void cShopListCore::MakeBackground() {
    cControl* bg = new cControl(0, 0);
    bg->SetPics(new cActPic(kShopAct, look.background), nullptr, nullptr);
    bg->id = look.backgroundId;
}

void cShopListCore::MakeListFrame(const char* titleUtf8) {
    panel = new cControl(393, 48);
    panel->SetButton(look.panelId, new cActPic(kShopAct, 22), new cActPic(kShopAct, 23), nullptr);
    cControl* t = new cControl(465, 60);
    t->SetFont(&title, kShopWhite, kStyleBoldOutline);
    t->SetText(B5(titleUtf8));
    const char* heads[3] = {"物品名稱", "單價", "持有"};
    const i32 headX[3] = {420, 540, 578};
    for (int k = 0; k < 3; ++k) {
        cControl* h = new cControl(headX[k], 97);
        h->SetFont(&caption, kBlack, kStylePlain);
        h->SetText(B5(heads[k]));
    }
    for (int t2 = 0; t2 < kItemTypes; ++t2) icons[t2] = new cActPic(kMenuIconAct, t2);
    highlight = new cControl(414, 119);
    highlight->SetPics(new cActPic(kShopAct, 24), nullptr, nullptr);
    highlight->Hide();
    up = new cControl(611, 100);
    up->SetButton(kShopUpId, new cActPic(kShopAct, 28), nullptr, new cActPic(kShopAct, 29));
    down = new cControl(611, 380);
    down->SetButton(kShopDownId, new cActPic(kShopAct, 26), nullptr, new cActPic(kShopAct, 27));
    thumb = new cControl(611, 115);
    thumb->SetButton(kShopThumbId, new cActPic(kShopAct, 25), nullptr, nullptr);
}

void cShopListCore::StartScroll() {
    shownTop = 0;
    top = 0;
    scroll = cScrollBar{};
    scroll.Init(down, up, thumb, 15, 45, 1);
    scroll.value = &top;
    scroll.minimum = 0;
    scroll.arrowStep = 1;
    scroll.pageStep = kPageStep;
    scroll.trackStart = 115;
    scroll.trackEnd = 337;
    SetEntries(entries);
    scroll.Update();
}

void cShopListCore::MakeMoneyAndTime() {
    money = ShopMoney();
    FormatShopTime(timeText, sizeof(timeText));
    ::MakeMoneyAndTime(&text, &money, timeText);
}

void cShopListCore::FocusRow(int r) {
    if (gSmartMouse)
        MoveCursorTo(ShopRowSpot(r));
    else
        current = look.rowBase + r;
}

// ---- rows ----

void cShopListCore::MakeRow(int r, i32 nameX, i32 priceX, i32 ownedX, u32 ownedColour) {
    i32 y = 123 + 24 * r;
    rowIcon.push_back(new cControl(415, 121 + 24 * r));
    cControl* n = new cControl(nameX, y);
    n->SetFont(&caption, kBlack, kStylePlain);
    n->SetText(nameText[r]);
    rowName.push_back(n);
    cControl* p = new cControl(priceX, y);
    p->SetFont(&caption, kBlue, kStylePlain);
    p->SetText(priceText[r]);
    rowPrice.push_back(p);
    cControl* o = new cControl(ownedX, y);
    o->SetFont(&caption, ownedColour, kStylePlain);
    o->SetText(ownedText[r]);
    rowOwned.push_back(o);
}

void cShopListCore::DeleteRows() {
    for (std::deque<cControl*>* list : {&rowIcon, &rowName, &rowPrice, &rowOwned}) {
        for (cControl* c : *list) delete c;
        list->clear();
    }
}

void cShopListCore::SetEntries(int count) {
    entries = count;
    maximum = entries > kShopRows ? entries - kShopRows : 0;
    scroll.maximum = maximum;
    top = std::clamp(top, 0, maximum);
}

int cShopListCore::RowAt(i32 x, i32 y) {
    if (x < 415 || x > 610 || y < 119) return -1;
    int r = (y - 119) / 24;
    return r < kShopRows ? r : -1;
}

int cShopListCore::EntryUnderMouse() const {
    int r = RowAt(gMouseInput.x, gMouseInput.y);
    if (r < 0 || top + r >= entries) return -1;
    return top + r;
}

bool cShopListCore::TakeRefresh() {
    if (top == shownTop) return false;
    shownTop = top;
    return true;
}

void cShopListCore::SetIcon(int r, i32 icon) {
    if (r < 0 || static_cast<size_t>(r) >= rowIcon.size()) return;
    cActPic* pic = icon >= 0 && icon < kItemTypes ? icons[icon] : nullptr;
    rowIcon[static_cast<size_t>(r)]->SetPics(pic, nullptr, nullptr);
}

// ---- tick ----

ShopClick cShopListCore::ReadClick(int* value) {
    i32 id = gMouseInput.clickedId;
    if (id == 0) return ShopClick::None;
    if (id == kShopBoxId && mode == 1) {
        gMouseInput.clickedId = 0;
        i32 x = gMouseInput.x, y = gMouseInput.y;
        if (y < 349 || y >= 386 || x < 296 || x >= 464) return ShopClick::None;
        return x < 380 ? ShopClick::Confirm : ShopClick::Cancel;
    }
    if (id == look.panelId && mode == 0) {
        gMouseInput.clickedId = 0;
        *value = EntryUnderMouse();
        return *value >= 0 ? ShopClick::Row : ShopClick::None;
    }
    if (id >= kShopTabId && id < kShopTabId + kShopTabCount && mode == 0) {
        gMouseInput.clickedId = 0;
        *value = id - kShopTabId;
        return ShopClick::Tab;
    }
    return ShopClick::None;
}

void cShopListCore::ListUpkeep() {
    scroll.Update();
    highlight->Hide();
    tooltip->Hide();
}

void cShopListCore::BoxUpkeep() {
    quantityBar.Update();
    if (boxLight) boxLight->Hide();
    UpdateTotal();
}

int cShopListCore::Hover() {
    i32 id = gMouseInput.hoverId;
    if (id >= kShopTabId && id < kShopTabId + kShopTabCount) {
        current = id - kShopTabId;
        ShowShopTip(tooltip, kShopTabNames[current]);
        return -1;
    }
    if (id != 0 && id == look.panelId) {
        int r = RowAt(gMouseInput.x, gMouseInput.y);
        if (r == 0) current = look.rowBase;
        if (r < 0 || top + r >= entries) return -1;
        current = look.rowBase + r;
        highlight->Move(414, 119 + 24 * r);
        highlight->Show();
        return top + r;
    }
    if (id == kShopBoxId) {
        i32 x = gMouseInput.x, y = gMouseInput.y;
        if (y < 349 || y > 385 || x < 296 || x > 463 || !boxLight) return -1;
        bool confirm = x < 380;
        current = confirm ? kBoxConfirm : kBoxCancel;
        boxLight->Move(confirm ? 296 : 380, 348);
        boxLight->Show();
        return -1;
    }
    if (id == kShopBoxId + 1) current = kBoxMore;
    if (id == kShopBoxId + 2) current = kBoxFewer;
    return -1;
}

void cShopListCore::MoveFocus() {
    MenuKey key = ReadMenuKey();
    if (key == MenuKey::None || current < 0) return;
    if (current < kShopTabCount) {
        bool toList = false;
        MenuSpot to = ShopTabKey(current, key, &toList);
        MoveCursorTo(toList ? ShopRowSpot(0) : to);
        return;
    }
    int r = current - look.rowBase;
    if (r >= 0 && r < kShopRows) return RowKey(r, key);
    if (current >= kBoxConfirm) BoxKey(key);
}

void cShopListCore::RowKey(int r, MenuKey key) {
    switch (key) {
        case MenuKey::Up:
            if (r == 0) top = std::max(top - 1, 0);
            MoveCursorTo(ShopRowSpot(std::max(r - 1, 0)));
            return;
        case MenuKey::Down:
            if (r == kShopRows - 1) {
                top = std::min(top + 1, maximum);
                MoveCursorTo(ShopRowSpot(r));
            } else if (top + r + 1 < entries) {
                MoveCursorTo(ShopRowSpot(r + 1));
            }
            return;
        case MenuKey::Switch:
            MoveCursorTo(ShopTabBar::Cursor(kTabBuy));
            return;
        // A page moves the rows under the cursor, not the cursor.
        case MenuKey::PageUp:
            top = std::max(top - kPageStep, 0);
            return;
        case MenuKey::PageDown:
            top = std::min(top + kPageStep, maximum);
            return;
        default:
            break;
    }
    MoveCursorTo(ShopRowSpot(r));
}

void cShopListCore::BoxKey(MenuKey key) {
    i32 to = current;
    bool button = current == kBoxConfirm || current == kBoxCancel;
    switch (key) {
        case MenuKey::Up:
            if (button) to = kBoxMore;
            break;
        case MenuKey::Down:
            if (!button) to = kBoxConfirm;
            break;
        case MenuKey::Left:
        case MenuKey::Right:
            if (button)
                to = current == kBoxConfirm ? kBoxCancel : kBoxConfirm;
            else
                to = current == kBoxMore ? kBoxFewer : kBoxMore;
            break;
        case MenuKey::Switch:
            to = button ? kBoxMore : kBoxConfirm;
            break;
        default:
            break;
    }
    MoveCursorTo(ShopBoxSpot(to));
}

// ---- quantity box ----

cControl* cShopListCore::BoxText(i32 x, i32 y, const char* t, cGrpFont* f, u32 colour, i32 style) {
    cControl* c = new cControl(x, y);
    c->SetFont(f, colour, style);
    c->SetText(t);
    boxControls_.push_back(c);
    return c;
}

void cShopListCore::OpenBox(u32 entry) {
    PlayUISound(262);
    boxEntry = entry;
    mode = 1;
    auto pic = [&](i32 act, i32 action) {
        cActPic* p = new cActPic(act, action);
        boxPics_.push_back(p);
        return p;
    };
    auto control = [&](i32 x, i32 y) {
        cControl* c = new cControl(x, y);
        boxControls_.push_back(c);
        return c;
    };
    control(230, 250)->SetPics(pic(kShopAct, 35), nullptr, nullptr);
    control(222, 242)->SetButton(kShopBoxId, pic(kShopAct, 34), nullptr, nullptr);
    const char* heads[4] = {"物品名稱", "單價", "持有", "總計"};
    const i32 hx[4] = {252, 385, 432, 345}, hy[4] = {263, 263, 263, 319};
    for (int k = 0; k < 4; ++k) BoxText(hx[k], hy[k], B5(heads[k]), &caption, kBlack, kStylePlain);
    cControl* more = control(310, 314);
    more->SetButton(kShopBoxId + 1, pic(kShopAct, 36), nullptr, pic(kShopAct, 37));
    cControl* fewer = control(246, 314);
    fewer->SetButton(kShopBoxId + 2, pic(kShopAct, 38), nullptr, pic(kShopAct, 39));
    quantity = 1;
    lastQuantity = 0;
    total = 0;
    cControl* q = control(220, 319);
    q->SetFont(&caption, kDarkRed, kStylePlain);
    q->SetNumber(&quantity, 1);
    boxIcon = control(245, 289);
    boxName = BoxText(267, 291, boxNameText, &caption, kBlack, kStylePlain);
    boxPrice = BoxText(look.boxPriceX, 291, boxPriceText, &caption, kBlue, kStylePlain);
    boxOwned = BoxText(444, 291, boxOwnedText, &caption, kDarkRed, kStylePlain);
    boxLight = control(296, 348);
    boxLight->SetPics(pic(kPortraitAct, 2), nullptr, nullptr);
    boxLight->Hide();
    BoxText(313, 356, B5("確 定"), &button, kShopWhite, kStyleBoldOutline);
    BoxText(398, 356, B5("取 消"), &button, kShopWhite, kStyleBoldOutline);
    totalText[0] = 0;
    BoxText(380, 319, totalText, &caption, kBlue, kStylePlain);
    quantityBar = cScrollBar{};
    quantityBar.Init(more, fewer, nullptr, 0, 0, 1);
    quantityBar.value = &quantity;
    quantityBar.minimum = 0;
    quantityBar.arrowStep = 1;
    quantityBar.pageStep = 1;
}

void cShopListCore::SetListClickable(bool on) {
    if (panel) panel->id = on ? look.panelId : 0;
    if (down) down->id = on ? kShopDownId : 0;
    if (up) up->id = on ? kShopUpId : 0;
    if (thumb) thumb->id = on ? kShopThumbId : 0;
    tabs.SetClickable(on);
    scroll.enabled = on ? 1 : 0;
}

void cShopListCore::FinishBox(i32 limit, i64 price, bool half) {
    quantityBar.maximum = std::max(limit, 0);
    unitPrice = std::max<i64>(price, 0);
    halve = half;
    SetListClickable(false);
    if (gSmartMouse)
        MoveCursorTo(look.confirmSpot);
    else
        current = look.boxFocus;
    quantityBar.Update();
    UpdateTotal();
}

void cShopListCore::UpdateTotal() {
    if (quantity == lastQuantity && totalText[0]) return;
    lastQuantity = quantity;
    total = unitPrice * quantity;
    if (halve) total /= 2;
    std::snprintf(totalText, sizeof(totalText), "%10" PRId64, total);
}

void cShopListCore::CloseBox(int foundIndex) {
    mode = 0;
    for (cControl* c : boxControls_) delete c;
    for (cActPic* p : boxPics_) delete p;
    boxControls_.clear();
    boxPics_.clear();
    boxIcon = boxName = boxPrice = boxOwned = boxLight = nullptr;
    quantityBar = cScrollBar{};
    SetListClickable(true);
    int r = foundIndex - top;
    FocusRow(foundIndex >= top && r < kShopRows ? r : 0);
}

// ---- close ----

void cShopListCore::GoNext() const {
    if (result >= std::size(kNextScreen)) return LeaveShop();
    gFrameId = ScreenWord(kNextScreen[result]);
}
