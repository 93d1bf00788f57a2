// XMIDI parsing and timing, loops, bad inputs, and the synthesizer's output
// from one shared sound font.
#include <cstring>

#include "mhdata/SoundData.h"
#include "platform/MidiSynth.h"
#include "platform/MidiXmi.h"
#include "SoundFixture.h"

namespace {
XmiPiece FourNotes() {
    XmiPiece p;
    for (int i = 0; i < 4; ++i)
        p.notes.push_back({static_cast<u32>(i * 60), 0, static_cast<u8>(60 + i), 100, 30});
    p.endTick = 240;
    return p;
}

// One note of `length` ticks in a piece of `end` ticks (120 a second).
XmiPiece OneNote(u8 note, u32 length, u32 end) {
    XmiPiece p;
    p.notes.push_back({0, 0, note, 120, length});
    p.endTick = end;
    return p;
}

bool Parse(const std::vector<u8>& file, XmiSequence* seq, std::string* error) {
    return ParseXmi(file.data(), file.size(), 0, seq, error);
}

struct Heard {
    u32 ms;
    u8 status, note;
};

// Runs a sequencer for ms at 44.1 kHz and records when each message went out.
std::vector<Heard> RunSeq(cXmiSequencer& seq, u32 ms, u32 step = 10) {
    std::vector<Heard> heard;
    u64 frames = 0;
    auto sink = [&](u8 st, u8 d1, u8) {
        heard.push_back({static_cast<u32>(frames * 1000 / kMixRate), st, d1});
    };
    for (u32 t = 0; t < ms && seq.Playing(); t += step) {
        int want = static_cast<int>(step * kMixRate / 1000);
        seq.Advance(want, kMixRate, sink, [&](int n) { frames += static_cast<u64>(n); });
    }
    return heard;
}

std::vector<Heard> Only(const std::vector<Heard>& heard, u8 kind) {
    std::vector<Heard> out;
    for (const Heard& h : heard)
        if ((h.status & 0xF0) == kind) out.push_back(h);
    return out;
}

// A lone FORM XMID around the given event bytes, its lengths big-endian.
std::vector<u8> LoneForm(const std::vector<u8>& events) {
    std::vector<u8> f = {'F', 'O', 'R', 'M', 0,   0,   0, 0, 'X', 'M',
                         'I', 'D', 'E', 'V', 'N', 'T', 0, 0, 0,   0};
    f.insert(f.end(), events.begin(), events.end());
    auto put = [&f](size_t at, size_t n) {
        for (int i = 0; i < 4; ++i) f[at + i] = static_cast<u8>(n >> (24 - 8 * i));
    };
    put(4, f.size() - 8);
    put(16, events.size());
    return f;
}
}  // namespace

TEST(Xmi, NotesParseAndGoOutAtTheirMilliseconds) {
    std::vector<u8> file = MakeXmi(FourNotes());
    EXPECT_EQ(XmiSequenceCount(file.data(), file.size()), 1);
    XmiSequence s;
    std::string error;
    ASSERT_TRUE(Parse(file, &s, &error)) << error;
    ASSERT_EQ(s.events.size(), 5u);  // the program change and four notes
    EXPECT_EQ(s.events[0].status, 0xC0);
    EXPECT_EQ(s.LengthMs(), 2000u);
    cXmiSequencer seq;
    seq.Load(s);
    seq.Start();
    auto heard = RunSeq(seq, 3000, 1);
    std::vector<Heard> ons = Only(heard, 0x90), offs = Only(heard, 0x80);
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
    struct Case {
        int sequencerLoops, forCount;
        size_t notes;
        bool playing;
    } cases[] = {
        {3, -1, 3, false},  // the sequencer's count
        {1, 4, 4, false},   // FOR 4 at the start, NEXT at the end
        {1, 0, 25, true},   // FOR 0 loops until stopped: 25 in 5 s
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "loops " << c.sequencerLoops << " for " << c.forCount);
        XmiPiece one = OneNote(70, 12, 24);  // 200 ms
        if (c.forCount >= 0) one.loopCount = c.forCount;
        XmiSequence s;
        std::string error;
        ASSERT_TRUE(Parse(MakeXmi(one), &s, &error)) << error;
        cXmiSequencer seq;
        seq.Load(s);
        seq.SetLoops(c.sequencerLoops);
        seq.Start();
        std::vector<Heard> ons = Only(RunSeq(seq, 5000), 0x90);
        EXPECT_EQ(ons.size(), c.notes);
        EXPECT_EQ(seq.Playing(), c.playing);
        EXPECT_NEAR(ons.back().ms, (c.notes - 1) * 200, 2);
        EXPECT_LE(seq.PositionMs(), seq.TotalMs());
    }
}

