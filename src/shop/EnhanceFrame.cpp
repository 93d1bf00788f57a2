// The strengthening counter (screen 22).
#include "shop/EnhanceFrame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/FrameState.h"
#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "map/StoryLink.h"
#include "map/SystemServices.h"
#include "story/PartyCommands.h"
#include "ui/ActPic.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"
#include "menu/AbilityPanel.h"

namespace {
constexpr u32 kPanelColour = 0xDBFFFF, kYellow = 0x00FFFF, kCyan = 0xFFFF00, kGrey = 0x969696;
constexpr i32 kBusyAct = 9102;
constexpr i32 kPage = kEnhanceRows;

MenuSpot PieceSpot(int r) {
    return {580, 100 + 24 * r};
}
MenuSpot MonsterSpot(int r) {
    return {388, 124 + 24 * r};
}
MenuSpot ButtonSpot(i32 item) {
    return item == 301 ? MenuSpot{520, 338} : MenuSpot{430, 338};
}
// Row r of a list area under (x, y): x0..x1 and y0 + 24r..y0 + 24r + 23, both ends in.
int RowUnder(i32 x, i32 y, i32 x0, i32 x1, i32 y0) {
    if (x < x0 || x > x1 || y < y0) return -1;
    int r = (y - y0) / 24;
    return r < kEnhanceRows ? r : -1;
}
const MonsterData* Monster(i32 m) {
    return GetMonsterRecord(m);
}
// Percent or plain values with a sign: " HP+%d點 ", " HP%d點 " or "".
void Part(char* out, size_t n, const char* what, i32 v, bool percent, bool trailing) {
    out[0] = 0;
    if (v == 0) return;
    const char* unit = percent ? "%%" : B5("點");
    char format[32];
    std::snprintf(format, sizeof(format), " %s%s%%d%s%s", what, v > 0 ? "+" : "", unit,
                  trailing ? " " : "");
    std::snprintf(out, n, format, v);
}
}  // namespace

bool EnhanceSucceeds(i32 r, i32 chance) {
    return r <= chance;
}

bool RollSucceeds(i32 chance) {
    return EnhanceSucceeds(RandomBetween(0, 100), chance);
}

void DescribeSpecial(const EquipSpecial& s, char* out, size_t n) {
    out[0] = 0;
    char hp[40], mp[40];
    switch (s.kind) {
        case 1:
        case 2:
        case 3: {
            bool percent = s.kind != 1;
            Part(hp, sizeof(hp), "HP", s.hp, percent, true);
            Part(mp, sizeof(mp), "MP", s.mp, percent, false);
            const char* lead = s.kind == 3 ? B5("攻擊敵人吸取 %s%s") : B5("每回合 %s%s");
            std::snprintf(out, n, lead, hp, mp);
            return;
        }
        case 4:
            if (s.status != 0 && StatusName(s.status))
                std::snprintf(out, n, B5("攻擊後賦予 %s"), StatusName(s.status));
            return;
        case 5:
            std::snprintf(out, n, "%s", B5("反彈敵人攻擊"));
            return;
        case 6:
            if (const SkillData* sk = s.skill >= 0 ? GetSkillRecord(s.skill) : nullptr) {
                char name[33];
                CopyRecordText(name, sizeof(name), sk->name, sizeof(sk->name));
                std::snprintf(out, n, B5("攻擊後附加 %s"), name);
            }
            return;
        default:
            return;
    }
}

void EnhanceList::SetIds(i32 areaId, i32 firstArrowId, bool on) {
    if (area) area->id = on ? areaId : 0;
    if (down) down->id = on ? firstArrowId : 0;
    if (up) up->id = on ? firstArrowId + 1 : 0;
    if (thumb) thumb->id = on ? firstArrowId + 2 : 0;
    scroll.enabled = on ? 1 : 0;
}

// ---- open and close ----

