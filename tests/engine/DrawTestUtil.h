// Shared set-up of the drawing tests: a canvas in a chosen pixel layout and a
// reader of run-coded pictures written from the format, not from the engine.
#pragma once
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <vector>

#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/RlePic.h"

// A 16-bit pixel layout: its name (in test names and failure messages) and its
// channel masks.
struct Layout {
    const char* name;
    u32 r, g, b;
};
inline constexpr Layout k565{"Rgb565", 0xF800, 0x07E0, 0x001F};
inline constexpr Layout k555{"Rgb555", 0x7C00, 0x03E0, 0x001F};
inline void PrintTo(const Layout& l, std::ostream* os) {
    *os << l.name;
}

// A 640x480 canvas as the paint buffer, in the given layout.
struct Canvas {
    std::vector<u16> px;
    explicit Canvas(const Layout& l, u32 seed = 1) : px(640 * 480) {
        ResetPaint();
        SetPixelFormat(640, 480, 1280, l.r, l.g, l.b);
        ResetPaint();
        std::mt19937 rng(seed);
        for (auto& p : px) p = static_cast<u16>(rng());
        gPaintBuf = px.data();
    }
    ~Canvas() {
        ResetPaint();
        ResetPixelFormat();
    }
};

// The kind of each pixel of a run-coded picture.
enum class Px { None, Lit, Key1, Key2 };
struct RefPic {
    i32 w = 0, h = 0;
    std::vector<Px> kind;
    std::vector<u16> value;
};

inline u16 WordAt(const std::vector<u8>& b, size_t at) {
    return static_cast<u16>(b[at] | (b[at + 1] << 8));
}

// Walks the runs of a well-formed run-coded picture: f(row, first column, run
// word, offset of the run word) for each run of each row.
template <class F>
void ForEachRun(const std::vector<u8>& b, F f) {
    size_t at = 8;
    for (i32 r = 0; u16 len = WordAt(b, at) & 0x7FFF; ++r, at += len) {
        i32 c = 0;
        for (size_t q = at + 2; u16 run = WordAt(b, q); c += run & 0x3FFF) {
            f(r, c, run, q);
            q += 2 + ((run >> 14) == 0 ? 2 * (run & 0x3FFF) : 0);
        }
    }
}

// Reads a well-formed run-coded 16-bit picture by its row and run words.
inline RefPic ReadRefPic(const std::vector<u8>& b) {
    RefPic p;
    p.w = WordAt(b, 2);
    p.h = WordAt(b, 4);
    p.kind.assign(static_cast<size_t>(p.w) * p.h, Px::None);
    p.value.assign(p.kind.size(), 0);
    ForEachRun(b, [&](i32 r, i32 c, u16 run, size_t q) {
        // Kinds by the run's top two bits: literal, never written, second
        // key, first key.
        static const Px kKinds[4] = {Px::Lit, Px::None, Px::Key2, Px::Key1};
        for (i32 i = 0; r < p.h && i < (run & 0x3FFF) && c + i < p.w; ++i) {
            size_t k = static_cast<size_t>(r) * p.w + c + i;
            p.kind[k] = kKinds[run >> 14];
            if (p.kind[k] == Px::Lit) p.value[k] = WordAt(b, q + 2 + 2 * i);
        }
    });
    return p;
}

// The paint canvas's pixel at (x, y).
inline u16 At(i32 x, i32 y) {
    return *PaintPixelAddr(x, y);
}

// Fills the whole paint canvas with one colour.
inline void FillCanvas(u16 v) {
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) *PaintPixelAddr(x, y) = v;
}

// Channel levels (0..31) of a screen pixel through the working masks.
struct Rgb {
    i32 r, g, b;
};
inline Rgb Split(u32 v) {
    return {static_cast<i32>((v & gMaskR) >> gShiftR), static_cast<i32>((v & gMaskG) >> gShiftG),
            static_cast<i32>((v & gMaskB) >> gShiftB)};
}
inline u16 Join(Rgb c) {
    return static_cast<u16>((static_cast<u32>(c.r) << gShiftR) |
                            (static_cast<u32>(c.g) << gShiftG) |
                            (static_cast<u32>(c.b) << gShiftB));
}

// A channel level held in 0..31.
inline i32 Sat(i32 v) {
    return v < 0 ? 0 : v > 31 ? 31 : v;
}

// x/2, x/4, x/8 and x/16 per channel, each where its bit of the 4-bit level
// k is set (bit 3 for x/2), summed.
inline Rgb Terms(Rgb x, int k) {
    Rgb o{0, 0, 0};
    for (int j = 1; j <= 4; ++j)
        if ((k >> (4 - j)) & 1) o = {o.r + (x.r >> j), o.g + (x.g >> j), o.b + (x.b >> j)};
    return o;
}

// Blend level k of 16: k/16 of s plus (15 - k)/16 of d, term by term, per
// channel; 15 and up is s itself, 0 and below leaves d.
inline u16 BlendRef(u16 s, u16 d, int k) {
    if (k >= 15) return s;
    if (k <= 0) return d;
    Rgb a = Terms(Split(s), k), b = Terms(Split(d), 15 - k);
    return Join({a.r + b.r, a.g + b.g, a.b + b.b});
}

// A colour moved channel by channel by the tints, held in 0..31.
inline Rgb TintRef(Rgb c, const i32 t[3]) {
    return {Sat(c.r + t[0]), Sat(c.g + t[1]), Sat(c.b + t[2])};
}

// Every second first-key run becomes a run of the kind the encoder never
// writes, which the blitters pass over as transparent all the same.
inline void UseUnusedKindRuns(std::vector<u8>& b) {
    bool turn = false;
    ForEachRun(b, [&](i32, i32, u16 run, size_t q) {
        if ((run >> 14) == 3 && (turn = !turn)) b[q + 1] &= 0x7F;
    });
}

// A run-coded picture of w x h pixels at the given depth.
inline std::vector<u8> RleBytes(const void* px, i32 w, i32 h, int depth = 16) {
    i32 size = 0;
    u8* p = RleEncode(px, &size, w, h, depth);
    std::vector<u8> out(p, p + size);
    MH_FREE(p);
    return out;
}

// A random picture as stored (5-5-5 with both keys in runs), run-coded and
// converted, with runs of the unused kind among its transparent ones.
inline std::vector<u8> RandomRle(std::mt19937& rng, i32 w, i32 h) {
    std::vector<u16> src(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < src.size();) {
        i32 n = 1 + rng() % 12;
        u32 pick = rng() % 4;
        for (i32 j = 0; j < n && i < src.size(); ++j, ++i)
            src[i] = pick == 0 ? 619 : pick == 1 ? 12703 : static_cast<u16>(rng() & 0x7FFF);
    }
    std::vector<u8> out = RleBytes(src.data(), w, h);
    EXPECT_EQ(RleConvertToScreen(out.data(), out.size(), nullptr, nullptr, nullptr), 1);
    UseUnusedKindRuns(out);
    return out;
}

inline ClipRect RandomClip(std::mt19937& rng) {
    if (rng() % 3 == 0) return {0, 0, 640, 480};
    i32 l = rng() % 600, t = rng() % 440;
    return {l, t, 1 + static_cast<i32>(rng() % (640 - l)), 1 + static_cast<i32>(rng() % (480 - t))};
}
