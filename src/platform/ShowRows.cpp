// The row conversion of the shown picture: eight pixels at a time for the
// usual 32-bit window formats, a 5-6-5 window taking a 5-6-5 picture as it
// is, and a plain loop for anything else.
#include "platform/ShowRows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

int Shift(u32 mask) {
    return mask ? __builtin_ctz(mask) : 0;
}
int Width(u32 mask) {
    return __builtin_popcount(mask);
}

// Whether every channel is 8 bits wide in a 32-bit pixel.
bool EightBitChannels(const ShowFormat& f) {
    return f.bits == 32 && Width(f.red) == 8 && Width(f.green) == 8 && Width(f.blue) == 8;
}

// v x 255 / 31 and v x 255 / 63 rounded down, by a multiply and a shift
// that stay inside 16 bits (checked for every value in the tests).
inline u32 Expand5(u32 v) {
    return (v * 1053u) >> 7;
}
inline u32 Expand6(u32 v) {
    return (v * 259u + 3u) >> 6;
}

void RowTo32Plain(const u16* src, i32 n, u32* dst, PictureLayout layout, const ShowFormat& f) {
    const int rs = Shift(f.red), gs = Shift(f.green), bs = Shift(f.blue);
    const u32 alpha = f.alpha;
    for (i32 i = 0; i < n; ++i) {
        u32 p = src[i];
        u32 r = layout.green6 ? p >> 11 : (p >> 10) & 31;
        u32 g = layout.green6 ? Expand6((p >> 5) & 63) : Expand5((p >> 5) & 31);
        dst[i] = (Expand5(r) << rs) | (g << gs) | (Expand5(p & 31) << bs) | alpha;
    }
}

// Green in the second byte, red and blue in the first and third (either
// way round): the usual 32-bit window formats.
bool UsualOrder(const ShowFormat& f) {
    bool rgb = f.red == 0xFF0000 && f.blue == 0xFF;
    bool bgr = f.red == 0xFF && f.blue == 0xFF0000;
    return f.green == 0xFF00 && (rgb || bgr) && (f.alpha == 0 || f.alpha == 0xFF000000u);
}

#if defined(__SSE2__)
// Eight pixels at a time in 16-bit lanes: the channels expanded, the low
// halves (green and the low channel) and the high halves (the high channel
// and alpha) interleaved into four-byte pixels; at scale 2 each written twice.
void RowTo32Sse2(const u16* src, i32 n, u32* dst, PictureLayout layout, const ShowFormat& f,
                 int scale) {
    const bool rgb = f.red == 0xFF0000;
    const __m128i m31 = _mm_set1_epi16(31), m63 = _mm_set1_epi16(63);
    const __m128i k5 = _mm_set1_epi16(1053), k6 = _mm_set1_epi16(259), three = _mm_set1_epi16(3);
    const __m128i alpha = _mm_set1_epi16(f.alpha ? static_cast<short>(0xFF00) : 0);
    i32 i = 0;
    for (; i + 8 <= n; i += 8) {
        __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        __m128i r =
            layout.green6 ? _mm_srli_epi16(p, 11) : _mm_and_si128(_mm_srli_epi16(p, 10), m31);
        __m128i b = _mm_and_si128(p, m31);
        __m128i g;
        if (layout.green6) {
            g = _mm_and_si128(_mm_srli_epi16(p, 5), m63);
            g = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(g, k6), three), 6);
        } else {
            g = _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(p, 5), m31), k5), 7);
        }
        r = _mm_srli_epi16(_mm_mullo_epi16(r, k5), 7);
        b = _mm_srli_epi16(_mm_mullo_epi16(b, k5), 7);
        __m128i lo = _mm_or_si128(_mm_slli_epi16(g, 8), rgb ? b : r);
        __m128i hi = _mm_or_si128(rgb ? r : b, alpha);
        __m128i a = _mm_unpacklo_epi16(lo, hi), c = _mm_unpackhi_epi16(lo, hi);
        if (scale == 1) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 4), c);
            continue;
        }
        __m128i* to = reinterpret_cast<__m128i*>(dst + 2 * i);
        _mm_storeu_si128(to, _mm_unpacklo_epi32(a, a));
        _mm_storeu_si128(to + 1, _mm_unpackhi_epi32(a, a));
        _mm_storeu_si128(to + 2, _mm_unpacklo_epi32(c, c));
        _mm_storeu_si128(to + 3, _mm_unpackhi_epi32(c, c));
    }
    for (; i < n; ++i) {
        u32 v = 0;
        RowTo32Plain(src + i, 1, &v, layout, f);
        for (int k = 0; k < scale; ++k) dst[i * scale + k] = v;
    }
}
#endif

