// A new game on the sample town with the real start-up, and talk 1 written from
// assembler text and run through the frame tick.
#pragma once
#include <string>
#include <vector>

#include "../map/MapTestSupport.h"
#include "StoryTestUtil.h"
#include "engine/DDraw.h"
#include "engine/PicPaint.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "mhdata/StoryAsm.h"
#include "shell/Main.h"
#include "story/Talk.h"

class TownTalkFixture : public MapFixture {
protected:
    int guard = -1;  // slot of role 100, held still

    void SetUp() override {
        MapFixture::SetUp();
        // The real start-up gives the scene its drawing surface.
        h.StartGame();
        ASSERT_NE(gDrawSurface, nullptr);
        ASSERT_EQ(StartNewGame(1), 1);
        gGameActive = 1;
        gFrameId = 0;
        gFrameInterval = 0;
        ResetTalkContext(&gTalkContext);
        // Role 100 stands still: no behaviour program moves it under the tests.
        guard = FindRoleById(100);
        ASSERT_GE(guard, 0);
        gMapRoles[guard].scriptId = 0;
        h.boxes().clear();
    }
    // No test expects an error box it does not clear.
    void TearDown() override {
        EXPECT_TRUE(h.boxes().empty()) << h.boxes().front().caption;
        MapFixture::TearDown();
    }
    void Write(const std::string& body) {
        WriteHostFile(h.Path("MH_Data/Talk1.dat"), Assemble("talk 1\n " + body + "\n End\n"));
    }
    // One frame of the real tick, called as the main loop calls it: nothing
    // ticks once the game has shut down.
    void Frame() {
        PlatformAdvanceTime(35);
        if (gGameActive && !gSuspended) GameFrame();
    }
    void Start(const std::string& body, u16 owner = sampleMap::kPlayerRole) {
        Write(body);
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
    int Run(const std::string& body, int limit = 200, u16 owner = sampleMap::kPlayerRole) {
        Start(body, owner);
        return Finish(limit);
    }
    RoleSlot& Player() { return gMapRoles[gPlayerSlot]; }
    static std::pair<int, int> XY(const RoleSlot& r) { return {r.x, r.y}; }
    static u16 At(i32 x, i32 y) { return *PaintPixelAddr(x, y); }
    // The one error box shown so far has this caption; the list is cleared.
    void ExpectOneBox(const std::string& caption) {
        ASSERT_EQ(h.boxes().size(), 1u);
        EXPECT_EQ(h.boxes()[0].caption, caption);
        h.boxes().clear();
    }
};
