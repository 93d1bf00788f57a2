// Every text of the shop's lists and quantity box, the strengthening counter,
// the skill list's title, the transformation page's marked form, the system list, the battle's
// command panel, its list and the fighters' plates stands out from the sample art under it: on the
// screen as the real tick draws it, the text's pixels differ in brightness from the box around them
// by a clear margin. The plates' two numbers keep apart, and no caption of
// a button stands out of its button. The sample's pictures as a player meets
// them: the pier's deck under every place of the pier fight, each person's
// face in the clothes of their figure, small pictures drawn and icons that
// keep to their rows and fighters.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "battle/BattleController.h"
#include "battle/BattleLists.h"
#include "battle/BattleMenu.h"
#include "battle/BattleFiles.h"
#include "battle/BattleSide.h"
#include "data/GameData.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/Tsw.h"
#include "map/MapManage.h"
#include "mhdata/Archives.h"
#include "mhdata/SampleBattle.h"
#include "support/MenuSession.h"
#include "ui/ActPic.h"

namespace {

// Brightness 0..255 of a canvas pixel (stored 5-5-5 once converted back).
int Brightness(u16 canvas) {
    const u16 c = ConvertPixelBack(canvas);
    const int r = (c >> 10 & 31) * 255 / 31, g = (c >> 5 & 31) * 255 / 31, b = (c & 31) * 255 / 31;
    return (2 * r + 5 * g + b) / 8;
}

// A text in colour ink (stored 5-5-5) somewhere inside the box x, y, w, h;
// an outlined text names its outline, which does not count as the box.
struct TextSpot {
    const char* what;
    i32 x, y, w, h;
    u16 ink, outline = 0xFFFF;
};

constexpr u16 kBlack = 0, kWhite = 0x7FFF, kBlue = 31, kDarkRed = 18 << 10;
constexpr int kMargin = 120;

struct ReadableTextTest : MenuTest {
    // The text's pixels, and the colour most often found beside them that is
    // not the ink: the box under the text. Fails when there is no text there.
    void ExpectReadable(const TextSpot& t) {
        // Text drawn in a screen colour and art stored in 5-5-5 meet here.
        auto inked_at = [&](i32 x, i32 y) { return ConvertPixelBack(CanvasAt(x, y)) == t.ink; };
        const u16 ink = ConvertPixel(t.ink);
        std::map<u16, int> beside;
        int inked = 0;
        for (i32 y = t.y; y < t.y + t.h; ++y)
            for (i32 x = t.x; x < t.x + t.w; ++x) {
                if (!inked_at(x, y)) {
                    // Under outlined text: the box is what lies round the outline.
                    if (t.outline != 0xFFFF && ConvertPixelBack(CanvasAt(x, y)) != t.outline)
                        ++beside[CanvasAt(x, y)];
                    continue;
                }
                ++inked;
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                    if (!inked_at(x + dx, y + dy) && t.outline == 0xFFFF)
                        ++beside[CanvasAt(x + dx, y + dy)];
            }
        ASSERT_GE(inked, 8) << t.what << ": no text drawn";
        u16 box = 0;
        int most = 0;
        for (auto [c, n] : beside)
            if (n > most) most = n, box = c;
        EXPECT_GE(std::abs(Brightness(ink) - Brightness(box)), kMargin)
            << t.what << ": ink " << Brightness(ink) << " on " << Brightness(box);
    }

