// The strengthening counter: the roll's rule, the stages through the real
// tick and their timing, what a success and a failure cost, refused choices.
#include <algorithm>
#include <string>
#include <tuple>

#include "engine/Random.h"
#include "engine/Tsw.h"
#include "platform/TextCodec.h"
#include "shop/EnhanceFrame.h"
#include "shop/ShopSession.h"

namespace {

TEST(EnhanceRoll, DrawAgainstTheChance) {
    EXPECT_TRUE(EnhanceSucceeds(0, 0)) << "chance 0 still wins on a draw of 0";
    EXPECT_TRUE(EnhanceSucceeds(37, 37));
    EXPECT_FALSE(EnhanceSucceeds(38, 37));
    EXPECT_FALSE(EnhanceSucceeds(0, -1)) << "a negative chance never wins";
    EXPECT_TRUE(EnhanceSucceeds(99, 99));
    InitRandom(12345);
    int wins = 0;
    for (int i = 0; i < 10000; ++i) wins += RollSucceeds(49) ? 1 : 0;
    EXPECT_NEAR(wins, 5000, 200) << "draws 0..49 of 0..99";
}

// The texts of the specials a strengthening may give.
TEST(EnhanceRoll, SpecialTexts) {
    char out[64];
    DescribeSpecial({1, 10, -5, 0, 0}, out, sizeof(out));
    EXPECT_STREQ(out, B5("每回合  HP+10點  MP-5點"));
    DescribeSpecial({3, 0, 20, 0, 0}, out, sizeof(out));
    EXPECT_STREQ(out, B5("攻擊敵人吸取  MP+20%"));
    DescribeSpecial({4, 0, 0, 99, 0}, out, sizeof(out));
    EXPECT_STREQ(out, "") << "no status 99";
    DescribeSpecial({6, 0, 0, 0, 5000}, out, sizeof(out));
    EXPECT_STREQ(out, "") << "no skill 5000";
    DescribeSpecial({5, 0, 0, 0, 0}, out, sizeof(out));
    EXPECT_STREQ(out, B5("反彈敵人攻擊"));
}

struct EnhanceTest : ShopTest {
    static constexpr u32 kEnhance = kScreenBit | 22;
    void SetUp() override {
        ShopTest::SetUp();
        gSmartMouse = 0;
        EmptyHands();
        gOwnedEquipage[0] = gEquipages[0];  // short sword, attack 10
        gOwnedEquipage[0].enhanceLeft = 2;
        gOwnedEquipage[0].price = 100;
        gOwnedEquipage[1] = gEquipages[3];  // wood shield, none left
        gOwnedEquipage[1].enhanceLeft = 0;
        MonsterData& slime = gMonsters[0];
        slime.price = 100;
        slime.enhanceChance = 100;
        for (i32& v : slime.weaponBlock) v = 0;
        slime.weaponBlock[5] = 7;
        gOwnedMonsters[0] = 1;
        gMonsters[1].price = 50;
        gMonsters[1].enhanceChance = -1;
        gOwnedMonsters[1] = 3;
        gScriptVars[0] = 100;
        OpenShop(true, {{5, {20}}});
        ClickTabAt(540);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kEnhance);
        sounds.Clear();
    }
    cEnhanceFrame& F() { return *gEnhanceFrame; }
    void ChoosePiece(int r) { ClickAt(520, 100 + 24 * r); }
    void ChooseMonster(int r) { ClickAt(340, 120 + 24 * r); }
    void Confirm() { ClickAt(400, 330); }
    // The piece and the monster of rows p and m, confirmed.
    void Strengthen(int p, int m) {
        ChoosePiece(p);
        ChooseMonster(m);
        Confirm();
        ASSERT_EQ(F().stage, kEnhancing);
    }
    // The first piece's attack, strengthenings left and price.
    static std::tuple<i32, i32, i32> Piece() {
        const EquipageData& e = gOwnedEquipage[0];
        return {e.attack, e.enhanceLeft, e.price};
    }
    void Esc() { TapKey(h, kScanEsc, 2); }
    // Runs one frame that lands ms after the stage's start time.
    void FrameAt(u32 ms) { h.RunFrames(1, F().startTime + ms - timeGetTime()); }
    // Takes the strengthening's animation (act 9904, action 43) out of the
    // system act archive and drops what the game read of the act.
    void DropAnimation() {
        const u32 archive = kPortraitAct / kPicsPerArchive, entry = kPortraitAct % kPicsPerArchive;
        std::string path = std::string(gBasePath) + kPicArchiveNames[archive] + ".act";
        std::replace(path.begin(), path.end(), '\\', '/');
        std::vector<u8> file = ReadHostFile(path);
        ByteReader r(file);
        r.Skip(kTswHeaderSize + kTswEntrySize * (entry - 1));
        TswEntry e;
        TswEntryFields(r, e);
        ASSERT_TRUE(r.ok() && e.offset != 0 && u64{e.offset} + e.size <= file.size());
        u8* act = file.data() + e.offset;
        ASSERT_GT(LoadU16(act), 43);
        StoreU32(act + 2 + 4 * 43, 0);
        WriteHostFile(path, file);
        FreeActs();
    }
};

