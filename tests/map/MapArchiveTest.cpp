// Map archives and the map cache: loads from both archives, cache hits,
// eviction, emptying, and refused input.
#include "MapTestSupport.h"

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

}  // namespace

TEST_F(MapFixture, ArchiveAndCacheFieldsSitAtTheirFileOffsets) {
    // The archive: directory offset at 0, 16-byte entries (M, -, map id, -).
    std::vector<u8> a = ReadHostFile(h.Path("PicLib/HUGE.lmf"));
    ASSERT_GE(a.size(), 4u);
    size_t m = 0;
    for (size_t e = LoadU32(a.data() + 0); e + 16 <= a.size(); e += 16)
        if (LoadU32(a.data() + e + 8) == kTownArchive) m = LoadU32(a.data() + e);
    ASSERT_GT(m, 0u);
    ASSERT_LE(m + 4 + 1024, a.size());
    EXPECT_EQ(std::string(a.begin() + m, a.begin() + m + 4), "MSF3");
    // The header follows "MSF3": width, height and tile bits from its byte 256.
    size_t hd = m + 4;
    EXPECT_EQ(std::tuple(LoadU16(a.data() + hd + 256), LoadU16(a.data() + hd + 258),
                         LoadU16(a.data() + hd + 260)),
              std::tuple(kTownW, kTownH, 16));
    // Header byte 16: the event block (relative to M): a count, then records
    // of event number and script value first.
    size_t ev = m + LoadU32(a.data() + hd + 16);
    ASSERT_LE(ev + 12, a.size());
    // The town's events: the stone (talk 3), the signpost, eight street spots, the door.
    EXPECT_EQ(
        std::tuple(LoadU32(a.data() + ev), LoadU32(a.data() + ev + 4), LoadU32(a.data() + ev + 8)),
        std::tuple(11u, kEventNumber, 3u));
    // The cache table: 24 slots of (map id, size, age, file number).
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    std::vector<u8> t = CacheTable();
    ASSERT_EQ(t.size(), 384u);
    // The room's picture is its tile set: nine 16 x 16 tiles of 16-bit pixels.
    EXPECT_EQ(std::tuple(LoadU32(t.data()), LoadU32(t.data() + 4), LoadU32(t.data() + 8),
                         LoadU32(t.data() + 12)),
              std::tuple(kRoomArchive, 9u * 16 * 16 * 2, 0u, 0u));
    EXPECT_EQ(std::tuple(LoadU32(t.data() + 23 * 16), LoadU32(t.data() + 23 * 16 + 12)),
              std::tuple(kFreeSlot, 23u));
    EXPECT_EQ(ReadHostFile(h.Path("data/0.cm")).size(), 9u * 16 * 16 * 2);
}

TEST_F(MapFixture, LoadsFromEachArchiveAndUnknownIdQuits) {
    ASSERT_EQ(LoadMap3(kTownArchive, &gMap), 1);
    EXPECT_EQ(std::tuple(gMap.width, gMap.height, gMap.tileBits), std::tuple(kTownW, kTownH, 16u));
    // The ground is a tile set: each cell names the tile of its kind.
    EXPECT_EQ(gMap.pixelSize, sampleTile::kCount * 512u);
    EXPECT_EQ(gMap.cells[kEventY * kTownW + kEventX] & 0xFF, kEventNumber);
    EXPECT_TRUE(gMap.cells[0] & kCellWall);
    ASSERT_EQ(gMapEvents.size(), 3u + std::size(kStreetSpots));
    // Each spot runs its own talk: the stone its words, the signpost the way out.
    ASSERT_NE(FindMapEvent(kEventNumber), nullptr);
    EXPECT_EQ(FindMapEvent(kEventNumber)->script, static_cast<u32>(kSampleSpotTalk));
    ASSERT_NE(FindMapEvent(kSignEvent), nullptr);
    EXPECT_EQ(FindMapEvent(kSignEvent)->script, static_cast<u32>(kSampleSignTalk));
    EXPECT_EQ(gMap.layerGrid[3], sampleTile::kWall);
    EXPECT_EQ(gMap.layerGrid[10 * kTownW + 5], sampleTile::kRoad);
    EXPECT_EQ(GetDepthMode(), 2u);
    EXPECT_EQ(GetDepthScale(GetDepthIndex(0, 16 * 4)), 740);
    // Two placements: a still picture and an animated object.
    EXPECT_EQ(gMapRoleCount, 3);
    EXPECT_EQ(std::tuple(gMapRoles[1].stillPic, gMapRoles[1].attr1, gMapRoles[1].attr2),
              std::tuple(1, 1, 2));
    ASSERT_NE(gMapRoles[2].act, nullptr);
    EXPECT_EQ(gMapRoles[2].act->act, 12001);
    EXPECT_EQ(gMapRoles[2].roleId, kNoRole);

    ASSERT_EQ(LoadMap3(kFarArchive, &gMap), 1);
    EXPECT_EQ(gMap.width, 40u);
    EXPECT_EQ(GetDepthMode(), 0u);
    EXPECT_EQ(GetDepthScale(GetDepthIndex(5, 5)), 1024);

    gRunState = 0;
    EXPECT_EQ(LoadMap3(9999, &gMap), 0);
    EXPECT_TRUE(gRunState & kRunQuit);
    gRunState = 0;
}