void cEnhanceFrame::MakeList(EnhanceList* l, i32 x, i32 areaId, i32 firstArrowId, i32 arrowX,
                             i32 downY, i32 upY, i32 thumbY, i32 trackEnd) {
    l->area = new cControl(x, x == 246 ? 64 : 48);
    l->area->SetButton(areaId, new cActPic(kShopAct, 12), new cActPic(kShopAct, 13), nullptr);
    l->light = new cControl(x == 246 ? 266 : 451, x == 246 ? 110 : 94);
    l->light->SetPics(new cActPic(kShopAct, 16), nullptr, nullptr);
    l->light->Hide();
    l->down = new cControl(arrowX, downY);
    l->down->SetButton(firstArrowId, new cActPic(kShopAct, 18), nullptr, new cActPic(kShopAct, 19));
    l->up = new cControl(arrowX, upY);
    l->up->SetButton(firstArrowId + 1, new cActPic(kShopAct, 20), nullptr,
                     new cActPic(kShopAct, 21));
    l->thumb = new cControl(arrowX, thumbY);
    l->thumb->SetButton(firstArrowId + 2, new cActPic(kShopAct, 17), nullptr, nullptr);
    l->scroll = cScrollBar{};
    l->scroll.Init(l->down, l->up, l->thumb, 15, 40, 1);
    l->scroll.value = &l->top;
    l->scroll.minimum = 0;
    l->scroll.arrowStep = 1;
    l->scroll.pageStep = kPage;
    l->scroll.trackStart = thumbY;
    l->scroll.trackEnd = trackEnd;
    l->top = 0;
}

void cEnhanceFrame::Open() {
    stage = kChoosePiece;
    result = 0;
    current = -1;
    SetupShopFont(&caption, 15, 0x595959);
    SetupShopFont(&title, 24, 0x21405F);
    SetupShopFont(&info, 16, 0x21405F);
    SetupShopFont(&special, 15, 0x7B4A00);
    SetupShopFont(&moneyFont, 16, 0x595959);
    SetupShopFont(&listFont, 15, 0xFFFFFF);
    cControl* bg = new cControl(0, 0);
    bg->SetButton(kEnhanceBackgroundId, new cActPic(kShopAct, 11), nullptr, nullptr);
    for (int t = 0; t < kItemTypes; ++t) icons[t] = new cActPic(kMenuIconAct, t);
    tabs.Make(kTabEnhance);
    tooltip = MakeShopTooltip(&caption);
    MakeList(&monsters, 246, 0, 7101, 424, 372, 96, 112, 330);
    monsters.heading = MakeHeading(295, 75, B5("選擇怪物"));
    BuildMonsterList();
    MakeList(&pieces, 429, kPieceAreaId, 7201, 607, 356, 80, 96, 314);
    pieces.heading = MakeHeading(478, 58, B5("選擇裝備"));
    BuildPieceList();
    // The mark lies over the piece area's edge: made after it, as the stage
    // changes bring it forward, it looks the same at the start as after a return.
    markPics[0] = new cActPic(kShopAct, 14);
    markPics[1] = new cActPic(kShopAct, 15);
    mark = new cControl(421, 56);
    mark->SetPics(markPics[0], nullptr, nullptr);
    CreateAbilityPanel();
    auto infoText = [&](i32 x, i32 y, cGrpFont* f, char* text) {
        cControl* c = new cControl(x, y);
        c->SetFont(f, kShopWhite, kStyleOutline);
        c->SetText(text);
        c->Hide();
        return c;
    };
    pieceName = infoText(71, 60, &info, pieceText);
    monsterName = infoText(71, 80, &info, monsterText);
    priceLine = infoText(71, 100, &info, priceText);
    specialLine = infoText(30, 160, &special, specialText);
    money = ShopMoney();
    FormatShopTime(timeText, sizeof(timeText));
    MakeMoneyAndTime(&moneyFont, &money, timeText);
    if (gSmartMouse)
        MoveCursorTo(PieceSpot(0));
    else
        current = 200;
}

void cEnhanceFrame::BuildPieceList() {
    pieces.entries.clear();
    for (i32 p = 0; p < kOwnedEquipageCount; ++p) {
        const EquipageData& e = gOwnedEquipage[p];
        if (e.id < 0 || IsEquipageEquipped(p) || e.name[0] == 0) continue;
        pieces.entries.push_back(p);
    }
    for (int r = 0; r < kEnhanceRows && r < pieces.Count(); ++r) {
        pieces.rowA[r] = new cControl(454, 97 + 24 * r);
        pieces.rowB[r] = new cControl(479, 100 + 24 * r);
        pieces.rowB[r]->SetText(pieces.text[r]);
        FillPieceRow(r, pieces.entries[static_cast<size_t>(r)]);
    }
    pieces.maximum = std::max(pieces.Count() - kEnhanceRows, 0);
    pieces.scroll.maximum = pieces.maximum;
    pieces.lastTop = 0;
}

