// Fighting over hand-built fighters. The rules with the random draws
// scripted: hit and damage against hand-worked numbers and an independent
// write-up of each formula; status conditions (every start against every bit
// already set, the counters, cure, revive, the effect and on-hit codes, the
// per-turn tick) and the turn gauge; setting up the two sides and their
// queries; the battle end (the victory's pay, level-ups, the banner's and the
// defeat wait's timing, bad values from a save or a record); the controller
// and the action pickers, and whole auto battles replayed tick for tick.
// Scripted duels with the sample acts, checked by tick: attacks, reactions,
// falls and poison; the command actions (theft, flight, capture, throw, magic,
// items, skill strikes and the transformation) with their bad inputs. Fighter
// drawing against flat-colour sample art: bar widths, the pulse, the HP
// catch-up, digits, the icon row, the shrink zoom, the poison pass and
// offsets. Battle sprites: the movement line, draw order with the front and
// back classes, pool and list limits, sound cues, events, and the after-image
// trail.
// The battle's own input and the panels it drives: the keyboard's repeat rule,
// the cursor's clicks and looks, the message log; the lists' rows, keys,
// paging, drag thumb and description breaks; the command menu by keys and
// mouse (ring rows per role and state, commit codes and targets, cancelling,
// waiting in turn, transforming, the creature ring); and over the sample
// game's art, clicks on the ring, the description box and icons past the act.
// The battle frame through its phases: tick counts, results, battle 2032, the
// release, the battle files and their bad forms, the backdrop's layers, shake
// and tint, and whole battles through the real tick: on auto, and as a player
// fights them in a sample new game (a meadow encounter met by walking about and
// won by hand, keys held down while the battle moves on, and every ring row's
// list in the thunder god's fight), and every act the battle names.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "battle/Battle.h"
#include "battle/BattleController.h"
#include "battle/BattleEnd.h"
#include "battle/BattleFiles.h"
#include "battle/BattleKeys.h"
#include "battle/BattleLists.h"
#include "battle/BattleLog.h"
#include "battle/BattleLogSink.h"
#include "battle/BattleMenu.h"
#include "battle/BattleRandom.h"
#include "battle/BattleScene.h"
#include "battle/BattleSide.h"
#include "battle/BattleSprite.h"
#include "battle/BattleSpriteSink.h"
#include "battle/DrawList.h"
#include "battle/Fighter.h"
#include "battle/FighterAct.h"
#include "battle/FighterDraw.h"
#include "battle/HitRules.h"
#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
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
#include "mhdata/SampleFighters.h"
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

// Pixel expectations written apart from the painter: a picture's plain colour,
// and the blend and tint rules worked channel by channel.
// The screen value of a picture's pixel (x, y) (0 where transparent), drawn
// plainly into a scratch buffer.
u16 PlainColourAt(u16 pic, u16 frame, int x, int y) {
    PicFrame* f = GetPic(pic, frame);
    if (!f) return 0xDEAD;
    std::vector<u16> probe(640 * 480, 0);
    u16* canvas = gPaintBuf;
    gPaintBuf = probe.data();
    gCurPic = f->pixels;
    PutPic(0, 0, f->width, f->height, 0, nullptr);
    gPaintBuf = canvas;
    return probe[static_cast<size_t>(y) * 640 + x];
}

// The screen value of a picture's first pixel.
u16 PlainColour(u16 pic, u16 frame) {
    return PlainColourAt(pic, frame, 0, 0);
}

// The plain colour of the picture an act's action shows first (0xDEAD when there is none).
u16 ActColour(u32 act, u32 action) {
    ActPlayer p;
    p.act = act;
    p.action = action;
    return TakeActData(&p) ? PlainColour(p.pic, p.frame) : 0xDEAD;
}

// Level k of 16 on the top five bits of each channel: s/2 when k has 8, then
// d/4, d/8, d/16 for the bits of k it lacks (each term rounded down); 15 and
// up is the source itself.
u16 BlendRef(u16 s, u16 d, int k) {
    if (k >= 15) return s;
    u32 out = 0;
    for (u32 m : {gMaskR, gMaskG, gMaskB}) {
        const int shift = __builtin_ctz(m);
        const u32 sc = (s & m) >> shift, dc = (d & m) >> shift;
        u32 c = 0;
        for (int bit = 3, div = 2; bit >= 0; --bit, div *= 2) c += ((k >> bit) & 1 ? sc : dc) / div;
        out |= c << shift;
    }
    return static_cast<u16>(out);
}

// A pixel moved by a tint on the top five bits of each channel, held in 0..31.
u16 TintRef(u16 s, int tint) {
    u32 out = 0;
    for (u32 m : {gMaskR, gMaskG, gMaskB}) {
        const int shift = __builtin_ctz(m);
        const int c = static_cast<int>((s & m) >> shift) + tint;
        out |= static_cast<u32>(c < 0 ? 0 : (c > 31 ? 31 : c)) << shift;
    }
    return static_cast<u16>(out);
}

// Records are written with designated initializers naming only the fields a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// A table of n zeroed records, owned by the data module (freed by its reset);
// its count, when given, set to n.
template <class Rec>
Rec* Table(i32 n, i32* count = nullptr) {
    if (count) *count = n;
    return static_cast<Rec*>(std::calloc(static_cast<size_t>(n), sizeof(Rec)));
}

// One poll of the battle keys with the key down, call, then a poll with it let go.
template <class F>
void WithKeyDown(u8 key, F call) {
    PlatformSetKey(key, true);
    gBattleKeys.Poll();
    call();
    PlatformSetKey(key, false);
    gBattleKeys.Poll();
}

struct ScriptedDraws {
    static inline std::deque<u32> values;
    static inline std::vector<u32> asked;  // the n of every draw, in order
    static inline int overrun = 0;
    static u32 Draw(u32 n) {
        asked.push_back(n);
        if (values.empty()) {
            ++overrun;
            return 0;
        }
        const u32 v = values.front();
        values.pop_front();
        return v;
    }
};

// Clean globals (the harness resets them all as it comes and goes) and the
// scripted random source.
class FightTest : public ::testing::Test {
protected:
    void SetUp() override {
        Script({});
        ScriptedDraws::overrun = 0;
        SetBattleRandomSource(&ScriptedDraws::Draw);
    }
    void TearDown() override {
        EXPECT_EQ(ScriptedDraws::overrun, 0) << "more draws than the test scripted";
    }

    // The next draws; each value is what RandomN(n) answers.
    static void Script(const std::vector<u32>& v) {
        ScriptedDraws::values.assign(v.begin(), v.end());
        ScriptedDraws::asked.clear();
    }
    // What call answers with these draws scripted.
    template <class Call>
    auto With(std::initializer_list<u32> v, Call call) {
        Script(v);
        return call();
    }
    bool ScriptUsed() const { return ScriptedDraws::values.empty(); }
    const std::vector<u32>& Asked() const { return ScriptedDraws::asked; }

    // A fighter over test record k: an enemy by default, ready for the rules.
    cFighter& Fighter(int k, i32 attack = 100, i32 defence = 50) {
        MonsterData& m = records_[k];
        m.maxHp = m.hp = 100;
        m.hitRate = 80;
        m.evasion = 30;
        for (i32& r : m.ratios) r = 100;
        cFighter& f = fighters_[k];
        f.Reset();
        f.flags = cFighter::kInUse | cFighter::kTaken;
        f.kind = kKindEnemy;
        f.status = 0;
        f.stats = cFighterStats::OfMonster(&m);
        f.attack = attack;
        f.defence = defence;
        f.maxHp = f.hp = 100;
        f.maxMp = f.mp = 50;
        f.row = f.attackKind = 1;
        f.hitRate = 80;
        f.evasionRate = f.magicEvasionRate = 30;
        f.SetAction(1, 0, 0);
        return f;
    }
    MonsterData& Record(int k) { return records_[k]; }
    // Fighters over records 0 and 1 with the given attack and defence.
    std::pair<cFighter&, cFighter&> Two(i32 a0 = 100, i32 d0 = 50, i32 a1 = 100, i32 d1 = 50) {
        return {Fighter(0, a0, d0), Fighter(1, a1, d1)};
    }

    // The numbers floated over fighters so far, with their kinds.
    static std::vector<std::pair<std::string, FloatKind>> Floats() {
        std::vector<std::pair<std::string, FloatKind>> v;
        for (const ShownFloat& s : ShownFighterFloats()) v.push_back({s.text, s.kind});
        return v;
    }

    // A log line: the text with a and b put in for its %s marks.
    static std::string Line(const char* utf8, const char* a = "", const char* b = "") {
        char buf[200];
        std::snprintf(buf, sizeof(buf), Utf8ToBig5(utf8).c_str(), Utf8ToBig5(a).c_str(),
                      Utf8ToBig5(b).c_str());
        return buf;
    }

    Harness h_;
    MonsterData records_[16] = {};
    cFighter fighters_[16];
};

// Every draw RandomN(n) answers the next value queued for n, else the default
// for n: no critical, no evasion, a clean hit, no wake-up, no on-hit code, the
// middle variation, no counter.
struct DuelDraws {
    static inline std::map<u32, std::deque<u32>> queued;
    static inline std::vector<u32> asked;
    static u32 Draw(u32 n) {
        asked.push_back(n);
        std::deque<u32>& q = queued[n];
        if (q.empty()) return n == 100 ? 50 : n == 27 ? 13 : n == 5 ? 3 : 0;
        const u32 v = q.front();
        q.pop_front();
        return v;
    }
};

class DuelTest : public FightTest {
protected:
    void SetUp() override {
        FightTest::SetUp();
        h_.WriteSample();
        h_.StartGame();
        LoadGameDatabase(gBasePath);
        DuelDraws::queued.clear();
        DuelDraws::asked.clear();
        spawned.clear();
        SetBattleRandomSource(&DuelDraws::Draw);
    }

    // The next answers for draws of range n.
    static void Queue(u32 n, std::initializer_list<u32> v) {
        for (u32 x : v) DuelDraws::queued[n].push_back(x);
    }

    // A fighter in slot i of its side: HP 100/100, MP 50/50, attack 100,
    // defence 50, hit 80, evasion 30, agility 10, in the front row, waiting.
    cFighter& Add(bool party, int i, u32 act) {
        cBattleSide& side = party ? gPartySide : gEnemySide;
        MonsterData& m = records_[party ? i : 8 + i] = MonsterData{};
        m.maxMp = m.mp = 50;
        m.agility = 10;
        m.level = 1;
        m.expValue = 20;
        m.gold = 7;
        m.theftItem = m.dropItem = -1;
        std::snprintf(m.name, sizeof(m.name), "%s", party ? "P" : "E");
        // The rules' fighter over that record, placed and shown.
        cFighter& f = side.fighters[i] = Fighter(party ? i : 8 + i);
        f.kind = party ? kKindParty : kKindEnemy;
        f.pic = party ? 0 : 5;
        f.act = act;
        f.facing = party ? 4 : 5;
        f.slot = i;
        f.x = f.homeX = party ? 440 + 20 * i : 200 - 20 * i;
        f.z = f.homeZ = party ? 300 + 10 * i : 200 + 10 * i;
        f.shownHp = 100;
        f.shownMp = 50;
        f.hitAct = 7246;
        f.homeRow = 1;
        f.SetAction(kStateWaiting, 1, 0);  // past the pose of its last turn
        if (side.count <= i) side.count = i + 1;
        ++side.memberCount;
        ++side.frontCount;
        return f;
    }
    cFighter& Party(int i = 0) { return Add(true, i, 1000); }
    cFighter& Enemy(int i = 0) { return Add(false, i, 3005); }
    // The party's slot 0 against the enemies' slot 0, or slots 0 and 1 of one side.
    std::pair<cFighter&, cFighter&> Duel() { return {Party(), Enemy()}; }
    std::pair<cFighter&, cFighter&> Pair(bool party) {
        return {party ? Party(0) : Enemy(0), party ? Party(1) : Enemy(1)};
    }
    MonsterData& RecordOf(bool party, int i) { return records_[party ? i : 8 + i]; }

    // One tick of the main phase as far as the fighters go; the acts of the
    // hit animations started in it join spawned.
    static void Tick() {
        UpdateFighters();
        UpdateAfterImages();
        UpdateHitAnims();
        for (const cHitAnim& a : gHitAnims)
            if (a.Taken() && a.step == 1 && a.ticks == 0) spawned.push_back(a.act);
        UpdateFloatTexts();
        gDrawList.Clear();
    }
    static size_t Spawned(u32 act) { return std::count(spawned.begin(), spawned.end(), act); }
    // Ticks until pred holds (at most limit); the number of ticks run, -1 when it never held.
    template <class P>
    static int TickUntil(P pred, int limit = 400) {
        for (int t = 1; t <= limit; ++t) {
            Tick();
            if (pred()) return t;
        }
        return -1;
    }
    // Gives a fighter a full gauge and a command on the main target.
    static void Order(cFighter& f, i32 command, cFighter* target) {
        f.gauge = kGaugeFull;
        f.command = command;
        f.targets[0] = target;
    }

    static std::vector<std::string> Lines() { return LoggedBattleLines(); }
    // How often text floated over the fighter.
    static size_t CountFloats(const cFighter& f, const char* text) {
        const std::vector<ShownFloat>& v = ShownFighterFloats();
        return std::count_if(v.begin(), v.end(), [&](const ShownFloat& s) {
            return s.fighter == &f && s.text == text;
        });
    }

    static inline std::vector<u32> spawned;
};

u32 Var(int v) {
    return static_cast<u32>(v + 13);
}

std::pair<i32, i32> HpMp(const Loss& l) {
    return {l.hp, l.mp};
}

class HitRules : public FightTest {};

TEST_F(HitRules, PhysicalDamageByVariationCriticalDefenceRowsAndAttackChanges) {
    auto [a, t] = Two(100, 0, 0);
    struct Case {
        i32 attack;
        bool critical;
        std::vector<u32> draws;  // the variation, then the critical factor or the weak blow's
        i32 want;                // worked out by hand
        i32 defending = 0;
        u32 targetStatus = 0, attackerStatus = 0;
        i32 powerUp = 0, attackerRow = 1, attackKind = 1, targetRow = 1;
    } cases[] = {
        {100, false, {Var(0)}, 64},       // 100 x (100 - 36) / 100
        {100, false, {Var(13)}, 72},      // 113 x 64 / 100 = 72.3
        {100, false, {Var(-13)}, 55},     // 87 x 64 / 100 = 55.7
        {100, true, {Var(0), 0}, 92},     // 64 x 145 / 100
        {100, true, {Var(0), 40}, 118},   // 64 x 185 / 100
        {100, false, {Var(0)}, 12, 1},    // a fifth
        {100, true, {Var(0), 0}, 41, 1},  // 64 x 65 / 100
        {100, false, {Var(0)}, 32, 0, kStStarShield},
        {10, false, {Var(0), 0}, 2},  // weak blows do two or three
        {10, false, {Var(0), 1}, 3},
        {10, true, {Var(0), 10, 1}, 6},
        // With a variation of 5: 105 x (a - d x 73 / 100) / 100 for a and d worked from the rule.
        {100, false, {Var(5)}, 30, 0, 0, 0, 0, 2},  // back-row close attacker: x 656 / 1000: 65, 50
        {100, false, {Var(5)}, 67, 0, 0, 0, 0, 2, 2},       // a ranged one is not cut: 100, 50
        {100, false, {Var(5)}, 24, 0, 0, 0, 0, 1, 1, 2},    // back-row target: x 591 / 1000: 59, 50
        {100, false, {Var(5)}, 80, 0, 0, kStBlessing},      // blessing raises both: 120, 60
        {100, false, {Var(5)}, 53, 0, 0, kStWeakness},      // weakness lowers both: 80, 40
        {100, false, {Var(5)}, 119, 0, 0, 0, 1},            // power-up: 150, 50
        {100, false, {Var(5)}, 133, 0, 0, kStBlessing, 1},  // shares of the original: 170, 60
        {100, false, {Var(5)}, 119, 0, 0, kStBlessing | kStWeakness, 1},
    };
    for (const Case& c : cases) {
        a.attack = c.attack;
        a.status = c.attackerStatus;
        a.powerUp = c.powerUp;
        a.row = c.attackerRow;
        a.attackKind = c.attackKind;
        t.row = c.targetRow;
        t.defending = c.defending;
        t.status = c.targetStatus;
        ScriptedDraws::values.assign(c.draws.begin(), c.draws.end());
        EXPECT_EQ(PhysicalDamage(t, a, c.critical, false), c.want) << c.want;
        EXPECT_TRUE(ScriptUsed()) << c.want;
    }
}

TEST_F(HitRules, CountersHalveAndOnHitCodesLandOnOneInFive) {
    auto [a, t] = Two(100, 0, 0);
    EXPECT_EQ(With({Var(0)}, [&] { return CounterDamage(t, a); }), 32);
    a.attack = 10;
    EXPECT_EQ(With({Var(0), 0}, [&] { return CounterDamage(t, a); }), 1);  // 2 halved

    // On-hit codes land on one draw in five.
    a.attack = 100;
    a.hitCodes[0] = 13;  // paralysis
    a.hitCodes[1] = 15;  // HP 0
    a.hitCodes[2] = 11;  // poison
    Script({1, 0, 1, 0, 0, 0, Var(0)});
    PhysicalDamage(t, a, false, true);
    EXPECT_EQ(std::tuple(t.status, t.hp, Asked()[0], ScriptUsed()),
              std::tuple(kStParalysis | kStPoison, 100, 5u, true));
}

TEST_F(HitRules, AirRaidThrowAndPoison) {
    auto [a, t] = Two(100, 0, 0);
    Record(0).agility = 20;
    Record(1).agility = 10;
    EXPECT_EQ(With({Var(0)}, [&] { return AirRaidDamage(t, a); }),
              120);  // (120 x 133 / 100) - (60 x 66 / 100) = 159 - 39
    t.defence = 1000;
    EXPECT_EQ(With({Var(0)}, [&] { return AirRaidDamage(t, a); }), 1);

    Record(0).strength = 30;
    EquipageData piece{};
    piece.throwValue = 50;
    // Strength 30 + 50, halved when defending, again under a star shield; at least 1.
    const struct {
        i32 defending;
        u32 status;
        i32 throwValue, want;
    } throws[] = {
        {0, 0, 50, 80}, {1, 0, 50, 40}, {1, kStStarShield, 50, 20}, {1, kStStarShield, -30, 1}};
    for (const auto& c : throws) {
        t.defending = c.defending;
        t.status = c.status;
        piece.throwValue = c.throwValue;
        EXPECT_EQ(ThrowDamage(t, a, &piece), c.want);
    }

    MonsterData& m = Record(2);
    cFighter& p = Fighter(2);
    m.strength = m.stamina = m.magic = m.spirit = m.agility = 10;
    p.maxHp = 500;
    EXPECT_EQ(With({Var(0)}, [&] { return PoisonDamage(p); }), 60);  // (30 x 500) / 250
    Script({Var(-8), Var(7)});       // a negative variation is drawn again
    EXPECT_EQ(PoisonDamage(p), 64);  // (30 x 500 x 107 / 100) / 250 = 64.2
    m.ratios[kPoison] = 50;
    EXPECT_EQ(With({Var(0)}, [&] { return PoisonDamage(p); }), 30);
    m.kind = 1;
    EXPECT_EQ(With({Var(0)}, [&] { return PoisonTurnDamage(p); }), 15);
    m.strength = m.stamina = m.magic = m.spirit = m.agility = 0;
    EXPECT_EQ(With({Var(0)}, [&] { return PoisonDamage(p); }), 0);  // an all-zero attribute sum
}

TEST_F(HitRules, MagicSummonAndPhysicalSkills) {
    auto [x, t] = Two();
    Record(0).magic = 50;
    Record(0).strength = 40;
    Record(1).stamina = 20;
    Record(1).ratios[kFire] = 150;
    gGodForms[3].attack = 200;
    x.attack = 100;
    struct Case {
        i32 category, element, defending;
        u32 status;
        i32 spirit, formIndex, power, casterRow, want;
    } cases[] = {
        // Magic: (50 - 30 + 100) x 50 x 100 = 600000 / 5000 = 120.
        {1, 1, 0, 0, 30, 0, 100, 1, 180},             // x 150 % against fire
        {1, 1, 1, 0, 30, 0, 100, 1, 450},             // / 2000 = 300: two and a half times
        {1, 0, 0, 0, 30, 0, 100, 1, 120},             // no element
        {1, 9, 0, 0, 30, 0, 100, 1, 120},             // an element past the ratios
        {1, 0, 0, kStMoonShield, 30, 0, 100, 1, 60},  // halved
        {1, 0, 0, 0, 500, 0, 100, 1, 0},              // strong spirit blocks, never heals
        {2, 0, 0, 0, 30, 3, 100, 1, 400},             // summon: 600000 x 200 / 300000
        {2, 0, 1, 0, 30, 3, 100, 1, 1200},            // / 100000
        {2, 0, 0, 0, 30, 20, 100, 1, 0},              // no such form
        {0, 0, 0, 0, 30, 0, 150, 1, 180},             // strike: 120 x 15000 / 10000
        {0, 0, 1, 0, 30, 0, 150, 1, 60},              // defending
        {0, 0, 0, kStStarShield, 30, 0, 150, 1, 90},  // star shield
        {0, 0, 0, 0, 30, 0, 150, 2, 118},             // back row: x = 9840
    };
    for (const Case& c : cases) {
        const SkillData sk{.category = c.category,
                           .effectMode = 1,
                           .power = c.power,
                           .element = c.element,
                           .formIndex = c.formIndex};
        t.defending = c.defending;
        t.status = c.status;
        Record(1).spirit = c.spirit;
        x.row = c.casterRow;
        // A back-row strike is cut alike for a close and a ranged caster.
        for (i32 kind : {1, 2}) {
            x.attackKind = kind;
            EXPECT_EQ(ApplySkill(t, x, sk).hp, c.want) << c.category << " " << c.want;
        }
    }
}

