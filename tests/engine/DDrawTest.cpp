// The display object headless: surfaces by id, layouts, fills, colour
// matching, presents kept as frames, pumps showing primary writes and sending
// only the rows that changed.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/DDraw.h"
#include "engine/ErrorBox.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "platform/Backend.h"
#include "platform/Display.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "support/Harness.h"

namespace {

DisplaySurface* const kNone = nullptr;

struct DDrawFixture : ::testing::Test {
    void SetUp() override {
        PlatformReset();
        ResetDDraw();
        DisplaySetFrameLimit(4);
    }
    void TearDown() override {
        ResetDDraw();
        ResetPaint();
        ResetPixelFormat();
        PlatformReset();
    }
};

TEST_F(DDrawFixture, FullScreenAndWindowedPresentsReleasesAndFailures) {
    ASSERT_EQ(gDDraw.Create(nullptr, kDisplayFullScreen, 640, 480, 16), 1);
    DisplaySurface* primary = gDDraw.GetSurface(kSurfacePrimary);
    ASSERT_NE(primary, nullptr);
    EXPECT_EQ(std::tuple(gDDraw.GetSurface(kSurfaceBack), gDDraw.GetSurface(10004),
                         gDDraw.GetCoopFlags(), gDDraw.GetPixelLayout()),
              std::tuple(primary, kNone, kCoopFullScreen, 2));
    gDDraw.CreateWorkSurface(16, 16);
    EXPECT_EQ(DisplayLiveSurfaces(), 2);
    EXPECT_EQ(gDDraw.Release(), 1);
    EXPECT_EQ(std::pair(gDDraw.GetSurface(kSurfacePrimary), DisplayLiveSurfaces()),
              std::pair(kNone, 0));
    gDDraw.ReleaseDirectDraw();
    EXPECT_EQ(gDDraw.Release(), 0);
    // A mode of 8 bits shows the box and fails.
    EXPECT_EQ(gDDraw.Create(nullptr, kDisplayFullScreen, 640, 480, 8), 0);
    ASSERT_EQ(PlatformRecordedBoxes().size(), 1u);
    EXPECT_EQ(std::pair(PlatformRecordedBoxes()[0].caption, gDDraw.HasDirectDraw()),
              std::pair(std::string("DirectDraw SetDisplayMode Error!!"), false));
    DisplaySetMasks(0x7C00, 0x03E0, 0x001F);
    ASSERT_EQ(gDDraw.Create(nullptr, kDisplayWindowed, 640, 480, 16), 1);
    EXPECT_EQ(std::tuple(gDDraw.GetCoopFlags(), gDDraw.GetPixelLayout()),
              std::tuple(kCoopNormal, 0));
    DisplaySurface* back = gDDraw.GetSurface(kSurfaceBack);
    ASSERT_NE(back, gDDraw.GetSurface(kSurfacePrimary));
    DisplayFill(back, nullptr, 0x1234);
    DisplayClearFrames();
    gDDraw.Present();
    ASSERT_EQ(DisplayFrames().size(), 1u);
    EXPECT_EQ(DisplayFrames()[0][1000], 0x1234);
    DisplayFailNextBlits(1000000);  // gives up, still reporting success
    EXPECT_EQ(gDDraw.Present(), 1);
    DisplayFailNextBlits(0);
    DisplayFailNextBlits(kPresentTries - 1);  // a few failures and then it works
    DisplayFill(back, nullptr, 7);
    gDDraw.Present();
    EXPECT_EQ(DisplayFrames().back()[0], 7);
}

TEST_F(DDrawFixture, ColourMatchFillSurfaceBytesAndPrimaryWritesShownAtTheNextPump) {
    ASSERT_EQ(gDDraw.Create(nullptr, kDisplayFullScreen, 640, 480, 16), 1);
    DisplaySurface* s = gDDraw.CreateSysSurface(640, 480);
    EXPECT_EQ(gDDraw.GetSurfaceBytes(), 640u * 480 * 2);
    u16* px = DisplayLock(s, nullptr);
    px[0] = 0xABCD;
    EXPECT_EQ(std::tuple(ColorMatch(s, 0x0000FF), ColorMatch(s, 0xFF0000), ColorMatch(s, 0x00FF00)),
              std::tuple(0xF800u, 0x001Fu, 0x07E0u));
    // The borrowed pixel is put back; all bits set match the pixel itself.
    EXPECT_EQ(std::pair(px[0], ColorMatch(s, 0xFFFFFFFF)), std::pair(u16{0xABCD}, 0xABCDu));
    EXPECT_EQ(FillSurface(s, 0xFFFFFF), 1);
    EXPECT_EQ(px[640 * 480 - 1], 0xFFFF);
    gDDraw.background = 0x0841;
    gDDraw.EraseSurface(s);
    EXPECT_EQ(px[5], 0x0841);
    DisplaySurface* work = gDDraw.CreateWorkSurface(200, 40);
    ASSERT_EQ(gDDraw.GetSurface(kSurfaceWork), work);
    EXPECT_EQ(DisplayLock(work, nullptr)[0], ColorMatch(work, 0x646464));
    // Writes to the primary show at the next pump.
    gDrawSurface = gDDraw.CreateSysSurface(640, 480);
    RestoreSurfacesAndKernel();
    ASSERT_EQ(gPaintBuf, DisplayLock(gDrawSurface, nullptr));
    DisplayPresent();  // what the set-up wrote is on the screen
    gPaintBuf[100] = 0x4321;
    DisplayClearFrames();
    u32 count = DisplayFrameCount();
    u64 sent = DisplayRowsSent();
    DisplayBlit(gDDraw.GetSurface(kSurfacePrimary), 0, 0, gDrawSurface, nullptr, false);
    // Frames shown and rows sent since the start, and the pixel at `at` last shown.
    auto shown = [&](size_t at) {
        return std::tuple(DisplayFrameCount() - count, DisplayRowsSent() - sent,
                          DisplayFrames().back()[at]);
    };
    MSG msg;
    PeekMessageA(&msg, nullptr, PM_REMOVE);
    EXPECT_EQ(shown(100), std::tuple(1u, 1u, 0x4321));  // the first row alone changed
    PeekMessageA(&msg, nullptr, PM_REMOVE);             // nothing changed: nothing shown
    EXPECT_EQ(shown(100), std::tuple(1u, 1u, 0x4321));
    ClearPaintBufferAndShow();
    EXPECT_EQ(shown(100), std::tuple(2u, 2u, 0));
    // The same canvas again sends nothing, even when presented; a band of ten
    // rows drawn on it sends those ten.
    ShowCanvas();
    gDDraw.Present();
    EXPECT_EQ(DisplayRowsSent(), sent + 2);
    DisplayRect band{5, 10, 50, 20};
    DisplayFill(gDrawSurface, &band, 9);
    ShowCanvas();
    EXPECT_EQ(shown(15 * 640 + 20), std::tuple(5u, 12u, 9));
}

// Pixel layouts: converters over every colour, working masks, keys, tables, MakeColor.

TEST_F(DDrawFixture, EveryPixelLayoutConvertsEveryColourAndTheSurfaceSetsTheClampTables) {
    // Masks, the layout they make, its working red and blue masks, and a
    // stored 5-5-5 colour as converted; six-bit layouts keep pixels on the way
    // back, and unknown masks work as reported, without conversion. The keys
    // are the stored keys converted.
    const struct {
        u32 r, g, b;
        PixelLayout layout;
        u32 maskR, maskB;
        u16 (*to)(u32 v);
        bool undone;  // converted back, or kept as they are
    } layouts[] = {
        {0x7C00, 0x03E0, 0x001F, PixelLayout::R5G5B5, 0x7C00, 0x001F, [](u32 v) { return u16(v); },
         true},
        {0xF800, 0x07C0, 0x003F, PixelLayout::R5G5B6, 0xF800, 0x003E,
         [](u32 v) { return u16(v << 1); }, false},
        {0xFC00, 0x03E0, 0x001F, PixelLayout::R6G5B5, 0xF800, 0x001F,
         [](u32 v) { return u16((v & 0x3FF) | ((v & 0x7C00) << 1)); }, false},
        {0x001F, 0x03E0, 0x7C00, PixelLayout::Other, 0x001F, 0x7C00, [](u32 v) { return u16(v); },
         false},
        {0xF800, 0x07E0, 0x001F, PixelLayout::R5G6B5, 0xF800, 0x001F,
         [](u32 v) { return u16(((v & 0x7FE0) << 1) | (v & 31)); }, true},
    };
    for (const auto& l : layouts) {
        SetPixelFormat(640, 480, 1280, l.r, l.g, l.b);
        EXPECT_EQ(
            std::tuple(CurrentPixelLayout(), gMaskR, gMaskB, gColorKey, gColorKey2),
            std::tuple(l.layout, l.maskR, l.maskB, l.to(619) * 0x10001u, l.to(12703) * 0x10001u));
        for (u32 v = 0; v < 32768; ++v) {
            u16 p = static_cast<u16>(v);
            ConvertPixels(&p, 1);
            ASSERT_EQ(std::pair(p, ConvertPixel(static_cast<u16>(v))), std::pair(l.to(v), l.to(v)))
                << v;
            ConvertPixelsBack(&p, 1);
            u32 back = l.undone ? v : l.to(v);
            ASSERT_EQ((std::pair<u32, u32>(p, ConvertPixelBack(l.to(v)))), std::pair(back, back))
                << v;
        }
    }
    // 5-6-5 is set last: only the low half passes through the converter a
    // second time.
    EXPECT_EQ(gGreenPair, 0x07C00F80u);
    // Without a surface: 5-5-5; colours are masked to 0..31 per channel.
    EXPECT_EQ(InitPixelFormat(nullptr), 1);
    EXPECT_EQ(std::tuple(CurrentPixelLayout(), MakeColor(31, 0, 0), MakeColor(63, 32, 1)),
              std::tuple(PixelLayout::R5G5B5, 0x7C007C00u, 0x7C017C01u));
    // The surface gives size, pitch and masks; the clamp tables follow.
    DisplayReset();
    DisplaySetMasks(0xF800, 0x07E0, 0x001F);
    ASSERT_TRUE(DisplayOpen(640, 480, 16));
    DisplaySurface* surface = DisplayCreateSurface(320, 200);
    EXPECT_EQ(InitPixelFormat(surface), 1);
    EXPECT_EQ(std::tuple(gScreenWidth, gScreenHeight, gScreenPitch), std::tuple(320, 200, 640));
    EXPECT_EQ(CurrentPixelLayout(), PixelLayout::R5G6B5);
    DisplayReset();
    // The clamp tables cover levels below zero and above the top.
    EXPECT_EQ(std::tuple(gClampG[40 + 32], gClampG[-5 + 32], gClampB[95]),
              std::tuple(gMaskG, 0u, gMaskB));
    for (u32 v = 0; v < 32; ++v)
        EXPECT_EQ(std::pair(gClampR[v + 32], gClampB[v + 32]), std::pair(v * 0x800, v)) << v;
}

// Message-box text broken into lines that fit the 640-pixel screen.

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(ErrorBox, TextsCaptionsButtonsAndLinesThatFitTheScreen) {
    Harness h;
    ErrorBox("Moonharbor", "RoleDataBase init Failed.");
    // The box may format the scratch text itself; long texts are cut.
    std::snprintf(gScratchBuf, sizeof(gScratchBuf), "%s", "MH_Data\\Talk1.dat");
    ErrorBox(B5("對話系統"), "%s %s", gScratchBuf, gScratchBuf);
    ErrorBox("c", "%s", std::string(3000, 'y').c_str());
    for (u32 code : {0x8878000Au, 0x12345678u, 0x80040110u}) DSErrorBox(nullptr, "cap", code);
    DDErrorBox(nullptr, "DirectDraw Create Error!!");
    PlatformSetBoxAnswer(IDIGNORE);
    EXPECT_EQ(MaintenanceBox(nullptr, "bad %d", 7, "x.cpp", 12), 1);
    const auto& b = h.boxes();
    ASSERT_EQ(b.size(), 8u);
    EXPECT_EQ(std::tuple(b[0].text, b[0].caption, b[0].type),
              std::tuple("RoleDataBase init Failed.", "Moonharbor", MB_OK));
    EXPECT_EQ(b[1].text, "MH_Data\\Talk1.dat MH_Data\\Talk1.dat");
    EXPECT_EQ(b[2].text.size(), 1023u);
    EXPECT_EQ(std::tuple(b[3].text, b[4].text, b[5].text, b[6].text, b[6].caption),
              std::tuple("DSERR_ALLOCATED", "DSERR", "DSERR_NOAGGREGATION ", "DDERR",
                         "DirectDraw Create Error!!"));
    EXPECT_EQ(std::tuple(b[7].caption, b[7].text, b[7].type),
              std::tuple(B5("維護錯誤"), B5("\n檔案: x.cpp\n行數: 第12行\n錯誤: bad 7"),
                         MB_ABORTRETRYIGNORE | MB_ICONERROR));
    // Message-box text broken into lines that fit the 640-pixel screen.
    const std::string kDamaged =
        "MH_Data\\ItemData.dat: offset 0: record count 65535 refused: the file holds 208 records "
        "of 180 bytes";
    const std::string kChar = B5("測");
    // Each text and its lines, joined by line breaks.
    const std::pair<std::string, std::string> kCases[] = {
        // Broken after the last space that keeps 72 columns; the space goes.
        {kDamaged,
         "MH_Data\\ItemData.dat: offset 0: record count 65535 refused: the file\n"
         "holds 208 records of 180 bytes"},
        // One column and 50 double-byte characters: 1 + 35 x 2 = 71 columns fit,
        // a 36th character would end at column 73.
        {std::string("a").append(Repeat(kChar, 50)),
         std::string("a").append(Repeat(kChar, 35)) + "\n" + Repeat(kChar, 15)},
        // Lines of their own are kept; a short text is left as it is.
        {"DDraw init Failed.\nMoonharbor", "DDraw init Failed.\nMoonharbor"},
        // A word longer than a line is cut between two characters.
        {std::string(80, 'x') + " y", std::string(72, 'x') + "\n" + std::string(8, 'x') + " y"},
    };
    for (const auto& [text, lines] : kCases) EXPECT_EQ(BreakBoxText(text), lines) << text;
}

}  // namespace
