// R250 random numbers against sequences worked out by hand from the generator's
// rules: the seed, the table, draws, ranges and the index's wrap.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "engine/Random.h"

namespace {

TEST(Random, SeedTableDrawsAndEdgeCases) {
    // The seed steps by the linear congruential rule: 22695478 >> 16 = 346.
    SetSeed(0);
    for (u32 v : {0u, 346u, 130u, 10982u}) EXPECT_EQ(NextSeed(), v);
    InitRandom(12345);
    EXPECT_EQ(std::tuple(gRandomTable.word[0], gRandomTable.word[1], gRandomTable.word[3],
                         gRandomTable.word[14]),
              std::tuple(15301u, 57764u, 56345u, 26232u));
    // The sixteen words at 3 + 11k carry bit 15 - k and nothing above it.
    for (int k = 0; k < 16; ++k) EXPECT_EQ(gRandomTable.word[3 + 11 * k] >> (15 - k), 1u) << k;
    for (u32 v : {1173u, 53403u, 52352u, 35341u, 27497u}) EXPECT_EQ(NextRandom(), v);
    EXPECT_EQ(gRandomTable.index, 5u);
    // RandomN uses the second word of each pair.
    InitRandom(12345);
    for (u32 v : {3u, 41u, 11u, 46u, 2u, 89u, 52u, 25u}) EXPECT_EQ(RandomN(100), v);
    InitRandom(99);
    u32 before = gRandomTable.index;
    // One draw for a range of one, none for 0.
    EXPECT_EQ((std::tuple{RandomN(1), gRandomTable.index, RandomN(0), gRandomTable.index}),
              std::tuple(0u, before + 2, 0u, before + 2));
    // A table of zeros but for the words that make the draws: a step at index
    // i gives word[i] ^ word[i + 103]. RandomN(65535) takes the words of steps 2
    // and 4: the first, 65535, is drawn again (65535 % 65535 would be 0), the
    // second is 1234. The largest word, 65535, is 65535 / 65536 as a real.
    gRandomTable = RandomTable{};
    gRandomTable.word[1] = 0xFFFF;
    gRandomTable.word[3] = 1234;
    gRandomTable.word[4] = 0xFFFF;
    u32 drawn = RandomN(65535);
    EXPECT_EQ(std::tuple(drawn, gRandomTable.index), std::tuple(1234u, 4u));
    EXPECT_EQ(RandomReal(), 65535.0 / 65536.0);
    // The index wraps from 249 to 0.
    InitRandom(5);
    for (int i = 0; i < 250; ++i) NextRandom();
    EXPECT_EQ(gRandomTable.index, 0u);
    // Ranges wider than one 16-bit word: the draw ends, stays inside the range and
    // reaches its upper part (one word alone never passes 65535).
    InitRandom(2024);
    const u32 n = 200000;
    int above = 0;
    u32 top = 0;
    for (int i = 0; i < 3000; ++i) {
        u32 r = RandomN(n);
        ASSERT_LT(r, n);
        above += r > 65535;
        top = std::max(top, r);
    }
    // About two draws in three lie above 65535.
    EXPECT_NEAR(above, 2000, 199);
    EXPECT_GT(top, 190000u);
    EXPECT_LT(RandomN(0xFFFFFFFFu), 0xFFFFFFFFu);
    EXPECT_LT(RandomN(65536), 65536u);
}

}  // namespace
