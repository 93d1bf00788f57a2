// The battle frame through its phases: tick counts, results, battle 2032, the
// release, the battle files and their bad forms, the backdrop's layers, shake
// and tint, and whole battles through the real tick: on auto, and as a player
// fights them in a sample new game (a meadow encounter met by walking about and
// won by hand, keys held down while the battle moves on, and every ring row's
// list in the thunder god's fight), and every act the battle names.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <initializer_list>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "PixelRefs.h"
#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "battle/BattleEnd.h"
#include "battle/BattleFiles.h"
#include "battle/BattleKeys.h"
#include "battle/BattleScene.h"
#include "battle/BattleLog.h"
#include "battle/BattleSide.h"
#include "battle/FighterAct.h"
#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameDatabase.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "engine/DDraw.h"
#include "engine/FrameState.h"
#include "engine/MyAct.h"
#include "engine/Random.h"
#include "engine/Tsw.h"
#include "map/City.h"
#include "map/MapManage.h"
#include "map/RoleTable.h"
#include "map/StoryLink.h"
#include "mhdata/Databases.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleBattleParty.h"
#include "mhdata/SampleEquip.h"
#include "mhdata/SampleMenu.h"
#include "mhdata/SampleSkillMenu.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"
#include "sound/Music.h"
#include "support/BattleRun.h"
#include "support/Harness.h"
#include "support/Input.h"
#include "support/MusicRecorder.h"
#include "support/SampleSession.h"

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
        h.WriteSample();
        h.StartGame();
        LoadGameDatabase(gBasePath);  // the monsters the sample's battles field
    }
    u16 Px(int x, int y) const { return gPaintBuf[y * 640 + x]; }
};

// A point of the sample's backdrop where layer k (1..3) is the uppermost at rest.
struct LayerPoint {
    int x, y;
};
constexpr LayerPoint kLayerProbe[4] = {{0, 0}, {150, 60}, {150, 160}, {8, 400}};

// The screen colour of layer k of a backdrop at its point (x, y), by default
// its probe.
u16 LayerPx(u32 act, int k, LayerPoint at = {-1, -1}) {
    if (at.x < 0) at = kLayerProbe[k];
    return PlainColourAt(static_cast<u16>(act), static_cast<u16>(k - 1), at.x, at.y);
}

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
struct TickHash {
    u64 h = 1469598103934665603ull;
    void Add(const void* p, size_t n) {
        const u8* b = static_cast<const u8*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    }
    template <class T>
    void Add(const T& v) {
        Add(&v, sizeof(v));
    }
};

u64 HashTick() {
    TickHash t;
    if (gPaintBuf) t.Add(gPaintBuf, 640 * 480 * sizeof(u16));
    if (const char* line = gBattleLog.HeadText()) t.Add(line, std::string(line).size());
    t.Add(gBattleLog.Count());
    for (const cBattleSide* side : {&gPartySide, &gEnemySide})
        for (int i = 0; i < side->count; ++i) {
            const cFighter& f = side->fighters[i];
            const i32 words[] = {f.hp, f.mp, f.gauge, f.action, f.step, f.command, f.x, f.z};
            t.Add(words);
            t.Add(f.status);
        }
    return t.h;
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

}  // namespace

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
            EXPECT_EQ(std::tuple(Px(298 + 4, 246 + 4), Px(298 - 1, 246 + 4)),
                      std::tuple(iconColour, PlainColour(11004, 0)));
        }
        if (phase == kPhaseSetUp) {
            // Battle 7 plays music index 0: name record 33, looping on list 3.
            const char* name = gMusic.GetList(3).slots[0].name;
            EXPECT_TRUE(name && std::string(name).ends_with("battle.mp3"));
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
            EXPECT_EQ(Px(0, 30), LayerPx(kBackdropAct, 1, {0, 30}));
        }
    });
}

