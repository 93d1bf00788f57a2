// Line colour filters against per-channel references, in both layouts, with
// their edge values and odd counts.
#include "BlitRef.h"
#include "engine/LineFilter.h"

namespace {

using namespace blit_ref;

class LineFilters : public ::testing::TestWithParam<Layout> {};

TEST_P(LineFilters, MatchTheChannelRulesAndNullLinesOrCountsBelowOneChangeNothing) {
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
    // Null lines and counts below one change nothing.
    Canvas c2(k555);
    AdjustRGB(nullptr, 5, 1, 1, 1);
    AdjustGreen(nullptr, 4, 1);
    u16 one = 0x4321;
    AddLine(nullptr, &one, 1);
    EXPECT_EQ(one, 0x4321);
    u16 keep = 0x1234;
    AdjustRGB(&keep, 0, 5, 5, 5);
    AdjustRed(&keep, -3, 5);
    GreyLine(&keep, -1);
    EXPECT_EQ(keep, 0x1234);
}

INSTANTIATE_TEST_SUITE_P(Layouts, LineFilters, ::testing::Values(k565, k555),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
