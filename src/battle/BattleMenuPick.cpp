// Target picking on the enemy and the party side, and opening the lists a
// command needs (items, pieces, skills, summons, forms, a creature's magic).
#include <algorithm>

#include "platform/TextCodec.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/KeyBindings.h"
#include "battle/BattleKeys.h"
#include "battle/BattleMenu.h"
#include "battle/BattleMenuParts.h"
#include "battle/BattleSide.h"

namespace {
constexpr i32 kListCursorX = 340, kListCursorY = 50;

bool RowMatches(const cFighter& f, i32 row) {
    return row == 0 || f.row == row;
}

bool EnemyCandidate(const cFighter& f, i32 row) {
    return f.IsTaken() && f.IsAlive() && RowMatches(f, row);
}

bool AllyCandidate(const cFighter& f, i32 row) {
    return f.IsTaken() && RowMatches(f, row);
}

bool AtHome(const cFighter& f) {
    return f.x == f.homeX && f.z == f.homeZ;
}

bool IsForm(const cFighter& f) {
    return f.stats.Kind() != 0;
}

// The next slot after from (step +1 or -1, cyclic) whose fighter passes ok; -1 for none.
template <class Ok>
i32 Cycle(cBattleSide& side, i32 from, i32 step, Ok ok) {
    const i32 n = side.count;
    if (n <= 0) return -1;
    for (i32 k = 1; k <= n; ++k) {
        const i32 i = ((from + step * k) % n + n) % n;
        if (ok(side.fighters[i])) return i;
    }
    return -1;
}

void Mark(cBattleSide& side, i32* mark, i32 slot) {
    if (*mark >= 0 && *mark < side.count) side.fighters[*mark].StopBlink();
    *mark = slot;
    if (slot >= 0 && slot < side.count) side.fighters[slot].StartBlink();
}

i32 Direction() {
    if (BattleKeyPressed(kKeyUp) || BattleKeyPressed(kKeyLeft)) return -1;
    if (BattleKeyPressed(kKeyDown) || BattleKeyPressed(kKeyRight)) return 1;
    return 0;
}

bool Cancelled() {
    return BattleKeyPressed(kKeyCancel) || gBattleCursor.Clicked(kMouseRight);
}

bool Confirmed() {
    return BattleKeyPressed(kKeyConfirm) || gBattleCursor.Clicked(kMouseLeft);
}

// The screen point the cursor is put on to show a fighter.
void FighterPoint(const cFighter& f, i32* x, i32* y) {
    *x = std::clamp(f.HitPointX(), 0, 639);
    *y = std::clamp(f.HitPointY() + f.z, 0, 479);
}

void ShowMarked(const cFighter& f) {
    if (!gSmartMouse) return;
    i32 x = 0, y = 0;
    FighterPoint(f, &x, &y);
    gBattleCursor.SetPos(x, y);
}
}  // namespace

void cCommandMenu::StopBlinks() {
    Mark(gPartySide, &blinkParty, -1);
    Mark(gEnemySide, &blinkEnemy, -1);
}

