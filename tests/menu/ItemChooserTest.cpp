// The item chooser through the real tick: what each mode lists and hands over,
// the empty list, the scrolling, the frozen backdrop, and the collector's talk.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "menu/ItemFrame.h"
#include "mhdata/SampleMenu.h"
#include "story/PartyCommands.h"
#include "story/ScreenCalls.h"
#include "support/MenuSession.h"

namespace {

using namespace sampleMenu;

struct ChooserTest : MenuTest {
    void OpenChooser(u32 mode) {
        gScriptVars[kChooserResultVar] = 77;
        std::strcpy(gPickedItemName, "before");
        OpenItemFrame(mode);
        h.RunFrames(2);
        sounds.Clear();
    }
    std::vector<i32> Listed() const {
        return {gItemFrame->list.items.begin(), gItemFrame->list.items.end()};
    }
    // Clicks row j and runs the close.
    void Pick(int j) {
        ClickAt(520, 108 + 24 * j);
        h.RunFrames(1);
    }
    void Cancel() {
        RightClick();
        h.RunFrames(1);
    }
    u32 Result() const { return gScriptVars[kChooserResultVar]; }
};

TEST_F(ChooserTest, ModeOneListsStoryItemsAndHandsOverOnly103To108) {
    // The item picked, the result handed over, the pieces left.
    const std::tuple<i32, u32, i32> cases[] = {
        {kFirstStory, 2, 1}, {kLastStory, 2, 1}, {kKeepsake, 1, 2}, {kOldMap, 1, 2}};
    for (const auto& [item, result, left] : cases) {
        SCOPED_TRACE(item);
        OwnOnly({0, kOldMap, kFirstStory, kLastStory, kKeepsake, kFirstSpecial}, 2);
        OpenChooser(1);
        ASSERT_NE(gItemFrame, nullptr);
        EXPECT_EQ(Result(), 0u) << "set when the chooser is made";
        const std::vector<i32> story = {kOldMap, kFirstStory, kLastStory, kKeepsake};
        ASSERT_EQ(Listed(), story) << "id order, types 12 to 15 only";
        int row = static_cast<int>(std::find(story.begin(), story.end(), item) - story.begin());
        Pick(row);
        EXPECT_EQ(gFrameId, 0u);
        EXPECT_EQ(gItemFrame, nullptr);
        EXPECT_EQ(Result(), result);
        EXPECT_EQ(gOwnedItems[item], left);
        EXPECT_EQ(std::string(gPickedItemName), std::string(gItems[item].name));
        EXPECT_TRUE(sounds.played().empty()) << "a pick plays nothing";
    }
}

TEST_F(ChooserTest, OtherModesListEverythingAndGiveNothingAndCancels) {
    OwnOnly({kFirstStory, 0, kNameless, kFirstSpecial});
    gItems[kFirstSpecial].icon = 40;
    OpenChooser(0);
    EXPECT_EQ(Listed(), (std::vector<i32>{0, kFirstStory, kFirstSpecial}));
    EXPECT_EQ(gItemFrame->list.rowIcon[2]->normalPic, nullptr)
        << "an icon past the table shows none";
    EXPECT_NE(gItemFrame->list.rowIcon[1]->normalPic, nullptr);
    Pick(1);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(Result(), 0u);
    EXPECT_EQ(gOwnedItems[kFirstStory], 1);
    EXPECT_EQ(std::string(gPickedItemName), std::string(gItems[kFirstStory].name));
    EXPECT_TRUE(sounds.played().empty());
    // A cancel: 263, nothing picked, the name kept.
    OpenChooser(1);
    Cancel();
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(Result(), 0u);
    EXPECT_STREQ(gPickedItemName, "before");
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
    // Nothing to list: closes on the next tick.
    OwnOnly({0, kNameless});  // nothing of types 12-15; the nameless never lists
    gScriptVars[kChooserResultVar] = 77;
    OpenItemFrame(1);
    h.RunFrames(1);
    EXPECT_EQ(gFramePhase, 2u);
    h.RunFrames(1);
    EXPECT_EQ(gFrameId, 0u);
    EXPECT_EQ(gItemFrame, nullptr);
    EXPECT_EQ(Result(), 0u);
}

TEST_F(ChooserTest, ElevenEntriesScrollByOne) {
    OwnOnly({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    OpenChooser(0);
    EXPECT_EQ(gItemFrame->list.maxTop, 1);
    ClickAt(615, 340);  // down arrow
    EXPECT_EQ(gItemFrame->list.top, 1);
    ClickAt(615, 340);
    EXPECT_EQ(gItemFrame->list.top, 1);
    h.RunFrames(1);
    EXPECT_EQ(std::string(gItemFrame->list.rowText[9]), std::string(gItems[10].name));
    Pick(9);
    EXPECT_EQ(std::string(gPickedItemName), std::string(gItems[10].name));
}

TEST_F(ChooserTest, BackdropIsBlackLeftOfTheListAndTheMapRightOfItOrAllBlack) {
    OwnOnly({kFirstStory});
    OpenChooser(1);
    const u16* px = gItemFrame->snapshot;
    ASSERT_NE(px, nullptr);
    int lit = 0;
    for (int y = 0; y < 480; y += 7) {
        for (int x = 0; x < 440; x += 9) ASSERT_EQ(px[y * 640 + x], 0) << x << "," << y;
        for (int x = 440; x < 640; x += 9) lit += px[y * 640 + x] != 0;
    }
    EXPECT_GT(lit, 0) << "the map shows right of x 440";
    Cancel();
    // No drawing surface: a black backdrop.
    cItemFrame chooser(1);
    DisplaySurface* saved = gDrawSurface;
    gDrawSurface = nullptr;
    chooser.Open();
    gDrawSurface = saved;
    ASSERT_NE(chooser.snapshot, nullptr);
    for (int i = 0; i < 640 * 480; i += 97) ASSERT_EQ(chooser.snapshot[i], 0) << i;
    chooser.Close();
    gFrameId = 0;
}

TEST_F(ChooserTest, TheCollectorTakesAStoryItemThroughTheChooser) {
    OwnOnly({kLastStory});
    StartTalk(static_cast<u16>(kCollectorTalk), kCollectorRole);
    SampleSession s{h};
    for (int i = 0; i < 8 && gFrameId != (kScreenBit | 14u); ++i) {
        s.Tap(s.Confirm());  // the question's box
        h.RunFrames(3);
    }
    ASSERT_EQ(gFrameId, kScreenBit | 14u);
    h.RunFrames(2);
    Pick(0);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    EXPECT_TRUE(GetGameFlag(kCollectorFlag));
    EXPECT_EQ(gOwnedItems[kLastStory], 0);
}

}  // namespace
