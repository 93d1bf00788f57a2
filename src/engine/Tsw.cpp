// Picture archives and the picture cache: offsets read once at start, frames
// unpacked through one shared buffer, checked, converted and kept by number.
#include "engine/Tsw.h"

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/DataError.h"
#include "engine/BucketCache.h"
#include "engine/DataErrors.h"
#include "engine/File.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"

const char* const kPicArchiveNames[kPicArchiveCount] = {"PicLib\\all_char",  "PicLib\\all_item",
                                                        "PicLib\\all_magic", "PicLib\\all_sys",
                                                        "PicLib\\all_map1",  "PicLib\\all_map2"};

namespace {

struct PicNode {
    u16 pic = 0;
    u16 frame = 0;
    u32 tick = 0;  // tick of the last hand-out
    PicNode* next = nullptr;
    PicFrame frameData;
};

struct PicLibState {
    std::string base;
    cFile files[kPicArchiveCount];
    u32 offsets[kPicArchiveCount * kPicsPerArchive] = {};
    bool tableLoaded = false;
    u8* readBuf = nullptr;  // shared, grows, never shrinks until freed
    u32 readBufSize = 0;
    u16 palette[256] = {};  // the last 8-bit picture's colours
    PicNode* buckets[kPicCacheBuckets] = {};
    u16 counts[kPicCacheBuckets] = {};
    u32 total = 0;
    u32 budget = 16u << 20;
    u32 tick = 1;
    u32 loads = 0, failures = 0;
    MapPicLoader mapLoader = nullptr;
    CurrentMapFn currentMap = nullptr;
    std::string lastError;
    std::set<u32> reported;
};

PicLibState& S() {
    // Never destroyed: a release at exit (or from a static destructor) must not
    // find the archives already torn down.
    static PicLibState* s = new PicLibState;
    return *s;
}

int Bucket(u16 pic, u16 frame) {
    return (pic == kMapPicNumber ? frame : pic) & 15;
}

// Keeps the reason and reports each picture's first failure once. The text is
// about the frame; file and offset, where known, say where in the archives.
void Refuse(u16 pic, u16 frame, DataError e) {
    PicLibState& s = S();
    e.text = "picture " + std::to_string(pic) + " frame " + std::to_string(frame) + ": " + e.text;
    s.lastError = e.Message();
    ++s.failures;
    u32 key = static_cast<u32>(frame) << 16 | pic;
    if (s.reported.size() < 4096 && s.reported.insert(key).second) ReportDataError(e);
}

std::string ArchiveName(int archive) {
    return std::string(kPicArchiveNames[archive]) + ".tsw";
}

DataError At(int archive, u32 offset, std::string text) {
    return {ArchiveName(archive), offset, std::move(text)};
}

void FreeFrameData(PicFrame& f) {
    if (f.pixels) MH_FREE(f.pixels);
    if (f.alpha) MH_FREE(f.alpha);
    f = PicFrame{};
}

void FreeNode(PicNode* n) {
    FreeFrameData(n->frameData);
    n->~PicNode();
    MH_FREE(n);
}

// Reads count bytes at offset; false unless all of them came.
bool ReadAt(cFile& f, u32 offset, void* dst, u32 count, u32* got = nullptr) {
    if (!f.IsOpen() || offset > 0x7FFFFFFFu) return false;
    if (f.SeekSet(static_cast<i32>(offset)) == 0) return false;
    u32 n = count;
    if (count && !f.Read(dst, &n)) return false;
    if (got) {
        *got = n;
        return true;
    }
    return n == count;
}

bool GrowReadBuf(u32 size) {
    PicLibState& s = S();
    if (s.readBuf && s.readBufSize >= size) return true;
    if (s.readBuf) MH_FREE(s.readBuf);
    s.readBuf = static_cast<u8*>(MH_ALLOC(static_cast<i32>(size ? size : 1)));
    s.readBufSize = s.readBuf ? size : 0;
    return s.readBuf != nullptr;
}

u32 PictureOffset(int archive, u32 entry) {
    PicLibState& s = S();
    if (s.tableLoaded) return s.offsets[archive * kPicsPerArchive + entry - 1];
    u8 raw[kTswEntrySize];
    if (!ReadAt(s.files[archive], kTswHeaderSize + kTswEntrySize * (entry - 1), raw, kTswEntrySize))
        return 0;
    ByteReader r(raw, sizeof(raw));
    TswEntry e;
    TswEntryFields(r, e);
    return e.offset;
}

// The header and the record of one frame; fills the shared palette for 8-bit pictures.
bool ReadTswHeader(int archive, u16 pic, u16 frame, u32 picOffset, TswPicHeader* h,
                   TswFrameRecord* rec) {
    PicLibState& s = S();
    static u8 head[kTswHeadRead];
    u32 got = 0;
    if (!ReadAt(s.files[archive], picOffset, head, kTswHeadRead, &got)) {
        Refuse(pic, frame, At(archive, picOffset, "cannot read the picture"));
        return false;
    }
    ByteReader r(head, got);
    TswPicHeaderFields(r, *h);
    if (!r.ok() || h->magic != kTswMagic) {
        Refuse(pic, frame, At(archive, picOffset, "no picture magic"));
        return false;
    }
    if (h->depth != 8 && h->depth != 16) {
        Refuse(pic, frame, At(archive, picOffset, "depth neither 8 nor 16"));
        return false;
    }
    if (frame >= h->frameCount) {
        Refuse(pic, frame, At(archive, picOffset, "frame beyond the frame count"));
        return false;
    }
    if (h->depth == 8) {
        u16 colours[256];
        r.Array(colours, 256);
        if (r.ok()) std::memcpy(s.palette, colours, sizeof(colours));
    }
    u32 recordAt = static_cast<u32>(r.pos()) + kTswFrameRecordSize * frame;
    if (!r.ok() || recordAt + kTswFrameRecordSize > got) {
        Refuse(pic, frame, At(archive, picOffset, "frame record outside the picture head"));
        return false;
    }
    r.Seek(recordAt);
    TswFrameRecordFields(r, *rec);
    return r.ok();
}

// Unpacks the frame's block into a new buffer of exactly its unpacked size.
bool ReadTswFrameBlock(int archive, u16 pic, u16 frame, u32 picOffset, const TswFrameRecord& rec,
                       PicFrame* out) {
    PicLibState& s = S();
    u64 at = static_cast<u64>(picOffset) + rec.offset;
    if (rec.unpackedSize == 0 || rec.unpackedSize > kMaxFrameBytes || rec.packedSize == 0 ||
        rec.packedSize > LzoWorstCase(kMaxFrameBytes) || at > 0x7FFFFFFFu) {
        Refuse(pic, frame, At(archive, picOffset, "frame sizes out of range"));
        return false;
    }
    if (!GrowReadBuf(rec.packedSize) ||
        !ReadAt(s.files[archive], static_cast<u32>(at), s.readBuf, rec.packedSize)) {
        Refuse(pic, frame, At(archive, static_cast<u32>(at), "frame block past the end"));
        return false;
    }
    u8* pixels = static_cast<u8*>(MH_ALLOC(static_cast<i32>(rec.unpackedSize)));
    if (LzoUnpackExact(s.readBuf, static_cast<i32>(rec.packedSize), pixels,
                       static_cast<i32>(rec.unpackedSize)) != kLzoOk) {
        MH_FREE(pixels);
        FreeTswBuffers();
        Refuse(pic, frame,
               At(archive, static_cast<u32>(at), "frame block does not unpack to its size"));
        return false;
    }
    out->pixels = pixels;
    out->size = rec.unpackedSize;
    out->width = rec.width;
    out->height = rec.height;
    return true;
}

// Reads one frame and converts it to a 16-bit picture in the screen layout.
bool ReadTswPicture(u16 pic, u16 frame, PicFrame* out) {
    PicLibState& s = S();
    int archive = pic / kPicsPerArchive;
    u32 entry = pic % kPicsPerArchive;
    if (archive >= kPicArchiveCount || entry == 0) {
        Refuse(pic, frame, DataError::Unplaced("", "no such picture number"));
        return false;
    }
    if (!s.files[archive].IsOpen()) {
        Refuse(pic, frame, DataError::Unplaced(ArchiveName(archive), "the archive is not open"));
        return false;
    }
    u32 picOffset = PictureOffset(archive, entry);
    if (picOffset == 0) {
        Refuse(pic, frame,
               At(archive, kTswHeaderSize + kTswEntrySize * (entry - 1), "empty directory entry"));
        return false;
    }
    TswPicHeader h;
    TswFrameRecord rec;
    if (!ReadTswHeader(archive, pic, frame, picOffset, &h, &rec)) return false;
    if (!ReadTswFrameBlock(archive, pic, frame, picOffset, rec, out)) return false;
    RleInfo info;
    bool whole = RleCheck(out->pixels, out->size, &info) && (info.depth & kRleDepthMask) == h.depth;
    if (whole) {
        out->palette = h.depth == 8 ? s.palette : nullptr;
        whole = RleConvert8To16(out) == 1;
    }
    if (!whole) {
        FreeFrameData(*out);
        Refuse(pic, frame,
               At(archive, picOffset + rec.offset, "frame is no whole run-coded picture"));
        return false;
    }
    return true;
}

PicNode* Lookup(u16 pic, u16 frame, bool toFront) {
    PicLibState& s = S();
    int b = Bucket(pic, frame);
    PicNode* prev = nullptr;
    for (PicNode* n = s.buckets[b]; n; prev = n, n = n->next) {
        if (n->pic != pic || n->frame != frame) continue;
        if (toFront) MoveToFront(&s.buckets[b], prev, n);
        n->tick = s.tick;
        return n;
    }
    return nullptr;
}

void Unlink(PicNode* node) {
    PicLibState& s = S();
    int b = Bucket(node->pic, node->frame);
    for (PicNode** p = &s.buckets[b]; *p; p = &(*p)->next) {
        if (*p != node) continue;
        *p = node->next;
        --s.counts[b];
        return;
    }
}

PicFrame* LoadPic(u16 pic, u16 frame) {
    PicLibState& s = S();
    if (pic == kMapPicNumber && frame == 6 && s.currentMap && s.currentMap() == 286) return nullptr;
    auto* node = new (MH_ALLOC_ZERO(sizeof(PicNode))) PicNode;
    node->pic = pic;
    node->frame = frame;
    node->tick = s.tick;
    int b = Bucket(pic, frame);
    node->next = s.buckets[b];
    s.buckets[b] = node;
    ++s.counts[b];
    bool ok = false;
    if (pic != kMapPicNumber) {
        ok = ReadTswPicture(pic, frame, &node->frameData);
    } else if (s.mapLoader) {
        ok = s.mapLoader(frame, &node->frameData) == 1 && node->frameData.pixels &&
             RleCheck(node->frameData.pixels, node->frameData.size);
        if (!ok) Refuse(pic, frame, DataError::Unplaced("", "map picture cannot be loaded"));
    } else {
        Refuse(pic, frame, DataError::Unplaced("", "no map picture loader"));
    }
    if (!ok) {
        Unlink(node);
        FreeNode(node);
        return nullptr;
    }
    s.total += node->frameData.size;
    ++s.loads;
    return &node->frameData;
}

}  // namespace

