// Writes picture-show packs: header, LZO frames each ending with the next
// frame's header, and the final 1,024-byte palette block.
#include "mhdata/PicShowPack.h"

#include <fstream>

#include "base/ByteIo.h"
#include "base/MemDbg.h"
#include "engine/Lzo.h"
#include "story/PicShow.h"

std::vector<u8> PicShowFrameBytes(const PicShowFrameSpec& f, u32 bits) {
    ByteWriter w;
    for (const PicShowRow& r : f) {
        u32 bytes = static_cast<u32>(r.pixels.size()) * (bits / 8);
        w.U32(kPicShowRowHead + bytes);
        w.U32(r.target);
        for (u16 p : r.pixels) {
            if (bits == 8)
                w.U8(static_cast<u8>(p));
            else
                w.U16(p);
        }
    }
    return w.bytes();
}

std::vector<u8> BuildPicShowPackRaw(const PicShowSpec& spec,
                                    const std::vector<std::vector<u8>>& frames,
                                    const std::vector<u32>& rowCounts) {
    std::vector<std::vector<u8>> packed;
    for (const std::vector<u8>& f : frames) {
        i32 size = 0;
        u8* p = LzoPack(f.data(), static_cast<i32>(f.size()), &size);
        packed.emplace_back(p, p + size);
        MH_FREE(p);
    }
    auto frameHeader = [&](ByteWriter& w, size_t k) {
        if (k >= frames.size()) {
            w.U32(0);
            w.U32(0);
            w.U32(0);
            return;
        }
        w.U32(static_cast<u32>(packed[k].size()) + kPicShowFrameHeaderSize);
        w.U32(rowCounts[k]);
        w.U32(static_cast<u32>(frames[k].size()));
    };
    ByteWriter w;
    PicShowHeader h;
    h.frames = static_cast<u32>(frames.size());
    h.bits = spec.bits;
    h.interval = spec.interval;
    ByteWriter head;
    PicShowHeaderFields(head, h);
    std::vector<u8> hb = head.bytes();
    w.Bytes(hb.data(), 24);
    frameHeader(w, 0);
    for (size_t k = 0; k < frames.size(); ++k) {
        w.Bytes(packed[k].data(), packed[k].size());
        frameHeader(w, k + 1);
    }
    for (int i = 0; i < 256; ++i) {
        u32 c = i < static_cast<int>(spec.palette.size()) ? spec.palette[i] : 0;
        w.U8(static_cast<u8>(c >> 16));
        w.U8(static_cast<u8>(c >> 8));
        w.U8(static_cast<u8>(c));
        w.U8(0);
    }
    return w.bytes();
}

std::vector<u8> BuildPicShowPack(const PicShowSpec& spec) {
    std::vector<std::vector<u8>> frames;
    std::vector<u32> rows;
    for (const PicShowFrameSpec& f : spec.frames) {
        frames.push_back(PicShowFrameBytes(f, spec.bits));
        rows.push_back(static_cast<u32>(f.size()));
    }
    return BuildPicShowPackRaw(spec, frames, rows);
}

bool WriteSamplePicShow(const std::string& root, std::string* error) {
    PicShowSpec spec;
    // Three pictures: a sea band, a harbour wall over it, a lighthouse beam.
    const u16 colours[3] = {0x001F, 0x4210, 0x7FE0};
    for (int k = 0; k < 3; ++k) {
        PicShowFrameSpec f;
        for (u32 y = 100; y < 380; y += 2) {
            PicShowRow r;
            r.target = y * 640 + 40 * k;
            r.pixels.assign(560, colours[k]);
            f.push_back(std::move(r));
        }
        spec.frames.push_back(std::move(f));
    }
    std::vector<u8> bytes = BuildPicShowPack(spec);
    std::string path = root + "/Video/" + kSamplePicShowName;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) *error = "cannot write " + path;
    return static_cast<bool>(out);
}
