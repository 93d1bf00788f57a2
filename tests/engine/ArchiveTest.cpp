// Act archives, the act cache and TakeActData: every command, loops,
// restarts, delays and scale, bad acts, and frames drawn from the sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "DrawTestUtil.h"
#include "base/ByteIo.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "engine/MyAct.h"
#include "engine/PixelFormat.h"
#include "engine/RlePic.h"
#include "engine/Tsw.h"
#include "engine/ZoomBlit.h"
#include "mhdata/Archives.h"
#include "mhdata/InterfaceArt.h"
#include "support/Harness.h"

namespace {

// The sample archives or hand-made ones in a temporary root, opened through
// the game's own readers.
struct ArchiveRoot {
    Harness h;
    // With sample, the sample archives are written (not opened).
    explicit ArchiveRoot(bool sample = false) {
        std::filesystem::create_directories(h.Path("PicLib"));
        std::string error;
        EXPECT_TRUE(!sample || WriteSampleArchives(h.root(), &error)) << error;
    }
    std::string File(int archive, const char* ext) const {
        std::string name = kPicArchiveNames[archive];
        return h.Path("PicLib/" + name.substr(7) + ext);
    }
    void Write(int archive, const char* ext, const std::vector<u8>& bytes) {
        WriteHostFile(File(archive, ext), bytes);
    }
    void Open() {
        SetPicLibPath(h.root().c_str());
        OpenPicLib();
    }
};

// The bytes with the 16-bit (width 2) or 32-bit word at `at` set to value.
std::vector<u8> With(std::vector<u8> b, u32 at, u32 value, int width = 4) {
    width == 2 ? StoreU16(&b[at], static_cast<u16>(value)) : StoreU32(&b[at], value);
    return b;
}

ActPlayer Player(i32 act, i32 action = 0, i32 dir = 0) {
    return {.act = act, .action = action, .dir = dir, .lastDir = dir};
}

// The player after one tick.
ActPlayer Ticked(ActPlayer p) {
    TakeActData(&p);
    return p;
}

// Acts of all_char: entry e is act e.
struct ActRoot {
    ArchiveRoot root;
    std::map<u32, ActProgram> acts;
    void Part(u32 act, i32 key, const ActWords& w) { acts[act].parts[key] = w.words; }
    void Write() { Write(BuildActArchive(acts)); }
    void Write(const std::vector<u8>& bytes) {
        root.Write(0, ".act", bytes);
        SetPicLibPath(root.h.root().c_str());
        FreeActs();
    }
    // A player of act, after writing the acts.
    ActPlayer Play(i32 act, i32 action = 0, i32 dir = 0) {
        Write();
        return Player(act, action, dir);
    }
};

// Ticks of hand-written acts.
struct TakeActDataTest : testing::Test {
    ActRoot r;
};

// The frame shown after each of n ticks.
std::vector<u16> Frames(ActPlayer* p, int n) {
    std::vector<u16> out;
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(TakeActData(p), 1) << "tick " << i;
        out.push_back(p->frame);
    }
    return out;
}
using F = std::vector<u16>;

TEST_F(TakeActDataTest, DelaysHoldOVAndO2EndsAndLoopPassesCountDown) {
    r.Part(1, 0, ActWords().Rf(7).Sd(3).Pa(1).Ed().Pa(2).Ed().Ov());
    r.Part(2, 0, ActWords().Sd(9).Pa(1).Ed().Pa(2).Ed().Ov());
    r.Part(3, 0, ActWords().Sd(1).Pa(1).Ed().Pa(2).O2());
    ActPlayer p = r.Play(1);
    EXPECT_EQ(Frames(&p, 10), (F{1, 1, 1, 1, 2, 2, 2, 2, 2, 1}));
    EXPECT_EQ(std::tuple(p.pic, p.frameCounter), std::tuple(7, 3));
    // An override of one tick replaces the stored delay of nine.
    ActPlayer q{.act = 2, .delayOverride = kDelayOverrideOn | 1};
    EXPECT_EQ((std::pair{Frames(&q, 3), q.delay}), std::pair(F{1, 1, 2}, u16{9}));
    // "O2" stays on the last frame: tick 3 reaches it with the delay just
    // loaded; tick 5 reaches it with none left and ends.
    ActPlayer o = Player(3);
    EXPECT_EQ((std::pair{Frames(&o, 4), o.ended}), std::pair(F{1, 1, 2, 2}, 0u));
    EXPECT_EQ((std::tuple{Frames(&o, 6), o.ended, o.frameCounter}), std::tuple(F(6, 2), 1u, u8{2}));
    // Hold keeps the frame.
    r.Part(1, 0, ActWords().Rf(5).Pa(1).Ed().Pa(2).Ed().Ov());
    r.Part(2, 0, ActWords().Pa(3).Ed().Pa(4).Ed());
    ActPlayer h = Ticked(r.Play(1));
    h.hold = 1;
    EXPECT_EQ(Frames(&h, 3), (F{1, 1, 1}));
    // Hold without a picture runs, and leaves the index on the "ED".
    ActPlayer hq = Player(2);
    std::tie(hq.lastAct, hq.hold) = std::tuple(2, 1u);  // a restart would clear the hold
    TakeActData(&hq);
    EXPECT_EQ(std::tuple(hq.frame, hq.cmdIndex), std::tuple(3, 2));
    hq.hold = 0;
    EXPECT_EQ(Frames(&hq, 2), (F{3, 4}));  // first the "ED" it stayed on
    // Loop passes count down, then go on; loop edges.
    // Frames 1..3 three times, then frame 9 for good.
    ActWords lw;
    lw.Cmd(kActTN, {0}).Cmd(kActLP, {2, 4, 3});
    lw.Pa(0).Ed().Pa(1).Ed().Pa(2).Ed().Pa(3).Ed().Pa(9).O2();
    r.Part(1, 0, lw);
    ActPlayer lp = r.Play(1);
    // Each pass runs from the start: "TN" resets the counter, and frame 0
    // lies below the loop start, so it is passed over.
    EXPECT_EQ(Frames(&lp, 16), (F{1, 2, 3, 1, 2, 3, 1, 2, 3, 9, 9, 9, 9, 9, 9, 9}));
    EXPECT_EQ(std::tuple(lp.loopCount, lp.ended), std::tuple(0, 1u));
    // Endless loops, a loop of one pass, a loop start below and a count set from outside.
    ActWords endless, once, below;
    endless.Cmd(kActTN, {0}).Cmd(kActLP, {0, 2, kLoopEndless});
    r.Part(1, 0, endless.Pa(1).Ed().Pa(2).Ed().Pa(7).Ed());
    once.Cmd(kActTN, {0}).Cmd(kActLP, {0, 2, 1});
    r.Part(2, 0, once.Pa(1).Ed().Pa(2).Ov().Pa(7).Ed());
    below.Cmd(kActTN, {0}).Cmd(kActLP, {2, 3, 1}).Cmd(kActWV, {5}).Cmd(kActAT, {0x21});
    r.Part(3, 0, below.Pa(1).Ed().Pa(2).Ed());
    r.Part(4, 0, ActWords().Pa(1).Ed().Pa(2).Ed().Ov());
    ActPlayer e = r.Play(1);
    EXPECT_EQ((std::pair{Frames(&e, 6), e.loopCount}),
              std::pair(F{1, 2, 1, 2, 1, 2}, u16{kLoopSet | kLoopEndless}));
    ActPlayer one = Player(2);
    Frames(&one, 2);  // end of the only pass at "OV": back to the start, loop gone
    EXPECT_EQ(std::tuple(one.loopCount, one.cmdIndex), std::tuple(0, 0));
    // Below the loop start, events and sound are cleared as the frame passes.
    ActPlayer b = Player(3);
    EXPECT_EQ((std::pair{Frames(&b, 1), b.sound + b.event}), std::pair(F{2}, 0));
    // A count of 0x8002 set from outside: the end of a pass leaves one pass.
    ActPlayer lo = Ticked(Player(4));
    std::tie(lo.loopCount, lo.loopStart, lo.loopEnd) = std::tuple(0x8002, 0, 2);
    TakeActData(&lo);  // "PA" 2 brings the counter to the loop end
    EXPECT_EQ(std::tuple(lo.loopCount, lo.cmdIndex), std::tuple(0x8001, 0));
}