i32 cCommandMenu::PickEnemy(cFighter** out, i32 wantRow, bool capture) {
    cBattleSide& side = gEnemySide;
    auto ok = [wantRow](const cFighter& f) { return EnemyCandidate(f, wantRow); };
    // With nobody to mark the pick still hears its cancel: the player can
    // always leave it for the ring.
    if (blinkEnemy < 0 || blinkEnemy >= side.count) {
        blinkEnemy = -1;
        const i32 first = Cycle(side, -1, 1, ok);
        if (first >= 0) {
            Mark(side, &blinkEnemy, first);
            gBattleCursor.SetLook(kLookTarget, 0);
            ShowMarked(side.fighters[first]);
        }
    } else if (!side.fighters[blinkEnemy].IsTaken()) {
        Mark(side, &blinkEnemy, Cycle(side, blinkEnemy, 1, ok));
    }
    if (Cancelled()) {
        Mark(side, &blinkEnemy, -1);
        gBattleCursor.SetLook(kLookNormal, 0);
        MenuSound(kSoundBack);
        return kListCancelled;
    }
    if (const i32 d = Direction()) {
        if (blinkEnemy < 0) return kListRunning;
        const i32 to = Cycle(side, blinkEnemy, d, ok);
        if (to >= 0) Mark(side, &blinkEnemy, to);
        const bool bad = capture && IsForm(side.fighters[blinkEnemy]);
        gBattleCursor.SetLook(bad ? kLookBadTarget : kLookTarget, 0);
        return kListRunning;
    }
    if (Confirmed()) {
        if (blinkEnemy < 0) return kListRunning;
        cFighter& f = side.fighters[blinkEnemy];
        if (capture && IsForm(f)) return kListRunning;
        *out = &f;
        Mark(side, &blinkEnemy, -1);
        gBattleCursor.SetLook(kLookNormal, 0);
        MenuSound(kSoundForward);
        return kListConfirmed;
    }
    // The mouse counts only when it moves, so a resting cursor leaves the keys' mark alone.
    const i32 mx = gBattleCursor.x(), my = gBattleCursor.y();
    if (mx == lastMouseX_ && my == lastMouseY_) return kListRunning;
    lastMouseX_ = mx;
    lastMouseY_ = my;
    cFighter* f = side.FighterAt(mx, my);
    if (!f) {
        gBattleCursor.SetLook(kLookNormal, 0);
    } else if (!AtHome(*f) || !ok(*f) || (capture && IsForm(*f))) {
        gBattleCursor.SetLook(kLookBadTarget, 0);
    } else {
        Mark(side, &blinkEnemy, static_cast<i32>(f - side.fighters));
        gBattleCursor.SetLook(kLookTarget, 0);
    }
    return kListRunning;
}

i32 cCommandMenu::PickAlly(cFighter** out, i32 wantRow, bool allowDying) {
    cBattleSide& side = gPartySide;
    auto visit = [wantRow](const cFighter& f) { return AllyCandidate(f, wantRow); };
    auto look = [allowDying](const cFighter& f) {
        return f.IsDying() && !allowDying ? kLookBadTarget : kLookTarget;
    };
    if (blinkParty < 0 || blinkParty >= side.count) {
        blinkParty = -1;
        const i32 first = Cycle(side, -1, 1, [&](const cFighter& f) {
            return visit(f) && (allowDying || f.IsAlive());
        });
        if (first >= 0) {
            Mark(side, &blinkParty, first);
            gBattleCursor.SetLook(kLookTarget, 0);
            ShowMarked(side.fighters[first]);
        }
    }
    if (Cancelled()) {
        Mark(side, &blinkParty, -1);
        gBattleCursor.SetLook(kLookNormal, 0);
        MenuSound(kSoundBack);
        return kListCancelled;
    }
    if (const i32 d = Direction()) {
        if (blinkParty < 0) return kListRunning;
        const i32 to = Cycle(side, blinkParty, d, visit);
        if (to >= 0) Mark(side, &blinkParty, to);
        gBattleCursor.SetLook(look(side.fighters[blinkParty]), 0);
        return kListRunning;
    }
    if (Confirmed()) {
        if (blinkParty < 0) return kListRunning;
        cFighter& f = side.fighters[blinkParty];
        if (f.IsDying() && !allowDying) return kListRunning;
        *out = &f;
        Mark(side, &blinkParty, -1);
        gBattleCursor.SetLook(kLookNormal, 0);
        MenuSound(kSoundForward);
        return kListConfirmed;
    }
    const i32 mx = gBattleCursor.x(), my = gBattleCursor.y();
    if (mx == lastMouseX_ && my == lastMouseY_) return kListRunning;
    lastMouseX_ = mx;
    lastMouseY_ = my;
    cFighter* f = side.FighterAt(mx, my);
    if (!f) {
        gBattleCursor.SetLook(kLookNormal, 0);
    } else if (!visit(*f) || !AtHome(*f)) {
        gBattleCursor.SetLook(kLookBadTarget, 0);
    } else {
        Mark(side, &blinkParty, static_cast<i32>(f - side.fighters));
        gBattleCursor.SetLook(look(*f), 0);
    }
    return kListRunning;
}

