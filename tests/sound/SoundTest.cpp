// The sound tests: effects, music and disc music, XMIDI and the synthesizer,
// and video playback, over one clean set-up in a temporary root.

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/DDraw.h"
#include "engine/DataErrors.h"
#include "engine/FrameState.h"
#include "engine/PixelFormat.h"
#include "mhdata/Archives.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleFigures.h"
#include "mhdata/SampleGame.h"
#include "platform/AudioDecode.h"
#include "platform/AudioEncode.h"
#include "platform/Display.h"
#include "platform/MidiSynth.h"
#include "platform/MidiXmi.h"
#include "SoundFixture.h"

// One note of `length` ticks in a piece of `end` ticks (120 a second).
static XmiPiece OneNote(u8 note, u32 length, u32 end) {
    XmiPiece p;
    p.notes.push_back({0, 0, note, 120, length});
    p.endTick = end;
    return p;
}

// The music manager's playlists, switches with fades, modes and repeats, over
// real stream and MIDI players pulled from the mixer; disc music from a folder
// that stands for a disc; XMIDI parsing and timing, loops, breaks and
// controllers, bad inputs, and the synthesizer's output from one shared font.
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
    // A piece of one note lasting `ticks` (120 a second) written as music/<file>;
    // its name as the game gives it.
    std::string WriteOneNote(const std::string& file, u32 ticks) {
        Write("music/" + file, MakeXmi(OneNote(64, ticks, ticks)));
        return Root() + "music\\" + file;
    }
    void Tick() {
        gStream.Service();
        gMidi.Service();
        gMusic.Service();
    }
    // Sets the mode, then gives the players their turn.
    void Mode(int mode, int repeat = 1, int fade = 0) {
        gMusic.SetMode(mode, repeat, fade);
        Tick();
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
    // Id 0, slot 2 and list 4 are each out of range.
    for (auto [id, slot, list] : {std::tuple{0, 0, 1}, {1, 2, 1}, {1, 0, 4}})
        gMusic.SetTrack(names_[0].c_str(), id, slot, list);
    for (int l = 1; l <= 3; ++l)
        for (const auto& s : gMusic.GetList(l).slots) EXPECT_EQ(s.name, nullptr);
    EXPECT_EQ(gMusic.GetMode(), 4);
    EXPECT_EQ(std::tuple(cMusic::KindOf("a\\b.wav"), cMusic::KindOf("song.mp3"),
                         cMusic::KindOf("x.xmi"), cMusic::KindOf("LOUD.WAV")),
              std::tuple(cMusic::kStream, cMusic::kStream, cMusic::kMidi, cMusic::kNotMusic));
    gMusic.SetTrack("LOUD.WAV", 5, 0, 1);
    EXPECT_EQ(std::tuple(gMusic.GetList(1).slots[0].name, gMusic.GetList(1).slots[0].id),
              std::tuple(nullptr, 5));
    Mode(1);
    EXPECT_EQ(std::tuple(gMusic.GetMode(), gMusic.IsFinished(), AudioMixer().ActiveVoices()),
              std::tuple(1, 1, 0));
    std::string missing = Root() + "music\\none.wav";
    gMusic.SetTrack(missing.c_str(), 1, 0, 1);
    Mode(1);
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
    // Pieces 1 and 2 in list 1, pieces 3 and 4 in list 2.
    for (int i = 0; i < 4; ++i) gMusic.SetTrack(names_[i].c_str(), i + 1, i % 2, i / 2 + 1);
    Mode(1);
    ASSERT_EQ(gMusic.CurrentId(), 1);
    EXPECT_NEAR(ToneHz(Pull(100)), 300, 15);
    // Loop the first list once round: piece 2, then piece 1 again.
    for (i32 id : {2, 1}) EXPECT_GE(FramesUntil(id), 0) << id;
    Mode(2, 1, 3);  // level 2032 / 3 per frame: gone in three frames
    // The fading piece still counts as playing.
    EXPECT_EQ(std::tuple(gMusic.CurrentId(), gMusic.GetPendingMode()), std::tuple(1, 2));
    int v0 = gStream.GetVolume();
    Tick();
    EXPECT_LT(gStream.GetVolume(), v0);
    int frames = FramesUntil(3);
    EXPECT_TRUE(frames >= 1 && frames <= 4) << frames;
    EXPECT_EQ(gMusic.GetMode(), 2);
    EXPECT_NEAR(ToneHz(Pull(100)), 500, 20);
    for (i32 id : {4, 3}) EXPECT_GE(FramesUntil(id), 0) << id;  // list 2 loops
    // A piece's volume touches only that piece, when it plays.
    gMusic.SetPieceVolume(4, 30);
    EXPECT_EQ(gStream.GetVolume(), 127);
    gMusic.SetPieceVolume(3, 30);
    EXPECT_EQ(std::tuple(gStream.GetVolume(), gMusic.GetVolume()), std::tuple(30, 127));
}