TEST_F(TakeActDataTest, RestartsKeepTheModeBitsAndFieldsTheyShouldAndScaleZoomsOnlyWhenAsked) {
    for (i32 key = 0; key < 12; ++key)
        r.Part(1, key, ActWords().Cmd(kActVI).Cmd(kActAM).Pa(static_cast<u16>(key)).Ed().Ov());
    r.Part(2, 0, ActWords().Pa(0).Ed());
    r.Part(2, 3, ActWords().Pa(3).Ed());
    ActPlayer p = r.Play(1);
    p.drawMode = 0x80000000u;
    TakeActData(&p);
    EXPECT_EQ(p.drawMode, 0x80000005u);
    // Action change: mirror kept, additive dropped.
    std::tie(p.action, p.cmdIndex, p.delayCount, p.xOff) = std::tuple(8, 99, 0, 3);
    TakeActData(&p);
    EXPECT_EQ(std::tuple(p.frame, p.lastAction), std::tuple(8, 8));
    std::tie(p.drawMode, p.action, p.act) = std::tuple(0x80000007u, 0, 1);
    TakeActData(&p);  // restart keeps 0x80000003 and then runs VI and AM
    EXPECT_EQ(p.drawMode, 0x80000007u);
    // Direction change alone: only bit 31 survives.
    ActPlayer q = Ticked(Player(2));
    std::tie(q.drawMode, q.dir) = std::tuple(0x80000003u, 3);
    TakeActData(&q);
    EXPECT_EQ(std::tuple(q.drawMode, q.frame, q.lastDir), std::tuple(0x80000000u, 3, 3));
    // Action change alone keeps mirror and flip.
    std::tie(q.drawMode, q.action, q.dir, q.lastDir, q.lastAction) =
        std::tuple(0x80000003u, 0, 0, 0, 5);
    TakeActData(&q);
    EXPECT_EQ(q.drawMode, 0x80000003u);
    r.Part(1, 0, ActWords().Pa(0).Ed());
    ActPlayer c = r.Play(1);
    c.lastAct = 2;
    c.pic = 4, c.frame = 5, c.frameCounter = 6, c.tnValue = 7, c.scaleX = 8, c.overlayX = 9,
    c.overlayPic = 10;
    c.colR2 = 11, c.delayOverride = 0;
    c.layerAct = 1, c.cellW = 2, c.sound = 3, c.event = 4, c.hitX = 5, c.blend = 6, c.wave = 7,
    c.wavePhase = 8;
    c.colR = 9, c.fl[3] = 10, c.loopCount = 0x8001, c.ended = 1, c.smFlag = 1, c.ldValue = 3;
    TakeActData(&c);
    // The frame counter is kept, then "PA" counts it.
    EXPECT_EQ(std::tuple(c.frame, c.frameCounter, c.pic, c.tnValue, c.scaleX, c.overlayX,
                         c.overlayPic, c.colR2),
              std::tuple(0, 7, 4, 7, 8, 9, 10, 11));
    EXPECT_EQ(c.layerAct + c.cellW + c.sound + c.event + c.hitX + c.blend + c.wave + c.wavePhase,
              0u);
    EXPECT_EQ(c.colR + c.fl[3] + c.loopCount + c.ended + c.smFlag + c.ldValue, 0u);
    // Scale zooms only when asked.
    r.Part(1, 0, ActWords().Xy(10, -4).Cmd(kActSC, {512}).Pa(0).Ed());
    r.Write();
    SetZoom(0, 0, 1024, 1024);
    ActPlayer sp = Ticked(Player(1));
    // Not asked: the zoom state is left alone.
    EXPECT_EQ(std::tuple(sp.scaleX, sp.scaleY, sp.drawMode & 0x80, gZoomScaleX),
              std::tuple(512, 512, 0u, 1024));
    EXPECT_EQ((std::tuple{Ticked({.act = 1, .zoomAlways = 1}).drawMode & 0x80, gZoomAnchorX,
                          gZoomAnchorY, gZoomScaleX, gZoomScaleY, gActLastScale, gActLastY}),
              std::tuple(0x80u, 10, -4, 512, 512, 512, -4));
    SetZoom(0, 0, 1024, 1024);
    SetActZoomAll(1);
    EXPECT_EQ((std::pair{Ticked(Player(1)).drawMode & 0x80, gZoomScaleX}), std::pair(0x80u, 512));
}

