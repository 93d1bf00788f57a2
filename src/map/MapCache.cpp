// The map cache: slot table, unpacking of a map's picture blocks into "%d.cm",
// eviction, and the checks that empty the cache.
#include "map/MapCache.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "base/Types.h"
#include "platform/Fault.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/DataErrors.h"
#include "engine/FrameState.h"
#include "engine/Lzo.h"
#include "engine/PixelFormat.h"
#include "sound/BinkPlayer.h"
#include "data/Config.h"
#include "map/City.h"
#include "map/MapArchive.h"
#include "map/SessionServices.h"

cFile gMapArchiveFile;
cFile gCacheFile;
u32 gMapsUnpacked = 0;

namespace {

u32 gLastPump = 0;
// A map the cache could not hold, unpacked into memory instead.
std::vector<u8> gMapInMemory;
bool gCacheFailureTold = false;

std::string CachePath(int n) {
    return std::string(gBasePath) + "data\\" + std::to_string(n) + ".cm";
}
std::string TablePath() {
    return std::string(gBasePath) + "data\\mcache.dat";
}
std::string EnvDatPath() {
    return std::string(gBasePath) + "Env.dat";
}

void FreeSlots(CacheSlot slots[kCacheSlots]) {
    for (int i = 0; i < kCacheSlots; ++i)
        slots[i] = CacheSlot{kFreeSlot, 0, 0, static_cast<u32>(i)};
}

std::vector<u8> TableBytes(const CacheSlot slots[kCacheSlots]) {
    ByteWriter w;
    for (int i = 0; i < kCacheSlots; ++i) CacheSlotFields(w, slots[i]);
    return w.bytes();
}

// Cuts "%d.cm" to len bytes (created when missing).
void TruncateCacheFile(int n, u32 len) {
    cFile f;
    if (!f.Open(CachePath(n).c_str(), OPEN_ALWAYS, GENERIC_READ | GENERIC_WRITE)) return;
    f.SeekSet(static_cast<i32>(len));
    f.SetEnd();
}

// Block header of a map picture: block size, total size and the (offset, packed size) list.
struct BlockList {
    u32 blockSize = 0;
    u32 total = 0;
    std::vector<u32> offsets, packed;
};

bool ReadArchive(u32 off, void* dst, u32 n) {
    u32 size = gMapArchiveFile.GetSize();
    if (size == 0xFFFFFFFFu || off > size || n > size - off) return false;
    if (!gMapArchiveFile.SeekSet(static_cast<i32>(off))) return false;
    u32 got = n;
    return n == 0 || (gMapArchiveFile.Read(dst, &got) && got == n);
}

bool ReadBlockList(u32 m, u32 off, int kind, BlockList* b) {
    u32 hsize = kind == 1 ? kOldBlockHeader : kBlockHeader;
    std::vector<u8> h(hsize);
    if (!ReadArchive(m + off, h.data(), hsize)) return false;
    ByteReader r(h);
    if (kind == 1) {
        r.Seek(16);
        b->total = r.U32();
        b->blockSize = r.U32();
    } else {
        r.Seek(4);
        b->blockSize = r.U32();
        b->total = r.U32();
    }
    if (b->blockSize == 0 || b->blockSize > (16u << 20) || b->total > (256u << 20)) return false;
    // The block list lives inside the header: a count it cannot hold is refused
    // before any entry is read.
    const u32 first = kind == 1 ? 28 : 16, entry = kind == 1 ? 4 : 8;
    u32 count = static_cast<u32>((u64{b->total} + b->blockSize - 1) / b->blockSize);
    if (count > (hsize - first) / entry) return false;
    u32 next = m + off + hsize;
    r.Seek(first);
    for (u32 i = 0; i < count; ++i) {
        if (kind == 1) {
            u32 p = r.U32();
            b->offsets.push_back(next);
            b->packed.push_back(p);
            next += p;
        } else {
            b->offsets.push_back(m + r.U32());
            b->packed.push_back(r.U32());
        }
    }
    return r.ok();
}

}  // namespace

int PumpAudio() {
    u32 now = timeGetTime();
    if (now - gLastPump >= 7) {
        gLastPump = now;
        UpdateAudio();
    }
    return 1;
}

