// The map cache under "data": the slot table "mcache.dat" and the unpacked,
// screen-converted map pictures "%d.cm", with eviction by age and size, the
// run mark and colour stamp checks, and the progress pump of long loads.
#pragma once
#include "base/Types.h"
#include "engine/File.h"

constexpr int kCacheSlots = 24;
constexpr int kCacheSlotBytes = 16;
constexpr u32 kFreeSlot = 0xFFFFFFFFu;
constexpr int kBlockHeader = 1024;
constexpr int kOldBlockHeader = 424;

struct CacheSlot {
    u32 mapId = kFreeSlot;
    u32 size = 0;
    u32 age = 0;
    u32 file = 0;
};

template <class Io, class S>
void CacheSlotFields(Io& io, S& s) {
    io.Field(s.mapId);
    io.Field(s.size);
    io.Field(s.age);
    io.Field(s.file);
}

extern cFile gMapArchiveFile;  // the archive LoadMap3 has open
extern cFile gCacheFile;       // the mapped "%d.cm"
// Counts of work done, for tests and benchmarks: maps unpacked into the cache.
extern u32 gMapsUnpacked;

const u8* GetCachedMap(u32 n, u32 m, u32 off, int kind);
int DecompressMap(int slot, u32 m, u32 off, int kind, u32* outSize);
int GetMapRawSize(u32 n, u32 m, u32 off, int kind, u32* outSize);
const u8* GetCacheMapUnit(int n);
// The map's picture unpacked into memory, for when the cache cannot hold it;
// released with the map view. Null when the blocks do not unpack.
const u8* UnpackMapInMemory(u32 m, u32 off, int kind, u32* size);
u32 ResetMapCache(int mode);
u32 GetMapCacheSize();
int PumpAudio();
void SetRunMark();
void ClearRunMark();
// Unmaps gMap.Pixel and closes the cache file.
void ReleaseMapView();
// Reads and writes the slot table; false when the file is not a whole table.
// A write is flushed to the disk before the new table takes the old one's
// name, once (see GetCachedMap), or not at all.
bool ReadCacheTable(CacheSlot slots[kCacheSlots]);
bool WriteCacheTable(const CacheSlot slots[kCacheSlots], Flush flush = Flush::kBytes);
void ResetMapCacheState();
