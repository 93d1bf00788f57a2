// Wipe strips and the rest of the scene commands, written with the assembler
// and run through the frame tick on the sample game's town; the map entry
// points on a hand-made database.

#include "TownTalkFixture.h"
#include "data/GameFlags.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "map/MapManage.h"
#include "map/MapTransients.h"
#include "mhdata/Archives.h"
#include "story/ScriptScene.h"

namespace {

using namespace sampleMap;

class WipeCommandTest : public TownTalkFixture {
protected:
    WipeStrip* Strip(u32 id) {
        for (WipeStrip& s : gWipeStrips)
            if (s.id == id) return &s;
        return nullptr;
    }
    u16 Pixel(int x, int y) { return PaintPixelAddr(0, y)[x]; }
};

// ---- Wipes ----

TEST_F(WipeCommandTest, WipeMakesAStripFromItsWordsAndAgainReplacesIt) {
    Start("Wipe 1 -8 20 4 100 0x7C00 0x0800\n SetFlag 300");
    Frame();
    WipeStrip* s = Strip(1);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(std::tuple(s->x, s->y, s->lines, s->length, s->colour, s->mode),
              std::tuple(-8, 20, 4, 100, ConvertPixel(0x7C00), kWipeStatic));
    EXPECT_EQ(s->lens, std::vector<i32>(4, 100));
    // The wipe yields: the next command waits for the next frame.
    EXPECT_FALSE(GetGameFlag(300));
    Finish();

    // The same number again replaces the strip; another number adds one; a free takes one.
    Run("Wipe 1 0 0 2 50 0x001F 0x8000\n Wipe 2 0 40 3 60 0x03E0 0x4000\n FreeWipe 7");
    ASSERT_EQ(gWipeStrips.size(), 2u);
    ASSERT_NE(Strip(1), nullptr);
    EXPECT_EQ(std::tuple(Strip(1)->lines, Strip(1)->colour), std::tuple(2, ConvertPixel(0x001F)));
    Run("FreeWipe 1");
    EXPECT_EQ(std::tuple(Strip(1) == nullptr, gWipeStrips.size()), std::tuple(true, 1u));
}

TEST_F(WipeCommandTest, GrowingStripFillsItsLinesThenStays) {
    // Made empty, then every drawn frame adds 48..58 pixels to each line.
    MakeWipeStrip(3, 0, 100, 3, 300, 0x001F, 0x8000);
    WipeStrip* s = Strip(3);
    ASSERT_NE(s, nullptr);
    std::vector<i32> last(3, 0);
    EXPECT_EQ(s->lens, last);
    int frames = 0;
    while (!(s->mode & kWipeStatic) && frames < 20) {
        Frame();
        ++frames;
        for (size_t k = 0; k < s->lens.size(); ++k) {
            i32 step = s->lens[k] - last[k];
            if (last[k] < 300) {
                EXPECT_GE(step, std::min(48, 300 - last[k])) << "line " << k;
                EXPECT_LE(step, 58) << "line " << k;
            }
        }
        last = s->lens;
    }
    EXPECT_GE(frames, 6);  // 300 pixels at most 58 a frame
    EXPECT_EQ(s->lens, std::vector<i32>(3, 300));
    // A full strip stays as a band: it does not free itself.
    for (int f = 0; f < 5; ++f) Frame();
    EXPECT_NE(Strip(3), nullptr);
}

// During a map change the canvas is black under the strips.
TEST_F(WipeCommandTest, BandsTintTheirOwnLinesAndAreCutAtTheScreenEdges) {
    Run("Wipe 4 100 200 2 64 0x7FFF 0x0800\n Wipe 1 -8 -2 4 100 0x7FFF 0x0800\n Wipe 2 600 478 "
        "65535 65535 0x7FFF 0x0800\n Wipe 3 0 300 0 80 0x7FFF 0x0800");
    gViewMode |= kViewChanging;
    Frame();
    // Rows 200 and 201 from x 100 to 163; nothing around them.
    for (int y = 199; y <= 202; ++y)
        for (int x = 99; x <= 164; ++x)
            EXPECT_EQ(Pixel(x, y) != 0, x >= 100 && x < 164 && y >= 200 && y <= 201)
                << x << "," << y;
    // Lines above the screen are passed over, the part left of it is cut off
    // (the scene clears the first two pixels of every line); a strip far past
    // the right and bottom edges draws only what lies on the screen; a strip of
    // no lines draws nothing.
    const struct {
        int x, y;
        bool lit;
    } px[] = {{2, 0, 1},     {91, 0, 1},    {92, 0, 0},    {2, 1, 1},     {91, 1, 1},
              {92, 1, 0},    {2, 2, 0},     {599, 478, 0}, {600, 478, 1}, {639, 478, 1},
              {599, 479, 0}, {600, 479, 1}, {639, 479, 1}, {10, 300, 0}};
    for (const auto& p : px) EXPECT_EQ(Pixel(p.x, p.y) != 0, p.lit) << p.x << "," << p.y;
    EXPECT_EQ(gWipeStrips.size(), 4u);  // the strip of no lines stays until freed
}

TEST_F(WipeCommandTest, WaitWipesHoldsUntilFreeingStripsAndHeadsAreGoneAndReleaseFreesThem) {
    // A grow-and-free strip of 200 pixels and a shrink-and-free one are gone
    // after a few frames; the wait holds the talk until then.
    for (const char* wipe :
         {"Wipe 5 0 60 2 200 0x001F 0x2000", "Wipe 6 0 60 2 300 0x001F 0x1000"}) {
        ClearGameFlag(300);
        int frames = Run(std::string(wipe) + "\n WaitWipes\n SetFlag 300");
        EXPECT_EQ(std::tuple(GetGameFlag(300), gWipeStrips.empty()), std::tuple(1, true)) << wipe;
        EXPECT_GE(frames, 3) << wipe;
        EXPECT_LE(frames, 10) << wipe;
    }

    // A role head alone holds the wait too, until the release frees it.
    ClearGameFlag(300);
    AddRoleHead(1, 2, 100, 100);
    Start("WaitWipes\n SetFlag 300");
    for (int f = 0; f < 6; ++f) Frame();
    EXPECT_EQ(std::tuple(TalkRunning(), GetGameFlag(300)), std::tuple(true, 0));
    ReleaseRoleHeads();
    Finish();
    EXPECT_TRUE(GetGameFlag(300));

    // The release frees strips and heads at once.
    AddRoleHead(1, 2, 100, 100);
    Run("Wipe 1 0 0 4 100 0x001F 0x0800\n Wipe 2 0 8 4 100 0x001F 0x4000\n ReleaseWipes\n SetFlag "
        "301");
    // Its further words were read past.
    EXPECT_EQ(std::tuple(gWipeStrips.empty(), gRoleHeads == nullptr, GetGameFlag(301)),
              std::tuple(true, true, 1));
}

// ---- Scene objects, copies, lines ----

TEST_F(WipeCommandTest, SceneCopyTakesTheRolesActAndItsWords) {
    RoleSlot& g = gMapRoles[guard];
    g.act->dir = 3;
    Run("SceneCopy 100 200 150 -4 6 0x10 9\n SceneCopy 999 1 1 0 0 0 0");
    ASSERT_EQ(gMapActList.size(), 1u);  // the unknown role makes none
    const ActNode& n = gMapActList.front();
    EXPECT_EQ(std::tuple(n.act.act, n.act.dir, n.x, n.y, n.offX, n.offY, n.mode, n.level),
              std::tuple(g.act->act, 3, 200, 150, -4, 6, 0x10u, 9));
    // The copy plays on by itself: the role's own act is left alone.
    u16 frame = g.act->frame;
    for (int f = 0; f < 5; ++f) Frame();
    EXPECT_EQ(std::tuple(gMapActList.size(), g.act->frame), std::tuple(1u, frame));
    Run("FreeSceneCopies 0 0");
    EXPECT_TRUE(gMapActList.empty());
}

TEST_F(WipeCommandTest, DialogLinesAreKeptAsZeroEndedLinesOfAtMost255Bytes) {
    gKeptTexts.clear();
    std::string longText(300, 'a');
    Run("DialogLine \"first line\"\n DialogLine \"" + longText + "\"");
    ASSERT_EQ(gKeptTexts.size(), 2u);
    EXPECT_EQ(gKeptTexts[0].rfind("first line", 0), 0u);
    EXPECT_LE(gKeptTexts[0].size(), 11u);  // the text and at most its padding
    EXPECT_EQ(gKeptTexts[1], std::string(255, 'a'));
}

TEST_F(WipeCommandTest, WaitSceneObjectHoldsWhileAnObjectWithThoseKeysPlays) {
    // The ring plays its passes and ends; the object then leaves its list.
    EXPECT_GE(Run("AddActA 50 60 6001 0\n WaitSceneObject 50 60\n SetFlag 300"), 8);
    EXPECT_EQ(std::tuple(GetGameFlag(300), gScriptActA.empty()), std::tuple(1, true));
    // Other keys do not hold it; an empty list goes on at once.
    ClearGameFlag(300);
    EXPECT_LE(Run("AddActB 1 1 6001 0\n WaitSceneObject 50 60\n SetFlag 300"), 3);
    EXPECT_EQ(std::tuple(GetGameFlag(300), gScriptActB.empty()), std::tuple(1, false));
}

// ---- The extra animation lists on the screen ----

TEST_F(WipeCommandTest, ExtraAnimationListsAreDrawnAtTheirPointAndLeaveWhenDone) {
    auto lit = [this] {
        int n = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) n += Pixel(x, y) != 0;
        return n;
    };
    SetGameFlag(9);  // no cursor over the picture
    // During a map change only the top list is drawn, on black: list B shows, list A does not.
    gViewMode |= kViewChanging;
    ScriptActObject o;
    ResetActPlayer(&o.act);
    o.act.act = sample_art::kMagicRing;
    o.act.action = 0;
    o.k1 = 300;
    o.k2 = 200;
    gScriptActA.push_front(o);
    DrawWorld();
    EXPECT_EQ(lit(), 0) << "list A drew during a map change";
    gScriptActA.clear();
    gScriptActB.push_front(o);
    DrawWorld();
    // The first frame's ring (two pixels wide) is centred on the object's point
    // and shows its own colour on black: nothing lit beyond its 24-pixel reach.
    const u16 ring = ConvertPixel((31 << 10) | (16 << 5) | 4);
    for (int x : {300 - 4, 300 - 3, 300 + 2, 300 + 3}) EXPECT_EQ(Pixel(x, 200), ring) << x;
    EXPECT_EQ(Pixel(300, 200 - 24), 0);
    EXPECT_EQ(Pixel(300 - 24, 200), 0);
    // It plays through and leaves after the frame its act ends.
    int frames = 1;
    while (!gScriptActB.empty() && frames < 60) {
        DrawWorld();
        ++frames;
    }
    EXPECT_GE(frames, 10);
    EXPECT_LT(frames, 60);
    gViewMode &= ~kViewChanging;
    // On the map list A is drawn too, with its full red around the point.
    o.k1 = o.k2 = 100;
    gScriptActA.push_front(o);
    DrawWorld();
    for (int x : {96, 97, 102, 103}) EXPECT_EQ(ConvertPixelBack(Pixel(x, 100)) >> 10, 31) << x;
    // Map entry frees both lists.
    gScriptActB.push_front(o);
    ReleaseMapTransients();
    EXPECT_EQ(std::tuple(gScriptActA.empty(), gScriptActB.empty()), std::tuple(true, true));
}

