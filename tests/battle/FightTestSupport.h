// Shared set-up of the fighter tests: clean battle and data globals, a scripted
// random source that records what each draw asked for, and fighters over
// records the test owns.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "battle/BattleLogSink.h"
#include "battle/BattleRandom.h"
#include "battle/BattleSide.h"
#include "battle/BattleSpriteSink.h"
#include "battle/Fighter.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "platform/TextCodec.h"

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

class FightTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameFlags();
        ResetGameData();
        ResetBattleSides();
        ResetBattleRandom();
        ClearLoggedBattleLines();
        ClearShownFighterFloats();
        ScriptedDraws::values.clear();
        ScriptedDraws::asked.clear();
        ScriptedDraws::overrun = 0;
        SetBattleRandomSource(&ScriptedDraws::Draw);
    }
    void TearDown() override {
        EXPECT_EQ(ScriptedDraws::overrun, 0) << "more draws than the test scripted";
        ResetBattleRandom();
        ResetBattleSides();
        ResetGameData();
        ClearLoggedBattleLines();
        ClearShownFighterFloats();
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
        f.row = 1;
        f.attackKind = 1;
        f.hitRate = 80;
        f.evasionRate = f.magicEvasionRate = 30;
        f.SetAction(1, 0, 0);
        return f;
    }
    MonsterData& Record(int k) { return records_[k]; }

    // The numbers floated over fighters so far, with their kinds.
    static std::vector<std::pair<std::string, FloatKind>> Floats() {
        std::vector<std::pair<std::string, FloatKind>> v;
        for (const ShownFloat& s : ShownFighterFloats()) v.push_back({s.text, s.kind});
        return v;
    }

    // Tables of n zeroed records, owned by the data module (freed by its reset).
    template <class Rec>
    static Rec* Table(i32 n) {
        return static_cast<Rec*>(std::calloc(static_cast<size_t>(n), sizeof(Rec)));
    }

    static std::string Line(const char* utf8, const char* nameUtf8) {
        char buf[200];
        std::snprintf(buf, sizeof(buf), "%s", B5(utf8));
        std::string fmt = buf, name = Utf8ToBig5(nameUtf8);
        const size_t at = fmt.find("%s");
        if (at != std::string::npos) fmt.replace(at, 2, name);
        return fmt;
    }

    MonsterData records_[8] = {};
    cFighter fighters_[8];
};