void cEnhanceFrame::FillPieceRow(int r, i32 piece) {
    if (!pieces.rowA[r]) return;
    const EquipageData& e = gOwnedEquipage[piece];
    pieces.rowA[r]->SetPics(e.icon >= 0 && e.icon < kItemTypes ? icons[e.icon] : nullptr, nullptr,
                            nullptr);
    CopyRecordText(pieces.text[r], sizeof(pieces.text[r]), e.name, sizeof(e.name));
    bool usable = e.enhanceLeft > 0;
    pieces.rowB[r]->SetFont(&listFont, usable ? 0 : kGrey, usable ? kStylePlain : kStyleShadow);
}

void cEnhanceFrame::BuildMonsterList() {
    for (i32 m = 0; m < gMonsterCount && gOwnedMonsters; ++m)
        if (gOwnedMonsters[m] > 0 && gMonsters[m].kind == 0 && gMonsters[m].name[0] != 0)
            monsters.entries.push_back(m);
    for (int r = 0; r < kEnhanceRows && r < monsters.Count(); ++r) {
        monsters.rowA[r] = new cControl(275, 117 + 24 * r);
        monsters.rowA[r]->SetFont(&caption, 0, kStylePlain);
        monsters.rowA[r]->SetText(monsters.text[r]);
        monsters.rowB[r] = new cControl(340, 117 + 24 * r);
        monsters.rowB[r]->SetFont(&caption, 0, kStylePlain);
        FillMonsterRow(r, monsters.entries[static_cast<size_t>(r)]);
    }
    monsters.maximum = std::max(monsters.Count() - kEnhanceRows, 0);
    monsters.scroll.maximum = monsters.maximum;
    monsters.lastTop = monsters.top;
}

void cEnhanceFrame::FillMonsterRow(int r, i32 m) {
    if (!monsters.rowA[r]) return;
    CopyRecordText(monsters.text[r], sizeof(monsters.text[r]), gMonsters[m].name,
                   sizeof(gMonsters[m].name));
    monsters.rowB[r]->SetNumber(&gOwnedMonsters[m], 1);
}

void cEnhanceFrame::ClearMonsterList() {
    for (int r = 0; r < kEnhanceRows; ++r) {
        delete monsters.rowA[r];
        delete monsters.rowB[r];
        monsters.rowA[r] = monsters.rowB[r] = nullptr;
    }
    monsters.entries.clear();
    monsters.top = 0;
}

void cEnhanceFrame::Close() {
    for (cGrpFont* f : {&caption, &title, &info, &special, &moneyFont, &listFont}) f->Release();
    DeleteAbilityPanel();
    if (busyCursor) gMouseInput.SetCursorPic(gCursorPic);
    ClearFrameObjects();
    busyCursor = nullptr;
    monsters.entries.clear();
    pieces.entries.clear();
    if (result == 0)
        gFrameId = ScreenWord(Screen::ShopBuyMenu);
    else if (result == 1)
        gFrameId = ScreenWord(Screen::ShopSellMenu);
    else
        LeaveShop();
}

// ---- the ability panel ----

void cEnhanceFrame::CreateAbilityPanel() {
    for (int n = 0; n < kAbilityLines; ++n)
        std::snprintf(gAbilityPanel.lines[n], kAbilityLineBytes, "0");
    CreateAbilitySlots(AbilityScreen::Strengthening, &caption, kPanelColour);
}

void cEnhanceFrame::HideAbilityPanel() {
    HideAbilitySlots();
}

void cEnhanceFrame::ShowAbilityPanel() {
    for (int k = 0; k < kAbilitySlots; ++k) ShowAbilitySlot(k);
}

void cEnhanceFrame::DeleteAbilityPanel() {
    DeleteAbilitySlots();
}

void cEnhanceFrame::SetLine(int line, i32 value, bool percent) {
    u32 colour = kPanelColour;
    if (value == 0) {
        std::snprintf(gAbilityPanel.lines[line], kAbilityLineBytes, "0");
    } else {
        SetAbilityLine(line, value, percent);
        colour = value > 0 ? kYellow : kCyan;
    }
    for (int k = 0; k < kAbilitySlots; ++k)
        if (AbilitySlotLine(AbilityScreen::Strengthening, k) == line && gAbilityPanel.slots[k])
            gAbilityPanel.slots[k]->SetFont(&caption, colour, kStylePlain);
}

