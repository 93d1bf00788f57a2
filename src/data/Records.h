// The records of the six game databases, each with its one field list in file
// order, and the table of their file layouts.
#pragma once
#include <cstddef>

#include "base/Types.h"

// The eight elemental damage ratios, in record order.
enum ElementRatio {
    kFire,
    kWater,
    kWind,
    kEarth,
    kElectricity,
    kPoison,
    kLight,
    kDark,
    kRatioCount
};

// The leading 140 bytes that a role's stats and a monster share, so the battle
// can read either as a fighter's stats.
struct StatsHead {
    i32 index;                // +0 role index / monster record index / form number
    i32 act;                  // +4 act base
    i32 attackKind;           // +8 attack kind less 1 (monsters)
    i32 level;                // +12
    i32 exp;                  // +16 experience
    char name[32];            // +20
    i32 maxHp;                // +52 (a monster's base HP)
    i32 hp;                   // +56
    i32 maxMp;                // +60 (a monster's base MP)
    i32 mp;                   // +64
    i32 strength;             // +68
    i32 stamina;              // +72
    i32 magic;                // +76
    i32 spirit;               // +80
    i32 agility;              // +84
    i32 attack;               // +88
    i32 defence;              // +92
    i32 hitRate;              // +96
    i32 evasion;              // +100
    i32 status;               // +104 status word (kStatusDying blocks items and skills)
    i32 ratios[kRatioCount];  // +108..+136
};

// The 192-byte role record: a role's base values in gRoles, its derived values in gRoleStats.
struct RoleStats : StatsHead {
    i32 rest[13];  // +140..+188, carried unchanged
};

enum EquipSlot {
    kSlotWeapon,
    kSlotShield,
    kSlotHat,
    kSlotArmour,
    kSlotAccessory1,
    kSlotAccessory2,
    kSlotCount
};

// A role's base record with the six worn owned-piece indices (-1 = none).
struct RoleData : RoleStats {
    i32 equip[kSlotCount];
    i32 extra;  // set to -1 at load
};

// One record of RoleData.dat: the role record and six equipment record ids.
struct RoleFileRecord {
    RoleStats role;
    i32 equipIds[kSlotCount];
};

// The special of a piece of equipment, and the specials a monster passes on.
struct EquipSpecial {
    i32 kind;    // 0 none, 1..6
    i32 hp;      // HP value
    i32 mp;      // MP value
    i32 status;  // status index 1..15
    i32 skill;   // skill record number
};

struct EquipageData {
    i32 id;          // +0 record id; in gOwnedEquipage -1 = free place
    i32 weaponPic;   // +4 picture of the worn weapon in battle
    char name[32];   // +8
    i32 price;       // +40
    u32 wearerMask;  // +44 bit r: role r may wear it
    i32 kind;  // +48 1, 2, 6 weapons (2 and 6 two-handed), 3 shield, 4 hat, 5 armour, 7 accessory
    i32 bonusMode;            // +52 1 add, 2 percent of the base, 5 overwrite
    i32 field56;              // +56
    i32 maxHp;                // +60
    i32 field64;              // +64
    i32 maxMp;                // +68
    i32 strength;             // +72
    i32 stamina;              // +76
    i32 magic;                // +80
    i32 spirit;               // +84
    i32 agility;              // +88
    i32 attack;               // +92
    i32 defence;              // +96
    i32 hitRate;              // +100
    i32 evasion;              // +104
    i32 ratios[kRatioCount];  // +108..+136
    EquipSpecial special;     // +140..+156
    i32 field160;             // +160
    i32 enhanceLeft;          // +164 strengthenings still allowed
    i32 throwValue;           // +168
    i32 look;                 // +172 look code (GetEquipLookOffset)
    i32 icon;                 // +176 action of act 9901
    char description[52];     // +180 rebuilt by MakeEquipageText
};

// Whom an item or a skill acts on (the records' target word).
enum TargetKind : i32 {
    kTargetOneAlly = 1,
    kTargetAllAllies = 2,
    kTargetOneFoe = 3,
    kTargetAllFoes = 4,
    kTargetSelf = 5,
};

