// Fighter drawing against flat-colour sample art: bar widths, the pulse, the
// HP catch-up, digits, the icon row, the shrink zoom, the poison pass and offsets.
#include <algorithm>
#include <cstring>
#include <vector>

#include "battle/DuelSupport.h"
#include "battle/FighterDraw.h"
#include "PixelRefs.h"
#include "engine/GrpFont.h"
#include "mhdata/SampleFighters.h"

namespace {

void ClearCanvas() {
    for (i32 y = 0; y < 480; ++y) std::memset(PaintPixelAddr(0, y), 0, 640 * 2);
}

u16 At(i32 x, i32 y) {
    return *PaintPixelAddr(x, y);
}

// Columns of row y from x on that hold colour c, counted until the first that does not.
i32 RunOf(i32 x, i32 y, u16 c) {
    i32 n = 0;
    while (x + n < 640 && At(x + n, y) == c) ++n;
    return n;
}

}  // namespace

class FighterDrawTest : public DuelTest {
protected:
    void SetUp() override {
        DuelTest::SetUp();
        ASSERT_NE(gPaintBuf, nullptr);
        ClearCanvas();
    }
    static void Bars(cFighter& f) {
        f.aux[33] = {11002, 2};
        f.aux[34] = {11002, 3};
        f.aux[35] = {11002, 4};
        for (int k = 0; k < 15; ++k) f.aux[10 + k] = {9901, 30 + k};
    }
};

TEST_F(FighterDrawTest, GaugeWidthIsTheGaugesShareOfFiftyAtLeastOne) {
    cFighter& p = Party();
    Bars(p);
    const u16 c = PlainColour(11002, 2);
    ASSERT_NE(c, 0);
    const struct {
        i32 gauge, width;
    } cases[] = {{1, 1}, {5, 1}, {6, 1}, {128, 25}, {254, 49}, {255, 50}};
    for (const auto& k : cases) {
        ClearCanvas();
        p.gauge = k.gauge;
        DrawGaugeBar(p, 100, 100);
        if (k.gauge < 255) {
            EXPECT_EQ(RunOf(100, 100, c), k.width) << "gauge " << k.gauge;
        }
        EXPECT_EQ(At(100 + k.width, 100), k.gauge < 255 ? 0 : At(100 + k.width, 100));
    }
    ClearCanvas();
    p.gauge = 0;
    DrawGaugeBar(p, 100, 100);
    EXPECT_EQ(At(100, 100), 0);
}

TEST_F(FighterDrawTest, FullGaugePulsesBetweenMinusAndPlusThirtyTwo) {
    cFighter& p = Party();
    Bars(p);
    p.gauge = 255;
    // From 32 down by 4 to -32, then up by 8 to 32, then down again.
    const i32 want[] = {28,  24,  20,  16,  12,  8,  4, 0, -4, -8, -12, -16, -20,
                        -24, -28, -32, -24, -16, -8, 0, 8, 16, 24, 32,  28};
    for (i32 w : want) {
        DrawGaugeBar(p, 100, 100);
        EXPECT_EQ(p.pulseLevel, w);
    }
}

TEST_F(FighterDrawTest, ShownHpFallsBy300Then30Then3) {
    cFighter& p = Party();
    Bars(p);
    p.maxHp = 3000;
    p.shownHp = 3000;
    p.hp = 500;
    std::vector<i32> drops;
    for (int t = 0; t < 80 && p.shownHp != p.hp; ++t) {
        const i32 before = p.shownHp;
        DrawHpBar(p, 100, 100);
        drops.push_back(before - p.shownHp);
    }
    std::vector<i32> want(6, 300);
    want.insert(want.end(), 21, 30);
    want.insert(want.end(), 23, 3);
    want.push_back(1);
    EXPECT_EQ(drops, want);
    EXPECT_EQ(p.shownHp, 500);
}

