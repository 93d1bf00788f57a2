// Shared pieces of the benchmarks: memcpy as the yardstick (timed in batches
// alternating with the body), the median of a run's times, a temporary folder,
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

#include "engine/MemDbg.h"
#include "engine/RlePic.h"

// The median of a list of times.
inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Batches of a body timed against memcpy (register with ->Apply(VsMemcpy)).
constexpr int kVsMemcpyBatches = 101;
inline void VsMemcpy(benchmark::internal::Benchmark* b) {
    b->UseManualTime()->Iterations(kVsMemcpyBatches);
}

// Times `body`, which moves `bytes` bytes a call, against a memcpy of as many
// bytes in alternating batches of about 4 MB each, so that load on the machine
// falls on both alike. Each side's time is the median of its batches; the
// benchmark's time is the body's per call, speed_vs_memcpy their ratio (1.0 =
// as fast as memcpy).
template <class Body>
void RunVsMemcpy(benchmark::State& st, size_t bytes, Body&& body) {
    using Clock = std::chrono::steady_clock;
    std::vector<u8> a(bytes, 1), b(bytes);
    const size_t batch = std::max<size_t>(1, (1u << 22) / std::max<size_t>(bytes, 1));
    std::vector<double> own, copy;
    for (auto _ : st) {
        auto t0 = Clock::now();
        for (size_t k = 0; k < batch; ++k) body();
        auto t1 = Clock::now();
        for (size_t k = 0; k < batch; ++k) {
            std::memcpy(b.data(), a.data(), bytes);
            benchmark::ClobberMemory();
        }
        auto t2 = Clock::now();
        own.push_back(std::chrono::duration<double>(t1 - t0).count() / batch);
        copy.push_back(std::chrono::duration<double>(t2 - t1).count() / batch);
        st.SetIterationTime(own.back());
    }
    if (own.empty()) return;
    double ownMedian = Median(own), copyMedian = Median(copy);
    st.SetBytesProcessed(static_cast<i64>(st.iterations() * bytes));
    st.counters["speed_vs_memcpy"] = copyMedian / ownMedian;
    st.counters["median_us"] = ownMedian * 1e6;
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