struct ItemData {
    i32 id;                // +0
    i32 effectAct;         // +4
    i32 useKind;           // +8 1 consumed, 2 kept
    char name[32];         // +12
    i32 price;             // +44
    i32 castSkill;         // +48 -1 none
    i32 effectMode;        // +52 1 add, 2 percent, 5 overwrite
    i32 icon;              // +56
    i32 maxHp;             // +60
    i32 hp;                // +64
    i32 maxMp;             // +68
    i32 mp;                // +72
    i32 strength;          // +76
    i32 stamina;           // +80
    i32 magic;             // +84
    i32 spirit;            // +88
    i32 agility;           // +92
    i32 attack;            // +96
    i32 defence;           // +100
    i32 hitRate;           // +104
    i32 evasion;           // +108
    i32 statusEffect;      // +112 1..31; 31 also usable on a dying role
    i32 usePlace;          // +116 1 and 3 menu, 2 and 3 battle
    i32 target;            // +120 a TargetKind
    i32 field124;          // +124
    char description[52];  // +128
};

// The skill categories (SkillData::category), numbered as their names are.
enum SkillCategory : i32 {
    kCombatCategory = 0,    // 戰技: the battle's physical skills
    kDivineCategory = 1,    // 神術: the battle's magic
    kSummonCategory = 2,    // 召喚: lists the unlocked forms (form n: game flag 300 + n)
    kMedicCategory = 3,     // 醫療
    kCaptureCategory = 4,   // 捕捉
    kChantCategory = 5,     // 吟唱
    kMagicCategory = 6,     // 魔法
    kTheftCategory = 7,     // 偷竊
    kThrowCategory = 8,     // 投擲
    kIllusionCategory = 9,  // 幻術
    kFormCategory = 10,     // 變身: lists the unlocked forms
    kAirRaidCategory = 11,  // 空襲
};

// The skill specials (SkillData::special) the battle acts on; a form is an
// enemy whose record kind is not 0.
enum SkillSpecial : i32 {
    kSpecialSelfDestruct = 2,  // the caster's HP becomes 0; the loss of a form is halved
    kSpecialSacrifice = 3,     // cast on the caster itself: its HP becomes 0 instead
    kSpecialHalfOnForms = 4,   // the loss of a form is halved
    kSpecialDrainHp = 5,       // the caster gains the HP loss
    kSpecialDrainMp = 6,       // the caster gains the MP loss
    kSpecialPowerUp = 7,       // switches the target's power-up on
    kSpecialGamble = 8,        // hits on a shuffled 70 or more; no sun shield
};

struct SkillData {
    i32 id;                // +0
    i32 effectAct;         // +4
    i32 category;          // +8 0..11
    i32 field12;           // +12
    char name[36];         // +16
    i32 mpCost;            // +52
    i32 effectMode;        // +56 1 add, 2 percent, 3 overwrite
    i32 maxHp;             // +60
    i32 hp;                // +64
    i32 maxMp;             // +68
    i32 mp;                // +72
    i32 strength;          // +76
    i32 stamina;           // +80
    i32 magic;             // +84
    i32 spirit;            // +88
    i32 agility;           // +92
    i32 power;             // +96 power in battle, attack outside
    i32 defence;           // +100
    i32 hitRate;           // +104
    i32 evasion;           // +108
    i32 element;           // +112 1..8, 0 none
    i32 special;           // +116
    i32 icon;              // +120
    i32 formIndex;         // +124
    i32 field128[4];       // +128..+140
    i32 statusEffect;      // +144 1..31; 31 also usable on a dying role
    i32 useMode;           // +148 1 or 3 usable from the menu
    i32 target;            // +152 a TargetKind
    char description[52];  // +156
};

// A monster's skill with its number of uses.
struct MonsterSkill {
    i32 skill;  // -1 none
    i32 uses;
};

struct MonsterData : StatsHead {
    char description[52];      // +140
    i32 kind;                  // +192 0 ordinary, 1 god/demon form
    i32 hitAct;                // +196
    i32 expValue;              // +200 experience it gives
    i32 gold;                  // +204
    i32 dropItem;              // +208
    i32 dropChance;            // +212
    i32 theftItem;             // +216
    i32 theftChance;           // +220
    i32 fleeRate;              // +224
    i32 captureRate;           // +228
    i32 price;                 // +232
    i32 offerValue;            // +236 0..99
    i32 actionCost;            // +240
    MonsterSkill specials[5];  // +244..+280
    i32 specialChance;         // +284
    MonsterSkill healSkill;    // +288, +292
    i32 offerBonus[10];        // +296 attack, defence, then the eight ratios
    i32 specialEffect[5];      // +336
    i32 weaponBlock[7];        // +356 strength, stamina, magic, spirit, agility, attack, defence
    i32 armourBlock[7];        // +384
    i32 commonBlock[kRatioCount];  // +412
    EquipSpecial weaponSpecial;    // +444
    EquipSpecial armourSpecial;    // +464
    i32 enhanceChance;             // +484 percent
    i32 shadowAction;              // +488
};

