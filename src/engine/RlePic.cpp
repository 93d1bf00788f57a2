// Run-coded pictures: check, encode, decode, convert and pixel tests. Every
// reader here is given the picture's size and checks the whole picture first.
#include "engine/RlePic.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/DataError.h"
#include "engine/Blend.h"
#include "engine/DataErrors.h"
#include "engine/MemDbg.h"
#include "engine/PixelFormat.h"

namespace {

void Put16(std::vector<u8>& out, u16 v) {
    out.push_back(static_cast<u8>(v));
    out.push_back(static_cast<u8>(v >> 8));
}

void Patch16(std::vector<u8>& out, size_t at, u16 v) {
    out[at] = static_cast<u8>(v);
    out[at + 1] = static_cast<u8>(v >> 8);
}

u8* ToAlloc(const std::vector<u8>& bytes, i32* size) {
    u8* p = static_cast<u8*>(MH_ALLOC(static_cast<i32>(bytes.size())));
    std::memcpy(p, bytes.data(), bytes.size());
    if (size) *size = static_cast<i32>(bytes.size());
    return p;
}

// Visits the runs of a checked picture row by row.
// fn(row, col, word, data) for each run; data points after the run word.
template <class Fn>
void ForEachRun(const u8* pic, Fn fn) {
    i32 unit = (LoadPixel(pic + 6) & kRleDepthMask) == 16 ? 2 : 1;
    const u8* p = pic + kRleHeaderSize;
    for (i32 row = 0;; ++row) {
        u16 len = LoadPixel(p) & 0x7FFF;
        if (!len) return;
        const u8* q = p + 2;
        i32 col = 0;
        for (;;) {
            u16 word = LoadPixel(q);
            i32 n = word & kRunCountMask;
            q += 2;
            if (!n) break;
            fn(row, col, word, q);
            if ((word & kRunKindMask) == kRunLiteral) q += n * unit;
            col += n;
        }
        p += len;
    }
}

}  // namespace

bool RleCheck(const void* picIn, size_t size, RleInfo* info) {
    const u8* pic = static_cast<const u8*>(picIn);
    if (!pic || size < kRleHeaderSize + 2 || LoadPixel(pic) != kRleMagic) return false;
    i32 w = LoadPixel(pic + 2), h = LoadPixel(pic + 4), depth = LoadPixel(pic + 6);
    i32 bits = depth & kRleDepthMask;
    if (bits != 16 && bits != 8) return false;
    size_t unit = bits == 16 ? 2 : 1;
    size_t p = kRleHeaderSize;
    for (i32 row = 0;; ++row) {
        if (p + 2 > size) return false;
        size_t len = LoadPixel(pic + p) & 0x7FFF;
        if (!len) break;
        if (row >= h || len < 4 || len > size - p) return false;
        size_t end = p + len - 2;  // where the closing 0 word must sit
        size_t q = p + 2;
        i32 col = 0;
        for (;;) {
            if (q + 2 > end + 2) return false;
            u16 word = LoadPixel(pic + q);
            size_t n = word & kRunCountMask;
            if (!n) break;
            q += 2;
            if ((word & kRunKindMask) == kRunLiteral) q += n * unit;
            col += static_cast<i32>(n);
            if (q > end || col > w) return false;
        }
        if (q != end) return false;
        p += len;
    }
    if (info) *info = {w, h, depth};
    return true;
}

