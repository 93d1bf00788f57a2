// Run-coded pictures: exact words, round trips, conversions, pixel tests and
// pictures that lie about their rows.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "base/ByteIo.h"
#include "base/MemDbg.h"
#include "engine/Lzo.h"
#include "engine/PixelFormat.h"
#include "engine/RlePic.h"

namespace {

std::vector<u16> Words(const u8* p, i32 size) {
    std::vector<u16> w(size / 2);
    std::memcpy(w.data(), p, w.size() * 2);
    return w;
}

// The value of each pixel of row y from 0 to n - 1 by the pixel test; -1 where
// it is not solid.
std::vector<i64> Solid(const void* pic, size_t size, i32 n, i32 y = 0) {
    std::vector<i64> out;
    for (i32 x = 0; x < n; ++x) {
        u32 v = 0;
        out.push_back(IsPicPixelSolid(pic, size, x, y, &v) ? i64{v} : -1);
    }
    return out;
}

std::vector<u8> Bytes(u8* p, i32 size) {
    std::vector<u8> v(p, p + size);
    MH_FREE(p);
    return v;
}

// A valid 2x2 picture to damage.
std::vector<u8> Sample() {
    u16 px[4] = {1, 2, 619, 3};
    i32 size = 0;
    u8* pic = RleEncode(px, &size, 2, 2, 16);
    return Bytes(pic, size);
}

void SetWord(std::vector<u8>& b, size_t at, u16 v) {
    std::memcpy(&b[at], &v, 2);
}

TEST(RlePic, EncodesExactlyRoundTripsEveryWidthAndPixelTestsSeeOnlyLiteralRuns) {
    auto words = [](std::vector<u16> px) {
        i32 size = 0;
        u8* pic = RleEncode(px.data(), &size, static_cast<i32>(px.size()), 1, 16);
        std::vector<u16> w = Words(pic, size);
        MH_FREE(pic);
        return w;
    };
    EXPECT_EQ(
        words({619, 619, 619, 619, 619, 0x1111, 0x2222, 0x3333}),
        (std::vector<u16>{0xFFFF, 8, 1, 0x8010, 14, 0xC005, 0x0003, 0x1111, 0x2222, 0x3333, 0, 0}));
    // No first-key run: depth bit 15 clear.
    EXPECT_EQ(words({1, 12703, 2}),
              (std::vector<u16>{0xFFFF, 3, 1, 16, 0x8000 | 14, 1, 1, 0x8001, 1, 2, 0, 0}));
    // Pixel tests see only literal runs.
    u16 px[6] = {0x100, 0x200, 619, 619, 0x300, 12703};
    i32 size = 0;
    u8* pic = RleEncode(px, &size, 6, 1, 16);
    // Pixel 6 lies past the width, row 1 past the height.
    EXPECT_EQ(Solid(pic, size, 7), (std::vector<i64>{0x100, 0x200, -1, -1, 0x300, -1, -1}));
    EXPECT_EQ(std::pair(IsPicPixelSolid(pic, size, 0, 1, nullptr),
                        IsPicPixelSolid(pic, size, 4, 0, nullptr)),
              std::pair(false, true));
    PicFrame f{.pixels = pic, .size = static_cast<u32>(size)};
    EXPECT_EQ(std::tuple(PicHitTest(&f, 101, 50, 100, 50), PicHitTest(&f, 102, 50, 100, 50),
                         PicHitTest(&f, 99, 50, 100, 50)),
              std::tuple(1, 0, 0));
    MH_FREE(pic);

    // A run of the kind never written is taken and is transparent: it
    // decodes to the first key.
    const u16 unused[] = {0xFFFF, 2, 1, 0x10, 10, 0x4001, 1, 0x7C00, 0, 0};
    EXPECT_EQ(Solid(unused, sizeof unused, 2), (std::vector<i64>{-1, 0x7C00}));
    i32 w = 0, h = 0, d = 0;
    u16* back = static_cast<u16*>(RleDecode(unused, sizeof unused, &w, &h, &d));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::tuple(back[0], back[1]), std::tuple(619, 0x7C00));
    MH_FREE(back);
    // Round trips of every width in both depths.
    std::mt19937 rng(11);
    for (i32 w = 1; w <= 2000; ++w) {
        i32 h = 1 + w % 3;
        std::vector<u16> px(static_cast<size_t>(w) * h);
        std::vector<u8> idx(px.size());
        for (size_t i = 0; i < px.size(); ++i) {
            u32 pick = rng() % 5;
            px[i] = pick == 0 ? 619 : pick == 1 ? 12703 : static_cast<u16>(rng() & 0x7FFF);
            idx[i] = static_cast<u8>(pick < 2 ? (pick == 0 ? 1 : 3) : rng() % 8);
        }
        for (int depth : {16, 8}) {
            const void* src = depth == 16 ? static_cast<const void*>(px.data()) : idx.data();
            i32 size = 0;
            u8* pic = RleEncode(src, &size, w, h, depth);
            ASSERT_TRUE(RleCheck(pic, size)) << w;
            i32 ow = 0, oh = 0, od = 0;
            void* back = RleDecode(pic, size, &ow, &oh, &od);
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(std::tuple(ow, oh, od), std::tuple(w, h, depth));
            ASSERT_EQ(std::memcmp(back, src, px.size() * depth / 8), 0) << w;
            MH_FREE(back);
            MH_FREE(pic);
        }
    }
    // Long runs are split at the count limit.
    std::vector<u16> run(20000, 619);
    run[19999] = 5;
    pic = RleEncode(run.data(), &size, 20000, 1, 16);
    std::vector<u16> runWords = Words(pic, size);
    EXPECT_EQ((std::vector<u16>{runWords[5], runWords[6]}),
              (std::vector<u16>{0xC000 | 16383, 0xC000 | (19999 - 16383)}));
    i32 ow, oh, od;
    void* runBack = RleDecode(pic, size, &ow, &oh, &od);
    EXPECT_EQ(std::memcmp(runBack, run.data(), run.size() * 2), 0);
    MH_FREE(runBack);
    MH_FREE(pic);
}