TEST_F(FighterDrawTest, DigitsTakeFourPlacesOrAsManyAsTheNumberHas) {
    // Each place is a frame's width and one pixel; the top rows of 7, 5 and 0
    // are inked from their first column, that of 1 in its second.
    const i32 adv = sample_fighters::kDigitW + 1;
    EXPECT_EQ(DrawFighterDigits(7, 100, 50), 100 + 4 * adv);
    EXPECT_EQ(At(100 + 2 * adv, 50), 0);  // leading places stay empty
    EXPECT_EQ(At(100 + 3 * adv, 50), PlainColour(11000, 7));
    EXPECT_EQ(DrawFighterDigits(12345, 100, 80), 100 + 5 * adv);
    EXPECT_EQ(At(101, 80), PlainColourAt(11000, 1, 1, 0));
    EXPECT_EQ(At(100 + 4 * adv, 80), PlainColour(11000, 5));
    // Negative values never reach the digits: a lost number reads 0.
    EXPECT_EQ(DrawFighterDigits(-45, 100, 110), 100 + 4 * adv);
    EXPECT_EQ(At(100 + 3 * adv, 110), PlainColour(11000, 0));
    cFighter& p = Party();
    Bars(p);
    p.hp = p.shownHp = -20;
    p.mp = p.shownMp = -3;
    DrawHpBar(p, 200, 200);
    DrawMpBar(p, 200, 220);
    EXPECT_EQ(At(200, 200), 0);  // no bar for nothing
    EXPECT_EQ(At(202 + 3 * adv, 198), PlainColour(11000, 0));
}

TEST_F(FighterDrawTest, StatusIconsStartNinePixelsLeftPerIcon) {
    cFighter& p = Party();
    Bars(p);
    p.status = 0;
    DrawStatusIcons(p, 300, 100);
    for (i32 x = 200; x < 400; ++x) ASSERT_EQ(At(x, 100), 0);
    p.status = kStSleep | kStPoison | kStBlindness;  // bits 0, 10 and 13
    DrawStatusIcons(p, 300, 100);
    ActPlayer icon;
    icon.act = 9901;
    icon.action = 30;  // sleep's icon
    ASSERT_TRUE(TakeActData(&icon));
    const u16 first = PlainColour(icon.pic, icon.frame);
    ASSERT_NE(first, 0);
    EXPECT_EQ(At(300 - 27 - 1, 100), 0);
    EXPECT_EQ(At(300 - 27, 100), first);
}

TEST_F(FighterDrawTest, HalfShrunkEnemyDrawsAtHalfSize) {
    cFighter& e = Enemy();
    e.anim = ActPlayer{};
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    // The body's drawn box above its feet (the shadow lies below them).
    auto box = [&](i32* w, i32* h) {
        i32 minX = 640, maxX = -1, minY = 480, maxY = -1;
        for (i32 y = 0; y < e.z; ++y)
            for (i32 x = 0; x < 640; ++x)
                if (At(x, y) != 0) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        *w = maxX - minX + 1;
        *h = maxY - minY + 1;
    };
    i32 w, h;
    cFighter::DrawSprite(e);
    box(&w, &h);
    ASSERT_GT(h, 40);
    const i32 fullW = w, fullH = h;
    ClearCanvas();
    e.shrinkOn = 1;
    e.shrinkAmount = 500;
    cFighter::DrawSprite(e);
    box(&w, &h);
    EXPECT_NEAR(w, fullW / 2, 1);
    EXPECT_NEAR(h, fullH / 2, 1);
}

TEST_F(FighterDrawTest, PoisonTintOnlyInThePoisonStateAndMonsterOffsetsMoveTheEnemy) {
    cFighter& p = Party();
    ASSERT_TRUE(p.StartAnim(p.act, 4));
    // The figure's body covers the middle column of its 32x48 frame 24 rows
    // above the feet, drawn 16 left of and 48 above them.
    const u16 body = PlainColourAt(static_cast<u16>(p.act), p.anim.frame, 16, 24);
    ASSERT_NE(body, 0);
    cFighter::DrawSprite(p);
    EXPECT_EQ(At(p.x, p.z - 24), body);
    p.status = kStPoison;  // poisoned, but waiting: no tint
    ClearCanvas();
    cFighter::DrawSprite(p);
    EXPECT_EQ(At(p.x, p.z - 24), body);
    p.action = kStatePoison;
    ClearCanvas();
    cFighter::DrawSprite(p);
    EXPECT_NE(At(p.x, p.z - 24), body);

    // Monster offsets move an enemy: number 3's (2, -10) draws every body
    // pixel 2 left and 10 lower; unknown numbers have none.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    ClearCanvas();
    e.pic = 0xFFFFFFFF;
    cFighter::DrawSprite(e);
    const std::vector<u16> still(gPaintBuf, gPaintBuf + 640 * 480);
    ClearCanvas();
    e.pic = 3;
    cFighter::DrawSprite(e);
    int same = 0;
    for (i32 y = e.z - 48; y < e.z; ++y)
        for (i32 x = e.x - 16; x < e.x + 16; ++x) {
            const u16 v = still[static_cast<size_t>(y) * 640 + x];
            if (v == 0) continue;
            ASSERT_EQ(At(x - 2, y + 10), v) << x << "," << y;
            ++same;
        }
    EXPECT_GT(same, 300);
}

