// Map, view, scene and media commands, wipes, scene objects, role heads, name
// markers and balloons, and the role commands that need a real map: talks
// written with the assembler and run through the frame tick on the sample
// game's town.

#include "../map/MapTestSupport.h"
#include "StoryTestUtil.h"
#include "engine/Water.h"
#include "map/AntiAliasObject.h"
#include "map/MapManage.h"
#include "map/MapTransients.h"
#include "mhdata/PathAsm.h"
#include "mhdata/PicShowPack.h"
#include "platform/HostFs.h"
#include "sound/BinkPlayer.h"
#include "sound/Sound.h"
#include "story/PicShow.h"
#include "support/Input.h"

namespace {

using namespace sampleMap;
using namespace sample_art;

// A new game on the sample town with the real start-up, and talk 1 written from
// assembler text and run through the frame tick.
class SceneCommandTest : public MapFixture {
protected:
    int guard = -1;  // slot of role 100, held still

    void SetUp() override {
        MapFixture::SetUp();
        // The real start-up gives the scene its drawing surface.
        h.StartGame();
        ASSERT_NE(gDrawSurface, nullptr);
        ASSERT_EQ(StartNewGame(1), 1);
        gGameActive = 1;
        gFrameId = kMapMode;
        gFrameInterval = 0;
        ResetTalkContext(&gTalkContext);
        // Role 100 stands still: no behaviour program moves it under the tests.
        guard = FindRoleById(100);
        ASSERT_GE(guard, 0);
        gMapRoles[guard].scriptId = 0;
        h.boxes().clear();
        ReleaseRoleHeads();
    }
    // No test expects an error box it does not clear.
    void TearDown() override {
        EXPECT_TRUE(h.boxes().empty()) << h.boxes().front().caption;
        MapFixture::TearDown();
    }
    // One frame of the real tick, called as the main loop calls it: nothing
    // ticks once the game has shut down.
    void Frame() {
        PlatformAdvanceTime(35);
        if (gGameActive && !gSuspended) GameFrame();
    }
    void Start(const std::string& body, u16 owner = kSamplePlayerRole) {
        WriteHostFile(h.Path("MH_Data/Talk1.dat"), Assemble("talk 1\n " + body + "\n End\n"));
        StartTalk(1, owner);
    }
    // Runs frames until the talk ends or limit frames pass; the frames run.
    int Finish(int limit = 200) {
        int frames = 0;
        while (TalkRunning() && frames < limit) {
            Frame();
            ++frames;
        }
        return frames;
    }
    int Run(const std::string& body, int limit = 200, u16 owner = kSamplePlayerRole) {
        Start(body, owner);
        return Finish(limit);
    }
    RoleSlot& Player() { return gMapRoles[gPlayerSlot]; }
    static std::pair<int, int> XY(const RoleSlot& r) { return {r.x, r.y}; }
    // The one error box shown so far has this caption; the list is cleared.
    void ExpectOneBox(const std::string& caption) {
        ASSERT_EQ(h.boxes().size(), 1u);
        EXPECT_EQ(h.boxes()[0].caption, caption);
        h.boxes().clear();
    }
    WipeStrip* Strip(u32 id) {
        for (WipeStrip& s : gWipeStrips)
            if (s.id == id) return &s;
        return nullptr;
    }
    static i32 CountObjects() { return ListLength(GetAntiAliasObjects()); }
    static i32 CountHeads() { return ListLength(gRoleHeads); }
    // Frames a talk of these commands takes against one that only sets a flag:
    // commands that go on at once add none.
    int ExtraFrames(const std::string& body) {
        int base = Run("SetFlag 301");
        return Run(body + "\n SetFlag 300") - base;
    }
    static u16 Colour(int action) { return ConvertPixel(kPortraitColours[action]); }
    // The one box of a new talk, once it shows; the hand-worked numbers of the
    // marker tests assume the dialogue text size 9.
    const DialogRecord& ShownBox(const std::string& body) {
        EXPECT_EQ(gDialogTextSize, 9u);
        ResetTalkContext(&gTalkContext);
        gDialogs.clear();
        Start(body);
        for (int i = 0; i < 8; ++i) Frame();
        EXPECT_EQ(gDialogs.size(), 1u);
        return *gDialogs.front();
    }
    static u16 Art(u32 act, u32 action) { return ConvertPixel(InterfaceColor(act, action)); }
    // Pixels of this ink in a band of rows from x0 to x1: how many lie left of
    // x, and whether more than ten lie from x on.
    static std::pair<int, bool> Ink(i32 x0, i32 x, i32 x1, i32 top, i32 bottom, u16 ink) {
        int left = 0, right = 0;
        for (i32 y = top; y < bottom; ++y)
            for (i32 i = x0; i < x1; ++i) (i < x ? left : right) += At(i, y) == ink;
        return {left, right > 10};
    }
    // How often each role is filed in the drawing lists, and in which bucket;
    // false when a list runs on longer than there are roles (lists run into each other).
    static bool Filings(std::vector<int>* count, std::vector<int>* bucket) {
        count->assign(kRoleRows, 0);
        bucket->assign(kRoleRows, -1);
        for (int b = 0; b < kBuckets; ++b)
            for (int row = -kBucketRowBias; row < static_cast<int>(gMap.height) + 20; ++row) {
                int steps = 0;
                for (RoleSlot* n = BucketRow(b, row); n; n = n->next) {
                    if (++steps > gMapRoleCount) return false;
                    int i = static_cast<int>(n - gMapRoles);
                    ++(*count)[i];
                    (*bucket)[i] = b;
                }
            }
        return true;
    }
    // The largest channel value of any canvas pixel, green halved to 5 bits.
    static int Brightest() {
        int top = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                u16 p = At(x, y);
                top = std::max({top, p >> 11, (p >> 6) & 31, p & 31});
            }
        return top;
    }
};

