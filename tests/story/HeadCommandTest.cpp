// The role-head and anti-aliased object commands: their layout in the talk
// file, and talks written with the assembler run through the frame tick on
// the sample game's town.
#include "TownTalkFixture.h"
#include "data/GameFlags.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "map/AntiAliasObject.h"
#include "map/MapManage.h"
#include "mhdata/Archives.h"
#include "story/TalkCommands.h"

namespace {

using namespace sample_art;

i32 CountObjects() {
    i32 n = 0;
    for (AntiAliasObject* o = GetAntiAliasObjects(); o; o = o->next) ++n;
    return n;
}
i32 CountHeads() {
    i32 n = 0;
    for (RoleHead* h = gRoleHeads; h; h = h->next) ++n;
    return n;
}

TEST(HeadCommands, LayoutInTheTalkFile) {
    const std::string src =
        "talk 2\n"
        " AddRoleHead 20 1 100 0x8032\n"
        " DismissRoleHead 20 1\n"
        " ShowRoleHead 21 2 400 60\n"
        " ReleaseRoleHeads\n"
        " AddAntiAliasObject 20 0 300 0x8010\n"
        " RemoveAntiAliasObject 20 0\n"
        " ReplaceAntiAliasObjects 7 8 9 10\n"
        " End\n";
    std::vector<u8> f;
    std::string error;
    ASSERT_TRUE(AssembleTalkFile(src, &f, &error)) << error;
    // Each command: its word, then its operand words, and nothing more.
    struct Row {
        u16 op;
        std::vector<u16> words;
    };
    const Row rows[] = {
        {0x51, {20, 1, 100, 0x8032}}, {0x52, {20, 1}}, {0x56, {21, 2, 400, 60}}, {0x136, {}},
        {0xD8, {20, 0, 300, 0x8010}}, {0xD9, {20, 0}}, {0xDA, {7, 8, 9, 10}},
    };
    const u8* p = &f[kTalkBase + LoadU32(&f[kTalkBase + 8])];
    for (const Row& r : rows) {
        ASSERT_EQ(LoadU16(p), r.op);
        const Command* cmd = FindCommand(r.op);
        ASSERT_NE(cmd, nullptr);
        u32 len = 0;
        ASSERT_EQ(CommandLength(*cmd, p, 64, &len, nullptr), LenResult::Ok);
        EXPECT_EQ(len, 2 + 2 * r.words.size()) << std::hex << r.op;
        for (size_t i = 0; i < r.words.size(); ++i) EXPECT_EQ(LoadU16(p + 2 + 2 * i), r.words[i]);
        p += len;
    }
    EXPECT_EQ(LoadU16(p), 0x3FFF);
}

class HeadCommandTest : public TownTalkFixture {
protected:
    void SetUp() override {
        TownTalkFixture::SetUp();
        ReleaseRoleHeads();
    }
    int Run(const std::string& body, int limit = 50) { return TownTalkFixture::Run(body, limit); }
    // Frames a talk of these commands takes against one that only sets a flag:
    // commands that go on at once add none.
    int ExtraFrames(const std::string& body) {
        int base = Run("SetFlag 301");
        return Run(body + "\n SetFlag 300") - base;
    }
    u16 At(i32 x, i32 y) { return *PaintPixelAddr(x, y); }
    static u16 Colour(int action) { return ConvertPixel(kPortraitColours[action]); }
};

TEST_F(HeadCommandTest, HeadsComeSlideAndLeaveThroughTheTick) {
    EXPECT_EQ(ExtraFrames("AddRoleHead 20 0 100 60"), 0);
    ASSERT_EQ(CountHeads(), 1);
    RoleHead* head = gRoleHeads;
    EXPECT_EQ(head->key1, kPortrait);
    EXPECT_EQ(head->targetX, 100);
    EXPECT_EQ(head->y, 60);
    // The map frames ease it in (the overlay tests pin the rule) and draw it.
    for (int f = 0; f < 8; ++f) Frame();
    ASSERT_EQ(head->x, 100);
    i32 inside = 100 - kPortraitHotX + 30, row = 60 + 80;
    EXPECT_EQ(At(inside, row), Colour(0));
    // Show puts a new head in at once while the old one leaves.
    Run("ShowRoleHead 20 0 400 0x8032");
    ASSERT_GE(CountHeads(), 1);
    EXPECT_EQ(gRoleHeads->x, 400);
    EXPECT_EQ(gRoleHeads->y, 0x32);
    for (int f = 0; f < 8; ++f) Frame();
    ASSERT_EQ(CountHeads(), 1);
    EXPECT_NE(At(inside, row), Colour(0));
    EXPECT_EQ(At(400 - kPortraitHotX + 30, 0x32 + 80), Colour(0));
    // Dismissed, the placed head is gone after one frame.
    Run("DismissRoleHead 20 0");
    Frame();
    EXPECT_EQ(CountHeads(), 0);
    // Release takes every head and every object at once.
    Run("AddRoleHead 20 0 100 60\n AddRoleHead 20 1 500 60\n AddAntiAliasObject 20 1 300 60");
    EXPECT_EQ(CountHeads(), 2);
    EXPECT_EQ(CountObjects(), 1);
    EXPECT_EQ(ExtraFrames("ReleaseRoleHeads"), 0);
    EXPECT_EQ(CountHeads(), 0);
    EXPECT_EQ(CountObjects(), 0);
}

TEST_F(HeadCommandTest, ObjectsAddRemoveAndReplaceThroughTheTick) {
    EXPECT_EQ(ExtraFrames("AddAntiAliasObject 20 0 100 0x8064\n AddAntiAliasObject 20 1 400 100"),
              0);
    ASSERT_EQ(CountObjects(), 2);
    AntiAliasObject* placed = FindAntiAliasObject(kPortrait, 0);
    AntiAliasObject* sliding = FindAntiAliasObject(kPortrait, 1);
    ASSERT_NE(placed, nullptr);
    ASSERT_NE(sliding, nullptr);
    EXPECT_EQ(placed->x, 100);
    EXPECT_EQ(placed->y, 100);
    EXPECT_EQ(sliding->targetX, 400);
    // The frames slide it in (the overlay tests pin the rule) and draw both.
    for (int f = 0; f < 12; ++f) Frame();
    EXPECT_EQ(At(100 - kPortraitHotX + 30, 180), Colour(0));
    EXPECT_EQ(At(400 - kPortraitHotX + 30, 180), Colour(1));
    // Removing one leaves the other; a key that matches nothing changes nothing.
    EXPECT_EQ(ExtraFrames("RemoveAntiAliasObject 20 0\n RemoveAntiAliasObject 20 9"), 0);
    ASSERT_EQ(CountObjects(), 1);
    EXPECT_EQ(GetAntiAliasObjects()->subId, 1u);
    Frame();
    EXPECT_NE(At(100 - kPortraitHotX + 30, 180), Colour(0));
    // Replace clears the list before it adds.
    Run("AddAntiAliasObject 20 0 200 0x8064\n ReplaceAntiAliasObjects 20 0 50 0x8010");
    ASSERT_EQ(CountObjects(), 1);
    EXPECT_EQ(GetAntiAliasObjects()->x, 50);
    EXPECT_EQ(GetAntiAliasObjects()->y, 0x10);
    // Objects stay put for good: they never leave on their own.
    for (int f = 0; f < 30; ++f) Frame();
    EXPECT_EQ(CountObjects(), 1);
}

TEST_F(HeadCommandTest, SampleTalkShowsAPortraitBesideItsBox) {
    StartTalk(20, sampleMap::kPlayerRole);
    int frames = 0, atPlace = 0;
    while (TalkRunning() && frames < 200) {
        Frame();
        ++frames;
        if (gRoleHeads && gRoleHeads->x == 100 && gRoleHeads->y == 300) ++atPlace;
    }
    EXPECT_TRUE(GetGameFlag(206));
    // The head stood at its place while the box was up, then slid away.
    EXPECT_GE(atPlace, 15);
    for (int f = 0; f < 10; ++f) Frame();
    EXPECT_EQ(CountHeads(), 0);
}

TEST_F(HeadCommandTest, MapChangeClearsHeadsAndObjects) {
    Run("AddRoleHead 20 0 100 20\n AddAntiAliasObject 20 0 100 20\n"
        " ChangeMap 3 4 5 0xFFFF 0xFFFF 0xFFFF\n SetFlag 300");
    EXPECT_EQ(gMapId, sampleMap::kRoom);
    EXPECT_TRUE(GetGameFlag(300));
    EXPECT_EQ(CountHeads(), 0);
    EXPECT_EQ(CountObjects(), 0);
}

TEST_F(HeadCommandTest, BadKeysAndPlacesNeitherStopTheTalkNorRepeat) {
    // An act that does not exist: one box, the talk goes on past the command.
    EXPECT_EQ(ExtraFrames("AddRoleHead 2900 0 100 20\n AddAntiAliasObject 2900 1 300 20"), 0);
    EXPECT_TRUE(GetGameFlag(300));
    for (int f = 0; f < 20; ++f) Frame();
    EXPECT_EQ(TakeBoxes(h), 1u);
    // It can still be sent away and removed.
    Run("DismissRoleHead 2900 0\n RemoveAntiAliasObject 2900 1");
    for (int f = 0; f < 10; ++f) Frame();
    EXPECT_EQ(CountHeads(), 0);
    EXPECT_EQ(CountObjects(), 0);
    // Places at the far end of a word are off the screen: drawn nowhere, no
    // box; the head leaves to the right at once when dismissed.
    Run("AddRoleHead 20 0 65535 0xFFFF\n AddAntiAliasObject 20 0 65535 0xFFFF");
    EXPECT_EQ(gRoleHeads->y, 0x7FFF);
    EXPECT_EQ(GetAntiAliasObjects()->x, 65535);
    for (int f = 0; f < 10; ++f) Frame();
    EXPECT_EQ(gRoleHeads->x, 65535);
    Run("DismissRoleHead 20 0");
    Frame();
    EXPECT_EQ(CountHeads(), 0);
    // Dismissing or removing what was never there is harmless.
    EXPECT_EQ(ExtraFrames("DismissRoleHead 5 5\n RemoveAntiAliasObject 5 5\n ReleaseRoleHeads"), 0);
}

}  // namespace
