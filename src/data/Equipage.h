// Owned equipment and monsters: adding, wearing and counting pieces, who may wear
// what, strengthening a piece with a monster, offering a monster to a god/demon
// form, and the description text of a piece.
#pragma once
#include "base/Types.h"
#include "data/Records.h"

// What a piece of equipment is: EquipageData::kind.
enum class EquipKind : i32 {
    OneHanded = 1,  // a one-handed weapon
    TwoHanded = 2,  // a weapon that takes the shield slot too
    Shield = 3,
    Hat = 4,
    Armour = 5,
    Ranged = 6,  // a ranged weapon that takes the shield slot too
    Accessory = 7,
};

constexpr EquipKind EquipKindOf(const EquipageData& piece) {
    return static_cast<EquipKind>(piece.kind);
}
constexpr bool IsWeapon(EquipKind k) {
    return k == EquipKind::OneHanded || k == EquipKind::TwoHanded || k == EquipKind::Ranged;
}
// Held in both hands: worn in the weapon and the shield slot at once.
constexpr bool IsTwoHanded(EquipKind k) {
    return k == EquipKind::TwoHanded || k == EquipKind::Ranged;
}
// What strengthening treats as armour: every kind that is no weapon.
constexpr bool IsArmour(EquipKind k) {
    return k == EquipKind::Shield || k == EquipKind::Hat || k == EquipKind::Armour ||
           k == EquipKind::Accessory;
}
// The slot a piece of that kind is worn in (an accessory: the first of its two;
// a two-handed weapon: the weapon slot), or -1 for no known kind.
constexpr int SlotOf(EquipKind k) {
    if (IsWeapon(k)) return kSlotWeapon;
    switch (k) {
        case EquipKind::Shield:
            return kSlotShield;
        case EquipKind::Hat:
            return kSlotHat;
        case EquipKind::Armour:
            return kSlotArmour;
        case EquipKind::Accessory:
            return kSlotAccessory1;
        default:
            return -1;
    }
}
// True when a piece of that kind may be chosen for the slot.
constexpr bool FitsSlot(EquipKind k, int slot) {
    const int own = SlotOf(k);
    return own >= 0 && (own == slot || (own == kSlotAccessory1 && slot == kSlotAccessory2));
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
