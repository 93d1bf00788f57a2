// mhmap: lists the maps of a map archive and writes a map's ground to PNG.
//   mhmap <archive.lmf>                 list the maps
//   mhmap <archive.lmf> <id> <out.png>  write the ground picture of map id
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/ByteIo.h"
#include "platform/Fault.h"
#include "engine/Lzo.h"
#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "mhdata/PngWrite.h"

namespace {

std::vector<u8> ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<u8>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Unpacks the picture blocks of the map at m; empty on any refused block.
std::vector<u8> UnpackGround(const std::vector<u8>& a, u32 m, u32 off) {
    ByteReader r(a);
    std::vector<u8> out;
    if (!r.Seek(static_cast<size_t>(m) + off + 4)) return out;
    u32 block = r.U32(), total = r.U32();
    if (!r.ok() || block == 0 || total > (256u << 20)) return {};
    r.Seek(static_cast<size_t>(m) + off + 16);
    out.resize(total);
    for (u32 done = 0; done < total; done += block) {
        u32 boff = r.U32(), packed = r.U32();
        u32 want = std::min(block, total - done);
        ByteReader b(a);
        const u8* src = b.Seek(static_cast<size_t>(m) + boff) ? b.Span(packed) : nullptr;
        if (!r.ok() || !src ||
            LzoUnpackExact(src, static_cast<i32>(packed), out.data() + done,
                           static_cast<i32>(want)) != kLzoOk)
            return {};
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: mhmap <archive.lmf> [<map id> <out.png>]\n");
        return 2;
    }
    std::vector<u8> a = ReadFile(argv[1]);
    std::vector<MapDirEntry> dir;
    DataError err;
    if (!ReadMapDirectory(a.data(), a.size(), &dir, &err)) {
        err.file = argv[1];
        std::fprintf(stderr, "%s\n", err.Message().c_str());
        return 1;
    }
    for (const MapDirEntry& e : dir) {
        ByteReader r(a);
        bool ok = r.Seek(static_cast<size_t>(e.offset) + 4 + mapHdr::kWidth);
        u16 w = r.U16(), h = r.U16(), bits = r.U16();
        if (argc == 2) {
            std::printf("map %u at %u: %ux%u cells, %u-bit%s\n", e.id, e.offset, w, h, bits,
                        ok && r.ok() ? "" : " (header past the end)");
            continue;
        }
        if (std::to_string(e.id) != argv[2]) continue;
        ByteReader hr(a);
        hr.Seek(static_cast<size_t>(e.offset) + 4 + mapHdr::kPixelOff);
        std::vector<u8> g = UnpackGround(a, e.offset, hr.U32());
        u32 pw = w * 16u, ph = h * 16u;
        size_t need = static_cast<size_t>(pw) * ph * (bits == 8 ? 1 : 2) + (bits == 8 ? 512 : 0);
        if (g.size() < need) {
            std::fprintf(stderr, "map %u: the ground does not unpack\n", e.id);
            return 1;
        }
        std::vector<u8> rgba(static_cast<size_t>(pw) * ph * 4);
        for (size_t i = 0; i < static_cast<size_t>(pw) * ph; ++i) {
            u16 v = bits == 8 ? LoadU16(g.data() + 2 * g[512 + i]) : LoadU16(g.data() + 2 * i);
            rgba[4 * i] = static_cast<u8>(((v >> 10) & 31) * 255 / 31);
            rgba[4 * i + 1] = static_cast<u8>(((v >> 5) & 31) * 255 / 31);
            rgba[4 * i + 2] = static_cast<u8>((v & 31) * 255 / 31);
            rgba[4 * i + 3] = 255;
        }
        if (!WritePng(argv[3], rgba.data(), static_cast<i32>(pw), static_cast<i32>(ph))) {
            std::fprintf(stderr, "mhmap: %s\n", NotWrittenText(argv[3]).c_str());
            return 1;
        }
        return 0;
    }
    if (argc == 4) {
        std::fprintf(stderr, "map %s is not in %s\n", argv[2], argv[1]);
        return 1;
    }
    return 0;
}
