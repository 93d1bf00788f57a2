// The sample game's battle records: monsters, skills and items for the fights.
#include "mhdata/SampleFighters.h"
#include "mhdata/Databases.h"

#include <cstring>
#include <string>

#include "platform/TextCodec.h"

namespace {

MonsterData Fighter(i32 id, const char* name, i32 kind, i32 level, i32 agility) {
    MonsterData m{};
    m.index = id;
    m.act = 3000 + id;
    m.level = level;
    SetText(m.name, sizeof(m.name), name);
    m.maxHp = m.hp = 60 * level;
    m.maxMp = m.mp = 10 * level;
    m.strength = 3 * level;
    m.stamina = 2 * level;
    m.magic = 2 * level;
    m.spirit = 2 * level;
    m.agility = agility;
    m.attack = 15 * level;
    m.defence = 8 * level;
    m.hitRate = 80;
    m.evasion = 8;
    for (i32& v : m.ratios) v = 100;
    m.kind = kind;
    m.hitAct = 7200 + id % 10;
    m.expValue = 12 * level;
    m.gold = 20 * level;
    m.dropItem = -1;
    m.theftItem = -1;
    m.fleeRate = 10;
    m.captureRate = kind == 0 ? 40 : 0;
    m.price = 100 * level;
    m.offerValue = kind == 1 ? 60 : 5 + level;
    m.actionCost = kind == 1 ? 8 : 0;
    for (MonsterSkill& s : m.specials) s = {-1, 0};
    m.healSkill = {-1, 0};
    m.enhanceChance = 50;
    m.shadowAction = 1;
    return m;
}

void Monsters(DatabaseSet& set) {
    using namespace sample;
    MonsterData m = Fighter(kThief, "盜賊", 0, 3, 14);
    m.theftItem = kHerb;
    m.theftChance = 40;
    m.dropItem = kAntidote;
    m.dropChance = 30;
    m.specialEffect[0] = 1;  // regenerates 5 HP and 2 MP a turn
    m.specialEffect[1] = 5;
    m.specialEffect[2] = 2;
    set.monsters.push_back(m);
    m = Fighter(kStatue, "石像", 0, 5, 3);
    m.dropItem = kBigPotion;
    m.dropChance = 15;
    m.specials[0] = {kFireball, 2};
    m.specialChance = 30;
    m.healSkill = {kHeal, 1};
    m.ratios[kEarth] = 50;
    set.monsters.push_back(m);
    m = Fighter(kThunderGod, "雷神", 1, 15, 25);
    m.specialEffect[0] = 5;
    m.ratios[kElectricity] = 0;
    set.monsters.push_back(m);
    for (i32 id = kThunderGod + 1; id < kBoss; ++id)
        set.monsters.push_back(Fighter(id, "野怪", 0, 1 + id % 9, 4 + id % 7));
    m = Fighter(kBoss, "魔王", 0, 30, 30);
    m.captureRate = 0;
    m.fleeRate = 0;
    m.specials[0] = {kThunder, 3};
    m.specialChance = 40;
    m.specialEffect[0] = 6;
    m.specialEffect[4] = kPoisonMist;
    set.monsters.push_back(m);
}

SkillData Skill(i32 id, const char* name, i32 category, i32 target, i32 power, i32 element,
                i32 special) {
    SkillData sk{};
    sk.id = id;
    sk.effectAct = 7400 + id;
    sk.category = category;
    SetText(sk.name, sizeof(sk.name), name);
    sk.mpCost = 5 + id;
    sk.effectMode = 1;
    sk.power = power;
    sk.element = element;
    sk.special = special;
    sk.icon = id % 29;
    sk.useMode = 2;
    sk.target = target;
    return sk;
}

void Skills(DatabaseSet& set) {
    using namespace sample;
    set.skills.push_back(Skill(kSacrificeStrike, "捨身擊", 0, 3, 200, 3, 2));
    SkillData sk = Skill(kOffering, "獻身", 1, 2, 0, 0, 3);
    sk.effectMode = 2;
    sk.hp = 100;
    set.skills.push_back(sk);
    set.skills.push_back(Skill(kHeavyBlow, "重擊", 0, 3, 120, 4, 4));
    set.skills.push_back(Skill(kLifeDrain, "吸血", 1, 3, 60, 8, 5));
    sk = Skill(kManaDrain, "吸魔", 1, 3, 40, 2, 6);
    sk.mp = -20;
    set.skills.push_back(sk);
    set.skills.push_back(Skill(kRally, "鼓舞", 3, 5, 0, 0, 7));
    set.skills.push_back(Skill(kHolyRay, "必殺光", 1, 4, 80, 7, 8));
    set.skills.push_back(Skill(kThunder, "雷擊", 1, 3, 70, 5, 0));
    sk = Skill(kPoisonMist, "毒霧", 1, 4, 30, 6, 0);
    sk.statusEffect = 12;
    set.skills.push_back(sk);
    sk = Skill(kSummonThunder, "召喚雷神", 2, 4, 50, 5, 0);
    sk.formIndex = 2;  // the third god/demon form: the thunder god
    set.skills.push_back(sk);
}

ItemData Item(i32 id, const char* name, i32 act, i32 mode, i32 target, i32 hp) {
    ItemData it{};
    it.id = id;
    it.effectAct = act;
    it.useKind = 1;
    SetText(it.name, sizeof(it.name), name);
    it.price = 30 + 10 * id;
    it.castSkill = -1;
    it.effectMode = mode;
    it.icon = id % 29;
    it.hp = hp;
    it.usePlace = 2;
    it.target = target;
    SetText(it.description, sizeof(it.description), name);
    return it;
}

void Items(DatabaseSet& set) {
    using namespace sample;
    set.items.push_back(Item(kFireFlask, "火焰瓶", 7301, 1, 3, -80));
    ItemData it = Item(kPoisonNeedle, "毒針", 7302, 2, 4, -20);
    it.statusEffect = 12;
    set.items.push_back(it);
    it = Item(kScroll, "火球卷軸", 7303, 1, 3, 0);
    it.castSkill = kFireball;
    set.items.push_back(it);
    it = Item(kSelfCharm, "自療符", 0, 1, 5, 40);
    it.useKind = 2;
    it.usePlace = 3;
    set.items.push_back(it);
}

}  // namespace

void AddSampleFighters(DatabaseSet& set) {
    Monsters(set);
    Skills(set);
    Items(set);
}
