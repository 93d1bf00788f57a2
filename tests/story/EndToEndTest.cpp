// The sample game from the title through the real tick: a new game, the
// opening talk, a walk to the person with the question, the answer "yes".
#include <gtest/gtest.h>

#include <cstdlib>

#include "data/GameFlags.h"
#include "game/KeyCole.h"
#include "game/Main.h"
#include "game/Settings.h"
#include "game/RoleTable.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleTalks.h"
#include "platform/Input.h"
#include "story/Dialog.h"
#include "story/Talk.h"
#include "support/Harness.h"
#include "ui/ScreenState.h"

namespace {

constexpr u8 kScanUp = 200, kScanDown = 208, kScanLeft = 203, kScanRight = 205;

struct EndToEnd : ::testing::Test {
    Harness h;
    RoleSlot& P() { return gMapRoles[gPlayerSlot]; }
    u8 Confirm() { return static_cast<u8>(gMapKeyCodes[keyEntry::kConfirm]); }
    void Tap(u8 code) {
        PlatformSetKey(code, true);
        h.RunFrames(1);
        PlatformSetKey(code, false);
        h.RunFrames(1);
    }
    static bool TalkFree() {
        return gTalkContext.owner == kTalkFree && !(gTalkFlags & kTalkLockBit) && gDialogs.empty();
    }
    // Holds an arrow key until the player is half a cell from cell (cx, cy):
    // control reads a key as down for one frame after its release, so the key
    // goes up during the last step for the player to stop on the cell.
    void WalkToCell(u8 code, int cx, int cy) {
        auto near = [&] { return std::abs(P().x - cx * 16) + std::abs(P().y - cy * 16) <= 8; };
        PlatformSetKey(code, true);
        bool there = h.RunUntil(near, 400);
        PlatformSetKey(code, false);
        ASSERT_TRUE(there) << P().x << "," << P().y;
        h.RunFrames(8);
        ASSERT_EQ(P().x, cx * 16);
        ASSERT_EQ(P().y, cy * 16);
    }
    // Title, opening video skipped, new game clicked where the cursor starts (on
    // the focused "new game" button).
    void NewGameFromTheTitle() {
        h.WriteSample();
        h.StartGame();
        h.RunFrames(1);
        h.PostKeyUp(VK_ESCAPE);  // the first title of a run plays the opening video
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kScreenBit | 0);
        PlatformSetMouseButtons(true, false);
        h.RunFrames(1);
        PlatformSetMouseButtons(false, false);
        ASSERT_TRUE(h.RunUntil([] { return gFrameId == 0; }, 20));
    }
};

TEST_F(EndToEnd, NewGameOpeningWalkTalkAnswerYesAndWalkAgain) {
    NewGameFromTheTitle();
    ASSERT_EQ(gMapId, sampleMap::kTown);
    ASSERT_GT(gPlayerSlot, 0);

    // The opening talk shows its box and holds the player.
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
    EXPECT_TRUE(gTalkFlags & kTalkLockBit);
    u16 startX = P().x, startY = P().y;
    PlatformSetKey(kScanDown, true);
    h.RunFrames(10);
    PlatformSetKey(kScanDown, false);
    EXPECT_EQ(P().y, startY) << "the talk holds the player";
    EXPECT_EQ(P().x, startX);

    // Confirm shows the rest of the text, then closes the box; the talk ends.
    for (int i = 0; i < 6 && !TalkFree(); ++i) {
        Tap(Confirm());
        h.RunFrames(3);
    }
    ASSERT_TRUE(TalkFree()) << gTalkContext.owner << " " << gTalkFlags << " " << gDialogs.size();

    // Down the street to the person's row, then right up to the person (people
    // of the sample town do not block the way, so the walk stops beside it).
    int person = FindRoleById(101);
    ASSERT_GT(person, 0);
    ASSERT_EQ(gMapRoles[person].talk, kSampleQuestionTalk);
    int w, hh;
    RoleFootprint(&P(), &w, &hh);
    int row = gMapRoles[person].y / 16, column = gMapRoles[person].x / 16 - w;
    WalkToCell(kScanDown, startX / 16, row);
    WalkToCell(kScanRight, column, row);
    EXPECT_TRUE(h.boxes().empty());

    // Confirm in front starts the question; the person turns to the player.
    Tap(Confirm());
    ASSERT_TRUE(h.RunUntil([] { return ChoiceOpen(); }, 200));
    EXPECT_EQ(gTalkContext.talk, kSampleQuestionTalk);
    EXPECT_EQ(gTalkContext.owner, 101);
    EXPECT_EQ(gMapRoles[person].act->dir, 2) << "faces left, toward the player";

    // A confirm while the answers are still coming out shows them all and
    // takes no answer; the next one takes "yes", the first.
    ASSERT_EQ(gScreenItems.size(), 1u) << "the first answer is out, the second not yet";
    Tap(Confirm());
    EXPECT_EQ(gScreenItems.size(), 2u);
    EXPECT_FALSE(GetGameFlag(kSampleYesFlag));
    EXPECT_FALSE(GetGameFlag(kSampleNoFlag));
    EXPECT_EQ(gChosenAnswer, 0u);
    Tap(Confirm());
    ASSERT_TRUE(h.RunUntil([] { return GetGameFlag(kSampleYesFlag) != 0; }, 50));
    EXPECT_FALSE(GetGameFlag(kSampleNoFlag));
    // The thanks box, closed by confirm, and the talk ends.
    for (int i = 0; i < 6 && !TalkFree(); ++i) {
        Tap(Confirm());
        h.RunFrames(3);
    }
    EXPECT_EQ(gTalkContext.owner, kTalkFree);
    EXPECT_FALSE(gTalkFlags & kTalkLockBit);
    EXPECT_TRUE(gDialogs.empty());

    // The player walks again.
    u16 y = P().y;
    PlatformSetKey(kScanUp, true);
    EXPECT_TRUE(h.RunUntil([&] { return P().y < y; }, 40)) << "the player stays held";
    PlatformSetKey(kScanUp, false);
    EXPECT_TRUE(h.boxes().empty());
}

}  // namespace
