// The command menu: who is commanded, which rows are open to it, the ring's
// motion and keys, completing the chosen command into a pending one, and the
// creature ring that commands the god/demon form fighting in the party's place
// with the offering each of its commands pays. Target picking and the lists
// (BattleMenuPick.cpp) and the drawing (BattleMenuDraw.cpp) are called from here
// and call nothing back.
#include "battle/BattleMenu.h"

#include <algorithm>

#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "battle/BattleKeys.h"
#include "battle/BattleMenuParts.h"
#include "battle/BattleSide.h"

namespace {
constexpr i32 kFullGauge = 255;
constexpr i32 kPanelStep = 20, kRingStep = 32, kRingOutStep = 20;
constexpr i32 kRingBoxW = 128, kRingBoxH = 100;
constexpr i32 kPowerCost = 5;  // MP that steal, capture and air raid need
constexpr i32 kTransformRow = 5;

bool RealTime() {
    return gRealTimeBattle != 0;
}
}  // namespace

void cCommandMenu::Reset() {
    ResetBattleMenus();
    current = next = nullptr;
    for (ActPlayer& p : creatureIcons) p = ActPlayer{};
    ringX = panelX = kRingHomeX;
    ringY = panelY = kRingHomeY;
    chosen = 0;
    code = 0;
    ClearSelections();
    blinkParty = blinkEnemy = -1;
    list.Clear();
    lastMouseX_ = lastMouseY_ = -1;
}

void cCommandMenu::ClearSelections() {
    target = nullptr;
    skill = nullptr;
    item = nullptr;
    piece = nullptr;
    form = nullptr;
}

void cCommandMenu::Input() {
    if (gPartySide.creatureInControl)
        CreatureInput();
    else
        MemberInput();
}

void cCommandMenu::Commit(i32 c) {
    if (!current) return;
    current->command = c;
    current->StopGlow();
    next = gPartySide.NextReady(current);
    current = nullptr;
    chosen = 0;
    if (!RealTime()) FreezeBattleSides(false);
}

void cCommandMenu::MemberInput() {
    if (gPartySide.AllDown() || gEnemySide.AllDown() || gPartySide.IsFleeing()) return;
    const cFighter* pending = gPartySide.FindPending();
    if (pending && !pending->IsConfused()) return;
    if (next || !current || current->gauge != kFullGauge || !current->IsTaken() ||
        current->IsDying()) {
        ChooseFighter();
        return;
    }
    if (!RealTime()) FreezeBattleSides(true);
    const i32 role = CommandRole(*current);
    if (role < 0) return;
    if (chosen) {
        ringX = std::min(ringX + kRingOutStep, kRingHomeX);
        Complete();
        return;
    }
    CommandRow& tr = gCommandRows[role][kTransformRow];
    if (tr.code == kRingTransform) tr.enabled = TransformAllowed() ? 1 : 0;
    if (SwitchFighter()) return;
    SlideRing(role);
}

bool cCommandMenu::TransformAllowed() const {
    return !current->IsSpellBanned() && current->hp >= current->maxHp / 2 &&
           gPartySide.AllGaugesFull();
}

bool cCommandMenu::SwitchFighter() {
    cFighter* pick = nullptr;
    if (BattleKeyPressed(kKeyPageUp))
        pick = gPartySide.PrevReady(current);
    else if (BattleKeyPressed(kKeySwitch) || BattleKeyPressed(kKeyPageDown))
        pick = gPartySide.NextReady(current);
    else if (gBattleCursor.Clicked(kMouseLeft)) {
        cFighter* f = gPartySide.FighterAt(gBattleCursor.x(), gBattleCursor.y());
        if (f && f->CanAct() && !f->IsConfused()) pick = f;
    }
    if (!pick) return false;
    pick->ordered = 0;
    next = pick;
    return true;
}

// Steps 9: the next fighter to command, skipping those told to wait.
void cCommandMenu::ChooseFighter() {
    if (current) current->StopGlow();
    ClearSelections();
    list.Clear();
    StopBlinks();
    chosen = 0;
    cFighter* cand = next;
    next = nullptr;
    if (cand && (!cand->CanAct() || cand->IsConfused())) cand = nullptr;
    if (!cand) cand = gPartySide.NextReady(current);
    current = nullptr;
    if (!RealTime()) cand = SkipOrdered(cand);
    if (!cand && !RealTime()) {
        if (BattleKeyPressed(kKeyPageUp))
            cand = gPartySide.PrevReady(nullptr);
        else if (BattleKeyPressed(kKeySwitch) || BattleKeyPressed(kKeyPageDown))
            cand = gPartySide.NextReady(nullptr);
        else {
            cFighter* f = gPartySide.FighterAt(gBattleCursor.x(), gBattleCursor.y());
            const bool ok = f && f->CanAct() && !f->IsConfused();
            gBattleCursor.SetLook(ok ? kLookNormal : kLookIdle, 0);
            if (ok && gBattleCursor.Clicked(kMouseLeft)) cand = f;
        }
    }
    if (!cand) {
        if (RealTime()) gBattleCursor.SetLook(kLookIdle, 0);
        return;
    }
    const i32 role = CommandRole(*cand);
    if (role < 0) return;  // a fighter outside the table gets no ring
    current = cand;
    gBattleCursor.SetLook(kLookNormal, 0);
    cand->ordered = 0;
    cand->StartGlow();
    EnableRows(role);
    panelX = ringX = kRingHomeX;
    panelY = ringY = kRingHomeY;
}

