// Pixel expectations written apart from the painter: a picture's plain colour,
// and the blend and tint rules worked channel by channel.
#pragma once
#include <vector>

#include "base/Types.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"

// The screen value of a picture's pixel (x, y) (0 where transparent), drawn
// plainly into a scratch buffer.
inline u16 PlainColourAt(u16 pic, u16 frame, int x, int y) {
    PicFrame* f = GetPic(pic, frame);
    if (!f) return 0xDEAD;
    std::vector<u16> probe(640 * 480, 0);
    u16* canvas = gPaintBuf;
    gPaintBuf = probe.data();
    gCurPic = f->pixels;
    PutPic(0, 0, f->width, f->height, 0, nullptr);
    gPaintBuf = canvas;
    return probe[static_cast<size_t>(y) * 640 + x];
}

// The screen value of a picture's first pixel.
inline u16 PlainColour(u16 pic, u16 frame) {
    return PlainColourAt(pic, frame, 0, 0);
}

// The plain colour of the picture an act's action shows first (0xDEAD when there is none).
inline u16 ActColour(u32 act, u32 action) {
    ActPlayer p;
    p.act = act;
    p.action = action;
    return TakeActData(&p) ? PlainColour(p.pic, p.frame) : 0xDEAD;
}

// Level k of 16 on the top five bits of each channel: s/2 when k has 8, then
// d/4, d/8, d/16 for the bits of k it lacks (each term rounded down); 15 and
// up is the source itself.
inline u16 BlendRef(u16 s, u16 d, int k) {
    if (k >= 15) return s;
    u32 out = 0;
    for (u32 m : {gMaskR, gMaskG, gMaskB}) {
        const int shift = __builtin_ctz(m);
        const u32 sc = (s & m) >> shift, dc = (d & m) >> shift;
        u32 c = 0;
        for (int bit = 3, div = 2; bit >= 0; --bit, div *= 2) c += ((k >> bit) & 1 ? sc : dc) / div;
        out |= c << shift;
    }
    return static_cast<u16>(out);
}

// A pixel moved by a tint on the top five bits of each channel, held in 0..31.
inline u16 TintRef(u16 s, int tint) {
    u32 out = 0;
    for (u32 m : {gMaskR, gMaskG, gMaskB}) {
        const int shift = __builtin_ctz(m);
        const int c = static_cast<int>((s & m) >> shift) + tint;
        out |= static_cast<u32>(c < 0 ? 0 : (c > 31 ? 31 : c)) << shift;
    }
    return static_cast<u16>(out);
}
