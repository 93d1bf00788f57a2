// cTransformFrame: the list of unlocked forms and the details of the one shown.
#include "menu/TransformFrame.h"

#include <algorithm>
#include <cstdio>

#include "platform/TextCodec.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "map/StoryLink.h"
#include "ui/ActPic.h"
#include "ui/ScreenState.h"
#include "ui/SysPanel.h"
#include "ui/UiInput.h"

namespace {
constexpr i32 kPageAct = 9903;
constexpr u32 kWhite = 0xFFFFFF;
constexpr u32 kPale = 0xDBFFFF;
constexpr u32 kCyan = 0xFFFF00;
constexpr int kFocusRow = 150;

struct Spot {
    i32 x, y;
};
// The seventeen values: attack, defence, hit rate, evasion, strength, stamina,
// magic, spirit, agility, then the eight ratios.
constexpr Spot kValueSpots[17] = {{215, 80},  {311, 80},  {215, 102}, {311, 102}, {215, 124},
                                  {311, 124}, {215, 146}, {311, 146}, {215, 168}, {215, 197},
                                  {311, 197}, {215, 219}, {311, 219}, {215, 241}, {311, 241},
                                  {215, 263}, {311, 263}};

struct Caption {
    i32 y0, y1, x0, x1;
    const char* text;
};
constexpr Caption kCaptions[] = {
    {78, 97, 236, 255, "攻擊力"},
    {78, 97, 332, 351, "防禦力"},
    {100, 119, 236, 255, "命中率"},
    {100, 119, 332, 351, "迴避率"},
    {122, 141, 236, 255, "力量"},
    {122, 141, 332, 351, "耐力"},
    {144, 163, 236, 255, "魔力"},
    {144, 163, 332, 351, "精神"},
    {166, 185, 236, 255, "敏捷"},
    {197, 216, 236, 255, "受火屬性傷害比例"},
    {197, 216, 332, 351, "受水屬性傷害比例"},
    {219, 238, 236, 255, "受風屬性傷害比例"},
    {219, 238, 332, 351, "受土屬性傷害比例"},
    {241, 260, 236, 255, "受電屬性傷害比例"},
    {241, 260, 332, 351, "受毒屬性傷害比例"},
    {263, 282, 236, 255, "受光屬性傷害比例"},
    {263, 282, 332, 351, "受闇屬性傷害比例"},
};
constexpr i32 kLabelBands[9][2] = {{78, 97},   {100, 119}, {122, 141}, {144, 163}, {166, 185},
                                   {197, 216}, {219, 238}, {241, 260}, {263, 282}};
constexpr i32 kSkillBands[kFormSkillRows][2] = {{319, 337}, {344, 360}, {367, 385},
                                                {391, 408}, {415, 433}, {439, 456}};

cControl* Button(i32 x, i32 y, i32 id, cActPic* normal, cActPic* hover, cActPic* pressed) {
    cControl* c = new cControl(x, y);
    c->SetButton(id, normal, hover, pressed);
    return c;
}

i32 RowOfY(i32 y) {
    if (y < 97 || y >= 97 + 24 * kListRows) return -1;
    return (y - 97) / 24;
}
}  // namespace

int FormSkills(const MonsterData& form, i32 out[kFormSkillRows]) {
    const i32 numbers[kFormSkillRows] = {form.specials[0].skill, form.specials[1].skill,
                                         form.specials[2].skill, form.specials[3].skill,
                                         form.specials[4].skill, form.healSkill.skill};
    int n = 0;
    for (i32 s : numbers)
        if (GetSkillRecord(s)) out[n++] = s;
    return n;
}

// ---- open and close ----