TEST_F(EnhanceTest, SuccessAtTheTimesGiven) {
    ChoosePiece(0);
    EXPECT_EQ(F().stage, kChooseMonster);
    EXPECT_EQ(F().tabs.tab[0]->id, 0) << "tabs inert";
    ChooseMonster(0);
    EXPECT_EQ(F().stage, kConfirming);
    Confirm();
    ASSERT_EQ(F().stage, kEnhancing);
    EXPECT_EQ(sounds.played(), std::vector<int>{262});
    // Frames a millisecond apart: each stage ends in the first frame past its time.
    SetFrameInterval(1);
    FrameAt(2960);
    FrameAt(3000);
    EXPECT_EQ(F().stage, kEnhancing) << "no roll at 3000 ms";
    FrameAt(3001);
    ASSERT_EQ(F().stage, kShowingResult) << "the roll at 3001 ms";
    EXPECT_EQ(Piece(), std::make_tuple(17, 1, 200));
    EXPECT_EQ(gOwnedMonsters[0], 0);
    EXPECT_EQ(Money(), 0) << "money equal to the price";
    FrameAt(1960);
    FrameAt(2000);
    EXPECT_EQ(F().stage, kShowingResult) << "not back at 2000 ms";
    FrameAt(2001);
    EXPECT_EQ(F().stage, kChoosePiece) << "back at 2001 ms";
    EXPECT_EQ(F().monsters.entries, (std::vector<i32>{1})) << "the last slime is gone";
    EXPECT_EQ(F().current, 200);
    EXPECT_EQ(F().tabs.tab[0]->id, 7000);
}

TEST_F(EnhanceTest, WithoutItsAnimationTheStrengtheningGoesOn) {
    DropAnimation();
    Strengthen(0, 0);
    FrameAt(1000);
    EXPECT_EQ(F().stage, kEnhancing);
    FrameAt(3001);
    ASSERT_EQ(F().stage, kShowingResult);
    EXPECT_EQ(gOwnedEquipage[0].attack, 17);
    EXPECT_EQ(gOwnedMonsters[0], 0);
    FrameAt(2001);
    EXPECT_EQ(F().stage, kChoosePiece);
    EXPECT_EQ(gFrameId, kEnhance);
}

TEST_F(EnhanceTest, FailureStillCostsAndCancelRollsAtOnce) {
    Strengthen(0, 1);  // the goblin, chance -1
    Esc();
    EXPECT_EQ(F().stage, kShowingResult);
    EXPECT_EQ(Piece(), std::make_tuple(10, 1, 150));
    EXPECT_EQ(gOwnedMonsters[1], 2);
    EXPECT_EQ(Money(), 50);
    Esc();
    EXPECT_EQ(F().stage, kChoosePiece);
}

// Both headings and the mark of the active list stay over the list areas on
// the canvas, whichever list was brought forward last.
TEST_F(EnhanceTest, HeadingsAndTheActiveMarkStayInSight) {
    const u16 white = ConvertPixel(0x7FFF);
    auto whiteIn = [&](i32 x, i32 y) {  // a heading of four 24-pixel characters
        int n = 0;
        for (i32 py = y; py < y + 24; ++py)
            for (i32 px = x; px < x + 96; ++px) n += CanvasAt(px, py) == white;
        return n;
    };
    // The step, where the mark stands and its action.
    const std::tuple<const char*, i32, i32, i32> steps[] = {
        {"open", 421, 56, 14}, {"piece picked", 254, 71, 15}, {"back", 421, 56, 14}};
    for (const auto& [step, markX, markY, markAction] : steps) {
        if (markAction == 15) ChoosePiece(0);
        if (std::string(step) == "back") Esc();
        h.RunFrames(1);
        EXPECT_GT(whiteIn(295, 75), 60) << step << ": 選擇怪物";
        EXPECT_GT(whiteIn(478, 58), 60) << step << ": 選擇裝備";
        EXPECT_EQ(CanvasAt(markX + 10, markY + 10), Colour(9907, markAction)) << step;
    }
}

TEST_F(EnhanceTest, RefusedChoicesAndAttackStopsAt500) {
    ChoosePiece(1);
    EXPECT_EQ(F().stage, kChoosePiece) << "no strengthening left";
    gScriptVars[0] = 99;
    ChoosePiece(0);
    ChooseMonster(0);
    EXPECT_EQ(F().stage, kChooseMonster) << "the slime costs 100";
    gScriptVars[0] = 100;
    gOwnedEquipage[0].attack = 495;
    ChooseMonster(0);
    Confirm();
    Esc();
    EXPECT_EQ(gOwnedEquipage[0].attack, 500);
    // Back steps: cancel in stage 1 returns to the pieces; in stage 0 it leaves.
    Esc();
    ChoosePiece(0);
    Esc();
    EXPECT_EQ(F().stage, kChoosePiece);
    Esc();
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, 0u);
}

}  // namespace