TEST_F(Music, ModeFourFadesToSilenceThroughAVolumeChangeAndRepeatTwoPlaysOnce) {
    gMusic.SetTrack(names_[0].c_str(), 1, 0, 1);
    Mode(1);
    ASSERT_EQ(gMusic.CurrentId(), 1);
    Mode(4, 1, 10);  // 2032 / 10 = 203 a frame
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
    for (int i = 0; i < 2; ++i) gMusic.SetTrack(names_[i].c_str(), i + 1, i, 3);
    Mode(3, 2);
    EXPECT_EQ(gMusic.CurrentId(), 1);
    EXPECT_GE(FramesUntil(2), 0);
    Run(20);
    EXPECT_EQ(std::tuple(gMusic.CurrentId(), gMusic.GetList(3).index, AudioMixer().ActiveVoices(),
                         gMusic.IsFinished()),
              std::tuple(0, 2, 0, 1));
}

TEST_F(Music, MidiPieceFadesAndEndsAndALoopingListPlaysItsPieceWithoutReadingItAnew) {
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    std::string name = WriteOneNote("long.xmi", 600);  // five seconds
    ASSERT_EQ(gMidi.Open(), 1);
    gMidi.WaitForSequences();
    MidiFinishFontLoads();
    gMusic.SetTrack(name.c_str(), 7, 0, 1);
    Mode(1);
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
    // A list of one piece plays it over and over from the copy its player
    // keeps: with the file taken away after the first start, every round sounds.
    gMusic.SetTrack(WriteOneNote("short.xmi", 24).c_str(), 8, 0, 2);  // 200 ms
    Mode(2);
    ASSERT_EQ(gMusic.CurrentId(), 8);
    std::filesystem::remove(dir_ / "music" / "short.xmi");
    for (int round = 1; round <= 2; ++round) {
        for (int i = 0; i < 20 && gMusic.CurrentId() == 8; ++i) Run(1);
        EXPECT_GE(FramesUntil(8, 20), 0) << round;
        EXPECT_GT(Rms(Pull(100)), 200) << round;
    }
}

// The player's sequences are made on a thread of their own after Open.
// Closing the player before they are made waits for them and frees them; a
// new Open makes both again: a piece played at once waits for them, a second
// piece finds the other and a third none.
TEST_F(Music, PiecesPlayedAsTheMidiPlayerOpensWaitForItsSequences) {
    if (!std::filesystem::exists(kDefaultSoundFont)) GTEST_SKIP() << "no sound font";
    std::string name = WriteOneNote("soon.xmi", 120);  // one second
    HoldMidiOpening(true);
    ASSERT_EQ(gMidi.Open(), 1);
    gMidi.Close();
    EXPECT_FALSE(gMidi.IsOpen());
    HoldMidiOpening(true);  // the close let the first opening go
    ASSERT_EQ(gMidi.Open(), 1);
    EXPECT_EQ(gMidi.Play(name.c_str(), 3, 127, 1), 1);
    EXPECT_EQ(gMidi.Play(name.c_str(), 4, 127, 1), 1);
    EXPECT_EQ(gMidi.Play(name.c_str(), 5, 127, 1), 0);  // two sequences, both busy
    ASSERT_EQ(gMidi.Playing().size(), 2u);
    MidiFinishFontLoads();
    Tick();  // the players' check each frame lets the read font in
    EXPECT_GT(Rms(Pull(200)), 200);
    EXPECT_EQ(std::tuple(gMidi.IsFinished(3), gMidi.IsFinished(4)), std::tuple(0, 0));
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

// A folder disc opens and out of range volumes read as full. Track 7 plays its
// tone once; a track above the last plays the last, heard again once; track 0
// loops the whole disc.
TEST_F(Redbook, FolderDiscOpensTracksPlayTheirTonesAndReplay) {
    cd_.Play(3, 0);  // closed: nothing plays
    EXPECT_EQ(std::tuple(cd_.Status(), AudioMixer().ActiveVoices()),
              std::tuple(kRedbookStopped, 0));
    std::string list = (dir_ / "missing").string() + ":" + (dir_ / "disc").string();
    EXPECT_EQ(MountDiscFolders(list), 1);
    ASSERT_TRUE(cd_.Open(3, -1));
    EXPECT_EQ(std::tuple(cd_.DriveLetter(), cd_.IsReady(), cd_.GetTrackCount()),
              std::tuple('D', true, 8));
    // Out of range volumes read as 127.
    for (int v : {-5, 40, 300}) {
        cd_.SetVolume(v);
        EXPECT_EQ(cd_.GetVolume(), v == 40 ? 40 : 127) << v;
    }
    EXPECT_FALSE(cd_.Open(0, 'q') || cd_.IsReady());
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
    EXPECT_EQ(std::tuple(cd_.Status(), cd_.LoopCount()), std::tuple(kRedbookPlaying, 0));
    EXPECT_NEAR(ToneHz(Pull(200)), SampleDiscTrackHz(1), 15);
}

namespace {
XmiPiece FourNotes() {
    XmiPiece p;
    for (int i = 0; i < 4; ++i)
        p.notes.push_back({static_cast<u32>(i * 60), 0, static_cast<u8>(60 + i), 100, 30});
    p.endTick = 240;
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
    const u8 head[] = {'F', 'O', 'R', 'M', 0,   0,   0, 0, 'X', 'M',
                       'I', 'D', 'E', 'V', 'N', 'T', 0, 0, 0,   0};
    std::vector<u8> f(sizeof(head) + events.size());
    std::copy(events.begin(), events.end(), std::copy(std::begin(head), std::end(head), f.begin()));
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

// Starts a voice of a constant signal, both channels equal.
int StartConstant(cAudioMixer& m, i16 value, size_t frames) {
    int v = m.Allocate();
    m.SetPcm(v, std::make_shared<PcmBuffer>(frames * 2, value));
    m.Start(v);
    return v;
}

std::vector<i16> MixOut(cAudioMixer& m, int frames) {
    std::vector<i16> out(static_cast<size_t>(frames) * 2);
    m.Mix(out.data(), frames);
    return out;
}

// An RGB colour packed with five bits of red and blue and `green` bits of green.
u16 Pack(u32 c, int green = 6) {
    return static_cast<u16>((((c >> 16) & 0xFF) >> 3) << (5 + green) |
                            (((c >> 8) & 0xFF) >> (8 - green)) << 5 | ((c & 0xFF) >> 3));
}
}  // namespace

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
        EXPECT_EQ(std::tuple(ons.size(), seq.Playing(), ons.empty() ? 0 : ons.back().tick),
                  std::tuple(c.notes, c.playing, (c.notes - 1) * 24));
        EXPECT_LE(seq.PositionMs(), seq.TotalMs());
    }
}

