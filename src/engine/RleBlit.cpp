// Run-coded blitters for the copy, additive and per-pixel alpha modes, with
// the whole runs worked in SSE2 or AVX2 lanes where the processor has them.
#include "engine/RleBlit.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define MH_BLIT_LANES 1
#endif

namespace {

BlitLanes gBlitLanes = BestBlitLanes();

// One pixel at a time: mirrored runs, runs shorter than a Vec, and every run
// where the processor has no lanes.
template <bool Mirror>
void AddPixels(const PixelMasks& k, u16* d, const u8* s, i32 n) {
    for (i32 i = 0; i < n; ++i) {
        u16* t = Mirror ? d - i : d + i;
        *t = k.AddSat(LoadPixel(s + 2 * i), *t);
    }
}

template <bool Mirror>
void AlphaPixels(const PixelMasks& k, u16* d, const u8* s, const u8* a, i32 n) {
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

// A kernel works forward runs of any length: Copy, Add and Alpha, with the
// lane registers it keeps in Regs.
struct ScalarKernel {
    struct Regs {};
    static void Copy(u16* d, const u8* s, i32 n) { CopyPixels(d, s, n); }
    static void Add(const Regs&, const PixelMasks& k, u16* d, const u8* s, i32 n) {
        AddPixels<false>(k, d, s, n);
    }
    static void Alpha(const Regs&, const PixelMasks& k, u16* d, const u8* s, const u8* a, i32 n) {
        AlphaPixels<false>(k, d, s, a, n);
    }
};

#ifdef MH_BLIT_LANES
namespace sse2 {
using Vec = __m128i;
constexpr i32 kLanes = 8;
#define LANE_FN inline
LANE_FN Vec Load(const void* p) {
    return _mm_loadu_si128(static_cast<const Vec*>(p));
}
LANE_FN void Store(void* p, Vec v) {
    _mm_storeu_si128(static_cast<Vec*>(p), v);
}
LANE_FN Vec Splat(u16 v) {
    return _mm_set1_epi16(static_cast<short>(v));
}
LANE_FN Vec And(Vec a, Vec b) {
    return _mm_and_si128(a, b);
}
LANE_FN Vec Or(Vec a, Vec b) {
    return _mm_or_si128(a, b);
}
LANE_FN Vec Add16(Vec a, Vec b) {
    return _mm_add_epi16(a, b);
}
LANE_FN Vec AddsU16(Vec a, Vec b) {
    return _mm_adds_epu16(a, b);
}
LANE_FN Vec Sub16(Vec a, Vec b) {
    return _mm_sub_epi16(a, b);
}
// No unsigned 16-bit minimum before SSE4.1: a less what a has above b.
LANE_FN Vec MinU16(Vec a, Vec b) {
    return _mm_sub_epi16(a, _mm_subs_epu16(a, b));
}
LANE_FN Vec Eq16(Vec a, Vec b) {
    return _mm_cmpeq_epi16(a, b);
}
LANE_FN Vec Select(Vec m, Vec a, Vec b) {
    return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b));
}
template <int K>
LANE_FN Vec Srli(Vec v) {
    return _mm_srli_epi16(v, K);
}
template <int K>
LANE_FN Vec Slli(Vec v) {
    return _mm_slli_epi16(v, K);
}
template <int K>
LANE_FN Vec Srai(Vec v) {
    return _mm_srai_epi16(v, K);
}
LANE_FN Vec Levels(const u8* a) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const Vec*>(a)), _mm_setzero_si128());
}
#include "engine/RleLanes.h"
#undef LANE_FN

struct Kernel {
    using Regs = Lanes;
    static void Copy(u16* d, const u8* s, i32 n) { CopyPixels(d, s, n); }
    static void Add(const Regs& l, const PixelMasks& k, u16* d, const u8* s, i32 n) {
        if (n >= kLanes) return AddRun(l, d, s, n);
        AddPixels<false>(k, d, s, n);
    }
    static void Alpha(const Regs& l, const PixelMasks& k, u16* d, const u8* s, const u8* a, i32 n) {
        if (n >= kLanes) return AlphaRun(l, d, s, a, n);
        AlphaPixels<false>(k, d, s, a, n);
    }
};
}  // namespace sse2

