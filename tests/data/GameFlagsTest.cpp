// Game flags: bit layout, the fixed numbers and the numbers outside the table.
#include <gtest/gtest.h>

#include "data/GameFlags.h"

TEST(GameFlags, FlagNIsBitNAnd7OfByteNShift3) {
    ResetGameFlags();
    SetGameFlag(9);
    EXPECT_EQ(gGameFlags[1], 0x02);
    for (int i = 0; i < kGameFlagBytes; ++i) {
        if (i == 1) continue;
        ASSERT_EQ(gGameFlags[i], 0) << "byte " << i;
    }
    EXPECT_EQ(GetGameFlag(9), 1);
    EXPECT_EQ(GetGameFlag(8), 0);
    EXPECT_EQ(GetGameFlag(10), 0);

    SetGameFlag(0);
    SetGameFlag(7);
    EXPECT_EQ(gGameFlags[0], 0x81);
    SetGameFlag(8159);
    EXPECT_EQ(gGameFlags[1019], 0x80);
    ClearGameFlag(7);
    EXPECT_EQ(gGameFlags[0], 0x01);
}

TEST(GameFlags, PutSetsOnlyForExactlyOne) {
    ResetGameFlags();
    EXPECT_EQ(PutGameFlag(322, 1), 0);
    EXPECT_EQ(GetGameFlag(322), 1);
    EXPECT_EQ(PutGameFlag(322, 2), 0);
    EXPECT_EQ(GetGameFlag(322), 0);
    SetGameFlag(322);
    PutGameFlag(322, -1);
    EXPECT_EQ(GetGameFlag(322), 0);
    PutGameFlag(322, 0);
    EXPECT_EQ(GetGameFlag(322), 0);
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
    for (int i = 0; i < kGameFlagBytes; ++i) ASSERT_EQ(gGameFlags[i], 0) << "byte " << i;
}