cFighter* cCommandMenu::SkipOrdered(cFighter* from) {
    cFighter* f = from;
    for (int k = 0; f && f->ordered && k < kSideSlots; ++k) {
        f = gPartySide.NextReady(f);
        if (f == from) return nullptr;
    }
    return f && !f->ordered ? f : nullptr;
}

void cCommandMenu::EnableRows(i32 role) {
    bool formOnField = false;
    for (int i = 0; i < gEnemySide.count; ++i) {
        const cFighter& e = gEnemySide.fighters[i];
        if (e.IsTaken() && e.stats.Kind() != 0) formOnField = true;
    }
    const bool banned = current->IsSpellBanned();
    for (CommandRow& r : gCommandRows[role]) {
        const i32 c = r.code;
        bool on = true;
        if (c == kRingWait)
            on = !RealTime();
        else if (c == kRingFlee)
            on = !formOnField;
        else if (c >= kRingSteal && c <= kRingAirRaid)
            on = current->mp >= kPowerCost;
        else if (c == kRingTransform || c == kRingSummon)
            on = !banned;
        else if (c >= kRingSkillFirst && c <= kRingSkillLast) {
            const bool learned = CountLearnedSkills(role, SkillCategoryOfCode(c)) > 0;
            // Under a spell ban only healing and the strikes stay open.
            const bool kept = c == 13 || c == kRingSkillStrike;
            on = learned && (!banned || kept);
        }
        r.enabled = on ? 1 : 0;
    }
}

void cCommandMenu::CursorTo(const RingPoint& p) {
    gBattleCursor.SetPos(p.x, p.y);
}

void cCommandMenu::SlideRing(i32 role) {
    // A key kept down from before the ring came in reaches the ring only once let go.
    if (panelY < 0 || ringX > kRingInX) gBattleKeys.IgnoreHeld();
    if (panelY < 0) {
        panelY = std::min(panelY + kPanelStep, 0);
        if (panelY == 0) ringY = 0;
        return;
    }
    if (ringX > kRingInX) {
        ringX = std::max(ringX - kRingStep, kRingInX);
        if (ringX == kRingInX && gSmartMouse) CursorTo(gRingPoints[row]);
        return;
    }
    RingKeys(role);
}

void cCommandMenu::RingKeys(i32 role) {
    const i32 mx = gBattleCursor.x(), my = gBattleCursor.y();
    const bool inBox = mx > ringX && mx < ringX + kRingBoxW && my > ringY && my < ringY + kRingBoxH;
    i32 moved = 0;
    if (BattleKeyPressed(kKeyUp) || BattleKeyPressed(kKeyLeft))
        moved = -1;
    else if (BattleKeyPressed(kKeyDown) || BattleKeyPressed(kKeyRight))
        moved = 1;
    if (moved) {
        row = (row + moved + kRingRows) % kRingRows;
        if (gSmartMouse || inBox) CursorTo(gRingPoints[row]);
        return;
    }
    if (BattleKeyPressed(kKeyConfirm)) {
        Choose(role);
        return;
    }
    for (int k = 0; k < kRingRows; ++k) {
        if (!ActFrameHit(kRingAct, gCommandRows[role][k].frameBase, ringX, ringY, mx, my)) continue;
        row = k;
        if (gBattleCursor.Clicked(kMouseLeft)) Choose(role);
        return;
    }
}

void cCommandMenu::Choose(i32 role) {
    const CommandRow& r = gCommandRows[role][row];
    if (!r.enabled) return;
    chosen = 1;
    code = r.code;
    MenuSound(kSoundForward);
}

void cCommandMenu::Complete() {
    if (code != kRingWait && AnySidePending()) return;
    cFighter* t = nullptr;
    switch (code) {
        case kRingAttack: {
            const i32 r = PickEnemy(&t, current->attackKind == 1 ? 1 : 0, false);
            if (r == 1) {
                Link(t);
                Commit(kCmdAttack);
            } else if (r == 0) {
                chosen = 0;
            }
            return;
        }
        case kRingDefend:
            Commit(kCmdDefend);
            return;
        case kRingWait:
            if (gPartySide.memberCount > 1) {
                current->ordered = 1;
                if (gPartySide.AllOrdered())
                    if (cFighter* n = gPartySide.NextReady(current)) n->ordered = 0;
            }
            Commit(kCmdNone);
            return;
        case kRingFlee:
            Commit(kCmdFlee);
            return;
        case kRingItem:
            CompleteItem();
            return;
        case kRingThrow:
            CompleteThrow();
            return;
        case kRingSteal:
        case kRingCapture:
        case kRingAirRaid: {
            const i32 r = PickEnemy(&t, 0, code == kRingCapture);
            if (r == 1) {
                Link(t);
                Commit(code == kRingSteal     ? kCmdTheft
                       : code == kRingCapture ? kCmdCapture
                                              : kCmdAirRaid);
            } else if (r == 0) {
                chosen = 0;
            }
            return;
        }
        case kRingTransform:
            CompleteTransform();
            return;
        default:
            CompleteSkill();
            return;
    }
}

