// R250 random numbers against values worked out from the generator's rules.
#include <gtest/gtest.h>

#include "engine/Random.h"

TEST(Random, SeedStepFollowsTheLinearCongruentialRule) {
    SetSeed(0);
    EXPECT_EQ(NextSeed(), 0u);  // state 1
    EXPECT_EQ(gRandomTable.seed, 1u);
    EXPECT_EQ(NextSeed(), (22695478u >> 16) & 0x7FFF);
}
