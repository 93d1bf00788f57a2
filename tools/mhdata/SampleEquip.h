// The sample game's additions for the equipment page: owned pieces of every
// slot (one list longer than ten rows), wearer masks that leave some roles out,
// the three bonus modes and icons across 0..28.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "base/Types.h"
#include "data/Records.h"

namespace sampleEquip {
constexpr i32 kFirstPiece = 8;  // records 8..12: one-handed weapons, two of each given
constexpr i32 kWeaponCount = 5;
constexpr i32 kWeaponCopies = 2;
constexpr i32 kIronShield = 13;  // role 2 may not wear it
constexpr i32 kMoonRing = 14;    // accessory, percent bonuses
constexpr i32 kFeatherHat = 15;  // icon 28
constexpr i32 kDragonMail = 16;  // armour, overwrite bonuses
constexpr i32 kPieceEnd = 17;
// Weapons role 0 may not wear (grey in its weapon list).
constexpr u32 kNoRole0Mask = 0xFE;
// The offering monsters follow the boss (222): the opening gives two 石魔像
// (strengthening chance 100: +15 attack and +3 strength on a weapon, +12
// defence and +3 stamina on armour, earth -10 on either), one 幻影 (chance 0)
// and the nameless one.
constexpr i32 kGolem = 223, kPhantom = 224, kNameless = 225;
constexpr i32 kGolemsGiven = 2;
// What each offering monster costs at the smith's, and what the golem passes
// into a piece: the weapon and the armour block (strength, stamina, magic,
// spirit, agility, attack, defence) and the common block (the eight ratios:
// fire, water, wind, earth, electricity, poison, light, dark).
constexpr i32 kOfferMonsterPrice = 300;
constexpr i32 kGolemWeaponBlock[7] = {3, 0, 0, 0, 0, 15, 0};
constexpr i32 kGolemArmourBlock[7] = {0, 3, 0, 0, 0, 0, 12};
constexpr i32 kGolemCommonBlock[8] = {0, 0, 0, -10, 0, 0, 0, 0};
}  // namespace sampleEquip

// Appends records 8..16 to the sample's equipment 0..7.
void AppendEquipPieces(std::vector<EquipageData>& equipages);
// Monsters for the offering page, appended after the others: 石魔像 with large
// offering bonuses, 幻影 with no picture act (act 0), and one with no name
// (its description is "無名之物").
void AppendOfferMonsters(std::vector<MonsterData>& monsters);
// What a test gives the party to fill the lists: (AddItem number, count) for
// two of each weapon, one of the other pieces and a second 巨劍.
std::vector<std::pair<i32, i32>> SampleEquipGifts();
// The opening talk's lines for these: the pieces above, the offering monsters
// and form 1 unlocked.
std::string SampleEquipOpeningLines();
