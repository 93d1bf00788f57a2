// LZO1X-1 packing and bounded LZO1X unpacking of memory blocks (liblzo2), the
// LZO blocks with their 8-byte header, and the memory-packing helpers.
#pragma once
#include "base/Types.h"

// The library's worst case for n input bytes.
constexpr size_t LzoWorstCase(size_t n) {
    return n + n / 16 + 64 + 3;
}

constexpr int kLzoOk = 0;      // LZO_E_OK
constexpr int kLzoError = -1;  // LZO_E_ERROR
constexpr int kLzoOutputOverrun = -5;
constexpr int kLzoInputOverrun = -4;
constexpr int kLzoBadLength = -100;  // ours: the block unpacked to another length

// Packs size bytes into a new buffer from the debug allocator (the caller frees
// it); null for a negative size.
u8* LzoPack(const void* data, i32 size, i32* packedSize);
// Unpacks into destination, whose capacity is *unpackedSize on entry; on exit it
// holds what was written. Returns the library's result code.
int LzoUnpack(const void* packed, void* destination, i32 packedSize, i32* unpackedSize);
// Unpacks and insists on exactly expected bytes (kLzoBadLength otherwise).
int LzoUnpackExact(const void* packed, i32 packedSize, void* destination, i32 expected);

// Memory packing: buffers from the debug allocator that the caller frees.
u8* PackMemory(const void* data, i32 size, i32* outSize);
// Capacity of output is *outSize on entry; 1 when it unpacked cleanly.
int UnpackMemory(const void* packed, i32 packedSize, void* output, i32* outSize);
// The LZO block: u32 packed size, u32 unpacked size, then the packed bytes.
u8* PackBlock(const void* data, i32 size, i32* outSize);
// Null unless the block is whole and unpacks to exactly its stated size; a
// block larger than maxUnpacked is refused before anything is allocated.
u8* UnpackBlock(const void* block, i32 blockSize, i32* outSize, i32 maxUnpacked = 64 << 20);
