// cOfferFrame: the offering page, its two lists, the question and the animation.
#include "menu/OfferFrame.h"

#include <algorithm>
#include <cstdio>

#include "platform/TextCodec.h"
#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "map/StoryLink.h"
#include "ui/ActPic.h"
#include "ui/ScreenState.h"
#include "ui/SysPanel.h"
#include "ui/UiInput.h"
#include "menu/AbilityPanel.h"

namespace {
constexpr i32 kPageAct = 9902;
constexpr i32 kBoxAct = 9904;
constexpr u32 kWhite = 0xFFFFFF;
constexpr u32 kPale = 0xDBFFFF;
constexpr u32 kYellow = 0x00FFFF;
constexpr i32 kMonsterArrowIds[3] = {2031, 2032, 2033};
constexpr i32 kFormArrowIds[3] = {2300, 2301, 2302};
constexpr int kFocusTab = 100, kFocusRow = 150, kFocusForm = 200, kFocusYes = 400, kFocusNo = 401;

// The twelve form values: attack, defence, hit rate, evasion, the eight ratios.
constexpr i32 kValueY[6] = {235, 257, 279, 301, 323, 345};

struct Caption {
    i32 y0, y1, x0, x1;
    const char* text;
};
constexpr Caption kCaptions[] = {
    {231, 249, 19, 38, "攻擊力"},           {231, 249, 115, 134, "防禦力"},
    {253, 271, 19, 38, "命中率"},           {253, 271, 115, 134, "迴避率"},
    {275, 293, 19, 38, "受火屬性傷害比例"}, {275, 293, 115, 134, "受水屬性傷害比例"},
    {297, 315, 19, 38, "受風屬性傷害比例"}, {297, 315, 115, 134, "受土屬性傷害比例"},
    {319, 337, 19, 38, "受電屬性傷害比例"}, {319, 337, 115, 134, "受毒屬性傷害比例"},
    {341, 359, 19, 38, "受光屬性傷害比例"}, {341, 359, 115, 134, "受闇屬性傷害比例"},
    {50, 77, 272, 387, "供奉值"},
};

MenuSpot SlotSpot(int s) {
    return {196 + 198 * (s % 2), 400 + 24 * (s / 2)};
}

MenuSpot FocusSpot(int f) {
    if (f >= kFocusTab && f < kFocusTab + kTabCount) return {TabPointX(f - kFocusTab), kTabPointY};
    if (f >= kFocusForm && f < kFocusForm + kFormSlots) return SlotSpot(f - kFocusForm);
    return {580, 110 + 24 * std::clamp(f - kFocusRow, 0, kListRows - 1)};
}

cControl* Arrow(i32 x, i32 y, i32 id, i32 act, i32 normal, i32 pressed) {
    cControl* c = new cControl(x, y);
    cActPic* n = new cActPic(act, normal);
    c->SetButton(id, n, n, pressed >= 0 ? new cActPic(act, pressed) : nullptr);
    return c;
}

void SetupScroll(cScrollBar& bar, cControl* const arrows[3], i32 breadth, i32 width, i32* value,
                 i32 page, i32 start, i32 end) {
    bar = cScrollBar{};
    bar.Init(arrows[0], arrows[1], arrows[2], breadth, width, 1);
    bar.value = value;
    bar.minimum = 0;
    bar.arrowStep = 1;
    bar.pageStep = page;
    bar.trackStart = start;
    bar.trackEnd = end;
}

i32 RowOfY(i32 y) {
    if (y < 97 || y >= 97 + 24 * kListRows) return -1;
    return (y - 97) / 24;
}

// The form slot (0..5) under the mouse on the form panel, or -1.
int SlotAt(i32 x, i32 y) {
    int column = x >= 20 && x <= 213 ? 0 : (x >= 218 && x <= 411 ? 1 : -1);
    if (column < 0 || y < 386 || y >= 386 + 24 * 3) return -1;
    return 2 * ((y - 386) / 24) + column;
}

i32 Owned(u32 m) {
    return gOwnedMonsters && m < static_cast<u32>(gMonsterCount) ? gOwnedMonsters[m] : 0;
}
}  // namespace