bool ReadCacheTable(CacheSlot slots[kCacheSlots]) {
    cFile f;
    if (!f.Open(TablePath().c_str(), OPEN_EXISTING, GENERIC_READ)) return false;
    std::vector<u8> buf(kCacheSlots * kCacheSlotBytes);
    u32 n = static_cast<u32>(buf.size());
    if (f.GetSize() != buf.size() || !f.Read(buf.data(), &n) || n != buf.size()) return false;
    ByteReader r(buf);
    for (int i = 0; i < kCacheSlots; ++i) CacheSlotFields(r, slots[i]);
    return r.ok();
}

bool WriteCacheTable(const CacheSlot slots[kCacheSlots], Flush flush) {
    std::vector<u8> b = TableBytes(slots);
    return ReplaceFile(TablePath().c_str(), b.data(), static_cast<u32>(b.size()), flush) != 0;
}

void ReleaseMapView() {
    if (gMap.Pixel && gMap.Pixel != gMapInMemory.data()) gCacheFile.CloseView(gMap.Pixel);
    gCacheFile.Close();
    gMapInMemory.clear();
    gMapInMemory.shrink_to_fit();
    gMap.Pixel = nullptr;
    gMap.pixelSize = 0;
}

const u8* GetCacheMapUnit(int n) {
    ReleaseMapView();
    if (!gCacheFile.Open(CachePath(n).c_str(), OPEN_EXISTING, GENERIC_READ)) return nullptr;
    if (!gCacheFile.CreateMapping()) return nullptr;
    return gCacheFile.MapView(0, 0);
}

int GetMapRawSize(u32, u32 m, u32 off, int kind, u32* outSize) {
    *outSize = 0;
    u8 b[4];
    if (!ReadArchive(m + off + (kind == 1 ? 16 : 8), b, 4)) return 0;
    *outSize = LoadU32(b);
    return 1;
}

namespace {

// Unpacks the picture blocks at M + off, converted to the screen layout, and
// hands each to put in order; false when a block is refused or put fails.
bool UnpackBlocks(u32 m, u32 off, int kind, const std::function<bool(const u8*, u32)>& put,
                  u32* written) {
    *written = 0;
    BlockList b;
    if (!ReadBlockList(m, off, kind, &b)) {
        // Nothing of a refused list is trusted, its block size least of all.
        BadArchiveData(m, "the map's block list is refused");
        return false;
    }
    u32 biggest = 0;
    for (u32 p : b.packed) biggest = std::max(biggest, p);
    if (biggest > gMapArchiveFile.GetSize()) return false;
    std::vector<u8> src(biggest + 1), dst(b.blockSize + b.blockSize / 1024 + 16);
    bool pixels16 = gMap.tileBits != 8;
    for (size_t i = 0; i < b.offsets.size() && *written < b.total; ++i) {
        u32 want = std::min(b.blockSize, b.total - *written);
        if (!ReadArchive(b.offsets[i], src.data(), b.packed[i]) ||
            LzoUnpackExact(src.data(), static_cast<i32>(b.packed[i]), dst.data(),
                           static_cast<i32>(want)) != kLzoOk) {
            BadArchiveData(b.offsets[i], "block " + std::to_string(i) + " of the map at " +
                                             std::to_string(m) + " is refused");
            return false;
        }
        // The 8-bit picture keeps its palette and indices as they are.
        if (pixels16) ConvertPixels(reinterpret_cast<u16*>(dst.data()), static_cast<i32>(want / 2));
        if (!put(dst.data(), want)) return false;
        *written += want;
        ShowLoadProgress(15 + static_cast<i32>(45 * (i + 1) / b.offsets.size()));
        PumpAudio();
    }
    return *written == b.total;
}

void TellCacheFailure(const char* what, const cFile& f) {
    if (gCacheFailureTold) return;
    gCacheFailureTold = true;
    ReportFault(kNoBox, "map cache: %s failed (%s); maps are unpacked into memory", what,
                f.GetErrorText());
}

}  // namespace

// On any refused or short block the slot is freed and its file cut to nothing,
// so no later hit can map a half-made picture.
int DecompressMap(int k, u32 m, u32 off, int kind, u32* outSize) {
    *outSize = 0;
    if (off == 0) {
        ReportDataError(WordedDataError("%s", B5("這地圖是舊格式")), B5("地圖快取製作"));
        return 0;
    }
    cFile out;
    if (!out.Open(CachePath(k).c_str(), OPEN_ALWAYS, GENERIC_READ | GENERIC_WRITE)) {
        TellCacheFailure("opening a cache file", out);
        return 0;
    }
    out.SeekSet(0);
    bool writeFailed = false;
    auto put = [&](const u8* p, u32 n) {
        u32 done = n;
        writeFailed = !out.Write(p, &done) || done != n;
        return !writeFailed;
    };
    u32 written = 0;
    bool ok = UnpackBlocks(m, off, kind, put, &written);
    if (writeFailed) TellCacheFailure("writing a cache file", out);
    if (!ok || !out.SetEnd()) {
        out.SeekSet(0);
        out.SetEnd();
        return 0;
    }
    *outSize = written;
    gMapsUnpacked += 1;
    return 1;
}

