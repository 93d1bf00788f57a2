// The menu pages' shared frame pieces: fonts, party slots, member panel, key table, list pane.
#include "menu/MenuFrame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/Big5.h"
#include "platform/TextCodec.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "ui/ActPic.h"
#include "ui/UiInput.h"

const char* const kItemSideNames[kSysRows] = {"　使 　用",   "　裝 　備",   "　供 　奉",
                                              "變 身 神 魔", "特 殊 物 品", "　丟　　棄"};

namespace {
constexpr u32 kWhite = 0xFFFFFF;
constexpr u32 kPale = 0xDBFFFF;
constexpr u32 kPanelShadow = 0x1E3855;
constexpr i32 kStatusIconId = 2100;

constexpr MenuSpot kSlotPlace[kMenuSlots] = {{380, 60},  {380, 132}, {380, 204},
                                             {374, 277}, {350, 347}, {298, 402}};
constexpr MenuSpot kSlotCursor[kMenuSlots] = {{418, 102}, {416, 170}, {416, 246},
                                              {412, 320}, {384, 390}, {334, 444}};
constexpr MenuSpot kSlotMarker[kMenuSlots] = {{375, 64},  {374, 136}, {375, 209},
                                              {368, 282}, {348, 352}, {293, 405}};

// Status bits in the order the panel tests them, with their icon ids' offsets.
constexpr i32 kIconBits[6] = {0x400, 0x200, 0x800, 0x1000, 0x2000, 0x4000};
const char* const kStatusCaptions[6] = {"中毒", "禁咒", "混亂", "麻痺", "盲目", "瀕死"};

// The attributes: (x, y) and the word of the derived record.
struct AttributeSpot {
    i32 x, y;
    i32 RoleStats::*word;
    int ratio;  // >= 0: an elemental ratio instead of word
};
constexpr AttributeSpot kAttributes[kAttributeCount] = {
    {0, 263, &RoleStats::attack, -1},   {90, 263, &RoleStats::defence, -1},
    {0, 285, &RoleStats::strength, -1}, {90, 285, &RoleStats::stamina, -1},
    {0, 307, &RoleStats::magic, -1},    {90, 307, &RoleStats::spirit, -1},
    {0, 329, &RoleStats::agility, -1},  {0, 363, nullptr, kFire},
    {90, 363, nullptr, kWater},         {0, 385, nullptr, kWind},
    {90, 385, nullptr, kEarth},         {0, 407, nullptr, kElectricity},
    {90, 407, nullptr, kPoison},        {0, 429, nullptr, kLight},
    {90, 429, nullptr, kDark},
};

struct HintBand {
    i32 y0, y1, x0, x1;
    const char* caption;
};
constexpr HintBand kHints[] = {
    {85, 99, 120, 149, "等級"},
    {120, 129, 40, 64, "生命力"},
    {140, 159, 40, 64, "魔法值"},
    {170, 189, 40, 64, "經驗值"},
    {200, 219, 40, 94, "下一次升級經驗值"},
    {230, 249, 40, 84, "狀態"},
    {262, 281, 30, 49, "攻擊力"},
    {262, 281, 115, 134, "防禦力"},
    {285, 304, 30, 49, "力量"},
    {285, 304, 115, 134, "耐力"},
    {308, 327, 30, 49, "魔力"},
    {308, 327, 115, 134, "精神"},
    {330, 349, 30, 49, "敏捷"},
    {360, 379, 30, 49, "受火屬性傷害比例"},
    {360, 379, 115, 134, "受水屬性傷害比例"},
    {382, 401, 30, 49, "受風屬性傷害比例"},
    {382, 401, 115, 134, "受土屬性傷害比例"},
    {405, 424, 30, 49, "受電屬性傷害比例"},
    {405, 424, 115, 134, "受毒屬性傷害比例"},
    {427, 446, 30, 49, "受光屬性傷害比例"},
    {427, 446, 115, 134, "受闇屬性傷害比例"},
};

bool ValidRole(i32 r) {
    return r >= 0 && r < kMenuRoles && r < kRoleCount;
}
}  // namespace

cControl* TextAt(i32 x, i32 y, cGrpFont* f, u32 colour, i32 style) {
    cControl* c = new cControl(x, y);
    c->SetFont(f, colour, style);
    return c;
}

