// Writes picture-show packs: header, LZO frames each ending with the next
// frame's header, and the final 1,024-byte palette block.
#include "mhdata/PicShowPack.h"

#include <fstream>

#include "base/ByteIo.h"
#include "platform/Fault.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "story/PicShow.h"

#include "mhdata/SampleFigures.h"

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
    spec.interval = kSamplePicShowInterval;
    // The whole harbour (the bars close in over it), then only the rows the
    // ship sails through: each frame draws over what the one before left.
    for (int k = 0; k < kSamplePicShowFrames; ++k) {
        const ArchiveFrame picture = HarbourShipFigure(k, kSamplePicShowFrames);
        const i32 top = k == 0 ? 0 : kShipTop;
        const i32 bottom = k == 0 ? picture.h : kShipBottom;
        PicShowFrameSpec f;
        for (i32 y = top; y < bottom; ++y) {
            PicShowRow r;
            r.target = static_cast<u32>(y) * 640;
            const auto row = picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.w;
            r.pixels.assign(row, row + picture.w);
            f.push_back(std::move(r));
        }
        spec.frames.push_back(std::move(f));
    }
    std::vector<u8> bytes = BuildPicShowPack(spec);
    std::string path = root + "/Video/" + kSamplePicShowName;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) *error = NotWrittenText(path);
    return static_cast<bool>(out);
}
