// The sample game's pieces for the equipment page and the opening's gift of them.
#include "mhdata/SampleEquip.h"

#include <algorithm>
#include <iterator>

#include "mhdata/Databases.h"
#include "mhdata/SampleIcons.h"

namespace {
using namespace sampleEquip;

EquipageData Piece(i32 id, const char* name, i32 kind, i32 mode, i32 icon, u32 mask) {
    EquipageData e{};
    e.id = id;
    e.weaponPic = kind == 1 ? 7100 + id % 8 : 7141;
    SetText(e.name, sizeof(e.name), name);
    e.price = 50 + 10 * id;
    e.wearerMask = mask;
    e.kind = kind;
    e.bonusMode = mode;
    e.enhanceLeft = 2;
    e.look = id % 4;
    e.icon = icon;
    SetText(e.description, sizeof(e.description), name);
    return e;
}
}  // namespace

void AppendEquipPieces(std::vector<EquipageData>& equipages) {
    const char* names[kWeaponCount] = {"銅劍", "鐵劍", "鋼劍", "彎刀", "斧頭"};
    for (i32 k = 0; k < kWeaponCount; ++k) {
        i32 id = kFirstPiece + k;
        // Every third weapon leaves role 0 out.
        EquipageData e =
            Piece(id, names[k], 1, 1, sample_icons::kIconSword, k % 3 == 1 ? kNoRole0Mask : 0xFF);
        e.attack = 4 + 2 * k;
        e.hitRate = k % 2 ? 5 : -5;
        e.strength = k % 4 == 0 ? 2 : 0;
        equipages.push_back(e);
    }
    EquipageData e = Piece(kIronShield, "鐵盾", 3, 1, 18, 0xFB);
    e.defence = 14;
    e.ratios[kWater] = -10;
    equipages.push_back(e);
    e = Piece(kMoonRing, "月之戒", 7, 2, 19, 0xFF);
    e.magic = 20;
    e.spirit = 10;
    e.ratios[kLight] = -15;
    equipages.push_back(e);
    e = Piece(kFeatherHat, "羽帽", 4, 1, 28, 0xFF);
    e.evasion = 6;
    e.agility = 3;
    equipages.push_back(e);
    e = Piece(kDragonMail, "龍鱗甲", 5, 5, 27, 0x7F);
    e.maxHp = 800;
    e.defence = 35;
    e.stamina = 40;
    equipages.push_back(e);
}

void AppendOfferMonsters(std::vector<MonsterData>& monsters) {
    i32 id = static_cast<i32>(monsters.size());
    const char* names[3] = {"石魔像", "幻影", ""};
    const char* texts[3] = {"堅硬的石像", "看不見的影子", "無名之物"};
    for (int k = 0; k < 3; ++k, ++id) {
        MonsterData m{};
        m.index = id;
        m.act = k == 1 ? 0 : 3002 + id % 8;  // bodies of the sample's fighters
        m.level = 5;
        SetText(m.name, sizeof(m.name), names[k]);
        SetText(m.description, sizeof(m.description), texts[k]);
        m.maxHp = m.hp = 200;
        m.attack = 60;
        m.defence = 30;
        m.hitRate = 80;
        for (i32& v : m.ratios) v = 100;
        m.price = kOfferMonsterPrice;
        m.offerValue = 10;
        m.enhanceChance = k == 0 ? 100 : 0;
        for (MonsterSkill& s : m.specials) s = {-1, 0};
        m.healSkill = {-1, 0};
        m.offerBonus[0] = 10;
        m.offerBonus[1] = -10;
        m.offerBonus[2 + kFire] = 7;
        m.offerBonus[2 + kDark] = -3;
        // What strengthening passes into a piece: the golem's strength and
        // weight, the phantom's craft.
        if (k == 0) {
            std::copy(std::begin(kGolemWeaponBlock), std::end(kGolemWeaponBlock), m.weaponBlock);
            std::copy(std::begin(kGolemArmourBlock), std::end(kGolemArmourBlock), m.armourBlock);
            std::copy(std::begin(kGolemCommonBlock), std::end(kGolemCommonBlock), m.commonBlock);
        } else {
            m.weaponBlock[2] = 6;
            m.weaponBlock[4] = 4;
            m.armourBlock[3] = 6;
            m.commonBlock[kDark] = -10;
        }
        monsters.push_back(m);
    }
}

std::vector<std::pair<i32, i32>> SampleEquipGifts() {
    std::vector<std::pair<i32, i32>> gifts = {{300 + sample::kGreatSword, 1}};
    for (i32 id = kFirstPiece; id < kPieceEnd; ++id)
        gifts.push_back({300 + id, id < kFirstPiece + kWeaponCount ? kWeaponCopies : 1});
    return gifts;
}

std::string SampleEquipOpeningLines() {
    std::string s;
    for (auto [n, k] : SampleEquipGifts())
        s += "    AddItem " + std::to_string(n) + " " + std::to_string(k) + "\n";
    const std::pair<i32, i32> monsters[3] = {{kGolem, kGolemsGiven}, {kPhantom, 1}, {kNameless, 1}};
    for (auto [m, k] : monsters)
        s += "    AddMonster " + std::to_string(m) + " " + std::to_string(k) + "\n";
    return s + "    SetFlag 301\n";
}