TEST_F(SceneCommandTest, ChangeMapToTheRoomAndBackToAMissingMapAndScrolls) {
    Player().act->dir = 5;
    // The room at cell (4, 5), the direction kept; then back to the town at the
    // same cell with a new direction.
    const std::tuple<const char*, u32, u16> cases[] = {
        {"ChangeMap 3 4 5 0xFFFF 0xFFFF 0xFFFF", kRoom, 5},
        {"ChangeMap 1 0xFFFF 0xFFFF 0xFFFF 0xFFFF 2", kTown, 2}};
    for (const auto& [body, map, dir] : cases) {
        Run(body);
        EXPECT_EQ(std::tuple(gMapId, XY(Player()), RecordWord(FindRecord(kSamplePlayerRole), 4),
                             gViewMode & kViewChanging),
                  std::tuple(map, std::pair(64, 80), dir, 0u));
    }
    for (const char* cmd : {"ChangeMap", "FadeChangeMap"}) {
        Run(std::string(cmd) + " 77 1 1 0 0 0\n SetFlag 300");
        EXPECT_EQ(
            std::tuple(gMapId, GetGameFlag(300), TalkRunning(), TakeBoxes(h), gRunState & kRunQuit),
            std::tuple(kTown, 0, false, 1u, 0u))
            << cmd;
    }
    // The screen does not stay dark after the refused change.
    Frame();
    EXPECT_GT(Brightest(), 4);
    // Scrolls and their waits.
    gViewX = gViewY = 0;
    // Two cells right at 4 pixels a frame: the wait holds for 8 frames.
    int frames = Run("ScrollBy 2 1 4\n WaitScroll\n SetFlag 300");
    EXPECT_EQ(
        std::tuple(gViewX, gViewY, GetGameFlag(300), ScrollUnderWay(), frames >= 8, frames <= 10),
        std::tuple(32, 16, 1, false, true, true));
    // To an origin cell, then waiting for the view's y.
    Run("ScrollTo 0 3 8\n WaitScrollY 48");
    EXPECT_EQ(std::tuple(gViewX, gViewY), std::tuple(0, 48));
    // Speed 0 arrives at once rather than holding the talk.
    EXPECT_LE(Run("ScrollBy -3 0 0\n WaitScroll"), 3);
    EXPECT_EQ(gViewX, -48);
    // A second scroll while one runs shows its box; the first one still runs.
    gViewX = 0;
    Run("ScrollBy 4 0 2\n ScrollBy 1 0 4\n WaitScroll");
    ExpectOneBox(B5("對話系統(Scroll_map)"));
    EXPECT_EQ(gViewX, 16);
    gViewX = gViewY = 0;
    // Centred on the role: (600 - 320, 400 - 240), inside the 1024 x 768 town;
    // near the town's far corner the view stops at the edge.
    const std::tuple<u16, u16, std::pair<i32, i32>> at[] = {{600, 400, {280, 160}},
                                                            {1000, 760, {1024 - 640, 768 - 480}}};
    for (const auto& [x, y, view] : at) {
        std::tie(gMapRoles[guard].x, gMapRoles[guard].y) = std::tuple(x, y);
        Run("ScrollToRole 100 8\n WaitScroll");
        EXPECT_EQ(std::pair(gViewX, gViewY), view);
    }
}

TEST_F(SceneCommandTest, FadeChangeRunsItsFrameSequence) {
    Start("FadeChangeMap 3 2 2 0xFFFF 0xFFFF 0xFFFF\n SetFlag 300");
    // Fade out over 20 frames, then the change, then fade in over 10.
    std::vector<u32> mapAt;
    std::vector<float> red;
    std::vector<int> bright;   // the brightest channel on the canvas, in 5-bit steps
    std::vector<int> waiting;  // frames drawn again while the change waits
    for (int f = 0; f < 60 && TalkRunning(); ++f) {
        Frame();
        mapAt.push_back(gMapId);
        red.push_back(gColorFade.acc[0]);
        bright.push_back(Brightest());
        // The count has run out and the map is still the old one: the fade
        // holds its level however often the world is drawn meanwhile.
        if (gColorFade.counter < 0 && gMapId != kRoom) {
            DrawWorld();
            waiting.push_back(Brightest());
        }
    }
    // The map changes only after the screen went fully dark, then the fade
    // goes back in; the fade steps in the frame it starts.
    size_t change = std::find(mapAt.begin(), mapAt.end(), kRoom) - mapAt.begin();
    ASSERT_EQ(std::tuple(GetGameFlag(300), change >= 20 && change < mapAt.size()),
              std::tuple(1, true));
    EXPECT_EQ(std::tuple(red[change - 1], red[change + 1], red[0]),
              std::tuple(-30.0f, -27.0f, -1.5f));
    // What the player sees: from the first fully dark frame until the fade back
    // in, no frame shows the map (old or new) at more than the darkest step.
    size_t dark = std::find(red.begin(), red.end(), -30.0f) - red.begin();
    ASSERT_LT(dark, change);
    for (size_t f = dark; f <= change; ++f) EXPECT_LE(bright[f], 1) << "frame " << f;
    ASSERT_FALSE(waiting.empty());
    for (int b : waiting) EXPECT_LE(b, 1) << "a frame drawn while the change waits";
    // -27 of 31 steps, then the room at full light at the end.
    EXPECT_EQ(std::tuple(bright[change + 1] <= 4, bright.back() > 4), std::tuple(true, true));
}