// ---- The party, control and role effects ----

TEST_F(WipeCommandTest, GatherPartyWaitsForEveryFollowerOnThePlayer) {
    RoleSlot& f = gMapRoles[guard];
    f.state |= kRoleFollows;
    Start("GatherParty\n SetFlag 300");
    for (int k = 0; k < 4; ++k) Frame();
    EXPECT_EQ(std::tuple(TalkRunning(), GetGameFlag(300), Player().act->action,
                         f.state & 0x4000000u, f.act->delayOverride),
              std::tuple(true, 0, 0, 0x4000000u, 0x8000));
    for (int k = 0; k < kTrailLength; ++k)
        EXPECT_EQ(std::tuple(gFollowers.trailX[k], gFollowers.trailY[k]),
                  std::tuple(Player().x, Player().y));

    // Once the follower stands on the player it is released and the talk goes on.
    f.x = Player().x;
    f.y = Player().y;
    Finish();
    EXPECT_EQ(std::tuple(GetGameFlag(300), f.state & 0x4000000u, f.act->delayOverride),
              std::tuple(1, 0u, 0));
    // Without followers it goes on after its first frame.
    f.state &= ~kRoleFollows;
    ClearGameFlag(300);
    EXPECT_LE(Run("GatherParty\n SetFlag 300"), 3);
    EXPECT_TRUE(GetGameFlag(300));
}