void cEnhanceFrame::ShowEquipageBonus(i32 piece) {
    const EquipageData& e = gOwnedEquipage[piece];
    CopyRecordText(pieceText, sizeof(pieceText), e.name, sizeof(e.name));
    pieceName->Show();
    CopyRecordText(tipText, sizeof(tipText), e.description, sizeof(e.description));
    tooltip->SetText(tipText);
    tooltip->Show();
    for (int n = 0; n < kAbilityLines; ++n) SetLine(n, 0, false);
    if (e.bonusMode == 1 || e.bonusMode == 2) {
        const i32 v[9] = {e.attack,  e.defence, e.hitRate, e.evasion, e.strength,
                          e.stamina, e.magic,   e.spirit,  e.agility};
        for (int n = 0; n < 9; ++n) SetLine(n, v[n], e.bonusMode == 2);
        for (int n = 0; n < kRatioCount; ++n) SetLine(9 + n, e.ratios[n], e.bonusMode == 2);
    }
    ShowAbilityPanel();
}

void cEnhanceFrame::ShowMonsterBonus(i32 m) {
    const MonsterData* mon = Monster(m);
    if (!mon || chosenPiece < 0) return;
    for (int n = 0; n < kAbilityLines; ++n) SetLine(n, 0, false);
    const EquipKind kind = EquipKindOf(gOwnedEquipage[chosenPiece]);
    const i32* block = IsWeapon(kind)   ? mon->weaponBlock
                       : IsArmour(kind) ? mon->armourBlock
                                        : nullptr;
    if (block) {
        SetLine(0, block[5], false);
        SetLine(1, block[6], false);
        for (int n = 0; n < 5; ++n) SetLine(4 + n, block[n], false);
    }
    for (int n = 0; n < kRatioCount; ++n) SetLine(9 + n, mon->commonBlock[n], false);
    ShowAbilityPanel();
    CopyRecordText(monsterText, sizeof(monsterText), mon->name, sizeof(mon->name));
    monsterName->Show();
    std::snprintf(priceText, sizeof(priceText), B5("強化價格 = %d"), mon->price);
    priceLine->Show();
    const EquipSpecial* s = IsWeapon(kind)   ? &mon->weaponSpecial
                            : IsArmour(kind) ? &mon->armourSpecial
                                             : nullptr;
    specialText[0] = 0;
    if (s) DescribeSpecial(*s, specialText, sizeof(specialText));
    if (specialText[0]) specialLine->Show();
}

// ---- stages ----

void cEnhanceFrame::BeginEquipageChoice() {
    stage = kChoosePiece;
    mark->SetPics(markPics[0], nullptr, nullptr);
    mark->Move(421, 56);
    pieces.SetIds(kPieceAreaId, 7201, true);
    monsters.SetIds(kMonsterAreaId, 7101, false);
    monsters.light->Hide();
    tabs.SetClickable(true);
    BringSideToFront(pieces);
}

// The active list comes over the other one in the order it was made: its area,
// its heading, highlight, scroll bar and rows; the mark goes last, over the area.
void cEnhanceFrame::BringSideToFront(EnhanceList& l) {
    for (cControl* c : {l.area, l.heading, l.light, l.down, l.up, l.thumb})
        if (c) c->BringToFront();
    for (int r = 0; r < kEnhanceRows; ++r)
        for (cControl* c : {l.rowA[r], l.rowB[r]})
            if (c) c->BringToFront();
    if (mark) mark->BringToFront();
}

cControl* cEnhanceFrame::MakeHeading(i32 x, i32 y, const char* text) {
    cControl* c = new cControl(x, y);
    c->SetFont(&title, kShopWhite, kStyleBoldOutline);
    c->SetText(text);
    return c;
}

void cEnhanceFrame::BeginMonsterChoice() {
    stage = kChooseMonster;
    mark->SetPics(markPics[1], nullptr, nullptr);
    mark->Move(254, 71);
    monsters.SetIds(kMonsterAreaId, 7101, true);
    pieces.SetIds(kPieceAreaId, 7201, false);
    tabs.SetClickable(false);
    BringSideToFront(monsters);
}

