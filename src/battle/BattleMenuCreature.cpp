// The creature ring: commanding the god/demon form that fights in the party's
// place, and the offering cost each of its commands pays.
#include <algorithm>

#include "data/Config.h"
#include "data/KeyBindings.h"
#include "battle/BattleKeys.h"
#include "battle/BattleMenu.h"
#include "battle/BattleMenuParts.h"
#include "battle/BattleSide.h"

namespace {
constexpr i32 kCreatureMagicRow = 2, kCreatureReleaseRow = 3;
constexpr i32 kIconBase = 21, kBannedMagicIcon = 31;
constexpr i32 kCreatureIconX = 8, kCreatureIconY = 2;

MonsterData* CreatureRecord(cFighter& f) {
    return f.stats.Monster() ? static_cast<MonsterData*>(f.stats.Head()) : nullptr;
}
}  // namespace

bool cCommandMenu::CreatureUsable() const {
    return current && current->IsTaken() && !current->IsConfused() && !current->IsAsleep() &&
           !current->IsParalysed() && !current->IsDying();
}

void cCommandMenu::CreatureInput() {
    if (gEnemySide.AllDown() || gPartySide.FindPending()) return;
    if (!CreatureUsable()) {
        CreatureFind();
        return;
    }
    if (!gRealTimeBattle) FreezeBoth(1);
    if (chosen) CompleteCreature();
    else CreatureRing();
}

void cCommandMenu::CreatureFind() {
    gBattleCursor.SetLook(kLookIdle, 0);
    if (current) current->StopGlow();
    ClearSelections();
    list.Clear();
    StopBlinks();
    chosen = 0;
    cFighter* f = gPartySide.NextReady(current);
    current = nullptr;
    if (!f) return;
    gBattleCursor.SetLook(kLookNormal, 0);
    if (f->stats.OfferValue() < f->stats.ActionCost()) return;
    current = f;
    f->StartGlow();
    ringX = panelX = kRingHomeX;
    ringY = panelY = 0;
    row = 0;
    SetCreatureIcons();
}

void cCommandMenu::SetCreatureIcons() {
    const bool banned = current && current->IsSpellBanned();
    for (int k = 0; k < kCreatureRows; ++k) {
        i32 base = kIconBase + 4 * k;
        if (k == kCreatureMagicRow && banned) base = kBannedMagicIcon;
        const i32 action = base + (k == row ? 1 : 0);
        if (creatureIcons[k].act != kCreatureRingAct || creatureIcons[k].action != action) {
            creatureIcons[k] = ActPlayer{};
            creatureIcons[k].act = kCreatureRingAct;
            creatureIcons[k].action = action;
        }
    }
}

void cCommandMenu::CreatureRing() {
    if (ringX > kCreatureRingInX) {
        gBattleKeys.IgnoreHeld();  // a key kept down from before reaches no ring
        ringX = std::max(ringX - 32, kCreatureRingInX);
        if (ringX == kCreatureRingInX && gSmartMouse) CursorTo(gCreatureRingPoints[row]);
        return;
    }
    i32 moved = 0;
    if (BattleKeyPressed(kKeyUp) || BattleKeyPressed(kKeyLeft)) moved = 1;
    else if (BattleKeyPressed(kKeyDown) || BattleKeyPressed(kKeyRight)) moved = -1;
    if (moved) {
        row = (row + moved + kCreatureRows) % kCreatureRows;
        SetCreatureIcons();
        if (gSmartMouse) CursorTo(gCreatureRingPoints[row]);
        return;
    }
    bool pick = BattleKeyPressed(kKeyConfirm);
    if (!pick && gBattleCursor.Clicked(kMouseLeft)) {
        for (int k = 0; k < kCreatureRows; ++k) {
            if (!ActFrameHit(kCreatureRingAct, creatureIcons[k].action, ringX + kCreatureIconX,
                             ringY + kCreatureIconY, gBattleCursor.x(), gBattleCursor.y()))
                continue;
            row = k;
            SetCreatureIcons();
            pick = true;
            break;
        }
    }
    if (!pick || (row == kCreatureMagicRow && current->IsSpellBanned())) return;
    chosen = 1;
    code = row;
    MenuSound(kSoundForward);
}

void cCommandMenu::PayOffering() {
    MonsterData* m = CreatureRecord(*current);
    if (m) m->offerValue -= m->actionCost;
}

void cCommandMenu::CompleteCreature() {
    cFighter* t = nullptr;
    i32 r = kListRunning;
    if (row == 0) {
        r = PickEnemy(&t, current->attackKind == 1 ? 1 : 0, false);
        if (r == kListConfirmed) {
            Link(t);
            PayOffering();
            Commit(kCmdAttack);
        }
    } else if (row == 1) {
        PayOffering();
        Commit(kCmdDefend);
        return;
    } else if (row == kCreatureReleaseRow) {
        Commit(kCmdEndTransform);
        return;
    } else if (!skill) {
        r = OpenCreatureMagicList(&skill);
        if (r == kListConfirmed) return;
    } else {
        switch (skill->target) {
            case 1: r = PickAlly(&t, 0, false); break;
            case 3: r = PickEnemy(&t, 0, false); break;
            case 2: LinkSide(true); r = kListConfirmed; break;
            case 4: LinkSide(false); r = kListConfirmed; break;
            case 5: t = current; r = kListConfirmed; break;
            default: r = kListCancelled; break;
        }
        if (r == kListConfirmed) {
            if (t) Link(t);
            current->skillInUse = skill;
            const bool strike = skill->category == 0;
            PayOffering();
            Commit(strike ? kCmdSkillStrike : kCmdMagic);
        }
    }
    if (r == kListCancelled && current) {
        chosen = 0;
        skill = nullptr;
        CursorTo(gCreatureRingPoints[row]);
    }
}