TEST_F(WipeCommandTest, ClearStepCountAndRoleEffects) {
    gStepCount = 77;
    Run("ClearStepCount");
    EXPECT_EQ(gStepCount, 0u);

    // An entry past the table and an unknown role change nothing.
    Run("AttachEffect 0xFFF1 3\n AttachEffect 100 11\n AttachEffect 0xFFF1 12\n AttachEffect 999 "
        "1\n"
        " DetachEffect 999");
    EXPECT_EQ(std::tuple(Player().second, gMapRoles[guard].second),
              std::tuple(&gActSlots[3], &gActSlots[11]));
    Run("DetachEffect 0xFFF1");
    EXPECT_EQ(std::tuple(Player().second == nullptr, gMapRoles[guard].second),
              std::tuple(true, &gActSlots[11]));
}

// ---- Sending roles to maps ----

TEST_F(WipeCommandTest, SendRoleMovesRolesBetweenMapsAndCells) {
    // The guard on this map goes to another cell here: the same row, a new place
    // (its record keeps it still once it is built again).
    SetRecordWord(FindRecord(100), 8, 0);
    Run("SendRole 100 1 14 31");
    RoleSlot& g = gMapRoles[guard];
    EXPECT_EQ(XY(g), std::pair(14 * 16, 31 * 16));
    ASSERT_EQ(g.cell, &gMap.cells[31 * gMap.width + 14]);
    EXPECT_TRUE(*g.cell & kCellRole);
    EXPECT_FALSE(gMap.cells[30 * gMap.width + 12] & kCellRole);

    // Off to the room, keeping its cell: gone from this map, the record follows.
    u32* cell = g.cell;
    Run("SendRole 100 3 0xFFFF 0xFFFF");
    EXPECT_EQ(FindRoleById(100), -1);
    EXPECT_FALSE(*cell & kCellRole);
    i32 row = FindRecord(100);
    ASSERT_GE(row, 0);
    EXPECT_EQ(std::tuple(RecordWord(row, 0), RecordWord(row, 5), RecordWord(row, 6)),
              std::tuple(kRoom, 14, 31));
    for (int b = 0; b < kBuckets; ++b)
        for (int r = -kBucketRowBias; r < static_cast<int>(gMap.height) + kBucketRowBias; ++r)
            for (RoleSlot* s = BucketRow(b, r); s; s = s->next) EXPECT_NE(s->roleId, 100);

    // The room's role comes here: a new row built from its record.
    i32 count = gMapRoleCount;
    Run("SendRole 103 1 20 21");
    int n = FindRoleById(103);
    ASSERT_GE(n, 0);
    EXPECT_EQ(std::tuple(gMapRoleCount, gMapRoles[n].x, gMapRoles[n].y),
              std::tuple(count + 1, 20 * 16, 21 * 16));
    EXPECT_NE(gMapRoles[n].act, nullptr);
    EXPECT_TRUE(gMap.cells[21 * gMap.width + 20] & kCellRole);

    // Leaving the map stores no record from the row that went away.
    LoadCity(kRoom, 5, 5, 1, 0, 1, 1);
    ASSERT_EQ(gMapId, kRoom);
    EXPECT_EQ(RecordWord(FindRecord(100), 0), kRoom);
}