void cEnhanceFrame::OpenConfirm() {
    PlayUISound(262);
    stage = kConfirming;
    monsters.SetIds(kMonsterAreaId, 7101, false);
    auto pic = [&](i32 action) {
        cActPic* p = new cActPic(kPortraitAct, action);
        dialogPics.push_back(p);
        return p;
    };
    auto text = [&](i32 x, i32 y, const char* t) {
        cControl* c = new cControl(x, y);
        c->SetFont(&title, kShopWhite, kStyleBoldOutline);
        c->SetText(t);
        return c;
    };
    box = new cControl(358, 275);
    box->SetPics(pic(3), nullptr, nullptr);
    buttons = new cControl(358, 275);
    buttons->SetButton(kConfirmAreaId, pic(1), nullptr, nullptr);
    question = text(400, 285, B5("是否強化？"));
    buttonLight = new cControl(371, 319);
    buttonLight->SetPics(pic(2), nullptr, nullptr);
    buttonLight->Hide();
    okText = text(381, 325, B5("確 定"));
    cancelText = text(466, 325, B5("取 消"));
}

void cEnhanceFrame::CloseConfirm() {
    stage = kChooseMonster;
    for (cControl** c : {&box, &buttons, &question, &buttonLight, &okText, &cancelText}) {
        delete *c;
        *c = nullptr;
    }
    for (cActPic* p : dialogPics) delete p;
    dialogPics.clear();
}

void cEnhanceFrame::StartEnhance() {
    busyCursor = new cActPic(kBusyAct, 0);
    gMouseInput.SetCursorPic(busyCursor);
    stage = kEnhancing;
    buttons->id = 0;
    cActPic* anim = new cActPic(kPortraitAct, 43);
    dialogPics.push_back(anim);
    buttons->SetPics(anim, nullptr, nullptr);
    buttons->Move(250, 190);
    box->Move(250, 190);
    buttonLight->Hide();
    question->Hide();
    cancelText->Hide();
    okText->SetText(B5("強化中..."));
    okText->Move(285, 240);
    if (gSmartMouse)
        MoveCursorTo(ButtonSpot(301));
    else
        current = 301;
    startTime = timeGetTime();
}

void cEnhanceFrame::RollEnhance() {
    stage = kShowingResult;
    const MonsterData* mon = Monster(chosenMonster);
    if (!mon || chosenPiece < 0) return;
    EquipageData& piece = gOwnedEquipage[chosenPiece];
    bool won = RollSucceeds(mon->enhanceChance);
    okText->SetText(won ? B5("強化成功！") : B5("強化失敗！"));
    if (won && IsWeapon(EquipKindOf(piece))) EnhanceWeapon(*mon, piece);
    if (won && IsArmour(EquipKindOf(piece))) EnhanceArmour(*mon, piece);
    piece.enhanceLeft -= 1;
    gOwnedMonsters[chosenMonster] -= 1;
    AddMoney(-static_cast<i64>(std::max(mon->price, 0)));
    piece.price =
        static_cast<i32>(std::clamp<i64>(i64{piece.price} + mon->price, INT32_MIN, kMoneyCap));
    startTime = timeGetTime();
}

void cEnhanceFrame::ReturnToPieces() {
    CloseConfirm();
    if (chosenMonster >= 0 && gOwnedMonsters[chosenMonster] <= 0) {
        ClearMonsterList();
        BuildMonsterList();
        monsters.scroll.enabled = 1;
        monsters.scroll.Update();
        monsters.lastTop = -1;
    }
    pieces.lastTop = -1;
    RefreshListRows();
    BeginEquipageChoice();
    if (busyCursor) {
        gMouseInput.SetCursorPic(gCursorPic);
        delete busyCursor;
        busyCursor = nullptr;
    }
    FocusPieceRow();
}

void cEnhanceFrame::FocusPieceRow() {
    auto at = std::find(pieces.entries.begin(), pieces.entries.end(), chosenPiece);
    int r = static_cast<int>(at - pieces.entries.begin()) - pieces.top;
    if (r < 0 || r >= kEnhanceRows) r = 0;
    if (gSmartMouse)
        MoveCursorTo(PieceSpot(r));
    else
        current = 200 + r;
}