// Eight-bit maps keep palette and indices; sixteen-bit pixels are converted to
// the screen layout, also on a map large enough to take larger blocks.
TEST_F(MapFixture, PixelsLoadWholeInTheScreenLayout) {
    ASSERT_EQ(LoadMap3(kEightBitArchive, &gMap), 1);
    MapSpec spec = MakeTestMap(kEightBitArchive, 32, 32, 8);
    ASSERT_EQ(gMap.pixelSize, spec.pixels.size());
    EXPECT_EQ(0, std::memcmp(gMap.Pixel, spec.pixels.data(), spec.pixels.size()));

    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    spec = SampleMaps(0)[1];
    ASSERT_EQ(spec.archiveNumber, kRoomArchive);
    const size_t at = 2 * (256 * sampleTile::kFloor + 40);
    EXPECT_EQ(LoadU16(gMap.Pixel + at), ConvertPixel(LoadU16(spec.pixels.data() + at)));

    // 1600 x 1600 pixels would need 157 blocks of 32 KB; the header holds 126.
    spec = MakeTestMap(kTownArchive, 100, 100, 16);
    WriteArchive({spec});
    ASSERT_EQ(LoadMap3(kTownArchive, &gMap), 1);
    EXPECT_EQ(gMap.pixelSize, spec.pixels.size());
    EXPECT_EQ(LoadU16(gMap.Pixel + spec.pixels.size() - 2),
              ConvertPixel(LoadU16(spec.pixels.data() + spec.pixels.size() - 2)));
    ResetPixelFormat();
}

TEST_F(MapFixture, FirstLoadBuildsTheCacheTheSecondUnpacksNothingAShortFileAgain) {
    WriteWholePictureMaps();
    // Flushes to the disk per map change: one when a slot takes a new map, none
    // when the slots keep their maps (a hit ages them only).
    auto syncsOfLoad = [](u32 map) {
        u32 before = FsSyncCount();
        EXPECT_EQ(LoadMap3(map, &gMap), 1);
        return FsSyncCount() - before;
    };
    EXPECT_EQ(syncsOfLoad(kRoomArchive), 1u);
    EXPECT_EQ(gMapsUnpacked, 1u);
    CacheSlot s = SlotAt(CacheTable(), 0);
    EXPECT_EQ(std::tuple(s.mapId, s.size), std::tuple(kRoomArchive, 20u * 16 * 15 * 16 * 2));
    EXPECT_EQ(SlotAt(CacheTable(), 1).mapId, kFreeSlot);
    EXPECT_EQ(syncsOfLoad(kTownArchive), 1u);
    EXPECT_EQ(syncsOfLoad(kRoomArchive), 0u);
    EXPECT_EQ(gMapsUnpacked, 2u);
    EXPECT_EQ(std::tuple(SlotAt(CacheTable(), 0).age, SlotAt(CacheTable(), 1).age),
              std::tuple(0u, 1u));
    // A short cache file is unpacked again.
    ReleaseMapView();
    WriteHostFile(h.Path("data/0.cm"), std::vector<u8>(100, 0));
    EXPECT_EQ(syncsOfLoad(kRoomArchive), 1u);
    EXPECT_EQ(gMapsUnpacked, 3u);
    EXPECT_EQ(gMap.pixelSize, 20u * 16 * 15 * 16 * 2);
}

