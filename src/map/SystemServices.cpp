// System services: disk, labels, name texts, angles.
#include "map/SystemServices.h"

#include <strings.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/Big5.h"
#include "base/ByteIo.h"
#include "base/DataError.h"
#include "platform/HostFs.h"
#include "engine/DataErrors.h"
#include "engine/File.h"
#include "engine/Random.h"
#include "data/Config.h"
#include "map/MapDb.h"
#include "map/RoleTable.h"

const i16 kAngleTable[90] = {
    0,    142,  285,  428,  571,  713,  856,  998,  1140, 1281, 1422, 1563, 1703, 1842, 1981,
    2120, 2258, 2395, 2531, 2667, 2801, 2935, 3068, 3200, 3331, 3462, 3591, 3719, 3845, 3971,
    4095, 4219, 4341, 4461, 4580, 4698, 4815, 4930, 5043, 5155, 5265, 5374, 5481, 5586, 5690,
    5792, 5892, 5991, 6087, 6182, 6275, 6366, 6455, 6542, 6627, 6710, 6791, 6870, 6947, 7021,
    7094, 7164, 7233, 7299, 7362, 7424, 7483, 7540, 7595, 7647, 7697, 7745, 7791, 7834, 7874,
    7912, 7948, 7982, 8012, 8041, 8067, 8091, 8112, 8130, 8147, 8160, 8172, 8180, 8187, 8190,
};

namespace {
constexpr u32 kNameHeader = 512;
constexpr const char* kNameFile = "MH_Data\\namex.dat";
// The name texts are read for every caption and quest row: a bad file is told once.
bool gNameTextsTold = false;

int BadNameTexts(DataError e) {
    if (!gNameTextsTold) ReportDataError(e);
    gNameTextsTold = true;
    return 0;
}
}  // namespace

void ResetSystemServices() {
    gNameTextsTold = false;
}

u32 GetFreeDiskMB() {
    u64 bytes = 0;
    if (!GetDiskFreeSpaceExA(".", &bytes)) return 0xFFFFFFFFu;
    u64 mb = bytes >> 20;
    return mb > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<u32>(mb);
}

int HasVolumeLabel(const char* root, const char* label) {
    std::string have;
    if (!GetVolumeLabel(root, &have)) return 0;
    return have == label ? 1 : 0;
}

int ReadNameText(i32 n, i32 len, char* buf, const char* mark) {
    if (!buf || len <= 0) return 0;
    buf[0] = 0;
    std::string path = std::string(gBasePath) + kNameFile;
    cFile f;
    if (n < 0) return 0;
    if (!f.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ))
        return BadNameTexts(DataError::Unplaced(kNameFile, "cannot be opened"));
    u32 size = f.GetSize();
    u32 first = 0, offset = 0;
    // The table runs from 512 up to where the first text begins.
    if (!f.SeekSet(kNameHeader) || !f.ReadDword(&first) || size < kNameHeader + 4)
        return BadNameTexts({kNameFile, kNameHeader,
                             "no table: the file holds " + std::to_string(size) + " bytes"});
    u64 entryPos = kNameHeader + 4ull * static_cast<u32>(n);
    if (entryPos + 4 > size || entryPos + 4 > kNameHeader + static_cast<u64>(first)) return 0;
    f.SeekSet(static_cast<i32>(entryPos));
    if (!f.ReadDword(&offset)) return 0;
    u64 start = static_cast<u64>(offset) + kNameHeader;
    if (start >= size)
        return BadNameTexts({kNameFile, static_cast<size_t>(entryPos),
                             "text " + std::to_string(n) + " at " + std::to_string(start) +
                                 " lies past the end (" + std::to_string(size) + " bytes)"});
    u32 want = static_cast<u32>(std::min<u64>(static_cast<u64>(len) - 1, size - start));
    if (want == 0 || !f.SeekSet(static_cast<i32>(start))) return 0;
    u32 got = want;
    if (!f.Read(buf, &got)) got = 0;
    buf[got] = 0;
    if (const char* at = mark && *mark ? std::strstr(buf, mark) : nullptr) buf[at - buf] = 0;
    return static_cast<int>(std::strlen(buf));
}

int FindNameIdIn(const u8* table, size_t size, const char* name) {
    size_t p = 0;
    while (p < size && table[p] != 0) {
        int id = static_cast<i8>(table[p]);
        size_t textStart = p + 1;
        size_t mark = FindQMark(reinterpret_cast<const char*>(table + textStart), size - textStart);
        if (mark == kNoMark) return -1;  // a row without its end mark ends the search
        size_t end = textStart + mark;
        std::string text(reinterpret_cast<const char*>(table + textStart), end - textStart);
        if (strcasecmp(text.c_str(), name) == 0) return id;
        p = end + 2;
    }
    return -1;
}

int FindNameId(const char* name) {
    ByteReader t = MapDbTable(26);
    if (!t.ok() || !name) return -1;
    return FindNameIdIn(t.here(), t.bytesLeft(), name);
}

int GetAngleTo(i32 x0, i32 y0, i32 x1, i32 y1, i32* distance) {
    i64 dx = static_cast<i64>(x0) - x1;
    i64 dy = static_cast<i64>(y0) - y1;
    i32 d = static_cast<i32>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
    if (distance) *distance = d;
    if (d == 0) return 0;
    i64 s = dy * 8192 / d;
    if (s < 0) s = -s;
    // Each quadrant walks the sine table from one end; the candidates are
    // angles 5 degrees apart. Up and to the left lies between 90 and 180.
    int start, step, index, indexStep;
    if (dy < 0 && dx < 0) {
        start = 90, step = 5, index = 89, indexStep = -5;
    } else if (dy < 0) {
        start = 0, step = 5, index = 0, indexStep = 5;
    } else if (dx >= 0) {
        start = 270, step = 5, index = 89, indexStep = -5;
    } else {
        start = 180, step = 5, index = 0, indexStep = 5;
    }
    int best = start;
    i64 bestDiff = -1;
    for (int i = 0; i < 18; ++i) {
        i64 diff = std::llabs(s - kAngleTable[index + i * indexStep]);
        if (bestDiff < 0 || diff <= bestDiff) {
            bestDiff = diff;
            best = start + i * step;
        }
    }
    return best;
}

int AngleToDirection(int angle) {
    if (angle < 0 || angle > 360) return 0;
    static const int kBySector[17] = {3, 7, 7, 0, 0, 4, 4, 2, 2, 6, 6, 1, 1, 5, 5, 3, 0};
    return kBySector[angle * 16 / 360];
}

int DirectionTo(i32 fx, i32 fy, i32 tx, i32 ty) {
    return AngleToDirection(GetAngleTo(tx, ty, fx, fy, nullptr));
}

i32 RandomBetween(i32 a, i32 b) {
    i64 span = std::llabs(static_cast<i64>(b) - a);
    return static_cast<i32>(RandomN(static_cast<u32>(span)) + std::min(a, b));
}

int GetPlayerDirectionTo(i32 x, i32 y) {
    if (gPlayerSlot <= 0 || gPlayerSlot >= kRoleRows) return 1;
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    int w, h;
    RoleFootprint(&p, &w, &h);
    return DirectionTo(p.x + w * 8, p.y + h * 8, x, y);
}

void ShowNotice(const char*, i32) {}