// Notes, loops, breaks, nested loops and XMIDI's own controllers (110-120, never
// sent) among held notes: what goes out at which tick, worked out from the
// event ticks. A loop pass starts its body's events anew from the NEXT's tick;
// the end of track releases the notes still held.
TEST(Xmi, NotesLoopsBreaksAndControllersAmongHeldNotes) {
    // One sequence of the program change, sent first, and four notes.
    const std::vector<u8> four = MakeXmi(FourNotes());
    XmiSequence s = Parsed(four);
    EXPECT_EQ(std::tuple(XmiSequenceCount(four.data(), four.size()), s.events.size(), s.LengthMs()),
              std::tuple(1, 5u, 2000u));
    cXmiSequencer first;
    EXPECT_EQ(Play(first, s, 3000).front(), (Sent{0, 0xC0, 0, 0}));
    struct Case {
        const char* what;
        std::vector<u8> file;
        std::vector<Sent> want;
    } cases[] = {
        {"four notes", four,
         Expect({{0, 30, 60, 100}, {60, 90, 61, 100}, {120, 150, 62, 100}, {180, 210, 63, 100}},
                {{0, 0xC0, 0, 0}}, 240)},
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
    const size_t evnt = std::string(good.begin(), good.end()).rfind("EVNT");
    ASSERT_NE(evnt, std::string::npos);
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
    // A sequence playing the file, its sound font read before it starts unless
    // the reading is left to go on.
    HSEQUENCE Start(const std::vector<u8>& file, bool fontRead = true) {
        HSEQUENCE seq = AudioAllocateSequence(drv_);
        if (!seq || !AudioInitSequence(seq, file.data(), static_cast<u32>(file.size()), 0))
            return nullptr;
        if (fontRead) MidiFinishFontLoads();
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
    EXPECT_TRUE(total == 1000 && std::abs(current - 300) <= 20) << total << " " << current;
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

// A piece started while its sound font is still being read waits silently at
// its start, and plays from there once the font is in.
TEST_F(XmiSynth, APieceWaitsForALateFontThenPlaysFromItsStart) {
    // A path of its own: this program has not read the font under it yet.
    std::filesystem::path font = std::filesystem::path(Root()) / "late.sf2";
    std::filesystem::create_symlink(kDefaultSoundFont, font);
    AudioSetSoundFont(font.c_str());
    u32 loads = MidiSoundFontLoads();
    MidiHoldFontLoads(true);
    std::vector<u8> file = MakeXmi(OneNote(60, 60, 120));
    HSEQUENCE seq = Start(file, false);
    ASSERT_NE(seq, nullptr) << AudioLastError();
    EXPECT_EQ(AudioSequenceStatus(seq), kSeqPlaying);
    EXPECT_LT(Rms(Pull(200)), 1);
    i32 total = 0, current = -1;
    AudioSequenceMsPosition(seq, &total, &current);
    EXPECT_EQ(std::tuple(MidiSoundFontLoads() - loads, current), std::tuple(0u, 0));

    MidiFinishFontLoads();
    EXPECT_EQ(AudioSequenceStatus(seq), kSeqPlaying);  // the player's check each frame
    EXPECT_EQ(MidiSoundFontLoads() - loads, 1u);
    EXPECT_GT(Rms(Pull(300)), 300);
    AudioSequenceMsPosition(seq, &total, &current);
    EXPECT_TRUE(std::abs(current - 300) <= 20) << current;
    AudioReleaseSequence(seq);
}

// Sound effects: the mixer's arithmetic, voices and status pulled directly with
// no device; the sound bank's header rebuild, kinds, bad entries, sample sharing
// and the game's sound calls through gSound; the built-in start and dialog sounds.

TEST(Mixer, PanAndVolumeScaleEachChannelAndConversionKeepsDurationAndChannels) {
    struct Case {
        int pan, volume;
        i16 left, right, tolerance;
    } cases[] = {
        {127, 127, 0, 12700, 0},       // hard right
        {0, 127, 12700, 0, 0},         // hard left
        {63, 127, 12700, 12700, 254},  // the centre: both near full
        {0, 64, 6400, 0, 0},           // 12700 x 64 / 127
        {63, 0, 0, 0, 0},              // silent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pan " << c.pan << " volume " << c.volume);
        cAudioMixer m(16);
        int v = StartConstant(m, 12700, 100);
        m.SetPan(v, c.pan);
        m.SetVolume(v, c.volume);
        auto out = MixOut(m, 50);
        EXPECT_NEAR(out[20], c.left, c.tolerance);
        EXPECT_NEAR(out[21], c.right, c.tolerance);
    }
    // Conversion keeps the duration and the channels.
    std::vector<i16> stereo(22050 * 2);
    for (size_t i = 0; i < stereo.size(); i += 2) stereo[i] = 1000, stereo[i + 1] = -1000;
    PcmBuffer out;
    ConvertToMix(stereo.data(), 22050, 2, 22050, &out);
    EXPECT_EQ(std::tuple(out.size(), out[100], out[101]),
              std::tuple(static_cast<size_t>(kMixRate) * 2, 1000, -1000));
    std::vector<i16> mono(1000, 10000);  // mono goes to both channels
    ConvertToMix(mono.data(), mono.size(), 1, kMixRate, &out);
    EXPECT_EQ(std::tuple(out.size(), out[200], out[201]), std::tuple(2000u, 10000, 10000));
}

TEST(Mixer, VoicesEndWithTheirSamplesLoopsOrSourceAndASeventeenthIsRefused) {
    cAudioMixer m(16);
    EXPECT_EQ(m.Status(0), kVoiceFree);
    int v = StartConstant(m, 1000, 300);
    MixOut(m, 299);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    auto out = MixOut(m, 10);
    EXPECT_EQ(m.Status(v), kVoiceDone);
    EXPECT_EQ(std::tuple(out[0], out[2]), std::tuple(1000, 0));  // the last frame, then silence

    m.SetLoops(v, 3);
    m.Start(v);
    MixOut(m, 899);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    MixOut(m, 2);
    EXPECT_EQ(std::tuple(m.Status(v), m.Played(v)), std::tuple(kVoiceDone, 900u));
    m.SetLoops(v, 0);  // forever
    m.Start(v);
    MixOut(m, 10000);
    EXPECT_EQ(m.Status(v), kVoicePlaying);
    m.Release(v);

    // A generator voice ends when its source runs short.
    int g = m.Allocate();
    int left = 100;
    m.SetSource(g, [&](i16* pcm, int frames) {
        int n = std::min(frames, left);
        for (int i = 0; i < n * 2; ++i) pcm[i] = 300;
        left -= n;
        return n;
    });
    m.Start(g);
    EXPECT_EQ(MixOut(m, 60)[0], 300);
    EXPECT_EQ(m.Status(g), kVoicePlaying);
    MixOut(m, 60);
    EXPECT_EQ(m.Status(g), kVoiceDone);

    // A seventeenth voice is refused and sums clamp, not wrapped round.
    cAudioMixer full(16);
    for (int i = 0; i < 16; ++i) ASSERT_GE(StartConstant(full, 20000, 10), 0);
    EXPECT_EQ(full.Allocate(), -1);
    EXPECT_EQ(MixOut(full, 5)[0], 32767);
    full.Release(3);
    EXPECT_EQ(full.Allocate(), 3);
}

class SoundBank : public SoundTest {
protected:
    bool InitWith(const std::map<int, BankSound>& sounds) {
        Write("PicLib/all.snd", MakeSoundBank(sounds));
        return gSound.Init(Root().c_str());
    }
};

TEST_F(SoundBank, MissingTruncatedOrBadBanksAndEntriesAreRefusedWithoutHarm) {
    EXPECT_FALSE(gSound.Init(Root().c_str()));
    EXPECT_EQ(LastDataError().text, "SFX file connot open.");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "PicLib" / "all.snd"));
    EXPECT_EQ(PlaySfx(1, 11), 0);
    std::vector<u8> cut = MakeSoundBank({{1, {0, Tone(440, 20)}}});
    cut.resize(kSoundBankHeaderSize + 1000);  // the directory cut short
    Write("PicLib/all.snd", cut);
    EXPECT_FALSE(gSound.Init(Root().c_str()));
    EXPECT_EQ(LastDataError().offset, kSoundBankHeaderSize + 1000u);
    // Bad entries and images in a whole bank are refused without harm.
    std::vector<u8> shortKind1(40, 'x');
    std::memcpy(shortKind1.data(), "RIFF", 4);
    std::vector<u8> zeroChannels = Tone(440, 20), pastEnd = Tone(440, 20), garbage(400);
    StoreU16(zeroChannels.data() + 22, 0);
    StoreU32(pastEnd.data() + 40, 1u << 30);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<u8>(i * 37 + 11);
    std::vector<u8> bank = MakeSoundBank({{1, {0, Tone(440, 20)}},
                                          {2, {1, shortKind1}},     // kind 1 below 44 bytes
                                          {4, {2, Tone(440, 20)}},  // kind 2
                                          {7, {1, zeroChannels}},
                                          {8, {1, pastEnd}},  // data length past the image
                                          {9, {1, garbage}}});
    // Sound 3: an offset past the end of the file.
    size_t e3 = kSoundBankHeaderSize + 2 * kSoundBankEntrySize;
    StoreU32(bank.data() + e3 + 20, 100);
    StoreU32(bank.data() + e3 + 24, static_cast<u32>(bank.size() + 10));
    // Sound 5: kind 0 with a size below its 24-byte header.
    size_t e5 = kSoundBankHeaderSize + 4 * kSoundBankEntrySize;
    StoreU32(bank.data() + e5 + 20, 10);
    StoreU32(bank.data() + e5 + 24, kSoundBankHeaderSize);
    Write("PicLib/all.snd", bank);
    ASSERT_TRUE(gSound.Init(Root().c_str()));
    for (int n : {2, 3, 4, 5, 6, 7, 8, 9, 3001, -2}) {  // 6: offset 0, no sound
        EXPECT_EQ(PlaySfx(n, 11), 0) << n;
        EXPECT_TRUE(n < 1 || n > 9 || gSound.GetEntry(n)->data == nullptr) << n;
    }
    EXPECT_EQ(gSound.PlayingCount(), 0);
    EXPECT_EQ(PlaySfx(1, 11), 1);
    PcmBuffer pcm;
    DataError error;
    EXPECT_FALSE(DecodeMp3(garbage.data(), garbage.size(), &pcm, &error));
}

// Kinds 0 and 1, WAVE and MP3, play their tones. A kind-0 entry is a WAVE
// file less its first 20 bytes, its data length taken from the entry's size:
// played at full volume in the centre, one at the mixer's rate whose stored
// data length lies reaches the output as its stored samples, each once, and
// then silence.
TEST_F(SoundBank, KindsZeroAndOneWaveAndMp3Play) {
    std::vector<i16> mp3Pcm = MakeTone(880, 300, 44100, 1);
    std::vector<u8> mp3;
    ASSERT_TRUE(EncodeMp3(mp3Pcm.data(), mp3Pcm.size(), 1, 44100, &mp3));
    std::vector<i16> ramp(2 * 300);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<i16>(i % 2 ? -100 - 7 * i : 100 + 5 * i);
    std::vector<u8> rampWave = MakeWave(ramp, 2, kMixRate);
    StoreU32(rampWave.data() + 40, 0xFFFFFFF0u);
    ASSERT_TRUE(InitWith({{1, {0, Tone(440, 200)}},
                          {2, {1, MakeWave(MakeTone(660, 200, 44100, 2), 2, 44100)}},
                          {3, {1, mp3}},
                          {4, {0, rampWave}}}));
    EXPECT_EQ(gSound.HandleCount(), 16);
    const double want[] = {440, 660, 880};
    for (int n = 1; n <= 3; ++n) {
        ASSERT_EQ(PlaySfx(n, 11), 1) << n << " " << gSound.GetErrorText();
        auto pcm = Pull(150);
        EXPECT_GT(Rms(pcm), 3000) << n;
        EXPECT_NEAR(ToneHz(pcm), want[n - 1], want[n - 1] * 0.05) << n;
        StopSfx(n);
        EXPECT_EQ(gSound.IsFinished(n), 1);
    }
    ASSERT_EQ(PlaySfx(4, 11), 1) << gSound.GetErrorText();
    std::vector<i16> heard(2 * 400);
    AudioMixer().Mix(heard.data(), 400);
    EXPECT_EQ(std::vector<i16>(heard.begin(), heard.begin() + 600), ramp);
    EXPECT_EQ(std::vector<i16>(heard.begin() + 600, heard.end()), std::vector<i16>(200, 0));
}

// Samples share their entry's data: it stays while any sample holds it, is
// released by a stop or by the service once the sound has ended, and no more
// than sixteen samples play at once.
TEST_F(SoundBank, SharedDataStayWhileAnySampleHoldsThem) {
    ASSERT_TRUE(InitWith({{5, {0, Tone(440, 500)}}, {1, {0, Tone(440, 40)}}}));
    for (int i = 0; i < 2; ++i) ASSERT_EQ(PlaySfx(5, 11), 1);
    EXPECT_EQ(gSound.GetEntry(5)->useCount, 2);
    StopSfx(5);
    EXPECT_EQ(std::pair(gSound.PlayingCount(), gSound.GetEntry(5)->data != nullptr),
              std::pair(1, true));
    EXPECT_GT(Rms(Pull(50)), 1000);
    StopSfx(5);
    EXPECT_EQ(std::pair(gSound.GetEntry(5)->data == nullptr, gSound.IsFinished(0)),
              std::pair(true, 1));

    ASSERT_EQ(PlaySfx(1, 11), 1);
    gSound.Service();
    EXPECT_EQ(gSound.IsFinished(1), 0);
    Pull(60);
    gSound.Service();
    EXPECT_EQ(std::pair(gSound.IsFinished(1), gSound.GetEntry(1)->data == nullptr),
              std::pair(1, true));

    for (int i = 0; i < 16; ++i) ASSERT_EQ(PlaySfx(5, 5), 1);
    EXPECT_EQ(PlaySfx(5, 5), 0);
    EXPECT_EQ(gSound.GetEntry(5)->useCount, 16);  // the refused play took nothing
    StopAllSfx();
    EXPECT_EQ(gSound.GetEntry(5)->data, nullptr);
}

TEST_F(SoundBank, VolumeScaleAndPositionalSound) {
    ASSERT_TRUE(InitWith({{1, {0, Tone(440, 500)}}}));
    ASSERT_EQ(PlaySfx(1, 11), 1);  // 11 x 128 / 11 = 128, clamped to 127
    EXPECT_EQ(AudioMixer().Volume(0), 127);
    StopAllSfx();
    ASSERT_EQ(PlaySfx(1, 0), 1);
    EXPECT_LT(Rms(Pull(50)), 1);
    StopAllSfx();

    PlaySfxFrom(1, 511, 0, 0, 0, 11);  // 511 px away: (128 - 127) x 11 / 11
    ASSERT_EQ(gSound.PlayingCount(), 1);
    auto playing = [] {
        for (int v = 0; v < AudioMixer().VoiceCount(); ++v)
            if (AudioMixer().Status(v) == kVoicePlaying) return v;
        return -1;
    };
    EXPECT_EQ(AudioMixer().Volume(playing()), 1);
    StopAllSfx();
    PlaySfxFrom(1, 512, 0, 0, 0, 11);
    EXPECT_EQ(gSound.PlayingCount(), 0);
    PlaySfxFrom(1, 256, 0, 0, 0, 11);  // to the right: 32 + 63
    EXPECT_EQ(AudioMixer().Pan(playing()), 95);
    StopAllSfx();
    // Far-apart points: the squares do not overflow into a small distance.
    PlaySfxFrom(1, 2000000000, 0, -2000000000, 0, 11);
    EXPECT_EQ(gSound.PlayingCount(), 0);
}

// The built-in start and dialog sounds, pulled from the mixer.
using ResourceSound = SoundTest;

// The start chime's two notes and its end; the dialog click is short, ends the
// sound before it and never holds more than one voice.
TEST_F(ResourceSound, StartChimeAndDialogClick) {
    ASSERT_TRUE(PlaySoundResource(kSoundResourceStart));
    auto first = Pull(100);
    EXPECT_GT(Rms(first), 2000);
    // Mono at the centre: both channels alike.
    EXPECT_NEAR(Rms(first, 0), Rms(first, 1), 0.02 * Rms(first));
    EXPECT_NEAR(ToneHz(first), 1046.5, 30);
    Pull(150);
    EXPECT_NEAR(ToneHz(Pull(80), 300), 1568, 30);  // the second, higher note
    Pull(1100);
    EXPECT_EQ(std::tuple(Rms(Pull(100)), AudioMixer().ActiveVoices()), std::tuple(0.0, 0));

    ASSERT_TRUE(PlaySoundResource(kSoundResourceStart));
    Pull(20);
    ASSERT_TRUE(PlaySoundResource(kSoundResourceDialog));
    EXPECT_EQ(AudioMixer().ActiveVoices(), 1);
    auto click = Pull(50);
    EXPECT_GT(Rms(click), 2000);
    EXPECT_NEAR(ToneHz(click), 880, 30);
    Pull(100);
    EXPECT_EQ(Rms(Pull(50)), 0);
    // Played over and over, it never holds more than one voice.
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(PlaySoundResource(kSoundResourceDialog));
    EXPECT_EQ(AudioMixer().ActiveVoices(), 1);
}

TEST_F(ResourceSound, OtherIdsPlayNothingAndALibraryResetIsSurvived) {
    for (int id : {0, -1, 1, 118, 121, 261, 100000}) {
        EXPECT_FALSE(PlaySoundResource(id)) << id;
        EXPECT_EQ(std::tuple(AudioMixer().ActiveVoices(), Rms(Pull(20))), std::tuple(0, 0.0)) << id;
    }
    ASSERT_TRUE(PlaySoundResource(kSoundResourceStart));
    AudioReset();
    EXPECT_EQ(Rms(Pull(20)), 0);
    ASSERT_TRUE(PlaySoundResource(kSoundResourceDialog));
    EXPECT_GT(Rms(Pull(30)), 2000);
}

// Video playback into the display's primary: frames of known colours land at
// their due times and are shown; goto, pause and stop; bad files and script
// names; the overlay act a script sets.

class Video : public SoundTest {
protected:
    void SetUp() override {
        Write("Video/TEST.BIK", MakeSolidVideo(32, 16, kSampleVideoColours, 10));
        PlatformSetVirtualTime(1000);
    }
    // Lets ms pass, then gives the video its turn.
    static void Step(u32 ms) {
        PlatformAdvanceTime(ms);
        StepVideo();
    }
    // Makes the display, fills its primary with 0x1234 and points the video at it.
    void Bind(int mode = kDisplayFullScreen) {
        ASSERT_EQ(gDDraw.Create(nullptr, mode, 640, 480, 16), 1);
        DisplayFill(Primary(), nullptr, 0x1234);
        ASSERT_TRUE(BindVideoToPrimary());
        gVideoTarget.afterStop = [this] { ++stops_; };
    }
    static DisplaySurface* Primary() { return gDDraw.GetSurface(kSurfacePrimary); }
    static u16 At(i32 x, i32 y) {
        i32 pitch = 0;
        const u16* px = DisplayLock(Primary(), &pitch);
        DisplayUnlock(Primary());
        return px[static_cast<size_t>(y) * (pitch / 2) + x];
    }
    bool Start(const std::string& name = "TEST.BIK") {
        return StartVideo((Root() + "Video\\" + name).c_str(), 100);
    }
    // Plays the whole video, checking the primary and the shown frame after
    // each frame, and that a pass before the next is due shows nothing.
    void PlayAndCheck(int green) {
        ASSERT_NE(Primary(), nullptr);
        DisplayFill(Primary(), nullptr, 0x1234);
        DisplaySetFrameLimit(1);
        ASSERT_TRUE(Start());
        u32 shownBefore = DisplayFrameCount();
        for (size_t f = 0; f < kSampleVideoColours.size(); ++f) {
            EXPECT_EQ(GetVideoFrame(), static_cast<int>(f + 1));
            StepVideo();
            ASSERT_EQ(DisplayFrameCount(), shownBefore + f + 1) << f;
            const std::vector<u16>& shown = DisplayFrames().back();
            u16 want = Pack(kSampleVideoColours[f], green);
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) {
                    u16 expect = (x < 32 && y < 16) ? want : 0x1234;
                    ASSERT_EQ(At(x, y), expect) << "frame " << f << " at " << x << "," << y;
                    ASSERT_EQ(shown[static_cast<size_t>(y) * 640 + x], expect) << "shown " << f;
                }
            Step(50);
            EXPECT_EQ(DisplayFrameCount(), shownBefore + f + 1) << "not yet due " << f;
            PlatformAdvanceTime(50);
        }
        EXPECT_EQ(std::tuple(!!(gRunState & kRunVideo), gBinkPlayer, GetVideoFrame()),
                  std::tuple(false, nullptr, -1));
    }
    int stops_ = 0;
};

