// Shaded boxes against per-pixel references, the framed box, the pause notice
// and the disc prompt.
#include "MapTestSupport.h"

namespace {

// The level 0..31 of a pixel's channel under its mask (the 5-6-5 green keeps
// its top five bits), and a level put back under the mask.
int Level(u32 mask, u16 v) {
    return static_cast<int>((v & mask) >> __builtin_ctz(mask)) >> (__builtin_popcount(mask) - 5);
}
u32 Put(u32 mask, int v) {
    return static_cast<u32>(v << (__builtin_popcount(mask) - 5)) << __builtin_ctz(mask);
}

// What one pixel becomes in a mode, written from the drawing rule: 0 the
// colour's five bits, 1 the colour added and clamped, 2 and 4 a quarter and an
// eighth on the five-bit working channels, 3 grey at a quarter of the sum of
// the channels; other modes leave it.
u16 Expected(const Layout& l, u16 p, int mode, const int (&add)[3]) {
    if (mode > 4) return p;
    const u32 masks[3] = {l.r, l.g, l.b};
    const int sum = Level(l.r, p) + Level(l.g, p) + Level(l.b, p);
    u32 out = 0;
    for (int k = 0; k < 3; ++k) {
        const int c = Level(masks[k], p);
        const int v[5] = {add[k] & 31, std::clamp(c + add[k], 0, 31), c >> 2, sum >> 2, c >> 3};
        out |= Put(masks[k], v[mode]);
    }
    return static_cast<u16>(out);
}

}  // namespace

TEST(ShadedBox, ModesMatchTheirRulesInsideTheClipOnlyAndGrowingLeavesTheEdges) {
    for (const Layout& l : {k565, k555}) {
        for (int mode : {0, 1, 2, 3, 4, 7}) {
            Canvas c(l, 7 + mode);
            std::vector<u16> before = c.px;
            SetClip(20, 10, 300, 200);
            DrawShadedBox(-5, 5, 100, 50, 3, 9, -4, mode);
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) {
                    size_t k = static_cast<size_t>(y) * 640 + x;
                    bool inside = x >= 20 && x < 95 && y >= 10 && y < 55;
                    u16 want = inside ? Expected(l, before[k], mode, {3, 9, -4}) : before[k];
                    ASSERT_EQ(c.px[k], want)
                        << l.name << " mode " << mode << " at " << x << "," << y;
                }
        }
    }
    Canvas c(k555);
    for (auto& p : c.px) p = 0;
    DrawShadedBox(0, 0, 2, 9, 16, 0, 0, 5);  // 5 steps: levels 0, 204, 408, 612, 816 of 1024
    int want[9] = {0, 3, 6, 9, 12, 9, 6, 3, 0};
    for (int y = 0; y < 9; ++y) EXPECT_EQ(Level(k555.r, c.px[y * 640]), want[y]) << y;
    // Height 1 draws nothing.
    c.px[10] = 0x1234;
    DrawShadedBox(10, 0, 1, 1, 31, 31, 31, 5);
    EXPECT_EQ(c.px[10], 0x1234);
    // Nothing at all for empty or wholly clipped boxes.
    std::vector<u16> before = c.px;
    DrawShadedBox(700, 0, 10, 10, 31, 0, 0, 0);
    DrawShadedBox(0, 0, 0, 10, 31, 0, 0, 0);
    DrawShadedBox(0, 0, 10, -3, 31, 0, 0, 0);
    EXPECT_EQ(c.px, before);
}

TEST(PauseScreen, ShowsTheNoticeInAFramedBox) {
    Harness h;
    h.WriteSample();
    h.StartGame();
    std::memset(gPaintBuf, 0xFF, 640 * 480 * 2);
    DrawPauseScreen();
    // The text is 22 bytes: x = 320 - 11 * 11 = 199, the inner box 242 x 22 at
    // (199, 229), the shaded box 8 larger all round, the frame pieces on its rim.
    // Black behind, below the text; the left edge piece neither.
    const u16 edge = gPaintBuf[240 * 640 + 195];
    EXPECT_EQ(std::tuple(gPaintBuf[240 * 640 + 185], gPaintBuf[215 * 640 + 300],
                         gPaintBuf[250 * 640 + 300], edge != 0xFFFF && edge != 0),
              std::tuple(0xFFFF, 0xFFFF, 0x0000, true));
    int lit = 0;
    for (int y = 229; y < 251; ++y)
        for (int x = 199; x < 441; ++x) lit += gPaintBuf[y * 640 + x] != 0;
    EXPECT_GT(lit, 100);  // the text is drawn
}

// The request is shown once before Q is read; each line's text stays inside its
// frame. " 請放入標示 1 的光碟 " is 8 double-byte characters at the second font's
// advance of 20 and 5 single bytes at 10: 210 wide, the inner box from
// 320 - 105 = 215 to 425, the right frame piece from there. " 或按 Q 鍵離開遊戲 ":
// 7 x 20 + 5 x 10 = 190, from 225 to 415.
// With the disc in drive F on the first try nothing is shown.
TEST(DiscPrompt, QEndsItWithTheQuitBitAndTheRequestFitsItsFrame) {
    Harness h;
    h.StartGame();
    HostSetDrive('F', h.root());
    HostSetVolumeLabel('F', "AudioCD");
    FindCdDrives(gCdPath);
    char root[4] = {}, letter = 0;
    EXPECT_EQ(FindDisc(root, 1, &letter), 1);
    EXPECT_EQ(std::tuple(letter, std::string(root), gRunState & kRunDiscPrompt),
              std::tuple('f', "f:\\", 0));
    HostSetVolumeLabel('F', "Other");
    PlatformSetKey(0x10, true);
    EXPECT_EQ(FindDisc(root, 0, &letter), 2);
    EXPECT_TRUE(gRunState & kRunQuit);
    const u16 ink = static_cast<u16>(MakeColor(21, 15, 8));
    const struct { i32 y, left, right; } lines[] = {{211, 215, 425}, {271, 225, 415}};
    for (const auto& l : lines) {
        // The box reaches 8 pixels past the inner rectangle, where the frame lies.
        i32 edge = 639;
        while (edge > 0 && gPaintBuf[(l.y + 9) * 640 + edge] == 0) --edge;
        const i32 frame = edge - 7;
        EXPECT_EQ(frame, l.right) << l.y << ": the frame's inner edge";
        int inside = 0, outside = 0, lastColumn = 0;
        for (i32 y = l.y - 8; y < l.y + 26; ++y)
            for (i32 x = 0; x < 640; ++x) {
                if (gPaintBuf[y * 640 + x] != ink) continue;
                (x >= l.left && x < frame ? inside : outside)++;
                lastColumn = std::max(lastColumn, x);
            }
        // No text on or past the frame; the last character ends near it.
        EXPECT_EQ(std::tuple(inside > 100, outside, lastColumn > frame - 20),
                  std::tuple(true, 0, true))
            << l.y;
    }
}