std::deque<u32> OfferableMonsters() {
    std::deque<u32> out;
    for (i32 i = 0; i < gMonsterCount; ++i)
        if (Owned(static_cast<u32>(i)) > 0 && gMonsters[i].kind == 0 && gMonsters[i].name[0] != 0)
            out.push_back(static_cast<u32>(i));
    return out;
}

// ---- open and close ----

void cOfferFrame::Open() {
    next = 0;
    mode = 0;
    chosenForm = previewed = chosenMonster = -1;
    focus = -1;
    if (gSmartMouse)
        gMouseInput.MoveCursor(196, 400);
    else
        focus = kFocusForm;
    const struct {
        cGrpFont* f;
        i32 size;
        u32 shadow;
    } fonts[4] = {{&f0, 15, 0x595959}, {&f1, 20, 0x1E3855}, {&f2, 20, 0x595959}, {&f3, 16, 0}};
    for (const auto& f : fonts) {
        InitFont(f.f);
        SetupFont(f.f, f.size, f.size + 2, kNoFontBk, f.shadow);
    }
    cControl* bg = new cControl(0, 0);
    bg->SetButton(kOfferBackgroundId, new cActPic(kPageAct, 0), nullptr, nullptr);
    for (int k = 0; k < kTabCount; ++k) {
        tabs[k] = new cControl(450 + 45 * k, 0);
        tabs[k]->SetButton(kOfferTabId + k, new cActPic(kMenuAct, k == 0 ? 17 : 16 + 2 * k),
                           nullptr, nullptr);
    }
    hintLine = TextAt(60, 16, &f0, kWhite, kStyleOutline);
    hintLine->Hide();
    for (int n = 0; n < kGodFormCount; ++n) {
        largePics[n] = new cActPic(kPageAct, 8 + n);
        smallPics[n] = new cActPic(kPageAct, 28 + n);
    }
    offerValue = TextAt(318, 56, &f3, kYellow, kStylePlain);
    offerValue->SetText(offerText);
    formPic = new cControl(12, 52);
    monsterPic = new cControl(320, 270);
    (new cControl(220, 40))->SetPics(new cActPic(kPageAct, 49), nullptr, nullptr);
    formName = TextAt(45, 197, &f2, kWhite, kStyleBoldOutline);
    formName->SetText(formText);
    for (int k = 0; k < 12; ++k)
        values[k] = TextAt(k % 2 ? 90 : -6, kValueY[k / 2], &f3, kPale, kStylePlain);

    monsterPanel = new cControl(440, 48);
    monsterPanel->SetButton(kOfferMonsterPanelId, new cActPic(kMenuAct, 2),
                            new cActPic(kMenuAct, 4), nullptr);
    monsterArrows[0] = Arrow(610, 332, kMonsterArrowIds[0], kMenuAct, 13, 12);
    monsterArrows[1] = Arrow(610, 80, kMonsterArrowIds[1], kMenuAct, 15, 14);
    monsterArrows[2] = Arrow(610, 95, kMonsterArrowIds[2], kMenuAct, 7, -1);
    monsterBar = new cControl(462, 94);
    monsterBar->SetPics(new cActPic(kMenuAct, 6), nullptr, nullptr);
    monsterBar->Hide();
    TextAt(480, 58, &f1, kWhite, kStyleBoldOutline)->SetText(B5("　供 　奉"));
    SetupScroll(monsterScroll, monsterArrows, 15, 40, &monsterTop, kListRows, 95, 293);
    monsterTop = monsterLast = 0;
    BuildMonsterList();
    monsterScroll.Update();

    formPanel = new cControl(9, 375);
    formPanel->SetButton(kOfferFormPanelId, new cActPic(kPageAct, 1), new cActPic(kPageAct, 2),
                         nullptr);
    formBar = new cControl(20, 386);
    formBar->SetPics(new cActPic(kPageAct, 48), nullptr, nullptr);
    formBar->Hide();
    for (u32 n = 0; n < kGodFormCount; ++n)
        if (GetGameFlag(kFormFlagBase + static_cast<i32>(n))) forms.push_back(n);
    formArrows[0] = Arrow(415, 445, kFormArrowIds[0], kPageAct, 6, 7);
    formArrows[1] = Arrow(415, 381, kFormArrowIds[1], kPageAct, 4, 5);
    formArrows[2] = Arrow(415, 395, kFormArrowIds[2], kPageAct, 3, -1);
    SetupScroll(formScroll, formArrows, 10, 27, &formTop, 3, 395, 419);
    formTop = formLast = 0;
    i32 rows = (static_cast<i32>(forms.size()) + 1) / 2;
    formMax = rows > 3 ? rows - 3 : 0;
    formScroll.maximum = formMax;
    formScroll.Update();
    for (int s = 0; s < kFormSlots; ++s) {
        slotPic[s] = new cControl(20 + 198 * (s % 2), 386 + 24 * (s / 2));
        slotName[s] = TextAt(114 + 198 * (s % 2), 392 + 24 * (s / 2), &f0, 0, kStylePlain);
        if (static_cast<size_t>(s) < forms.size()) {
            u32 f = forms[static_cast<size_t>(s)];
            slotPic[s]->SetPics(smallPics[f], nullptr, nullptr);
            slotName[s]->SetText(gGodForms[f].name);
        } else {
            slotPic[s]->Hide();
            slotName[s]->Hide();
        }
    }
    TextAt(510, 390, &f3, kWhite, kStyleBoldOutline)
        ->SetNumber(reinterpret_cast<const i32*>(&gScriptVars[0]), 1);
    FormatPlayTime(timeText, sizeof(timeText), gGameTime);
    TextAt(540, 440, &f3, kWhite, kStyleBoldOutline)->SetText(timeText);
    CreateAbilityPanel();
}

