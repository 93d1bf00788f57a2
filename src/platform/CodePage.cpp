// iconv conversions of single Big5 characters.
#include "platform/CodePage.h"

#include <iconv.h>

namespace {

// One converter per direction, opened on first use and kept.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Ok()) iconv_close(cd_);
    }
    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Converts in[0..n) whole; returns the bytes written or -1.
    int Run(const char* in, size_t n, char* out, size_t room) {
        if (!Ok()) return -1;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        char* dst = out;
        size_t left = n;
        size_t space = room;
        if (iconv(cd_, &src, &left, &dst, &space) == static_cast<size_t>(-1)) return -1;
        if (left != 0) return -1;
        return static_cast<int>(dst - out);
    }

private:
    iconv_t cd_;
};

int Bytes(u8 lead, u8 trail, char* in) {
    in[0] = static_cast<char>(lead);
    in[1] = static_cast<char>(trail);
    return trail ? 2 : 1;
}

}  // namespace

u32 Big5CharToUnicode(u8 lead, u8 trail) {
    static Converter conv("UTF-32LE", "CP950");
    char in[2];
    unsigned char out[8];
    int n = conv.Run(in, Bytes(lead, trail, in), reinterpret_cast<char*>(out), sizeof out);
    if (n != 4) return 0;
    return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<u32>(out[3]) << 24);
}

u16 Big5CharToGb2312(u8 lead, u8 trail) {
    static Converter conv("GB2312", "CP950");
    if (!trail) return 0;
    char in[2];
    unsigned char out[8];
    int n = conv.Run(in, Bytes(lead, trail, in), reinterpret_cast<char*>(out), sizeof out);
    if (n != 2) return 0;
    return static_cast<u16>(out[0] | (out[1] << 8));
}
