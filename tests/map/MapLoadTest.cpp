// Map archives and the map cache: loads from both archives, cache hits,
// eviction, emptying, and refused input; map entry, the new game, encounters,
// place names, pop-out points and the camera over the sample game's maps and
// hand-made databases.
#include "MapTestSupport.h"

#include <optional>

#include "engine/DataErrors.h"

using namespace sampleMap;

namespace {

CacheSlot SlotAt(const std::vector<u8>& t, int i) {
    ByteReader r(t);
    r.Seek(static_cast<size_t>(i) * kCacheSlotBytes);
    CacheSlot s;
    CacheSlotFields(r, s);
    return s;
}

void WriteTable(Harness& h, const std::vector<CacheSlot>& slots) {
    ByteWriter w;
    for (CacheSlot s : slots) CacheSlotFields(w, s);
    WriteHostFile(h.Path("data/mcache.dat"), w.bytes());
    for (size_t i = 0; i < slots.size(); ++i)
        WriteHostFile(h.Path("data/" + std::to_string(i) + ".cm"),
                      std::vector<u8>(slots[i].size, 1));
}

// The offset of a map's block in the first archive's bytes, found through its directory.
u32 MapAt(const std::vector<u8>& a, u32 id) {
    std::vector<MapDirEntry> dir;
    EXPECT_TRUE(ReadMapDirectory(a.data(), a.size(), &dir, nullptr));
    for (const MapDirEntry& e : dir)
        if (e.id == id) return e.offset;
    ADD_FAILURE() << "no map " << id;
    return 0;
}

void InstallDb(const MapDbSpec& db) {
    std::vector<u8> d = BuildMapDatabase(db);
    SetMapDatabase(d.data(), static_cast<u32>(d.size()));
}

void PutPlayerAt(u16 cx, u16 cy) {
    gPlayerSlot = 1;
    gMapRoleCount = std::max(gMapRoleCount, 2);
    gMapRoles[1].x = static_cast<u16>(cx * 16);
    gMapRoles[1].y = static_cast<u16>(cy * 16);
}

void WriteNames(Harness& h, const std::vector<u8>& bytes) {
    std::filesystem::create_directories(h.Path("MH_Data"));
    WriteHostFile(h.Path("MH_Data/namex.dat"), bytes);
}
}  // namespace

TEST_F(MapFixture, ArchiveFieldsLoadsFromEachArchiveUnknownIdsAndPlacementsBounded) {
    // The cache table: 24 slots of (map id, size, age, file number). The
    // room's picture is its tile set: nine 16 x 16 tiles of 16-bit pixels.
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    std::vector<u8> t = CacheTable();
    ASSERT_EQ(t.size(), 384u);
    EXPECT_EQ(
        std::tuple(LoadU32(t.data()), LoadU32(t.data() + 4), LoadU32(t.data() + 8),
                   LoadU32(t.data() + 12), LoadU32(t.data() + 23 * 16),
                   LoadU32(t.data() + 23 * 16 + 12), ReadHostFile(h.Path("data/0.cm")).size()),
        std::tuple(kRoomArchive, 9u * 16 * 16 * 2, 0u, 0u, kFreeSlot, 23u, 9u * 16 * 16 * 2));
    ASSERT_EQ(LoadMap3(kTownArchive, &gMap), 1);
    // The ground is a tile set: each cell names the tile of its kind, the
    // pictures laid over it (the signpost, the pier, the door) tiles after them.
    EXPECT_EQ(std::tuple(gMap.width, gMap.height, gMap.tileBits, gMap.pixelSize,
                         gMap.cells[kEventY * kTownW + kEventX] & 0xFF, gMap.cells[0] & kCellWall,
                         gMap.layerGrid[3], gMap.layerGrid[10 * kTownW + 5]),
              std::tuple(kTownW, kTownH, 16u, static_cast<u32>(SampleMaps(0)[0].pixels.size()),
                         kEventNumber, kCellWall, sampleTile::kWall, sampleTile::kRoad));
    // Each spot runs its own talk: the stone its words, the signpost the way out.
    auto script = [](u32 n) { return FindMapEvent(n) ? FindMapEvent(n)->script : ~0u; };
    EXPECT_EQ(std::tuple(gMapEvents.size(), script(kEventNumber), script(kSignEvent),
                         GetDepthMode(), GetDepthScale(GetDepthIndex(0, 16 * 4))),
              std::tuple(3u + std::size(kStreetSpots), static_cast<u32>(kSampleSpotTalk),
                         static_cast<u32>(kSampleSignTalk), 2u, 740));
    // Two placements: a still picture and an animated object.
    ASSERT_NE(gMapRoles[2].act, nullptr);
    EXPECT_EQ(std::tuple(gMapRoleCount, gMapRoles[1].stillPic, gMapRoles[1].attr1,
                         gMapRoles[1].attr2, gMapRoles[2].act->act, gMapRoles[2].roleId),
              std::tuple(3, 1, 1, 2, 12001, kNoRole));

    ASSERT_EQ(LoadMap3(kFarArchive, &gMap), 1);
    EXPECT_EQ(std::tuple(gMap.width, GetDepthMode(), GetDepthScale(GetDepthIndex(5, 5))),
              std::tuple(40u, 0u, 1024));

    gRunState = 0;
    EXPECT_EQ((std::tuple{LoadMap3(9999, &gMap), gRunState & kRunQuit}), std::tuple(0, kRunQuit));
    gRunState = 0;
    // Placements never pass the role table.
    MapSpec s = MakeTestMap(kTownArchive, 20, 20, 16);
    s.objects.push_back({.number = 1, .pic = {}});
    for (int i = 0; i < 5000; ++i) s.placements.push_back({1, static_cast<u16>(i % 300), 16, 0});
    s.placements.push_back({1, static_cast<u16>((20 + 41) * 16), 16, 0});  // skipped: too far right
    WriteArchive({s});
    ASSERT_EQ(LoadMap3(kTownArchive, &gMap), 1);
    EXPECT_EQ(gMapRoleCount, kRoleRows);
}

