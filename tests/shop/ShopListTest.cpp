// The list screens' shared part and the buy list: scrolling by keys, the
// quantity box's keys and inert list, limits, buying, the party panel.
#include <string>
#include <tuple>

#include "data/DerivedStats.h"
#include "data/Equipage.h"
#include "menu/EquipFrame.h"
#include "platform/TextCodec.h"
#include "shop/ShopSession.h"

namespace {

struct ShopListTest : ShopTest {
    // Items 20.. of the sample, n of them, in the buy list (smart mouse off),
    // from the map.
    void OpenItemList(int n) {
        CloseToMap(h);
        gSmartMouse = 0;
        OpenShop(false, {{5, Ids(n, 20)}});
        OpenBuyList(0);
        ASSERT_EQ(BuyCore().current, 100);
    }
    void Key(u8 code) { Tap(code, 2); }
};

// Keys over lists of 11, 12 and 30 entries: the top row after each run of keys.
TEST_F(ShopListTest, KeysScrollByOneAtTheEdgesAndByPages) {
    // Entries, key, times pressed, top row after.
    const std::tuple<int, u8, int, int> steps[] = {
        {11, kScanDown, 12, 0}, {11, kScanPgDn, 1, 0},  {12, kScanDown, 10, 0},
        {12, kScanDown, 1, 1},  {12, kScanUp, 10, 1},   {12, kScanUp, 1, 0},
        {30, kScanPgDn, 1, 11}, {30, kScanPgDn, 1, 19}, {30, kScanPgDn, 1, 19},
        {30, kScanPgUp, 1, 8},  {30, kScanPgUp, 1, 0}};
    int open = 0;
    for (const auto& [entries, key, times, top] : steps) {
        SCOPED_TRACE(testing::Message() << entries << " entries, key " << int(key));
        if (entries != open) OpenItemList(open = entries);
        for (int i = 0; i < times; ++i) Key(key);
        EXPECT_EQ(BuyCore().top, top);
        if (entries == 12 && top == 1 && key == kScanDown) {
            EXPECT_EQ(BuyCore().current, 110);
            h.RunFrames(1);
            EXPECT_STREQ(BuyCore().nameText[10], gItems[31].name) << "row 10 shows entry 11";
        }
    }
}

TEST_F(ShopListTest, QuantityBoxKeysAndTwoCancels) {
    OpenItemList(3);
    gScriptVars[0] = 1000;
    const u16 boxColour = Colour(9907, 34);
    EXPECT_NE(CanvasAt(225, 245), boxColour);
    ClickListRow(0);
    ASSERT_EQ(BuyCore().mode, 1u);
    EXPECT_EQ(sounds.played(), std::vector<int>{262});
    EXPECT_EQ(BuyCore().current, 600);
    EXPECT_EQ(CanvasAt(225, 245), boxColour);
    Key(kScanRight);
    EXPECT_EQ(BuyCore().current, 601);
    Key(kScanLeft);
    EXPECT_EQ(BuyCore().current, 600);
    Key(kScanUp);
    EXPECT_EQ(BuyCore().current, 611);
    // The tabs and the list do nothing meanwhile.
    ClickTabAt(540);
    EXPECT_EQ(gFrameId, kBuyList);
    EXPECT_EQ(BuyCore().mode, 1u);
    MoveTo(100, 300);  // off the tabs, which come back with the list
    Key(kScanEsc);
    EXPECT_EQ(BuyCore().mode, 0u);
    EXPECT_EQ(gFrameId, kBuyList);
    EXPECT_EQ(BuyCore().current, 100) << "back on the row of the box's entry";
    h.RunFrames(1);
    EXPECT_NE(CanvasAt(225, 245), boxColour);
    Key(kScanEsc);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kBuyFront);
}

