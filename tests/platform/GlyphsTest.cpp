// The real glyph source: AR PL UMing TW through FreeType, and Big5 conversions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/GrpFont.h"
#include "platform/CodePage.h"
#include "platform/Glyphs.h"
#include "platform/TextCodec.h"

namespace {

struct Rendered {
    int ink = 0;
    int outside = 0;
};

Rendered RenderOne(int size, u8 lead, u8 trail) {
    GlyphFace f = GlyphOpen(B5("細明體"), size);
    if (!f) return {-1, -1};
    int rowBytes = (size + 7) / 8;
    std::vector<u8> cell(rowBytes * size, 0);
    Rendered r;
    r.outside = GlyphRender(f, lead, trail, cell.data(), size, size, rowBytes);
    for (u8 b : cell)
        for (int i = 0; i < 8; ++i) r.ink += (b >> i) & 1;
    GlyphClose(f);
    return r;
}

bool RealFontPresent() {
    GlyphFace f = GlyphOpen(B5("細明體"), 16);
    GlyphClose(f);
    return f != nullptr;
}

}  // namespace

TEST(RealGlyphs, GlyphsFallInsideTheCellAndOnlyBlanksAreEmpty) {
    GlyphSetFake(nullptr);
    if (!RealFontPresent()) GTEST_SKIP() << "AR PL UMing is not installed";
    const std::string zhong = B5("中");
    ASSERT_EQ(zhong.size(), 2u);
    for (int size : {12, 16, 20, 24, 40}) {
        Rendered z = RenderOne(size, u8(zhong[0]), u8(zhong[1]));
        EXPECT_GT(z.ink, size) << "中 at " << size;
        EXPECT_EQ(z.outside, 0) << "中 at " << size;
        Rendered a = RenderOne(size, 'A', 0);
        EXPECT_GT(a.ink, size / 2) << "A at " << size;
        EXPECT_EQ(a.outside, 0) << "A at " << size;
    }
    EXPECT_EQ(RenderOne(16, 0xA4, 0x20).ink, 0) << "0x20 is no trail byte";
    EXPECT_EQ(RenderOne(16, ' ', 0).ink, 0);
    EXPECT_EQ(RenderOne(16, 0xA1, 0x40).ink, 0) << "the full-width space";
    // The 45 codes the TW face has no glyph for are drawn from the HK face where it
    // has them (C8D6-C8F1) and as a hollow box elsewhere, never blank.
    std::vector<std::pair<u8, u8>> codes = {{0xA1, 0xC3}, {0xC6, 0xE5}};
    for (int t = 0xD4; t <= 0xFE; ++t) codes.push_back({0xC8, static_cast<u8>(t)});
    ASSERT_EQ(codes.size(), 45u);
    for (int size : {12, 16}) {
        const int box = 2 * (size - 2) + 2 * (size - 4);  // the outline of (1,1)-(size-2,size-2)
        for (auto [lead, trail] : codes) {
            Rendered r = RenderOne(size, lead, trail);
            EXPECT_GT(r.ink, 0) << std::hex << int(lead) << int(trail) << " at " << std::dec
                                << size;
            EXPECT_EQ(r.outside, 0);
            bool fromHk = lead == 0xC8 && trail >= 0xD6 && trail <= 0xF1;
            EXPECT_EQ(r.ink == box, !fromHk) << std::hex << int(lead) << int(trail);
        }
    }
    // The font draws Big5 text into a buffer.
    cGrpFont font;
    ASSERT_TRUE(font.Init(64, 20));
    std::vector<u16> buf(64 * 20, 0);
    EXPECT_EQ(font.DrawString(buf.data(), 0, 0, B5("遊戲暫停"), 0x7FFF, kStylePlain), 8);
    int left = 0, right = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 64; ++x)
            if (buf[y * 64 + x]) (x < 32 ? left : right)++;
    EXPECT_GT(left, 40);
    EXPECT_GT(right, 40);
    EXPECT_EQ(font.GetGlyphCount(), 4);
}

TEST(Big5Text, KnownSentencesConvertBothWays) {
    for (const char* s :
         {"遊戲暫停", "遊戲暫停  按F8繼續遊戲", "細明體", "─ Ｔｈｅ　Ｅｎｄ ─", "月港奇譚"}) {
        std::string big5 = Utf8ToBig5(s);
        EXPECT_EQ(Big5ToUtf8(big5), s);
    }
    std::string pause = Utf8ToBig5("遊戲暫停");
    ASSERT_EQ(pause.size(), 8u);
    const u32 expect[] = {0x904A, 0x6232, 0x66AB, 0x505C};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Big5CharToUnicode(u8(pause[2 * i]), u8(pause[2 * i + 1])), expect[i]);
    EXPECT_EQ(Big5CharToUnicode('A', 0), u32('A'));
    EXPECT_EQ(Big5CharToUnicode(0xA4, 0), 0u) << "a lead byte alone is no character";
    EXPECT_EQ(Big5CharToUnicode(0xA4, 0x20), 0u);
}
