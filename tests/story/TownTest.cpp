// The sample town through the real tick. As a player plays it: a new game from
// the title, the opening talk, the person with the question answered "yes";
// the icons of the map's top strip; the mouse walking the player; the
// countdown; people who take their cells and keep to their places; the room
// visit. Walk commands of the story scripts: single and group walks, walks to
// cells and roles, bad counts and roles, and what the talk end does to walks
// still under way; TriggerStory's cursor and click on a map spot or a person,
// and the end of a role's walk.

#include <array>

#include "../map/MapTestSupport.h"
#include "engine/FrameState.h"
#include "map/RoleWalk.h"
#include "story/PartyCommands.h"
#include "story/StoryTestUtil.h"

using namespace sampleMap;

namespace {

struct EndToEnd : ::testing::Test {
    Harness h;
    SampleSession s{h};
};

// A new game with its opening read; the closed box keeps the mouse locked a while.
void OpenGame(Harness& h, SampleSession& s) {
    ASSERT_NO_FATAL_FAILURE(s.PastTheOpening());
    h.RunFrames(15);
}

// A new game with its opening read, then the walk of one case.
void Play(const std::function<void(Harness&, SampleSession&)>& walk) {
    Harness h;
    SampleSession s{h};
    OpenGame(h, s);
    walk(h, s);
}

TEST_F(EndToEnd, NewGameOpeningWalkTalkAndAnswerYes) {
    s.NewGameFromTheTitle();

    // The opening talk shows its box and holds the player.
    ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
    EXPECT_EQ(std::tuple(gTalkContext.talk, gParty[1] < 0), std::tuple(kSampleOpeningTalk, true));
    auto start = std::pair(s.P().x, s.P().y);
    PlatformSetKey(kArrowDown, true);
    h.RunFrames(10);
    PlatformSetKey(kArrowDown, false);
    EXPECT_EQ(std::pair(s.P().x, s.P().y), start) << "the talk holds the player";

    // Confirm shows the rest of the text, then closes the box; the talk ends.
    ASSERT_TRUE(s.ConfirmUntilTalkEnds());

    // Down the street to the person's row, then right up to the person.
    ASSERT_GT(s.WalkToTheQuestion(), 0);

    // Confirm in front starts the question (the person's turn toward the
    // player: KeyCole's sides of a person).
    s.Tap(s.Confirm());
    ASSERT_TRUE(h.RunUntil([] { return ChoiceOpen(); }, 200));
    EXPECT_EQ(gTalkContext.talk, kSampleQuestionTalk);

    // A confirm while the answers are still coming out shows them all and
    // takes no answer; the next one takes "yes", the first.
    ASSERT_EQ(gScreenItems.size(), 1u) << "the first answer is out, the second not yet";
    s.Tap(s.Confirm());
    EXPECT_EQ(std::tuple(gScreenItems.size(), GetGameFlag(kSampleYesFlag),
                         GetGameFlag(kSampleNoFlag), gChosenAnswer),
              std::tuple(2u, 0, 0, 0u));
    s.Tap(s.Confirm());
    ASSERT_TRUE(h.RunUntil([] { return GetGameFlag(kSampleYesFlag) != 0; }, 50));
    // (The yes branch's reward goes into the replay's saves.)
    EXPECT_EQ(GetGameFlag(kSampleNoFlag), 0);
    // The thanks box, closed by confirm, and the talk ends (the player walks
    // on after every talk of the play-through).
    EXPECT_TRUE(s.ConfirmUntilTalkEnds());
    EXPECT_TRUE(h.boxes().empty());
}

// A click on each of the four icons of the map's top strip opens its screen,
// whether the button is down over a frame or goes down and up between two
// reads of the mouse (a quick click, a touchpad tap, a click while a frame is busy).
TEST(MapHud, AClickOnEachIconOpensItsScreen) {
    // Each icon's left edge, the screen it opens and whether the click is quick.
    const std::tuple<i32, u32, bool> cases[] = {
        {460, 2u, true}, {505, 0x17u, false}, {550, 0x19u, true}, {595, 0x0Du, false}};
    for (auto [x, screen, quick] : cases) {
        Play([&](Harness& h, SampleSession& s) {
            s.PointAt(x + 22, 20);
            if (quick) {
                PlatformSetMouseButtons(true, false);
                PlatformSetMouseButtons(false, false);
            } else {
                s.Click();
            }
            EXPECT_TRUE(h.RunUntil([&] { return gFrameId == (kScreenBit | screen); }, 5))
                << x << (quick ? " quick" : "") << ": " << std::hex << gFrameId;
        });
    }
}

// The button pressed over an icon while a story command opens a screen, and let
// go inside it, is no click on the map the screen returns to.
TEST(MapHud, AButtonLetGoInsideAScreenOpensNoIconAfterIt) {
    Play([&](Harness& h, SampleSession& s) {
        s.PointAt(482, 20);
        PlatformSetMouseButtons(true, false);
        h.RunFrames(1);
        ASSERT_EQ(gFrameId, kMapMode) << "the press alone opens nothing";
        gFrameId = kScreenBit | 13;
        h.RunFrames(2);
        gDInput.SetMousePos(300, 250);  // off the menu's controls
        PlatformSetMouseButtons(false, false);
        h.RunFrames(1);
        TapKey(h, kScanEsc, 0);  // the menu's cancel leads back to the map
        ASSERT_TRUE(h.RunUntil([] { return gFrameId == kMapMode; }, 5));
        gDInput.SetMousePos(482, 20);
        h.RunFrames(3);
        EXPECT_EQ(gFrameId, kMapMode) << std::hex << gFrameId;
    });
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
    // Holds the button with the cursor (dx, dy) from the player's middle until
    // the player has come far enough or the frames run out, then lets go; the
    // cursor shown and whether the player came far enough.
    auto hold = [&](i32 dx, i32 dy, int frames, const std::function<bool()>& until) {
        s.PointAt(s.P().x - gViewX + 8 + dx, s.P().y - gViewY + 8 + dy);
        i32 cursor = gTriggerCursor;
        PlatformSetMouseButtons(true, false);
        bool reached = h.RunUntil(until, frames);
        PlatformSetMouseButtons(false, false);
        h.RunFrames(12);
        return std::pair(cursor, reached);
    };
    // To the right (the cursor points right), stopping on a cell.
    u16 x0 = s.P().x, y0 = s.P().y;
    EXPECT_EQ(hold(120, 0, 60, [&] { return s.P().x >= x0 + 32; }), std::pair(3, true));
    EXPECT_EQ(std::tuple(s.P().y, s.P().x % 16), std::tuple(y0, 0));
    // Down and to the left of the player: a diagonal step.
    u16 x1 = s.P().x, y1 = s.P().y;
    EXPECT_EQ(hold(-90, 90, 40, [&] { return s.P().y >= y1 + 16; }), std::pair(6, true));
    EXPECT_LT(s.P().x, x1);
    // Locked by a talk, the button moves nobody.
    auto held = std::pair(s.P().x, s.P().y);
    gTalkFlags |= kTalkLockBit;
    hold(-90, 90, 20, [] { return false; });
    gTalkFlags &= ~kTalkLockBit;
    EXPECT_EQ(std::pair(s.P().x, s.P().y), held);
    clickPerson();
    // The person talks again.
    EXPECT_EQ(std::tuple(gTalkContext.owner, gTalkContext.talk), std::tuple(101, kClosingTalk));
    EXPECT_TRUE(h.RunUntil([] { return SampleSession::TalkFree(); }, 10));
    EXPECT_TRUE(h.boxes().empty());
}

// Every person takes his cells: a shown person's footprint is marked taken
// (the state's 0x4000 adds the blocking cell bit), so walkers stop in front
// of him (the keys stopped by a taken cell: KeyCole's tests).
TEST(Reach, EveryPersonTakesHisCells) {
    Play([](Harness&, SampleSession&) {
        for (int i = 1; i < gMapRoleCount; ++i) {
            RoleSlot& r = gMapRoles[i];
            if (i == gPlayerSlot || r.roleId == 0xFFFF || !(r.state & kRoleShown) || r.x % 16 ||
                r.y % 16)
                continue;
            int w, hh;
            RoleFootprint(&r, &w, &hh);
            for (int y = r.y / 16; y < r.y / 16 + hh; ++y)
                for (int x = r.x / 16; x < r.x / 16 + w; ++x)
                    EXPECT_TRUE(gMap.cells[y * gMap.width + x] & kCellWide)
                        << "role " << r.roleId << " at " << x << "," << y;
        }
    });
}

// The harbour master and the guard keep to their places: over the ninety
// seconds of the countdown (a talk no map leads to, which runs out on its own
// into its next talk) neither is ever more than five cells from where the
// opening left him. (A person walked up to by the keys starts his talk from
// any side: KeyCole's sides of a person; a walking person clicked starts his:
// the play-through's harbour master.)
TEST(Reach, TheCountdownRunsOutWhileTheHarbourMasterAndTheGuardKeepTheirPlaces) {
    Play([](Harness& h, SampleSession& s) {
        const u16 people[] = {kSampleHarbourMasterRole, kSampleGuardRole};
        std::pair<int, int> place[2];
        int farthest[2] = {0, 0};
        for (int k = 0; k < 2; ++k) {
            const RoleSlot& r = gMapRoles[FindRoleById(people[k])];
            place[k] = {r.x, r.y};
        }
        StartTalk(static_cast<u16>(kSampleCountdownTalk), kTalkSpot);
        ASSERT_TRUE(s.ConfirmUntilTalkEnds());
        // Ninety seconds of frames at 30 a second.
        EXPECT_TRUE(h.RunUntil(
            [&] {
                for (int k = 0; k < 2; ++k) {
                    const RoleSlot& r = gMapRoles[FindRoleById(people[k])];
                    const int d = std::abs(r.x - place[k].first) + std::abs(r.y - place[k].second);
                    farthest[k] = std::max(farthest[k], d);
                }
                return gTalkContext.talk == kSampleCountdownEndTalk;
            },
            90 * 30 + 60));
        EXPECT_LE(farthest[0], 5 * 16) << "the harbour master";
        EXPECT_LE(farthest[1], 5 * 16) << "the guard";
    });
}

// The boxes on show, each with its 8-pixel frame round the text; empty when
// one is still opening (it is drawn on its way to its place).
std::vector<std::array<i32, 4>> OpenBoxes(bool* opening) {
    std::vector<std::array<i32, 4>> boxes;
    for (const auto& d : gDialogs) {
        *opening |= d->opening < 4;
        boxes.push_back({d->x - 8, d->y - 8, d->x + d->w + 8, d->y + d->h + 8});
    }
    return boxes;
}

// True when the canvas right of the map's ground holds a pixel that is
// neither black nor inside one of the boxes (those shown before the frame
// and after it: a box closed by the frame's talk step was drawn in it).
bool LeftBesideTheMap(const std::vector<std::array<i32, 4>>& boxes) {
    const i32 right = std::max(static_cast<i32>(gMap.width) * 16 - gViewX, 0);
    for (i32 y = 0; y < 480; y += 2)
        for (i32 x = right; x < 640; x += 2) {
            bool boxed = false;
            for (const auto& b : boxes) boxed |= x >= b[0] && x < b[2] && y >= b[1] && y < b[3];
            if (!boxed && CanvasAt(x, y) != ConvertPixel(0)) return true;
        }
    return false;
}

// The room visit: the house door starts it, the fade stays dark across the
// change of map, the words in the room stay readable, the room's person shows,
// nothing stays on the black beside the small room, and the fade leads back
// out.
TEST(SampleVisit, TheDoorLeadsIntoTheRoomAndBackWithoutAFlash) {
    Play([](Harness& h, SampleSession& s) {
        s.Walk({{kArrowDown, s.P().x / 16, kDoorY + 1}, {kArrowRight, kDoorX, kDoorY + 1}});
        ASSERT_FALSE(GetGameFlag(kSampleRoomFlag));
        s.Tap(kArrowUp);  // into the door
        ASSERT_EQ(gTalkContext.talk, kSampleRoomTalk);

        // Frame by frame until the town is back: the canvas's middle on the
        // last frame before the room and the first of the room; the room's
        // frames, those with a box and those showing the room's person. Its
        // shirt (act 2), 3 columns left of the figure's middle and 22 rows
        // above its soles (row 46), shows from every side, clear of the arms.
        const u16 personBody = ConvertPixel(24 << 10 | 6 << 5 | 8);
        u16 before = 1, entry[2] = {1, 1};
        int roomFrames = 0, boxFrames = 0, personFrames = 0, strayFrames = 0;
        for (int f = 0; f < 400 && !(gMapId == kTown && SampleSession::TalkFree()); ++f) {
            bool opening = false;
            auto boxes = OpenBoxes(&opening);
            h.RunFrames(1);
            for (const auto& b : OpenBoxes(&opening)) boxes.push_back(b);
            u16 pixel = CanvasAt(60, 200);
            int slot = FindRoleById(103);
            i32 l, t, r, b;
            if (gMapId == kRoom && roomFrames++ == 0)
                std::tie(entry[0], entry[1]) = std::tuple(before, pixel);
            boxFrames += gMapId == kRoom && !gDialogs.empty();
            personFrames += gMapId == kRoom && slot > 0 && RoleScreenRect(slot, &l, &t, &r, &b) &&
                            CanvasAt(l + 13, t + 24) == personBody;
            before = pixel;
            strayFrames += gMapId == kRoom && !opening && LeftBesideTheMap(boxes);
        }
        ASSERT_EQ(gMapId, kTown);  // out in front of the door: the play-through's visit
        // The first frame of the room is as dark as the last of the town; three
        // seconds of words (30 tenths at 35 ms a frame) and the person in view.
        EXPECT_EQ(std::tuple(entry[0], entry[1], boxFrames >= 80, roomFrames > boxFrames,
                             personFrames >= 60),
                  std::tuple(ConvertPixel(0), ConvertPixel(0), true, true, true));
        EXPECT_EQ(strayFrames, 0) << "frames with pixels left beside the room";
        EXPECT_TRUE(h.boxes().empty());
    });
}

struct Cell {
    int x, y;
};

// A new game on the sample town through the real start-up, no talk running;
// no test expects an error box it does not clear.
struct TownWalks : TownFixture {
    const MapEvent* ev = nullptr;  // the clickable spot
    int slot = -1;                 // the person who looks about, role 101

