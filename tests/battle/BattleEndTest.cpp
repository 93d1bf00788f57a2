// The battle's end: the victory's pay and level-ups, the banner's and the
// defeat wait's timing, and bad values from a save or a record.
#include "support/BattleFixtures.h"

namespace {

class EndTest : public FightTest {
protected:
    void SetUp() override {
        FightTest::SetUp();
        gItems = Table<ItemData>(4, &gItemCount);
        gOwnedItems = Table<i32>(4);
    }
    // Party slot i: role r of that level and experience.
    cFighter& Member(int i, i32 r, i32 level, i32 exp) {
        RoleStats& s = gRoleStats[r];
        s.index = r;
        s.level = level;
        s.exp = exp;
        cFighter& f = gPartySide.fighters[i] = Fighter(i);
        f.kind = kKindParty;
        f.pic = static_cast<u32>(r);
        f.stats = cFighterStats::OfRole(&s);
        if (gPartySide.count <= i) gPartySide.count = i + 1;
        return f;
    }
    // Steps the end screens until they report done; how many steps that took
    // and how many level-up panels were shown.
    struct Run {
        int steps = 0, panels = 0;
    };
    static Run StepToEnd(int limit = 3000) {
        Run r;
        bool showing = false;
        while (r.steps < limit) {
            ++r.steps;
            const i32 done = gBattleEnd.Step();
            if (gBattleEnd.shown && !showing) ++r.panels;
            showing = gBattleEnd.shown != nullptr;
            if (done) break;
        }
        return r;
    }
};

TEST_F(EndTest, VictoryPaysCappedMoneyExperienceToLivingMembersAndTheFirstThreeDrops) {
    gScriptVars[0] = 0x7FFFFFF0;
    gEnemySide.goldTotal = 100;
    gEnemySide.expTotal = 30;
    Member(0, 0, 5, 10);
    Member(1, 1, 5, 10).status = kStDying;
    // An added creature in slot 2 whose number would be role 2.
    cFighter& creature = gPartySide.fighters[2] = Fighter(2);
    creature.kind = kKindAdded;
    creature.pic = 2;
    gRoleStats[2].exp = 10;
    Member(3, 4, 5, 0x7FFFFFF0);
    gPartySide.count = 4;
    Member(6, 3, 5, 10);  // past the six fighting places
    gOwnedItems[2] = 99;
    gOwnedItems[1] = 5;
    // Below, at the count, full, fourth.
    std::ranges::copy(std::array{-5, 4, 2, 1}, gEnemySide.drops);
    PayVictoryRewards();
    // The money capped. Only the living member and the one at the cap's edge
    // gain (capped); the dying member, the creature's role and the seventh
    // slot's do not.
    EXPECT_EQ((std::vector<i64>{gScriptVars[0], gRoleStats[0].exp, gRoleStats[1].exp,
                                gRoleStats[2].exp, gRoleStats[3].exp, gRoleStats[4].exp}),
              (std::vector<i64>{0x7FFFFFFF, 40, 10, 10, 10, 0x7FFFFFFF}));
    EXPECT_EQ(std::tuple(Record(2).exp, gOwnedItems[2], gOwnedItems[1]), std::tuple(0, 99, 5));

    std::ranges::copy(std::array{1, 1, 3}, gEnemySide.drops);
    gEnemySide.goldTotal = 7;
    gScriptVars[0] = 100;
    PayVictoryRewards();
    EXPECT_EQ((std::vector<i64>{gScriptVars[0], gOwnedItems[1], gOwnedItems[3]}),
              (std::vector<i64>{107, 7, 1}));
}

TEST_F(EndTest, TwoLevelsInARowShowTwoPanelsAndGrowByTheExchangedRows) {
    SetGameFlag(324);  // role 1 grows by role 0's rows and learns role 0's skills
    RoleData& base = gRoles[1];
    const i32 start[7] = {100, 20, 10, 11, 12, 13, 14};
    i32* words[7] = {&base.maxHp, &base.maxMp,  &base.strength, &base.stamina,
                     &base.magic, &base.spirit, &base.agility};
    for (int k = 0; k < 7; ++k) *words[k] = start[k];
    // Each attribute grows by its own amount, so that no two can trade places.
    const i32 row1[7] = {5, 3, 1, 2, 3, 4, 5}, row2[7] = {6, 2, 7, 9, 4, 6, 8};
    for (int k = 0; k < 7; ++k) {
        gLevelUpStats[0][1][2 + k] = row1[k];
        gLevelUpStats[0][2][2 + k] = row2[k];
        gLevelUpStats[1][1][2 + k] = 50;  // role 1's own rows must not be read
        gLevelUpStats[1][2][2 + k] = 50;
    }
    std::ranges::copy(std::array<LevelUpSkill, 3>{{{5, 2}, {6, 3}, {7, 4}}}, gLevelUpSkills[0]);
    gLevelUpSkills[1][0] = {8, 2};
    cFighter& f = Member(0, 1, 1, 45 + 90 + 7);
    f.hp = 50;
    f.mp = 10;
    gBattleEnd.SetOutcome(1);
    MusicRecorder music;
    const Run r = StepToEnd();
    // Banner 7 + 100 + 7 steps; each panel is found, opens in 7, waits 200,
    // closes in 7; the next step finds nobody.
    const RoleStats& s = gRoleStats[1];
    // 45 and 90 experience spent.
    EXPECT_EQ(std::tuple(r.panels, r.steps, s.level, s.exp),
              std::tuple(2, 114 + 2 * (1 + 7 + 200 + 7), 3, 7));
    // The role's base record grows alike.
    const std::vector<i32> want = {111, 25, 18, 22, 19, 23, 27};
    std::vector<i32> grown;
    for (i32* w : words) grown.push_back(*w);
    EXPECT_EQ(std::tuple(std::vector<i32>{s.maxHp, s.maxMp, s.strength, s.stamina, s.magic,
                                          s.spirit, s.agility},
                         grown),
              std::tuple(want, want));
    // HP and MP grow with their maxima; role 0's skills of levels 2 and 3 are
    // learned; the level-up pose (16) is put over what it was doing.
    EXPECT_EQ(
        (std::vector<i32>{f.hp, f.mp, gLearnedSkills[0][0], gLearnedSkills[0][1],
                          gLearnedSkills[0][2], gLearnedSkills[1][0], f.action, f.savedAction}),
        (std::vector<i32>{61, 15, 1, 1, 0, 0, 16, 16}));
    // Victory piece once, then the level-up piece for each panel, each stopped after.
    std::vector<std::pair<int, int>> modes;  // mode, repeat
    for (const auto& m : music.modes()) modes.push_back({m.mode, m.repeat});
    EXPECT_EQ(modes,
              (std::vector<std::pair<int, int>>{{3, 2}, {3, 1}, {3, 2}, {3, 1}, {3, 2}, {3, 1}}));
}

TEST_F(EndTest, OnlyLivingMembersBelowFiftyRiseAndSavedLevelsAreHeldToTheTable) {
    struct Case {
        i32 level, exp;
        bool dying;
        int panels;
        i32 levelAfter, expAfter;
    } cases[] = {
        {50, 999999, false, 0, 50, 999999},
        {77, 999999, false, 0, 77, 999999},
        {0, 45, false, 1, 2, 0},
        {-3, 44, false, 0, -3, 44},
        {4, 999999, true, 0, 4, 999999},
        {49, 19125, false, 1, 50, 0},
    };
    for (const Case& c : cases) {
        ResetBattleSides();
        ResetBattleEnd();
        cFighter& f = Member(0, 2, c.level, c.exp);
        if (c.dying) f.status = kStDying;
        gBattleEnd.banner.done = 1;
        gBattleEnd.SetOutcome(1);
        const Run r = StepToEnd();
        EXPECT_EQ(std::tuple(r.panels, gRoleStats[2].level, gRoleStats[2].exp),
                  std::tuple(c.panels, c.levelAfter, c.expAfter))
            << c.level;
    }
}

TEST_F(EndTest, TheBannerClosesAfterAHundredTicksOrAtOnceOnConfirm) {
    gKeyBindings[kKeyConfirm] = 28;
    gEnemySide.goldTotal = 50;
    gBattleEnd.SetOutcome(1);
    // It stays done and pays once.
    EXPECT_EQ(
        (std::vector<i64>{StepToEnd().steps, gScriptVars[0], gBattleEnd.Step(), gScriptVars[0]}),
        (std::vector<i64>{7 + 100 + 7, 50, 1, 50}));

    ResetBattleEnd();
    gBattleEnd.SetOutcome(1);
    for (int step = 0; step < 9; ++step) gBattleEnd.Step();  // open after 7, two waiting ticks
    WithKeyDown(28, [] { gBattleEnd.Step(); });
    // Paid when it has closed, not before.
    EXPECT_EQ((std::vector<i64>{gScriptVars[0], StepToEnd().steps, gScriptVars[0]}),
              (std::vector<i64>{50, 7, 100}));
}

TEST_F(EndTest, TheDefeatWaitEndsAfterAHundredTicksOrWithTheMusic) {
    MusicRecorder music;
    for (bool finished : {false, true}) {
        ResetBattleEnd();
        music.AnswerFinished(finished);
        gBattleEnd.SetOutcome(3);
        EXPECT_EQ(StepToEnd().steps, finished ? 2 : 101) << finished;
        ASSERT_GE(music.modes().size(), 2u);
        EXPECT_EQ(std::tuple(music.modes().end()[-2].fadeTime, music.modes().back().repeat),
                  std::tuple(100, 1));
    }
    // An escape has no end screen.
    for (i32 outcome : {2, 0}) {
        ResetBattleEnd();
        gBattleEnd.SetOutcome(outcome);
        EXPECT_EQ(gBattleEnd.Step(), outcome == 2 ? 1 : 0) << outcome;
    }
}

}  // namespace