TEST_F(HitRules, FixedAndPercentAmountsOfSkillsAndItems) {
    auto [x, t] = Two();
    t.maxHp = 200;
    t.hp = 150;
    t.maxMp = 80;
    t.mp = 40;
    SkillData sk{.effectMode = 1, .hp = 80, .mp = -10};
    EXPECT_EQ(HpMp(ApplySkill(t, x, sk)), std::pair(-80, 10));
    sk = {.effectMode = 2, .hp = 30, .mp = -50};
    // 30 % of max HP restored, 50 % of the current MP taken.
    EXPECT_EQ(HpMp(ApplySkill(t, x, sk)), std::pair(-60, 20));
    sk.hp = -30;
    EXPECT_EQ(ApplySkill(t, x, sk).hp, 45);
    t.status = kStMoonShield;
    EXPECT_EQ(ApplySkill(t, x, sk).hp, 22);
    t.status = 0;

    ItemData it{.effectMode = 1, .hp = 50, .mp = 20};
    EXPECT_EQ(HpMp(ApplyItem(t, it)), std::pair(-50, -20));
    it = {.effectMode = 2, .hp = 30, .statusEffect = 12};
    EXPECT_EQ(HpMp(ApplyItem(t, it)), std::pair(-60, 0));
    sk.special = 7;
    ApplySkill(t, x, sk);
    EXPECT_EQ(std::tuple(t.IsPoisoned(), t.powerUp), std::tuple(true, 1));
}

TEST_F(HitRules, SkillSpecials) {
    auto [x, t] = Two();
    SkillData sk{};
    i32 reflected = 0;
    Loss l{101, 0};
    sk.special = 2;
    Record(1).kind = 1;
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(std::tuple(x.hp, l.hp), std::tuple(0, 50));
    Record(1).kind = 0;
    sk.special = 4;
    l = {101, 0};
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(l.hp, 101);  // an ordinary monster takes it whole
    sk.special = 5;
    x.hp = 30;
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(x.hp, 100);  // 30 + 101, up to max
    sk.special = 6;
    x.mp = 10;
    l = {0, 15};
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(std::tuple(x.mp, reflected), std::tuple(25, 0));

    t.status = kStSunShield;
    t.sunCount = 3;
    sk.special = 8;
    l = {101, 0};
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(std::tuple(l.hp, t.sunCount), std::tuple(101, 3));
    sk.special = 0;
    ApplySkillSpecial(x, t, sk, l, reflected);
    // Reflected: half of 101, before the halving.
    EXPECT_EQ(std::tuple(l.hp, reflected, t.sunCount), std::tuple(50, 50, 2));
    l = {-81, 0};
    ApplySkillSpecial(x, t, sk, l, reflected);
    EXPECT_EQ(std::tuple(reflected, LoggedBattleLines().back()),
              std::tuple(90, Line("太陽之盾反彈部份的魔法...!")));
}

TEST_F(HitRules, CriticalBandsUseTheAttackersHp) {
    cFighter& a = Fighter(0);
    struct Band {
        i32 hp, maxHp;
        u32 n;
    } bands[] = {{51, 100, 15}, {50, 100, 7}, {21, 100, 7}, {20, 100, 3}, {0, 0, 3}, {5, 0, 15}};
    for (const Band& b : bands) {
        a.hp = b.hp;
        a.maxHp = b.maxHp;
        EXPECT_TRUE(With({1}, [&] { return RollCritical(a); }));
        EXPECT_EQ(Asked(), std::vector<u32>{b.n}) << b.hp << "/" << b.maxHp;
        EXPECT_FALSE(With({2}, [&] { return RollCritical(a); }));
    }
}

TEST_F(HitRules, PhysicalRollsUseLessThanAndGrowByTen) {
    auto [a, t] = Two();
    EXPECT_TRUE(With({29}, [&] { return RollEvade(t, a); }));
    EXPECT_EQ((std::tuple{With({30}, [&] { return RollEvade(t, a); }), t.evasionRate}),
              (std::tuple{false, 40}));
    // Back to the record.
    EXPECT_EQ((std::tuple{With({29}, [&] { return RollEvade(t, a); }), t.evasionRate}),
              (std::tuple{true, 30}));
    a.status = kStBlindness;
    EXPECT_TRUE(
        With({59}, [&] { return RollEvade(t, a); }));  // a blind attacker is evaded twice as often
    a.status = 0;
    t.status = kStBlindness;
    EXPECT_FALSE(With({15}, [&] { return RollEvade(t, a); }));
    t.status = kStSleep;
    EXPECT_EQ((std::tuple{With({}, [&] { return RollEvade(t, a); }), Asked().empty()}),
              (std::tuple{false, true}));

    // Each roll with the rate after it: a miss adds 10, a hit goes back to the
    // record, blindness halves the rate rolled against (50 is not below 40), the
    // growth stops at 100.
    Script({80, 90, 99, 50, 39, 99});
    const struct {
        u32 status;
        i32 rateBefore;
        bool hit;
        i32 rateAfter;
    } hits[] = {{0, 80, false, 90},           {0, 90, false, 100},
                {0, 100, true, 80},           {kStBlindness, 80, false, 90},
                {kStBlindness, 80, true, 80}, {0, 95, false, 100}};
    for (const auto& c : hits) {
        a.status = c.status;
        a.hitRate = c.rateBefore;
        EXPECT_EQ((std::tuple{RollPhysicalHit(a), a.hitRate}), (std::tuple{c.hit, c.rateAfter}))
            << c.rateBefore;
    }
}

TEST_F(HitRules, MagicAndItemRollsUseAtMost) {
    auto [x, t] = Two();
    Record(0).magic = 20;
    Record(1).spirit = 30;
    t.magicEvasionRate = 10;
    SkillData sk{};
    // q = 30 - 20 + 10.
    EXPECT_EQ((std::tuple{With({20}, [&] { return RollMagicHit(t, x, sk); }), t.magicEvasionRate}),
              (std::tuple{false, 30}));
    t.magicEvasionRate = 10;
    EXPECT_EQ((std::tuple{With({21}, [&] { return RollMagicHit(t, x, sk); }), t.magicEvasionRate}),
              (std::tuple{true, 20}));
    sk.statusEffect = 2;
    t.magicEvasionRate = 10;
    EXPECT_FALSE(With({80}, [&] { return RollMagicHit(t, x, sk); }));  // + 60
    t.magicEvasionRate = 10;
    t.status = kStBlindness;
    EXPECT_TRUE(With({41}, [&] { return RollMagicHit(t, x, sk); }));  // 80 halved
    t.status = 0;

    sk.special = 8;
    std::ranges::copy(std::array{69, 70}, gShuffleTable.entries + 1);
    EXPECT_EQ(
        (std::tuple{With({}, [&] { return RollMagicHit(t, x, sk); }), RollMagicHit(t, x, sk)}),
        (std::tuple{false, true}));

    ItemData it{.statusEffect = 2};
    t.magicEvasionRate = 10;
    EXPECT_FALSE(With({60}, [&] { return RollItemHit(t, x, it); }));  // q = 20 + 40
    for (u32 st : {kStConfusion, kStSleep}) {
        t.status = st;
        EXPECT_TRUE(RollItemHit(t, x, it)) << st;
    }
}

TEST_F(HitRules, CounterTheftCaptureFlee) {
    auto [d, a] = Two();
    Record(0).agility = 50;
    Record(1).agility = 100;
    d.hp = 40;  // q = 50 + 60 x 10 / 100 = 56
    EXPECT_TRUE(With({1, 55}, [&] { return RollCounter(d, &a); }));
    EXPECT_FALSE(With({1, 56}, [&] { return RollCounter(d, &a); }));
    EXPECT_FALSE(With({0}, [&] { return RollCounter(d, &a); }));
    d.attackKind = 2;
    EXPECT_EQ((std::tuple{RollCounter(d, nullptr), RollCounter(d, &a)}),
              (std::tuple{false, false}));
    d.attackKind = 1;
    Record(1).agility = 0;
    d.maxHp = 0;
    EXPECT_TRUE(With(
        {1, 99}, [&] { return RollCounter(d, &a); }));  // q = 5000 - 400: divisors of 0 count as 1

    cFighter& t = Fighter(2);
    t.theftRate = 40;
    // A miss adds 15 (up to 100), a theft empties the rate: nothing left to steal.
    Script({40, 54});
    EXPECT_EQ((std::vector<i32>{RollTheft(t, a), t.theftRate, RollTheft(t, a), t.theftRate,
                                RollTheft(t, a)}),
              (std::vector<i32>{-1, 55, 1, 0, 0}));
    t.theftRate = 90;
    EXPECT_EQ((std::tuple{With({95}, [&] { return RollTheft(t, a); }), t.theftRate}),
              (std::tuple{-1, 100}));
    t.theftRate = 10;
    t.status = kStParalysis;
    EXPECT_EQ(With({99}, [&] { return RollTheft(t, a); }), 1);

    cFighter& c = Fighter(3);
    Record(3).captureRate = 60;
    c.hp = 25;  // (75 x 60 x 133 / 100) / 100 = 59
    EXPECT_EQ(CaptureChance(c), 59);
    std::ranges::copy(std::array{59, 68, 58}, gShuffleTable.entries + 1);
    // The second roll: 68 < 10 + 59.
    EXPECT_EQ((std::vector<i32>{RollCapture(c, a), c.captureCounter, RollCapture(c, a),
                                c.captureCounter}),
              (std::vector<i32>{false, 10, true, 0}));
    a.status = kStBlindness;
    EXPECT_FALSE(RollCapture(c, a));  // 58 is not below 29

    cFighter& f = Fighter(4);
    Record(4).agility = 30;
    f.fleeRate = 20;
    gEnemySide.count = 1;
    gEnemySide.fighters[0] = Fighter(5);
    Record(5).agility = 20;
    EXPECT_TRUE(RollFlee(f, gEnemySide));
    Record(5).agility = 40;
    Script({21, 50});
    EXPECT_EQ((std::vector<i32>{RollFlee(f, gEnemySide), f.fleeRate, RollFlee(f, gEnemySide)}),
              (std::vector<i32>{false, 50, true}));
}

TEST_F(HitRules, LossesStayInRangeAndShowTheirNumbers) {
    cFighter& t = Fighter(0);
    t.hp = 50;
    ApplyLosses(t, {70, -80});
    EXPECT_EQ((std::vector<i32>{t.hp, t.mp, t.lastHpDamage, t.lastMpDamage}),
              (std::vector<i32>{0, 50, 70, -80}));
    ApplyLosses(t, {-300, 0});
    EXPECT_EQ(Floats(), (std::vector<std::pair<std::string, FloatKind>>{
                            {"-70", kFloatHp}, {"+80", kFloatMp}, {"+300", kFloatHp}}));
    const i32 healed = t.hp;
    ApplyLosses(t, {INT_MIN, INT_MAX});
    EXPECT_EQ(std::tuple(healed, t.hp, t.mp), std::tuple(100, 100, 0));
}

TEST_F(HitRules, DefeatBookkeepingDropsGoldAndExperience) {
    cFighter& p = Fighter(0);
    p.kind = kKindParty;
    Record(0).level = 5;
    gPartySide.count = 1;
    gPartySide.fighters[0] = p;
    gPartySide.averageLevel = 5;
    gEnemySide.averageLevel = 3;
    for (i32& d : gEnemySide.drops) d = -1;
    gEnemySide.drops[0] = 4;
    gItems = Table<ItemData>(10, &gItemCount);

    cFighter& e = Fighter(1);
    MonsterData& m = Record(1);
    m.level = 7;
    m.expValue = 20;
    m.gold = 33;
    m.dropItem = 6;
    m.dropChance = 30;  // q = 30 + 2 x (5 - 3) = 34
    Script({34});
    GiveEnemyRewards(e, 1);
    // Experience 20 + (7 - 5).
    EXPECT_EQ((std::vector<i32>{gEnemySide.drops[1], gEnemySide.goldTotal, gEnemySide.expTotal}),
              (std::vector<i32>{6, 33, 22}));
    Script({35});
    GiveEnemyRewards(e, 1);
    GiveEnemyRewards(e, 2);
    EXPECT_EQ(std::tuple(gEnemySide.drops[2], gEnemySide.expTotal, gEnemySide.goldTotal),
              std::tuple(-1, 22 + 22 + 11, 66));
    // Nothing for how 0; at least 1 for the rest.
    GiveEnemyRewards(e, 0);
    m.expValue = 0;
    m.level = 1;
    GiveEnemyRewards(e, 2);
    EXPECT_EQ(gEnemySide.expTotal, 55 + 1);
    m.dropItem = 10;  // past the item table: no drop, no draw
    Script({});
    GiveEnemyRewards(e, 1);
    EXPECT_TRUE(Asked().empty());
}

TEST_F(HitRules, OwnedCountsStayWithinNinetyNine) {
    gItems = Table<ItemData>(3, &gItemCount);
    gOwnedItems = Table<i32>(3);
    gMonsters = Table<MonsterData>(2, &gMonsterCount);
    gOwnedMonsters = Table<i32>(2);
    gOwnedItems[1] = 98;
    std::ranges::copy(std::array{500, -5}, gOwnedMonsters);
    EXPECT_EQ((std::vector<bool>{GainStolenItem(1), GainStolenItem(1), GainStolenItem(-1),
                                 GainStolenItem(3), GainCapturedMonster(1), GainCapturedMonster(0),
                                 GainCapturedMonster(2)}),
              (std::vector<bool>{true, true, false, false, true, true, false}));
    EXPECT_EQ(std::tuple(gOwnedItems[1], gOwnedMonsters[1], gOwnedMonsters[0]),
              std::tuple(99, 1, 99));
}

TEST_F(HitRules, TheLastFrontFighterPullsTheOthersForward) {
    cBattleSide& s = gEnemySide;
    s.count = 3;
    const i32 rows[3] = {1, 2, 2};
    for (int i = 0; i < 3; ++i) {
        s.fighters[i] = Fighter(i);
        s.fighters[i].row = rows[i];
    }
    s.frontCount = 1;
    s.memberCount = 3;
    s.fighters[2].status = s.fighters[0].status = kStDying;
    LeaveFight(s.fighters[0], s);
    EXPECT_EQ((std::vector<i32>{s.fighters[0].row, s.fighters[1].row, s.fighters[2].row,
                                s.frontCount, s.memberCount}),
              (std::vector<i32>{0, 1, 2, 1, 2}));
}

TEST_F(HitRules, HugeRecordValuesStayInRange) {
    auto [a, t] = Two(INT_MAX, 0, 0, INT_MIN);
    MonsterData& ma = Record(0);
    MonsterData& mt = Record(1);
    ma.strength = ma.stamina = ma.magic = ma.spirit = ma.agility = INT_MAX;
    mt.strength = mt.stamina = mt.magic = mt.spirit = mt.agility = INT_MIN;
    mt.captureRate = INT_MAX;
    a.status = kStBlessing;
    a.powerUp = 1;
    a.row = 2;
    a.maxHp = t.maxHp = INT_MAX;
    t.hp = INT_MIN;
    SetBattleRandomSource(nullptr);
    for (int k = 0; k < 8; ++k) {
        EXPECT_GE(PhysicalDamage(t, a, k % 2, false), 1);
        EXPECT_GE(AirRaidDamage(t, a), 1);
        EXPECT_GE(ThrowDamage(t, a, nullptr), 1);
        PoisonDamage(a);
        CaptureChance(t);
        RollCounter(t, &a);
        const SkillData sk{.category = k % 3,
                           .effectMode = 1 + k % 2,
                           .hp = INT_MIN,
                           .mp = INT_MIN,
                           .power = INT_MAX};
        gGodForms[0].attack = INT_MAX;
        ApplyLosses(t, ApplySkill(t, a, sk));
        EXPECT_TRUE(0 <= t.hp && t.hp <= t.maxHp) << t.hp;
    }
    // The numbers over a fighter at the ends of the field's range stay at those ends.
    for (FloatKind kind : {kFloatHp, kFloatMp, kFloatMiss, kFloatHpRegen, kFloatMpRegen}) {
        const FloatLook low = GetFloatLook(kind, INT_MIN, INT_MIN, INT_MAX);
        const FloatLook high = GetFloatLook(kind, INT_MAX, INT_MAX, INT_MIN);
        EXPECT_EQ(std::tuple(low.x <= INT_MIN + 10, low.y, high.x >= INT_MAX - 10, high.y),
                  std::tuple(true, INT_MIN, true, INT_MAX))
            << kind;
    }
    cFloatText* number = SpawnFloatText(nullptr, "-1", 0, 0, 0, INT_MIN, 0, -64, 1);
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->move.targetY, INT_MIN);  // the rise stops at the top of the range
    number->Reset();
}

// The start table written out: bit, what else it clears, its counter.
struct StartRef {
    u32 bit;
    u32 clears;
    i32 count;
};
constexpr StartRef kStarts[] = {
    {0x1, 0x2 | 0x4 | 0x1000, 0},
    {0x2, 0x1 | 0x4 | 0x1000, 5},
    {0x4, 0x1 | 0x2 | 0x1000, 5},
    {0x8, 0x10, 3},
    {0x10, 0x8, 5},
    {0x20, 0x40 | 0x80 | 0x100, 3},
    {0x40, 0x20 | 0x80 | 0x100, 3},
    {0x80, 0x20 | 0x40 | 0x100, 3},
    {0x100, 0x20 | 0x40 | 0x80, 3},
    {0x200, 0, 3},
    {0x400, 0, 0},
    {0x800, 0, 0},
    {0x1000, 0x1 | 0x2 | 0x4, 0},
    {0x2000, 0, 0},
};

class Status : public FightTest {
protected:
    cFighter& Named() {
        std::snprintf(Record(0).name, sizeof(Record(0).name), "%s", Utf8ToBig5("阿德").c_str());
        return Fighter(0);
    }
};

TEST_F(Status, EveryStartAgainstEveryBitAlreadySet) {
    cFighter& f = Named();
    for (const StartRef& s : kStarts) {
        for (int k = -1; k < 15; ++k) {
            const u32 before = k < 0 ? 0u : 1u << k;
            f.status = before;
            ClearLoggedBattleLines();
            f.StartStatus(s.bit);
            const bool had = (before & s.bit) != 0;
            const u32 want = had ? before : ((before & ~s.clears) | s.bit);
            EXPECT_EQ(std::tuple(f.status, LoggedBattleLines().size()),
                      std::tuple(want, had ? 0u : 1u))
                << std::hex << s.bit << " over " << before;
            if (s.count) {
                const i32* c = f.StatusCounter(s.bit);
                ASSERT_NE(c, nullptr);
                EXPECT_EQ(*c, s.count);  // renewed even when already on
            }
        }
    }
}

TEST_F(Status, StartLinesAndSleepsHold) {
    cFighter& f = Named();
    cFighter& g = Fighter(1);
    f.status = kStHaste;
    f.hasteCount = 4;
    f.gauge = 200;
    f.ordered = 1;
    f.command = kCmdAttack;
    f.targets[0] = &g;
    g.attackedBy = &f;
    f.StartSleep();
    // No end line for the haste it removed.
    EXPECT_EQ(LoggedBattleLines(), std::vector<std::string>{Line("%s進入沉睡...", "阿德")});
    EXPECT_EQ((std::vector<i32>{f.hasteCount, f.gauge, f.ordered, f.command,
                                f.targets[0] != nullptr, g.attackedBy != nullptr}),
              (std::vector<i32>{0, 0, 0, kCmdNone, 0, 0}));

    // Put to sleep by its own all-allies skill: keeps command and targets.
    f.status = 0;
    f.SetAction(10, 3, 0);
    f.command = kCmdMagic;
    f.targets[0] = &g;
    g.attackedBy = &f;
    f.gauge = 255;
    f.ordered = 1;
    f.StartParalysis();
    EXPECT_EQ(std::tuple(f.IsParalysed(), f.gauge, f.command, f.targets[0]),
              std::tuple(true, 0, kCmdMagic, &g));
    f.StartConfusion();
    EXPECT_EQ(f.ordered, 0);
}

TEST_F(Status, TimedConditionsEndOnTheTickAfterTheirCount) {
    cFighter& f = Named();
    f.StartHaste();
    f.StartBlessing();
    f.StartSpellBan();
    for (int tick = 1; tick <= 5; ++tick) {
        f.TickStatusTurn();
        EXPECT_TRUE(f.IsHasted()) << tick;
    }
    // A count of 3 ends on the fourth.
    EXPECT_EQ(std::tuple(f.IsBlessed(), f.IsSpellBanned()), std::tuple(false, false));
    ClearLoggedBattleLines();
    f.TickStatusTurn();
    EXPECT_EQ(std::tuple(f.IsHasted(), f.hasteCount), std::tuple(false, 0));
    EXPECT_EQ(LoggedBattleLines(), std::vector<std::string>{Line("%s的快速狀態解除!", "阿德")});

    f.status = 0;
    f.StartSlow();
    f.StartPoison();
    for (int tick = 0; tick < 6; ++tick) f.TickStatusTurn();
    EXPECT_EQ(f.status, kStPoison);  // slow gone, poison has no counter

    f.StartSleep();
    f.TickStatusTurn();
    EXPECT_FALSE(f.IsAsleep());
    f.StartParalysis();
    f.TickStatusTurn();
    EXPECT_FALSE(f.IsParalysed());
}

TEST_F(Status, AShieldOfThreeWorksFourTimes) {
    cFighter& f = Named();
    f.StartStarShield();
    std::vector<i32> star;  // whether it holds, then the count after its use
    for (int use = 0; use < 4; ++use) {
        star.push_back(f.HasStarShield());
        f.UseStarShield();
        star.push_back(f.starCount);
    }
    EXPECT_EQ(std::tuple(star, f.HasStarShield()),
              std::tuple(std::vector<i32>{1, 2, 1, 1, 1, 0, 1, 0}, false));
    f.StartHolyBarrier();
    std::vector<bool> barrier;
    for (int use = 0; use < 4; ++use) {
        barrier.push_back(f.HasHolyBarrier());
        f.UseHolyBarrier();
    }
    barrier.push_back(f.HasHolyBarrier());
    EXPECT_EQ(barrier, (std::vector<bool>{true, true, true, true, false}));
}

