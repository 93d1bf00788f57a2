// Writers of the six game databases through the loaders' own field lists, and
// the sample game's databases.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/Types.h"
#include "data/Records.h"

// Writes a text field of width bytes: the Big5 of utf8, cut to width - 1 bytes,
// zero-filled.
void SetText(char* field, size_t width, const char* utf8);

struct DatabaseSet {
    std::vector<RoleFileRecord> roles;
    std::unique_ptr<LevelUpFile> levelUp = std::make_unique<LevelUpFile>();
    std::vector<MonsterData> monsters;
    std::vector<ItemData> items;
    std::vector<EquipageData> equipages;
    std::vector<SkillData> skills;
};

std::vector<u8> WriteRoleDataFile(const std::vector<RoleFileRecord>& roles);
std::vector<u8> WriteLevelUpFile(const LevelUpFile& levelUp);
std::vector<u8> WriteMonsterDataFile(const std::vector<MonsterData>& monsters);
std::vector<u8> WriteItemDataFile(const std::vector<ItemData>& items);
std::vector<u8> WriteEquipageDataFile(const std::vector<EquipageData>& equipages);
std::vector<u8> WriteSkillDataFile(const std::vector<SkillData>& skills);

// What a sample item sets, in this order; a field not given is 0.
struct ItemSpec {
    i32 id = 0;
    const char* name = "";
    i32 useKind = 0;   // 1 consumed on use, 2 kept
    i32 usePlace = 0;  // 1 the menu, 2 the battle, 3 both
    i32 mode = 0;      // the effect mode: 1 add, 2 percent, 5 overwrite
    i32 target = 0;    // a TargetKind
    i32 act = 0;       // the effect act
    i32 hp = 0;
    i32 status = 0;  // the status effect
    i32 price = 0;
    i32 icon = 0;
    const char* description = nullptr;  // null: the name
};
// A sample item record built from the fields given in `spec`, with no skill to cast.
ItemData SampleItem(const ItemSpec& spec);

// The bytes of one database file of the set.
std::vector<u8> DatabaseFileBytes(const DatabaseSet& set, DatabaseFile which);
// Writes the six files into root/MH_Data (created when missing).
bool WriteDatabases(const std::string& root, const DatabaseSet& set, std::string* error);

// The sample game's databases: 8 roles (role 0 starts with a two-handed weapon),
// items of every use kind, mode and target, equipment of kinds 1-7 with every
// special, skills of every mode, monsters with god/demon forms, level-up rows.
DatabaseSet MakeSampleDatabases();
bool WriteSampleDatabases(const std::string& root, std::string* error);

// Sample record numbers tests refer to.
namespace sample {
constexpr int kTwoHandedRole = 0;
constexpr i32 kShortSword = 0, kGreatSword = 1, kLongBow = 2, kWoodShield = 3, kLeatherHat = 4,
              kChainMail = 5, kGodArmour = 6, kCharm = 7;
constexpr i32 kHerb = 0, kBigPotion = 1, kAntidote = 2, kReviveDrug = 3, kPowerFruit = 4,
              kMagicBook = 5, kHasteBell = 6, kPanacea = 7;
constexpr i32 kHeal = 1, kGroupHeal = 2, kRevive = 3, kEmpower = 4, kFireball = 5, kSummon = 6;
constexpr i32 kSlime = 0, kGoblin = 1, kFireGod = 2, kIceDemon = 3, kWolf = 4;
// The price of items 0..7: what the store asks; a shop that buys pays half.
constexpr i32 ItemPrice(i32 id) {
    return 20 + 10 * id;
}
// The goblin offered to a form: its offering value and its attack bonus.
constexpr i32 kGoblinOfferValue = 20, kGoblinOfferAttack = 4;
}  // namespace sample
