// The battle lists: rows, keys, mouse, thumb and paging, drawing, the
// description box, and the row builders over the game data.
#include "battle/BattleLists.h"

#include <algorithm>
#include <cstring>

#include "base/Big5.h"
#include "platform/TextCodec.h"
#include "engine/GrpFont.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/RlePic.h"
#include "engine/Tsw.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "map/ShadedBox.h"
#include "battle/BattleKeys.h"
#include "battle/FighterDraw.h"

namespace {
// Where the list's parts sit relative to its panel, and the rows' area on screen.
constexpr i32 kArrowX = 146, kUpArrowY = 15, kDownArrowY = 133, kThumbY = 27;
constexpr i32 kRowsLeft = 263, kRowsRight = 386, kRowsTop = 45, kRowsBottom = 160;
constexpr i32 kRowPitch = 20;
constexpr i32 kThumbGrab = 50;
constexpr i32 kDefaultArtW = 16, kDefaultArtH = 16;
constexpr u16 kWhite = 0xFFFF, kBlack = 0, kGrey = 0x8410;
constexpr i32 kSummonSkillBase = 200;

// Frames of act 11003: panel, thumb, up arrow (normal, pressed), down arrow.
struct ListArt {
    i32 panel, thumb, up, upPressed, down, downPressed, thumbX;
};
constexpr ListArt kMemberArt = {0, 5, 3, 4, 1, 2, 146};
constexpr ListArt kCreatureArt = {10, 15, 13, 14, 11, 12, 144};

void Sound(int n) {
    PlaySfx(n, static_cast<int>(gSfxVolume));
}

// Copies at most width bytes of a record's text field, ended within dst.
void CopyField(char* dst, size_t dstSize, const char* src, size_t width) {
    size_t n = src ? strnlen(src, std::min(width, dstSize - 1)) : 0;
    n = Big5Cut(src, n, n);
    if (n) std::memcpy(dst, src, n);
    dst[n] = 0;
}

void ArtSize(i32 action, i32* w, i32* h) {
    ActFrameRef r;
    *w = kDefaultArtW;
    *h = kDefaultArtH;
    if (FindActFrame(kListArtAct, action, &r) && r.frame) {
        *w = r.frame->width;
        *h = r.frame->height;
    }
}

bool Inside(i32 px, i32 py, i32 x, i32 y, i32 w, i32 h) {
    return px >= x && px < x + w && py >= y && py < y + h;
}

void DrawText(i32 x, i32 y, const char* text, u16 colour, int style) {
    if (gPaintBuf && text && *text) gMainFont.DrawString(gPaintBuf, x, y, text, colour, style);
}

bool FormUnlocked(int k) {
    return GetGameFlag(kFormFlagBase + k) != 0;
}

void AddSkillRow(cBattleList& list, const SkillData& s, i32 icon, i32 mp) {
    list.Add(s.id, icon, s.mpCost, s.name, sizeof(s.name), s.description, sizeof(s.description),
             mp < s.mpCost);
}
}  // namespace

bool FindActFrame(i32 act, i32 action, ActFrameRef* out) {
    if (act <= 0 || action < 0) return false;
    ActPlayer p;
    p.act = act;
    p.action = action;
    if (!TakeActData(&p) || p.pic == 0) return false;
    PicFrame* f = GetPic(p.pic, p.frame);
    if (!f || !f->pixels) return false;
    out->frame = f;
    out->xOff = p.xOff;
    out->yOff = p.yOff;
    return true;
}

void DrawActAt(i32 act, i32 action, i32 x, i32 y) {
    ActFrameRef r;
    if (!gPaintBuf || !FindActFrame(act, action, &r)) return;
    gCurPic = r.frame->pixels;
    PutPic(x - r.xOff, y - r.yOff, r.frame->width, r.frame->height, 0, r.frame->alpha);
}

bool ActFrameHit(i32 act, i32 action, i32 x, i32 y, i32 px, i32 py) {
    ActFrameRef r;
    if (!FindActFrame(act, action, &r)) return false;
    return PicHitTest(r.frame, px, py, x - r.xOff, y - r.yOff) != 0;
}

// ---- Rows and state. ----

