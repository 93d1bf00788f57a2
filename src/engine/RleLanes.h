// Whole-run pixel work of the run-coded blitters in vector lanes, written once
// and included by RleBlit.cpp for each lane width (no include guard on purpose).
//
// Before including, the including namespace defines: Vec, kLanes (16-bit
// lanes per Vec), LANE_FN (inline, with the instruction set's target), and
// Load, Store, Splat, And, Or, Add16, AddsU16, MinU16, Sub16, Eq16, Select(m, a, b)
// (a where m is set), Srli<k>, Slli<k>, Srai<k> and Levels (kLanes alpha
// bytes widened to 16-bit lanes).

// The layout's channel masks and shifted-term masks in every lane.
struct Lanes {
    Vec mask[3], shr[4];
    LANE_FN Lanes() {
        const u32 m[3] = {gMaskR, gMaskG, gMaskB};
        const u32 k[4] = {gShr1Mask, gShr2Mask, gShr3Mask, gShr4Mask};
        for (int c = 0; c < 3; ++c) mask[c] = Splat(static_cast<u16>(m[c]));
        for (int j = 0; j < 4; ++j) shr[j] = Splat(static_cast<u16>(k[j] & 0xFFFF));
    }
    // Per-channel sum held at the channel's top. A channel below bit 15 sums
    // to less than 0x10000; the one at the top may pass it, and the lane's
    // saturating add holds it at 0xFFFF, which the mask's minimum brings back.
    LANE_FN Vec AddChannel(Vec a, Vec b, int c) const {
        return MinU16(AddsU16(And(a, mask[c]), And(b, mask[c])), mask[c]);
    }
    LANE_FN Vec AddSat(Vec a, Vec b) const {
        return Or(Or(AddChannel(a, b, 0), AddChannel(a, b, 1)), AddChannel(a, b, 2));
    }
    // The terms of v that the bits of each lane's level select (bit 3 = v/2 ..
    // bit 0 = v/16); a level bit moved to the sign spreads over its lane.
    LANE_FN Vec Terms(Vec v, Vec level) const {
        Vec t = And(And(Srli<1>(v), shr[0]), Srai<15>(Slli<12>(level)));
        t = Add16(t, And(And(Srli<2>(v), shr[1]), Srai<15>(Slli<13>(level))));
        t = Add16(t, And(And(Srli<3>(v), shr[2]), Srai<15>(Slli<14>(level))));
        return Add16(t, And(And(Srli<4>(v), shr[3]), Srai<15>(Slli<15>(level))));
    }
    // One Vec of the alpha blend: level 0 keeps the screen and 15 takes the
    // source whole (bits outside the channels too); between, the screen's
    // (15 - level)/16 plus the source.
    LANE_FN Vec Alpha(Vec src, Vec dst, const u8* a) const {
        Vec fifteen = Splat(15);
        Vec level = MinU16(Srli<2>(Levels(a)), fifteen);
        Vec mixed = AddSat(src, Terms(dst, Sub16(fifteen, level)));
        Vec out = Select(Eq16(level, Splat(0)), dst, mixed);
        return Select(Eq16(level, fifteen), src, out);
    }
};

// n >= kLanes pixels, forwards. The last kLanes are worked out first, from
// the screen as it was, and stored last over the tail the loop leaves.
LANE_FN void AddRun(const Lanes& l, u16* d, const u8* s, i32 n) {
    Vec tail = l.AddSat(Load(s + 2 * (n - kLanes)), Load(d + n - kLanes));
    for (i32 i = 0; i + kLanes <= n; i += kLanes)
        Store(d + i, l.AddSat(Load(s + 2 * i), Load(d + i)));
    Store(d + n - kLanes, tail);
}

LANE_FN void AlphaRun(const Lanes& l, u16* d, const u8* s, const u8* a, i32 n) {
    i32 t = n - kLanes;
    Vec tail = l.Alpha(Load(s + 2 * t), Load(d + t), a + t);
    for (i32 i = 0; i + kLanes <= n; i += kLanes)
        Store(d + i, l.Alpha(Load(s + 2 * i), Load(d + i), a + i));
    Store(d + t, tail);
}

// n >= kLanes pixels: the first and last Vec read at once, the middle a Vec
// at a time, the last move overlapping the one before.
LANE_FN void CopyRun(u16* d, const u8* s, i32 n) {
    size_t last = static_cast<u32>(n) - kLanes;
    Vec head = Load(s), tail = Load(s + 2 * last);
    for (size_t i = kLanes; i < last; i += kLanes) Store(d + i, Load(s + 2 * i));
    Store(d, head);
    Store(d + last, tail);
}
