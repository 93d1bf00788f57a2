// One combatant on the battlefield: its fields, the pending command codes, the
// action states, the turn gauge with regeneration and timed marks, and its
// status conditions.
#pragma once
#include "base/Types.h"
#include "data/Records.h"
#include "battle/BattleSprite.h"
#include "battle/FighterStats.h"

class cHitAnim;

// Pending command codes.
enum FighterCommand {
    kCmdNone = 0,
    kCmdDefend = 1,
    kCmdAttack = 2,
    kCmdMagic = 3,
    kCmdAirRaid = 4,
    kCmdTheft = 5,
    kCmdThrow = 6,
    kCmdFlee = 7,
    kCmdCapture = 8,
    kCmdItem = 9,
    kCmdSkillStrike = 10,
    kCmdTransform = 11,
    kCmdEndTransform = 12,
};

// The action state a command starts (0 for codes outside 1..12).
i32 CommandActionState(i32 command, i32 attackKind);

// Action states.
enum FighterState {
    kStateWaiting = 1,
    kStateFallen = 2,
    kStatePoison = 3,
    kStateDodge = 4,
    kStateHit = 5,
    kStateCounter = 6,
    kStateDefend = 7,
    kStateCloseAttack = 8,
    kStateRangedAttack = 9,
    kStateMagic = 10,
    kStateAirRaid = 11,
    kStateTheft = 12,
    kStateThrow = 13,
    kStateFlee = 14,
    kStateCapture = 15,
    kStateLevelUp = 16,
    kStateItem = 17,
    kStateSkillStrike = 18,
    kStateTransform = 19,
    kStateEndTransform = 20,
};

// Actions of a body act: a facing (4 or 5) plus one of these.
enum BodyAction {
    kActStand = 0,
    kActReady = 8,
    kActCast = 16,
    kActHurt = 24,
    kActFallen = 32,
    kActSpecial = 40,
    kActAttack = 48,
    kActCritical = 56,
    kActSkill = 64,
};

// Status bits.
enum StatusBit : u32 {
    kStSleep = 0x1,
    kStHaste = 0x2,
    kStSlow = 0x4,
    kStBlessing = 0x8,
    kStWeakness = 0x10,
    kStStarShield = 0x20,
    kStMoonShield = 0x40,
    kStSunShield = 0x80,
    kStHolyBarrier = 0x100,
    kStSpellBan = 0x200,
    kStPoison = 0x400,
    kStConfusion = 0x800,
    kStParalysis = 0x1000,
    kStBlindness = 0x2000,
    kStDying = 0x4000,
};
constexpr u32 kStatusCureMask = 0x3E15;
// Bits that end with the battle when the party's words are written back.
constexpr u32 kStatusBattleOnlyMask = 0x9FF;

constexpr int kFighterTargets = 15;
constexpr int kHitCodeCount = 6;
constexpr int kTimedMarkCount = 6;
constexpr int kAuxRecords = 40;
constexpr i32 kGaugeFull = 255;

// The act and action an auxiliary animation record starts with.
struct FighterAux {
    i32 act;
    i32 action;
};

struct TimedMark {
    i32 on;
    i32 turnsLeft;
};

// The battle sprite of a combatant; its action state runs in Update.
class cFighter : public cBattleSprite {
public:
    // Sprite flags.
    static constexpr u32 kInUse = kSpriteInUse;
    static constexpr u32 kTaken = kSpriteTaken;

    cFighter();
    // Clears every field; the status word becomes all bits.
    void Reset();
    // One tick: fade, flash and shake, the action state, the draw list.
    void Update();
    static void DrawSprite(cBattleSprite& s);

    void SetAction(i32 state, i32 step, i32 subStep);
    void SaveAction();
    void RestoreAction();

