// The sample's room visit played through the real tick: the house door starts
// it, the fade stays dark across the change of map, the words in the room stay
// readable, the room's person shows, and the fade leads back out.
#include <gtest/gtest.h>

#include "engine/DDraw.h"
#include "engine/PixelFormat.h"
#include "map/MapScene.h"
#include "mhdata/Maps.h"
#include "platform/Display.h"
#include "support/SampleSession.h"

using namespace sampleMap;

namespace {

u16 CanvasAt(i32 x, i32 y) {
    i32 pitch = 0;
    u16* px = DisplayLock(gDrawSurface, &pitch);
    u16 v = px ? px[y * (pitch / 2) + x] : 0xDEAD;
    DisplayUnlock(gDrawSurface);
    return v;
}

constexpr u16 Rgb(int r, int g, int b) {
    return static_cast<u16>(r << 10 | g << 5 | b);
}

TEST(SampleVisit, TheDoorLeadsIntoTheRoomAndBackWithoutAFlash) {
    Harness h;
    SampleSession s{h};
    s.NewGameFromTheTitle();
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    s.WalkToCell(kArrowDown, s.P().x / 16, kDoorY + 1);
    s.WalkToCell(kArrowRight, kDoorX, kDoorY + 1);
    ASSERT_FALSE(GetGameFlag(kSampleRoomFlag));
    s.Tap(kArrowUp);  // into the door
    ASSERT_EQ(gTalkContext.talk, kSampleRoomTalk);

    // Frame by frame until the town is back: the canvas's middle, the map, the box.
    struct Seen {
        u32 map;
        u16 pixel;
        bool box;
        bool person;
    };
    std::vector<Seen> seen;
    // The shirt of the room's person (act 2): 3 columns left of the figure's
    // middle and 22 rows above its soles (row 46) it shows from every side,
    // clear of the arms.
    const u16 personBody = ConvertPixel(Rgb(24, 6, 8));
    for (int f = 0; f < 400 && !(gMapId == kTown && SampleSession::TalkFree()); ++f) {
        h.RunFrames(1);
        bool person = false;
        int slot = FindRoleById(103);
        i32 l, t, r, b;
        if (gMapId == kRoom && slot > 0 && RoleScreenRect(slot, &l, &t, &r, &b))
            person = CanvasAt(l + 13, t + 24) == personBody;
        seen.push_back({gMapId, CanvasAt(60, 200), !gDialogs.empty(), person});
    }
    ASSERT_EQ(gMapId, kTown);
    EXPECT_TRUE(GetGameFlag(kSampleRoomFlag));
    EXPECT_EQ(s.P().x, 10 * 16);
    EXPECT_EQ(s.P().y, 10 * 16);

    size_t first = 0;
    while (first < seen.size() && seen[first].map != kRoom) ++first;
    ASSERT_LT(first, seen.size());
    // The first frames of the room are as dark as the last of the town.
    EXPECT_EQ(seen[first].pixel, ConvertPixel(0));
    EXPECT_EQ(seen[first - 1].pixel, ConvertPixel(0));
    int roomFrames = 0, boxFrames = 0, personFrames = 0;
    for (const Seen& v : seen) {
        if (v.map != kRoom) continue;
        ++roomFrames;
        boxFrames += v.box;
        personFrames += v.person;
    }
    // Three seconds of words (30 tenths at 35 ms a frame) and the person in view.
    EXPECT_GE(boxFrames, 80);
    EXPECT_GT(roomFrames, boxFrames);
    EXPECT_GE(personFrames, 60);
    EXPECT_TRUE(h.boxes().empty());
}

}  // namespace
