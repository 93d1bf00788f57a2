// What the shop screens share: control ids, category captions, the tab bar,
// the money and time lines, the sell side's detail-panel captions, LeaveShop.
#pragma once
#include <cstddef>

#include "base/Types.h"
#include "menu/MenuFrame.h"

class cActPic;
class cControl;
class cGrpFont;

constexpr i32 kShopAct = 9907;
constexpr i32 kPortraitAct = 9904;
constexpr i32 kShopTabId = 7000;       // tabs 7000..7003
constexpr i32 kShopCategoryId = 7010;  // category buttons 7010 + category
constexpr int kShopTabCount = 4;
constexpr int kSellCategoryCount = 7;  // the six stocked ones and monsters
constexpr int kShopPortraits = 8;
constexpr u32 kShopWhite = 0xFFFFFF;
constexpr u32 kMoneyCap = 0x7FFFFFFF;

enum ShopTab { kTabBuy, kTabSell, kTabEnhance, kTabLeave };

// UTF-8 captions: tabs, category buttons, buy-side and sell-side titles.
extern const char* const kShopTabNames[kShopTabCount];
extern const char* const kCategoryCaptions[kSellCategoryCount];
extern const char* const kBuyTitles[kSellCategoryCount];
extern const char* const kSellTitles[kSellCategoryCount];

// The four tabs of a shop screen; the strengthening tab only when the open
// shop offers it. ownSide's tab shows its current-side look.
struct ShopTabBar {
    cControl* tab[kShopTabCount] = {};
    void Make(int ownSide);
    // Ids 7000 + k on every made tab, or 0 on all of them.
    void SetClickable(bool on);
    static bool Exists(int k);
    static i32 X(int k);
    static MenuSpot Cursor(int k);
    // The made tab to the left or right of tab k, wrapping around.
    static int Left(int k);
    static int Right(int k);
};

// The money as the shop reads it: a stored value above the cap reads as the cap.
i32 ShopMoney();
// "%d:%02d:%02d" of the game time, hours counted modulo 60.
void FormatShopTime(char* out, size_t n);
void SetupShopFont(cGrpFont* f, i32 size, u32 shadow);
// A hidden tooltip line at (60, 18).
cControl* MakeShopTooltip(cGrpFont* font);
// The portrait picture of each role (roles 0 and 1 trade them while flag 324 is set).
void MakeShopPortraits(cActPic* out[kShopPortraits]);
// Money at (320, 440) and game time at (540, 440).
void MakeMoneyAndTime(cGrpFont* font, const i32* money, const char* timeText);
// The caption (UTF-8) of the sell side's detail-panel area under (x, y), or
// null; the strengthening screen's panel sits dx to the left.
const char* DetailPanelCaption(i32 x, i32 y);

// Ends a shop visit: the goods lists go, map mode comes back, the mouse is reset.
void LeaveShop();

// A right click or the cancel key: clears the right click, plays 263, true.
bool ShopCancelPressed();
// Shows the tooltip with a UTF-8 caption.
void ShowShopTip(cControl* tooltip, const char* utf8);
// A front screen's or list's key on a tab: the target's cursor point, or
// false when the key goes to the first list place (*toList).
MenuSpot ShopTabKey(int k, MenuKey key, bool* toList);