    void SetUp() override {
        TownFixture::SetUp();
        ResetTalk();
        ResetDialogs();
        gTalkFlags = 0;
        PlatformSetMouseButtons(false, false);
        ev = FindMapEvent(kEventNumber);
        ASSERT_NE(ev, nullptr);
        slot = FindRoleById(101);
        ASSERT_GT(slot, 0);
        ASSERT_NE(gMapRoles[slot].act, nullptr);
    }
    void TearDown() override { EXPECT_TRUE(h.boxes().empty()) << h.boxes().front().caption; }
    // The mouse over cell (cx, cy), a few pixels into it.
    void PointAtCell(int cx, int cy) {
        gDInput.SetMousePos(cx * 16 - gViewX + 5, cy * 16 - gViewY + 7);
    }
    static int Slot(u16 id) {
        int s = FindRoleById(id);
        EXPECT_GT(s, 0) << "role " << id;
        return s;
    }
    static RoleSlot& R(u16 id) { return gMapRoles[FindRoleById(id)]; }
    static Cell CellOf(u16 id) { return {R(id).x / 16, R(id).y / 16}; }
    static bool At(u16 id, int cx, int cy) { return R(id).x == cx * 16 && R(id).y == cy * 16; }
    static int StoryRecords() {
        int n = 0;
        for (const RoleRoute& r : gRoleRoutes)
            if (r.role != kNoRole && (r.state & kRouteStateMask) == kRouteStory) ++n;
        return n;
    }