// Eight-bit maps keep palette and indices; sixteen-bit pixels are converted to
// the screen layout, also on a map large enough to take larger blocks.
TEST_F(MapFixture, PixelsLoadWholeInTheScreenLayout) {
    ASSERT_EQ(LoadMap3(kEightBitArchive, &gMap), 1);
    MapSpec spec = MakeTestMap(kEightBitArchive, 32, 32, 8);
    EXPECT_EQ(std::vector<u8>(gMap.Pixel, gMap.Pixel + gMap.pixelSize), spec.pixels);

    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    spec = SampleMaps(0)[1];  // the room
    const size_t at = 2 * (256 * sampleTile::kFloor + 40);
    EXPECT_EQ(LoadU16(gMap.Pixel + at), ConvertPixel(LoadU16(spec.pixels.data() + at)));

    // 1600 x 1600 pixels would need 157 blocks of 32 KB; the header holds 126.
    spec = MakeTestMap(kTownArchive, 100, 100, 16);
    WriteArchive({spec});
    ASSERT_EQ(LoadMap3(kTownArchive, &gMap), 1);
    EXPECT_EQ(std::tuple(gMap.pixelSize, LoadU16(gMap.Pixel + gMap.pixelSize - 2)),
              std::tuple(spec.pixels.size(),
                         ConvertPixel(LoadU16(spec.pixels.data() + spec.pixels.size() - 2))));
    ResetPixelFormat();
}

TEST_F(MapFixture,
       FirstLoadBuildsTheCacheTheSecondUnpacksNothingAShortFileAgainAStaleMarkOrStampEmptiesIt) {
    WriteWholePictureMaps();
    // Flushes to the disk per map change: one when a slot takes a new map, none
    // when the slots keep their maps (a hit ages them only).
    // The last load finds a short cache file and unpacks the room again.
    const std::array<u32, 3> kLoads[] = {
        {kRoomArchive, 1, 1}, {kTownArchive, 1, 2}, {kRoomArchive, 0, 2}, {0, 1, 3}};
    for (auto [map, syncs, unpacked] : kLoads) {
        if (!map) {
            std::vector<u8> t = CacheTable();
            EXPECT_EQ(
                std::tuple(SlotAt(t, 0).mapId, SlotAt(t, 0).size, SlotAt(t, 0).age,
                           SlotAt(t, 1).mapId, SlotAt(t, 1).age, SlotAt(t, 2).mapId),
                std::tuple(kRoomArchive, 20u * 16 * 15 * 16 * 2, 0u, kTownArchive, 1u, kFreeSlot));
            ReleaseMapView();
            WriteHostFile(h.Path("data/0.cm"), std::vector<u8>(100, 0));
        }
        const u32 before = FsSyncCount();
        ASSERT_EQ(LoadMap3(map ? map : kRoomArchive, &gMap), 1);
        EXPECT_EQ(std::tuple(FsSyncCount() - before, gMapsUnpacked), std::tuple(syncs, unpacked))
            << map << " " << unpacked;
    }
    EXPECT_EQ(gMap.pixelSize, 20u * 16 * 15 * 16 * 2);
    // A stale run mark or a new colour stamp empties the cache.
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    ReleaseMapView();
    ASSERT_FALSE(ReadHostFile(h.Path("Env.dat")).empty());
    EXPECT_GT(ResetMapCache(0), 0u);  // mark 0: nothing happens
    SetRunMark();
    EXPECT_EQ((std::tuple{ReadHostFile(h.Path("Env.dat")).back(), ResetMapCache(0),
                          ReadHostFile(h.Path("Env.dat")).back()}),
              std::tuple(1, 0u, 0));
    for (int i = 0; i < kCacheSlots; ++i) EXPECT_EQ(SlotAt(CacheTable(), i).mapId, kFreeSlot);

    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    ReleaseMapView();
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    EXPECT_EQ((std::tuple{ResetMapCache(1), gEnvStamp[0],
                          LoadU16(ReadHostFile(h.Path("Env.dat")).data() + 30)}),
              std::tuple(0u, 0xF800, 0xF800));
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    ReleaseMapView();
    EXPECT_GT(ResetMapCache(1), 0u);  // same stamp: kept
    ResetPixelFormat();
}

