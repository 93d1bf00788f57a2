// Database writers and the sample game's database contents.
#include "mhdata/Databases.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/ByteIo.h"
#include "platform/Fault.h"
#include "platform/TextCodec.h"
#include "mhdata/SampleEquip.h"
#include "mhdata/SampleFighters.h"
#include "mhdata/SampleFigures.h"
#include "mhdata/SampleMenu.h"
#include "mhdata/SampleSkillMenu.h"
#include "mhdata/SampleIcons.h"

namespace {

template <class Rec>
std::vector<u8> WriteCounted(const std::vector<Rec>& records) {
    ByteWriter w;
    w.I32(static_cast<i32>(records.size()));
    for (Rec r : records) Fields(w, r);
    return std::move(w.bytes());
}

RoleFileRecord SampleRole(int r, const char* name, i32 weapon, i32 shield, i32 hat, i32 armour,
                          i32 acc1, i32 acc2) {
    RoleFileRecord rec{};
    RoleStats& s = rec.role;
    s.index = r;
    s.act = 1000 + 100 * r;
    s.level = 1 + r % 3;
    SetText(s.name, sizeof(s.name), name);
    s.maxHp = s.hp = 150 + 10 * r;
    s.maxMp = s.mp = 40 + 5 * r;
    s.strength = 10 + r;
    s.stamina = 8 + r;
    s.magic = 6 + r;
    s.spirit = 5 + r;
    s.agility = 7 + r;
    s.attack = 20 + 2 * r;
    s.defence = 10 + r;
    s.hitRate = 90;
    s.evasion = 10;
    for (i32& v : s.ratios) v = 100;
    const i32 ids[kSlotCount] = {weapon, shield, hat, armour, acc1, acc2};
    std::memcpy(rec.equipIds, ids, sizeof(ids));
    return rec;
}

EquipageData SampleEquipage(i32 id, const char* name, i32 kind, i32 mode, i32 price) {
    EquipageData e{};
    e.id = id;
    e.weaponPic = kind == 1 || kind == 2 || kind == 6 ? 7100 + id : 7141;
    SetText(e.name, sizeof(e.name), name);
    e.price = price;
    e.wearerMask = 0xFF;
    e.kind = kind;
    e.bonusMode = mode;
    e.enhanceLeft = 3;
    e.look = id % 4;
    e.icon = sample_icons::EquipIcon(kind);
    return e;
}

SkillData SampleSkill(i32 id, const char* name, i32 category, i32 mode, i32 target, i32 cost) {
    SkillData sk{};
    sk.id = id;
    sk.category = category;
    SetText(sk.name, sizeof(sk.name), name);
    sk.mpCost = cost;
    sk.effectMode = mode;
    sk.useMode = 1;
    sk.target = target;
    sk.icon = id;
    return sk;
}

MonsterData SampleMonster(i32 id, const char* name, i32 kind, i32 level) {
    MonsterData m{};
    m.index = id;
    m.act = static_cast<i32>(MonsterBodyAct(id));
    m.level = level;
    SetText(m.name, sizeof(m.name), name);
    m.maxHp = m.hp = 60 * level;
    m.maxMp = m.mp = 10 * level;
    m.attack = 15 * level;
    m.defence = 8 * level;
    m.hitRate = 80;
    m.evasion = 5;
    for (i32& v : m.ratios) v = 100;
    m.kind = kind;
    // Every monster's blow shows one of the monster hits; act 0 is no effect
    // and would hold the attacker until the hit's time limit.
    m.hitAct = 7200 + id % 10;
    m.expValue = 12 * level;
    m.gold = 20 * level;
    m.dropItem = -1;
    m.theftItem = -1;
    m.price = 100 * level;
    m.offerValue = kind == 1 ? 50 : 10 * level;
    m.actionCost = kind == 1 ? 5 : 0;
    for (MonsterSkill& s : m.specials) s = {-1, 0};
    m.healSkill = {-1, 0};
    m.enhanceChance = 60;
    return m;
}

void SampleEquipages(DatabaseSet& set) {
    using namespace sample;
    EquipageData e = SampleEquipage(kShortSword, "短劍", 1, 1, 100);
    e.attack = 10;
    e.special = {1, 10, 5, 0, 0};
    set.equipages.push_back(e);
    e = SampleEquipage(kGreatSword, "巨劍", 2, 1, 400);
    e.attack = 30;
    e.defence = -5;
    e.special = {2, 5, -3, 0, 0};
    set.equipages.push_back(e);
    e = SampleEquipage(kLongBow, "長弓", 6, 2, 300);
    e.attack = 10;
    e.defence = -5;
    e.agility = 10;
    e.special = {3, 10, 0, 0, 0};
    set.equipages.push_back(e);
    e = SampleEquipage(kWoodShield, "木盾", 3, 1, 80);
    e.defence = 8;
    e.special = {4, 0, 0, 11, 0};
    set.equipages.push_back(e);
    e = SampleEquipage(kLeatherHat, "皮帽", 4, 1, 60);
    e.maxHp = 20;
    e.defence = 3;
    e.special = {5, 0, 0, 0, 0};
    set.equipages.push_back(e);
    e = SampleEquipage(kChainMail, "鎖甲", 5, 2, 250);
    e.maxHp = 10;
    e.defence = 12;
    e.ratios[kFire] = -20;
    e.special = {6, 0, 0, 0, kFireball};
    set.equipages.push_back(e);
    e = SampleEquipage(kGodArmour, "神鎧", 5, 5, 5000);
    e.maxHp = 999;
    e.defence = 40;
    set.equipages.push_back(e);
    e = SampleEquipage(kCharm, "護符", 7, 1, 150);
    e.maxMp = 30;
    e.evasion = 5;
    e.ratios[kDark] = -10;
    set.equipages.push_back(e);
}

// Items 0..7: usable anywhere, priced by ItemPrice, each with its own icon.
void SampleItems(DatabaseSet& set) {
    using namespace sample;
    set.items.push_back(SampleItem({.id = kHerb,
                                    .name = "藥草",
                                    .useKind = 1,
                                    .usePlace = 3,
                                    .mode = 1,
                                    .target = kTargetOneAlly,
                                    .hp = 50,
                                    .price = ItemPrice(kHerb),
                                    .icon = kHerb}));
    ItemData it = SampleItem({.id = kBigPotion,
                              .name = "大藥水",
                              .useKind = 1,
                              .usePlace = 3,
                              .mode = 2,
                              .target = kTargetAllAllies,
                              .hp = 50,
                              .price = ItemPrice(kBigPotion),
                              .icon = kBigPotion});
    it.mp = 20;
    set.items.push_back(it);
    // Clears poison (0x400).
    set.items.push_back(SampleItem({.id = kAntidote,
                                    .name = "解毒劑",
                                    .useKind = 1,
                                    .usePlace = 3,
                                    .mode = 1,
                                    .target = kTargetOneAlly,
                                    .status = 27,
                                    .price = ItemPrice(kAntidote),
                                    .icon = kAntidote}));
    // Clears dying (0x4000).
    set.items.push_back(SampleItem({.id = kReviveDrug,
                                    .name = "還魂丹",
                                    .useKind = 1,
                                    .usePlace = 3,
                                    .mode = 1,
                                    .target = kTargetOneAlly,
                                    .hp = 100,
                                    .status = 31,
                                    .price = ItemPrice(kReviveDrug),
                                    .icon = kReviveDrug}));
    // Sets blessing (0x8).
    it = SampleItem({.id = kPowerFruit,
                     .name = "力量果",
                     .useKind = 1,
                     .usePlace = 3,
                     .mode = 5,
                     .target = kTargetSelf,
                     .status = 5,
                     .price = ItemPrice(kPowerFruit),
                     .icon = kPowerFruit});
    it.strength = 30;
    set.items.push_back(it);
    it = SampleItem({.id = kMagicBook,
                     .name = "魔法書",
                     .useKind = 2,
                     .usePlace = 3,
                     .mode = 1,
                     .target = kTargetOneAlly,
                     .price = ItemPrice(kMagicBook),
                     .icon = kMagicBook});
    it.mp = 20;
    set.items.push_back(it);
    // Sets haste (0x2).
    set.items.push_back(SampleItem({.id = kHasteBell,
                                    .name = "加速鈴",
                                    .useKind = 2,
                                    .usePlace = 3,
                                    .mode = 1,
                                    .target = kTargetAllAllies,
                                    .status = 3,
                                    .price = ItemPrice(kHasteBell),
                                    .icon = kHasteBell}));
    // Clears every state.
    set.items.push_back(SampleItem({.id = kPanacea,
                                    .name = "萬靈藥",
                                    .useKind = 1,
                                    .usePlace = 3,
                                    .mode = 1,
                                    .target = kTargetOneAlly,
                                    .hp = 200,
                                    .status = 1,
                                    .price = ItemPrice(kPanacea),
                                    .icon = kPanacea}));
}

void SampleSkills(DatabaseSet& set) {
    using namespace sample;
    set.skills.push_back(SampleSkill(0, "無", 0, 0, 0, 0));  // record 0 is never a skill
    SkillData sk = SampleSkill(kHeal, "治癒", 1, 1, 1, 10);
    sk.hp = 80;
    set.skills.push_back(sk);
    sk = SampleSkill(kGroupHeal, "群體治療", 1, 2, 2, 25);
    sk.hp = 30;
    set.skills.push_back(sk);
    sk = SampleSkill(kRevive, "復活", 1, 2, 1, 40);
    sk.hp = 50;
    sk.statusEffect = 31;
    set.skills.push_back(sk);
    sk = SampleSkill(kEmpower, "強化", 3, 3, 5, 15);
    sk.power = 200;
    sk.statusEffect = 5;
    set.skills.push_back(sk);
    sk = SampleSkill(kFireball, "火球", 1, 1, 3, 12);
    sk.power = 60;
    sk.element = 1;
    set.skills.push_back(sk);
    sk = SampleSkill(kSummon, "召喚火神", 2, 1, 4, 30);
    sk.formIndex = 0;
    set.skills.push_back(sk);
}

void SampleMonsters(DatabaseSet& set) {
    using namespace sample;
    MonsterData m = SampleMonster(kSlime, "史萊姆", 0, 1);
    m.commonBlock[kWater] = 5;
    m.weaponBlock[5] = 3;
    m.armourBlock[6] = 2;
    set.monsters.push_back(m);
    m = SampleMonster(kGoblin, "哥布林", 0, 2);
    m.offerValue = kGoblinOfferValue;
    m.offerBonus[0] = kGoblinOfferAttack;
    m.offerBonus[1] = 2;
    m.offerBonus[2 + kFire] = 5;
    m.weaponBlock[0] = 2;
    m.weaponBlock[5] = 8;
    m.weaponSpecial = {4, 0, 0, 12, 0};
    m.armourSpecial = {5, 0, 0, 0, 0};
    set.monsters.push_back(m);
    set.monsters.push_back(SampleMonster(kFireGod, "火神", 1, 10));
    set.monsters.push_back(SampleMonster(kIceDemon, "冰魔", 1, 12));
    m = SampleMonster(kWolf, "巨狼", 0, 4);
    // Above 100 so that even a party four levels below it, on average, takes the herb.
    m.dropItem = kHerb;
    m.dropChance = 108;
    m.weaponBlock[5] = 20;
    m.armourBlock[6] = 15;
    m.commonBlock[kEarth] = 10;
    m.weaponSpecial = {6, 0, 0, 0, kFireball};
    m.armourSpecial = {1, 20, 10, 0, 0};
    set.monsters.push_back(m);
}

void SampleLevelUp(LevelUpFile& f) {
    f = LevelUpFile{};
    for (int r = 0; r < kRoleCount; ++r) {
        for (int l = 0; l < kLevelRows; ++l) {
            i32* row = f.stats[r][l];
            row[0] = r;
            row[1] = l;
            for (int k = 2; k < kLevelRowWords; ++k) row[k] = 1 + (r + l + k) % 4;
        }
        for (LevelUpSkill& s : f.skills[r]) s = {-1, 0};
        f.skills[r][0] = {sample::kHeal, 1};
        f.skills[r][1] = {sample::kGroupHeal, 2};
        f.skills[r][2] = {sample::kRevive, 10};
        f.skills[r][3] = {sample::kFireball + (r % 2), 3};
    }
}

}  // namespace

