// Blitter speed as a fraction of memcpy over the same bytes (speed_vs_memcpy:
// 1.0 = as fast as memcpy; medians of batches alternating with memcpy), for a
// full canvas and for 200 sprites of 64x96, and LZO unpacking next to the raw
// library call. What the blitters have reached, and keep: full-canvas keyed
// copy 0.65, additive 0.25, alpha 0.126, sprite copy 0.94.
#include <benchmark/benchmark.h>

#include "BenchCommon.h"
#include <lzo/lzo1x.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/RlePic.h"

namespace {

struct Scene {
    std::vector<u16> canvas = std::vector<u16>(640 * 480);
    std::vector<u16> plain;
    std::vector<u8> rle;
    std::vector<u8> alpha;
    i32 w, h;
};

Scene MakeScene(i32 w, i32 h) {
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    ResetPaint();
    Scene s;
    s.w = w;
    s.h = h;
    std::mt19937 rng(1);
    std::vector<u16> stored = SpritePixels(w, h, rng);
    s.plain = stored;
    s.rle = ScreenRle(stored, w, h);
    s.alpha.resize(stored.size());
    for (auto& a : s.alpha) a = static_cast<u8>((rng() % 16) * 4);
    return s;
}

void Draw(Scene& s, bool rle, i32 mode, i32 sprites) {
    std::mt19937 rng(7);
    gCurPic = rle ? static_cast<const void*>(s.rle.data()) : s.plain.data();
    for (i32 i = 0; i < sprites; ++i) {
        i32 x = sprites == 1 ? 0 : static_cast<i32>(rng() % (640 - s.w));
        i32 y = sprites == 1 ? 0 : static_cast<i32>(rng() % (480 - s.h));
        PutPic(x, y, s.w, s.h, mode, s.alpha.data());
    }
}

void Run(benchmark::State& st, i32 w, i32 h, i32 sprites, bool rle, i32 mode) {
    Scene s = MakeScene(w, h);
    gPaintBuf = s.canvas.data();
    RunVsMemcpy(st, static_cast<size_t>(w) * h * 2 * sprites, [&] {
        Draw(s, rle, mode, sprites);
        benchmark::DoNotOptimize(s.canvas.data());
    });
    gPaintBuf = nullptr;
}

void BM_FullPlainCopy(benchmark::State& st) {
    Run(st, 640, 480, 1, false, 0);
}
void BM_FullRleCopy(benchmark::State& st) {
    Run(st, 640, 480, 1, true, 0);
}
void BM_FullRleAdditive(benchmark::State& st) {
    Run(st, 640, 480, 1, true, 4);
}
void BM_FullRleAlpha(benchmark::State& st) {
    Run(st, 640, 480, 1, true, 8);
}
void BM_SpritesPlainCopy(benchmark::State& st) {
    Run(st, 64, 96, 200, false, 0);
}
void BM_SpritesRleCopy(benchmark::State& st) {
    Run(st, 64, 96, 200, true, 0);
}
void BM_SpritesRleAdditive(benchmark::State& st) {
    Run(st, 64, 96, 200, true, 4);
}
void BM_SpritesRleAlpha(benchmark::State& st) {
    Run(st, 64, 96, 200, true, 8);
}
BENCHMARK(BM_FullPlainCopy)->Apply(VsMemcpy);
BENCHMARK(BM_FullRleCopy)->Apply(VsMemcpy);
BENCHMARK(BM_FullRleAdditive)->Apply(VsMemcpy);
BENCHMARK(BM_FullRleAlpha)->Apply(VsMemcpy);
BENCHMARK(BM_SpritesPlainCopy)->Apply(VsMemcpy);
BENCHMARK(BM_SpritesRleCopy)->Apply(VsMemcpy);
BENCHMARK(BM_SpritesRleAdditive)->Apply(VsMemcpy);
BENCHMARK(BM_SpritesRleAlpha)->Apply(VsMemcpy);

// A map-like 614,400-byte block: tiles repeating with some noise.
std::vector<u8> PackedMap(i32* packed, std::vector<u8>& raw) {
    std::mt19937 rng(3);
    raw.resize(614400);
    for (size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<u8>((i % 32) * 7 + (rng() % 16 == 0 ? rng() : 0));
    u8* p = LzoPack(raw.data(), static_cast<i32>(raw.size()), packed);
    std::vector<u8> out(p, p + *packed);
    MH_FREE(p);
    return out;
}

void BM_LzoUnpack(benchmark::State& st) {
    std::vector<u8> raw;
    i32 packed = 0;
    std::vector<u8> block = PackedMap(&packed, raw);
    std::vector<u8> out(raw.size());
    for (auto _ : st) {
        int rc = LzoUnpackExact(block.data(), packed, out.data(), static_cast<i32>(raw.size()));
        benchmark::DoNotOptimize(rc);
    }
    st.SetBytesProcessed(static_cast<i64>(st.iterations() * raw.size()));
}

void BM_LzoUnpackRawLibrary(benchmark::State& st) {
    std::vector<u8> raw;
    i32 packed = 0;
    std::vector<u8> block = PackedMap(&packed, raw);
    std::vector<u8> out(raw.size());
    for (auto _ : st) {
        lzo_uint n = out.size();
        int rc = lzo1x_decompress_safe(block.data(), static_cast<lzo_uint>(packed), out.data(), &n,
                                       nullptr);
        benchmark::DoNotOptimize(rc);
    }
    st.SetBytesProcessed(static_cast<i64>(st.iterations() * raw.size()));
}
BENCHMARK(BM_LzoUnpack);
BENCHMARK(BM_LzoUnpackRawLibrary);

}  // namespace