void SetMapPicHooks(MapPicLoader loader, CurrentMapFn currentMap) {
    S().mapLoader = loader;
    S().currentMap = currentMap;
}

void SetPicLibPath(const char* folder) {
    if (!folder || !*folder) return;
    S().base = std::string(folder) + "\\";
}

const char* GetPicLibBase() {
    return S().base.c_str();
}

int OpenPicLib() {
    PicLibState& s = S();
    for (int a = 0; a < kPicArchiveCount; ++a) {
        s.files[a].Close();
        std::string path = s.base + ArchiveName(a);
        u32* table = s.offsets + a * kPicsPerArchive;
        std::memset(table, 0, sizeof(u32) * kPicsPerArchive);
        if (!s.files[a].Open(path.c_str(), OPEN_EXISTING, GENERIC_READ)) continue;
        // The whole directory in one read; a short file leaves the rest empty.
        std::vector<u8> dir(kTswDirectoryEnd);
        u32 got = 0;
        if (!ReadAt(s.files[a], 0, dir.data(), kTswDirectoryEnd, &got)) continue;
        ByteReader r(dir.data(), got);
        r.Skip(kTswHeaderSize);
        for (u32 e = 0; e < kTswEntryCount && r.ok(); ++e) {
            TswEntry entry;
            TswEntryFields(r, entry);
            if (r.ok() && e < static_cast<u32>(kPicsPerArchive)) table[e] = entry.offset;
        }
    }
    s.tableLoaded = true;
    return 1;
}