// LevelUp.dat: per role 50 rows of 9 words, then 45 (skill, level) rows.
constexpr int kRoleCount = 8;
constexpr int kLevelRows = 50;
constexpr int kLevelRowWords = 9;
constexpr int kSkillRows = 45;

struct LevelUpSkill {
    i32 skill;  // negative, 0 or not below the skill count: none
    i32 level;  // level at which the role learns it
};

struct LevelUpFile {
    i32 stats[kRoleCount][kLevelRows][kLevelRowWords];
    LevelUpSkill skills[kRoleCount][kSkillRows];
};

// ---- Field lists: one per record, in file order, for ByteReader and ByteWriter. ----

template <class Io>
constexpr void Fields(Io& io, StatsHead& r) {
    io.Field(r.index);
    io.Field(r.act);
    io.Field(r.attackKind);
    io.Field(r.level);
    io.Field(r.exp);
    io.Text(r.name, sizeof(r.name));
    io.Field(r.maxHp);
    io.Field(r.hp);
    io.Field(r.maxMp);
    io.Field(r.mp);
    io.Field(r.strength);
    io.Field(r.stamina);
    io.Field(r.magic);
    io.Field(r.spirit);
    io.Field(r.agility);
    io.Field(r.attack);
    io.Field(r.defence);
    io.Field(r.hitRate);
    io.Field(r.evasion);
    io.Field(r.status);
    io.Array(r.ratios, kRatioCount);
}

template <class Io>
constexpr void Fields(Io& io, RoleStats& r) {
    Fields(io, static_cast<StatsHead&>(r));
    io.Array(r.rest, 13);
}

template <class Io>
constexpr void Fields(Io& io, RoleFileRecord& r) {
    Fields(io, r.role);
    io.Array(r.equipIds, kSlotCount);
}

template <class Io>
constexpr void Fields(Io& io, EquipSpecial& s) {
    io.Field(s.kind);
    io.Field(s.hp);
    io.Field(s.mp);
    io.Field(s.status);
    io.Field(s.skill);
}

template <class Io>
constexpr void Fields(Io& io, EquipageData& r) {
    io.Field(r.id);
    io.Field(r.weaponPic);
    io.Text(r.name, sizeof(r.name));
    io.Field(r.price);
    io.Field(r.wearerMask);
    io.Field(r.kind);
    io.Field(r.bonusMode);
    io.Field(r.field56);
    io.Field(r.maxHp);
    io.Field(r.field64);
    io.Field(r.maxMp);
    io.Field(r.strength);
    io.Field(r.stamina);
    io.Field(r.magic);
    io.Field(r.spirit);
    io.Field(r.agility);
    io.Field(r.attack);
    io.Field(r.defence);
    io.Field(r.hitRate);
    io.Field(r.evasion);
    io.Array(r.ratios, kRatioCount);
    Fields(io, r.special);
    io.Field(r.field160);
    io.Field(r.enhanceLeft);
    io.Field(r.throwValue);
    io.Field(r.look);
    io.Field(r.icon);
    io.Text(r.description, sizeof(r.description));
}

template <class Io>
constexpr void Fields(Io& io, ItemData& r) {
    io.Field(r.id);
    io.Field(r.effectAct);
    io.Field(r.useKind);
    io.Text(r.name, sizeof(r.name));
    io.Field(r.price);
    io.Field(r.castSkill);
    io.Field(r.effectMode);
    io.Field(r.icon);
    io.Field(r.maxHp);
    io.Field(r.hp);
    io.Field(r.maxMp);
    io.Field(r.mp);
    io.Field(r.strength);
    io.Field(r.stamina);
    io.Field(r.magic);
    io.Field(r.spirit);
    io.Field(r.agility);
    io.Field(r.attack);
    io.Field(r.defence);
    io.Field(r.hitRate);
    io.Field(r.evasion);
    io.Field(r.statusEffect);
    io.Field(r.usePlace);
    io.Field(r.target);
    io.Field(r.field124);
    io.Text(r.description, sizeof(r.description));
}

template <class Io>
constexpr void Fields(Io& io, SkillData& r) {
    io.Field(r.id);
    io.Field(r.effectAct);
    io.Field(r.category);
    io.Field(r.field12);
    io.Text(r.name, sizeof(r.name));
    io.Field(r.mpCost);
    io.Field(r.effectMode);
    io.Field(r.maxHp);
    io.Field(r.hp);
    io.Field(r.maxMp);
    io.Field(r.mp);
    io.Field(r.strength);
    io.Field(r.stamina);
    io.Field(r.magic);
    io.Field(r.spirit);
    io.Field(r.agility);
    io.Field(r.power);
    io.Field(r.defence);
    io.Field(r.hitRate);
    io.Field(r.evasion);
    io.Field(r.element);
    io.Field(r.special);
    io.Field(r.icon);
    io.Field(r.formIndex);
    io.Array(r.field128, 4);
    io.Field(r.statusEffect);
    io.Field(r.useMode);
    io.Field(r.target);
    io.Text(r.description, sizeof(r.description));
}

