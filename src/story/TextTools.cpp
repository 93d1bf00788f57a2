// Text tools of the story module: StrToInt, the countdown digits, FontPrintf,
// the debug cell grid and screenshots.
#include "story/TextTools.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/Big5.h"
#include "base/ByteIo.h"
#include "platform/Display.h"
#include "platform/Fault.h"
#include "engine/DDraw.h"
#include "engine/File.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "data/GameFlags.h"
#include "map/ActDraw.h"
#include "map/City.h"
#include "map/MapArchive.h"
#include "map/MapScene.h"
#include "story/Countdowns.h"
#include "story/Dialog.h"

int StrToInt(const char* s, i32* out) {
    if (!s) return 0;
    int sign = 1;
    if (*s == '+' || *s == '-') sign = *s++ == '-' ? -1 : 1;
    size_t n = std::strlen(s);
    if (n < 1 || n > 9) return 0;
    for (size_t i = 0; i < n; ++i)
        if (s[i] < '0' || s[i] > '9') return 0;
    i32 v = 0, scale = 1;
    for (size_t i = n; i-- > 0; scale *= 10) v += (s[i] - '0') * scale;
    *out = sign * v;
    return 1;
}

std::vector<u8> BuildScreenShot(const u16* pixels, i32 w, i32 h) {
    u32 row = static_cast<u32>(w) * 3;
    u32 stride = (row + 3) & ~3u;
    u32 size = 54 + stride * static_cast<u32>(h);
    ByteWriter out;
    out.U8('B');
    out.U8('M');
    out.U32(size);
    out.U32(0);
    out.U32(54);
    out.U32(40);
    out.I32(w);
    out.I32(h);
    out.U16(1);
    out.U16(24);
    out.Zeros(24);
    for (i32 y = h - 1; y >= 0; --y) {
        for (i32 x = 0; x < w; ++x) {
            u16 p = ConvertPixelBack(pixels[static_cast<size_t>(y) * w + x]);
            out.U8(static_cast<u8>((p & 0x1F) << 3));
            out.U8(static_cast<u8>(((p >> 5) & 0x1F) << 3));
            out.U8(static_cast<u8>(((p >> 10) & 0x1F) << 3));
        }
        out.Zeros(stride - row);
    }
    return std::move(out.bytes());
}

int SaveScreenShot(const u16* pixels, i32 w, i32 h, const char* path) {
    if (!pixels || w <= 0 || h <= 0 || !path) return 0;
    std::vector<u8> bmp = BuildScreenShot(pixels, w, h);
    if (WriteNewFile(path, bmp.data(), static_cast<u32>(bmp.size()))) return 1;
    ReportNotWritten(path, std::strerror(LastWriteError()));
    return 0;
}

void SaveScreenShot(const char* path) {
    if (!gDrawSurface) return;
    i32 w = 0, h = 0, pitch = 0;
    DisplaySurfaceSize(gDrawSurface, &w, &h, &pitch);
    u16* p = DisplayLock(gDrawSurface, &pitch);
    if (!p) return;
    std::vector<u16> copy(static_cast<size_t>(w) * h);
    for (i32 y = 0; y < h; ++y)
        std::memcpy(&copy[static_cast<size_t>(y) * w],
                    reinterpret_cast<u8*>(p) + static_cast<size_t>(y) * pitch,
                    static_cast<size_t>(w) * 2);
    DisplayUnlock(gDrawSurface);
    SaveScreenShot(copy.data(), w, h, path);
}

int CountdownDigits(int k, u8 out[5]) {
    i32 frames = 0;
    if (k == 0) {
        if (!GetGameFlag(kStoryCountdownFlag)) return 0;
        frames = gStoryCountdown;
    } else {
        if (!GetGameFlag(kFlagCountdownFlag)) return 0;
        frames = gFlagCountdown;
    }
    if (frames < 0) frames = 0;
    i32 seconds = frames / 30, minutes = seconds / 60;
    seconds %= 60;
    int n = 0;
    if (minutes / 10 % 10) out[n++] = static_cast<u8>(minutes / 10 % 10);
    out[n++] = static_cast<u8>(minutes % 10);
    out[n++] = 10;
    out[n++] = static_cast<u8>(seconds / 10);
    out[n++] = static_cast<u8>(seconds % 10);
    return n;
}

i32 DrawCountdownDigit(i32 x, i32 y, int d) {
    if (d < 0 || d > 10) return 0;
    PicFrame* f = GetPic(kCountdownPic, static_cast<u16>(d));
    if (!f || !f->pixels || f->width <= 0) return 16;
    DrawPicFrame(kCountdownPic, d, x, y);
    return f->width;
}

void DrawCountdown(i32 x, i32 y, int k) {
    u8 digits[5];
    int n = CountdownDigits(k, digits);
    for (int i = 0; i < n; ++i) x += DrawCountdownDigit(x, y, digits[i]);
}

namespace {
i32 FloorDiv16(i32 v) {
    return v >= 0 ? v / 16 : -((15 - v) / 16);
}
}  // namespace

int FontPrintf(u16* buffer, i32 x, i32 y, u16 colour, const char* format, ...) {
    if (!format) return 0;
    char text[kFontPrintfBytes];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    if (n < 0) return 0;
    size_t len = Big5Cut(text, std::strlen(text), std::strlen(text));
    text[len] = 0;
    if (!buffer) return static_cast<int>(len);
    gSmallFont.DrawString(buffer, x, y, text, colour, kStyleShadow);
    return static_cast<int>(len);
}

void DrawCellFlags(u32 mask, u16 colour, i32 vx, i32 vy, i32 inset) {
    if (!gPaintBuf || !gMap.cells || inset < 0 || inset > 14) return;
    i32 cx0 = FloorDiv16(vx) + 1, cy0 = FloorDiv16(vy) + 1;
    i32 subX = vx - FloorDiv16(vx) * 16, subY = vy - FloorDiv16(vy) * 16;
    i32 side = 15 - inset;
    for (i32 r = 0; r < 28; ++r) {
        i32 cy = cy0 + r;
        if (cy < 0 || cy >= static_cast<i32>(gMap.height)) continue;
        for (i32 c = 0; c < 38; ++c) {
            i32 cx = cx0 + c;
            if (cx < 0 || cx >= static_cast<i32>(gMap.width)) continue;
            if (!(gMap.cells[static_cast<size_t>(cy) * gMap.width + cx] & mask)) continue;
            DrawRectFrame((c + 1) * 16 - subX + inset, (r + 1) * 16 - subY + inset, side, side,
                          colour);
        }
    }
}
