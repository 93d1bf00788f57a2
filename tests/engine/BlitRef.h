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

// x/2, x/4, x/8 and x/16 per channel, each where its bit of the 4-bit level
// k is set (bit 3 for x/2), summed.
inline Rgb Terms(Rgb x, int k) {
    Rgb o{0, 0, 0};
    for (int j = 1; j <= 4; ++j)
        if ((k >> (4 - j)) & 1) o = {o.r + (x.r >> j), o.g + (x.g >> j), o.b + (x.b >> j)};
    return o;
}

// k/16 of s plus (15 - k)/16 of d, term by term, per channel.
inline u16 BlendRef(u16 s, u16 d, int k) {
    if (k >= 15) return s;
    if (k <= 0) return d;
    Rgb a = Terms(Split(s), k), b = Terms(Split(d), 15 - k);
    return Join({a.r + b.r, a.g + b.g, a.b + b.b});
}

// Level byte/4 (at most 15); 0 keeps d, 15 takes s, else d's (15 - level)/16
// term by term plus s.
inline u16 AlphaRef(u16 s, u16 d, u8 byte) {
    int a = std::min(byte >> 2, 15);
    if (a == 0 || a == 15) return a ? s : d;
    Rgb x = Split(s), y = Terms(Split(d), 15 - a);
    return Join({Sat(y.r + x.r), Sat(y.g + x.g), Sat(y.b + x.b)});
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

inline Rgb TintRef(Rgb c, const i32 t[3]) {
    return {Sat(c.r + t[0]), Sat(c.g + t[1]), Sat(c.b + t[2])};
}
// The source, moved by the tints, added to the screen per channel.
inline u16 AddRef(u16 s, u16 d, const i32 t[3]) {
    Rgb a = TintRef(Split(s), t), b = Split(d);
    return Join({Sat(a.r + b.r), Sat(a.g + b.g), Sat(a.b + b.b)});
}
inline u16 GreyRef(u16 d) {
    Rgb c = Split(d);
    i32 v = (c.r + c.g + c.b) / 4;
    return Join({v, v, v});
}
inline u16 SubRef(u16 s, u16 d, const i32 t[3]) {
    Rgb a = TintRef(Split(s), t), b = Split(d);
    return Join({Sat(b.r - a.r), Sat(b.g - a.g), Sat(b.b - a.b)});
}

// A run-coded draw: place, mode, clip and the one-shot settings.
struct Setting {
    i32 x, y, w, h, mode;
    ClipRect clip;
    i32 wave = 0, phase = 0, rowSkip = 0, alpha = 0, scaleH = 0, skew = 0;
    i32 tint[3] = {0, 0, 0};
    u32 colour = 0;
    std::vector<u8> plane;  // the alpha plane of modes 8 and 9; empty: none
};

// One drawn row: its screen row, picture row, sideways shift and walk index.
struct DrawnRow {
    i32 Y, r, shift, i;
};

// Which screen rows show which picture rows, from the clip and scale rules.
inline std::vector<DrawnRow> RowPlan(const Setting& s) {
    std::vector<DrawnRow> out;
    const ClipRect& k = s.clip;
    i32 effect = s.mode & ~3;
    bool scaled = (effect == 0x0C || effect == 0x20) && s.scaleH > 0;
    bool skewed = effect == 0x0C;
    bool flip = s.mode & 2;
    i32 H = scaled ? s.scaleH : s.h, y = s.y, rows = H, skip = 0, cut = 0;
    if (!scaled) {
        i32 top = std::max(s.y, k.top), bottom = std::min(s.y + s.h, k.top + k.height);
        if (top >= bottom) return out;
        y = top;
        rows = bottom - top;
        skip = top - s.y;
        cut = s.y + s.h - bottom;
    } else {
        if (y < k.top) {
            rows = H - (k.top - y) - 1;
            if (rows < 1) return out;
            skip = k.top - y;
            y = k.top;
        }
        if (y + rows >= k.top + k.height) {
            cut = rows - k.height - k.top + y;
            rows = k.top + k.height - y - 1;
            if (rows < 1) return out;
        }
    }
    if (std::max(s.x, k.left) >= std::min(s.x + s.w, k.left + k.width)) return out;
    if (flip) skip = cut;
    i32 step = 0, stretch = 0;
    if (scaled) {
        step = s.h * 1024 / H - (H <= s.h ? 1024 : 0);
        stretch = H > s.h;
    }
    i32 skew = s.skew == 0 && scaled ? 1 : s.skew;
    i32 skewStep = skew ? std::abs(skew) * 1024 / H : 0, skewDir = skew > 0 ? -1 : 1;
    i32 src = 0, acc = 0, sAcc = 0, skewX = skew;
    for (i32 n = 0; n < skip + rows; ++n) {
        if (src >= s.h) break;
        if (n >= skip) {
            i32 i = n - skip;
            i32 shift = skewed ? skewX : s.wave ? WaveAt(s.wave, (s.phase + 1 + i) % 33) : 0;
            out.push_back({flip ? y + rows - 1 - i : y + i, src, shift, i});
        }
        acc += step;
        i32 m = acc >> 10;
        acc &= 1023;
        src += scaled ? (stretch ? (m ? 1 : 0) : 1 + m) : 1;
        if (skewed && skew) {
            sAcc += skewStep;
            skewX += (sAcc >> 10) * skewDir;
            sAcc &= 1023;
        }
    }
    return out;
}

// What a run-coded draw of modes 0-5, 8, 9 and 0x0C-0x2D must leave on the canvas.
inline void Reference(std::vector<u16>& c, const RefPic& p, const Setting& s) {
    i32 effect = s.mode & ~3;
    bool mirror = s.mode & 1;
    if (effect == 0x10 && !s.tint[0] && !s.tint[1] && !s.tint[2]) return;
    if (effect == 0x14 && s.alpha < 1) return;
    const ClipRect& k = s.clip;
    i32 phase = (std::max(s.y, k.top) + 480) % 3;
    i32 band = (s.h + 16) >> 4;
    u16 mark = static_cast<u16>(gGreenPair);
    for (const DrawnRow& row : RowPlan(s)) {
        if ((effect == 0x2C || effect == 4) && s.rowSkip && (phase + row.i + 1) % 3 == 0) continue;
        i32 level = effect == 0x1C ? 15 - (row.r + 1) / band : std::min(s.alpha, 15);
        auto screenX = [&](i32 col) { return s.x + row.shift + (mirror ? p.w - 1 - col : col); };
        auto visible = [&](i32 col) {
            i32 X = screenX(col);
            return col >= 0 && col < p.w && X >= k.left && X < k.left + k.width &&
                   p.kind[static_cast<size_t>(row.r) * p.w + col] == Px::Lit;
        };
        for (i32 col = 0; col < p.w; ++col) {
            size_t at = static_cast<size_t>(row.r) * p.w + col;
            i32 X = screenX(col);
            // With a plane, second-key pixels are marked.
            if (effect == 8 && !s.plane.empty() && p.kind[at] == Px::Key2 && X >= k.left &&
                X < k.left + k.width)
                c[static_cast<size_t>(row.Y) * 640 + X] = 0xFFF0;
            if (!visible(col)) continue;
            u16 v = p.value[at];
            u16& d = c[static_cast<size_t>(row.Y) * 640 + X];
            switch (effect) {
                case 0:
                    d = v;
                    break;
                case 4:
                    d = AddRef(v, d, s.tint);
                    break;
                case 8:
                    d = s.plane.empty() ? v : AlphaRef(v, d, s.plane[at]);
                    break;
                case 0x0C:
                case 0x10:
                    d = Join(TintRef(Split(d), s.tint));
                    break;
                case 0x14:
                case 0x1C:
                    d = BlendRef(v, d, level);
                    break;
                case 0x18:
                    d = !visible(col - 1) || !visible(col + 1) ? mark : v;
                    break;
                case 0x20:
                    d = AddRef(v, d, s.tint);
                    break;
                case 0x24:
                    d = static_cast<u16>(s.colour);
                    break;
                case 0x28:
                    d = GreyRef(d);
                    break;
                case 0x2C:
                    d = SubRef(v, d, s.tint);
                    break;
            }
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
            return Join(TintRef(b, t));
        case 0x94:
            return s.alpha == 0 ? d : s.alpha < 0 ? v : BlendRef(v, d, s.alpha);
        case 0xA4:
            return 0;
        case 0xA8:
            return GreyRef(d);
        case 0xAC:
            return SubRef(v, d, t);
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
