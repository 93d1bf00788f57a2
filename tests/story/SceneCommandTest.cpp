// Map, view, scene and media commands and the role commands that need a real
// map: talks written with the assembler and run through the frame tick on the
// sample game's town.
#include <filesystem>

#include "TownTalkFixture.h"
#include "data/GameFlags.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Water.h"
#include "mhdata/PathAsm.h"
#include "mhdata/PicShowPack.h"
#include "platform/HostFs.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"
#include "sound/BinkPlayer.h"
#include "sound/Sound.h"
#include "story/PicShow.h"
#include "story/ScriptScene.h"

namespace {

using namespace sampleMap;

class SceneCommandTest : public TownTalkFixture {
protected:
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
                u16 p = *PaintPixelAddr(x, y);
                top = std::max({top, p >> 11, (p >> 6) & 31, p & 31});
            }
        return top;
    }
};

TEST_F(SceneCommandTest, ChangeMapToTheRoomAndBackKeepingValues) {
    Player().act->dir = 5;
    // The room at cell (4, 5), the direction kept; then back to the town at the
    // same cell with a new direction.
    const struct {
        const char* body;
        u32 map;
        u16 dir;
    } cases[] = {{"ChangeMap 3 4 5 0xFFFF 0xFFFF 0xFFFF", kRoom, 5},
                 {"ChangeMap 1 0xFFFF 0xFFFF 0xFFFF 0xFFFF 2", kTown, 2}};
    for (const auto& k : cases) {
        Run(k.body);
        EXPECT_EQ(std::tuple(gMapId, XY(Player()), RecordWord(FindRecord(kPlayerRole), 4)),
                  std::tuple(k.map, std::pair(64, 80), k.dir));
        EXPECT_EQ(gViewMode & kViewChanging, 0u);
    }
}

TEST_F(SceneCommandTest, ChangeToAMissingMapIsRefusedAndEndsTheTalk) {
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
}

TEST_F(SceneCommandTest, FadeChangeRunsItsFrameSequence) {
    Write("FadeChangeMap 3 2 2 0xFFFF 0xFFFF 0xFFFF\n SetFlag 300");
    StartTalk(1, kPlayerRole);
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
    EXPECT_TRUE(GetGameFlag(300));
    // The map changes only after the screen went fully dark.
    size_t change = std::find(mapAt.begin(), mapAt.end(), kRoom) - mapAt.begin();
    ASSERT_LT(change, mapAt.size());
    EXPECT_GE(change, 20u);
    EXPECT_FLOAT_EQ(red[change - 1], -30.0f);  // fully dark when the map changes
    EXPECT_FLOAT_EQ(red[change + 1], -27.0f);  // then the fade back in
    EXPECT_FLOAT_EQ(red[0], -1.5f);            // the fade steps in the frame it starts
    // What the player sees: from the first fully dark frame until the fade back
    // in, no frame shows the map (old or new) at more than the darkest step.
    size_t dark = std::find(red.begin(), red.end(), -30.0f) - red.begin();
    ASSERT_LT(dark, change);
    for (size_t f = dark; f <= change; ++f) EXPECT_LE(bright[f], 1) << "frame " << f;
    ASSERT_FALSE(waiting.empty());
    for (int b : waiting) EXPECT_LE(b, 1) << "a frame drawn while the change waits";
    EXPECT_LE(bright[change + 1], 4);  // -27 of 31 steps
    EXPECT_GT(bright.back(), 4);       // the room at full light at the end
}

TEST_F(SceneCommandTest, ScrollAndItsWait) {
    gViewX = gViewY = 0;
    // Two cells right at 4 pixels a frame: the wait holds for 8 frames.
    int frames = Run("ScrollBy 2 1 4\n WaitScroll\n SetFlag 300");
    EXPECT_EQ(std::tuple(gViewX, gViewY, GetGameFlag(300), ScrollUnderWay()),
              std::tuple(32, 16, 1, false));
    EXPECT_GE(frames, 8);
    EXPECT_LE(frames, 10);
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
}

TEST_F(SceneCommandTest, ScrollToARoleCentresTheView) {
    gViewX = gViewY = 0;
    // Centred on the role: (600 - 320, 400 - 240), inside the 1024 x 768 town;
    // near the town's far corner the view stops at the edge.
    const std::pair<u16, u16> at[] = {{600, 400}, {1000, 760}};
    const std::pair<i32, i32> view[] = {{280, 160}, {1024 - 640, 768 - 480}};
    for (int k = 0; k < 2; ++k) {
        std::tie(gMapRoles[guard].x, gMapRoles[guard].y) = at[k];
        Run("ScrollToRole 100 8\n WaitScroll");
        EXPECT_EQ(std::pair(gViewX, gViewY), view[k]);
    }
}

