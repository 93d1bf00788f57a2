// Graphic effects: particle steps along the direction table, line walker, scaled copies,
// particle allocation failure, and the matrix math.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "engine/GrpEft.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Random.h"
#include "engine/VecMath.h"
#include "engine/Water.h"
#include "platform/Backend.h"

namespace {

// The first n floats of v are near the wanted ones.
void ExpectNear(const float* v, std::vector<float> want) {
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(v[i], want[i], 1e-5) << i;
}

TEST(GrpEft, ParticlesLinesZoomsCopiesAllocationFailuresAndTheMatrixMath) {
    cGrpEft e;
    // Direction, steps, where it ends and how far off that may be: a diagonal
    // steps both axes; tan 27 = 0.51 gives about one y step for two x steps, and
    // past 180 degrees the particle climbs; 63 about two y steps for one x step.
    const struct {
        int dir, steps, x, y, slackX, slackY;
    } walks[] = {{45, 10, 10, 10, 0, 0},
                 {270, 7, 0, -7, 0, 0},
                 {207, 100, -100, -51, 0, 1},
                 {63, 100, 51, 100, 1, 0}};
    for (const auto& w : walks) {
        Particle p;
        p.dir = w.dir;
        for (int i = 0; i < w.steps; ++i) e.StepParticle(p);
        EXPECT_NEAR(p.x, w.x, w.slackX) << w.dir;
        EXPECT_NEAR(p.y, w.y, w.slackY) << w.dir;
    }
    // The line walker visits every point once.
    std::vector<std::pair<int, int>> pts;
    int n = WalkLine(0, 0, 5, 2, [&](int x, int y) { pts.emplace_back(x, y); });
    EXPECT_EQ(std::tuple(n, pts.front(), pts.back()),
              std::tuple(6, std::pair(0, 0), std::pair(5, 2)));
    for (size_t i = 1; i < pts.size(); ++i) {
        EXPECT_LE(std::max(std::abs(pts[i].first - pts[i - 1].first),
                           std::abs(pts[i].second - pts[i - 1].second)),
                  1);
    }
    EXPECT_EQ(
        std::pair(WalkLine(3, 3, 3, 3, [](int, int) {}), WalkLine(0, 9, 0, 0, [](int, int) {})),
        std::pair(1, 10));
    // The work buffer zooms out of its middle row.
    e.SetTarget(8, 8);
    ASSERT_EQ(e.AllocWork(8, 8), 1);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) e.Work()[r * 8 + c] = static_cast<u16>(r + 1);
    std::vector<u16> t(64, 0);
    e.DrawWorkZoomed(t.data(), 2048);  // twice as tall: rows 0..7 show work rows 2..5
    EXPECT_EQ(std::tuple(t[4 * 8], t[0], t[7 * 8]), std::tuple(5, 3, 6));
    cGrpEft c;
    c.SetSource(4, 4);
    c.SetTarget(16, 8);
    std::vector<u16> src(16);
    for (int i = 0; i < 16; ++i) src[i] = static_cast<u16>(i + 1);
    std::vector<u16> dst(16 * 8, 0);
    c.ScaleCopy(dst.data(), src.data(), 1, 1, 512, 512);  // doubled
    EXPECT_EQ(std::tuple(dst[1 * 16 + 1], dst[1 * 16 + 2], dst[1 * 16 + 3], dst[2 * 16 + 1],
                         dst[3 * 16 + 1]),
              std::tuple(1, 1, 2, 1, 5));
    EXPECT_EQ(dst[1 * 16 + 9], 0) << "the source ends after 4 columns = 8 target columns";
    std::fill(dst.begin(), dst.end(), 0);
    src[5] = 0x026B;
    c.ScaleCopyKeyed(dst.data(), src.data(), 14, 6, 1024, 1024, 0x026B);
    EXPECT_EQ(std::pair(dst[6 * 16 + 14], dst[7 * 16 + 15]), std::pair(u16{1}, u16{0}))
        << "the key colour is skipped";
    c.SetArea(-4, 2, 10, 100);
    EXPECT_EQ(std::tuple(c.AreaLeft(), c.AreaRight(), c.AreaTop(), c.AreaBottom()),
              std::tuple(0, 6, 0, 8));
    // One picture drawn into a given buffer stays inside the area.
    ResetPaint();
    std::vector<u16> canvas(640 * 2);
    gPaintBuf = canvas.data();
    const ClipRect clip = gClipRect;
    cGrpEft pe;
    pe.SetTarget(16, 8);
    std::vector<u16> pic(4 * 3);
    for (int i = 0; i < 12; ++i) pic[i] = static_cast<u16>(100 + i);
    std::vector<u16> out(16 * 8, 0);
    // At (14, 6) only the picture's top-left 2 x 2 lies inside the 16 x 8 target.
    pe.DrawPicture(out.data(), pic.data(), 14, 6, 4, 3, 0);
    EXPECT_EQ(std::tuple(out[6 * 16 + 14], out[6 * 16 + 15], out[7 * 16 + 14], out[7 * 16 + 15]),
              std::tuple(100, 101, 104, 105));
    int drawn = 0;
    for (u16 v : out) drawn += v != 0;
    EXPECT_EQ(drawn, 4);
    // An area of columns 0..5 cuts a picture at (4, 0) after two columns.
    std::fill(out.begin(), out.end(), 0);
    pe.SetArea(0, 0, 6, 8);
    pe.DrawPicture(out.data(), pic.data(), 4, 0, 4, 3, 0);
    EXPECT_EQ(std::tuple(out[2 * 16 + 5], out[2 * 16 + 6]), std::tuple(109, 0));
    // The paint target is left as it was.
    EXPECT_EQ(std::tuple(gPaintBuf, gClipRect.width, gClipRect.height),
              std::tuple(canvas.data(), clip.width, clip.height));
    EXPECT_EQ(PaintPixelAddr(0, 1), gPaintBuf + gScreenPitch / 2);
    ResetPaint();
    // A particle allocation failure is reported once.
    PlatformReset();
    cGrpEft ae;
    Particle part{.life = 2, .colour = 9};
    EXPECT_EQ(ae.particle_put(part), 1);
    std::vector<u16> tgt(640 * 480, 0);
    ae.DrawParticles(tgt.data());
    EXPECT_EQ(tgt[0], 9);
    SetParticleAllocator([](int) -> void* { return nullptr; });
    EXPECT_EQ((std::pair{ae.particle_put(part), ae.particle_put(part)}), std::pair(0, 0));
    SetParticleAllocator(nullptr);
    EXPECT_EQ(PlatformRecordedBoxes().size(), 1u);
    for (int left : {1, 0}) {
        ae.UpdateParticles();
        EXPECT_EQ(ae.ParticleCount(), left);
    }
    PlatformReset();
    // The matrix math: products, rotations and normalising.
    float ma[16], mb[16], mc[16], mout[4];
    const float mv[4] = {1, 1, 1, 1}, mx[4] = {1, 0, 0, 1};
    MatTranslation(ma, 1, 2, 3);
    VecMulMat(mv, ma, mout);
    ExpectNear(mout, {2, 3, 4, 1});
    MatTranspose(ma, mb);
    MatMulVec(mb, mv, mout);
    ExpectNear(mout, {2, 3, 4, 1});
    // A quarter turn about z takes x to y; then moved by (1, 2, 3).
    MatRotation(mb, 3.14159265f / 2, 2);
    VecMulMat(mx, mb, mout);
    ExpectNear(mout, {0, 1, 0, 1});
    MatMul(mb, ma, mc);
    VecMulMat(mx, mc, mout);
    ExpectNear(mout, {1, 3, 3, 1});
    MatMul(mc, mc, mc);  // in place: (1, 3, 3) turned to (-3, 1, 3), then moved
    VecMulMat(mx, mc, mout);
    ExpectNear(mout, {-2, 3, 6, 1});
    MatCopy(ma, mb);
    MatScale(mb, 2);
    EXPECT_FLOAT_EQ(mb[12], 2);
    float mn[3] = {3, 0, 4}, mz[3] = {0, 0, 0};
    normalize_3(mn);
    normalize_3(mz);
    ExpectNear(mn, {0.6f, 0, 0.8f});
    ExpectNear(mz, {0, 0, 0});
}