TEST_F(Status, CureReviveAndTheEffectAndHitCodes) {
    cFighter& f = Named();
    f.status = 0;
    f.Cure();
    f.status = kStDying;
    f.Cure();
    EXPECT_EQ(std::tuple(f.status, LoggedBattleLines().empty()), std::tuple(kStDying, true));
    f.status = kStDying | kStPoison;
    f.ApplyEffectCode(1);
    EXPECT_EQ(std::tuple(f.status, LoggedBattleLines().back()),
              std::tuple(kStDying, Line("%s恢復正常狀態...", "阿德")));
    f.status = 0x7FFF;
    f.slowCount = f.weaknessCount = f.hasteCount = 2;
    f.Cure();
    // Haste, blessing, shields, barrier, dying stay.
    EXPECT_EQ(
        (std::vector<i32>{static_cast<i32>(f.status), f.slowCount, f.weaknessCount, f.hasteCount}),
        (std::vector<i32>{0x7FFF & ~0x3E15, 0, 0, 2}));

    f.hp = 0;
    f.ApplyEffectCode(31);
    EXPECT_EQ(std::tuple(f.status, f.hp, LoggedBattleLines().back()),
              std::tuple(0u, 1, Line("%s的瀕死解除...", "阿德")));

    f.hp = 70;
    f.ApplyEffectCode(16);
    EXPECT_EQ(f.hp, 0);
    // Effect code 2 + k starts status bit k and 17 + k ends it; hit codes do
    // the same from 1 + k and 16 + k, and 15 takes all HP.
    for (int k = 0; k < 14; ++k) {
        f.status = 0;
        std::vector<u32> seen;
        for (auto [code, hit] :
             {std::pair(2 + k, false), {17 + k, false}, {1 + k, true}, {16 + k, true}}) {
            hit ? f.ApplyHitEffectCode(code) : f.ApplyEffectCode(code);
            seen.push_back(f.status);
        }
        EXPECT_EQ(seen, (std::vector<u32>{1u << k, 0, 1u << k, 0})) << k;
    }
    f.hp = 70;
    f.ApplyHitEffectCode(15);
    EXPECT_EQ(f.hp, 0);
    f.status = 0x400;
    f.ApplyHitEffectCode(31);  // past the last hit code: no revive
    EXPECT_EQ(std::tuple(f.status, f.hp), std::tuple(0x400u, 0));
    for (i32 code : {0, 32, -1, INT_MIN, INT_MAX}) {
        f.status = 0x400;
        f.hp = 5;
        f.ApplyEffectCode(code);
        f.ApplyHitEffectCode(code);
        EXPECT_EQ(std::tuple(f.status, f.hp), std::tuple(0x400u, 5)) << code;
    }
}

TEST_F(Status, GaugeStepsByConditionAndOnEveryThirdStepInRealTime) {
    cFighter& f = Fighter(0);
    struct Case {
        u32 status;
        i32 gain;
    } cases[] = {{0, 5},
                 {kStHaste | kStSlow, 7},
                 {kStSlow | kStParalysis, 3},
                 {kStParalysis | kStSleep, 2},
                 {kStSleep, 1},
                 {kStDying, 0}};
    for (const Case& c : cases) {
        f.status = c.status;
        f.gauge = 100;
        f.gaugeDelay = 0;
        EXPECT_EQ(std::tuple(f.StepGauge(false), f.gauge), std::tuple(false, 100 + c.gain))
            << c.status;
    }
    f.status = f.gauge = f.gaugeDelay = 0;
    std::vector<i32> gauges;
    for (int i = 0; i < 7; ++i) gauges.push_back((f.StepGauge(true), f.gauge));
    EXPECT_EQ(gauges, (std::vector<i32>{5, 5, 5, 10, 10, 10, 15}));
}

TEST_F(Status, AFullGaugeRegeneratesTicksMarksAndStatus) {
    cFighter& f = Fighter(0);
    f.maxHp = 200;
    f.hp = 150;
    f.hpRegenPercent = 10;
    f.hpRegen = 15;  // 20 + 15 = 35
    f.mp = 50;
    f.mpRegen = 5;  // MP full: a gain of 0 is still shown
    f.marks[0] = {1, 1};
    f.marks[1] = {1, 0};
    f.StartSleep();
    f.gauge = 254;
    EXPECT_TRUE(f.StepGauge(false));  // asleep: 254 + 1
    EXPECT_EQ((std::vector<i32>{f.gauge, f.hp, f.IsAsleep(), f.marks[0].on, f.marks[0].turnsLeft,
                                f.marks[1].on}),
              (std::vector<i32>{255, 185, 0, 1, 0, 0}));
    EXPECT_EQ(Floats(), (std::vector<std::pair<std::string, FloatKind>>{{"+35", kFloatHpRegen},
                                                                        {"+0", kFloatMpRegen}}));
    // Cut at max, also for the largest regeneration.
    for (i32 regen : {15, INT_MAX}) {
        f.hpRegen = f.hpRegenPercent = regen;
        f.hp = 190;
        f.gauge = 254;
        f.StepGauge(false);
        EXPECT_EQ(f.hp, 200) << regen;
    }
}

TEST_F(Status, FrozenGaugeStandsTheFillTicksTheTurnAndWaitingFillsIt) {
    cFighter& f = Fighter(0);
    f.status = kStHaste;
    f.hasteCount = 2;
    f.gauge = 250;
    f.gaugesFrozen = 1;
    EXPECT_EQ((std::vector<i32>{f.StepGauge(false), f.gauge}), (std::vector<i32>{false, 250}));
    f.gaugesFrozen = 0;
    // The turn's status tick runs once; a full gauge only reports.
    EXPECT_EQ((std::vector<i32>{f.StepGauge(false), f.gauge, f.hasteCount, f.StepGauge(false),
                                f.hasteCount}),
              (std::vector<i32>{true, 255, 1, true, 1}));

    // The waiting state fills the gauge from fifty-one ticks after its first.
    cFighter& w = gPartySide.fighters[0] = Fighter(1);
    w.kind = kKindParty;
    w.hp = w.maxHp = 10;
    w.homeX = 400;
    w.homeZ = 300;
    w.gauge = 0;
    w.SetAction(kStateWaiting, 0, 0);
    gPartySide.count = 1;
    int full = -1;
    for (int tick = 1; tick <= 80 && full < 0; ++tick) {
        UpdateFighters();
        if (w.IsReady()) full = tick;
    }
    // The first tick starts the pose; the gauge then moves by 5 on each of 51 ticks.
    EXPECT_EQ(std::tuple(full, w.x, w.z, w.CanAct()), std::tuple(52, 400, 300, true));
}

constexpr cFighter* kNobody = nullptr;
constexpr FighterSpot kSpots[kSetupPositions] = {{510, 0, 262}, {440, 0, 314}, {352, 0, 364},
                                                 {568, 0, 306}, {510, 0, 362}, {422, 0, 394}};

class Sides : public FightTest {
protected:
    void SetUp() override {
        FightTest::SetUp();
        for (int r = 0; r < kRoleCount; ++r) {
            RoleStats& s = gRoleStats[r];
            s.level = 1 + r;
            s.maxHp = s.hp = 100 + r;
            s.maxMp = s.mp = 20 + r;
            s.agility = 10 + r;
            s.attack = 30 + r;
            s.defence = 20 + r;
            s.hitRate = 90;
            s.evasion = 5 + r;
            gRoles[r].act = 1000 + 100 * r;
        }
    }
    // Draws that leave the head starts in place: each pair exchanged twice.
    static std::vector<u32> KeepHeadStart() { return {0, 1, 0, 1, 2, 3, 2, 3, 4, 5, 4, 5}; }
    // The party set up from formation f (or the one in place) with the head starts kept.
    void SetUpParty(std::initializer_list<i32> f = {}) {
        int k = 0;
        for (i32 r : f) gFormation[k++] = r;
        Script(KeepHeadStart());
        gPartySide.SetupParty(kSpots);
    }
    static i32 Piece(int n, i32 kind, EquipSpecial sp, i32 look = 0) {
        gOwnedEquipage[n] = {
            .id = n, .weaponPic = 7100 + n, .kind = kind, .special = sp, .look = look};
        return n;
    }
};

TEST_F(Sides, PartyPacksSlotsAndKeepsFormationPlaces) {
    SetUpParty({-1, 2, -1, 5, 3, -1, 7, 7});
    const cBattleSide& s = gPartySide;
    ASSERT_EQ(std::tuple(s.count, s.memberCount), std::tuple(3, 3));
    const i32 slot[3] = {1, 3, 4}, role[3] = {2, 5, 3}, row[3] = {1, 2, 2}, head[3] = {120, 60, 30};
    for (int i = 0; i < 3; ++i) {
        // Slot, role, row, place, head start plus agility, flee rate from the
        // agility, magic evasion from the evasion, waiting.
        const cFighter& f = s.fighters[i];
        const i32 r = role[i];
        EXPECT_EQ((std::vector<i32>{f.slot, static_cast<i32>(f.pic), f.row, f.homeRow, f.x, f.z,
                                    f.gauge, f.fleeRate, f.magicEvasionRate, f.action}),
                  (std::vector<i32>{slot[i], r, row[i], row[i], kSpots[slot[i]].x,
                                    kSpots[slot[i]].z, head[i] + 10 + r, 10 + r, 5 + r, 1}))
            << i;
        EXPECT_EQ(std::tuple(f.kind, f.stats.Head()), std::tuple(kKindParty, &gRoleStats[r]));
    }
    EXPECT_EQ(std::tuple(s.frontCount, s.averageLevel, ScriptUsed()),
              std::tuple(1, (3 + 6 + 4) / 3, true));
}

TEST_F(Sides, BackRowStepsForwardWhenTheFrontIsDownAndBadEntriesAreSkipped) {
    gRoleStats[0].status = gRoleStats[1].status = kStDying;
    SetUpParty({0, 1, -1, 2, 3, -1});
    const cBattleSide& s = gPartySide;
    // Rows 0 0 1 1, the third's home row 2, two in front, four members (dying ones count too).
    EXPECT_EQ(
        (std::vector<i32>{s.fighters[0].row, s.fighters[1].row, s.fighters[2].row,
                          s.fighters[3].row, s.fighters[2].homeRow, s.frontCount, s.memberCount}),
        (std::vector<i32>{0, 0, 1, 1, 2, 2, 4}));

    // Bad formation entries are skipped.
    SetUpParty({9, -5, 2, 2, INT_MAX, 3});
    EXPECT_EQ(std::tuple(gPartySide.count, gPartySide.fighters[0].pic, gPartySide.fighters[1].pic),
              std::tuple(2, 2u, 3u));
    SetUpParty({-1, -1, -1, -1, -1, -1});
    EXPECT_EQ(std::tuple(gPartySide.count, gPartySide.averageLevel, gPartySide.AllDown(),
                         gPartySide.NoneInUse(), gPartySide.PickRandomTarget(0),
                         gPartySide.NextReady(nullptr)),
              std::tuple(0, 0, true, true, kNobody, kNobody));
}

TEST_F(Sides, EquipmentSpecialsReachTheFighter) {
    gSkills = Table<SkillData>(8, &gSkillCount);
    // Weapon, shield, hat, armour and the two accessories. Role 0's weapon is
    // ranged and held in both hands, so its shield is the same piece, counted
    // once. Role 1's hat is outside the owned table and its first accessory
    // names no skill.
    const i32 worn[2][kSlotCount] = {
        {Piece(10, 6, {1, 10, 5, 0, 0}, 3), 10, Piece(11, 4, {2, 3, 4, 0, 0}),
         Piece(12, 5, {3, 7, 8, 0, 0}), Piece(13, 7, {4, 0, 0, 11, 0}),
         Piece(14, 7, {5, 0, 0, 0, 0})},
        {Piece(20, 1, {6, 0, 0, 0, 4}, 3), Piece(21, 3, {4, 0, 0, 13, 0}, 2), 300, -7,
         Piece(22, 7, {6, 0, 0, 0, 99}), Piece(23, 7, {4, 0, 0, 2, 0})}};
    for (int r : {0, 1}) std::copy_n(worn[r], kSlotCount, gRoles[r].equip);
    SetUpParty({0, 1, -1, -1, -1, -1});
    // Regeneration 10 and 5, 3 % and 4 %; drain 7 and 8; hit code 11; reflect
    // 19; ranged; the weapon's hit act; look sum 3 gives body act 6.
    const cFighter& a = gPartySide.fighters[0];
    EXPECT_EQ((std::vector<i32>{a.hpRegen, a.mpRegen, a.hpRegenPercent, a.mpRegenPercent, a.hpDrain,
                                a.mpDrain, a.hitCodes[0], a.reflect, a.attackKind, a.hitAct,
                                static_cast<i32>(a.act), a.specialAct}),
              (std::vector<i32>{10, 5, 3, 4, 7, 8, 11, 19, 2, 7110, 1006, 1000}));
    // Close again; hit codes 13 and 2; the last special named no skill; look
    // sum 5 gives 10; the portrait of role 1.
    const cFighter& b = gPartySide.fighters[1];
    EXPECT_EQ((std::vector<i32>{b.attackKind, b.hitCodes[0], b.hitCodes[1], b.specialSkill,
                                static_cast<i32>(b.act), b.specialAct, b.aux[37].action}),
              (std::vector<i32>{1, 13, 2, 0, 1110, 1104, 12}));
    gRoles[1].equip[kSlotAccessory1] = -1;
    SetGameFlag(324);
    SetUpParty();
    // Roles 0 and 1 exchange portraits.
    EXPECT_EQ(std::tuple(gPartySide.fighters[1].specialSkill, gPartySide.fighters[1].aux[37].action,
                         gPartySide.fighters[0].aux[37].action),
              std::tuple(4, 11, 12));
}

class EnemySides : public Sides {
protected:
    void SetUp() override {
        Sides::SetUp();
        gMonsters = Table<MonsterData>(10, &gMonsterCount);
        for (i32 m = 0; m < 10; ++m) {
            MonsterData& r = gMonsters[m];
            r.index = m;
            r.act = 3000 + m;
            r.level = 2 * m;
            r.maxHp = 100;
            r.maxMp = 30;
            r.strength = 5;
            r.stamina = 6;
            r.attack = 40;
            r.defence = 20;
            r.agility = m;
            r.theftChance = 25;
            r.hitAct = 7200 + m;
        }
    }
};

TEST_F(EnemySides, SortedByDepthWithRowsHpAndEffects) {
    gMonsters[4].specialEffect[0] = 5;
    gMonsters[2].specialEffect[0] = 4;
    gMonsters[2].specialEffect[3] = 12;
    gMonsters[1].specials[0] = {3, 2};
    const EnemySpot spots[kSetupPositions] = {
        {1, 0, 100, 0, 100},          {2, 7, 300, 0, 50},    {3, 0, 50, 0, 50},
        {kNoMonster, 0, 900, 0, 900}, {999, 0, 800, 0, 800}, {4, 1, 0, 0, 500},
    };
    std::vector<u32> draws = KeepHeadStart();
    for (u32 d : {20u, 0u, 10u, 5u}) draws.push_back(d);
    Script(draws);
    gEnemySide.SetupEnemies(spots);
    const cBattleSide& s = gEnemySide;
    ASSERT_EQ(s.count, 4);
    const i32 monster[4] = {4, 2, 1, 3}, row[4] = {2, 2, 1, 1}, hp[4] = {120, 100, 110, 105};
    for (int i = 0; i < 4; ++i) {
        // Attack 40 + strength 5, defence 20 + stamina 6, the record's theft
        // chance and act, facing left, no status.
        const cFighter& f = s.fighters[i];
        EXPECT_EQ((std::vector<i32>{static_cast<i32>(f.pic), f.row, f.maxHp, f.hp, f.attack,
                                    f.defence, f.theftRate, static_cast<i32>(f.act), f.facing,
                                    static_cast<i32>(f.status)}),
                  (std::vector<i32>{monster[i], row[i], hp[i], hp[i], 45, 26, 25, 3000 + monster[i],
                                    5, 0}))
            << i;
    }
    EXPECT_EQ((std::vector<i32>{s.fighters[0].reflect, s.fighters[1].hitCodes[0],
                                s.fighters[2].specials[0].skill, s.fighters[0].gauge, s.frontCount,
                                s.averageLevel, s.drops[15], ScriptUsed()}),
              (std::vector<i32>{16, 12, 3, 150 + 4, 2, (8 + 4 + 2 + 6) / 4, -1, true}));
    // Six exchanges of two of the six head starts, then 0..20 % more HP for each enemy.
    std::vector<u32> ranges(12, 6);
    ranges.insert(ranges.end(), 4, 21);
    EXPECT_EQ(Asked(), ranges);
}

TEST_F(EnemySides, AddedFormTakesThePartyAverages) {
    gRoleStats[2].status = kStDying;
    for (int r = 0; r < 3; ++r) {
        gRoleStats[r].strength = 10 * (r + 1);  // 10, 20 (30 is dying)
        gRoleStats[r].stamina = 4;
        gRoleStats[r].magic = 7;
        gRoleStats[r].spirit = 1;
    }
    SetUpParty({0, 1, 2, -1, -1, -1});
    gPartySide.fighters[0].hp = 50;
    MonsterData form = gMonsters[6];
    form.maxHp = 300;
    form.hp = 280;
    form.maxMp = 60;
    form.mp = 40;
    form.strength = 9;
    form.stamina = 3;
    form.magic = 5;
    form.spirit = 2;
    form.agility = 11;
    form.attack = 100;
    form.defence = 70;
    form.fleeRate = 35;
    form.attackKind = 1;
    form.specialEffect[0] = 5;
    Script({7});
    cFighter* f = gPartySide.AddFighter(form);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::tuple(gPartySide.count, f->slot, f->kind), std::tuple(4, 3, kKindAdded));
    // Attributes: half the living members' sum plus half the form's (strength
    // 30 / 2 + 9 / 2); attack and defence: the form's plus the members' sums.
    const MonsterData& c = gPartySide.creature;
    EXPECT_EQ((std::vector<i32>{c.strength, c.stamina, c.magic, c.agility, c.attack, c.defence}),
              (std::vector<i32>{15 + 4, 4 + 1, 7 + 2, 10 + 5, 130, 78}));
    // HP and MP: the form's and the living members' (100 + 101, 20 + 21; HP 50
    // + 101 now), halved; the head start 7 plus the agility.
    EXPECT_EQ((std::vector<i32>{f->maxHp, f->hp, f->maxMp, f->mp, f->attack, f->fleeRate,
                                f->attackKind, f->reflect, f->gauge}),
              (std::vector<i32>{501 / 2, 431 / 2, 101 / 2, 81 / 2, 130, 35, 2, 16, 7 + 15}));
    // The form's own record is untouched.
    EXPECT_EQ(std::tuple(f->stats.Head(), gMonsters[6].strength),
              std::tuple(&gPartySide.creature, 5));
    gPartySide.count = kSideSlots;
    EXPECT_EQ(gPartySide.AddFighter(form), nullptr);
}

TEST_F(Sides, ReadyCyclingGaugesAndTargets) {
    cBattleSide& s = gPartySide;
    s.count = s.memberCount = 4;
    for (int i = 0; i < 4; ++i) {
        s.fighters[i] = Fighter(i);
        s.fighters[i].gauge = 255;
        s.fighters[i].hp = 40 + 10 * (i % 2);
    }
    s.fighters[1].gauge = 200;
    s.fighters[3].status = kStConfusion;
    cFighter* f = s.fighters;
    EXPECT_EQ((std::vector<cFighter*>{s.NextReady(nullptr), s.NextReady(&f[0]), s.NextReady(&f[2]),
                                      s.PrevReady(nullptr), s.PrevReady(&f[0])}),
              (std::vector<cFighter*>{&f[0], &f[2], &f[0], &f[2], &f[2]}));
    s.fighters[2].command = kCmdAttack;
    // The only one left.
    EXPECT_EQ(std::tuple(s.NextReady(&f[0]), s.FindPending(), s.AllGaugesFull()),
              std::tuple(&f[0], &f[2], false));
    s.fighters[1].gauge = 255;
    EXPECT_TRUE(s.AllGaugesFull());
    s.memberCount = 1;
    EXPECT_FALSE(s.AllGaugesFull());

    EXPECT_EQ(s.PickWeakestTarget(0), &f[0]);  // 40, 40: the lower slot
    s.fighters[0].status = kStDying;
    s.fighters[2].row = 2;
    EXPECT_EQ(std::tuple(s.PickWeakestTarget(0), s.PickWeakestTarget(1)), std::tuple(&f[2], &f[1]));
    s.frontCount = 2;
    // Any row other than 1 draws from the count.
    EXPECT_EQ(std::tuple(With({1}, [&] { return s.PickRandomTarget(2); }), Asked()),
              std::tuple(&f[2], std::vector<u32>{4}));
    EXPECT_EQ(std::tuple(With({1}, [&] { return s.PickRandomTarget(1); }), Asked()),
              std::tuple(&f[1], std::vector<u32>{2}));
    s.frontCount = 0;
    Script({});
    EXPECT_EQ(s.PickRandomTarget(1), nullptr);
    s.frontCount = 2;
    Script({0});
    EXPECT_EQ(s.PickRandomTarget(3), nullptr);  // nobody stands in that row

    s.SetFrozen(1);
    EXPECT_EQ(s.fighters[3].gaugesFrozen, 1);
    s.fighters[1].targets[0] = &s.fighters[2];
    s.fighters[2].attackedBy = &s.fighters[1];
    s.DimBystanders(0);
    s.FleeAll();
    // The dying fighter stays.
    EXPECT_EQ((std::vector<i32>{f[0].fadeTarget, f[1].fadeTarget, f[2].fadeTarget, f[1].command,
                                f[1].action, f[0].command}),
              (std::vector<i32>{-15, 0, 0, kCmdFlee, 14, kCmdNone}));
}

