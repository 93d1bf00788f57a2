// The map archives "PicLib\HUGE.lmf" and "HUGE2.lmf": the map record gMap
// (cell grid, layer grid, the cached picture), the map events, the object
// tables and placements, the overlays, and LoadMap3 that reads them.
#pragma once
#include <string>
#include <vector>

#include "base/DataError.h"
#include "base/Types.h"

struct PicFrame;

constexpr int kMapHeaderSize = 1024;
constexpr int kMapLayerGridAt = 276;  // the layer grid starts inline at this header byte
constexpr int kMapNameSize = 32;
constexpr char kMapMagic[4] = {'M', 'S', 'F', '3'};
constexpr int kEventRecordSize = 48;
constexpr int kObjectRecordSize = 16;
constexpr int kPlacementRecordSize = 16;
constexpr int kOverlayRecordSize = 24;
constexpr int kDirEntrySize = 16;
// A map larger than this many cells is refused (keeps every grid allocation sane).
constexpr u32 kMaxMapCells = 1u << 22;

struct MapRecord {
    u32 width = 0, height = 0;  // cells
    u32 tileBits = 16;          // 16, or 8 with a 512-byte palette at the start of Pixel
    u32 headerValue = 0;
    u32 layers = 0;
    u32 cleared = 0;
    u32* cells = nullptr;      // width x height
    u16* layerGrid = nullptr;  // layers x width x height
    const u8* Pixel = nullptr;
    char name[kMapNameSize] = {};
    u32 cellCount = 0;
    u32 attribute = 0;  // header map attribute
    u32 pixelSize = 0;  // bytes of the Pixel view
};

// Offsets of the 1024-byte map header (relative to the header's start).
namespace mapHdr {
constexpr int kCellOff = 8, kCellSize = 12;
constexpr int kEventOff = 16, kEventSize = 20;
constexpr int kObjectOff = 24, kObjectSize = 28;
constexpr int kPlaceOff = 32, kPlaceSize = 36;
constexpr int kOverlayOff = 40, kOverlaySize = 44;
constexpr int kPixelOff = 56;
constexpr int kDepthOff = 64, kDepthSize = 68;
constexpr int kDepth2Off = 72, kDepth2Packed = 76, kDepth2Size = 80;
constexpr int kWidth = 256, kHeight = 258, kTileBits = 260, kValue = 262, kLayers = 264,
              kValue2 = 266, kAttribute = 268;
}  // namespace mapHdr

struct MapEvent {
    u32 number = 0;
    u32 script = 0;
    u32 clickable = 0;
    u32 passable = 0;
    char name[32] = {};
};

// Field list of an event record (48 bytes).
template <class Io, class E>
void EventFields(Io& io, E& e) {
    io.Field(e.number);
    io.Field(e.script);
    io.Field(e.clickable);
    io.Field(e.passable);
    io.Text(e.name, 32);
}

struct MapObjectInfo {
    u32 picOffset = 0;  // relative to M
    u32 value1 = 0, value2 = 0;
    u16 flags = 0;
    bool present = false;
};

struct MapOverlay {
    u8* pic = nullptr;  // run-coded picture (debug allocator)
    u32 picSize = 0;
    i32 width = 0, height = 0;
    u32 kind = 0;
    i32 left = 0, top = 0, right = 0, bottom = 0;  // pixels
    u32 attr1 = 0, attr2 = 0;
};

extern MapRecord gMap;
extern std::vector<MapEvent> gMapEvents;        // reverse file order
extern std::vector<MapObjectInfo> gMapObjects;  // by object number
extern std::vector<MapOverlay> gMapOverlays;    // reverse file order
extern std::string gMapArchiveName;             // "PicLib\HUGE.lmf"

// One directory entry of an archive.
struct MapDirEntry {
    u32 offset = 0, value = 0, id = 0, value2 = 0;
};
// Reads the directory of an archive image; false (with the error, its file left
// to the caller) when the directory offset lies outside the file.
bool ReadMapDirectory(const u8* file, size_t size, std::vector<MapDirEntry>* out, DataError* error);
// Reports bad data at offset of the open map archive.
void BadArchiveData(u32 offset, std::string text);

// True when cell i held the wall bit 0x20000000 when the map was loaded.
bool IsStaticWall(size_t i);

int LoadMap3(u32 n, MapRecord* map);
// Picture index of the current map's picture table (the object table: offset,
// packed size, unpacked size) into frame, in the screen layout; 1, or 0 when
// the picture is missing or bad.
int LoadMapPic(i32 index, PicFrame* frame);
void FreeMapGrids(MapRecord* map);
void FreeMapOverlays();
// Frees the map and its roles and clears the route records (game initialisation).
void ResetMapData();
void ResetMapArchive();