void cOfferFrame::Close() {
    for (cGrpFont* f : {&f0, &f1, &f2, &f3}) f->Release();
    DeleteAbilityPanel();
    FreeMonsterList();
    // The previewed picture and the rest go with the screen's other objects.
    previewPic = nullptr;
    ClearFrameObjects();
    forms.clear();
    if (next >= 1 && next <= 4) gFrameId = ScreenWord(kFunctionKeyScreens[next - 1]);
}

// ---- run ----

void cOfferFrame::Run() {
    if (mode & kOfferPlaying) return RunOffering();
    if (mode & kOfferAsking) return RunQuestion();
    FormatPlayTime(timeText, sizeof(timeText), gGameTime);
    i32 id = gMouseInput.clickedId;
    if (id >= kOfferTabId && id < kOfferTabId + kTabCount) {
        gMouseInput.clickedId = 0;
        LeaveScreen(&next, id - kOfferTabId + 1, 261);
        return;
    }
    if (ClickLists(id)) return;
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) return BackOut();
    RunIdle();
}

bool cOfferFrame::ClickLists(i32 id) {
    if (id == kOfferMonsterPanelId) {
        gMouseInput.clickedId = 0;
        i32 x = gMouseInput.x;
        int k = RowOfY(gMouseInput.y);
        if (x < 460 || x > 609 || k < 0) return false;
        if (monsterTop + k >= static_cast<i32>(monsters.size())) return false;
        SelectMonster(monsterTop + k);
        return true;
    }
    if (id == kOfferFormPanelId) {
        gMouseInput.clickedId = 0;
        int s = SlotAt(gMouseInput.x, gMouseInput.y);
        i32 pos = 2 * formTop + s;
        if (s < 0 || pos >= static_cast<i32>(forms.size())) return false;
        SelectForm(pos);
        return true;
    }
    return false;
}

