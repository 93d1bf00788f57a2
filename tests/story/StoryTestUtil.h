// Helpers of the story tests: talk files from assembler source, a player on
// the map, running the interpreter frame by frame, and the headers the story
// tests share.
#pragma once
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/ByteIo.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "engine/DDraw.h"
#include "engine/DInput.h"
#include "engine/GrpFont.h"
#include "engine/PixelFormat.h"
#include "map/ActDraw.h"
#include "map/City.h"
#include "map/NewGame.h"
#include "mhdata/Archives.h"
#include "mhdata/InterfaceArt.h"
#include "mhdata/SampleTalks.h"
#include "mhdata/StoryAsm.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"
#include "shell/Main.h"
#include "story/Countdowns.h"
#include "story/Dialog.h"
#include "story/ScriptScene.h"
#include "story/Talk.h"
#include "story/Trigger.h"
#include "support/Harness.h"

// The error boxes shown so far, taken off the harness's list.
inline size_t TakeBoxes(Harness& h) {
    size_t n = h.boxes().size();
    h.boxes().clear();
    return n;
}

// A left click where the cursor stands, as TriggerStory reads it: the press,
// then the release.
inline void ClickHere() {
    PlatformSetMouseButtons(true, false);
    TriggerStory();
    PlatformSetMouseButtons(false, false);
}

inline std::vector<u8> Assemble(const std::string& src) {
    std::vector<u8> bytes;
    std::string error;
    EXPECT_TRUE(AssembleTalkFile(src, &bytes, &error)) << error;
    return bytes;
}

// A dialogue spec of this speaker and text (which ends with "%Q").
inline DialogSpec Spec(u16 speaker, const char* text) {
    DialogSpec s;
    std::tie(s.speaker, s.text, s.textLen) =
        std::tuple(speaker, text, static_cast<u32>(std::strstr(text, "%Q") - text));
    return s;
}

// A box set up from s and put on the list.
inline DialogRecord* Show(const DialogSpec& s, const char* caption = nullptr) {
    auto r = std::make_unique<DialogRecord>();
    EXPECT_EQ(SetupDialog(r.get(), s, caption, caption ? 1 : 0), 1);
    DialogRecord* box = r.get();
    AppendDialog(std::move(r));
    return box;
}

// 26-byte role records of these ids on map, words 10 and 12 given, then the end row.
inline std::vector<u8> RoleRecords(std::initializer_list<u16> ids, u16 map, u16 word10,
                                   u16 word12) {
    std::vector<u8> r;
    for (u16 id : ids) {
        size_t at = r.size();
        r.resize(at + 26);
        StoreU16(&r[at], map);
        StoreU16(&r[at + 2], id);
        StoreU16(&r[at + 20], word10);
        StoreU16(&r[at + 24], word12);
    }
    r.resize(r.size() + 26);
    StoreU16(&r[r.size() - 26], 0xFFFF);
    return r;
}

struct StoryFixture : ::testing::Test {
    Harness h;
    ActPlayer playerAct;

    void SetUp() override {
        std::filesystem::create_directories(h.Path("MH_Data"));
        gMapRoleCount = 0;
        gPlayerSlot = AddRole(1, 64, 64, &playerAct);
        gPlayerId = 1;
    }

    void WriteTalkFile(int file, const std::vector<u8>& bytes) {
        WriteHostFile(h.Path("MH_Data/Talk" + std::to_string(file) + ".dat"), bytes);
    }
    void WriteTalks(int file, const std::string& src) { WriteTalkFile(file, Assemble(src)); }
    // Talk 1 of these commands, started by owner; Run also runs it to its end.
    void Start(const std::string& body, u16 owner = 1) {
        WriteTalks(1, "talk 1\n " + body + "\n End\n");
        StartTalk(1, owner);
    }
    int Run(const std::string& body, u16 owner = 1) {
        Start(body, owner);
        return RunUntilFree(50);
    }

    // Adds a role at (x, y) with that id; returns its slot.
    int AddRole(u16 id, u16 x, u16 y, ActPlayer* act = nullptr) {
        RoleSlot& r = gMapRoles[gMapRoleCount];
        std::tie(r.x, r.y, r.state, r.roleId, r.act) = std::tuple(x, y, kRoleShown, id, act);
        return gMapRoleCount++;
    }

    // Starts talk n of the player and runs frames until it ends or limit frames pass.
    int RunTalk(int n, int limit = 50, u16 owner = 1) {
        StartTalk(static_cast<u16>(n), owner);
        return RunUntilFree(limit);
    }
    int RunUntilFree(int limit) {
        int frames = 0;
        while (TalkRunning() && frames < limit) {
            gFrameTime += 35;
            Talk(&gTalkContext);
            ++frames;
        }
        return frames;
    }
};