// An unknown role is refused and the talk goes on; a cell outside the map is
// brought to its last cell.
TEST_F(WipeCommandTest, SendRoleRefusesUnknownRolesAndCellsOutsideTheMap) {
    Run("SendRole 999 1 2 2\n SetFlag 300");
    EXPECT_EQ(std::tuple(TakeBoxes(h), GetGameFlag(300)), std::tuple(1u, 1));
    i32 count = gMapRoleCount;
    Run("SendRole 103 1 500 600");
    EXPECT_EQ(std::tuple(FindRoleById(103), gMapRoleCount), std::tuple(-1, count));
    i32 row = FindRecord(103);
    EXPECT_EQ(std::tuple(RecordWord(row, 0), RecordWord(row, 5), RecordWord(row, 6)),
              std::tuple(kTown, kTownW - 1, kTownH - 1));
}

// ---- Map entry points on a hand-made database ----

class MapEntryPointTest : public StoryFixture {
protected:
    // A database of the field list and a table 5 of (map, x, y) rows at offset at.
    void Install(std::vector<std::array<u16, 3>> rows, bool withEnd = true, u32 tableAt = 0) {
        ByteWriter w;
        w.Zeros(27 * 4);
        u32 at = tableAt ? tableAt : static_cast<u32>(w.size());
        w.PatchU32(5 * 4, at);
        for (auto& r : rows)
            for (u16 v : r) w.U16(v);
        if (withEnd) w.U16(0xFFFF);
        SetMapDatabase(w.bytes().data(), static_cast<u32>(w.size()));
    }
    u16 Word(u32 off) { return LoadU16(gMapDatabase + off); }
    void TearDown() override { FreeMapDatabase(); }
};