void cOfferFrame::BackOut() {
    gMouseInput.rightClick = 0;
    PlayUISound(263);
    if (mode == 0) {
        next = 1;
        gFramePhase = 2;
        return;
    }
    UnlockLists();
    i32 slot = chosenForm - 2 * formTop;
    i32 row = previewed - monsterTop;
    if (chosenForm >= 0 && slot >= 0) {
        if (gSmartMouse)
            gMouseInput.MoveCursor(SlotSpot(std::min(slot, kFormSlots - 1)).x,
                                   SlotSpot(std::min(slot, kFormSlots - 1)).y);
        else
            focus = kFocusForm;
    } else if (chosenForm < 0 && previewed >= 0 && row >= 0) {
        if (gSmartMouse)
            gMouseInput.MoveCursor(580, 110 + 24 * std::min(row, kListRows - 1));
        else
            focus = kFocusRow;
    }
    chosenForm = previewed = chosenMonster = -1;
}

void cOfferFrame::RunIdle() {
    HandleKeys();
    if (gFramePhase == 2) return;
    monsterScroll.Update();
    formScroll.Update();
    formBar->Hide();
    monsterBar->Hide();
    if (chosenMonster < 0) {
        HideAbilityPanel();
        monsterPic->Hide();
    } else if (chosenMonster - monsterTop >= 0 && chosenMonster - monsterTop < kListRows) {
        monsterBar->Move(462, 94 + 24 * (chosenMonster - monsterTop));
        monsterBar->Show();
    }
    i32 slot = chosenForm - 2 * formTop;
    if (chosenForm >= 0 && slot >= 0 && slot < kFormSlots) {
        formBar->Move(20 + 198 * (slot % 2), 386 + 24 * (slot / 2));
        formBar->Show();
    } else if (chosenForm < 0) {
        HideFormInfo();
    }
    hintLine->Hide();
    RefreshFormSlots();
    RefreshMonsterRows();
    i32 id = gMouseInput.hoverId;
    const char* caption = nullptr;
    if (id >= kOfferTabId && id < kOfferTabId + kTabCount) {
        focus = kFocusTab + id - kOfferTabId;
        caption = B5(kTabNames[id - kOfferTabId]);
    } else if (id == kOfferBackgroundId) {
        caption = CaptionAt(gMouseInput.x, gMouseInput.y);
    } else if (id == kOfferMonsterPanelId) {
        HoverMonsters();
    } else if (id == kOfferFormPanelId) {
        HoverForms();
    }
    if (caption) ShowHint(caption);
}

const char* cOfferFrame::CaptionAt(i32 x, i32 y) const {
    for (const Caption& c : kCaptions)
        if (y >= c.y0 && y <= c.y1 && x >= c.x0 && x <= c.x1) return B5(c.text);
    return nullptr;
}

void cOfferFrame::HoverMonsters() {
    i32 x = gMouseInput.x;
    int k = RowOfY(gMouseInput.y);
    if (x < 460 || x > 609 || k < 0) return;
    if (k == 0) focus = kFocusRow;
    i32 pos = monsterTop + k;
    if (chosenMonster >= 0 || pos >= static_cast<i32>(monsters.size())) return;
    focus = kFocusRow + k;
    ShowMonster(pos);
    monsterBar->Move(462, 94 + 24 * k);
    ShowOfferBonus(pos);
    monsterBar->Show();
}

void cOfferFrame::HoverForms() {
    int s = SlotAt(gMouseInput.x, gMouseInput.y);
    if (s < 0) return;
    if (s == 0) focus = kFocusForm;
    i32 pos = 2 * formTop + s;
    if (chosenForm >= 0 || pos >= static_cast<i32>(forms.size())) return;
    focus = kFocusForm + s;
    formBar->Move(20 + 198 * (s % 2), 386 + 24 * (s / 2));
    formBar->Show();
    ShowForm(pos);
}

void cOfferFrame::ShowHint(const char* big5) {
    ShowHintText(hintLine, hint, sizeof(hint), big5);
}

// ---- showing ----

