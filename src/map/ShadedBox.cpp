// Shaded boxes over the paint buffer, one clipped row at a time.
#include "map/ShadedBox.h"

#include <algorithm>

#include "engine/LineFilter.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"

namespace {

struct Span {
    i32 x0, y0, x1, y1;  // clipped, exclusive ends
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

Span Clip(i32 x, i32 y, i32 w, i32 h) {
    i64 x1 = static_cast<i64>(x) + w, y1 = static_cast<i64>(y) + h;
    const ClipRect& c = gClipRect;
    Span s;
    s.x0 = std::max(x, c.left);
    s.y0 = std::max(y, c.top);
    s.x1 = static_cast<i32>(std::min<i64>(x1, static_cast<i64>(c.left) + c.width));
    s.y1 = static_cast<i32>(std::min<i64>(y1, static_cast<i64>(c.top) + c.height));
    return s;
}

u16* Row(const Span& s, i32 y) {
    return PaintPixelAddr(s.x0, y);
}

// Shifts every pixel right and drops the bits that crossed into the next channel.
void ShiftRows(const Span& s, int shift, u16 keep) {
    for (i32 y = s.y0; y < s.y1; ++y) {
        u16* p = Row(s, y);
        for (i32 i = 0; i < s.x1 - s.x0; ++i) p[i] = static_cast<u16>((p[i] >> shift) & keep);
    }
}

// The rows at distance i from the top and the bottom edge get (r, g, b)
// scaled by i / steps, in 1/1024 steps: the edges stay, the middle takes the colour.
void GrowFromEdges(i32 x, i32 y, i32 w, i32 h, i32 r, i32 g, i32 b) {
    i32 steps = (h + 1) / 2;
    if (steps <= 0) return;
    i32 unit = 1024 / steps;
    for (i32 i = 0; i < steps; ++i) {
        i32 level = i * unit;
        i32 dr = r * level >> 10, dg = g * level >> 10, db = b * level >> 10;
        for (i32 row : {y + i, y + h - 1 - i}) {
            Span s = Clip(x, row, w, 1);
            if (!s.Empty()) AdjustRGB(Row(s, row), s.x1 - s.x0, dr, dg, db);
            if (h - 1 - i == i) break;  // the middle row of an odd height once
        }
    }
}

}  // namespace

void DrawShadedBox(i32 x, i32 y, i32 w, i32 h, i32 r, i32 g, i32 b, int mode) {
    if (!gPaintBuf || w <= 0 || h <= 0) return;
    Span s = Clip(x, y, w, h);
    if (s.Empty()) return;
    i32 n = s.x1 - s.x0;
    switch (mode) {
        case 0: {
            u16 c = static_cast<u16>(MakeColor(r, g, b));
            for (i32 row = s.y0; row < s.y1; ++row) std::fill_n(Row(s, row), n, c);
            break;
        }
        case 1:
            for (i32 row = s.y0; row < s.y1; ++row) AdjustRGB(Row(s, row), n, r, g, b);
            break;
        case 2:
            ShiftRows(s, 2, static_cast<u16>(gShr2Mask));
            break;
        case 3:
            for (i32 row = s.y0; row < s.y1; ++row) GreyLine(Row(s, row), n);
            break;
        case 4:
            ShiftRows(s, 3, static_cast<u16>(gShr3Mask));
            break;
        case 5:
            GrowFromEdges(x, y, w, h, r, g, b);
            break;
        default:
            break;
    }
}

namespace {

// Draws frame piece k at (x, y); false when the piece is missing.
bool PutPiece(int k, i32 x, i32 y) {
    PicFrame* f = GetPic(kBoxFramePic, static_cast<u16>(k));
    if (!f || !f->pixels) return false;
    gCurPic = f->pixels;
    PutPic(x, y, f->width, f->height, 0, nullptr);
    return true;
}

i32 PieceSize(int k, bool height) {
    PicFrame* f = GetPic(kBoxFramePic, static_cast<u16>(k));
    if (!f) return 0;
    return height ? f->height : f->width;
}

}  // namespace

void DrawFramedBox(i32 x, i32 y, i32 w, i32 h, int mode, i32 r, i32 g, i32 b) {
    DrawShadedBox(x - 8, y - 8, w + 16, h + 16, r, g, b, mode);
    // Edges first, tiled along the inner rectangle; the corners cover their ends.
    i32 stepX = PieceSize(4, false), stepY = PieceSize(6, true);
    if (stepX > 0)
        for (i32 px = x; px < x + w; px += stepX) {
            PutPiece(4, px, y - 8);
            PutPiece(5, px, y + h);
        }
    if (stepY > 0)
        for (i32 py = y; py < y + h; py += stepY) {
            PutPiece(6, x - 8, py);
            PutPiece(7, x + w, py);
        }
    PutPiece(0, x - 8, y - 8);
    PutPiece(1, x + w, y - 8);
    PutPiece(2, x - 8, y + h);
    PutPiece(3, x + w, y + h);
}