// Windowed 5-6-5, a display made again (a mode switch), 5-5-5, and none.
TEST_F(Video, FramesLandInThePrimaryAtTheirDueTimesAndAreShown) {
    EXPECT_FALSE(BindVideoToPrimary());  // no display yet: nothing bound
    EXPECT_EQ(gVideoTarget.pixels, nullptr);
    Bind(kDisplayWindowed);
    EXPECT_EQ(gVideoTarget.layout, VideoPixels::Rgb565);
    // The windowed back surface holds something else: the video must not be covered by it.
    DisplayFill(gDDraw.GetSurface(kSurfaceBack), nullptr, 0x7777);
    PlayAndCheck(6);
    EXPECT_EQ(stops_, 1);
    // The display is released and made again: the video writes into the new
    // primary, never the freed one.
    gDDraw.Release();
    ResetDDraw();
    ASSERT_EQ(gDDraw.Create(nullptr, kDisplayFullScreen, 640, 480, 16), 1);
    PlayAndCheck(6);
    ResetDDraw();
    DisplaySetMasks(0x7C00, 0x03E0, 0x001F);
    Bind();
    EXPECT_EQ(gVideoTarget.layout, VideoPixels::Rgb555);
    PlayAndCheck(5);
    // No display at all: the video still runs to its end and stops.
    ResetDDraw();
    ASSERT_TRUE(Start());
    for (int i = 0; i < 40 && (gRunState & kRunVideo); ++i) Step(100);
    EXPECT_FALSE(gRunState & kRunVideo);
}

