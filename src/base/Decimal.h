// Decimal numbers in text.
#pragma once
#include <cstring>

#include "base/Types.h"

// An optional sign, then 1 to 9 decimal digits and nothing else: 1 with the
// value in *out; otherwise 0 and *out untouched.
inline int ParseInt(const char* s, i32* out) {
    if (!s) return 0;
    int sign = 1;
    if (*s == '+' || *s == '-') sign = *s++ == '-' ? -1 : 1;
    size_t n = std::strlen(s);
    if (n < 1 || n > 9) return 0;
    i32 v = 0, scale = 1;
    for (size_t i = n; i-- > 0;) {
        if (s[i] < '0' || s[i] > '9') return 0;
        v += (s[i] - '0') * scale;
        scale *= 10;
    }
    *out = v * sign;
    return 1;
}