    bool IsTaken() const { return (flags & kTaken) != 0; }
    bool IsInUse() const { return (flags & kInUse) != 0; }
    bool IsPartySide() const { return (kind & kKindParty) != 0; }
    bool IsEnemy() const { return (kind & kKindEnemy) != 0; }
    bool IsAdded() const { return (kind & kKindAdded) == kKindAdded; }
    bool IsDying() const { return (status & kStDying) != 0; }
    bool IsAlive() const { return !IsDying(); }
    bool IsReady() const { return gauge == kGaugeFull; }
    bool HasCommand() const { return command != kCmdNone; }
    bool CanAct() const { return IsTaken() && IsAlive() && IsReady() && !HasCommand(); }
    // In the middle of its own command's action.
    bool IsActing() const { return action >= 7 && action != 16; }
    // Back in the waiting state (a slot that is no longer taken counts as idle).
    bool IsIdle() const { return !IsTaken() || action == kStateWaiting; }
    bool IsMonster222() const { return IsEnemy() && pic == 222; }
    // The monster's picture offset (zero for the party side).
    i32 MonsterDx() const;
    i32 MonsterDy() const;
    // Where its hit animations land.
    i32 HitPointX() const;
    i32 HitPointY() const;

    void StartGlow();
    void StopGlow() { glowOn = 0; }
    void StartBlink();
    void StopBlink() { blinkOn = 0; }
    bool IsGlowing() const { return glowOn != 0; }
    bool IsBlinking() const { return blinkOn != 0; }

    // Drops every target link and the targets' links back to this fighter.
    void ReleaseTargets();

    // One gauge step of the waiting state; true when the gauge is full. With
    // realTime set the gauge moves on every third call only.
    bool StepGauge(bool realTime);
    // Regeneration after the gauge fills; shows the gains.
    void Regenerate();
    void TickTimedMarks();

    // Status tests.
    bool Has(u32 bit) const { return (status & bit) != 0; }
    bool IsAsleep() const { return Has(kStSleep); }
    bool IsHasted() const { return Has(kStHaste); }
    bool IsSlowed() const { return Has(kStSlow); }
    bool IsBlessed() const { return Has(kStBlessing); }
    bool IsWeakened() const { return Has(kStWeakness); }
    bool HasStarShield() const { return Has(kStStarShield); }
    bool HasMoonShield() const { return Has(kStMoonShield); }
    bool HasSunShield() const { return Has(kStSunShield); }
    bool HasHolyBarrier() const { return Has(kStHolyBarrier); }
    bool IsSpellBanned() const { return Has(kStSpellBan); }
    bool IsPoisoned() const { return Has(kStPoison); }
    bool IsConfused() const { return Has(kStConfusion); }
    bool IsParalysed() const { return Has(kStParalysis); }
    bool IsBlind() const { return Has(kStBlindness); }
    // Sleeping or paralysed: cannot evade, counter or keep its items.
    bool IsHelpless() const { return IsAsleep() || IsParalysed(); }

    // Status starts and ends (each writes its log line when it acts).
    void StartStatus(u32 bit);
    void EndStatus(u32 bit);
    void StartSleep() { StartStatus(kStSleep); }
    void StartHaste() { StartStatus(kStHaste); }
    void StartSlow() { StartStatus(kStSlow); }
    void StartBlessing() { StartStatus(kStBlessing); }
    void StartWeakness() { StartStatus(kStWeakness); }
    void StartStarShield() { StartStatus(kStStarShield); }
    void StartMoonShield() { StartStatus(kStMoonShield); }
    void StartSunShield() { StartStatus(kStSunShield); }
    void StartHolyBarrier() { StartStatus(kStHolyBarrier); }
    void StartSpellBan() { StartStatus(kStSpellBan); }
    void StartPoison() { StartStatus(kStPoison); }
    void StartConfusion() { StartStatus(kStConfusion); }
    void StartParalysis() { StartStatus(kStParalysis); }
    void StartBlindness() { StartStatus(kStBlindness); }
    void EndSleep() { EndStatus(kStSleep); }
    void EndHaste() { EndStatus(kStHaste); }
    void EndSlow() { EndStatus(kStSlow); }
    void EndBlessing() { EndStatus(kStBlessing); }
    void EndWeakness() { EndStatus(kStWeakness); }
    void EndStarShield() { EndStatus(kStStarShield); }
    void EndMoonShield() { EndStatus(kStMoonShield); }
    void EndSunShield() { EndStatus(kStSunShield); }
    void EndHolyBarrier() { EndStatus(kStHolyBarrier); }
    void EndSpellBan() { EndStatus(kStSpellBan); }
    void EndPoison() { EndStatus(kStPoison); }
    void EndConfusion() { EndStatus(kStConfusion); }
    void EndParalysis() { EndStatus(kStParalysis); }
    void EndBlindness() { EndStatus(kStBlindness); }
    void Revive();
    void Cure();
    // Effect codes 1..31 of items and skills; on-hit codes 1..30 of weapons.
    void ApplyEffectCode(i32 code);
    void ApplyHitEffectCode(i32 code);
    // Counter tick of a timed condition: down by one, or its end at 0.
    void TickStatus(u32 bit);
    // The per-turn tick, run each time the gauge fills.
    void TickStatusTurn();
    // One use of a shield or the barrier.
    void UseStarShield() { TickStatus(kStStarShield); }
    void UseMoonShield() { TickStatus(kStMoonShield); }
    void UseSunShield() { TickStatus(kStSunShield); }
    void UseHolyBarrier() { TickStatus(kStHolyBarrier); }
    // The duration counter of a timed condition, or null.
    i32* StatusCounter(u32 bit);