TEST_F(Sides, TheSampleThiefCanBeRobbedAndTheBossStandsFirst) {
    const DatabaseSet set = MakeSampleDatabases();
    for (DatabaseFile f : {kMonsterDataFile, kItemDataFile, kSkillDataFile}) {
        const std::vector<u8> bytes = DatabaseFileBytes(set, f);
        ASSERT_TRUE(LoadDatabaseBytes(f, bytes.data(), bytes.size(), "sample"));
    }
    const EnemySpot spots[kSetupPositions] = {
        {sample::kThief, 0, 200, 0, 200}, {sample::kBoss, 1, 300, 0, 300}, {kNoMonster, 0, 0, 0, 0},
        {kNoMonster, 0, 0, 0, 0},         {kNoMonster, 0, 0, 0, 0},        {kNoMonster, 0, 0, 0, 0},
    };
    SetBattleRandomSource(nullptr);
    gEnemySide.SetupEnemies(spots);
    ASSERT_EQ(gEnemySide.count, 2);
    cFighter& boss = gEnemySide.fighters[0];
    cFighter& thief = gEnemySide.fighters[1];
    thief.status = kStSleep;
    EXPECT_EQ((std::vector<i32>{static_cast<i32>(boss.pic), boss.specialSkill, thief.hpRegen,
                                thief.theftRate, thief.stats.TheftItem(), RollTheft(thief, boss),
                                RollTheft(thief, boss)}),
              (std::vector<i32>{222, sample::kPoisonMist, 5, 40, sample::kHerb, 1, 0}));
}

class EndTest : public FightTest {
protected:
    void SetUp() override {
        FightTest::SetUp();
        gItems = Table<ItemData>(4, &gItemCount);
        gOwnedItems = Table<i32>(4);
    }
    // Party slot i: role r of that level and experience.
    cFighter& Member(int i, i32 r, i32 level, i32 exp) {
        RoleStats& s = gRoleStats[r];
        s.index = r;
        s.level = level;
        s.exp = exp;
        cFighter& f = gPartySide.fighters[i] = Fighter(i);
        f.kind = kKindParty;
        f.pic = static_cast<u32>(r);
        f.stats = cFighterStats::OfRole(&s);
        if (gPartySide.count <= i) gPartySide.count = i + 1;
        return f;
    }
    // Steps the end screens until they report done; how many steps that took
    // and how many level-up panels were shown.
    struct Run {
        int steps = 0, panels = 0;
    };
    static Run StepToEnd(int limit = 3000) {
        Run r;
        bool showing = false;
        while (r.steps < limit) {
            ++r.steps;
            const i32 done = gBattleEnd.Step();
            if (gBattleEnd.shown && !showing) ++r.panels;
            showing = gBattleEnd.shown != nullptr;
            if (done) break;
        }
        return r;
    }
};

TEST_F(EndTest, VictoryPaysCappedMoneyExperienceToLivingMembersAndTheFirstThreeDrops) {
    gScriptVars[0] = 0x7FFFFFF0;
    gEnemySide.goldTotal = 100;
    gEnemySide.expTotal = 30;
    Member(0, 0, 5, 10);
    Member(1, 1, 5, 10).status = kStDying;
    // An added creature in slot 2 whose number would be role 2.
    cFighter& creature = gPartySide.fighters[2] = Fighter(2);
    creature.kind = kKindAdded;
    creature.pic = 2;
    gRoleStats[2].exp = 10;
    Member(3, 4, 5, 0x7FFFFFF0);
    gPartySide.count = 4;
    Member(6, 3, 5, 10);  // past the six fighting places
    gOwnedItems[2] = 99;
    gOwnedItems[1] = 5;
    const i32 drops[] = {-5, 4, 2, 1};  // below, at the count, full, fourth
    for (int k = 0; k < 4; ++k) gEnemySide.drops[k] = drops[k];
    PayVictoryRewards();
    // The money capped. Only the living member and the one at the cap's edge
    // gain (capped); the dying member, the creature's role and the seventh
    // slot's do not.
    EXPECT_EQ((std::vector<i64>{gScriptVars[0], gRoleStats[0].exp, gRoleStats[1].exp,
                                gRoleStats[2].exp, gRoleStats[3].exp, gRoleStats[4].exp}),
              (std::vector<i64>{0x7FFFFFFF, 40, 10, 10, 10, 0x7FFFFFFF}));
    EXPECT_EQ(std::tuple(Record(2).exp, gOwnedItems[2], gOwnedItems[1]), std::tuple(0, 99, 5));

    const i32 good[] = {1, 1, 3};
    for (int k = 0; k < 3; ++k) gEnemySide.drops[k] = good[k];
    gEnemySide.goldTotal = 7;
    gScriptVars[0] = 100;
    PayVictoryRewards();
    EXPECT_EQ((std::vector<i64>{gScriptVars[0], gOwnedItems[1], gOwnedItems[3]}),
              (std::vector<i64>{107, 7, 1}));
}

TEST_F(EndTest, TwoLevelsInARowShowTwoPanelsAndGrowByTheExchangedRows) {
    SetGameFlag(324);  // role 1 grows by role 0's rows and learns role 0's skills
    RoleData& base = gRoles[1];
    const i32 start[7] = {100, 20, 10, 11, 12, 13, 14};
    i32* words[7] = {&base.maxHp, &base.maxMp,  &base.strength, &base.stamina,
                     &base.magic, &base.spirit, &base.agility};
    for (int k = 0; k < 7; ++k) *words[k] = start[k];
    // Each attribute grows by its own amount, so that no two can trade places.
    const i32 row1[7] = {5, 3, 1, 2, 3, 4, 5}, row2[7] = {6, 2, 7, 9, 4, 6, 8};
    for (int k = 0; k < 7; ++k) {
        gLevelUpStats[0][1][2 + k] = row1[k];
        gLevelUpStats[0][2][2 + k] = row2[k];
        gLevelUpStats[1][1][2 + k] = 50;  // role 1's own rows must not be read
        gLevelUpStats[1][2][2 + k] = 50;
    }
    const LevelUpSkill ups[] = {{5, 2}, {6, 3}, {7, 4}};
    std::copy_n(ups, 3, gLevelUpSkills[0]);
    gLevelUpSkills[1][0] = {8, 2};
    cFighter& f = Member(0, 1, 1, 45 + 90 + 7);
    f.hp = 50;
    f.mp = 10;
    gBattleEnd.SetOutcome(1);
    MusicRecorder music;
    const Run r = StepToEnd();
    // Banner 7 + 100 + 7 steps; each panel is found, opens in 7, waits 200,
    // closes in 7; the next step finds nobody.
    const RoleStats& s = gRoleStats[1];
    // 45 and 90 experience spent.
    EXPECT_EQ(std::tuple(r.panels, r.steps, s.level, s.exp),
              std::tuple(2, 114 + 2 * (1 + 7 + 200 + 7), 3, 7));
    // The role's base record grows alike.
    const std::vector<i32> want = {111, 25, 18, 22, 19, 23, 27};
    std::vector<i32> grown;
    for (i32* w : words) grown.push_back(*w);
    EXPECT_EQ(std::tuple(std::vector<i32>{s.maxHp, s.maxMp, s.strength, s.stamina, s.magic,
                                          s.spirit, s.agility},
                         grown),
              std::tuple(want, want));
    // HP and MP grow with their maxima; role 0's skills of levels 2 and 3 are
    // learned; the level-up pose (16) is put over what it was doing.
    EXPECT_EQ(
        (std::vector<i32>{f.hp, f.mp, gLearnedSkills[0][0], gLearnedSkills[0][1],
                          gLearnedSkills[0][2], gLearnedSkills[1][0], f.action, f.savedAction}),
        (std::vector<i32>{61, 15, 1, 1, 0, 0, 16, 16}));
    // Victory piece once, then the level-up piece for each panel, each stopped after.
    std::vector<std::pair<int, int>> modes;  // mode, repeat
    for (const auto& m : music.modes()) modes.push_back({m.mode, m.repeat});
    EXPECT_EQ(modes,
              (std::vector<std::pair<int, int>>{{3, 2}, {3, 1}, {3, 2}, {3, 1}, {3, 2}, {3, 1}}));
}

TEST_F(EndTest, OnlyLivingMembersBelowFiftyRiseAndSavedLevelsAreHeldToTheTable) {
    struct Case {
        i32 level, exp;
        bool dying;
        int panels;
        i32 levelAfter, expAfter;
    } cases[] = {
        {50, 999999, false, 0, 50, 999999},
        {77, 999999, false, 0, 77, 999999},
        {0, 45, false, 1, 2, 0},
        {-3, 44, false, 0, -3, 44},
        {4, 999999, true, 0, 4, 999999},
        {49, 19125, false, 1, 50, 0},
    };
    for (const Case& c : cases) {
        ResetBattleSides();
        ResetBattleEnd();
        cFighter& f = Member(0, 2, c.level, c.exp);
        if (c.dying) f.status = kStDying;
        gBattleEnd.banner.done = 1;
        gBattleEnd.SetOutcome(1);
        const Run r = StepToEnd();
        EXPECT_EQ(std::tuple(r.panels, gRoleStats[2].level, gRoleStats[2].exp),
                  std::tuple(c.panels, c.levelAfter, c.expAfter))
            << c.level;
    }
}

TEST_F(EndTest, TheBannerClosesAfterAHundredTicksOrAtOnceOnConfirm) {
    gKeyBindings[kKeyConfirm] = 28;
    gEnemySide.goldTotal = 50;
    gBattleEnd.SetOutcome(1);
    // It stays done and pays once.
    EXPECT_EQ(
        (std::vector<i64>{StepToEnd().steps, gScriptVars[0], gBattleEnd.Step(), gScriptVars[0]}),
        (std::vector<i64>{7 + 100 + 7, 50, 1, 50}));

    ResetBattleEnd();
    gBattleEnd.SetOutcome(1);
    for (int step = 0; step < 9; ++step) gBattleEnd.Step();  // open after 7, two waiting ticks
    WithKeyDown(28, [] { gBattleEnd.Step(); });
    // Paid when it has closed, not before.
    EXPECT_EQ((std::vector<i64>{gScriptVars[0], StepToEnd().steps, gScriptVars[0]}),
              (std::vector<i64>{50, 7, 100}));
}

TEST_F(EndTest, TheDefeatWaitEndsAfterAHundredTicksOrWithTheMusic) {
    MusicRecorder music;
    for (bool finished : {false, true}) {
        ResetBattleEnd();
        music.AnswerFinished(finished);
        gBattleEnd.SetOutcome(3);
        EXPECT_EQ(StepToEnd().steps, finished ? 2 : 101) << finished;
        ASSERT_GE(music.modes().size(), 2u);
        EXPECT_EQ(std::tuple(music.modes().end()[-2].fadeTime, music.modes().back().repeat),
                  std::tuple(100, 1));
    }
    // An escape has no end screen.
    for (i32 outcome : {2, 0}) {
        ResetBattleEnd();
        gBattleEnd.SetOutcome(outcome);
        EXPECT_EQ(gBattleEnd.Step(), outcome == 2 ? 1 : 0) << outcome;
    }
}

enum ControllerSkill {
    kHeal = 1,
    kFire = 2,
    kStrike = 3,
    kGroupHeal = 4,
    kBlizzard = 5,
    kSelfOnly = 6
};

class ControllerTest : public FightTest {
protected:
    void SetUp() override {
        FightTest::SetUp();
        gSkills = Table<SkillData>(7, &gSkillCount);
        // Each skill with its category and target kind.
        const i32 skills[][3] = {{kHeal, 1, 1},      {kFire, 1, 3},     {kStrike, 0, 3},
                                 {kGroupHeal, 3, 2}, {kBlizzard, 1, 4}, {kSelfOnly, 1, 5}};
        for (const auto& [id, category, target] : skills)
            gSkills[id] = {.id = id, .category = category, .target = target};
    }
    // Slot i of a side: a ready fighter over test record k.
    cFighter& Put(cBattleSide& side, int i, int k, i32 kind) {
        cFighter& f = side.fighters[i] = Fighter(k);
        Record(k).kind = 0;
        f.kind = static_cast<u32>(kind);
        f.gauge = kGaugeFull;
        for (MonsterSkill& s : f.specials) s = {0, 0};
        if (side.count <= i) side.count = i + 1;
        ++side.frontCount;
        return f;
    }
    cFighter& Enemy(int i = 0) { return Put(gEnemySide, i, 4 + i, kKindEnemy); }
    cFighter& Member(int i = 0) { return Put(gPartySide, i, i, kKindParty); }

    cActionPicker& Enemies() { return gBattleController.enemyPicker; }
    // A fresh controller with the party on auto battle.
    static void AutoBattle() {
        gBattleController.Reset();
        gBattleController.autoBattle = 1;
    }
    // One step of the enemies' picker with these draws scripted.
    void StepWith(std::initializer_list<u32> v) {
        Script(v);
        Enemies().Step();
    }
};

TEST_F(ControllerTest, AKindOneEnemyNeverFleesAndAKindZeroOneFleesAboutOneTimeInThree) {
    SetBattleRandomSource(nullptr);
    InitRandom(2718);
    auto fleeShare = [&](i32 kind, i32 hp, i32 maxHp) {
        int fled = 0;
        for (int n = 0; n < 3000; ++n) {
            ResetBattleSides();
            Member();
            cFighter& e = Enemy();
            Record(4).kind = kind;
            e.hp = hp;
            e.maxHp = maxHp;
            gBattleController.Reset();
            Enemies().Step();  // picks the enemy
            Enemies().Step();  // its choice
            fled += e.command == kCmdFlee;
        }
        return fled;
    };
    EXPECT_NEAR(fleeShare(0, 14, 100), 1000, 100);
    // 15 % is not below 15 %. Max HP 0 counts as 1: HP 0 of it is 0 %, HP 5 of it far above.
    EXPECT_EQ((std::vector<int>{fleeShare(1, 14, 100), fleeShare(0, 15, 100), fleeShare(0, 5, 0)}),
              (std::vector<int>{0, 0, 0}));
    EXPECT_GT(fleeShare(0, 0, 0), 900);
}

TEST_F(ControllerTest, AnEnemyThatJustFledDoesNotChooseFlightAgain) {
    cFighter& m = Member();
    cFighter& e = Enemy();
    e.hp = 5;
    gBattleController.Reset();
    StepWith({/*picks*/});
    StepWith({1, 99});  // flight wanted, no special
    ASSERT_EQ(e.command, kCmdFlee);
    // The flight did not take (its action puts it back to waiting).
    e.command = kCmdNone;
    StepWith({});       // the same fighter again, its last choice remembered
    StepWith({99, 0});  // no flight draw at all: the special roll, then the target
    EXPECT_EQ(std::tuple(ScriptUsed(), e.command, e.targets[0], m.attackedBy, Asked()),
              std::tuple(true, kCmdAttack, &m, &e, std::vector<u32>{100, 1}));
}

TEST_F(ControllerTest, UsedUpAndBadSpecialsFailThreeTimesThenTheEnemyAttacks) {
    cFighter& m = Member();
    cFighter& e = Enemy();
    Record(4).specialChance = 100;
    const MonsterSkill specials[] = {{-1, 5}, {0, 5}, {9999, 5}, {kFire, 0}, {kStrike, 0}};
    std::ranges::copy(specials, e.specials);
    e.healSpecial = {-1, 3};
    e.hp = 10;  // low enough to try healing, with a healing special that names nothing
    gBattleController.Reset();
    StepWith({});
    StepWith({0, 50, /*heal*/ 0, /*start*/ 2});
    EXPECT_EQ(Enemies().Failures(), 1);
    for (int n = 2; n <= 3; ++n) {
        StepWith({24, 4});
        EXPECT_EQ(std::tuple(Enemies().Failures(), e.command), std::tuple(n, kCmdNone));
    }
    // The choice starts again: no special right after one, so an attack.
    StepWith({0, 0});
    EXPECT_EQ(
        std::tuple(ScriptUsed(), e.command, e.targets[0], e.healSpecial.uses, e.specials[0].uses),
        std::tuple(true, kCmdAttack, &m, 3, 5));
}

TEST_F(ControllerTest, AHurtEnemyHealsBelowItsDrawnThresholdElseUsesASpecial) {
    struct Case {
        i32 hp;
        u32 draw;  // the threshold is 25 + draw
        bool heals;
    } cases[] = {{34, 10, true}, {35, 10, false}, {24, 0, true}, {49, 24, false}, {48, 24, true}};
    for (const Case& c : cases) {
        ResetBattleSides();
        Member();
        cFighter& e = Enemy();
        cFighter& ally = Enemy(1);
        ally.hp = 90;
        Record(4).specialChance = 100;
        e.hp = c.hp;
        e.healSpecial = {kHeal, 2};
        e.specials[1] = {kFire, 1};
        gBattleController.Reset();
        StepWith({});
        StepWith({0, 0, c.draw, 1, 0});
        // Healing goes to the weakest of its own side: itself here.
        EXPECT_EQ(std::tuple(e.command, e.skillInUse, e.healSpecial.uses, e.specials[1].uses,
                             e.targets[0], Enemies().Current()),
                  std::tuple(kCmdMagic, &gSkills[c.heals ? kHeal : kFire], c.heals ? 1 : 2,
                             c.heals ? 1 : 0, c.heals ? &e : &gPartySide.fighters[0], kNobody))
            << c.hp;
        Script({});
    }
}

TEST_F(ControllerTest, SkillsFollowTheirTargetKindAndTheSpellBan) {
    struct Case {
        i32 skill;
        bool banned;
        i32 command;   // 0: the skill is refused
        int targets;   // how many links
        bool ownSide;  // the targets stand on its own side
    } cases[] = {
        {kHeal, false, kCmdMagic, 1, true},
        {kFire, false, kCmdMagic, 1, false},
        {kStrike, false, kCmdSkillStrike, 1, false},
        {kGroupHeal, false, kCmdMagic, 2, true},
        {kBlizzard, false, kCmdMagic, 2, false},
        {kSelfOnly, false, 0, 0, false},
        {kFire, true, 0, 0, false},
        {kBlizzard, true, 0, 0, false},
        {kStrike, true, kCmdSkillStrike, 1, false},
        {kGroupHeal, true, kCmdMagic, 2, true},
        {0, false, 0, 0, false},
        {7, false, 0, 0, false},
    };
    for (const Case& c : cases) {
        ResetBattleSides();
        Member(0);
        Member(1).hp = 40;
        cFighter& e = Enemy(0);
        Enemy(1);
        if (c.banned) e.status = kStSpellBan;
        gBattleController.Reset();
        Enemies().SetCurrent(&e);
        Script({1, 1});
        SCOPED_TRACE(testing::Message() << c.skill << " banned " << c.banned);
        EXPECT_EQ(std::tuple(Enemies().TrySkill(c.skill), e.command),
                  std::tuple(c.command != 0 ? 1 : 0, c.command));
        std::vector<std::pair<cFighter*, bool>> links;  // each target's attacker and side
        for (cFighter* t : e.targets)
            if (t) links.push_back({t->attackedBy, t->IsEnemy()});
        EXPECT_EQ(links, decltype(links)(c.targets, {&e, c.ownSide}));
        if (c.command) {
            EXPECT_EQ(e.skillInUse, &gSkills[c.skill]);
        }
        Script({});
    }
}

TEST_F(ControllerTest, AConfusedMemberHitsAnotherMemberOrAFoeNeverItselfAndMayGiveUp) {
    cFighter& a = Member(0);
    cFighter& b = Member(1);
    cFighter& foe = Enemy(0);
    a.status = kStConfusion;
    AutoBattle();
    // Own side drawn, itself picked; own side again, the other member.
    Script({1, 0, 1, 1});
    gBattleController.Update();
    // Someone holds a command: nobody else gets one.
    EXPECT_EQ(std::tuple(a.command, a.targets[0], b.attackedBy, b.command, foe.command),
              std::tuple(kCmdAttack, &b, &a, kCmdNone, kCmdNone));

    ResetBattleSides();
    Member(0).status = kStConfusion;
    cFighter& e = Enemy(0);
    AutoBattle();
    Script({2, 0});  // the other side, its only front fighter
    gBattleController.Update();
    EXPECT_EQ(gPartySide.fighters[0].targets[0], &e);

    // With nobody on the other side to hit it gives up and the next one tries.
    ResetBattleSides();
    Member(0).status = kStConfusion;  // a and b stand in the same slots again
    Enemy(0).status = kStDying;
    AutoBattle();
    std::vector<u32> draws;
    for (int k = 0; k < kPickTries; ++k) draws.insert(draws.end(), {1, 0});
    Script(draws);
    gBattleController.Update();
    EXPECT_EQ(std::tuple(ScriptUsed(), a.command, a.targets[0]),
              std::tuple(true, kCmdNone, kNobody));

    // An empty pick from the other side ends that fighter's try at once; the
    // next confused member draws its own side and hits the first.
    Member(1).status = kStConfusion;
    AutoBattle();
    Script({2, 1, 0});
    gBattleController.Update();
    EXPECT_EQ(std::tuple(ScriptUsed(), a.command, b.command, b.targets[0]),
              std::tuple(true, kCmdNone, kCmdAttack, &a));
}

TEST_F(ControllerTest, EnemiesWaitForThePlayerUnlessTheBattleRunsInRealTime) {
    SetBattleRandomSource(nullptr);
    InitRandom(7);
    for (u32 realTime : {0u, 1u}) {
        ResetBattleSides();
        cFighter& m = Member(0);
        cFighter& e = Enemy(0);
        gRealTimeBattle = realTime;
        gBattleController.Reset();
        for (int t = 0; t < 4; ++t) gBattleController.Update();
        EXPECT_EQ(std::tuple(gBattleController.menu.Current(), e.command, m.command),
                  std::tuple(&m, realTime ? kCmdAttack : kCmdNone, kCmdNone))
            << realTime;
    }
}