TEST_F(SceneCommandTest, FadesSpotsViewsSceneTextsSwitchesMusicSoundsAndVideo) {
    EXPECT_GE(Run("ColorFade 40 0 -4 -2 1 1 5\n WaitColorFade"), 5);
    // Red capped at 31 first, then five steps of -2.
    EXPECT_EQ(
        std::tuple(gColorFade.acc[0], gColorFade.acc[1], gColorFade.acc[2], ColorFadeUnderWay()),
        std::tuple(21.0f, 5.0f, 1.0f, false));
    EXPECT_LT(Run("ColorFade 0 0 0 1 1 1 100\n Wait 70\n StopColorFade\n WaitColorFade"), 20);
    EXPECT_EQ(std::tuple(gColorFade.counter, gColorFade.delta[0]), std::tuple(0, 0.0f));
    // A fade darkening red and green keeps the screen at its last level after
    // its count, a second on, until StopColorFade takes the tint off.
    Frame();
    const u16 plain = CanvasAt(600, 460);
    Run("ColorFade 0 0 0 -1 -1 0 10\n WaitColorFade\n Wait 1000");
    Frame();
    const u16 held = CanvasAt(600, 460);
    EXPECT_EQ(std::tuple(held >> 11 < plain >> 11, (held >> 5 & 63) < (plain >> 5 & 63), held & 31),
              std::tuple(true, true, plain & 31));
    Run("StopColorFade");
    Frame();
    EXPECT_EQ(CanvasAt(600, 460), plain);
    Run("Spot -1 -1");
    EXPECT_EQ(std::tuple(gSpotX, gSpotY), std::tuple(320, 240));
    Run("Spot 2 3\n SpotTarget 4 3 8 8\n WaitSpot\n SetFlag 300");
    EXPECT_EQ(std::tuple(gSpotX, gSpotY, GetGameFlag(300)), std::tuple(64, 48, 1));
    const std::pair<const char*, u32> views[] = {
        {"BlackView\n FixView", kViewChanging | kViewNoFollow},
        {"ShowView", kViewNoFollow},
        {"FollowView", 0}};
    for (const auto& [body, mode] : views) {
        Run(body);
        EXPECT_EQ(gViewMode, mode) << body;
    }
    Run("SceneText0 \"港口\"\n SceneText1 \"燈塔\"\n SoundFlagOn\n Skip4a\n Skip4c\n FastModeOff");
    EXPECT_EQ(
        std::tuple(std::string(gScriptScene.sceneText[0]), std::string(gScriptScene.sceneText[1]),
                   GetGameFlag(77), GetGameFlag(78), gTalkSoundFlags),
        std::tuple(B5("港口"), B5("燈塔"), 1, 1, 0x10u));
    Run("FreeSceneText0\n SoundFlagOff\n ClearMapEffect 40\n ClearMapEffect 41");
    EXPECT_EQ(
        std::tuple(gScriptScene.sceneText[0][0], GetGameFlag(77), GetGameFlag(78), gTalkSoundFlags),
        std::tuple(0, 0, 1, 0u));
    // A scene text longer than its field is cut.
    Run("SceneText0 \"" + std::string(80, 'a') + "\"");
    EXPECT_EQ(std::strlen(gScriptScene.sceneText[0]), 51u);
    ASSERT_TRUE(gSound.Init(h.root().c_str()));
    // Piece n plays as track n + 1; the tick's audio service took the new mode.
    Run("Music 3 0 2");
    EXPECT_EQ(std::tuple(gMusic.GetList(1).slots[0].id, gMusic.GetMode()), std::tuple(4, 1));
    // The volume command names its piece: another piece changes nothing, and
    // the manager's own volume stays for the pieces after.
    int before = gMusic.GetVolume(), pieceBefore = gStream.GetVolume();
    Run("MusicVolume 1 60");
    EXPECT_EQ(std::tuple(gMusic.GetVolume(), gStream.GetVolume()), std::tuple(before, pieceBefore));
    ASSERT_EQ(gMusic.CurrentKind(), cMusic::kStream);
    Run("MusicVolume 3 60");
    EXPECT_EQ(std::tuple(gMusic.GetVolume(), gStream.GetVolume()), std::tuple(before, 60));
    Run("StopMusic");
    EXPECT_EQ(std::tuple(gMusic.GetList(1).slots[0].id, gMusic.GetMode() != 1),
              std::tuple(0, true));
    Run("Sound 1\n Sound2 2");
    EXPECT_EQ(gSound.PlayingCount(), 2);
    Run("StopSound 1");
    EXPECT_EQ(std::tuple(gSound.IsFinished(1), gSound.IsFinished(2)), std::tuple(1, 0));
    gSound.Release();
    gInstallMode = 2;  // installed, the shows on the disc
    Start("Video \"MH OPENING.BIK\"\n ReopenMap\n SetFlag 300\n End");
    for (int f = 0; f < 5 && !(gRunState & kRunVideo); ++f) Frame();
    EXPECT_EQ(std::tuple(gRunState & kRunVideo, gScriptScene.archiveClosed),
              std::tuple(kRunVideo, true));
    StopVideo();
    gRunState &= ~kRunVideo;
    Finish(10);
    // The video start leaves install mode 52 ('4'): a later picture show
    // opens from "Video\" on the base folder, with no disc asked for.
    EXPECT_EQ(std::tuple(GetGameFlag(300), gScriptScene.archiveClosed, gMapArchiveFile.IsOpen(),
                         gInstallMode),
              std::tuple(1, false, true, 0x34));
    Run(std::string("PictureShow \"") + kSamplePicShowName + "\"\n WaitPictureShow\n SetFlag 301",
        200);
    EXPECT_EQ(std::tuple(gPicShow.frame, GetGameFlag(301)),
              std::tuple(static_cast<u32>(kSamplePicShowFrames), 1));
}

// The sample game's own talks, as mhgen wrote them (the room visit is played
// through the title in the end-to-end tests).
TEST_F(SceneCommandTest, SampleTalksExtraAnimationObjectsWaterDropsAndOverlay) {
    auto runSample = [this](int n) {
        StartTalk(static_cast<u16>(n), kSamplePlayerRole);
        EXPECT_LT(Finish(400), 400) << n;
    };
    runSample(kSampleMusicTalk);
    EXPECT_EQ(gMusic.GetList(1).slots[0].id, 4);

    i32 x0 = gViewX;
    runSample(kSampleViewTalk);
    EXPECT_EQ(std::tuple(gViewX, GetGameFlag(kSampleViewFlag), gViewMode), std::tuple(x0, 1, 0u));
    // Empty lists go on at once.
    Run("WaitActA 3\n WaitActB 3\n SetFlag 300");
    EXPECT_TRUE(GetGameFlag(300));
    // The magic ring's six frames: the wait holds until the front object shows frame 3.
    int frames = Run(
        "AddActA 7 8 6001 0\n AddActB 9 9 6001 0\n AddActA 1 2 6001 0\n WaitActA 2\n WaitActB 2");
    ASSERT_EQ(std::distance(gScriptActA.begin(), gScriptActA.end()), 2);
    EXPECT_EQ(std::tuple(gScriptActA.front().k1, gScriptActA.front().act.frame > 2,
                         gScriptActB.front().act.frame > 2, frames >= 4),
              std::tuple(1, true, true, true));
    DeleteWaterList();
    Start("WaterDrop 320 240 8 200\n WaterDrop 100 100 4 100\n VideoOverlay 9001 2");
    // Run the talk alone: the scene's ripple pass would step the water on.
    for (int f = 0; f < 5 && TalkRunning(); ++f) Talk(&gTalkContext);
    ASSERT_NE(gWaterList, nullptr);
    cWater* ripple = gWaterList->next;  // the head is the list's placeholder
    ASSERT_NE(ripple, nullptr);
    bool moved = false;
    for (int c = 0; c < ripple->AreaW() && !moved; ++c)
        for (int r = 0; r < ripple->AreaH() && !moved; ++r) moved = ripple->Height(c, r) != 0;
    // Both drops fall on the one effect.
    EXPECT_EQ(std::tuple(ripple->next, moved, gScriptScene.videoOverlayAct),
              std::tuple(nullptr, true, 9001u));
    DeleteWaterList();
}

// ---- the picture show ----