    // Writes a log line with this fighter's name in place of "%s" (fmt is UTF-8).
    void Log(const char* fmtUtf8) const;

    // The sprite part: pic is the role index or monster number, act the body act,
    // facing 4 the party side and 5 the enemy side.

    // ---- Fighter part. ----
    // The action state (the sprite's own action word is not used by a fighter).
    i32 action = 0, step = 0, subStep = 0;
    i32 savedAction = 0, savedStep = 0, savedSubStep = 0;
    i32 slot = 0;
    FighterAux aux[kAuxRecords] = {};
    i32 specialAct = 0;
    i32 hitAct = 0;
    i32 row = 0, homeRow = 0;
    i32 homeX = 0, homeY = 0, homeZ = 0;
    cFighterStats stats;
    u32 status = 0;
    i32 hp = 0, mp = 0, shownHp = 0, shownMp = 0, maxHp = 0, maxMp = 0;
    i32 gauge = 0, gaugeDelay = 0, gaugesFrozen = 0;
    i32 ordered = 0;
    i32 glowOn = 0, blinkOn = 0, pulseLevel = 32, pulseStep = -4, glowLevel = 0, glowStep = 0;
    u32 blinkWord = 0;
    i32 command = 0;
    i32 attackKind = 0;
    i32 hitRate = 0, evasionRate = 0, magicEvasionRate = 0, fleeRate = 0, theftRate = 0,
        captureCounter = 0;
    i32 blows = 0, spellHits = 0;
    i32 critical = 0, captureResult = 0;
    i32 defending = 0, fleeResult = 0;
    i32 attack = 0, defence = 0;
    i32 lastHpDamage = 0, lastMpDamage = 0;
    i32 hasteCount = 0, slowCount = 0, barrierCount = 0, starCount = 0, moonCount = 0, sunCount = 0,
        blessingCount = 0, weaknessCount = 0, banCount = 0;
    i32 powerUp = 0;
    i32 hpRegen = 0, mpRegen = 0, hpRegenPercent = 0, mpRegenPercent = 0, hpDrain = 0, mpDrain = 0;
    i32 hitCodes[kHitCodeCount] = {};
    i32 reflect = 0;
    i32 specialSkill = 0;
    TimedMark marks[kTimedMarkCount] = {};
    MonsterSkill specials[5] = {};
    MonsterSkill healSpecial = {};
    const ItemData* itemInUse = nullptr;
    const SkillData* skillInUse = nullptr;
    EquipageData* thrownPiece = nullptr;
    const MonsterData* formToAdd = nullptr;
    cFighter* attackedBy = nullptr;
    cFighter* targets[kFighterTargets] = {};
    cFighter* counterAttacker = nullptr;
    cFighter* countered = nullptr;
    cHitAnim* effectAnim = nullptr;
    cHitAnim* skillAnim = nullptr;
    cHitAnim* itemAnim = nullptr;
    cHitAnim* blowAnim = nullptr;
    // Animation players of the auxiliary records, started from aux when drawn.
    ActPlayer auxPlay[kAuxRecords] = {};
};

// The fighters' calls up into the controller, which fills it in (null: nothing happens).
struct FighterControllerLink {
    void (*setActive)(bool on) = nullptr;
};
extern FighterControllerLink gFighterController;
// Developer switches: every capture succeeds; enemies show their numbers.
extern i32 gDevCaptureAlways;
extern i32 gDevFighterDisplay;
// The capture chance among those numbers, filled in by the battle above the
// drawing (null: the line shows the capture counter alone).
extern i32 (*gDevCaptureChance)(const cFighter& target);

void ResetFighterGlobals();