void ShowHintText(cControl* line, char* buf, size_t n, const char* big5) {
    if (!line) return;
    if (!big5) {
        line->Hide();
        return;
    }
    if (big5 != buf) CopyRecordText(buf, n, big5, n);
    line->SetText(buf);
    line->Show();
}

void cMenuFonts::Make() {
    InitFont(&name);
    SetupFont(&name, 24, 26, kNoFontBk, 0);
    InitFont(&numbers);
    SetupFont(&numbers, 16, 18, kNoFontBk, kPanelShadow);
    InitFont(&content);
    SetupFont(&content, 15, 17, kNoFontBk, 0);
}

void cMenuFonts::Release() {
    name.Release();
    numbers.Release();
    content.Release();
}

SysPanelLook MenuPanelLook(i32 tabBase, int ownTab, i32 listId, const char* const* captions,
                           const char* title, i32 titleX) {
    SysPanelLook look;
    look.tabBase = tabBase;
    look.ownTab = ownTab;
    look.listId = listId;
    look.captions = captions;
    look.title = title;
    look.titleX = titleX;
    look.hintX = 60;
    look.hintY = 18;
    return look;
}

void CopyRecordText(char* out, size_t n, const char* field, size_t fieldSize) {
    if (n == 0) return;
    size_t len = Big5Cut(field, strnlen(field, fieldSize), n - 1);
    std::memcpy(out, field, len);
    out[len] = 0;
}

// ---- party slots ----

void cPartySlots::MakePictures() {
    bool swap = GetGameFlag(kLeadSwapFlag) != 0;
    for (int r = 0; r < kMenuRoles; ++r) {
        int p = (swap && r < 2) ? 1 - r : r;  // whose pictures role r shows
        pics[r][0] = new cActPic(kMenuAct, 40 + p);
        pics[r][1] = new cActPic(kMenuAct, 24 + 2 * p);
        pics[r][2] = new cActPic(kMenuAct, 25 + 2 * p);
    }
}

void cPartySlots::MakeSlots(i32 base) {
    idBase = base;
    count = 0;
    for (int k = 0; k < kPartySize && count < kMenuSlots; ++k) {
        if (!ValidRole(gParty[k])) break;
        roles[count] = gParty[k];
        cControl* c = new cControl(50, 50 + 50 * count);
        c->SetButton(idBase + count, pics[gParty[k]][1], nullptr, nullptr);
        c->Move(kSlotPlace[count].x, kSlotPlace[count].y);
        slots[count++] = c;
    }
}

void cPartySlots::Mark(i32 shownRole) {
    for (int k = 0; k < count; ++k)
        if (slots[k])
            slots[k]->SetPics(pics[roles[k]][roles[k] == shownRole ? 2 : 1], nullptr, nullptr);
}

int cPartySlots::SlotOf(i32 r) const {
    for (int k = 0; k < count; ++k)
        if (roles[k] == r) return k;
    return -1;
}

cActPic* cPartySlots::Portrait(i32 r) const {
    return ValidRole(r) ? pics[r][0] : nullptr;
}

void cPartySlots::SetClickable(bool on) {
    for (int k = 0; k < count; ++k)
        if (slots[k]) slots[k]->id = on ? idBase + k : 0;
}

MenuSpot cPartySlots::CursorSpot(int k) {
    return kSlotCursor[std::clamp(k, 0, kMenuSlots - 1)];
}

MenuSpot cPartySlots::MarkerSpot(int k) {
    return kSlotMarker[std::clamp(k, 0, kMenuSlots - 1)];
}

// ---- member panel ----

void FormatNextLevel(char* out, size_t n, i32 level) {
    if (level < 0 || level > 49) {
        std::snprintf(out, n, "  --------");
        return;
    }
    std::snprintf(out, n, "%10d", gNextLevelExp[static_cast<size_t>(level) + 1]);
}

void StatusIcons(i32 status, i32 out[2]) {
    out[0] = out[1] = 0;
    int found = 0;
    for (int k = 0; k < 6 && found < 2; ++k)
        if (status & kIconBits[k]) out[found++] = kStatusIconId + k;
}