void cBattleList::Clear() {
    open = confirmed = cancelled = 0;
    dragging = 0;
    x = kListX;
    y = kListHiddenY;
    thumb = upPressed = downPressed = 0;
    caption[0] = 0;
    count = selected = top = viewRow = 0;
}

void cBattleList::Begin(const char* text) {
    Clear();
    CopyField(caption, sizeof(caption), text, sizeof(caption) - 1);
    open = 1;
    lastMouseX = gBattleCursor.x();
    lastMouseY = gBattleCursor.y();
}

bool cBattleList::Add(i32 id, i32 icon, i32 number, const char* name, size_t nameWidth,
                      const char* description, size_t textWidth, bool disabled) {
    if (count >= kListMaxRows) return false;
    ListRow& r = rows[count++];
    r.disabled = disabled ? 1 : 0;
    r.id = id;
    r.icon = icon;
    r.number = number;
    CopyField(r.name, sizeof(r.name), name, nameWidth);
    CopyField(r.description, sizeof(r.description), description, textWidth);
    return true;
}

const ListRow* cBattleList::Selected() const {
    return selected >= 0 && selected < count ? &rows[selected] : nullptr;
}

i32 cBattleList::Input() {
    upPressed = downPressed = 0;
    if (cancelled || confirmed) {
        y -= kListStep;
        if (y > kListHiddenY) return kListRunning;
        const i32 result = confirmed ? kListConfirmed : kListCancelled;
        open = 0;
        y = kListHiddenY;
        return result;
    }
    if (y < kListShownY) {
        y = std::min(y + kListStep, kListShownY);
        return kListRunning;
    }
    if (BattleKeyPressed(kKeyCancel))
        Cancel();
    else if (BattleKeyPressed(kKeyUp))
        Up();
    else if (BattleKeyPressed(kKeyDown))
        Down();
    else if (BattleKeyPressed(kKeyPageUp))
        PageUp();
    else if (BattleKeyPressed(kKeyPageDown))
        PageDown();
    else if (BattleKeyPressed(kKeyConfirm))
        Confirm();
    else
        Mouse();
    return kListRunning;
}

void cBattleList::Up() {
    if (selected <= 0) return;
    --selected;
    if (viewRow == 0)
        --top;
    else
        --viewRow;
    upPressed = 1;
    AfterMove();
}

void cBattleList::Down() {
    if (selected >= count - 1) return;
    ++selected;
    if (viewRow == kListViewRows - 1)
        ++top;
    else
        ++viewRow;
    downPressed = 1;
    AfterMove();
}

void cBattleList::PageUp() {
    if (count <= 0) return;
    if (selected < kListViewRows + 1) {
        selected = top = 0;
    } else {
        selected -= kListViewRows;
        top = top < kListViewRows + 1 ? 0 : top - kListViewRows;
    }
    AfterMove();
}

// The top steps a page while a full page lies below it, so the last page may
// show fewer rows; the selection steps a page or stops on the last row.
void cBattleList::PageDown() {
    if (count <= 0) return;
    if (top < count - kListViewRows) top += kListViewRows;
    selected = selected + kListViewRows >= count ? count - 1 : selected + kListViewRows;
    AfterMove();
}

// Keeps the selection inside the view, then places the thumb for it.
void cBattleList::AfterMove() {
    selected = std::clamp(selected, 0, std::max(0, count - 1));
    top = std::clamp(top, 0, selected);
    if (selected > top + kListViewRows - 1) top = selected - (kListViewRows - 1);
    viewRow = selected - top;
    thumb = selected == 0 || count <= 0 ? 0 : (selected + 1) * kThumbTravel / count;
}

void cBattleList::Confirm() {
    if (count <= 0 || rows[selected].disabled) return;
    confirmed = 1;
    Sound(kSoundForward);
}

void cBattleList::Cancel() {
    cancelled = 1;
    Sound(kSoundBack);
}

i32 cBattleList::ThumbTop() const {
    return y + kThumbY + selected * 82 / std::max(1, count - 1);
}

