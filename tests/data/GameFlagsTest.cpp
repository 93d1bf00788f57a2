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

TEST(GameFlags, FixedNumbersAreIndependentBits) {
    ResetGameFlags();
    const int fixed[] = {1,  3,  4,  5,  6,   7,   8,   9,   10,  12, 13,
                         16, 18, 74, 80, 300, 319, 321, 322, 329, 500};
    for (int f : fixed) SetGameFlag(f);
    for (int f : fixed) EXPECT_EQ(GetGameFlag(f), 1) << f;
    EXPECT_EQ(GetGameFlag(320), 0);
    EXPECT_EQ(GetGameFlag(2), 0);
    ClearGameFlag(300);
    EXPECT_EQ(GetGameFlag(300), 0);
    EXPECT_EQ(GetGameFlag(301), 0);
    EXPECT_EQ(GetGameFlag(319), 1);
    // The saved part is the first 500 bytes: flags below 4000.
    EXPECT_EQ(kSavedFlagBytes * 8, 4000);
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
