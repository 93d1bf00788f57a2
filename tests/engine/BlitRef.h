// Channel rules shared by the blitter tests' references, worked from the
// drawing rules and not from the engine, and small run-coded test pictures.
#pragma once
#include <algorithm>
#include <cmath>
#include <vector>

#include "DrawTestUtil.h"

namespace blit_ref {

inline i32 Sat(i32 v) {
    return v < 0 ? 0 : v > 31 ? 31 : v;
}

// Sideways shift of walk row i under wave k: a sine over 33 rows.
inline i32 WaveAt(i32 k, i32 i) {
    return static_cast<i32>(std::lround(k * std::sin(2 * M_PI * i / 33)));
}

// k/16 of s plus (15 - k)/16 of d, term by term, per channel.
inline u16 BlendRef(u16 s, u16 d, int k) {
    if (k >= 15) return s;
    if (k <= 0) return d;
    Rgb a = Split(s), b = Split(d), out{0, 0, 0};
    for (int j = 1; j <= 4; ++j) {
        Rgb x = (k >> (4 - j)) & 1 ? a : b;
        out.r += x.r >> j;
        out.g += x.g >> j;
        out.b += x.b >> j;
    }
    return Join(out);
}

// The source, moved by the tints, added to the screen per channel.
inline u16 AddRef(u16 s, u16 d, i32 tr, i32 tg, i32 tb) {
    Rgb a = Split(s), b = Split(d);
    bool tint = tr || tg || tb;
    if (tint) a = {Sat(a.r + tr), Sat(a.g + tg), Sat(a.b + tb)};
    return Join({Sat(a.r + b.r), Sat(a.g + b.g), Sat(a.b + b.b)});
}

// Level byte/4 (at most 15); 0 keeps d, 15 takes s, else d's (15 - level)/16
// term by term plus s.
inline u16 AlphaRef(u16 s, u16 d, u8 byte) {
    int a = std::min(byte >> 2, 15);
    if (a == 0) return d;
    if (a == 15) return s;
    int keep = 15 - a;
    Rgb x = Split(s), y = Split(d), part{0, 0, 0};
    for (int j = 1; j <= 4; ++j) {
        if (!((keep >> (4 - j)) & 1)) continue;
        part.r += y.r >> j;
        part.g += y.g >> j;
        part.b += y.b >> j;
    }
    return Join({Sat(part.r + x.r), Sat(part.g + x.g), Sat(part.b + x.b)});
}

// A run-coded picture of w x h pixels at the given depth.
inline std::vector<u8> Encode(const void* px, i32 w, i32 h, int depth = 16) {
    i32 size = 0;
    u8* p = RleEncode(px, &size, w, h, depth);
    std::vector<u8> out(p, p + size);
    MH_FREE(p);
    return out;
}

inline std::vector<u8> SolidRle(i32 w, i32 h, u16 v) {
    std::vector<u16> px(static_cast<size_t>(w) * h, v);
    return Encode(px.data(), w, h);
}

struct Setting {
    i32 x, y, w, h, mode;
    ClipRect clip;
    i32 wave = 0, phase = 0, rowSkip = 0, tr = 0, tg = 0, tb = 0;
    std::vector<u8> alpha;  // empty: none
};

// What a run-coded draw of modes 0-5, 8 and 9 must leave on the canvas.
inline void RleReference(std::vector<u16>& c, const RefPic& p, const Setting& s) {
    const ClipRect& k = s.clip;
    i32 vy0 = std::max(s.y, k.top), vy1 = std::min(s.y + s.h, k.top + k.height);
    i32 vx0 = std::max(s.x, k.left), vx1 = std::min(s.x + s.w, k.left + k.width);
    if (vy0 >= vy1 || vx0 >= vx1) return;
    bool mirror = s.mode & 1, flip = s.mode & 2;
    i32 effect = s.mode & ~3;
    i32 phase = (vy0 + 480) % 3;
    for (i32 Y = vy0; Y < vy1; ++Y) {
        i32 i = flip ? vy1 - 1 - Y : Y - vy0;  // order of the walk
        i32 r = flip ? s.y + s.h - 1 - Y : Y - s.y;
        if (effect == 4 && s.rowSkip && (phase + i + 1) % 3 == 0) continue;
        i32 shift = s.wave > 0 && s.wave < 16 ? WaveAt(s.wave, (s.phase + 1 + i) % 33) : 0;
        for (i32 col = 0; col < p.w; ++col) {
            i32 X = s.x + shift + (mirror ? p.w - 1 - col : col);
            if (X < k.left || X >= k.left + k.width) continue;
            size_t pi = static_cast<size_t>(r) * p.w + col;
            u16& d = c[static_cast<size_t>(Y) * 640 + X];
            Px kind = p.kind[pi];
            if (effect == 8 && !s.alpha.empty()) {
                if (kind == Px::Key2) d = 0xFFF0;
                if (kind == Px::Lit) d = AlphaRef(p.value[pi], d, s.alpha[pi]);
                continue;
            }
            if (kind != Px::Lit) continue;
            if (effect == 4)
                d = AddRef(p.value[pi], d, s.tr, s.tg, s.tb);
            else
                d = p.value[pi];
        }
    }
}

struct ZoomSetting {
    i32 x, y, w, h, mode;
    i32 ax, ay, sx, sy, shear;
    ClipRect clip;
    i32 alpha = 0;
    i32 tint[3] = {0, 0, 0};
};

inline u16 ZoomOpRef(i32 effect, const ZoomSetting& s, u16 v, u16 d) {
    Rgb a = Split(v), b = Split(d);
    const i32* t = s.tint;
    switch (effect) {
        case 0x80:
            return v;
        case 0x84:
            return Join({Sat(Sat(a.r + b.r) + t[0]), Sat(Sat(a.g + b.g) + t[1]),
                         Sat(Sat(a.b + b.b) + t[2])});
        case 0x90:
            return Join({Sat(b.r + t[0]), Sat(b.g + t[1]), Sat(b.b + t[2])});
        case 0x94:
            return s.alpha == 0 ? d : s.alpha < 0 ? v : BlendRef(v, d, s.alpha);
        case 0xA4:
            return 0;
        case 0xA8: {
            i32 g = (b.r + b.g + b.b) / 4;
            return Join({g, g, g});
        }
        case 0xAC:
            return Join({Sat(b.r - Sat(a.r + t[0])), Sat(b.g - Sat(a.g + t[1])),
                         Sat(b.b - Sat(a.b + t[2]))});
    }
    return d;
}

// Destination (i, j) of the box shows source (i x 1024 / sx, j x 1024 / sy).
inline void ZoomReference(std::vector<u16>& c, const RefPic& p, const ZoomSetting& s) {
    bool mirror = s.mode & 1, flip = s.mode & 2;
    i64 sx = s.sx ? s.sx : 1, sy = s.sy ? s.sy : 1;
    i64 ax = mirror ? s.w - s.ax : s.ax, ay = flip ? s.h - s.ay : s.ay;
    i64 y0 = flip ? s.y + 2 * s.ay - s.h : s.y;
    i64 width = sx * s.w / 1024, height = sy * s.h / 1024;
    if (width <= 0 || height <= 0) return;
    i64 left = s.x + ax - sx * ax / 1024, right = left + width - 1;
    i64 top = y0 + ay - sy * ay / 1024, bottom = top + height - 1;
    const ClipRect& k = s.clip;
    if (right < k.left || left >= k.left + k.width || bottom < k.top || top >= k.top + k.height)
        return;
    i64 anchorRow = sy * ay / 1024;
    for (i64 j = 0; j < std::min<i64>(height, 1280); ++j) {
        i64 Y = flip ? bottom - j : top + j;
        if (Y < k.top || Y >= k.top + k.height) continue;
        i64 shift = (anchorRow * s.shear / 1024 - (Y - top) * s.shear / 1024) * (flip ? -1 : 1);
        i64 sr = j * 1024 / sy;
        for (i64 i = 0; i < std::min<i64>(width, 1280); ++i) {
            i64 X = mirror ? right + shift - i : left + shift + i;
            if (X < k.left || X >= k.left + k.width) continue;
            size_t at = static_cast<size_t>(sr * p.w + i * 1024 / sx);
            if (p.kind[at] != Px::Lit) continue;
            u16& d = c[static_cast<size_t>(Y * 640 + X)];
            d = ZoomOpRef(s.mode & ~3, s, p.value[at], d);
        }
    }
}

}  // namespace blit_ref