void cCommandMenu::CompleteItem() {
    if (!item) {
        if (OpenItemList(&item) == kListCancelled) chosen = 0;
        return;
    }
    const i32 r = TargetByKind(item->target, 0, item->statusEffect == kStatusEffectRevive);
    if (r == kListCancelled) item = nullptr;
    if (r != kListConfirmed) return;
    current->itemInUse = item;
    Commit(kCmdItem);
}

void cCommandMenu::CompleteThrow() {
    if (!piece) {
        if (OpenThrowList(&piece) == kListCancelled) chosen = 0;
        return;
    }
    cFighter* t = nullptr;
    const i32 r = PickEnemy(&t, 0, false);
    if (r == kListCancelled) piece = nullptr;
    if (r != kListConfirmed) return;
    Link(t);
    current->thrownPiece = piece;
    Commit(kCmdThrow);
}

void cCommandMenu::CompleteTransform() {
    if (form) {
        current->formToAdd = form;
        Commit(kCmdTransform);
        return;
    }
    if (OpenFormList(&form, !TransformAllowed()) == kListCancelled) chosen = 0;
}

void cCommandMenu::CompleteSkill() {
    if (!skill) {
        const i32 r = code == kRingSummon ? OpenSummonList(&skill) : OpenSkillList(code, &skill);
        if (r == kListCancelled) chosen = 0;
        return;
    }
    const i32 r = TargetByKind(skill->target, code == kRingSkillStrike ? 1 : 0,
                               skill->statusEffect == kStatusEffectRevive);
    if (r == kListCancelled) skill = nullptr;
    if (r != kListConfirmed) return;
    current->skillInUse = skill;
    // A strike skill aimed at one fighter, ally or foe, is struck; the rest are cast.
    const bool one = skill->target == kTargetOneAlly || skill->target == kTargetOneFoe;
    const bool strike = one && code == kRingSkillStrike;
    Commit(strike ? kCmdSkillStrike : kCmdMagic);
}

// The target of an item or a skill by its kind: one ally or one foe picked
// (the pick's result; foeRow is the foe pick's starting row), a whole side or
// the fighter itself linked at once (confirmed), and a kind the battle has no
// use for taken as cancelled.
i32 cCommandMenu::TargetByKind(i32 kind, i32 foeRow, bool revive) {
    cFighter* t = nullptr;
    i32 r = kListConfirmed;
    switch (kind) {
        case kTargetOneAlly:
            r = PickAlly(&t, 0, revive);
            break;
        case kTargetOneFoe:
            r = PickEnemy(&t, foeRow, false);
            break;
        case kTargetAllAllies:
        case kTargetAllFoes:
            LinkSide(kind == kTargetAllAllies);
            return kListConfirmed;
        case kTargetSelf:
            LinkSelf();
            return kListConfirmed;
        default:
            return kListCancelled;
    }
    if (r == kListConfirmed) Link(t);
    return r;
}

// ---- Links. ----

void cCommandMenu::Link(cFighter* t) {
    if (!t || !current) return;
    for (cFighter*& l : current->targets) l = nullptr;
    t->attackedBy = current;
    current->targets[0] = t;
}

void cCommandMenu::LinkSelf() {
    Link(current);
}

void cCommandMenu::LinkSide(bool party) {
    cBattleSide& side = party ? gPartySide : gEnemySide;
    for (cFighter*& l : current->targets) l = nullptr;
    int n = 0;
    for (int i = 0; i < side.count && n < kFighterTargets; ++i) {
        cFighter& f = side.fighters[i];
        if (!f.IsTaken() || f.IsDying()) continue;
        f.attackedBy = current;
        current->targets[n++] = &f;
    }
}

// The creature ring.
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
    if (!gRealTimeBattle) FreezeBattleSides(true);
    if (chosen)
        CompleteCreature();
    else
        CreatureRing();
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
    if (BattleKeyPressed(kKeyUp) || BattleKeyPressed(kKeyLeft))
        moved = 1;
    else if (BattleKeyPressed(kKeyDown) || BattleKeyPressed(kKeyRight))
        moved = -1;
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
            case kTargetOneAlly:
                r = PickAlly(&t, 0, false);
                break;
            case kTargetOneFoe:
                r = PickEnemy(&t, 0, false);
                break;
            case kTargetAllAllies:
                LinkSide(true);
                r = kListConfirmed;
                break;
            case kTargetAllFoes:
                LinkSide(false);
                r = kListConfirmed;
                break;
            case kTargetSelf:
                t = current;
                r = kListConfirmed;
                break;
            default:
                r = kListCancelled;
                break;
        }
        if (r == kListConfirmed) {
            if (t) Link(t);
            current->skillInUse = skill;
            const bool strike = skill->category == kCombatCategory;
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
