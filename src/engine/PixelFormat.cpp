// Pixel layout detection, the converters and the blending masks and tables.
#include "engine/PixelFormat.h"

#include "platform/Display.h"
#include "engine/PicPaint.h"

i32 gScreenWidth = 640, gScreenHeight = 480, gScreenPitch = 1280;
u32 gRedMask = 0x7C00, gGreenMask = 0x03E0, gBlueMask = 0x001F;
u32 gMaskR = 0x7C00, gMaskG = 0x03E0, gMaskB = 0x001F;
u32 gOverR = ~0x7C00u, gOverG = ~0x03E0u, gOverB = ~0x001Fu;
u32 gUnitR = 0x0400, gUnitG = 0x0020, gUnitB = 0x0001;
i32 gShiftR = 10, gShiftG = 5, gShiftB = 0;
u32 gShr1Mask, gShr2Mask, gShr3Mask, gShr4Mask;
u32 gClampR[96], gClampG[96], gClampB[96];
u32 gColorKey, gColorKey2;
u32 gKeyColor555 = 619, gKeyColor2555 = 12703;
u32 gGreenPair;
u32 gRleMagic = 0xFFFF;

namespace {

PixelLayout gLayout = PixelLayout::R5G5B5;

u32 Pack2(u32 v) {
    return (v & 0xFFFF) | (v << 16);
}

void BuildTables() {
    gGreenPair = Pack2(gMaskG);
    gOverR = ~gMaskR;
    gOverG = ~gMaskG;
    gOverB = ~gMaskB;
    u32 r = gMaskR, g = gMaskG, b = gMaskB;
    u32* shr[4] = {&gShr1Mask, &gShr2Mask, &gShr3Mask, &gShr4Mask};
    for (int k = 0; k < 4; ++k) {
        r = (r >> 1) & gMaskR;
        g = (g >> 1) & gMaskG;
        b = (b >> 1) & gMaskB;
        *shr[k] = Pack2(r | g | b);
    }
    gUnitR = r;
    gUnitG = g;
    gUnitB = b;
    for (int v = -32; v < 64; ++v) {
        int i = v + 32;
        gClampR[i] = v < 0 ? 0 : v < 32 ? v * gUnitR : gMaskR;
        gClampG[i] = v < 0 ? 0 : v < 32 ? v * gUnitG : gMaskG;
        gClampB[i] = v < 0 ? 0 : v < 32 ? v * gUnitB : gMaskB;
    }
    u16 green = static_cast<u16>(gGreenPair);
    ConvertPixels(&green, 1);
    gGreenPair = (gGreenPair & 0xFFFF0000u) | green;
    gColorKey = Pack2(ConvertPixel(static_cast<u16>(gKeyColor555)));
    gColorKey2 = Pack2(ConvertPixel(static_cast<u16>(gKeyColor2555)));
}

}  // namespace

PixelLayout CurrentPixelLayout() {
    return gLayout;
}

u16 ConvertPixel(u16 v) {
    switch (gLayout) {
        case PixelLayout::R5G6B5:
            return static_cast<u16>((v & 0x1F) + ((v & 0xFFE0) << 1));
        case PixelLayout::R5G5B6:
            return static_cast<u16>(v << 1);
        case PixelLayout::R6G5B5:
            return static_cast<u16>((v & 0x03FF) | ((v & 0x7C00) << 1));
        default:
            return v;
    }
}

u16 ConvertPixelBack(u16 v) {
    // Only 5-6-5 has a way back; the six-bit red or blue layouts keep their pixels.
    if (gLayout == PixelLayout::R5G6B5) return static_cast<u16>(((v >> 6) << 5) | (v & 0x1F));
    return v;
}

void ConvertPixels(u16* pixels, i32 n) {
    if (gLayout == PixelLayout::R5G5B5 || gLayout == PixelLayout::Other) return;
    for (i32 i = 0; i < n; ++i) pixels[i] = ConvertPixel(pixels[i]);
}

void ConvertPixelsBack(u16* pixels, i32 n) {
    if (gLayout != PixelLayout::R5G6B5) return;
    for (i32 i = 0; i < n; ++i) pixels[i] = ConvertPixelBack(pixels[i]);
}

void SetPixelFormat(i32 width, i32 height, i32 pitch, u32 red, u32 green, u32 blue) {
    gScreenWidth = width;
    gScreenHeight = height;
    gScreenPitch = pitch;
    gRedMask = red;
    gGreenMask = green;
    gBlueMask = blue;
    struct Row {
        u32 r, g, b;
        PixelLayout layout;
        u32 wr, wg, wb;
        i32 sr, sg, sb;
    };
    static constexpr Row kLayouts[] = {
        {0x7C00, 0x03E0, 0x001F, PixelLayout::R5G5B5, 0x7C00, 0x03E0, 0x001F, 10, 5, 0},
        {0xF800, 0x07E0, 0x001F, PixelLayout::R5G6B5, 0xF800, 0x07C0, 0x001F, 11, 6, 0},
        {0xF800, 0x07C0, 0x003F, PixelLayout::R5G5B6, 0xF800, 0x07C0, 0x003E, 11, 6, 1},
        {0xFC00, 0x03E0, 0x001F, PixelLayout::R6G5B5, 0xF800, 0x03E0, 0x001F, 11, 5, 0},
    };
    // Unknown masks keep the converters and shifts and work on the reported masks.
    gMaskR = red;
    gMaskG = green;
    gMaskB = blue;
    gLayout = PixelLayout::Other;
    for (const Row& l : kLayouts) {
        if (l.r != red || l.g != green || l.b != blue) continue;
        gLayout = l.layout;
        gMaskR = l.wr;
        gMaskG = l.wg;
        gMaskB = l.wb;
        gShiftR = l.sr;
        gShiftG = l.sg;
        gShiftB = l.sb;
    }
    gKeyColor555 = 619;
    gKeyColor2555 = 12703;
    BuildTables();
    gPaintTintR = gPaintTintG = gPaintTintB = 0;
    gRleMagic = 0xFFFF;
}

int InitPixelFormat(DisplaySurface* surface) {
    if (!surface) {
        SetPixelFormat(640, 480, 1280, 0x7C00, 0x03E0, 0x001F);
        return 1;
    }
    i32 pitch = 0;
    if (!DisplayLock(surface, &pitch)) return 0;
    i32 w = 0, h = 0;
    DisplaySurfaceSize(surface, &w, &h, nullptr);
    DisplayUnlock(surface);
    u32 r = 0, g = 0, b = 0;
    DisplaySurfaceMasks(surface, &r, &g, &b);
    SetPixelFormat(w, h, pitch, r, g, b);
    return 1;
}

u32 MakeColor(i32 r, i32 g, i32 b) {
    u16 v = static_cast<u16>(((r & 31) << 10) | ((g & 31) << 5) | (b & 31));
    return Pack2(ConvertPixel(v));
}

void GetColorMasks(u32* r, u32* g, u32* b) {
    if (r) *r = gRedMask;
    if (g) *g = gGreenMask;
    if (b) *b = gBlueMask;
}

void ResetPixelFormat() {
    gLayout = PixelLayout::R5G5B5;
    gShiftR = 10;
    gShiftG = 5;
    gShiftB = 0;
    SetPixelFormat(640, 480, 1280, 0x7C00, 0x03E0, 0x001F);
}

// The tables are valid before the first InitPixelFormat too.
static const bool gPixelFormatReady = (ResetPixelFormat(), true);