void cOfferFrame::ShowForm(i32 pos) {
    if (pos < 0 || pos >= static_cast<i32>(forms.size())) return;
    u32 f = forms[static_cast<size_t>(pos)];
    MonsterData& r = gGodForms[f];
    CopyRecordText(formText, sizeof(formText), r.name, sizeof(r.name));
    formPic->SetPics(largePics[f], nullptr, nullptr);
    i32* words[12] = {&r.attack,    &r.defence,   &r.hitRate,   &r.evasion,
                      &r.ratios[0], &r.ratios[1], &r.ratios[2], &r.ratios[3],
                      &r.ratios[4], &r.ratios[5], &r.ratios[6], &r.ratios[7]};
    for (int k = 0; k < 12; ++k) {
        values[k]->SetNumber(words[k], 1);
        values[k]->Show();
    }
    std::snprintf(offerText, sizeof(offerText), "%3d", r.offerValue);
    CopyRecordText(hint, sizeof(hint), r.description, sizeof(r.description));
    ShowHint(hint);
    formName->Show();
    formPic->Show();
    offerValue->Show();
}

void cOfferFrame::HideFormInfo() {
    formName->Hide();
    formPic->Hide();
    offerValue->Hide();
    for (cControl* v : values) v->Hide();
}

cActPic* cOfferFrame::MakeMonsterPicture(u32 m) {
    const MonsterData* rec = GetMonsterRecord(static_cast<i32>(m));
    if (!rec || rec->act == 0) return new cActPic(3201, 13);
    MonsterOffset o = GetMonsterOffset(static_cast<i32>(m));
    monsterPic->Move(320 - o.dx, 270 - o.dy);
    return new cActPic(rec->act, 13);
}

void cOfferFrame::ShowMonster(i32 pos) {
    monsterBar->Show();
    if (pos < 0 || pos >= static_cast<i32>(monsters.size())) return;
    if (!previewPic || pos != previewed) {
        previewed = pos;
        Drop(previewPic);
        previewPic = MakeMonsterPicture(monsters[static_cast<size_t>(pos)]);
    }
    monsterPic->SetPics(previewPic, nullptr, nullptr);
    monsterPic->Show();
}

void cOfferFrame::ShowOfferBonus(i32 pos) {
    if (forms.empty() || pos < 0 || pos >= static_cast<i32>(monsters.size())) return;
    const MonsterData& m = gMonsters[monsters[static_cast<size_t>(pos)]];
    CopyRecordText(hint, sizeof(hint), m.description, sizeof(m.description));
    ShowHint(hint);
    for (int i = 0; i < 10; ++i) {
        int slot = i < 2 ? 4 + i : 9 + i;
        cControl* c = gAbilityPanel.slots[slot];
        if (!c) continue;
        if (m.offerBonus[i] == 0) {
            c->Hide();
            continue;
        }
        SetAbilityLine(i, m.offerBonus[i], false);
        c->Show();
    }
}

// ---- the lists ----

void cOfferFrame::BuildMonsterList() {
    monsters = OfferableMonsters();
    for (size_t i = 0; i < monsters.size() && rowNames.size() < kListRows; ++i) {
        i32 y = 100 + 24 * static_cast<i32>(rowNames.size());
        size_t r = rowNames.size();
        u32 m = monsters[i];
        CopyRecordText(rowText[r], sizeof(rowText[r]), gMonsters[m].name,
                       sizeof(gMonsters[m].name));
        rowNames.push_back(TextAt(465, y, &f3, 0, kStylePlain));
        rowNames.back()->SetText(rowText[r]);
        rowCounts.push_back(TextAt(530, y, &f3, 0, kStylePlain));
        rowCounts.back()->SetNumber(&gOwnedMonsters[m], 1);
    }
    i32 n = static_cast<i32>(monsters.size());
    monsterMax = n > kListRows ? n - kListRows : 0;
    monsterScroll.maximum = monsterMax;
}

void cOfferFrame::FreeMonsterList() {
    monsters.clear();
    for (cControl* c : rowNames) delete c;
    for (cControl* c : rowCounts) delete c;
    rowNames.clear();
    rowCounts.clear();
}

void cOfferFrame::RefreshMonsterRows() {
    if (monsterTop == monsterLast) return;
    monsterLast = monsterTop;
    for (size_t k = 0; k < rowNames.size(); ++k) {
        size_t pos = static_cast<size_t>(monsterTop) + k;
        if (pos >= monsters.size()) break;
        u32 m = monsters[pos];
        CopyRecordText(rowText[k], sizeof(rowText[k]), gMonsters[m].name,
                       sizeof(gMonsters[m].name));
        rowCounts[k]->SetNumber(&gOwnedMonsters[m], 1);
    }
}