    // Talk 900 of Talk1.dat from assembler source (the sample's talks stay as
    // they are), started by owner.
    void WriteTalk(const std::string& body, u16 owner = gPlayerId) {
        WriteHostFile(h.Path("MH_Data/Talk1.dat"), Talk900(body));
        Start(900, owner);
    }
    static std::vector<u8> Talk900(const std::string& body) {
        return Assemble(std::string(SampleTalkSource()) + "\ntalk 900\n" + body + "\n");
    }
    void Start(int talk, u16 owner = gPlayerId) { StartTalk(static_cast<u16>(talk), owner); }
    bool RunUntilFree(int limit) {
        return h.RunUntil([] { return gTalkContext.owner == kTalkFree; }, limit);
    }
    // After a talk: no walk record stays, no role is held, control is free.
    static void ExpectAllLetGo() {
        EXPECT_EQ(std::tuple(StoryRecords(), gTalkFlags & kTalkLockBit), std::tuple(0, 0u));
        for (int s = 0; s < gMapRoleCount; ++s) EXPECT_FALSE(gMapRoles[s].state & kWalkHeld) << s;
    }
    // The story walk record of this slot, started towards cell (cx, cy).
    static RoleRoute* WalkTo(int slot, int cx, int cy) {
        EXPECT_EQ(WalkRoleTo(slot, cx * 16, cy * 16), 1);
        return FindRoleRoute(slot, kRouteStory);
    }
    // Talk 900 with the count word of its first command (a group walk of one
    // role) replaced, started; cut, the file ends with the walk's one entry.
    void WriteGroupCount(const std::string& body, u16 count, bool cut = false) {
        std::vector<u8> bytes = Talk900(body);
        size_t at = kTalkBase + LoadU32(&bytes[kTalkBase + 4 * 900]);
        ASSERT_EQ(std::tuple(LoadU16(&bytes[at]), LoadU16(&bytes[at + 2])), std::tuple(0x14, 1));
        StoreU16(&bytes[at + 2], count);
        if (cut) bytes.resize(at + 4 + 6);
        WriteHostFile(h.Path("MH_Data/Talk1.dat"), bytes);
        Start(900);
    }
};

// A person walks a route and comes back: each leg arrives on its cell, the
// walk holds the person's own behaviour meanwhile and lets go at the end.
TEST_F(TownWalks, APersonWalksARouteAndBackAndThePlayersWalk) {
    int slot = Slot(100);
    Cell home = CellOf(100);
    Start(kSampleWalkTalk);
    ASSERT_TRUE(h.RunUntil([] { return At(100, 16, 34); }, 400)) << R(100).x << "," << R(100).y;
    EXPECT_EQ(std::tuple(gTalkFlags & kTalkLockBit, GetGameFlag(kSampleWalkFlag)),
              std::tuple(kTalkLockBit, 0));
    // Home again while the talk still runs (once it is over the person wanders on).
    ASSERT_TRUE(h.RunUntil([&] { return At(100, home.x, home.y); }, 400));
    EXPECT_TRUE(TalkRunning());
    ASSERT_TRUE(RunUntilFree(200));
    EXPECT_EQ(GetGameFlag(kSampleWalkFlag), 1);
    ExpectAllLetGo();
    EXPECT_FALSE(gMapRoles[slot].state & kWalkUnderWay);
    // The player's own scripted walk: control is locked while it walks and comes
    // back once the talk is over.
    WriteTalk(
        "    WalkTo 0xFFF1 13 12\nw:\n    WalkStep 0xFFF1\n    JumpIfWalking 1 @w\n"
        "    EndWalk 0xFFF1\n    SetFlag 300\n    End");
    h.RunFrames(3);
    EXPECT_EQ(std::tuple(gTalkFlags & kTalkLockBit, gMapRoles[gPlayerSlot].state & kWalkUnderWay),
              std::tuple(kTalkLockBit, kWalkUnderWay));
    ASSERT_TRUE(RunUntilFree(400));
    EXPECT_EQ(std::tuple(At(1, 13, 12), GetGameFlag(300),
                         gScrollStepX | gScrollStepY | gPlayerStepX | gPlayerStepY),
              std::tuple(true, 1, 0));
    ExpectAllLetGo();
}

// Three walk together; the command waits until the last of them arrives.
TEST_F(TownWalks, GroupWalksAndWalksToCellsValuesAndRoles) {
    const struct {
        u16 id;
        Cell to;
    } walkers[] = {{1, {14, 10}}, {100, {18, 30}}, {101, {27, 25}}};
    Start(kSampleGroupWalkTalk);
    int arrivedAt[3] = {-1, -1, -1}, flagAt = -1;
    for (int f = 0; f < 600 && flagAt < 0; ++f) {
        h.RunFrames(1);
        for (int k = 0; k < 3; ++k)
            if (arrivedAt[k] < 0 && At(walkers[k].id, walkers[k].to.x, walkers[k].to.y))
                arrivedAt[k] = f;
        if (GetGameFlag(kSampleGroupWalkFlag)) flagAt = f;
    }
    ASSERT_GE(flagAt, 0);
    auto [first, last] = std::minmax({arrivedAt[0], arrivedAt[1], arrivedAt[2]});
    // The walks differ in length; the command waited for the last arrival.
    EXPECT_EQ(std::tuple(first < last, flagAt >= last), std::tuple(true, true));
    ASSERT_TRUE(RunUntilFree(20));
    EXPECT_EQ(StoryRecords(), 0);
    // Relative group walks and arrival values: each role ends facing the given way.
    Cell a = CellOf(1), b = CellOf(100);
    WriteTalk(
        "    GroupWalkByArrive 0xFFF1 2 0 0xFFFF 0xFFFF 1  100 0 2 0xFFFF 0xFFFF 2\n"
        "    SetFlag 301\n    End");
    i32 dirOnArrival[2] = {-1, -1};
    for (int f = 0; f < 600 && TalkRunning(); ++f) {
        h.RunFrames(1);
        if (dirOnArrival[0] < 0 && At(1, a.x + 2, a.y)) dirOnArrival[0] = R(1).act->dir;
        if (dirOnArrival[1] < 0 && At(100, b.x, b.y + 2)) dirOnArrival[1] = R(100).act->dir;
    }
    EXPECT_EQ(std::tuple(GetGameFlag(301), dirOnArrival[0], dirOnArrival[1]), std::tuple(1, 1, 2));
    // The walks that start at a cell named by operands, role values or another role.
    i32 vx = 15, vy = 33;
    ASSERT_EQ(AccessRoleValue(100, 1, &vx, 2), 1);
    ASSERT_EQ(AccessRoleValue(100, 2, &vy, 2), 1);
    Cell looker = CellOf(101), fisher = CellOf(100);
    const std::tuple<const char*, Cell> cases[] = {
        {"WalkToCell 100 14 31", {14, 31}},
        {"WalkToValues 100", {15, 33}},
        {"WalkToRole 100 101", {looker.x, looker.y}},
        {"WalkToRoleAgain 100 101", {looker.x, looker.y}},
        {"WalkBy 100 -2 3", {fisher.x - 2, fisher.y + 3}},
    };
    int slot = Slot(100);
    for (const auto& [body, to] : cases) {
        SCOPED_TRACE(body);
        // The talk holds for a frame: the walk is read while it is under way.
        WriteTalk(std::string("    ") + body + "\n    RunOff\n    End");
        gTalkFlags = 0;
        Talk(&gTalkContext);
        RoleRoute* r = FindRoleRoute(slot, kRouteStory);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(std::tuple(r->targetX, r->targetY, gMapRoles[slot].state & kWalkHeld),
                  std::tuple(to.x * 16, to.y * 16, kWalkHeld));
        RunUntilFree(5);
        EXPECT_EQ(FindRoleRoute(slot, kRouteStory), nullptr);
    }
    // A role that is not on this map gets the cell as its record position.
    WriteTalk("    WalkToCell 103 7 8\n    End");
    ASSERT_TRUE(RunUntilFree(10));
    i32 row = FindRecord(103);
    EXPECT_EQ(std::tuple(RecordWord(row, 5), RecordWord(row, 6)), std::tuple(7, 8));
}

// A second target given while a walk is under way is walked after the first.
TEST_F(TownWalks, QueuedTargetsAndGroupCounts) {
    int slot = Slot(100);
    Cell from = CellOf(100);
    RoleRoute* r = WalkTo(slot, from.x + 3, from.y);
    ASSERT_EQ(WalkRoleTo(slot, (from.x + 3) * 16, (from.y + 2) * 16), 1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(std::tuple(r->targetX, r->queuedY), std::tuple((from.x + 3) * 16, (from.y + 2) * 16));
    bool first = false;
    for (int f = 0; f < 600 && !At(100, from.x + 3, from.y + 2); ++f) {
        if (!(gMapRoles[slot].state & kWalkArrived)) iMove(slot);
        h.RunFrames(1);
        first = first || At(100, from.x + 3, from.y);
    }
    EXPECT_EQ(std::tuple(first, At(100, from.x + 3, from.y + 2), FindRoleRoute(slot, kRouteStory),
                         gMapRoles[slot].state & kWalkHeld),
              std::tuple(true, true, nullptr, 0u));
    // The count word of a group walk: far beyond the script, or only running past
    // the file's end, it is refused once and the talk ends; carrying the started
    // mark in the file, it does not leave the group waiting for good.
    const std::tuple<u16, bool, int, size_t> cases[] = {
        {60000, true, 0, 1}, {3, true, 0, 1}, {0x4001, false, 1, 0}};
    for (const auto& [count, cut, flag, boxes] : cases) {
        SCOPED_TRACE(count);
        ClearGameFlag(302);
        WriteGroupCount("    GroupWalk 100 14 31\n    SetFlag 302\n    End", count, cut);
        EXPECT_TRUE(RunUntilFree(10));
        EXPECT_EQ(std::tuple(GetGameFlag(302), TakeBoxes(h)), std::tuple(flag, boxes));
        ExpectAllLetGo();
    }
    // A walk taken away by another command does not hold the group either.
    WriteTalk("    GroupWalk 100 14 34  101 25 30\n    SetFlag 308\n    End");
    h.RunFrames(3);
    ASSERT_TRUE(TalkRunning());
    // The looker's walk goes as another command's clean-up would take it.
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == Slot(101)) ClearRoleRoute(&r);
    EXPECT_TRUE(RunUntilFree(400));
    EXPECT_EQ(std::tuple(GetGameFlag(308), At(100, 14, 34)), std::tuple(1, true));
}

// Talks of walks run to their end (each then sets flag 303), every walk let go.
TEST_F(TownWalks, WalkTalksRunToTheirEnd) {
    Cell looker = CellOf(101);
    // The harbour master's own strolls would move him on once a talk ends.
    R(100).scriptId = 0;
    // The talk, its owner, its frame limit, the boxes it shows, and roles with
    // the cells they end on.
    using Ends = std::vector<std::tuple<u16, int, int>>;
    const std::tuple<const char*, u16, int, size_t, Ends> cases[] = {
        // Roles that do not resolve show one box each and the talk goes on; a
        // group with such a role completes once the others arrive.
        {"WalkTo 999 5 5\n WalkStep 999\n WalkToRole 100 998\n GroupWalk 997 3 3  100 13 30\n"
         " EndWalk 999",
         1,
         400,
         4,
         {{100, 13, 30}}},
        // A walk that has no way to its target (cell (35, 14) lies inside the
        // walled house) ends at once, so the group does not wait for it.
        {"GroupWalk 101 35 14  0xFFF1 11 10", 1, 400, 0, {{101, looker.x, looker.y}, {1, 11, 10}}},
        // The owner's walk gets its last step at the talk end and lets go of the owner.
        {"WalkTo 0xFFF0 27 25", 101, 20, 0, {{101, 25, 25}}},
        // The owner walks to the end of a point list and is stepped along by
        // the command that names no role.
        {"WalkOwnerTo 1 2 27 26\ns:\n StepOwner 5 5\n RunOff\n JumpIfWalking 101 @s",
         101,
         400,
         0,
         {{101, 27, 26}}},
    };
    for (const auto& [body, owner, limit, boxes, at] : cases) {
        SCOPED_TRACE(body);
        ClearGameFlag(303);
        WriteTalk(std::string(" ") + body + "\n SetFlag 303\n End", owner);
        ASSERT_TRUE(RunUntilFree(limit));
        EXPECT_EQ(std::tuple(GetGameFlag(303), TakeBoxes(h)), std::tuple(1, boxes));
        for (auto [id, x, y] : at)
            EXPECT_TRUE(At(id, x, y)) << id << ": " << R(id).x << "," << R(id).y;
        ExpectAllLetGo();
    }
}

// The talk end lets every walk go: records freed, roles on their grid and no
// longer held, the saved look cleared, behaviour walks possible again.
TEST_F(TownWalks, TheTalkEndCleansUpBlockedStepsAndSnap) {
    WriteTalk(
        "    WalkTo 100 20 30\n    WalkTo 101 25 30\ns:\n    RunOn\n    WalkStep 100\n"
        "    WalkStep 101\n    RunOff\n    Jump @s");
    int slot = Slot(100), looker = Slot(101);
    gTalkTurn = {looker, 8, 3};
    // The talk is ended from outside while the fisherman is between two cells.
    ASSERT_TRUE(h.RunUntil([] { return (R(100).x & 15) != 0; }, 200));
    u16 cameFrom = static_cast<u16>(R(100).x & ~15);
    TalkEnd(&gTalkContext);
    EXPECT_EQ(std::tuple(TalkRunning(), R(100).x, gTalkTurn.slot), std::tuple(false, cameFrom, -1));
    ExpectAllLetGo();
    for (int s : {slot, looker}) {
        ASSERT_NE(gMapRoles[s].cell, nullptr);
        EXPECT_EQ(std::tuple((gMapRoles[s].x | gMapRoles[s].y) & 15, *gMapRoles[s].cell & kCellRole,
                             gMapRoles[s].state & kWalkUnderWay),
                  std::tuple(0, kCellRole, 0u));
    }
    EXPECT_EQ(StartRoleRoute(slot, R(100).x / 16 + 1, R(100).y / 16), 1);
    EXPECT_EQ(StepRoleRoute(slot), 1);
    // A step into a cell that another role holds waits; after eight tries only
    // walls stop a scripted walker, and a role that walks through others never waits.
    Cell from = CellOf(100);
    gMap.cells[static_cast<size_t>(from.y) * gMap.width + from.x + 1] |= 0x20000000u;
    RoleRoute* r = WalkTo(slot, from.x + 2, from.y);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->dirs[0], 7);  // right
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(iMove(slot), 1);
        EXPECT_EQ(std::tuple(r->pos & kRoutePaused, r->retry, r->stepX),
                  std::tuple(kRoutePaused, k, 0));
    }
    EXPECT_TRUE(gMapRoles[slot].state & kWalkUnderWay);
    EXPECT_EQ(iMove(slot), 1);
    EXPECT_EQ(std::tuple(r->pos & kRoutePaused, r->stepX, r->stepY, r->retry),
              std::tuple(0u, 4, 0, 0));
    // Walking through others: the same cell does not hold it at all.
    ClearRoleRoute(r);
    gMapRoles[slot].state |= kWalkThrough;
    r = WalkTo(slot, from.x + 2, from.y);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(iMove(slot), 1);
    EXPECT_EQ(std::tuple(r->pos & kRoutePaused, r->stepX), std::tuple(0u, 4));
    // Snapping a walker between two cells puts it back on the cell it left, along
    // its route (not along the way its picture faces).
    ClearRoleRoute(r);
    gMapRoles[slot].state &= ~kWalkThrough;
    WalkTo(slot, from.x + 3, from.y + 3);
    ASSERT_TRUE(h.RunUntil(
        [slot] {
            iMove(slot);
            return (R(100).x & 15) != 0;
        },
        100));
    WriteTalk("    SnapRole 100\n    RunOff\n    End");
    h.RunFrames(1);
    ASSERT_TRUE(TalkRunning());
    EXPECT_EQ(std::tuple(At(100, from.x, from.y), *gMapRoles[slot].cell & kCellRole),
              std::tuple(true, kCellRole));
    // The walk goes on from there once its next step is decided, and after
    // the talk his own strolls (a rest of three seconds between them) go on.
    EXPECT_EQ(iMove(slot), 1);
    EXPECT_TRUE(h.RunUntil([] { return (R(100).x & 15) != 0; }, 300));
}

