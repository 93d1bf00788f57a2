// Party, item, money, role-value, screen, shop, quest and battle commands, each
// written with the assembler and run through the interpreter.

#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/GameFlags.h"
#include "mhdata/Databases.h"
#include "mhdata/Shops.h"
#include "data/ShopData.h"
#include "story/PartyCommands.h"
#include "story/StoryTestUtil.h"
#include "menu/ItemFrame.h"

namespace {

struct PartyCommandTest : StoryFixture {
    std::vector<u8> records;

    void SetUp() override {
        StoryFixture::SetUp();
        std::string error;
        ASSERT_TRUE(WriteDatabases(h.root(), MakeSampleDatabases(), &error)) << error;
        LoadGameDatabase(h.root().c_str());
        ASSERT_GT(gItemCount, 5);
        ASSERT_GT(gEquipageCount, 1);
        for (int i = 0; i < kRoleCount; ++i) {
            gRoleStats[i].maxHp = 100;
            gRoleStats[i].hp = 40;
            gRoleStats[i].maxMp = 50;
            gRoleStats[i].mp = 5;
            gRoleStats[i].status = 0;
        }
        // Role records 2801, 2761, 7 and 8 (word 12 holds the two role values).
        records = RoleRecords({2801, 2761, 7, 8}, 5, 0, 0x0302);
        ASSERT_TRUE(BindRoleRecords(records.data(), records.size()));
    }
    // The first four places of a role table.
    static std::vector<i32> FirstFour(const i32* table) { return {table, table + 4}; }
    i32 Value(u16 id, int which) {
        i32 v = -1;
        EXPECT_TRUE(AccessRoleValue(id, which, &v, 1));
        return v;
    }
};

TEST_F(PartyCommandTest, ItemsClampAndEquipmentIsAddedAsPieces) {
    gOwnedItems[3] = 10;
    gOwnedItems[4] = 5;
    Run("AddItem 3 150\n AddItem 4 -20\n AddItem 5 7");
    EXPECT_EQ(std::tuple(gOwnedItems[3], gOwnedItems[4], gOwnedItems[5]), std::tuple(99, 0, 7));
    // Item numbers past the table are ignored.
    Run("AddItem 299 5");
    // Equipment record 1: three owned pieces; k <= 0 and a record past the table add none.
    auto pieces = [] {
        int n = 0;
        for (const EquipageData& e : gOwnedEquipage)
            if (e.id == gEquipages[1].id) ++n;
        return n;
    };
    int before = pieces();
    Run("AddItem 301 3\n AddItem 301 -2\n AddItem 0xFFFF 1");
    EXPECT_EQ(pieces(), before + 3);
    EXPECT_TRUE(h.boxes().empty());
}

TEST_F(PartyCommandTest, JoinLeaveKeepsThePartyPacked) {
    for (int i = 0; i < kPartySize; ++i) gParty[i] = gFormation[i] = -1;
    gRoleStats[2].status = 0x4000;
    gRoleStats[2].hp = 0;
    Run("JoinParty 1\n JoinParty 2\n JoinParty 3\n JoinParty 2");
    EXPECT_EQ(FirstFour(gParty), (std::vector<i32>{0, 1, 2, -1}));
    // Joining restores fully, fallen or not.
    EXPECT_EQ(std::tuple(gRoleStats[2].hp, gRoleStats[2].status), std::tuple(100, 0));
    gRoleStats[2].status = 0x4000;
    gRoleStats[2].hp = 0;
    // The formation stands 2, -, 1, 0 (back row to the front): leaving frees
    // the role's place and moves no one.
    const i32 formation[4] = {2, -1, 1, 0};
    std::copy(formation, formation + 4, gFormation);
    Run("LeaveParty 2");
    EXPECT_EQ(FirstFour(gParty), (std::vector<i32>{0, 2, -1, -1}));
    EXPECT_EQ(FirstFour(gFormation), (std::vector<i32>{2, -1, -1, 0}));
    // A fallen member that stays gets up with 1 HP.
    EXPECT_EQ(std::tuple(gRoleStats[2].hp, gRoleStats[2].status), std::tuple(1, 0));
}

TEST_F(PartyCommandTest, FullRestoreAndDamage) {
    gRoleStats[1].status = 0x4000;
    // Mode 0 leaves a fallen role.
    Run("FullRestore -1 0");
    EXPECT_EQ(std::tuple(gRoleStats[0].hp, gRoleStats[0].mp, gRoleStats[1].hp),
              std::tuple(100, 50, 40));
    Run("FullRestore 2 1");
    EXPECT_EQ(std::tuple(gRoleStats[1].hp, gRoleStats[1].status), std::tuple(100, 0));
    for (int i = 0; i < kPartySize; ++i) gParty[i] = i < 2 ? i : -1;
    gRoleStats[1].hp = 20;
    gFrameId = 0;
    Run("DamageParty 30");
    EXPECT_EQ(std::tuple(gRoleStats[0].hp, gRoleStats[1].hp, gRoleStats[1].status, gFrameId),
              std::tuple(70, 0, 0x4000, 0u));
    Run("DamageParty 100");
    EXPECT_EQ(gFrameId, kScreenBit | 6);  // everybody down: the party-defeat screen
}

TEST_F(PartyCommandTest, RaiseMaxHpMpTakesPlainWords) {
    // 40000 is a raise, not a cut of 25536.
    i32 hp = gRoles[1].maxHp, mp = gRoles[1].maxMp;
    Run("RaiseMaxHpMp 2 40000 3");
    EXPECT_EQ(std::tuple(gRoles[1].maxHp, gRoles[1].maxMp), std::tuple(hp + 40000, mp + 3));
    EXPECT_GT(gRoleStats[1].hp, 40);  // raised (to the cap), not cut
}

TEST_F(PartyCommandTest, MoneyStopsAtTheCapEverywhere) {
    // The script's own add is in the command table; the shops and battles add here.
    gScriptVars[0] = 0x7FFFFFFAu;
    const std::pair<i64, u32> adds[] = {{5, 0x7FFFFFFFu}, {5, 0x7FFFFFFFu}, {-0x80000000LL, 0}};
    for (const auto& [add, money] : adds) {
        AddMoney(add);
        EXPECT_EQ(gScriptVars[0], money) << add;
    }
}

TEST_F(PartyCommandTest, QuestsAreNotDuplicated) {
    Run("AddQuest 5 0\n AddQuest 6 0\n AddQuest 7 1\n AddQuest 5 1\n AddQuest 6 0");
    EXPECT_EQ(gQuestList, (std::deque<u32>{7, 5, 6}));
    Run("RemoveQuest 5\n RemoveQuest 99");
    EXPECT_EQ(gQuestList, (std::deque<u32>{7, 6}));
}

struct RoleValueCase {
    const char* name;
    const char* body;
    int which;
    i32 expect;  // role value of role 7, or the flag 300 outcome when which is 0
};

TEST_F(PartyCommandTest, RoleValues) {
    const RoleValueCase cases[] = {
        {"read low", "", 1, 2},
        {"read high", "", 2, 3},
        {"set keeps 8 bits", "SetRoleValue 7 1 0x1FF", 1, 0xFF},
        {"add wraps", "AddRoleValue 7 2 254", 2, 1},
        {"sub", "SubRoleValue 7 1 1", 1, 1},
        {"at least jumps", "JumpIfRoleValueAtLeast 7 1 2 @t\n End\nt:\n SetFlag 300", 0, 1},
        {"at most stays", "JumpIfRoleValueAtMost 7 2 2 @t\n End\nt:\n SetFlag 300", 0, 0},
        {"equal", "JumpIfRoleValue 7 2 3 @t\n End\nt:\n SetFlag 300", 0, 1},
        {"switch", "JumpByRoleValue 7 1 @a @a @t\n End\na:\n End\nt:\n SetFlag 300", 0, 1},
        {"compare", "JumpIfRoleValueNotBelow 8 2 7 1 @t\n End\nt:\n SetFlag 300", 0, 1},
        {"swap", "SetRoleValue 8 1 9\n SwapRoleValues 7 1 8 1", 1, 9},
    };
    for (const RoleValueCase& rc : cases) {
        SCOPED_TRACE(rc.name);
        for (u16 id : {7, 8}) {
            i32 lo = 2, hi = 3;
            AccessRoleValue(id, 1, &lo, 2);
            AccessRoleValue(id, 2, &hi, 2);
        }
        ClearGameFlag(300);
        Run(rc.body);
        if (rc.which)
            EXPECT_EQ(Value(7, rc.which), rc.expect);
        else
            EXPECT_EQ(GetGameFlag(300), rc.expect);
        EXPECT_TRUE(h.boxes().empty());
    }
}

TEST_F(PartyCommandTest, RoleValueFaultsShowTheirBoxAndSkip) {
    // Value 2 with a switch of two targets is too large: that command is skipped too.
    for (const char* fault : {"SetRoleValue 4444 1 5", "JumpByRoleValue 7 2 @a @a",
                              "JumpIfRoleValueNotBelow 7 1 4444 1 @a"}) {
        ClearGameFlag(301);
        Run(std::string(fault) + "\n SetFlag 301\n End\na:\n End");
        EXPECT_EQ(TakeBoxes(h), 1u) << fault;
        EXPECT_EQ(GetGameFlag(301), 1) << fault;
    }
}

TEST_F(PartyCommandTest, ChooseEndingRole) {
    struct Case {
        std::vector<int> flags;
        int topVar;
        i32 expect;
    };
    const Case cases[] = {
        {{201}, 121, 6},      {{201}, 123, 7},      {{201}, 122, 9},      {{201, 204}, 121, 0},
        {{201, 204}, 124, 8}, {{201, 205}, 122, 5}, {{201, 205}, 120, 4}, {{}, 121, 0},
        {{}, 123, 2},         {{}, 124, 3},         {{}, 122, 4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.topVar);
        for (int f : {201, 204, 205}) ClearGameFlag(f);
        for (int f : k.flags) SetGameFlag(f);
        for (int v = 120; v <= 124; ++v) gScriptVars[v] = 1;
        gScriptVars[k.topVar] = 9;
        Run("ChooseEnding");
        EXPECT_EQ(Value(2801, 1), k.expect);
    }
}

TEST_F(PartyCommandTest, ScreensOpenFromScripts) {
    struct Case {
        const char* body;
        u32 frame;
    };
    // The ending and the demo end open and the talk goes on in the same frame
    // (the shop test opens the shop); the item chooser waits a frame.
    const Case cases[] = {{"ShowEnding 0 0 0 0 0", 5}, {"DemoEnd", 16}, {"ItemChooser 1", 14}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.body);
        gFrameId = 0;
        gScriptVars[8] = 77;
        ClearGameFlag(120);
        Start(std::string(k.body) + "\n SetFlag 120");
        Talk(&gTalkContext);
        EXPECT_EQ(GetGameFlag(120) != 0, k.frame != 14);
        RunUntilFree(50);
        EXPECT_EQ(gFrameId, kScreenBit | k.frame);
    }
    ASSERT_NE(gItemFrame, nullptr);
    EXPECT_EQ(gItemFrame->Mode(), 1u);
    EXPECT_EQ(gScriptVars[8], 0u);
}