TEST_F(ControllerTest, TheAutoBattleKeyHandsTheFighterBetweenMenuAndPicker) {
    SetBattleRandomSource(nullptr);
    gKeyBindings[kKeyAutoAttack] = 30;
    auto press = [] { WithKeyDown(30, [] { gBattleController.Update(); }); };
    cFighter& m = Member(0);
    Member(1);
    Enemy(0).gauge = 0;
    gBattleController.Reset();
    gBattleController.Update();
    ASSERT_EQ(std::tuple(gBattleController.menu.Current(), m.IsGlowing()), std::tuple(&m, true));
    m.ordered = 1;
    press();
    u32 act = 0, action = 0;
    gBattleCursor.GetLook(&act, &action);
    EXPECT_EQ(std::tuple(gBattleController.autoBattle, gBattleController.menu.Current(),
                         m.IsGlowing(), m.ordered, act, LoggedBattleLines()),
              std::tuple(1, kNobody, false, 0, kCursorAutoAct,
                         std::vector<std::string>{B5("使用自動戰鬥...")}));
    // The picker took the member over and attacks with it on the next tick.
    gBattleController.Update();
    EXPECT_EQ(m.command, kCmdAttack);

    // With no foe left to hit, the picker still holds the next member when the key comes.
    m.command = kCmdNone;
    m.gauge = 0;
    gEnemySide.fighters[0].status = kStDying;
    cFighter& next = gPartySide.fighters[1];
    gBattleController.Update();
    ASSERT_EQ(gBattleController.partyPicker.Current(), &next);
    press();
    gBattleCursor.GetLook(&act, &action);
    EXPECT_EQ(
        std::tuple(gBattleController.autoBattle, gBattleController.partyPicker.Current(),
                   next.IsGlowing(), gBattleController.menu.Current(), act,
                   LoggedBattleLines().back()),
        std::tuple(0, kNobody, true, &next, kCursorLookAct, std::string(B5("取消自動戰鬥..."))));
}

bool BothIdle(const cFighter& a, const cFighter& b) {
    return a.action == kStateWaiting && b.action == kStateWaiting && !a.HasCommand();
}

bool Idle(const cFighter& f) {
    return f.action == kStateWaiting && !f.HasCommand() && f.x == f.homeX && f.y == f.homeY;
}

constexpr cFighter* kNoFighter = nullptr;
std::vector<int> gActiveCalls;  // what the fighters told the controller (1 on, 0 off)

SkillData TestSkill(i32 target, i32 hpEffect, i32 special, i32 act = 7413) {
    return {.id = 13,
            .effectAct = act,
            .category = 1,
            .name = "S",
            .mpCost = 10,
            .effectMode = 1,
            .hp = hpEffect,
            .special = special,
            .target = target};
}

ItemData TestItem(i32 target, i32 act, i32 hpEffect, i32 status) {
    return {.effectAct = act,
            .useKind = 2,
            .castSkill = -1,
            .effectMode = 1,
            .hp = hpEffect,
            .statusEffect = status,
            .target = target};
}

// Attack 100 against defence 50 with no variation: 100 - 50 x 73 / 100 = 64.
class FighterActionTest : public DuelTest {
protected:
    void SetUp() override {
        DuelTest::SetUp();
        gActiveCalls.clear();
        gFighterController.setActive = [](bool on) { gActiveCalls.push_back(on ? 1 : 0); };
    }
    int RunUntilIdle(cFighter& f, int limit = 600) {
        return TickUntil([&] { return Idle(f); }, limit);
    }
    // The command given and carried out until the fighter stands idle at home again.
    bool Act(cFighter& f, i32 command, cFighter* target) {
        Order(f, command, target);
        return RunUntilIdle(f) > 0;
    }
};

// attack 100 against defence 50 with no variation: 100 - 50 x 73 / 100 = 64.
TEST_F(FighterActionTest, CloseAttackDealsTheWorkedDamageAndEveryoneGoesHome) {
    auto [p, e] = Duel();
    e.gauge = 0;
    Order(p, kCmdAttack, &e);
    Tick();  // waiting, step 0: the pose; the command is seen on the next tick
    Tick();
    EXPECT_EQ(std::tuple(p.action, e.gaugesFrozen, p.gaugesFrozen, e.attackedBy),
              std::tuple(kStateCloseAttack, 1, 1, &p));
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e) && p.x == p.homeX; }), 0);
    // A clean ordinary blow writes nothing.
    EXPECT_EQ(std::tuple(e.hp, CountFloats(e, "-64"), Lines().empty(), e.attackedBy, p.targets[0]),
              std::tuple(36, 1u, true, kNoFighter, kNoFighter));
    // Gauges run again, the attacker stands at home and its gauge restarts from its agility.
    EXPECT_EQ((std::vector<i32>{p.gaugesFrozen, e.gaugesFrozen, p.z - p.homeZ, p.gauge}),
              (std::vector<i32>{0, 0, 0, 10}));
}

TEST_F(FighterActionTest, CriticalStrikesTwiceAndOnlyTheFirstBlowMayBeEvaded) {
    auto [p, e] = Duel();
    e.hp = e.maxHp = 300;
    Queue(15, {1});   // critical
    Queue(100, {0});  // the first blow is evaded; the second is never rolled for
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e) && p.x == p.homeX; }), 0);
    // Critical factor 45 + 100: 64 x 145 / 100 = 92, one blow only.
    // One evasion roll and one hit roll.
    EXPECT_EQ(std::tuple(e.hp, CountFloats(e, "Miss"), Lines(),
                         std::count(DuelDraws::asked.begin(), DuelDraws::asked.end(), 100u)),
              std::tuple(300 - 92, 1u, std::vector<std::string>{Line("%s的奮力一擊...!", "P")}, 2));
}

TEST_F(FighterActionTest, GlancingBlowDoesAThirdAndAHolyBarrierBlocksTheNext) {
    auto [p, e] = Duel();
    Queue(100, {99, 99});  // not evaded; the hit roll fails
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e); }), 0);
    // A failed hit roll raises the rate by 10.
    EXPECT_EQ(
        std::tuple(e.hp, Lines(), p.hitRate),
        std::tuple(100 - 64 / 3, std::vector<std::string>{Line("%s的攻擊打偏了...!", "P")}, 90));

    // A holy barrier blocks the next blow and uses a charge.
    ClearLoggedBattleLines();
    e.status = kStHolyBarrier;
    e.barrierCount = 2;
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e); }), 0);
    EXPECT_EQ(std::tuple(e.hp, e.barrierCount, Lines()),
              std::tuple(100 - 64 / 3, 1, std::vector<std::string>{Line("神聖防壁阻擋攻擊...!")}));
}

TEST_F(FighterActionTest, ReflectSendsBackItsShareAndAnEnemyKilledByItFallsAtItsOwnStep) {
    auto [p, e] = Duel();
    p.reflect = 19;
    e.hp = 12;
    Order(e, kCmdAttack, &p);
    // 64 x 19 / 100 = 12 comes back and kills the attacker; the party member takes 52.
    ASSERT_GT(TickUntil([&] { return e.action == kStateFallen; }), 0);
    // Its rewards: experience 20 (level 1 not above 1) and 7 gold.
    EXPECT_EQ(std::tuple(p.hp, e.hp, e.IsDying(), Lines().front(), gEnemySide.expTotal,
                         gEnemySide.goldTotal),
              std::tuple(100 - 52, 0, true, Line("%s反彈%s部份的攻擊...!", "P", "E"), 20 + 0, 7));
    ASSERT_GT(TickUntil([&] { return !e.IsTaken(); }), 0);  // faded out and reset
}

TEST_F(FighterActionTest, FallenEnemyWaitsForItsAttackerThenGivesRewardsAndResets) {
    auto [p, e] = Duel();
    e.hp = 10;
    bool fellEarly = false;
    Order(p, kCmdAttack, &e);
    ASSERT_GT(TickUntil([&] {
                  fellEarly |= e.action == kStateFallen && p.action != kStateWaiting;
                  return !e.IsTaken();
              }),
              0);
    EXPECT_EQ(
        std::tuple(fellEarly, gEnemySide.goldTotal, gEnemySide.memberCount, gEnemySide.AllDown()),
        std::tuple(false, 7, 0, true));
}

TEST_F(FighterActionTest, PoisonFollowsEveryCompletedActionOfAPoisonedFighter) {
    cFighter& p = Party();
    Enemy();
    p.status = kStPoison;
    // Poison: (str 10 + magic 0 + agility 10) x max HP 100 / (5 x (10 + 10 + 10)) = 13.
    MonsterData& m = RecordOf(true, 0);
    m.strength = m.stamina = m.agility = 10;
    Order(p, kCmdDefend, nullptr);
    bool sawPoison = false;
    ASSERT_GT(TickUntil([&] {
                  sawPoison |= p.action == kStatePoison;
                  return sawPoison && p.action == kStateWaiting;
              }),
              0);
    EXPECT_EQ(std::tuple(p.hp, p.defending, Lines()),
              std::tuple(87, 1, std::vector<std::string>{Line("防禦")}));
}

// The counter's 64 is halved; a star shield on the attacker halves the blow
// before that (64 / 2 / 2) and wears by a charge, with its line and animation.
TEST_F(FighterActionTest, TargetThatWinsItsCounterRollStrikesBackForHalf) {
    for (bool star : {false, true}) {
        ResetBattleSides();
        ResetBattleSprites();
        spawned.clear();
        auto [p, e] = Duel();
        if (star) e.StartStarShield();
        ClearLoggedBattleLines();
        Queue(4, {1});  // the counter roll; agility 10 against 10 gives q = 100 + 6
        Order(e, kCmdAttack, &p);
        bool countered = false;
        ASSERT_GT(TickUntil([&] {
                      countered |= p.action == kStateCounter;
                      return countered && BothIdle(e, p) && e.x == e.homeX;
                  }),
                  0);
        const std::vector<std::string> lines =
            star ? std::vector<std::string>{Line("星星之盾抵消一半的攻擊力!")}
                 : std::vector<std::string>{};
        EXPECT_EQ(std::tuple(p.hp, e.hp, p.countered, e.counterAttacker),
                  std::tuple(36, star ? 100 - 64 / 4 : 100 - 64 / 2, kNoFighter, kNoFighter));
        EXPECT_EQ(std::tuple(e.starCount, Spawned(kAnimStarShield), Lines()),
                  std::tuple(star ? 2 : 0, star ? 1u : 0u, lines));
    }
}

// Air raid: (agility 10 + attack 100) x 133 / 100 = 146 against (10 + 50) x 66 / 100 = 39.
TEST_F(FighterActionTest, AirRaidWithTooLittleMpStillStrikesAndLeavesMpAtZero) {
    auto [p, e] = Duel();
    RecordOf(true, 0).agility = 10;
    e.hp = e.maxHp = 300;
    p.mp = 3;
    Order(p, kCmdAirRaid, &e);
    ASSERT_GT(TickUntil([&] { return BothIdle(p, e) && p.y == p.homeY && p.x == p.homeX; }), 0);
    EXPECT_EQ(std::tuple(e.hp, p.mp, Lines()),
              std::tuple(300 - 107, 0, std::vector<std::string>{Line("空襲")}));
}

// A close attack on one of its own kind runs up the field (facing 4) from
// below the target and down it (5) from above, on either side; a foe is run
// at in the attacker's own facing.
TEST_F(FighterActionTest, RunTowardATargetFacesByTheirDepths) {
    struct Case {
        bool party;
        int from, to;  // slots; a higher slot stands lower (larger z)
        i32 run;
        bool foe = false;  // the party's slot 0 runs at the enemy's slot 0
    } cases[] = {{true, 1, 0, 4},
                 {true, 0, 1, 5},
                 {false, 1, 0, 4},
                 {false, 0, 1, 5},
                 {true, 0, 0, 4, true}};
    for (const Case& c : cases) {
        ResetBattleSides();
        ResetBattleSprites();
        cFighter& a = c.party ? Party(0) : Enemy(0);
        cFighter& b = c.foe ? Enemy(0) : c.party ? Party(1) : Enemy(1);
        if (!c.foe) c.party ? Enemy(0) : Party(0);
        cFighter& from = c.from == 0 ? a : b;
        cFighter& to = c.foe ? b : c.from == 0 ? b : a;
        Order(from, kCmdAttack, &to);
        ASSERT_GT(TickUntil([&] { return from.action == kStateCloseAttack && from.step == 1; }, 4),
                  0);
        EXPECT_EQ(from.anim.action, c.run) << c.party << c.from << c.foe;
    }
}

TEST_F(FighterActionTest, TheftTakesTheItemOnceAndThenFindsNothing) {
    auto [p, e] = Duel();
    RecordOf(false, 0).theftItem = 0;  // the sample's first item
    e.theftRate = 40;
    p.mp = 3;  // the fixed cost of 5 stops at 0
    gOwnedItems[0] = 2;
    Queue(100, {0});  // 0 < 40: stolen
    ASSERT_TRUE(Act(p, kCmdTheft, &e));
    EXPECT_EQ(std::tuple(gOwnedItems[0], p.mp, e.theftRate), std::tuple(3, 0, 0));
    const ItemData* item = GetItemRecord(0);
    const std::string name = Big5ToUtf8({item->name, strnlen(item->name, sizeof(item->name))});
    EXPECT_EQ(Lines(), (std::vector<std::string>{Line("偷竊"), Line("得到%s...!", name.c_str())}));

    // Nothing left, or an item number past the table: nothing to find.
    for (i32 item : {0, 100000}) {
        RecordOf(false, 0).theftItem = item;
        e.theftRate = item ? 40 : 0;
        Queue(100, {0});
        ASSERT_TRUE(Act(p, kCmdTheft, &e));
        EXPECT_EQ(std::tuple(gOwnedItems[0], Lines().back()),
                  std::tuple(3, Line("%s沒有任何物品...!", "E")))
            << item;
    }
}

TEST_F(FighterActionTest, FailedFlightRaisesTheRateAndASuccessfulOneMakesTheWholePartyRun) {
    auto [p, q] = Pair(true);
    Enemy();
    ASSERT_TRUE(Act(p, kCmdFlee, nullptr));
    EXPECT_EQ(std::tuple(p.fleeRate, gPartySide.fleeFlag, Lines().back()),
              std::tuple(30, 0, Line("逃跑失敗...!")));
    ClearLoggedBattleLines();
    p.fleeRate = 60;  // 50 <= 60
    Order(p, kCmdFlee, nullptr);
    ASSERT_GT(TickUntil([&] { return p.action == kStateFlee && p.step == 3; }), 0);
    EXPECT_EQ(std::tuple(q.action, q.command, gPartySide.fleeFlag, gActiveCalls, Lines()),
              std::tuple(kStateFlee, kCmdFlee, 1, std::vector<int>{0},
                         std::vector<std::string>{Line("%s逃跑...!", "P")}));
    // The party runs off to the right, deeper as it goes.
    EXPECT_GT(TickUntil([&] { return p.x == 700; }, 200), 0);
    EXPECT_EQ(p.z, 300 + (700 - 440) * 55 / 100);
}

TEST_F(FighterActionTest, CaptureShrinksForTwentyFiveTicksHalvesTheExperienceAndStopsAt99) {
    auto [p, e] = Duel();
    gDevCaptureAlways = 1;
    gOwnedMonsters[5] = 0;
    Order(p, kCmdCapture, &e);
    ASSERT_GT(TickUntil([&] { return e.shrinkOn != 0; }), 0);
    std::vector<i32> shrink;
    while (e.IsTaken() && shrink.size() < 100) {
        Tick();
        if (e.IsTaken()) shrink.push_back(e.shrinkAmount);
    }
    ASSERT_GE(shrink.size(), 25u);
    for (size_t k = 0; k < 25; ++k) EXPECT_EQ(shrink[k], 40 * static_cast<i32>(k + 1));
    // Experience 20 halved, no gold.
    EXPECT_EQ(std::tuple(shrink.back(), gOwnedMonsters[5], gEnemySide.expTotal,
                         gEnemySide.goldTotal, Lines().back()),
              std::tuple(1000, 1, 10, 0, Line("捕捉%s成功...!", "E")));
    ASSERT_GT(RunUntilIdle(p), 0);
    // The orb on the target, then the one that flies home.
    EXPECT_EQ(std::tuple(Spawned(kAnimCaptureOrb), Spawned(kAnimTheft)), std::tuple(2u, 0u));
    // With 99 owned the capture still takes the enemy, but the count stays.
    cFighter& f = Enemy(1);
    gOwnedMonsters[5] = 99;
    ASSERT_TRUE(Act(p, kCmdCapture, &f));
    EXPECT_EQ(std::tuple(f.IsTaken(), gOwnedMonsters[5]), std::tuple(false, 99));
}

TEST_F(FighterActionTest, ThrownPieceHitsAndIsGone) {
    auto [p, e] = Duel();
    EquipageData piece{.id = 3, .throwValue = 20};  // strength 0 + 20
    p.thrownPiece = &piece;
    ASSERT_TRUE(Act(p, kCmdThrow, &e));
    EXPECT_EQ(std::tuple(e.hp, piece.id, p.thrownPiece),
              std::tuple(80, -1, static_cast<EquipageData*>(nullptr)));
}

TEST_F(FighterActionTest, AllFoesMagicRollsForEachTarget) {
    cFighter& p = Party();
    cFighter& e0 = Enemy(0);
    cFighter& e1 = Enemy(1);
    const SkillData sk = TestSkill(4, -30, 0);
    p.skillInUse = &sk;
    p.targets[1] = &e1;
    Queue(100, {10, 90});  // at most 30 resists: the first does, the second is struck
    ASSERT_TRUE(Act(p, kCmdMagic, &e0));
    EXPECT_EQ(std::tuple(e0.hp, e1.hp, p.mp, CountFloats(e0, "Miss"), Lines(),
                         e0.gaugesFrozen + e1.gaugesFrozen + p.gaugesFrozen),
              std::tuple(100, 70, 40, 1u, std::vector<std::string>{"S"}, 0));
}

TEST_F(FighterActionTest, SunShieldMakesTheCasterPayAndDrainHealsIt) {
    struct Case {
        u32 status;
        i32 special, casterHp, targetAfter, casterAfter;
    } cases[] = {
        {kStSunShield, 0, 100, 85, 85},  // 30 halved, and the caster takes the other half
        {0, 5, 50, 70, 80},              // the drain gives the caster what the target lost
    };
    for (const Case& c : cases) {
        ResetBattleSides();
        ResetBattleSprites();
        cFighter& p = Party();
        cFighter& e = Enemy();
        e.status = c.status;
        e.sunCount = c.status ? 1 : 0;
        p.hp = c.casterHp;
        const SkillData sk = TestSkill(3, -30, c.special);
        p.skillInUse = &sk;
        Queue(100, {90});
        ASSERT_TRUE(Act(p, kCmdMagic, &e));
        EXPECT_EQ(std::tuple(e.hp, p.hp, e.sunCount, Spawned(kAnimSunShield)),
                  std::tuple(c.targetAfter, c.casterAfter, 0, c.status ? 1u : 0u))
            << c.special;
        spawned.clear();
    }
}

// Five spells of 120 (magic 50, power 80: 150 x 50 x 80 / 5000) at a moon
// shield started with 3: halved four times, the fourth use ends the shield.
TEST_F(FighterActionTest, MoonShieldHalvesFourSpellsThenEnds) {
    auto [p, e] = Duel();
    RecordOf(true, 0).magic = 50;
    e.hp = e.maxHp = 1000;
    e.StartMoonShield();
    ClearLoggedBattleLines();
    SkillData sk = TestSkill(3, 0, 0);
    sk.power = 80;
    sk.mpCost = 0;
    std::vector<i32> taken;
    for (int spell = 0; spell < 5; ++spell) {
        const i32 before = e.hp;
        p.skillInUse = &sk;
        ASSERT_TRUE(Act(p, kCmdMagic, &e)) << spell;
        taken.push_back(before - e.hp);
    }
    EXPECT_EQ(taken, (std::vector<i32>{60, 60, 60, 60, 120}));
    const std::string half = Line("月亮之盾抵消一半的魔法傷害!");
    EXPECT_EQ(Lines(), (std::vector<std::string>{"S", half, "S", half, "S", half, "S", half,
                                                 Line("%s的月亮之盾解除!", "E"), "S"}));
    EXPECT_EQ(std::tuple(Spawned(kAnimMoonShield), e.HasMoonShield()), std::tuple(4u, false));
}

// A physical skill of power 150 from attack 100 and strength 40 against
// stamina 20: (40 - 20 + 100) x 15000 / 10000 = 180. A star shield started
// with 3 halves four of them, each with its line, animation and charge, the
// fourth ending it; struck at one foe or cast at all foes alike.
TEST_F(FighterActionTest, StarShieldHalvesFourPhysicalSkillsThenEnds) {
    for (i32 command : {kCmdSkillStrike, kCmdMagic}) {
        ResetBattleSides();
        ResetBattleSprites();
        spawned.clear();
        auto [p, e] = Duel();
        RecordOf(true, 0).strength = 40;
        RecordOf(true, 0).magic = 50;  // the magic hit roll never misses
        RecordOf(false, 0).stamina = 20;
        e.hp = e.maxHp = 1000;
        e.StartStarShield();
        ClearLoggedBattleLines();
        SkillData sk = TestSkill(command == kCmdMagic ? 4 : 3, 0, 0);
        sk.category = 0;
        sk.power = 150;
        sk.mpCost = 0;
        std::vector<i32> taken;
        for (int use = 0; use < 5; ++use) {
            const i32 before = e.hp;
            p.skillInUse = &sk;
            ASSERT_TRUE(Act(p, command, &e)) << use;
            taken.push_back(before - e.hp);
        }
        EXPECT_EQ(taken, (std::vector<i32>{90, 90, 90, 90, 180})) << command;
        // The cast writes the skill's name; the strike does not.
        const std::string half = Line("星星之盾抵消一半的攻擊力!");
        std::vector<std::string> want;
        for (int use = 0; use < 5; ++use) {
            if (command == kCmdMagic) want.push_back("S");
            if (use < 4) want.push_back(half);
        }
        want.insert(want.end() - (command == kCmdMagic ? 1 : 0), Line("%s的星星之盾解除!", "E"));
        EXPECT_EQ(Lines(), want) << command;
        EXPECT_EQ(std::tuple(Spawned(kAnimStarShield), e.HasStarShield()), std::tuple(4u, false));
    }
}

// An offensive item's warning: the first foe may slip it by the item hit roll,
// which moves the magic evasion rate and leaves the evasion of blows alone.
TEST_F(FighterActionTest, ItemWarningIsEvadedByTheItemHitRoll) {
    auto [p, e] = Duel();
    e.magicEvasionRate = 60;
    const ItemData it = TestItem(3, 7246, -20, 0);
    p.itemInUse = &it;
    // At 0x4: 50 <= 60 slips it (rate back to 30); at 0x1: 50 <= 30 fails and
    // the item lands (rate 40).
    Queue(100, {50, 50});
    bool dodged = false;
    Order(p, kCmdItem, &e);
    ASSERT_GT(TickUntil([&] {
                  dodged |= e.action == kStateDodge;
                  return Idle(p);
              }),
              0);
    EXPECT_EQ(std::tuple(dodged, e.evasionRate, e.magicEvasionRate, e.hp),
              std::tuple(true, 30, 40, 80));
}