void cBattleList::Drag() {
    if (!gBattleCursor.Held(kMouseLeft)) {
        dragging = 0;
        return;
    }
    thumb = std::clamp(gBattleCursor.y() - kThumbGrab, 0, kThumbTravel);
    if (count <= 0) return;
    selected = std::max(0, count * thumb / kThumbTravel - 1);
    selected = std::min(selected, count - 1);
    // The dragged-to row heads the view; the thumb keeps the drag's place.
    top = selected;
    viewRow = 0;
}

void cBattleList::Mouse() {
    const i32 mx = gBattleCursor.x(), my = gBattleCursor.y();
    const bool moved = mx != lastMouseX || my != lastMouseY;
    lastMouseX = mx;
    lastMouseY = my;
    if (dragging) {
        Drag();
        return;
    }
    if (moved && mx >= kRowsLeft && mx <= kRowsRight && my >= kRowsTop && my <= kRowsBottom &&
        count > 0) {
        const i32 row = std::min((my - kRowsTop) / kRowPitch, kListViewRows - 1);
        if (top + row < count) {
            selected = top + row;
            AfterMove();
        }
    }
    if (gBattleCursor.Clicked(kMouseRight))
        Cancel();
    else if (gBattleCursor.Clicked(kMouseLeft))
        Click();
}

void cBattleList::Click() {
    const i32 mx = gBattleCursor.x(), my = gBattleCursor.y();
    i32 w = 0, h = 0, tw = 0, th = 0, dw = 0, dh = 0;
    ArtSize(kMemberArt.up, &w, &h);
    ArtSize(kMemberArt.thumb, &tw, &th);
    ArtSize(kMemberArt.down, &dw, &dh);
    const i32 ax = x + kArrowX, t = ThumbTop();
    // The thumb lies over the track and the arrows' edges: it is tried first.
    if (Inside(mx, my, ax, t, tw, th)) {
        dragging = 1;
        return;
    }
    if (Inside(mx, my, ax, y + kUpArrowY, w, h)) return Up();
    if (Inside(mx, my, ax, y + kDownArrowY, dw, dh)) return Down();
    if (mx >= ax && mx < ax + tw && my >= y + kUpArrowY + h && my < y + kDownArrowY)
        return my < t ? PageUp() : PageDown();
    Confirm();
}

// ---- Drawing. ----

void cBattleList::Draw(bool creature) const {
    if (!open) return;
    const ListArt& art = creature ? kCreatureArt : kMemberArt;
    DrawActAt(kListArtAct, art.panel, x, y);
    DrawActAt(kListArtAct, art.thumb, x + art.thumbX, y + 28 + thumb);
    DrawActAt(kListArtAct, upPressed ? art.upPressed : art.up, x + 144, y + 12);
    DrawActAt(kListArtAct, downPressed ? art.downPressed : art.down, x + 144, y + 132);
    UseBattleFont(12, 40);
    DrawText(x + 55, y + 6, caption, kWhite, kStylePlain);
    if (count <= 0) return;
    DrawShadedBox(x + 22, y + viewRow * kRowPitch + 23, 122, 16, 0, 0, 0, 2);
    DrawRows();
    if (creature || Selected()->description[0]) DrawDescription();
}

void cBattleList::DrawRows() const {
    UseBattleFont(12, 13);
    for (int i = 0; i < kListViewRows && top + i < count; ++i) {
        const ListRow& r = rows[top + i];
        const i32 rowY = y + i * kRowPitch;
        const bool sel = top + i == selected;
        if (r.icon >= 0) DrawActAt(kListIconAct, r.icon, x + 21, rowY + 21);
        u16 colour = sel ? kWhite : kBlack;
        int style = kStylePlain;
        if (r.disabled) {
            colour = kGrey;
            style = sel ? kStylePlain : kStyleShadow;
        }
        DrawText(x + 44, rowY + 25, r.name, colour, style);
        if (r.number != 0) {
            char num[16];
            std::snprintf(num, sizeof(num), "%2d", r.number);
            DrawText(x + 122, rowY + 25, num, colour, style);
        }
    }
}

