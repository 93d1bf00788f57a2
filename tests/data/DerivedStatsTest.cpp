// Derived statistics against values worked out by hand from the bonus rules.
#include <tuple>

#include "data/DataTestSupport.h"
#include "data/DerivedStats.h"
#include "data/Equipage.h"

namespace {

class DerivedStats : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        Reset();
    }
    // Role 0 bare, with no owned equipment.
    static void Reset() {
        ResetGameData();
        RoleData& r = gRoles[0];
        r.index = 0, r.level = 7, r.exp = 300, r.maxHp = r.hp = 155, r.maxMp = r.mp = 60;
        r.strength = 10, r.stamina = 8, r.magic = 6, r.spirit = 5, r.agility = 7;
        r.attack = 20, r.defence = 10, r.hitRate = 90, r.evasion = 12;
        for (i32& v : r.ratios) v = 100;
        gRoleStats[0] = r;
    }

    static EquipageData Piece(i32 kind, i32 mode) {
        EquipageData e{};
        e.id = 1;
        e.kind = kind;
        e.bonusMode = mode;
        e.wearerMask = 0xFF;
        return e;
    }
    void Wear(EquipSlot slot, const EquipageData& piece) {
        gRoles[0].equip[slot] = AddEquipage(piece);
    }
    RoleStats& Calc() {
        CalcRoleStats(gRoles[0], gRoleStats[0]);
        return gRoleStats[0];
    }
};

}  // namespace

TEST_F(DerivedStats, EveryBonusModeOnTheBaseValues) {
    // Bare: attack is copy + base attack + strength, defence copy + base defence
    // + stamina; no weapon hits at 85 whatever the armour.
    EquipageData mail = Piece(5, 1);
    mail.hitRate = 30;
    Wear(kSlotArmour, mail);
    RoleStats& s = Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.attack, s.defence, s.hitRate, s.evasion),
              std::tuple(155, 20 + 20 + 10, 10 + 10 + 8, 85, 12));

    // Add mode adds every non-zero bonus. Attack from the base strength, not
    // the raised one; a weapon hits at the base 90 plus its bonus.
    Reset();
    EquipageData sword = Piece(1, 1);
    sword.maxHp = 20, sword.maxMp = 5, sword.strength = 3, sword.agility = -2;
    sword.attack = 10, sword.defence = 1, sword.hitRate = 4, sword.evasion = 2;
    sword.ratios[kFire] = -30;
    Wear(kSlotWeapon, sword);
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.maxMp, s.strength, s.agility, s.attack, s.defence, s.hitRate,
                         s.evasion, s.ratios[kFire], s.ratios[kWater]),
              std::tuple(175, 65, 13, 5, 20 + 10 + 20 + 10, 10 + 1 + 10 + 8, 94, 14, 70, 100));

    // Percent mode takes the base value and truncates toward zero.
    Reset();
    EquipageData ring = Piece(7, 2);
    ring.maxHp = 10;    // 155 x 10 / 100 = 15
    ring.maxMp = -15;   // 60 x -15 / 100 = -9
    ring.magic = 50;    // 6 x 50 / 100 = 3
    ring.spirit = -10;  // 5 x -10 / 100 = -0.5 -> 0
    ring.attack = 5;    // attack and defence bonuses add plainly in every mode
    Wear(kSlotAccessory1, ring);
    EquipageData second = Piece(7, 2);
    second.maxHp = 10;  // still 10% of the base 155, not of 170
    Wear(kSlotAccessory2, second);
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.maxMp, s.magic, s.spirit, s.attack),
              std::tuple(155 + 15 + 15, 51, 9, 5, 20 + 5 + 20 + 10));

    // Overwrite mode replaces only non-zero bonuses, and later pieces still add.
    Reset();
    EquipageData hat = Piece(4, 1);
    hat.maxHp = 20;
    Wear(kSlotHat, hat);
    EquipageData divine = Piece(5, 5);  // armour comes after the hat
    divine.maxMp = 500;
    divine.stamina = 77;
    Wear(kSlotArmour, divine);
    EquipageData charm = Piece(7, 1);
    charm.maxMp = 30;
    Wear(kSlotAccessory1, charm);
    Calc();
    // A zero overwrite bonus leaves the hat's result; defence from the base stamina.
    EXPECT_EQ(std::tuple(s.maxHp, s.maxMp, s.stamina, s.defence),
              std::tuple(175, 530, 77, 10 + 10 + 8));

    // An unknown bonus mode still adds attack, defence, hit rate and evasion.
    Reset();
    EquipageData odd = Piece(1, 3);
    odd.maxHp = 100, odd.attack = 4, odd.defence = 2, odd.hitRate = 6, odd.evasion = 1;
    Wear(kSlotWeapon, odd);
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.attack, s.defence, s.hitRate, s.evasion),
              std::tuple(155, 54, 30, 96, 13));
}

