// Driving the sample game as a player does, through the real tick: the title's
// new game, arrow keys to a cell, taps of confirm, the question answered.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <tuple>

#include "data/GameFlags.h"
#include "engine/DInput.h"
#include "map/KeyCole.h"
#include "map/RoleTable.h"
#include "shell/Settings.h"
#include "mhdata/SampleTalks.h"
#include "platform/Input.h"
#include "platform/Win.h"
#include "story/Dialog.h"
#include "story/Talk.h"
#include "support/Harness.h"
#include "support/Input.h"
#include "ui/ScreenState.h"

constexpr u8 kArrowUp = 200, kArrowDown = 208, kArrowLeft = 203, kArrowRight = 205;

struct SampleSession {
    Harness& h;

    RoleSlot& P() { return gMapRoles[gPlayerSlot]; }
    static u8 Confirm() { return static_cast<u8>(gMapKeyCodes[keyEntry::kConfirm]); }
    void Tap(u8 code) { TapKey(h, code); }
    static bool TalkFree() {
        return gTalkContext.owner == kTalkFree && !(gTalkFlags & kTalkLockBit) && gDialogs.empty();
    }
    // Taps confirm until the talk has ended: a few boxes, and a tick for each
    // item the talk gives (the opening gives some thirty, one a tick).
    bool ConfirmUntilTalkEnds() {
        for (int i = 0; i < 60 && !TalkFree(); ++i) {
            Tap(Confirm());
            h.RunFrames(3);
        }
        return TalkFree();
    }
    // Moves the cursor to (x, y) with the mouse counters.
    void PointAt(i32 x, i32 y) {
        for (int i = 0; i < 4; ++i) {
            i32 cx = 0, cy = 0;
            gDInput.ReadMouse(&cx, &cy);
            if (std::abs(cx - x) <= 1 && std::abs(cy - y) <= 1) break;
            PlatformMoveMouse((x - cx) / 2, (y - cy) / 2);  // the sample's speed 2.0
            if (std::abs(x - cx) == 1 || std::abs(y - cy) == 1) break;
        }
        h.RunFrames(1);
    }
    // A left click where the cursor is: press, release, then the run that reads it.
    void Click() { PressMouse(h, true, false, 2); }
    // Holds an arrow key until the player is half a cell from cell (cx, cy):
    // control reads a key as down for one frame after its release, so the key
    // goes up during the last step for the player to stop on the cell.
    void WalkToCell(u8 code, int cx, int cy) {
        auto near = [&] { return std::abs(P().x - cx * 16) + std::abs(P().y - cy * 16) <= 8; };
        PlatformSetKey(code, true);
        bool there = h.RunUntil(near, 400);
        PlatformSetKey(code, false);
        ASSERT_TRUE(there) << P().x << "," << P().y;
        h.RunFrames(8);
        ASSERT_EQ(std::tuple(P().x, P().y), std::tuple(cx * 16, cy * 16));
    }
    // Walks to each cell in turn, holding the arrow key given with it.
    void Walk(std::initializer_list<std::tuple<u8, int, int>> legs) {
        for (auto [key, cx, cy] : legs) ASSERT_NO_FATAL_FAILURE(WalkToCell(key, cx, cy));
    }
    // Title, opening video skipped, new game clicked where the cursor starts (on
    // the focused "new game" button).
    void NewGameFromTheTitle() {
        h.StartSample();
        h.RunFrames(1);
        h.PostKeyUp(VK_ESCAPE);  // the first title of a run plays the opening video
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kScreenBit | 0);
        Click();
        ASSERT_TRUE(h.RunUntil([] { return gFrameId == kMapMode; }, 20));
        // Walks are not cut short by encounters: a test that wants a battle starts it.
        SetGameFlag(kFlagNoEncounters);
    }
    static constexpr i32 kFlagNoEncounters = 323;
    // A new game with its opening words read to their end.
    void PastTheOpening() {
        ASSERT_NO_FATAL_FAILURE(NewGameFromTheTitle());
        ASSERT_TRUE(h.RunUntil([] { return !gDialogs.empty(); }, 20));
        ASSERT_TRUE(ConfirmUntilTalkEnds());
    }
    // Walks from the start down the street and right up to the person with the
    // question, stopping on the cell in front of it. Returns the person's slot.
    int WalkToTheQuestion() {
        int person = FindRoleById(kSampleLookerRole);
        EXPECT_GT(person, 0);
        if (person <= 0) return -1;
        int w, hh;
        RoleFootprint(&P(), &w, &hh);
        int row = gMapRoles[person].y / 16, column = gMapRoles[person].x / 16 - w;
        Walk({{kArrowDown, P().x / 16, row}, {kArrowRight, column, row}});
        return person;
    }
};