// A route that has run out with its role away from the target is reported
// once: the walk ends, so no command asks again.
TEST_F(TownWalks, ARouteEndingOffItsTargetEndAllWalksAndTheKeepMark) {
    int slot = Slot(101);
    Cell from = CellOf(101);
    RoleRoute* r = WalkTo(slot, from.x + 2, from.y);
    ASSERT_NE(r, nullptr);
    r->pos = kRoutePaused | 2;  // past both steps while it still stands at the start
    EXPECT_EQ(iMove(slot), 2);
    EXPECT_EQ(iMove(slot), 0);
    EXPECT_EQ(std::tuple(TakeBoxes(h), FindRoleRoute(slot, kRouteStory),
                         gMapRoles[slot].state & (kWalkArrived | kWalkUnderWay)),
              std::tuple(1u, nullptr, kWalkArrived));
    // The end of walks: every held role lets go and its act's hold is cleared.
    WriteTalk(
        "    WalkTo 100 12 30\n    WalkTo 101 25 25\n    RunOff\n    EndAllWalks\n"
        "    RunOff\n    End");
    h.RunFrames(1);
    ASSERT_TRUE(TalkRunning());
    for (int s : {Slot(100), Slot(101)}) {
        EXPECT_TRUE(gMapRoles[s].state & kWalkHeld);
        gMapRoles[s].act->hold = 1;
    }
    h.RunFrames(1);
    EXPECT_EQ(StoryRecords(), 0);
    for (int s : {Slot(100), Slot(101)})
        EXPECT_EQ(std::tuple(gMapRoles[s].state & kWalkHeld, gMapRoles[s].act->hold),
                  std::tuple(0u, 0u));
    // The count word's top bit keeps each walker's record at its target: the group
    // still completes, the role stays held until the talk's end lets it go.
    WriteGroupCount("    GroupWalk 0xFFF1 12 10\n    SetFlag 306\n    RunOff\n    End", 0x8001);
    ASSERT_TRUE(h.RunUntil([] { return GetGameFlag(306) == 1; }, 400));
    const RoleRoute* kept = FindRoleRoute(gPlayerSlot, kRouteStory);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(std::tuple(At(1, 12, 10), kept->state & kRouteKeep,
                         gMapRoles[gPlayerSlot].state & kWalkHeld),
              std::tuple(true, kRouteKeep, kWalkHeld));
    ASSERT_TRUE(RunUntilFree(10));
    ExpectAllLetGo();
}