template <class Io>
constexpr void Fields(Io& io, MonsterSkill& s) {
    io.Field(s.skill);
    io.Field(s.uses);
}

template <class Io>
constexpr void Fields(Io& io, MonsterData& r) {
    Fields(io, static_cast<StatsHead&>(r));
    io.Text(r.description, sizeof(r.description));
    io.Field(r.kind);
    io.Field(r.hitAct);
    io.Field(r.expValue);
    io.Field(r.gold);
    io.Field(r.dropItem);
    io.Field(r.dropChance);
    io.Field(r.theftItem);
    io.Field(r.theftChance);
    io.Field(r.fleeRate);
    io.Field(r.captureRate);
    io.Field(r.price);
    io.Field(r.offerValue);
    io.Field(r.actionCost);
    for (MonsterSkill& s : r.specials) Fields(io, s);
    io.Field(r.specialChance);
    Fields(io, r.healSkill);
    io.Array(r.offerBonus, 10);
    io.Array(r.specialEffect, 5);
    io.Array(r.weaponBlock, 7);
    io.Array(r.armourBlock, 7);
    io.Array(r.commonBlock, kRatioCount);
    Fields(io, r.weaponSpecial);
    Fields(io, r.armourSpecial);
    io.Field(r.enhanceChance);
    io.Field(r.shadowAction);
}

template <class Io>
constexpr void Fields(Io& io, LevelUpFile& f) {
    for (auto& role : f.stats)
        for (auto& row : role) io.Array(row, kLevelRowWords);
    for (auto& role : f.skills)
        for (LevelUpSkill& s : role) {
            io.Field(s.skill);
            io.Field(s.level);
        }
}

// ---- The file layouts. ----

// Counts the bytes a field list covers, at compile time.
struct FieldByteCounter {
    size_t n = 0;
    template <class T>
    constexpr void Field(T&) {
        n += sizeof(T);
    }
    template <class T>
    constexpr void Array(T*, size_t count) {
        n += sizeof(T) * count;
    }
    constexpr void Text(char*, size_t width) { n += width; }
};

template <class Rec>
constexpr size_t FieldBytes() {
    FieldByteCounter c;
    Rec r{};
    Fields(c, r);
    return c.n;
}

enum DatabaseFile {
    kRoleDataFile,
    kLevelUpFile,
    kMonsterDataFile,
    kItemDataFile,
    kEquipageDataFile,
    kSkillDataFile,
    kDatabaseFileCount
};

struct DatabaseLayout {
    const char* fileName;  // under MH_Data
    size_t recordSize;     // one record; LevelUp.dat is a single record
    bool counted;          // a 32-bit count leads the records
};

inline constexpr DatabaseLayout kDatabaseLayouts[kDatabaseFileCount] = {
    {"RoleData.dat", 216, true}, {"LevelUp.dat", 17280, false},   {"MonsterData.dat", 492, true},
    {"ItemData.dat", 180, true}, {"EquipageData.dat", 232, true}, {"SkillData.dat", 208, true},
};

static_assert(FieldBytes<RoleStats>() == 192 && sizeof(RoleStats) == 192);
static_assert(FieldBytes<RoleFileRecord>() == kDatabaseLayouts[kRoleDataFile].recordSize);
static_assert(FieldBytes<LevelUpFile>() == kDatabaseLayouts[kLevelUpFile].recordSize);
static_assert(FieldBytes<MonsterData>() == kDatabaseLayouts[kMonsterDataFile].recordSize &&
              sizeof(MonsterData) == 492);
static_assert(FieldBytes<ItemData>() == kDatabaseLayouts[kItemDataFile].recordSize &&
              sizeof(ItemData) == 180);
static_assert(FieldBytes<EquipageData>() == kDatabaseLayouts[kEquipageDataFile].recordSize &&
              sizeof(EquipageData) == 232);
static_assert(FieldBytes<SkillData>() == kDatabaseLayouts[kSkillDataFile].recordSize &&
              sizeof(SkillData) == 208);
static_assert(offsetof(EquipageData, description) == 180 &&
              offsetof(SkillData, statusEffect) == 144 && offsetof(ItemData, target) == 120);
