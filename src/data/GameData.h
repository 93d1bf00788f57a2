// The game's fixed data tables and the party's owned state: roles, level-up
// rows, monsters, items, equipment, skills, god/demon forms, owned pieces,
// party and formation, and the constant tables battle and menus share.
#pragma once
#include <array>

#include "base/Types.h"
#include "data/Records.h"

constexpr i32 kStatusDying = 0x4000;  // blocks items and skills except status effect 31
constexpr i32 kStatusEffectRevive = 31;
constexpr int kGodFormCount = 20;
constexpr int kOwnedEquipageCount = 256;
constexpr int kPartySize = 8;
constexpr int kMaxOwned = 99;       // most of one item or monster the party can own
constexpr int kMaxOfferValue = 99;  // a god/demon form's offering value

extern RoleData gRoles[kRoleCount];
extern RoleStats gRoleStats[kRoleCount];
extern i32 gLevelUpStats[kRoleCount][kLevelRows][kLevelRowWords];
extern LevelUpSkill gLevelUpSkills[kRoleCount][kSkillRows];
extern i32 gLearnedSkills[kRoleCount][kSkillRows];  // 1 = the role knows the skill of that row

extern MonsterData* gMonsters;
extern i32 gMonsterCount;
extern i32* gOwnedMonsters;  // one count per monster record
extern ItemData* gItems;
extern i32 gItemCount;
extern i32* gOwnedItems;  // one count per item record
extern EquipageData* gEquipages;
extern i32 gEquipageCount;
extern SkillData* gSkills;
extern i32 gSkillCount;

extern MonsterData gGodForms[kGodFormCount];  // form n at index n, its index word = n
extern EquipageData gOwnedEquipage[kOwnedEquipageCount];
extern i32 gParty[kPartySize];      // role indices, the first -1 ends the list
extern i32 gFormation[kPartySize];  // battle order, -1 = empty; slots 0..5 fight

// Non-zero while a battle runs; the frame tick keeps it equal to gBattleActive.
// The item and skill rules leave counts and status words to the battle then.
extern int gRulesInBattle;

// Status captions: entry 0 "正常", entry k the name of status bit 1 << (k - 1). Big5.
constexpr int kStatusNameCount = 16;
extern const char* const gStatusNames[kStatusNameCount];
// The caption of entry k, or null outside the table.
const char* StatusName(i32 k);

// Skill category names, shared by the skill pages and the battle's command menus. Big5.
constexpr int kSkillCategoryCount = 12;
extern const char* const gSkillCategoryNames[kSkillCategoryCount];
// The name of category k, or null outside the table.
const char* SkillCategoryName(i32 k);

// Experience a level-L character needs for L + 1 is entry L + 1: 15 k (k + 1) / 2
// for k = 0..50, then a 0.
constexpr int kNextLevelExpCount = 52;
constexpr std::array<i32, kNextLevelExpCount> MakeNextLevelExp() {
    std::array<i32, kNextLevelExpCount> t{};
    for (int k = 0; k <= 50; ++k) t[k] = 15 * k * (k + 1) / 2;
    return t;
}
inline constexpr std::array<i32, kNextLevelExpCount> gNextLevelExp = MakeNextLevelExp();

// Picture offsets (dx, dy) of the monsters by monster number: enemies are drawn
// moved by (-dx, -dy). Numbers past the table have none.
struct MonsterOffset {
    i32 dx;
    i32 dy;
};
constexpr int kMonsterOffsetCount = 256;
constexpr std::array<MonsterOffset, kMonsterOffsetCount> MakeMonsterOffsets() {
    std::array<MonsterOffset, kMonsterOffsetCount> t{};
    t[3] = {2, -10};
    t[5] = {-2, 12};
    t[44] = {-12, -20};
    t[64] = {-19, -14};
    t[103] = {5, 23};
    t[127] = {0, -65};
    for (int m = 167; m <= 169; ++m) t[m] = {0, -65};
    t[242] = {22, 5};
    t[250] = {0, 20};
    return t;
}
inline constexpr std::array<MonsterOffset, kMonsterOffsetCount> gMonsterOffsets =
    MakeMonsterOffsets();
inline MonsterOffset GetMonsterOffset(i32 monster) {
    return monster >= 0 && monster < kMonsterOffsetCount ? gMonsterOffsets[monster]
                                                         : MonsterOffset{};
}

// Record lookups that refuse numbers outside the tables (null).
const ItemData* GetItemRecord(i32 n);
const SkillData* GetSkillRecord(i32 n);  // 0, negative or not below the count: no skill
const EquipageData* GetEquipageRecord(i32 n);
const MonsterData* GetMonsterRecord(i32 n);
// The owned piece at index n (0..255), or null.
EquipageData* GetOwnedEquipage(i32 n);

// Frees the tables and clears every global of this module (tests start clean with it).
void ResetGameData();

// Role codes a story script leaves for the battle's opening: 1..9999 hides role
// v, above 10000 shows role v - 10000, -1 (and 10000) nothing.
constexpr int kBattleRoleChanges = 10;
extern i32 gBattleRoleChanges[kBattleRoleChanges];
void ResetBattleRoleChanges();