TEST_F(TakeActDataTest, EveryTagTwoOperandCommandsMissingActsAndPartsThatStop) {
    ActWords w;
    w.Cmd(kActAM).Cmd(kActAH).Cmd(kActGS, {0x10C}).Cmd(kActLD, {0x207}).Cmd(kActTN, {0x0305});
    w.Cmd(kActWV, {44}).Cmd(kActAT, {0x20}).Cmd(kActAX, {0xFFFE}).Cmd(kActAY, {6});
    w.Cmd(kActOX, {0xFFF0}).Cmd(kActOY, {3}).Cmd(kActRO, {9001}).Cmd(kActOA, {2});
    w.Cmd(kActAE, {0xFFFF}).Cmd(kActQE, {8}).Cmd(kActTW, {0x1203}).Cmd(kActWH, {2, 3});
    w.Cmd(kActCR, {1, 2}).Cmd(kActCG, {3, 4}).Cmd(kActCB, {5, 6});
    w.Cmd(kActFL, {1, 2, 3, 4, 5, 6, 7}).Cmd(kActSM).Cmd(0x7A7A).Ed();
    w.Cmd(kActCL).Cmd(kActAN).Cmd(kActNO).Ed();
    r.Part(1, 0, w);
    // The second operands equal tags ("VI", "SM", "AM"). Both operands are
    // stepped past: stepping past the first only would read each second one
    // again as a command word and run it, setting draw mode bits 1 and 4 and
    // the "SM" flag from an offset, a size and a colour.
    ActWords two;
    two.Cmd(kActXY, {5, kActVI}).Cmd(kActWH, {1, kActSM}).Cmd(kActCR, {1, kActAM});
    r.Part(2, 0, two.Pa(1).Ed());
    ActPlayer p = r.Play(1);
    p.drawMode = 1;
    TakeActData(&p);
    EXPECT_EQ(p.drawMode, 1u | 4 | 8 | 0x14 | 0x10);
    EXPECT_EQ(std::tuple(p.blend, p.ldValue, p.tnValue, p.frameCounter, p.sound, p.event),
              std::tuple(0x0C, 7, 5, 3, 44, kActEventLayer2));
    EXPECT_EQ(std::tuple(p.hitX, p.hitY, p.overlayX, p.overlayY, p.overlayPic, p.overlayFrame),
              std::tuple(-2, 6, -16, 3, 9001, 2));
    // "AE" is zero-extended.
    EXPECT_EQ(std::tuple(p.layerAct, p.layerAction, p.cellW, p.cellH, p.smFlag),
              std::tuple(0xFFFFu, 8u, 2u, 3u, 1u));
    EXPECT_EQ(std::tuple(p.colR, p.colG, p.colB, p.colR2, p.colG2, p.colB2, p.wave, p.fl[6]),
              std::tuple(1, 3, 5, 2, 4, 6, 3, 7));
    TakeActData(&p);
    EXPECT_EQ(p.overlayFrame, 0);  // cleared before each frame's commands
    EXPECT_EQ(std::tuple(p.colR2 + p.colG2 + p.colB2, p.colR, p.drawMode & 1, p.drawMode & 0x2C),
              std::tuple(0, 1, 0u, 0x2Cu));
    ActPlayer q = Ticked(Player(2));
    EXPECT_EQ(std::tuple(q.xOff, q.yOff, q.drawMode, q.smFlag, q.frame),
              std::tuple(5, static_cast<i16>(kActVI), 0u, 0u, 1));
    // Missing acts or parts, act zero, and parts that stop.
    r.Part(1, 0, ActWords().Pa(1).Ed());
    r.Part(1, 2, ActWords().Pa(2).Ed());
    r.Part(7, 0, ActWords().Pa(1).Pa(2));
    r.Part(8, 0, ActWords().Pa(3).Ed().Cmd(kActFL, {1, 2}));
    ActPlayer none = r.Play(0);
    EXPECT_EQ(TakeActData(&none), 1);
    // Key 1 has offset 0, key 3 lies past the table, act 5 is absent, the rest
    // are outside every archive.
    const i32 missing[][2] = {{1, 1},     {1, 3},     {5, 0},     {3000, 0}, {6000, 0},
                              {18000, 0}, {18001, 0}, {65535, 0}, {-1, 0}};
    for (const auto& m : missing) {
        ActPlayer b = Player(m[0], m[1]);
        EXPECT_EQ(TakeActData(&b), 0) << m[0] << " " << m[1];
    }
    ActPlayer ok = Player(1, 0, 2);
    EXPECT_EQ((std::pair{TakeActData(&ok), ok.frame}), std::pair(1, u16{2}));
    // Parts without an end, or with cut operands, stop.
    ActPlayer mp = Player(7);
    EXPECT_EQ((std::pair{Frames(&mp, 3), mp.frameCounter}), std::pair(F{2, 2, 2}, u8{2}));
    ActPlayer mq = Ticked(Ticked(Player(8)));
    EXPECT_EQ(std::tuple(mq.fl[0], mq.frame), std::tuple(0, 3));
}

// Each mode tag alone: "GS" blends (0x14) at the level of its low byte and
// never tints; "LD" is the tint.
TEST_F(TakeActDataTest, EachModeTagAloneSetsOnlyItsOwnBits) {
    const struct {
        u16 tag;
        int operands;  // 0 or one, op
        u16 op;
        u32 mode;
        u8 blend;
    } tags[] = {{kActVI, 0, 0, 1, 0},         {kActAM, 0, 0, 4, 0},
                {kActAH, 0, 0, 8, 0},         {kActAN, 0, 0, 0x2C, 0},
                {kActGS, 1, 0x0309, 0x14, 9}, {kActLD, 1, 0x0207, 0x10, 0}};
    for (u32 k = 0; k < std::size(tags); ++k) {
        ActWords w;
        tags[k].operands ? w.Cmd(tags[k].tag, {tags[k].op}) : w.Cmd(tags[k].tag);
        r.Part(k + 1, 0, w.Pa(1).Ed());
    }
    r.Write();
    for (u32 k = 0; k < std::size(tags); ++k) {
        ActPlayer p = Ticked(Player(static_cast<i32>(k + 1)));
        EXPECT_EQ(std::pair(p.drawMode, p.blend), std::pair(tags[k].mode, tags[k].blend)) << k;
    }
}

