// Text tools of the story module: StrToInt, the countdown digits and screenshots.
#include "story/TextTools.h"

#include <cstring>

#include "data/GameFlags.h"
#include "engine/ByteIo.h"
#include "engine/DDraw.h"
#include "engine/File.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "platform/Display.h"
#include "game/pending/SceneStandIn.h"
#include "story/Countdowns.h"

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
    return WriteNewFile(path, bmp.data(), static_cast<u32>(bmp.size()));
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
        if (!GetGameFlag(16)) return 0;
        frames = gStoryCountdown;
    } else {
        if (!GetGameFlag(74)) return 0;
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

void DrawCountdown(i32 x, i32 y, int k) {
    u8 digits[5];
    int n = CountdownDigits(k, digits);
    for (int i = 0; i < n; ++i) x += DrawCountdownDigit(x, y, digits[i]);
}