TEST_F(SceneCommandTest, ColourFadeWaitAndStop) {
    EXPECT_GE(Run("ColorFade 40 0 -4 -2 1 1 5\n WaitColorFade"), 5);
    // Red capped at 31 first, then five steps of -2.
    EXPECT_EQ(std::tuple(gColorFade.acc[0], gColorFade.acc[1], gColorFade.acc[2]),
              std::tuple(21.0f, 5.0f, 1.0f));
    EXPECT_FALSE(ColorFadeUnderWay());
    EXPECT_LT(Run("ColorFade 0 0 0 1 1 1 100\n Wait 70\n StopColorFade\n WaitColorFade"), 20);
    EXPECT_EQ(std::tuple(gColorFade.counter, gColorFade.delta[0]), std::tuple(0, 0.0f));
}

TEST_F(SceneCommandTest, SpotlightAndViewFlags) {
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
}

TEST_F(SceneCommandTest, SceneTextsSwitchesAndSkips) {
    Run("SceneText0 \"港口\"\n SceneText1 \"燈塔\"\n SoundFlagOn\n Skip4a\n Skip4c\n FastModeOff");
    EXPECT_EQ(
        std::tuple(std::string(gScriptScene.sceneText[0]), std::string(gScriptScene.sceneText[1])),
        std::tuple(B5("港口"), B5("燈塔")));
    EXPECT_EQ(std::tuple(GetGameFlag(77), GetGameFlag(78), gTalkSoundFlags),
              std::tuple(1, 1, 0x10u));
    Run("FreeSceneText0\n SoundFlagOff\n ClearMapEffect 40\n ClearMapEffect 41");
    EXPECT_EQ(
        std::tuple(gScriptScene.sceneText[0][0], GetGameFlag(77), GetGameFlag(78), gTalkSoundFlags),
        std::tuple(0, 0, 1, 0u));
    // A scene text longer than its field is cut.
    Run("SceneText0 \"" + std::string(80, 'a') + "\"");
    EXPECT_EQ(std::strlen(gScriptScene.sceneText[0]), 51u);
}

TEST_F(SceneCommandTest, MusicAndSounds) {
    ASSERT_TRUE(gSound.Init(h.root().c_str()));
    // Piece n plays as track n + 1; the tick's audio service took the new mode.
    Run("Music 3 0 2");
    EXPECT_EQ(std::tuple(gMusic.GetList(1).slots[0].id, gMusic.GetMode()), std::tuple(4, 1));
    // The volume command names its piece: another piece changes nothing, and
    // the manager's own volume stays for the pieces after.
    int before = gMusic.GetVolume();
    int pieceBefore = gStream.GetVolume();
    Run("MusicVolume 1 60");
    EXPECT_EQ(std::tuple(gMusic.GetVolume(), gStream.GetVolume()), std::tuple(before, pieceBefore));
    ASSERT_EQ(gMusic.CurrentKind(), cMusic::kStream);
    Run("MusicVolume 3 60");
    EXPECT_EQ(std::tuple(gMusic.GetVolume(), gStream.GetVolume()), std::tuple(before, 60));
    Run("StopMusic");
    EXPECT_EQ(gMusic.GetList(1).slots[0].id, 0);
    EXPECT_NE(gMusic.GetMode(), 1);
    Run("Sound 1\n Sound2 2");
    EXPECT_EQ(gSound.PlayingCount(), 2);
    Run("StopSound 1");
    EXPECT_EQ(std::tuple(gSound.IsFinished(1), gSound.IsFinished(2)), std::tuple(1, 0));
    gSound.Release();
}

TEST_F(SceneCommandTest, VideoClosesTheArchiveAndReopenBringsItBack) {
    gInstallMode = 2;  // installed, the shows on the disc
    Start("Video \"MH OPENING.BIK\"\n ReopenMap\n SetFlag 300\n End");
    for (int f = 0; f < 5 && !(gRunState & kRunVideo); ++f) Frame();
    EXPECT_TRUE(gRunState & kRunVideo);
    EXPECT_TRUE(gScriptScene.archiveClosed);
    StopVideo();
    gRunState &= ~kRunVideo;
    Finish(10);
    EXPECT_EQ(std::tuple(GetGameFlag(300), gScriptScene.archiveClosed, gMapArchiveFile.IsOpen()),
              std::tuple(1, false, true));
    // The video start leaves install mode 52 ('4'): a later picture show
    // opens from "Video\" on the base folder, with no disc asked for.
    EXPECT_EQ(gInstallMode, 0x34);
    Run(std::string("PictureShow \"") + kSamplePicShowName + "\"\n WaitPictureShow\n SetFlag 301",
        200);
    EXPECT_EQ(std::tuple(gPicShow.frame, GetGameFlag(301)), std::tuple(3u, 1));
}

