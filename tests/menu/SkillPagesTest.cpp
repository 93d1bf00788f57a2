// The skills page and the skill list through the real tick on the sample game:
// the ways in and out, the category rows of each role, the row colours, using
// a skill with and without a target choice, scrolling, and bad values.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "menu/MenuPages.h"
#include "menu/SkillFrame.h"
#include "menu/SkillListFrame.h"
#include "mhdata/SampleSkillMenu.h"

namespace {

namespace ss = sampleSkills;

bool Grey(const cControl* c) {
    return c->style == kStyleShadow && (c->colour & 0xFFFF) == ColorRefToScreen(0x969696);
}
bool Black(const cControl* c) {
    return c->style == kStylePlain && (c->colour & 0xFFFF) == ColorRefToScreen(0);
}

using Texts = std::vector<std::string>;

struct SkillPages : MenuTest {
    cSkillFrame& Skills() { return *gSkillFrame; }
    cSkillListFrame& List() { return *gSkillListFrame; }
    void OpenSkills() {
        Tap(kScanF2);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kScreenBit | 23u);
        h.RunFrames(1);
        sounds.Clear();
    }
    // Category row r's list, from the skills page or from another list.
    void OpenRow(int r) {
        if (gFrameId == (kScreenBit | 24u)) BackToSkills();
        ClickSide(r);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kScreenBit | 24u);
    }
    void OpenList(i32 role, int r) {
        gMenuRole = static_cast<u32>(role);
        OpenSkills();
        OpenRow(r);
        sounds.Clear();
    }
    // A right click on the list, until the skills page runs again.
    void BackToSkills() {
        RightClick();
        h.RunFrames(2);
        ASSERT_EQ(std::make_pair(gFrameId, gFramePhase), std::make_pair(kScreenBit | 23u, 1u));
    }
    void Key(u8 code) { Tap(code, 2); }
    // The shown categories' captions, read off the page.
    Texts Captions() {
        Texts out;
        for (int k = 0; k < 3; ++k)
            if (Skills().frame.panel.captions[k]->shown)
                out.push_back(Text(Skills().frame.panel.captions[k]));
        return out;
    }
    // Each row's name as drawn: B black, G grey, ? anything else.
    std::string Shades(int n) {
        std::string out;
        for (int j = 0; j < n; ++j)
            out += Black(List().rowName[j]) ? 'B' : Grey(List().rowName[j]) ? 'G' : '?';
        return out;
    }
    // A row's name, value and where the value stands.
    std::tuple<std::string, std::string, i32> Row(int j) {
        return {Text(List().rowName[j]), Text(List().rowValue[j]), List().rowValue[j]->x};
    }
    // The rows drawn again, as after a use.
    void Redraw() {
        List().list.lastTop = -1;
        List().RefreshRows();
    }
    static void ClearLearned(i32 role) {
        for (i32& f : gLearnedSkills[role]) f = 0;
    }
};

// ---- ways in and out ----

TEST_F(SkillPages, TheWaysInAndOutOfBothPages) {
    gMenuRole = 2;
    OpenSkills();
    EXPECT_EQ(Text(Skills().frame.member.name), std::string(gRoleStats[2].name));
    ClickTab(1);  // this page's own tab
    EXPECT_EQ(std::make_pair(gFrameId, gFramePhase), std::make_pair(kScreenBit | 23u, 1u));
    EXPECT_TRUE(sounds.played().empty());
    OpenRow(0);
    EXPECT_EQ(sounds.played(), (std::vector<int>{261})) << "the list's own forward sound";
    EXPECT_EQ(std::make_pair(List().category, Text(List().frame.panel.title)),
              std::make_pair(5, Big5("吟 　唱")));
    sounds.Clear();
    BackToSkills();
    EXPECT_EQ(gMenuRole, 2u);
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
    OpenRow(1);
    ClickSlot(3);  // a party slot goes back to the skills page on that member
    h.RunFrames(2);
    EXPECT_EQ(std::make_pair(gFrameId, gMenuRole),
              std::make_pair(kScreenBit | 23u, static_cast<u32>(gParty[3])));
    EXPECT_EQ(Text(Skills().frame.member.name), std::string(gRoleStats[gParty[3]].name));
    sounds.Clear();
    RightClick();
    EXPECT_EQ(FinishClose(), 0u);
    EXPECT_EQ(gMenuRole, 0u);
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
}

