// The picture show: opening the pack, unpacking and checking each frame,
// drawing it between black bars and fading out after the last frame.
#include "story/PicShow.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "platform/Win.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/File.h"
#include "engine/FrameState.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "data/Config.h"
#include "map/SessionServices.h"

PicShowState gPicShow;

namespace {

constexpr u32 kScreenPixels = 640 * 480;
constexpr i32 kOpeningCounter = -13;  // bars of 52 + 4 * counter lines grow to 52
constexpr i32 kClosingStart = 10000;
constexpr i32 kClosingEnd = 10016;

cFile gPicShowFile;

bool ReadAt(u32 off, void* dst, u32 n) {
    if (u64{off} + n > gPicShow.fileSize) return false;
    if (!gPicShowFile.SeekSet(static_cast<i32>(off))) return false;
    u32 got = n;
    return gPicShowFile.Read(dst, &got) && got == n;
}

void Fault(const char* what, u32 off) {
    ReportDataError({gPicShow.path, off, what});
}

u16 Rgb555(u32 r, u32 g, u32 b) {
    return static_cast<u16>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

// The final block: 256 four-byte RGB entries, the show's first palette.
bool ReadPalette() {
    u8 block[kPicShowPaletteBlock];
    if (gPicShow.fileSize < kPicShowHeaderSize + kPicShowPaletteBlock) return false;
    if (!ReadAt(gPicShow.fileSize - kPicShowPaletteBlock, block, kPicShowPaletteBlock))
        return false;
    for (int i = 0; i < 256; ++i)
        gPicShow.palette[i] = Rgb555(block[4 * i], block[4 * i + 1], block[4 * i + 2]);
    ConvertPixels(gPicShow.palette, 256);
    return true;
}

// Where the frames end: the palettes and the final block follow them.
u32 FramesEnd() {
    u64 tail = kPicShowPaletteBlock + u64{gPicShow.header.palettes} * 768;
    return tail > gPicShow.fileSize ? 0 : static_cast<u32>(gPicShow.fileSize - tail);
}

void DrawBars(u16* canvas, i32 lines) {
    lines = std::clamp(lines, 0, 240);
    std::memset(canvas, 0, static_cast<size_t>(lines) * 640 * 2);
    std::memset(canvas + (480 - lines) * 640, 0, static_cast<size_t>(lines) * 640 * 2);
}

void ShowPicture(i32 bars) {
    if (!gPaintBuf) return;
    std::memcpy(gPaintBuf, gPicShow.frameBuf[1], kScreenPixels * 2);
    DrawBars(gPaintBuf, bars);
}

void FadePicture(i32 step) {
    if (!gPaintBuf) return;
    u16* src = reinterpret_cast<u16*>(gPicShow.frameBuf[1]);
    for (u32 i = 0; i < kScreenPixels; ++i) {
        u16 v = ConvertPixelBack(src[i]);
        i32 r = std::max(0, ((v >> 10) & 31) - step), g = std::max(0, ((v >> 5) & 31) - step),
            b = std::max(0, (v & 31) - step);
        gPaintBuf[i] = ConvertPixel(static_cast<u16>((r << 10) | (g << 5) | b));
    }
    DrawBars(gPaintBuf, 52);
}

}  // namespace

bool StartPicShow(const char* name, u32 soundFlags, const char* folder) {
    (void)soundFlags;
    StopPicShow();
    gPicShow.path = std::string(folder ? folder : gBasePath) + "Video\\" + name;
    if (!gPicShowFile.Open(gPicShow.path.c_str(), OPEN_EXISTING, GENERIC_READ)) {
        ReportDataError(BoxedDataError(DataError::Unplaced(gPicShow.path, "cannot be opened"),
                                       "MAni File Error!\n%s", gPicShow.path.c_str()),
                        "MAni Open Failure!");
        return false;
    }
    gPicShow.fileSize = gPicShowFile.GetSize();
    u8 head[kPicShowHeaderSize];
    if (!ReadAt(0, head, kPicShowHeaderSize)) {
        ReportDataError(
            DataError::Unplaced("", "Talk:Ani_Open Header read fail ," + gPicShow.path));
        Sleep(250);
        gPicShowFile.Close();
        return false;
    }
    ByteReader r(head, sizeof(head));
    PicShowHeaderFields(r, gPicShow.header);
    const PicShowHeader& h = gPicShow.header;
    if ((h.bits != 8 && h.bits != 16) || FramesEnd() < kPicShowHeaderSize ||
        (h.bits == 8 && !ReadPalette())) {
        Fault("bad picture-show header", 0);
        gPicShowFile.Close();
        return false;
    }
    for (u8*& b : gPicShow.frameBuf) b = static_cast<u8*>(MH_ALLOC_ZERO(kPicShowFrameBytes));
    if (!gPicShow.frameBuf[0] || !gPicShow.frameBuf[1]) {
        StopPicShow();
        return false;
    }
    gPicShow.offset = kPicShowHeaderSize;
    gPicShow.packed = h.packed;
    gPicShow.rows = h.rows;
    gPicShow.unpacked = h.unpacked;
    gPicShow.frame = 0;
    gPicShow.counter = kOpeningCounter;
    gPicShow.running = true;
    gRunState |= kRunTransition;
    SetFrameInterval(h.interval ? h.interval : kFrameMs);
    return true;
}

bool LoadPicShowFrame() {
    PicShowState& s = gPicShow;
    u32 at = s.offset;
    // The packed bytes end with the next frame's header; the rest is one LZO block.
    if (s.packed < kPicShowFrameHeaderSize + 3 || u64{at} + s.packed > FramesEnd() ||
        s.unpacked > kPicShowFrameBytes) {
        Fault("frame past the pack or too large", at);
        return false;
    }
    std::vector<u8> packed(s.packed);
    if (!ReadAt(at, packed.data(), s.packed)) {
        Fault("frame cannot be read", at);
        return false;
    }
    u32 block = s.packed - kPicShowFrameHeaderSize;
    if (LzoUnpackExact(packed.data(), static_cast<i32>(block), s.frameBuf[0],
                       static_cast<i32>(s.unpacked)) != kLzoOk) {
        Fault("frame does not unpack to its size", at);
        return false;
    }
    ByteReader next(packed.data() + block, kPicShowFrameHeaderSize);
    s.offset = at + s.packed;
    u32 rows = s.rows, size = s.unpacked;
    s.packed = next.U32();
    s.rows = next.U32();
    s.unpacked = next.U32();
    // Check every row record before drawing any.
    u32 pixelBytes = s.header.bits / 8;
    u32 pos = 0;
    for (u32 i = 0; i < rows; ++i) {
        if (pos + kPicShowRowHead > size) {
            Fault("row record past the frame", at);
            return false;
        }
        u32 len = LoadU32(s.frameBuf[0] + pos), target = LoadU32(s.frameBuf[0] + pos + 4);
        if (len < kPicShowRowHead || len > size - pos || (len - kPicShowRowHead) % pixelBytes) {
            Fault("row record shorter than its head or past the frame", at + pos);
            return false;
        }
        u64 pixels = (len - kPicShowRowHead) / pixelBytes;
        if (u64{target} + pixels > kScreenPixels) {
            Fault("row record past the picture", at + pos);
            return false;
        }
        pos += len;
    }
    s.frameRows = rows;
    return true;
}

bool ConvertPicShowFrame() {
    PicShowState& s = gPicShow;
    u16* out = reinterpret_cast<u16*>(s.frameBuf[1]);
    const u8* p = s.frameBuf[0];
    u32 pos = 0;
    for (u32 i = 0; i < s.frameRows; ++i) {
        u32 len = LoadU32(p + pos), target = LoadU32(p + pos + 4);
        const u8* px = p + pos + kPicShowRowHead;
        u32 n = (len - kPicShowRowHead) / (s.header.bits / 8);
        for (u32 k = 0; k < n; ++k)
            out[target + k] =
                s.header.bits == 8 ? s.palette[px[k]] : ConvertPixel(LoadU16(px + 2 * k));
        pos += len;
    }
    return true;
}

void RunPicShow() {
    PicShowState& s = gPicShow;
    if (!s.running) return;
    if (s.counter < 1) {
        if (s.counter == kOpeningCounter && s.frame < s.header.frames) {
            if (!LoadPicShowFrame()) {
                StopPicShow();
                return;
            }
            ConvertPicShowFrame();
            ++s.frame;
        }
        ShowPicture(52 + 4 * s.counter);
        ++s.counter;
        return;
    }
    if (s.counter < kClosingStart) {
        if (s.frame >= s.header.frames) {
            s.counter = kClosingStart;
            return;
        }
        if (!LoadPicShowFrame()) {
            StopPicShow();
            return;
        }
        ConvertPicShowFrame();
        ++s.frame;
        ShowPicture(52);
        return;
    }
    FadePicture(2 * (s.counter - kClosingStart));
    if (++s.counter > kClosingEnd) StopPicShow();
}

void StopPicShow() {
    PicShowState& s = gPicShow;
    bool was = s.running;
    for (u8*& b : s.frameBuf) {
        if (b) MH_FREE(b);
        b = nullptr;
    }
    gPicShowFile.Close();
    s.running = false;
    if (!was) return;
    gRunState &= static_cast<u8>(~kRunTransition);
    SetFrameInterval(kFrameMs);
}

void ResetPicShow() {
    StopPicShow();
    gPicShow = PicShowState{};
}
