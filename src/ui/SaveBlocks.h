// Field-list pieces shared by the save file and the developer tool's saves:
// raw spans, trailing bytes, the map music rows and LZO-packed blocks.
#pragma once
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/ByteIo.h"
#include "engine/File.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "ui/SaveFile.h"

namespace save_blocks {

// What an LZO block's raw size must be: exactly `fixed` bytes, or `fixed`
// bytes followed by whole `multiple`-byte rows, `most` bytes at the most.
struct BlockRule {
    u32 fixed = 0;
    u32 multiple = 0;  // 0: exactly fixed
    u32 most = 0;
    constexpr bool Allows(u32 raw) const {
        if (multiple == 0) return raw == fixed;
        return raw >= fixed && raw <= most && (raw - fixed) % multiple == 0;
    }
};

inline void Raw(ByteReader& r, void* p, size_t n) {
    r.Bytes(p, n);
}
inline void Raw(ByteWriter& w, const void* p, size_t n) {
    w.Bytes(p, n);
}

inline void RestBytes(ByteReader& r, std::vector<u8>& v) {
    v.resize(r.bytesLeft());
    if (!v.empty()) r.Bytes(v.data(), v.size());
}
inline void RestBytes(ByteWriter& w, const std::vector<u8>& v) {
    w.Bytes(v.data(), v.size());
}

// The map music rows end with a zero map id.
inline void MusicRows(ByteWriter& w, std::vector<MapMusicRow>& music) {
    for (const MapMusicRow& m : music) {
        w.U16(m.mapId);
        w.U16(m.music1);
        w.U16(m.music2);
        w.U16(m.flags);
    }
    w.U16(0);
}
inline void MusicRows(ByteReader& r, std::vector<MapMusicRow>& music) {
    music.clear();
    for (;;) {
        u16 id = r.U16();
        if (!r.ok() || id == 0) return;
        if (!r.Has(6) || music.size() >= static_cast<size_t>(kSaveMaxMusicRows)) return r.Fail();
        MapMusicRow m;
        m.mapId = id;
        m.music1 = r.U16();
        m.music2 = r.U16();
        m.flags = r.U16();
        music.push_back(m);
    }
}

// LZO blocks: [u32 packed][u32 raw][packed bytes]; the body is a field list
// over the raw bytes.
template <class Body>
void Block(ByteWriter& w, const BlockRule&, Body body) {
    ByteWriter inner;
    body(inner);
    i32 packed = 0;
    u8* p = LzoPack(inner.bytes().data(), static_cast<i32>(inner.size()), &packed);
    w.U32(static_cast<u32>(packed));
    w.U32(static_cast<u32>(inner.size()));
    if (p) w.Bytes(p, static_cast<size_t>(packed));
    MH_FREE(p);
}
template <class Body>
void Block(ByteReader& r, const BlockRule& rule, Body body) {
    u32 packed = r.U32();
    u32 raw = r.U32();
    if (!r.ok() || !rule.Allows(raw) || packed > r.bytesLeft()) return r.Fail();
    const u8* src = r.Span(packed);
    // Every block is unpacked with its exact expected size, never more.
    std::vector<u8> buf(std::max<u32>(raw, 1));
    if (!src ||
        LzoUnpackExact(src, static_cast<i32>(packed), buf.data(), static_cast<i32>(raw)) != kLzoOk)
        return r.Fail();
    ByteReader inner(buf.data(), raw);
    body(inner);
    if (!inner.ok() || inner.bytesLeft() != 0) r.Fail();
}

// True when the field list read cleanly and the bytes end exactly after its
// last item; otherwise says where it went wrong.
inline bool EndsAfterLastItem(const ByteReader& r, DataError* error) {
    if (r.ok() && r.bytesLeft() == 0) return true;
    if (error) {
        if (r.ok())
            *error = {"", r.pos(), std::to_string(r.bytesLeft()) + " bytes after the last item"};
        else
            *error = {"", r.pos(), "bad item near here"};
    }
    return false;
}

// Reads a whole save of at most `most` bytes and parses it into a fresh image;
// null with the fault, in the file `path`, in `error` when it cannot be had.
template <class Image>
std::unique_ptr<Image> ReadImageFile(const std::string& path, u32 most,
                                     bool (*parse)(const u8*, size_t, Image*, DataError*),
                                     DataError* error) {
    cFile f;
    std::string bytes;
    if (!f.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ)) {
        if (error)
            *error =
                DataError::Unplaced(path, std::string("cannot be read (") + f.GetErrorText() + ")");
        return nullptr;
    }
    if (f.GetSize() > most || !f.ReadAll(&bytes)) {
        if (error) *error = DataError::Unplaced(path, "too large or unreadable");
        return nullptr;
    }
    f.Close();
    auto img = std::make_unique<Image>();
    DataError why;
    if (!parse(reinterpret_cast<const u8*>(bytes.data()), bytes.size(), img.get(), &why)) {
        why.file = path;
        if (error) *error = why;
        return nullptr;
    }
    return img;
}

}  // namespace save_blocks
