// Map entry, the new game, encounters, place names, pop-out points and the
// camera, over the sample game's maps and hand-made databases.
#include "MapTestSupport.h"

using namespace sampleMap;

namespace {

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

}  // namespace

TEST_F(MapFixture, StartNewGamePlacesThePlayerSetsFlagsEntersTheTownAndStartsTheFirstTalk) {
    ASSERT_EQ(StartNewGame(1), 1);
    ASSERT_GT(gPlayerSlot, 0);
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    EXPECT_EQ(std::tuple(gMapId, gPlayerId, p.x, p.y, p.state),
              std::tuple(kTown, kPlayerRole, 10 * 16, 10 * 16, 0xD100u));
    EXPECT_EQ(std::tuple(gFollowers.slot[0], gFollowers.trailX[7]), std::tuple(gPlayerSlot, 160));
    EXPECT_EQ(std::tuple(gTalkContext.talk, gTalkContext.owner),
              std::tuple(kFirstTalk, kPlayerRole));
    // Entering the town sets its visit flag and turns its effects into flags
    // (0x10: flag 6); the scene byte 0x01 is an attribute, not an effect (flag
    // 22); map entry clears flag 70 away from map 2.
    for (int f : {1, 3, 4, 6, 10, 12, 30, 82, 500 + kTown}) EXPECT_TRUE(GetGameFlag(f)) << f;
    for (int f : {0, 2, 5, 9, 11, 13, 20, 21, 22, 34, 70, 72, 81, 83, 90})
        EXPECT_FALSE(GetGameFlag(f)) << f;
    EXPECT_TRUE(h.boxes().empty());
    EXPECT_EQ(std::tuple(GetWalkStep(), gMapScene.colours[0], gMapScene.attribute),
              std::tuple(4u, 3u, 1u));
    EXPECT_STREQ(gMap.name, B5("月港"));
    // Three people of the town plus the player and the two map objects.
    for (u16 id : {100, 101, 102}) {
        int i = FindRoleById(id);
        ASSERT_GE(i, 0) << id;
        ASSERT_NE(gMapRoles[i].cell, nullptr);
        EXPECT_TRUE(*gMapRoles[i].cell & kCellRole);
    }
    EXPECT_EQ(FindRoleById(103), -1);  // lives in the room
    int r101 = FindRoleById(101);
    EXPECT_EQ(gMapRoles[r101].fpSize, 0x0202);
    EXPECT_EQ(gMapRoles[r101].talk, kSampleQuestionTalk);
    // Bucket 1 holds the role with state & 3 = 1.
    EXPECT_EQ(BucketRow(1, 25), &gMapRoles[r101]);
    // Music: the map's first piece is track 2 of list 1.
    EXPECT_EQ(gMapMusic.music1, 2u);
    EXPECT_EQ(gMusic.GetList(1).slots[0].id, 2);
}

TEST_F(MapFixture, LeavingStoresRolesFirstVisitFlagsAreSetAndAFollowerBeforeThePlayerFollows) {
    StartNewGame(1);
    int r100 = FindRoleById(100);
    gMapRoles[r100].x = 14 * 16;
    LoadCity(kRoom, 3, 3, 1, 0, 1, 1);
    EXPECT_EQ(gMapId, kRoom);
    i32 row = FindRecord(100);
    EXPECT_EQ(std::tuple(RecordWord(row, 5), RecordWord(row, 0)), std::tuple(14, kTown));
    EXPECT_GE(FindRoleById(103), 0);
    EXPECT_TRUE(GetGameFlag(600));
    EXPECT_TRUE(GetGameFlag(25));
    EXPECT_EQ(gMapScene.defaultSwitch, 0u);
    // A room narrower than the screen keeps the view origin at 0.
    EXPECT_EQ(std::tuple(gViewX, gViewY, gViewRight), std::tuple(0, 0, 20 * 16));
    LoadCity(kTown, 10, 10, 1, 0, 1, 1);
    EXPECT_EQ(gMapRoles[FindRoleById(100)].x, 14 * 16);
    EXPECT_FALSE(GetGameFlag(25));  // the town has no first-visit flag
    // Role 102 plays the player and role 100, whose record comes first, follows.
    i32 follower = FindRecord(100), player = FindRecord(102);
    ASSERT_LT(follower, player);
    gPlayerId = 102;
    SetRecordWord(follower, 10, static_cast<u16>(RecordWord(follower, 10) | 0x80));
    LoadCity(kTown, 10, 10, 1, 0, 1, 0);
    ASSERT_GT(gPlayerSlot, 0);
    EXPECT_EQ(gMapRoles[gPlayerSlot].roleId, 102);
    EXPECT_EQ(std::tuple(gFollowers.count, gFollowers.slot[0], gFollowers.slot[1]),
              std::tuple(2u, gPlayerSlot, FindRoleById(100)));
}

