// Run-coded blitters for the copy, additive and per-pixel alpha modes.
#include "engine/RleBlit.h"

namespace {

// Mirrored copies do not move the wave on; the others do.
template <bool Mirror>
void RleCopy(i32 x, i32, i32 w, i32, const void*) {
    RleCopyOp op;
    WalkRle<Mirror>(x, w, op, !Mirror);
}

// Saturating sum of source and destination, the source first moved by the tints.
struct RleAddOp {
    static constexpr bool kKey2 = false;
    RowSkipper skip;
    bool tinted = gPaintTintR || gPaintTintG || gPaintTintB;
    i32 tr = gPaintTintR, tg = gPaintTintG, tb = gPaintTintB;
    bool BeginRow(i32) { return skip.Draw(); }
    u16 Pixel(u32 s, u32 d) const {
        if (!tinted) return AddPixelSat(s, d);
        u32 r = TintChannel(s, tr, gMaskR, gOverR, gUnitR);
        u32 g = TintChannel(s, tg, gMaskG, gOverG, gUnitG);
        u32 b = TintChannel(s, tb, gMaskB, gOverB, gUnitB);
        return AddPixelSat(r | g | b, d);
    }
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32) {
        if (tinted) return LitTinted<Mirror>(d, s, n);
        const u32 mr = gMaskR, mg = gMaskG, mb = gMaskB;
        for (i32 i = 0; i < n; ++i) {
            u16* t = Mirror ? d - i : d + i;
            u32 a = LoadPixel(s + 2 * i), b = *t;
            u32 r = std::min((a & mr) + (b & mr), mr);
            u32 g = std::min((a & mg) + (b & mg), mg);
            u32 bl = std::min((a & mb) + (b & mb), mb);
            *t = static_cast<u16>(r | g | bl);
        }
    }
    template <bool Mirror>
    void LitTinted(u16* d, const u8* s, i32 n) {
        for (i32 i = 0; i < n; ++i) {
            u16* t = Mirror ? d - i : d + i;
            *t = Pixel(LoadPixel(s + 2 * i), *t);
        }
    }
    template <bool Mirror>
    void Key2(u16*, i32, i32) {}
};

template <bool Mirror>
void RleAdd(i32 x, i32, i32 w, i32, const void*) {
    RleAddOp op;
    WalkRle<Mirror>(x, w, op, true);
}

// Blend by the alpha plane: level a = byte / 4 (above 15 taken as 15); the
// destination keeps (15 - a)/16 and the source is added at full weight,
// saturating per channel. Second-key runs are filled with 0xFFF0.
struct RleAlphaOp {
    static constexpr bool kKey2 = true;
    const u8* plane;
    i32 w;
    PixelMasks k{};
    const u8* row = nullptr;
    bool BeginRow(i32 r) {
        row = plane + static_cast<i64>(r) * w;
        return true;
    }
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32 col) {
        const u8* a = row + col;
        for (i32 i = 0; i < n; ++i) {
            u16* t = Mirror ? d - i : d + i;
            u32 level = std::min<u32>(a[i] >> 2, 15);
            u32 src = LoadPixel(s + 2 * i), dst = *t;
            // Levels vary per pixel: select, do not branch.
            u32 mixed = k.AddSat(src, k.TermsBranchless(dst, 15 - level));
            u32 out = level == 0 ? dst : mixed;
            *t = static_cast<u16>(level == 15 ? src : out);
        }
    }
    template <bool Mirror>
    void Key2(u16* d, i32 n, i32) {
        for (i32 i = 0; i < n; ++i) (Mirror ? d[-i] : d[i]) = 0xFFF0;
    }
};

// Without an alpha plane the picture is drawn as a plain copy.
template <bool Mirror>
void RleAlpha(i32 x, i32 y, i32 w, i32 h, const void* extra) {
    if (!extra) return RleCopy<Mirror>(x, y, w, h, extra);
    // The plane has the picture's own rows, whatever size it is drawn at.
    i32 planeW = LoadPixel(static_cast<const u8*>(gCurPic) + 2);
    RleAlphaOp op{static_cast<const u8*>(extra), planeW};
    WalkRle<Mirror>(x, w, op, true);
}

}  // namespace

void RegisterRleBlitters(Blitter* table) {
    table[0x00] = RleCopy<false>;
    table[0x02] = RleCopy<false>;
    table[0x01] = RleCopy<true>;
    table[0x03] = RleCopy<true>;
    table[0x04] = RleAdd<false>;
    table[0x05] = RleAdd<true>;
    table[0x08] = RleAlpha<false>;
    table[0x09] = RleAlpha<true>;
}
