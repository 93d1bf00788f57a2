// Save-file helpers of the tests: the packed blocks read back.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "base/ByteIo.h"
#include "engine/Lzo.h"

// Reads one LZO block at off; returns its raw bytes and moves off past it.
inline std::vector<u8> UnpackAt(const std::vector<u8>& f, size_t* off) {
    u32 packed = LoadU32(&f[*off]);
    u32 raw = LoadU32(&f[*off + 4]);
    std::vector<u8> out(raw + 1);
    EXPECT_EQ(
        LzoUnpackExact(&f[*off + 8], static_cast<i32>(packed), out.data(), static_cast<i32>(raw)),
        kLzoOk);
    out.resize(raw);
    *off += 8 + packed;
    return out;
}
