// Text tools: formatted small-font text and the debug grid of map cells (the
// overlay of five cell views is drawn from this grid).
#include <gtest/gtest.h>

#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "map/ActDraw.h"
#include "map/MapArchive.h"
#include "platform/TextCodec.h"
#include "story/TextTools.h"
#include "support/Harness.h"

namespace {

constexpr u16 kBackground = 0x1234;
constexpr u16 kInk = 0x7C00;

struct TextTools : ::testing::Test {
    Harness h;
    std::vector<u16> canvas = std::vector<u16>(640 * 480, kBackground);
    std::vector<u32> cells;

    void SetUp() override {
        ResetPaint();
        SetPixelFormat(640, 480, 1280, 0x7C00, 0x03E0, 0x001F);
        ResetPaint();
        gPaintBuf = canvas.data();
    }
    void TearDown() override {
        gMap.cells = nullptr;  // the test's own grid
        gMap.width = gMap.height = 0;
        ResetPaint();
        ResetPixelFormat();
    }
    void UseMap(u32 w, u32 hgt) {
        cells.assign(static_cast<size_t>(w) * hgt, 0);
        gMap.width = w;
        gMap.height = hgt;
        gMap.cells = cells.data();
    }
    u32& Cell(u32 x, u32 y) { return cells[static_cast<size_t>(y) * gMap.width + x]; }
    u16 At(i32 x, i32 y) const { return canvas[static_cast<size_t>(y) * 640 + x]; }
    int Count(u16 v) const { return static_cast<int>(std::count(canvas.begin(), canvas.end(), v)); }
    // The outline a cell should get, checked pixel by pixel around its square.
    void ExpectSquare(i32 x, i32 y, i32 side) {
        for (i32 i = 0; i < side; ++i) {
            EXPECT_EQ(At(x + i, y), kInk) << x << "," << y << " top " << i;
            EXPECT_EQ(At(x + i, y + side - 1), kInk) << x << "," << y << " bottom " << i;
            EXPECT_EQ(At(x, y + i), kInk) << x << "," << y << " left " << i;
            EXPECT_EQ(At(x + side - 1, y + i), kInk) << x << "," << y << " right " << i;
        }
        EXPECT_EQ(At(x + 1, y + 1), kBackground) << "hollow";
        EXPECT_EQ(At(x - 1, y), kBackground);
        EXPECT_EQ(At(x + side, y), kBackground);
    }
};

TEST_F(TextTools, FontPrintfDrawsTheFormattedTextInTheSmallFont) {
    CreateGameFont(gSmallFont, 640, 480, 12);
    EXPECT_EQ(FontPrintf(canvas.data(), 20, 30, kInk, "HP %d/%d %s", 5, 12, "ok"), 10);
    std::vector<u16> want(640 * 480, kBackground);
    gSmallFont.DrawString(want.data(), 20, 30, "HP 5/12 ok", kInk, kStyleShadow);
    EXPECT_EQ(canvas, want);
    EXPECT_GT(Count(kInk), 20);
    // Nothing is drawn without a buffer, but the length still comes back.
    std::vector<u16> before = canvas;
    EXPECT_EQ(FontPrintf(nullptr, 0, 0, kInk, "%05d", 42), 5);
    EXPECT_EQ(FontPrintf(canvas.data(), 0, 0, kInk, nullptr), 0);
    EXPECT_EQ(canvas, before);
}

TEST_F(TextTools, FontPrintfCutsALongResultOnACharacterBoundary) {
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += B5("字");
    // 559 bytes are kept at most; 279 characters after a one-byte prefix fill them.
    EXPECT_EQ(FontPrintf(nullptr, 0, 0, kInk, "a%s", wide.c_str()), 559);
    // Without the prefix the 280th character would be split: it goes whole.
    EXPECT_EQ(FontPrintf(nullptr, 0, 0, kInk, "%s", wide.c_str()), 558);
    std::string ascii(700, 'x');
    EXPECT_EQ(FontPrintf(nullptr, 0, 0, kInk, "%s", ascii.c_str()), kFontPrintfBytes - 1);
    CreateGameFont(gSmallFont, 640, 480, 12);
    EXPECT_EQ(FontPrintf(canvas.data(), 0, 400, kInk, "%s", wide.c_str()), 558);
}

TEST_F(TextTools, CellFlagsOutlineTheMarkedCellsOfTheView) {
    UseMap(60, 50);
    // View at (20, 35): the grid starts at cell (2, 3), shifted by (4, 3) pixels.
    Cell(5, 6) = 0x40000000;
    Cell(2, 3) = 0x40000001;    // the first cell of the grid
    Cell(39, 30) = 0x40000000;  // the last column and row
    Cell(7, 7) = 0x10000000;    // another bit: not drawn
    Cell(1, 6) = 0x40000000;    // the view's first column: outside the grid
    Cell(40, 6) = 0x40000000;   // past the 38 columns
    Cell(5, 31) = 0x40000000;   // past the 28 rows
    DrawCellFlags(0x40000000, kInk, 20, 35, 2);
    auto screen = [](u32 c, i32 view) { return static_cast<i32>(c) * 16 - view + 2; };
    ExpectSquare(screen(5, 20), screen(6, 35), 13);
    ExpectSquare(screen(2, 20), screen(3, 35), 13);
    ExpectSquare(screen(39, 20), screen(30, 35), 13);
    EXPECT_EQ(Count(kInk), 3 * 4 * 12) << "three outlines and nothing else";

    // Inset 0 draws 15-pixel squares at the cell's corner; the mask matches any bit.
    std::fill(canvas.begin(), canvas.end(), kBackground);
    DrawCellFlags(0x10000001, kInk, 16, 32, 0);
    ExpectSquare(2 * 16 - 16, 3 * 16 - 32, 15);
    ExpectSquare(7 * 16 - 16, 7 * 16 - 32, 15);
    EXPECT_EQ(Count(kInk), 2 * 4 * 14);
}

TEST_F(TextTools, CellFlagsStayInsideTheMapAndTheScreen) {
    UseMap(10, 8);
    for (u32& c : cells) c = 0x00800000;
    // A view hanging off the map's top left: only real cells are read and drawn.
    DrawCellFlags(0x00800000, kInk, -100, -70, 8);
    int squares = Count(kInk) / (4 * 6);
    EXPECT_EQ(Count(kInk) % (4 * 6), 0);
    EXPECT_EQ(squares, 80) << "every cell of the 10 x 8 map, once";
    // A view far past the map draws nothing; bad insets and a missing grid are ignored.
    std::fill(canvas.begin(), canvas.end(), kBackground);
    DrawCellFlags(0x00800000, kInk, 5000, 5000, 0);
    DrawCellFlags(0x00800000, kInk, 0, 0, 15);
    DrawCellFlags(0x00800000, kInk, 0, 0, -1);
    gMap.cells = nullptr;
    DrawCellFlags(0x00800000, kInk, 0, 0, 0);
    EXPECT_EQ(Count(kInk), 0);
}

}  // namespace