void cOfferFrame::RefreshFormSlots() {
    if (formTop == formLast) return;
    formLast = formTop;
    for (int s = 0; s < kFormSlots; ++s) {
        size_t pos = static_cast<size_t>(2 * formTop + s);
        if (pos >= forms.size()) {
            slotPic[s]->Hide();
            slotName[s]->Hide();
            continue;
        }
        u32 f = forms[pos];
        slotPic[s]->SetPics(smallPics[f], nullptr, nullptr);
        slotName[s]->SetText(gGodForms[f].name);
        slotPic[s]->Show();
        slotName[s]->Show();
    }
}

// ---- choosing and the question ----

void cOfferFrame::SelectMonster(i32 pos) {
    PlayUISound(261);
    if (pos >= 0 && pos < static_cast<i32>(monsters.size())) {
        mode |= kOfferMonster;
        ShowMonster(pos);
        chosenMonster = pos;
    }
    if ((mode & kOfferForm) && chosenMonster >= 0) return LockLists(chosenMonster);
    if (gSmartMouse)
        gMouseInput.MoveCursor(196, 400);
    else
        focus = kFocusForm;
}

void cOfferFrame::SelectForm(i32 pos) {
    PlayUISound(261);
    if (pos >= 0 && pos < static_cast<i32>(forms.size())) {
        mode |= kOfferForm;
        chosenForm = pos;
        ShowForm(pos);
    }
    if ((mode & kOfferMonster) && previewed >= 0) return LockLists(previewed);
    if (gSmartMouse)
        gMouseInput.MoveCursor(580, 110);
    else
        focus = kFocusRow;
}

void cOfferFrame::SetLocked(bool locked) {
    monsterScroll.enabled = formScroll.enabled = locked ? 0 : 1;
    monsterPanel->id = locked ? 0 : kOfferMonsterPanelId;
    formPanel->id = locked ? 0 : kOfferFormPanelId;
    for (int k = 0; k < 3; ++k) {
        monsterArrows[k]->id = locked ? 0 : kMonsterArrowIds[k];
        formArrows[k]->id = locked ? 0 : kFormArrowIds[k];
    }
}

void cOfferFrame::LockLists(i32 monsterPos) {
    SetLocked(true);
    if (chosenForm < 0) return;
    chosenMonster = monsterPos;
    AskOffer();
}

void cOfferFrame::AskOffer() {
    mode |= kOfferAsking;
    monsterPanel->id = formPanel->id = 0;
    for (int k = 0; k < 3; ++k)
        boxPics[k] = new cActPic(kBoxAct, 3 - k);  // 3 box, 2 highlight, 1 hit area
    boxControls[0] = new cControl(358, 275);
    boxControls[0]->SetPics(boxPics[0], nullptr, nullptr);
    boxControls[1] = new cControl(358, 275);
    boxControls[1]->SetButton(kOfferQuestionId, boxPics[2], nullptr, nullptr);
    question = TextAt(400, 285, &f1, kWhite, kStyleBoldOutline);
    question->SetText(B5("是否供奉？"));
    boxControls[2] = new cControl(370, 319);
    boxControls[2]->SetPics(boxPics[1], nullptr, nullptr);
    boxControls[2]->Hide();
    boxControls[3] = TextAt(386, 327, &f1, kWhite, kStyleBoldOutline);
    boxControls[3]->SetText(B5("確 定"));
    boxControls[4] = TextAt(472, 327, &f1, kWhite, kStyleBoldOutline);
    boxControls[4]->SetText(B5("取 消"));
    if (gSmartMouse)
        gMouseInput.MoveCursor(440, 338);
    else
        focus = kFocusNo;
}

void cOfferFrame::UnlockLists() {
    mode = 0;
    SetLocked(false);
}

void cOfferFrame::CloseQuestion() {
    for (cControl*& c : boxControls) Drop(c);
    Drop(question);
    for (cActPic*& p : boxPics) Drop(p);
    UnlockLists();
}