namespace avx2 {
using Vec = __m256i;
constexpr i32 kLanes = 16;
#define LANE_FN inline __attribute__((target("avx2")))
LANE_FN Vec Load(const void* p) {
    return _mm256_loadu_si256(static_cast<const Vec*>(p));
}
LANE_FN void Store(void* p, Vec v) {
    _mm256_storeu_si256(static_cast<Vec*>(p), v);
}
LANE_FN Vec Splat(u16 v) {
    return _mm256_set1_epi16(static_cast<short>(v));
}
LANE_FN Vec And(Vec a, Vec b) {
    return _mm256_and_si256(a, b);
}
LANE_FN Vec Or(Vec a, Vec b) {
    return _mm256_or_si256(a, b);
}
LANE_FN Vec Add16(Vec a, Vec b) {
    return _mm256_add_epi16(a, b);
}
LANE_FN Vec AddsU16(Vec a, Vec b) {
    return _mm256_adds_epu16(a, b);
}
LANE_FN Vec Sub16(Vec a, Vec b) {
    return _mm256_sub_epi16(a, b);
}
LANE_FN Vec MinU16(Vec a, Vec b) {
    return _mm256_min_epu16(a, b);
}
LANE_FN Vec Eq16(Vec a, Vec b) {
    return _mm256_cmpeq_epi16(a, b);
}
LANE_FN Vec Select(Vec m, Vec a, Vec b) {
    return _mm256_blendv_epi8(b, a, m);
}
template <int K>
LANE_FN Vec Srli(Vec v) {
    return _mm256_srli_epi16(v, K);
}
template <int K>
LANE_FN Vec Slli(Vec v) {
    return _mm256_slli_epi16(v, K);
}
template <int K>
LANE_FN Vec Srai(Vec v) {
    return _mm256_srai_epi16(v, K);
}
LANE_FN Vec Levels(const u8* a) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)));
}
#include "engine/RleLanes.h"

// Runs of 8 to 15 pixels go through the SSE2 lanes, shorter ones by pixel.
struct Kernel {
    struct Regs {
        Lanes wide;
        sse2::Lanes narrow;
        LANE_FN Regs() {}
    };
    LANE_FN static void Copy(u16* d, const u8* s, i32 n) {
        if (n >= kLanes) return CopyRun(d, s, n);
        CopyPixels(d, s, n);
    }
    LANE_FN static void Add(const Regs& l, const PixelMasks& k, u16* d, const u8* s, i32 n) {
        if (n >= kLanes) return AddRun(l.wide, d, s, n);
        if (n >= sse2::kLanes) return sse2::AddRun(l.narrow, d, s, n);
        AddPixels<false>(k, d, s, n);
    }
    LANE_FN static void Alpha(const Regs& l, const PixelMasks& k, u16* d, const u8* s, const u8* a,
                              i32 n) {
        if (n >= kLanes) return AlphaRun(l.wide, d, s, a, n);
        if (n >= sse2::kLanes) return sse2::AlphaRun(l.narrow, d, s, a, n);
        AlphaPixels<false>(k, d, s, a, n);
    }
};
#undef LANE_FN
}  // namespace avx2
#endif

// Plain copy of the literal runs.
template <class K>
struct CopyOp {
    static constexpr bool kKey2 = false;
    static constexpr bool kPairRows = true;
    bool BeginRow(i32) { return true; }
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32) {
        if (!Mirror) return K::Copy(d, s, n);
        for (i32 i = 0; i < n; ++i) d[-i] = LoadPixel(s + 2 * i);
    }
    template <bool Mirror>
    void Key2(u16*, i32, i32) {}
};

// Saturating sum of source and destination, the source first moved by the tints.
template <class K>
struct AddOp {
    static constexpr bool kKey2 = false;
    static constexpr bool kPairRows = true;
    // The column walk leaves more registers to the lane masks, and runs faster
    // here.
    static constexpr bool kFromZero = false;
    RowSkipper skip;
    bool tinted = gPaintTintR || gPaintTintG || gPaintTintB;
    i32 tr = gPaintTintR, tg = gPaintTintG, tb = gPaintTintB;
    PixelMasks k{};
    typename K::Regs regs{};
    bool BeginRow(i32) { return skip.Draw(); }
    u16 Tinted(u32 s, u32 d) const {
        u32 r = TintChannel(s, tr, gMaskR, gOverR, gUnitR);
        u32 g = TintChannel(s, tg, gMaskG, gOverG, gUnitG);
        u32 b = TintChannel(s, tb, gMaskB, gOverB, gUnitB);
        return AddPixelSat(r | g | b, d);
    }
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32) {
        if (tinted) {
            for (i32 i = 0; i < n; ++i) {
                u16* t = Mirror ? d - i : d + i;
                *t = Tinted(LoadPixel(s + 2 * i), *t);
            }
        } else if (Mirror) {
            AddPixels<true>(k, d, s, n);
        } else {
            K::Add(regs, k, d, s, n);
        }
    }
    template <bool Mirror>
    void Key2(u16*, i32, i32) {}
};