TEST_F(FighterActionTest, ADyingMemberRefusesTheTransformAndIsRevivedByAnItemWithNoAct) {
    auto [p, q] = Pair(true);
    Enemy();
    q.hp = 0;
    q.status = kStDying;
    q.SetAction(kStateFallen, 1, 0);
    MonsterData form = RecordOf(false, 5);
    p.formToAdd = &form;
    ASSERT_TRUE(Act(p, kCmdTransform, nullptr));
    EXPECT_EQ(std::tuple(Lines().back(), gPartySide.count, p.IsTaken()),
              std::tuple(Line("有伙伴死亡,變身失敗...!"), 2, true));

    const ItemData it = TestItem(1, 0, 0, 31);
    p.itemInUse = &it;
    ASSERT_TRUE(Act(p, kCmdItem, &q));
    // Act 8082 played without being written back.
    EXPECT_EQ(std::tuple(q.hp, q.status, it.effectAct), std::tuple(1, 0u, 0));
    ASSERT_GT(TickUntil([&] { return q.action == kStateWaiting; }), 0);
}

TEST_F(FighterActionTest, SleepItemOnAllAlliesPutsItsUserToSleepAndStillFinishes) {
    auto [p, q] = Pair(true);
    cFighter& e = Enemy();
    const ItemData it = TestItem(2, 7301, 0, 2);
    p.itemInUse = &it;
    p.targets[1] = &q;
    ASSERT_TRUE(Act(p, kCmdItem, &p));
    // Its targets are let go.
    EXPECT_EQ(
        std::tuple(p.IsAsleep(), q.IsAsleep(), p.gaugesFrozen + q.gaugesFrozen + e.gaugesFrozen,
                   std::ranges::count(p.targets, nullptr)),
        std::tuple(true, true, 0, std::ssize(p.targets)));
}

TEST_F(FighterActionTest, SkillStrikeAlternatesItsTwoAnimations) {
    auto [p, e] = Duel();
    // A long effect; its poison code and power-up special are not the strike's.
    SkillData sk = TestSkill(3, -10, 7, kAnimCaptureOrb);
    sk.statusEffect = 12;
    p.skillInUse = &sk;
    Queue(100, {95});  // above 30 + 60 for the effect code: struck
    Order(p, kCmdSkillStrike, &e);
    std::vector<i32> actions;
    ASSERT_GT(TickUntil(
                  [&] {
                      if (p.action == kStateSkillStrike && p.step == 2 &&
                          (actions.empty() || actions.back() != p.anim.action))
                          actions.push_back(p.anim.action);
                      return Idle(p);
                  },
                  800),
              0);
    ASSERT_GE(actions.size(), 3u);
    const i32 facing = p.facing;
    for (size_t k = 1; k < actions.size(); ++k) {
        EXPECT_NE(actions[k], actions[k - 1]);
        EXPECT_TRUE(actions[k] == facing + 48 || actions[k] == facing + 56);
    }
    EXPECT_EQ(std::tuple(e.hp, e.status, e.powerUp, p.mp), std::tuple(90, 0u, 0, 40));
}

TEST_F(FighterActionTest, TransformAddsTheFormAndItsEndWritesTheOfferingBack) {
    auto [p, q] = Pair(true);
    Enemy();
    MonsterData form{};
    form.index = 2;
    form.act = 3005;
    form.maxHp = form.hp = 100;
    form.offerValue = 33;
    p.formToAdd = &form;
    Order(p, kCmdTransform, nullptr);
    ASSERT_GT(TickUntil([&] { return gPartySide.count == 3; }), 0);
    cFighter& g = gPartySide.fighters[2];
    EXPECT_TRUE(g.IsAdded());
    // The form fades in: a body pixel drawn over black at blend levels 2, 3, ...
    // 15 (its first tick already ran), then plain. The figure's body covers
    // the middle column of its 32x48 frame 24 rows above the feet (row 24).
    for (int level = 2; level <= 16; ++level) {
        ASSERT_EQ(g.flashCounter, level < 16 ? level : 0) << level;
        FillSurface(gDrawSurface, 0);
        cFighter::DrawSprite(g);
        const u16 body = PlainColourAt(g.anim.pic, g.anim.frame, 16, 24);
        ASSERT_NE(body, 0);
        EXPECT_EQ(*PaintPixelAddr(g.x, g.z - 24), level < 16 ? BlendRef(body, 0, level) : body)
            << level;
        Tick();
    }
    EXPECT_EQ(std::tuple(p.IsTaken(), q.IsTaken(), p.hp, gPartySide.creatureInControl),
              std::tuple(false, false, 1, 1));
    gGodForms[2].offerValue = 0;
    Order(g, kCmdEndTransform, nullptr);
    g.SetAction(kStateWaiting, 1, 0);
    ASSERT_GT(TickUntil([&] { return !g.IsTaken(); }), 0);
    EXPECT_EQ(std::tuple(gGodForms[2].offerValue, p.IsTaken(), q.IsTaken(), gPartySide.count,
                         gPartySide.creatureInControl, gActiveCalls),
              std::tuple(33, true, true, 2, 0, std::vector<int>{0, 1}));
}

TEST_F(FighterActionTest, CloseAttackOnAnEmptyFrontRowWaitsWithoutHarmAndEndlessActsEnd) {
    auto [p, e] = Duel();
    e.row = 2;
    gEnemySide.frontCount = 0;
    e.hp = 0;
    e.status = kStDying;
    Order(p, kCmdAttack, &e);
    for (int t = 0; t < 30; ++t) Tick();
    EXPECT_EQ(std::tuple(p.action, p.step, p.x), std::tuple(kStateCloseAttack, 0, p.homeX));

    // An act that loops without events is not stepped forever.
    ASSERT_TRUE(StartBody(p, {kActStand}));
    StepToEvent(p);  // the stand loops and raises nothing: this must come back
    EXPECT_EQ(std::tuple(p.anim.ended, p.anim.event & 0x5), std::tuple(0u, 0));
}

void ClearCanvas() {
    for (i32 y = 0; y < 480; ++y) std::memset(PaintPixelAddr(0, y), 0, 640 * 2);
}

u16 At(i32 x, i32 y) {
    return *PaintPixelAddr(x, y);
}

// Columns of row y from x on that hold colour c, counted until the first that does not.
i32 RunOf(i32 x, i32 y, u16 c) {
    i32 n = 0;
    while (x + n < 640 && At(x + n, y) == c) ++n;
    return n;
}

class FighterDrawTest : public DuelTest {
protected:
    void SetUp() override {
        DuelTest::SetUp();
        ClearCanvas();
    }
    static void Bars(cFighter& f) {
        for (int k = 0; k < 3; ++k) f.aux[33 + k] = {11002, 2 + k};
        for (int k = 0; k < 15; ++k) f.aux[10 + k] = {9901, 30 + k};
    }
};

TEST_F(FighterDrawTest, GaugeWidthIsTheGaugesShareOfFiftyAtLeastOneAndAFullOnePulses) {
    cFighter& p = Party();
    Bars(p);
    p.gauge = 255;
    // From 32 down by 4 to -32, then up by 8 to 32, then down again.
    const i32 want[] = {28,  24,  20,  16,  12,  8,  4, 0, -4, -8, -12, -16, -20,
                        -24, -28, -32, -24, -16, -8, 0, 8, 16, 24, 32,  28};
    for (i32 w : want) {
        DrawGaugeBar(p, 100, 100);
        EXPECT_EQ(p.pulseLevel, w);
    }
    const u16 c = PlainColour(11002, 2);
    ASSERT_NE(c, 0);
    // A full gauge pulses in another colour; an empty one draws nothing.
    const struct {
        i32 gauge, width;
    } cases[] = {{1, 1}, {5, 1}, {6, 1}, {128, 25}, {254, 49}, {0, 0}};
    for (const auto& k : cases) {
        ClearCanvas();
        p.gauge = k.gauge;
        DrawGaugeBar(p, 100, 100);
        EXPECT_EQ(std::tuple(RunOf(100, 100, c), At(100 + k.width, 100)), std::tuple(k.width, 0))
            << "gauge " << k.gauge;
    }
}

TEST_F(FighterDrawTest, ShownHpFallsBy300Then30Then3) {
    cFighter& p = Party();
    Bars(p);
    p.maxHp = p.shownHp = 3000;
    p.hp = 500;
    std::vector<i32> drops;
    for (int t = 0; t < 80 && p.shownHp != p.hp; ++t) {
        const i32 before = p.shownHp;
        DrawHpBar(p, 100, 100);
        drops.push_back(before - p.shownHp);
    }
    std::vector<i32> want(6, 300);
    want.insert(want.end(), 21, 30);
    want.insert(want.end(), 23, 3);
    want.push_back(1);  // 2500 in all
    EXPECT_EQ(drops, want);
}

TEST_F(FighterDrawTest, DigitsTakeFourPlacesOrAsManyAsTheNumberHas) {
    // Each place is a frame's width and one pixel; the top rows of 7, 5 and 0
    // are inked from their first column, that of 1 in its second.
    const i32 adv = sample_fighters::kDigitW + 1;
    // Leading places stay empty. Negative values never reach the digits: a
    // lost number reads 0.
    EXPECT_EQ((std::vector<i32>{DrawFighterDigits(7, 100, 50), At(100 + 2 * adv, 50),
                                At(100 + 3 * adv, 50), DrawFighterDigits(12345, 100, 80),
                                At(101, 80), At(100 + 4 * adv, 80),
                                DrawFighterDigits(-45, 100, 110), At(100 + 3 * adv, 110)}),
              (std::vector<i32>{100 + 4 * adv, 0, PlainColour(11000, 7), 100 + 5 * adv,
                                PlainColourAt(11000, 1, 1, 0), PlainColour(11000, 5), 100 + 4 * adv,
                                PlainColour(11000, 0)}));
    cFighter& p = Party();
    Bars(p);
    p.hp = p.shownHp = -20;
    p.mp = p.shownMp = -3;
    DrawHpBar(p, 200, 200);
    DrawMpBar(p, 200, 220);
    // No bar for nothing.
    EXPECT_EQ(std::tuple(At(200, 200), At(202 + 3 * adv, 198)),
              std::tuple(0, PlainColour(11000, 0)));
}

TEST_F(FighterDrawTest, StatusIconsStartNinePixelsLeftPerIcon) {
    cFighter& p = Party();
    Bars(p);
    p.status = 0;
    DrawStatusIcons(p, 300, 100);
    for (i32 x = 200; x < 400; ++x) ASSERT_EQ(At(x, 100), 0);
    p.status = kStSleep | kStPoison | kStBlindness;  // bits 0, 10 and 13
    DrawStatusIcons(p, 300, 100);
    const u16 first = ActColour(9901, 30);  // sleep's icon
    ASSERT_NE(first, 0);
    EXPECT_EQ(std::tuple(At(300 - 27 - 1, 100), At(300 - 27, 100)), std::tuple(0, first));
}

TEST_F(FighterDrawTest, HalfShrunkEnemyDrawsAtHalfSize) {
    cFighter& e = Enemy();
    e.anim = ActPlayer{};
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    // The body's drawn box above its feet (the shadow lies below them).
    auto box = [&] {
        i32 minX = 640, maxX = -1, minY = 480, maxY = -1;
        for (i32 y = 0; y < e.z; ++y)
            for (i32 x = 0; x < 640; ++x)
                if (At(x, y) != 0) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        return std::pair(maxX - minX + 1, maxY - minY + 1);
    };
    cFighter::DrawSprite(e);
    const auto [fullW, fullH] = box();
    ASSERT_GT(fullH, 40);
    ClearCanvas();
    e.shrinkOn = 1;
    e.shrinkAmount = 500;
    cFighter::DrawSprite(e);
    const auto [w, h] = box();
    EXPECT_LE(std::max(std::abs(w - fullW / 2), std::abs(h - fullH / 2)), 1);
}

TEST_F(FighterDrawTest, PoisonTintOnlyInThePoisonStateAndMonsterOffsetsMoveTheEnemy) {
    cFighter& p = Party();
    ASSERT_TRUE(p.StartAnim(p.act, 4));
    // The figure's body covers the middle column of its 32x48 frame 24 rows
    // above the feet, drawn 16 left of and 48 above them.
    const u16 body = PlainColourAt(static_cast<u16>(p.act), p.anim.frame, 16, 24);
    ASSERT_NE(body, 0);
    // Poisoned but waiting: no tint; in the poison state: tinted.
    for (int k = 0; k < 3; ++k) {
        p.status = k ? static_cast<u32>(kStPoison) : 0u;
        if (k == 2) p.action = kStatePoison;
        ClearCanvas();
        cFighter::DrawSprite(p);
        EXPECT_EQ(At(p.x, p.z - 24) == body, k < 2) << k;
    }

    // Monster offsets move an enemy: number 3's (2, -10) draws every body
    // pixel 2 left and 10 lower; unknown numbers have none.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    ClearCanvas();
    e.pic = 0xFFFFFFFF;
    cFighter::DrawSprite(e);
    const std::vector<u16> still(gPaintBuf, gPaintBuf + 640 * 480);
    ClearCanvas();
    e.pic = 3;
    cFighter::DrawSprite(e);
    int same = 0;
    for (i32 y = e.z - 48; y < e.z; ++y)
        for (i32 x = e.x - 16; x < e.x + 16; ++x) {
            const u16 v = still[static_cast<size_t>(y) * 640 + x];
            if (v == 0) continue;
            ASSERT_EQ(At(x - 2, y + 10), v) << x << "," << y;
            ++same;
        }
    EXPECT_GT(same, 300);
}

TEST_F(FighterDrawTest, FighterAtFollowsTheOpaquePixelsOfTheBodyFrontMostFirst) {
    // Party bodies face left: frame column 31 - (16 + u) holds figure column
    // u, so screen column x - 1 - u. The torso covers u -4..4 from 13 to 33
    // rows above the feet, the head (hair) rows 35..47 above them round u -1.
    cFighter& back = Party(0);   // (440, 300): frame 424..455 x 252..299
    cFighter& front = Party(1);  // (442, 310): frame 426..457 x 262..309
    cFighter& blank = Party(2);  // in front of both, with no frame
    front.x = 442;
    for (cFighter* f : {&back, &front}) ASSERT_TRUE(f->StartAnim(f->act, 4));
    blank.x = 450;
    blank.z = 330;
    cBattleSide& s = gPartySide;
    // The frame's bottom left corner is clear and so is its left edge by the
    // head; where both torsos are the larger depth wins; above the front
    // one's head the back one; its gauge is empty: not ready.
    EXPECT_EQ((std::vector<cFighter*>{s.FighterAt(424, 299), s.FighterAt(424, 260),
                                      s.FighterAt(440, 282), s.FighterAt(440, 258),
                                      s.FighterAt(423, 280), s.ReadyFighterAt(440, 258)}),
              (std::vector<cFighter*>{nullptr, nullptr, &front, &back, nullptr, nullptr}));
    back.gauge = kGaugeFull;
    EXPECT_EQ(s.ReadyFighterAt(440, 258), &back);
    // An enemy's frame moves by its monster offset: number 3 draws 2 left, 10
    // lower. The thief faces right (column 16 + u), its head's top row 46
    // rows above its feet.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    for (u32 pic : {5u, 3u}) {
        e.pic = pic;
        const i32 dx = pic == 3 ? -2 : 0, dy = pic == 3 ? 10 : 0;
        EXPECT_EQ(std::tuple(gEnemySide.FighterAt(e.x + dx, e.z - 24 + dy),
                             gEnemySide.FighterAt(e.x + dx, e.z - 44 + dy)),
                  std::tuple(&e, &e))
            << pic;
    }
    EXPECT_EQ(gEnemySide.FighterAt(e.x, e.z - 44), nullptr);
}

TEST_F(FighterDrawTest, CommandPanelNamesItsRowsAndKeepsTheNumbersInside) {
    cFighter& p = Party();
    p.aux[36] = {11002, 10};
    p.hp = 1234;
    p.maxHp = 5678;
    p.mp = 321;
    p.maxMp = 9876;
    UseBattleFont(20, 40);  // whatever an earlier text left
    std::fill_n(gPaintBuf, 640 * 480, 0xFFFF);
    DrawCommandPanel(p, 428, 0);
    // "%4d / %4d" from x + 120 at size 12, six pixels a character: the last
    // digit's cell starts at 428 + 120 + 60; the panel ends at 428 + 200.
    // Black pixels in the box; with a plain colour given, pixels that are not that colour.
    auto ink = [](i32 x0, i32 x1, i32 y0, i32 y1, int plain = -1) {
        int n = 0;
        for (i32 y = y0; y < y1; ++y)
            for (i32 x = x0; x < x1; ++x) n += plain < 0 ? At(x, y) == 0 : At(x, y) != plain;
        return n;
    };
    // The panel picture names the rows: "HP" and "MP" at size 12 from x + 98,
    // twelve pixels and a shadow column, so x + 111 up to the numbers stays plain.
    const u16 plain = PlainColourAt(11002, 7, 115, 58);  // the band under the numbers
    for (i32 line : {60, 74}) {
        EXPECT_EQ(std::tuple(ink(608, 620, line, line + 14) > 0, ink(620, 640, line, line + 14),
                             ink(428 + 98, 428 + 111, line, line + 13, plain) > 0,
                             ink(428 + 111, 428 + 120, line, line + 14, plain)),
                  std::tuple(true, 0, true, 0))
            << line;
    }
    // The enemy's name under its blink is size 13.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    e.StartBlink();
    UseBattleFont(20, 40);
    cFighter::DrawSprite(e);
    EXPECT_EQ(gMainFont.GetSize(), 13);
}

struct P3 {
    i32 x, y, z;
    bool operator==(const P3&) const = default;
};
P3 At(const cBattleSprite& s) {
    return {s.x, s.y, s.z};
}

std::vector<char> gDrawn;
void RecordDraw(cBattleSprite& s) {
    gDrawn.push_back(static_cast<char>(s.pic));
}

TEST(BattleSprite, MovesAlongAnIntegerLineOrAnArcAndReportsArrivalOnTheNextCall) {
    // A fresh sprite (its y set) given a line or an arc, then steps taken in
    // runs: after each run whether it reported arrival and where it stands.
    // Worked by hand: on the line to (10, -4, 3) x leads and y moves on step 3
    // (errors 4, 8, 12), z on step 4 (3, 6, 9, 12). On the arc over 10 with a
    // hop of 2 the hop adds 4 a step against 10 and its accumulator reaches 10
    // on steps 3, 5, 8 and 10, taking 2, 1, 0 and -1 off y in turn; on the arc
    // to (-4, 8) z leads and x steps back on every second step.
    const struct Move {
        bool arc;
        i32 y;
        P3 to;      // an arc goes by (x, z) and hops y
        i32 major;  // the leading axis, -1 when not checked
    } moves[] = {
        {false, 0, {0, 0, 0}, -1}, {false, 0, {10, -4, 3}, 0}, {false, 0, {2, 9, 9}, 1},
        {false, 0, {3, 3, 3}, 0},  {false, 0, {1, 2, 5}, 2},   {true, 50, {10, 2, 0}, 0},
        {true, 0, {-4, 1, 8}, 2},
    };
    const struct Run {
        size_t move;
        i32 steps;
        bool arrived;
        P3 at;
    } runs[] = {
        {0, 5, true, {0, 0, 0}},  // no line at all: there at once
        {1, 4, false, {4, -1, 1}},
        {1, 100, false, {10, -4, 3}},  // the last step is taken, arrival
                                       // waits
        {1, 1, true, {10, -4, 3}},
        {2, 5, false, {1, 5, 5}},  // y leads: above x and level with z;
                                   // a tie goes to x
        {2, 9, false, {2, 9, 9}},
        {5, 3, false, {3, 48, 0}},
        {5, 2, false, {5, 47, 0}},
        {5, 4, false, {9, 47, 0}},
        {5, 100, false, {10, 50, 0}},  // landing: y back at its start,
                                       // arrival waits
        {5, 1, true, {10, 50, 0}},
        {6, 2, false, {-1, 0, 2}},
        {6, 6, false, {-4, 0, 8}},
    };
    for (size_t k = 0; k < std::size(moves); ++k) {
        const Move& m = moves[k];
        cBattleSprite s;
        s.y = m.y;
        m.arc ? s.MoveArc(m.to.x, m.to.z, m.to.y) : s.MoveTo(m.to.x, m.to.y, m.to.z);
        if (m.major >= 0) {
            EXPECT_EQ(s.move.major, m.major) << k;
        }
        for (const Run& r : runs)
            if (r.move == k) {
                EXPECT_EQ(m.arc ? s.StepArc(r.steps) : s.StepMove(r.steps), r.arrived) << k;
                EXPECT_EQ(At(s), r.at) << k << " " << r.steps;
            }
    }
}