void cMemberPanel::Make(cMenuFonts* fonts, cGrpFont* levelFont, const cPartySlots* pictures) {
    pictures_ = pictures;
    portrait = new cControl(128, 52);
    name = TextAt(30, 75, &fonts->name, kWhite, kStyleBoldOutline);
    name->SetText(nameText);
    level = TextAt(100, 85, levelFont, kWhite, kStyleBoldOutline);
    hp = TextAt(75, 115, &fonts->numbers, kPale, kStyleBoldOutline);
    hp->SetText(hpText);
    mp = TextAt(75, 145, &fonts->numbers, kPale, kStyleBoldOutline);
    mp->SetText(mpText);
    exp = TextAt(90, 175, &fonts->numbers, kPale, kStyleBoldOutline);
    next = TextAt(90, 205, &fonts->numbers, kPale, kStyleBoldOutline);
    next->SetText(nextText);
    for (int k = 0; k < 15; ++k) statusPics[k] = new cActPic(kMenuIconAct, 30 + k);
    for (int k = 0; k < 2; ++k) {
        icons[k] = new cControl(80 + 30 * k, 233);
        icons[k]->Hide();
    }
    for (int k = 0; k < kAttributeCount; ++k)
        attributes[k] =
            TextAt(kAttributes[k].x, kAttributes[k].y, &fonts->numbers, kPale, kStyleBoldOutline);
}

void cMemberPanel::Show(i32 r) {
    if (!ValidRole(r) || !name) return;
    RoleStats& s = gRoleStats[r];
    CopyRecordText(nameText, sizeof(nameText), s.name, sizeof(s.name));
    level->SetNumber(&s.level, 1);
    exp->SetNumber(&s.exp, 1);
    std::snprintf(hpText, sizeof(hpText), "%d / %d", s.hp, s.maxHp);
    std::snprintf(mpText, sizeof(mpText), "%d / %d", s.mp, s.maxMp);
    FormatNextLevel(nextText, sizeof(nextText), s.level);
    for (int k = 0; k < kAttributeCount; ++k) {
        const AttributeSpot& a = kAttributes[k];
        attributes[k]->SetNumber(a.ratio >= 0 ? &s.ratios[a.ratio] : &(s.*a.word), 1);
    }
    i32 ids[2];
    StatusIcons(s.status, ids);
    for (int k = 0; k < 2; ++k) {
        if (!ids[k]) {
            icons[k]->id = 0;
            icons[k]->Hide();
            continue;
        }
        // Icon id 2100 + j shows bit kIconBits[j], drawn by action 30 + its bit number.
        int bit = 0;
        while ((1 << bit) != kIconBits[ids[k] - kStatusIconId]) ++bit;
        icons[k]->SetButton(ids[k], statusPics[bit], nullptr, nullptr);
        icons[k]->Show();
    }
    if (pictures_) portrait->SetPics(pictures_->Portrait(r), nullptr, nullptr);
}

const char* cMemberPanel::CaptionAt(i32 x, i32 y) {
    for (const HintBand& b : kHints)
        if (y >= b.y0 && y <= b.y1 && x >= b.x0 && x <= b.x1) return b.caption;
    return nullptr;
}

const char* cMemberPanel::StatusCaption(i32 id) {
    return id >= kStatusIconId && id < kStatusIconId + 6 ? kStatusCaptions[id - kStatusIconId]
                                                         : nullptr;
}

// ---- keys ----

MenuKey ReadMenuKey() {
    const int keys[7] = {kKeyUp,     kKeyDown,   kKeyLeft,    kKeyRight,
                         kKeySwitch, kKeyPageUp, kKeyPageDown};
    const MenuKey named[7] = {MenuKey::Up,     MenuKey::Down,   MenuKey::Left,    MenuKey::Right,
                              MenuKey::Switch, MenuKey::PageUp, MenuKey::PageDown};
    MenuKey first = MenuKey::None;
    for (int k = 0; k < 7; ++k)
        if (gKeyInput.IsPressed(keys[k]) && first == MenuKey::None) first = named[k];
    return first;
}

