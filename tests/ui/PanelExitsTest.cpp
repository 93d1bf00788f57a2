// The ways out of the screens that share the system panel: list rows, tabs,
// F1-F4, the right button and the cancel key, each screen's own row or page
// doing nothing, and the keyboard focus handed to the next screen.
#include "menu/MenuState.h"
#include "ui/Screens.h"
#include "ui/SysPanel.h"
#include "support/SysScreenSupport.h"

namespace {

enum class Way { kRow, kTab, kFKey, kRightButton, kCancelKey, kPoint };

struct Exit {
    u32 screen;
    Way way;
    i32 n;      // row, tab, F-key number or y of a point
    u32 next;   // the screen left for; the screen itself: nothing happens; 0: the map
    i32 focus;  // the keyboard focus once left, or -1
};

struct PanelExitsTest : SysScreenTest {
    void Take(const Exit& e) {
        switch (e.way) {
            case Way::kRow:
                ::ClickAt(h, 560, 100 + 40 * e.n, 0);
                break;
            case Way::kTab:
                ::ClickAt(h, TabPointX(e.n), kTabPointY, 0);
                break;
            case Way::kPoint:
                ::ClickAt(h, 560, e.n, 0);
                break;
            case Way::kFKey:
                TapKey(h, static_cast<u8>(kScanF1 + e.n - 1), 0);
                break;
            case Way::kCancelKey:
                TapKey(h, kScanEsc, 0);
                break;
            case Way::kRightButton:
                PlatformSetMouseButtons(false, true);
                h.RunFrames(1);
                PlatformSetMouseButtons(false, false);
                break;
        }
    }
};

TEST_F(PanelExitsTest, EachWayLeadsToItsScreen) {
    const Exit exits[] = {
        // the system menu: its six rows remember the row for the next visit
        {13, Way::kRow, 0, 8, 0},
        {13, Way::kRow, 1, 9, 1},
        {13, Way::kRow, 2, 11, 2},
        {13, Way::kRow, 3, 12, 3},
        {13, Way::kRow, 4, 10, 4},
        {13, Way::kRow, 5, 1, 5},
        {13, Way::kPoint, 340, 13, -1},  // below the last row
        {13, Way::kTab, 1, 23, -1},
        {13, Way::kTab, 3, 13, -1},
        {13, Way::kFKey, 3, 25, 0},
        {13, Way::kRightButton, 0, 0, -1},
        {13, Way::kCancelKey, 0, 0, -1},
        // the settings
        {12, Way::kRow, 4, 10, -1},
        {12, Way::kRow, 3, 12, -1},
        {12, Way::kTab, 0, 2, -1},
        {12, Way::kFKey, 2, 23, -1},
        {12, Way::kRightButton, 0, 13, -1},
        // the quest log
        {10, Way::kRow, 4, 10, -1},
        {10, Way::kRow, 2, 11, -1},
        {10, Way::kTab, 3, 13, -1},
        {10, Way::kFKey, 1, 2, -1},
        {10, Way::kRightButton, 0, 13, -1},
        // the formation's own row
        {11, Way::kRow, 2, 11, -1},
        // the slot screens: F1-F4 hand the next screen a fresh focus
        {8, Way::kFKey, 1, 2, 0},
        {8, Way::kFKey, 2, 23, 0},
        {8, Way::kFKey, 3, 25, 0},
        {8, Way::kFKey, 4, 13, 0},
        {8, Way::kRightButton, 0, 13, -1},
        // the quick-save page: F3 is the page itself
        {25, Way::kFKey, 1, 2, 0},
        {25, Way::kFKey, 2, 23, 0},
        {25, Way::kFKey, 3, 25, -1},
        {25, Way::kFKey, 4, 13, 0},
    };
    for (const Exit& e : exits) {
        SCOPED_TRACE(std::to_string(e.screen) + " way " + std::to_string(int(e.way)) + " " +
                     std::to_string(e.n));
        if (gFramePhase == 1) {  // a screen left open: closed first
            gFramePhase = 2;
            h.RunFrames(1);
        }
        gFrameId = 0;  // whatever it leads to stays unopened
        gFramePhase = 0;
        h.RunFrames(2);
        gMenuRole = 3;
        Open(e.screen);
        gKeyFocus = 3;
        Take(e);
        bool closed = h.RunUntil([] { return gFramePhase == 0; }, 5);
        EXPECT_EQ(closed, e.next != e.screen);
        EXPECT_EQ(gFrameId, e.next == 0 ? 0u : kScreenBit | e.next);
        if (e.focus >= 0) { EXPECT_EQ(gKeyFocus, e.focus); }
        if (e.next == 0) { EXPECT_EQ(gMenuRole, 0u) << "the menu's role is forgotten on the map"; }
    }
}

}  // namespace
