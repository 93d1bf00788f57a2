// The run walker that every run-coded blitter shares, templated over the
// pixel operation, and the registration of the copy, additive and alpha modes.
//
// An operation is a struct with:
//   bool BeginRow(i32 row)          picture row about to be drawn; false skips it
//   template <bool Mirror> void Lit(u16* d, const u8* s, i32 n, i32 col)
//                                   n literal pixels from s (picture column col)
//                                   to d, d[0], d[1].. or, mirrored, d[0], d[-1]..
//   static constexpr bool kKey2;    true: second-key runs go to Key2 below
//   template <bool Mirror> void Key2(u16* d, i32 n, i32 col)
#pragma once
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "engine/Blend.h"
#include "engine/PicPaint.h"
#include "engine/RlePic.h"

void RegisterRleBlitters(Blitter* table);

// The lanes the copy, additive and alpha blitters work whole runs in,
// narrowest first.
enum class BlitLanes { kScalar, kSse2, kAvx2 };
// The widest this processor runs, found once.
BlitLanes BestBlitLanes();
// Draws from now on in these lanes, or in the widest narrower ones the
// processor runs; returns the lanes in use.
BlitLanes SetBlitLanes(BlitLanes lanes);
// Back to the widest (part of ResetPaint).
void ResetBlitLanes();

// Where the walk of one picture row stands: the next run word, its column and
// the pixel of column c0; a walk from column 0 keeps dst on the next run's
// pixel instead and leaves col alone.
struct RunCursor {
    const u8* q;
    i32 col;
    u16* dst;
};

// Draws the run at the cursor within columns [c0, c1) and moves past it; a key
// run is most often followed by a literal one, so past a key run the step goes
// on to the run after it. False at the end of the row.
template <bool Mirror, class Op>
inline bool StepRunCut(RunCursor& c, i32 c0, i32 c1, Op& op) {
#pragma GCC unroll 2
    for (int k = 0; k < 2; ++k) {
        if (c.col >= c1) return false;
        u16 word = LoadPixel(c.q);
        i32 n = word & kRunCountMask;
        if (!n) return false;
        i32 col = c.col, end = col + n;
        const u8* q = c.q + 2;
        c.col = end;
        u16 kind = word & kRunKindMask;
        if (kind == kRunLiteral) {
            c.q = q + 2 * n;
            // Most runs lie wholly in the window.
            if (col >= c0 && end <= c1) {
                op.template Lit<Mirror>(Mirror ? c.dst - (col - c0) : c.dst + (col - c0), q, n,
                                        col);
                return true;
            }
            i32 a = std::max(col, c0), b = std::min(end, c1);
            if (a < b)
                op.template Lit<Mirror>(Mirror ? c.dst - (a - c0) : c.dst + (a - c0),
                                        q + 2 * (a - col), b - a, a);
            return true;
        }
        c.q = q;
        if constexpr (Op::kKey2) {
            i32 a = std::max(col, c0), b = std::min(end, c1);
            if (kind == kRunKey2 && a < b)
                op.template Key2<Mirror>(Mirror ? c.dst - (a - c0) : c.dst + (a - c0), b - a, a);
        }
    }
    return true;
}

// The same for the window [0, c1), the common case of a picture not cut on its
// left, with fewer tests per run: end is the pixel of column c1, and one
// unsigned test finds a literal run that is the row's closing 0 word or
// reaches past c1.
template <bool Mirror, class Op>
inline bool StepRunFromZero(RunCursor& c, u16* end, i32 c1, Op& op) {
#pragma GCC unroll 2
    for (int k = 0; k < 2; ++k) {
        u16* d = c.dst;
        i64 room = Mirror ? d - end : end - d;
        if (room <= 0) return false;
        // The empty asm hides that the word fits 16 bits, so it is tested in
        // a 32-bit register: tested as 16 bits it costs the copy of a sprite
        // a tenth of its speed.
        u32 word = LoadPixel(c.q);
        asm("" : "+r"(word));
        u32 n = word & kRunCountMask;
        const u8* q = c.q + 2;
        i32 col = static_cast<i32>(c1 - room);
        // Literal runs and the closing 0, for which n - 1 wraps round. Every
        // other kind, 01 (never written) too, is passed over.
        if (word < kRunUnused) {
            if (n - 1 < static_cast<u64>(room)) {
                op.template Lit<Mirror>(d, q, static_cast<i32>(n), col);
                c.q = q + 2 * n;
                c.dst = Mirror ? d - n : d + n;
                return true;
            }
            if (n) op.template Lit<Mirror>(d, q, static_cast<i32>(room), col);
            return false;
        }
        if (!n) return false;
        if constexpr (Op::kKey2) {
            if ((word & kRunKindMask) == kRunKey2)
                op.template Key2<Mirror>(d, static_cast<i32>(std::min<i64>(n, room)), col);
        }
        c.q = q;
        c.dst = Mirror ? d - n : d + n;
    }
    return true;
}