TEST(RlePic, ConvertsAndRefusesHugeHeadersAndPicturesThatLieAboutTheirRows) {
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    u16 px[4] = {0x7FFF, 619, 0x0001, 12703};
    i32 size = 0;
    u8* pic = RleEncode(px, &size, 4, 1, 16);
    i32 w = 0, h = 0, d = 0;
    EXPECT_EQ((std::pair{RleConvertToScreen(pic, size, &w, &h, &d), Solid(pic, size, 1)}),
              std::pair(1, std::vector<i64>{0xFFDF}));
    MH_FREE(pic);

    u8 idx[5] = {0, 1, 2, 3, 2};
    pic = RleEncode(idx, &size, 5, 1, 8);
    u16 pal[256] = {};
    pal[0] = 0x7C00;
    pal[2] = 0x001F;
    PicFrame f{.pixels = pic, .palette = pal, .size = static_cast<u32>(size)};
    // Indices 1 and 3 are the keys.
    EXPECT_EQ((std::pair{RleConvert8To16(&f), int{f.width}}), std::pair(1, 5));
    ASSERT_TRUE(RleCheck(f.pixels, f.size));
    EXPECT_EQ(Solid(f.pixels, f.size, 5), (std::vector<i64>{0xF800, -1, 0x001F, -1, 0x001F}));

    // The same with the palette in front of the picture.
    pic = RleEncode(idx, &size, 5, 1, 8);
    i32 hsize = size + 512;
    u8* holder = static_cast<u8*>(MH_ALLOC(hsize));
    std::memcpy(holder, pal, 512);
    std::memcpy(holder + 512, pic, size);
    MH_FREE(pic);
    u8* conv = RleConvertPaletted8To16(holder, &hsize);
    ASSERT_NE(conv, nullptr);
    EXPECT_EQ(std::memcmp(conv, f.pixels, hsize), 0);
    MH_FREE(conv);
    MH_FREE(f.pixels);
    ResetPixelFormat();
    // Two rows of one literal pixel each, under headers whose w x h x 2 wraps in
    // 32 bits (65535 x 32769 x 2 = 2^32 + 65534), turns negative (2^31) or asks
    // for gigabytes: the second row would land past a buffer sized in 32 bits.
    auto huge = [](u16 hw, u16 hh) {
        std::vector<u8> b;
        for (u16 v : {u16{0xFFFF}, hw, hh, u16{16}, u16{8}, u16{1}, u16{0x1234}, u16{0}, u16{8},
                      u16{1}, u16{0x4321}, u16{0}, u16{0}})
            b.insert(b.end(), {static_cast<u8>(v), static_cast<u8>(v >> 8)});
        return b;
    };
    i32 hw = 0, hh = 0, hd = 0;
    for (auto [pw, ph] : {std::pair<u16, u16>{65535, 32769}, {32768, 32768}, {65535, 65535}}) {
        std::vector<u8> b = huge(pw, ph);
        ASSERT_TRUE(RleCheck(b.data(), b.size())) << pw << "x" << ph;
        EXPECT_EQ(RleDecode(b.data(), b.size(), &hw, &hh, &hd), nullptr) << pw << "x" << ph;
    }
    // The same rows under a modest header decode, both pixels in place.
    std::vector<u8> ok = huge(3, 2);
    u16* hpx = static_cast<u16*>(RleDecode(ok.data(), ok.size(), &hw, &hh, &hd));
    ASSERT_NE(hpx, nullptr);
    EXPECT_EQ(std::tuple(hw, hh, hpx[0], hpx[3]), std::tuple(3, 2, 0x1234, 0x4321));
    MH_FREE(hpx);
    // Pictures that lie about their rows are refused by every reader.
    std::vector<u8> good = Sample();
    ASSERT_TRUE(RleCheck(good.data(), good.size()));
    i32 lw, lh, ld;
    // Rows whose runs overrun the width, a row length past the buffer, a run of
    // the kind never written past the width, more rows than the height, a wrong
    // depth and a wrong magic.
    const std::pair<size_t, u16> lies[] = {{10, 3}, {8, 0x7FF0}, {10, 0x4003},
                                           {4, 1},  {6, 12},     {0, 0xFF00}};
    for (auto [at, word] : lies) {
        std::vector<u8> lb = good;
        SetWord(lb, at, word);
        EXPECT_FALSE(RleCheck(lb.data(), lb.size())) << at << " " << word;
        EXPECT_EQ(RleDecode(lb.data(), lb.size(), &lw, &lh, &ld), nullptr) << at << " " << word;
        EXPECT_FALSE(IsPicPixelSolid(lb.data(), lb.size(), 0, 0, nullptr)) << at << " " << word;
        EXPECT_EQ(RleConvertToScreen(lb.data(), lb.size(), &lw, &lh, &ld), 0) << at << " " << word;
    }
    for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(RleCheck(good.data(), n)) << n;
}