TEST_F(SceneCommandTest, PictureShowBadPacksTheFolderAndTheDisc) {
    gInstallMode = 0;  // run from its folder: the shows lie beside the game
    PicShowSpec spec;
    PicShowRow good{640 * 10, std::vector<u16>(16, 0x7FFF)};
    std::vector<u8> ok = PicShowFrameBytes({good}, 16);
    // The good frame with the word at this offset changed.
    auto patched = [&ok](size_t at, u32 v) {
        auto p = ok;
        StoreU32(p.data() + at, v);
        return p;
    };
    const std::tuple<const char*, std::vector<u8>> cases[] = {
        // Shorter than its own head.
        {"short head", BuildPicShowPackRaw(spec, {ok, patched(0, 4)}, {1, 1})},
        {"past the frame",
         BuildPicShowPackRaw(spec, {patched(0, static_cast<u32>(ok.size()) + 2)}, {1})},
        {"past the picture", BuildPicShowPackRaw(spec, {patched(4, 640 * 480 - 4)}, {1})},
        {"more rows than bytes", BuildPicShowPackRaw(spec, {ok}, {2})},
        {"truncated",
         [&] {
             auto p = BuildPicShowPackRaw(spec, {ok, ok}, {1, 1});
             p.erase(p.end() - 1100, p.end());
             return p;
         }()},
        {"header only", std::vector<u8>(20, 0)},
    };
    for (const auto& [name, pack] : cases) {
        WriteHostFile(h.Path("Video/bad.pak"), pack);
        Run("PictureShow \"bad.pak\"\n WaitPictureShow", 40);
        // Stopped, never reached the closing fade.
        EXPECT_EQ(std::tuple(TalkRunning(), gPicShow.running, gRunState & kRunTransition,
                             gPicShow.counter < 10000),
                  std::tuple(false, false, 0u, true))
            << name;
    }
    // A missing pack shows its box and the talk goes on.
    Run("PictureShow \"none.pak\"\n WaitPictureShow\n SetFlag 302");
    EXPECT_TRUE(GetGameFlag(302));
    ExpectOneBox("MAni Open Failure!");
    // Three frames of 70 ms, each the rows 100, 102 ... 378 of one colour from
    // column 40 k: the rows between stay as they were.
    spec = {};
    const u16 colours[3] = {0x001F, 0x4210, 0x7FE0};
    for (int k = 0; k < 3; ++k) {
        PicShowFrameSpec f;
        for (u32 y = 100; y < 380; y += 2)
            f.push_back({y * 640 + 40 * k, std::vector<u16>(560, colours[k])});
        spec.frames.push_back(std::move(f));
    }
    WriteHostFile(h.Path("Video/bands.pak"), BuildPicShowPack(spec));
    Start("PictureShow \"%bands.pak\"\n WaitPictureShow\n SetFlag 300");
    bool sawInterval = false;
    u32 lastFrame = 0;
    for (int f = 0; f < 200 && TalkRunning(); ++f) {
        Frame();
        if (gPicShow.running) {
            sawInterval |= gFrameInterval == 70;
            // The frames only move on.
            EXPECT_EQ(std::tuple(gRunState & kRunTransition, gPicShow.frame >= lastFrame),
                      std::tuple(kRunTransition, true));
            lastFrame = gPicShow.frame;
            if (gPicShow.frame == 1) {
                // Frame 1: rows of the first colour from cell (0, 100).
                const u16* pic = reinterpret_cast<const u16*>(gPicShow.frameBuf[1]);
                EXPECT_EQ(std::tuple(pic[100 * 640], pic[101 * 640]),
                          std::tuple(ConvertPixel(0x001F), 0));
            }
        }
    }
    // The closing fade ran.
    EXPECT_EQ(std::tuple(sawInterval, lastFrame, GetGameFlag(300), gRunState & kRunTransition,
                         gFrameInterval, gTalkSoundFlags & 0x03u, gMapArchiveFile.IsOpen(),
                         gPicShow.counter > 10000),
              std::tuple(true, 3u, 1, 0u, kFrameMs, 0x02u, true, true));
    // D6 keeps the archive closed after the next show.
    Run("KeepMapClosed\n PictureShow \"bands.pak\"\n WaitPictureShow");
    EXPECT_EQ(std::tuple(gMapArchiveFile.IsOpen(), gScriptScene.skipReopen),
              std::tuple(false, false));
    // Only the disc in drive F holds the show, under tlv5e\Video.
    std::string name = kSamplePicShowName;
    std::filesystem::create_directories(h.Path("disc/tlv5e/Video"));
    std::filesystem::rename(h.Path("Video/" + name), h.Path("disc/tlv5e/Video/" + name));
    HostSetDrive('F', h.Path("disc"));
    HostSetVolumeLabel('F', "AudioCD");
    FindCdDrives(gCdPath);
    for (u8 mode : {1, 2}) {
        gInstallMode = mode;
        ClearGameFlag(300);
        Start("KeepMapClosed\n PictureShow \"" + name + "\"\n WaitPictureShow\n SetFlag 300");
        bool sawRunning = false;
        for (int f = 0; f < 200 && TalkRunning(); ++f) {
            Frame();
            sawRunning |= gPicShow.running;
        }
        EXPECT_EQ(std::tuple(sawRunning, GetGameFlag(300)), std::tuple(true, 1)) << int(mode);
    }
    // The disc is gone and the player answers the prompt with Q: the game
    // quits and the talk stays on the command.
    HostSetVolumeLabel('F', "Other");
    PlatformSetKey(0x10, true);
    Run("PictureShow \"" + name + "\"\n SetFlag 301", 3);
    EXPECT_EQ(std::tuple(gRunState & kRunQuit, GetGameFlag(301), gPicShow.running),
              std::tuple(kRunQuit, 0, false));
}

// ---- role commands on the town's people ----