void cTransformFrame::Open() {
    next = 0;
    focus = -1;
    if (gSmartMouse)
        gMouseInput.MoveCursor(580, 110);
    else
        focus = kFocusRow;
    const struct {
        cGrpFont* f;
        i32 size;
        u32 shadow;
    } fonts[5] = {{&f0, 20, 0x595959},
                  {&f1, 15, 0x595959},
                  {&f2, 16, 0x595959},
                  {&f3, 20, 0x1E3855},
                  {&f4, 16, 0}};
    for (const auto& f : fonts) {
        InitFont(f.f);
        SetupFont(f.f, f.size, f.size + 2, kNoFontBk, f.shadow);
    }
    Button(0, 0, kTransformBackgroundId, new cActPic(kPageAct, 0), nullptr, nullptr);
    for (int k = 0; k < kTabCount; ++k)
        Button(450 + 45 * k, 0, kTransformTabId + k,
               new cActPic(kMenuAct, k == 0 ? 17 : 16 + 2 * k), nullptr, nullptr);
    hintLine = TextAt(60, 18, &f1, kWhite, kStyleOutline);
    hintLine->Hide();
    Button(440, 48, kTransformListId, new cActPic(kMenuAct, 2), new cActPic(kMenuAct, 4), nullptr);
    cActPic* down = new cActPic(kMenuAct, 13);
    cActPic* up = new cActPic(kMenuAct, 15);
    arrows[0] = Button(610, 332, 2031, down, down, new cActPic(kMenuAct, 12));
    arrows[1] = Button(610, 80, 2032, up, up, new cActPic(kMenuAct, 14));
    arrows[2] = Button(610, 95, 2033, new cActPic(kMenuAct, 7), nullptr, nullptr);
    TextAt(482, 58, &f3, kWhite, kStyleBoldOutline)->SetText(B5("變 身 神 魔"));
    for (int n = 0; n < kTransformForms; ++n) {
        entryPics[n] = new cActPic(kPageAct, 8 + n);
        largePics[n] = new cActPic(9902, 8 + n);
    }
    for (u32 n = 0; n < kTransformForms; ++n) {
        if (!GetGameFlag(kFormFlagBase + static_cast<i32>(n))) continue;
        forms.push_back(n);
        if (rowPics.size() < kListRows) {
            cControl* c = new cControl(462, 97 + 24 * static_cast<i32>(rowPics.size()));
            c->SetPics(entryPics[n], nullptr, nullptr);
            rowPics.push_back(c);
        }
    }
    rowBar = new cControl(462, 94);
    rowBar->SetPics(new cActPic(kPageAct, 1), nullptr, nullptr);
    rowBar->Hide();
    for (size_t k = 0; k < rowPics.size(); ++k) {
        rowNames.push_back(TextAt(520, 100 + 24 * static_cast<i32>(k), &f1, 0, kStylePlain));
        rowNames.back()->SetText(rowText[k]);
    }
    scroll = cScrollBar{};
    scroll.Init(arrows[0], arrows[1], arrows[2], 15, 40, 1);
    top = 0;
    lastTop = -1;
    scroll.value = &top;
    i32 n = static_cast<i32>(forms.size());
    maxTop = n > kListRows ? n - kListRows : 0;
    scroll.maximum = maxTop;
    scroll.minimum = 0;
    scroll.arrowStep = 1;
    scroll.pageStep = kListRows;
    scroll.trackStart = 95;
    scroll.trackEnd = 293;
    scroll.Update();
    RefreshRows();
    if (!forms.empty()) {
        MakeDetails();
        ShowForm(static_cast<i32>(forms[0]));
    }
    TextAt(510, 390, &f4, kWhite, kStyleBoldOutline)
        ->SetNumber(reinterpret_cast<const i32*>(&gScriptVars[0]), 1);
    FormatPlayTime(timeText, sizeof(timeText), gGameTime);
    TextAt(540, 440, &f4, kWhite, kStyleBoldOutline)->SetText(timeText);
}

