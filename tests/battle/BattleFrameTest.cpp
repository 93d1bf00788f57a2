// The battle frame through its phases: tick counts, results, battle 2032, the
// release, the battle files and their bad forms, the backdrop's layers, shake
// and tint, and auto battles replayed tick for tick.
#include "support/BattleFixtures.h"

#include "mhdata/Maps.h"

namespace {

using namespace sample_battle;

using Phases = BattlePhaseTicks;
// The phases of a battle with nothing to fight: the banner opens in 7 steps,
// waits 100 and closes in 7, after 16 quiet ticks.
constexpr std::array<int, 5> kEmptyBattleTicks = {1, 16, 1, 130, 16};
constexpr const char* kNoName = nullptr;

struct BattleFrameTest : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.StartSample();
        LoadGameDatabase(gBasePath);  // the monsters the sample's battles field
    }
};

// Shakes the scene for single ticks until the upper layers stand right of their place.
void ShakeRight() {
    for (int t = 0; t < 200 && gBattleScene.ShakeX() <= 0; ++t) {
        gBattleScene.Shake(1);
        gBattleScene.Tick();
    }
}

// The scene's back and top layers over a black screen.
void DrawScene() {
    FillSurface(gDrawSurface, 0);
    gBattleScene.DrawBack();
    gBattleScene.DrawTop();
}

void WriteData(Harness& h, const char* name, const std::vector<u8>& bytes) {
    WriteHostFile(h.Path(std::string("MH_Data/") + name), bytes);
}

// FNV-1a over a tick: the canvas, the log's head line and every fighter's state.
u64 HashTick() {
    u64 h = 1469598103934665603ull;
    auto add = [&](const void* p, size_t n) {
        for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<const u8*>(p)[i]) * 1099511628211ull;
    };
    if (gPaintBuf) add(gPaintBuf, 640 * 480 * sizeof(u16));
    if (const char* line = gBattleLog.HeadText()) add(line, std::strlen(line));
    const auto lines = gBattleLog.Count();
    add(&lines, sizeof(lines));
    for (const cBattleSide* side : {&gPartySide, &gEnemySide})
        for (int i = 0; i < side->count; ++i) {
            const cFighter& f = side->fighters[i];
            const i32 words[] = {f.hp,     f.mp,   f.gauge,
                                 f.action, f.step, f.command,
                                 f.x,      f.z,    static_cast<i32>(f.status)};
            add(words, sizeof(words));
        }
    return h;
}

// A fresh party of roles 0..members-1 fights battle n with auto battle on.
BattlePhaseTicks AutoFight(u32 n, int members, u32 seed, std::vector<u64>* hashes = nullptr) {
    LoadGameDatabase(gBasePath);
    for (int k = 0; k < kPartySize; ++k) gFormation[k] = k < members ? k : -1;
    gScriptVars[0] = 1000;
    // The battle opens over the screen as it finds it, and the head starts
    // are shuffled on from the last battle's: the same screen and table each time.
    if (gPaintBuf) std::memset(gPaintBuf, 0, 640 * 480 * sizeof(u16));
    ResetBattleSides();
    InitRandom(seed);
    return RunBattle(
        n,
        [&](u32 phase, int tick) {
            if (phase == kPhaseOpening && tick == 15) gBattleController.autoBattle = 1;
            if (hashes) hashes->push_back(HashTick());
        },
        20000);
}

TEST_F(BattleFrameTest, TheLogStripIsHalfBlendedAndAnEmptyLogDrawsNothing) {
    ASSERT_NE(GetPic(kBattleLogStripPic, 0), nullptr);
    const u16 under = 0x7BEF;  // a mid grey in either layout
    std::vector<u16> before(640 * 480, under);
    std::memcpy(gPaintBuf, before.data(), before.size() * 2);
    gBattleLog.Draw();
    EXPECT_EQ(std::memcmp(gPaintBuf, before.data(), before.size() * 2), 0);

    gBattleLog.Add("");
    gBattleLog.Draw();
    const u16 half = BlendRef(PlainColour(kBattleLogStripPic, 0), under, 8);
    EXPECT_EQ((std::array<u16, 4>{At(100, 460), At(90, 450), At(100, 449), At(89, 460)}),
              (std::array<u16, 4>{half, half, under, under}));
}

