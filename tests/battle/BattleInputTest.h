// A fixture for the battle's own keyboard and mouse: scripted input with clean
// data and key bindings, polled the way the battle frame polls it.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>

#include "battle/BattleKeys.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "engine/DInput.h"
#include "platform/Input.h"
#include "support/Harness.h"
#include "support/Input.h"

struct BattleInputTest : ::testing::Test {
    Harness h;
    void SetUp() override {
        InputPlatformReset();
        ASSERT_EQ(gDInput.Init(nullptr, nullptr), 0);
        gBattleKeys.Clear();
        gBattleCursor.Init();
        ResetGameData();
        ResetGameFlags();
        ResetKeyBindings();
    }
    void TearDown() override { InputPlatformReset(); }
    static void Poll() {
        gBattleKeys.Poll();
        gBattleCursor.Poll();
    }
    // A table of n zeroed records, owned by the data module (freed by its reset).
    template <class Rec>
    static Rec* Table(i32 n) {
        return static_cast<Rec*>(std::calloc(static_cast<size_t>(n), sizeof(Rec)));
    }
};