ItemData SampleItem(const ItemSpec& spec) {
    ItemData it{};
    it.id = spec.id;
    it.effectAct = spec.act;
    it.useKind = spec.useKind;
    SetText(it.name, sizeof(it.name), spec.name);
    it.price = spec.price;
    it.castSkill = -1;
    it.effectMode = spec.mode;
    it.icon = spec.icon;
    it.hp = spec.hp;
    it.statusEffect = spec.status;
    it.usePlace = spec.usePlace;
    it.target = spec.target;
    const char* text = spec.description ? spec.description : spec.name;
    SetText(it.description, sizeof(it.description), text);
    return it;
}

void SetText(char* field, size_t width, const char* utf8) {
    std::string big5 = Utf8ToBig5(utf8);
    std::memset(field, 0, width);
    std::memcpy(field, big5.data(), big5.size() < width ? big5.size() : width - 1);
}

std::vector<u8> WriteRoleDataFile(const std::vector<RoleFileRecord>& roles) {
    return WriteCounted(roles);
}

std::vector<u8> WriteLevelUpFile(const LevelUpFile& levelUp) {
    ByteWriter w;
    auto copy = std::make_unique<LevelUpFile>(levelUp);
    Fields(w, *copy);
    return std::move(w.bytes());
}

std::vector<u8> WriteMonsterDataFile(const std::vector<MonsterData>& monsters) {
    return WriteCounted(monsters);
}
std::vector<u8> WriteItemDataFile(const std::vector<ItemData>& items) {
    return WriteCounted(items);
}
std::vector<u8> WriteEquipageDataFile(const std::vector<EquipageData>& equipages) {
    return WriteCounted(equipages);
}
std::vector<u8> WriteSkillDataFile(const std::vector<SkillData>& skills) {
    return WriteCounted(skills);
}