TEST(Xmi, BadInputsAreRefused) {
    const std::vector<u8> good = MakeXmi(FourNotes());
    size_t evnt = 0;
    for (size_t i = 0; i + 4 < good.size(); ++i)
        if (std::memcmp(good.data() + i, "EVNT", 4) == 0) evnt = i;
    ASSERT_NE(evnt, 0u);
    std::vector<u8> longChunk = good, noChunk = good;
    longChunk[evnt + 4] = 0x7F;  // the EVNT length pushed past the data
    std::memcpy(noChunk.data() + evnt, "EVNX", 4);
    struct Case {
        const char* what;
        std::vector<u8> file;
        const char* named;  // a word the error must hold
    } cases[] = {
        {"EVNT past the end", longChunk, "offset"},
        {"no EVNT", noChunk, "EVNT"},
        {"endless duration", LoneForm({0x90, 60, 100, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x81}),
         ""},
        {"event cut short", LoneForm({0x90, 60}), ""},
        {"not XMIDI", std::vector<u8>(64, 0x41), ""},
        {"empty", {}, ""},
    };
    XmiSequence s;
    std::string error;
    for (const Case& c : cases) {
        EXPECT_FALSE(Parse(c.file, &s, &error)) << c.what;
        EXPECT_NE(error.find(c.named), std::string::npos) << c.what << ": " << error;
    }
    EXPECT_FALSE(ParseXmi(good.data(), good.size(), 1, &s, &error)) << "no second sequence";
    // A lone FORM XMID is a whole file.
    EXPECT_TRUE(Parse(LoneForm(MakeXmiEvents(FourNotes())), &s, &error)) << error;
}

TEST(Xmi, ZeroLengthLoopBodyDoesNotHang) {
    XmiSequence s;
    s.events = {{0, 0xB0, 116, 0, 0}, {0, 0xB0, 117, 127, 0}};
    s.lengthTicks = 1;
    cXmiSequencer seq;
    seq.Load(s);
    seq.Start();
    RunSeq(seq, 100);
    EXPECT_FALSE(seq.Playing());
}

class XmiSynth : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
        drv_ = AudioMidiOutOpen(-1);
        ASSERT_NE(drv_, nullptr);
    }
    HSEQUENCE Start(const std::vector<u8>& file) {
        HSEQUENCE seq = AudioAllocateSequence(drv_);
        if (!seq || !AudioInitSequence(seq, file.data(), static_cast<u32>(file.size()), 0))
            return nullptr;
        AudioStartSequence(seq);
        return seq;
    }
    HMDIDRIVER drv_ = nullptr;
};

TEST_F(XmiSynth, SoundDuringNotesAndSilenceAfter) {
    HSEQUENCE seq = Start(MakeXmi(OneNote(60, 60, 120)));  // half a second of a second
    ASSERT_NE(seq, nullptr) << AudioLastError();
    AudioSetSequenceUserData(seq, 0, 77);
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

// Sequences share one loaded font: it is read once, and a sequence still
// sounds after another that used the same font is released.
TEST_F(XmiSynth, FontReadOnceAndKeptWhileAnySequenceUsesIt) {
    std::vector<u8> file = MakeXmi(OneNote(60, 120, 120));  // a second
    u32 loads = MidiSoundFontLoads();
    HSEQUENCE seqs[3];
    for (HSEQUENCE& s : seqs) ASSERT_NE(s = Start(file), nullptr) << AudioLastError();
    // At most the first sequence of the program read the file.
    EXPECT_LE(MidiSoundFontLoads() - loads, 1u);
    EXPECT_GE(MidiSoundFontLoads(), 1u);
    EXPECT_GT(Rms(Pull(200)), 300);
    AudioReleaseSequence(seqs[0]);
    AudioReleaseSequence(seqs[1]);
    EXPECT_GT(Rms(Pull(200)), 300);  // the third plays on from the same samples
    AudioReleaseSequence(seqs[2]);
    EXPECT_LT(Rms(Pull(100)), 1);
    u32 before = MidiSoundFontLoads();
    HSEQUENCE d = Start(file);
    ASSERT_NE(d, nullptr) << AudioLastError();
    EXPECT_GT(Rms(Pull(200)), 300);
    EXPECT_EQ(MidiSoundFontLoads(), before) << "a new sequence finds the font still loaded";
    AudioReleaseSequence(d);
}