const u8* UnpackMapInMemory(u32 m, u32 off, int kind, u32* size) {
    ReleaseMapView();
    *size = 0;
    if (off == 0) return nullptr;
    u32 total = 0;
    GetMapRawSize(0, m, off, kind, &total);
    if (total > (256u << 20)) return nullptr;
    gMapInMemory.clear();
    gMapInMemory.reserve(total);
    auto put = [](const u8* p, u32 n) {
        gMapInMemory.insert(gMapInMemory.end(), p, p + n);
        return true;
    };
    u32 written = 0;
    if (!UnpackBlocks(m, off, kind, put, &written) || gMapInMemory.empty()) {
        gMapInMemory.clear();
        return nullptr;
    }
    *size = written;
    return gMapInMemory.data();
}

// The table is written at most once per map change and flushed to the disk
// at most once: a table the same as on disk is not written; one whose slots
// hold the same maps (a hit only ages them) is written without a flush, since
// the old ages or even a lost table cost only the order of eviction or a new
// unpacking; a new map in a slot is flushed before the table takes the old
// one's name, so the disk never holds a torn table. A power cut in the middle
// of a load leaves the run mark set, and the next start empties the cache.
const u8* GetCachedMap(u32 n, u32 m, u32 off, int kind) {
    CacheSlot slots[kCacheSlots];
    cFile probe;
    if (!probe.Open(TablePath().c_str(), OPEN_ALWAYS, GENERIC_READ | GENERIC_WRITE)) return nullptr;
    u32 tableSize = probe.GetSize();
    probe.Close();
    const bool read = tableSize == kCacheSlots * kCacheSlotBytes && ReadCacheTable(slots);
    if (!read) FreeSlots(slots);
    const std::vector<u8> onDisk = read ? TableBytes(slots) : std::vector<u8>{};
    auto save = [&](Flush flush) {
        if (TableBytes(slots) != onDisk) WriteCacheTable(slots, flush);
    };
    for (CacheSlot& s : slots) s.age += 1;
    u32 size = 0;
    GetMapRawSize(n, m, off, kind, &size);
    for (int i = 0; i < kCacheSlots; ++i) {
        if (slots[i].mapId != n) continue;
        slots[i].age = 0;
        // A file whose size differs from the table was cut short: make it again.
        const u8* view = GetCacheMapUnit(static_cast<int>(slots[i].file % kCacheSlots));
        if (view && gCacheFile.GetSize() == slots[i].size && slots[i].size == size) {
            save(Flush::kNone);
            return view;
        }
        ReleaseMapView();
        slots[i] = CacheSlot{kFreeSlot, 0, 0, static_cast<u32>(i)};
        break;
    }
    bool full = std::none_of(slots, slots + kCacheSlots,
                             [](const CacheSlot& s) { return s.mapId == kFreeSlot; });
    u64 total = 0;
    for (const CacheSlot& s : slots) total += s.size;
    const u64 budget = static_cast<u64>(gSwapSpace) << 20;
    for (;;) {
        bool used = std::any_of(slots, slots + kCacheSlots,
                                [](const CacheSlot& s) { return s.mapId != kFreeSlot; });
        if (!used || !((size + total > budget) || full)) break;
        int victim = -1;
        for (int i = 0; i < kCacheSlots && victim < 0; ++i)
            if (slots[i].mapId != kFreeSlot && slots[i].age > gSwapSpace / 4) victim = i;
        for (int i = 0; i < kCacheSlots && victim < 0; ++i) {
            if (slots[i].mapId == kFreeSlot) continue;
            int best = i;
            for (int j = i + 1; j < kCacheSlots; ++j)
                if (slots[j].mapId != kFreeSlot && slots[j].size < slots[best].size) best = j;
            victim = best;
        }
        total -= slots[victim].size;
        slots[victim] = CacheSlot{kFreeSlot, 0, 0, static_cast<u32>(victim)};
        TruncateCacheFile(victim, 16);
        full = false;
    }
    int k = 0;
    while (k < kCacheSlots && slots[k].mapId != kFreeSlot) ++k;
    if (k >= kCacheSlots) return nullptr;
    slots[k] = CacheSlot{n, size, 0, static_cast<u32>(k)};
    save(Flush::kBytes);
    u32 got = 0;
    if (!DecompressMap(k, m, off, kind, &got) || got != size) {
        // The slot's file was cut to nothing: a table that still names it is only a miss.
        slots[k] = CacheSlot{kFreeSlot, 0, 0, static_cast<u32>(k)};
        WriteCacheTable(slots, Flush::kNone);
        return nullptr;
    }
    return GetCacheMapUnit(k);
}

