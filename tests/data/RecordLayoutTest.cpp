// Field order of the database records: distinct values written through the
// database writers land at the byte offsets the file layouts give. A round
// trip through the one field list cannot see two fields swapped; this can.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "data/Records.h"
#include "base/ByteIo.h"
#include "mhdata/Databases.h"

namespace {

// Every checked field holds 10000 + its own offset, so a field written at
// another offset reads as a different number; V counts the fields it fills.
int gFilled = 0;
i32 V(int offset) {
    ++gFilled;
    return 10000 + offset;
}

// The file is a count word, then one record of `size` bytes: every word of it
// that holds a V value holds its own offset's, there are as many as fields
// were filled, and the name text "NM" is at nameAt.
void ExpectLayout(const char* record, const std::vector<u8>& file, size_t size, int nameAt) {
    SCOPED_TRACE(record);
    ASSERT_EQ(file.size(), 4 + size);
    EXPECT_EQ(LoadU32(file.data()), 1u);
    const u8* rec = file.data() + 4;
    int found = 0;
    for (size_t off = 0; off + 4 <= size; off += 4) {
        i32 v = static_cast<i32>(LoadU32(rec + off));
        if (v < 10000 || v >= 10000 + static_cast<i32>(size)) continue;
        EXPECT_EQ(v, 10000 + static_cast<i32>(off)) << "+" << off;
        ++found;
    }
    EXPECT_EQ(found, gFilled);
    EXPECT_EQ(std::memcmp(rec + nameAt, "NM", 3), 0) << "name at +" << nameAt;
    gFilled = 0;
}

void FillHead(StatsHead& s) {
    s.index = V(0);
    s.level = V(12);
    s.exp = V(16);
    std::memcpy(s.name, "NM", 3);
    s.maxHp = V(52), s.hp = V(56), s.maxMp = V(60), s.mp = V(64);
    s.strength = V(68), s.stamina = V(72), s.magic = V(76), s.spirit = V(80), s.agility = V(84);
    s.attack = V(88), s.defence = V(92), s.hitRate = V(96), s.evasion = V(100);
    s.status = V(104);
    for (int k = 0; k < kRatioCount; ++k) s.ratios[k] = V(108 + 4 * k);
}

void FillSpecial(EquipSpecial& s, int at) {
    s.kind = V(at), s.hp = V(at + 4), s.mp = V(at + 8), s.status = V(at + 12), s.skill = V(at + 16);
}

TEST(RecordLayout, EveryDatabaseRecordHoldsItsFieldsAtTheirOffsets) {
    RoleFileRecord role{};
    FillHead(role.role);
    for (int k = 0; k < kSlotCount; ++k) role.equipIds[k] = V(192 + 4 * k);
    ExpectLayout("role", WriteRoleDataFile({role}), 216, 20);

    EquipageData e{};
    e.id = V(0), e.weaponPic = V(4), e.price = V(40), e.wearerMask = static_cast<u32>(V(44));
    std::memcpy(e.name, "NM", 3);
    e.kind = V(48), e.bonusMode = V(52), e.maxHp = V(60), e.maxMp = V(68);
    e.strength = V(72), e.stamina = V(76), e.magic = V(80), e.spirit = V(84), e.agility = V(88);
    e.attack = V(92), e.defence = V(96), e.hitRate = V(100), e.evasion = V(104);
    for (int k = 0; k < kRatioCount; ++k) e.ratios[k] = V(108 + 4 * k);
    FillSpecial(e.special, 140);
    e.enhanceLeft = V(164), e.look = V(172);
    ExpectLayout("equipment", WriteEquipageDataFile({e}), 232, 8);

    ItemData it{};
    it.useKind = V(8), it.price = V(44), it.effectMode = V(52), it.icon = V(56);
    std::memcpy(it.name, "NM", 3);
    it.maxHp = V(60), it.hp = V(64), it.maxMp = V(68), it.mp = V(72), it.strength = V(76);
    it.stamina = V(80), it.magic = V(84), it.spirit = V(88), it.agility = V(92);
    it.attack = V(96), it.defence = V(100), it.hitRate = V(104), it.evasion = V(108);
    it.statusEffect = V(112), it.target = V(120);
    ExpectLayout("item", WriteItemDataFile({it}), 180, 12);

    SkillData sk{};
    sk.category = V(8), sk.mpCost = V(52), sk.effectMode = V(56);
    std::memcpy(sk.name, "NM", 3);
    sk.maxHp = V(60), sk.hp = V(64), sk.maxMp = V(68), sk.mp = V(72), sk.strength = V(76);
    sk.stamina = V(80), sk.magic = V(84), sk.spirit = V(88), sk.agility = V(92);
    sk.power = V(96), sk.defence = V(100), sk.hitRate = V(104), sk.evasion = V(108);
    sk.statusEffect = V(144), sk.target = V(152);
    ExpectLayout("skill", WriteSkillDataFile({sk}), 208, 16);

    MonsterData m{};
    FillHead(m);
    m.kind = V(192), m.price = V(232), m.offerValue = V(236), m.enhanceChance = V(484);
    for (int k = 0; k < 10; ++k) m.offerBonus[k] = V(296 + 4 * k);
    for (int k = 0; k < 7; ++k)
        m.weaponBlock[k] = V(356 + 4 * k), m.armourBlock[k] = V(384 + 4 * k);
    for (int k = 0; k < 8; ++k) m.commonBlock[k] = V(412 + 4 * k);
    FillSpecial(m.weaponSpecial, 444);
    FillSpecial(m.armourSpecial, 464);
    ExpectLayout("monster", WriteMonsterDataFile({m}), 492, 20);
}

}  // namespace
