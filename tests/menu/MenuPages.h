// Helpers shared by the menu pages' tests: a control's text, place and
// picture, and a page opened through a side row of the items page.
#pragma once
#include <string>
#include <utility>

#include "platform/TextCodec.h"
#include "menu/AbilityPanel.h"
#include "support/MenuSession.h"
#include "ui/ActPic.h"
#include "ui/Control.h"

inline std::string Big5(const char* utf8) {
    return Utf8ToBig5(utf8);
}
inline std::string Text(const cControl* c) {
    return c && c->text ? c->text : "";
}
// Where a control stands, (-1, -1) for none.
inline std::pair<i32, i32> Spot(const cControl* c) {
    return c ? std::pair{c->x, c->y} : std::pair{-1, -1};
}
// The action of a control's picture, -1 for none.
inline int Action(const cControl* c) {
    return c && c->normalPic ? c->normalPic->player.action : -1;
}

// Whether slot k of the ability panel is made and shown.
inline bool PanelShown(int k) {
    return gAbilityPanel.slots[k] && gAbilityPanel.slots[k]->shown;
}

struct MenuPageTest : MenuTest {
    // The items page, then its side row r into page n, open and running.
    void OpenSide(int r, u32 n) {
        OpenItems();
        ClickSide(r);
        h.RunFrames(2);
        ASSERT_EQ(gFrameId, kScreenBit | n);
        ASSERT_EQ(gFramePhase, 1u);
    }
};