TEST_F(BattleFrameTest, AnEmptyBattleIsWonAndWalksThroughEveryPhase) {
    // A drop of item 1 shows its icon (act 9901, action = the item's icon) on
    // the banner's first item line: centred 300 x 180 at (170, 150), the icon
    // at (170 + 128, 150 + 98 - 2).
    const ItemData* drop = GetItemRecord(1);
    ASSERT_NE(drop, nullptr);
    const u16 iconColour = ActColour(9901, drop->icon);
    Phases p = RunBattle(7, [&](u32 phase, int tick) {
        if (phase == kPhaseMain) gEnemySide.drops[0] = 1;
        if (phase == kPhaseEnding && tick == 50) {
            EXPECT_EQ(std::tuple(At(298 + 4, 246 + 4), At(298 - 1, 246 + 4)),
                      std::tuple(iconColour, PlainColour(11004, 0)));
        }
        if (phase == kPhaseSetUp) {
            // Volume 6 x 127 / 11.
            EXPECT_EQ(std::tuple(gMusic.GetVolume(), gActZoomAll, gBattle.HasScreenPicture()),
                      std::tuple(69, 1, true));
        }
        if (phase == kPhaseOpening && tick == 0) {
            EXPECT_EQ(gBattle.fade(), 14);
        }
    });
    EXPECT_EQ(std::tuple(p.ticks, p.result, gBattle.phase(), gBattleEnd.outcome,
                         gMusic.GetList(3).slots[0].name, gActZoomAll, gBattle.HasScreenPicture()),
              std::tuple(kEmptyBattleTicks, 0, static_cast<u32>(kPhaseSetUp),
                         static_cast<i32>(kOutcomeVictory), kNoName, 0, false));
    // The next battle starts with a fresh set-up and gives the cursor back where
    // it found it; the confirm key, pressed as the fight begins and held down
    // into the ending, cuts no end screen short.
    gBattleCursor.SetPos(77, 66);
    gBattleCursor.Poll();  // where the mouse reports it, as the battle's own poll will
    const i32 x = gBattleCursor.x(), y = gBattleCursor.y();
    const u8 confirm = static_cast<u8>(gKeyBindings[kKeyConfirm]);
    EXPECT_EQ(RunBattle(7,
                        [&](u32 phase, int tick) {
                            if (phase == kPhaseMain) {
                                EXPECT_EQ(gBattleCursor.x(), 320);
                            }
                            if (phase == kPhaseOpening && tick == 15) PlatformSetKey(confirm, true);
                        })
                  .ticks,
              kEmptyBattleTicks);
    PlatformSetKey(confirm, false);
    EXPECT_EQ(std::tuple(gBattleCursor.x(), gBattleCursor.y()), std::tuple(x, y));
    EXPECT_NE(x, 320);
}

TEST_F(BattleFrameTest, TheSameSeedPlaysTheSameAutoBattleTickForTick) {
    // What a battle leaves: its result, the money and each role's level, experience and HP.
    auto results = [](const BattlePhaseTicks& p) {
        std::vector<i64> v = {p.result, gScriptVars[0]};
        for (const RoleStats& s : gRoleStats) v.insert(v.end(), {s.level, s.exp, s.hp});
        return v;
    };
    std::vector<u64> first, again, other;
    const auto firstResults = results(AutoFight(kThreeFoes, 3, 42, &first));
    AutoFight(kLoneWolf, 6, 7);  // a battle between leaves nothing behind
    const auto againResults = results(AutoFight(kThreeFoes, 3, 42, &again));
    AutoFight(kThreeFoes, 3, 43, &other);
    ASSERT_GT(first.size(), 100u);
    EXPECT_EQ(std::tuple(first, firstResults), std::tuple(again, againResults));
    EXPECT_NE(first, other);
}