TEST(ActCache, LoadsOnceTrimsAtBudgetAndDirectReadsDoNotLeak) {
    ActRoot r;
    for (u32 a = 1; a <= 20; ++a) r.Part(a, 0, ActWords().Pa(static_cast<u16>(a)).Ed().Ov());
    ActPlayer p = r.Play(1);
    for (int i = 0; i < 5; ++i) TakeActData(&p);
    ActCacheStats s = GetActCacheStats();
    EXPECT_EQ(std::tuple(s.reads, s.entryReads, s.counts[1]), std::tuple(1u, 1u, 1));
    u32 one = s.total;
    SetActMemory(one * 3);
    for (u32 a : {17u, 2u, 3u}) Ticked(Player(static_cast<i32>(a)));
    // Act 17 shares bucket 1 with act 1; that bucket was the fullest and lost its tail (act 1).
    EXPECT_EQ(std::pair(GetActCacheStats().counts[1], GetActCacheStats().total <= one * 3),
              std::pair(u16{1}, true));
    Ticked(Player(1));
    // The entry of act 1 was still cached.
    EXPECT_EQ(std::pair(GetActCacheStats().entryReads, GetActCacheStats().reads),
              std::pair(4u, 5u));

    FreeActs();
    MemDbgStats before = MemDbgGetStats();
    SetActCacheMode(0);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Ticked(Player(1 + i)).frame, 1 + i);
    FreeActs();
    EXPECT_EQ(MemDbgGetStats().curBlocks, before.curBlocks);
    // Parts run to the next non-zero offset.
    ActProgram prog;
    prog.parts[0] = {1, 2};
    prog.parts[3] = {4, 5, 6};
    std::vector<u8> data = BuildActData(prog);
    // Found or not, the offset (after the count and four offsets) and length.
    auto find = [&](u32 size, i32 key) {
        u32 off = 0, n = 0;
        bool found = FindActPart(data.data(), size, key, &off, &n);
        return std::tuple(found, found ? off : 0, found ? n : 0);
    };
    const u32 all = static_cast<u32>(data.size());
    EXPECT_EQ(find(all, 0), std::tuple(true, 2u + 16, 4u));
    EXPECT_EQ(find(all, 3), std::tuple(true, 2u + 16 + 4, 6u));
    for (auto [size, key] : {std::pair{all, 1}, {all, 4}, {1u, 0}})
        EXPECT_EQ(find(size, key), std::tuple(false, 0u, 0u)) << size << " " << key;
}

// ---- Bad act archives ----

TEST(ActArchive, BadDirectoriesAndPartTablesRefusedMissingActsOnceAndWhereTheDirectoryEnds) {
    ActRoot r;
    r.Part(1, 0, ActWords().Pa(1).Ed());
    r.Part(1, 1, ActWords().Pa(2).Ed());
    std::vector<u8> good = BuildActArchive(r.acts);
    u32 actAt = LoadU32(&good[kTswHeaderSize + 24]);
    auto check = [&](const std::vector<u8>& bytes, i32 key, int want) {
        r.Write(bytes);
        ActPlayer p = Player(1, key);
        return TakeActData(&p) == want;
    };
    EXPECT_TRUE(check(good, 1, 1));
    u32 pastFile = static_cast<u32>(good.size()) + 4;
    EXPECT_TRUE(check(With(good, kTswHeaderSize + 24, pastFile), 0, 0));    // offset past the file
    EXPECT_TRUE(check(With(good, kTswHeaderSize + 20, 0x7FFFFFFF), 0, 0));  // size past the file
    EXPECT_TRUE(check(With(good, actAt + 2 + 4, 5000), 1, 0));  // part offset past the data
    EXPECT_TRUE(check(With(good, actAt + 2 + 4, 5000), 0, 0));  // part 0 would end past it too
    EXPECT_TRUE(check(With(good, actAt, 9000, 2), 0, 0));       // part count larger than the data
    EXPECT_TRUE(check(With(good, actAt + 2, 3), 0, 0));         // part starting inside the table
    EXPECT_TRUE(check({good.begin(), good.begin() + 100}, 0, 0));  // truncated directory
    EXPECT_NE(std::string(ActLastError()).find("all_char.act"), std::string::npos)
        << ActLastError();
    // An empty entry, an entry of size 0, a number past a directory cut to three
    // entries and entry 0 are missing acts: each asked for twice, refused as
    // missing in one line, and the cut directory is never read past its end.
    r.Part(2, 0, ActWords().Pa(2).Ed());
    std::vector<u8> full = BuildActArchive(r.acts);
    std::vector<u8> sizeZero = With(full, kTswHeaderSize + kTswEntrySize + 20, 0);  // act 2
    std::vector<u8> cut(full.begin(), full.begin() + kTswHeaderSize + 3 * kTswEntrySize);
    struct Case {
        const char* what;
        const std::vector<u8>& archive;
        i32 act;
        u32 entryReads;
    } cases[] = {{"empty entry", full, 5, 1},
                 {"size 0", sizeZero, 2, 1},
                 {"past a directory of 3", cut, 7, 0},
                 {"entry 0", full, 3000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetActs();
        r.Write(c.archive);
        testing::internal::CaptureStderr();
        for (int i = 0; i < 2; ++i) {
            ActPlayer p = Player(c.act);
            EXPECT_EQ(TakeActData(&p), 0);
        }
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("act " + std::to_string(c.act) + ": missing"), std::string::npos)
            << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(GetActCacheStats().entryReads, c.entryReads);
    }
    // The directory ends where the first act's data begins, whatever order the
    // data lie in: a slot past that point lies inside an act and is no entry, even
    // where its bytes look like one.
    ActProgram one, three;
    one.parts[0] = ActWords().Pa(1).Ed().Ov().words;
    three.parts[0] = ActWords().Pa(3).Ed().Ov().words;
    std::vector<u8> d1 = BuildActData(one), d3 = BuildActData(three);
    d3.resize(100);  // the words past its "OV" are never run
    // Three slots, entry 2 empty; act 3's data first (at 160), act 1's after it.
    const u32 dataAt = kTswHeaderSize + 3 * kTswEntrySize, oneAt = dataAt + 100;
    std::vector<u8> b(dataAt + 100 + d1.size());
    StoreU32(&b[kTswHeaderSize + 20], static_cast<u32>(d1.size()));
    StoreU32(&b[kTswHeaderSize + 24], oneAt);
    StoreU32(&b[kTswHeaderSize + 2 * kTswEntrySize + 20], 100);
    StoreU32(&b[kTswHeaderSize + 2 * kTswEntrySize + 24], dataAt);
    // Slot 4 starts at act 3's data; there its size and offset are act 1's.
    StoreU32(&d3[20], static_cast<u32>(d1.size()));
    StoreU32(&d3[24], oneAt);
    std::copy(d3.begin(), d3.end(), b.begin() + dataAt);
    std::copy(d1.begin(), d1.end(), b.begin() + oneAt);
    r.Write(b);
    // Act, whether it plays, and its frame.
    const std::tuple<i32, int, u16> acts[] = {
        {1, 1, 1}, {2, 0, 0}, {3, 1, 3}, {4, 0, 0}, {5, 0, 0}};
    for (auto [act, plays, frame] : acts) {
        ActPlayer p = Player(act);
        EXPECT_EQ(std::pair(TakeActData(&p), p.frame), std::pair(plays, frame)) << act;
    }
    EXPECT_NE(
        std::string(ActLastError()).find("act 5: missing, entry 5 lies past its directory of 3"),
        std::string::npos)
        << ActLastError();
}

// Picture archives and the picture cache: round trips through the writer and
// the reader, cache order and budget, the map pictures, and bad archives.

PicFrame* const kNoFrame = nullptr;

