// Writers of the map archives ("PicLib\HUGE.lmf", "HUGE2.lmf"), the map
// database "MH_Data\maps.dat" and the path database "MH_Data\path.dat", and the
// sample game's maps.
#pragma once
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "base/Types.h"
#include "map/City.h"
#include "map/MapArchive.h"
#include "mhdata/SampleDesign.h"

struct MapObjectSpec {
    u16 number = 0;
    u16 act = 0, action = 0;  // the first two words of the object's 16 bytes
    u16 flags = 0;            // 0x100: animated
    std::vector<u8> pic;      // a still object's run-coded picture (stored 5-5-5)
};

struct MapPlacementSpec {
    u16 object = 0, x = 0, y = 0;
    u8 attrs = 0;
};

struct MapOverlaySpec {
    std::vector<u8> pic;  // a run-coded picture
    u16 bits = 0;
    u8 left = 0, top = 0, right = 0, bottom = 0;
};

struct MapSpec {
    u32 archiveNumber = 0;
    u16 width = 0, height = 0;
    u16 tileBits = 16;
    u16 layers = 1;
    u16 attribute = 0;
    std::vector<u32> cells;      // width x height
    std::vector<u16> layerGrid;  // layers x width x height
    std::vector<u8> pixels;      // the picture as the game unpacks it (16-bit: stored 5-5-5)
    u32 blockSize = 32768;
    std::vector<MapEvent> events;
    std::vector<MapObjectSpec> objects;
    std::vector<MapPlacementSpec> placements;
    std::vector<MapOverlaySpec> overlays;
    std::vector<u8> depthPicture;  // first depth block, unpacked (empty = none)
    std::vector<u8> depthRows;     // second depth block, unpacked (empty = none)
};

// A whole archive image holding the maps in order, directory at the end.
std::vector<u8> BuildMapArchive(const std::vector<MapSpec>& maps);

struct ZoneSpec {
    u16 map = 0, left = 0, top = 0, right = 0, bottom = 0;
    std::vector<u16> battles;
};
struct PopOutSpec {
    u16 role = 0;
    std::vector<u16> values;  // x, y pairs in cells
};
struct PlaceNameSpec {
    u16 map = 0;
    std::string name;  // Big5
};
struct MusicRowSpec {
    u16 map = 0, music1 = 0, music2 = 0, mode = 0;
};

struct MapDbSpec {
    std::vector<std::array<u16, 13>> roles;
    std::vector<std::string> names;  // name records 0.. (texts, Big5); record 1 is the music table
    std::vector<MusicRowSpec> music;
    std::vector<MapDbRecord> maps;
    std::array<u16, 8> start{};
    std::array<std::array<u8, 52>, 4> initRecords{};
    std::vector<ZoneSpec> zones;
    std::vector<PopOutSpec> popOuts;
    std::vector<u16> groups;  // 8 words per group
    std::vector<PlaceNameSpec> placeNames;
    std::vector<std::array<u16, 3>> footprints;
    std::vector<std::array<u16, 2>> firstVisit;
    std::vector<std::pair<i8, std::string>> nameIds;  // table 26: id, Big5 name
};

// The file "maps.dat": a 512-byte header, then the database.
std::vector<u8> BuildMapsDat(const MapDbSpec& db);
// The database alone (what the game holds in gMapDatabase).
std::vector<u8> BuildMapDatabase(const MapDbSpec& db);
// "path.dat" with the sample town's behaviour programs.
std::vector<u8> BuildPathDat();

// A map of w x h cells with a procedural picture, walls around the border.
MapSpec MakeTestMap(u32 archive, u16 w, u16 h, u16 tileBits);
// The sample game's maps and databases.
std::vector<MapSpec> SampleMaps(int archive);  // archive 0 HUGE.lmf, 1 HUGE2.lmf
MapDbSpec SampleMapDb();
bool WriteSampleMaps(const std::string& root, std::string* error);

// Ids the sample game uses, for tests.
namespace sampleMap {
constexpr u16 kTown = 1, kWorld = 2, kRoom = 3, kEightBit = 4, kFar = 5, kMeadow = 6;
constexpr u16 kTownArchive = 100, kRoomArchive = 101, kEightBitArchive = 102, kFarArchive = 200;
constexpr u16 kWorldArchive = 103, kMeadowArchive = 104;
constexpr u16 kTownW = 64, kTownH = 48;
constexpr u16 kWorldW = 48, kWorldH = 38;
constexpr u16 kEventX = 20, kEventY = 20, kEventNumber = 1;
// The signpost at the town's west road leads to the world map.
constexpr u16 kSignX = 6, kSignY = 10, kSignEvent = 2;
// The house's door in its south wall: a visit to the room.
constexpr u16 kDoorX = 34, kDoorY = 18, kDoorEvent = 3;
// Marked spots north of the main street, each with its own talk: the player
// walks along row kStreetSpotY + 1 and steps up into one. The town holds the
// adventure's only: the pier.
struct StreetSpot {
    u16 talk, x;
};
constexpr u16 kStreetSpotY = 6, kStreetSpotEventFirst = 4;
constexpr StreetSpot kStreetSpots[] = {{kSampleBattleTalk, 16}};
// The guard's look, a figure of his own.
constexpr u16 kGuardAct = 4;
// Where the signpost puts the player on the world map.
constexpr u16 kWorldStartX = 30, kWorldStartY = 20;
// World-map locations: the town, the lighthouse and the meadow are open, the
// fishing village is closed. Their role records carry the open value.
constexpr u16 kWorldTownLocation = 1, kWorldLighthouseLocation = 15, kWorldClosedLocation = 14;
constexpr u16 kWorldMeadowLocation = 12;
constexpr u16 kWorldTownEvent = 1, kWorldLighthouseEvent = 2, kWorldMeadowEvent = 3;
constexpr u16 kHarbourTop = 42;  // the harbour water: rows 42 .. height - 2
// The lighthouse: where its mark on the world map puts the player, and its keeper.
constexpr u16 kFarArriveX = 15, kFarArriveY = 15;
// Its grounds: the screen's size, the tower's top-left cell (3 x 8 cells),
// the shore's column with the sea east of it.
constexpr u16 kFarW = 40, kFarH = 30, kFarTowerX = 24, kFarTowerY = 4, kFarShoreX = 31;
// Its way back to the world map: a gate over a road south from where the player arrives.
constexpr u16 kFarExitX = kFarArriveX, kFarExitY = kFarArriveY + 4, kFarExitEvent = 1;
// The meadow: wild monsters on every cell, the way back a spot right above
// where the player arrives.
constexpr u16 kMeadowW = 40, kMeadowH = 30;
constexpr u16 kMeadowArriveX = 20, kMeadowArriveY = 15, kMeadowExitEvent = 1;
// The lighthouse's own music (under music\) and the video of the pirates sailing off (under
// Video\).
constexpr const char* kLighthouseMusicName = "lighthouse.wav";
constexpr const char* kPierVideoName = "MH SAILING.BIK";
// The smith on the town's square, beside the store and the collector.
constexpr u16 kSmithX = 28, kSmithY = 14;
}  // namespace sampleMap

// The ground tiles of the sample maps, in tile-set order. Each kind has its own
// colours so that a player tells walls, road, water and spots apart.
namespace sampleTile {
constexpr u16 kGrass = 0, kWall = 1, kRoad = 2, kWater = 3, kEvent = 4, kSpot = 5, kFloor = 6,
              kSea = 7, kClosed = 8;
constexpr u16 kCount = 9;
// The colour that fills most of a tile of kind k (stored 5-5-5).
u16 Body(u16 kind);
}  // namespace sampleTile