TEST(BattleSprite, DrawOrderIsDepthFrontClassLastBackClassFirstAndFullListsDropNewEntries) {
    Harness h;
    struct Spec {
        char name;
        i32 z, cls;
    } specs[] = {{'A', 5, 1}, {'B', 1, 0}, {'C', 9, 1}, {'D', 3, 2}, {'E', 7, 0}};
    cBattleSprite s[5];
    for (int i = 0; i < 5; ++i) {
        s[i].pic = static_cast<u32>(specs[i].name);
        s[i].z = specs[i].z;
        s[i].drawClass = specs[i].cls;
        s[i].drawFn = &RecordDraw;
    }
    // Queued in an order the sort must undo.
    for (int i : {4, 2, 0, 3, 1}) gDrawList.AddSprite(&s[i]);
    gDrawn.clear();
    gDrawList.Draw();
    // By the three passes, worked by hand: depth B D A E C; the front class
    // walks A then C to the back; D comes to the front.
    EXPECT_EQ(std::tuple(std::string(gDrawn.begin(), gDrawn.end()), gDrawList.SpriteCount()),
              std::tuple("DBECA", 0));

    // Full pools and a full list drop the new entry.
    cBattleSprite fighter;
    fighter.flags = kSpriteInUse | kSpriteTaken;
    for (int i = 0; i < kSpritePoolSize; ++i) {
        ASSERT_NE(SpawnHitAnim(nullptr, 7246, 0, i, 0, 0, 0), nullptr) << i;
        ASSERT_NE(SpawnFloatText(nullptr, "1", 0, 0, 0, 0, 0, -48, 0), nullptr) << i;
        ASSERT_NE(AttachAfterImage(&fighter, 0, 3), nullptr) << i;
    }
    EXPECT_EQ((std::vector<const void*>{SpawnHitAnim(nullptr, 7246, 0, 0, 0, 0, 0),
                                        SpawnFloatNumber(nullptr, 12, 0, 0, 0, 0, 0, -48, 0),
                                        AttachAfterImage(&fighter, 0, 3)}),
              (std::vector<const void*>(3, nullptr)));

    std::vector<cBattleSprite> many(kDrawListSize + 1);
    for (auto& m : many) m.drawFn = &RecordDraw;
    for (int i = 0; i < kDrawListSize; ++i) {
        ASSERT_TRUE(gDrawList.AddSprite(&many[i]));
        ASSERT_TRUE(gDrawList.AddSoundCue(&many[i]));
    }
    EXPECT_EQ(std::tuple(gDrawList.AddSprite(&many[kDrawListSize]),
                         gDrawList.AddSoundCue(&many[kDrawListSize])),
              std::tuple(false, false));
    gDrawn.clear();
    gDrawList.Draw();
    EXPECT_EQ(gDrawn.size(), static_cast<size_t>(kDrawListSize));
}

TEST_F(FighterDrawTest, HitAnimationPlaysItsCueOnceRaisesItsEventsAndAlwaysFreesItsSlot) {
    SoundCueRecorder cues;
    cHitAnim* a = SpawnHitAnim(nullptr, 7246, 0, 100, 0, 200, 0);
    ASSERT_NE(a, nullptr);
    std::vector<u16> events;
    int ticks = 0;
    for (; ticks < 40 && a->Taken(); ++ticks) {
        UpdateHitAnims();
        u16 e = 0;
        for (u16 bit : {u16{0x1}, u16{0x4}})
            if (a->TakeEvent(bit)) e |= bit;
        if (e) events.push_back(e);
        gDrawList.Draw();
        gDrawList.PlaySounds();
    }
    EXPECT_EQ(std::tuple(a->Taken(), SoundCueRecorder::Cues(), events),
              std::tuple(false, std::vector<int>{1}, std::vector<u16>{0x4, 0x1}));

    // Two events raised on one frame are both seen, each once.
    cBattleSprite s;
    s.anim.event = 0x5;
    EXPECT_EQ((std::vector<bool>{s.TakeEvent(0x1), s.TakeEvent(0x4), s.TakeEvent(0x4)}),
              (std::vector<bool>{true, true, false}));

    // An act that is missing, or one that loops, lets its slot go.
    cHitAnim* missing = SpawnHitAnim(nullptr, 2999, 0, 0, 0, 0, 0);
    cHitAnim* endless = SpawnHitAnim(nullptr, 9001, 0, 0, 0, 0, 0);  // the cursor loops
    std::vector<int> takenTicks;
    for (int t = 1; t <= kHitAnimMaxTicks + 1; ++t) {
        UpdateHitAnims();
        gDrawList.Clear();
        if (t == 1) {
            EXPECT_FALSE(missing->Taken());
        }
        if (endless->Taken()) takenTicks.push_back(t);
    }
    EXPECT_EQ(std::tuple(takenTicks.size(), endless->Taken()),
              std::tuple(static_cast<size_t>(kHitAnimMaxTicks), false));
}

TEST(BattleSprite, FloatingTextRisesSixteenTicksAndKeepsWholeCharacters) {
    Harness h;
    std::string text = "xy";
    for (int i = 0; i < 20; ++i) text += "\xA4\x40";
    cFloatText* t = SpawnFloatText(nullptr, text.c_str(), 0xFFFF, 0, 10, 0, 100, -48, 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::string(t->text), text.substr(0, 30));
    int drawn = 0;
    for (int tick = 0; tick < 30 && t->Taken(); ++tick) {
        UpdateFloatTexts();
        drawn += gDrawList.SpriteCount();
        gDrawList.Clear();
    }
    EXPECT_EQ(std::tuple(drawn, t->Taken()), std::tuple(16, false));
}

TEST_F(FighterDrawTest, AfterImageCopiesFadeBy3AndVanishWithTheirFighter) {
    const u16 under = 0x0C63, colour = PlainColour(15001, 0);  // one plain colour

    cBattleSprite fighter;
    fighter.flags = kSpriteInUse | kSpriteTaken;
    fighter.anim.pic = 15001;
    fighter.anim.cellW = fighter.anim.cellH = 1;  // drawn 8 pixels left of and above its point
    fighter.x = 58;
    fighter.z = 108;
    cAfterImage* a = AttachAfterImage(&fighter, 0, 9);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->count, kAfterImageCopies);
    for (int i = 0; i < kAfterImageCopies; ++i) a->history[i].x = 58 + 100 * i;
    for (int i = 0; i < 640 * 480; ++i) gPaintBuf[i] = under;
    a->drawFn(*a);
    for (int i = 0; i < kAfterImageCopies; ++i) {
        EXPECT_EQ(
            std::tuple(gPaintBuf[100 * 640 + 50 + 100 * i], gPaintBuf[99 * 640 + 50 + 100 * i]),
            std::tuple(BlendRef(colour, under, 16 - 3 * i), under))
            << i;
    }
    fighter.flags = 0;
    UpdateAfterImages();
    EXPECT_FALSE(a->Taken());
}

// Scripted input over clean globals (the harness resets them all as it comes
// and goes), polled the way the battle frame polls it.
struct BattleInput : ::testing::Test {
    Harness h;
    void SetUp() override {
        ASSERT_EQ(gDInput.Init(nullptr, nullptr), 0);
        gBattleCursor.Init();
    }
    static void Poll() {
        gBattleKeys.Poll();
        gBattleCursor.Poll();
    }
    static std::pair<u32, u32> Look(bool saved = false) {
        u32 act = 0, action = 0;
        saved ? gBattleCursor.GetSavedLook(&act, &action) : gBattleCursor.GetLook(&act, &action);
        return {act, action};
    }
};

// A line that a log draw puts on screen: the head before the draw.
std::vector<std::string> DrawLog(int draws) {
    std::vector<std::string> shown;
    for (int i = 0; i < draws; ++i) {
        const char* t = gBattleLog.HeadText();
        shown.push_back(t ? t : "");
        gBattleLog.Draw();
    }
    return shown;
}

TEST_F(BattleInput, KeysRepeatFromTheNinthPollClicksCountOnceAndLooksAreRemembered) {
    // A held key repeats from its ninth poll on every second poll.
    const int key = 0xCB;
    // The polls (counted from 1) that report the key, down or up for all of them.
    auto reported = [&](bool down, int polls) {
        PlatformSetKey(key, down);
        std::vector<int> v;
        for (int poll = 1; poll <= polls; ++poll) {
            gBattleKeys.Poll();
            if (gBattleKeys.Pressed(key)) v.push_back(poll);
        }
        return v;
    };
    EXPECT_EQ(reported(true, 20), (std::vector<int>{1, 9, 11, 13, 15, 17, 19}));
    // Ignored while down, it repeats no more until let go; pressed again, it
    // is reported on the first poll it is down.
    gBattleKeys.IgnoreHeld();
    // Braced, so the calls run in order.
    EXPECT_EQ((std::tuple{reported(true, 12), reported(false, 1), reported(true, 1)}),
              std::tuple(std::vector<int>{}, std::vector<int>{}, std::vector<int>{1}));
    EXPECT_EQ(
        std::tuple(gBattleKeys.HeldTicks(key), gBattleKeys.Pressed(-1), gBattleKeys.Pressed(256)),
        std::tuple(1, false, false));
    PlatformSetKey(key, false);

    // The first new key is the lowest of the keys that went down.
    PlatformSetKey(0x50, true);
    gBattleKeys.Poll();
    for (u8 k : {0x3D, 0x3B}) PlatformSetKey(k, true);
    gBattleKeys.Poll();
    // 0x50 is older; of the two new ones the lowest code counts.
    EXPECT_EQ(std::tuple(gBattleKeys.FirstNewKey(), gBattleKeys.FirstDownKey()),
              std::tuple(0x3B, 0x3B));
    gBattleKeys.Poll();
    EXPECT_EQ(gBattleKeys.FirstNewKey(), -1);

    // Clicks count only on the poll the button went down.
    std::vector<u32> clicks, held;
    for (bool down : {false, true, true, false, true}) {
        PlatformSetMouseButtons(down, false);
        gBattleCursor.Poll();
        clicks.push_back(gBattleCursor.Clicked(kMouseLeft | kMouseRight));
        held.push_back(gBattleCursor.Held(kMouseLeft));
    }
    EXPECT_EQ(std::tuple(clicks, held),
              std::tuple(std::vector<u32>{0, 1, 0, 0, 1}, std::vector<u32>{0, 1, 1, 0, 1}));

    // Looks remember the one they replace; the cursor stays on the screen.
    gBattleCursor.SetLook(kCursorAutoAct, 0);
    gBattleCursor.SetLook(kCursorAutoAct, 0);  // already current: the saved look stays 9101
    EXPECT_EQ(Look(true).first, kCursorLookAct);
    gBattleCursor.RestoreLook();
    EXPECT_EQ(Look().first, kCursorLookAct);
    gBattleCursor.SetPos(700, -5);
    i32 x = 0, y = 0;
    gDInput.ReadMouse(&x, &y);
    EXPECT_EQ(std::tuple(x, y), std::tuple(639, 0));
}

TEST(BattleLog, LinesTakeTurnsTheRingHoldsThirtyOneAndLongLinesAreCut) {
    // One line stays for 41 draws; three at once take turns.
    Harness h;
    ASSERT_EQ(gBattleLog.Add("one"), 1);
    std::vector<std::string> shown = DrawLog(43);
    EXPECT_EQ(std::tuple(std::count(shown.begin(), shown.end(), "one"), gBattleLog.Empty()),
              std::tuple(41, true));

    gBattleLog.Add("a");
    gBattleLog.Add("b");
    gBattleLog.Printf("%s%d", "c", 3);
    shown = DrawLog(44);
    EXPECT_EQ(
        std::tuple(shown[0], shown[1], shown[43], std::count(shown.begin(), shown.end(), "c3")),
        std::tuple("a", "b", "", 41));

    // The ring holds 31 lines; a reset frees them; long lines are cut between characters.
    for (int i = 0; i < 31; ++i) ASSERT_EQ(gBattleLog.Printf("line %d", i), 1) << i;
    EXPECT_EQ(std::tuple(gBattleLog.Add("32nd"), gBattleLog.Count()), std::tuple(0, 31));
    EXPECT_STREQ(gBattleLog.HeadText(), "line 0");
    // A new battle starts empty; the sanitizer build sees any line left behind.
    gBattleLog.Reset();
    EXPECT_EQ((std::tuple{gBattleLog.Empty(), gBattleLog.Add("again")}), (std::tuple{true, 1}));

    // 70 two-byte characters after one or two ASCII bytes: the 127-byte limit
    // keeps 63 of them after "x" and 62 after "xy", never half of one.
    for (std::string text : {"x", "xy"}) {
        const size_t kept = text.size() == 1 ? 127 : 126;
        for (int i = 0; i < 70; ++i) text += "\xA4\x40";
        gBattleLog.Reset();
        ASSERT_EQ(gBattleLog.Printf("%s", text.c_str()), 1);
        EXPECT_EQ(std::string(gBattleLog.HeadText()), text.substr(0, kept));
    }
}

// List rows as {id, number, icon, disabled}.
using RowList = std::vector<std::array<i32, 4>>;

struct BattleList : BattleInput {
    cBattleList list;
    // One tick with the key pressed, then a released poll so the next press is new.
    i32 Press(u8 code, int times = 1) {
        i32 r = 0;
        for (int i = 0; i < times; ++i) {
            PlatformSetKey(code, true);
            Poll();
            r = list.Input();
            PlatformSetKey(code, false);
            Poll();
        }
        return r;
    }
    i32 Idle() {
        Poll();
        return list.Input();
    }
    // The cursor moved to (x, y) for one tick.
    void MouseTo(i32 x, i32 y) {
        gDInput.SetMousePos(x, y);
        Idle();
    }
    void Buttons(bool left, bool right) {
        PlatformSetMouseButtons(left, right);
        Idle();
    }
    void SlideIn() {
        for (int i = 0; i < 5; ++i) ASSERT_EQ(Idle(), kListRunning);
        ASSERT_EQ(list.y, kListShownY);
    }
    void Rows(int n) {
        list.Begin("t");
        for (int i = 0; i < n; ++i) list.Add(i, -1, 0, "row", 3, "", 0, false);
        SlideIn();
    }
    // Until the list has slid away: its result.
    i32 Close() {
        for (int i = 0; i < 10; ++i)
            if (const i32 r = Idle(); r != kListRunning) return r;
        return 99;
    }
    // The first n rows (all by default).
    RowList Shown(int n = -1) const {
        RowList v;
        for (int i = 0; i < (n < 0 ? list.count : n); ++i) {
            const ListRow& r = list.rows[i];
            v.push_back({r.id, r.number, r.icon, r.disabled});
        }
        return v;
    }
    // The thumb on its track, the selection a row, the view row the selection's place in the view.
    void ExpectValid() const {
        EXPECT_EQ(std::tuple(0 <= list.thumb && list.thumb <= kThumbTravel,
                             0 <= list.selected && list.selected < list.count, list.top >= 0,
                             0 <= list.viewRow && list.viewRow < kListViewRows, list.viewRow),
                  std::tuple(true, true, true, true, list.selected - list.top));
    }
};

constexpr char kB5[] = "\xA4\xA4";  // one Big5 character

std::string Text(bool leadAscii, int big5Chars) {
    std::string s = leadAscii ? "a" : "";
    for (int i = 0; i < big5Chars; ++i) s += kB5;
    return s;
}

TEST(BattleListText, DescriptionsBreakAtCharacterBoundariesWithin30Bytes) {
    struct Case {
        std::string text;
        std::vector<size_t> lengths;  // worked out by hand
    };
    const Case cases[] = {
        {Text(false, 10), {20}},          // 20 bytes: one line
        {Text(true, 10), {21}},           // 21
        {Text(true, 14), {29}},           // 29
        {Text(false, 15), {30}},          // 30: exactly one full line
        {Text(true, 15), {29, 2}},        // 31: the 15th character would cross byte 30
        {Text(true, 30), {29, 30, 2}},    // 61
        {std::string(31, 'x'), {30, 1}},  // plain bytes break at 30
    };
    for (const Case& c : cases) {
        const DescLines d = BreakDescription(c.text.data(), c.text.size());
        std::vector<size_t> lengths;
        std::string joined;
        for (int i = 0; i < d.count; ++i) {
            lengths.push_back(d.length[i]);
            joined += c.text.substr(d.start[i], d.length[i]);
        }
        EXPECT_EQ(std::tuple(lengths, joined), std::tuple(c.lengths, c.text)) << c.text.size();
    }
    EXPECT_EQ(std::tuple(DescBoxHeight(1), DescBoxHeight(3)), std::tuple(24, 64));
}

TEST_F(BattleList, ItemRowsAreOwnedBattleItemsNamesStayInTheirFieldAndAtMost256) {
    // Items 0-4 as below, then 295 more battle items owned once each.
    gItems = Table<ItemData>(300, &gItemCount);
    gOwnedItems = Table<i32>(300);
    const i32 owned[5] = {3, 0, -4, 7, 2}, place[5] = {2, 2, 3, 3, 1};
    for (int i = 0; i < 300; ++i) {
        gOwnedItems[i] = i < 5 ? owned[i] : 1;
        gItems[i].usePlace = i < 5 ? place[i] : 2;
        gItems[i].icon = i < 5 ? 10 + i : 0;
        if (i >= 5) continue;
        std::memset(gItems[i].name, 'A' + i, sizeof(gItems[i].name));  // no end mark
        std::memset(gItems[i].description, 'z', sizeof(gItems[i].description));
    }
    list.Begin("x");
    FillItemRows(list);
    // 1 owns none, 2 owns a negative count, 4 is for the map; 297 qualify, 256 are kept.
    ASSERT_EQ(list.count, kListMaxRows);
    EXPECT_EQ(Shown(3), (RowList{{0, 3, 10, 0}, {3, 7, 13, 0}, {5, 1, 0, 0}}));
    EXPECT_EQ(std::tuple(std::string(list.rows[1].name), std::string(list.rows[1].description),
                         list.rows[255].id, list.Add(999, 0, 0, "n", 1, "", 0, false), list.count),
              std::tuple(std::string(32, 'D'), std::string(52, 'z'), 258, false, kListMaxRows));
}

TEST_F(BattleList, SkillsSummonsFormsCreatureMagicAndThrowsByTheirRules) {
    gSkills = Table<SkillData>(230, &gSkillCount);
    for (int i = 0; i < 230; ++i) gSkills[i].id = i;
    auto skill = [](i32 id, i32 category, i32 mpCost, i32 icon = 0) {
        gSkills[id] = {.id = id, .category = category, .mpCost = mpCost, .icon = icon};
    };
    skill(5, 3, 8);
    skill(6, 3, 30);
    skill(7, 0, 4);
    skill(201, 2, 50);  // form 1's summon
    skill(203, 6, 0);   // form 3's skill is no summon
    const LevelUpSkill ups[4] = {{5, 1}, {6, 9}, {7, 1}, {5, 1}};
    std::copy(ups, ups + 4, gLevelUpSkills[2]);
    gLearnedSkills[2][0] = gLearnedSkills[2][1] = gLearnedSkills[2][2] = 1;

    list.Begin("x");
    FillSkillRows(list, 2, 3, 20);
    // Row 3 repeats skill 5 but is not learned; 6 costs 30 MP, the fighter has 20.
    EXPECT_EQ(Shown(), (RowList{{5, 8, 0, 0}, {6, 30, 0, 1}}));

    for (int k : {1, 3}) PutGameFlag(300 + k, 1);
    list.Begin("x");
    FillSummonRows(list, 60);
    EXPECT_EQ(Shown(), (RowList{{201, 50, 0, 0}}));

    gGodForms[1].actionCost = 10;
    gGodForms[1].offerValue = 9;  // too few offerings
    gGodForms[3].actionCost = gGodForms[3].offerValue = 10;
    list.Begin("x");
    FillFormRows(list, 10);
    EXPECT_EQ(Shown(), (RowList{{1, 10, -1, 1}, {3, 10, -1, 0}}));
    list.Begin("x");
    FillFormRows(list, 9);
    EXPECT_EQ(list.rows[1].disabled, 1);  // the fighter's MP is below the cost

    MonsterData m{};
    const MonsterSkill specials[5] = {{0, 3}, {-7, 3}, {7, 1}, {5000, 1}, {6, 1}};
    std::copy(specials, specials + 5, m.specials);
    m.healSkill = {5, 2};
    skill(7, 0, 4, 12);
    skill(5, 3, 8, 14);
    list.Begin("x");
    FillCreatureMagicRows(list, m, 10);
    // 0, negative and past-the-table ids are no skill; the healing special's row comes last.
    EXPECT_EQ(Shown(), (RowList{{7, 4, 12, 0}, {6, 30, 0, 1}, {5, 8, 0, 0}}));

    // Worn pieces are never thrown.
    for (EquipageData& e : gOwnedEquipage) e.id = -1;
    gOwnedEquipage[4] = {.id = 1, .kind = 1};
    gOwnedEquipage[9] = {.id = 1, .kind = 1, .icon = 6};
    for (RoleData& r : gRoles)
        for (i32& e : r.equip) e = -1;
    gRoles[3].equip[kSlotWeapon] = 4;
    std::ranges::copy(std::array{3, -1}, gParty);
    list.Begin("x");
    FillThrowRows(list);
    EXPECT_EQ(Shown(), (RowList{{9, 0, 6, 0}}));
}

TEST_F(BattleList, KeysMoveTheSelectionAndPagingStopsAtTheEnds) {
    // After each run of presses: the selection, the view's top row, the thumb
    // (-1: not checked) and the highlighted view row.
    const struct Step {
        int rows;  // a fresh list of that many rows first (0: the same list)
        u8 key;
        int times;
        i32 selected, top, thumb, viewRow;
    } steps[] = {
        {20, kScanUp, 1, 0, 0, -1, 0},
        {0, kScanPgDn, 1, 6, 6, 7 * 80 / 20, 0},
        {0, kScanPgDn, 2, 18, 18, -1, 0},  // 12 was below 20 - 6: the last page shows two rows
        {0, kScanPgDn, 1, 19, 18, 80, 1},  // within six of the end: the last row
        {0, kScanPgUp, 1, 13, 12, -1, 1},
        {0, kScanUp, 8, 5, 5, -1, 0},
        {0, kScanPgUp, 1, 0, 0, 0, 0},
        {0, kScanDown, 7, 7, 2, -1, 5},  // the view scrolled once the sixth row was passed
        // Ten rows: a page down heads the view with row 6 and highlights its first line.
        {10, kScanPgDn, 1, 6, 6, -1, 0},
        {0, kScanDown, 1, 7, 6, -1, 1},
        {0, kScanPgDn, 1, 9, 6, -1, 3},  // no full page below 6: the top stays, the last row
        {0, kScanPgUp, 1, 3, 0, -1, 3},
    };
    for (const Step& s : steps) {
        if (s.rows) Rows(s.rows);
        const i32 result = Press(s.key, s.times);
        SCOPED_TRACE(testing::Message() << "to " << s.selected);
        EXPECT_EQ(std::tuple(result, list.selected, list.top, list.viewRow,
                             s.thumb < 0 ? -1 : list.thumb),
                  std::tuple(kListRunning, s.selected, s.top, s.viewRow, s.thumb));
        ExpectValid();
    }
}