TEST_F(MapFixture, AFullTableEvictsTheOldestPastAQuarterOfTheBudgetElseTheSmallest) {
    std::vector<CacheSlot> slots;
    for (u32 i = 0; i < kCacheSlots; ++i) slots.push_back({1000 + i, 100 + i, 3, i});
    slots[5].age = 15;  // 16 after the visit: above 60 / 4
    slots[9].age = 20;
    WriteTable(h, slots);
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    std::vector<u8> t = CacheTable();  // the first old slot went
    EXPECT_EQ(std::tuple(SlotAt(t, 5).mapId, SlotAt(t, 9).mapId, SlotAt(t, 0).age),
              std::tuple(kRoomArchive, 1009u, 4u));
    // Without old slots the smallest goes.
    WriteWholePictureMaps();
    slots.clear();
    for (u32 i = 0; i < kCacheSlots; ++i) slots.push_back({1000 + i, 5000 + i, 1, i});
    slots[7].size = 10;
    slots[3].size = 10;  // a tie: the first smallest goes
    WriteTable(h, slots);
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    t = CacheTable();
    EXPECT_EQ(std::tuple(SlotAt(t, 3).mapId, SlotAt(t, 7).mapId,
                         ReadHostFile(h.Path("data/3.cm")).size()),
              std::tuple(kRoomArchive, 1007u, 20u * 16 * 15 * 16 * 2));

    // A budget of 1 MB with the town (1.5 MB) cached: the room evicts it.
    gSwapSpace = 1;
    ResetMapCache(1);  // stamp differs from the zero stamp: empties the cache
    ASSERT_EQ(LoadMap3(kTownArchive, &gMap), 1);
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    t = CacheTable();
    u64 total = 0;
    for (int i = 0; i < kCacheSlots; ++i) total += SlotAt(t, i).size;
    // The town went; the room took its slot.
    EXPECT_EQ(std::tuple(total <= 1u << 20, SlotAt(t, 0).mapId, SlotAt(t, 1).mapId),
              std::tuple(true, kRoomArchive, kFreeSlot));
}

