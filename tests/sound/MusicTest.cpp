// The music manager's playlists, switches with fades, modes and repeats, over
// real stream and MIDI players pulled from the mixer; disc music from a folder
// that stands for a disc; XMIDI parsing and timing, loops, breaks and
// controllers, bad inputs, and the synthesizer's output from one shared font.
#include <algorithm>
#include <cstring>

#include "platform/MidiSynth.h"
#include "platform/MidiXmi.h"
#include "SoundFixture.h"

class Music : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        driver_ = AudioWaveOutOpen(44100, 16, 2);
        gStream.Init(driver_);
        const double hz[] = {300, 400, 500, 600};
        for (int i = 0; i < 4; ++i) {
            names_[i] = Root() + "music\\p" + std::to_string(i) + ".wav";
            Write("music/p" + std::to_string(i) + ".wav", Tone(hz[i], 300));
        }
    }
    void Tick() {
        gStream.Service();
        gMidi.Service();
        gMusic.Service();
    }
    // Pulls and services n frames of 35 ms.
    void Run(int n) {
        for (int i = 0; i < n; ++i) {
            Pull(35);
            Tick();
        }
    }
    // Pulls and services in 35 ms frames until the manager's current id is id.
    int FramesUntil(i32 id, int limit = 400) {
        for (int i = 0; i < limit; ++i) {
            if (gMusic.CurrentId() == id && !gMusic.IsFinished()) return i;
            Run(1);
        }
        return -1;
    }
    HDIGDRIVER driver_ = nullptr;
    std::string names_[4];
};

// Bad tracks are ignored, missing files play nothing, and a stream fade of zero
// closes at once.
TEST_F(Music, KindIsACaseSensitiveSubstringTestAndBadTracksAreIgnored) {
    gMusic.SetTrack(names_[0].c_str(), 0, 0, 1);  // id 0, slot 2, list 4
    gMusic.SetTrack(names_[0].c_str(), 1, 2, 1);
    gMusic.SetTrack(names_[0].c_str(), 1, 0, 4);
    for (int l = 1; l <= 3; ++l)
        for (const auto& s : gMusic.GetList(l).slots) EXPECT_EQ(s.name, nullptr);
    EXPECT_EQ(gMusic.GetMode(), 4);
    EXPECT_EQ(std::tuple(cMusic::KindOf("a\\b.wav"), cMusic::KindOf("song.mp3"),
                         cMusic::KindOf("x.xmi"), cMusic::KindOf("LOUD.WAV")),
              std::tuple(cMusic::kStream, cMusic::kStream, cMusic::kMidi, cMusic::kNotMusic));
    gMusic.SetTrack("LOUD.WAV", 5, 0, 1);
    EXPECT_EQ(std::tuple(gMusic.GetList(1).slots[0].name, gMusic.GetList(1).slots[0].id),
              std::tuple(nullptr, 5));
    gMusic.SetMode(1, 1, 0);
    Tick();
    EXPECT_EQ(std::tuple(gMusic.GetMode(), gMusic.IsFinished(), AudioMixer().ActiveVoices()),
              std::tuple(1, 1, 0));
    std::string missing = Root() + "music\\none.wav";
    gMusic.SetTrack(missing.c_str(), 1, 0, 1);
    gMusic.SetMode(1, 1, 0);
    Tick();
    EXPECT_EQ(gMusic.IsFinished(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "music" / "none.wav"));
    ASSERT_EQ(gMidi.Open(), 1);
    std::string xmi = Root() + "music\\none.xmi";
    EXPECT_EQ(gMidi.Play(xmi.c_str(), 1, 127, 1), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "music" / "none.xmi"));
    ASSERT_EQ(gStream.Play(names_[0].c_str(), 9, 127, 1), 1);
    EXPECT_EQ(gStream.IsFinished(9), 0);
    gStream.Fade(9, 0);
    EXPECT_EQ(std::tuple(gStream.IsFinished(9), AudioMixer().ActiveVoices()), std::tuple(1, 0));
}

