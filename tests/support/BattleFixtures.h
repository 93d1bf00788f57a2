// Shared by the battle tests: pixel references written apart from the painter,
// scripted random draws, the fighter fixtures over hand-built records, scripted
// battle input, and the sample backdrop's layer probes.
#pragma once

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
#include "battle/BattleSpriteSink.h"
#include "battle/DrawList.h"
#include "battle/Fighter.h"
#include "battle/FighterAct.h"
#include "battle/FighterDraw.h"
#include "battle/HitRules.h"
#include "battle/SpritePools.h"
#include "data/Config.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/DrawTestUtil.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Random.h"
#include "engine/Tsw.h"
#include "map/MapManage.h"
#include "map/RoleTable.h"
#include "map/StoryLink.h"
#include "mhdata/Databases.h"
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

// Pixel expectations written apart from the painter: a picture's plain colour
// (the blend and tint rules are the drawing tests' own).
// The screen value of a picture's pixel (x, y) (0 where transparent), drawn
// plainly into a scratch buffer.
inline u16 PlainColourAt(u16 pic, u16 frame, int x, int y) {
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
inline u16 PlainColour(u16 pic, u16 frame) {
    return PlainColourAt(pic, frame, 0, 0);
}

// The plain colour of the picture an act's action shows first (0xDEAD when there is none).
inline u16 ActColour(u32 act, u32 action) {
    ActPlayer p;
    p.act = act;
    p.action = action;
    return TakeActData(&p) ? PlainColour(p.pic, p.frame) : 0xDEAD;
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
        h_.StartSample();
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
    // The party's slot 0, or its slots 0 and 1 (Members), against the enemies' slot 0.
    std::pair<cFighter&, cFighter&> Duel() { return {Party(), Enemy()}; }
    std::pair<cFighter&, cFighter&> Members() {
        Enemy();
        return {Party(0), Party(1)};
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

// A point of the sample's backdrop where layer k (1..3) is the uppermost at rest.
struct LayerPoint {
    int x, y;
};
constexpr LayerPoint kLayerProbe[4] = {{0, 0}, {150, 60}, {150, 160}, {8, 400}};

// The screen colour of layer k of a backdrop at its point (x, y), by default
// its probe.
inline u16 LayerPx(u32 act, int k, LayerPoint at = {-1, -1}) {
    if (at.x < 0) at = kLayerProbe[k];
    return PlainColourAt(static_cast<u16>(act), static_cast<u16>(k - 1), at.x, at.y);
}

constexpr cFighter* kNobody = nullptr;

}  // namespace
