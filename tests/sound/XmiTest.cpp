// XMIDI parsing and timing, loops, bad inputs, and the synthesizer's output.
#include <cstring>

#include "mhdata/SoundData.h"
#include "platform/MidiSynth.h"
#include "platform/MidiXmi.h"
#include "SoundFixture.h"

namespace {
XmiPiece FourNotes() {
    XmiPiece p;
    for (int i = 0; i < 4; ++i) p.notes.push_back({static_cast<u32>(i * 60), 0, static_cast<u8>(60 + i), 100, 30});
    p.endTick = 240;
    return p;
}

struct Heard {
    u32 ms;
    u8 status, note;
};

// Runs a sequencer for ms at 44.1 kHz and records when each message went out.
std::vector<Heard> RunSeq(cXmiSequencer& seq, u32 ms, u32 step = 10) {
    std::vector<Heard> heard;
    u64 frames = 0;
    auto sink = [&](u8 st, u8 d1, u8) { heard.push_back({static_cast<u32>(frames * 1000 / kMixRate), st, d1}); };
    for (u32 t = 0; t < ms && seq.Playing(); t += step) {
        int want = static_cast<int>(step * kMixRate / 1000);
        seq.Advance(want, kMixRate, sink, [&](int n) { frames += static_cast<u64>(n); });
    }
    return heard;
}
}  // namespace

TEST(Xmi, GeneratedPieceParsesToItsNotes) {
    std::vector<u8> file = MakeXmi(FourNotes());
    EXPECT_EQ(XmiSequenceCount(file.data(), file.size()), 1);
    XmiSequence seq;
    std::string error;
    ASSERT_TRUE(ParseXmi(file.data(), file.size(), 0, &seq, &error)) << error;
    ASSERT_EQ(seq.events.size(), 5u);  // the program change and four notes
    EXPECT_EQ(seq.events[0].status, 0xC0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(seq.events[i + 1].tick, static_cast<u32>(i * 60));
        EXPECT_EQ(seq.events[i + 1].data1, 60 + i);
        EXPECT_EQ(seq.events[i + 1].duration, 30u);
    }
    EXPECT_EQ(seq.LengthMs(), 2000u);
}

TEST(Xmi, SequencerSendsNotesAtTheirMilliseconds) {
    std::vector<u8> file = MakeXmi(FourNotes());
    XmiSequence s;
    std::string error;
    ASSERT_TRUE(ParseXmi(file.data(), file.size(), 0, &s, &error));
    cXmiSequencer seq;
    seq.Load(s);
    seq.Start();
    auto heard = RunSeq(seq, 3000, 1);
    std::vector<Heard> ons, offs;
    for (const Heard& h : heard) {
        if ((h.status & 0xF0) == 0x90) ons.push_back(h);
        if ((h.status & 0xF0) == 0x80) offs.push_back(h);
    }
    ASSERT_EQ(ons.size(), 4u);
    ASSERT_EQ(offs.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(ons[i].ms, i * 500, 2) << i;
        EXPECT_NEAR(offs[i].ms, i * 500 + 250, 2) << i;
        EXPECT_EQ(offs[i].note, 60 + i);
    }
    EXPECT_FALSE(seq.Playing());
}

TEST(Xmi, LoopCountAndForNextRepeat) {
    XmiPiece one;
    one.notes.push_back({0, 0, 70, 100, 12});
    one.endTick = 24;  // 200 ms
    std::vector<u8> file = MakeXmi(one);
    XmiSequence s;
    std::string error;
    ASSERT_TRUE(ParseXmi(file.data(), file.size(), 0, &s, &error));
    cXmiSequencer seq;
    seq.Load(s);
    seq.SetLoops(3);
    seq.Start();
    auto count = [](const std::vector<Heard>& h) {
        return std::count_if(h.begin(), h.end(), [](const Heard& x) { return (x.status & 0xF0) == 0x90; });
    };
    auto heard = RunSeq(seq, 2000);
    EXPECT_EQ(count(heard), 3);
    EXPECT_FALSE(seq.Playing());

    // FOR with a count of 4 at the start, NEXT at the end: the body plays four times.
    one.loopCount = 4;
    file = MakeXmi(one);
    ASSERT_TRUE(ParseXmi(file.data(), file.size(), 0, &s, &error));
    seq.Load(s);
    seq.SetLoops(1);
    seq.Start();
    heard = RunSeq(seq, 2000);
    EXPECT_EQ(count(heard), 4);
    EXPECT_NEAR(heard.back().ms, 3 * 200 + 100, 2);

    // A count of 0 loops until stopped.
    one.loopCount = 0;
    file = MakeXmi(one);
    ASSERT_TRUE(ParseXmi(file.data(), file.size(), 0, &s, &error));
    seq.Load(s);
    seq.Start();
    heard = RunSeq(seq, 5000);
    EXPECT_EQ(count(heard), 25);
    EXPECT_TRUE(seq.Playing());
    EXPECT_LE(seq.PositionMs(), seq.TotalMs());
}