TEST_F(MapFixture, MissingMapRecordClosesAndOutsideCellsAreClamped) {
    StartNewGame(1);
    LoadCity(77, 1, 1, 0, 0, 0, 0);
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].caption, B5("遊戲初始"));
    // A record whose cell is (width, y) is not placed and moves to the last cell.
    h.boxes().clear();
    i32 row = FindRecord(102);
    SetRecordWord(row, 5, kTownW);
    LoadCity(kTown, 10, 10, 1, 0, 1, 0);
    EXPECT_EQ(FindRoleById(102), -1);
    EXPECT_EQ(std::tuple(RecordWord(row, 5), RecordWord(row, 6)),
              std::tuple(kTownW - 1, kTownH - 1));
}

TEST_F(MapFixture, RollEncounterFollowsTheGroupPairsAndZones) {
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
        ASSERT_TRUE(b == 8 || b == 9) << b;
        EXPECT_EQ(gStepCount, 0u);
    }
    for (int i = 0; i < 400; ++i) hits += RollEncounter(10) != 0;  // equal to the first sum: pair 2
    EXPECT_GT(hits, 120);
    EXPECT_LT(hits, 280);
    // The same seed gives the same battles.
    InitRandom(77);
    std::vector<u32> a, b;
    for (int i = 0; i < 20; ++i) a.push_back(RollEncounter(30));
    InitRandom(77);
    for (int i = 0; i < 20; ++i) b.push_back(RollEncounter(30));
    EXPECT_EQ(a, b);
    PutPlayerAt(0, 0);  // outside the zone (1..38)
    EXPECT_EQ(RollEncounter(30), 0u);
}

TEST_F(MapFixture, EmptyBattleListAndMissingOrBrokenGroupsStartNothing) {
    MapDbSpec db = SampleMapDb();
    db.zones[0].battles.clear();
    InstallDb(db);
    gMapId = kMeadow;
    LoadEncounterGroups();
    ReadEncounterZones();
    gEncounterGroup = 1;
    PutPlayerAt(5, 5);
    EXPECT_EQ(RollEncounter(30), 0u);
    // A map whose group is beyond the count of 0 groups gets none.
    db = SampleMapDb();
    db.groups.clear();
    WriteHostFile(h.Path("MH_Data/maps.dat"), BuildMapsDat(db));
    StartNewGame(1);
    LoadCity(kMeadow, 5, 5, 1, 0, 1, 0);
    EXPECT_EQ(std::tuple(gEncounterGroupCount, gEncounterGroup), std::tuple(0u, 0u));
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].caption, B5("載入地圖"));
    EXPECT_EQ(RollEncounter(30), 0u);
    // A group table not a multiple of eight gives no groups.
    h.boxes().clear();
    db = SampleMapDb();
    db.groups.push_back(3);
    InstallDb(db);
    EXPECT_FALSE(LoadEncounterGroups());
    EXPECT_EQ(gEncounterGroupCount, 0u);
    EXPECT_EQ(h.boxes().size(), 1u);
}

TEST_F(MapFixture, PlaceNamesAreCutOnACharacterBoundary) {
    MapDbSpec db = SampleMapDb();
    // 40 bytes: 20 Big5 characters; the field keeps 15 of them (30 bytes).
    std::string longName;
    for (int i = 0; i < 20; ++i) longName += Utf8ToBig5("港");
    db.placeNames.push_back({9, longName});
    db.placeNames.push_back({10, "A" + longName.substr(0, 38)});
    InstallDb(db);
    char name[kMapNameSize];
    ASSERT_EQ(ReadPlaceName(9, name), 1);
    EXPECT_EQ(std::strlen(name), 30u);
    ASSERT_EQ(ReadPlaceName(10, name), 1);
    EXPECT_EQ(std::strlen(name), 31u);  // "A" and 15 characters
    EXPECT_EQ(ReadPlaceName(11, name), 0);
}

