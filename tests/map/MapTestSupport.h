// Shared setup of the map tests: a sample game in the harness root, the sample
// town entered by a new game, and a small hand-made map grid.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <queue>
#include <random>
#include <set>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "base/Decimal.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "engine/DDraw.h"
#include "engine/DrawTestUtil.h"
#include "engine/GrpFont.h"
#include "engine/Random.h"
#include "engine/Tsw.h"
#include "map/AStar.h"
#include "map/ActDraw.h"
#include "map/AntiAliasObject.h"
#include "map/Behaviour.h"
#include "map/DrawOrder.h"
#include "map/GameMusic.h"
#include "map/Ghosts.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/MapTransients.h"
#include "map/NewGame.h"
#include "map/Scale.h"
#include "map/ShadedBox.h"
#include "map/Swim.h"
#include "map/SystemServices.h"
#include "mhdata/Archives.h"
#include "mhdata/Databases.h"
#include "mhdata/InterfaceArt.h"
#include "mhdata/Maps.h"
#include "mhdata/NameTexts.h"
#include "mhdata/PathAsm.h"
#include "mhdata/SampleGame.h"
#include "platform/AudioMixer.h"
#include "platform/FileCalls.h"
#include "platform/HostFs.h"
#include "platform/MidiSynth.h"
#include "platform/TextCodec.h"
#include "shell/PauseAndDisc.h"
#include "shell/Startup.h"
#include "sound/BinkPlayer.h"
#include "sound/Music.h"
#include "sound/Sound.h"
#include "support/SampleSession.h"

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
    void WriteArchive(const std::vector<MapSpec>& maps) {
        WriteHostFile(h.Path("PicLib/HUGE.lmf"), BuildMapArchive(maps));
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

// The sample game started, one frame run.
class SampleFixture : public ::testing::Test {
protected:
    void SetUp() override {
        h.StartSample();
        h.RunFrames(1);
    }
    Harness h;
};

// The sample town entered by a new game, its opening talk not run.
class TownFixture : public ::testing::Test {
protected:
    void SetUp() override {
        h.StartSample();
        ASSERT_EQ(StartNewGame(1), 1);
        ResetTalkContext(&gTalkContext);
        gFrameId = kMapMode;
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
        gMap = MapRecord{.width = w, .height = h, .cells = cells.data(), .cellCount = w * h};
    }
    ~GridMap() { gMap.cells = nullptr; }
    u32& at(u32 x, u32 y) { return cells[static_cast<size_t>(y) * gMap.width + x]; }
};

// Slot n as a role of this id at pixel (x, y) with a fresh act, its cell taken
// from gMap when one is installed; the role count grows to hold it.
inline RoleSlot& PutRole(int n, u16 id, int x, int y, u32 state = kRoleShown) {
    RoleSlot& s = gMapRoles[n];
    s = RoleSlot{.x = static_cast<u16>(x),
                 .y = static_cast<u16>(y),
                 .state = state,
                 .roleId = id,
                 .act = NewActPlayer()};
    if (gMap.cells) s.cell = &gMap.cells[static_cast<size_t>(y / 16) * gMap.width + x / 16];
    gMapRoleCount = std::max(gMapRoleCount, n + 1);
    return s;
}

// The number of records of a list linked by next.
template <class T>
i32 ListLength(const T* n) {
    return n ? 1 + ListLength(n->next) : 0;
}

// Calls fn(sx, sy, v) for each opaque on-screen pixel of an act's current frame
// as drawn for a role at (x, y) with the view at the origin.
template <class Fn>
void ForFramePixels(const ActPlayer& a, int x, int y, Fn fn) {
    PicFrame* f = GetPic(a.pic, a.frame);
    ASSERT_NE(f, nullptr) << a.act;
    i32 w = 0, hgt = 0, depth = 0;
    u16* px = static_cast<u16*>(RleDecode(f->pixels, f->size, &w, &hgt, &depth));
    ASSERT_NE(px, nullptr);
    for (int j = 0; j < hgt; ++j)
        for (int i = 0; i < w; ++i) {
            u16 v = px[j * w + i];
            int sx = x - a.xOff + i, sy = y - a.yOff + j;
            if (v != gKeyColor555 && v != gKeyColor2555 && sx >= 0 && sx < 640 && sy >= 0 &&
                sy < 480)
                fn(sx, sy, v);
        }
    MH_FREE(px);
}
