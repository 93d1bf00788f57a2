// Big5 text at the byte level: lead bytes, cuts on character boundaries and the
// "%Q" end mark of the game's texts.
#pragma once
#include <algorithm>
#include <cstddef>

#include "base/Types.h"

inline bool IsBig5Lead(u8 b) {
    return b >= 0x81 && b <= 0xFE;
}

// The longest prefix of s (len bytes) of at most n bytes that holds whole
// characters: a lead byte whose trail would fall past the limit is left out.
inline size_t Big5Cut(const char* s, size_t len, size_t n) {
    size_t limit = std::min(len, n), i = 0;
    while (i < limit) {
        size_t step = IsBig5Lead(static_cast<u8>(s[i])) ? 2 : 1;
        if (i + step > limit) break;
        i += step;
    }
    return i;
}

// Offset of the "%Q" end mark in the len bytes at s, or npos. A trail byte is
// never '%', so a plain search cannot stop inside a character.
constexpr size_t kNoMark = static_cast<size_t>(-1);
inline size_t FindQMark(const char* s, size_t len) {
    for (size_t i = 0; i + 1 < len; ++i)
        if (s[i] == '%' && s[i + 1] == 'Q') return i;
    return kNoMark;
}