TEST_F(MapFixture, FullTableEvictsTheOldestPastAQuarterOfTheBudget) {
    std::vector<CacheSlot> slots;
    for (u32 i = 0; i < kCacheSlots; ++i) slots.push_back({1000 + i, 100 + i, 3, i});
    slots[5].age = 15;  // 16 after the visit: above 60 / 4
    slots[9].age = 20;
    WriteTable(h, slots);
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    std::vector<u8> t = CacheTable();
    EXPECT_EQ(SlotAt(t, 5).mapId, kRoomArchive);  // the first old slot went
    EXPECT_EQ(SlotAt(t, 9).mapId, 1009u);
    EXPECT_EQ(SlotAt(t, 0).age, 4u);
}

TEST_F(MapFixture, WithoutOldSlotsTheSmallestGoesAndTheBudgetHolds) {
    WriteWholePictureMaps();
    std::vector<CacheSlot> slots;
    for (u32 i = 0; i < kCacheSlots; ++i) slots.push_back({1000 + i, 5000 + i, 1, i});
    slots[7].size = 10;
    slots[3].size = 10;  // a tie: the first smallest goes
    WriteTable(h, slots);
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    std::vector<u8> t = CacheTable();
    EXPECT_EQ(SlotAt(t, 3).mapId, kRoomArchive);
    EXPECT_EQ(SlotAt(t, 7).mapId, 1007u);
    EXPECT_EQ(ReadHostFile(h.Path("data/3.cm")).size(), 20u * 16 * 15 * 16 * 2);

    // A budget of 1 MB with the town (1.5 MB) cached: the room evicts it.
    gSwapSpace = 1;
    ResetMapCache(1);  // stamp differs from the zero stamp: empties the cache
    ASSERT_EQ(LoadMap3(kTownArchive, &gMap), 1);
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    t = CacheTable();
    u64 total = 0;
    for (int i = 0; i < kCacheSlots; ++i) total += SlotAt(t, i).size;
    EXPECT_LE(total, 1u << 20);
    EXPECT_EQ(SlotAt(t, 0).mapId, kRoomArchive);  // the town went; the room took its slot
    EXPECT_EQ(SlotAt(t, 1).mapId, kFreeSlot);
}

TEST_F(MapFixture, StaleRunMarkOrNewColourStampEmptiesTheCache) {
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    ReleaseMapView();
    std::vector<u8> env = ReadHostFile(h.Path("Env.dat"));
    ASSERT_FALSE(env.empty());
    EXPECT_GT(ResetMapCache(0), 0u);  // mark 0: nothing happens
    SetRunMark();
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")).back(), 1);
    EXPECT_EQ(ResetMapCache(0), 0u);
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")).back(), 0);
    for (int i = 0; i < kCacheSlots; ++i) EXPECT_EQ(SlotAt(CacheTable(), i).mapId, kFreeSlot);

    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    ReleaseMapView();
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(ResetMapCache(1), 0u);
    EXPECT_EQ(gEnvStamp[0], 0xF800);
    std::vector<u8> env2 = ReadHostFile(h.Path("Env.dat"));
    EXPECT_EQ(LoadU16(env2.data() + 30), 0xF800);
    ASSERT_EQ(LoadMap3(kRoomArchive, &gMap), 1);
    ReleaseMapView();
    EXPECT_GT(ResetMapCache(1), 0u);  // same stamp: kept
    ResetPixelFormat();
}

TEST_F(MapFixture, BadDirectoryAndHeaderOffsetsAreRefused) {
    std::vector<u8> a = ReadHostFile(h.Path("PicLib/HUGE.lmf"));
    std::vector<u8> bad = a;
    StoreU32(bad.data(), static_cast<u32>(bad.size() + 100));
    WriteHostFile(h.Path("PicLib/HUGE.lmf"), bad);
    std::vector<MapDirEntry> dir;
    DataError err;
    err.offset = 99;
    EXPECT_FALSE(ReadMapDirectory(bad.data(), bad.size(), &dir, &err));
    EXPECT_EQ(err.offset, 0u);
    EXPECT_NE(err.text.find("directory offset"), std::string::npos);
    gRunState = 0;
    EXPECT_EQ(LoadMap3(kTownArchive, &gMap), 0);  // not found anywhere: the quit bit
    gRunState = 0;

    // Header offsets past the file: the cell block and the event block.
    u32 m = MapAt(a, kTownArchive);
    bad = a;
    StoreU32(bad.data() + m + 4 + mapHdr::kCellOff, 0x7FFFFFF0);
    WriteHostFile(h.Path("PicLib/HUGE.lmf"), bad);
    EXPECT_EQ(LoadMap3(kTownArchive, &gMap), 0);
    bad = a;
    StoreU32(bad.data() + m + 4 + mapHdr::kEventOff, 0xFFFFFF00);
    StoreU32(bad.data() + m + 4 + mapHdr::kObjectSize, 0x7FFFFFFF);
    StoreU16(bad.data() + m + 4 + mapHdr::kWidth, 0xFFFF);
    WriteHostFile(h.Path("PicLib/HUGE.lmf"), bad);
    EXPECT_EQ(LoadMap3(kTownArchive, &gMap), 0);  // a grid too large for the file

    // An old header kind is reported and a zero block offset refused.
    WriteHostFile(h.Path("PicLib/HUGE.lmf"), a);
    h.boxes().clear();
    bad = a;
    m = MapAt(a, kRoomArchive);
    bad[m] = 'X';
    StoreU32(bad.data() + m + 4 + mapHdr::kPixelOff, 0);
    WriteHostFile(h.Path("PicLib/HUGE.lmf"), bad);
    EXPECT_EQ(LoadMap3(kRoomArchive, &gMap), 0);
    ASSERT_EQ(h.boxes().size(), 2u);
    EXPECT_EQ(h.boxes()[0].caption, "LoadMap3");
}

