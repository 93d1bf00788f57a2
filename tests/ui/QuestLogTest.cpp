// The quest log through the real tick: paging with 0, 8 and 9 quests, names, ways out.
#include <cstring>

#include "story/PartyCommands.h"
#include "ui/Control.h"
#include "ui/QuestFrame.h"
#include "ui/Screens.h"
#include "support/SysScreenSupport.h"

namespace {

struct QuestLogTest : SysScreenTest {
    void OpenLog(int quests) {
        gQuestList.clear();
        for (int i = 0; i < quests; ++i) gQuestList.push_back(static_cast<u32>(i + 1));
        Open(10);
        ASSERT_NE(gQuestFrame, nullptr);
    }
    int ShownRows() {
        int n = 0;
        for (cControl* r : gQuestFrame->rows) n += r->shown ? 1 : 0;
        return n;
    }
};

TEST(QuestNames, CutNeverSplitsABig5Character) {
    char a[8] = {'a', '\xA4', '\x40', '\xA4', 0};
    CutBig5Tail(a);
    EXPECT_STREQ(a, "a\xA4\x40");
    char b[8] = {'\xA4', '\x40', 'z', 0};
    CutBig5Tail(b);
    EXPECT_STREQ(b, "\xA4\x40z");
}

// Eight rows a page: page down only with a ninth quest, whose page shows one row.
TEST_F(QuestLogTest, ZeroEightAndNineQuestsPage) {
    const struct {
        int quests, rows;
        i32 pageDown;
    } cases[] = {{0, 0, 0}, {8, 8, 0}, {9, 8, kQuestPageDownId}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quests);
        if (gFramePhase == 1) {
            gFramePhase = 2;
            h.RunFrames(1);
        }
        OpenLog(c.quests);
        EXPECT_EQ(ShownRows(), c.rows);
        EXPECT_EQ(gQuestFrame->pageUp->id, 0);
        EXPECT_EQ(gQuestFrame->pageDown->id, c.pageDown);
    }
    ClickAt(360, 435);
    EXPECT_EQ(gQuestFrame->first, 8);
    EXPECT_EQ(ShownRows(), 1);
    EXPECT_EQ(gQuestFrame->rowIndex[0], 8);
    EXPECT_EQ(gQuestFrame->pageDown->id, 0);
    EXPECT_EQ(gQuestFrame->pageUp->id, kQuestPageUpId);
    ClickAt(230, 435);
    EXPECT_EQ(gQuestFrame->first, 0);
    EXPECT_EQ(ShownRows(), 8);
}

TEST_F(QuestLogTest, IdBeyondTheNameTableShowsAnEmptyName) {
    gQuestList.clear();
    gQuestList.push_back(999999);
    Open(10);
    EXPECT_EQ(gQuestFrame->rowIndex[0], 0);
    EXPECT_STREQ(gQuestFrame->names[0], "");
}

}  // namespace