// Water ripples: calm water, a drop that spreads and dies out, drops at the edges.

using Grid = std::vector<std::vector<int>>;

// Every height of the area, row by row.
Grid Heights(const cWater& w) {
    Grid out(w.AreaH());
    for (int r = 0; r < w.AreaH(); ++r)
        for (int c = 0; c < w.AreaW(); ++c) out[r].push_back(w.Height(c, r));
    return out;
}

int NonZero(const cWater& w) {
    int n = 0;
    for (const auto& row : Heights(w))
        for (int h : row) n += h != 0;
    return n;
}

TEST(Water, CalmWaterPlacementDropsSpreadingDyingOutAndTouchingExactlyTheirDisc) {
    cWater w(64, 48, 8, 8, 32, 24);
    EXPECT_TRUE(w.Step());
    std::vector<u16> screen(64 * 48);
    for (size_t i = 0; i < screen.size(); ++i) screen[i] = static_cast<u16>(i * 7);
    w.GrabScreen(screen.data());
    std::vector<u16> out(64 * 48, 0);
    w.Render(out.data());
    for (int y = 9; y < 8 + 23; ++y)
        for (int x = 9; x < 8 + 31; ++x) EXPECT_EQ(out[y * 64 + x], screen[y * 64 + x]);
    EXPECT_EQ(out[0], 0) << "outside the area nothing is drawn";
    // The area is kept on the screen.
    cWater a(64, 48, 0, 0, 16, 16);
    a.SetArea(60, 40);
    EXPECT_EQ(std::make_pair(a.AreaX(), a.AreaY()), std::make_pair(64 - 16 - 1, 48 - 16 - 1));
    cWater big(64, 48, 0, 0, 100, 100);
    EXPECT_EQ(std::make_pair(big.AreaW(), big.AreaX()), std::make_pair(64, 0));
    // DeleteWaterList frees the whole chain.
    gWaterList = new cWater(1, 1, 0, 0, 1, 1);
    gWaterList->next = new cWater(64, 48, 0, 0, 8, 8);
    DeleteWaterList();
    EXPECT_EQ(gWaterList, nullptr);
    // Random drops keep off the sides.
    InitRandom(1234);
    for (int i = 0; i < 200; ++i) {
        cWater rw(100, 60, 0, 0, 100, 60);
        rw.Drop(-1, -1, 5, 1);
        // The centre lies at r + 1 or more, the bump r - 1 round it.
        for (int row = 0; row < 60; ++row)
            for (int c : {0, 1, 99}) ASSERT_EQ(rw.Height(c, row), 0);
    }
    cWater tiny(10, 10, 0, 0, 10, 10);
    tiny.Drop(-1, -1, 8, 1);  // too big to keep off the edges: lands in the middle
    EXPECT_NE(tiny.Height(5, 5), 0);
    // A drop spreads, dies out, renders the displaced screen, and steps by hand.
    cWater spread(80, 80, 0, 0, 80, 80);
    spread.Drop(40, 40, 4, 10);
    int start = NonZero(spread);
    EXPECT_FALSE(spread.Step());
    for (int i = 0; i < 5; ++i) spread.Step();
    EXPECT_GT(NonZero(spread), start) << "the ring grows";
    int steps = 0;
    while (!spread.Step() && steps < 5000) ++steps;
    EXPECT_EQ(std::pair(steps < 5000, NonZero(spread)), std::pair(true, 0))
        << "the water calms down";
    // Rendered pixels come from the displaced screen.
    cWater r(32, 32, 0, 0, 32, 32);
    std::vector<u16> grid(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) grid[y * 32 + x] = static_cast<u16>(y * 100 + x);
    r.GrabScreen(grid.data());
    r.Drop(16, 16, 3, 100);
    std::vector<u16> shown(32 * 32, 0xFFFF);
    r.Render(shown.data());
    // At (14, 16): h = (3 - 2) * 100 = 100, right neighbour (15, 16) is 182: dx = -82 >> 3 = -11.
    int h = r.Height(14, 16), hr = r.Height(15, 16), hb = r.Height(14, 17);
    int sx = 14 + ((h - hr) >> 3), sy = 16 + ((h - hb) >> 3);
    EXPECT_EQ(shown[16 * 32 + 14], grid[sy * 32 + sx]);
    cWater f(5, 5, 0, 0, 5, 5);
    f.Drop(2, 2, 1, 100);  // radius 1: the one cell, (1 - 0) x 100
    ASSERT_EQ(f.Height(2, 2), 100);
    // Step 1: each of the eight cells around the bump sums 100: 100 >> 2 = 25,
    // damped 25 - (25 >> 4) = 24; the bump's own cell sums 0.
    EXPECT_FALSE(f.Step());
    EXPECT_EQ(Heights(f), (Grid{{0, 0, 0, 0, 0},
                                {0, 24, 24, 24, 0},
                                {0, 24, 0, 24, 0},
                                {0, 24, 24, 24, 0},
                                {0, 0, 0, 0, 0}}));
    // Step 2 against the buffer that still holds the bump: the middle sums
    // 8 x 24 = 192: 48 - 100 = -52, damped -52 - (-52 >> 4) = -48; an edge cell
    // sums 4 x 24: 24 - 1 = 23; a corner 2 x 24: 12. The border stays 0.
    EXPECT_FALSE(f.Step());
    EXPECT_EQ(Heights(f), (Grid{{0, 0, 0, 0, 0},
                                {0, 12, 23, 12, 0},
                                {0, 23, -48, 23, 0},
                                {0, 12, 23, 12, 0},
                                {0, 0, 0, 0, 0}}));
    // Drops touch exactly their disc inside the area; one frame's drops are bounded.
    cWater edges(40, 30, 0, 0, 40, 30);
    for (int x : {0, 1, 39, 40, 1000})
        for (int y : {0, 29, 30, -1}) edges.Drop(x, y, 6, 30000);
    for (int c = 0; c < 40; ++c) EXPECT_EQ(edges.Height(c, 0) | edges.Height(c, 29), 0) << c;
    for (int r = 0; r < 30; ++r) EXPECT_EQ(edges.Height(0, r) | edges.Height(39, r), 0) << r;
    // Strong drops saturate instead of wrapping round.
    edges.Drop(20, 15, 6, 30000);
    edges.Drop(20, 15, 6, 30000);
    EXPECT_EQ(edges.Height(20, 15), 32767);
    std::vector<u16> flat(40 * 30, 1), rendered(40 * 30, 0);
    edges.GrabScreen(flat.data());
    for (int i = 0; i < 20; ++i) {
        edges.Step();
        edges.Render(rendered.data());  // steep slopes read inside the screen copy
    }
    // A drop far off the area touches nothing; one with the largest radius a
    // script can give covers every inner cell once, by the same rule as a small one.
    cWater far(40, 30, 0, 0, 40, 30);
    far.Drop(19794, 0, 3584, 17496);
    far.DropShaped(-30, 40000, 3584, 17496);  // a negative x is placed at random: still far above
    EXPECT_EQ(NonZero(far), 0);
    far.Drop(20, 15, 65535, 1);
    EXPECT_EQ(std::pair(NonZero(far), int{far.Height(20, 15)}),
              std::pair(38 * 28, 32767));  // saturated
    cWater small(40, 30, 0, 0, 40, 30), shaped(40, 30, 0, 0, 40, 30);
    small.Drop(20, 15, 5, 3);
    shaped.Drop(20, 15, 5, 3);
    shaped.DropShaped(20, 15, 65535, 0);  // no strength: changes nothing
    EXPECT_EQ(Heights(small), Heights(shaped));
    // Radius 3, strength 2 at (10, 10), worked by hand: (3 - d) * 2 truncated for
    // d * d < 9; (3, 0) lies on the rim and (2, 2) rounds to 0.
    cWater disc(30, 30, 0, 0, 30, 30);
    disc.Drop(10, 10, 3, 2);
    const int cells[][3] = {{10, 10, 6}, {11, 10, 4}, {10, 9, 4},  {11, 11, 3}, {12, 10, 2},
                            {12, 11, 1}, {8, 11, 1},  {12, 12, 0}, {13, 10, 0}, {10, 7, 0}};
    for (const auto& c : cells) EXPECT_EQ(disc.Height(c[0], c[1]), c[2]) << c[0] << "," << c[1];
    EXPECT_EQ(NonZero(disc), 1 + 4 + 4 + 4 + 8);  // centre, d=1, d=sqrt2, d=2, d=sqrt5
    // A shaped drop is highest in the middle.
    cWater shaped2(64, 64, 0, 0, 64, 64);
    shaped2.DropShaped(32, 32, 8, 100);
    EXPECT_GT(shaped2.Height(32, 32), shaped2.Height(36, 32));
    EXPECT_EQ(std::pair(shaped2.Height(36, 32) > 0, int{shaped2.Height(40, 32)}),
              std::pair(true, 0));

    // Thousands of screen-sized drops in one frame: only a bounded number land,
    // each adding its full radius at the centre, and the next frame takes drops again.
    cWater many;
    for (int i = 0; i < 5000; ++i) many.Drop(320, 240, 2000, 1);
    const int landed = many.Height(320, 240) / 2000;
    EXPECT_EQ(many.Height(320, 240) % 2000, 0) << "no drop was cut short";
    EXPECT_TRUE(landed >= 1 && landed <= 10) << landed;
    many.Step();
    const int before = many.Height(100, 100);
    many.Drop(100, 100, 2, 1);
    EXPECT_EQ(many.Height(100, 100), before + 2);
}

// R250 random numbers against sequences worked out by hand from the generator's rules.

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
    InitRandom(1);
    for (u32 v : {1u, 0u, 5u, 4u, 4u, 4u, 0u, 4u}) EXPECT_EQ(RandomN(7), v);
    InitRandom(99);
    u32 before = gRandomTable.index;
    // One draw for a range of one, none for 0.
    EXPECT_EQ((std::tuple{RandomN(1), gRandomTable.index, RandomN(0), gRandomTable.index}),
              std::tuple(0u, before + 2, 0u, before + 2));
    for (int i = 0; i < 5000; ++i) {
        EXPECT_LT(RandomN(65535), 65535u);
        double r = RandomReal();
        ASSERT_TRUE(r >= 0.0 && r < 1.0) << r;
    }
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
