// Fuzz target: a "path.dat" image run by the behaviour interpreter for a few
// roles over a small map, each program for a number of frames.
#include <cstring>
#include <vector>

#include "data/GameFlags.h"
#include "base/ByteIo.h"
#include "engine/Random.h"
#include "map/Behaviour.h"
#include "shell/Main.h"
#include "map/MapArchive.h"
#include "map/MapDb.h"
#include "map/RoleTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The interpreter reads the database in place: keep an exact-size copy so a
    // read past its end is caught.
    std::vector<u8> image(data, data + size);
    gPathDatabase = image.data();
    gPathDatabaseSize = static_cast<u32>(image.size());
    std::vector<u32> cells(16 * 12, 0);
    for (u32 x = 0; x < 16; ++x) cells[5 * 16 + x] = kCellWall;
    gMap = MapRecord{};
    gMap.width = 16;
    gMap.height = 12;
    gMap.cells = cells.data();
    gMap.cellCount = static_cast<u32>(cells.size());
    InitRandom(static_cast<u32>(size));
    ResetGameFlags();
    ResetBehaviour();
    gGameTime = 0;
    gMapRoleCount = 1;
    gPlayerSlot = 1;
    gPlayerId = 1;
    // The player and people with the first programs, and ids the data choose.
    u16 scripts[6] = {0, 1, 2, 3, 4, 5};
    for (int k = 0; k < 2 && size >= 4u * (k + 1); ++k) scripts[4 + k] = LoadU16(data + 2 * k);
    for (int i = 0; i < 6; ++i) {
        RoleSlot& s = gMapRoles[gMapRoleCount++];
        s = RoleSlot{};
        s.roleId = static_cast<u16>(i + 1);
        s.x = static_cast<u16>((2 + 2 * i) * 16);
        s.y = static_cast<u16>((i & 1 ? 8 : 2) * 16);
        s.cell = &cells[(s.y / 16) * 16 + s.x / 16];
        s.state = kRoleShown;
        s.scriptId = scripts[i];
        s.act = NewActPlayer();
        s.act->act = 0;
        MarkRoleFootprint(&s);
    }
    for (int frame = 0; frame < 40; ++frame) {
        ++gGameTime;
        for (int i = 1; i < gMapRoleCount; ++i)
            if (gMapRoles[i].state & kRoleShown) RunRoleScript(i);
    }
    ClearRoleTable();
    gMapRoleCount = 0;
    ClearRouteRecords();
    gMap = MapRecord{};
    gPathDatabase = nullptr;
    gPathDatabaseSize = 0;
    return 0;
}