// Three short swords at 100 cost 300 and add three copies; a negative price
// buys for nothing; money above the cap from a save reads as the cap and pays
// from it.
TEST_F(ShopListTest, BuyingPaysAddsCopiesAndKeepsToTheLimits) {
    gSmartMouse = 0;
    gScriptVars[0] = 1000;
    OpenShop(false, {{0, {0}}});
    OpenBuyList(0);
    const int before = CountUnwornEquipage(0);
    const std::string ownedBefore = BuyCore().ownedText[0];
    ClickListRow(0);
    EXPECT_EQ(BuyCore().quantityBar.maximum, 10);
    ClickMore();
    ClickMore();
    EXPECT_EQ(std::make_pair(BuyCore().quantity, BuyCore().total), std::make_pair(3, i64{300}));
    ClickConfirm();
    EXPECT_EQ(Money(), 700);
    EXPECT_EQ(CountUnwornEquipage(0), before + 3);
    EXPECT_EQ(std::atoi(BuyCore().ownedText[0]), std::atoi(ownedBefore.c_str()) + 3);
    EXPECT_EQ(sounds.played(), (std::vector<int>{262, 261, 261, 264}));
    EXPECT_EQ(BuyCore().mode, 0u);

    gEquipages[0].price = -100;
    Back();
    OpenBuyList(0);
    ClickListRow(0);
    ClickMore();
    ClickConfirm();
    EXPECT_EQ(Money(), 700);
    gEquipages[0].price = 100;
    gScriptVars[0] = 0x80000010u;
    Back();
    OpenBuyList(0);
    EXPECT_EQ(BuyCore().money, 0x7FFFFFFF);
    ClickListRow(0);
    ClickConfirm();
    EXPECT_EQ(gScriptVars[0], 0x7FFFFFFFu - 100);
    Back();

    // The limits by money, room and the cap.
    gScriptVars[0] = 1000;
    EXPECT_EQ(BuyLimit(0, 0), 10) << "1000 at 100";
    gScriptVars[0] = 50;
    EXPECT_EQ(BuyLimit(0, 0), 0);
    gItems[20].price = 15;
    gOwnedItems[20] = 97;
    gScriptVars[0] = 1000;
    EXPECT_EQ(BuyLimit(5, 20), 2);
    gScriptVars[0] = 20;
    EXPECT_EQ(BuyLimit(5, 20), 1);
    gOwnedItems[20] = 120;  // more than the cap, from a bad save
    EXPECT_EQ(BuyLimit(5, 20), 0);
    gItems[20].price = 0;
    gOwnedItems[20] = 0;
    gScriptVars[0] = 0;
    EXPECT_EQ(BuyLimit(5, 20), 99) << "price 0: no money limit";
    gEquipages[0].price = -100;
    EXPECT_EQ(BuyLimit(0, 0), 99) << "a negative price limits nothing";
    gEquipages[0].price = 250000;
    gScriptVars[0] = 1000;
    EXPECT_EQ(BuyLimit(0, 0), 0);
    gEquipages[0].price = 1;
    gScriptVars[0] = 0x7FFFFFFF;
    EXPECT_EQ(BuyLimit(0, 0), 99);
    for (EquipageData& e : gOwnedEquipage) e.id = 0;
    EXPECT_EQ(BuyLimit(0, 0), 0) << "all 256 places in use";
}

// Changes of attack and defence worked out by hand for the sample's pieces.
struct EquipChangeTest : ShopListTest {
    i32 Own(i32 record) { return AddEquipage(gEquipages[record]); }
    void Wear(i32 role, int slot, i32 owned) { gRoles[role].equip[slot] = owned; }
    void SetUp() override {
        ShopListTest::SetUp();
        for (i32 r = 0; r < kRoleCount; ++r)
            for (i32& e : gRoles[r].equip) e = -1;
    }
};