// The sample game's own talks, as mhgen wrote them (the room visit is played
// through the title in the sample visit test).
TEST_F(SceneCommandTest, SampleTalksPlayMusicAndLookAround) {
    auto runSample = [this](int n) {
        StartTalk(static_cast<u16>(n), kPlayerRole);
        EXPECT_LT(Finish(400), 400) << n;
    };
    runSample(kSampleMusicTalk);
    EXPECT_EQ(gMusic.GetList(1).slots[0].id, 4);

    i32 x0 = gViewX;
    runSample(kSampleViewTalk);
    EXPECT_EQ(std::tuple(gViewX, GetGameFlag(kSampleViewFlag), gViewMode), std::tuple(x0, 1, 0u));
}

TEST_F(SceneCommandTest, ExtraAnimationObjectsAndTheirWaits) {
    // Empty lists go on at once.
    Run("WaitActA 3\n WaitActB 3\n SetFlag 300");
    EXPECT_TRUE(GetGameFlag(300));
    // The magic ring's six frames: the wait holds until the front object shows frame 3.
    int frames = Run(
        "AddActA 7 8 6001 0\n AddActB 9 9 6001 0\n AddActA 1 2 6001 0\n WaitActA 2\n WaitActB 2");
    ASSERT_EQ(std::distance(gScriptActA.begin(), gScriptActA.end()), 2);
    EXPECT_EQ(gScriptActA.front().k1, 1);
    EXPECT_GT(gScriptActA.front().act.frame, 2);
    EXPECT_GT(gScriptActB.front().act.frame, 2);
    EXPECT_GE(frames, 4);
}

TEST_F(SceneCommandTest, WaterDropsMakeOneEffect) {
    DeleteWaterList();
    Start("WaterDrop 320 240 8 200\n WaterDrop 100 100 4 100\n VideoOverlay 9001 2");
    // Run the talk alone: the scene's ripple pass would step the water on.
    for (int f = 0; f < 5 && TalkRunning(); ++f) Talk(&gTalkContext);
    ASSERT_NE(gWaterList, nullptr);
    cWater* ripple = gWaterList->next;  // the head is the list's placeholder
    ASSERT_NE(ripple, nullptr);
    EXPECT_EQ(ripple->next, nullptr);  // both drops fall on the one effect
    bool moved = false;
    for (int c = 0; c < ripple->AreaW() && !moved; ++c)
        for (int r = 0; r < ripple->AreaH() && !moved; ++r) moved = ripple->Height(c, r) != 0;
    EXPECT_TRUE(moved);
    EXPECT_EQ(gScriptScene.videoOverlayAct, 9001u);
    DeleteWaterList();
}

// ---- the picture show ----

TEST_F(SceneCommandTest, PictureShowRunsItsFramesAndReopensTheMap) {
    gInstallMode = 0;  // run from its folder: the shows lie beside the game
    Start(std::string("PictureShow \"%") + kSamplePicShowName +
          "\"\n WaitPictureShow\n SetFlag 300");
    bool sawInterval = false;
    u32 lastFrame = 0;
    for (int f = 0; f < 200 && TalkRunning(); ++f) {
        Frame();
        if (gPicShow.running) {
            sawInterval |= gFrameInterval == 70;
            EXPECT_TRUE(gRunState & kRunTransition);
            EXPECT_GE(gPicShow.frame, lastFrame);  // frames only move on
            lastFrame = gPicShow.frame;
            if (gPicShow.frame == 1) {
                // Frame 1: rows of the first colour from cell (0, 100).
                const u16* pic = reinterpret_cast<const u16*>(gPicShow.frameBuf[1]);
                EXPECT_EQ(pic[100 * 640], ConvertPixel(0x001F));
                EXPECT_EQ(pic[101 * 640], 0);
            }
        }
    }
    EXPECT_GT(gPicShow.counter, 10000);  // the closing fade ran
    EXPECT_EQ(std::tuple(sawInterval, lastFrame, GetGameFlag(300), gRunState & kRunTransition,
                         gFrameInterval, gTalkSoundFlags & 0x03u, gMapArchiveFile.IsOpen()),
              std::tuple(true, 3u, 1, 0u, kFrameMs, 0x02u, true));
    // D6 keeps the archive closed after the next show.
    Run(std::string("KeepMapClosed\n PictureShow \"") + kSamplePicShowName +
        "\"\n WaitPictureShow");
    EXPECT_FALSE(gMapArchiveFile.IsOpen());
    EXPECT_FALSE(gScriptScene.skipReopen);
}

