// Edge maps, soft-edged drawing and the line drawer.
#include <tuple>

#include "BlitRef.h"
#include "engine/AaDraw.h"

namespace {

// A picture from a mask: '#' a pixel of colour v, '.' the first key.
std::vector<u8> FromMask(const std::vector<std::string>& rows, u16 v) {
    i32 w = static_cast<i32>(rows[0].size()), h = static_cast<i32>(rows.size());
    std::vector<u16> px;
    for (const auto& r : rows)
        for (char ch : r) px.push_back(ch == '#' ? v : 619);
    return blit_ref::Encode(px.data(), w, h);
}

struct MapHolder {
    u8* map;
    explicit MapHolder(const void* pic) : map(MakeAntiAliasMap(pic)) {}
    ~MapHolder() {
        if (map) MH_FREE(map);
    }
    u8 At(i32 w, i32 x, i32 y) const { return AntiAliasLevels(map)[y * w + x]; }
};

// The edge level from the diamond rule, straight from the mask.
i32 LevelRef(const std::vector<std::string>& rows, i32 x, i32 y) {
    i32 h = static_cast<i32>(rows.size()), w = static_cast<i32>(rows[0].size()), k = 0;
    for (i32 dy = -2; dy <= 2; ++dy)
        for (i32 dx = -2; dx <= 2; ++dx) {
            i32 xx = x + dx, yy = y + dy;
            if (std::abs(dx) + std::abs(dy) > 2 || xx < 0 || yy < 0 || xx >= w || yy >= h) continue;
            k += rows[yy][xx] == '.';
        }
    return 15 - k;
}

// The blend of an edge level from its table of source and screen terms: levels
// 9-14 take s/8, s/4, s/4 + s/8, s/2 + s/16, s/2 + s/8 + s/16 and s/2 + s/4 +
// s/16, and the screen the other terms, a blend of 2, 4, 6, 9, 11 and 13
// sixteenths.
u16 EdgeRef(u16 s, u16 d, i32 m) {
    static const int kLevels[6] = {2, 4, 6, 9, 11, 13};
    return m <= 8 ? d : m >= 15 ? s : blit_ref::BlendRef(s, d, kLevels[m - 9]);
}

TEST(AntiAlias, EdgeLevelsFollowTheDiamondAndDrawingBlendsByLevel) {
    Canvas c(k565);
    std::mt19937 rng(2);
    // The scratch copy must not depend on the screen's clip, the wave or the
    // picture's size against the screen.
    SetClip(300, 300, 310, 310);
    gPaintWave = 5;
    for (int iter = 0; iter < 30; ++iter) {
        i32 w = 1 + rng() % 20, h = 1 + rng() % 20;
        if (iter == 0) w = 900;  // wider than the screen
        std::vector<std::string> rows(h, std::string(w, '#'));
        for (auto& r : rows)
            for (auto& ch : r)
                if (rng() % 4 == 0) ch = '.';
        std::vector<u8> pic = FromMask(rows, 0x1234);
        ClipRect clip = gClipRect;
        u16* buf = gPaintBuf;
        MapHolder m(pic.data());
        ASSERT_NE(m.map, nullptr);
        EXPECT_EQ(std::tuple(gClipRect.left, gPaintBuf, gRowOffsets[5]),
                  std::tuple(clip.left, buf, 5u * 1280));
        for (i32 y = 0; y < h; ++y)
            for (i32 x = 0; x < w; ++x)
                ASSERT_EQ(m.At(w, x, y), LevelRef(rows, x, y)) << iter << " " << x << "," << y;
    }
    EXPECT_EQ(gPaintWave, 5);
    EXPECT_EQ(MakeAntiAliasMap(nullptr), nullptr);
    Canvas dc(k555);
    std::vector<std::string> shape = {".....", "..#..", "..#..", "..#..", "..#..", "..#..",
                                      ".....", "#####", "#####", "#####", "#####", "#####"};
    std::vector<u8> spic = FromMask(shape, 0x7FFF);
    MapHolder sm2(spic.data());
    // A thin line: 8 transparent pixels in the diamond, level 7, not drawn.
    EXPECT_EQ(sm2.At(5, 2, 3), 7);
    SetAntiAliasMap(sm2.map);
    for (i32 X : {100, -2, 637})
        for (i32 Y : {100, -3, 470}) {
            std::vector<u16> want = dc.px;
            for (i32 y = 0; y < 12; ++y)
                for (i32 x = 0; x < 5; ++x) {
                    i32 sx = X + x, sy = Y + y;
                    if (sx < 0 || sy < 0 || sx > 639 || sy > 479 || shape[y][x] == '.') continue;
                    u16& d = want[sy * 640 + sx];
                    d = EdgeRef(0x7FFF, d, LevelRef(shape, x, y));
                }
            ASSERT_EQ(PutPicAntiAlias(X, Y, spic.data()), 1);
            ASSERT_EQ(dc.px, want) << X << "," << Y;
        }
    // Level 12: s/2 + s/16 over a black screen.
    std::vector<std::string> one = {"#####", "#####", "#####", "#####", "####."};
    std::vector<u8> p1 = FromMask(one, 0x7FFF);
    MapHolder m1(p1.data());
    SetAntiAliasMap(m1.map);
    std::fill(dc.px.begin(), dc.px.end(), 0);
    PutPicAntiAlias(0, 0, p1.data());
    EXPECT_EQ(Split(dc.px[3 * 640 + 4]).r, 15 + 7 + 1);  // level 14: s/2 + s/4 + s/16
    EXPECT_EQ(dc.px[0], 0x7FFF);
    // Results for bad inputs.
    Canvas bc(k565);
    std::vector<std::string> square(4, "####");
    std::vector<u8> sq = FromMask(square, 1);
    std::vector<u8> other = FromMask({"###", "###"}, 1);
    MapHolder sm(sq.data()), mo(other.data());
    SetAntiAliasMap(sm.map);
    EXPECT_EQ(PutPicAntiAlias(0, 0, nullptr), -1);
    std::vector<u8> eight = sq;
    eight[6] = 8;
    EXPECT_EQ(PutPicAntiAlias(0, 0, eight.data()), -2);
    EXPECT_EQ(PutPicAntiAlias(640, 0, sq.data()), -3);
    EXPECT_EQ(PutPicAntiAlias(-4, 0, sq.data()), -3);
    EXPECT_EQ(PutPicAntiAlias(0, 480, sq.data()), -3);
    // A map of another picture, or none, is refused.
    std::vector<u16> before = bc.px;
    SetAntiAliasMap(mo.map);
    EXPECT_EQ(PutPicAntiAlias(0, 0, sq.data()), -4);
    SetAntiAliasMap(nullptr);
    EXPECT_EQ(PutPicAntiAlias(0, 0, sq.data()), -4);
    EXPECT_EQ(bc.px, before);
    SetAntiAliasMap(sm.map);
    EXPECT_EQ(PutPicAntiAlias(600, 0, sq.data()), 1);
    EXPECT_EQ(bc.px[603], 1);
}

TEST(Lines, StepsAndClipping) {
    Canvas c(k555);
    // The closed form equals the error-term walk of the rule, clipped.
    std::mt19937 rng(6);
    for (int iter = 0; iter < 200; ++iter) {
        i32 x0 = static_cast<i32>(rng() % 800) - 80, y0 = static_cast<i32>(rng() % 600) - 60;
        i32 x1 = static_cast<i32>(rng() % 800) - 80, y1 = static_cast<i32>(rng() % 600) - 60;
        ClipRect clip = RandomClip(rng);
        std::vector<u16> expect(640 * 480, 0);
        i32 dx = std::abs(x1 - x0), dy = std::abs(y1 - y0), sx = x1 >= x0 ? 1 : -1,
            sy = y1 >= y0 ? 1 : -1;
        i32 x = x0, y = y0, e = 0;
        auto put = [&] {
            if (x >= clip.left && x < clip.left + clip.width && y >= clip.top &&
                y < clip.top + clip.height)
                expect[y * 640 + x] = 9;
        };
        // The longer axis steps every pixel, the other when the error turns positive.
        bool steep = dx <= dy;
        i32 &major = steep ? y : x, &minor = steep ? x : y, n = std::max(dx, dy),
            m = std::min(dx, dy), sMajor = steep ? sy : sx, sMinor = steep ? sx : sy;
        for (i32 i = 0; i <= n; ++i, major += sMajor) {
            put();
            e += m;
            if (e > 0) minor += sMinor, e -= n;
        }
        std::fill(c.px.begin(), c.px.end(), 0);
        gClipRect = clip;
        DrawLine(x0, y0, x1, y1, 0, 9);
        ASSERT_EQ(c.px, expect) << iter;
    }
    // Lines far outside do not hang or write.
    gClipRect = {0, 0, 640, 480};
    std::fill(c.px.begin(), c.px.end(), 0);
    DrawLine(-2000000000, -5, 2000000000, 5, 0, 1);
    DrawLine(-2000000000, -2000000000, -1000000000, 2000000000, 0, 1);
    i32 n = 0;
    for (u16 v : c.px) n += v != 0;
    EXPECT_EQ(n, 640);
}

}  // namespace
