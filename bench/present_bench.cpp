// The real presentation path: the game's canvas blitted onto the primary and
// presented through SDL (its offscreen video driver unless SDL_VIDEODRIVER
// names another, "dummy" for one), for a frame drawn as the last one, one
// with a band of 48 rows changed, and a wholly new frame. rows_per_frame is
// how many rows went to the texture.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "BenchCommon.h"
#include "engine/DDraw.h"
#include "platform/Backend.h"
#include "platform/Display.h"
#include "platform/Win.h"

namespace {

LRESULT Quiet(HWND hwnd, u32 msg, WPARAM w, LPARAM l) {
    return DefWindowProcA(hwnd, msg, w, l);
}

// The SDL window and display, made once for the whole program.
bool OpenScreen() {
    static bool ok = [] {
        ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
        ::setenv("MOONHARBOR_LOCK_DIR", BenchFolder().c_str(), 1);
        PlatformSetBackend(Backend::Sdl);
        WNDCLASS wc;
        wc.className = "MoonharborPresentBench";
        wc.proc = Quiet;
        if (!RegisterClassA(wc)) return false;
        HWND wnd = CreateWindowExA(wc.className, "present", 640, 480);
        if (!wnd || !PlatformHasDisplay()) return false;
        return gDDraw.Create(wnd, kDisplayFullScreen, 640, 480, 16) == 1;
    }();
    return ok;
}

void BM_PresentFrame(benchmark::State& st) {
    if (!OpenScreen()) {
        st.SkipWithError("no SDL display (offscreen or dummy driver)");
        return;
    }
    const i32 changedRows = static_cast<i32>(st.range(0));
    static DisplaySurface* canvas = gDDraw.CreateSysSurface(640, 480);
    DisplaySurface* primary = gDDraw.GetSurface(kSurfacePrimary);
    u16* px = DisplayLock(canvas, nullptr);
    for (i32 i = 0; i < 640 * 480; ++i) px[i] = static_cast<u16>(i * 40503u >> 7);
    DisplayBlit(primary, 0, 0, canvas, nullptr, false);
    DisplayPresent();
    const u64 rowsBefore = DisplayRowsSent();
    for (auto _ : st) {
        // A band in the middle of the picture drawn anew: one pixel a row differs.
        for (i32 y = 240 - changedRows / 2; y < 240 + (changedRows + 1) / 2; ++y)
            px[y * 640 + (y * 7) % 640] ^= 0x0821;
        DisplayBlit(primary, 0, 0, canvas, nullptr, false);
        DisplayPresent();
    }
    st.counters["rows_per_frame"] =
        static_cast<double>(DisplayRowsSent() - rowsBefore) / static_cast<double>(st.iterations());
}
BENCHMARK(BM_PresentFrame)->Arg(0)->Arg(48)->Arg(480)->Unit(benchmark::kMicrosecond);

}  // namespace
