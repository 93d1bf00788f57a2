// Depth-scale blocks of a map and the lookups the scene draws with.
#include "map/Scale.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "engine/DataErrors.h"
#include "engine/RlePic.h"

DepthScale gDepthScale;

void ClearDepthScale() {
    gDepthScale.mode = 0;
    gDepthScale.defaultScale = kDefaultScale;
    gDepthScale.rows.clear();
    gDepthScale.picture.clear();
    for (u32& v : gDepthScale.table32) v = kDefaultScale;
    for (u16& v : gDepthScale.table16) v = static_cast<u16>(gDepthScale.defaultScale);
}

void LoadDepthPicture(const u8* block, u32 size) {
    ByteReader r(block, size);
    u16 t[256];
    r.Array(t, 256);
    if (!r.ok()) return;
    std::copy(t, t + 256, gDepthScale.table16);
    gDepthScale.picture.assign(r.here(), r.here() + r.bytesLeft());
}

void LoadDepthRows(const u8* block, u32 size) {
    ByteReader r(block, size);
    u32 kind = r.U32(), count = r.U32();
    r.Skip(8);
    if (!r.ok()) return;
    if (kind == 1) {
        u32 t[256];
        r.Array(t, 256);
        if (!r.ok()) return;
        std::copy(t, t + 256, gDepthScale.table32);
        gDepthScale.mode = 1;
    } else if (kind == 2) {
        if (!r.HasRecords(count, 4)) {
            ReportDataError(DataError::Unplaced(
                "", "depth rows: count " + std::to_string(count) + " larger than the block"));
            return;
        }
        gDepthScale.rows.resize(count);
        r.Array(gDepthScale.rows.data(), count);
        gDepthScale.mode = 2;
    }
}

// Mode 1 reads the index from the depth picture's pixel and the factor from
// the u16 table, so a picture yields factors around 1024.
int GetDepthIndex(i32 x, i32 y) {
    if (gDepthScale.mode == 1) {
        u32 value = 0;
        if (!gDepthScale.picture.empty() &&
            IsPicPixelSolid(gDepthScale.picture.data(), gDepthScale.picture.size(), x, y, &value))
            return static_cast<int>(value & 0xFF);
        return static_cast<int>(gDepthScale.defaultScale);
    }
    if (gDepthScale.mode == 2) return y / 16;
    return static_cast<int>(gDepthScale.defaultScale);
}

int GetDepthScale(i32 i) {
    if (gDepthScale.mode == 1 && i >= 0 && i < 256) return gDepthScale.table16[i];
    if (gDepthScale.mode == 2 && i >= 0 && static_cast<size_t>(i) < gDepthScale.rows.size())
        return static_cast<int>(gDepthScale.rows[i]);
    return static_cast<int>(gDepthScale.defaultScale);
}

u32 GetDepthMode() {
    return gDepthScale.mode;
}