TEST_F(MapFixture, MapsDatFieldsSitAtTheirFileOffsetsAndUnterminatedTablesStopAtTheEnd) {
    std::vector<u8> f = ReadHostFile(h.Path("MH_Data/maps.dat"));
    auto u16at = [&](size_t at) { return static_cast<u16>(f[at] | f[at + 1] << 8); };
    auto u32at = [&](size_t at) { return u16at(at) | static_cast<u32>(u16at(at + 2)) << 16; };
    ASSERT_GT(f.size(), 512u + 4 * 26);
    // After the 512-byte header, field k is the offset of table k from byte 512.
    size_t maps = 512 + u32at(512 + 4 * 3);
    ASSERT_LE(maps + 14, f.size());
    // The town's 14-byte map record comes first.
    // Walking step 4 in the low nibble of byte 6; encounter group 0: none in the town.
    EXPECT_EQ(std::tuple(u16at(maps), u16at(maps + 2), f[maps + 4], f[maps + 5], f[maps + 6],
                         f[maps + 7], u16at(maps + 10), u16at(maps + 14)),
              std::tuple(kTown, kTownArchive, 0x01, 0x10, 0x34, 0x12, 0, kRoom));
    // Table 4, the new-game start: map, x, y, act, action, direction, player, talk.
    size_t start = 512 + u32at(512 + 4 * 4);
    ASSERT_LE(start + 16, f.size());
    const u16 want[8] = {kTown, 10, 10, 1, 0, 1, kPlayerRole, kFirstTalk};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(u16at(start + 2 * i), want[i]) << i;

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
    EXPECT_FALSE(FindMapRecord(kTown, &rec));
    EXPECT_STREQ(GetDbRecord(3), "");
    EXPECT_FALSE(LoadEncounterGroups());
    i32 x = 0, y = 0;
    EXPECT_EQ(PickPopOutPoint(102, &x, &y), 0);
    // A map table without its end row is read only as far as it goes.
    MapDbSpec db = SampleMapDb();
    d = BuildMapDatabase(db);
    d.resize(LoadU32(d.data() + 4 * 3) + kMapRecordSize * 2 + 3);
    SetMapDatabase(d.data(), static_cast<u32>(d.size()));
    EXPECT_TRUE(FindMapRecord(kRoom, &rec));
    EXPECT_FALSE(FindMapRecord(kEightBit, &rec));
}

TEST_F(MapFixture, PopOutRolesMoveWhenTheirPeriodComes) {
    InstallDb(SampleMapDb());
    InitGameData();
    i32 row = FindRecord(102);
    SetRecordByte(row, 24, 2);
    SetRecordByte(row, 25, 0x80);
    AgePopOutRoles();
    EXPECT_EQ(std::tuple(RecordByte(row, 25), RecordWord(row, 5)), std::tuple(0x81, 50));
    AgePopOutRoles();
    EXPECT_EQ(RecordByte(row, 25), 0);
    u16 x = RecordWord(row, 5), y = RecordWord(row, 6);
    EXPECT_TRUE((x == 40 && y == 40) || (x == 45 && y == 30)) << x << "," << y;
    // An odd list is reported; a role with no points keeps its cell.
    MapDbSpec db = SampleMapDb();
    db.popOuts = {{102, {40}}};
    InstallDb(db);
    i32 px = -1, py = -1;
    EXPECT_EQ(PickPopOutPoint(102, &px, &py), 0);
    EXPECT_EQ(px, -1);
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].caption, "2k");
}

TEST_F(MapFixture, EightBitMapCopiesItsPaletteAndDrifts) {
    StartNewGame(1);
    LoadCity(kEightBit, 4, 4, 1, 0, 1, 0);
    EXPECT_TRUE(gMapScene.hasPalette);
    EXPECT_TRUE(GetGameFlag(5));
    for (const DriftItem& d : gMapScene.drift) {
        EXPECT_GE(d.value, 96);
        EXPECT_LT(d.x, 32 * 16);
    }
}

TEST(NewGameHelpers, ParseIntAndBuckets) {
    // A refused text leaves the value as it was.
    const struct {
        const char* text;
        int ok;
        i32 value;
    } kTexts[] = {{"-0012", 1, -12},    {"", 0, 5},    {"-", 0, 5},
                  {"1234567890", 0, 5}, {"12a", 0, 5}, {"+123456789", 1, 123456789}};
    for (const auto& c : kTexts) {
        i32 v = 5;
        EXPECT_EQ(ParseInt(c.text, &v), c.ok) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
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
}
