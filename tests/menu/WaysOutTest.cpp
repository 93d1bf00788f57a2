// Every way out of the menu pages through the real tick: the page it leads to,
// its sound, and whether the row that led to the page (gKeyFocus) is kept.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/MenuSession.h"

namespace {

enum Way { kTab0, kTab1, kTab2, kTab3, kRightClick, kCancelKey, kF1, kF2, kF3, kF4 };
const char* const kWayNames[] = {"tab 0",      "tab 1", "tab 2", "tab 3", "right click",
                                 "cancel key", "F1",    "F2",    "F3",    "F4"};

struct WaysOut : MenuTest {
    // Opens page n from the map; the focus word is the row that leads there
    // (the items page's side rows 1-3), or one set here to see it change.
    void OpenPage(u32 n) {
        CloseToMap(h);
        if (n == 23 || n == 24) {
            Tap(kScanF2);
            h.RunFrames(3);
            if (n == 24) {
                ClickSide(0);
                h.RunFrames(2);
            }
            gKeyFocus = 4;
        } else {
            OpenItems();
            gKeyFocus = 5;
            if (n != 2) {
                ClickSide(n == 17 ? 3 : static_cast<int>(n) - 2);  // side rows 1-3
                h.RunFrames(2);
            }
        }
        ASSERT_EQ(gFrameId, kScreenBit | n);
        ASSERT_EQ(gFramePhase, 1u);
        sounds.Clear();
    }
    void Leave(Way way) {
        const u8 fKeys[4] = {kScanF1, kScanF2, kScanF3, kScanF4};
        if (way <= kTab3) {
            ClickTab(way - kTab0);
        } else if (way == kRightClick) {
            RightClick();
        } else if (way == kCancelKey) {
            Tap(kScanEsc);
        } else {
            PlatformSetKey(fKeys[way - kF1], true);
            h.RunFrames(1);
            PlatformSetKey(fKeys[way - kF1], false);
        }
    }
};

TEST_F(WaysOut, EachPagesTabsKeysAndBackOut) {
    // The items page: tabs and F2-F4 start the next page on its first row.
    // Equipment (side row 1): F1 forgets the row, the tab and right click keep it.
    // Offering (side row 2): F1-F4 forget the row, the tab and backing out keep it.
    // Transformation (side row 3): F1 keeps the row as well. Then the skills page
    // and its list.
    // Page, way out, the frame it leads to, its sound, the focus word after.
    const std::tuple<u32, Way, u32, int, i32> cases[] = {
        {2, kTab1, 23, 261, 0},      {2, kTab2, 25, 261, 0},      {2, kTab3, 13, 261, 0},
        {2, kF2, 23, 261, 0},        {2, kF3, 25, 261, 0},        {2, kF4, 13, 261, 0},
        {3, kTab0, 2, 261, 1},       {3, kRightClick, 2, 263, 1}, {3, kF1, 2, 261, 0},
        {4, kTab0, 2, 261, 2},       {4, kRightClick, 2, 263, 2}, {4, kCancelKey, 2, 263, 2},
        {4, kF1, 2, 263, 0},         {4, kF2, 23, 261, 0},        {4, kF3, 25, 261, 0},
        {4, kF4, 13, 261, 0},        {17, kTab0, 2, 261, 3},      {17, kRightClick, 2, 263, 3},
        {17, kCancelKey, 2, 263, 3}, {17, kF1, 2, 263, 3},        {17, kF2, 23, 261, 0},
        {17, kF3, 25, 261, 0},       {17, kF4, 13, 261, 0},       {23, kF1, 2, 261, 0},
        {23, kF3, 25, 261, 0},       {23, kF4, 13, 261, 0},       {24, kF1, 2, 261, 0},
        {24, kF3, 25, 261, 0},       {24, kF4, 13, 261, 0}};
    for (const auto& [page, way, frame, sound, focus] : cases) {
        SCOPED_TRACE(testing::Message() << "page " << page << ", " << kWayNames[way]);
        OpenPage(page);
        Leave(way);
        EXPECT_EQ(gKeyFocus, focus);
        EXPECT_EQ(sounds.played(), (std::vector<int>{sound}));
        EXPECT_EQ(FinishClose(), kScreenBit | frame);
    }
}

}  // namespace
