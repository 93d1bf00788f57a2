// The sample game through the real tick as a player plays it: a new game from
// the title, the opening talk, the person with the question answered "yes";
// every talk of the sample met in play (each new game walks to one spot or
// person and checks that its own talk starts; the stone's and the sign's
// talks are their map events'); the icons of the map's top strip; the mouse
// walking the player; the room visit.
#include <gtest/gtest.h>

#include <set>

#include "data/GameData.h"
#include "engine/DDraw.h"
#include "engine/PixelFormat.h"
#include "map/MapScene.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleMenu.h"
#include "platform/Display.h"
#include "story/StoryTestUtil.h"
#include "story/Trigger.h"
#include "support/SampleSession.h"

using namespace sampleMap;
using namespace sampleMenu;

namespace {

struct EndToEnd : ::testing::Test {
    Harness h;
    SampleSession s{h};
};

// A new game with its opening read; the closed box keeps the mouse locked a while.
void OpenGame(Harness& h, SampleSession& s) {
    s.NewGameFromTheTitle();
    EXPECT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(gTalkContext.talk, kSampleOpeningTalk);
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());
    h.RunFrames(15);
}

// A new game with its opening read, then the walk of one case.
void Play(const std::function<void(Harness&, SampleSession&)>& walk) {
    Harness h;
    SampleSession s{h};
    OpenGame(h, s);
    walk(h, s);
}

// Up to the street spots' row, right to the spot at column x, and up onto it.
void StepOntoStreetSpot(SampleSession& s, int x) {
    s.WalkToCell(kArrowUp, s.P().x / 16, kStreetSpotY + 1);
    s.WalkToCell(kArrowRight, x, kStreetSpotY + 1);
    s.Tap(kArrowUp);
}

constexpr u16 Rgb(int r, int g, int b) {
    return static_cast<u16>(r << 10 | g << 5 | b);
}

TEST_F(EndToEnd, NewGameOpeningWalkTalkAnswerYesAndWalkAgain) {
    s.NewGameFromTheTitle();
    ASSERT_EQ(gMapId, kTown);

    // The opening talk shows its box and holds the player.
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(std::tuple(gTalkContext.talk, gParty[1] < 0), std::tuple(kSampleOpeningTalk, true));
    auto start = std::pair(s.P().x, s.P().y);
    u32 money = gScriptVars[0];
    PlatformSetKey(kArrowDown, true);
    h.RunFrames(10);
    PlatformSetKey(kArrowDown, false);
    EXPECT_EQ(std::pair(s.P().x, s.P().y), start) << "the talk holds the player";

    // Confirm shows the rest of the text, then closes the box; the talk ends.
    // Its second half runs in one go: five join the player, the money comes.
    ASSERT_TRUE(s.ConfirmUntilTalkEnds())
        << gTalkContext.owner << " " << gTalkFlags << " " << gDialogs.size();
    EXPECT_GE(gParty[5], 0);
    EXPECT_EQ(gScriptVars[0] - money, static_cast<u32>(kOpeningMoney));

    // Down the street to the person's row, then right up to the person.
    int person = s.WalkToTheQuestion();
    ASSERT_GT(person, 0);
    ASSERT_EQ(gMapRoles[person].talk, kSampleQuestionTalk);

    // Confirm in front starts the question; the person turns to the player.
    money = gScriptVars[0];
    s.Tap(s.Confirm());
    ASSERT_TRUE(h.RunUntil([] { return ChoiceOpen(); }, 200));
    // The person faces left, toward the player.
    EXPECT_EQ(std::tuple(gTalkContext.talk, gTalkContext.owner, gMapRoles[person].act->dir),
              std::tuple(kSampleQuestionTalk, 101, 2));

    // A confirm while the answers are still coming out shows them all and
    // takes no answer; the next one takes "yes", the first.
    ASSERT_EQ(gScreenItems.size(), 1u) << "the first answer is out, the second not yet";
    s.Tap(s.Confirm());
    EXPECT_EQ(std::tuple(gScreenItems.size(), GetGameFlag(kSampleYesFlag),
                         GetGameFlag(kSampleNoFlag), gChosenAnswer),
              std::tuple(2u, 0, 0, 0u));
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
        Play([&](Harness& h, SampleSession& s) {
            s.PointAt(kIconX[k] + 22, 20);
            s.Click();
            EXPECT_TRUE(h.RunUntil([&] { return gFrameId == (kScreenBit | kScreens[k]); }, 5))
                << std::hex << gFrameId;
        });
    }
}