namespace {
int TabAfter(int k, MenuKey key) {
    switch (key) {
        case MenuKey::Down:
        case MenuKey::Switch:
            return kFocusSide;
        case MenuKey::Left:
            return (k + kTabCount - 1) % kTabCount;
        case MenuKey::Right:
            return (k + 1) % kTabCount;
        default:
            return k;
    }
}

int SideAfter(int r, MenuKey key, int menuSlot) {
    switch (key) {
        case MenuKey::Up:
            return kFocusSide + (r + kSysRows - 1) % kSysRows;
        case MenuKey::Down:
            return kFocusSide + (r + 1) % kSysRows;
        case MenuKey::Left:
        case MenuKey::Switch:
            return menuSlot >= 0 ? kFocusSlot + menuSlot : kFocusSide + r;
        default:
            return kFocusSide + r;
    }
}

int SlotAfter(int k, MenuKey key, int n) {
    switch (key) {
        case MenuKey::Up:
            return kFocusSlot + (k + n - 1) % n;
        case MenuKey::Down:
            return kFocusSlot + (k + 1) % n;
        case MenuKey::Right:
            return kFocusSide;
        case MenuKey::Switch:
            return 0;
        default:
            return kFocusSlot + k;
    }
}
}  // namespace

int MenuFocusAfter(int focus, MenuKey key, int slotCount, int menuSlot) {
    if (focus >= 0 && focus < kTabCount) return TabAfter(focus, key);
    if (focus >= kFocusSide && focus < kFocusSide + kSysRows)
        return SideAfter(focus - kFocusSide, key, menuSlot);
    if (focus >= kFocusSlot && focus < kFocusSlot + slotCount)
        return SlotAfter(focus - kFocusSlot, key, slotCount);
    return -1;
}

MenuSpot MenuFocusSpot(int focus) {
    if (focus >= 0 && focus < kTabCount) return {TabPointX(focus), kTabPointY};
    if (focus >= kFocusSide && focus < kFocusSide + kSysRows)
        return {SysRowPointX(), SysRowPointY(focus - kFocusSide)};
    if (focus >= kFocusSlot && focus < kFocusSlot + kMenuSlots)
        return cPartySlots::CursorSpot(focus - kFocusSlot);
    int j = std::clamp(focus - kFocusList, 0, kListRows - 1);
    return {580, 110 + 24 * j};
}

void MoveCursorTo(MenuSpot s) {
    gMouseInput.MoveCursor(s.x, s.y);
}

// ---- list pane ----

int ItemTypeIcon(i32 item) {
    const ItemData* rec = GetItemRecord(item);
    if (!rec || rec->icon < 0 || rec->icon >= kItemTypes) return -1;
    return rec->icon;
}

void cListPane::Make(const ListPaneIds& newIds, cGrpFont* f) {
    ids = newIds;
    font = f;
    const i32 actions[8] = {2, 4, 6, 13, 12, 15, 14, 7};
    for (int k = 0; k < 8; ++k) framePics_[k] = new cActPic(kMenuAct, actions[k]);
    for (int t = 0; t < kItemTypes; ++t) typeIcons[t] = new cActPic(kMenuIconAct, t);
    area = new cControl(440, 48);
    area->SetButton(ids.area, framePics_[0], framePics_[1], nullptr);
    bar = new cControl(462, 94);
    bar->SetPics(framePics_[2], nullptr, nullptr);
    bar->Hide();
    down = new cControl(610, 332);
    down->SetButton(ids.down, framePics_[3], nullptr, framePics_[4]);
    up = new cControl(610, 80);
    up->SetButton(ids.up, framePics_[5], nullptr, framePics_[6]);
    thumb = new cControl(610, 95);
    thumb->SetButton(ids.thumb, framePics_[7], nullptr, nullptr);
}

void cListPane::UpdateMaxTop() {
    maxTop = Count() > kListRows ? Count() - kListRows : 0;
    scroll.maximum = maxTop;
}

void cListPane::Fill(std::deque<i32> entries) {
    items = std::move(entries);
    for (int r = 0; r < kListRows; ++r) DropRow(r);
    for (int r = 0; r < RowCount(); ++r) MakeRow(r);
    InitScroll();
    lastTop = -1;
    RefreshRows();
}

// The bar of every menu list: a click counts across 15 pixels from the thumb's
// home, and below the thumb down to 40 past the track's end, where the down
// arrow stands.
void cListPane::InitScroll() {
    scroll = cScrollBar{};
    scroll.Init(down, up, thumb, 15, 40, 1);
    scroll.value = &top;
    scroll.minimum = 0;
    scroll.arrowStep = 1;
    scroll.pageStep = kListRows;
    scroll.trackStart = 95;
    scroll.trackEnd = 293;
    top = 0;
    UpdateMaxTop();
}