void ClosePicLib() {
    PicLibState& s = S();
    for (cFile& f : s.files) f.Close();
    s.tableLoaded = false;
    ClearPicCache();
    FreeTswBuffers();
}

void FreePics() {
    ClearPicCache();
    FreeTswBuffers();
}

PicFrame* GetPic(u16 pic, u16 frame) {
    if (PicNode* n = Lookup(pic, frame, true)) return &n->frameData;
    if (S().total >= S().budget) TrimPicCache();
    return LoadPic(pic, frame);
}

PicFrame* FindCachedPic(u16 pic, u16 frame) {
    PicNode* n = Lookup(pic, frame, true);
    return n ? &n->frameData : nullptr;
}

void SetPicMemory(u32 bytes) {
    S().budget = bytes;
}

void ClearPicCache() {
    PicLibState& s = S();
    for (int b = 0; b < kPicCacheBuckets; ++b) {
        while (PicNode* n = s.buckets[b]) {
            s.buckets[b] = n->next;
            s.total -= n->frameData.size;
            FreeNode(n);
        }
        s.counts[b] = 0;
    }
}

void TrimPicCache() {
    PicLibState& s = S();
    // Frames handed out in this tick stay valid until the next tick.
    TrimFullestBucket(
        s.buckets, s.counts, &s.total, s.budget, [](PicNode* n) { return n->frameData.size; },
        FreeNode, [&s](PicNode* n) { return n->tick == s.tick; });
}

void FreeTswBuffers() {
    PicLibState& s = S();
    if (s.readBuf) MH_FREE(s.readBuf);
    s.readBuf = nullptr;
    s.readBufSize = 0;
}

void PicCacheNewTick() {
    ++S().tick;
}

int ReadPicDirect(u16 pic, u16 frame, PicFrame* out) {
    if (!out) return 0;
    *out = PicFrame{};
    return ReadTswPicture(pic, frame, out) ? 1 : 0;
}

PicCacheStats GetPicCacheStats() {
    PicLibState& s = S();
    PicCacheStats st;
    st.total = s.total;
    st.budget = s.budget;
    std::memcpy(st.counts, s.counts, sizeof(st.counts));
    st.loads = s.loads;
    st.failures = s.failures;
    return st;
}

const char* PicLastError() {
    return S().lastError.c_str();
}

void ResetPicLib() {
    ClosePicLib();
    PicLibState& s = S();
    s.base.clear();
    s.budget = 16u << 20;
    s.tick = 1;
    s.loads = s.failures = 0;
    s.mapLoader = nullptr;
    s.currentMap = nullptr;
    s.lastError.clear();
    s.reported.clear();
    std::memset(s.palette, 0, sizeof(s.palette));
}