TEST_F(MapEntryPointTest, WritesTheMapsRowAndTheCurrentMapsValues) {
    Install({{3, 1, 2}, {7, 3, 4}});
    gMapId = 7;
    // The rows' x words, at 27 * 4 + 2 and 6 further; the current map's values.
    auto state = [this] {
        return std::tuple(Word(27 * 4 + 2), Word(27 * 4 + 8), Word(27 * 4 + 10),
                          gScriptScene.entryX, gScriptScene.entryY, gScriptScene.entryValue);
    };
    // The other map's row is untouched.
    Run("MapEntryPoint 7 11 12 5");
    EXPECT_EQ(state(), std::tuple(1, 11, 12, 11, 12, 5));
    // Another map's row changes without touching the current map's values.
    Run("MapEntryPoint 3 8 9 1");
    EXPECT_EQ(state(), std::tuple(8, 11, 12, 11, 12, 5));
    // A map with no row: nothing written, the current map's values still taken.
    gMapId = 9;
    Run("MapEntryPoint 9 21 22 23");
    EXPECT_EQ(state(), std::tuple(8, 11, 12, 21, 22, 23));
}

TEST_F(MapEntryPointTest, BadTablesAreNeverWrittenPast) {
    // A row cut by the database's end, no end row.
    Install({{3, 1, 2}}, false);
    u32 size = gMapDatabaseSize;
    std::vector<u8> image(gMapDatabase, gMapDatabase + size - 2);  // the last word cut off
    SetMapDatabase(image.data(), static_cast<u32>(image.size()));
    Run("MapEntryPoint 3 40 41 0");
    EXPECT_EQ(Word(27 * 4 + 2), 1);
    // A table offset past the database, and a database with no table at all.
    for (u32 at : {100000u, 0xFFFFFFFEu}) {
        Install({{3, 1, 2}}, true, at);
        Run("MapEntryPoint 3 40 41 0");
        EXPECT_EQ(Word(27 * 4 + 2), 1) << at;
    }
    ByteWriter none;
    none.Zeros(27 * 4 + 8);
    SetMapDatabase(none.bytes().data(), static_cast<u32>(none.size()));
    Run("MapEntryPoint 0 40 41 0");
    for (u32 k = 0; k < none.size(); ++k) EXPECT_EQ(gMapDatabase[k], 0) << k;
    // Too small to hold the field: nothing read.
    std::vector<u8> tiny(8, 0);
    SetMapDatabase(tiny.data(), 8);
    Run("MapEntryPoint 0 40 41 0");
    EXPECT_FALSE(TalkRunning());
}

}  // namespace
