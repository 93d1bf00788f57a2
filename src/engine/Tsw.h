// Picture archives (".tsw"): their layout as field lists shared with the
// writer, the six archives under PicLib, and the cache of unpacked frames.
#pragma once
#include "base/ByteIo.h"
#include "base/Types.h"
#include "engine/RlePic.h"

// Six archives of 3000 entries; picture n is entry n % 3000 of archive n / 3000.
constexpr int kPicArchiveCount = 6;
constexpr int kPicsPerArchive = 3000;
constexpr u16 kMapPicNumber = 0xFFFF;  // the current map's own pictures
constexpr int kPicCacheBuckets = 16;

// Archive file: a header, then 3000 directory entries of 44 bytes.
constexpr u32 kTswHeaderSize = 28;
constexpr u32 kTswEntrySize = 44;
constexpr u32 kTswEntryCount = 3000;
constexpr u32 kTswDirectoryEnd = kTswHeaderSize + kTswEntrySize * kTswEntryCount;
// Picture: 12-byte header, a palette for 8-bit pictures, 36-byte frame records.
constexpr u16 kTswMagic = 0xABCD;
constexpr u32 kTswPicHeaderSize = 12;
constexpr u32 kTswPaletteSize = 512;
constexpr u32 kTswFrameRecordSize = 36;
constexpr u32 kTswHeadRead = 11788;  // bytes read at a picture's start in one go
// Largest unpacked frame we accept: far above a 640x480 16-bit picture.
constexpr u32 kMaxFrameBytes = 16u << 20;

// The base names of the archives under the root; ".tsw" and ".act" follow.
extern const char* const kPicArchiveNames[kPicArchiveCount];

struct TswEntry {
    char name[20] = {};
    u32 size = 0;
    u32 offset = 0;  // from the start of the file
};
template <class Io, class E>
void TswEntryFields(Io& io, E& e) {
    io.Text(e.name, 20);
    io.Field(e.size);
    io.Field(e.offset);
    io.Pad(16);
}

struct TswPicHeader {
    u32 reserved = 0;
    u16 magic = kTswMagic;
    u16 frameCount = 0;
    u16 depth = 16;
    u16 tableOffset = 0;  // frame table from the picture's start (stand-alone files)
};
template <class Io, class H>
void TswPicHeaderFields(Io& io, H& h) {
    io.Field(h.reserved);
    io.Field(h.magic);
    io.Field(h.frameCount);
    io.Field(h.depth);
    io.Field(h.tableOffset);
}

struct TswFrameRecord {
    u32 offset = 0;  // of the packed block, from the picture's start
    u32 packedSize = 0;
    u32 unpackedSize = 0;
    u32 hasSecond = 0;
    u32 packedSize2 = 0;
    u32 unpackedSize2 = 0;
    u16 width = 0;
    u16 height = 0;
};
template <class Io, class R>
void TswFrameRecordFields(Io& io, R& r) {
    io.Field(r.offset);
    io.Field(r.packedSize);
    io.Field(r.unpackedSize);
    io.Field(r.hasSecond);
    io.Field(r.packedSize2);
    io.Field(r.unpackedSize2);
    io.Pad(8);
    io.Field(r.width);
    io.Field(r.height);
}

// Loader of the current map's pictures (pic 0xFFFF) and the current map id;
// the map module installs them. Without a loader map pictures fail.
using MapPicLoader = int (*)(i32 index, PicFrame* frame);
using CurrentMapFn = i32 (*)();
void SetMapPicHooks(MapPicLoader loader, CurrentMapFn currentMap);

// Archive set and offset table.
void SetPicLibPath(const char* folder);
const char* GetPicLibBase();  // folder + "\" ("" when unset)
int OpenPicLib();
void ClosePicLib();

// The cache. A PicFrame stays valid until its node is evicted or freed.
PicFrame* GetPic(u16 pic, u16 frame);
PicFrame* FindCachedPic(u16 pic, u16 frame);
void SetPicMemory(u32 bytes);
void FreePics();
void ClearPicCache();
void TrimPicCache();
void FreeTswBuffers();
// Starts a new frame tick: frames handed out before it may be trimmed again.
void PicCacheNewTick();

// One frame read from the archives without a cache node (the caller frees
// frame->pixels with MH_FREE); 1 on success.
int ReadPicDirect(u16 pic, u16 frame, PicFrame* out);

// What tests and tools read of the cache.
struct PicCacheStats {
    u32 total = 0;
    u32 budget = 0;
    u16 counts[kPicCacheBuckets] = {};
    u32 loads = 0;     // successful archive or map loads
    u32 failures = 0;  // loads refused
};
PicCacheStats GetPicCacheStats();
// The last refusal, naming the file and offset ("" when none since reset).
const char* PicLastError();

// Back to the start state: archives closed, cache and buffers freed, budget
// and hooks cleared.
void ResetPicLib();