// LZO packing: round trips, the worst case, and blocks that are corrupt,
// truncated or larger than they say.

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
            std::vector<u8> in = Data(n, random, static_cast<u32>(n)), out(n + 1);
            i32 packed = 0;
            u8* p = LzoPack(in.data(), static_cast<i32>(n), &packed);
            ASSERT_NE(p, nullptr);
            EXPECT_LE(static_cast<size_t>(packed),
                      !random && n > 1000 ? n / 10 - 1 : LzoWorstCase(n));
            EXPECT_EQ(LzoUnpackExact(p, packed, out.data(), static_cast<i32>(n)), kLzoOk);
            EXPECT_TRUE(std::equal(in.begin(), in.end(), out.begin()));
            MH_FREE(p);
        }
    }
    // Unpacking stops at the capacity and at the end of the input.
    std::vector<u8> in = Data(10000, true, 3), out(20000);
    i32 packed = 0;
    u8* p = LzoPack(in.data(), 10000, &packed);
    i32 n = 5000;
    EXPECT_EQ((std::pair{LzoUnpack(p, out.data(), packed, &n), n <= 5000}),
              std::pair(kLzoOutputOverrun, true));
    n = 10000;
    EXPECT_EQ(LzoUnpack(p, out.data(), packed - 1, &n), kLzoInputOverrun);
    EXPECT_EQ(LzoUnpackExact(p, packed, out.data(), 9999), kLzoOutputOverrun);
    n = 20000;
    EXPECT_EQ((std::pair{UnpackMemory(p, packed, out.data(), &n), n}), std::pair(1, 10000));
    MH_FREE(p);
    EXPECT_EQ(LzoPack(in.data(), -1, &packed), nullptr);
    // Blocks carry their packed and unpacked sizes and refuse mismatches.
    std::vector<u8> data = Data(50000, false, 1);
    i32 size = 0;
    u8* block = PackBlock(data.data(), 50000, &size);
    ASSERT_NE(block, nullptr);
    std::vector<u8> b(block, block + size);
    MH_FREE(block);
    EXPECT_EQ(std::pair(LoadU32(&b[0]) + 8, LoadU32(&b[4])),
              std::pair(static_cast<u32>(size), 50000u));
    // The unpacked bytes, or none when refused.
    auto unpack = [](std::vector<u8> v, i32 max = 64 << 20) {
        i32 bn = -1;
        u8* p = UnpackBlock(v.data(), static_cast<i32>(v.size()), &bn, max);
        std::vector<u8> out(p, p + (p ? bn : 0));
        if (p) MH_FREE(p);
        return out;
    };
    EXPECT_EQ(unpack(b), data);
    auto stated = [&](u32 unpacked) {
        std::vector<u8> t = b;
        std::memcpy(&t[4], &unpacked, 4);
        return t;
    };
    // Short of its stated size, past its capacity, or huge; over the caller's
    // bound; truncated.
    for (const auto& bad :
         {stated(50001), stated(49999), stated(0x7FFFFFFF), std::vector<u8>(b.begin(), b.end() - 3),
          std::vector<u8>(b.begin(), b.begin() + 7)})
        EXPECT_TRUE(unpack(bad).empty());
    EXPECT_TRUE(unpack(b, 1000).empty());  // over the caller's bound
    for (int i = 0; i < 200; ++i) {        // corrupt bytes: never more than the capacity
        std::vector<u8> t = b;
        std::mt19937 rng(i);
        for (int k = 0; k < 4; ++k)
            t[8 + rng() % (t.size() - 8)] ^= static_cast<u8>(1 + rng() % 255);
        unpack(t);
    }
}

}  // namespace
