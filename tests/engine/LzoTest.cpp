// LZO packing: round trips, the worst case, and blocks that are corrupt,
// truncated or larger than they say.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/Lzo.h"
#include "base/MemDbg.h"

namespace {

std::vector<u8> Data(size_t n, bool random, u32 seed) {
    std::mt19937 rng(seed);
    std::vector<u8> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = random ? static_cast<u8>(rng()) : static_cast<u8>(i / 37 % 5);
    return v;
}

TEST(Lzo, RoundTripsUnpacksStopAtTheCapacityAndBlocksRefuseMismatches) {
    for (size_t n : {0u, 1u, 2u, 15u, 100u, 4096u, 65537u, 1000000u}) {
        for (bool random : {true, false}) {
            std::vector<u8> in = Data(n, random, static_cast<u32>(n));
            i32 packed = 0;
            u8* p = LzoPack(in.data(), static_cast<i32>(n), &packed);
            ASSERT_NE(p, nullptr);
            EXPECT_LE(static_cast<size_t>(packed), LzoWorstCase(n));
            if (!random && n > 1000) {
                EXPECT_LT(static_cast<size_t>(packed), n / 10);
            }
            std::vector<u8> out(n + 1);
            EXPECT_EQ(LzoUnpackExact(p, packed, out.data(), static_cast<i32>(n)), kLzoOk);
            if (n) {
                EXPECT_EQ(std::memcmp(out.data(), in.data(), n), 0);
            }
            MH_FREE(p);
        }
    }
    // Unpacking stops at the capacity.
    std::vector<u8> in = Data(10000, true, 3);
    i32 packed = 0;
    u8* p = LzoPack(in.data(), 10000, &packed);
    std::vector<u8> out(5000);
    i32 n = 5000;
    EXPECT_EQ(LzoUnpack(p, out.data(), packed, &n), kLzoOutputOverrun);
    EXPECT_LE(n, 5000);
    n = 10000;
    std::vector<u8> full(10000);
    EXPECT_EQ(LzoUnpack(p, full.data(), packed - 1, &n), kLzoInputOverrun);
    EXPECT_EQ(LzoUnpackExact(p, packed, full.data(), 9999), kLzoOutputOverrun);
    i32 m = 20000;
    std::vector<u8> roomy(20000);
    EXPECT_EQ(UnpackMemory(p, packed, roomy.data(), &m), 1);
    EXPECT_EQ(m, 10000);
    MH_FREE(p);
    EXPECT_EQ(LzoPack(in.data(), -1, &packed), nullptr);
    // Blocks carry their sizes and refuse mismatches.
    std::vector<u8> data = Data(50000, false, 1);
    i32 size = 0;
    u8* block = PackBlock(data.data(), 50000, &size);
    ASSERT_NE(block, nullptr);
    u32 bpacked, unpacked;
    std::memcpy(&bpacked, block, 4);
    std::memcpy(&unpacked, block + 4, 4);
    EXPECT_EQ(bpacked + 8, static_cast<u32>(size));
    EXPECT_EQ(unpacked, 50000u);
    i32 got = 0;
    u8* back = UnpackBlock(block, size, &got);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(got, 50000);
    EXPECT_EQ(std::memcmp(back, data.data(), 50000), 0);
    MH_FREE(back);

    std::vector<u8> b(block, block + size);
    MH_FREE(block);
    auto unpack = [](std::vector<u8> v, i32 max = 64 << 20) {
        i32 bn = -1;
        u8* p = UnpackBlock(v.data(), static_cast<i32>(v.size()), &bn, max);
        if (p) MH_FREE(p);
        return p != nullptr;
    };
    std::vector<u8> t = b;
    u32 bigger = 50001, smaller = 49999, huge = 0x7FFFFFFF;
    std::memcpy(&t[4], &bigger, 4);
    EXPECT_FALSE(unpack(t));  // unpacks short of its stated size
    std::memcpy(&t[4], &smaller, 4);
    EXPECT_FALSE(unpack(t));  // would pass its capacity
    std::memcpy(&t[4], &huge, 4);
    EXPECT_FALSE(unpack(t));
    EXPECT_FALSE(unpack(b, 1000));  // over the caller's bound
    t = b;
    t.resize(t.size() - 3);
    EXPECT_FALSE(unpack(t));  // truncated
    EXPECT_FALSE(unpack(std::vector<u8>(b.begin(), b.begin() + 7)));
    for (int i = 0; i < 200; ++i) {  // corrupt bytes: never more than the capacity
        t = b;
        std::mt19937 rng(i);
        for (int k = 0; k < 4; ++k)
            t[8 + rng() % (t.size() - 8)] ^= static_cast<u8>(1 + rng() % 255);
        unpack(t);
    }
}

}  // namespace