void cOfferFrame::CancelQuestion() {
    PlayUISound(263);
    i32 s = chosenForm - 2 * formTop;
    if (!gSmartMouse)
        focus = kFocusForm;
    else if (s >= 0 && s < kFormSlots)
        gMouseInput.MoveCursor(SlotSpot(s).x, SlotSpot(s).y);
    CloseQuestion();
    chosenForm = previewed = chosenMonster = -1;
}

void cOfferFrame::RunQuestion() {
    boxControls[2]->Hide();
    i32 x = gMouseInput.x, y = gMouseInput.y;
    bool band = y >= 318 && y < 353;
    bool yes = band && x >= 370 && x < 453, no = band && x >= 455 && x < 538;
    if (gMouseInput.hoverId == kOfferQuestionId && (yes || no)) {
        focus = yes ? kFocusYes : kFocusNo;
        boxControls[2]->Move(yes ? 370 : 454, 319);
        boxControls[2]->Show();
    }
    if (gMouseInput.clickedId == kOfferQuestionId) {
        gMouseInput.clickedId = 0;
        if (yes) {
            PlayUISound(265);
            CloseQuestion();
            return StartOffering();
        }
        if (no) return CancelQuestion();
    }
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        return CancelQuestion();
    }
    MenuKey key = ReadMenuKey();
    if (key == MenuKey::None || key == MenuKey::PageUp || key == MenuKey::PageDown) return;
    gMouseInput.MoveCursor(focus == kFocusYes ? 522 : 400, 338);
}

// ---- the offering ----

void cOfferFrame::StartOffering() {
    mode |= kOfferPlaying;
    busyCursor = new cActPic(9102, 0);
    gMouseInput.SetCursorPic(busyCursor);
    Drop(previewPic);
    monsterPic->Show();
    effects[0] = new cActPic(8079, 0);
    effects[1] = new cActPic(8080, 0);
    effectMissing = effects[0]->frame == nullptr;
    for (int k = 0; k < 2; ++k) {
        effectControls[k] = new cControl(0, 0);
        effectControls[k]->SetPics(effects[k], nullptr, nullptr);
        effectControls[k]->Hide();
    }
    offeredPic = MakeMonsterPicture(monsters[static_cast<size_t>(chosenMonster)]);
    monsterPic->SetPics(offeredPic, nullptr, nullptr);
    blend = 3;
    blend2 = 0;
    effectTicks = 0;
    if (int sound = effects[0]->GetSound()) PlayUISound(sound);
}

void cOfferFrame::RunOffering() {
    if (!(mode & kOfferSecondPhase)) {
        if (blend < 12) {
            offeredPic->SetBlend(static_cast<u32>(blend), static_cast<u32>(blend2));
            ++blend;
            return;
        }
        for (cControl* c : effectControls) c->Show();
        mode |= kOfferSecondPhase;
        return;
    }
    if (effects[1]->GetStep() >= 11) monsterPic->Hide();
    if (effectMissing || effects[0]->IsDone() || ++effectTicks >= kOfferTickLimit) FinishOffering();
}

void cOfferFrame::FinishOffering() {
    mode = 0;
    u32 form = forms[static_cast<size_t>(chosenForm)];
    u32 m = monsters[static_cast<size_t>(chosenMonster)];
    OfferMonster(gGodForms[form], gMonsters[m]);
    i32 row = previewed - monsterTop;
    if (Owned(m) <= 0) row = std::max(row - 1, 0);
    row = std::clamp(row, 0, kListRows - 1);
    if (gSmartMouse)
        gMouseInput.MoveCursor(580, 110 + 24 * row);
    else
        focus = kFocusRow + row;
    Drop(offeredPic);
    for (cActPic*& p : effects) Drop(p);
    for (cControl*& c : effectControls) Drop(c);
    Drop(previewPic);
    Drop(busyCursor);
    monsterPic->SetPics(nullptr, nullptr, nullptr);
    monsterPic->Hide();
    ShowForm(chosenForm);
    if (Owned(m) < 1) {
        FreeMonsterList();
        BuildMonsterList();
        monsterTop = std::min(monsterTop, monsterMax);
        monsterLast = -1;
        RefreshMonsterRows();
    }
    previewed = chosenMonster = -1;
    gMouseInput.Reset();
    gMouseInput.SetCursorPic(gCursorPic);
    mode = kOfferForm;
}