TEST_F(BattleFrameTest, DeveloperF1EndsTheFightOnlyInDeveloperModeAndKeysFromTheMapDoNothing) {
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

    // The auto-battle key held from the map does not switch auto battle on.
    const u8 autoKey = static_cast<u8>(gKeyBindings[kKeyAutoAttack]);
    PlatformSetKey(autoKey, true);
    int on = 0;
    RunBattle(
        kLoneGoblin,
        [&](u32 phase, int) {
            // Nobody is ready to command in the first main ticks.
            if (phase == kPhaseOpening) gPartySide.fighters[0].gauge = 0;
            if (phase == kPhaseMain) on += gBattleController.autoBattle;
        },
        1 + 16 + 20);
    PlatformSetKey(autoKey, false);
    EXPECT_EQ(on, 0);
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

TEST_F(BattleFrameTest, MusicIndexPastTheNamesPlaysNothing) {
    WriteData(h, "FBGM.dat", BuildBattleMusicFile({0, 1000000, 5, 0xFFFFFFDFu}));
    std::string path;
    // Record 38 is empty; + 33 would wrap to record 0.
    for (u32 n : {1000000u, 5u, 0xFFFFFFDFu}) EXPECT_FALSE(BattleMusicPath(n, &path)) << n;
    ASSERT_TRUE(BattleMusicPath(11, &path));  // record 44, the victory piece
    EXPECT_TRUE(path.ends_with("music\\theme.xmi")) << path;
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
            EXPECT_EQ(Px(kLayerProbe[k].x, kLayerProbe[k].y), LayerPx(kBackdropAct, k)) << k;
    });
    RunBattle(1, [&](u32 phase, int) {
        if (phase == kPhaseMain) {
            EXPECT_EQ(Px(kLayerProbe[2].x, kLayerProbe[2].y), LayerPx(kHarbourAct, 2));
        }
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
    // spot the act names is not used. Layer 0 shows where layer 1 left.
    const u16 underlay = PlainColour(15001, 0);
    auto layer = [&](int k, int x, int y) { return LayerPx(kBackdropAct, k, {x - sx, y - sy}); };
    EXPECT_EQ(std::tuple(Px(sx - 1, 30), Px(sx, 30), Px(64, sy < 0 ? 479 : 0)),
              std::tuple(underlay, layer(1, sx, 30), sy == 0 ? layer(1, 64, 0) : u16{0}));
    // The edges of the hill band and of the posts, each between two layers
    // that differ there.
    const struct {
        int x, y, k, otherK, otherX, otherY;
    } edges[] = {
        {150, kHillTop + sy, 2, 1, 150, kHillTop + sy - 1},
        {150, kHillBottom + sy - 1, 2, 1, 150, kHillBottom + sy},
        {sx + kPostW - 1, kPostTop + sy, 3, 1, sx + kPostW, kPostTop + sy},
        {sx + 5, kPostTop + sy, 3, 1, sx + 5, kPostTop + sy - 1},
        {640 - kPostW + sx, 400, 3, 1, 640 - kPostW + sx - 1, 400},
    };
    for (const auto& e : edges) {
        EXPECT_EQ(std::tuple(Px(e.x, e.y), Px(e.otherX, e.otherY)),
                  std::tuple(layer(e.k, e.x, e.y), layer(e.otherK, e.otherX, e.otherY)))
            << e.x << "," << e.y;
        EXPECT_NE(layer(e.k, e.x, e.y), layer(e.otherK, e.otherX, e.otherY)) << e.x << "," << e.y;
    }
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
    EXPECT_EQ(Px(0, 10), PlainColour(15001, 0));
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(Px(kLayerProbe[k].x + sx, kLayerProbe[k].y + gBattleScene.ShakeY()),
                  TintRef(LayerPx(kBackdropAct, k), -5))
            << k;
}

TEST_F(BattleFrameTest, TopDrawCarriesTheMapsFlashLayers) {
    // Lit pixels outside layer 3 over 300 ticks: only the flash layers put them there.
    auto lit = [&](bool on) {
        on ? SetGameFlag(8) : ClearGameFlag(8);
        on ? SetGameFlag(22) : ClearGameFlag(22);
        gBattleScene.Setup(0);
        int count = 0;
        for (int t = 0; t < 300; ++t) {
            FillSurface(gDrawSurface, 0);
            gBattleScene.DrawTop();
            for (int y = 0; y < 480; ++y)
                for (int x = 0; x < 640; ++x) {
                    const bool layer3 = y >= kPostTop && (x < kPostW || x >= 640 - kPostW);
                    count += !layer3 && Px(x, y) != 0;
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

TEST(BattleEndToEnd, StoryAndEncounterBattlesWonOnAutoBackToTheMap) {
    Harness h;
    SampleSession s{h};
    s.NewGameFromTheTitle();
    h.RunFrames(30);
    const int mapMusic = gMusic.GetMode();
    const int guard = FindRoleById(102);
    ASSERT_TRUE(guard > 0 && (gMapRoles[guard].state & kRoleShown)) << guard;
    // The party is role 0 alone, at level 1 with no experience.
    ASSERT_EQ(std::tuple(gFormation[0], gFormation[1], gRoleStats[0].level), std::tuple(0, -1, 1));
    // The story battle is what the pier talk's battle command leaves, with a
    // role to hide: a slime and a goblin, 20 + 40 gold, 12 + (24 + 1)
    // experience. The encounter is what a step in the town's encounter zone
    // does: a slime, and 37 + 12 experience passes the 45 of level 1.
    const struct Start {
        const char* name;
        u32 gold;
        i32 level, exp;
    } starts[] = {{"story", 60, 1, 37}, {"encounter", 20, 2, 4}};
    for (const Start& st : starts) {
        const u32 money = gScriptVars[0];
        MusicRecorder played;
        const bool story = st.name[0] == 's';
        gBattleRoleChanges[0] = story ? 102 : -1;
        gBattleRequest = story ? 0x80000001u : kTownEncounter;
        if (!story) EnterBattle();
        ASSERT_TRUE(h.RunUntil([] { return gBattleActive != 0; }, 3)) << st.name;
        // The first opening tick still shows the map over the backdrop; once
        // the dissolve is over the backdrop shows.
        ASSERT_TRUE(
            h.RunUntil([] { return gBattle.phase() == kPhaseOpening && gBattle.fade() == 14; }, 3));
        const u16 layer = LayerPx(story ? kHarbourAct : kBackdropAct, 1);
        const int lx = kLayerProbe[1].x, ly = kLayerProbe[1].y;  // a spot no fighter stands over
        EXPECT_NE(gPaintBuf[ly * 640 + lx], layer) << st.name;
        if (story) {
            EXPECT_TRUE(gMapRoles[guard].state & kRoleShown);  // hidden once the dissolve is over
        }
        const char* music = gMusic.GetList(3).slots[0].name;
        EXPECT_TRUE(music && std::string(music).ends_with(story ? "theme.xmi" : "battle.mp3"))
            << st.name;
        ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 20)) << st.name;
        // The auto-battle key (binding 10) hands the party to the picker.
        PlatformSetKey(static_cast<u8>(gKeyBindings[kKeyAutoAttack]), true);
        h.RunFrames(1);
        PlatformSetKey(static_cast<u8>(gKeyBindings[kKeyAutoAttack]), false);
        EXPECT_EQ(std::tuple(gPaintBuf[ly * 640 + lx], gBattleController.autoBattle),
                  std::tuple(layer, 1))
            << st.name;
        ASSERT_TRUE(h.RunUntil([] { return gBattle.phase() == kPhaseEnding; }, 5000)) << st.name;
        EXPECT_EQ(gBattle.outcome(), static_cast<u32>(kOutcomeVictory)) << st.name;
        ASSERT_TRUE(h.RunUntil([] { return gBattleActive == 0; }, 1000)) << st.name;
        for (i32 v : gBattleRoleChanges) EXPECT_EQ(v, -1) << st.name;
        EXPECT_EQ(std::tuple(gFrameId, gBattleRequest, gMapRoles[guard].state & kRoleShown,
                             gScriptVars[0], gRoleStats[0].level, gRoleStats[0].exp),
                  std::tuple(0u, 0u, 0u, money + st.gold, st.level, st.exp))
            << st.name;
        // The victory piece (name 44), and the level-up piece (45) for a new level.
        std::vector<std::string> pieces;
        for (const auto& t : played.tracks())
            if (t.list == 3) pieces.push_back(t.name.substr(t.name.rfind('\\') + 1));
        std::vector<std::string> want = {story ? "theme.xmi" : "battle.mp3", "theme.xmi"};
        if (st.level > 1) want.push_back("field.wav");
        EXPECT_EQ(pieces, want) << st.name;
        EXPECT_TRUE(h.RunUntil([&] { return gMusic.GetMode() == mapMusic; }, 40)) << st.name;
    }
}

namespace {
struct RingWalk {
    Harness& h;
    cCommandMenu& menu = gBattleController.menu;

    // A new game past its opening talk.
    static bool PastTheOpening(Harness& h) {
        SampleSession s{h};
        s.NewGameFromTheTitle();
        if (!s.ConfirmUntilTalkEnds()) return false;
        h.RunFrames(2);
        return true;
    }
    // Then battle n (entered with the keys that are down) up to its main phase.
    static bool StartBattle(Harness& h, u32 n, std::initializer_list<u8> down = {}) {
        if (!PastTheOpening(h)) return false;
        gBattleRequest = n;
        EnterBattle();
        for (u8 k : down) PlatformSetKey(k, true);
        return h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 40);
    }
    // Or walking the meadow, where every step is in the encounter zone, until
    // a battle starts; up to its main phase. The battle is the one the zone's
    // roll picks.
    static bool WalkIntoBattle(Harness& h) {
        if (!PastTheOpening(h)) return false;
        using namespace sampleMap;
        LoadCity(kMeadow, kMeadowArriveX, kMeadowArriveY, 1, 0, 3, 0);
        ClearGameFlag(SampleSession::kFlagNoEncounters);
        const u8 legs[] = {kArrowDown, kArrowRight, kArrowUp, kArrowLeft};
        for (int leg = 0; leg < 16 && !gBattleActive; ++leg) {
            PlatformSetKey(legs[leg % 4], true);
            h.RunUntil([] { return gBattleActive != 0; }, 40);
            PlatformSetKey(legs[leg % 4], false);
            h.RunFrames(2);
        }
        return gBattleActive && h.RunUntil([] { return gBattle.phase() == kPhaseMain; }, 40);
    }
    bool RingReady() { return menu.Current() && menu.ringX == kRingInX && !menu.Chosen(); }
    bool ListShown() { return menu.list.open && menu.list.y == kListShownY; }
    // Ring row k chosen by the keys or by a click, and its list in.
    void Row(int k, bool mouse) {
        if (mouse) ClickAt(h, gRingPoints[k].x, gRingPoints[k].y);
        for (int i = 0; !mouse && i < kRingRows && menu.row != k; ++i) TapKey(h, kScanDown);
        if (!mouse) TapKey(h, kScanEnter);
        ASSERT_TRUE(h.RunUntil([&] { return ListShown() && menu.row == k; }, 12));
    }
    // Esc or a right click slides the list away and the same fighter's ring is back.
    void Back(bool mouse) {
        cFighter* me = menu.Current();
        if (mouse) {
            gDInput.SetMousePos(200, 300);
            for (bool right : {false, true, false}) {
                PlatformSetMouseButtons(false, right);
                h.RunFrames(1);
            }
        } else {
            TapKey(h, kScanEsc);
        }
        ASSERT_TRUE(h.RunUntil([&] { return !menu.list.open && RingReady(); }, 12));
        EXPECT_EQ(menu.Current(), me);
    }
    void Defend() {
        for (int i = 0; i < kRingRows && menu.row != 1; ++i) TapKey(h, kScanUp);
        TapKey(h, kScanEnter, 2);
    }
    std::vector<i32> Order() {
        std::vector<i32> ids;
        for (int i = 0; i < menu.list.count; ++i) ids.push_back(menu.list.rows[i].id);
        return ids;
    }
};

bool NameIs(const ListRow& r, const char* utf8) {
    return std::strcmp(r.name, Utf8ToBig5(utf8).c_str()) == 0;
}
}  // namespace

TEST(BattleSamplePlay, EveryRingListOpensInTheThunderGodsFight) {
    using namespace sampleMenu;
    using namespace sampleSkills;
    Harness h;
    ASSERT_TRUE(RingWalk::StartBattle(h, sampleBattleParty::kThunderFight));
    RingWalk w{h};
    std::set<i32> seen;
    auto allSeen = [&] { return seen.count(0) && seen.count(1) && seen.count(3) && seen.count(5); };
    for (int turn = 0; turn < 40 && !allSeen(); ++turn) {
        ASSERT_TRUE(h.RunUntil([&] { return w.RingReady(); }, 800)) << "turn " << turn;
        const i32 role = CommandRole(*w.menu.Current());
        ASSERT_GE(role, 0);
        // A kind-1 enemy stands: nobody may flee; the item row is open to all,
        // and every member has learned skills in both of its skill rows.
        EXPECT_EQ(gCommandRows[role][3].enabled, 0) << role;
        for (int k : {4, 6, 7}) EXPECT_EQ(gCommandRows[role][k].enabled, 1) << role << " row " << k;
        if (!seen.insert(role).second) {
            w.Defend();
            continue;
        }
        if (role == 0) {
            // Healing by keys: fifteen skills, the 99-MP one greyed.
            w.Row(6, false);
            EXPECT_EQ(std::tuple(w.menu.list.count, w.menu.list.rows[0].id,
                                 NameIs(w.menu.list.rows[0], "小治療")),
                      std::tuple(15, kMend, true));
            for (int i = 0; i < w.menu.list.count; ++i)
                EXPECT_EQ(w.menu.list.rows[i].disabled,
                          w.menu.list.rows[i].id == kGreatMend ? 1 : 0);
            w.Back(false);
            // Items by the mouse: battle goods with their counts, map-only goods left out.
            w.Row(4, true);
            const std::vector<i32> order = w.Order();
            const std::set<i32> ids(order.begin(), order.end());
            for (i32 id : {kWeakDraught, kRebirthHerb, kFireFlask, kWarDrum, kBrokenBell})
                EXPECT_TRUE(ids.count(id)) << id;
            for (i32 id : {kStrengthPill, kWisdomWater, kOldMap, kFirstStory})
                EXPECT_FALSE(ids.count(id)) << id;
            for (int i = 0; i < w.menu.list.count; ++i)
                EXPECT_EQ(w.menu.list.rows[i].number, kOpeningCount);
            w.Back(true);
        } else if (role == 1) {
            // Summons by the mouse: the opening unlocks forms 0 and 1.
            w.Row(5, true);
            EXPECT_EQ(w.Order(), (std::vector<i32>{kFireSummon, kFireSummon + 1}));
            w.Back(false);
            // God arts by keys: at level 2 the heal and the group heal, not yet revival.
            w.Row(6, false);
            EXPECT_EQ(std::tuple(w.Order(), NameIs(w.menu.list.rows[0], "治癒")),
                      std::tuple(std::vector<i32>{sample::kHeal, sample::kGroupHeal}, true));
            w.Back(true);
        } else if (role == 3) {
            // Throw by keys: the unworn shield and the opening's pieces, one row
            // each, never a worn piece.
            w.Row(5, false);
            int given = 1;
            for (auto [piece, copies] : SampleEquipGifts()) given += copies;
            ASSERT_EQ(w.menu.list.count, given);
            bool shield = false;
            for (int i = 0; i < w.menu.list.count; ++i) {
                shield = shield || NameIs(w.menu.list.rows[i], "鐵盾");
                EXPECT_FALSE(IsEquipageEquipped(w.menu.list.rows[i].id)) << i;
            }
            EXPECT_TRUE(shield);
            w.Back(false);
        } else if (role == 5) {
            // Transform opens once every gauge of the party stands full.
            for (int i = 0; i < gPartySide.count; ++i) gPartySide.fighters[i].gauge = 255;
            h.RunFrames(1);
            ASSERT_EQ(gCommandRows[role][5].enabled, 1);
            w.Row(5, true);
            EXPECT_EQ(w.Order(), (std::vector<i32>{kOpeningForm, kOpeningForm + 1}));
            w.Back(true);
        }
        w.Defend();
    }
    EXPECT_TRUE(allSeen()) << seen.size();
}

TEST(BattleMenuPlay, TheEncounterIsWonByHandAndTheMapComesBack) {
    Harness h;
    ASSERT_TRUE(RingWalk::WalkIntoBattle(h));
    // The meadow zone's list holds the lone goblin and the slime.
    EXPECT_TRUE(gBattleRequest == sample_battle::kLoneGoblin ||
                gBattleRequest == sample_battle::kTownEncounter)
        << gBattleRequest;
    RingWalk w{h};
    cCommandMenu& menu = w.menu;
    auto ringReady = [&] { return w.RingReady(); };

    // The item row by mouse, then the drum's row of the list: it beats for the whole party.
    ASSERT_TRUE(h.RunUntil(ringReady, 400));
    cFighter& me = *menu.Current();
    ClickAt(h, gRingPoints[4].x, gRingPoints[4].y);
    ASSERT_EQ(menu.code, kRingItem);
    ASSERT_TRUE(h.RunUntil([&] { return menu.list.open && menu.list.y == kListShownY; }, 10));
    const ListRow* row = nullptr;
    for (int i = 0; i < menu.list.count; ++i)
        if (menu.list.rows[i].id == sampleMenu::kWarDrum) row = &menu.list.rows[i];
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->number, sampleMenu::kOpeningCount);
    // The drum lies below the first page: the down key brings it into view.
    const int at = static_cast<int>(row - menu.list.rows);
    for (int i = 0; i < 2 * at && menu.list.selected < at; ++i) TapKey(h, kScanDown, 2);
    ASSERT_EQ(menu.list.selected, at);
    ClickAt(h, 300, 45 + 20 * menu.list.viewRow + 5, 0);
    ASSERT_TRUE(h.RunUntil([&] { return me.command == kCmdItem; }, 10));
    EXPECT_EQ(std::tuple(me.itemInUse, me.targets[0], me.targets[1]),
              std::tuple(&gItems[sampleMenu::kWarDrum], &gPartySide.fighters[0],
                         &gPartySide.fighters[1]));

    // Attacks by keyboard until the slime falls.
    for (int turn = 0; turn < 30 && gBattle.phase() == kPhaseMain; ++turn) {
        if (!h.RunUntil([&] { return ringReady() || gBattle.phase() != kPhaseMain; }, 600)) break;
        if (gBattle.phase() != kPhaseMain) break;
        for (int k = 0; k < kRingRows && menu.row != 0; ++k) TapKey(h, kScanUp);
        TapKey(h, kScanEnter);
        ASSERT_TRUE(h.RunUntil([&] { return menu.blinkEnemy >= 0; }, 5));
        cFighter* who = menu.Current();
        TapKey(h, kScanEnter, 0);
        EXPECT_TRUE(who->command == kCmdAttack || who->IsActing());
    }
    EXPECT_EQ(std::tuple(gBattle.phase(), gBattle.outcome()),
              std::tuple(static_cast<u32>(kPhaseEnding), static_cast<u32>(kOutcomeVictory)));
    ASSERT_TRUE(h.RunUntil([] { return gBattleActive == 0; }, 1000));
    EXPECT_EQ(std::tuple(gFrameId, h.boxes().empty()), std::tuple(0u, true));
}

// A key still down when the battle moves on (the opening gives way to the
// fight, a command is given and the next ring comes in) does nothing until it
// has been let go; the same key pressed afresh acts at once.
TEST(BattleMenuPlay, KeysHeldIntoTheNextRingAreNotNewPresses) {
    Harness h;
    const u8 autoKey = static_cast<u8>(gKeyBindings[kKeyAutoAttack]);
    auto hold = [&](bool down) {
        for (u8 k : {kScanEnter, kScanDown, autoKey}) PlatformSetKey(k, down);
    };
    ASSERT_TRUE(
        RingWalk::StartBattle(h, sample_battle::kTownEncounter, {kScanEnter, kScanDown, autoKey}));
    cCommandMenu& menu = gBattleController.menu;
    auto ringReady = [&] { return menu.Current() && menu.ringX == kRingInX; };
    // Held long past the repeat delay, the keys neither move the row nor
    // choose it, nor hand the party to auto battle.
    auto heldKeysIdle = [&](const char* when) {
        const int row = menu.row;
        cFighter* me = menu.Current();
        h.RunFrames(30);
        EXPECT_EQ(std::tuple(menu.Current(), menu.row, menu.Chosen(), me->command,
                             gBattleController.autoBattle),
                  std::tuple(me, row, false, kCmdNone, 0))
            << when;
    };

    ASSERT_TRUE(h.RunUntil(ringReady, 400));
    heldKeysIdle("from the opening");
    hold(false);
    h.RunFrames(2);
    for (int k = 0; k < kRingRows && menu.row != 1; ++k) TapKey(h, kScanDown);
    ASSERT_EQ(menu.row, 1);

    // Defend, and keep the confirm key down, the down key joining it, into
    // whoever comes next.
    cFighter* first = menu.Current();
    PlatformSetKey(kScanEnter, true);
    ASSERT_TRUE(h.RunUntil([&] { return first->command == kCmdDefend; }, 3));
    PlatformSetKey(kScanDown, true);
    ASSERT_TRUE(h.RunUntil(ringReady, 600));
    heldKeysIdle("after a command");
    hold(false);
    h.RunFrames(2);
    const int row = menu.row;
    TapKey(h, kScanDown);
    EXPECT_EQ(menu.row, (row + 1) % kRingRows);
}

// Every act the sample's records name and the battle, the offering page, the
// swimming scene and the save tool draw by number is in the sample's archives
// with the actions they play, so a fight prints no missing act: bodies (the
// offering page's picture action 13 and the stand of both facings), hits and
// effects (actions 0 and 1), the icons of act 9901; the pictures drawn by the
// act's number (the progress mark, frame 22 of 9007, the page arrows of 9051).
TEST(BattleSampleArt, EveryActTheRecordsAndTheScreensNameIsInTheSample) {
    Harness h;
    h.WriteSample();
    LoadGameDatabase(h.root().c_str());
    SetPicLibPath(h.root().c_str());
    ASSERT_EQ(OpenPicLib(), 1);
    std::set<std::pair<i32, i32>> wanted;  // (act, action)
    auto want = [&](i32 act, std::initializer_list<i32> actions) {
        for (i32 a : actions) wanted.insert({act, a});
    };
    for (i32 i = 0; i < gMonsterCount; ++i) {
        const MonsterData& m = gMonsters[i];
        if (!m.name[0]) continue;
        if (m.act) want(m.act, {4, 5, 13});
        if (m.hitAct) want(m.hitAct, {0, 1});
        want(9901, {0});
    }
    // Skills, items and equipment: the act each names (if any) and its icon.
    auto records = [&](const auto* table, i32 count, auto act, std::initializer_list<i32> actions) {
        for (i32 i = 0; i < count; ++i) {
            if (!table[i].name[0]) continue;
            if (act(table[i])) want(act(table[i]), actions);
            want(9901, {table[i].icon});
        }
    };
    records(gSkills, gSkillCount, [](const SkillData& r) { return r.effectAct; }, {0, 1});
    records(gItems, gItemCount, [](const ItemData& r) { return r.effectAct; }, {0});
    // Every piece needs its weapon picture: one without asks for act -1, which no archive has.
    records(gEquipages, gEquipageCount,
            [](const EquipageData& r) { return r.weaponPic ? r.weaponPic : -1; }, {0, 1});
    for (u32 act : {kAnimThrow, kAnimCast, kAnimTheft, kAnimHurt, kAnimTransform, kAnimBarrier,
                    kAnimSunShield, kAnimMoonShield, kAnimStarShield, kAnimGuard, kAnimEnemyFall,
                    kAnimCaptureOrb, kAnimRanged, kAnimNoItem, kAnimStolen})
        want(static_cast<i32>(act), {0});
    want(7141, {0, 1});  // the bare-handed hit
    want(kAnimFallBoss, {1});
    want(3201, {13});  // the offering page's picture of a monster without one
    for (const auto& [act, action] : wanted) {
        ActPlayer p;
        ResetActPlayer(&p);
        p.act = act;
        p.action = action;
        EXPECT_EQ(TakeActData(&p), 1) << act << "/" << action << ": " << ActLastError();
    }
    const std::pair<u16, u16> pictures[] = {{9007, 22}, {9051, 0}, {9051, 1}};
    for (auto [pic, frame] : pictures)
        EXPECT_NE(GetPic(pic, frame), nullptr) << pic << "/" << frame;
}