TEST_F(PartyCommandTest, ShopFromToreDat) {
    // No file at all: its box, no screen.
    gFrameId = 0;
    Run("Shop 1");
    EXPECT_EQ(std::tuple(gFrameId, TakeBoxes(h)), std::tuple(0u, 1u));
    std::vector<ShopDef> shops = {{3, true, {{3, {7, 6}}, {0, {1, 2, 5}}}},
                                  {4, false, {{5, {20}}}}};
    WriteHostFile(h.Path("MH_Data/tore.dat"), MakeShopFile(shops));
    Run("Shop 3");
    EXPECT_EQ(std::tuple(gFrameId, gShopStock.enhance, gShopStock.cat[0].index,
                         gShopStock.cat[3].index, gShopStock.cat[1].index),
              std::tuple(kScreenBit | 18, 1u, 0, 3, -1));
    EXPECT_EQ(gShopStock.cat[0].ids, (std::deque<u32>{1, 2, 5}));
    EXPECT_EQ(gShopStock.cat[3].ids, (std::deque<u32>{7, 6}));
    // A shop that does not exist: its box, the stock kept, no screen.
    gFrameId = 0;
    Run("Shop 9");
    EXPECT_EQ(std::tuple(gFrameId, TakeBoxes(h), gShopStock.cat[0].ids.size()),
              std::tuple(0u, 1u, 3u));
    Run("Shop 4");
    EXPECT_EQ(std::tuple(gShopStock.enhance, gShopStock.cat[5].ids.size(), gShopStock.cat[0].index),
              std::tuple(0u, 1u, -1));
}

