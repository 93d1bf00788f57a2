// The shop screens' shared tab bar, captions, money and time lines, and LeaveShop.
#include "shop/ShopCommon.h"

#include <algorithm>

#include "platform/TextCodec.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "data/ShopData.h"
#include "map/StoryLink.h"
#include "ui/ActPic.h"
#include "ui/Control.h"
#include "ui/SysPanel.h"
#include "ui/UiInput.h"

const char* const kShopTabNames[kShopTabCount] = {"買", "賣", "強化", "離開"};
const char* const kCategoryCaptions[kSellCategoryCount] = {
    "武 　器", "盾 　牌", "帽 　子", "甲 　冑", "飾 　品", "物 　品", "怪 　物"};
const char* const kBuyTitles[kSellCategoryCount] = {"買 武 器", "買 盾 牌", "買 帽 子", "買 甲 冑",
                                                    "買 飾 品", "買 物 品", ""};
const char* const kSellTitles[kSellCategoryCount] = {"賣 武 器", "賣 盾 牌", "賣 帽 子", "賣 甲 冑",
                                                     "賣 飾 品", "賣 物 品", "賣 怪 物"};

bool ShopTabBar::Exists(int k) {
    if (k < 0 || k >= kShopTabCount) return false;
    return k != kTabEnhance || gShopStock.enhance == 1;
}

i32 ShopTabBar::X(int k) {
    if (gShopStock.enhance == 1 || k == kTabLeave) return 450 + 45 * k;
    return 495 + 45 * k;
}

MenuSpot ShopTabBar::Cursor(int k) {
    return {X(k) + 32, 34};
}

int ShopTabBar::Left(int k) {
    int to = (k + kShopTabCount - 1) % kShopTabCount;
    return Exists(to) ? to : Left(to);
}

int ShopTabBar::Right(int k) {
    int to = (k + 1) % kShopTabCount;
    return Exists(to) ? to : Right(to);
}

void ShopTabBar::Make(int ownSide) {
    for (int k = 0; k < kShopTabCount; ++k) {
        tab[k] = nullptr;
        if (!Exists(k)) continue;
        tab[k] = new cControl(X(k), 0);
        i32 action = k == ownSide ? k + 5 : k + 1;
        tab[k]->SetPics(new cActPic(kShopAct, action), nullptr, nullptr);
        tab[k]->id = kShopTabId + k;
    }
}

void ShopTabBar::SetClickable(bool on) {
    for (int k = 0; k < kShopTabCount; ++k)
        if (tab[k]) tab[k]->id = on ? kShopTabId + k : 0;
}

i32 ShopMoney() {
    return static_cast<i32>(std::min(gScriptVars[0], kMoneyCap));
}

void FormatShopTime(char* out, size_t n) {
    FormatPlayTime(out, n, gGameTime);
}

void SetupShopFont(cGrpFont* f, i32 size, u32 shadow) {
    InitFont(f);
    SetupFont(f, size, 0, kNoFontBk, shadow);
}

cControl* MakeShopTooltip(cGrpFont* font) {
    cControl* c = new cControl(60, 18);
    c->SetFont(font, kShopWhite, kStyleOutline);
    c->SetText("");
    c->Hide();
    return c;
}

void MakeShopPortraits(cActPic* out[kShopPortraits]) {
    bool swap = GetGameFlag(kLeadSwapFlag) != 0;
    for (int k = 0; k < kShopPortraits; ++k) {
        int shown = swap && k < 2 ? 1 - k : k;
        out[k] = new cActPic(kPortraitAct, 32 + shown);
    }
}

void MakeMoneyAndTime(cGrpFont* font, const i32* money, const char* timeText) {
    cControl* m = new cControl(320, 440);
    m->SetFont(font, kShopWhite, kStyleBoldOutline);
    m->SetNumber(money, 1);
    cControl* t = new cControl(540, 440);
    t->SetFont(font, kShopWhite, kStyleBoldOutline);
    t->SetText(timeText);
}

namespace {
struct DetailRow {
    i32 y0;
    const char* left;
    const char* right;
};
const DetailRow kDetailRows[] = {
    {201, "攻擊力", "防禦力"},
    {223, "命中率", "迴避率"},
    {245, "力量", "耐力"},
    {267, "魔力", "精神"},
    {289, "敏捷", nullptr},
    {320, "受火屬性傷害比例", "受水屬性傷害比例"},
    {342, "受風屬性傷害比例", "受土屬性傷害比例"},
    {364, "受電屬性傷害比例", "受毒屬性傷害比例"},
    {386, "受光屬性傷害比例", "受闇屬性傷害比例"},
    {408, "正常", "沈睡"},
};
}  // namespace

const char* DetailPanelCaption(i32 x, i32 y) {
    if (y >= 138 && y < 194 && x >= 173 && x < 370) return "特殊能力";
    for (const DetailRow& row : kDetailRows) {
        if (y < row.y0 || y >= row.y0 + 19) continue;
        if (x >= 181 && x < 200) return row.left;
        if (x >= 277 && x < 296) return row.right;
    }
    return nullptr;
}

void LeaveShop() {
    for (ShopCategory& c : gShopStock.cat) std::deque<u32>().swap(c.ids);
    gFrameId = kMapMode;
    gMouseInput.Reset();
}

bool ShopCancelPressed() {
    if (!gMouseInput.rightClick && !gKeyInput.IsPressed(kKeyCancel)) return false;
    gMouseInput.rightClick = 0;
    PlayUISound(263);
    return true;
}

void ShowShopTip(cControl* tooltip, const char* utf8) {
    if (!tooltip || !utf8) return;
    tooltip->SetText(B5(utf8));
    tooltip->Show();
}

MenuSpot ShopTabKey(int k, MenuKey key, bool* toList) {
    *toList = key == MenuKey::Down || key == MenuKey::Switch;
    if (key == MenuKey::Left) return ShopTabBar::Cursor(ShopTabBar::Left(k));
    if (key == MenuKey::Right) return ShopTabBar::Cursor(ShopTabBar::Right(k));
    return ShopTabBar::Cursor(k);
}
