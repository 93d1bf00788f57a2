// A fixture for the menu pages: the sample game in map mode with the opening
// talk over (the party of six, the goods and the money it gives), and the
// interface sounds recorded; the shops open from a shop file written here.
#pragma once
#include <gtest/gtest.h>

#include "data/GameData.h"
#include "menu/ItemMenuFrame.h"
#include "mhdata/Shops.h"
#include "story/PartyCommands.h"
#include "support/SampleSession.h"
#include "support/SoundRecorder.h"
#include "support/SysScreenSupport.h"
#include "ui/ScreenLink.h"
#include "ui/UiInput.h"

// Closes the open screen as its own way out would, then goes back to map
// mode; a screen left open would be deleted while still drawn when reopened.
inline void CloseToMap(Harness& h) {
    if (gFrameId != kMapMode) {
        gFramePhase = 2;
        h.RunFrames(1);
    }
    gFrameId = kMapMode;
    gFramePhase = 0;
    h.RunFrames(1);
}

// Where a control stands, (-1, -1) for none.
inline std::pair<i32, i32> Spot(const cControl* c) {
    return c ? std::pair{c->x, c->y} : std::pair{-1, -1};
}

struct MenuTest : SysScreenTest {
    SoundRecorder sounds;

    void SetUp() override {
        SysScreenTest::SetUp();
        ASSERT_TRUE(SampleSession{h}.ConfirmUntilTalkEnds());
        h.RunFrames(2);
        sounds.Clear();
    }
    // F1 on the map, as the player presses it.
    void PressF1OnTheMap() {
        Tap(kScanF1);
        h.RunFrames(2);
    }
    void OpenItems() {
        PressF1OnTheMap();
        ASSERT_EQ(gFrameId, kScreenBit | 2u);
        ASSERT_NE(gItemMenuFrame, nullptr);
        h.RunFrames(2);
        sounds.Clear();
    }
    cItemMenuFrame& Page() { return *gItemMenuFrame; }
    // From the map, side row r of the page that key opens (F1 the items page,
    // F2 the skills page) into page n, open and running.
    void OpenSide(int r, u32 n, u8 key = kScanF1) {
        CloseToMap(h);
        Tap(key, 4);
        sounds.Clear();
        ClickSide(r);
        h.RunFrames(4);
        ASSERT_EQ(std::make_pair(gFrameId, gFramePhase), std::make_pair(kScreenBit | n, 1u));
    }
    // Writes a shop file with this one shop (number 7) and opens its buy side.
    void OpenShop(bool enhance, std::vector<ShopDef::Category> cats) {
        WriteHostFile(h.Path("game/MH_Data/tore.dat"), MakeShopFile({{7, enhance, cats}}));
        ASSERT_EQ(LoadShop(7), 1);
        h.RunFrames(3);
        ASSERT_EQ(gFrameId, kScreenBit | 18u);
        sounds.Clear();
    }
    // Points of the page's controls: side row r, a party slot, a tab.
    void ClickSide(int r) { ClickAt(520, 104 + 40 * r); }
    void ClickSlot(int k) {
        MenuSpot s = cPartySlots::CursorSpot(k);
        ClickAt(s.x, s.y);
    }
    void ClickTab(int k) { ClickAt(470 + 45 * k, 20); }
    // Row j of an open list, inside the name column.
    void ClickRow(int j) { ClickAt(520, 108 + 24 * j); }
    // Owns exactly the given items, one piece each unless said otherwise.
    static void OwnOnly(std::initializer_list<i32> ids, i32 count = 1) {
        for (i32 i = 0; i < gItemCount; ++i) gOwnedItems[i] = 0;
        for (i32 id : ids) gOwnedItems[id] = count;
    }
    static void SetParty(std::initializer_list<i32> roles) {
        for (i32& p : gParty) p = -1;
        int k = 0;
        for (i32 r : roles) gParty[k++] = r;
    }
};
