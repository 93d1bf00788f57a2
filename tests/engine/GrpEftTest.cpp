// Graphic effects: particle steps along the direction table, line walker, scaled copies,
// particle allocation failure, and the matrix math.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "engine/GrpEft.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/VecMath.h"
#include "platform/Backend.h"

TEST(GrpEft, ParticlesWalkTheirDirectionLinesVisitEveryPointOnceAndTheWorkBufferZooms) {
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
    EXPECT_EQ(n, 6);
    EXPECT_EQ(pts.front(), std::make_pair(0, 0));
    EXPECT_EQ(pts.back(), std::make_pair(5, 2));
    for (size_t i = 1; i < pts.size(); ++i) {
        EXPECT_LE(std::abs(pts[i].first - pts[i - 1].first), 1);
        EXPECT_LE(std::abs(pts[i].second - pts[i - 1].second), 1);
    }
    EXPECT_EQ(WalkLine(3, 3, 3, 3, [](int, int) {}), 1);
    EXPECT_EQ(WalkLine(0, 9, 0, 0, [](int, int) {}), 10);
    // The work buffer zooms out of its middle row.
    e.SetTarget(8, 8);
    ASSERT_EQ(e.AllocWork(8, 8), 1);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) e.Work()[r * 8 + c] = static_cast<u16>(r + 1);
    std::vector<u16> t(64, 0);
    e.DrawWorkZoomed(t.data(), 2048);  // twice as tall: rows 0..7 show work rows 2..5
    EXPECT_EQ(std::tuple(t[4 * 8], t[0], t[7 * 8]), std::tuple(5, 3, 6));
}

TEST(GrpEft, CopiesAndPicturesStayInsideAndAParticleAllocationFailureIsReportedOnce) {
    cGrpEft e;
    e.SetSource(4, 4);
    e.SetTarget(16, 8);
    std::vector<u16> src(16);
    for (int i = 0; i < 16; ++i) src[i] = static_cast<u16>(i + 1);
    std::vector<u16> dst(16 * 8, 0);
    e.ScaleCopy(dst.data(), src.data(), 1, 1, 512, 512);  // doubled
    EXPECT_EQ(std::tuple(dst[1 * 16 + 1], dst[1 * 16 + 2], dst[1 * 16 + 3], dst[2 * 16 + 1],
                         dst[3 * 16 + 1]),
              std::tuple(1, 1, 2, 1, 5));
    EXPECT_EQ(dst[1 * 16 + 9], 0) << "the source ends after 4 columns = 8 target columns";
    std::fill(dst.begin(), dst.end(), 0);
    src[5] = 0x026B;
    e.ScaleCopyKeyed(dst.data(), src.data(), 14, 6, 1024, 1024, 0x026B);
    EXPECT_EQ(dst[6 * 16 + 14], 1);
    EXPECT_EQ(dst[7 * 16 + 15], 0) << "the key colour is skipped";
    e.SetArea(-4, 2, 10, 100);
    EXPECT_EQ(std::tuple(e.AreaLeft(), e.AreaRight(), e.AreaTop(), e.AreaBottom()),
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
    Particle part;
    part.life = 2;
    part.colour = 9;
    EXPECT_EQ(ae.particle_put(part), 1);
    std::vector<u16> tgt(640 * 480, 0);
    ae.DrawParticles(tgt.data());
    EXPECT_EQ(tgt[0], 9);
    SetParticleAllocator([](int) -> void* { return nullptr; });
    EXPECT_EQ(ae.particle_put(part), 0);
    EXPECT_EQ(ae.particle_put(part), 0);
    SetParticleAllocator(nullptr);
    EXPECT_EQ(PlatformRecordedBoxes().size(), 1u);
    for (int left : {1, 0}) {
        ae.UpdateParticles();
        EXPECT_EQ(ae.ParticleCount(), left);
    }
    PlatformReset();
}

TEST(VecMath, ProductsRotationsAndNormalising) {
    float a[16], b[16], c[16];
    MatTranslation(a, 1, 2, 3);
    float v[4] = {1, 1, 1, 1}, out[4];
    VecMulMat(v, a, out);
    EXPECT_FLOAT_EQ(out[0], 2);
    EXPECT_FLOAT_EQ(out[2], 4);
    MatTranspose(a, b);
    MatMulVec(b, v, out);
    EXPECT_FLOAT_EQ(out[1], 3);
    MatRotation(b, 3.14159265f / 2, 2);
    float x[4] = {1, 0, 0, 1};
    VecMulMat(x, b, out);
    EXPECT_NEAR(out[0], 0, 1e-6);
    EXPECT_NEAR(std::fabs(out[1]), 1, 1e-6);
    MatMul(b, a, c);
    VecMulMat(x, c, out);
    EXPECT_NEAR(out[0], 1, 1e-6) << "rotate, then move by (1, 2, 3)";
    MatMul(c, c, c);  // in place: (1, 3, 3) turned to (-3, 1, 3), then moved
    VecMulMat(x, c, out);
    EXPECT_NEAR(out[0], -2, 1e-5);
    EXPECT_NEAR(out[1], 3, 1e-5);
    EXPECT_NEAR(out[2], 6, 1e-5);
    MatCopy(a, b);
    MatScale(b, 2);
    EXPECT_FLOAT_EQ(b[12], 2);
    float n[3] = {3, 0, 4};
    normalize_3(n);
    EXPECT_FLOAT_EQ(n[0], 0.6f);
    EXPECT_FLOAT_EQ(n[2], 0.8f);
    float z[3] = {0, 0, 0};
    normalize_3(z);
    EXPECT_EQ(z[0], 0);
}