void cTransformFrame::MakeDetails() {
    formPic = new cControl(12, 52);
    formName = TextAt(45, 197, &f0, kWhite, kStyleBoldOutline);
    formName->SetText(formText);
    for (int k = 0; k < 17; ++k)
        values[k] = TextAt(kValueSpots[k].x, kValueSpots[k].y, &f2, kPale, kStylePlain);
    for (int j = 0; j < kFormSkillRows; ++j) {
        skillName[j] = TextAt(236, 319 + 24 * j, &f2, kPale, kStylePlain);
        skillMp[j] = TextAt(366, 319 + 24 * j, &f2, kCyan, kStyleShadow);
        skillMp[j]->SetText(mpText[j]);
    }
}

void cTransformFrame::Close() {
    for (cGrpFont* f : {&f0, &f1, &f2, &f3, &f4}) f->Release();
    ClearFrameObjects();
    rowPics.clear();
    rowNames.clear();
    forms.clear();
    if (next >= 1 && next <= 4) gFrameId = ScreenWord(kFunctionKeyScreens[next - 1]);
}

// ---- showing ----

void cTransformFrame::ShowForm(i32 n) {
    if (n < 0 || n >= kTransformForms || !formPic) return;
    shownForm = n;
    PlayUISound(261);
    MonsterData& r = gGodForms[n];
    formPic->SetPics(largePics[n], nullptr, nullptr);
    CopyRecordText(formText, sizeof(formText), r.name, sizeof(r.name));
    i32* words[17] = {&r.attack,    &r.defence,   &r.hitRate,   &r.evasion,   &r.strength,
                      &r.stamina,   &r.magic,     &r.spirit,    &r.agility,   &r.ratios[0],
                      &r.ratios[1], &r.ratios[2], &r.ratios[3], &r.ratios[4], &r.ratios[5],
                      &r.ratios[6], &r.ratios[7]};
    for (int k = 0; k < 17; ++k) values[k]->SetNumber(words[k], 1);
    int count = FormSkills(r, skillOf);
    for (int j = 0; j < kFormSkillRows; ++j) {
        if (j >= count) {
            skillOf[j] = -1;
            skillName[j]->Hide();
            skillMp[j]->Hide();
            continue;
        }
        const SkillData* s = GetSkillRecord(skillOf[j]);
        skillName[j]->SetText(s->name);
        std::snprintf(mpText[j], sizeof(mpText[j]), "Mp:%d", s->mpCost);
        skillName[j]->Show();
        skillMp[j]->Show();
    }
}

void cTransformFrame::RefreshRows() {
    if (top != lastTop) lastTop = top;
    for (size_t k = 0; k < rowPics.size(); ++k) {
        size_t pos = static_cast<size_t>(top) + k;
        if (pos >= forms.size()) break;
        u32 f = forms[pos];
        rowPics[k]->SetPics(entryPics[f], nullptr, nullptr);
        CopyRecordText(rowText[k], sizeof(rowText[k]), gGodForms[f].name,
                       sizeof(gGodForms[f].name));
    }
}

// ---- run ----

void cTransformFrame::Run() {
    FormatPlayTime(timeText, sizeof(timeText), gGameTime);
    i32 id = gMouseInput.clickedId;
    if (id >= kTransformTabId && id < kTransformTabId + kTabCount) {
        gMouseInput.clickedId = 0;
        LeaveScreen(&next, id - kTransformTabId + 1, 261);
        return;
    }
    if (id == kTransformListId) {
        gMouseInput.clickedId = 0;
        i32 x = gMouseInput.x;
        int k = RowOfY(gMouseInput.y);
        size_t pos = static_cast<size_t>(top + k);
        if (x >= 460 && x <= 609 && k >= 0 && pos < forms.size())
            return ShowForm(static_cast<i32>(forms[pos]));
    }
    if (gMouseInput.rightClick || gKeyInput.IsPressed(kKeyCancel)) {
        gMouseInput.rightClick = 0;
        LeaveScreen(&next, 1, 263);
        return;
    }
    RunIdle();
}

void cTransformFrame::ShowHint(const char* big5) {
    ShowHintText(hintLine, hint, sizeof(hint), big5);
}