// The pixels of a 16-bit run-coded picture, decoded to plain values row by
// row; none when refused.
std::vector<u16> Decoded(const void* pic, size_t size) {
    i32 w = 0, h = 0, depth = 0;
    u16* p = static_cast<u16*>(RleDecode(pic, size, &w, &h, &depth));
    std::vector<u16> v(p, p + (p ? static_cast<size_t>(w) * h : 0));
    if (p) MH_FREE(p);
    return v;
}

// What the generator drew, in the current screen layout (keys stay keys).
std::vector<u16> Expected(const ArchivePicture& pic, const ArchiveFrame& f) {
    std::vector<u16> v;
    for (u16 px : f.pixels) {
        u16 stored = pic.depth == 8 ? pic.palette[px] : px;
        v.push_back(stored == 619 ? 619 : ConvertPixel(stored));
    }
    return v;
}

TEST(PicArchive, EveryFrameComesBackAsDrawnAndNumbersAddressArchiveAndEntry) {
    for (bool wide : {false, true}) {
        ArchiveRoot root(true);
        if (wide) SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
        root.Open();
        for (const auto& [n, pic] : SamplePictures()) {
            for (size_t f = 0; f < pic.frames.size(); ++f) {
                SCOPED_TRACE(testing::Message()
                             << "picture " << n << " frame " << f << " wide " << wide);
                const PicFrame* got = GetPic(static_cast<u16>(n), static_cast<u16>(f));
                ASSERT_NE(got, nullptr) << PicLastError();
                EXPECT_EQ(std::tuple(got->width, got->height, got->palette != nullptr),
                          std::tuple(pic.frames[f].w, pic.frames[f].h, pic.depth == 8));
                EXPECT_TRUE(RleCheck(got->pixels, got->size));
                EXPECT_EQ(Decoded(got->pixels, got->size), Expected(pic, pic.frames[f]));
            }
        }
        ResetPixelFormat();
    }
    ArchiveRoot root(true);
    // Entry 2999 of all_map2 is picture 17999; entry 1 of all_item is 3001.
    std::string error;
    root.Write(5, ".tsw",
               BuildTswArchive({{2999, SamplePictures().at(sample_art::kMapObject)}}, &error));
    std::filesystem::remove(root.File(2, ".tsw"));  // fails only its own pictures
    root.Open();
    for (auto [n, frame] : {std::pair<u16, u16>{sample_art::kCursor, 0}, {17999, 1}, {3001, 3}})
        EXPECT_NE(GetPic(n, frame), nullptr) << n;
    // Beyond the frame count, in the missing archive, or outside every archive.
    const std::pair<u16, u16> missing[] = {
        {17999, 2}, {3001, 4},  {2, 25},    {sample_art::kMagicRing, 0},
        {0, 0},     {3000, 0},  {6000, 0},  {15000, 0},
        {18000, 0}, {18001, 0}, {0xFFFE, 0}};
    for (auto [n, frame] : missing) EXPECT_EQ(GetPic(n, frame), nullptr) << n << " " << frame;
}

TEST(PicCache, LoadsOnceReadsWithoutANodeTrimsTheOldestOfTheFullestBucketAndSampleActsWalk) {
    ArchiveRoot root(true);
    root.Open();
    EXPECT_EQ(FindCachedPic(1, 0), nullptr);
    PicFrame* a = GetPic(1, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ((std::tuple{GetPic(1, 0), FindCachedPic(1, 0), GetPicCacheStats().loads}),
              std::tuple(a, a, 1u));
    FreePics();
    EXPECT_EQ((std::pair{GetPicCacheStats().total, FindCachedPic(1, 0)}), std::pair(0u, kNoFrame));
    // Failures are neither cached nor leaked.
    MemDbgStats before = MemDbgGetStats();
    // An empty entry (the first after the people), and a frame beyond the frames.
    constexpr u32 kEmpty = sample_art::kPeopleFirst + sample_art::kPeopleCount;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::pair(GetPic(kEmpty, 0), GetPic(1, 99)), std::pair(kNoFrame, kNoFrame));
    PicCacheStats s = GetPicCacheStats();
    EXPECT_EQ(std::pair(s.total, s.failures), std::pair(0u, 6u));
    for (u16 c : s.counts) EXPECT_EQ(c, 0);
    FreeTswBuffers();
    EXPECT_EQ(MemDbgGetStats().curBlocks, before.curBlocks);
    PicFrame f;
    ASSERT_EQ(ReadPicDirect(sample_art::kBackdrop, 0, &f), 1);
    EXPECT_EQ(std::tuple(f.width, f.height, RleCheck(f.pixels, f.size), GetPicCacheStats().total),
              std::tuple(640, 480, true, 0u));
    MH_FREE(f.pixels);
    EXPECT_EQ(ReadPicDirect(0, 0, &f), 0);
    SetPicMemory(0);
    ASSERT_TRUE(GetPic(1, 0) && GetPic(1, 1));
    // Frames handed out in this tick stay valid: the trim stopped short.
    EXPECT_NE(FindCachedPic(1, 0), nullptr);
    PicCacheNewTick();
    ASSERT_NE(GetPic(2, 0), nullptr);  // bucket 1 is the fullest: emptied
    EXPECT_EQ(std::pair(FindCachedPic(1, 0), FindCachedPic(1, 1)), std::pair(kNoFrame, kNoFrame));
    PicCacheStats trimmed = GetPicCacheStats();
    EXPECT_EQ(std::tuple(trimmed.counts[1], trimmed.counts[2], trimmed.total),
              std::tuple(0, 1, FindCachedPic(2, 0)->size));
    // Eviction takes the least recently used frame of the fullest bucket.
    u32 frameSize = GetPic(1, 0)->size;  // every person frame has about this size
    FreePics();
    // Bucket 1: frames 0, 1, 2 of picture 1; bucket 2: frames 0, 1 of picture 2.
    for (u16 f : {0, 1, 2}) GetPic(1, f);
    for (u16 f : {0, 1}) GetPic(2, f);
    GetPic(1, 0);  // frame 0 back to the front: frame 1 is now the tail
    PicCacheNewTick();
    SetPicMemory(GetPicCacheStats().total - frameSize / 2);
    ASSERT_NE(GetPic(3, 0), nullptr);
    auto cached = [] {
        std::vector<bool> in;
        for (auto [n, f] : {std::pair{1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}})
            in.push_back(FindCachedPic(static_cast<u16>(n), static_cast<u16>(f)) != nullptr);
        return in;
    };
    EXPECT_EQ(cached(), (std::vector<bool>{true, false, true, true, true}));
    // The finds above put frame 0 last; a tie between buckets 1 and 2 (two
    // each) takes bucket 1.
    PicCacheNewTick();
    SetPicMemory(GetPicCacheStats().total - frameSize / 2);
    GetPic(3, 1);
    EXPECT_EQ(cached(), (std::vector<bool>{false, false, true, true, true}));
    // The sample's acts: frames drawn from the archives, whatever the budget.
    for (i32 dir = 0; dir < 8; ++dir) {
        ActPlayer p = Player(sample_art::kPeopleFirst + 1, sample_art::kActionWalk, dir);
        std::vector<u16> frames = Frames(&p, 11);
        EXPECT_NE(GetPic(p.pic, p.frame), nullptr);
        // Step, stand, other step, stand: each frame its tick and four of delay.
        u16 b = static_cast<u16>(dir * 3), s = static_cast<u16>(b + 1), t = static_cast<u16>(b + 2);
        EXPECT_EQ(frames, (F{s, s, s, s, s, b, b, b, b, b, t})) << dir;
    }
    // The cursor act has a part for the map cursor's action 13; every archive has an act.
    ActPlayer c = Player(sample_art::kCursor, 13);
    EXPECT_EQ((std::pair{TakeActData(&c), c.pic}), std::pair(1, u16{sample_art::kCursor}));
    for (u32 n : {sample_art::kItemIcons, sample_art::kMagicRing, sample_art::kBackdrop,
                  sample_art::kMapObject, sample_art::kBattleUnderlay}) {
        ActPlayer a = Player(static_cast<i32>(n));
        EXPECT_EQ(TakeActData(&a), 1) << n;
        EXPECT_NE(GetPic(a.pic, a.frame), nullptr) << n;
    }
}