    // A shop of items 20.. and its buy list.
    void OpenShopList() {
        OpenShop(true, {{5, {1, 2, 3}}});
        ::ClickAt(h, 490, 100, 4);
        ASSERT_EQ(gFrameId, kScreenBit | 19u);
        MoveTo(500, 130, 2);
    }
    // The strengthening counter with a piece chosen: the monsters listed.
    void OpenEnhance() {
        CloseToMap(h);
        gOwnedMonsters[0] = 2;
        gScriptVars[0] = 10000;
        OpenShop(true, {{5, {20}}});
        ::ClickAt(h, 580, 20, 4);
        ASSERT_EQ(gFrameId, kScreenBit | 22u);
        ClickAt(520, 100);
        h.RunFrames(2);
    }
    // The town's fight with the command panel of the first member dropped in.
    void OpenBattle() {
        CloseToMap(h);
        gBattleRequest = sample_battle::kTownEncounter;
        EnterBattle();
        cCommandMenu& menu = gBattleController.menu;
        ASSERT_TRUE(h.RunUntil([&] { return menu.Current() && menu.panelY == 0; }, 400));
        h.RunFrames(2);
    }
    // The first member's ring row for items, chosen with the keys: the list
    // with two items, the first one marked.
    void OpenBattleList() {
        gOwnedItems[0] = gOwnedItems[1] = 3;
        cCommandMenu& menu = gBattleController.menu;
        const i32 role = CommandRole(*menu.Current());
        for (int i = 0; i < kRingRows && gCommandRows[role][menu.row].code != kRingItem; ++i)
            Tap(kScanDown);
        Tap(kScanEnter);
        ASSERT_TRUE(h.RunUntil([&] { return menu.list.open && menu.list.y == kListShownY; }, 40));
        ASSERT_GE(menu.list.count, 2);
        h.RunFrames(2);
    }
};

struct Screen {
    const char* name;
    std::function<void(ReadableTextTest&)> open;
    std::function<std::vector<TextSpot>()> texts;
};
// The texts of a screen that always stand at the same places.
std::function<std::vector<TextSpot>()> Fixed(std::vector<TextSpot> spots) {
    return [spots] { return spots; };
}

TEST_F(ReadableTextTest, EveryTextStandsOutFromTheBoxUnderIt) {
    const Screen screens[] = {
        {"buy list", [](ReadableTextTest& t) { t.OpenShopList(); },
         Fixed({{"title", 440, 60, 120, 26, kWhite},
                {"column captions", 420, 97, 60, 16, kBlack},
                {"name", 437, 147, 50, 16, kBlack},
                {"price", 530, 147, 45, 16, kBlue},
                {"owned", 580, 147, 30, 16, kDarkRed}})},
        {"quantity box", [](ReadableTextTest& t) { t.ClickAt(500, 130); },
         Fixed({{"captions", 252, 263, 64, 16, kBlack},
                {"name", 267, 291, 60, 16, kBlack},
                {"price", 380, 291, 45, 16, kBlue},
                {"owned", 444, 291, 25, 16, kDarkRed},
                {"quantity", 220, 319, 80, 16, kDarkRed},
                {"total", 400, 319, 70, 16, kBlue},
                {"cancel button", 398, 356, 60, 22, kWhite}})},
        {"strengthening", [](ReadableTextTest& t) { t.OpenEnhance(); },
         Fixed({{"monster list title", 295, 75, 100, 24, kWhite},
                {"piece list title", 478, 58, 100, 24, kWhite},
                {"monster", 275, 141, 60, 16, kBlack},
                {"piece", 479, 124, 80, 16, kBlack}})},
        {"skill list", [](ReadableTextTest& t) { t.OpenSide(0, 24, kScanF2); },
         Fixed({{"title", 490, 50, 110, 26, kWhite}})},
        {"transformation page", [](ReadableTextTest& t) { t.OpenSide(3, 17); },
         Fixed({{"marked form", 462, 95, 142, 20, kBlack}})},
        {"system list",
         [](ReadableTextTest& t) {
             CloseToMap(t.h);
             t.Open(13);
             t.MoveTo(540, 110, 2);
         },
         Fixed({{"marked row", 470, 98, 130, 24, kWhite}, {"row", 470, 138, 130, 24, kWhite}})},
        // Dark grey labels outlined pale, blue key names outlined beige.
        {"settings",
         [](ReadableTextTest& t) {
             CloseToMap(t.h);
             t.Open(12);
         },
         Fixed(
             {{"labels", 44, 85, 70, 140, 10 << 10 | 9 << 5 | 9, 26 << 10 | 25 << 5 | 24},
              {"key labels", 242, 260, 70, 140, 10 << 10 | 9 << 5 | 9, 26 << 10 | 25 << 5 | 24},
              {"key names", 119, 260, 100, 140, 4 << 10 | 8 << 5 | 17, 23 << 10 | 25 << 5 | 26}})},
        {"battle", [](ReadableTextTest& t) { t.OpenBattle(); },
         [] {
             std::vector<TextSpot> v = {{"panel HP", 548, 60, 64, 13, kBlack},
                                        {"panel MP", 548, 74, 64, 13, kBlack}};
             for (i32 k = 0; k < gPartySide.count; ++k) {
                 const cFighter& f = gPartySide.fighters[k];
                 const i32 px = f.homeX - 30, py = f.homeY + f.homeZ + 16;
                 v.push_back({"plate HP", px + 5, py + 3, 46, 5, kWhite});
                 v.push_back({"plate MP", px + 5, py + 10, 46, 5, kWhite});
             }
             return v;
         }},
        {"battle list", [](ReadableTextTest& t) { t.OpenBattleList(); },
         [] {
             const cBattleList& l = gBattleController.menu.list;
             return std::vector<TextSpot>{{"caption", l.x + 50, l.y + 2, 60, 18, kWhite},
                                          {"marked row", l.x + 42, l.y + 22, 70, 18, kWhite},
                                          {"row", l.x + 42, l.y + 42, 70, 18, kBlack}};
         }},
    };
    for (const Screen& s : screens) {
        SCOPED_TRACE(s.name);
        s.open(*this);
        for (const TextSpot& t : s.texts()) ExpectReadable(t);
    }
}

// A fighter's plate has its HP numbers two rows above the HP bar (plate row
// 5) and its MP numbers on the MP bar's row (10): five rows of digits each,
// two clear rows between them.
TEST_F(ReadableTextTest, PlateNumbersStandOnTwoRowsOfTheirOwn) {
    OpenBattle();
    const std::set<i32> want = {3, 4, 5, 6, 7, 10, 11, 12, 13, 14};
    for (i32 k = 0; k < gPartySide.count; ++k) {
        const cFighter& f = gPartySide.fighters[k];
        const i32 px = f.homeX - 30, py = f.homeY + f.homeZ + 16;
        std::set<i32> inked;
        for (i32 y = py - 4; y < py + 18; ++y)
            for (i32 x = px; x < px + 60; ++x)
                if (ConvertPixelBack(CanvasAt(x, y)) == kWhite) inked.insert(y - py);
        EXPECT_EQ(inked, want) << "fighter " << k;
    }
}

// The captions of the buttons under the slot, quest, formation and settings
// screens: the white ink of each lies inside its button's picture.
TEST_F(ReadableTextTest, ButtonCaptionsStayInsideTheirButtons) {
    struct Button {
        i32 x, y;          // the button's picture
        i32 textX, textY;  // its caption
    };
    const Button kPair[] = {{185, 420, 205, 435}, {313, 420, 333, 435}};
    const std::pair<const char*, u32> screens[] = {
        {"save", 8}, {"load", 9}, {"quest log", 10}, {"formation", 11}, {"settings", 12}};
    for (const auto& [name, screen] : screens) {
        SCOPED_TRACE(name);
        CloseToMap(h);
        Open(screen);
        MoveTo(600, 470, 2);
        for (const Button& b : kPair) {
            ASSERT_NE(TextAt(b.textX, b.textY), nullptr) << b.textX;
            i32 w = 0, hgt = 0;
            for (cControl* c : gControlList)
                if (c->x == b.x && c->y == b.y && c->normalPic)
                    w = c->normalPic->Width(), hgt = c->normalPic->Height();
            ASSERT_GT(w, 0) << "no button at " << b.x;
            int inked = 0, outside = 0;
            for (i32 y = b.textY - 15; y < b.textY + 40; ++y)
                for (i32 x = b.textX - 15; x < b.textX + 110; ++x) {
                    if (ConvertPixelBack(CanvasAt(x, y)) != kWhite) continue;
                    ++inked;
                    if (x < b.x || x >= b.x + w || y < b.y || y >= b.y + hgt) ++outside;
                }
            EXPECT_GE(inked, 40) << b.textX;
            EXPECT_EQ(outside, 0) << "caption at " << b.textX << " out of " << w << "x" << hgt;
        }
    }
}

// The first frame an act's action shows, drawn at (0, 0) on a black screen
// (stored 5-5-5 colours, 0 where clear), with its size.
struct Drawn {
    i32 w = 0, h = 0;
    std::vector<u16> px = std::vector<u16>(640 * 480, 0);
    u16 At(i32 x, i32 y) const { return ConvertPixelBack(px[static_cast<size_t>(y) * 640 + x]); }
};
Drawn DrawAct(u32 act, u32 action) {
    Drawn d;
    ActPlayer p;
    p.act = act;
    p.action = action;
    PicFrame* f = TakeActData(&p) ? GetPic(p.pic, p.frame) : nullptr;
    if (!f) return d;
    u16* canvas = gPaintBuf;
    gPaintBuf = d.px.data();
    gCurPic = f->pixels;
    PutPic(0, 0, f->width, f->height, 0, nullptr);
    gPaintBuf = canvas;
    d.w = f->width, d.h = f->height;
    return d;
}

// Every formation place (the fixed table of the battle's set-up) and each
// pirate's place of the pier fight, with the 40 x 12 shadow round the feet,
// stands on the deck's brown planks, not on the blue sea.
TEST_F(ReadableTextTest, TheDeckHoldsThePierFightAndFacesWearTheirFiguresClothes) {
    std::vector<std::pair<i32, i32>> places = {{510, 262}, {440, 314}, {352, 364},
                                               {568, 306}, {510, 362}, {422, 394}};
    u32 music = 0;
    LoadBattleFiles(sample_battle::kPierFight, &music);
    for (const EnemySlot& e : gBattlefield.enemies)
        if (e.monster != 0xFFFFFFFF) places.push_back({e.x, e.z + e.y});
    ASSERT_EQ(places.size(), 8u);
    const Drawn deck = DrawAct(sample_battle::kHarbourAct, 0);
    ASSERT_EQ(deck.w, 640);
    for (auto [x, feet] : places)
        for (i32 y = feet - 6; y < feet + 6; ++y)
            for (i32 dx = -20; dx < 20; dx += 3)  // red over blue
                ASSERT_GT(deck.At(x + dx, y) >> 10 & 31, deck.At(x + dx, y) & 31) << x << "," << y;
    // A face's shoulders (its bottom rows, inside the rim) are in a colour the
    // person's own standing figure wears.
    for (u32 person = 0; person < sample_art::kPeopleCount; ++person) {
        const u32 act = sample_art::kPeopleFirst + person;
        const Drawn figure = DrawAct(act, sample_art::kActionStand + 1);
        const Drawn face = DrawAct(act, sample_art::kActionFace);
        ASSERT_GT(face.w, 8) << person;
        std::set<u16> worn;
        for (i32 y = 0; y < figure.h; ++y)
            for (i32 x = 0; x < figure.w; ++x) worn.insert(figure.At(x, y));
        EXPECT_TRUE(worn.count(face.At(face.w / 4, face.h - 4))) << "person " << person;
    }
}

// The sample's small pictures are drawn, not flat squares: every item-type
// icon (9901/0..28) and status icon (30..44), no two icons alike, the birds
// crossing the map, the battle cursor while nobody can be commanded, a god
// form's portrait in the creature ring, the town's well and the quest log's
// scroll. An item icon fits the lists' rows: at most 23 wide and 20 high (a
// battle list's rows are 20 apart, the name 23 pixels right of the icon). A
// row of up to three status icons stays inside a party member's 60-pixel
// plate, up to two inside an enemy's 44: the row of n starts 9 n left of the
// plate's middle, each icon one pixel past the last.
TEST_F(ReadableTextTest, SmallPicturesAreDrawnAndIconsKeepToTheirRowsAndFighters) {
    std::vector<std::pair<u32, u32>> things = {{9005, 52}, {9005, 55}, {9005, 56},
                                               {9102, 0},  {11005, 2}, {sample_art::kMapObject, 0},
                                               {9904, 21}};
    for (u32 a = 0; a < 45; ++a)
        if (a != 29) things.push_back({9901, a});
    std::set<std::vector<u16>> icons;
    for (auto [act, a] : things) {
        const Drawn d = DrawAct(act, a);
        std::vector<u16> px;
        for (i32 y = 0; y < d.h; ++y)
            for (i32 x = 0; x < d.w; ++x) px.push_back(d.At(x, y));
        std::set<u16> colours(px.begin(), px.end());
        colours.erase(0);  // clear
        EXPECT_GE(colours.size(), 3u) << act << "/" << a << " is flat";
        if (act != 9901) continue;
        EXPECT_TRUE(icons.insert(px).second) << "icon " << a << " repeats another";
        EXPECT_TRUE(a >= 29 || (d.w <= 23 && d.h <= 20)) << a;
        for (auto [n, plate] : {std::pair{3, 60}, std::pair{2, 44}})
            EXPECT_TRUE(a < 30 || -9 * n + n * (d.w + 1) - 2 <= plate / 2 - 1) << a << " x" << n;
    }
}

}  // namespace