TEST(SkillKeys, TheSkillsPageKeyTable) {
    using K = MenuKey;
    // From, key, rows, slots, party, the menu's slot, to.
    const std::tuple<int, K, int, int, int, int, int> cases[] = {
        {1, K::Down, 0, 4, 4, 2, 10},    {2, K::Switch, 2, 4, 4, 2, 10},
        {2, K::Switch, 0, 4, 4, 2, 32},  {0, K::Left, 3, 4, 4, 2, 3},
        {3, K::Right, 3, 4, 4, 2, 0},    {10, K::Up, 3, 4, 4, 2, 12},
        {10, K::Up, 1, 4, 4, 2, 10},     {11, K::Down, 2, 4, 4, 2, 10},
        {12, K::Left, 3, 4, 4, 2, 32},   {11, K::Switch, 3, 4, 4, -1, -1},
        {11, K::Right, 3, 4, 4, 2, 11},  {30, K::Up, 3, 4, 4, 2, 33},
        {33, K::Down, 3, 4, 4, 2, 30},   {35, K::Down, 3, 6, 7, 2, -1},
        {32, K::Right, 0, 4, 4, 2, 10},  {32, K::Switch, 3, 4, 4, 2, 0},
        {31, K::PageUp, 3, 4, 4, 2, 31}, {34, K::Up, 3, 4, 4, 2, -1}};
    for (const auto& [from, key, rows, slots, party, menuSlot, to] : cases)
        EXPECT_EQ(SkillFocusAfter(from, key, rows, slots, party, menuSlot), to)
            << from << " key " << static_cast<int>(key);
}

// ---- category rows ----

TEST_F(SkillPages, CategoryRowsFollowLearnedSkillsAndUnlockedForms) {
    for (int n = 0; n < 20; ++n) PutGameFlag(300 + n, 0);
    PutGameFlag(302, 1);  // a form role 1 cannot summon
    OpenSkills();
    Skills().SelectRole(1);
    const Texts two = {Big5("戰 　技"), Big5("神 　術")};
    EXPECT_EQ(Captions(), two);
    PutGameFlag(300, 1);
    Skills().SelectRole(1);
    EXPECT_EQ(Captions(), (Texts{two[0], two[1], Big5("召 　喚")}));
    for (int n : {0, 7, 19}) {
        for (int m = 0; m < 20; ++m) PutGameFlag(300 + m, m == n);
        Skills().SelectRole(5);
        EXPECT_EQ(Captions(), (Texts{Big5("魔 　法"), Big5("幻 　術"), Big5("變 　身")})) << n;
    }
    // Under flag 324 role 0 shows role 1's rows and keeps its own name.
    PutGameFlag(319, 0);
    PutGameFlag(kLeadSwapFlag, 1);
    Skills().SelectRole(0);
    EXPECT_EQ(Captions(), two);
    EXPECT_EQ(Text(Skills().frame.member.name), Big5("雷恩"));
}

TEST_F(SkillPages, HealingAloneIsTheFirstRowAndAnEmptyRoleStillTakesTheTopBand) {
    gLearnedSkills[0][ss::kFirstRow] = 0;  // role 0's combat skill
    ClearLearned(3);
    OpenSkills();
    EXPECT_EQ(Captions(), Texts{Big5("醫 　療")});
    EXPECT_EQ(Skills().frame.panel.captions[0]->y, 100);
    ClickAt(520, 140);  // the second band: no row
    EXPECT_EQ(std::make_pair(gFrameId, gFramePhase), std::make_pair(kScreenBit | 23u, 1u));
    ClickAt(520, 131);  // the first band's last line
    h.RunFrames(2);
    EXPECT_EQ(std::make_pair(gFrameId, List().category), std::make_pair(kScreenBit | 24u, 3));
    BackToSkills();
    ClickSlot(3);  // role 3: nothing learned
    EXPECT_TRUE(Captions().empty());
    MoveTo(520, 100, 2);
    EXPECT_EQ(Skills().focus, 10);
    EXPECT_FALSE(Skills().frame.panel.bar->shown);
    ClickAt(520, 100);
    EXPECT_EQ(gFrameId, kScreenBit | 23u);
    EXPECT_EQ(gSkillListFrame, nullptr);
}

// ---- colours and use ----