TEST_F(SceneCommandTest, PictureShowComesFromTheDiscWhenTheDataStayThere) {
    // Only the disc in drive F holds the show, under tlv5e\Video.
    std::string name = kSamplePicShowName;
    std::filesystem::create_directories(h.Path("disc/tlv5e/Video"));
    std::filesystem::rename(h.Path("Video/" + name), h.Path("disc/tlv5e/Video/" + name));
    HostSetDrive('F', h.Path("disc"));
    HostSetVolumeLabel('F', "AudioCD");
    FindCdDrives(gCdPath);
    for (u8 mode : {1, 2}) {
        SCOPED_TRACE(mode);
        gInstallMode = mode;
        ClearGameFlag(300);
        Start("KeepMapClosed\n PictureShow \"" + name + "\"\n WaitPictureShow\n SetFlag 300");
        bool sawRunning = false;
        for (int f = 0; f < 200 && TalkRunning(); ++f) {
            Frame();
            sawRunning |= gPicShow.running;
        }
        EXPECT_EQ(std::tuple(sawRunning, GetGameFlag(300)), std::tuple(true, 1));
    }
    // The disc is gone and the player answers the prompt with Q: the game
    // quits and the talk stays on the command.
    HostSetVolumeLabel('F', "Other");
    PlatformSetKey(0x10, true);
    Run("PictureShow \"" + name + "\"\n SetFlag 301", 3);
    EXPECT_EQ(std::tuple(gRunState & kRunQuit, GetGameFlag(301), gPicShow.running),
              std::tuple(kRunQuit, 0, false));
}

TEST_F(SceneCommandTest, PictureShowRefusesBadPacks) {
    gInstallMode = 0;
    PicShowSpec spec;
    PicShowRow good{640 * 10, std::vector<u16>(16, 0x7FFF)};
    std::vector<u8> ok = PicShowFrameBytes({good}, 16);
    auto shortHead = ok;
    StoreU32(shortHead.data(), 4);  // shorter than its own head
    auto pastFrame = ok;
    StoreU32(pastFrame.data(), static_cast<u32>(ok.size()) + 2);
    auto pastPicture = ok;
    StoreU32(pastPicture.data() + 4, 640 * 480 - 4);
    const struct {
        const char* name;
        std::vector<u8> pack;
    } cases[] = {
        {"short head", BuildPicShowPackRaw(spec, {ok, shortHead}, {1, 1})},
        {"past the frame", BuildPicShowPackRaw(spec, {pastFrame}, {1})},
        {"past the picture", BuildPicShowPackRaw(spec, {pastPicture}, {1})},
        {"more rows than bytes", BuildPicShowPackRaw(spec, {ok}, {2})},
        {"truncated",
         [&] {
             auto p = BuildPicShowPackRaw(spec, {ok, ok}, {1, 1});
             p.resize(p.size() - 1100);
             return p;
         }()},
        {"header only", std::vector<u8>(20, 0)},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        WriteHostFile(h.Path("Video/bad.pak"), k.pack);
        Run("PictureShow \"bad.pak\"\n WaitPictureShow\n SetFlag 301", 40);
        EXPECT_LT(gPicShow.counter, 10000);  // stopped, never reached the closing fade
        EXPECT_EQ(std::tuple(GetGameFlag(301), gPicShow.running, gRunState & kRunTransition),
                  std::tuple(1, false, 0u));
        ClearGameFlag(301);
    }
    // A missing pack shows its box and the talk goes on.
    Run("PictureShow \"none.pak\"\n WaitPictureShow\n SetFlag 302");
    EXPECT_TRUE(GetGameFlag(302));
    ExpectOneBox("MAni Open Failure!");
}

// ---- role commands on the town's people ----

