// The fighter's close and ranged attacks, magic and skills, items and flight.
#include "battle/FighterAct.h"

void RunCloseAttack(cFighter& f) { ClearActionLinks(f); f.SetAction(kStateWaiting, 0, 0); }
void RunRangedAttack(cFighter& f) { ClearActionLinks(f); f.SetAction(kStateWaiting, 0, 0); }
void RunMagic(cFighter& f) { ClearActionLinks(f); f.SetAction(kStateWaiting, 0, 0); }
void RunItem(cFighter& f) { ClearActionLinks(f); f.SetAction(kStateWaiting, 0, 0); }
void RunFlee(cFighter& f) { ClearActionLinks(f); f.SetAction(kStateWaiting, 0, 0); }
cHitAnim* SpawnSkillEffect(cFighter&, const SkillData&) { return nullptr; }
cHitAnim* SpawnItemEffect(cFighter&, const ItemData&) { return nullptr; }
void SkillEffectEvents(cFighter&, bool) {}
