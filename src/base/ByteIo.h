// Bounds-checked little-endian reading and writing of byte buffers, and the
// shared field-list vocabulary (U8, I32, Text, Skip ...) that lets one function
// describe a record for both the loader and the writer.
#pragma once
#include <cstring>
#include <string>
#include <vector>

#include "base/Types.h"

// Reads from a borrowed buffer. The first read that would pass the end fails:
// from then on every read yields zeros and ok() stays false, so a loader reads a
// whole record and checks once.
class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const void* data, size_t size) : p_(static_cast<const u8*>(data)), size_(size) {}
    explicit ByteReader(const std::vector<u8>& v) : ByteReader(v.data(), v.size()) {}

    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    size_t size() const { return size_; }
    size_t bytesLeft() const { return ok_ ? size_ - pos_ : 0; }
    const u8* data() const { return p_; }
    const u8* here() const { return p_ + pos_; }
    void Fail() { ok_ = false; }

    // Moves to an absolute offset; an offset past the end fails.
    bool Seek(size_t off) {
        if (!ok_ || off > size_) return Failed();
        pos_ = off;
        return true;
    }
    bool Skip(size_t n) {
        if (!Has(n)) return Failed();
        pos_ += n;
        return true;
    }
    // True when n more bytes can be read.
    bool Has(size_t n) const { return ok_ && n <= size_ - pos_; }
    // True when count records of recSize bytes fit in what is left.
    bool HasRecords(u64 count, size_t recSize) const {
        return ok_ && (recSize == 0 || count <= (size_ - pos_) / recSize);
    }

    u8 U8() { return static_cast<u8>(Get(1)); }
    i8 I8() { return static_cast<i8>(Get(1)); }
    u16 U16() { return static_cast<u16>(Get(2)); }
    i16 I16() { return static_cast<i16>(Get(2)); }
    u32 U32() { return static_cast<u32>(Get(4)); }
    i32 I32() { return static_cast<i32>(Get(4)); }

    // Copies n bytes; on failure the destination is zeroed.
    bool Bytes(void* dst, size_t n) {
        if (!Has(n)) {
            if (n) std::memset(dst, 0, n);
            return Failed();
        }
        if (n) std::memcpy(dst, p_ + pos_, n);
        pos_ += n;
        return true;
    }
    // A view of n bytes inside the buffer, or null (and failure) when they are not all there.
    const u8* Span(size_t n) {
        if (!Has(n)) {
            Failed();
            return nullptr;
        }
        const u8* s = p_ + pos_;
        pos_ += n;
        return s;
    }

    // Field-list vocabulary (see ByteWriter for the same names).
    void Field(u8& v) { v = U8(); }
    void Field(i8& v) { v = I8(); }
    void Field(u16& v) { v = U16(); }
    void Field(i16& v) { v = I16(); }
    void Field(u32& v) { v = U32(); }
    void Field(i32& v) { v = I32(); }
    template <class T>
    void Array(T* v, size_t n) {
        for (size_t i = 0; i < n; ++i) Field(v[i]);
    }
    // Fixed-width text: width bytes, the last byte of the buffer forced to zero.
    void Text(char* s, size_t width) {
        Bytes(s, width);
        if (width) s[width - 1] = 0;
    }
    void Pad(size_t n) { Skip(n); }

private:
    bool Failed() {
        ok_ = false;
        return false;
    }
    u32 Get(int n) {
        if (!Has(static_cast<size_t>(n))) {
            ok_ = false;
            return 0;
        }
        u32 v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<u32>(p_[pos_ + i]) << (8 * i);
        pos_ += static_cast<size_t>(n);
        return v;
    }

    const u8* p_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Appends little-endian values to a growing buffer.
class ByteWriter {
public:
    std::vector<u8>& bytes() { return buf_; }
    const std::vector<u8>& bytes() const { return buf_; }
    size_t size() const { return buf_.size(); }
    bool ok() const { return true; }

    void U8(u8 v) { buf_.push_back(v); }
    void I8(i8 v) { U8(static_cast<u8>(v)); }
    void U16(u16 v) { Put(v, 2); }
    void I16(i16 v) { Put(static_cast<u16>(v), 2); }
    void U32(u32 v) { Put(v, 4); }
    void I32(i32 v) { Put(static_cast<u32>(v), 4); }
    void Bytes(const void* src, size_t n) {
        const u8* s = static_cast<const u8*>(src);
        buf_.insert(buf_.end(), s, s + n);
    }
    void Zeros(size_t n) { buf_.insert(buf_.end(), n, 0); }
    // Overwrites a u32 already written at off (for offset tables filled in afterwards).
    void PatchU32(size_t off, u32 v) {
        for (int i = 0; i < 4; ++i) buf_[off + i] = static_cast<u8>(v >> (8 * i));
    }

    void Field(const u8& v) { U8(v); }
    void Field(const i8& v) { I8(v); }
    void Field(const u16& v) { U16(v); }
    void Field(const i16& v) { I16(v); }
    void Field(const u32& v) { U32(v); }
    void Field(const i32& v) { I32(v); }
    template <class T>
    void Array(const T* v, size_t n) {
        for (size_t i = 0; i < n; ++i) Field(v[i]);
    }
    // Fixed-width text: the string's bytes up to width - 1, then zeros.
    void Text(const char* s, size_t width) {
        size_t n = strnlen(s, width ? width - 1 : 0);
        Bytes(s, n);
        Zeros(width - n);
    }
    void Pad(size_t n) { Zeros(n); }

private:
    void Put(u32 v, int n) {
        for (int i = 0; i < n; ++i) buf_.push_back(static_cast<u8>(v >> (8 * i)));
    }
    std::vector<u8> buf_;
};

// Little-endian access to raw memory without alignment assumptions.
inline u16 LoadU16(const void* p) {
    const u8* b = static_cast<const u8*>(p);
    return static_cast<u16>(b[0] | (b[1] << 8));
}
inline u32 LoadU32(const void* p) {
    const u8* b = static_cast<const u8*>(p);
    return static_cast<u32>(b[0]) | (static_cast<u32>(b[1]) << 8) | (static_cast<u32>(b[2]) << 16) |
           (static_cast<u32>(b[3]) << 24);
}
inline void StoreU16(void* p, u16 v) {
    u8* b = static_cast<u8*>(p);
    b[0] = static_cast<u8>(v);
    b[1] = static_cast<u8>(v >> 8);
}
inline void StoreU32(void* p, u32 v) {
    u8* b = static_cast<u8*>(p);
    for (int i = 0; i < 4; ++i) b[i] = static_cast<u8>(v >> (8 * i));
}
