// Run-coded blitters for the copy, additive and per-pixel alpha modes.
#include "engine/RleBlit.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

#ifdef __SSE2__
// Eight pixels at a time in 16-bit lanes. A channel at the top of its lane
// saturates through the lane's saturating add; one whose doubled mask stays
// below the sign bit is added and held to its mask; any other is moved to the
// top of its lane first and back after.
struct Lanes {
    enum Way { kTop, kLow, kMoved };
    Way way[3];
    __m128i mask[3], up[3];  // each channel's mask, and how far it moves up
    __m128i shr[4];          // the masks of v >> 1 .. v >> 4 within the channels
    Lanes() {
        const u32 m[3] = {gMaskR, gMaskG, gMaskB};
        const i32 sh[3] = {gShiftR, gShiftG, gShiftB};
        for (int c = 0; c < 3; ++c) {
            i32 lift = 16 - sh[c] - __builtin_popcount(m[c]);
            way[c] = lift == 0 ? kTop : 2 * m[c] <= 0x7FFF ? kLow : kMoved;
            mask[c] = _mm_set1_epi16(static_cast<short>(m[c]));
            up[c] = _mm_cvtsi32_si128(lift);
        }
        const u32 k[4] = {gShr1Mask, gShr2Mask, gShr3Mask, gShr4Mask};
        for (int j = 0; j < 4; ++j) shr[j] = _mm_set1_epi16(static_cast<short>(k[j] & 0xFFFF));
    }
    __m128i AddSat(__m128i a, __m128i b) const {
        __m128i out = _mm_setzero_si128();
        for (int c = 0; c < 3; ++c) {
            __m128i x = _mm_and_si128(a, mask[c]), y = _mm_and_si128(b, mask[c]), sum;
            if (way[c] == kTop) {
                sum = _mm_and_si128(_mm_adds_epu16(x, y), mask[c]);
            } else if (way[c] == kLow) {
                sum = _mm_min_epi16(_mm_add_epi16(x, y), mask[c]);
            } else {
                sum = _mm_adds_epu16(_mm_sll_epi16(x, up[c]), _mm_sll_epi16(y, up[c]));
                sum = _mm_and_si128(_mm_srl_epi16(sum, up[c]), mask[c]);
            }
            out = _mm_or_si128(out, sum);
        }
        return out;
    }
    // The terms of v that the bits of each lane's level select (bit 3 = v/2 .. bit 0 = v/16).
    __m128i Terms(__m128i v, __m128i level) const {
        const __m128i term[4] = {_mm_and_si128(_mm_srli_epi16(v, 1), shr[0]),
                                 _mm_and_si128(_mm_srli_epi16(v, 2), shr[1]),
                                 _mm_and_si128(_mm_srli_epi16(v, 3), shr[2]),
                                 _mm_and_si128(_mm_srli_epi16(v, 4), shr[3])};
        __m128i out = _mm_setzero_si128();
        for (int j = 0; j < 4; ++j) {
            __m128i bit = _mm_set1_epi16(static_cast<short>(8 >> j));
            __m128i on = _mm_cmpeq_epi16(_mm_and_si128(level, bit), bit);
            out = _mm_add_epi16(out, _mm_and_si128(term[j], on));
        }
        return out;
    }
};

__m128i Load8(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}
void Store8(void* p, __m128i v) {
    _mm_storeu_si128(static_cast<__m128i*>(p), v);
}
#endif

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
#ifdef __SSE2__
    Lanes lanes{};
#endif
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32) {
        if (tinted) return LitTinted<Mirror>(d, s, n);
        i32 i = 0;
#ifdef __SSE2__
        if (!Mirror && n >= 8) {
            // The last eight, from the screen as it was, go last and cover the tail.
            __m128i tail = lanes.AddSat(Load8(s + 2 * (n - 8)), Load8(d + n - 8));
            for (; i + 8 <= n; i += 8) Store8(d + i, lanes.AddSat(Load8(s + 2 * i), Load8(d + i)));
            Store8(d + n - 8, tail);
            return;
        }
#endif
        const u32 mr = gMaskR, mg = gMaskG, mb = gMaskB;
        for (; i < n; ++i) {
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
#ifdef __SSE2__
    Lanes lanes{};
    // Eight pixels of one row: a level of 0 keeps the screen, 15 takes the source.
    void Lit8(u16* d, const u8* s, const u8* a) const {
        __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(a));
        __m128i level = _mm_srli_epi16(_mm_unpacklo_epi8(bytes, _mm_setzero_si128()), 2);
        __m128i fifteen = _mm_set1_epi16(15);
        __m128i over = _mm_cmpgt_epi16(level, fifteen);
        level = _mm_or_si128(_mm_andnot_si128(over, level), _mm_and_si128(over, fifteen));
        __m128i src = Load8(s), dst = Load8(d);
        __m128i mixed = lanes.AddSat(src, lanes.Terms(dst, _mm_sub_epi16(fifteen, level)));
        __m128i keep = _mm_cmpeq_epi16(level, _mm_setzero_si128());
        __m128i take = _mm_cmpeq_epi16(level, fifteen);
        __m128i out = _mm_or_si128(_mm_and_si128(keep, dst), _mm_andnot_si128(keep, mixed));
        Store8(d, _mm_or_si128(_mm_and_si128(take, src), _mm_andnot_si128(take, out)));
    }
#endif
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32 col) {
        const u8* a = row + col;
        i32 i = 0;
#ifdef __SSE2__
        if (!Mirror && n >= 8) {
            // The last eight, from the screen as it was, go last and cover the tail.
            u16 last[8];
            std::memcpy(last, d + n - 8, sizeof last);
            Lit8(last, s + 2 * (n - 8), a + n - 8);
            for (; i + 8 <= n; i += 8) Lit8(d + i, s + 2 * i, a + i);
            std::memcpy(d + n - 8, last, sizeof last);
            return;
        }
#endif
        for (; i < n; ++i) {
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
