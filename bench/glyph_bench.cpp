// Glyph drawing: cached glyphs, an uncached glyph, and a full-screen water frame.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/GrpFont.h"
#include "engine/Water.h"
#include "platform/Glyphs.h"
#include "platform/TextCodec.h"

namespace {

// 1,000 distinct Big5 characters, from the common-character rows.
std::string ThousandCharacters() {
    std::string s;
    int n = 0;
    for (int lead = 0xA4; n < 1000; ++lead)
        for (int trail = 0x40; trail <= 0xFE && n < 1000; ++trail) {
            if (trail > 0x7E && trail < 0xA1) continue;
            s += char(lead);
            s += char(trail);
            ++n;
        }
    return s;
}

void BM_DrawThousandCachedGlyphs(benchmark::State& state) {
    cGrpFont font;
    font.Init(640, 480);
    font.SetShadowColor(0x0421);
    std::vector<u16> screen(640 * 480);
    const std::string text = ThousandCharacters();
    // Lines of 35 characters, so every glyph lands on the screen.
    std::vector<std::string> lines;
    for (size_t i = 0; i < text.size(); i += 70) lines.push_back(text.substr(i, 70));
    for (const auto& l : lines) font.DrawString(screen.data(), 0, 0, l.c_str(), 0x7FFF, 1);
    const int style = static_cast<int>(state.range(0));
    for (auto _ : state) {
        int y = 0;
        for (const auto& l : lines) {
            font.DrawString(screen.data(), 0, y, l.c_str(), 0x7FFF, style);
            y = (y + 16) % 464;
        }
        benchmark::DoNotOptimize(screen.data());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_DrawThousandCachedGlyphs)->Arg(1)->Arg(2)->Arg(8)->Arg(16);

void BM_DrawOneUncachedGlyph(benchmark::State& state) {
    cGrpFont font;
    font.Init(640, 480);
    std::vector<u16> screen(640 * 480);
    const char zhong[] = {char(0xA4), char(0xA4), 0};
    for (auto _ : state) {
        font.SetFont(B5("細明體"), 16);  // empties the cache
        font.DrawString(screen.data(), 100, 100, zhong, 0x7FFF, 1);
        benchmark::DoNotOptimize(screen.data());
    }
}
BENCHMARK(BM_DrawOneUncachedGlyph);

void BM_FullScreenWaterStepAndRender(benchmark::State& state) {
    cWater water;
    std::vector<u16> screen(640 * 480, 0x1234), out(640 * 480);
    water.GrabScreen(screen.data());
    water.Drop(320, 240, 20, 50);
    for (auto _ : state) {
        if (water.Step()) water.Drop(320, 240, 20, 50);
        water.Render(out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_FullScreenWaterStepAndRender);

}  // namespace
