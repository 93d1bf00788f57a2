// Effect speed as a fraction of memcpy over the same screen bytes
// (speed_vs_memcpy: 1.0 = as fast as memcpy): a full-screen AdjustRGB, a
// 256x256 sprite zoomed at 512, 1024 and 2048, a silhouette, and the alpha
// and level blends.
#include <benchmark/benchmark.h>

#include "BenchCommon.h"

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "engine/LineFilter.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/RlePic.h"
#include "engine/ZoomBlit.h"

namespace {

// bytes: the screen bytes one iteration writes.
struct Sprite {
    std::vector<u16> canvas = std::vector<u16>(640 * 480, 0x1234);
    std::vector<u8> rle;
    std::vector<u8> alpha;
    i32 w, h;
};

// A sprite-like picture: a transparent margin around a solid body.
Sprite MakeSprite(i32 w, i32 h) {
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    ResetPaint();
    Sprite s;
    s.w = w;
    s.h = h;
    std::mt19937 rng(1);
    std::vector<u16> px = SpritePixels(w, h, rng);
    s.rle = ScreenRle(px, w, h);
    s.alpha.resize(px.size());
    for (auto& a : s.alpha) a = static_cast<u8>((rng() % 16) * 4);
    gPaintBuf = s.canvas.data();
    gCurPic = s.rle.data();
    return s;
}

void BM_AdjustRGBFullScreen(benchmark::State& st) {
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    std::vector<u16> screen(640 * 480, 0x4567);
    RunVsMemcpy(st, screen.size() * 2, [&] {
        for (i32 y = 0; y < 480; ++y) AdjustRGB(screen.data() + y * 640, 640, 3, -2, 1);
        benchmark::DoNotOptimize(screen.data());
    });
}
BENCHMARK(BM_AdjustRGBFullScreen)->Apply(VsMemcpy);

// The bytes of the zoomed box that lie on the screen.
void BM_Zoom256(benchmark::State& st) {
    i32 scale = static_cast<i32>(st.range(0));
    Sprite s = MakeSprite(256, 256);
    SetZoom(128, 128, scale, scale);
    i64 side = std::min<i64>(256LL * scale / 1024, 480);
    RunVsMemcpy(st, static_cast<size_t>(std::min<i64>(side, 640) * side * 2), [&] {
        PutPic(320 - 128, 240 - 128, 256, 256, 0x80, nullptr);
        benchmark::DoNotOptimize(s.canvas.data());
    });
    ResetPaint();
}
BENCHMARK(BM_Zoom256)->Arg(512)->Arg(1024)->Arg(2048)->Apply(VsMemcpy);

void Run(benchmark::State& st, i32 w, i32 h, i32 mode, const void* extra) {
    Sprite s = MakeSprite(w, h);
    RunVsMemcpy(st, static_cast<size_t>(w) * h * 2, [&] {
        gPaintAlpha = 9;
        PutPic(0, 0, w, h, mode, extra ? extra : s.alpha.data());
        benchmark::DoNotOptimize(s.canvas.data());
    });
    ResetPaint();
}

u32 gWhite = 0xFFFFFFFF;
void BM_Silhouette(benchmark::State& st) {
    Run(st, 640, 480, 0x24, &gWhite);
}
void BM_RleAlphaPlane(benchmark::State& st) {
    Run(st, 640, 480, 8, nullptr);
}
void BM_RleBlendLevel9(benchmark::State& st) {
    Run(st, 640, 480, 0x14, nullptr);
}
void BM_RleGrey(benchmark::State& st) {
    Run(st, 640, 480, 0x28, nullptr);
}
BENCHMARK(BM_Silhouette)->Apply(VsMemcpy);
BENCHMARK(BM_RleAlphaPlane)->Apply(VsMemcpy);
BENCHMARK(BM_RleBlendLevel9)->Apply(VsMemcpy);
BENCHMARK(BM_RleGrey)->Apply(VsMemcpy);

}  // namespace