void cBattleList::DrawDescription() const {
    const char* text = Selected()->description;
    const DescLines lines = BreakDescription(text, std::strlen(text));
    const i32 boxY = y + viewRow * kRowPitch + 19;
    DrawShadedBox(x + 160, boxY, 208, DescBoxHeight(std::max(1, lines.count)), 0, 0, 0, 0);
    UseBattleFont(12, 13);
    for (int i = 0; i < lines.count; ++i) {
        char line[kDescLineBytes + 1];
        std::memcpy(line, text + lines.start[i], lines.length[i]);
        line[lines.length[i]] = 0;
        DrawText(x + 168, boxY + 6 + i * kRowPitch, line, kWhite, kStylePlain);
    }
}

DescLines BreakDescription(const char* text, size_t len) {
    DescLines out;
    size_t at = 0;
    while (text && at < len && out.count < kDescMaxLines) {
        size_t n = Big5Cut(text + at, len - at, kDescLineBytes);
        // A lone lead byte at the very end still ends the text.
        if (n == 0) n = len - at;
        out.start[out.count] = at;
        out.length[out.count] = std::min(n, static_cast<size_t>(kDescLineBytes));
        ++out.count;
        at += n;
    }
    return out;
}

// ---- Row builders. ----

void FillItemRows(cBattleList& list) {
    if (!gItems || !gOwnedItems) return;
    for (i32 n = 0; n < gItemCount; ++n) {
        const ItemData& it = gItems[n];
        if (gOwnedItems[n] <= 0 || (it.usePlace != 2 && it.usePlace != 3)) continue;
        if (!list.Add(n, it.icon, gOwnedItems[n], it.name, sizeof(it.name), it.description,
                      sizeof(it.description), false))
            return;
    }
}

void FillThrowRows(cBattleList& list) {
    for (i32 n = 0; n < kOwnedEquipageCount; ++n) {
        const EquipageData& e = gOwnedEquipage[n];
        if (e.id == -1 || IsEquipageEquipped(n)) continue;
        if (!list.Add(n, e.icon, 0, e.name, sizeof(e.name), e.description, sizeof(e.description),
                      false))
            return;
    }
}

void FillSkillRows(cBattleList& list, i32 role, i32 category, i32 mp) {
    if (role < 0 || role >= kRoleCount) return;
    for (int k = 0; k < kSkillRows; ++k) {
        const SkillData* s = GetSkillRecord(gLevelUpSkills[role][k].skill);
        if (!s || !gLearnedSkills[role][k] || s->category != category) continue;
        AddSkillRow(list, *s, s->icon, mp);
    }
}

void FillSummonRows(cBattleList& list, i32 mp) {
    for (int k = 0; k < kGodFormCount; ++k) {
        const SkillData* s = GetSkillRecord(kSummonSkillBase + k);
        if (!FormUnlocked(k) || !s || s->category != kSummonCategory) continue;
        AddSkillRow(list, *s, s->icon, mp);
    }
}

void FillFormRows(cBattleList& list, i32 mp) {
    for (int k = 0; k < kGodFormCount; ++k) {
        if (!FormUnlocked(k)) continue;
        const MonsterData& f = gGodForms[k];
        const bool poor = mp < f.actionCost || f.offerValue < f.actionCost;
        list.Add(k, -1, f.actionCost, f.name, sizeof(f.name), f.description, sizeof(f.description),
                 poor);
    }
}

void FillCreatureMagicRows(cBattleList& list, const MonsterData& creature, i32 mp) {
    for (const MonsterSkill& m : creature.specials)
        if (const SkillData* s = GetSkillRecord(m.skill)) AddSkillRow(list, *s, s->icon, mp);
    if (const SkillData* s = GetSkillRecord(creature.healSkill.skill)) AddSkillRow(list, *s, 0, mp);
}

i32 SkillCategoryOfCode(i32 code) {
    static constexpr i32 kCategories[6] = {kMagicCategory,  kDivineCategory,   kMedicCategory,
                                           kCombatCategory, kIllusionCategory, kChantCategory};
    return code >= 11 && code <= 16 ? kCategories[code - 11] : -1;
}

const char* SkillListCaption(i32 code) {
    static const char* const kCaptions[6] = {"魔法", "神術", "醫療", "戰技", "幻術", "吟唱"};
    return code >= 11 && code <= 16 ? B5(kCaptions[code - 11]) : "";
}
