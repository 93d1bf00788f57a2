// The sample game from the title through the real tick: a new game, the
// opening talk, a walk to the person with the question, the answer "yes".
#include <gtest/gtest.h>

#include "shell/Main.h"
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
    ASSERT_GT(gPlayerSlot, 0);

    // The opening talk shows its box and holds the player.
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
    EXPECT_TRUE(gTalkFlags & kTalkLockBit);
    u16 startX = s.P().x, startY = s.P().y;
    PlatformSetKey(kArrowDown, true);
    h.RunFrames(10);
    PlatformSetKey(kArrowDown, false);
    EXPECT_EQ(s.P().y, startY) << "the talk holds the player";
    EXPECT_EQ(s.P().x, startX);

    // Confirm shows the rest of the text, then closes the box; the talk ends.
    for (int i = 0; i < 6 && !s.TalkFree(); ++i) {
        s.Tap(s.Confirm());
        h.RunFrames(3);
    }
    ASSERT_TRUE(s.TalkFree()) << gTalkContext.owner << " " << gTalkFlags << " " << gDialogs.size();

    // Down the street to the person's row, then right up to the person.
    int person = s.WalkToTheQuestion();
    ASSERT_GT(person, 0);
    ASSERT_EQ(gMapRoles[person].talk, kSampleQuestionTalk);
    EXPECT_TRUE(h.boxes().empty());

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
    EXPECT_EQ(gTalkContext.owner, kTalkFree);
    EXPECT_FALSE(gTalkFlags & kTalkLockBit);
    EXPECT_TRUE(gDialogs.empty());

    // The player walks again.
    u16 y = s.P().y;
    PlatformSetKey(kArrowUp, true);
    EXPECT_TRUE(h.RunUntil([&] { return s.P().y < y; }, 40)) << "the player stays held";
    PlatformSetKey(kArrowUp, false);
    EXPECT_TRUE(h.boxes().empty());
}

}  // namespace
