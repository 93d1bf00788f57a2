// PNG writing with stored deflate blocks: no compression library needed.
#include "mhdata/Png.h"

#include <algorithm>
#include <fstream>

namespace {

u32 Crc(const u8* p, size_t n, u32 c = 0xFFFFFFFFu) {
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return c;
}

void Be32(std::vector<u8>& o, u32 v) {
    for (int s = 24; s >= 0; s -= 8) o.push_back(static_cast<u8>(v >> s));
}

void Chunk(std::vector<u8>& o, const char* type, const std::vector<u8>& data) {
    Be32(o, static_cast<u32>(data.size()));
    size_t start = o.size();
    o.insert(o.end(), type, type + 4);
    o.insert(o.end(), data.begin(), data.end());
    Be32(o, Crc(o.data() + start, o.size() - start) ^ 0xFFFFFFFFu);
}

}  // namespace

std::vector<u8> EncodePng(u32 w, u32 h, const std::vector<u8>& rgb) {
    std::vector<u8> raw;
    raw.reserve(static_cast<size_t>(h) * (w * 3 + 1));
    for (u32 y = 0; y < h; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + static_cast<size_t>(y) * w * 3,
                   rgb.begin() + static_cast<size_t>(y + 1) * w * 3);
    }
    std::vector<u8> z = {0x78, 0x01};
    u32 a = 1, b = 0;
    for (u8 c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t i = 0; i < raw.size() || i == 0; i += 65535) {
        size_t n = std::min<size_t>(65535, raw.size() - i);
        z.push_back(i + n >= raw.size() ? 1 : 0);
        z.push_back(static_cast<u8>(n));
        z.push_back(static_cast<u8>(n >> 8));
        z.push_back(static_cast<u8>(~n));
        z.push_back(static_cast<u8>(~n >> 8));
        z.insert(z.end(), raw.begin() + i, raw.begin() + i + n);
        if (raw.empty()) break;
    }
    Be32(z, (b << 16) | a);
    std::vector<u8> o = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<u8> ihdr;
    Be32(ihdr, w);
    Be32(ihdr, h);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    Chunk(o, "IHDR", ihdr);
    Chunk(o, "IDAT", z);
    Chunk(o, "IEND", {});
    return o;
}

bool WritePng(const std::string& path, u32 w, u32 h, const std::vector<u8>& rgb) {
    std::vector<u8> png = EncodePng(w, h, rgb);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}