int gMapPicCalls = 0;
i32 gCurrentMap = 0;

int FakeMapPic(i32 index, PicFrame* f) {
    ++gMapPicCalls;
    std::vector<u16> px(8 * 4, static_cast<u16>(index));
    i32 size = 0;
    f->pixels = RleEncode(px.data(), &size, 8, 4, 16);
    f->size = static_cast<u32>(size);
    f->width = 8;
    f->height = 4;
    return index == 99 ? 0 : 1;
}

TEST(PicCache, MapPicturesComeFromTheMapLoaderExceptSixOnMap286) {
    ArchiveRoot root;
    root.Open();
    EXPECT_EQ(GetPic(kMapPicNumber, 1), nullptr);  // no loader yet
    gMapPicCalls = 0;
    SetMapPicHooks(FakeMapPic, [] { return gCurrentMap; });
    gCurrentMap = 286;
    EXPECT_EQ((std::pair{GetPic(kMapPicNumber, 6), gMapPicCalls}), std::pair(kNoFrame, 0));
    ASSERT_NE(GetPic(kMapPicNumber, 5), nullptr);
    EXPECT_EQ(GetPicCacheStats().counts[5], 1);  // keyed by frame for map pictures
    gCurrentMap = 285;
    // The loader's failure frees its frame.
    EXPECT_EQ(
        (std::tuple{GetPic(kMapPicNumber, 6) != nullptr, GetPic(kMapPicNumber, 99), gMapPicCalls}),
        std::tuple(true, kNoFrame, 3));
}

// ---- Bad archives ----

TEST(BadArchive, DamagedHeadsRecordsBlocksFramesAndTruncatedFilesAreRefused) {
    ArchiveRoot root;
    std::string error;
    const std::vector<u8> whole =
        BuildTswArchive({{1, SamplePictures().at(sample_art::kCursor)}}, &error);
    const u32 picAt = LoadU32(whole.data() + kTswHeaderSize + 24);
    std::vector<u8> file;
    auto record = [&](int frame) {
        return picAt + kTswPicHeaderSize + kTswFrameRecordSize * frame;
    };
    auto load = [&](u16 frame = 0) {
        root.Write(0, ".tsw", file);
        root.Open();
        return GetPic(1, frame);
    };
    // A frame count larger than the head or the file: the records that exist
    // still load; one inside the head has nonsense data, others lie past the
    // 11788-byte head.
    file = With(whole, picAt + 6, 400, 2);
    EXPECT_NE(load(2), nullptr);
    for (u16 frame : {200, 350, 399}) EXPECT_EQ(load(frame), nullptr) << frame;
    file = With(whole, picAt + 4, 0xABCE, 2);  // wrong magic
    EXPECT_EQ(load(), nullptr);
    EXPECT_NE(std::string(PicLastError()).find("all_char.tsw: offset"), std::string::npos)
        << PicLastError();
    file = With(whole, picAt + 8, 12, 2);  // a depth other than the frames'
    EXPECT_EQ(load(), nullptr);
    // Unpacked sizes two bytes off, or far past any frame (refused before
    // allocation); directory offsets past the file.
    for (auto [at, value] : {std::pair{record(0) + 8, LoadU32(&whole[record(0) + 8]) + 2},
                             {record(0) + 8, 0xFFFFFFF0u},
                             {kTswHeaderSize + 24, static_cast<u32>(whole.size()) + 100},
                             {kTswHeaderSize + 24, 0xFFFFFFF0u}}) {
        file = With(whole, at, value);
        EXPECT_EQ(load(), nullptr) << at << " " << value;
    }
    file = whole;
    u32 block = picAt + LoadU32(&file[record(0)]);
    for (u32 i = 0; i < 12; ++i) file[block + i] ^= 0x5A;  // corrupt LZO block
    EXPECT_EQ(load(), nullptr);
    FreePics();  // frame 2 of the whole file is cached
    for (size_t cut : {size_t{10}, size_t{kTswDirectoryEnd - 5}, size_t{picAt + 6},
                       size_t{picAt + 60}, whole.size() - 1}) {
        file.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_EQ(load(2), nullptr) << cut;
    }
    // A block that unpacks cleanly to exactly its size, but to a broken picture.
    std::vector<u8> broken(408, 0x11);
    for (int i = 0; i < 4; ++i) StoreU16(&broken[2 * i], i ? 16 : 0xFFFF);
    i32 packed = 0;
    u8* lzo = LzoPack(broken.data(), 408, &packed);
    u32 at = picAt + LoadU32(&file[record(0)]);
    ASSERT_LE(static_cast<u32>(packed), LoadU32(&file[record(0) + 4]) + 100);
    file.resize(std::max<size_t>(file.size(), at + packed));
    std::memcpy(&file[at], lzo, packed);
    MH_FREE(lzo);
    StoreU32(&file[record(0) + 4], static_cast<u32>(packed));
    EXPECT_EQ(load(), nullptr);
    EXPECT_NE(std::string(PicLastError()).find("run-coded"), std::string::npos);
}

std::vector<u16> Words(const std::vector<u8>& b) {
    std::vector<u16> w(b.size() / 2);
    std::memcpy(w.data(), b.data(), w.size() * 2);
    return w;
}