TEST_F(BattleFrameTest, EscapeAndDefeatHandTheirResultsBack) {
    struct Case {
        bool fled, down, survive;
        u32 outcome;
        int result, endingTicks;
    } cases[] = {
        {true, false, false, kOutcomeEscaped, 0, 17},
        {true, false, true, kOutcomeEscaped, 2, 17},
        {false, true, false, kOutcomeDefeat, 2, 18},  // the music has ended: one step, then done
        {true, true, false, kOutcomeEscaped, 0, 17},  // fleeing is tested first
    };
    MusicRecorder music;
    music.AnswerFinished(true);
    for (const Case& c : cases) {
        LoadGameDatabase(gBasePath);  // the members as they were before the last release
        c.survive ? SetGameFlag(322) : ClearGameFlag(322);
        gFormation[1] = 1;
        Phases p = RunBattle(kLoneGoblin, [&](u32 phase, int tick) {
            // Five undecided main ticks, then the side's state turns.
            if (phase != kPhaseMain || tick != 4) return;
            if (c.fled) gPartySide.fleeFlag = 1;
            for (int i = 0; c.down && i < gPartySide.count; ++i) {
                gPartySide.fighters[i].hp = 0;
                gPartySide.fighters[i].status = kStDying;
            }
        });
        // A defeat darkens the backdrop one step a tick through the 15 fade ticks.
        EXPECT_EQ(std::tuple(p.ticks, p.result, gBattleEnd.outcome, gBattleScene.TintLevel()),
                  std::tuple(std::array<int, 5>{1, 16, 6, c.endingTicks, 16}, c.result,
                             static_cast<i32>(c.outcome), c.outcome == kOutcomeDefeat ? -15 : 0))
            << c.outcome << " " << c.survive;
    }
    EXPECT_EQ(std::tuple(BattleResult(kOutcomeNone), BattleResult(7)), std::tuple(1, 1));
}

TEST_F(BattleFrameTest, Battle2032HasNoVictoryScreenNoFadeAndBlackColumns) {
    std::vector<u16> mainCanvas;
    Phases p = RunBattle(kBattleNoVictoryScreen, [&](u32 phase, int) {
        if (phase == kPhaseMain) mainCanvas.assign(gPaintBuf, gPaintBuf + 640 * 480);
    });
    EXPECT_EQ(std::tuple(p.ticks, p.result), std::tuple(std::array<int, 5>{1, 16, 1, 0, 1}, 0));
    ASSERT_EQ(mainCanvas.size(), 640u * 480u);
    for (int y : {0, 30, 479})
        EXPECT_EQ(std::tuple(mainCanvas[y * 640 + 0], mainCanvas[y * 640 + 1]), std::tuple(0, 0))
            << y;
    EXPECT_EQ(mainCanvas[30 * 640 + 2], LayerPx(kBackdropAct, 1, {2, 30}));
    // Another battle leaves the backdrop's left edge alone.
    RunBattle(7, [&](u32 phase, int) {
        if (phase == kPhaseMain) {
            EXPECT_EQ(At(0, 30), LayerPx(kBackdropAct, 1, {0, 30}));
        }
    });
}

