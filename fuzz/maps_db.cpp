// Fuzz target: the map databases. Byte 0 chooses the file (bit 0: "path.dat",
// else "maps.dat"); the rest is its image. The game starts over it, a new game
// enters its start map (placing roles), a second map is entered, a few frames
// run and, unless the game has ended, the map is drawn; then every table reader
// is asked directly.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzWorld.h"
#include "map/City.h"
#include "map/MapDb.h"
#include "map/MapDraw.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "mhdata/Maps.h"

namespace {

void AskEveryTable() {
    MapDbRecord rec;
    for (u32 m = 0; m < 8; ++m) FindMapRecord(m, &rec);
    char name[kMapNameSize];
    for (u32 m = 0; m < 8; ++m) ReadPlaceName(m, name);
    for (u32 n = 0; n < 8; ++n) GetDbRecord(n);
    gMapId = 1;
    ReadEncounterZones();
    gEncounterGroup = 1;
    RollEncounter(5);
    AgePopOutRoles();
    i32 x = 0, y = 0;
    for (i32 i = 0; i < gRoleRecordCount && i < 16; ++i) PickPopOutPoint(RecordWord(i, 1), &x, &y);
    PlayMapMusic(1);
    RoleSlot s;
    s.roleId = 1;
    ReadRoleFootprint(&s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    static const std::vector<u8> sampleMaps = ReadHostFile(world.root() + "MH_Data/maps.dat");
    static const std::vector<u8> samplePath = ReadHostFile(world.root() + "MH_Data/path.dat");
    if (size < 1) return 0;
    const std::string file = data[0] & 1 ? "MH_Data/path.dat" : "MH_Data/maps.dat";
    world.Write(file, data + 1, size - 1);
    world.Start();
    if (StartNewGame(1)) {
        LoadCity(sampleMap::kRoom, 3, 3, 1, 0, 1, 1);
        world.harness().RunFrames(4);
        // A map the data cannot place ends the game behind its error box;
        // the released world is not drawn.
        if (!world.harness().quit()) {
            DrawWorld();
            AskEveryTable();
        }
    }
    ResetAllGlobals();
    WriteHostFile(world.root() + "MH_Data/maps.dat", sampleMaps);
    WriteHostFile(world.root() + "MH_Data/path.dat", samplePath);
    return 0;
}
