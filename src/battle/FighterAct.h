// What the fighter's action states share: the state dispatch, body actions with
// their fall-backs, hit animations at a fighter, reactions of the targets and
// the log lines that name two fighters.
#pragma once
#include <initializer_list>

#include "base/Types.h"
#include "battle/BattleSide.h"
#include "battle/Fighter.h"

// Hit-animation acts.
constexpr u32 kAnimThrow = 6012, kAnimCast = 7233, kAnimTheft = 7234, kAnimHurt = 7246,
              kAnimTransform = 7251, kAnimBarrier = 7292, kAnimSunShield = 7293,
              kAnimMoonShield = 7294, kAnimStarShield = 7295, kAnimGuard = 7296,
              kAnimEnemyFall = 7300, kAnimCaptureOrb = 7998, kAnimRanged = 8070,
              kAnimFallBoss = 8074, kAnimNoItem = 8082, kAnimStolen = 9006;
// An act stepped at once gives up after this many steps.
constexpr int kMaxInstantSteps = 512;

// Updates every taken fighter of the party side, then of the enemy side.
void UpdateFighters();
// Runs the handler of the fighter's action state.
void RunFighterState(cFighter& f);

// The first of facing + offset that can be started; false when none can.
bool StartBody(cFighter& f, std::initializer_list<i32> offsets);
bool StartBodyFacing(cFighter& f, i32 facing, std::initializer_list<i32> offsets);
bool StartActFacing(cFighter& f, u32 act, i32 facing, std::initializer_list<i32> offsets);
// The special act's actions (theft, throw, capture), falling back to the body act.
bool StartSpecial(cFighter& f, std::initializer_list<i32> offsets);
// The main target or a living stand-in from the other side (row 1 front only,
// 0 any), linked; null (the animation stepped) while there is none.
cFighter* TakeTarget(cFighter& f, i32 row);
// Runs toward the point beside the target where a close action stands.
void RunToTarget(cFighter& f, const cFighter& t, u32 tint, i32 copies);
void ApproachPoint(const cFighter& f, const cFighter& t, i32* ax, i32* az);
// Turns its back on the field and heads home.
void HeadHome(cFighter& f);
// Drops the fighter's own links; its targets keep their attacked-by link.
void DropOwnLinks(cFighter& f);
i32 OtherFacing(i32 facing);
// Steps the started act within the tick until it raises one of the events
// (0x1 or 0x4 unless told) or ends.
void StepToEvent(cFighter& f, u16 events = 0x5);
// The facing a fighter of that side stands in at home.
inline i32 HomeFacing(const cFighter& f) {
    return f.IsPartySide() ? 4 : 5;
}
void StandAtHome(cFighter& f);

cBattleSide& SideOf(const cFighter& f);
cBattleSide& OtherSide(const cFighter& f);
bool SameSide(const cFighter& a, const cFighter& b);

// A hit animation at the fighter's hit point, mirrored for the enemy side.
cHitAnim* SpawnAtFighter(cFighter& owner, const cFighter& at, u32 act, i32 cls = kClassOrdinary);
// The attacker's ordinary hit effect at the target.
cHitAnim* SpawnHitEffect(cFighter& attacker, const cFighter& target);
// A skill's or item's effect over its targets; null when nothing could start.
cHitAnim* SpawnSkillEffect(cFighter& caster, const SkillData& skill);
cHitAnim* SpawnItemEffect(cFighter& user, const ItemData& item);
// True once the linked animation has ended (or was never there).
bool AnimGone(const cFighter& owner, cHitAnim* a);
// Takes one event bit from the linked animation.
bool AnimEvent(const cFighter& owner, cHitAnim* a, u16 bit);

// The target leaves what it does for a reaction state (4 dodge, 5 hit): from
// waiting or its own action it saves that first; a dodge in progress ends.
void EnterReaction(cFighter& t, i32 state);
// A target that is still idle saves its action (a blow is on its way).
void SaveIfIdle(cFighter& t);
// Sleep and confusion end with chance 1 in 5.
void MayWake(cFighter& t);

// HP or MP changed by a loss and kept within 0..max.
void TakeHp(cFighter& f, i64 loss);
void TakeMp(cFighter& f, i64 loss);

// A log line naming two fighters in place of two "%s".
void LogTwo(const char* fmtUtf8, const cFighter& a, const cFighter& b);
// A log line naming a record (item or monster) in place of "%s".
void LogName(const char* fmtUtf8, const char* nameBig5, int nameBytes);

// A living fighter of the side to stand in for a target that is gone or dying
// (row 1 for the front only, 0 any); null when none.
cFighter* ReplaceTarget(cFighter& f, cBattleSide& side, i32 row);
// Links the fighter and its main target.
void LinkTarget(cFighter& f, cFighter* t);
// Ends every link of the action: targets, counters, hit-animation links.
void ClearActionLinks(cFighter& f);
// The fall at 0 HP: status dying alone, command and gauge cleared; the state it goes to.
void FallDown(cFighter& f);
// Dims the scene by n and fades the bystanders; restores both.
void DimScene(i32 n);
void RestoreScene();
// The three states of the command handlers, in FighterActions*.cpp.
void RunCloseAttack(cFighter& f);
void RunRangedAttack(cFighter& f);
void RunMagic(cFighter& f);
void RunItem(cFighter& f);
void RunFlee(cFighter& f);
void RunAirRaid(cFighter& f);
void RunTheft(cFighter& f);
void RunThrow(cFighter& f);
void RunCapture(cFighter& f);
void RunSkillStrike(cFighter& f);
void RunTransform(cFighter& f);
void RunEndTransform(cFighter& f);
// What the target's shields did to a skill's loss: the sun shield's
// animation; the star and moon shields' lines, animations and charges.
struct Loss;
void ShieldsAct(cFighter& f, cFighter& t, const Loss& loss);
// The target's star shield took half of a blow: its line, animation and charge.
void StarShieldHolds(cFighter& f, cFighter& t);
// The effect of a skill on its targets at the effect's events (state 10, step 3;
// item skills leave out the sun shield and the specials).
void SkillEffectEvents(cFighter& f, bool withSpecials);
