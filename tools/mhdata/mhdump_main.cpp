// mhdump: lists the entries of a picture or act archive, writes one frame of a
// picture to PNG through the game's own archive reader, and cuts the fuzz
// targets' seeds from the sample game.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/ByteIo.h"
#include "platform/Fault.h"
#include "engine/MemDbg.h"
#include "engine/MyAct.h"
#include "engine/RlePic.h"
#include "engine/Tsw.h"
#include "mhdata/FuzzSeeds.h"
#include "mhdata/PngWrite.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: mhdump list <archive.tsw|archive.act>\n"
                 "       mhdump png <root folder> <picture> <frame> <out.png>\n"
                 "       mhdump seeds <sample game folder> <out folder>\n");
    return 2;
}

bool EndsWith(const std::string& s, const char* tail) {
    size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

void ListPicture(const std::vector<u8>& file, const TswEntry& e) {
    ByteReader r(file);
    TswPicHeader h;
    if (r.Seek(e.offset)) TswPicHeaderFields(r, h);
    if (!r.ok() || h.magic != kTswMagic) {
        std::printf("  (no picture at offset %u)\n", e.offset);
        return;
    }
    std::printf("  %u frames, depth %u\n", h.frameCount, h.depth);
    if (h.depth == 8) r.Skip(kTswPaletteSize);
    for (u32 f = 0; f < h.frameCount && r.ok(); ++f) {
        TswFrameRecord rec;
        TswFrameRecordFields(r, rec);
        if (r.ok())
            std::printf("    frame %u: %ux%u, packed %u, unpacked %u at +%u\n", f, rec.width,
                        rec.height, rec.packedSize, rec.unpackedSize, rec.offset);
    }
    if (!r.ok()) std::printf("    (frame table cut off by the end of the file)\n");
}

void ListAct(const std::vector<u8>& file, const TswEntry& e) {
    if (static_cast<u64>(e.offset) + e.size > file.size()) {
        std::printf("  (act data past the end of the file)\n");
        return;
    }
    const u8* data = file.data() + e.offset;
    u32 count = e.size >= 2 ? LoadU16(data) : 0;
    std::printf("  %u parts:", count);
    for (u32 k = 0; k < count; ++k) {
        u32 off = 0, bytes = 0;
        if (FindActPart(data, e.size, static_cast<i32>(k), &off, &bytes))
            std::printf(" %u(%u words)", k, bytes / 2);
    }
    std::printf("\n");
}

int List(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<u8> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.empty()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    bool acts = EndsWith(path, ".act");
    ByteReader r(file);
    r.Skip(kTswHeaderSize);
    for (u32 n = 1; n <= kTswEntryCount; ++n) {
        TswEntry e;
        TswEntryFields(r, e);
        if (!r.ok()) {
            std::printf("directory cut off at entry %u (offset %u)\n", n,
                        kTswHeaderSize + kTswEntrySize * (n - 1));
            return 1;
        }
        if (e.offset == 0) continue;
        std::printf("entry %u \"%s\": %u bytes at %u\n", n, e.name, e.size, e.offset);
        if (acts)
            ListAct(file, e);
        else
            ListPicture(file, e);
    }
    return 0;
}

int Png(const char* root, int pic, int frame, const char* out) {
    SetPicLibPath(root);
    OpenPicLib();
    PicFrame f;
    if (pic < 0 || pic > 0xFFFE || frame < 0 || frame > 0xFFFF ||
        !ReadPicDirect(static_cast<u16>(pic), static_cast<u16>(frame), &f)) {
        std::fprintf(stderr, "picture %d frame %d cannot be read: %s\n", pic, frame,
                     PicLastError());
        ClosePicLib();
        return 1;
    }
    i32 w = 0, h = 0, depth = 0;
    u16* plain = static_cast<u16*>(RleDecode(f.pixels, f.size, &w, &h, &depth));
    MH_FREE(f.pixels);
    ClosePicLib();
    if (!plain) return 1;
    std::vector<u8> rgba(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        u16 v = plain[i];
        rgba[4 * i + 0] = static_cast<u8>(((v >> 10) & 31) * 255 / 31);
        rgba[4 * i + 1] = static_cast<u8>(((v >> 5) & 31) * 255 / 31);
        rgba[4 * i + 2] = static_cast<u8>((v & 31) * 255 / 31);
        rgba[4 * i + 3] = v == 619 ? 0 : 255;
    }
    MH_FREE(plain);
    if (!WritePng(out, rgba.data(), w, h)) {
        std::fprintf(stderr, "mhdump: %s\n", NotWrittenText(out).c_str());
        return 1;
    }
    std::printf("%s: %dx%d\n", out, w, h);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "list") == 0) return List(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "seeds") == 0) {
        std::string error;
        if (WriteFuzzSeeds(argv[2], argv[3], &error)) return 0;
        std::fprintf(stderr, "mhdump: %s\n", error.c_str());
        return 1;
    }
    if (argc == 6 && std::strcmp(argv[1], "png") == 0)
        return Png(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5]);
    return Usage();
}