void cEnhanceFrame::FocusMonsterRow() {
    auto at = std::find(monsters.entries.begin(), monsters.entries.end(), chosenMonster);
    int r = static_cast<int>(at - monsters.entries.begin()) - monsters.top;
    if (r < 0 || r >= kEnhanceRows) r = 0;
    if (gSmartMouse)
        MoveCursorTo(MonsterSpot(r));
    else
        current = 100 + r;
}

// ---- choices ----

void cEnhanceFrame::SelectEquipage(i32 piece) {
    if (gOwnedEquipage[piece].enhanceLeft <= 0) return;
    chosenPiece = piece;
    BeginMonsterChoice();
    if (gSmartMouse)
        MoveCursorTo(MonsterSpot(0));
    else
        current = 100;
}

void cEnhanceFrame::SelectMonster(i32 m) {
    const MonsterData* mon = Monster(m);
    if (!mon || gScriptVars[0] < static_cast<u32>(mon->price)) return;
    chosenMonster = m;
    OpenConfirm();
    if (gSmartMouse)
        MoveCursorTo(ButtonSpot(300));
    else
        current = 301;
}

// ---- tick ----

void cEnhanceFrame::Run() {
    if (Cancel()) return;
    money = ShopMoney();
    FormatShopTime(timeText, sizeof(timeText));
    i32 id = gMouseInput.clickedId;
    if (id != 0 && Click(id)) return;
    Idle();
}

bool cEnhanceFrame::Cancel() {
    if (!ShopCancelPressed()) return false;
    switch (stage) {
        case kChoosePiece:
            result = 3;
            gFramePhase = 2;
            break;
        case kChooseMonster:
            BeginEquipageChoice();
            FocusPieceRow();
            break;
        case kConfirming:
            CloseConfirm();
            BeginMonsterChoice();
            FocusMonsterRow();
            break;
        case kEnhancing:
            RollEnhance();
            break;
        default:
            ReturnToPieces();
            break;
    }
    return true;
}

bool cEnhanceFrame::Click(i32 id) {
    const i32 x = gMouseInput.x, y = gMouseInput.y;
    if (id == kPieceAreaId && stage == kChoosePiece) {
        gMouseInput.clickedId = 0;
        int r = RowUnder(x, y, 451, 605, 94);
        if (!pieces.Has(r)) return false;
        SelectEquipage(pieces.entries[static_cast<size_t>(pieces.top + r)]);
        return true;
    }
    if (id == kMonsterAreaId && stage == kChooseMonster) {
        gMouseInput.clickedId = 0;
        int r = RowUnder(x, y, 270, 423, 110);
        if (!monsters.Has(r)) return false;
        SelectMonster(monsters.entries[static_cast<size_t>(monsters.top + r)]);
        return true;
    }
    if (id == kConfirmAreaId && stage == kConfirming) {
        gMouseInput.clickedId = 0;
        if (y < 318 || y > 352) return false;
        if (x >= 370 && x <= 452) {
            StartEnhance();
            if (gSmartMouse) MoveCursorTo({280, 100});
            return true;
        }
        if (x < 455 || x > 537) return false;
        CloseConfirm();
        BeginMonsterChoice();
        FocusMonsterRow();
        return true;
    }
    int k = id - kShopTabId;
    if (stage != kChoosePiece || k < 0 || k >= kShopTabCount) return false;
    gMouseInput.clickedId = 0;
    if (k == kTabEnhance) return false;
    result = static_cast<u32>(k == kTabLeave ? 3 : k);
    gFramePhase = 2;
    return true;
}

void cEnhanceFrame::Idle() {
    HandleKeys();
    HideAbilityPanel();
    RefreshListRows();
    tooltip->Hide();
    const u32 now = timeGetTime();
    switch (stage) {
        case kChoosePiece:
            pieces.scroll.Update();
            pieces.light->Hide();
            for (cControl* c : {pieceName, monsterName, priceLine, specialLine}) c->Hide();
            break;
        case kChooseMonster:
            monsters.scroll.Update();
            monsters.light->Hide();
            for (cControl* c : {monsterName, priceLine, specialLine}) c->Hide();
            break;
        case kConfirming:
            buttonLight->Hide();
            break;
        case kEnhancing:
            if (now - startTime > kEnhanceRollMs) RollEnhance();
            break;
        default:
            if (now - startTime > kEnhanceResultMs) ReturnToPieces();
            break;
    }
    Hover();
}