// Archives spoiled in their directory, a map's header or its picture blocks
// are refused without sizing anything from them: the map's cache slot stays
// free and the process small. A load that fails names the archive on stderr
// and as the last error, with the offset where its bytes fail, before the box
// of the map's entry.
TEST_F(MapFixture, BadArchivesAreRefusedNamedAndCostNothing) {
    const std::vector<u8> a = ReadHostFile(h.Path("PicLib/HUGE.lmf"));
    const u32 town = MapAt(a, kTownArchive), room = MapAt(a, kRoomArchive);
    const u32 list = room + LoadU32(a.data() + room + 4 + mapHdr::kPixelOff);
    auto at = [&](u32 offset, const std::string& text) {
        return h.root() + "PicLib/HUGE.lmf: offset " + std::to_string(offset) + ": " + text;
    };
    auto spoiled = [&](const std::function<void(u8*)>& spoil) {
        std::vector<u8> b = a;
        spoil(b.data());
        return std::optional(b);
    };
    // The room's picture list: its block size and total.
    auto blocks = [&](u32 blockSize, u32 total) {
        return spoiled([=](u8* b) {
            StoreU32(b + list + 4, blockSize);
            StoreU32(b + list + 8, total);
        });
    };
    // The directory offset past the file: the map is found nowhere.
    const std::vector<u8> pastTheEnd =
        *spoiled([&](u8* b) { StoreU32(b, static_cast<u32>(a.size() + 100)); });
    std::vector<MapDirEntry> dir;
    DataError err;
    err.offset = 99;
    EXPECT_FALSE(ReadMapDirectory(pastTheEnd.data(), pastTheEnd.size(), &dir, &err));
    EXPECT_EQ(std::tuple(err.offset, err.text.find("directory offset") != std::string::npos),
              std::tuple(0u, true));
    // The archive's bytes (none: no file), the map asked for, the message
    // (empty: any). The room's cases come before any map is cached.
    const std::tuple<std::optional<std::vector<u8>>, u32, std::string> kCases[] = {
        {std::nullopt, kTownArchive, "PicLib/HUGE.lmf: cannot be opened"},
        {std::vector<u8>{}, kTownArchive, at(0, "no directory offset (0 bytes)")},
        {std::vector<u8>{0x10}, kTownArchive, at(0, "no directory offset (1 bytes)")},
        {a, 9999, "PicLib/HUGE.lmf, HUGE2.lmf: no map 9999 in either"},
        {pastTheEnd, kTownArchive, ""},
        // A corrupt first block, a block size past the limit, and a count of
        // blocks far beyond the header's room for entries.
        {spoiled([&](u8* b) {
             const u32 first = room + LoadU32(a.data() + list + 16);
             std::fill(b + first, b + first + 16, 0xEE);
         }),
         kRoomArchive, ""},
        {blocks(0xF0000000u, 4096), kRoomArchive, ""},
        {blocks(1, 0x0FFFFFFFu), kRoomArchive, ""},
        {blocks(8, 127 * 8), kRoomArchive, ""},
        // An old header kind, reported in two boxes, and a zero block offset.
        {spoiled([&](u8* b) {
             b[room] = 'X';
             StoreU32(b + room + 4 + mapHdr::kPixelOff, 0);
         }),
         kRoomArchive, at(room, "map 101 pictures cannot be unpacked")},
        // Sixteen layers of 64 x 48 cells: a grid of 196,608 bytes from the
        // header's byte 276, in an archive of some 50,000.
        {spoiled([&](u8* b) { StoreU16(b + town + 4 + mapHdr::kLayers, 16); }), kTownArchive,
         at(town + 4 + 276, "map 100 layer grid past the end")},
        {spoiled([&](u8* b) { StoreU32(b + town + 4 + mapHdr::kPixelOff, 0); }), kTownArchive,
         at(town, "map 100 pictures cannot be unpacked")},
        // Header offsets past the file: the cell block, the event block (and a
        // grid too large for the file).
        {spoiled([&](u8* b) { StoreU32(b + town + 4 + mapHdr::kCellOff, 0x7FFFFFF0); }),
         kTownArchive, ""},
        {spoiled([&](u8* b) {
             StoreU32(b + town + 4 + mapHdr::kEventOff, 0xFFFFFF00);
             StoreU32(b + town + 4 + mapHdr::kObjectSize, 0x7FFFFFFF);
             StoreU16(b + town + 4 + mapHdr::kWidth, 0xFFFF);
         }),
         kTownArchive, ""},
    };
    int n = 0;
    for (const auto& [bytes, map, message] : kCases) {
        SCOPED_TRACE(testing::Message() << "case " << n++ << " " << message);
        if (bytes)
            WriteHostFile(h.Path("PicLib/HUGE.lmf"), *bytes);
        else
            std::filesystem::remove(h.Path("PicLib/HUGE.lmf"));
        h.boxes().clear();
        const u32 before = DataErrorCount();
        EXPECT_EQ(LoadMap3(map, &gMap), 0);
        gRunState = 0;
        if (!message.empty()) {
            EXPECT_GT(DataErrorCount(), before);
            EXPECT_EQ(LastDataError().Message(), message);
        }
        if (map != kRoomArchive) continue;
        EXPECT_EQ(
            std::tuple(SlotAt(CacheTable(), 0).mapId, ReadHostFile(h.Path("data/0.cm")).size()),
            std::tuple(kFreeSlot, 0u));
        if (!message.empty()) {
            EXPECT_EQ(std::tuple(h.boxes().size(), h.boxes().at(0).caption),
                      std::tuple(2u, "LoadMap3"));
        }
    }
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    EXPECT_LT(use.ru_maxrss, 1024L * 1024) << "peak memory in KB";
}

TEST(DepthScale, ModesAndShortRowLists) {
    ClearDepthScale();
    EXPECT_EQ(GetDepthScale(GetDepthIndex(100, 100)), 1024);
    std::vector<u8> rows(16 + 8);
    StoreU32(rows.data(), 2);
    StoreU32(rows.data() + 4, 2);
    StoreU32(rows.data() + 16, 800);
    StoreU32(rows.data() + 20, 900);
    LoadDepthRows(rows.data(), static_cast<u32>(rows.size()));
    // Row 1, then beyond the list.
    EXPECT_EQ(std::tuple(GetDepthScale(GetDepthIndex(0, 20)), GetDepthScale(GetDepthIndex(0, 80))),
              std::tuple(900, 1024));
    // A count larger than the block is refused.
    StoreU32(rows.data() + 4, 1000);
    ClearDepthScale();
    LoadDepthRows(rows.data(), static_cast<u32>(rows.size()));
    EXPECT_EQ(GetDepthMode(), 0u);
    // Kind 1 selects the depth picture; without one every point is 1024.
    std::vector<u8> k1(16 + 1024);
    StoreU32(k1.data(), 1);
    LoadDepthRows(k1.data(), static_cast<u32>(k1.size()));
    EXPECT_EQ(std::tuple(GetDepthMode(), GetDepthScale(GetDepthIndex(3, 3))), std::tuple(1u, 1024));
    ClearDepthScale();
}

