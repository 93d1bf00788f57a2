// Pixel layouts: converters over every colour, working masks, keys, tables, MakeColor.
#include <gtest/gtest.h>

#include <tuple>

#include "engine/PixelFormat.h"
#include "platform/Display.h"

namespace {

struct FormatGuard {
    ~FormatGuard() { ResetPixelFormat(); }
};

TEST(PixelFormat, EveryLayoutConvertsEveryColourAndTheSurfaceSetsTheClampTables) {
    FormatGuard g;
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(CurrentPixelLayout(), PixelLayout::R5G6B5);
    for (u32 v = 0; v < 32768; ++v) {
        u16 r = (v >> 10) & 31, gr = (v >> 5) & 31, b = v & 31;
        u16 want = static_cast<u16>((r << 11) | (gr << 6) | b);
        u16 p = static_cast<u16>(v);
        ConvertPixels(&p, 1);
        ASSERT_EQ(p, want) << v;
        ConvertPixelsBack(&p, 1);
        ASSERT_EQ(p, v);
    }
    EXPECT_EQ(gColorKey, 0x04CB04CBu);
    // Only the low half passes through the converter a second time.
    EXPECT_EQ(gGreenPair, 0x07C00F80u);
    // Without a surface: 5-5-5, the identity.
    EXPECT_EQ(InitPixelFormat(nullptr), 1);
    EXPECT_EQ(CurrentPixelLayout(), PixelLayout::R5G5B5);
    for (u32 v = 0; v < 32768; ++v) ASSERT_EQ(ConvertPixel(static_cast<u16>(v)), v);
    EXPECT_EQ(std::tuple(gColorKey, gColorKey2), std::tuple(0x026B026Bu, 0x319F319Fu));
    EXPECT_EQ(MakeColor(31, 0, 0), 0x7C007C00u);
    EXPECT_EQ(MakeColor(63, 32, 1), 0x7C017C01u);  // channels masked to 0..31
    // Six-bit red or blue layouts keep pixels on the way back.
    FormatGuard g2;
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07C0, 0x003F);
    EXPECT_EQ(CurrentPixelLayout(), PixelLayout::R5G5B6);
    EXPECT_EQ(gMaskB, 0x003Eu);
    for (u32 v = 0; v < 32768; ++v) {
        ASSERT_EQ(ConvertPixel(static_cast<u16>(v)), static_cast<u16>(v << 1));
        ASSERT_EQ(ConvertPixelBack(static_cast<u16>(v)), v);
    }
    SetPixelFormat(640, 480, 1280, 0xFC00, 0x03E0, 0x001F);
    EXPECT_EQ(CurrentPixelLayout(), PixelLayout::R6G5B5);
    for (u32 v = 0; v < 32768; ++v)
        ASSERT_EQ(ConvertPixel(static_cast<u16>(v)),
                  static_cast<u16>((v & 0x3FF) | ((v & 0x7C00) << 1)));
    EXPECT_EQ(gMaskR, 0xF800u);
    // Unknown masks work as reported, without conversion.
    SetPixelFormat(640, 480, 1280, 0x001F, 0x03E0, 0x7C00);
    EXPECT_EQ(CurrentPixelLayout(), PixelLayout::Other);
    EXPECT_EQ(gMaskR, 0x001Fu);
    EXPECT_EQ(ConvertPixel(0x1234), 0x1234);
    // The surface gives size, pitch and masks; the clamp tables follow.
    FormatGuard g3;
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
    for (int v = 0; v < 32; ++v) {
        EXPECT_EQ(gClampR[v + 32], v * 0x800u);
        EXPECT_EQ(gClampB[v + 32], static_cast<u32>(v));
    }
}

}  // namespace
