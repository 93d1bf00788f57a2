// LZO packing over liblzo2 with every unpack bounded by its real capacity.
#include "engine/Lzo.h"
#include "engine/MemDbg.h"

#include <lzo/lzo1x.h>

#include <cstring>

#include "base/ByteIo.h"

namespace {

bool LzoReady() {
    static const bool ok = lzo_init() == LZO_E_OK;
    return ok;
}

// Packs into out (capacity LzoWorstCase(size)); the work memory is our own.
int PackInto(const void* data, i32 size, u8* out, i32* packedSize) {
    if (!LzoReady()) return kLzoError;
    void* work = MH_ALLOC(LZO1X_1_MEM_COMPRESS);
    lzo_uint outLen = 0;
    int rc = lzo1x_1_compress(static_cast<const u8*>(data), static_cast<lzo_uint>(size), out,
                              &outLen, work);
    MH_FREE(work);
    *packedSize = rc == LZO_E_OK ? static_cast<i32>(outLen) : 0;
    return rc;
}

}  // namespace

// The library can grow incompressible data past size + 32, so the buffer is its worst case.
u8* LzoPack(const void* data, i32 size, i32* packedSize) {
    if (packedSize) *packedSize = 0;
    if (size < 0 || (size > 0 && !data)) return nullptr;
    u8* out = static_cast<u8*>(MH_ALLOC_ZERO(static_cast<i32>(LzoWorstCase(size))));
    i32 n = 0;
    if (PackInto(data, size, out, &n) != LZO_E_OK) {
        MH_FREE(out);
        return nullptr;
    }
    if (packedSize) *packedSize = n;
    return out;
}

int LzoUnpack(const void* packed, void* destination, i32 packedSize, i32* unpackedSize) {
    if (!LzoReady() || !packed || !destination || !unpackedSize || packedSize < 0 ||
        *unpackedSize < 0) {
        if (unpackedSize) *unpackedSize = 0;
        return kLzoError;
    }
    lzo_uint outLen = static_cast<lzo_uint>(*unpackedSize);
    int rc =
        lzo1x_decompress_safe(static_cast<const u8*>(packed), static_cast<lzo_uint>(packedSize),
                              static_cast<u8*>(destination), &outLen, nullptr);
    *unpackedSize = static_cast<i32>(outLen);
    return rc;
}

int LzoUnpackExact(const void* packed, i32 packedSize, void* destination, i32 expected) {
    i32 n = expected;
    int rc = LzoUnpack(packed, destination, packedSize, &n);
    if (rc != LZO_E_OK) return rc;
    return n == expected ? kLzoOk : kLzoBadLength;
}

u8* PackMemory(const void* data, i32 size, i32* outSize) {
    return LzoPack(data, size, outSize);
}

int UnpackMemory(const void* packed, i32 packedSize, void* output, i32* outSize) {
    return LzoUnpack(packed, output, packedSize, outSize) == LZO_E_OK ? 1 : 0;
}

u8* PackBlock(const void* data, i32 size, i32* outSize) {
    if (outSize) *outSize = 0;
    if (size < 0 || (size > 0 && !data)) return nullptr;
    u8* out = static_cast<u8*>(MH_ALLOC_ZERO(static_cast<i32>(LzoWorstCase(size) + 8)));
    i32 n = 0;
    if (PackInto(data, size, out + 8, &n) != LZO_E_OK) {
        MH_FREE(out);
        return nullptr;
    }
    ByteWriter w;
    w.U32(static_cast<u32>(n));
    w.U32(static_cast<u32>(size));
    std::memcpy(out, w.bytes().data(), 8);
    if (outSize) *outSize = n + 8;
    return out;
}

u8* UnpackBlock(const void* block, i32 blockSize, i32* outSize, i32 maxUnpacked) {
    if (outSize) *outSize = 0;
    if (!block || blockSize < 8) return nullptr;
    ByteReader r(block, static_cast<size_t>(blockSize));
    u32 packed = r.U32();
    u32 unpacked = r.U32();
    if (packed > r.bytesLeft() || unpacked > static_cast<u32>(maxUnpacked) ||
        unpacked > 0x7FFFFFF0u)
        return nullptr;
    // One spare byte so that an empty block still gets a real buffer.
    u8* out = static_cast<u8*>(MH_ALLOC(static_cast<i32>(unpacked) + 1));
    if (LzoUnpackExact(r.here(), static_cast<i32>(packed), out, static_cast<i32>(unpacked)) !=
        kLzoOk) {
        MH_FREE(out);
        return nullptr;
    }
    if (outSize) *outSize = static_cast<i32>(unpacked);
    return out;
}