// Operations that say kFromZero = false take the column walk for every window.
template <class Op>
constexpr bool WalksFromZero() {
    if constexpr (requires { Op::kFromZero; }) return Op::kFromZero;
    return true;
}

template <bool Mirror, bool FromZero, class Op>
inline bool StepRun(RunCursor& c, i32 c0, i32 c1, u16* end, Op& op) {
    if constexpr (FromZero)
        return StepRunFromZero<Mirror>(c, end, c1, op);
    else
        return StepRunCut<Mirror>(c, c0, c1, op);
}

// Columns [c0, c1) of one picture row go to dst (the pixel of column c0).
template <bool Mirror, class Op>
inline void WalkRleRow(const u8* q, i32 c0, i32 c1, u16* dst, Op& op) {
    RunCursor c{q, 0, dst};
    u16* end = Mirror ? dst - c1 : dst + c1;
    if (WalksFromZero<Op>() && c0 == 0) {
        while (StepRun<Mirror, true>(c, c0, c1, end, op)) {
        }
    } else {
        while (StepRun<Mirror, false>(c, c0, c1, end, op)) {
        }
    }
}

// Two rows walked side by side, each with its own operation: every run word
// names where the next one is, so one row alone waits on each load in turn.
template <bool Mirror, bool FromZero, class Op>
inline void WalkRleRows2(RunCursor a, RunCursor b, i32 c0, i32 c1, Op& opA, Op& opB) {
    bool liveA = true, liveB = true;
    u16* endA = Mirror ? a.dst - c1 : a.dst + c1;
    u16* endB = Mirror ? b.dst - c1 : b.dst + c1;
    while (liveA && liveB) {
        liveA = StepRun<Mirror, FromZero>(a, c0, c1, endA, opA);
        liveB = StepRun<Mirror, FromZero>(b, c0, c1, endB, opB);
    }
    while (liveA) liveA = StepRun<Mirror, FromZero>(a, c0, c1, endA, opA);
    while (liveB) liveB = StepRun<Mirror, FromZero>(b, c0, c1, endB, opB);
}

// Operations that say kPairRows keep no state between rows but what
// BeginRow sets, so two rows may be drawn at once by two copies.
template <class Op>
constexpr bool PairsRows() {
    if constexpr (requires { Op::kPairRows; }) return Op::kPairRows;
    return false;
}

// Source rows of the picture, one per drawn row (the common case). A row plan
// passes over the rows above the clip, moves on after each drawn row and
// names the picture row in view; plans with kSkew place every row by itself
// at gBlitSkewX instead of the job's column window.
struct PlainRows {
    static constexpr bool kSkew = false;
    i32 row = 0;
    bool Skip(const u8*& p, i32 n) {
        for (i32 i = 0; i < n; ++i) {
            u16 len = LoadPixel(p) & 0x7FFF;
            if (!len) return false;
            p += len;
        }
        row = n;
        return true;
    }
    // p is on a row whose length is known to be non-zero.
    bool Next(const u8*& p) {
        p += LoadPixel(p) & 0x7FFF;
        ++row;
        return true;
    }
    i32 Row() const { return row; }
};

// Vertical scale (gBlitRowStep in 1/1024 rows, gBlitStretch) and, for ground
// shadows, a skew that moves each row's left edge: both advance for skipped
// and drawn rows alike.
template <bool Skew>
struct ScaledRows {
    static constexpr bool kSkew = Skew;
    i32 step = 0, stretch = 0, acc = 0;
    i32 skewStep = 0, skewDir = 0, skewAcc = 0;
    i32 row = 0;
    bool Skip(const u8*& p, i32 n) {
        for (i32 i = 0; i < n; ++i)
            if (!Next(p)) return false;
        return true;
    }
    bool Next(const u8*& p) {
        if constexpr (Skew) {
            skewAcc += skewStep;
            gBlitSkewX += (skewAcc >> 10) * skewDir;
            skewAcc &= 1023;
        }
        acc += step;
        i32 n = acc >> 10;
        acc &= 1023;
        i32 moves = stretch ? (n ? 1 : 0) : 1 + n;
        for (i32 i = 0; i < moves; ++i) {
            u16 len = LoadPixel(p) & 0x7FFF;
            if (!len) return false;
            p += len;
            ++row;
        }
        return true;
    }
    i32 Row() const { return row; }
};

