// The sample town of the benchmarks: entered through a new game of the
// started game, 50 people added and walking, and a message box open.
#pragma once
#include <random>
#include <vector>

#include "BenchGame.h"
#include "engine/FrameState.h"
#include "platform/Backend.h"
#include "map/AStar.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/MapScene.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "platform/TextCodec.h"
#include "story/Dialog.h"

namespace bench_town {

// The map slots of the 50 walkers: the only people the benchmark routes.
inline std::vector<int> gWalkers;

// The sample town entered through a new game of the started game, 50 people
// added, and a message box open over the map.
inline bool StartTown() {
    static bool ok = [] {
        if (!StartSampleGame()) return false;
        InitAStarPool();
        if (StartNewGame(1) != 1 || gMap.width == 0) return false;
        gFrameId = 0;
        std::mt19937 rng(3);
        for (int k = 0; k < 50; ++k) {
            int n = gMapRoleCount++;
            gWalkers.push_back(n);
            RoleSlot& s = gMapRoles[n];
            s = RoleSlot{};
            s.act = NewActPlayer();
            s.act->act = 1 + k % 3;
            s.act->action = 8;
            s.roleId = static_cast<u16>(400 + k);
            for (;;) {
                u32 x = 2 + rng() % (gMap.width - 4), y = 2 + rng() % (gMap.height - 4);
                if (gMap.cells[y * gMap.width + x] & 0x70000000u) continue;
                s.x = static_cast<u16>(x * 16);
                s.y = static_cast<u16>(y * 16);
                break;
            }
            s.state = kRoleShown;
            InsertMapObject(&s, 0);
            newRoleInit(&s);
        }
        ShowMessageBox(0xFFFD, B5("港口的燈塔今夜又亮了。往北走就是市場。%Q"));
        return true;
    }();
    return ok;
}

// The behaviour step of the walkers: a new route whenever the last one ended.
// The town's own people and objects keep to their scripts.
inline void StepWalkers(std::mt19937& rng) {
    for (int i : gWalkers) {
        RoleSlot& s = gMapRoles[i];
        if ((s.x | s.y) & 15) continue;
        if (StepRoleRoute(i) == 2)
            StartRoleRoute(i, 2 + static_cast<i32>(rng() % (gMap.width - 4)),
                           2 + static_cast<i32>(rng() % (gMap.height - 4)));
    }
}

// One whole tick: the walkers' routes, roles, scene, the message box's text,
// presentation.
inline void TownTick(std::mt19937& rng) {
    StepWalkers(rng);
    PlatformAdvanceTime(kFrameMs);
    GameFrame();
    if (gDialogs.empty()) ShowMessageBox(0xFFFD, B5("港口的燈塔今夜又亮了。往北走就是市場。%Q"));
}

}  // namespace bench_town

using bench_town::StartTown;
using bench_town::StepWalkers;
using bench_town::TownTick;