const char* cTransformFrame::CaptionAt(i32 x, i32 y) const {
    for (const Caption& c : kCaptions)
        if (y >= c.y0 && y <= c.y1 && x >= c.x0 && x <= c.x1) return B5(c.text);
    for (const auto& band : kLabelBands)
        if (y >= band[0] && y <= band[1]) return nullptr;  // a label row, no label here
    if (forms.empty() || x < 236 || x > 406) return nullptr;
    for (int j = 0; j < kFormSkillRows; ++j) {
        if (y < kSkillBands[j][0] || y > kSkillBands[j][1]) continue;
        const SkillData* s = GetSkillRecord(skillOf[j]);
        return s && skillName[j]->shown ? s->description : nullptr;
    }
    return nullptr;
}

void cTransformFrame::RunIdle() {
    HandleKeys();
    if (gFramePhase == 2) return;
    hintLine->Hide();
    rowBar->Hide();
    scroll.Update();
    RefreshRows();
    i32 id = gMouseInput.hoverId;
    if (id >= kTransformTabId && id < kTransformTabId + kTabCount) {
        focus = id - kTransformTabId;
        return ShowHint(B5(kTabNames[focus]));
    }
    if (id == kTransformListId) {
        i32 x = gMouseInput.x;
        int k = RowOfY(gMouseInput.y);
        if (x < 460 || x > 609 || k < 0) return;
        if (k == 0) focus = kFocusRow;
        if (static_cast<size_t>(top + k) >= forms.size()) return;
        focus = kFocusRow + k;
        rowBar->Move(462, 97 + 24 * k);
        rowBar->Show();
        return;
    }
    if (id != kTransformBackgroundId) return;
    const char* caption = CaptionAt(gMouseInput.x, gMouseInput.y);
    if (caption && caption[0]) ShowHint(caption);
}

// ---- keys ----

void cTransformFrame::FocusTo(int f) {
    focus = f;
    if (f >= 0 && f < kTabCount)
        gMouseInput.MoveCursor(TabPointX(f), kTabPointY);
    else
        gMouseInput.MoveCursor(580, 110 + 24 * std::clamp(f - kFocusRow, 0, kListRows - 1));
}

void cTransformFrame::HandleKeys() {
    MenuKey key = ReadMenuKey();
    if (key != MenuKey::None) {
        bool onTab = focus >= 0 && focus < kTabCount;
        if (onTab || (focus >= kFocusRow && focus < kFocusRow + kListRows)) MoveByKey(key);
        return;
    }
    FunctionKeyExit exits[4] = {{1, 263, false}, {2, 261, true}, {3, 261, true}, {4, 261, true}};
    LeaveByFunctionKey(&next, exits);
}

void cTransformFrame::MoveByKey(MenuKey key) {
    if (focus < kTabCount) {
        switch (key) {
            case MenuKey::Down:
            case MenuKey::Switch:
                return FocusTo(kFocusRow);
            case MenuKey::Left:
                return FocusTo((focus + 3) % 4);
            case MenuKey::Right:
                return FocusTo((focus + 1) % 4);
            default:
                return FocusTo(focus);
        }
    }
    int k = focus - kFocusRow;
    switch (key) {
        case MenuKey::Up:
            if (k > 0) return FocusTo(focus - 1);
            top = std::max(top - 1, 0);
            return FocusTo(focus);
        case MenuKey::Down:
            if (k == kListRows - 1) {
                top = std::min(top + 1, maxTop);
                return FocusTo(focus);
            }
            if (static_cast<size_t>(top + k + 1) < forms.size()) FocusTo(focus + 1);
            return;
        case MenuKey::Switch:
            return FocusTo(0);
        case MenuKey::PageUp:
            top = std::max(top - kListRows, 0);
            return;
        case MenuKey::PageDown:
            top = std::min(top + kListRows, maxTop);
            return;
        default:
            return FocusTo(focus);
    }
}