int cListPane::RowCount() const {
    return std::min(Count(), kListRows);
}

void cListPane::MakeRow(int r) {
    i32 y = 100 + 24 * r;
    rowIcon[r] = new cControl(465, y - 3);
    rowName[r] = new cControl(490, y);
    rowName[r]->SetFont(font, 0, kStylePlain);
    rowCount[r] = new cControl(530, y);
    rowCount[r]->SetFont(font, 0, kStylePlain);
}

void cListPane::DropRow(int r) {
    delete rowIcon[r];
    delete rowName[r];
    delete rowCount[r];
    rowIcon[r] = rowName[r] = rowCount[r] = nullptr;
}

void cListPane::SetRow(int r, i32 item) {
    if (!rowIcon[r]) return;
    const ItemData* rec = GetItemRecord(item);
    int icon = ItemTypeIcon(item);
    rowIcon[r]->SetPics(icon >= 0 ? typeIcons[icon] : nullptr, nullptr, nullptr);
    CopyRecordText(rowText[r], sizeof(rowText[r]), rec ? rec->name : "",
                   rec ? sizeof(rec->name) : 1);
    rowName[r]->SetText(rowText[r]);
    if (gOwnedItems && rec) rowCount[r]->SetNumber(&gOwnedItems[item], 1);
}

void cListPane::RefreshRows() {
    if (top == lastTop) return;
    lastTop = top;
    for (int r = 0; r < kListRows; ++r)
        if (HasRow(r)) SetRow(r, ItemOfRow(r));
}

int cListPane::RowAt(i32 x, i32 y, i32 x0, i32 x1) {
    if (x < x0 || x > x1 || y < 97 || y > 120 + 24 * (kListRows - 1)) return -1;
    return (y - 97) / 24;
}

void cListPane::RemoveAt(int index) {
    if (index < 0 || index >= Count()) return;
    items.erase(items.begin() + index);
    if (top >= maxTop) {
        --top;
        if (top < 0) {
            top = 0;
            DropRow(Count());  // the row past the shortened list
        }
    }
    UpdateMaxTop();
    lastTop = -1;
}

void cListPane::ShowBar(int j) {
    if (!bar) return;
    bar->Move(462, 94 + 24 * j);
    bar->Show();
}

void cListPane::HideBar() {
    if (bar) bar->Hide();
}

void cListPane::SetEnabled(bool on) {
    if (area) area->id = on ? ids.area : 0;
    if (down) down->id = on ? ids.down : 0;
    if (up) up->id = on ? ids.up : 0;
    if (thumb) thumb->id = on ? ids.thumb : 0;
    scroll.enabled = on ? 1 : 0;
}

void cListPane::ScrollBy(i32 d) {
    top = std::clamp(top + d, 0, maxTop);
}

int cListPane::RowKeyFocus(int focus, int firstRow, int slotFocus, MenuKey key) {
    const int j = focus - firstRow;
    switch (key) {
        case MenuKey::Up:
            if (j > 0) return focus - 1;
            ScrollBy(-1);
            return firstRow;
        case MenuKey::Down:
            if (j == kListRows - 1) {
                ScrollBy(1);
                return focus;
            }
            return top + j + 1 < Count() ? focus + 1 : -1;
        case MenuKey::Left:
        case MenuKey::Switch:
            return slotFocus;
        case MenuKey::PageUp:
            ScrollBy(-kListRows);
            return focus;
        case MenuKey::PageDown:
            ScrollBy(kListRows);
            return focus;
        default:
            return focus;
    }
}

void cListPane::Delete() {
    for (int r = 0; r < kListRows; ++r) DropRow(r);
    for (cControl** c : {&area, &bar, &down, &up, &thumb}) {
        delete *c;
        *c = nullptr;
    }
    for (cActPic*& p : framePics_) {
        delete p;
        p = nullptr;
    }
    for (cActPic*& p : typeIcons) {
        delete p;
        p = nullptr;
    }
    scroll = cScrollBar{};
    items.clear();
    top = maxTop = 0;
    lastTop = -1;
}
