// A headless duel: the sample game's acts loaded, one party fighter and one
// enemy (more on request) over records the test owns, stepped tick by tick as
// the battle frame steps them, with random draws answered per range.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "battle/BattleLogSink.h"
#include "battle/BattleRandom.h"
#include "battle/BattleScene.h"
#include "battle/BattleSide.h"
#include "battle/BattleSprite.h"
#include "battle/BattleSpriteSink.h"
#include "battle/DrawList.h"
#include "battle/Fighter.h"
#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/Config.h"
#include "platform/TextCodec.h"
#include "support/Harness.h"

// Every draw RandomN(n) answers the next value queued for n, else the default
// for n: no critical, no evasion, a clean hit, no wake-up, no on-hit code, the
// middle variation, no counter.
struct DuelDraws {
    static inline std::map<u32, std::deque<u32>> queued;
    static inline std::vector<u32> asked;
    static u32 Default(u32 n) {
        switch (n) {
            case 100:
                return 50;
            case 27:
                return 13;
            case 5:
                return 3;
            default:
                return 0;
        }
    }
    static u32 Draw(u32 n) {
        asked.push_back(n);
        auto it = queued.find(n);
        if (it == queued.end() || it->second.empty()) return Default(n);
        const u32 v = it->second.front();
        it->second.pop_front();
        return v;
    }
};

class DuelTest : public ::testing::Test {
protected:
    void SetUp() override {
        h_.WriteSample();
        h_.StartGame();
        LoadGameDatabase(gBasePath);
        ResetBattleSides();
        ResetBattleSprites();
        gDrawList.Clear();
        ClearLoggedBattleLines();
        ClearShownFighterFloats();
        DuelDraws::queued.clear();
        DuelDraws::asked.clear();
        spawned.clear();
        SetBattleRandomSource(&DuelDraws::Draw);
    }
    void TearDown() override { SetBattleRandomSource(nullptr); }

    // The next answers for draws of range n.
    static void Queue(u32 n, std::initializer_list<u32> v) {
        for (u32 x : v) DuelDraws::queued[n].push_back(x);
    }

    // A fighter in slot i of its side: HP 100/100, MP 50/50, attack 100,
    // defence 50, hit 80, evasion 30, agility 10, in the front row, waiting.
    cFighter& Add(bool party, int i, u32 act) {
        cBattleSide& side = party ? gPartySide : gEnemySide;
        MonsterData& m = records_[party ? i : 8 + i];
        m = MonsterData{};
        m.maxHp = m.hp = 100;
        m.maxMp = m.mp = 50;
        m.hitRate = 80;
        m.evasion = 30;
        m.agility = 10;
        m.level = 1;
        m.expValue = 20;
        m.gold = 7;
        m.theftItem = -1;
        m.dropItem = -1;
        for (i32& r : m.ratios) r = 100;
        std::snprintf(m.name, sizeof(m.name), "%s", party ? "P" : "E");
        cFighter& f = side.fighters[i];
        f.Reset();
        f.flags = cFighter::kInUse | cFighter::kTaken;
        f.kind = party ? kKindParty : kKindEnemy;
        f.pic = party ? 0 : 5;
        f.act = act;
        f.facing = party ? 4 : 5;
        f.slot = i;
        f.x = f.homeX = party ? 440 + 20 * i : 200 - 20 * i;
        f.z = f.homeZ = party ? 300 + 10 * i : 200 + 10 * i;
        f.stats = cFighterStats::OfMonster(&m);
        f.status = 0;
        f.maxHp = f.hp = f.shownHp = 100;
        f.maxMp = f.mp = f.shownMp = 50;
        f.attack = 100;
        f.defence = 50;
        f.hitRate = 80;
        f.evasionRate = f.magicEvasionRate = 30;
        f.attackKind = 1;
        f.hitAct = 7246;
        f.row = f.homeRow = 1;
        f.gauge = 0;
        f.SetAction(kStateWaiting, 1, 0);  // past the pose of its last turn
        if (side.count <= i) side.count = i + 1;
        ++side.memberCount;
        ++side.frontCount;
        return f;
    }
    cFighter& Party(int i = 0) { return Add(true, i, 1000); }
    cFighter& Enemy(int i = 0) { return Add(false, i, 3005); }
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
    static size_t Spawned(u32 act) {
        size_t n = 0;
        for (u32 a : spawned) n += a == act;
        return n;
    }
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

    static std::string Line(const char* utf8, const char* a = "", const char* b = "") {
        char buf[200];
        std::snprintf(buf, sizeof(buf), Utf8ToBig5(utf8).c_str(), a, b);
        return buf;
    }
    static std::vector<std::string> Lines() { return LoggedBattleLines(); }
    // How often text floated over the fighter.
    static size_t CountFloats(const cFighter& f, const char* text) {
        size_t n = 0;
        for (const ShownFloat& s : ShownFighterFloats())
            if (s.fighter == &f && s.text == text) ++n;
        return n;
    }

    Harness h_;
    MonsterData records_[16] = {};
    static inline std::vector<u32> spawned;
};