std::vector<u8> DatabaseFileBytes(const DatabaseSet& set, DatabaseFile which) {
    switch (which) {
        case kRoleDataFile:
            return WriteRoleDataFile(set.roles);
        case kLevelUpFile:
            return WriteLevelUpFile(*set.levelUp);
        case kMonsterDataFile:
            return WriteMonsterDataFile(set.monsters);
        case kItemDataFile:
            return WriteItemDataFile(set.items);
        case kEquipageDataFile:
            return WriteEquipageDataFile(set.equipages);
        case kSkillDataFile:
            return WriteSkillDataFile(set.skills);
        default:
            return {};
    }
}

bool WriteDatabases(const std::string& root, const DatabaseSet& set, std::string* error) {
    namespace fs = std::filesystem;
    fs::path dir = fs::path(root) / "MH_Data";
    std::error_code ec;
    fs::create_directories(dir, ec);
    for (int f = 0; f < kDatabaseFileCount; ++f) {
        fs::path path = dir / kDatabaseLayouts[f].fileName;
        std::vector<u8> bytes = DatabaseFileBytes(set, static_cast<DatabaseFile>(f));
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            *error = NotWrittenText(path.string());
            return false;
        }
    }
    return true;
}

DatabaseSet MakeSampleDatabases() {
    using namespace sample;
    DatabaseSet set;
    set.roles = {
        SampleRole(0, "雷恩", kGreatSword, kWoodShield, -1, kChainMail, -1, -1),
        SampleRole(1, "莉雅", kShortSword, kWoodShield, kLeatherHat, -1, kCharm, -1),
        SampleRole(2, "卡洛", kLongBow, -1, kLeatherHat, kChainMail, -1, kCharm),
        SampleRole(3, "蜜拉", -1, -1, -1, -1, kCharm, kCharm),
        SampleRole(4, "巴頓", kShortSword, -1, -1, kGodArmour, -1, -1),
        SampleRole(5, "希爾", -1, kWoodShield, -1, -1, -1, -1),
        SampleRole(6, "艾文", kShortSword, -1, -1, -1, -1, -1),
        SampleRole(7, "諾亞", -1, -1, -1, -1, -1, -1),
    };
    SampleLevelUp(*set.levelUp);
    SampleMonsters(set);
    SampleItems(set);
    AppendMenuItems(set.items);
    SampleEquipages(set);
    AppendEquipPieces(set.equipages);
    SampleSkills(set);
    AddSampleFighters(set);
    AddMenuSkills(set);
    AppendOfferMonsters(set.monsters);
    return set;
}

bool WriteSampleDatabases(const std::string& root, std::string* error) {
    return WriteDatabases(root, MakeSampleDatabases(), error);
}
