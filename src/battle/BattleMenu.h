// The battle's command menu: the member ring of eight commands and the
// creature ring of four, who is being commanded, the lists a command opens,
// target picking on either side, and handing the command to the fighter.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"
#include "data/Records.h"
#include "battle/BattleLists.h"
#include "battle/BattleMenuParts.h"
#include "battle/Fighter.h"

constexpr i32 kRingHomeX = 428, kRingHomeY = -100;
constexpr i32 kRingInX = 300, kCreatureRingInX = 352;
constexpr i32 kRingAct = 11001, kCreatureRingAct = 11005;
// Looks of the battle cursor while commanding.
constexpr u32 kLookNormal = 9101, kLookIdle = 9102, kLookTarget = 9103, kLookBadTarget = 9107;

// Ring row commands.
enum RingCode {
    kRingAttack = 0,
    kRingDefend = 1,
    kRingWait = 2,
    kRingFlee = 3,
    kRingItem = 4,
    kRingThrow = 5,
    kRingSteal = 6,
    kRingCapture = 7,
    kRingAirRaid = 8,
    kRingTransform = 9,
    kRingSummon = 10,
    kRingSkillFirst = 11,
    kRingSkillStrike = 14,  // the category-0 skills strike at the front row
    kRingSkillLast = 16,
};

class cCommandMenu {
public:
    void Reset();
    // One tick of the player's input (creature ring while a form is in control).
    void Input();
    void Draw();
    // The fighter being commanded; auto battle hands its fighter over with SetCurrent.
    cFighter* Current() const { return current; }
    void SetCurrent(cFighter* f) {
        current = f;
        next = f;
    }
    // A command is being completed (a list or a target is open).
    bool Chosen() const { return chosen != 0; }
    // Hands code to the current fighter as its pending command.
    void Commit(i32 code);
    // Target picking: kListRunning while choosing, 0 cancelled, 1 picked.
    i32 PickEnemy(cFighter** target, i32 row, bool capture);
    i32 PickAlly(cFighter** target, i32 row, bool allowDying);

    // The lists: kListRunning while open, 0 cancelled, 1 confirmed (out written).
    i32 OpenItemList(const ItemData** out);
    i32 OpenThrowList(EquipageData** out);
    i32 OpenSkillList(i32 code, const SkillData** out);
    i32 OpenSummonList(const SkillData** out);
    i32 OpenFormList(const MonsterData** out, bool refused);
    i32 OpenCreatureMagicList(const SkillData** out);

    cFighter* current = nullptr;
    cFighter* next = nullptr;
    ActPlayer creatureIcons[kCreatureRows];
    i32 ringX = kRingHomeX, ringY = kRingHomeY;
    i32 panelX = kRingHomeX, panelY = kRingHomeY;
    i32 chosen = 0;
    i32 row = 0;
    i32 code = 0;
    cFighter* target = nullptr;
    i32 blinkParty = -1, blinkEnemy = -1;
    const SkillData* skill = nullptr;
    const ItemData* item = nullptr;
    EquipageData* piece = nullptr;
    const MonsterData* form = nullptr;
    cBattleList list;

private:
    void MemberInput();
    void ChooseFighter();
    cFighter* SkipOrdered(cFighter* from);
    void EnableRows(i32 role);
    bool TransformAllowed() const;
    bool SwitchFighter();
    void SlideRing(i32 role);
    void RingKeys(i32 role);
    void Choose(i32 role);
    void Complete();
    void CompleteItem();
    void CompleteThrow();
    void CompleteTransform();
    void CompleteSkill();
    void CompleteCreature();
    void CreatureInput();
    void CreatureFind();
    void CreatureRing();
    void SetCreatureIcons();
    bool CreatureUsable() const;
    void PayOffering();
    void ClearSelections();
    void StopBlinks();
    void Link(cFighter* t);
    i32 TargetByKind(i32 kind, i32 foeRow, bool revive);
    void LinkSide(bool party);
    void LinkSelf();
    void CursorTo(const RingPoint& p);
    void DrawMemberRing();
    void DrawCreatureRing();
    i32 lastMouseX_ = -1, lastMouseY_ = -1;
};
