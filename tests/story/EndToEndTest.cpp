// The sample game from the title through the real tick: a new game, the
// opening talk, a walk to the person with the question, the answer "yes".
#include <gtest/gtest.h>

#include "story/StoryTestUtil.h"
#include "story/Trigger.h"
#include "mhdata/Maps.h"
#include "support/SampleSession.h"

namespace {

struct EndToEnd : ::testing::Test {
    Harness h;
    SampleSession s{h};
};

TEST_F(EndToEnd, NewGameOpeningWalkTalkAnswerYesAndWalkAgain) {
    s.NewGameFromTheTitle();
    ASSERT_EQ(gMapId, sampleMap::kTown);

    // The opening talk shows its box and holds the player.
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
    u16 startX = s.P().x, startY = s.P().y;
    PlatformSetKey(kArrowDown, true);
    h.RunFrames(10);
    PlatformSetKey(kArrowDown, false);
    EXPECT_EQ(s.P().y, startY) << "the talk holds the player";
    EXPECT_EQ(s.P().x, startX);

    // Confirm shows the rest of the text, then closes the box; the talk ends.
    ASSERT_TRUE(s.ConfirmUntilTalkEnds())
        << gTalkContext.owner << " " << gTalkFlags << " " << gDialogs.size();

    // Down the street to the person's row, then right up to the person.
    int person = s.WalkToTheQuestion();
    ASSERT_GT(person, 0);
    ASSERT_EQ(gMapRoles[person].talk, kSampleQuestionTalk);

    // Confirm in front starts the question; the person turns to the player.
    u32 money = gScriptVars[0];
    s.Tap(s.Confirm());
    ASSERT_TRUE(h.RunUntil([] { return ChoiceOpen(); }, 200));
    EXPECT_EQ(gTalkContext.talk, kSampleQuestionTalk);
    EXPECT_EQ(gTalkContext.owner, 101);
    EXPECT_EQ(gMapRoles[person].act->dir, 2) << "faces left, toward the player";

    // A confirm while the answers are still coming out shows them all and
    // takes no answer; the next one takes "yes", the first.
    ASSERT_EQ(gScreenItems.size(), 1u) << "the first answer is out, the second not yet";
    s.Tap(s.Confirm());
    EXPECT_EQ(gScreenItems.size(), 2u);
    EXPECT_FALSE(GetGameFlag(kSampleYesFlag));
    EXPECT_FALSE(GetGameFlag(kSampleNoFlag));
    EXPECT_EQ(gChosenAnswer, 0u);
    s.Tap(s.Confirm());
    ASSERT_TRUE(h.RunUntil([] { return GetGameFlag(kSampleYesFlag) != 0; }, 50));
    EXPECT_FALSE(GetGameFlag(kSampleNoFlag));
    EXPECT_EQ(gScriptVars[0], money + 100) << "the reward of the yes branch";
    // The thanks box, closed by confirm, and the talk ends.
    for (int i = 0; i < 6 && !s.TalkFree(); ++i) {
        s.Tap(s.Confirm());
        h.RunFrames(3);
    }
    EXPECT_TRUE(s.TalkFree());

    // The player walks again (no encounter may start a battle meanwhile).
    ClearGameFlag(12);
    u16 y = s.P().y;
    PlatformSetKey(kArrowUp, true);
    EXPECT_TRUE(h.RunUntil([&] { return s.P().y < y; }, 40))
        << "the player stays held (mode word " << std::hex << gFrameId << ", map " << std::dec
        << gMapId << ", battle " << gBattleActive << ", talk owner " << gTalkContext.owner << ")";
    PlatformSetKey(kArrowUp, false);
    EXPECT_TRUE(h.boxes().empty());
}

// A click on each of the four icons of the map's top strip opens its screen.
TEST(MapHud, AClickOnEachIconOpensItsScreen) {
    const i32 kIconX[4] = {460, 505, 550, 595};
    const u32 kScreens[4] = {2, 0x17, 0x19, 0x0D};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        Harness h;
        SampleSession s{h};
        s.NewGameFromTheTitle();
        ASSERT_TRUE(s.ConfirmUntilTalkEnds());
        h.RunFrames(15);  // the closed box keeps the mouse locked a while
        s.PointAt(kIconX[k] + 22, 20);
        s.Click();
        EXPECT_TRUE(h.RunUntil([&] { return gFrameId == (kScreenBit | kScreens[k]); }, 5))
            << std::hex << gFrameId;
    }
}

