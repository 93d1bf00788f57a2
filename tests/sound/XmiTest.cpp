// XMIDI parsing and timing, loops, bad inputs, the sequencer side by side with
// WildMidi's reading of the same files, and the synthesizer's output from one
// shared sound font.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#ifdef MH_HAVE_WILDMIDI
#include <wildmidi_lib.h>
#endif

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
    DataError e;
    bool ok = ParseXmi(file.data(), file.size(), 0, seq, &e);
    *error = e.Message();
    return ok;
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
    f.reserve(f.size() + events.size());
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
    DataError none;
    EXPECT_FALSE(ParseXmi(good.data(), good.size(), 1, &s, &none)) << "no second sequence";
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

// ---- Side by side with WildMidi's reading of the same files ----

#ifdef MH_HAVE_WILDMIDI
namespace {

// A message as a player sends it, at a tick of 120 Hz.
struct Sent {
    u32 tick;
    u8 status, d1, d2;
    auto operator<=>(const Sent&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Sent& m) {
    return os << m.tick << ":" << std::hex << int(m.status) << std::dec << "," << int(m.d1) << ","
              << int(m.d2);
}

// Hand-written EVNT bytes, one event (or delay) at a time.
using Ev = std::vector<u8>;
Ev Wait(u32 ticks) {  // at most 508: WildMidi sums four delay bytes
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
Ev Cc(u8 ch, u8 c, u8 v) {
    return {static_cast<u8>(0xB0 | ch), c, v};
}
Ev Program(u8 ch, u8 p) {
    return {static_cast<u8>(0xC0 | ch), p};
}
const Ev kTempo = {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};  // 500,000 us a beat
// The events in order, then the end of track.
std::vector<u8> Events(std::initializer_list<Ev> events) {
    Ev b;
    for (const Ev& e : events) b.insert(b.end(), e.begin(), e.end());
    b.insert(b.end(), {0xFF, 0x2F, 0x00});
    return MakeXmiFromEvents(b, 0);
}

// Our sequencer's messages before horizon ticks, timed by the frames it rendered.
std::vector<Sent> SequencerSends(const std::vector<u8>& file, u32 horizon, bool* ended) {
    XmiSequence s;
    DataError error;
    EXPECT_TRUE(ParseXmi(file.data(), file.size(), 0, &s, &error)) << error.Message();
    cXmiSequencer seq;
    seq.Load(s);
    seq.Start();
    constexpr u64 kFramesPerTick = 100;
    u64 frames = 0;
    std::vector<Sent> out;
    auto sink = [&](u8 st, u8 d1, u8 d2) {
        out.push_back({static_cast<u32>(frames / kFramesPerTick), st, d1, d2});
    };
    while (seq.Playing() && frames < horizon * kFramesPerTick)
        seq.Advance(7 * kFramesPerTick, kXmiTickRate * kFramesPerTick, sink,
                    [&](int n) { frames += static_cast<u64>(n); });
    *ended = !seq.Playing();
    std::erase_if(out, [&](const Sent& m) { return m.tick >= horizon; });
    return out;
}

// WildMidi's standard MIDI file of an XMIDI file: its track's channel messages
// in order and the end of track, at the converter's 3 ticks per XMIDI tick.
struct Track {
    std::vector<Sent> messages;
    u32 end = 0;
};
bool ReadByWildMidi(std::vector<u8> xmi, Track* t) {
    uint8_t* mid = nullptr;
    uint32_t size = 0;
    if (WildMidi_ConvertBufferToMidi(xmi.data(), static_cast<uint32_t>(xmi.size()), &mid, &size) <
        0)
        return false;
    std::vector<u8> m(mid, mid + size);
    std::free(mid);
    if (m.size() < 22 || std::memcmp(&m[14], "MTrk", 4) != 0) return false;
    size_t p = 22;
    auto vlq = [&] {
        u32 v = 0;
        while (p < m.size() && (m[p] & 0x80)) v = (v << 7) | (m[p++] & 0x7F);
        return p < m.size() ? (v << 7) | m[p++] : v;
    };
    u32 tick = 0;
    u8 status = 0;
    while (p < m.size()) {
        tick += vlq();
        if (p < m.size() && (m[p] & 0x80)) status = m[p++];
        if (tick % 3 != 0 || p >= m.size()) return false;
        if (status == 0xFF) {
            u8 type = m[p++];
            p += vlq();
            if (type == 0x2F) return t->end = tick / 3, true;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            p += vlq();
            continue;
        }
        bool two = (status & 0xF0) != 0xC0 && (status & 0xF0) != 0xD0;
        Sent s{tick / 3, status, m[p++], 0};
        if (two && p < m.size()) s.d2 = m[p++];
        t->messages.push_back(s);
    }
    return false;
}

// What a player makes of the track: each note-on paired with the first unused
// off of its key; XMIDI's controllers 110-120 kept back; FOR (116) opens a loop
// of n passes (0 forever, four open at most); 117 below 64 ends the innermost
// loop, from 64 on jumps back behind its FOR while passes are left; the end of
// track releases the notes still held. ended: the track's end came before horizon.
std::vector<Sent> PlayedByTheRules(const Track& t, u32 horizon, bool* ended) {
    auto isOff = [](const Sent& m) {
        return (m.status & 0xF0) == 0x80 || ((m.status & 0xF0) == 0x90 && m.d2 == 0);
    };
    std::vector<u32> dur(t.messages.size(), UINT32_MAX);
    std::vector<bool> used(t.messages.size(), false);
    for (size_t i = 0; i < t.messages.size(); ++i) {
        const Sent& on = t.messages[i];
        if ((on.status & 0xF0) != 0x90 || on.d2 == 0) continue;
        for (size_t j = i + 1; j < t.messages.size(); ++j) {
            const Sent& o = t.messages[j];
            if (used[j] || !isOff(o) || (o.status & 0x0F) != (on.status & 0x0F) || o.d1 != on.d1)
                continue;
            used[j] = true;
            dur[i] = o.tick - on.tick;
            break;
        }
    }
    struct Loop {
        size_t at;
        u32 start;
        int count;
    };
    std::vector<Loop> loops;
    std::vector<Sent> out;
    std::vector<std::pair<Sent, u32>> held;  // note-ons as played, with their lengths
    u64 offset = 0, end = horizon;
    size_t i = 0;
    for (; i < t.messages.size(); ++i) {
        const Sent& m = t.messages[i];
        u64 at = offset + m.tick;
        if (at >= horizon) break;
        if (isOff(m)) continue;
        if ((m.status & 0xF0) == 0xB0 && m.d1 >= 110 && m.d1 <= 120) {
            if (m.d1 == 116 && loops.size() < 4) loops.push_back({i + 1, m.tick, m.d2});
            if (m.d1 != 117 || loops.empty()) continue;
            Loop& l = loops.back();
            if (m.d2 < 64 || l.count == 1) {
                loops.pop_back();
                continue;
            }
            if (l.count > 1) --l.count;
            offset = at - l.start;
            i = l.at - 1;
            continue;
        }
        Sent played{static_cast<u32>(at), m.status, m.d1, m.d2};
        out.push_back(played);
        if ((m.status & 0xF0) == 0x90) held.push_back({played, dur[i]});
    }
    if (i == t.messages.size()) end = std::min<u64>(offset + t.end, horizon);
    *ended = i == t.messages.size() && end < horizon;
    for (const auto& [on, length] : held) {
        u64 off = length == UINT32_MAX ? end : std::min<u64>(on.tick + length, end);
        if (off < horizon)
            out.push_back(
                {static_cast<u32>(off), static_cast<u8>(0x80 | (on.status & 0x0F)), on.d1, 0});
    }
    return out;
}

}  // namespace
#endif

// The sample's piece and hand-made ones with loops, breaks, nested loops and
// branch markers among held notes: our sequencer sends the same notes and
// controllers at the same ticks as a player of WildMidi's reading, and ends
// when it does.
TEST_F(SoundTest, XmiPlaysAsWildMidiReadsIt) {
#ifndef MH_HAVE_WILDMIDI
    GTEST_SKIP() << "WildMidi is not installed";
#else
    std::string error;
    for (const char* d : {"PicLib", "music", "Video"})
        std::filesystem::create_directories(dir_ / d);
    ASSERT_TRUE(WriteSoundData(Root(), &error)) << error;
    std::vector<u8> theme = ReadHostFile(h_.Path("music/theme.xmi"));
    struct Case {
        const char* what;
        std::vector<u8> file;
    } cases[] = {
        {"the sample's theme", theme},
        {"FOR 3 with a note across its NEXT",
         Events({kTempo, Program(0, 16), Cc(0, 7, 100), Cc(0, 116, 3), On(0, 60, 100, 30), Wait(20),
                 On(0, 64, 90, 50), Wait(40), Cc(0, 117, 127), On(0, 67, 80, 20), Wait(30)})},
        {"FOR forever ended by a BREAK, a NEXT without a loop and a note held past the end",
         Events({kTempo, Cc(0, 116, 0), On(0, 60, 100, 20), Wait(30), Cc(0, 117, 0),
                 On(0, 62, 100, 20), Wait(30), Cc(0, 117, 127), On(0, 64, 100, 200), Wait(40)})},
        {"FOR 2 inside FOR forever, the outer one broken",
         Events({kTempo, Cc(0, 116, 0), Cc(0, 116, 2), On(0, 60, 100, 5), Wait(10), Cc(0, 117, 127),
                 On(0, 62, 100, 5), Wait(10), Cc(0, 117, 0), Wait(5), Cc(0, 117, 127),
                 On(0, 64, 100, 10), Wait(20)})},
        {"branch markers and other XMIDI controllers among held notes",
         Events({kTempo, Program(0, 5), Cc(0, 110, 1), Cc(0, 114, 3), On(0, 60, 100, 100), Wait(20),
                 Cc(0, 120, 1), Cc(0, 7, 90), Wait(20), Cc(0, 119, 5), On(1, 48, 80, 40), Wait(20),
                 Cc(0, 120, 2), Cc(0, 118, 0), Wait(10)})},
    };
    const u32 horizon = 1000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Track t;
        ASSERT_TRUE(ReadByWildMidi(c.file, &t)) << WildMidi_GetError();
        bool wantEnded = false, ended = false;
        std::vector<Sent> want = PlayedByTheRules(t, horizon, &wantEnded);
        std::vector<Sent> got = SequencerSends(c.file, horizon, &ended);
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, want);
        EXPECT_TRUE(wantEnded);
        EXPECT_EQ(ended, wantEnded);
    }
#endif
}