// The value of each pixel of row y from 0 to n - 1 by the pixel test; -1 where
// it is not solid.
std::vector<i64> Solid(const void* pic, size_t size, i32 n, i32 y = 0) {
    std::vector<i64> out;
    for (i32 x = 0; x < n; ++x) {
        u32 v = 0;
        out.push_back(IsPicPixelSolid(pic, size, x, y, &v) ? i64{v} : -1);
    }
    return out;
}

TEST(RlePic, EncodesExactlyRoundTripsEveryWidthAndPixelTestsSeeOnlyLiteralRuns) {
    auto words = [](std::vector<u16> px) {
        return Words(RleBytes(px.data(), static_cast<i32>(px.size()), 1));
    };
    EXPECT_EQ(
        words({619, 619, 619, 619, 619, 0x1111, 0x2222, 0x3333}),
        (std::vector<u16>{0xFFFF, 8, 1, 0x8010, 14, 0xC005, 0x0003, 0x1111, 0x2222, 0x3333, 0, 0}));
    // No first-key run: depth bit 15 clear.
    EXPECT_EQ(words({1, 12703, 2}),
              (std::vector<u16>{0xFFFF, 3, 1, 16, 0x8000 | 14, 1, 1, 0x8001, 1, 2, 0, 0}));
    // Pixel tests see only literal runs.
    u16 px[6] = {0x100, 0x200, 619, 619, 0x300, 12703};
    std::vector<u8> pic = RleBytes(px, 6, 1);
    // Pixel 6 lies past the width, row 1 past the height.
    EXPECT_EQ(Solid(pic.data(), pic.size(), 7),
              (std::vector<i64>{0x100, 0x200, -1, -1, 0x300, -1, -1}));
    EXPECT_EQ(std::pair(IsPicPixelSolid(pic.data(), pic.size(), 0, 1, nullptr),
                        IsPicPixelSolid(pic.data(), pic.size(), 4, 0, nullptr)),
              std::pair(false, true));
    PicFrame f{.pixels = pic.data(), .size = static_cast<u32>(pic.size())};
    EXPECT_EQ(std::tuple(PicHitTest(&f, 101, 50, 100, 50), PicHitTest(&f, 102, 50, 100, 50),
                         PicHitTest(&f, 99, 50, 100, 50)),
              std::tuple(1, 0, 0));

    // A run of the kind never written is taken and is transparent: it
    // decodes to the first key.
    const u16 unused[] = {0xFFFF, 2, 1, 0x10, 10, 0x4001, 1, 0x7C00, 0, 0};
    EXPECT_EQ(Solid(unused, sizeof unused, 2), (std::vector<i64>{-1, 0x7C00}));
    EXPECT_EQ(Decoded(unused, sizeof unused), (std::vector<u16>{619, 0x7C00}));
    // Round trips of every width in both depths.
    std::mt19937 rng(11);
    for (i32 w = 1; w <= 2000; ++w) {
        i32 h = 1 + w % 3;
        std::vector<u16> px(static_cast<size_t>(w) * h);
        std::vector<u8> idx(px.size());
        for (size_t i = 0; i < px.size(); ++i) {
            u32 pick = rng() % 5;
            px[i] = pick == 0 ? 619 : pick == 1 ? 12703 : static_cast<u16>(rng() & 0x7FFF);
            idx[i] = static_cast<u8>(pick < 2 ? (pick == 0 ? 1 : 3) : rng() % 8);
        }
        for (int depth : {16, 8}) {
            const void* src = depth == 16 ? static_cast<const void*>(px.data()) : idx.data();
            std::vector<u8> pic = RleBytes(src, w, h, depth);
            ASSERT_TRUE(RleCheck(pic.data(), pic.size())) << w;
            i32 ow = 0, oh = 0, od = 0;
            void* back = RleDecode(pic.data(), pic.size(), &ow, &oh, &od);
            ASSERT_NE(back, nullptr);
            EXPECT_EQ(std::tuple(ow, oh, od), std::tuple(w, h, depth));
            ASSERT_EQ(std::memcmp(back, src, px.size() * depth / 8), 0) << w;
            MH_FREE(back);
        }
    }
    // Long runs are split at the count limit.
    std::vector<u16> run(20000, 619);
    run[19999] = 5;
    pic = RleBytes(run.data(), 20000, 1);
    std::vector<u16> runWords = Words(pic);
    EXPECT_EQ((std::vector<u16>{runWords[5], runWords[6]}),
              (std::vector<u16>{0xC000 | 16383, 0xC000 | (19999 - 16383)}));
    EXPECT_EQ(Decoded(pic.data(), pic.size()), run);
}

