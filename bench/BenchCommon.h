// Shared pieces of the benchmarks: memcpy as the yardstick, a temporary folder,
// and a sprite-like run-coded picture in the screen layout.
#pragma once
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/MemDbg.h"
#include "engine/RlePic.h"

// Seconds per memcpy of exactly n bytes, measured now: batches long enough for
// the clock, best of several.
inline double MemcpySeconds(size_t n) {
    std::vector<u8> a(n, 1), b(n);
    size_t batch = std::max<size_t>(1, (1u << 22) / std::max<size_t>(n, 1));
    double best = 1e9;
    for (int rep = 0; rep < 20; ++rep) {
        auto t0 = std::chrono::steady_clock::now();
        for (size_t k = 0; k < batch; ++k) {
            std::memcpy(b.data(), a.data(), n);
            benchmark::ClobberMemory();
        }
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count() / batch);
    }
    return best;
}

// Reports bytes per second and the speed as a fraction of a memcpy of the same
// number of bytes, timed in the same run.
inline void ReportVsMemcpy(benchmark::State& st, size_t bytes) {
    double copy = MemcpySeconds(bytes);
    st.SetBytesProcessed(static_cast<i64>(st.iterations() * bytes));
    st.counters["speed_vs_memcpy"] =
        benchmark::Counter(copy * st.iterations(), benchmark::Counter::kIsRate);
}

// A folder of the benchmark program's own under /tmp, removed when it exits.
inline const std::string& BenchFolder() {
    struct Folder {
        std::string path;
        Folder() {
            char tmpl[] = "/tmp/mh-bench-XXXXXX";
            path = ::mkdtemp(tmpl) ? tmpl : "";
        }
        ~Folder() {
            std::error_code ec;
            if (!path.empty()) std::filesystem::remove_all(path, ec);
        }
    };
    static Folder f;
    return f.path;
}

// Stored 5-5-5 pixels of a sprite: a transparent margin around a solid body.
inline std::vector<u16> SpritePixels(i32 w, i32 h, std::mt19937& rng) {
    std::vector<u16> px(static_cast<size_t>(w) * h);
    for (i32 y = 0; y < h; ++y)
        for (i32 x = 0; x < w; ++x) {
            bool edge = x < w / 8 || x >= w - w / 8 || (x + y) % 29 == 0;
            px[static_cast<size_t>(y) * w + x] = edge ? 619 : static_cast<u16>(rng() & 0x7FFF);
        }
    return px;
}

// The run-coded picture of stored pixels, converted to the screen layout.
inline std::vector<u8> ScreenRle(std::vector<u16> px, i32 w, i32 h) {
    i32 size = 0;
    u8* p = RleEncode(px.data(), &size, w, h, 16);
    RleConvertToScreen(p, size, nullptr, nullptr, nullptr);
    std::vector<u8> out(p, p + size);
    MH_FREE(p);
    return out;
}