u32 GetMapCacheSize() {
    u32 sum = 0;
    for (int i = 0; i < kCacheSlots; ++i) {
        cFile f;
        if (f.Open(CachePath(i).c_str(), OPEN_EXISTING, GENERIC_READ)) sum += f.GetSize();
    }
    return sum;
}

namespace {

void EmptyCache() {
    for (int i = 0; i < kCacheSlots; ++i)
        if (FileExists(CachePath(i).c_str())) TruncateCacheFile(i, 0);
    if (FileExists(TablePath().c_str())) {
        CacheSlot slots[kCacheSlots];
        FreeSlots(slots);
        WriteCacheTable(slots);
    }
}

// The run mark is the last byte of the settings file.
bool ReadRunMark(u8* mark, u32* at) {
    cFile f;
    if (!f.Open(EnvDatPath().c_str(), OPEN_EXISTING, GENERIC_READ)) return false;
    u32 size = f.GetSize();
    if (size == 0 || size == 0xFFFFFFFFu) return false;
    f.SeekSet(static_cast<i32>(size - 1));
    u32 n = 1;
    *at = size - 1;
    return f.Read(mark, &n) && n == 1;
}

// A settings field that cannot be written is told; the cache then only gets
// emptied once more on the next start.
bool TellEnvWrite(cFile& f, bool ok, const char* what) {
    if (!ok) {
        std::string why = std::string("the ") + what + ": " + f.GetErrorText();
        ReportNotWritten(EnvDatPath(), why.c_str());
    }
    return ok;
}

bool WriteRunMark(u8 v) {
    u8 old = 0;
    u32 at = 0;
    if (!ReadRunMark(&old, &at)) return false;
    cFile f;
    bool ok = f.Open(EnvDatPath().c_str(), OPEN_EXISTING, GENERIC_READ | GENERIC_WRITE) &&
              f.SeekSet(static_cast<i32>(at)) && f.WriteByte(v);
    return TellEnvWrite(f, ok, "run mark");
}

// The three u16 of the data stamp sit at bytes 30-35 of the settings file.
bool WriteEnvStamp(const u16 stamp[3]) {
    cFile f;
    if (!f.Open(EnvDatPath().c_str(), OPEN_EXISTING, GENERIC_READ | GENERIC_WRITE)) return false;
    if (f.GetSize() < 36) return false;
    bool ok = f.SeekSet(30) != 0;
    for (int i = 0; i < 3 && ok; ++i) ok = f.WriteWord(stamp[i]) != 0;
    return TellEnvWrite(f, ok, "data stamp");
}

}  // namespace

u32 ResetMapCache(int mode) {
    if (mode == 0) {
        u8 mark = 0;
        u32 at = 0;
        if (!ReadRunMark(&mark, &at) || mark == 0) return GetMapCacheSize();
        WriteRunMark(0);
        EmptyCache();
        return GetMapCacheSize();
    }
    u32 r = 0, g = 0, b = 0;
    GetColorMasks(&r, &g, &b);
    u16 masks[3] = {static_cast<u16>(r), static_cast<u16>(g), static_cast<u16>(b)};
    if (masks[0] != gEnvStamp[0] || masks[1] != gEnvStamp[1] || masks[2] != gEnvStamp[2]) {
        std::copy(masks, masks + 3, gEnvStamp);
        WriteEnvStamp(masks);
        EmptyCache();
    }
    return GetMapCacheSize();
}

void SetRunMark() {
    WriteRunMark(1);
}
void ClearRunMark() {
    WriteRunMark(0);
}

void ResetMapCacheState() {
    ReleaseMapView();
    gCacheFailureTold = false;
    gMapArchiveFile.Close();
    gMapsUnpacked = 0;
    gLastPump = 0;
}