TEST_F(SceneCommandTest, RestoresWaitsTurnSnapLayersTakeOffAndEndOfPart) {
    ActPlayer* p = gMapRoles[guard].act;
    const std::tuple<const char*, i32, i32> cases[] = {
        {"RestoreAction", 3, 0}, {"RestoreDir", 0, 4}, {"RestoreAct", 3, 4}};
    for (const auto& [cmd, action, dir] : cases) {
        p->action = 0;
        p->dir = 0;
        Start(std::string(cmd) + " 100");
        gTalkTurn = TalkTurn{guard, 3, 4};
        Finish(5);
        EXPECT_EQ(std::tuple(p->action, p->dir), std::tuple(action, dir)) << cmd;
    }
    // The role's act runs with the scene: no frame index reaches 1000, every one reaches 0.
    Start("WaitActFrame 100 1000\n SetFlag 300");
    for (int f = 0; f < 5; ++f) Frame();
    EXPECT_FALSE(GetGameFlag(300));
    ResetTalkContext(&gTalkContext);
    // No boxes: the box waits go on.
    Run("WaitActFrame 100 0\n SetFlag 300\n WaitSpeaker 100\n WaitBoxTextOut 100\n"
        " WaitBoxFlag8000 0xFFFD\n SetFlag 301");
    EXPECT_EQ(std::tuple(GetGameFlag(300), GetGameFlag(301)), std::tuple(1, 1));
    // A box of role 100 holds WaitBoxTextOut until its text is all out; the
    // box stays open, and holds WaitSpeaker until CloseSpeakerBoxes.
    Start("Show 100 \"abc\"\n WaitBoxTextOut 100\n SetFlag 302");
    for (int f = 0; f < 4; ++f) Frame();
    ASSERT_EQ(gDialogs.size(), 1u);
    EXPECT_EQ(std::tuple(gDialogs[0]->textDone, GetGameFlag(302)), std::tuple(false, 0));
    Finish(100);
    ASSERT_EQ(gDialogs.size(), 1u);
    EXPECT_EQ(std::tuple(gDialogs[0]->textDone, GetGameFlag(302)), std::tuple(true, 1));
    Run("CloseSpeakerBoxes 100\n WaitSpeaker 100\n SetFlag 303");
    EXPECT_EQ(std::tuple(GetGameFlag(303), gDialogs.empty()), std::tuple(1, true));
    // A role that is not here is reported.
    Run("WaitActFrame 999 1\n SetFlag 304");
    EXPECT_EQ(std::tuple(GetGameFlag(304), TakeBoxes(h)), std::tuple(1, 1u));
    RoleSlot& s = gMapRoles[guard];
    // Where the player stands from role 100, and the way the role then faces;
    // the same spot keeps the direction it had (6).
    const struct { i32 dx, dy, dir; } faces[] = {{64, 0, 3}, {-48, -48, 4}, {0, 0, 6}};
    for (const auto& k : faces) {
        s.act->dir = 6;
        std::tie(Player().x, Player().y) = std::pair<u16, u16>(s.x + k.dx, s.y + k.dy);
        Run("TurnToFace 100 0xFFF1");
        EXPECT_EQ(s.act->dir, k.dir) << k.dx << "," << k.dy;
    }
    EXPECT_TRUE(s.state & 0x80000000u);
    // Off the grid with no route of its own: its facing (right, code 3) says
    // where it came from, and it is stepped back west onto the grid.
    for (RoleRoute& rr : gRoleRoutes)
        if (rr.role == guard) ClearRoleRoute(&rr);
    s.act->dir = 3;
    u16 x0 = s.x;
    s.x = static_cast<u16>(s.x + 8);
    Run("SnapRole 100");
    EXPECT_EQ(s.x, x0);
    Run("TurnToFace 999 100\n TurnToFace 100 999\n SetFlag 300");
    EXPECT_EQ(std::tuple(TakeBoxes(h), GetGameFlag(300)), std::tuple(2u, 1));
    const std::tuple<const char*, u32> layers[] = {
        {"RoleLayer1", 1}, {"RoleLayer2", 2}, {"RoleLayer0", 0}};
    // The walker of role 100 again: each layer change is followed by a few steps.
    s.scriptId = samplePath::kWanderer;
    std::vector<int> count, bucket;
    for (const auto& [cmd, layer] : layers) {
        SCOPED_TRACE(cmd);
        Run(std::string(cmd) + " 100");
        EXPECT_EQ(s.state & 3u, layer);
        for (int f = 0; f <= 24; f += 12) {
            ASSERT_TRUE(Filings(&count, &bucket)) << "frame " << f;
            // Filed once in the layer's bucket; no role is filed twice.
            EXPECT_EQ(std::tuple(count[guard], bucket[guard],
                                 *std::max_element(count.begin(), count.end())),
                      std::tuple(1, static_cast<int>(layer), 1))
                << f;
            for (int n = 0; n < 12; ++n) Frame();
        }
    }
    Run("EndRolePart 100\n EndRolePart 999");
    EXPECT_EQ(TakeBoxes(h), 1u);
    // A role elsewhere (103) has only its record.
    Run("TakeOffMap 100\n TakeOffMap 103");
    EXPECT_FALSE(s.state & kRoleShown);
    for (u16 id : {100, 103}) EXPECT_TRUE(RecordWord(FindRecord(id), 10) & 0x1000) << id;
}

// ---- Wipes ----

