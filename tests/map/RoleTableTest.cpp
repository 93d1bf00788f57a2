// Footprints and cell bits, role lookups, and role-record round trips.
#include "MapTestSupport.h"

namespace {

class RoleTable : public ::testing::Test {
protected:
    void TearDown() override {
        ClearRoleTable();
        BindRoleRecords(nullptr, 0);
    }
    RoleSlot* MakeRole(int n, u16 id, u16 x, u16 y, u32 w, u32 h, u32 state = 0x8000) {
        RoleSlot& s = PutRole(n, id, x, y, state);
        s.act->cellW = w;
        s.act->cellH = h;
        return &s;
    }
    // A record table with these role ids and its end row.
    void BindRecords(std::initializer_list<u16> ids) {
        table_.assign((ids.size() + 1) * kRecordBytes, 0);
        size_t row = 0;
        for (u16 id : ids) StoreU16(table_.data() + row++ * kRecordBytes + 2, id);
        StoreU16(table_.data() + row * kRecordBytes, 0xFFFF);
        ASSERT_TRUE(BindRoleRecords(table_.data(), table_.size()));
    }

    Harness h;
    std::vector<u8> table_;
};

int CountCells(const GridMap& g, u32 bits) {
    int n = 0;
    for (u32 c : g.cells) n += (c & bits) == bits;
    return n;
}

TEST_F(RoleTable, FootprintMarksTheCellsOfEachSizeOnlyInsideTheMapAndKeepsThePlayerBit) {
    GridMap g(8, 6);
    gPlayerId = 1;
    RoleSlot* wide = MakeRole(1, 5, 16 * 2, 16 * 1, 2, 1);
    MarkRoleFootprint(wide);
    EXPECT_EQ(CountCells(g, kCellRole), 2);
    EXPECT_TRUE(g.at(2, 1) & g.at(3, 1) & kCellRole);
    ClearRoleFootprint(wide);
    EXPECT_EQ(CountCells(g, kCellRole), 0);

    // 3 x 3 anchored two cells from the right edge and one from the bottom.
    RoleSlot* big = MakeRole(2, 6, 16 * 6, 16 * 5, 3, 3, 0x8000 | kRoleWide | kRoleLow);
    MarkRoleFootprint(big);
    EXPECT_EQ(CountCells(g, kCellRole), 2);  // (6,5) and (7,5)
    EXPECT_EQ(CountCells(g, kCellRole | kCellWide | kCellLow), 2);
    EXPECT_EQ(g.at(0, 0), 0u);  // nothing wrapped into the next row or the start
    // A 2-wide footprint at the last column does not spill into the next row.
    ClearRoleFootprint(big);
    RoleSlot* edge = MakeRole(3, 7, 16 * 7, 16 * 2, 2, 1);
    MarkRoleFootprint(edge);
    EXPECT_EQ(g.at(0, 3), 0u);
    EXPECT_EQ(CountCells(g, kCellRole), 1);
    ClearRoleFootprint(edge);
    // The player's bit stays while another role leaves the same cell.
    RoleSlot* player = MakeRole(1, 1, 16, 16, 1, 1);
    RoleSlot* other = MakeRole(2, 9, 16, 16, 1, 1, 0x8000 | kRoleWide);
    MarkRoleFootprint(player);
    MarkRoleFootprint(other);
    EXPECT_EQ(g.at(1, 1), kCellRole | kCellPlayer | kCellWide);
    ClearRoleFootprint(other);
    EXPECT_EQ(g.at(1, 1), kCellPlayer);
    ClearRoleFootprint(player);
    EXPECT_EQ(g.at(1, 1), 0u);
}

TEST_F(RoleTable, LookupTakesPlayerReferencesAndSkipsRemovedRowsAreasAndBlockedDirections) {
    GridMap g(4, 4);
    gPlayerSlot = 3;
    MakeRole(1, 40, 0, 0, 1, 1, 0x8000 | kRoleGone);
    MakeRole(2, 40, 0, 0, 1, 1);
    const struct {
        int ref, found, index;
    } kCases[] = {{kPlayerRef, 1, 3}, {kPlayerRef2, 1, 3}, {40, 1, 2}, {41, 0, -1}};
    for (const auto& c : kCases) {
        int i = -5;
        EXPECT_EQ(GetRoleIndex(c.ref, &i), c.found) << c.ref;
        EXPECT_EQ(i, c.index) << c.ref;
    }
    // Free areas and blocked directions.
    GridMap area(6, 6);
    area.at(3, 2) = kCellWall;
    area.at(1, 1) = 5;  // an event number blocks too
    EXPECT_EQ(IsAreaFree(2, 2, 1, 1), 1);
    EXPECT_EQ(IsAreaFree(2, 2, 2, 1), 0);
    EXPECT_EQ(IsAreaFree(0, 0, 2, 2), 0);
    EXPECT_EQ(IsAreaFree(0, 0, 3, 0), 1);
    // 1 x 1 at (2, 2): right neighbour walled, up-left has the event.
    EXPECT_EQ(GetBlockedDirections(&area.at(2, 2), 1, 1, kCellWalkMask), 0x08 | 0x01);
    // 2 x 1 at (2, 3): row above c0..c3 = (1..4, 2); (3, 2) is c2: bits 0x02 and 0x04.
    EXPECT_EQ(GetBlockedDirections(&area.at(2, 3), 2, 1, kCellWalkMask), 0x02 | 0x04);
}

TEST_F(RoleTable, RecordUpdatesKeepSentinelsAndRoundTripThroughRows) {
    GridMap g(10, 10);
    BindRecords({50, 51});
    EXPECT_EQ(gRoleRecordCount, 2);
    SetRecordWord(0, 0, 7);
    SetRecordWord(0, 10, 0x0100);
    EXPECT_EQ(UpdateRoleRecord(50, -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, 0x80, -1, -1, 0x8080, 255),
              1);
    EXPECT_EQ(std::tuple(RecordWord(0, 10), RecordWord(0, 0)), std::tuple(0x0180, 7));
    // 0xFFFF as a map id keeps the map: stored it would end the table.
    UpdateRoleRecord(50, -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, 0xFFFF, -1, 0xFFFF, 0xFFFF, 255);
    EXPECT_EQ(RecordWord(0, 0), 7);
    EXPECT_EQ(UpdateRoleRecord(99, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1), 0);
    // A new script id zeroes the program counter.
    SetRecordWord(0, 9, 33);
    UpdateRoleRecord(50, 1200, 2, 3, 4, 5, 6, 8, 0xFFFF, 0x00FF, 9, 77, 88);
    EXPECT_EQ(std::tuple(RecordWord(0, 9), RecordWord(0, 10), RecordWord(0, 11), RecordWord(0, 12)),
              std::tuple(0, 0x0080, 77, 88));

    // Row -> slot -> row.
    gMapRoleCount = 2;
    RoleSlot& s = gMapRoles[1];
    s.act = NewActPlayer();
    EXPECT_EQ(ApplyRoleRecord(&s, 50), 9);
    EXPECT_EQ(std::tuple(s.x, s.y, s.act->act), std::tuple(4 * 16, 5 * 16, 1200));
    s.x = 6 * 16;
    s.act->dir = 7;
    s.extra2 = 0x42;
    s.state = 0x8000;  // not a follower: the row keeps the role's own cell
    StoreRoleRecords(0, 0);
    EXPECT_EQ(std::tuple(RecordWord(0, 5), RecordWord(0, 4), RecordByte(0, 25)),
              std::tuple(6, 7, 0x42));
    EXPECT_EQ(ApplyRoleRecord(&s, 77), -1);

    // The save loader writes every word, sentinels included.
    u16 words[kRecordWords] = {3,      51,     0xFFFF, 0xFFFF, 0xFFFF, 1,  2,
                               0xFFFF, 0xFFFF, 0,      0,      0x8080, 255};
    EXPECT_EQ(RestoreRoleRecord(1, words), 1);
    EXPECT_EQ(std::tuple(RecordWord(1, 2), RecordWord(1, 11)), std::tuple(0xFFFF, 0x8080));
}

TEST_F(RoleTable, FollowerStoresThePlayersCellUnboundRecordsReportAndCutTablesCountWholeRows) {
    GridMap g(10, 10);
    BindRecords({60});
    PutRole(1, 60, 0, 0, kRoleFollows);
    PutRole(2, 61, 0, 0);  // no record
    StoreRoleRecords(4, 5);
    EXPECT_EQ(std::tuple(RecordWord(0, 5), RecordWord(0, 6)), std::tuple(4, 5));
    ASSERT_EQ(h.boxes().size(), 1u);
    // An unterminated record table counts only whole rows.
    std::vector<u8> table(2 * kRecordBytes + 5, 1);
    EXPECT_FALSE(BindRoleRecords(table.data(), table.size()));
    EXPECT_EQ(gRoleRecordCount, 2);
    EXPECT_EQ(RecordWord(2, 0), 0);  // past the rows reads nothing
}

}  // namespace
