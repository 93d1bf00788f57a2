// Save-file helpers of the tests: a new game in the sample's town, the packed
// blocks read back, and the ways a packed block goes bad.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/ByteIo.h"
#include "engine/Lzo.h"
#include "map/City.h"
#include "mhdata/Maps.h"
#include "shell/Session.h"
#include "support/Harness.h"
#include "ui/MainMenu.h"
#include "ui/Screens.h"
#include "ui/ScreenState.h"
#include "ui/UiInput.h"

// The sample game's title left for a new game standing in the town.
struct SampleTownTest : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        gOpeningVideoPending = 0;  // the sample's video would hold the ticks
        h.RunFrames(2);
        gMainMenuFrame->result = kTitleNone;
        gFramePhase = 2;
        h.RunFrames(1);
        ASSERT_EQ(gFrameId, 0u);
        NewGameData();
        h.RunFrames(1);
        ASSERT_EQ(gMapId, sampleMap::kTown);
    }
    // Opens screen id from map mode and runs its open and one run.
    void Open(u32 id) {
        gFrameId = kScreenBit | id;
        h.RunFrames(2);
        ASSERT_EQ(gFramePhase, 1u);
    }
    // From wherever the game stands to the title, whose load button opens the
    // title's load screen (26).
    void OpenTitleLoad() {
        gFrameId = kScreenBit | 0;
        h.RunFrames(2);
        gMainMenuFrame->result = kTitleResLoad;
        gFramePhase = 2;
        h.RunFrames(3);
        ASSERT_EQ(gFrameId, kScreenBit | 26);
    }
    // A click on control id that the screen reads on the next frame.
    void Click(i32 id, i32 x, i32 y) {
        gMouseInput.x = x;
        gMouseInput.y = y;
        gMouseInput.clickedId = id;
        gMouseInput.MoveCursor(x, y);
        h.RunFrames(1);
    }
    bool BoxSays(const char* caption, const char* text) {
        for (const RecordedBox& b : h.boxes())
            if (b.caption == caption && b.text.find(text) != std::string::npos) return true;
        return false;
    }
};

// Reads one LZO block at off; returns its raw bytes and moves off past it.
inline std::vector<u8> UnpackAt(const std::vector<u8>& f, size_t* off) {
    u32 packed = LoadU32(&f[*off]);
    u32 raw = LoadU32(&f[*off + 4]);
    std::vector<u8> out(raw + 1);
    EXPECT_EQ(
        LzoUnpackExact(&f[*off + 8], static_cast<i32>(packed), out.data(), static_cast<i32>(raw)),
        kLzoOk);
    out.resize(raw);
    *off += 8 + packed;
    return out;
}

// The ways one packed block (its packed and raw sizes, then its bytes) of a save
// or a developer save goes bad: the raw size one short and one long, a packed
// size past the end of the file, packed bytes that do not unpack.
inline std::vector<std::pair<std::string, std::vector<u8>>> BadBlockVariants(
    const std::vector<u8>& good, size_t at) {
    std::vector<std::pair<std::string, std::vector<u8>>> out;
    auto add = [&](const char* what, auto change) {
        std::vector<u8> f = good;
        change(f);
        out.emplace_back(what, std::move(f));
    };
    u32 raw = LoadU32(&good[at + 4]);
    add("raw size one short", [&](std::vector<u8>& f) { StoreU32(&f[at + 4], raw - 1); });
    add("raw size one long", [&](std::vector<u8>& f) { StoreU32(&f[at + 4], raw + 1); });
    add("packed size past the end", [&](std::vector<u8>& f) { StoreU32(&f[at], 0x7FFFFFFF); });
    add("corrupt packed bytes", [&](std::vector<u8>& f) {
        for (size_t i = at + 8; i < at + 8 + LoadU32(&good[at]); ++i) f[i] = 0xEE;
    });
    return out;
}