TEST_F(SkillPages, RowColoursFollowMpStatusAndUseModeAndTheListScrolls) {
    OpenList(0, 1);  // role 0's healing skills
    ASSERT_EQ(List().list.Count(), 15);
    EXPECT_EQ(Row(0), std::make_tuple(Big5("小治療"), "Mp:8", 560));
    // 8, 12 and the self skill's 5 MP are paid from 40, 99 are not.
    EXPECT_EQ(Shades(4), "BBBG");
    EXPECT_TRUE(Grey(List().rowValue[3]));
    i32 mp = gRoleStats[0].mp;
    ClickRow(3);
    EXPECT_EQ(gRoleStats[0].mp, mp);
    EXPECT_TRUE(sounds.played().empty());
    // Using the self skill (5 MP) from 13 leaves 8: the 12 MP row turns grey at
    // once; 8 MP still pays for 8. Sealed, healing stays usable; dying, nothing.
    gRoleStats[0].mp = 13;
    Redraw();
    EXPECT_EQ(Shades(4), "BBBG");
    ClickRow(2);
    EXPECT_EQ(gRoleStats[0].mp, 8);
    EXPECT_EQ(sounds.played(), (std::vector<int>{1}));
    for (u32 status : {0u, 0x200u}) {
        gRoleStats[0].status = status;
        Redraw();
        EXPECT_EQ(Shades(4), "BGBG") << status;
    }
    gRoleStats[0].status = 0x4000;
    Redraw();
    EXPECT_EQ(Shades(10), std::string(10, 'G'));
    sounds.Clear();
    ClickRow(0);
    EXPECT_EQ(gRoleStats[0].mp, 8);
    EXPECT_TRUE(sounds.played().empty());
    // Fifteen entries scroll to five; ten cannot scroll.
    MoveTo(520, 108);
    Key(kScanPgDn);
    EXPECT_EQ(List().list.top, 5);
    Key(kScanPgDn);
    EXPECT_EQ(List().list.top, 5);
    EXPECT_EQ(Text(List().rowName[0]), Big5("療法02")) << "entry 5";
    for (int k = 11; k < 16; ++k) gLearnedSkills[0][ss::kFirstRow + k] = 0;
    OpenRow(1);
    ASSERT_EQ(List().list.Count(), 10);
    MoveTo(520, 108 + 24 * 9, 2);
    EXPECT_EQ(List().focus, 19);
    Key(kScanDown);
    Key(kScanPgDn);
    EXPECT_EQ(std::make_pair(List().list.top, List().focus), std::make_pair(0, 19));
}

TEST_F(SkillPages, ASealedMemberStillUsesAGreyRowAndBattleSkillsStayGrey) {
    gRoleStats[2].status = 0x200;
    OpenList(2, 0);  // chant: the party hymn
    EXPECT_EQ(Shades(List().list.Count()), "G");
    i32 mp = gRoleStats[2].mp;
    ClickRow(0);
    EXPECT_EQ(gRoleStats[2].mp, mp - 10);
    EXPECT_EQ(sounds.played(), (std::vector<int>{1}));
    OpenRow(1);  // magic: the ice arrow is for battle
    gRoleStats[2].status = 0;
    Redraw();
    EXPECT_EQ(Shades(1), "G");
    sounds.Clear();
    ClickRow(0);
    EXPECT_EQ(gRoleStats[2].mp, mp - 10);
    EXPECT_TRUE(sounds.played().empty());
}

TEST_F(SkillPages, SummonsAndFormsAreGreyAndShowTheirWholeValues) {
    PutGameFlag(301, 1);
    PutGameFlag(302, 1);  // no summon record 202
    gGodForms[1].actionCost = 12345;
    OpenList(1, 2);
    EXPECT_EQ(std::vector<i32>(List().list.items.begin(), List().list.items.end()),
              (std::vector<i32>{200, 201}));
    EXPECT_EQ(Text(List().rowName[1]), Big5("冰魔降臨"));
    EXPECT_EQ(Shades(2), "GG");
    i32 mp = gRoleStats[1].mp;
    ClickRow(0);
    EXPECT_EQ(gRoleStats[1].mp, mp);
    EXPECT_TRUE(sounds.played().empty());
    BackToSkills();
    Skills().SelectRole(5);
    OpenRow(2);  // forms 0, 1 and 2
    ASSERT_EQ(List().list.Count(), 3);
    EXPECT_EQ(Row(0), std::make_tuple(Big5("火神"), Big5("供奉值:5"), 540));
    EXPECT_EQ(Text(List().rowValue[1]), Big5("供奉值:12345"));
    EXPECT_EQ(Shades(3), "GGG");
    MoveTo(520, 108, 2);
    EXPECT_TRUE(List().list.bar->shown);
    EXPECT_FALSE(List().frame.panel.tipText->shown) << "forms have no description";
}

// ---- use ----