TEST_F(SceneCommandTest, WipesSceneCopiesDialogLinesAndSceneObjects) {
    Start("Wipe 1 -8 20 4 100 0x7C00 0x0800\n SetFlag 300");
    Frame();
    WipeStrip* s = Strip(1);
    ASSERT_NE(s, nullptr);
    // The wipe yields: the next command waits for the next frame.
    EXPECT_EQ(
        std::tuple(s->x, s->y, s->lines, s->length, s->colour, s->mode, s->lens, GetGameFlag(300)),
        std::tuple(-8, 20, 4, 100, ConvertPixel(0x7C00), kWipeStatic, std::vector<i32>(4, 100), 0));
    Finish();

    // The same number again replaces the strip; another number adds one; a free takes one.
    Run("Wipe 1 0 0 2 50 0x001F 0x8000\n Wipe 2 0 40 3 60 0x03E0 0x4000\n FreeWipe 7");
    ASSERT_EQ(gWipeStrips.size(), 2u);
    ASSERT_NE(Strip(1), nullptr);
    EXPECT_EQ(std::tuple(Strip(1)->lines, Strip(1)->colour), std::tuple(2, ConvertPixel(0x001F)));
    Run("FreeWipe 1");
    EXPECT_EQ(std::tuple(Strip(1) == nullptr, gWipeStrips.size()), std::tuple(true, 1u));
    // Made empty, then every drawn frame adds 48..58 pixels to each line.
    MakeWipeStrip(3, 0, 100, 3, 300, 0x001F, 0x8000);
    s = Strip(3);
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
    // 300 pixels at most 58 a frame.
    EXPECT_EQ(std::tuple(frames >= 6, s->lens), std::tuple(true, std::vector<i32>(3, 300)));
    // A full strip stays as a band: it does not free itself.
    for (int f = 0; f < 5; ++f) Frame();
    EXPECT_NE(Strip(3), nullptr);
    // During a map change the canvas is black under the strips.
    Run("Wipe 4 100 200 2 64 0x7FFF 0x0800\n Wipe 1 -8 -2 4 100 0x7FFF 0x0800\n Wipe 2 600 478 "
        "65535 65535 0x7FFF 0x0800\n Wipe 3 0 300 0 80 0x7FFF 0x0800");
    gViewMode |= kViewChanging;
    Frame();
    // Rows 200 and 201 from x 100 to 163; nothing around them.
    for (int y = 199; y <= 202; ++y)
        for (int x = 99; x <= 164; ++x)
            EXPECT_EQ(At(x, y) != 0, x >= 100 && x < 164 && y >= 200 && y <= 201) << x << "," << y;
    // Lines above the screen are passed over, the part left of it is cut off
    // (the scene clears the first two pixels of every line); a strip far past
    // the right and bottom edges draws only what lies on the screen; a strip of
    // no lines draws nothing.
    const std::tuple<int, int, bool> px[] = {
        {2, 0, 1},     {91, 0, 1},    {92, 0, 0},    {2, 1, 1},     {91, 1, 1},
        {92, 1, 0},    {2, 2, 0},     {599, 478, 0}, {600, 478, 1}, {639, 478, 1},
        {599, 479, 0}, {600, 479, 1}, {639, 479, 1}, {10, 300, 0}};
    for (auto [x, y, lit] : px) EXPECT_EQ(At(x, y) != 0, lit) << x << "," << y;
    EXPECT_EQ(gWipeStrips.size(), 4u);  // the strip of no lines stays until freed
    gViewMode &= ~kViewChanging;
    ReleaseWipeEffects();

    // A grow-and-free strip of 200 pixels and a shrink-and-free one are gone
    // after a few frames; the wait holds the talk until then.
    for (const char* wipe :
         {"Wipe 5 0 60 2 200 0x001F 0x2000", "Wipe 6 0 60 2 300 0x001F 0x1000"}) {
        int frames = Run(std::string(wipe) + "\n WaitWipes");
        EXPECT_EQ(std::tuple(gWipeStrips.empty(), frames >= 3, frames <= 10),
                  std::tuple(true, true, true))
            << wipe;
    }

    // A role head alone holds the wait too, until the release frees it.
    AddRoleHead(1, 2, 100, 100);
    Start("WaitWipes");
    for (int f = 0; f < 6; ++f) Frame();
    EXPECT_TRUE(TalkRunning());
    ReleaseRoleHeads();
    EXPECT_LT(Finish(), 200);

    // The release frees strips and heads at once.
    AddRoleHead(1, 2, 100, 100);
    Run("Wipe 1 0 0 4 100 0x001F 0x0800\n Wipe 2 0 8 4 100 0x001F 0x4000\n ReleaseWipes\n SetFlag "
        "301");
    // Its further words were read past.
    EXPECT_EQ(std::tuple(gWipeStrips.empty(), gRoleHeads == nullptr, GetGameFlag(301)),
              std::tuple(true, true, 1));
    // Scene objects, copies, lines.
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
    gKeptTexts.clear();
    std::string longText(300, 'a');
    Run("DialogLine \"first line\"\n DialogLine \"" + longText + "\"");
    ASSERT_EQ(gKeptTexts.size(), 2u);
    // The text and at most its padding; the long one cut.
    EXPECT_EQ(
        std::tuple(gKeptTexts[0].rfind("first line", 0), gKeptTexts[0].size() <= 11, gKeptTexts[1]),
        std::tuple(0u, true, std::string(255, 'a')));
    // The ring plays its passes and ends; the object then leaves its list.
    EXPECT_GE(Run("AddActA 50 60 6001 0\n WaitSceneObject 50 60\n SetFlag 300"), 8);
    EXPECT_EQ(std::tuple(GetGameFlag(300), gScriptActA.empty()), std::tuple(1, true));
    // Other keys do not hold it; an empty list goes on at once.
    EXPECT_LE(Run("AddActB 1 1 6001 0\n WaitSceneObject 50 60"), 3);
    EXPECT_FALSE(gScriptActB.empty());
    gScriptActB.clear();
    // The extra animation lists on the screen.
    auto lit = [this] {
        int n = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) n += At(x, y) != 0;
        return n;
    };
    SetGameFlag(9);  // no cursor over the picture
    // During a map change only the top list is drawn, on black: list B shows, list A does not.
    gViewMode |= kViewChanging;
    ScriptActObject o;
    ResetActPlayer(&o.act);
    std::tie(o.act.act, o.act.action, o.k1, o.k2) = std::tuple(kMagicRing, 0, 300, 200);
    gScriptActA.push_front(o);
    DrawWorld();
    EXPECT_EQ(lit(), 0) << "list A drew during a map change";
    gScriptActA.clear();
    gScriptActB.push_front(o);
    DrawWorld();
    // The first frame's ring (two pixels wide) is centred on the object's point
    // and shows its own colour on black: nothing lit beyond its 24-pixel reach.
    const u16 ring = ConvertPixel((31 << 10) | (16 << 5) | 4);
    for (int x : {300 - 4, 300 - 3, 300 + 2, 300 + 3}) EXPECT_EQ(At(x, 200), ring) << x;
    EXPECT_EQ(std::tuple(At(300, 200 - 24), At(300 - 24, 200)), std::tuple(0, 0));
    // It plays through and leaves after the frame its act ends.
    frames = 1;
    while (!gScriptActB.empty() && frames < 60) {
        DrawWorld();
        ++frames;
    }
    EXPECT_EQ(std::tuple(frames >= 10, frames < 60), std::tuple(true, true));
    gViewMode &= ~kViewChanging;
    // On the map list A is drawn too, with its full red around the point.
    o.k1 = o.k2 = 100;
    gScriptActA.push_front(o);
    DrawWorld();
    for (int x : {96, 97, 102, 103}) EXPECT_EQ(ConvertPixelBack(At(x, 100)) >> 10, 31) << x;
    // Map entry frees both lists.
    gScriptActB.push_front(o);
    ReleaseMapTransients();
    EXPECT_EQ(std::tuple(gScriptActA.empty(), gScriptActB.empty()), std::tuple(true, true));
}

// ---- Scene objects, copies, lines ----

// ---- The party, control and role effects ----

