// Benchmarks of the audio and video paths: the mixer with 16 voices, the
// sequencer with the synthesizer, and one 640x480 video frame decoded and copied.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "mhdata/SoundData.h"
#include "platform/AudioMixer.h"
#include "platform/MidiSynth.h"
#include "platform/MidiXmi.h"
#include "platform/Video.h"

static void BM_MixSixteenVoicesOneSecond(benchmark::State& state) {
    cAudioMixer mixer(16);
    auto pcm = std::make_shared<PcmBuffer>(kMixRate * 2, 1000);
    for (int i = 0; i < 16; ++i) {
        int v = mixer.Allocate();
        mixer.SetPcm(v, pcm);
        mixer.SetLoops(v, 0);
        mixer.SetPan(v, i * 8);
        mixer.Start(v);
    }
    std::vector<i16> out(1024 * 2);
    for (auto _ : state) {
        for (int f = 0; f < kMixRate; f += 1024) mixer.Mix(out.data(), 1024);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_MixSixteenVoicesOneSecond)->Unit(benchmark::kMillisecond);

static void BM_SequencerAndSynthOneSecond(benchmark::State& state) {
    cMidiSynth synth;
    std::string error;
    if (!synth.Open(kDefaultSoundFont, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    MidiFinishFontLoads();
    synth.Ready();  // the font read, the synthesizer plays it
    XmiPiece p;
    for (int i = 0; i < 480; ++i)
        p.notes.push_back({static_cast<u32>(i * 15), static_cast<u8>(i % 4),
                           static_cast<u8>(48 + i % 24), 100, 30});
    std::vector<u8> file = MakeXmi(p);
    XmiSequence seq;
    DataError bad;
    ParseXmi(file.data(), file.size(), 0, &seq, &bad);
    cXmiSequencer player;
    player.Load(seq);
    player.SetLoops(0);
    player.Start();
    std::vector<i16> out(kMixRate * 2);
    for (auto _ : state) {
        int done = 0;
        player.Advance(
            kMixRate, kMixRate, [&](u8 s, u8 a, u8 b) { synth.Send(s, a, b); },
            [&](int n) {
                synth.Render(out.data() + done * 2, n);
                done += n;
            });
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_SequencerAndSynthOneSecond)->Unit(benchmark::kMillisecond);

static void BM_VideoFrame640x480(benchmark::State& state) {
    auto path = std::filesystem::temp_directory_path() / "mh_bench_video.avi";
    std::vector<u32> colours(60);
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<u32>(i * 0x040404);
    std::vector<u8> bytes = MakeSolidVideo(640, 480, colours, 30);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    DataError error;
    HVIDEO v = VideoOpen(path.string().c_str(), &error);
    if (!v) {
        state.SkipWithError(error.Message().c_str());
        return;
    }
    std::vector<u16> screen(640 * 480);
    for (auto _ : state) {
        if (VideoCurrentFrame(v) > VideoFrameCount(v)) VideoGoto(v, 1);
        VideoDoFrame(v);
        VideoCopyToBuffer(v, screen.data(), 1280, 480, 0, 0, VideoPixels::Rgb565);
        VideoNextFrame(v);
        benchmark::DoNotOptimize(screen.data());
    }
    VideoClose(v);
    std::filesystem::remove(path);
}
BENCHMARK(BM_VideoFrame640x480)->Unit(benchmark::kMillisecond);