TEST_F(Music, SwitchFadesTheCurrentPieceThenLoopsTheNewList) {
    gMusic.SetTrack(names_[0].c_str(), 1, 0, 1);
    gMusic.SetTrack(names_[1].c_str(), 2, 1, 1);
    gMusic.SetTrack(names_[2].c_str(), 3, 0, 2);
    gMusic.SetTrack(names_[3].c_str(), 4, 1, 2);
    gMusic.SetMode(1, 1, 0);
    Tick();
    ASSERT_EQ(gMusic.CurrentId(), 1);
    EXPECT_NEAR(ToneHz(Pull(100)), 300, 15);
    // Loop the first list once round: piece 2, then piece 1 again.
    EXPECT_GE(FramesUntil(2), 0);
    EXPECT_GE(FramesUntil(1), 0);
    gMusic.SetMode(2, 1, 3);  // level 2032 / 3 per frame: gone in three frames
    Tick();
    // The fading piece still counts as playing.
    EXPECT_EQ(std::tuple(gMusic.CurrentId(), gMusic.GetPendingMode()), std::tuple(1, 2));
    int v0 = gStream.GetVolume();
    Tick();
    EXPECT_LT(gStream.GetVolume(), v0);
    int frames = FramesUntil(3);
    EXPECT_TRUE(frames >= 1 && frames <= 4) << frames;
    EXPECT_EQ(gMusic.GetMode(), 2);
    EXPECT_NEAR(ToneHz(Pull(100)), 500, 20);
    EXPECT_GE(FramesUntil(4), 0);
    EXPECT_GE(FramesUntil(3), 0);  // list 2 loops
    // A piece's volume touches only that piece, when it plays.
    gMusic.SetPieceVolume(4, 30);
    EXPECT_EQ(gStream.GetVolume(), 127);
    gMusic.SetPieceVolume(3, 30);
    EXPECT_EQ(std::tuple(gStream.GetVolume(), gMusic.GetVolume()), std::tuple(30, 127));
}

TEST_F(Music, ModeFourFadesToSilenceThroughAVolumeChangeAndRepeatTwoPlaysOnce) {
    gMusic.SetTrack(names_[0].c_str(), 1, 0, 1);
    gMusic.SetMode(1, 1, 0);
    Tick();
    ASSERT_EQ(gMusic.CurrentId(), 1);
    gMusic.SetMode(4, 1, 10);  // 2032 / 10 = 203 a frame
    Tick();
    Tick();
    ASSERT_EQ(gStream.Open().size(), 1u);
    EXPECT_EQ(gStream.Open()[0]->level, 2032 - 2 * 203);
    gMusic.SetVolume(127);  // the fade goes on from where it was
    EXPECT_EQ(gStream.Open()[0]->level, 2032 - 2 * 203);
    Tick();
    EXPECT_EQ(gStream.GetVolume(), (2032 - 3 * 203) / 16);
    Run(10);
    EXPECT_EQ(std::tuple(gMusic.GetMode(), gMusic.CurrentId(), AudioMixer().ActiveVoices()),
              std::tuple(0, 0, 0));
    // Repeat 2 plays a list once, then silence.
    gMusic.SetTrack(names_[0].c_str(), 1, 0, 3);
    gMusic.SetTrack(names_[1].c_str(), 2, 1, 3);
    gMusic.SetMode(3, 2, 0);
    Tick();
    EXPECT_EQ(gMusic.CurrentId(), 1);
    EXPECT_GE(FramesUntil(2), 0);
    Run(20);
    EXPECT_EQ(std::tuple(gMusic.CurrentId(), gMusic.GetList(3).index, AudioMixer().ActiveVoices(),
                         gMusic.IsFinished()),
              std::tuple(0, 2, 0, 1));
}

TEST_F(Music, MidiPieceFadesAndEnds) {
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    XmiPiece p;
    p.notes.push_back({0, 0, 64, 110, 600});
    p.endTick = 600;  // five seconds
    Write("music/long.xmi", MakeXmi(p));
    std::string name = Root() + "music\\long.xmi";
    ASSERT_EQ(gMidi.Open(), 1);
    gMusic.SetTrack(name.c_str(), 7, 0, 1);
    gMusic.SetMode(1, 1, 0);
    Tick();
    ASSERT_EQ(gMusic.CurrentId(), 7);
    EXPECT_GT(Rms(Pull(200)), 200);
    gMusic.SetVolume(64);
    EXPECT_EQ(gMidi.GetVolumeAll(), 64);
    // A fade of 300 ms: 2048 / (300 / 30) = 204 per service.
    gMusic.SetMode(4, 1, 300);
    ASSERT_EQ(gMidi.Playing().size(), 1u);
    EXPECT_EQ(std::tuple(gMidi.Playing()[0]->fadeStep, gMidi.IsFinished(7)), std::tuple(204, 0));
    for (int i = 0; i < 12; ++i) Tick();
    EXPECT_EQ(std::tuple(gMidi.IsFinished(7), gMusic.GetMode()), std::tuple(1, 0));
}

