// Fuzz target: a "maps.dat" database image through every table reader.
#include "map/City.h"
#include "map/MapDb.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetMapDatabase(data, static_cast<u32>(size));
    InitGameData();
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
    ResetCity();
    ResetNewGame();
    BindRoleRecords(nullptr, 0);
    FreeMapDatabase();
    return 0;
}
