// The harness's canvas dump: what a failed screen test leaves behind.
#include <gtest/gtest.h>

#include "engine/PicPaint.h"
#include "support/Harness.h"

namespace {

u32 Be32(const std::vector<u8>& b, size_t at) {
    return static_cast<u32>(b[at]) << 24 | static_cast<u32>(b[at + 1]) << 16 |
           static_cast<u32>(b[at + 2]) << 8 | b[at + 3];
}

TEST(HarnessDump, WritesTheCanvasAsAFullScreenPng) {
    Harness h;
    EXPECT_FALSE(h.DumpCanvas(h.Path("none.png")));  // nothing drawn yet
    h.WriteSample();
    h.StartGame();
    h.RunFrames(3);
    ASSERT_TRUE(h.DumpCanvas(h.Path("canvas.png")));
    std::vector<u8> png = ReadHostFile(h.Path("canvas.png"));
    ASSERT_GT(png.size(), 640u * 480 * 4);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(Be32(png, 16), 640u);  // IHDR width and height
    EXPECT_EQ(Be32(png, 20), 480u);
}

}  // namespace