// Disc music: mounting by label, track choice by tone, spans, loop counts and volume.
class Redbook : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        Write("disc/label", std::vector<u8>(kSampleDiscLabel, kSampleDiscLabel + 6));
        for (int n = 1; n <= 8; ++n)
            Write("disc/Track0" + std::to_string(n) + ".wav", Tone(SampleDiscTrackHz(n), 300));
        Write("disc/notes.txt", {'x'});
    }
    cRedbook cd_;
};

TEST_F(Redbook, FolderDiscIsMountedWithItsLabel) {
    cd_.Play(3, 0);  // closed: nothing plays
    EXPECT_EQ(std::tuple(cd_.Status(), AudioMixer().ActiveVoices()),
              std::tuple(kRedbookStopped, 0));
    std::string list = (dir_ / "missing").string() + ":" + (dir_ / "disc").string();
    EXPECT_EQ(MountDiscFolders(list), 1);
    EXPECT_EQ(GetDriveTypeA("D:\\"), DRIVE_CDROM);
    std::string label;
    ASSERT_TRUE(GetVolumeLabel("D:\\", &label));
    EXPECT_EQ(label, kSampleDiscLabel);
    ASSERT_TRUE(cd_.Open(3, -1));
    EXPECT_EQ(std::tuple(cd_.DriveLetter(), cd_.IsReady(), cd_.GetTrackCount()),
              std::tuple('D', true, 8));
    // Out of range volumes read as 127.
    for (int v : {-5, 40, 300}) {
        cd_.SetVolume(v);
        EXPECT_EQ(cd_.GetVolume(), v == 40 ? 40 : 127) << v;
    }
    EXPECT_FALSE(cd_.Open(0, 'q'));
    EXPECT_FALSE(cd_.IsReady());
}

// Track 7 plays its tone once; a track above the last plays the last, heard
// again once; track 0 loops the whole disc.
TEST_F(Redbook, TracksPlayTheirTonesAndReplays) {
    MountDiscFolders((dir_ / "disc").string());
    ASSERT_TRUE(cd_.Open(0, 'd'));  // the letter in either case
    cd_.Play(7, -1);
    EXPECT_EQ(std::tuple(cd_.Status(), cd_.GetCurrentTrack()), std::tuple(kRedbookPlaying, 7));
    EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(7), 15);
    Pull(150);
    EXPECT_EQ(cd_.Status(), kRedbookStopped);
    cd_.Poll();  // a negative count plays once: nothing is replayed
    EXPECT_EQ(cd_.Status(), kRedbookStopped);

    cd_.Play(99, 1);
    EXPECT_EQ(cd_.SpanEnd() - cd_.SpanStart(), 300u);
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(8), 15) << pass;
        Pull(150);
        cd_.Poll();  // stopped: heard a second time, then nothing more
        EXPECT_EQ(cd_.Status(), pass == 0 ? kRedbookPlaying : kRedbookStopped) << pass;
        if (pass == 0) {
            EXPECT_EQ(std::tuple(cd_.LoopCount(), cd_.Activity()), std::tuple(-1, -1));
        }
    }
    cd_.Stop();
    EXPECT_EQ(cd_.Activity(), 0);

    cd_.Play(0, 0);
    EXPECT_EQ(std::tuple(cd_.SpanStart(), cd_.SpanEnd()), std::tuple(0u, 2400u));
    for (int i = 0; i < 9; ++i) Pull(300);  // past the end of the disc
    EXPECT_EQ(cd_.Status(), kRedbookStopped);
    cd_.Poll();
    EXPECT_EQ(cd_.Status(), kRedbookPlaying);
    EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(1), 15);
    EXPECT_EQ(cd_.LoopCount(), 0);
}

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

XmiSequence Parsed(const std::vector<u8>& file) {
    XmiSequence s;
    DataError e;
    EXPECT_TRUE(ParseXmi(file.data(), file.size(), 0, &s, &e)) << e.Message();
    return s;
}

// A message as the sequencer sends it, at its tick (120 a second).
struct Sent {
    u32 tick;
    u8 status, d1, d2;
    auto operator<=>(const Sent&) const = default;
};

// Plays a sequence for ms at the mixer's rate in 10 ms pulls: the messages as
// sent, each at the tick of the frames rendered before it, and {tick, 0, 0, 0}
// when it ended.
std::vector<Sent> Play(cXmiSequencer& seq, XmiSequence s, u32 ms, int loops = 1) {
    seq.Load(std::move(s));
    seq.SetLoops(loops);
    seq.Start();
    std::vector<Sent> out;
    u64 frames = 0;
    auto sink = [&](u8 st, u8 d1, u8 d2) {
        out.push_back({static_cast<u32>(frames * kXmiTickRate / kMixRate), st, d1, d2});
    };
    for (u32 t = 0; t < ms && seq.Playing(); t += 10)
        seq.Advance(kMixRate / 100, kMixRate, sink, [&](int n) { frames += static_cast<u64>(n); });
    if (!seq.Playing()) sink(0, 0, 0);
    return out;
}