// Blend by the alpha plane: level a = byte / 4 (above 15 taken as 15); the
// destination keeps (15 - a)/16 and the source is added at full weight,
// saturating per channel. Second-key runs are filled with 0xFFF0.
template <class K>
struct AlphaOp {
    static constexpr bool kKey2 = true;
    static constexpr bool kPairRows = true;
    const u8* plane;
    i32 w;
    PixelMasks k{};
    typename K::Regs regs{};
    const u8* row = nullptr;
    bool BeginRow(i32 r) {
        row = plane + static_cast<i64>(r) * w;
        return true;
    }
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32 col) {
        if (Mirror) return AlphaPixels<true>(k, d, s, row + col, n);
        K::Alpha(regs, k, d, s, row + col, n);
    }
    template <bool Mirror>
    void Key2(u16* d, i32 n, i32) {
        for (i32 i = 0; i < n; ++i) (Mirror ? d[-i] : d[i]) = 0xFFF0;
    }
};

// The three draws in one kernel's lanes. Mirrored copies do not move the wave
// on; the others do.
template <bool Mirror, class K>
void CopyIn(i32 x, i32 w) {
    CopyOp<K> op;
    WalkRle<Mirror>(x, w, op, !Mirror);
}
template <bool Mirror, class K>
void AddIn(i32 x, i32 w) {
    AddOp<K> op;
    WalkRle<Mirror>(x, w, op, true);
}
// The plane has the picture's own rows, whatever size it is drawn at.
template <bool Mirror, class K>
void AlphaIn(i32 x, i32 w, const void* extra) {
    i32 planeW = LoadPixel(static_cast<const u8*>(gCurPic) + 2);
    AlphaOp<K> op{static_cast<const u8*>(extra), planeW};
    WalkRle<Mirror>(x, w, op, true);
}

#ifdef MH_BLIT_LANES
// Everything an AVX2 draw calls is pulled into it, so the AVX2 kernels are
// inlined into the run walker.
#define AVX2_DRAW __attribute__((target("avx2"), flatten))
template <bool Mirror>
AVX2_DRAW void CopyAvx2(i32 x, i32 w) {
    CopyIn<Mirror, avx2::Kernel>(x, w);
}
template <bool Mirror>
AVX2_DRAW void AddAvx2(i32 x, i32 w) {
    AddIn<Mirror, avx2::Kernel>(x, w);
}
template <bool Mirror>
AVX2_DRAW void AlphaAvx2(i32 x, i32 w, const void* extra) {
    AlphaIn<Mirror, avx2::Kernel>(x, w, extra);
}
#undef AVX2_DRAW
#endif

template <bool Mirror>
void RleCopy(i32 x, i32, i32 w, i32, const void*) {
#ifdef MH_BLIT_LANES
    if (gBlitLanes == BlitLanes::kAvx2) return CopyAvx2<Mirror>(x, w);
    if (gBlitLanes == BlitLanes::kSse2) return CopyIn<Mirror, sse2::Kernel>(x, w);
#endif
    CopyIn<Mirror, ScalarKernel>(x, w);
}

template <bool Mirror>
void RleAdd(i32 x, i32, i32 w, i32, const void*) {
#ifdef MH_BLIT_LANES
    if (gBlitLanes == BlitLanes::kAvx2) return AddAvx2<Mirror>(x, w);
    if (gBlitLanes == BlitLanes::kSse2) return AddIn<Mirror, sse2::Kernel>(x, w);
#endif
    AddIn<Mirror, ScalarKernel>(x, w);
}

// Without an alpha plane the picture is drawn as a plain copy.
template <bool Mirror>
void RleAlpha(i32 x, i32 y, i32 w, i32 h, const void* extra) {
    if (!extra) return RleCopy<Mirror>(x, y, w, h, extra);
#ifdef MH_BLIT_LANES
    if (gBlitLanes == BlitLanes::kAvx2) return AlphaAvx2<Mirror>(x, w, extra);
    if (gBlitLanes == BlitLanes::kSse2) return AlphaIn<Mirror, sse2::Kernel>(x, w, extra);
#endif
    AlphaIn<Mirror, ScalarKernel>(x, w, extra);
}

}  // namespace

BlitLanes BestBlitLanes() {
#ifdef MH_BLIT_LANES
    static const BlitLanes best = [] {
        __builtin_cpu_init();  // may run before the library's own start-up
        return __builtin_cpu_supports("avx2") ? BlitLanes::kAvx2 : BlitLanes::kSse2;
    }();
    return best;
#else
    return BlitLanes::kScalar;
#endif
}

BlitLanes SetBlitLanes(BlitLanes lanes) {
    gBlitLanes = std::min(lanes, BestBlitLanes());
    return gBlitLanes;
}

void ResetBlitLanes() {
    gBlitLanes = BestBlitLanes();
}

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