TEST_F(SceneCommandTest, GatherPartyStepCountAndRoleEffects) {
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
    std::tie(f.x, f.y) = XY(Player());
    Finish();
    EXPECT_EQ(std::tuple(GetGameFlag(300), f.state & 0x4000000u, f.act->delayOverride),
              std::tuple(1, 0u, 0));
    // Without followers it goes on after its first frame.
    f.state &= ~kRoleFollows;
    EXPECT_LE(Run("GatherParty"), 3);
    gStepCount = 77;
    Run("ClearStepCount");
    EXPECT_EQ(gStepCount, 0u);

    // An entry past the table and an unknown role change nothing.
    Run("AttachEffect 0xFFF1 3\n AttachEffect 100 11\n AttachEffect 0xFFF1 12\n"
        " AttachEffect 999 1\n DetachEffect 999");
    EXPECT_EQ(std::tuple(Player().second, gMapRoles[guard].second),
              std::tuple(&gActSlots[3], &gActSlots[11]));
    Run("DetachEffect 0xFFF1");
    EXPECT_EQ(std::tuple(Player().second == nullptr, gMapRoles[guard].second),
              std::tuple(true, &gActSlots[11]));
}

// ---- Sending roles to maps ----

TEST_F(SceneCommandTest, SendRoleMovesRolesBetweenMapsAndCells) {
    // The guard on this map goes to another cell here: the same row, a new place
    // (its record keeps it still once it is built again).
    SetRecordWord(FindRecord(100), 8, 0);
    Run("SendRole 100 1 14 31");
    RoleSlot& g = gMapRoles[guard];
    ASSERT_EQ(std::tuple(XY(g), g.cell),
              std::tuple(std::pair(14 * 16, 31 * 16), &gMap.cells[31 * gMap.width + 14]));
    EXPECT_EQ(std::tuple(*g.cell & kCellRole, gMap.cells[30 * gMap.width + 12] & kCellRole),
              std::tuple(kCellRole, 0u));

    // Off to the room, keeping its cell: gone from this map, the record follows.
    u32* cell = g.cell;
    Run("SendRole 100 3 0xFFFF 0xFFFF");
    EXPECT_EQ(std::tuple(FindRoleById(100), *cell & kCellRole), std::tuple(-1, 0u));
    i32 row = FindRecord(100);
    EXPECT_EQ(std::tuple(RecordWord(row, 0), RecordWord(row, 5), RecordWord(row, 6)),
              std::tuple(kRoom, 14, 31));
    for (int b = 0; b < kBuckets; ++b)
        for (int r = -kBucketRowBias; r < static_cast<int>(gMap.height) + kBucketRowBias; ++r)
            for (RoleSlot* s = BucketRow(b, r); s; s = s->next) EXPECT_NE(s->roleId, 100);

    // An unknown role is refused and the talk goes on; a cell outside the map is
    // brought to its last cell.
    Run("SendRole 999 1 2 2\n SetFlag 300");
    EXPECT_EQ(std::tuple(TakeBoxes(h), GetGameFlag(300)), std::tuple(1u, 1));
    i32 count = gMapRoleCount;
    Run("SendRole 103 1 500 600");
    EXPECT_EQ(std::tuple(FindRoleById(103), gMapRoleCount), std::tuple(-1, count));
    row = FindRecord(103);
    EXPECT_EQ(std::tuple(RecordWord(row, 0), RecordWord(row, 5), RecordWord(row, 6)),
              std::tuple(kTown, kTownW - 1, kTownH - 1));
    // The role kept off this map comes here: a new row built from its record.
    Run("SendRole 103 1 20 21");
    int n = FindRoleById(103);
    ASSERT_GE(n, 0);
    EXPECT_EQ(std::tuple(gMapRoleCount, gMapRoles[n].x, gMapRoles[n].y, gMapRoles[n].act != nullptr,
                         gMap.cells[21 * gMap.width + 20] & kCellRole),
              std::tuple(count + 1, 20 * 16, 21 * 16, true, kCellRole));

    // Leaving the map stores no record from the row that went away.
    LoadCity(kRoom, 5, 5, 1, 0, 1, 1);
    EXPECT_EQ(std::tuple(gMapId, RecordWord(FindRecord(100), 0)), std::tuple(kRoom, kRoom));
}

// The commands reach the overlay lists (whose easing and leaving the overlay
// tests pin) and go on in their frame; the tick draws what they add.
TEST_F(SceneCommandTest, HeadsObjectsAndMarkersThroughTheTick) {
    // The sample's talk 20: the head stood at its place while the box was up,
    // then slid away.
    StartTalk(20, kSamplePlayerRole);
    int frames = 0, atPlace = 0;
    for (; TalkRunning() && frames < 200; ++frames) {
        Frame();
        atPlace += gRoleHeads && gRoleHeads->x == 100 && gRoleHeads->y == 300;
    }
    for (int f = 0; f < 10; ++f) Frame();
    EXPECT_EQ(std::tuple(GetGameFlag(206), atPlace >= 15, CountHeads()), std::tuple(1, true, 0));
    EXPECT_EQ(ExtraFrames("AddRoleHead 20 0 100 60"), 0);
    ASSERT_EQ(CountHeads(), 1);
    RoleHead* head = gRoleHeads;
    EXPECT_EQ(std::tuple(head->key1, head->targetX, head->y), std::tuple(kPortrait, 100, 60));
    for (int f = 0; f < 8; ++f) Frame();
    i32 inside = 100 - kPortraitHotX + 30, row = 60 + 80;
    EXPECT_EQ(std::tuple(head->x, At(inside, row)), std::tuple(100, Colour(0)));
    // Show puts a new head in at once while the old one leaves.
    Run("ShowRoleHead 20 0 400 0x8032");
    EXPECT_EQ(std::tuple(gRoleHeads->x, gRoleHeads->y), std::tuple(400, 0x32));
    for (int f = 0; f < 8; ++f) Frame();
    EXPECT_EQ(std::tuple(CountHeads(), At(inside, row) == Colour(0),
                         At(400 - kPortraitHotX + 30, 0x32 + 80)),
              std::tuple(1, false, Colour(0)));
    EXPECT_EQ(ExtraFrames("DismissRoleHead 20 0"), 0);
    EXPECT_EQ(CountHeads(), 0);
    // Release takes every head and every object at once. Places at the far end
    // of a word stay there (off the screen), the head's top bit aside.
    Run("AddRoleHead 20 0 100 60\n AddRoleHead 20 1 65535 0xFFFF\n AddAntiAliasObject 20 1 300 60");
    EXPECT_EQ(std::tuple(CountHeads(), CountObjects(), gRoleHeads->x, gRoleHeads->y),
              std::tuple(2, 1, 65535, 0x7FFF));
    EXPECT_EQ(ExtraFrames("ReleaseRoleHeads"), 0);
    EXPECT_EQ(std::tuple(CountHeads(), CountObjects()), std::tuple(0, 0));
    EXPECT_EQ(ExtraFrames("AddAntiAliasObject 20 0 100 0x8064\n AddAntiAliasObject 20 1 400 100"),
              0);
    AntiAliasObject *placed = FindAntiAliasObject(kPortrait, 0),
                    *sliding = FindAntiAliasObject(kPortrait, 1);
    ASSERT_TRUE(placed && sliding);
    EXPECT_EQ(std::tuple(placed->x, placed->y, sliding->targetX), std::tuple(100, 100, 400));
    for (int f = 0; f < 12; ++f) Frame();
    EXPECT_EQ(std::tuple(At(100 - kPortraitHotX + 30, 180), At(400 - kPortraitHotX + 30, 180)),
              std::tuple(Colour(0), Colour(1)));
    // Removing one leaves the other; a key that matches nothing changes nothing.
    EXPECT_EQ(ExtraFrames("RemoveAntiAliasObject 20 0\n RemoveAntiAliasObject 20 9"), 0);
    Frame();
    EXPECT_EQ(std::tuple(CountObjects(), GetAntiAliasObjects()->subId,
                         At(100 - kPortraitHotX + 30, 180) == Colour(0)),
              std::tuple(1, 1u, false));
    // Replace clears the list before it adds; objects never leave on their own.
    Run("AddAntiAliasObject 20 0 200 0x8064\n ReplaceAntiAliasObjects 20 0 65535 0x8010");
    for (int f = 0; f < 30; ++f) Frame();
    ASSERT_EQ(CountObjects(), 1);
    EXPECT_EQ(std::tuple(GetAntiAliasObjects()->x, GetAntiAliasObjects()->y),
              std::tuple(65535, 0x10));
    // An act that does not exist: one box, the talk goes on past the command.
    Run("ReleaseRoleHeads");
    EXPECT_EQ(ExtraFrames("AddRoleHead 2900 0 100 20\n AddAntiAliasObject 2900 1 300 20"), 0);
    for (int f = 0; f < 20; ++f) Frame();
    EXPECT_EQ(std::tuple(GetGameFlag(300), TakeBoxes(h)), std::tuple(1, 1u));
    // A map change clears heads and objects.
    Run("AddRoleHead 20 0 100 20\n AddAntiAliasObject 20 0 100 20\n"
        " ChangeMap 3 4 5 0xFFFF 0xFFFF 0xFFFF\n SetFlag 300");
    EXPECT_EQ(std::tuple(gMapId, GetGameFlag(300), CountHeads(), CountObjects()),
              std::tuple(kRoom, 1, 0, 0));
}