// A note as heard: on at `on` with its velocity, off at `off`.
struct Heard {
    u32 on, off;
    u8 key, velocity, channel = 0;
};
// The notes' messages with the other messages and the end, in order.
std::vector<Sent> Expect(const std::vector<Heard>& notes, std::vector<Sent> other, u32 end) {
    for (const Heard& n : notes) {
        other.push_back({n.on, static_cast<u8>(0x90 | n.channel), n.key, n.velocity});
        other.push_back({n.off, static_cast<u8>(0x80 | n.channel), n.key, 0});
    }
    other.push_back({end, 0, 0, 0});
    std::sort(other.begin(), other.end());
    return other;
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

// Hand-written EVNT bytes, one event (or delay) at a time.
using Ev = std::vector<u8>;
Ev Wait(u32 ticks) {
    Ev b;
    for (; ticks; ticks -= std::min<u32>(ticks, 127))
        b.push_back(static_cast<u8>(std::min<u32>(ticks, 127)));
    return b;
}
Ev On(u8 ch, u8 key, u8 vel, u32 dur) {
    Ev b = {static_cast<u8>(0x90 | ch), key, vel};
    if (dur >= 128) b.push_back(static_cast<u8>(0x80 | dur >> 7));
    b.push_back(static_cast<u8>(dur & 0x7F));
    return b;
}
Ev Cc(u8 c, u8 v) {
    return {0xB0, c, v};
}
Ev Program(u8 p) {
    return {0xC0, p};
}
const Ev kTempo = {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};  // a meta event the player skips
// The events in order, then the end of track.
std::vector<u8> Events(std::initializer_list<Ev> events) {
    Ev b;
    for (const Ev& e : events) b.insert(b.end(), e.begin(), e.end());
    b.insert(b.end(), {0xFF, 0x2F, 0x00});
    return MakeXmiFromEvents(b, 0);
}
}  // namespace

TEST(Xmi, NotesParseAndGoOutAtTheirTicks) {
    std::vector<u8> file = MakeXmi(FourNotes());
    EXPECT_EQ(XmiSequenceCount(file.data(), file.size()), 1);
    XmiSequence s = Parsed(file);
    // The program change and four notes.
    EXPECT_EQ(std::tuple(s.events.size(), s.LengthMs()), std::tuple(5u, 2000u));
    cXmiSequencer seq;
    std::vector<Sent> sent = Play(seq, s, 3000);
    EXPECT_EQ(sent.front(), (Sent{0, 0xC0, 0, 0})) << "the program change goes first";
    std::sort(sent.begin(), sent.end());
    EXPECT_EQ(
        sent,
        Expect({{0, 30, 60, 100}, {60, 90, 61, 100}, {120, 150, 62, 100}, {180, 210, 63, 100}},
               {{0, 0xC0, 0, 0}}, 240));
}

TEST(Xmi, LoopCountAndForNextRepeat) {
    struct Case {
        int sequencerLoops, forCount;
        u32 notes;
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
        cXmiSequencer seq;
        std::vector<Sent> ons = Play(seq, Parsed(MakeXmi(one)), 5000, c.sequencerLoops);
        std::erase_if(ons, [](const Sent& m) { return m.status != 0x90; });  // the note-ons
        ASSERT_FALSE(ons.empty());
        EXPECT_EQ(std::tuple(ons.size(), seq.Playing(), ons.back().tick),
                  std::tuple(c.notes, c.playing, (c.notes - 1) * 24));
        EXPECT_LE(seq.PositionMs(), seq.TotalMs());
    }
}