TEST(Xmi, BadInputsAreRefusedWithTheirOffset) {
    std::vector<u8> good = MakeXmi(FourNotes());
    XmiSequence s;
    std::string error;
    // The EVNT length pushed past the data.
    std::vector<u8> bad = good;
    size_t evnt = 0;
    for (size_t i = 0; i + 4 < bad.size(); ++i)
        if (std::memcmp(bad.data() + i, "EVNT", 4) == 0) evnt = i;
    ASSERT_NE(evnt, 0u);
    bad[evnt + 4] = 0x7F;
    EXPECT_FALSE(ParseXmi(bad.data(), bad.size(), 0, &s, &error));
    EXPECT_NE(error.find("offset"), std::string::npos);
    // No EVNT chunk.
    bad = good;
    std::memcpy(bad.data() + evnt, "EVNX", 4);
    EXPECT_FALSE(ParseXmi(bad.data(), bad.size(), 0, &s, &error));
    EXPECT_NE(error.find("EVNT"), std::string::npos);
    // An endless duration: every byte has its top bit set.
    XmiPiece p = FourNotes();
    std::vector<u8> events = MakeXmiEvents(p);
    std::vector<u8> endless = {0x90, 60, 100, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x81};
    auto wrap = [](const std::vector<u8>& ev) {
        std::vector<u8> f = {'F', 'O', 'R', 'M', 0, 0, 0, 0, 'X', 'M', 'I', 'D', 'E', 'V', 'N', 'T', 0, 0, 0, 0};
        u32 n = static_cast<u32>(ev.size());
        f[16] = static_cast<u8>(n >> 24), f[17] = static_cast<u8>(n >> 16), f[18] = static_cast<u8>(n >> 8), f[19] = static_cast<u8>(n);
        f.insert(f.end(), ev.begin(), ev.end());
        u32 form = static_cast<u32>(f.size() - 8);
        f[4] = static_cast<u8>(form >> 24), f[5] = static_cast<u8>(form >> 16), f[6] = static_cast<u8>(form >> 8), f[7] = static_cast<u8>(form);
        return f;
    };
    std::vector<u8> lone = wrap(endless);
    EXPECT_FALSE(ParseXmi(lone.data(), lone.size(), 0, &s, &error));
    // A lone FORM XMID parses; an event cut short does not.
    lone = wrap(events);
    EXPECT_TRUE(ParseXmi(lone.data(), lone.size(), 0, &s, &error)) << error;
    std::vector<u8> cut = wrap({0x90, 60});
    EXPECT_FALSE(ParseXmi(cut.data(), cut.size(), 0, &s, &error));
    // Not XMIDI at all, and an empty image.
    std::vector<u8> junk(64, 0x41);
    EXPECT_FALSE(ParseXmi(junk.data(), junk.size(), 0, &s, &error));
    EXPECT_FALSE(ParseXmi(junk.data(), 0, 0, &s, &error));
    EXPECT_FALSE(ParseXmi(good.data(), good.size(), 1, &s, &error));
}

TEST(Xmi, ZeroLengthLoopBodyDoesNotHang) {
    XmiSequence s;
    s.events = {{0, 0xB0, 116, 0, 0}, {0, 0xB0, 117, 127, 0}};
    s.lengthTicks = 1;
    cXmiSequencer seq;
    seq.Load(s);
    seq.Start();
    auto heard = RunSeq(seq, 100);
    EXPECT_FALSE(seq.Playing());
}

class XmiSynth : public SoundTest {};

TEST_F(XmiSynth, SoundDuringNotesAndSilenceAfter) {
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    XmiPiece p;
    p.notes.push_back({0, 0, 60, 120, 60});  // half a second
    p.endTick = 120;
    std::vector<u8> file = MakeXmi(p);
    HMDIDRIVER drv = AudioMidiOutOpen(-1);
    ASSERT_NE(drv, nullptr);
    HSEQUENCE seq = AudioAllocateSequence(drv);
    ASSERT_NE(seq, nullptr) << AudioLastError();
    ASSERT_TRUE(AudioInitSequence(seq, file.data(), static_cast<u32>(file.size()), 0));
    AudioSetSequenceUserData(seq, 0, 77);
    AudioStartSequence(seq);
    EXPECT_EQ(AudioSequenceStatus(seq), kSeqPlaying);
    EXPECT_EQ(AudioSequenceUserData(seq, 0), 77);
    EXPECT_GT(Rms(Pull(300)), 300);
    i32 total = 0, current = 0;
    AudioSequenceMsPosition(seq, &total, &current);
    EXPECT_EQ(total, 1000);
    EXPECT_NEAR(current, 300, 20);
    Pull(500);  // past the note's release
    EXPECT_LT(Rms(Pull(150)), 30);
    Pull(200);
    EXPECT_EQ(AudioSequenceStatus(seq), kSeqDone);
}