TEST_F(TownWalks, SpotsCursorsClicksAndTalkend) {
    SetGameFlag(static_cast<i32>(ev->clickable));
    PointAtCell(kEventX, kEventY);
    TriggerStory();
    // Hovering starts nothing.
    EXPECT_EQ(std::tuple(gTriggerCursor, gTalkContext.owner), std::tuple(11, kTalkFree));

    i32 mx = 0, my = 0;
    gDInput.ReadMouse(&mx, &my);
    ClickHere();
    EXPECT_EQ(std::tuple(gTalkContext.talk, gTalkContext.owner, gTalkContext.x, gTalkContext.y,
                         gTalkContext.ownerState, gTalkFlags),
              std::tuple(ev->script & 0x7FFF, kTalkSpot, (mx & ~15) + gViewX, (my & ~15) + gViewY,
                         0u, kTalkLockBit));
    // The spot lies down and right of the player, who turns toward it.
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    ASSERT_NE(p.act, nullptr);
    EXPECT_EQ(std::tuple(p.act->dir, p.act->action), std::tuple(5, 0));
    ResetTalkContext(&gTalkContext);
    gTalkFlags = 0;

    ClearGameFlag(static_cast<i32>(ev->clickable));
    PointAtCell(kEventX, kEventY);
    TriggerStory();
    // No spot cursor: the way from the player, down and right.
    ClickHere();
    EXPECT_EQ(std::tuple(gTriggerCursor, gTalkContext.owner), std::tuple(5, kTalkFree));

    // A plain cell is no spot either.
    SetGameFlag(static_cast<i32>(ev->clickable));
    PointAtCell(kEventX + 3, kEventY);
    ClickHere();
    EXPECT_EQ(std::tuple(gTalkContext.owner, gTalkFlags), std::tuple(kTalkFree, 0u));

    // A talk running already: the spot is not looked at.
    StartTalk(7, kTalkSpot);
    PointAtCell(kEventX, kEventY);
    ClickHere();
    EXPECT_EQ(gTalkContext.talk, 7);
    // The end of a role's scripted walk (Talkend) hands the role to the talk's
    // clean-up: its walk record goes and the look it had before it turned to the
    // player comes back, once.
    RoleSlot& r = gMapRoles[slot];
    ASSERT_EQ(WalkRoleTo(slot, (r.x / 16 + 3) * 16, r.y), 1);
    ASSERT_NE(FindRoleRoute(slot), nullptr);
    // A saved look of another role stays for that role.
    int other = FindRoleById(100);
    const std::tuple<TalkTurn, i32, i32, int> turns[] = {{{slot, 8, 3}, 8, 3, -1},
                                                         {{other, 4, 1}, 0, 2, other}};
    for (const auto& [turn, action, dir, left] : turns) {
        r.state |= 0x80000000u;
        gTalkTurn = turn;
        r.act->action = 0;
        r.act->dir = 2;
        Talkend(slot);
        EXPECT_EQ(std::tuple(r.act->action, r.act->dir, gTalkTurn.slot, FindRoleRoute(slot),
                             r.state & 0x80000000u),
                  std::tuple(action, dir, left, nullptr, 0u));
    }
}