// Loops, breaks, nested loops and XMIDI's own controllers (110-120, never
// sent) among held notes: what goes out at which tick, worked out from the
// event ticks. A loop pass starts its body's events anew from the NEXT's tick;
// the end of track releases the notes still held.
TEST(Xmi, LoopsBreaksAndControllersAmongHeldNotes) {
    struct Case {
        const char* what;
        std::vector<u8> file;
        std::vector<Sent> want;
    } cases[] = {
        {"FOR 3 with a note across its NEXT: passes at 0, 60 and 120",
         Events({kTempo, Program(16), Cc(7, 100), Cc(116, 3), On(0, 60, 100, 30), Wait(20),
                 On(0, 64, 90, 50), Wait(40), Cc(117, 127), On(0, 67, 80, 20), Wait(30)}),
         Expect({{0, 30, 60, 100},
                 {20, 70, 64, 90},
                 {60, 90, 60, 100},
                 {80, 130, 64, 90},
                 {120, 150, 60, 100},
                 {140, 190, 64, 90},
                 {180, 200, 67, 80}},
                {{0, 0xC0, 16, 0}, {0, 0xB0, 7, 100}}, 210)},
        {"FOR forever ended by a BREAK, a NEXT without a loop and a note held past the end",
         Events({kTempo, Cc(116, 0), On(0, 60, 100, 20), Wait(30), Cc(117, 0), On(0, 62, 100, 20),
                 Wait(30), Cc(117, 127), On(0, 64, 100, 200), Wait(40)}),
         Expect({{0, 20, 60, 100}, {30, 50, 62, 100}, {60, 100, 64, 100}}, {}, 100)},
        {"FOR 2 inside FOR forever, the outer one broken",
         Events({kTempo, Cc(116, 0), Cc(116, 2), On(0, 60, 100, 5), Wait(10), Cc(117, 127),
                 On(0, 62, 100, 5), Wait(10), Cc(117, 0), Wait(5), Cc(117, 127), On(0, 64, 100, 10),
                 Wait(20)}),
         Expect({{0, 5, 60, 100}, {10, 15, 60, 100}, {20, 25, 62, 100}, {35, 45, 64, 100}}, {},
                55)},
        {"branch markers and other XMIDI controllers among held notes",
         Events({kTempo, Program(5), Cc(110, 1), Cc(114, 3), On(0, 60, 100, 100), Wait(20),
                 Cc(120, 1), Cc(7, 90), Wait(20), Cc(119, 5), On(1, 48, 80, 40), Wait(20),
                 Cc(120, 2), Cc(118, 0), Wait(10)}),
         Expect({{0, 70, 60, 100}, {40, 70, 48, 80, 1}}, {{0, 0xC0, 5, 0}, {20, 0xB0, 7, 90}}, 70)},
        {"a loop body of no length does not hang", Events({Cc(116, 0), Cc(117, 127), Wait(1)}),
         Expect({}, {}, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cXmiSequencer seq;
        std::vector<Sent> sent = Play(seq, Parsed(c.file), 3000);
        std::sort(sent.begin(), sent.end());
        EXPECT_EQ(sent, c.want);
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
    for (const Case& c : cases) {
        DataError e;
        EXPECT_FALSE(ParseXmi(c.file.data(), c.file.size(), 0, &s, &e)) << c.what;
        EXPECT_NE(e.Message().find(c.named), std::string::npos) << c.what << ": " << e.Message();
    }
    DataError none;
    EXPECT_FALSE(ParseXmi(good.data(), good.size(), 1, &s, &none)) << "no second sequence";
    // A lone FORM XMID is a whole file.
    EXPECT_EQ(Parsed(LoneForm(MakeXmiEvents(FourNotes()))).events.size(), 5u);
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

// A note sounds while it plays and is silent after; sequences share one loaded
// font: it is read once, and a sequence still sounds after another that used
// the same font is released.
TEST_F(XmiSynth, SoundDuringNotesSilenceAfterAndOneSharedFont) {
    u32 loads = MidiSoundFontLoads();
    HSEQUENCE seq = Start(MakeXmi(OneNote(60, 60, 120)));  // half a second of a second
    ASSERT_NE(seq, nullptr) << AudioLastError();
    AudioSetSequenceUserData(seq, 0, 77);
    EXPECT_EQ(std::tuple(AudioSequenceStatus(seq), AudioSequenceUserData(seq, 0)),
              std::tuple(kSeqPlaying, 77));
    EXPECT_GT(Rms(Pull(300)), 300);
    i32 total = 0, current = 0;
    AudioSequenceMsPosition(seq, &total, &current);
    EXPECT_EQ(total, 1000);
    EXPECT_NEAR(current, 300, 20);
    Pull(500);  // past the note's release
    EXPECT_LT(Rms(Pull(150)), 30);
    Pull(200);
    EXPECT_EQ(AudioSequenceStatus(seq), kSeqDone);

    std::vector<u8> file = MakeXmi(OneNote(60, 120, 120));  // a second
    HSEQUENCE seqs[3];
    for (HSEQUENCE& s : seqs) ASSERT_NE(s = Start(file), nullptr) << AudioLastError();
    // At most the first sequence of the program read the file.
    EXPECT_LE(MidiSoundFontLoads() - loads, 1u);
    EXPECT_GE(MidiSoundFontLoads(), 1u);
    EXPECT_GT(Rms(Pull(200)), 300);
    for (HSEQUENCE s : {seqs[0], seqs[1]}) AudioReleaseSequence(s);
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