TEST_F(SkillPages, AOneMemberPartyUsesAOneTargetSkillAtOnce) {
    SetParty({0});
    gRoleStats[0].hp = 10;
    OpenList(0, 1);
    ClickRow(0);
    EXPECT_EQ(std::make_tuple(List().subMode, gRoleStats[0].mp, gRoleStats[0].hp),
              std::make_tuple(int{kSkillListMain}, 32, 50));
    EXPECT_EQ(sounds.played(), (std::vector<int>{1}));
}

TEST_F(SkillPages, TheTargetChoiceWalksTheSlotsAndUsesOnTheChosenMember) {
    SetParty({0, 1, 2, 3});
    gRoleStats[1].hp = gRoleStats[2].hp = 10;
    OpenList(0, 1);
    ClickRow(0);
    ASSERT_EQ(List().subMode, kSkillListTarget);
    EXPECT_EQ(Spot(List().marker), std::pair(375, 64));
    EXPECT_EQ(sounds.played(), (std::vector<int>{261}));
    Key(kScanDown);
    EXPECT_EQ(std::make_pair(List().marker->y, Text(List().frame.member.name)),
              std::make_pair(136, std::string(gRoleStats[1].name)));
    Key(kScanUp);
    EXPECT_EQ(List().marker->y, 64);
    ClickSlot(2);
    EXPECT_EQ(std::make_tuple(List().subMode, gRoleStats[2].hp, gRoleStats[0].mp),
              std::make_tuple(int{kSkillListMain}, 50, 32));
    EXPECT_EQ(Text(List().frame.member.name), std::string(gRoleStats[0].name));
    // Again, the slot under the mouse and a click on the background.
    ClickRow(0);
    MoveTo(cPartySlots::CursorSpot(1).x, cPartySlots::CursorSpot(1).y, 2);
    EXPECT_EQ(List().marker->y, 136);
    sounds.Clear();
    ClickAt(200, 20);
    EXPECT_EQ(std::make_pair(gRoleStats[1].hp, gRoleStats[0].mp), std::make_pair(50, 24));
    EXPECT_EQ(sounds.played(), (std::vector<int>{1}));
    // A right click and an F key end the choice with nothing spent.
    ClickRow(0);
    sounds.Clear();
    RightClick();
    EXPECT_EQ(List().subMode, kSkillListMain);
    EXPECT_EQ(List().marker, nullptr);
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
    ClickRow(0);
    Key(kScanF3);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, kScreenBit | 25u);
    EXPECT_EQ(gRoleStats[0].mp, 24);
}

// ---- scrolling ----

// ---- bad values ----

TEST_F(SkillPages, BadSkillIdsAndCostsAreLeftOutOrShownWhole) {
    gLevelUpSkills[0][ss::kFirstRow + 1].skill = 0;
    gLevelUpSkills[0][ss::kFirstRow + 2].skill = 9999;
    gLevelUpSkills[0][ss::kFirstRow + 3].skill = -7;
    gSkills[ss::kGreatMend].mpCost = 1234567;
    OpenList(0, 1);
    EXPECT_EQ(List().list.Count(), 12);
    EXPECT_EQ(Row(0), std::make_tuple(Big5("大治療"), "Mp:1234567", 560));
    EXPECT_EQ(Shades(1), "G");
}

TEST_F(SkillPages, OpeningTakesAnyFocusWordAndAMemberOutsideTheParty) {
    gSmartMouse = 0;
    for (i32 f : {35, 99}) {
        gMenuRole = 2;
        gKeyFocus = f;
        Open(23);
        EXPECT_EQ(std::make_pair(Skills().focus, gKeyFocus), std::make_pair(32, 0)) << f;
        gFramePhase = 2;
        h.RunFrames(1);
    }
    gMenuRole = 6;
    gFrameId = 0;
    Open(23);
    EXPECT_EQ(std::make_pair(gMenuRole, Skills().focus), std::make_pair(0u, 30));
}

TEST_F(SkillPages, DownFromTheSixthSlotWrapsOnlyWithoutASeventhMember) {
    for (bool seven : {false, true}) {
        SetParty(seven ? std::initializer_list<i32>{0, 1, 2, 3, 4, 5, 6}
                       : std::initializer_list<i32>{0, 1, 2, 3, 4, 5});
        OpenSkills();
        ClickSlot(5);
        ASSERT_EQ(Skills().focus, 35);
        Key(kScanDown);
        EXPECT_EQ(gMenuRole, seven ? 5u : 0u) << seven;
        RightClick();
        ASSERT_EQ(FinishClose(), 0u);
    }
}

}  // namespace