TEST_F(MapFixture, NewGameEntersTheTownWithTheFirstTalkAndLeavingStoresTheRoles) {
    ASSERT_EQ(StartNewGame(1), 1);
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    EXPECT_EQ(std::tuple(gMapId, gPlayerId, p.x, p.y, p.state, gFollowers.slot[0],
                         gFollowers.trailX[7], gTalkContext.talk, gTalkContext.owner),
              std::tuple(kTown, kSamplePlayerRole, 10 * 16, 10 * 16, 0xD100u, gPlayerSlot, 160,
                         kSampleOpeningTalk, kSamplePlayerRole));
    // Entering the town sets its visit flag and turns its effects into flags
    // (0x10: flag 6); the scene byte 0x01 is an attribute, not an effect (flag
    // 22); map entry clears flag 70 away from map 2.
    for (int f : {1, 3, 4, 6, 10, 12, 30, 82, 500 + kTown}) EXPECT_TRUE(GetGameFlag(f)) << f;
    for (int f : {0, 2, 5, 9, 11, 13, 20, 21, 22, 34, 70, 72, 81, 83, 90})
        EXPECT_FALSE(GetGameFlag(f)) << f;
    EXPECT_EQ(std::tuple(h.boxes().size(), GetWalkStep(), gMapScene.colours[0], gMapScene.attribute,
                         std::string(gMap.name)),
              std::tuple(0u, 4u, 3u, 1u, B5("月港")));
    // Three people of the town plus the player and the two map objects.
    for (u16 id : {100, 101, 102}) {
        const int i = FindRoleById(id);
        EXPECT_TRUE(i >= 0 && gMapRoles[i].cell && (*gMapRoles[i].cell & kCellRole)) << id;
    }
    // 103 lives in the room. Bucket 1 holds the role with state & 3 = 1.
    // Music: the map's first piece is track 2 of list 1.
    const RoleSlot& r101 = gMapRoles[FindRoleById(101)];
    EXPECT_EQ(std::tuple(FindRoleById(103), r101.fpSize, r101.talk, BucketRow(1, 25),
                         gMapMusic.music1, gMusic.GetList(1).slots[0].id),
              std::tuple(-1, 0x0202, kSampleQuestionTalk, &r101, 2u, 2));
    // An eight-bit map copies its palette and drifts.
    LoadCity(kEightBit, 4, 4, 1, 0, 1, 0);
    EXPECT_TRUE(gMapScene.hasPalette && GetGameFlag(5));
    for (const DriftItem& d : gMapScene.drift)
        EXPECT_TRUE(d.value >= 96 && d.x < 32 * 16) << d.value << " at " << d.x;
    // Leaving stores the roles; a follower comes before the player; a missing
    // record closes the game; cells outside the map are clamped.
    StartNewGame(1);
    int r100 = FindRoleById(100);
    gMapRoles[r100].x = 14 * 16;
    LoadCity(kRoom, 3, 3, 1, 0, 1, 1);
    i32 row = FindRecord(100);
    // A room narrower than the screen keeps the view origin at 0.
    EXPECT_EQ(std::tuple(gMapId, RecordWord(row, 5), RecordWord(row, 0), FindRoleById(103) >= 0,
                         GetGameFlag(600), GetGameFlag(25), gMapScene.defaultSwitch, gViewX, gViewY,
                         gViewRight),
              std::tuple(kRoom, 14, kTown, true, 1, 1, 0u, 0, 0, 20 * 16));
    // The town has no first-visit flag.
    LoadCity(kTown, 10, 10, 1, 0, 1, 1);
    EXPECT_EQ(std::tuple(gMapRoles[FindRoleById(100)].x, GetGameFlag(25)), std::tuple(14 * 16, 0));
    // Role 102 plays the player and role 100, whose record comes first, follows.
    i32 follower = FindRecord(100);
    gPlayerId = 102;
    SetRecordWord(follower, 10, static_cast<u16>(RecordWord(follower, 10) | 0x80));
    LoadCity(kTown, 10, 10, 1, 0, 1, 0);
    EXPECT_EQ(std::tuple(gMapRoles[gPlayerSlot].roleId, gFollowers.count, gFollowers.slot[0],
                         gFollowers.slot[1]),
              std::tuple(102, 2u, gPlayerSlot, FindRoleById(100)));
    LoadCity(77, 1, 1, 0, 0, 0, 0);
    EXPECT_EQ(std::tuple(h.boxes().size(), h.boxes().at(0).caption),
              std::tuple(1u, B5("遊戲初始")));
    // A record whose cell is (width, y) is not placed and moves to the last cell.
    h.boxes().clear();
    row = FindRecord(101);
    SetRecordWord(row, 5, kTownW);
    LoadCity(kTown, 10, 10, 1, 0, 1, 0);
    EXPECT_EQ(std::tuple(FindRoleById(101), RecordWord(row, 5), RecordWord(row, 6)),
              std::tuple(-1, kTownW - 1, kTownH - 1));
}