#if defined(__x86_64__)
#define MH_AVX2 __attribute__((target("avx2")))
// The same sixteen pixels at a time, where the processor has AVX2: the
// 128-bit lanes interleave on their own, so each half of the result keeps
// its own pixels in order.
MH_AVX2 inline void Put(bool stream, __m256i* at, __m256i v) {
    if (stream)
        _mm256_stream_si256(at, v);
    else
        _mm256_storeu_si256(at, v);
}
MH_AVX2 void RowTo32Avx2(const u16* src, i32 n, u32* dst, PictureLayout layout, const ShowFormat& f,
                         int scale) {
    const bool rgb = f.red == 0xFF0000;
    const __m256i m31 = _mm256_set1_epi16(31), m63 = _mm256_set1_epi16(63);
    const __m256i k5 = _mm256_set1_epi16(1053), k6 = _mm256_set1_epi16(259);
    const __m256i three = _mm256_set1_epi16(3);
    const __m256i alpha = _mm256_set1_epi16(f.alpha ? static_cast<short>(0xFF00) : 0);
    // Rows aligned to 32 bytes are written past the cache: the X server reads
    // them next, and a line it holds need not be fetched back first.
    const bool stream = (reinterpret_cast<uintptr_t>(dst) & 31) == 0;
    i32 i = 0;
    for (; i + 16 <= n; i += 16) {
        __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        __m256i r = layout.green6 ? _mm256_srli_epi16(p, 11)
                                  : _mm256_and_si256(_mm256_srli_epi16(p, 10), m31);
        __m256i b = _mm256_and_si256(p, m31);
        __m256i g;
        if (layout.green6) {
            g = _mm256_and_si256(_mm256_srli_epi16(p, 5), m63);
            g = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(g, k6), three), 6);
        } else {
            g = _mm256_and_si256(_mm256_srli_epi16(p, 5), m31);
            g = _mm256_srli_epi16(_mm256_mullo_epi16(g, k5), 7);
        }
        r = _mm256_srli_epi16(_mm256_mullo_epi16(r, k5), 7);
        b = _mm256_srli_epi16(_mm256_mullo_epi16(b, k5), 7);
        __m256i lo = _mm256_or_si256(_mm256_slli_epi16(g, 8), rgb ? b : r);
        __m256i hi = _mm256_or_si256(rgb ? r : b, alpha);
        // Pixels 0-3 and 8-11, then 4-7 and 12-15.
        __m256i a = _mm256_unpacklo_epi16(lo, hi), c = _mm256_unpackhi_epi16(lo, hi);
        if (scale == 1) {
            Put(stream, reinterpret_cast<__m256i*>(dst + i), _mm256_permute2x128_si256(a, c, 0x20));
            Put(stream, reinterpret_cast<__m256i*>(dst + i + 8),
                _mm256_permute2x128_si256(a, c, 0x31));
            continue;
        }
        // Each pixel twice: 0-1, 2-3 | 8-9, 10-11 from a; 4-5, 6-7 | 12-13, 14-15 from c.
        __m256i a0 = _mm256_unpacklo_epi32(a, a), a1 = _mm256_unpackhi_epi32(a, a);
        __m256i c0 = _mm256_unpacklo_epi32(c, c), c1 = _mm256_unpackhi_epi32(c, c);
        __m256i* to = reinterpret_cast<__m256i*>(dst + 2 * i);
        Put(stream, to, _mm256_permute2x128_si256(a0, a1, 0x20));
        Put(stream, to + 1, _mm256_permute2x128_si256(c0, c1, 0x20));
        Put(stream, to + 2, _mm256_permute2x128_si256(a0, a1, 0x31));
        Put(stream, to + 3, _mm256_permute2x128_si256(c0, c1, 0x31));
    }
    if (i == n) return;
    // The SSE2 code that takes the last pixels is not VEX-coded: with the
    // upper halves left dirty every one of its instructions would stall.
    _mm256_zeroupper();
    RowTo32Sse2(src + i, n - i, dst + static_cast<size_t>(i) * scale, layout, f, scale);
}
const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

// A row into 32-bit pixels at scale 1, or 2 when `scale` says so.
void RowTo32(const u16* src, i32 n, u32* dst, PictureLayout layout, const ShowFormat& f,
             int scale = 1) {
#if defined(__SSE2__)
    if (UsualOrder(f)) {
#if defined(__x86_64__)
        if (kHasAvx2) {
            RowTo32Avx2(src, n, dst, layout, f, scale);
            return;
        }
#endif
        RowTo32Sse2(src, n, dst, layout, f, scale);
        return;
    }
#endif
    if (scale == 1) {
        RowTo32Plain(src, n, dst, layout, f);
        return;
    }
    for (i32 i = 0; i < n; ++i) {
        u32 v = 0;
        RowTo32Plain(src + i, 1, &v, layout, f);
        for (int k = 0; k < scale; ++k) dst[i * scale + k] = v;
    }
}

// Any other format, one pixel at a time.
void RowGeneric(const u16* src, i32 n, u8* dst, PictureLayout layout, const ShowFormat& f) {
    const int bytes = f.bits / 8;
    for (i32 i = 0; i < n; ++i) {
        u32 v = ShowPixel(src[i], layout, f);
        std::memcpy(dst + i * bytes, &v, static_cast<size_t>(bytes));  // little-endian
    }
}

