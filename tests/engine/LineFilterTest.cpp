// Line colour filters against per-channel references, in both layouts, with
// their edge values and odd counts.
#include <cstring>

#include "DrawTestUtil.h"
#include "engine/LineFilter.h"

namespace {

i32 Sat(i32 v) {
    return v < 0 ? 0 : v > 31 ? 31 : v;
}

class LineFilters : public ::testing::TestWithParam<Layout> {};

TEST_P(LineFilters, MatchTheChannelRules) {
    Canvas c(GetParam());
    std::mt19937 rng(31);
    for (int iter = 0; iter < 200; ++iter) {
        i32 n = static_cast<i32>(rng() % 40);
        std::vector<u16> px(n + 2), src(n + 2);
        for (auto& v : px) v = static_cast<u16>(rng());
        for (auto& v : src) v = static_cast<u16>(rng());
        i32 d[3];
        for (auto& v : d) v = static_cast<i32>(rng() % 81) - 40;
        // The guard pixel past n must survive every filter.
        u16 guard = px[n];

        std::vector<u16> a = px;
        AdjustRGB(a.data(), n, d[0], d[1], d[2]);
        std::vector<u16> g = px;
        GreyLine(g.data(), n);
        std::vector<u16> s = px;
        AddLine(src.data(), s.data(), n);
        std::vector<u16> r = px, gr = px, b = px;
        AdjustRed(r.data(), n, d[0]);
        AdjustGreen(gr.data(), n, d[1]);
        AdjustBlue(b.data(), n, d[2]);
        for (i32 i = 0; i < n; ++i) {
            Rgb p = Split(px[i]), q = Split(src[i]);
            ASSERT_EQ(a[i], Join({Sat(p.r + d[0]), Sat(p.g + d[1]), Sat(p.b + d[2])})) << iter;
            i32 v = (p.r + p.g + p.b) / 4;
            ASSERT_EQ(g[i], Join({v, v, v}));
            ASSERT_EQ(s[i], Join({Sat(p.r + q.r), Sat(p.g + q.g), Sat(p.b + q.b)}));
            // Single channels keep every other bit of the pixel.
            ASSERT_EQ(r[i], (px[i] & ~gMaskR) | Join({Sat(p.r + d[0]), 0, 0})) << iter;
            ASSERT_EQ(gr[i], (px[i] & ~gMaskG) | Join({0, Sat(p.g + d[1]), 0})) << iter;
            ASSERT_EQ(b[i], (px[i] & ~gMaskB) | Join({0, 0, Sat(p.b + d[2])})) << iter;
        }
        for (auto* line : {&a, &g, &s, &r, &gr, &b}) ASSERT_EQ((*line)[n], guard) << iter;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, LineFilters, ::testing::Values(k565, k555),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineFilterEdges, ValuesFromTheRules) {
    Canvas c(k555);
    u16 px[4] = {0x1234, 0x7FFF, 0, 0x7C00};
    u16 same[4];
    std::memcpy(same, px, sizeof px);
    AdjustRGB(px, 4, 0, 0, 0);
    EXPECT_EQ(std::memcmp(px, same, sizeof px), 0);
    AdjustRGB(px, 4, 31, 31, 31);
    for (u16 v : px) EXPECT_EQ(v, 0x7FFF);
    AdjustRGB(px, 4, -31, -31, -31);
    for (u16 v : px) EXPECT_EQ(v, 0);
    u16 red30 = Join({30, 0, 0});
    AdjustRGB(&red30, 1, 2, 0, 0);
    EXPECT_EQ(Split(red30).r, 31);
    u16 pair[2] = {Join({0, 0, 0}), Join({0, 31, 0})};
    AdjustGreen(pair, 2, -1);
    EXPECT_EQ(Split(pair[0]).g, 0);
    EXPECT_EQ(Split(pair[1]).g, 30);
    // An odd count changes exactly n pixels.
    u16 three[4] = {0, 0, 0, 0x1111};
    AdjustBlue(three, 3, 5);
    EXPECT_EQ(Split(three[2]).b, 5);
    EXPECT_EQ(three[3], 0x1111);
    u16 a = Join({20, 0, 0}), b = Join({20, 0, 0});
    AddLine(&a, &b, 1);
    EXPECT_EQ(Split(b).r, 31);
    u16 white = 0x7FFF, blue = 0x001F;
    GreyLine(&white, 1);
    GreyLine(&blue, 1);
    EXPECT_EQ(white, Join({23, 23, 23}));
    EXPECT_EQ(blue, Join({7, 7, 7}));
    // Zero and negative counts and null lines change nothing.
    AdjustRGB(nullptr, 5, 1, 1, 1);
    AdjustGreen(nullptr, 4, 1);
    AddLine(nullptr, &b, 1);
    u16 keep = 0x1234;
    AdjustRGB(&keep, 0, 5, 5, 5);
    AdjustRed(&keep, -3, 5);
    GreyLine(&keep, -1);
    EXPECT_EQ(keep, 0x1234);
}

TEST(LineFilterEdges, LowGreenBitOnFiveSixFive) {
    Canvas c(k565);
    u16 v = 0x0020;  // only the lowest green bit
    AdjustRGB(&v, 1, 0, 0, 0);
    EXPECT_EQ(v, 0);
    v = 0x0020;
    GreyLine(&v, 1);
    EXPECT_EQ(v, 0);
    u16 s = 0x0020, d = 0x0020;
    AddLine(&s, &d, 1);
    EXPECT_EQ(d, 0);
}

}  // namespace
