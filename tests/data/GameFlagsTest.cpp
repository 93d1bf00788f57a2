// Game flags: bit layout, the fixed numbers and the numbers outside the table.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "data/GameFlags.h"

namespace {
std::vector<u8> FlagBytes() {
    return std::vector<u8>(gGameFlags, gGameFlags + kGameFlagBytes);
}
}  // namespace

TEST(GameFlags, FlagNIsBitNAnd7OfByteNShift3AndPutSetsOnlyForExactlyOne) {
    ResetGameFlags();
    SetGameFlag(9);
    std::vector<u8> want(kGameFlagBytes, 0);
    want[1] = 0x02;
    EXPECT_EQ(FlagBytes(), want);
    EXPECT_EQ(std::tuple(GetGameFlag(8), GetGameFlag(9), GetGameFlag(10)), std::tuple(0, 1, 0));
    SetGameFlag(0);
    SetGameFlag(7);
    SetGameFlag(8159);
    EXPECT_EQ(std::tuple(gGameFlags[0], gGameFlags[1019]), std::tuple(0x81, 0x80));
    ClearGameFlag(7);
    EXPECT_EQ(gGameFlags[0], 0x01);
    // Put: the value and what the flag reads after it.
    for (auto [value, set] : {std::pair(1, 1), {2, 0}, {1, 1}, {-1, 0}, {1, 1}, {0, 0}}) {
        EXPECT_EQ(PutGameFlag(322, value), 0);
        EXPECT_EQ(GetGameFlag(322), set) << value;
    }
}

TEST(GameFlags, NumbersOutsideTheTableReadClearAndAreNotWritten) {
    ResetGameFlags();
    for (int n : {-1, -8, 8160, 8191, 1 << 30}) {
        SetGameFlag(n);
        EXPECT_EQ(GetGameFlag(n), 0) << n;
        EXPECT_EQ(PutGameFlag(n, 1), 0);
        EXPECT_EQ(GetGameFlag(n), 0) << n;
    }
    ClearGameFlag(-5);
    EXPECT_EQ(FlagBytes(), std::vector<u8>(kGameFlagBytes, 0));
}