// ---- keys ----

void cOfferFrame::FocusTo(int f) {
    focus = f;
    MenuSpot s = FocusSpot(f);
    gMouseInput.MoveCursor(s.x, s.y);
}

void cOfferFrame::HandleKeys() {
    MenuKey key = ReadMenuKey();
    if (key != MenuKey::None) {
        if (focus >= kFocusTab && focus <= kFocusForm + 5) MoveByKey(key);
        return;
    }
    FunctionKeyExit exits[4] = {{1, 263, true}, {2, 261, true}, {3, 261, true}, {4, 261, true}};
    LeaveByFunctionKey(&next, exits);
}

void cOfferFrame::MoveByKey(MenuKey key) {
    i32 nMonsters = static_cast<i32>(monsters.size()), nForms = static_cast<i32>(forms.size());
    if (focus < kFocusTab + kTabCount) {
        int k = focus - kFocusTab;
        switch (key) {
            case MenuKey::Down:
            case MenuKey::Switch:
                return FocusTo(kFocusRow);
            case MenuKey::Left:
                return FocusTo(kFocusTab + (k + 3) % 4);
            case MenuKey::Right:
                return FocusTo(kFocusTab + (k + 1) % 4);
            default:
                return FocusTo(focus);
        }
    }
    if (focus >= kFocusRow && focus < kFocusRow + kListRows) {
        int k = focus - kFocusRow;
        switch (key) {
            case MenuKey::Up:
                if (k > 0) return FocusTo(focus - 1);
                monsterTop = std::max(monsterTop - 1, 0);
                return FocusTo(focus);
            case MenuKey::Down:
                if (k == kListRows - 1) {
                    monsterTop = std::min(monsterTop + 1, monsterMax);
                    return FocusTo(focus);
                }
                if (monsterTop + k + 1 < nMonsters) FocusTo(focus + 1);
                return;
            case MenuKey::Left:
            case MenuKey::Switch:
                return FocusTo(kFocusForm);
            case MenuKey::PageUp:
                monsterTop = std::max(monsterTop - kListRows, 0);
                return;
            case MenuKey::PageDown:
                monsterTop = std::min(monsterTop + kListRows, monsterMax);
                return;
            default:
                return FocusTo(focus);
        }
    }
    if (focus < kFocusForm || focus >= kFocusForm + kFormSlots) return;
    int s = focus - kFocusForm;
    switch (key) {
        case MenuKey::Up:
            if (s >= 2) return FocusTo(focus - 2);
            formTop = std::max(formTop - 1, 0);
            return FocusTo(focus);
        case MenuKey::Down:
            if (s >= 4) {
                formTop = std::min(formTop + 1, formMax);
                return FocusTo(focus);
            }
            if (2 * formTop + s + 2 < nForms) FocusTo(focus + 2);
            return;
        case MenuKey::Left:
            return FocusTo(focus - s % 2);
        case MenuKey::Right:
            if (s % 2) return FocusTo(kFocusRow);
            if (2 * formTop + s + 1 < nForms) FocusTo(focus + 1);
            return;
        case MenuKey::Switch:
            return FocusTo(kFocusTab);
        case MenuKey::PageUp:
            formTop = std::max(formTop - 3, 0);
            return;
        case MenuKey::PageDown:
            formTop = std::min(formTop + 3, formMax);
            return;
        default:
            return;
    }
}

// ---- the ability panel: the ten bonus lines ----

void cOfferFrame::CreateAbilityPanel() {
    if (!forms.empty()) CreateAbilitySlots(AbilityScreen::Offering, &f3, kYellow);
}

void cOfferFrame::HideAbilityPanel() {
    if (!forms.empty()) HideAbilitySlots();
}

void cOfferFrame::DeleteAbilityPanel() {
    if (!forms.empty()) DeleteAbilitySlots();
}
