// Text tools of the story module: the decimal parser, the countdown digits,
// formatted small-font text, the debug grid of map cells and the 24-bit
// screenshot writer.
#pragma once
#include <vector>

#include "base/Types.h"
#include "map/StoryLink.h"

// An optional sign, then 1 to 9 decimal digits and nothing else: 1 and *out set;
// otherwise 0 and *out untouched.
int StrToInt(const char* s, i32* out);
// Writes w x h screen pixels as a 24-bit BMP at path through a temporary file
// renamed into place; an existing file is never replaced. 1 written, 0 not.
int SaveScreenShot(const u16* pixels, i32 w, i32 h, const char* path);
// The back buffer of the display as the screenshot at path.
void SaveScreenShot(const char* path);
// The BMP bytes of a screenshot (what SaveScreenShot writes).
std::vector<u8> BuildScreenShot(const u16* pixels, i32 w, i32 h);
// Countdown k (0 story, 1 flag) as "m:ss" at (x, y) from picture 9004; the
// digits drawn, in order (10 = the colon), for tests and the drawing.
int CountdownDigits(int k, u8 out[5]);
void DrawCountdown(i32 x, i32 y, int k);
// Draws countdown digit d (10 the colon) from picture 9004 and returns its
// width; a missing frame draws nothing and keeps the place of a 16-pixel digit.
constexpr u16 kCountdownPic = 9004;
i32 DrawCountdownDigit(i32 x, i32 y, int d);

// Formats into a 560-byte buffer (a longer result is cut on a character
// boundary) and draws it with the small font in style 2; the bytes drawn.
constexpr int kFontPrintfBytes = 560;
int FontPrintf(u16* buffer, i32 x, i32 y, u16 colour, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
