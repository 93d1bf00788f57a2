// PNG writer: signature, IHDR, one IDAT of stored deflate blocks, IEND.
#include "mhdata/PngWrite.h"

#include <algorithm>
#include <fstream>

namespace {

u32 Crc32(const u8* p, size_t n, u32 crc = 0) {
    static u32 table[256];
    static bool built = false;
    if (!built) {
        for (u32 i = 0; i < 256; ++i) {
            u32 c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        built = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBE32(std::vector<u8>& v, u32 x) {
    for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<u8>(x >> s));
}

void Chunk(std::vector<u8>& out, const char* type, const std::vector<u8>& data) {
    PutBE32(out, static_cast<u32>(data.size()));
    std::vector<u8> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBE32(out, Crc32(body.data(), body.size()));
}

// zlib stream of stored blocks of at most 65535 bytes.
std::vector<u8> Stored(const std::vector<u8>& raw) {
    std::vector<u8> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<u8>(n));
        z.push_back(static_cast<u8>(n >> 8));
        z.push_back(static_cast<u8>(~n));
        z.push_back(static_cast<u8>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
                 raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < raw.size());
    u32 a = 1, b = 0;
    for (u8 c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBE32(z, b << 16 | a);
    return z;
}

}  // namespace

std::vector<u8> EncodePng(const u8* rgba, i32 w, i32 h) {
    if (!rgba || w <= 0 || h <= 0) return {};
    std::vector<u8> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<u8> ihdr;
    PutBE32(ihdr, static_cast<u32>(w));
    PutBE32(ihdr, static_cast<u32>(h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace
    Chunk(out, "IHDR", ihdr);
    std::vector<u8> raw;
    raw.reserve(static_cast<size_t>(h) * (w * 4 + 1));
    for (i32 y = 0; y < h; ++y) {
        raw.push_back(0);
        const u8* row = rgba + static_cast<size_t>(y) * w * 4;
        raw.insert(raw.end(), row, row + static_cast<size_t>(w) * 4);
    }
    Chunk(out, "IDAT", Stored(raw));
    Chunk(out, "IEND", {});
    return out;
}

bool WritePng(const std::string& hostPath, const u8* rgba, i32 w, i32 h) {
    std::vector<u8> png = EncodePng(rgba, w, h);
    if (png.empty()) return false;
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}