// ---- Lists. ----

namespace {
// First call: builds the rows and opens the list; later calls run it.
template <class Fill>
i32 RunList(cBattleList& list, const char* captionUtf8, Fill fill) {
    if (!list.open) {
        list.Begin(B5(captionUtf8));
        fill(list);
        gBattleCursor.SetPos(kListCursorX, kListCursorY);
        return kListRunning;
    }
    return list.Input();
}

i32 FighterMp(const cFighter* f) {
    return f ? f->mp : 0;
}
}  // namespace

i32 cCommandMenu::OpenItemList(const ItemData** out) {
    const i32 r = RunList(list, "物品", [](cBattleList& l) { FillItemRows(l); });
    if (r == kListConfirmed) *out = GetItemRecord(list.Selected()->id);
    return r == kListConfirmed && !*out ? kListCancelled : r;
}

i32 cCommandMenu::OpenThrowList(EquipageData** out) {
    const i32 r = RunList(list, "投擲", [](cBattleList& l) { FillThrowRows(l); });
    if (r == kListConfirmed) *out = GetOwnedEquipage(list.Selected()->id);
    return r == kListConfirmed && !*out ? kListCancelled : r;
}

i32 cCommandMenu::OpenSkillList(i32 c, const SkillData** out) {
    const i32 role = current ? CommandRole(*current) : -1;
    const i32 mp = FighterMp(current);
    const i32 category = SkillCategoryOfCode(c);
    i32 r = kListRunning;
    if (!list.open) {
        list.Begin(SkillListCaption(c));
        FillSkillRows(list, role, category, mp);
        gBattleCursor.SetPos(kListCursorX, kListCursorY);
    } else {
        r = list.Input();
    }
    if (r == kListConfirmed) *out = GetSkillRecord(list.Selected()->id);
    return r == kListConfirmed && !*out ? kListCancelled : r;
}

i32 cCommandMenu::OpenSummonList(const SkillData** out) {
    const i32 mp = FighterMp(current);
    const i32 r = RunList(list, "召喚", [mp](cBattleList& l) { FillSummonRows(l, mp); });
    if (r == kListConfirmed) *out = GetSkillRecord(list.Selected()->id);
    return r == kListConfirmed && !*out ? kListCancelled : r;
}

i32 cCommandMenu::OpenFormList(const MonsterData** out, bool refused) {
    const i32 mp = FighterMp(current);
    const bool first = !list.open;
    i32 r = RunList(list, "變身", [mp](cBattleList& l) { FillFormRows(l, mp); });
    // A refused transformation shows the list only as it slides away.
    if (first && refused) list.cancelled = 1;
    if (r == kListConfirmed) {
        const i32 k = list.Selected()->id;
        *out = k >= 0 && k < kGodFormCount ? &gGodForms[k] : nullptr;
    }
    return r == kListConfirmed && !*out ? kListCancelled : r;
}

i32 cCommandMenu::OpenCreatureMagicList(const SkillData** out) {
    const MonsterData* m = current ? current->stats.Monster() : nullptr;
    const i32 mp = FighterMp(current);
    i32 r = RunList(list, "魔法", [m, mp](cBattleList& l) {
        if (m) FillCreatureMagicRows(l, *m, mp);
    });
    if (r == kListConfirmed) *out = GetSkillRecord(list.Selected()->id);
    return r == kListConfirmed && !*out ? kListCancelled : r;
}