TEST_F(BattleFrameTest, DeveloperF1EndsTheFightOnlyInDeveloperMode) {
    struct Case {
        i32 dev;
        u32 battle;
        bool killed;
    } cases[] = {{1, kLoneGoblin, true}, {1, kThreeFoes, true}, {0, kLoneGoblin, false}};
    gFormation[0] = 0;
    for (const Case& c : cases) {
        gFastMode = c.dev;
        std::vector<i32> hp;
        RunBattle(
            c.battle,
            [&](u32 phase, int tick) {
                if (phase != kPhaseMain) return;
                PlatformSetKey(0x3B, tick == 2);  // F1 down for the fourth main tick
                if (tick == 3)
                    for (int i = 0; i < gEnemySide.count; ++i)
                        hp.push_back(gEnemySide.fighters[i].hp);
            },
            1 + 16 + 4);
        ASSERT_FALSE(hp.empty());
        for (i32 v : hp) EXPECT_EQ(v == 0, c.killed) << c.dev << " " << c.battle << " " << v;
        PlatformSetKey(0x3B, false);
        ResetBattle();
    }
}

TEST(BattleNoDisplay, WithoutACanvasTheBattleRunsWithoutItsDissolve) {
    Harness h;  // no start-up: no canvas to capture or draw on
    bool captured = false;
    Phases p = RunBattle(7, [&](u32, int) { captured |= gBattle.HasScreenPicture(); });
    EXPECT_EQ(std::tuple(captured, p.ticks, p.result), std::tuple(false, kEmptyBattleTicks, 0));
}

TEST(BattleRelease, PartyKeepsOnlyTheLastingStatus) {
    i32 hp = 0, mp = 0, status = 0;
    WriteBackFighter(&hp, &mp, &status, 37, 12, 0x7FFF);
    // 0x7FFF less the ten battle-only bits 0x9FF.
    EXPECT_EQ(std::tuple(hp, mp, status), std::tuple(37, 12, 0x7600));
    // Only battle bits; dying and spell ban, which stay.
    for (i32 st : {0x09FF, 0x4200}) {
        WriteBackFighter(&hp, &mp, &status, 0, 0, st);
        EXPECT_EQ(status, st & 0x4200) << st;
    }
}

TEST_F(BattleFrameTest, PartyStandsAtTheFixedPlacesWhateverTheFileHolds) {
    BattlefieldRecord junk;
    junk.background = 15113;
    for (int k = 0; k < kBattleSlots; ++k) {
        junk.party[k] = {-9999, 77, 1 << 30};
        junk.enemies[k] = {static_cast<u32>(40 + k), 1, k, -k, 2 * k};
    }
    WriteData(h, "battlefield.dat", BuildBattlefieldFile({BattlefieldRecord{}, junk}));
    u32 m = 99;
    LoadBattleFiles(1, &m);
    const BattlePosition want[6] = {{510, 0, 262}, {440, 0, 314}, {352, 0, 364},
                                    {568, 0, 306}, {510, 0, 362}, {422, 0, 394}};
    for (int k = 0; k < kBattleSlots; ++k) {
        const BattlePosition& p = gBattlefield.party[k];
        EXPECT_EQ(
            std::tuple(p.x, p.y, p.z, gBattlefield.enemies[k].monster, gBattlefield.enemies[k].z),
            std::tuple(want[k].x, want[k].y, want[k].z, static_cast<u32>(40 + k), 2 * k))
            << k;
    }
    // The sample's FBGM.dat gives battle 1 index 1.
    EXPECT_EQ(std::tuple(gBattlefield.background, m), std::tuple(15113u, 1u));
}