TEST_F(BattleList, DisabledAndEmptyListsCannotBeConfirmed) {
    list.Begin("x");
    list.Add(1, -1, 9, "dear", 4, "", 0, true);
    list.Add(2, -1, 1, "cheap", 5, "", 0, false);
    SlideIn();
    Press(kScanEnter);
    EXPECT_EQ(list.confirmed, 0);
    for (u8 key : {kScanDown, kScanEnter}) Press(key);
    EXPECT_EQ(Close(), kListConfirmed);
    EXPECT_EQ(std::tuple(list.Selected()->id, list.open), std::tuple(2, 0));

    Rows(0);
    for (u8 key : {kScanEnter, kScanPgDn, kScanDown}) Press(key);
    EXPECT_EQ(std::tuple(list.confirmed, list.selected), std::tuple(0, 0));
    Press(kScanEsc);
    EXPECT_EQ(Close(), kListCancelled);
}

TEST_F(BattleList, DragsToTheTrackEndsAndMouseOverRowsSelectAndRightClickCancels) {
    Rows(40);
    gDInput.SetMousePos(list.x + 150, list.ThumbTop());
    Buttons(true, false);
    // Half the travel: 40 x 40 / 80 - 1; at the bottom the dragged-to row heads the view.
    const struct {
        i32 y, thumb, selected, top;
    } drags[] = {{50 + 40, 40, 19, -1}, {479, 80, 39, 39}, {0, 0, 0, 0}};
    for (const auto& d : drags) {
        MouseTo(list.x + 150, d.y);
        EXPECT_EQ(std::tuple(list.thumb, list.selected, d.top < 0 ? -1 : list.top,
                             d.top < 0 ? 0 : list.viewRow),
                  std::tuple(d.thumb, d.selected, d.top, 0))
            << d.y;
    }
    Buttons(false, false);
    Rows(1);  // one row: the thumb still has a place to be grabbed
    gDInput.SetMousePos(list.x + 150, list.ThumbTop());
    Buttons(true, false);
    EXPECT_EQ(list.dragging, 1);
    Buttons(false, false);

    Rows(10);
    // A row's line, the last pixel row of the sixth line, then past the screen's corner.
    const struct {
        i32 x, y, selected;
    } overs[] = {{300, 45 + 3 * 20 + 5, 3}, {300, 160, 5}, {2000, -300, 5}};
    for (const auto& o : overs) {
        MouseTo(o.x, o.y);
        EXPECT_EQ(list.selected, o.selected) << o.y;
    }
    Buttons(false, true);
    PlatformSetMouseButtons(false, false);
    EXPECT_EQ(Close(), kListCancelled);
}

struct BattleMenu : BattleInput {
    cCommandMenu menu;
    MonsterData monsters[6] = {};

    void SetUp() override {
        BattleInput::SetUp();
        gSmartMouse = 0;
        gSkills = Table<SkillData>(40, &gSkillCount);
        menu.Reset();
    }
    void Fresh() {
        ResetBattleSides();
        menu.Reset();
    }

    // A fighter in slot i of a side, front row, standing at (x, z).
    static cFighter& Place(cBattleSide& side, int i, i32 kind, cFighterStats stats, i32 x, i32 z) {
        cFighter& f = side.fighters[i];
        f.Reset();
        f.flags = cFighter::kInUse | cFighter::kTaken;
        f.kind = kind;
        f.status = 0;
        f.stats = stats;
        f.row = 1;
        f.x = f.homeX = x;
        f.z = f.homeZ = z;
        side.count = std::max(side.count, i + 1);
        ++side.memberCount;
        return f;
    }
    // A ready party member of role r at slot i, front row.
    cFighter& Member(int i, i32 role, i32 hp = 100, i32 mp = 30) {
        cFighter& f = Place(gPartySide, i, kKindParty, cFighterStats::OfRole(&gRoleStats[role & 7]),
                            500 - 60 * i, 300);
        f.pic = static_cast<u32>(role);
        f.maxHp = 100;
        f.hp = hp;
        f.maxMp = f.mp = mp;
        f.gauge = 255;
        f.attackKind = 1;
        return f;
    }
    cFighter& Enemy(int i, i32 row, i32 kind = 0) {
        monsters[i].kind = kind;
        cFighter& f = Place(gEnemySide, i, kKindEnemy, cFighterStats::OfMonster(&monsters[i]),
                            100 + 70 * i, 200);
        f.pic = 0;
        f.maxHp = f.hp = 50;
        f.row = row;
        return f;
    }
    void Learn(i32 role, int k, i32 skill, i32 category, i32 target = 3, i32 cost = 5) {
        gSkills[skill] = {.id = skill, .category = category, .mpCost = cost, .target = target};
        gLevelUpSkills[role][k] = {skill, 1};
        gLearnedSkills[role][k] = 1;
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            Poll();
            menu.Input();
        }
    }
    // Each key pressed for a tick and let go for a tick, in turn; then ticks more.
    void Press(std::initializer_list<u8> codes, int ticks = 0) {
        for (u8 code : codes) {
            PlatformSetKey(code, true);
            Tick();
            PlatformSetKey(code, false);
            Tick();
        }
        Tick(ticks);
    }
    // Chooses the commanded fighter and lets the panel and the ring come in.
    void RingIn() { Tick(12); }
    // The highlight stays where the last fighter left it.
    void ChooseRow(int r, int ticks = 0) {
        for (int k = 0; k < kRingRows && menu.row != r; ++k) Press({kScanDown});
        Press({kScanEnter}, ticks);
    }
    std::vector<i32> Enabled(i32 role) const {
        std::vector<i32> v;
        for (const CommandRow& r : gCommandRows[role]) v.push_back(r.enabled);
        return v;
    }
};

TEST_F(BattleMenu, RowsOpenByRoleMpFormsOnTheFieldAndSpellBan) {
    const struct Case {
        i32 role, mp;
        u32 status, realTime;
        bool form;                               // a god/demon form stands: no fleeing
        std::vector<std::array<i32, 2>> skills;  // learned: skill, category
        std::vector<i32> want;
    } cases[] = {
        // Rows: attack defend wait flee item steal magic chant.
        {2, 4, 0, 0, true, {{3, 6}}, {1, 1, 1, 0, 1, 0, 1, 0}},
        // Role 0 under a spell ban keeps only the healing and strike rows it has learned.
        {0, 5, kStSpellBan, 1, false, {{4, 3}, {5, 0}}, {1, 1, 0, 1, 1, 1, 1, 1}},
        // Role 1: summons and divine arts close under the ban although learned.
        {1, 30, kStSpellBan, 1, false, {{6, 1}}, {1, 1, 0, 1, 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Fresh();
        Member(0, c.role, 100, c.mp).status = c.status;
        Enemy(0, 1);
        if (c.form) Enemy(1, 1, 1);
        for (size_t k = 0; k < c.skills.size(); ++k)
            Learn(c.role, static_cast<int>(k), c.skills[k][0], c.skills[k][1]);
        gRealTimeBattle = c.realTime;
        RingIn();
        ASSERT_EQ(menu.current, &gPartySide.fighters[0]) << c.role;
        EXPECT_EQ(Enabled(c.role), c.want) << c.role;
    }
}

TEST_F(BattleMenu, AttackPicksAFrontRowEnemyAndHandsOverCode2) {
    cFighter& a = Member(0, 3);
    Enemy(0, 2);  // back row: a melee attack cannot reach it
    cFighter& e1 = Enemy(1, 1);
    cFighter& e2 = Enemy(2, 1);
    RingIn();
    EXPECT_EQ(gEnemySide.fighters[0].gaugesFrozen, 1);
    ChooseRow(0, 1);
    EXPECT_EQ(std::tuple(menu.blinkEnemy, e1.IsBlinking()), std::tuple(1, true));
    Press({kScanDown});
    EXPECT_EQ(menu.blinkEnemy, 2);
    Press({kScanDown});  // cycles over the front row only
    EXPECT_EQ(menu.blinkEnemy, 1);
    Press({kScanUp, kScanEnter});
    EXPECT_EQ(std::tuple(a.command, a.targets[0], e2.attackedBy, e2.IsBlinking(), menu.current,
                         a.IsGlowing(), gEnemySide.fighters[0].gaugesFrozen),
              std::tuple(kCmdAttack, &e2, &a, false, static_cast<cFighter*>(nullptr), false, 0));
}

TEST_F(BattleMenu, EachRowHandsOverItsCommandCode) {
    struct Case {
        i32 role;
        int row;
        i32 code;
        bool targeted;
        bool onAlly = false;
    } cases[] = {
        {3, 1, kCmdDefend, false}, {3, 3, kCmdFlee, false},
        {2, 5, kCmdTheft, true},   {0, 5, kCmdCapture, true},
        {7, 5, kCmdAirRaid, true}, {3, 7, kCmdSkillStrike, true},
        {1, 6, kCmdMagic, false},  {0, 7, kCmdSkillStrike, true, true},
    };
    for (const Case& c : cases) {
        Fresh();
        cFighter& a = Member(0, c.role);
        cFighter& e = Enemy(0, 1);
        Enemy(1, 1);
        Learn(3, 0, 7, 0, 3);  // a strike at one foe
        Learn(1, 0, 8, 1, 4);  // a spell on every foe
        Learn(0, 0, 9, 0, 1);  // a strike skill aimed at one ally
        RingIn();
        ChooseRow(c.row, 7);  // a skill list slides in, or the target is marked
        if (menu.list.open) {
            Press({kScanEnter}, 6);
        }
        if (c.targeted) Press({kScanEnter});
        SCOPED_TRACE(testing::Message() << c.role << " row " << c.row);
        EXPECT_EQ(a.command, c.code);
        if (c.targeted) {
            EXPECT_EQ(a.targets[0], c.onAlly ? &a : &e);
        }
        if (c.code == kCmdMagic) {
            EXPECT_EQ(std::tuple(a.targets[1], a.skillInUse),
                      std::tuple(&gEnemySide.fighters[1], &gSkills[8]));
        }
    }
}

TEST_F(BattleMenu, CaptureRefusesAGodDemonForm) {
    cFighter& a = Member(0, 0);
    Enemy(0, 1, 1);
    cFighter& e = Enemy(1, 1);
    RingIn();
    ChooseRow(5, 1);
    ASSERT_EQ(menu.blinkEnemy, 0);
    Press({kScanEnter});
    EXPECT_EQ(a.command, kCmdNone);
    Press({kScanDown, kScanUp});
    EXPECT_EQ(Look().first, kLookBadTarget);
    Press({kScanDown});
    EXPECT_EQ(Look().first, kLookTarget);
    Press({kScanEnter});
    EXPECT_EQ(std::tuple(a.command, a.targets[0]), std::tuple(kCmdCapture, &e));
}

TEST_F(BattleMenu, CancelGoesFromTargetToListToRing) {
    cFighter& a = Member(0, 4);
    cFighter& b = Member(1, 4);
    b.status = kStDying;
    Enemy(0, 1);
    gItems = Table<ItemData>(3, &gItemCount);
    gOwnedItems = Table<i32>(3);
    gItems[1] = {.id = 1, .statusEffect = kStatusEffectRevive, .usePlace = 2, .target = 1};
    gOwnedItems[1] = 2;
    RingIn();
    ChooseRow(4, 6);  // the item list slides down
    ASSERT_EQ(std::tuple(menu.list.open, menu.list.count), std::tuple(1, 1));
    Press({kScanEnter}, 6);  // and away again
    ASSERT_EQ(menu.item, &gItems[1]);
    EXPECT_EQ(menu.blinkParty, 0);
    Press({kScanEsc});  // target → list
    EXPECT_EQ(menu.item, nullptr);
    Tick(2);
    EXPECT_EQ(menu.list.open, 1);
    Tick(5);
    Press({kScanEsc}, 6);  // list → ring
    EXPECT_EQ(std::tuple(menu.chosen, menu.list.open, menu.current), std::tuple(0, 0, &a));

    // Again, this time onto the dying member with the revive item.
    Tick(4);  // the ring slides back in first
    EXPECT_EQ(menu.ringX, kRingInX);
    Press({kScanEnter}, 7);
    Press({kScanEnter}, 6);
    Press({kScanDown});
    EXPECT_EQ(menu.blinkParty, 1);
    Press({kScanEnter});
    EXPECT_EQ(std::tuple(a.command, a.itemInUse, a.targets[0]),
              std::tuple(kCmdItem, &gItems[1], &b));
}

TEST_F(BattleMenu, WaitingMembersTakeTurnsWithTheirMarks) {
    cFighter& a = Member(0, 3);
    cFighter& b = Member(1, 3);
    Enemy(0, 1);
    auto waitTurn = [&](cFighter& who) {
        RingIn();
        EXPECT_EQ(menu.current, &who);
        ChooseRow(2, 1);
    };
    waitTurn(a);
    EXPECT_EQ(std::tuple(a.ordered, a.command), std::tuple(1, kCmdNone));
    waitTurn(b);
    // Everybody waited: the next in turn loses its mark and is commanded again.
    EXPECT_EQ(std::tuple(b.ordered, a.ordered), std::tuple(1, 0));
    waitTurn(a);
    RingIn();
    EXPECT_EQ(std::tuple(menu.current, b.ordered), std::tuple(&b, 0));
}

TEST_F(BattleMenu, TransformOpensFromExactlyHalfHp) {
    cFighter& a = Member(0, 5, 50);  // max HP 100: 50 is half
    Member(1, 3);
    Enemy(0, 1);
    PutGameFlag(302, 1);
    gGodForms[2].actionCost = 10;
    gGodForms[2].offerValue = 20;
    RingIn();
    const i32 atHalf = gCommandRows[5][5].enabled;
    a.hp = 49;
    Tick();
    ChooseRow(5);
    EXPECT_EQ(std::tuple(atHalf, gCommandRows[5][5].enabled, menu.chosen), std::tuple(1, 0, 0));
    a.hp = 50;
    Tick();
    Press({kScanEnter}, 6);
    ASSERT_EQ(menu.list.count, 1);
    Press({kScanEnter}, 7);
    EXPECT_EQ(std::tuple(a.command, a.formToAdd), std::tuple(kCmdTransform, &gGodForms[2]));
}

TEST_F(BattleMenu, CreatureRingPaysItsOfferingAndKeepsMagicUnderBan) {
    gPartySide.creatureInControl = 1;
    cFighter& c = Member(0, 0);
    gPartySide.creature.offerValue = 10;
    gPartySide.creature.actionCost = 3;
    gPartySide.creature.kind = 1;
    c.kind = kKindAdded;
    c.stats = cFighterStats::OfMonster(&gPartySide.creature);
    c.status = kStSpellBan;
    cFighter& e = Enemy(0, 1);
    PlatformSetKey(kScanDown, true);  // down from before the ring came in: it moves nothing
    Tick(20);
    ASSERT_EQ(menu.current, &c);
    EXPECT_EQ(std::tuple(menu.ringX, menu.row), std::tuple(kCreatureRingInX, 0));
    PlatformSetKey(kScanDown, false);
    Tick();
    Press({kScanUp, kScanUp});
    // Banned magic, highlighted.
    EXPECT_EQ(std::tuple(menu.row, menu.creatureIcons[2].action), std::tuple(2, 32));
    Press({kScanEnter});
    EXPECT_EQ(menu.chosen, 0);
    Press({kScanDown, kScanDown, kScanEnter}, 1);
    Press({kScanEnter});
    EXPECT_EQ(std::tuple(c.command, c.targets[0], gPartySide.creature.offerValue),
              std::tuple(kCmdAttack, &e, 7));

    c.command = kCmdNone;
    Tick(6);
    ASSERT_EQ(menu.current, &c);
    Press({kScanDown, kScanEnter}, 1);  // 0 → 3, the release row
    EXPECT_EQ(std::tuple(c.command, gPartySide.creature.offerValue),
              std::tuple(kCmdEndTransform, 7));
}

TEST_F(BattleMenu, BadPictureNumbersAndStrayMiceAreHarmless) {
    Member(0, 9);
    Enemy(0, 1);
    gDInput.SetMousePos(5000, -5000);
    Tick(20);
    EXPECT_EQ(std::tuple(menu.current, CommandRole(gPartySide.fighters[0])),
              std::tuple(static_cast<cFighter*>(nullptr), -1));
    PlatformSetMouseButtons(true, true);
    Tick(3);
    PlatformSetMouseButtons(false, false);
    menu.Draw();
    EXPECT_EQ(gPartySide.fighters[0].command, kCmdNone);
}

struct BattleMenuArt : BattleMenu {
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        BattleMenu::SetUp();
    }
    // A one-row list shown with the given icon and description, over white.
    static void DrawOneRow(i32 icon, const std::string& text) {
        cBattleList list;
        list.Begin("t");
        list.Add(1, icon, 0, "a", 1, text.c_str(), text.size(), false);
        list.y = kListShownY;
        std::fill_n(gPaintBuf, 640 * 480, 0xFFFF);
        list.Draw(false);
    }
};

TEST_F(BattleMenuArt, AClickOnARingPointHighlightsThatRow) {
    Member(0, 3);
    Enemy(0, 1);
    RingIn();
    for (int k : {3, 7, 1, 6, 2, 5, 4, 0}) {
        gDInput.SetMousePos(gRingPoints[k].x, gRingPoints[k].y);
        Tick();
        EXPECT_EQ(menu.row, k);
    }
    PlatformSetMouseButtons(true, false);
    Tick();
    PlatformSetMouseButtons(false, false);
    EXPECT_EQ(std::tuple(menu.chosen, menu.code), std::tuple(1, kRingAttack));
    menu.Draw();
    EXPECT_TRUE(h.boxes().empty());
}

TEST_F(BattleMenuArt, DescriptionBoxIsTwentyPixelsALinePlusFourAndIconsPastTheActDrawNothing) {
    for (int lines : {2, 1}) {
        DrawOneRow(-1, std::string(lines == 2 ? 31 : 20, 'x'));  // 31 bytes: 30 + 1
        const int top = kListShownY + 19, bottom = top + 20 * lines + 4;
        EXPECT_EQ(
            (std::array<u16, 4>{At(kListX + 200, bottom - 1), At(kListX + 200, bottom),
                                At(kListX + 160 + 207, top + 1), At(kListX + 160 + 208, top + 1)}),
            (std::array<u16, 4>{0, 0xFFFF, 0, 0xFFFF}))
            << lines;
    }
    // An empty description draws no box on the member list.
    DrawOneRow(-1, "");
    EXPECT_EQ(At(kListX + 161, kListShownY + 21), 0xFFFF);

    auto iconPixel = [&](i32 icon) {
        DrawOneRow(icon, "");
        return At(kListX + 21, kListShownY + 21);
    };
    const u16 none = iconPixel(-1);
    EXPECT_NE(iconPixel(3), none);
    EXPECT_EQ(std::tuple(iconPixel(45), iconPixel(4000)), std::tuple(none, none));
    EXPECT_TRUE(h.boxes().empty());
}

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
            EXPECT_EQ(At(0, 30), LayerPx(kBackdropAct, 1, {0, 30}));
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
            EXPECT_EQ(At(kLayerProbe[k].x, kLayerProbe[k].y), LayerPx(kBackdropAct, k)) << k;
    });
    RunBattle(1, [&](u32 phase, int) {
        if (phase == kPhaseMain) {
            EXPECT_EQ(At(kLayerProbe[2].x, kLayerProbe[2].y), LayerPx(kHarbourAct, 2));
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
    EXPECT_EQ(std::tuple(At(sx - 1, 30), At(sx, 30), At(64, sy < 0 ? 479 : 0)),
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
        EXPECT_EQ(std::tuple(At(e.x, e.y), At(e.otherX, e.otherY)),
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
    EXPECT_EQ(At(0, 10), PlainColour(15001, 0));
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(At(kLayerProbe[k].x + sx, kLayerProbe[k].y + gBattleScene.ShakeY()),
                  TintRef(LayerPx(kBackdropAct, k), -5))
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
        TapKey(h, static_cast<u8>(gKeyBindings[kKeyAutoAttack]), 0);
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

// A close-combat member's attack while every living foe stands in the back
// row finds nobody to mark. Esc or a right click still leaves the pick; back
// on the ring Tab and the auto key are heard, and the waiting battle goes on.
TEST(BattleMenuPlay, AnAttackWithNobodyToMarkIsLeftAndTheBattleGoesOn) {
    for (bool mouse : {false, true}) {
        Harness h;
        ASSERT_TRUE(RingWalk::StartBattle(h, sample_battle::kTownEncounter));
        ASSERT_EQ(gRealTimeBattle, 0u);
        RingWalk w{h};
        ASSERT_TRUE(h.RunUntil([&] { return w.RingReady(); }, 400));
        cFighter* me = w.menu.Current();
        me->attackKind = 1;
        for (int i = 0; i < gEnemySide.count; ++i) gEnemySide.fighters[i].row = 2;
        gEnemySide.frontCount = 0;
        for (int k = 0; k < kRingRows && w.menu.row != 0; ++k) TapKey(h, kScanUp);
        TapKey(h, kScanEnter);
        h.RunFrames(20);
        ASSERT_EQ(std::tuple(w.menu.Chosen(), w.menu.blinkEnemy, me->command),
                  std::tuple(true, -1, kCmdNone));
        w.Back(mouse);
        // Tab hands the ring to the next member, who defends; the foes then
        // get their turns.
        for (int i = 0; i < gPartySide.count; ++i) gPartySide.fighters[i].gauge = kGaugeFull;
        TapKey(h, kScanTab);
        ASSERT_TRUE(h.RunUntil([&] { return w.RingReady() && w.menu.Current() != me; }, 12));
        auto foeActs = [] {
            for (int i = 0; i < gEnemySide.count; ++i)
                if (gEnemySide.fighters[i].command != kCmdNone) return true;
            return false;
        };
        bool acted = false;
        for (int turn = 0; turn < 12 && !acted; ++turn) {
            if (w.RingReady()) w.Defend();
            acted = h.RunUntil([&] { return foeActs() || w.RingReady(); }, 600) && foeActs();
        }
        EXPECT_TRUE(acted) << mouse;
        ASSERT_TRUE(h.RunUntil([&] { return w.RingReady(); }, 600));
        TapKey(h, static_cast<u8>(gKeyBindings[kKeyAutoAttack]));
        EXPECT_EQ(gBattleController.autoBattle, 1) << mouse;
    }
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

}  // namespace