TEST_F(DerivedStats, TwoHandedWeaponIsAppliedOnceAndSlotsOutsideTheTableAreEmpty) {
    EquipageData bow = Piece(6, 1);
    bow.maxHp = 20;
    bow.attack = 7;
    gRoles[0].equip[kSlotWeapon] = gRoles[0].equip[kSlotShield] = AddEquipage(bow);
    RoleStats& s = Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.attack), std::tuple(175, 20 + 7 + 20 + 10));
    // A one-handed weapon with a real shield: both apply.
    gRoles[0].equip[kSlotWeapon] = AddEquipage(Piece(1, 1));
    EquipageData shield = Piece(3, 1);
    shield.maxHp = 4;
    gRoles[0].equip[kSlotShield] = AddEquipage(shield);
    EXPECT_EQ(Calc().maxHp, 159);

    Reset();
    EquipageData sword = Piece(1, 1);
    sword.maxHp = 50;
    AddEquipage(sword);
    gRoles[0].equip[kSlotWeapon] = 256;
    gRoles[0].equip[kSlotShield] = -2;
    gRoles[0].equip[kSlotHat] = 1 << 30;
    gRoles[0].equip[kSlotArmour] = -1000000;
    Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.hitRate), std::tuple(155, 85));
}

TEST_F(DerivedStats, KeepsStatusLevelAndExperienceAndClampsHpMpAndTheRoleRecord) {
    RoleStats& t = gRoleStats[0];
    t.hp = 500, t.mp = -4, t.status = 0x402, t.level = 12, t.exp = 999;  // hp above the max of 155
    Calc();
    EXPECT_EQ(std::tuple(t.hp, t.mp, t.status, t.level, t.exp), std::tuple(155, 0, 0x402, 12, 999));
    gRoleStats[0].hp = 0;
    EXPECT_EQ(Calc().hp, 0);

    EquipageData huge = Piece(5, 1);
    huge.maxHp = 20000;
    huge.maxMp = -100;
    Wear(kSlotArmour, huge);
    gRoleStats[0].hp = 12000;
    RoleStats& s = Calc();
    EXPECT_EQ(std::tuple(s.maxHp, s.hp, s.maxMp), std::tuple(9999, 9999, 0));

    RoleData& r = gRoles[0];
    r.hitRate = -5, r.evasion = 1500, r.attack = 600, r.defence = -1;
    Calc();
    EXPECT_EQ(std::tuple(r.hitRate, r.evasion, r.attack, r.defence), std::tuple(0, 999, 500, 0));
    // A sum past 32 bits wraps without overflowing; the clamp keeps it in range.
    gRoles[0].maxHp = 2000000000;
    gOwnedEquipage[gRoles[0].equip[kSlotArmour]].bonusMode = 2;
    gOwnedEquipage[gRoles[0].equip[kSlotArmour]].maxHp = 2000000000;
    EXPECT_GE(Calc().maxHp, 0);
    EXPECT_LE(gRoleStats[0].maxHp, 9999);
}
