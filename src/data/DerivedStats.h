// A role's derived record: its base record with the worn pieces' bonuses applied
// and its values clamped.
#pragma once
#include <array>

#include "base/Types.h"
#include "data/Records.h"

// The piece each equipment slot holds (null = empty).
using SlotPieces = std::array<const EquipageData*, kSlotCount>;
// The owned pieces the role's slots name.
SlotPieces WornPieces(const RoleData& role);

// Recomputes out from role and the owned pieces in its slots. HP, MP, the status
// word, level and experience of out survive.
void CalcRoleStats(RoleData& role, RoleStats& out);
// As CalcRoleStats, with these pieces in place of the slots' (what a piece
// not yet owned would change is worked out by the same rules).
void CalcRoleStatsWith(RoleData& role, RoleStats& out, const SlotPieces& pieces);
// out := the role record, keeping out's level and experience.
void CopyBaseStats(const RoleData& role, RoleStats& out);
// Applies owned piece `owned` by its bonus mode.
void AddEquipageStats(const RoleData& role, RoleStats& out, i32 owned);
// Max HP and MP to 0..9999, HP and MP to their maxima (below 1 becomes 0); the
// role record's attack and defence to 0..500 and hit rate and evasion to 0..999.
void ClampRoleStats(RoleData& role, RoleStats& out);
// Both values to 0..500 (attack and defence of a piece, a form or a role record).
void ClampAttributePair(i32& attack, i32& defence);
