// Fuzz target: run-coded picture check, decode, pixel tests and drawing in
// every run-coded mode, with the position, clip and wave taken from the input.
#include <cstring>
#include <vector>

#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/RlePic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    // The first 8 bytes place the picture; the rest is the picture.
    i32 x = static_cast<i8>(data[0]) * 4, y = static_cast<i8>(data[1]) * 4;
    i32 mode = data[2] & 0x0F, wave = data[3] & 0x1F;
    ClipRect clip{data[4], data[5], 1 + data[6] * 2, 1 + data[7]};
    std::vector<u8> pic(data + 8, data + size);
    i32 w = 0, h = 0, depth = 0;
    void* plain = RleDecode(pic.data(), pic.size(), &w, &h, &depth);
    if (plain) MH_FREE(plain);
    IsPicPixelSolid(pic.data(), pic.size(), x & 63, y & 63, nullptr);
    RleInfo info;
    if (!RleCheck(pic.data(), pic.size(), &info)) return 0;
    // The alpha plane is sized from the header: a picture larger than any the
    // game draws is not drawn here either.
    if (static_cast<u64>(info.width) * static_cast<u64>(info.height) > kMaxPlainPicBytes / 2)
        return 0;
    RleConvertToScreen(pic.data(), pic.size(), nullptr, nullptr, nullptr);
    static std::vector<u16> canvas(640 * 480);
    std::vector<u8> alpha(static_cast<size_t>(info.width) * info.height + 1, 32);
    gPaintBuf = canvas.data();
    gClipRect = clip;
    if (clip.left + clip.width > 640) gClipRect.width = 640 - clip.left;
    gCurPic = pic.data();
    gPaintWave = wave;
    PutPic(x, y, info.width, info.height, mode, alpha.data());
    gPaintWave = 0;
    gPaintBuf = nullptr;
    return 0;
}