u8* RleEncode(const void* pixels, i32* size, i32 w, i32 h, i32 depth) {
    if (size) *size = 0;
    if (!pixels || w < 0 || h < 0 || w > 0xFFFF || h > 0xFFFF) return nullptr;
    bool wide = depth == 16;
    u32 key1 = wide ? gKeyColor555 : 1, key2 = wide ? gKeyColor2555 : 3;
    const u8* src = static_cast<const u8*>(pixels);
    auto at = [&](i64 i) -> u32 { return wide ? LoadPixel(src + 2 * i) : src[i]; };
    std::vector<u8> out;
    out.reserve(static_cast<size_t>(w) * h * (wide ? 2 : 1) + static_cast<size_t>(h) * 8 + 16);
    Put16(out, kRleMagic);
    Put16(out, static_cast<u16>(w));
    Put16(out, static_cast<u16>(h));
    Put16(out, static_cast<u16>(depth));
    bool keyRuns = false;
    for (i32 y = 0; y < h; ++y) {
        size_t rowStart = out.size();
        Put16(out, 0);
        i64 base = static_cast<i64>(y) * w;
        i32 x = 0;
        while (x < w) {
            u32 v = at(base + x);
            i32 n = 1;
            if (v == key1 || v == key2) {
                while (x + n < w && n < kMaxRun && at(base + x + n) == v) ++n;
                keyRuns |= v == key1;
                Put16(out, static_cast<u16>(n | (v == key1 ? kRunKey1 : kRunKey2)));
            } else {
                while (x + n < w && n < kMaxRun) {
                    u32 next = at(base + x + n);
                    if (next == key1 || next == key2) break;
                    ++n;
                }
                Put16(out, static_cast<u16>(n));
                // A literal run keeps the picture's own little-endian bytes.
                const u8* run = src + (base + x) * (wide ? 2 : 1);
                out.insert(out.end(), run, run + static_cast<size_t>(n) * (wide ? 2 : 1));
            }
            x += n;
        }
        Put16(out, 0);
        u16 len = static_cast<u16>(out.size() - rowStart);
        bool keyStart = w > 0 && (at(base) == key1 || at(base) == key2);
        Patch16(out, rowStart, static_cast<u16>(len | (keyStart ? 0 : kRowNotKeyStart)));
    }
    Put16(out, 0);
    if (keyRuns) Patch16(out, 6, static_cast<u16>(depth | kRleHasKeyRuns));
    return ToAlloc(out, size);
}

void* RleDecode(const void* picIn, size_t size, i32* w, i32* h, i32* depth) {
    RleInfo info;
    if (!RleCheck(picIn, size, &info)) return nullptr;
    const u8* pic = static_cast<const u8*>(picIn);
    bool wide = (info.depth & kRleDepthMask) == 16;
    size_t unit = wide ? 2 : 1;
    const u64 bytes = static_cast<u64>(info.width) * static_cast<u64>(info.height) * unit;
    if (bytes > kMaxPlainPicBytes) {
        ReportDataError(
            DataError::Unplaced("", "run-coded picture of " + std::to_string(info.width) + "x" +
                                        std::to_string(info.height) + " refused: larger than " +
                                        std::to_string(kMaxPlainPicBytes) + " bytes"));
        return nullptr;
    }
    u8* out = static_cast<u8*>(MH_ALLOC_ZERO(static_cast<i32>(bytes ? bytes : 1)));
    if (!out) {
        ReportDataError(
            DataError::Unplaced("", "run-coded picture of " + std::to_string(info.width) + "x" +
                                        std::to_string(info.height) + " refused: no memory"));
        return nullptr;
    }
    ForEachRun(pic, [&](i32 row, i32 col, u16 word, const u8* data) {
        i32 n = word & kRunCountMask;
        u8* d = out + (static_cast<size_t>(row) * info.width + col) * unit;
        u16 kind = word & kRunKindMask;
        if (kind == kRunLiteral) {
            std::memcpy(d, data, n * unit);
            return;
        }
        // Runs of the kind never written are transparent: the first key.
        u16 fill = kind == kRunKey2 ? (wide ? gKeyColor2555 : 3) : (wide ? gKeyColor555 : 1);
        for (i32 i = 0; i < n; ++i) {
            if (wide)
                std::memcpy(d + 2 * i, &fill, 2);
            else
                d[i] = static_cast<u8>(fill);
        }
    });
    if (w) *w = info.width;
    if (h) *h = info.height;
    if (depth) *depth = info.depth & kRleDepthMask;
    return out;
}

int RleConvertToScreen(void* picIn, size_t size, i32* w, i32* h, i32* depth) {
    RleInfo info;
    if (!RleCheck(picIn, size, &info) || (info.depth & kRleDepthMask) != 16) return 0;
    u8* pic = static_cast<u8*>(picIn);
    ForEachRun(pic, [](i32, i32, u16 word, const u8* data) {
        if ((word & kRunKindMask) != kRunLiteral) return;
        u8* d = const_cast<u8*>(data);
        for (i32 i = 0; i < (word & kRunCountMask); ++i) {
            u16 v = ConvertPixel(LoadPixel(d + 2 * i));
            std::memcpy(d + 2 * i, &v, 2);
        }
    });
    if (w) *w = info.width;
    if (h) *h = info.height;
    if (depth) *depth = info.depth;
    return 1;
}