TEST(RlePic, ConvertsAndRefusesHugeHeadersAndPicturesThatLieAboutTheirRows) {
    SetPixelFormat(640, 480, 1280, 0xF800, 0x07E0, 0x001F);
    u16 px[4] = {0x7FFF, 619, 0x0001, 12703};
    std::vector<u8> pic = RleBytes(px, 4, 1);
    i32 w = 0, h = 0, d = 0, size = 0;
    EXPECT_EQ((std::pair{RleConvertToScreen(pic.data(), pic.size(), &w, &h, &d),
                         Solid(pic.data(), pic.size(), 1)}),
              std::pair(1, std::vector<i64>{0xFFDF}));
    u8 idx[5] = {0, 1, 2, 3, 2};
    u16 pal[256] = {};
    pal[0] = 0x7C00;
    pal[2] = 0x001F;
    PicFrame f{
        .pixels = RleEncode(idx, &size, 5, 1, 8), .palette = pal, .size = static_cast<u32>(size)};
    // Indices 1 and 3 are the keys.
    EXPECT_EQ((std::pair{RleConvert8To16(&f), int{f.width}}), std::pair(1, 5));
    ASSERT_TRUE(RleCheck(f.pixels, f.size));
    EXPECT_EQ(Solid(f.pixels, f.size, 5), (std::vector<i64>{0xF800, -1, 0x001F, -1, 0x001F}));

    // The same with the palette in front of the picture.
    pic = RleBytes(idx, 5, 1, 8);
    i32 hsize = static_cast<i32>(pic.size()) + 512;
    u8* holder = static_cast<u8*>(MH_ALLOC(hsize));
    std::memcpy(holder, pal, 512);
    std::memcpy(holder + 512, pic.data(), pic.size());
    u8* conv = RleConvertPaletted8To16(holder, &hsize);
    ASSERT_NE(conv, nullptr);
    EXPECT_EQ(std::memcmp(conv, f.pixels, hsize), 0);
    MH_FREE(conv);
    MH_FREE(f.pixels);
    ResetPixelFormat();
    // Two rows of one literal pixel each, under headers whose w x h x 2 wraps in
    // 32 bits (65535 x 32769 x 2 = 2^32 + 65534), turns negative (2^31) or asks
    // for gigabytes: the second row would land past a buffer sized in 32 bits.
    auto huge = [](u16 hw, u16 hh) {
        std::vector<u8> b;
        for (u16 v : {u16{0xFFFF}, hw, hh, u16{16}, u16{8}, u16{1}, u16{0x1234}, u16{0}, u16{8},
                      u16{1}, u16{0x4321}, u16{0}, u16{0}})
            b.insert(b.end(), {static_cast<u8>(v), static_cast<u8>(v >> 8)});
        return b;
    };
    i32 hw = 0, hh = 0, hd = 0;
    for (auto [pw, ph] : {std::pair<u16, u16>{65535, 32769}, {32768, 32768}, {65535, 65535}}) {
        std::vector<u8> b = huge(pw, ph);
        ASSERT_TRUE(RleCheck(b.data(), b.size())) << pw << "x" << ph;
        EXPECT_EQ(RleDecode(b.data(), b.size(), &hw, &hh, &hd), nullptr) << pw << "x" << ph;
    }
    // The same rows under a modest header decode, both pixels in place.
    std::vector<u8> ok = huge(3, 2);
    // Three by two: the second row starts at pixel 3.
    std::vector<u16> hpx = Decoded(ok.data(), ok.size());
    ASSERT_EQ(hpx.size(), 6u);
    EXPECT_EQ(std::tuple(hpx[0], hpx[3]), std::tuple(0x1234, 0x4321));
    // Pictures that lie about their rows are refused by every reader.
    u16 sample[4] = {1, 2, 619, 3};
    const std::vector<u8> good = RleBytes(sample, 2, 2);
    ASSERT_TRUE(RleCheck(good.data(), good.size()));
    i32 lw, lh, ld;
    // Rows whose runs overrun the width, a row length past the buffer, a run of
    // the kind never written past the width, more rows than the height, a wrong
    // depth and a wrong magic.
    const std::pair<size_t, u16> lies[] = {{10, 3}, {8, 0x7FF0}, {10, 0x4003},
                                           {4, 1},  {6, 12},     {0, 0xFF00}};
    for (auto [at, word] : lies) {
        std::vector<u8> lb = With(good, static_cast<u32>(at), word, 2);
        EXPECT_FALSE(RleCheck(lb.data(), lb.size())) << at << " " << word;
        EXPECT_EQ(RleDecode(lb.data(), lb.size(), &lw, &lh, &ld), nullptr) << at << " " << word;
        EXPECT_FALSE(IsPicPixelSolid(lb.data(), lb.size(), 0, 0, nullptr)) << at << " " << word;
        EXPECT_EQ(RleConvertToScreen(lb.data(), lb.size(), &lw, &lh, &ld), 0) << at << " " << word;
    }
    for (size_t n = 0; n < good.size(); ++n) EXPECT_FALSE(RleCheck(good.data(), n)) << n;
}

// LZO packing: round trips, the worst case, and blocks that are corrupt,
// truncated or larger than they say.

std::vector<u8> Data(size_t n, bool random, u32 seed) {
    std::mt19937 rng(seed);
    std::vector<u8> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = random ? static_cast<u8>(rng()) : static_cast<u8>(i / 37 % 5);
    return v;
}

TEST(Lzo, RoundTripsUnpacksStopAtTheCapacityAndBlocksRefuseMismatches) {
    for (size_t n : {0u, 1u, 2u, 15u, 100u, 4096u, 65537u, 1000000u}) {
        for (bool random : {true, false}) {
            std::vector<u8> in = Data(n, random, static_cast<u32>(n)), out(n + 1);
            i32 packed = 0;
            u8* p = LzoPack(in.data(), static_cast<i32>(n), &packed);
            ASSERT_NE(p, nullptr);
            EXPECT_LE(static_cast<size_t>(packed),
                      !random && n > 1000 ? n / 10 - 1 : LzoWorstCase(n));
            EXPECT_EQ(LzoUnpackExact(p, packed, out.data(), static_cast<i32>(n)), kLzoOk);
            EXPECT_TRUE(std::equal(in.begin(), in.end(), out.begin()));
            MH_FREE(p);
        }
    }
    // Unpacking stops at the capacity and at the end of the input.
    std::vector<u8> in = Data(10000, true, 3), out(20000);
    i32 packed = 0;
    u8* p = LzoPack(in.data(), 10000, &packed);
    i32 n = 5000;
    EXPECT_EQ((std::pair{LzoUnpack(p, out.data(), packed, &n), n <= 5000}),
              std::pair(kLzoOutputOverrun, true));
    n = 10000;
    EXPECT_EQ(LzoUnpack(p, out.data(), packed - 1, &n), kLzoInputOverrun);
    EXPECT_EQ(LzoUnpackExact(p, packed, out.data(), 9999), kLzoOutputOverrun);
    n = 20000;
    EXPECT_EQ((std::pair{UnpackMemory(p, packed, out.data(), &n), n}), std::pair(1, 10000));
    MH_FREE(p);
    EXPECT_EQ(LzoPack(in.data(), -1, &packed), nullptr);
    // Blocks carry their packed and unpacked sizes and refuse mismatches.
    std::vector<u8> data = Data(50000, false, 1);
    i32 size = 0;
    u8* block = PackBlock(data.data(), 50000, &size);
    ASSERT_NE(block, nullptr);
    std::vector<u8> b(block, block + size);
    MH_FREE(block);
    EXPECT_EQ(std::pair(LoadU32(&b[0]) + 8, LoadU32(&b[4])),
              std::pair(static_cast<u32>(size), 50000u));
    // The unpacked bytes, or none when refused.
    auto unpack = [](std::vector<u8> v, i32 max = 64 << 20) {
        i32 bn = -1;
        u8* p = UnpackBlock(v.data(), static_cast<i32>(v.size()), &bn, max);
        std::vector<u8> out(p, p + (p ? bn : 0));
        if (p) MH_FREE(p);
        return out;
    };
    EXPECT_EQ(unpack(b), data);
    // Short of its stated size, past its capacity, or huge; over the caller's
    // bound; truncated.
    for (const auto& bad :
         {With(b, 4, 50001), With(b, 4, 49999), With(b, 4, 0x7FFFFFFF),
          std::vector<u8>(b.begin(), b.end() - 3), std::vector<u8>(b.begin(), b.begin() + 7)})
        EXPECT_TRUE(unpack(bad).empty());
    EXPECT_TRUE(unpack(b, 1000).empty());  // over the caller's bound
    for (int i = 0; i < 200; ++i) {        // corrupt bytes: never more than the capacity
        std::vector<u8> t = b;
        std::mt19937 rng(i);
        for (int k = 0; k < 4; ++k)
            t[8 + rng() % (t.size() - 8)] ^= static_cast<u8>(1 + rng() % 255);
        unpack(t);
    }
}

}  // namespace