// A shop file: the 512-byte head, then these words.
std::vector<u8> ShopFile(std::initializer_list<u16> words) {
    std::vector<u8> file(512, 0);
    for (u16 w : words) {
        file.push_back(static_cast<u8>(w));
        file.push_back(static_cast<u8>(w >> 8));
    }
    return file;
}

TEST(ShopData, BadFilesAreRefusedAndRepeatedTagsAddTheirLists) {
    ShopStock s;
    EXPECT_EQ(ParseShop(ShopFile({}), 1, &s), ShopParse::NoShop);
    // Truncated: no end word, and an odd byte.
    std::vector<u8> file = ShopFile({2001, 1, 1000, 4, 5, 1006, 9, 9, 1002, 6});
    file.push_back(0x12);
    ASSERT_EQ(ParseShop(file, 1, &s), ShopParse::Ok);
    EXPECT_EQ(std::tuple(s.cat[0].ids.size(), s.cat[2].ids.size(), s.cat[1].index),
              std::tuple(2u, 1u, -1));
    // The start tag as the very last word has no shop number.
    EXPECT_EQ(ParseShop(ShopFile({2000}), 0, &s), ShopParse::NoShop);
    // A category tag that comes again adds its list to the same category, in file order.
    ASSERT_EQ(ParseShop(ShopFile({2001, 3, 1001, 5, 6, 1002, 7, 1001, 8, 65535}), 3, &s),
              ShopParse::Ok);
    EXPECT_EQ(std::tuple(s.cat[1].ids, s.cat[2].ids, s.cat[1].index, s.cat[0].index),
              std::tuple((std::deque<u32>{5, 6, 8}), (std::deque<u32>{7}), 1, -1));
}

TEST_F(PartyCommandTest, BattleCommandRequestsTheBattle) {
    Run("Battle 12 5 10007 -1 -1 -1 -1 -1 -1 -1 3");
    EXPECT_EQ(gBattleRequest, 0x8000000Cu);
    EXPECT_EQ(std::vector<i32>(gBattleRoleChanges, gBattleRoleChanges + 10),
              (std::vector<i32>{5, 10007, -1, -1, -1, -1, -1, -1, -1, 3}));
}

}  // namespace