u8* RleConvert8To16Pic(const void* picIn, size_t size, const u16* palette, u16 keepBits,
                       i32* newSize) {
    if (newSize) *newSize = 0;
    RleInfo info;
    if (!palette || !RleCheck(picIn, size, &info) || (info.depth & kRleDepthMask) != 8)
        return nullptr;
    const u8* pic = static_cast<const u8*>(picIn);
    std::vector<u8> out;
    Put16(out, kRleMagic);
    Put16(out, static_cast<u16>(info.width));
    Put16(out, static_cast<u16>(info.height));
    Put16(out, static_cast<u16>((info.depth & keepBits) | 16));
    const u8* p = pic + kRleHeaderSize;
    for (;;) {
        u16 lenWord = LoadPixel(p);
        if (!(lenWord & 0x7FFF)) break;
        size_t rowStart = out.size();
        Put16(out, 0);
        const u8* q = p + 2;
        for (;;) {
            u16 word = LoadPixel(q);
            q += 2;
            i32 n = word & kRunCountMask;
            if (!n) break;
            Put16(out, word);
            if ((word & kRunKindMask) != kRunLiteral) continue;
            for (i32 i = 0; i < n; ++i) Put16(out, ConvertPixel(palette[q[i]]));
            q += n;
        }
        Put16(out, 0);
        Patch16(out, rowStart, static_cast<u16>((out.size() - rowStart) | (lenWord & 0x8000)));
        p += lenWord & 0x7FFF;
    }
    Put16(out, 0);
    return ToAlloc(out, newSize);
}

int RleConvert8To16(PicFrame* frame) {
    if (!frame || !frame->pixels) return 0;
    RleInfo info;
    if (!RleCheck(frame->pixels, frame->size, &info)) return 0;
    if ((info.depth & kRleDepthMask) == 16) {
        if (!RleConvertToScreen(frame->pixels, frame->size, nullptr, nullptr, nullptr)) return 0;
    } else {
        i32 n = 0;
        u8* pic = RleConvert8To16Pic(frame->pixels, frame->size, frame->palette, 0x8000, &n);
        if (!pic) return 0;
        MH_FREE(frame->pixels);
        frame->pixels = pic;
        frame->size = static_cast<u32>(n);
    }
    frame->width = static_cast<u16>(info.width);
    frame->height = static_cast<u16>(info.height);
    return 1;
}

u8* RleConvertPaletted8To16(u8* holder, i32* size) {
    if (!holder || !size || *size < 512) return nullptr;
    u16 palette[256];
    for (int i = 0; i < 256; ++i) palette[i] = LoadPixel(holder + 2 * i);
    i32 n = 0;
    u8* pic =
        RleConvert8To16Pic(holder + 512, static_cast<size_t>(*size) - 512, palette, 0x8010, &n);
    if (!pic) return nullptr;
    MH_FREE(holder);
    *size = n;
    return pic;
}

bool IsPicPixelSolid(const void* picIn, size_t size, i32 x, i32 y, u32* value) {
    RleInfo info;
    if (!RleCheck(picIn, size, &info) || x < 0 || y < 0 || y >= info.height) return false;
    bool wide = (info.depth & kRleDepthMask) == 16;
    bool solid = false;
    ForEachRun(static_cast<const u8*>(picIn), [&](i32 row, i32 col, u16 word, const u8* data) {
        i32 n = word & kRunCountMask;
        if (row != y || x < col || x >= col + n || (word & kRunKindMask) != kRunLiteral) return;
        solid = true;
        if (value) *value = wide ? LoadPixel(data + 2 * (x - col)) : data[x - col];
    });
    return solid;
}

int PicHitTest(const PicFrame* frame, i32 x, i32 y, i32 originX, i32 originY) {
    if (!frame || !frame->pixels) return 0;
    return IsPicPixelSolid(frame->pixels, frame->size, x - originX, y - originY, nullptr) ? 1 : 0;
}