// One picture row at scale 1 into a window row.
void ConvertRow(const u16* src, i32 n, u8* dst, PictureLayout layout, const ShowFormat& f) {
    if (EightBitChannels(f)) {
        RowTo32(src, n, reinterpret_cast<u32*>(dst), layout, f);
        return;
    }
    bool same565 =
        f.bits == 16 && layout.green6 && f.red == 0xF800 && f.green == 0x07E0 && f.blue == 0x001F;
    bool same555 =
        f.bits == 16 && !layout.green6 && f.red == 0x7C00 && f.green == 0x03E0 && f.blue == 0x001F;
    if (same565 || same555) {
        std::memcpy(dst, src, static_cast<size_t>(n) * 2);
        return;
    }
    RowGeneric(src, n, dst, layout, f);
}

// Widens a converted row in place: pixel i becomes pixels i x scale .. + scale - 1.
void Widen(u8* row, i32 n, i32 bytes, i32 scale, i32 limit) {
    for (i32 i = n - 1; i >= 0; --i) {
        for (i32 k = scale - 1; k >= 0; --k) {
            i32 at = i * scale + k;
            if (at < limit)
                std::memmove(row + at * bytes, row + i * bytes, static_cast<size_t>(bytes));
        }
    }
}

// A picture row into a 32-bit window row at a scale above 1: at scale 2
// with the whole row inside the window directly, else converted in pieces
// on the stack and each pixel written scale times.
void ConvertRowWide32(const u16* src, i32 n, u32* dst, PictureLayout layout, const ShowFormat& f,
                      i32 scale, i32 limit) {
    if (scale == 2 && n * 2 <= limit) {
        RowTo32(src, n, dst, layout, f, 2);
        return;
    }
    constexpr i32 kPiece = 512;
    u32 piece[kPiece];
    for (i32 at = 0; at < n; at += kPiece) {
        const i32 k = std::min(kPiece, n - at);
        RowTo32(src + at, k, piece, layout, f);
        u32* to = dst + static_cast<size_t>(at) * scale;
        const i32 room = limit - at * scale;
        for (i32 i = 0; i < k; ++i)
            for (i32 j = 0; j < scale && i * scale + j < room; ++j) to[i * scale + j] = piece[i];
    }
}

}  // namespace

u32 ExpandChannel(u32 value, int bits) {
    u32 max = (1u << bits) - 1;
    return (value & max) * 255u / max;
}

u32 ShowPixel(u16 pixel, PictureLayout layout, const ShowFormat& f) {
    u32 r = layout.green6 ? pixel >> 11 : (pixel >> 10) & 31;
    u32 g = layout.green6 ? (pixel >> 5) & 63 : (pixel >> 5) & 31;
    u32 b = pixel & 31;
    u32 r8 = ExpandChannel(r, 5), g8 = ExpandChannel(g, layout.green6 ? 6 : 5);
    u32 b8 = ExpandChannel(b, 5);
    // Each 8-bit channel keeps as many top bits as its mask is wide.
    auto place = [](u32 v8, u32 mask) -> u32 {
        if (!mask) return 0;
        int width = std::min(Width(mask), 8);
        return ((v8 >> (8 - width)) << Shift(mask)) & mask;
    };
    return place(r8, f.red) | place(g8, f.green) | place(b8, f.blue) | f.alpha;
}

void ShowPictureRows(const u16* picture, i32 width, i32 pitch, i32 top, i32 bottom,
                     PictureLayout layout, const ShowTarget& to, i32 x, i32 y, i32 scale) {
    const i32 bytes = to.format.bits / 8;
    if (scale < 1 || x < 0 || y < 0 || x >= to.width) return;
    // Picture columns that land inside the window, the last perhaps in part.
    const i32 n = std::min(width, (to.width - x + scale - 1) / scale);
    const i32 limit = to.width - x;  // window pixels left on the row
    for (i32 row = top; row < bottom; ++row) {
        const i32 outY = y + row * scale;
        if (outY >= to.height) break;
        const u16* src = picture + static_cast<size_t>(row) * pitch;
        u8* line = to.pixels + static_cast<size_t>(outY) * to.pitch + x * bytes;
        if (scale > 1 && EightBitChannels(to.format)) {
            // Each window row converted on its own: a row written past the
            // cache is not read back to copy it.
            for (i32 k = outY; k < std::min(outY + scale, to.height); ++k)
                ConvertRowWide32(src, n,
                                 reinterpret_cast<u32*>(
                                     to.pixels + static_cast<size_t>(k) * to.pitch + x * bytes),
                                 layout, to.format, scale, limit);
            continue;
        } else {
            ConvertRow(src, n, line, layout, to.format);
            if (scale > 1) Widen(line, n, bytes, scale, limit);
        }
        const size_t span = static_cast<size_t>(std::min(n * scale, limit)) * bytes;
        for (i32 k = outY + 1; k < std::min(outY + scale, to.height); ++k)
            std::memcpy(to.pixels + static_cast<size_t>(k) * to.pitch + x * bytes, line, span);
    }
#if defined(__SSE2__)
    _mm_sfence();  // the rows written past the cache are in memory before they are sent
#endif
}
