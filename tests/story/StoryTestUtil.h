// Helpers of the story tests: talk files from assembler source, a player on
// the map, and running the interpreter frame by frame.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shell/Main.h"
#include "map/SceneStandIn.h"
#include "mhdata/StoryAsm.h"
#include "story/Talk.h"
#include "support/Harness.h"

inline std::vector<u8> Assemble(const std::string& src) {
    std::vector<u8> bytes;
    std::string error;
    EXPECT_TRUE(AssembleTalkFile(src, &bytes, &error)) << error;
    return bytes;
}

struct StoryFixture : ::testing::Test {
    Harness h;
    ActPlayer playerAct;

    void SetUp() override {
        std::filesystem::create_directories(h.Path("MH_Data"));
        gMapRoleCount = 1;
        gPlayerSlot = 0;
        gPlayerId = 1;
        gMapRoles[0].x = 64;
        gMapRoles[0].y = 64;
        gMapRoles[0].state = kRoleShown;
        gMapRoles[0].roleId = 1;
        gMapRoles[0].act = &playerAct;
    }

    void WriteTalkFile(int file, const std::vector<u8>& bytes) {
        WriteHostFile(h.Path("MH_Data/Talk" + std::to_string(file) + ".dat"), bytes);
    }
    void WriteTalks(int file, const std::string& src) { WriteTalkFile(file, Assemble(src)); }

    // Adds a role at (x, y) with that id; returns its slot.
    int AddRole(u16 id, u16 x, u16 y, ActPlayer* act = nullptr) {
        int slot = gMapRoleCount++;
        gMapRoles[slot].x = x;
        gMapRoles[slot].y = y;
        gMapRoles[slot].state = kRoleShown;
        gMapRoles[slot].roleId = id;
        gMapRoles[slot].act = act;
        return slot;
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
