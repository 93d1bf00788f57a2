// Single Big5 characters converted through iconv: to Unicode for the glyph
// source, and to GB2312 for the code map. Splitting text into characters is the
// caller's work; these take one character's bytes.
#pragma once
#include "base/Types.h"

// The Unicode code point of a Big5 character (trail 0 for a single byte); 0 when
// code page 950 has no character there.
u32 Big5CharToUnicode(u8 lead, u8 trail);
// The two GB2312 bytes of a Big5 character, first byte in the low half; 0 when
// GB2312 has no such character.
u16 Big5CharToGb2312(u8 lead, u8 trail);
