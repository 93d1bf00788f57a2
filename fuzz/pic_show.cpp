// Fuzz target: a picture-show pack of arbitrary bytes, opened and run frame by
// frame into a canvas until it ends or 64 frames pass.
#include <cstdint>
#include <vector>

#include "FuzzWorld.h"
#include "engine/PicPaint.h"
#include "story/PicShow.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzWorld world;
    static std::vector<u16> canvas(640 * 480);
    world.Fresh();
    world.Write("Video/show.pak", data, size);
    gPaintBuf = canvas.data();
    if (StartPicShow("show.pak", 0))
        for (int frame = 0; frame < 64 && gPicShow.running; ++frame) RunPicShow();
    gPaintBuf = nullptr;
    ResetAllGlobals();
    return 0;
}
