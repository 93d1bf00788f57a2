// iconv-backed UTF-8 <-> Big5 conversion.
#include "platform/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>
#include <unordered_map>

namespace {

std::string Convert(std::string_view in, const char* to, const char* from, const char* substitute) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    out.reserve(in.size() * 2);
    char buf[512];
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof(buf);
        size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // Invalid or incomplete sequence: substitute and skip one byte.
            out += substitute;
            ++src;
            --left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Utf8ToBig5(std::string_view utf8) {
    return Convert(utf8, "CP950", "UTF-8", "?");
}

std::string Big5ToUtf8(std::string_view big5) {
    return Convert(big5, "UTF-8", "CP950", "?");
}

const char* B5(const char* utf8) {
    static std::mutex lock;
    static std::unordered_map<std::string, std::string> interned;
    std::lock_guard<std::mutex> guard(lock);
    auto it = interned.find(utf8);
    if (it == interned.end()) it = interned.emplace(utf8, Utf8ToBig5(utf8)).first;
    return it->second.c_str();
}
