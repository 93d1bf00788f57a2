// Run-coded effect blitters of modes 0x0C-0x2D, each one pixel operation over
// the shared run walker.
#include "engine/RleBlitFx.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "engine/RleBlit.h"

namespace {

// Applies f(s, d) to n literal pixels. Lane-independent operations (kPairs)
// go two pixels per 32-bit word once the destination is aligned; the result
// is the same as pixel by pixel. Always drawn into the run walk: a call per
// run costs the short runs of a sprite more than the loop does.
template <bool Mirror, class F>
__attribute__((always_inline)) inline void ForPixels(u16* d, const u8* s, i32 n, const F& f) {
    i32 i = 0;
    if constexpr (F::kPairs) {
        // Mirrored pairs are the word at d - i - 1: source i + 1 low, i high.
        bool aligned = Mirror ? (reinterpret_cast<uintptr_t>(d) & 2) != 0
                              : (reinterpret_cast<uintptr_t>(d) & 2) == 0;
        if (n > 1 && !aligned) {
            d[0] = static_cast<u16>(f(LoadPixel(s), d[0]));
            i = 1;
        }
        for (; i + 1 < n; i += 2) {
            u32 sv, dv;
            std::memcpy(&sv, s + 2 * i, 4);
            u16* at = Mirror ? d - i - 1 : d + i;
            std::memcpy(&dv, at, 4);
            if (Mirror) sv = std::rotl(sv, 16);
            u32 r = f(sv, dv);
            std::memcpy(at, &r, 4);
        }
    }
    for (; i < n; ++i) {
        u16* t = Mirror ? d - i : d + i;
        *t = static_cast<u16>(f(LoadPixel(s + 2 * i), *t));
    }
}

// A run operation made of one pixel function F (with BeginRow and an
// operator()(s, d)); key runs stay transparent.
template <class F>
struct PixelRun : F {
    static constexpr bool kKey2 = false;
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32) {
        ForPixels<Mirror>(d, s, n, static_cast<const F&>(*this));
    }
    template <bool Mirror>
    void Key2(u16*, i32, i32) {}
};

struct TintPx {
    static constexpr bool kPairs = false;
    PixelMasks k{};
    i32 t[3] = {gPaintTintR, gPaintTintG, gPaintTintB};
    bool BeginRow(i32) { return true; }
    u32 operator()(u32, u32 d) const { return k.TintPixel(d, t); }
};

template <int Level>
struct BlendPx {
    static constexpr bool kPairs = true;
    PixelMasks k{};
    bool BeginRow(i32) { return true; }
    u32 operator()(u32 s, u32 d) const {
        if constexpr (Level >= 15) return s;
        return k.Terms(s, Level) + k.Terms(d, 15 - Level);
    }
};

// Level 15 on the top rows, one less every band of (h + 16) >> 4 rows.
struct FadePx {
    static constexpr bool kPairs = true;
    PixelMasks k{};
    i32 band = 1, level = 15;
    bool BeginRow(i32 r) {
        level = 15 - (r + 1) / band;
        return level > 0;
    }
    u32 operator()(u32 s, u32 d) const {
        if (level >= 15) return s;
        return k.Terms(s, level) + k.Terms(d, 15 - level);
    }
};

struct AddTintPx {
    static constexpr bool kPairs = false;
    PixelMasks k{};
    i32 t[3] = {gPaintTintR, gPaintTintG, gPaintTintB};
    bool BeginRow(i32) { return true; }
    u32 operator()(u32 s, u32 d) const { return k.AddSat(k.TintPixel(s, t), d); }
};

struct SilhouettePx {
    static constexpr bool kPairs = true;
    u32 pair = 0;
    bool BeginRow(i32) { return true; }
    u32 operator()(u32, u32) const { return pair; }
};

struct GreyPx {
    static constexpr bool kPairs = false;
    PixelMasks k{};
    bool BeginRow(i32) { return true; }
    u32 operator()(u32, u32 d) const { return k.Grey(d); }
};

struct SubtractPx {
    static constexpr bool kPairs = false;
    PixelMasks k{};
    i32 t[3] = {gPaintTintR, gPaintTintG, gPaintTintB};
    RowSkipper skip;
    bool BeginRow(i32) { return skip.Draw(); }
    u32 operator()(u32 s, u32 d) const { return k.Subtract(s, d, t); }
};

// Copy, then both ends of the visible part of each run take the mark colour.
struct MarkRunOp {
    static constexpr bool kKey2 = false;
    u16 mark = static_cast<u16>(gGreenPair);
    RleCopyOp copy;
    bool BeginRow(i32) { return true; }
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32 col) {
        copy.Lit<Mirror>(d, s, n, col);
        d[0] = mark;
        (Mirror ? d[-(n - 1)] : d[n - 1]) = mark;
    }
    template <bool Mirror>
    void Key2(u16*, i32, i32) {}
};

// The row plan of the scaled members; without a scale one source row per row.
template <bool Skew>
ScaledRows<Skew> ScalePlan(i32 h) {
    ScaledRows<Skew> rows;
    if (gPaintScaleH > 0) {
        rows.step = gBlitRowStep;
        rows.stretch = gBlitStretch;
    }
    if constexpr (Skew) {
        // The top row leans by the whole skew, the bottom one by about none.
        gBlitSkewX = gPaintSkew;
        if (gPaintSkew != 0) {
            i32 rowsTall = gPaintScaleH > 0 ? gPaintScaleH : h;
            rows.skewDir = gPaintSkew > 0 ? -1 : 1;
            rows.skewStep =
                static_cast<i32>((static_cast<i64>(std::abs(gPaintSkew)) * 1024) / rowsTall);
        }
    }
    return rows;
}