TEST_F(SceneCommandTest, TurnToFaceAndSnap) {
    int r = guard;
    RoleSlot& s = gMapRoles[r];
    // Where the player stands from role 100, and the way the role then faces;
    // the same spot keeps the direction it had (6).
    const struct { i32 dx, dy, dir; } cases[] = {{64, 0, 3}, {-48, -48, 4}, {0, 0, 6}};
    for (const auto& k : cases) {
        s.act->dir = 6;
        Player().x = static_cast<u16>(s.x + k.dx);
        Player().y = static_cast<u16>(s.y + k.dy);
        Run("TurnToFace 100 0xFFF1");
        EXPECT_EQ(s.act->dir, k.dir) << k.dx << "," << k.dy;
    }
    EXPECT_TRUE(s.state & 0x80000000u);
    // Off the grid with no route of its own: its facing (right, code 3) says
    // where it came from, and it is stepped back west onto the grid.
    for (RoleRoute& rr : gRoleRoutes)
        if (rr.role == r) ClearRoleRoute(&rr);
    s.act->dir = 3;
    u16 x0 = s.x;
    s.x = static_cast<u16>(s.x + 8);
    Run("SnapRole 100");
    EXPECT_EQ(s.x, x0);
    Run("TurnToFace 999 100\n TurnToFace 100 999\n SetFlag 300");
    EXPECT_EQ(TakeBoxes(h), 2u);
    EXPECT_TRUE(GetGameFlag(300));
}

TEST_F(SceneCommandTest, LayersTakeOffAndEndOfPart) {
    int r = guard;
    const struct {
        const char* cmd;
        u32 layer;
    } layers[] = {{"RoleLayer1", 1}, {"RoleLayer2", 2}, {"RoleLayer0", 0}};
    // The walker of role 100 again: each layer change is followed by a few steps.
    gMapRoles[r].scriptId = samplePath::kWanderer;
    std::vector<int> count, bucket;
    for (const auto& k : layers) {
        SCOPED_TRACE(k.cmd);
        Run(std::string(k.cmd) + " 100");
        EXPECT_EQ(gMapRoles[r].state & 3u, k.layer);
        for (int f = 0; f <= 24; f += 12) {
            ASSERT_TRUE(Filings(&count, &bucket)) << "frame " << f;
            EXPECT_EQ(count[r], 1) << "frame " << f;
            EXPECT_EQ(bucket[r], static_cast<int>(k.layer)) << "frame " << f;
            for (int i = 1; i < gMapRoleCount; ++i)
                if (gMapRoles[i].state & kRoleShown) {
                    EXPECT_LE(count[i], 1) << "role " << i;
                }
            for (int n = 0; n < 12; ++n) Frame();
        }
    }
    Run("EndRolePart 100\n EndRolePart 999");
    EXPECT_EQ(TakeBoxes(h), 1u);
    // A role elsewhere (103) has only its record.
    Run("TakeOffMap 100\n TakeOffMap 103");
    EXPECT_FALSE(gMapRoles[r].state & kRoleShown);
    for (u16 id : {100, 103}) EXPECT_TRUE(RecordWord(FindRecord(id), 10) & 0x1000) << id;
}

TEST_F(SceneCommandTest, RestoresUseTheTalkTurnValues) {
    int r = guard;
    ActPlayer* p = gMapRoles[r].act;
    const struct {
        const char* cmd;
        i32 action, dir;
    } cases[] = {{"RestoreAction", 3, 0}, {"RestoreDir", 0, 4}, {"RestoreAct", 3, 4}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.cmd);
        p->action = 0;
        p->dir = 0;
        Start(std::string(k.cmd) + " 100");
        gTalkTurn = TalkTurn{r, 3, 4};
        Finish(5);
        EXPECT_EQ(std::tuple(p->action, p->dir), std::tuple(k.action, k.dir));
    }
}

TEST_F(SceneCommandTest, WaitsOnBoxesAndActFrames) {
    // The role's act runs with the scene: no frame index reaches 1000, every one reaches 0.
    Start("WaitActFrame 100 1000\n SetFlag 300");
    for (int f = 0; f < 5; ++f) Frame();
    EXPECT_FALSE(GetGameFlag(300));
    ResetTalkContext(&gTalkContext);
    Run("WaitActFrame 100 0\n SetFlag 300");
    EXPECT_TRUE(GetGameFlag(300));
    // No boxes: the box waits go on.
    Run("WaitSpeaker 100\n WaitBoxTextOut 100\n WaitBoxFlag8000 0xFFFD\n SetFlag 301");
    EXPECT_TRUE(GetGameFlag(301));
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
}

}  // namespace