// A click on a person turns it toward the player and the player the other way,
// by the angle between their foot centres: 44 across and 20 down is 24 degrees
// off the level, a diagonal, though more than twice as far across as down.
TEST_F(TownWalks, AClickedPersonAndThePlayerTurnByTheAngleBetweenThem) {
    RoleSlot& r = gMapRoles[slot];
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    ASSERT_NE(p.act, nullptr);
    ASSERT_TRUE(TakeActData(r.act));  // the frame a map frame would show
    int rw, rh, pw, ph;
    RoleFootprint(&r, &rw, &rh);
    RoleFootprint(&p, &pw, &ph);
    // The person's foot centre (dx, dy) from the player's; the directions the
    // person and the player face after the click.
    const std::tuple<i32, i32, int, int> cases[] = {
        {44, 20, 4, 5}, {-48, 0, 3, 2}, {0, -48, 1, 0}, {-30, 36, 7, 6}};
    for (const auto& [dx, dy, person, player] : cases) {
        SCOPED_TRACE(testing::Message() << dx << "," << dy);
        ResetTalkContext(&gTalkContext);
        r.x = static_cast<u16>(p.x + 8 * pw + dx - 8 * rw);
        r.y = static_cast<u16>(p.y + 8 * ph + dy - 8 * rh);
        i32 l, t, rr, b;
        ASSERT_TRUE(RoleScreenRect(slot, &l, &t, &rr, &b));
        gDInput.SetMousePos((l + rr) / 2, (t + b) / 2);
        TriggerStory();  // the hover, with the button up
        ClickHere();
        EXPECT_EQ(std::tuple(gTalkContext.owner, r.act->dir, p.act->dir),
                  std::tuple(101, person, player));
    }
    ResetTalkContext(&gTalkContext);
}

}  // namespace
