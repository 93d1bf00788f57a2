// Fuzz target: a developer save through its checking reader; one that parses
// is loaded into a running sample game as the developer tool loads it, and the
// map is drawn. Every input is also read as the tool's slot row (date, party,
// thumbnail), which must refuse what does not parse.
#include "FuzzWorld.h"
#include "engine/File.h"
#include "map/MapDraw.h"
#include "map/NewGame.h"
#include "ui/DevTool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    static DevSaveImage* img = new DevSaveImage;
    DataError why;
    world.Fresh();
    ReplaceFile(DevSavePath(1).c_str(), data, static_cast<u32>(size));
    DebugSlotInfo row;
    ReadDebugSlotInfo(&row, 1);
    FreeDebugSlotInfo(&row);
    if (!ParseDevSave(data, size, img, &why)) {
        ResetAllGlobals();
        return 0;
    }
    // Whatever parses must write again to a file that parses.
    std::vector<u8> again = DevSaveBytes(*img);
    if (!ParseDevSave(again.data(), again.size(), img, nullptr)) __builtin_trap();
    world.Start();
    if (StartNewGame(1)) {
        LoadDevSave(1);
        DrawWorld();
    }
    ResetAllGlobals();
    return 0;
}
