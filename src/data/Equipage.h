// Owned equipment and monsters: adding, wearing and counting pieces, who may wear
// what, strengthening a piece with a monster, offering a monster to a god/demon
// form, and the description text of a piece.
#pragma once
#include "data/Records.h"
#include "base/Types.h"

// Kinds 2 and 6 are held in both hands and take the shield slot too.
inline bool IsTwoHandedKind(i32 kind) {
    return kind == 2 || kind == 6;
}

// Copies the record into the first free owned place; its index, or -1 when all 256 are used.
i32 AddEquipage(const EquipageData& record);
// 1 when some role wears owned piece n in the slot its kind selects, else 0.
int IsEquipageEquipped(i32 n);
// 1 when bit role of owned piece n's wearer mask is set; 0 for roles outside 0..7.
int CanRoleEquip(i32 n, i32 role);
// Owned pieces with that record id that nobody wears.
int CountUnwornEquipage(i32 id);
int CountFreeEquipageSlots();
// gParty entries before the first negative one.
int GetPartyCount();
// Learned skills of the role whose record is of that category.
int CountLearnedSkills(i32 role, i32 category);
// Act offset for the sum of the weapon and shield look codes.
i32 GetEquipLookOffset(i32 weaponLook, i32 shieldLook);

// Strengthening after a successful roll (the roll and the price are the shop's).
void EnhanceWeapon(const MonsterData& monster, EquipageData& piece);
void EnhanceArmour(const MonsterData& monster, EquipageData& piece);
void EnhanceEquipageCommon(const MonsterData& monster, EquipageData& piece);
// Offers one owned monster to a god/demon form; nothing unless every rule allows it.
void OfferMonster(MonsterData& form, const MonsterData& monster);

// Rebuilds the piece's description (Big5, at most 51 bytes, never cutting a
// character) and returns it.
const char* MakeEquipageText(EquipageData& record);