// The preview is what putting the piece on really changes: the derived
// statistics add a piece's attack and defence as they stand in every bonus
// mode, so a +20 sword over a +10 one shows +10 whatever its mode.
TEST_F(EquipChangeTest, PreviewIsTheRealChangeInEveryBonusMode) {
    const struct {
        i32 record, kind, attack, defence;
        int slot;  // where the equipment page puts it
        i64 wantAttack, wantDefence;
    } cases[] = {
        {0, 1, 20, 3, kSlotWeapon, 20 - 10, 3},        // over the short sword
        {1, 2, 30, -5, kSlotWeapon, 30 - 10, -5 - 8},  // over sword and wood shield
        {7, 7, 0, 6, kSlotAccessory2, 0, 6},           // the empty second slot goes
    };
    gRoles[0].attack = 47;
    gRoles[0].defence = 33;
    gRoles[0].strength = 11;
    gRoles[0].stamina = 7;
    Wear(0, kSlotWeapon, Own(0));
    Wear(0, kSlotShield, Own(3));
    i32 charm = Own(7);
    gOwnedEquipage[charm].defence = 4;
    Wear(0, kSlotAccessory1, charm);
    const RoleData role = gRoles[0];
    for (const auto& c : cases)
        for (i32 mode : {0, 1, 2, 3, 5}) {
            EquipageData rec = gEquipages[c.record];
            rec.kind = c.kind;
            rec.bonusMode = mode;
            rec.attack = c.attack;
            rec.defence = c.defence;
            rec.strength = 25;  // counts in the percent and overwrite modes only
            rec.maxHp = 40;
            AttackDefence preview = EquipChange(rec, 0);
            EXPECT_EQ(preview.attack, c.wantAttack) << c.record << " mode " << mode;
            EXPECT_EQ(preview.defence, c.wantDefence) << c.record << " mode " << mode;
            // Put on through the equipment page's rule, recomputed as the game does.
            RoleData wearer = role;
            RoleStats before{}, after{};
            CalcRoleStats(wearer, before);
            ChangeEquipSlots(wearer, c.slot, AddEquipage(rec));
            CalcRoleStats(wearer, after);
            EXPECT_EQ(after.attack - before.attack, preview.attack) << c.record << " mode " << mode;
            EXPECT_EQ(after.defence - before.defence, preview.defence)
                << c.record << " mode " << mode;
        }
    EXPECT_EQ(gRoles[0].equip[kSlotAccessory2], -1) << "the preview wears nothing";
}

TEST_F(EquipChangeTest, WhatAPieceTakesOff) {
    auto change = [](const EquipageData& record) {
        AttackDefence c = EquipChange(record, 0);
        return std::make_pair(c.attack, c.defence);
    };
    // Great sword: attack 30, defence -5; short sword attack 10; wood shield defence 8.
    Wear(0, kSlotWeapon, Own(0));
    Wear(0, kSlotShield, Own(3));
    EXPECT_EQ(change(gEquipages[1]), std::make_pair(i64{20}, i64{-13}));
    // Over a worn two-handed weapon only that weapon goes.
    Wear(0, kSlotWeapon, Own(1));
    EXPECT_EQ(change(gEquipages[1]), std::make_pair(i64{0}, i64{0}));
    // A charm of defence 6: the empty second slot takes it, though slot 1 gives
    // less (4); with 6 in slot 2, slot 1 goes.
    EquipageData charm = gEquipages[7];
    charm.defence = 6;
    charm.attack = 0;
    gEquipages[7] = charm;
    i32 worn = Own(7);
    gOwnedEquipage[worn].defence = 4;
    Wear(0, kSlotAccessory1, worn);
    EXPECT_EQ(change(charm).second, 6);
    Wear(0, kSlotAccessory2, Own(7));
    EXPECT_EQ(change(charm).second, 2);
}

TEST_F(EquipChangeTest, PartyPanelShowsChangesAndWhoCannotWear) {
    gSmartMouse = 0;
    SetParty({0, 1});
    gEquipages[1].wearerMask = 0x1;  // role 0 only
    OpenShop(false, {{0, {1}}});
    OpenBuyList(0);
    MoveTo(500, 130, 2);
    cShopBuyListFrame& f = *gShopBuyListFrame;
    EXPECT_STREQ(f.firstText[0], "+30");
    EXPECT_STREQ(f.secondText[0], "-5");
    EXPECT_TRUE(f.first[0]->shown);
    EXPECT_STREQ(f.firstText[1], B5("不可裝備"));
    EXPECT_TRUE(f.first[1]->shown);
    EXPECT_FALSE(f.second[1]->shown);
    // Flag 324: role 0 reads bit 0x2 and role 1 bit 0x1.
    SetGameFlag(static_cast<i32>(kLeadSwapFlag));
    h.RunFrames(1);
    EXPECT_STREQ(f.firstText[0], B5("不可裝備"));
    EXPECT_STREQ(f.firstText[1], "+30");
    // Leaving the list hides the marks in the same tick.
    MoveTo(100, 300, 2);
    EXPECT_FALSE(f.first[0]->shown);
    EXPECT_FALSE(f.compare[1]->shown);
}

}  // namespace
