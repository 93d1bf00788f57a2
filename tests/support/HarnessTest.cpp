// The harness's canvas dump: what a failed screen test leaves behind.
#include <gtest/gtest.h>

#include "support/Harness.h"

TEST(HarnessDump, WritesTheCanvasAsAFullScreenPng) {
    Harness h;
    EXPECT_FALSE(h.DumpCanvas(h.Path("none.png")));  // nothing drawn yet
    h.StartSample();
    h.RunFrames(3);
    ASSERT_TRUE(h.DumpCanvas(h.Path("canvas.png")));
    std::vector<u8> png = ReadHostFile(h.Path("canvas.png"));
    ASSERT_GT(png.size(), 640u * 480 * 4);
    // The signature's "PNG", then IHDR's width and height as big-endian words: 640 and 480.
    EXPECT_EQ(std::vector<u8>(png.begin() + 1, png.begin() + 4), (std::vector<u8>{'P', 'N', 'G'}));
    EXPECT_EQ(std::vector<u8>(png.begin() + 16, png.begin() + 24),
              (std::vector<u8>{0, 0, 0x02, 0x80, 0, 0, 0x01, 0xE0}));
}
