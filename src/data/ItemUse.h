// Using an item or a skill on a role: the effect values change the base and the
// derived record and the status word, then the derived record is recomputed.
#pragma once
#include "base/Types.h"
#include "data/Records.h"

// Uses one owned item i on role r (or on the party, by the item's target kind).
void UseItem(i32 r, i32 i);
// Applies an item's effects to role r (no owned count changes).
void ApplyItemToRole(i32 r, const ItemData& item);
// The caster spends the skill's MP and the skill reaches the target, the party or the caster.
void UseSkill(RoleStats& caster, const SkillData& skill, RoleStats& target);
// Applies a skill to the role whose derived record is target (its index word names the role).
void ApplySkillToRole(const SkillData& skill, RoleStats& target);

// Status effect s on a status word: 1 clears all, 2..16 set bit s - 2, 17..31
// clear bit s - 17. True when the word changed.
bool ApplyStatusEffect(i32& status, i32 s);
