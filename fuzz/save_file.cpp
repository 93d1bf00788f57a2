// Fuzz target: a save file through the checking reader and the header reader;
// one that parses is loaded into a running sample game as a slot load does,
// and the map it puts the party on is drawn.
#include "FuzzWorld.h"
#include "engine/File.h"
#include "map/MapDraw.h"
#include "map/NewGame.h"
#include "ui/SaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    static SaveImage* img = new SaveImage;
    DataError why;
    SaveHeader h;
    ParseSaveHeader(data, size, &h);
    if (!ParseSaveImage(data, size, img, &why)) return 0;
    // Whatever parses must write again as a whole file.
    std::vector<u8> again = SaveImageBytes(*img);
    if (again.size() < kSaveHeaderBytes) __builtin_trap();
    world.Start();
    if (StartNewGame(1)) {
        ReplaceFile(SlotPath(0).c_str(), data, static_cast<u32>(size));
        LoadSlotFile(0);
        DrawWorld();
    }
    ResetAllGlobals();
    return 0;
}