TEST_F(BattleFrameTest, BadBattleFilesGiveAnEmptyBattleReportedOnce) {
    auto expectEmpty = [](const char* why) {
        EXPECT_EQ(gBattlefield.background, 0u) << why;
        for (const EnemySlot& e : gBattlefield.enemies)
            EXPECT_EQ(e.monster, kEmptyEnemySlot) << why;
        EXPECT_EQ(gBattlefield.party[2].z, 364) << why;
    };
    std::vector<u8> one = BuildBattlefieldFile({BattlefieldRecord{}, BattlefieldRecord{}});
    one[196] = 0x55;  // record 1's background, so a read of it would show
    u32 m = 7;
    BattlefieldRecord r;
    EXPECT_FALSE(ParseBattlefield(one, 0xFFFFFFFFu, &r));  // 196 x (2^32 - 1) must not wrap
    EXPECT_FALSE(ParseBattlefield(one, 0x014E5E0Bu, &r));  // wraps to 196 in 32 bits
    EXPECT_FALSE(ParseBattlefield(std::vector<u8>(one.begin(), one.end() - 1), 1, &r));
    EXPECT_EQ(std::tuple(ParseBattlefield(one, 1, &r), r.background), std::tuple(true, 0x55u));
    EXPECT_EQ(std::tuple(ParseBattleMusic({1, 0, 0}, 0, &m), m), std::tuple(false, 0u));

    WriteData(h, "battlefield.dat", std::vector<u8>(one.begin(), one.end() - 1));
    ::testing::internal::CaptureStderr();
    LoadBattleFiles(1, &m);
    expectEmpty("truncated");
    std::filesystem::remove(h.Path("MH_Data/battlefield.dat"));
    std::filesystem::remove(h.Path("MH_Data/FBGM.dat"));
    LoadBattleFiles(1, &m);
    expectEmpty("missing");
    EXPECT_EQ(m, 0u);
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("battlefield.dat"), log.rfind("battlefield.dat")) << log;
    EXPECT_NE(log.find("FBGM.dat"), std::string::npos);

    // A whole battle on missing files has no enemy and no music, and is won.
    EXPECT_EQ(RunBattle(0xFFFFFFFFu).result, 0);
}

// Every battle that a zone of the sample can roll has someone to fight.
TEST_F(BattleFrameTest, EveryBattleOfTheSampleZonesHasAnEnemy) {
    const std::vector<u8> file = ReadHostFile(h.Path("MH_Data/battlefield.dat"));
    for (const auto& zone : SampleMapDb().zones) {
        for (u32 n : zone.battles) {
            BattlefieldRecord r;
            ASSERT_TRUE(ParseBattlefield(file, n, &r)) << n;
            EXPECT_TRUE(
                std::any_of(std::begin(r.enemies), std::end(r.enemies),
                            [](const EnemySlot& e) { return e.monster != kEmptyEnemySlot; }))
                << "battle " << n << " of map " << zone.map;
        }
    }
}

TEST_F(BattleFrameTest, MusicIndexPastTheNamesPlaysNothing) {
    WriteData(h, "FBGM.dat", BuildBattleMusicFile({0, 1000000, 5, 0xFFFFFFDFu}));
    std::string path;
    // Record 38 is empty; + 33 would wrap to record 0.
    for (u32 n : {1000000u, 5u, 0xFFFFFFDFu}) EXPECT_FALSE(BattleMusicPath(n, &path)) << n;
    for (u32 n : {1u, 3u}) {
        RunBattle(n, [n](u32 phase, int) {
            if (phase == kPhaseSetUp) {
                EXPECT_EQ(gMusic.GetList(3).slots[0].name, nullptr) << n;
            }
        });
    }
}