// Over the open map a held mouse button walks the player toward the cursor,
// which shows the way; a talk's lock holds the player still. A talk whose
// script closes its speaker's waiting box leaves neither the player nor that
// person held: the player walks with the mouse and talks to the person again.
TEST_F(EndToEnd, AHeldMouseButtonWalksThePlayerTowardTheCursor) {
    s.NewGameFromTheTitle();
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    h.RunFrames(15);                    // the closed box keeps the mouse locked a while
    constexpr u16 kClosingTalk = 2001;  // entry 1 of Talk3.dat
    WriteHostFile(h.Path("MH_Data/Talk3.dat"),
                  Assemble("talk 1\n Say 0xFFF0 \"hm\"\n CloseSpeakerBoxes 0xFFF0\n End\n"));
    int person = FindRoleById(101);
    ASSERT_GT(person, 0);
    gMapRoles[person].talk = kClosingTalk;
    auto clickPerson = [&] {
        i32 l, t, r, b;
        EXPECT_TRUE(RoleScreenRect(person, &l, &t, &r, &b));
        s.PointAt((l + r) / 2, (t + b) / 2);
        PlatformSetMouseButtons(true, false);
        h.RunFrames(1);
        PlatformSetMouseButtons(false, false);
    };
    clickPerson();
    EXPECT_EQ(gTalkContext.owner, 101);
    ASSERT_TRUE(h.RunUntil([] { return SampleSession::TalkFree(); }, 10));
    EXPECT_EQ(gTalkFlags, 0u) << "no box waits any more";
    EXPECT_EQ(gMapRoles[person].talkLock, 0);
    h.RunFrames(15);
    auto screenX = [&] { return s.P().x - gViewX + 8; };
    auto screenY = [&] { return s.P().y - gViewY + 8; };
    u16 x0 = s.P().x, y0 = s.P().y;
    s.PointAt(screenX() + 120, screenY());
    EXPECT_EQ(gTriggerCursor, 3) << "the cursor points right";
    PlatformSetMouseButtons(true, false);
    EXPECT_TRUE(h.RunUntil([&] { return s.P().x >= x0 + 32; }, 60)) << s.P().x;
    PlatformSetMouseButtons(false, false);
    h.RunFrames(12);
    EXPECT_EQ(s.P().y, y0);
    EXPECT_EQ(s.P().x % 16, 0) << "stops on a cell";

    // Down and to the left of the player: a diagonal step.
    u16 x1 = s.P().x, y1 = s.P().y;
    s.PointAt(screenX() - 90, screenY() + 90);
    EXPECT_EQ(gTriggerCursor, 6);
    PlatformSetMouseButtons(true, false);
    EXPECT_TRUE(h.RunUntil([&] { return s.P().y >= y1 + 16; }, 40));
    PlatformSetMouseButtons(false, false);
    h.RunFrames(12);
    EXPECT_LT(s.P().x, x1);

    // Locked by a talk, the button moves nobody.
    u16 x2 = s.P().x, y2 = s.P().y;
    gTalkFlags |= kTalkLockBit;
    PlatformSetMouseButtons(true, false);
    h.RunFrames(20);
    PlatformSetMouseButtons(false, false);
    gTalkFlags &= ~kTalkLockBit;
    EXPECT_EQ(s.P().x, x2);
    EXPECT_EQ(s.P().y, y2);
    h.RunFrames(2);
    clickPerson();
    EXPECT_EQ(gTalkContext.owner, 101) << "the person talks again";
    EXPECT_EQ(gTalkContext.talk, kClosingTalk);
    EXPECT_TRUE(h.RunUntil([] { return SampleSession::TalkFree(); }, 10));
    EXPECT_TRUE(h.boxes().empty());
}

}  // namespace