// A video is drawn from the screen's corner at its own size: the sample's
// opening and ship videos fill the screen, rows the right way up; the
// opening's first frame is the harbour by night with the moon still behind
// the cliffs, the ship's the harbour with the ship by the pier.
TEST_F(Video, TheSampleVideosFillTheScreen) {
    std::string error;
    ASSERT_TRUE(WriteSampleGame(Root(), &error)) << error;
    DisplaySetMasks(0x7C00, 0x03E0, 0x001F);
    Bind();
    const std::pair<const char*, ArchiveFrame> videos[] = {
        {"MH OPENING.BIK", OpeningFigure(0, 2)},
        {sampleMap::kPierVideoName, HarbourShipFigure(0, 2)}};
    for (const auto& [name, first] : videos) {
        SCOPED_TRACE(name);
        DisplayFill(Primary(), nullptr, 0x1234);
        ASSERT_TRUE(Start(name));
        StepVideo();
        for (auto [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}, {300, 280}})
            EXPECT_EQ(At(x, y), first.pixels[static_cast<size_t>(y) * 640 + x]) << x << "," << y;
        StopVideo();
    }
}

TEST_F(Video, MissingOrGarbageFileStopsAtOnceGotoPauseStopAndTheScriptCommand) {
    Bind();
    u32 shown = DisplayFrameCount();
    EXPECT_FALSE(Start("NONE.BIK"));
    EXPECT_EQ(std::pair(!!(gRunState & kRunVideo), stops_), std::pair(false, 1));
    Write("Video/BAD.BIK", std::vector<u8>(2000, 0x5A));
    EXPECT_FALSE(Start("BAD.BIK"));
    EXPECT_EQ(std::pair(DisplayFrameCount(), At(0, 0)), std::pair(shown, u16{0x1234}));

    ASSERT_TRUE(Start());
    StepVideo();
    gBinkPlayer->Goto(5);
    StepVideo();
    EXPECT_EQ(At(0, 0), Pack(kSampleVideoColours[4]));
    PauseVideo(true);
    Step(1000);
    EXPECT_EQ(GetVideoFrame(), 6);
    PauseVideo(false);
    Step(100);
    EXPECT_EQ(At(0, 0), Pack(kSampleVideoColours[5]));
    gBinkPlayer->Goto(2);
    Step(100);
    EXPECT_EQ(At(0, 0), Pack(kSampleVideoColours[1]));
    StopVideo();  // Esc
    EXPECT_EQ(std::tuple(!!(gRunState & kRunVideo), GetVideoFrame(), stops_),
              std::tuple(false, -1, 3));
    // The script command reads the name to its mark.
    std::vector<u8> script = {0x12, 0x34, 'T', 'E', 'S', 'T', '.', 'B', 'I', 'K', 0x25, 0x51, 0x99};
    u32 ip = 0;
    ScriptPlayVideo(Root().c_str(), script.data(), static_cast<u32>(script.size()), &ip);
    EXPECT_EQ(std::pair(ip, gBinkPlayer && gBinkPlayer->IsOpen()),
              std::pair(static_cast<u32>(script.size() - 1), true));
    // No end mark: the name stops at the script's end and nothing is read past it.
    std::vector<u8> open = {0x12, 0x34, 'A', 'B'};
    ip = 0;
    ScriptPlayVideo(Root().c_str(), open.data(), static_cast<u32>(open.size()), &ip);
    EXPECT_EQ(std::tuple(ip, gBinkPlayer), std::tuple(static_cast<u32>(open.size()), nullptr));
}

// The act a script sets is drawn centred at the bottom of each frame.
TEST_F(Video, OverlayActIsDrawnCentredAtTheBottomOfEachFrame) {
    h_.WriteSample();
    h_.StartGame();
    const i32 act = static_cast<i32>(sample_art::kBattleUnderlay);
    EXPECT_EQ(SetBinkOverLap(act, 0), 0) << "no video";
    ASSERT_TRUE(Start());
    EXPECT_EQ(SetBinkOverLap(act, 0), 1);
    ASSERT_NE(Primary(), nullptr);
    DisplayFill(Primary(), nullptr, 0x1234);
    StepVideo();
    const u16 want =
        ConvertPixel(SamplePictures().at(sample_art::kBattleUnderlay).frames[0].pixels[0]);
    // 64 x 64 at x = (640 - 64) / 2 = 288, y = 475 - 64 = 411.
    EXPECT_EQ(std::tuple(At(288, 411), At(351, 474)), std::tuple(want, want));
    for (auto [x, y] : {std::pair(287, 420), {352, 420}, {300, 410}, {300, 475}})
        EXPECT_EQ(At(x, y), 0x1234) << x << "," << y;
    StopVideo();
    EXPECT_EQ(SetBinkOverLap(1, 0), 0);
}