// Over the open map a held mouse button walks the player toward the cursor,
// which shows the way; a talk's lock holds the player still. A talk whose
// script closes its speaker's waiting box leaves neither the player nor that
// person held: the player walks with the mouse and talks to the person again.
TEST_F(EndToEnd, AHeldMouseButtonWalksThePlayerTowardTheCursor) {
    OpenGame(h, s);
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
    // No box waits any more.
    EXPECT_EQ(std::tuple(gTalkFlags, gMapRoles[person].talkLock), std::tuple(0u, 0));
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
    EXPECT_EQ(std::tuple(s.P().y, s.P().x % 16), std::tuple(y0, 0)) << "stops on a cell";

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
    auto held = std::pair(s.P().x, s.P().y);
    gTalkFlags |= kTalkLockBit;
    PlatformSetMouseButtons(true, false);
    h.RunFrames(20);
    PlatformSetMouseButtons(false, false);
    gTalkFlags &= ~kTalkLockBit;
    EXPECT_EQ(std::pair(s.P().x, s.P().y), held);
    h.RunFrames(2);
    clickPerson();
    // The person talks again.
    EXPECT_EQ(std::tuple(gTalkContext.owner, gTalkContext.talk), std::tuple(101, kClosingTalk));
    EXPECT_TRUE(h.RunUntil([] { return SampleSession::TalkFree(); }, 10));
    EXPECT_TRUE(h.boxes().empty());
}

TEST(Reach, EachStreetSpotStartsItsOwnTalk) {
    std::set<int> met;
    for (const StreetSpot& spot : kStreetSpots) {
        Play([&](Harness& h, SampleSession& s) {
            StepOntoStreetSpot(s, spot.x);
            EXPECT_EQ(std::tuple(gTalkContext.talk, gTalkContext.owner),
                      std::tuple(spot.talk, kTalkSpot))
                << "spot at " << spot.x;
            met.insert(gTalkContext.talk);
            if (spot.talk != kSampleCountdownTalk) return;
            // Talk 4's countdown runs out on its own and starts talk 5: ninety
            // seconds of frames at 30 a second.
            ASSERT_TRUE(s.ConfirmUntilTalkEnds());
            EXPECT_TRUE(h.RunUntil([] { return gTalkContext.talk == kSampleCountdownEndTalk; },
                                   90 * 30 + 60));
        });
    }
    EXPECT_EQ(met.size(), std::size(kStreetSpots));
}

// The people who walk about are met by a click on them.
TEST(Reach, ClickingTheFishermanAndTheGuard) {
    for (u16 id : {u16{100}, u16{102}}) {
        Play([id](Harness&, SampleSession& s) {
            int slot = FindRoleById(id);
            ASSERT_GT(slot, 0);
            // Bring the person into view and hold it still for the click.
            gViewMode |= kViewNoFollow;
            Rect16 v;
            GetViewRectAt(gMapRoles[slot].x - 304, gMapRoles[slot].y - 240, &v);
            gViewX = v.left;
            gViewY = v.top;
            gMapRoles[slot].talkLock = 0;
            i32 l, t, r, b;
            for (int k = 0; k < 2; ++k) {
                ASSERT_TRUE(RoleScreenRect(slot, &l, &t, &r, &b));
                s.PointAt((l + r) / 2, (t + b) / 2);
            }
            s.Click();
            EXPECT_EQ(gTalkContext.talk, gMapRoles[slot].talk) << id;
            EXPECT_EQ(gTalkContext.owner, id);
        });
    }
}

// The room visit: the house door starts it, the fade stays dark across the
// change of map, the words in the room stay readable, the room's person shows,
// and the fade leads back out.
TEST(SampleVisit, TheDoorLeadsIntoTheRoomAndBackWithoutAFlash) {
    Play([](Harness& h, SampleSession& s) {
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
    });
}

}  // namespace