TEST_F(MapFixture, RollEncounterFollowsTheGroupPairsAndZonesAndBrokenGroupsStartNothing) {
    StartNewGame(1);
    EXPECT_EQ(gEncounterGroup, 0u) << "no encounters in the town";
    LoadCity(kMeadow, 5, 5, 1, 0, 1, 0);
    ASSERT_EQ(gEncounterGroup, 1u);
    PutPlayerAt(5, 5);
    // Group 1: (10 steps, 0%), (20, 50%), (40, 100%), (0, 0).
    InitRandom(1234);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(RollEncounter(5), 0u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(RollEncounter(70), 0u);  // past every pair
    int hits = 0;
    for (int i = 0; i < 200; ++i) {
        gStepCount = 9;
        u32 b = RollEncounter(30);
        ASSERT_TRUE((b == 8 || b == 9) && gStepCount == 0) << b << " steps " << gStepCount;
    }
    for (int i = 0; i < 400; ++i) hits += RollEncounter(10) != 0;  // equal to the first sum: pair 2
    EXPECT_TRUE(hits > 120 && hits < 280) << hits;
    // The same seed gives the same battles.
    InitRandom(77);
    std::vector<u32> a, b;
    for (int i = 0; i < 20; ++i) a.push_back(RollEncounter(30));
    InitRandom(77);
    for (int i = 0; i < 20; ++i) b.push_back(RollEncounter(30));
    EXPECT_EQ(a, b);
    // A zone's bounds are cells of the zone: every edge and corner rolls, the
    // cell past each edge does not. Group 1's step sums run 10, 30, 70: at 30
    // steps the third pair (100%) is taken, so a cell of the zone always gives
    // its one battle, 8.
    MapDbSpec db = SampleMapDb();
    db.zones[0] = {kMeadow, 3, 4, 9, 7, {8}};
    InstallDb(db);
    gEncounterZones.clear();
    ReadEncounterZones();
    const std::array<u32, 3> kCells[] = {{3, 4, 8}, {9, 4, 8},  {3, 7, 8}, {9, 7, 8},
                                         {2, 4, 0}, {10, 7, 0}, {3, 3, 0}, {9, 8, 0}};
    for (auto [x, y, battle] : kCells) {
        PutPlayerAt(static_cast<u16>(x), static_cast<u16>(y));
        EXPECT_EQ(RollEncounter(30), battle) << x << "," << y;
    }
    // The zone with an empty battle list.
    db.zones[0].battles.clear();
    InstallDb(db);
    ReadEncounterZones();
    PutPlayerAt(5, 5);
    EXPECT_EQ(RollEncounter(30), 0u);
    // A map whose group is beyond the count of 0 groups gets none.
    db = SampleMapDb();
    db.groups.clear();
    WriteHostFile(h.Path("MH_Data/maps.dat"), BuildMapsDat(db));
    StartNewGame(1);
    LoadCity(kMeadow, 5, 5, 1, 0, 1, 0);
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(
        std::tuple(gEncounterGroupCount, gEncounterGroup, h.boxes()[0].caption, RollEncounter(30)),
        std::tuple(0u, 0u, B5("載入地圖"), 0u));
    // A group table not a multiple of eight gives no groups.
    h.boxes().clear();
    db = SampleMapDb();
    db.groups.push_back(3);
    InstallDb(db);
    EXPECT_EQ((std::tuple{LoadEncounterGroups(), gEncounterGroupCount, h.boxes().size()}),
              std::tuple(false, 0u, 1u));
}

// maps.dat fields at their offsets, place names cut on a character, unterminated
// tables stopping at the end, and pop-out roles.
TEST_F(MapFixture, MapsDatFieldsPlaceNamesShortTablesAndPopOutRoles) {
    MapDbSpec db = SampleMapDb();
    // 40 bytes: 20 Big5 characters; the field keeps 15 of them (30 bytes).
    std::string longName;
    for (int i = 0; i < 20; ++i) longName += Utf8ToBig5("港");
    db.placeNames.push_back({9, longName});
    db.placeNames.push_back({10, std::string("A").append(longName, 0, 38)});
    InstallDb(db);
    // A name's length as read, or -1.
    auto length = [](u32 id) {
        char name[kMapNameSize];
        return ReadPlaceName(id, name) == 1 ? static_cast<int>(std::strlen(name)) : -1;
    };
    EXPECT_EQ(std::tuple(length(9), length(10), length(11)), std::tuple(30, 31, -1));  // "A" and 15

    // Unterminated tables stop at the end of the database.
    std::vector<u8> d = BuildMapDatabase(SampleMapDb());
    // Cut inside the place-name table: its end row and "%Q" are gone.
    u32 names = LoadU32(d.data() + 4 * 20);
    d.resize(names + 5);
    SetMapDatabase(d.data(), static_cast<u32>(d.size()));
    char name[kMapNameSize];
    EXPECT_EQ(ReadPlaceName(kTown, name), 0);
    // Offsets past the end make every table empty.
    std::vector<u8> bad(kMapDbTableCount * 4, 0xFF);
    SetMapDatabase(bad.data(), static_cast<u32>(bad.size()));
    MapDbRecord rec;
    i32 x = 0, y = 0;
    EXPECT_EQ(std::tuple(FindMapRecord(kTown, &rec), std::string(GetDbRecord(3)),
                         LoadEncounterGroups(), PickPopOutPoint(102, &x, &y)),
              std::tuple(false, "", false, 0));
    // A map table without its end row is read only as far as it goes.
    d = BuildMapDatabase(SampleMapDb());
    d.resize(LoadU32(d.data() + 4 * 3) + kMapRecordSize * 2 + 3);
    SetMapDatabase(d.data(), static_cast<u32>(d.size()));
    EXPECT_EQ(std::tuple(FindMapRecord(kRoom, &rec), FindMapRecord(kEightBit, &rec)),
              std::tuple(true, false));
    // Pop-out roles move when their period comes.
    InstallDb(SampleMapDb());
    InitGameData();
    i32 row = FindRecord(102);
    SetRecordByte(row, 24, 2);
    SetRecordByte(row, 25, 0x80);
    AgePopOutRoles();
    EXPECT_EQ(std::tuple(RecordByte(row, 25), RecordWord(row, 5)), std::tuple(0x81, 50));
    AgePopOutRoles();
    std::tie(x, y) = std::tuple(RecordWord(row, 5), RecordWord(row, 6));
    EXPECT_TRUE(RecordByte(row, 25) == 0 && ((x == 40 && y == 40) || (x == 45 && y == 30)))
        << x << "," << y;
    // An odd list is reported; a role with no points keeps its cell.
    db = SampleMapDb();
    db.popOuts = {{102, {40}}};
    InstallDb(db);
    x = -1;
    h.boxes().clear();
    EXPECT_EQ(
        (std::tuple{PickPopOutPoint(102, &x, &y), x, h.boxes().size(), h.boxes().at(0).caption}),
        std::tuple(0, -1, 1u, "2k"));
}

TEST(NewGameHelpers, ParseIntBucketsAndNameTexts) {
    // A refused text leaves the value as it was.
    const std::tuple<const char*, int, i32> kTexts[] = {
        {"-0012", 1, -12},    {"", 0, 5},    {"-", 0, 5},
        {"1234567890", 0, 5}, {"12a", 0, 5}, {"+123456789", 1, 123456789}};
    for (auto [text, ok, value] : kTexts) {
        i32 v = 5;
        EXPECT_EQ((std::pair{ParseInt(text, &v), v}), std::pair(ok, value)) << text;
    }

    Harness h;
    GridMap g(4, 4);
    AllocMapObjectBuckets();
    RoleSlot a, b, c;
    std::tie(a.y, a.roleId, b.y, b.roleId, c.y, c.roleId) = std::tuple(32, 5, 32, 3, 40, 1);
    InsertMapObject(&a, 0);
    InsertMapObject(&c, 0);
    InsertMapObject(&b, 0);
    EXPECT_EQ(std::tuple(BucketRow(0, 2), b.next, a.next), std::tuple(&b, &a, &c));
    EXPECT_EQ(RefileMapObject(5, 0, 3, 1), &a);
    EXPECT_EQ(b.next, &c);
    RemoveMapObject(&b, 0);
    EXPECT_EQ(BucketRow(0, 2), &c);
    FreeMapObjectBuckets();
    // Text i read into n bytes of a buffer full of 'z': its length and the text.
    using Read = std::pair<int, std::string>;
    auto read = [](int i, int n) {
        char buf[64];
        std::memset(buf, 'z', sizeof(buf) - 1);
        buf[63] = 0;
        const int got = ReadNameText(i, n, buf, "%Q");
        return Read(got, buf);
    };
    WriteNames(h, BuildNameTexts({"Alpha", "\xA4\xEB\xB4\xE4", "C"}));
    EXPECT_EQ(std::tuple(read(0, 64), read(1, 64), read(2, 64)),
              std::tuple(Read(5, "Alpha"), Read(4, "\xA4\xEB\xB4\xE4"), Read(1, "C")));
    // The last text loses its mark: cut and terminated; past the table nothing.
    std::vector<u8> names = BuildNameTexts({"Short", "LongerText"});
    names.erase(names.end() - 2, names.end());
    WriteNames(h, names);
    EXPECT_EQ(std::tuple(read(1, 8), read(2, 8), read(-1, 8).first, read(1000000, 8).first),
              std::tuple(Read(7, "LongerT"), Read(0, ""), 0, 0));
    // A table entry pointing past the end of the file (512 + 4 + "A%Q": 519
    // bytes), a file too short for its table, no file: an empty text, and the
    // file named once however often it is read.
    std::vector<u8> bad = BuildNameTexts({"A"});
    StoreU16(bad.data() + 512, 0xFFFF);
    const std::pair<std::optional<std::vector<u8>>, std::string> kBadFiles[] = {
        {bad, "MH_Data/namex.dat: offset 512: text 0 at 66047 lies past the end (519 bytes)"},
        {std::vector<u8>(100, 0),
         "MH_Data/namex.dat: offset 512: no table: the file holds 100 bytes"},
        {std::nullopt, "MH_Data/namex.dat: cannot be opened"},
    };
    for (const auto& [file, message] : kBadFiles) {
        if (file)
            WriteNames(h, *file);
        else
            std::filesystem::remove(h.Path("MH_Data/namex.dat"));
        ResetSystemServices();
        const u32 before = DataErrorCount();
        const Read first = read(0, 8), again = read(0, 8);
        EXPECT_EQ(std::tuple(first, again, DataErrorCount() - before, LastDataError().Message()),
                  std::tuple(Read(0, ""), Read(0, ""), 1u, message));
    }
    // The id lookup ignores case.
    const char rows[] = "\x05Harbour%Q\xFELighthouse%Q\x07Market%Q";
    std::vector<u8> t(rows, rows + sizeof(rows));  // ends with the 0 byte
    auto id = [&](const char* name, size_t n) { return FindNameIdIn(t.data(), n, name); };
    // The last is cut inside a row.
    EXPECT_EQ(std::tuple(id("harbour", t.size()), id("LIGHTHOUSE", t.size()),
                         id("Market", t.size()), id("Harb", t.size()), id("Harbour", 5)),
              std::tuple(5, -2, 7, -1, -1));
}

TEST(Angles, SineTableQuadrantsDistanceDirectionsTheTargetAllRoundAndRandomRanges) {
    // The table is the floored sine.
    for (int k = 0; k < 90; ++k)
        EXPECT_EQ(kAngleTable[k], static_cast<i16>(std::floor(8192 * std::sin(k * M_PI / 180))))
            << k;
    // The angle from the origin to (x, y) and the distance.
    auto angle = [](i32 x, i32 y) {
        i32 d = -1;
        const int a = GetAngleTo(0, 0, x, y, &d);
        return std::pair(a, d);
    };
    // The same point; dy = 0, dx >= 0: 270 up, sin nearest 0; dx < 0: 180; dy < 0,
    // dx >= 0: 0 up to 85, the largest sine; dy -40, dx -30: up and to the left, |s|
    // 6553 is nearest sin 54 (6627), seven steps from 90; angles come in steps of 5.
    EXPECT_EQ(
        std::tuple(angle(0, 0), angle(-100, 0), angle(100, 0).first, angle(0, 100).first,
                   angle(30, 40), GetAngleTo(10, 10, 13, 14, nullptr) % 5),
        std::tuple(std::pair(0, 0), std::pair(355, 100), 180, 85, std::pair(90 + 5 * 7, 50), 0));
    // The direction table's ends and angles outside 0..360; the rest is held all round below.
    const int kCases[][2] = {{0, 3}, {350, 3}, {360, 0}, {-5, 0}, {361, 0}};
    for (const auto& c : kCases) EXPECT_EQ(AngleToDirection(c[0]), c[1]) << c[0];
    // The angle runs from the second point toward the first, counted up from the
    // right as on a screen whose y grows downward: checked against atan2 all round,
    // and the direction code against the nearest of the eight.
    auto reference = [](double dx, double dy) {
        double a = std::atan2(-dy, dx) * 180 / M_PI;
        return a < 0 ? a + 360 : a;
    };
    // Direction codes counter-clockwise from the right: right, up-right, up, ...
    const int kByOctant[8] = {3, 7, 0, 4, 2, 6, 1, 5};
    for (int k = 0; k < 360; k += 3) {
        for (double r : {20.0, 150.0, 900.0, 5000.0}) {
            i32 dx = static_cast<i32>(std::lround(r * std::cos(k * M_PI / 180)));
            i32 dy = static_cast<i32>(std::lround(-r * std::sin(k * M_PI / 180)));
            double want = reference(dx, dy);
            int got = GetAngleTo(500 + dx, 400 + dy, 500, 400, nullptr);
            // The distance is cut to an integer: only far points give the angle to 5 degrees.
            double off = std::fabs(got - want);
            EXPECT_TRUE(r < 900 || std::min(off, 360 - off) <= 5.0)
                << k << " r " << r << ": " << got;
            // Away from the borders between two directions the code is the nearest one.
            double inOctant = std::fmod(want + 22.5, 45.0);
            if (inOctant < 6 || inOctant > 39) continue;
            int octant = static_cast<int>((want + 22.5) / 45) % 8;
            EXPECT_EQ(AngleToDirection(got), kByOctant[octant]) << k << " r " << r;
        }
    }
    InitRandom(7);
    bool seen[3] = {};
    for (int i = 0; i < 300; ++i) {
        i32 r = RandomBetween(5, 2);
        ASSERT_TRUE(r >= 2 && r <= 4) << r;
        seen[r - 2] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
    EXPECT_EQ(std::tuple(RandomBetween(9, 9), RandomBetween(-3, -2)), std::tuple(9, -3));
    // A span above one random word (a map's width in pixels) still ends.
    i32 wide = RandomBetween(0, 100000);
    EXPECT_TRUE(wide >= 0 && wide < 100000) << wide;
}