void cEnhanceFrame::Hover() {
    const i32 id = gMouseInput.hoverId, x = gMouseInput.x, y = gMouseInput.y;
    if (id == kPieceAreaId && stage == kChoosePiece) {
        int r = RowUnder(x, y, 451, 605, 94);
        if (r == 0) current = 200;
        if (!pieces.Has(r)) return;
        current = 200 + r;
        pieces.light->Move(451, 94 + 24 * r);
        pieces.light->Show();
        ShowEquipageBonus(pieces.entries[static_cast<size_t>(pieces.top + r)]);
    } else if (id == kMonsterAreaId && stage == kChooseMonster) {
        int r = RowUnder(x, y, 270, 423, 110);
        if (!monsters.Has(r)) return;
        current = 100 + r;
        monsters.light->Move(266, 110 + 24 * r);
        monsters.light->Show();
        ShowMonsterBonus(monsters.entries[static_cast<size_t>(monsters.top + r)]);
    } else if (id == kConfirmAreaId && stage == kConfirming && y >= 318 && y <= 352) {
        bool ok = x >= 370 && x <= 452, no = x >= 455 && x <= 537;
        if (!ok && !no) return;
        current = ok ? 300 : 301;
        buttonLight->Move(ok ? 370 : 454, 319);
        buttonLight->Show();
    } else if (id >= kShopTabId && id < kShopTabId + kShopTabCount) {
        current = id - kShopTabId;
        ShowShopTip(tooltip, kShopTabNames[current]);
    } else if (id == kEnhanceBackgroundId) {
        // The same panel as the sell side's, 148 pixels further left.
        ShowShopTip(tooltip, DetailPanelCaption(x + 148, y));
    }
}

void cEnhanceFrame::RefreshListRows() {
    if (pieces.top != pieces.lastTop) {
        pieces.lastTop = pieces.top;
        for (int r = 0; r < kEnhanceRows && pieces.Has(r); ++r)
            FillPieceRow(r, pieces.entries[static_cast<size_t>(pieces.top + r)]);
    }
    if (monsters.top != monsters.lastTop) {
        monsters.lastTop = monsters.top;
        for (int r = 0; r < kEnhanceRows && monsters.Has(r); ++r)
            FillMonsterRow(r, monsters.entries[static_cast<size_t>(monsters.top + r)]);
    }
}

void cEnhanceFrame::ListKey(EnhanceList* l, int r, MenuKey key, bool piecesSide) {
    auto spot = [&](int row) { return piecesSide ? PieceSpot(row) : MonsterSpot(row); };
    switch (key) {
        case MenuKey::Up:
            if (r == 0) l->top = std::max(l->top - 1, 0);
            MoveCursorTo(spot(std::max(r - 1, 0)));
            return;
        case MenuKey::Down:
            if (r == kEnhanceRows - 1) {
                l->top = std::min(l->top + 1, l->maximum);
                MoveCursorTo(spot(r));
            } else if (l->Has(r + 1)) {
                MoveCursorTo(spot(r + 1));
            }
            return;
        case MenuKey::Switch:
            MoveCursorTo(piecesSide ? ShopTabBar::Cursor(kTabBuy) : spot(r));
            return;
        case MenuKey::PageUp:
            l->top = std::max(l->top - kPage, 0);
            break;
        case MenuKey::PageDown:
            l->top = std::min(l->top + kPage, l->maximum);
            break;
        default:
            break;
    }
    MoveCursorTo(spot(r));
}

void cEnhanceFrame::HandleKeys() {
    MenuKey key = ReadMenuKey();
    if (key == MenuKey::None || current < 0) return;
    if (current < kShopTabCount) {
        bool toList = false;
        MenuSpot to = ShopTabKey(current, key, &toList);
        MoveCursorTo(toList ? PieceSpot(0) : to);
    } else if (current >= 200 && current < 200 + kEnhanceRows) {
        ListKey(&pieces, current - 200, key, true);
    } else if (current >= 100 && current < 100 + kEnhanceRows) {
        ListKey(&monsters, current - 100, key, false);
    } else if (current == 300 || current == 301) {
        bool swap = key != MenuKey::PageUp && key != MenuKey::PageDown;
        MoveCursorTo(ButtonSpot(swap ? 601 - current : current));
    }
}
