// The equipment page through the real tick on the sample game: the ways in and
// out, the worn pieces, the candidate list against a filter written here, the
// equip rules with hand-made records, the comparison lines and bad slot values.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "data/Equipage.h"
#include "menu/AbilityPanel.h"
#include "menu/EquipFrame.h"
#include "menu/MenuPages.h"
#include "mhdata/SampleEquip.h"

namespace {

// The owned place holding the first piece of record id, worn or not as asked.
i32 OwnedOf(i32 id, bool worn) {
    for (i32 n = 0; n < kOwnedEquipageCount; ++n)
        if (gOwnedEquipage[n].id == id && (IsEquipageEquipped(n) != 0) == worn) return n;
    return -1;
}

struct EquipTest : MenuPageTest {
    cEquipFrame& Equip() { return *gEquipFrame; }
    void OpenEquip() { OpenSide(1, 3); }
    // The list of a slot, after a right click out of the list open.
    void OpenSlotList(int slot) {
        if (Equip().subMode == 1) RightClick();
        ClickSide(slot);
        ASSERT_EQ(std::make_pair(Equip().subMode, Equip().selectedSlot), std::make_pair(1, slot));
    }
    std::vector<i32> Shown() { return {Equip().candidates.begin(), Equip().candidates.end()}; }
    // Scrolls entry n of the list into view and returns its row.
    int RowOf(i32 entry) {
        auto& c = Equip().candidates;
        int pos = static_cast<int>(std::find(c.begin(), c.end(), entry) - c.begin());
        EXPECT_LT(pos, static_cast<int>(c.size())) << entry;
        Equip().listTop = std::clamp(pos - 9, 0, Equip().maxTop);
        return pos - Equip().listTop;
    }
    void ClickEntry(i32 entry) { ClickRow(RowOf(entry)); }
    // The hover of a tick is the one the tick before found: two ticks.
    void PointAt(i32 entry) { MoveTo(520, 108 + 24 * RowOf(entry), 2); }
    std::string Worn(int k) { return Equip().wornText[k]; }
    std::vector<std::string> WornRows(int n) {
        std::vector<std::string> out;
        for (int k = 0; k < n; ++k) out.push_back(Worn(k));
        return out;
    }
    // What role r holds in the weapon and the shield slots.
    static std::pair<i32, i32> Hands(i32 r) {
        return {gRoles[r].equip[kSlotWeapon], gRoles[r].equip[kSlotShield]};
    }
};

TEST_F(EquipTest, TheListFiltersSortsAndScrolls) {
    OpenEquip();
    OpenSlotList(kSlotWeapon);
    // Role 6 is outside the party and wears a 短劍: never listed.
    std::vector<i32> list = Shown();
    EXPECT_EQ(std::count(list.begin(), list.end(), gRoles[6].equip[kSlotWeapon]), 0);
    // Taking off first. Two of the new weapons (two pieces each) leave role 0
    // out: they close the list, lowest index first.
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(std::make_tuple(list[0], gOwnedEquipage[list[8]].id, gOwnedEquipage[list[11]].id,
                              Equip().maxTop),
              std::make_tuple(-1, sampleEquip::kFirstPiece + 1, sampleEquip::kFirstPiece + 4, 2));
    EXPECT_LT(list[8], list[9]);
    EXPECT_GT(list[1], list[2]) << "wearable ones from the highest index";

    // Eleven entries: the top can reach 1; ten: it stays 0.
    gOwnedEquipage[list[11]].id = -1;
    Equip().SelectRole(0);
    EXPECT_EQ(std::make_pair(Equip().candidates.size(), Equip().maxTop),
              std::make_pair(size_t{11}, 1));
    gOwnedEquipage[list[10]].name[0] = 0;  // a nameless piece is not listed either
    Equip().SelectRole(0);
    EXPECT_EQ(Equip().maxTop, 0);

    // Another member while the list is open: rebuilt for them from the top.
    Equip().listTop = 1;
    list = Shown();
    ClickSlot(2);
    EXPECT_EQ(std::make_pair(gMenuRole, Equip().listTop), std::make_pair(2u, 0));
    EXPECT_NE(Shown(), list) << "role 2 wears other pieces";
}

TEST_F(EquipTest, EquippingNearTheEndLowersTheTop) {
    OpenEquip();
    ClickSlot(3);  // role 3 holds no weapon
    OpenSlotList(kSlotWeapon);
    ASSERT_EQ(Equip().candidates.size(), 12u);
    i32 last = Equip().candidates.back();
    ASSERT_EQ(RowOf(last), 9);
    ASSERT_EQ(Equip().listTop, 2);
    ClickRow(9);
    ASSERT_EQ(gRoles[3].equip[kSlotWeapon], last);
    h.RunFrames(1);
    EXPECT_EQ(std::make_pair(Equip().candidates.size(), Equip().listTop),
              std::make_pair(size_t{11}, 1));
    EXPECT_EQ(std::string(Equip().rowText[9]),
              std::string(gOwnedEquipage[Equip().candidates[10]].name));
}

TEST_F(EquipTest, EquipRulesAndTheRecordsAfterEachChange) {
    OpenEquip();
    const RoleStats start = gRoleStats[0];
    i32 sword = gRoles[0].equip[kSlotWeapon];
    i32 shield = OwnedOf(sampleEquip::kIronShield, false);
    // 鐵盾 over the two-handed 巨劍 (attack 30, defence -5): the weapon goes,
    // bare hands hit at 85, the shield adds defence 14 and water -10.
    OpenSlotList(kSlotShield);
    sounds.Clear();
    ClickEntry(shield);
    EXPECT_EQ(sounds.played(), (std::vector<int>{261}));
    EXPECT_EQ(Hands(0), std::make_pair(-1, shield));
    RoleStats bare = start;
    bare.attack -= 30;
    bare.defence += 5 + 14;
    bare.hitRate = 85;
    bare.ratios[kWater] -= 10;
    EXPECT_EQ(0, std::memcmp(&gRoleStats[0], &bare, sizeof(bare)));
    EXPECT_EQ(Worn(0), Big5("未裝備"));

    // The 巨劍 back over the shield: the shield returns to its list.
    OpenSlotList(kSlotWeapon);
    ClickEntry(sword);
    EXPECT_EQ(gRoles[0].equip[kSlotShield], sword);
    EXPECT_EQ(0, std::memcmp(&gRoleStats[0], &start, sizeof(start)));
    OpenSlotList(kSlotShield);
    std::vector<i32> shields = Shown();
    EXPECT_NE(std::count(shields.begin(), shields.end(), shield), 0);

    // Taking off through the shield slot removes the two-handed weapon too.
    ClickEntry(-1);
    EXPECT_EQ(Hands(0), std::make_pair(-1, -1));
    RoleStats none = start;
    none.attack -= 30;
    none.defence += 5;
    none.hitRate = 85;
    EXPECT_EQ(0, std::memcmp(&gRoleStats[0], &none, sizeof(none)));

    // A one-handed weapon over a kind-6 bow clears the shield row (role 2).
    ClickSlot(2);
    OpenSlotList(kSlotWeapon);
    i32 copper = OwnedOf(sampleEquip::kFirstPiece, false);
    ClickEntry(copper);
    EXPECT_EQ(Hands(2), std::make_pair(copper, -1));

    // The accessory lists fill their own slot.
    OpenSlotList(kSlotAccessory2);
    i32 ring = OwnedOf(sampleEquip::kMoonRing, false);
    i32 acc1 = gRoles[2].equip[kSlotAccessory1];
    ClickEntry(ring);
    EXPECT_EQ(std::make_pair(gRoles[2].equip[kSlotAccessory1], gRoles[2].equip[kSlotAccessory2]),
              std::make_pair(acc1, ring));

    // A grey row: the sound, and nothing else (鐵盾 leaves role 2 out).
    OpenSlotList(kSlotShield);
    const RoleData before = gRoles[2];
    sounds.Clear();
    ClickEntry(shield);
    EXPECT_EQ(sounds.played(), (std::vector<int>{261}));
    EXPECT_EQ(0, std::memcmp(&gRoles[2], &before, sizeof(before)));
}

TEST_F(EquipTest, ComparisonLines) {
    OpenEquip();
    // 月之戒 on role 0 (percent bonuses): magic 20% of 6 is +1, spirit 10% of 5
    // is 0, light -15% of 100 is -15; nothing else moves.
    OpenSlotList(kSlotAccessory1);
    PointAt(OwnedOf(sampleEquip::kMoonRing, false));
    EXPECT_EQ(
        std::make_tuple(std::string(gAbilityPanel.lines[6]), std::string(gAbilityPanel.lines[15])),
        std::make_tuple("+1", "-15"));
    for (int slot = 2; slot <= 18; ++slot)
        EXPECT_EQ(PanelShown(slot), slot == 8 || slot == 17) << slot;
    // Taking off an empty slot changes nothing.
    PointAt(-1);
    for (int slot = 2; slot <= 18; ++slot) EXPECT_FALSE(PanelShown(slot)) << slot;

    // 鐵盾 over the 巨劍: the weapon's loss with the shield's gain.
    OpenSlotList(kSlotShield);
    PointAt(OwnedOf(sampleEquip::kIronShield, false));
    // Line, its slot, its text.
    const std::tuple<int, int, const char*> lines[] = {
        {0, 4, "-30"}, {1, 5, "+19"}, {2, 2, "-5"}, {10, 12, "-10"}};
    for (const auto& [line, slot, text] : lines) {
        EXPECT_EQ(std::string(gAbilityPanel.lines[line]), text) << line;
        EXPECT_TRUE(PanelShown(slot)) << slot;
    }
    EXPECT_FALSE(PanelShown(3));

    // A hat with no bonus changes nothing; with flag 324 role 0 reads bit 1.
    EquipageData plain = gOwnedEquipage[OwnedOf(sampleEquip::kFeatherHat, false)];
    plain.evasion = plain.agility = 0;
    plain.wearerMask = 0x2;
    plain.defence = 7;
    i32 onlyRole1 = AddEquipage(plain);
    plain.defence = 0;
    plain.wearerMask = 0xFF;
    i32 empty = AddEquipage(plain);
    OpenSlotList(kSlotHat);
    EXPECT_EQ(Shown().back(), onlyRole1) << "grey for role 0";
    PointAt(empty);
    for (int slot = 2; slot <= 18; ++slot) EXPECT_FALSE(PanelShown(slot)) << slot;
    PointAt(onlyRole1);
    EXPECT_FALSE(PanelShown(5));
    PutGameFlag(kLeadSwapFlag, 1);
    Equip().SelectRole(0);
    EXPECT_EQ(Shown()[2], onlyRole1) << "role 0 may wear it under the exchange";
    PointAt(onlyRole1);
    EXPECT_TRUE(PanelShown(5));
    EXPECT_EQ(std::string(gAbilityPanel.lines[1]), "+7");
}

TEST_F(EquipTest, WornPiecesEmptySlotsAndBadSlotValues) {
    OpenEquip();
    // Role 0 holds the two-handed 巨劍 in both rows and wears no hat.
    const std::string none = Big5("未裝備");
    EXPECT_EQ(WornRows(3), (std::vector<std::string>{Big5("巨劍"), Big5("巨劍"), none}));
    EXPECT_TRUE(Equip().wornIcon[0]->shown && !Equip().wornIcon[2]->shown);
    // Bad slot values and icons show nothing.
    i32 hatPlace = OwnedOf(sampleEquip::kFeatherHat, false);
    i32 freePlace = OwnedOf(-1, false);
    gRoles[0].equip[kSlotHat] = 300;
    gRoles[0].equip[kSlotArmour] = freePlace;
    gOwnedEquipage[hatPlace].icon = 40;
    gRoles[0].equip[kSlotAccessory1] = hatPlace;
    Equip().SelectRole(0);
    EXPECT_EQ(WornRows(5),
              (std::vector<std::string>{Big5("巨劍"), Big5("巨劍"), none, none, Big5("羽帽")}));
    EXPECT_FALSE(Equip().wornIcon[3]->shown);
    EXPECT_FALSE(Equip().wornIcon[4]->shown) << "icon 40 has no picture";
    // Taking off the bad armour slot and comparing it run without harm.
    OpenSlotList(kSlotArmour);
    PointAt(-1);
    ClickEntry(-1);
    EXPECT_EQ(gRoles[0].equip[kSlotArmour], -1);
    h.RunFrames(2);
}

}  // namespace