TEST_F(MapFixture, PlacementsNeverPassTheRoleTable) {
    MapSpec s = MakeTestMap(kTownArchive, 20, 20, 16);
    s.objects.push_back({.number = 1, .pic = {}});
    for (int i = 0; i < 5000; ++i) s.placements.push_back({1, static_cast<u16>(i % 300), 16, 0});
    s.placements.push_back({1, static_cast<u16>((20 + 41) * 16), 16, 0});  // skipped: too far right
    WriteArchive({s});
    ASSERT_EQ(LoadMap3(kTownArchive, &gMap), 1);
    EXPECT_EQ(gMapRoleCount, kRoleRows);
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
    EXPECT_EQ(GetDepthScale(GetDepthIndex(0, 20)), 900);
    EXPECT_EQ(GetDepthScale(GetDepthIndex(0, 16 * 5)), 1024);  // beyond the list
    // A count larger than the block is refused.
    StoreU32(rows.data() + 4, 1000);
    ClearDepthScale();
    LoadDepthRows(rows.data(), static_cast<u32>(rows.size()));
    EXPECT_EQ(GetDepthMode(), 0u);
    // Kind 1 selects the depth picture; without one every point is 1024.
    std::vector<u8> k1(16 + 1024);
    StoreU32(k1.data(), 1);
    LoadDepthRows(k1.data(), static_cast<u32>(k1.size()));
    EXPECT_EQ(GetDepthMode(), 1u);
    EXPECT_EQ(GetDepthScale(GetDepthIndex(3, 3)), 1024);
    ClearDepthScale();
}

TEST_F(MapFixture, BadPictureBlocksFreeTheSlotAndCutTheFileAndCostNothing) {
    // A corrupt first block (blockSize 0), a block size past the limit, and a
    // count of blocks far beyond the header's room for entries: each refuses the
    // map without sizing anything from them.
    std::vector<u8> a = ReadHostFile(h.Path("PicLib/HUGE.lmf"));
    u32 m = MapAt(a, kRoomArchive);
    const u32 list = m + LoadU32(a.data() + m + 4 + mapHdr::kPixelOff);
    struct Case {
        u32 blockSize, total;
    };
    for (Case c : {Case{0, 0}, Case{0xF0000000u, 4096}, Case{1, 0x0FFFFFFFu}, Case{8, 127 * 8}}) {
        std::vector<u8> bad = a;
        if (c.blockSize == 0) {
            const u32 first = m + LoadU32(a.data() + list + 16);
            std::fill(bad.begin() + first, bad.begin() + first + 16, 0xEE);
        } else {
            StoreU32(bad.data() + list + 4, c.blockSize);
            StoreU32(bad.data() + list + 8, c.total);
        }
        WriteHostFile(h.Path("PicLib/HUGE.lmf"), bad);
        EXPECT_EQ(LoadMap3(kRoomArchive, &gMap), 0) << c.blockSize;
        EXPECT_EQ(SlotAt(CacheTable(), 0).mapId, kFreeSlot);
        EXPECT_EQ(ReadHostFile(h.Path("data/0.cm")).size(), 0u);
    }
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    EXPECT_LT(use.ru_maxrss, 1024L * 1024) << "peak memory in KB";
}
