// Glyphs of many pixels in every style against a pixel-by-pixel painter of the
// style rules, inside the clip and across its edges.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/GrpFont.h"
#include "platform/Glyphs.h"

namespace {

constexpr int kW = 64, kH = 48, kCell = 16;
constexpr u16 kInk = 0x3000, kShade = 0x0011;
std::vector<u8> gBits(kCell* kCell);  // the fake glyph, a byte per pixel

void FakeSource(int, u16, u8* cell, int cellW, int cellH, int rowBytes) {
    for (int r = 0; r < cellH && r < kCell; ++r)
        for (int c = 0; c < cellW && c < kCell; ++c)
            if (gBits[r * kCell + c]) cell[r * rowBytes + c / 8] |= 0x80 >> (c % 8);
}

// The rules: an outline rings each pixel (the row above, the left neighbour,
// the row below from left to right) first; then row by row the ink (twice as
// wide when bold) and its shadow one row down; the ramp moves the ink each row.
// A pixel is written only inside the clip, one column short of its right edge.
std::vector<u16> Paint(std::vector<u16> buf, int x, int y, int style, int kind, int L, int T, int R,
                       int B) {
    bool bold = kind == kStyleBoldShadow || kind == kStyleBoldOutline;
    bool outline = kind == kStyleOutline || kind == kStyleBoldOutline;
    bool shadow = kind == kStyleShadow || kind == kStyleBoldShadow;
    int reach = bold ? 2 : 1;
    auto put = [&](int px, int py, u16 v) {
        if (px >= L && px + 1 < R && py >= T && py < B) buf[py * kW + px] = v;
    };
    auto on = [&](int r, int c) { return gBits[r * kCell + c] != 0; };
    if (outline)
        for (int r = 0; r < kCell; ++r)
            for (int c = 0; c < kCell; ++c) {
                int px = x + c, py = y + r;
                if (!on(r, c) || py <= T || py + 1 >= B || px < L - 1 || px + reach >= R) continue;
                for (int d = 0; d < reach; ++d)
                    for (auto [dx, dy] :
                         {std::pair{0, -1}, {-1, 0}, {0, 0}, {-1, 1}, {0, 1}, {1, 1}})
                        put(px + d + dx, py + dy, kShade);
            }
    u16 ink = kInk;
    for (int r = 0; r < kCell; ++r) {
        int py = y + r;
        for (int c = 0; c < kCell; ++c) {
            int px = x + c;
            if (!on(r, c) || py < T || py >= B || (shadow && py + 1 >= B)) continue;
            if (px < L || px + reach >= R) continue;
            buf[py * kW + px] = ink;
            if (bold) buf[py * kW + px + 1] = ink;
            if (shadow) put(px + bold, py + 1, kShade), put(px + bold + 1, py + 1, kShade);
        }
        ink = static_cast<u16>(style & kStyleRampDown ? ink - 1
                               : style & kStyleRampUp ? ink + 1
                                                      : ink);
    }
    return buf;
}

TEST(GlyphRows, EveryStyleMatchesThePixelRulesInsideAndAtTheClip) {
    GlyphSetFake(FakeSource);
    std::mt19937 rng(31);
    int checked = 0;
    for (int shape = 0; shape < 12; ++shape) {
        for (u8& b : gBits) b = static_cast<int>(rng() % 100) < 15 + shape * 6;
        cGrpFont font;
        font.Init(kW, kH);
        font.SetFont("fake", kCell);
        font.SetAdvance(kCell);
        font.SetShadowColor(kShade);
        ASSERT_EQ(font.GetCellWidth(), kCell);
        int L = 2 + shape % 3, T = 1 + shape % 2, R = kW - 1 - shape % 4, B = kH - shape % 3;
        font.SetClip(L, T, R - L, B - T);
        for (int kind :
             {kStylePlain, kStyleShadow, kStyleBoldShadow, kStyleOutline, kStyleBoldOutline})
            for (int ramp : {0, kStyleRampUp, kStyleRampDown})
                for (auto [x, y] : {std::pair{20, 16},
                                    {L, T},
                                    {L - 3, 10},
                                    {R - kCell - 2, B - kCell - 1},
                                    {R - 10, 20},
                                    {30, B - 6},
                                    {25, T + 1}}) {
                    std::vector<u16> buf(kW * kH);
                    for (auto& p : buf) p = static_cast<u16>(rng() | 0x8000);
                    std::vector<u16> want = Paint(buf, x, y, kind | ramp, kind, L, T, R, B);
                    char text[2] = {'a', 0};
                    font.DrawString(buf.data(), x, y, text, kInk, kind | ramp);
                    ASSERT_EQ(buf, want) << "shape " << shape << " style " << (kind | ramp)
                                         << " at " << x << "," << y;
                    ++checked;
                }
    }
    EXPECT_EQ(checked, 12 * 5 * 3 * 7);
    GlyphSetFake(nullptr);
}

}  // namespace