TEST_F(SceneCommandTest, NameMarkersBalloonsAndAnswerKeys) {
    // "ABCD": 4 columns, one line: 36 x 18, frame 18 / 18 + 10 x (36 / 18 - 1) = 11.
    const DialogRecord& one = ShownBox("Show 100 \"%KABCD\"");
    EXPECT_EQ(std::tuple(one.w, At(one.x - 3, one.y - 13)), std::tuple(36, Art(9013, 11)));
    ASSERT_NE(Art(9013, 11), Art(9013, 32));
    // Eight columns over two lines: 72 x 36, frame 2 + 10 x 3 = 32.
    const DialogRecord& two = ShownBox("Show 100 \"%KABCDEFGH%NAB\"");
    EXPECT_EQ(std::tuple(two.h, At(two.x - 3, two.y - 13)), std::tuple(36, Art(9013, 32)));
    const DialogRecord& r = ShownBox("BoxCaption 2\n Show 100 \"%KABCD\"");
    ASSERT_NE(r.caption[0], 0);
    // The marker with text stands at (x - 17, y - 43); frame 11 as above.
    EXPECT_EQ(At(r.x - 15, r.y - 41), Art(9012, 11));
    // The name starts at x - 13 x length / 4 + 36, at y - 29.
    i32 len = static_cast<i32>(std::strlen(r.caption));
    i32 textX = r.x - 13 * len / 4 + 36;
    EXPECT_EQ(Ink(textX - 12, textX, textX + 8 * len, r.y - 29, r.y - 13, ConvertPixel(0x7FFF)),
              std::pair(0, true));
    // A box with no person (a spot or a message) has no marker.
    const DialogRecord& msg = ShownBox("BoxAt 300 300\n Show 0xFFFD \"%KABCD\"");
    EXPECT_NE(At(msg.x - 3, msg.y - 13), Art(9013, 11));
    // Four narrow characters: 315 - 11 x (4 / 2) = 293, frame 1.
    const DialogRecord& bound1 = ShownBox("BoxBound\n Show 100 \"%KABCD\"");
    EXPECT_EQ(std::tuple(bound1.x, bound1.y, At(4, 4)),
              std::tuple(293, kBalloonTextY, Art(9016, 1)));
    const u16 ink = TextColourAt(0);
    EXPECT_EQ(Ink(0, 293, 640, kBalloonTextY, kBalloonTextY + 18, ink), std::pair(0, true));
    // 45 characters pass 40: bound2 lines from x 95, frame 2.
    const DialogRecord& bound2 = ShownBox("BoxBound\n Show 100 \"%K" + std::string(45, 'W') + "\"");
    EXPECT_EQ(std::tuple(bound2.x, bound2.h, At(4, 50)), std::tuple(95, 36, Art(9016, 2)));
    // The second line.
    EXPECT_EQ(Ink(0, 95, 640, kBalloonTextY + 18, kBalloonTextY + 36, ink), std::pair(0, true));
    // With two answers a step either way lands on the same one; with three, up
    // and left go back (wrapping to the last) and down and right go on.
    Start(
        "Say 0xFFF1 \"%KWhich?%N%BA%N%BB%N%BC\"\n WaitSpeaker 0xFFF1\n"
        " JumpByAnswer @a @b @c\na:\n SetFlag 300\n End\nb:\n SetFlag 301\n End\n"
        "c:\n SetFlag 302\n End");
    for (int i = 0; i < 10 && gScreenItems.size() < 3; ++i) Frame();
    ASSERT_EQ(gScreenItems.size(), 3u);
    const std::pair<u8, u32> steps[] = {
        {kScanUp, 2}, {kScanLeft, 1}, {kScanRight, 2}, {kScanDown, 0}};
    for (auto [key, answer] : steps) {
        TapKey(h, key, 2);
        EXPECT_EQ(gChosenAnswer, answer) << int(key);
    }
    TapKey(h, kScanUp, 2);
    TapKey(h, static_cast<u8>(gMapKeyCodes[1]), 2);
    Finish();
    EXPECT_EQ(std::tuple(GetGameFlag(300), GetGameFlag(301), GetGameFlag(302)),
              std::tuple(0, 0, 1));
}

}  // namespace