template <bool Mirror>
void RleTint(i32 x, i32, i32 w, i32, const void*) {
    if (!gPaintTintR && !gPaintTintG && !gPaintTintB) return;
    PixelRun<TintPx> op;
    WalkRle<Mirror>(x, w, op, true);
}

template <bool Mirror>
void RleTintScaled(i32 x, i32, i32 w, i32 h, const void*) {
    PixelRun<TintPx> op;
    WalkRle<Mirror>(x, w, op, true, ScalePlan<true>(h));
}

template <bool Mirror, int Level>
void RleBlendAt(i32 x, i32, i32 w, i32, const void*) {
    PixelRun<BlendPx<Level>> op;
    WalkRle<Mirror>(x, w, op, true);
}

// One code path per level, chosen once per call.
template <bool Mirror, size_t... L>
constexpr auto MakeBlendPaths(std::index_sequence<L...>) {
    return std::array<Blitter, sizeof...(L)>{RleBlendAt<Mirror, static_cast<int>(L)>...};
}

template <bool Mirror>
void RleBlend(i32 x, i32 y, i32 w, i32 h, const void* extra) {
    static constexpr auto paths = MakeBlendPaths<Mirror>(std::make_index_sequence<16>());
    i32 level = gPaintAlpha;
    if (level < 1) return;
    paths[level > 15 ? 15 : level](x, y, w, h, extra);
}

void RleFade(i32 x, i32, i32 w, i32 h, const void*) {
    PixelRun<FadePx> op;
    op.band = (h + 16) >> 4;
    WalkRle<false>(x, w, op, true);
}

template <bool Mirror>
void RleMarkRuns(i32 x, i32, i32 w, i32, const void*) {
    MarkRunOp op;
    WalkRle<Mirror>(x, w, op, true);
}

template <bool Mirror>
void RleAddScaled(i32 x, i32, i32 w, i32 h, const void*) {
    PixelRun<AddTintPx> op;
    WalkRle<Mirror>(x, w, op, true, ScalePlan<false>(h));
}

// One colour for pairs and single pixels alike: the low half of the word.
template <bool Mirror>
void RleSilhouette(i32 x, i32, i32 w, i32, const void* extra) {
    if (!extra) return;
    u32 word;
    std::memcpy(&word, extra, 4);
    PixelRun<SilhouettePx> op;
    op.pair = (word & 0xFFFF) * 0x10001u;
    WalkRle<Mirror>(x, w, op, true);
}

template <bool Mirror>
void RleGrey(i32 x, i32, i32 w, i32, const void*) {
    PixelRun<GreyPx> op;
    WalkRle<Mirror>(x, w, op, true);
}

template <bool Mirror>
void RleSubtract(i32 x, i32, i32 w, i32, const void*) {
    PixelRun<SubtractPx> op;
    WalkRle<Mirror>(x, w, op, true);
}

// The shimmer's neighbour order over a counter that runs across the call.
struct ShimmerOp {
    static constexpr bool kKey2 = false;
    i32 n = 0;
    i32 pitch = gScreenPitch / 2;
    const u16* lo = nullptr;  // first pixel of the clip
    const u16* hi = nullptr;  // one past its last pixel
    i32 clipL = gClipRect.left, clipR = gClipRect.left + gClipRect.width;
    bool BeginRow(i32) { return true; }
    bool Inside(const u16* p) const {
        if (p < lo || p >= hi) return false;
        i32 col = static_cast<i32>((p - gPaintBuf) % pitch);
        return col >= clipL && col < clipR;
    }
    template <bool Mirror>
    void Lit(u16* d, const u8*, i32 count, i32) {
        for (i32 i = 0; i < count; ++i) {
            u16* t = Mirror ? d - i : d + i;
            ++n;
            const u16* from = t;
            if (n <= 4)
                from = t - 1;
            else if (n <= 10)
                from = t + pitch;
            else if (n <= 13)
                from = t - pitch;
            else if (n <= 16)
                from = t + 1;
            else
                n = 0;
            if (from != t && Inside(from)) *t = *from;
        }
    }
    template <bool Mirror>
    void Key2(u16*, i32, i32) {}
};

}  // namespace

void RleShimmer(i32 x, i32, i32 w, i32, const void*) {
    if (!gPaintBuf || gScreenPitch < 2) return;
    ShimmerOp op;
    op.lo = PaintPixelAddr(0, gClipRect.top);
    op.hi = PaintPixelAddr(0, gClipRect.top + gClipRect.height);
    WalkRle<false>(x, w, op, true);
}

void RegisterRleFxBlitters(Blitter* table) {
    table[0x0C] = table[0x0E] = RleTintScaled<false>;
    table[0x0D] = table[0x0F] = RleTintScaled<true>;
    table[0x10] = RleTint<false>;
    table[0x11] = RleTint<true>;
    table[0x14] = table[0x16] = RleBlend<false>;
    table[0x15] = table[0x17] = RleBlend<true>;
    table[0x18] = RleMarkRuns<false>;
    table[0x19] = RleMarkRuns<true>;
    table[0x1C] = RleFade;
    table[0x20] = RleAddScaled<false>;
    table[0x21] = RleAddScaled<true>;
    table[0x24] = table[0x26] = RleSilhouette<false>;
    table[0x25] = table[0x27] = RleSilhouette<true>;
    table[0x28] = table[0x2A] = RleGrey<false>;
    table[0x29] = table[0x2B] = RleGrey<true>;
    table[0x2C] = RleSubtract<false>;
    table[0x2D] = RleSubtract<true>;
}