TEST_F(FighterDrawTest, FighterAtFollowsTheOpaquePixelsOfTheBodyFrontMostFirst) {
    // Party bodies face left: frame column 31 - (16 + u) holds figure column
    // u, so screen column x - 1 - u. The torso covers u -4..4 from 13 to 33
    // rows above the feet, the head (hair) rows 35..47 above them round u -1.
    cFighter& back = Party(0);   // (440, 300): frame 424..455 x 252..299
    cFighter& front = Party(1);  // (442, 310): frame 426..457 x 262..309
    cFighter& blank = Party(2);  // in front of both, with no frame
    front.x = 442;
    for (cFighter* f : {&back, &front}) ASSERT_TRUE(f->StartAnim(f->act, 4));
    blank.x = 450;
    blank.z = 330;
    cBattleSide& s = gPartySide;
    EXPECT_EQ(s.FighterAt(424, 299), nullptr);  // the frame's bottom left corner is clear
    EXPECT_EQ(s.FighterAt(424, 260), nullptr);  // and so is its left edge by the head
    EXPECT_EQ(s.FighterAt(440, 282), &front);   // both torsos: the larger depth wins
    EXPECT_EQ(s.FighterAt(440, 258), &back);    // above the front one's head
    EXPECT_EQ(s.FighterAt(423, 280), nullptr);
    EXPECT_EQ(s.ReadyFighterAt(440, 258), nullptr);  // its gauge is empty
    back.gauge = kGaugeFull;
    EXPECT_EQ(s.ReadyFighterAt(440, 258), &back);
    // An enemy's frame moves by its monster offset: number 3 draws 2 left, 10
    // lower. The thief faces right (column 16 + u), its head's top row 46
    // rows above its feet.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    EXPECT_EQ(gEnemySide.FighterAt(e.x, e.z - 24), &e);
    EXPECT_EQ(gEnemySide.FighterAt(e.x, e.z - 44), &e);
    e.pic = 3;
    EXPECT_EQ(gEnemySide.FighterAt(e.x - 2, e.z - 24 + 10), &e);
    EXPECT_EQ(gEnemySide.FighterAt(e.x - 2, e.z - 44 + 10), &e);
    EXPECT_EQ(gEnemySide.FighterAt(e.x, e.z - 44), nullptr);
}

TEST_F(FighterDrawTest, CommandPanelNamesItsRowsAndKeepsTheNumbersInside) {
    cFighter& p = Party();
    p.aux[36] = {11002, 10};
    p.hp = 1234;
    p.maxHp = 5678;
    p.mp = 321;
    p.maxMp = 9876;
    UseBattleFont(20, 40);  // whatever an earlier text left
    std::fill_n(gPaintBuf, 640 * 480, 0xFFFF);
    DrawCommandPanel(p, 428, 0);
    // "%4d / %4d" from x + 120 at size 12, six pixels a character: the last
    // digit's cell starts at 428 + 120 + 60; the panel ends at 428 + 200.
    const i32 right = 428 + sample_fighters::kPanelFrames[7].w;
    // Black pixels in the box; with a plain colour given, pixels that are not that colour.
    auto ink = [](i32 x0, i32 x1, i32 y0, i32 y1, int plain = -1) {
        int n = 0;
        for (i32 y = y0; y < y1; ++y)
            for (i32 x = x0; x < x1; ++x) n += plain < 0 ? At(x, y) == 0 : At(x, y) != plain;
        return n;
    };
    // The panel picture names the rows: "HP" and "MP" at size 12 from x + 98,
    // twelve pixels and a shadow column, so x + 111 up to the numbers stays plain.
    const u16 plain = PlainColour(11002, 7);
    for (i32 line : {60, 74}) {
        EXPECT_GT(ink(608, 620, line, line + 14), 0) << line;
        EXPECT_EQ(ink(620, 640, line, line + 14), 0) << line;
        EXPECT_GT(ink(428 + 98, 428 + 111, line, line + 13, plain), 0) << line;
        EXPECT_EQ(ink(428 + 111, 428 + 120, line, line + 14, plain), 0) << line;
    }
    EXPECT_LE(620, right);
    // The enemy's name under its blink is size 13.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    e.StartBlink();
    UseBattleFont(20, 40);
    cFighter::DrawSprite(e);
    EXPECT_EQ(gMainFont.GetSize(), 13);
}