// Walks the visible rows of the run-coded gCurPic from the blit job. A wave
// (or a skew plan) shifts each row and the shifted row is clipped on its own;
// under a skew plan the wave only moves its phase.
template <bool Mirror, class Op, class Rows = PlainRows>
void WalkRle(i32 x, i32 w, Op& op, bool advanceWave, Rows rows = Rows()) {
    const u8* pic = static_cast<const u8*>(gCurPic);
    bool wave = gPaintWave > 0 && gPaintWave < 16;
    if ((LoadPixel(pic + 6) & 0x10) != 0) {
        const u8* p = pic + kRleHeaderSize;
        if (!rows.Skip(p, gBlitSkipRows)) return;
        // Columns of the picture in view without a wave.
        i32 c0 = Mirror ? w - gBlitSkipCols - gBlitCols : gBlitSkipCols;
        i32 c1 = c0 + gBlitCols;
        u16* first = Mirror ? gBlitDst + gBlitCols - 1 : gBlitDst;
        i32 picX = x - gBlitSkipCols;
        i32 clipL = gClipRect.left, clipR = gClipRect.left + gClipRect.width;
        i32 stride = gBlitStride / 2;
        for (i32 r = 0; r < gBlitRows; ++r) {
            u16 len = LoadPixel(p) & 0x7FFF;
            if (!len) break;
            if constexpr (PairsRows<Op>() && !Rows::kSkew && std::is_same_v<Rows, PlainRows>) {
                if (!wave && r + 1 < gBlitRows && (LoadPixel(p + len) & 0x7FFF) != 0) {
                    Op other = op;
                    bool drawA = op.BeginRow(rows.Row());
                    const u8* pa = p;
                    rows.Next(p);
                    bool drawB = other.BeginRow(rows.Row());
                    u16* da = first + static_cast<i64>(r) * stride;
                    RunCursor a{pa + 2, 0, da}, b{p + 2, 0, da + stride};
                    if (drawA && drawB) {
                        if (WalksFromZero<Op>() && c0 == 0)
                            WalkRleRows2<Mirror, true>(a, b, c0, c1, op, other);
                        else
                            WalkRleRows2<Mirror, false>(a, b, c0, c1, op, other);
                    } else if (drawA) {
                        WalkRleRow<Mirror>(a.q, c0, c1, a.dst, op);
                    } else if (drawB) {
                        WalkRleRow<Mirror>(b.q, c0, c1, b.dst, other);
                    }
                    ++r;
                    if (!rows.Next(p)) break;
                    continue;
                }
            }
            if (op.BeginRow(rows.Row())) {
                bool placed = Rows::kSkew || wave;
                if (!placed) {
                    WalkRleRow<Mirror>(p + 2, c0, c1, first + static_cast<i64>(r) * stride, op);
                } else {
                    i32 s =
                        Rows::kSkew
                            ? gBlitSkewX
                            : gWaveTable[gPaintWave][(static_cast<u32>(gWavePhase) + 1 + r) % 33];
                    i32 x0 = picX + s;
                    i32 lo = std::max(clipL, x0), hi = std::min(clipR, x0 + w);
                    u16* row = gBlitDst - x + static_cast<i64>(r) * stride;
                    if (lo < hi) {
                        if (Mirror)
                            WalkRleRow<true>(p + 2, w - (hi - x0), w - (lo - x0), row + hi - 1, op);
                        else
                            WalkRleRow<false>(p + 2, lo - x0, hi - x0, row + lo, op);
                    }
                }
            }
            if (!rows.Next(p)) break;
        }
    }
    if (wave && advanceWave) gWavePhase = static_cast<i32>((static_cast<u32>(gWavePhase) + 1) % 33);
}

// Copies n pixels in 16-, 8-, 4- or 2-byte moves, the last one overlapping
// the one before: runs are short, and a library call costs more than the run.
inline void CopyPixels(u16* d, const u8* s, i32 n) {
    u8* t = reinterpret_cast<u8*>(d);
    size_t bytes = static_cast<size_t>(n) * 2;
    if (bytes >= 16) {
        for (size_t i = 0; i + 16 <= bytes; i += 16) std::memcpy(t + i, s + i, 16);
        std::memcpy(t + bytes - 16, s + bytes - 16, 16);
    } else if (bytes >= 8) {
        std::memcpy(t, s, 8);
        std::memcpy(t + bytes - 8, s + bytes - 8, 8);
    } else if (bytes >= 4) {
        std::memcpy(t, s, 4);
        std::memcpy(t + bytes - 4, s + bytes - 4, 4);
    } else if (bytes) {
        std::memcpy(t, s, 2);
    }
}

// Plain copy of the literal runs.
struct RleCopyOp {
    static constexpr bool kKey2 = false;
    bool BeginRow(i32) { return true; }
    template <bool Mirror>
    void Lit(u16* d, const u8* s, i32 n, i32) {
        if (!Mirror) {
            CopyPixels(d, s, n);
            return;
        }
        for (i32 i = 0; i < n; ++i) d[-i] = LoadPixel(s + 2 * i);
    }
    template <bool Mirror>
    void Key2(u16*, i32, i32) {}
};

// Leaves every third row undrawn, counting from the phase PutPic set.
struct RowSkipper {
    bool on = gPaintRowSkip != 0;
    bool Draw() {
        if (!on) return true;
        if (++gRowSkipPhase < 3) return true;
        gRowSkipPhase = 0;
        return false;
    }
};