TEST_F(BattleFrameTest, BackdropZeroIsAct15112AndLayerZeroNeverMoves) {
    RunBattle(7, [&](u32 phase, int) {
        if (phase != kPhaseMain) return;
        for (int k = 1; k <= 3; ++k)
            EXPECT_EQ(At(kLayerProbe[k].x, kLayerProbe[k].y), LayerPx(kBackdropAct, k)) << k;
    });

    // Shake: layers 1-3 move by the offsets, layer 0 stays; the last offsets
    // stay after the shake has run out, until it is stopped.
    gBattleScene.Setup(0);
    gBattleScene.Shake(3);
    int on = 0;
    for (int t = 0; t < 3; ++t) {
        gBattleScene.Tick();
        on += gBattleScene.Shaking();
        EXPECT_LE(std::max(std::abs(gBattleScene.ShakeX()), std::abs(gBattleScene.ShakeY())), 3);
    }
    EXPECT_EQ(on, 2);  // on after ticks 1 and 2, off after the third
    ShakeRight();
    const i32 sx = gBattleScene.ShakeX(), sy = gBattleScene.ShakeY();
    ASSERT_GT(sx, 0);
    gBattleScene.Tick();
    EXPECT_EQ(gBattleScene.ShakeX(), sx);
    DrawScene();
    // Every layer's corner is the screen's, moved by (sx, sy) for layers 1-3:
    // screen point (x, y) shows the layer's point (x - sx, y - sy). The hot
    // spot the act names is not used. Layer 0 shows where layer 1 left. (The
    // layers' order is the probes' at rest above; the tint test finds each
    // layer moved by the shake.)
    const u16 underlay = PlainColour(15001, 0);
    auto layer = [&](int k, int x, int y) { return LayerPx(kBackdropAct, k, {x - sx, y - sy}); };
    EXPECT_EQ(std::tuple(At(sx - 1, 30), At(sx, 30), At(64, sy < 0 ? 479 : 0)),
              std::tuple(underlay, layer(1, sx, 30), sy == 0 ? layer(1, 64, 0) : u16{0}));
    gBattleScene.StopShake();
    EXPECT_EQ(std::tuple(gBattleScene.ShakeX(), gBattleScene.ShakeY()), std::tuple(0, 0));
}

TEST_F(BattleFrameTest, TintStepsToItsTargetAndDarkensAllButLayerZero) {
    gBattleScene.Setup(0);
    // Down to -32 (the sign of n does not matter), then back up to 0.
    for (bool back : {false, true}) {
        back ? gBattleScene.FadeBack() : gBattleScene.FadeTo(-32);
        for (int t = 1; t <= 40; ++t) {
            gBattleScene.Tick();
            ASSERT_EQ(gBattleScene.TintLevel(), back ? std::min(-32 + t, 0) : std::max(-t, -32))
                << t;
        }
    }
    gBattleScene.FadeTo(5);
    for (int t = 0; t < 5; ++t) gBattleScene.Tick();
    ShakeRight();  // so that layer 0 shows at the left edge
    const i32 sx = gBattleScene.ShakeX();
    ASSERT_GT(sx, 0);
    DrawScene();
    EXPECT_EQ(At(0, 10), PlainColour(15001, 0));
    const i32 dim[3] = {-5, -5, -5};
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(At(kLayerProbe[k].x + sx, kLayerProbe[k].y + gBattleScene.ShakeY()),
                  Join(TintRef(Split(LayerPx(kBackdropAct, k)), dim)))
            << k;
}

TEST_F(BattleFrameTest, TopDrawCarriesTheMapsFlashLayers) {
    // Lit pixels outside layer 3 over 300 ticks: only the flash layers put them there.
    auto lit = [&](bool on) {
        for (int flag : {8, 22}) on ? SetGameFlag(flag) : ClearGameFlag(flag);
        gBattleScene.Setup(0);
        int count = 0;
        for (int t = 0; t < 300; ++t) {
            FillSurface(gDrawSurface, 0);
            gBattleScene.DrawTop();
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) {
                    const bool layer3 = y >= kPostTop && (x < kPostW || x >= 640 - kPostW);
                    count += !layer3 && At(x, y) != 0;
                }
        }
        return count;
    };
    EXPECT_EQ(lit(false), 0);
    EXPECT_GT(lit(true), 0);
}

TEST_F(BattleFrameTest, AWaveByteBeyondTheTableIsHeldToItsLastBlock) {
    EXPECT_EQ(std::tuple(ClampWave(200), ClampWave(-1), ClampWave(7)), std::tuple(15, 0, 7));
    gBattleScene.Setup(0);
    for (int t = 0; t < 3; ++t) {
        // The act sets the byte each frame; the scene reads it after the advance.
        for (int k = 1; k < 4; ++k) gBattleScene.Layer(k).wave = 200;
        DrawScene();
    }
    EXPECT_EQ(gPaintWave, 0);
}

}  // namespace
