// Shared setup of the map tests: a sample game in the harness root, the sample
// town entered by a new game, and a small hand-made map grid.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/MemDbg.h"
#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/DrawOrder.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "engine/FrameState.h"
#include "base/Types.h"
#include "shell/Settings.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleGame.h"
#include "mhdata/SampleTalks.h"
#include "sound/Music.h"
#include "story/Talk.h"
#include "support/Harness.h"

class MapFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMusic();
        std::string err;
        ASSERT_TRUE(WriteSampleGame(h.root().substr(0, h.root().size() - 1), &err)) << err;
        std::snprintf(gBasePath, kPathSize, "%s", h.root().c_str());
        gSwapSpace = 60;
    }
    void TearDown() override { ResetMusic(); }

    // Replaces the first archive with these maps.
    void WriteArchive(const std::vector<MapSpec>& maps,
                      const std::string& rel = "PicLib/HUGE.lmf") {
        WriteHostFile(h.Path(rel), BuildMapArchive(maps));
    }
    // The cache tests count bytes: a town and a room whose ground is one whole picture.
    void WriteWholePictureMaps() {
        WriteArchive(
            {MakeTestMap(sampleMap::kTownArchive, sampleMap::kTownW, sampleMap::kTownH, 16),
             MakeTestMap(sampleMap::kRoomArchive, 20, 15, 16)});
    }
    std::vector<u8> CacheTable() { return ReadHostFile(h.Path("data/mcache.dat")); }

    Harness h;
};

// The sample town entered by a new game, its opening talk not run.
class TownFixture : public ::testing::Test {
protected:
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        ASSERT_EQ(StartNewGame(1), 1);
        ResetTalkContext(&gTalkContext);
        gFrameId = 0;
    }
    Harness h;
};

// Whether a file name ends with tail (a music slot's name holds the whole path).
inline bool Ends(const char* name, const char* tail) {
    size_t n = name ? std::strlen(name) : 0, t = std::strlen(tail);
    return n >= t && std::strcmp(name + n - t, tail) == 0;
}

// A free-standing cell grid of w x h cells installed as gMap.
struct GridMap {
    std::vector<u32> cells;
    GridMap(u32 w, u32 h, u32 fill = 0) : cells(static_cast<size_t>(w) * h, fill) {
        gMap = MapRecord{};
        gMap.width = w;
        gMap.height = h;
        gMap.cells = cells.data();
        gMap.cellCount = w * h;
    }
    ~GridMap() { gMap.cells = nullptr; }
    u32& at(u32 x, u32 y) { return cells[static_cast<size_t>(y) * gMap.width + x]; }
};

// Slot n as a role of this id at pixel (x, y) with a fresh act, its cell taken
// from gMap when one is installed; the role count grows to hold it.
inline RoleSlot& PutRole(int n, u16 id, int x, int y, u32 state = kRoleShown) {
    RoleSlot& s = gMapRoles[n];
    s = RoleSlot{};
    s.act = NewActPlayer();
    s.roleId = id;
    s.x = static_cast<u16>(x);
    s.y = static_cast<u16>(y);
    s.state = state;
    if (gMap.cells) s.cell = &gMap.cells[static_cast<size_t>(y / 16) * gMap.width + x / 16];
    gMapRoleCount = std::max(gMapRoleCount, n + 1);
    return s;
}
