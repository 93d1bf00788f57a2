// Fighter drawing against flat-colour sample art: bar widths, the pulse, the
// HP catch-up, digits, the icon row, the shrink zoom, the poison pass and
// offsets. Battle sprites: the movement line, draw order with the front and
// back classes, pool and list limits, sound cues, events, and the after-image
// trail.
#include "support/BattleFixtures.h"

namespace {

// Columns of row y from x on that hold colour c, counted until the first that does not.
i32 RunOf(i32 x, i32 y, u16 c) {
    i32 n = 0;
    while (x + n < 640 && At(x + n, y) == c) ++n;
    return n;
}

class FighterDrawTest : public DuelTest {
protected:
    void SetUp() override {
        DuelTest::SetUp();
        FillCanvas(0);
    }
    // The party's slot 0 with the bar and icon pictures set.
    cFighter& BarredParty() {
        cFighter& f = Party();
        for (int k = 0; k < 3; ++k) f.aux[33 + k] = {11002, 2 + k};
        for (int k = 0; k < 15; ++k) f.aux[10 + k] = {9901, 30 + k};
        return f;
    }
};

TEST_F(FighterDrawTest, GaugeWidthIsTheGaugesShareOfFiftyAtLeastOneAndAFullOnePulses) {
    cFighter& p = BarredParty();
    p.gauge = 255;
    // From 32 down by 4 to -32, then up by 8 to 32, then down again.
    const i32 want[] = {28,  24,  20,  16,  12,  8,  4, 0, -4, -8, -12, -16, -20,
                        -24, -28, -32, -24, -16, -8, 0, 8, 16, 24, 32,  28};
    for (i32 w : want) {
        DrawGaugeBar(p, 100, 100);
        EXPECT_EQ(p.pulseLevel, w);
    }
    const u16 c = PlainColour(11002, 2);
    ASSERT_NE(c, 0);
    // A full gauge pulses in another colour; an empty one draws nothing.
    const struct {
        i32 gauge, width;
    } cases[] = {{1, 1}, {5, 1}, {6, 1}, {128, 25}, {254, 49}, {0, 0}};
    for (const auto& k : cases) {
        FillCanvas(0);
        p.gauge = k.gauge;
        DrawGaugeBar(p, 100, 100);
        EXPECT_EQ(std::tuple(RunOf(100, 100, c), At(100 + k.width, 100)), std::tuple(k.width, 0))
            << "gauge " << k.gauge;
    }
}

TEST_F(FighterDrawTest, ShownHpFallsBy300Then30Then3) {
    cFighter& p = BarredParty();
    p.maxHp = p.shownHp = 3000;
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
    want.push_back(1);  // 2500 in all
    EXPECT_EQ(drops, want);
}

TEST_F(FighterDrawTest, DigitsTakeFourPlacesOrAsManyAsTheNumberHas) {
    // Each place is a frame's width and one pixel; the top rows of 7, 5 and 0
    // are inked from their first column, that of 1 in its second.
    const i32 adv = sample_fighters::kDigitW + 1;
    // Leading places stay empty. Negative values never reach the digits: a
    // lost number reads 0.
    EXPECT_EQ((std::vector<i32>{DrawFighterDigits(7, 100, 50), At(100 + 2 * adv, 50),
                                At(100 + 3 * adv, 50), DrawFighterDigits(12345, 100, 80),
                                At(101, 80), At(100 + 4 * adv, 80),
                                DrawFighterDigits(-45, 100, 110), At(100 + 3 * adv, 110)}),
              (std::vector<i32>{100 + 4 * adv, 0, PlainColour(11000, 7), 100 + 5 * adv,
                                PlainColourAt(11000, 1, 1, 0), PlainColour(11000, 5), 100 + 4 * adv,
                                PlainColour(11000, 0)}));
    cFighter& p = BarredParty();
    p.hp = p.shownHp = -20;
    p.mp = p.shownMp = -3;
    DrawHpBar(p, 200, 200);
    DrawMpBar(p, 200, 220);
    // No bar for nothing. The HP numbers stand two rows above their bar, the
    // MP numbers on their bar's own row.
    EXPECT_EQ(std::tuple(At(200, 200), At(202 + 3 * adv, 198), At(202 + 3 * adv, 220),
                         At(202 + 3 * adv, 218)),
              std::tuple(0, PlainColour(11000, 0), PlainColour(11000, 0), 0));
}

TEST_F(FighterDrawTest, StatusIconsStartNinePixelsLeftPerIcon) {
    cFighter& p = BarredParty();
    p.status = 0;
    DrawStatusIcons(p, 300, 100);
    for (i32 x = 200; x < 400; ++x) ASSERT_EQ(At(x, 100), 0);
    p.status = kStSleep | kStPoison | kStBlindness;  // bits 0, 10 and 13
    DrawStatusIcons(p, 300, 100);
    const u16 first = ActColour(9901, 30);  // sleep's icon
    ASSERT_NE(first, 0);
    EXPECT_EQ(std::tuple(At(300 - 27 - 1, 100), At(300 - 27, 100)), std::tuple(0, first));
}

TEST_F(FighterDrawTest, HalfShrunkEnemyDrawsAtHalfSize) {
    cFighter& e = Enemy();
    e.anim = ActPlayer{};
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    // The body's drawn box above its feet (the shadow lies below them).
    auto box = [&] {
        i32 minX = 640, maxX = -1, minY = 480, maxY = -1;
        for (i32 y = 0; y < e.z; ++y)
            for (i32 x = 0; x < 640; ++x)
                if (At(x, y) != 0) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
        return std::pair(maxX - minX + 1, maxY - minY + 1);
    };
    cFighter::DrawSprite(e);
    const auto [fullW, fullH] = box();
    ASSERT_GT(fullH, 40);
    FillCanvas(0);
    e.shrinkOn = 1;
    e.shrinkAmount = 500;
    cFighter::DrawSprite(e);
    const auto [w, h] = box();
    EXPECT_LE(std::max(std::abs(w - fullW / 2), std::abs(h - fullH / 2)), 1);
}

TEST_F(FighterDrawTest, PoisonTintOnlyInThePoisonStateAndMonsterOffsetsMoveTheEnemy) {
    cFighter& p = Party();
    ASSERT_TRUE(p.StartAnim(p.act, 4));
    // The figure's body covers the middle column of its 32x48 frame 24 rows
    // above the feet, drawn 16 left of and 48 above them.
    const u16 body = PlainColourAt(static_cast<u16>(p.act), p.anim.frame, 16, 24);
    ASSERT_NE(body, 0);
    // Poisoned but waiting: no tint; in the poison state: tinted.
    for (int k = 0; k < 3; ++k) {
        p.status = k ? static_cast<u32>(kStPoison) : 0u;
        if (k == 2) p.action = kStatePoison;
        FillCanvas(0);
        cFighter::DrawSprite(p);
        EXPECT_EQ(At(p.x, p.z - 24) == body, k < 2) << k;
    }

    // Monster offsets move an enemy: number 3's (2, -10) draws every body
    // pixel 2 left and 10 lower; unknown numbers have none.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    FillCanvas(0);
    e.pic = 0xFFFFFFFF;
    cFighter::DrawSprite(e);
    const std::vector<u16> still(gPaintBuf, gPaintBuf + 640 * 480);
    FillCanvas(0);
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
    // The frame's bottom left corner is clear and so is its left edge by the
    // head; where both torsos are the larger depth wins; above the front
    // one's head the back one; its gauge is empty: not ready.
    EXPECT_EQ((std::vector<cFighter*>{s.FighterAt(424, 299), s.FighterAt(424, 260),
                                      s.FighterAt(440, 282), s.FighterAt(440, 258),
                                      s.FighterAt(423, 280), s.ReadyFighterAt(440, 258)}),
              (std::vector<cFighter*>{nullptr, nullptr, &front, &back, nullptr, nullptr}));
    back.gauge = kGaugeFull;
    EXPECT_EQ(s.ReadyFighterAt(440, 258), &back);
    // An enemy's frame moves by its monster offset: number 3 draws 2 left, 10
    // lower. The thief faces right (column 16 + u), its head's top row 46
    // rows above its feet.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    for (u32 pic : {5u, 3u}) {
        e.pic = pic;
        const i32 dx = pic == 3 ? -2 : 0, dy = pic == 3 ? 10 : 0;
        EXPECT_EQ(std::tuple(gEnemySide.FighterAt(e.x + dx, e.z - 24 + dy),
                             gEnemySide.FighterAt(e.x + dx, e.z - 44 + dy)),
                  std::tuple(&e, &e))
            << pic;
    }
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
    // Black pixels in the box; with a plain colour given, pixels that are not that colour.
    auto ink = [](i32 x0, i32 x1, i32 y0, i32 y1, int plain = -1) {
        int n = 0;
        for (i32 y = y0; y < y1; ++y)
            for (i32 x = x0; x < x1; ++x) n += plain < 0 ? At(x, y) == 0 : At(x, y) != plain;
        return n;
    };
    // The panel picture names the rows: "HP" and "MP" at size 12 from x + 98,
    // twelve pixels and a shadow column, so x + 111 up to the numbers stays plain.
    const u16 plain = PlainColourAt(11002, 7, 115, 58);  // the band under the numbers
    for (i32 line : {60, 74}) {
        EXPECT_EQ(std::tuple(ink(608, 620, line, line + 14) > 0, ink(620, 640, line, line + 14),
                             ink(428 + 98, 428 + 111, line, line + 13, plain) > 0,
                             ink(428 + 111, 428 + 120, line, line + 14, plain)),
                  std::tuple(true, 0, true, 0))
            << line;
    }
    // The enemy's name under its blink is size 13.
    cFighter& e = Enemy();
    ASSERT_TRUE(e.StartAnim(e.act, 5));
    e.StartBlink();
    UseBattleFont(20, 40);
    cFighter::DrawSprite(e);
    EXPECT_EQ(gMainFont.GetSize(), 13);
}

struct P3 {
    i32 x, y, z;
    bool operator==(const P3&) const = default;
};
P3 At(const cBattleSprite& s) {
    return {s.x, s.y, s.z};
}

std::vector<char> gDrawn;
void RecordDraw(cBattleSprite& s) {
    gDrawn.push_back(static_cast<char>(s.pic));
}

TEST(BattleSprite, MovesAlongAnIntegerLineOrAnArcAndReportsArrivalOnTheNextCall) {
    // A fresh sprite (its y set) given a line or an arc, then steps taken in
    // runs: after each run whether it reported arrival and where it stands.
    // Worked by hand: on the line to (10, -4, 3) x leads and y moves on step 3
    // (errors 4, 8, 12), z on step 4 (3, 6, 9, 12). On the arc over 10 with a
    // hop of 2 the hop adds 4 a step against 10 and its accumulator reaches 10
    // on steps 3, 5, 8 and 10, taking 2, 1, 0 and -1 off y in turn; on the arc
    // to (-4, 8) z leads and x steps back on every second step.
    const struct Move {
        bool arc;
        i32 y;
        P3 to;      // an arc goes by (x, z) and hops y
        i32 major;  // the leading axis, -1 when not checked
    } moves[] = {
        {false, 0, {0, 0, 0}, -1}, {false, 0, {10, -4, 3}, 0}, {false, 0, {2, 9, 9}, 1},
        {false, 0, {3, 3, 3}, 0},  {false, 0, {1, 2, 5}, 2},   {true, 50, {10, 2, 0}, 0},
        {true, 0, {-4, 1, 8}, 2},
    };
    const struct Run {
        size_t move;
        i32 steps;
        bool arrived;
        P3 at;
    } runs[] = {
        {0, 5, true, {0, 0, 0}},  // no line at all: there at once
        {1, 4, false, {4, -1, 1}},
        {1, 100, false, {10, -4, 3}},  // the last step is taken, arrival
                                       // waits
        {1, 1, true, {10, -4, 3}},
        {2, 5, false, {1, 5, 5}},  // y leads: above x and level with z;
                                   // a tie goes to x
        {2, 9, false, {2, 9, 9}},
        {5, 3, false, {3, 48, 0}},
        {5, 2, false, {5, 47, 0}},
        {5, 4, false, {9, 47, 0}},
        {5, 100, false, {10, 50, 0}},  // landing: y back at its start,
                                       // arrival waits
        {5, 1, true, {10, 50, 0}},
        {6, 2, false, {-1, 0, 2}},
        {6, 6, false, {-4, 0, 8}},
    };
    for (size_t k = 0; k < std::size(moves); ++k) {
        const Move& m = moves[k];
        cBattleSprite s;
        s.y = m.y;
        m.arc ? s.MoveArc(m.to.x, m.to.z, m.to.y) : s.MoveTo(m.to.x, m.to.y, m.to.z);
        if (m.major >= 0) {
            EXPECT_EQ(s.move.major, m.major) << k;
        }
        for (const Run& r : runs)
            if (r.move == k) {
                EXPECT_EQ(m.arc ? s.StepArc(r.steps) : s.StepMove(r.steps), r.arrived) << k;
                EXPECT_EQ(At(s), r.at) << k << " " << r.steps;
            }
    }
}

TEST(BattleSprite, DrawOrderIsDepthFrontClassLastBackClassFirstAndFullListsDropNewEntries) {
    Harness h;
    struct Spec {
        char name;
        i32 z, cls;
    } specs[] = {{'A', 5, 1}, {'B', 1, 0}, {'C', 9, 1}, {'D', 3, 2}, {'E', 7, 0}};
    cBattleSprite s[5];
    for (int i = 0; i < 5; ++i) {
        s[i].pic = static_cast<u32>(specs[i].name);
        s[i].z = specs[i].z;
        s[i].drawClass = specs[i].cls;
        s[i].drawFn = &RecordDraw;
    }
    // Queued in an order the sort must undo.
    for (int i : {4, 2, 0, 3, 1}) gDrawList.AddSprite(&s[i]);
    gDrawn.clear();
    gDrawList.Draw();
    // By the three passes, worked by hand: depth B D A E C; the front class
    // walks A then C to the back; D comes to the front.
    EXPECT_EQ(std::tuple(std::string(gDrawn.begin(), gDrawn.end()), gDrawList.SpriteCount()),
              std::tuple("DBECA", 0));

    // Full pools and a full list drop the new entry.
    cBattleSprite fighter;
    fighter.flags = kSpriteInUse | kSpriteTaken;
    for (int i = 0; i < kSpritePoolSize; ++i) {
        ASSERT_NE(SpawnHitAnim(nullptr, 7246, 0, i, 0, 0, 0), nullptr) << i;
        ASSERT_NE(SpawnFloatText(nullptr, "1", 0, 0, 0, 0, 0, -48, 0), nullptr) << i;
        ASSERT_NE(AttachAfterImage(&fighter, 0, 3), nullptr) << i;
    }
    EXPECT_EQ((std::vector<const void*>{SpawnHitAnim(nullptr, 7246, 0, 0, 0, 0, 0),
                                        SpawnFloatNumber(nullptr, 12, 0, 0, 0, 0, 0, -48, 0),
                                        AttachAfterImage(&fighter, 0, 3)}),
              (std::vector<const void*>(3, nullptr)));

    std::vector<cBattleSprite> many(kDrawListSize + 1);
    for (auto& m : many) m.drawFn = &RecordDraw;
    for (int i = 0; i < kDrawListSize; ++i) {
        ASSERT_TRUE(gDrawList.AddSprite(&many[i]));
        ASSERT_TRUE(gDrawList.AddSoundCue(&many[i]));
    }
    EXPECT_EQ(std::tuple(gDrawList.AddSprite(&many[kDrawListSize]),
                         gDrawList.AddSoundCue(&many[kDrawListSize])),
              std::tuple(false, false));
    gDrawn.clear();
    gDrawList.Draw();
    EXPECT_EQ(gDrawn.size(), static_cast<size_t>(kDrawListSize));
}

TEST_F(FighterDrawTest, HitAnimationPlaysItsCueOnceRaisesItsEventsAndAlwaysFreesItsSlot) {
    SoundCueRecorder cues;
    cHitAnim* a = SpawnHitAnim(nullptr, 7246, 0, 100, 0, 200, 0);
    ASSERT_NE(a, nullptr);
    std::vector<u16> events;
    int ticks = 0;
    for (; ticks < 40 && a->Taken(); ++ticks) {
        UpdateHitAnims();
        u16 e = 0;
        for (u16 bit : {u16{0x1}, u16{0x4}})
            if (a->TakeEvent(bit)) e |= bit;
        if (e) events.push_back(e);
        gDrawList.Draw();
        gDrawList.PlaySounds();
    }
    EXPECT_EQ(std::tuple(a->Taken(), SoundCueRecorder::Cues(), events),
              std::tuple(false, std::vector<int>{1}, std::vector<u16>{0x4, 0x1}));

    // Two events raised on one frame are both seen, each once.
    cBattleSprite s;
    s.anim.event = 0x5;
    EXPECT_EQ((std::vector<bool>{s.TakeEvent(0x1), s.TakeEvent(0x4), s.TakeEvent(0x4)}),
              (std::vector<bool>{true, true, false}));

    // An act that is missing, or one that loops, lets its slot go.
    cHitAnim* missing = SpawnHitAnim(nullptr, 2999, 0, 0, 0, 0, 0);
    cHitAnim* endless = SpawnHitAnim(nullptr, 9001, 0, 0, 0, 0, 0);  // the cursor loops
    std::vector<int> takenTicks;
    for (int t = 1; t <= kHitAnimMaxTicks + 1; ++t) {
        UpdateHitAnims();
        gDrawList.Clear();
        if (t == 1) {
            EXPECT_FALSE(missing->Taken());
        }
        if (endless->Taken()) takenTicks.push_back(t);
    }
    EXPECT_EQ(std::tuple(takenTicks.size(), endless->Taken()),
              std::tuple(static_cast<size_t>(kHitAnimMaxTicks), false));
}

TEST(BattleSprite, FloatingTextRisesSixteenTicksAndKeepsWholeCharacters) {
    Harness h;
    std::string text = "xy";
    for (int i = 0; i < 20; ++i) text += "\xA4\x40";
    cFloatText* t = SpawnFloatText(nullptr, text.c_str(), 0xFFFF, 0, 10, 0, 100, -48, 0);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::string(t->text), text.substr(0, 30));
    int drawn = 0;
    for (int tick = 0; tick < 30 && t->Taken(); ++tick) {
        UpdateFloatTexts();
        drawn += gDrawList.SpriteCount();
        gDrawList.Clear();
    }
    EXPECT_EQ(std::tuple(drawn, t->Taken()), std::tuple(16, false));
}

TEST_F(FighterDrawTest, AfterImageCopiesFadeBy3TakeTheirTintAndVanishWithTheirFighter) {
    const u16 under = 0x0C63, colour = PlainColour(15001, 0);  // one plain colour

    cBattleSprite fighter;
    fighter.flags = kSpriteInUse | kSpriteTaken;
    fighter.anim.pic = 15001;
    fighter.anim.cellW = fighter.anim.cellH = 1;  // drawn 8 pixels left of and above its point
    fighter.x = 58;
    fighter.z = 108;
    cAfterImage* a = AttachAfterImage(&fighter, 0, 9);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->count, kAfterImageCopies);
    for (int i = 0; i < kAfterImageCopies; ++i) a->history[i].x = 58 + 100 * i;
    // A tint word is a second pass moving red by byte 0 and blue by byte 2.
    const struct {
        u32 word;
        i32 rgb[3];
    } tints[] = {{0, {0, 0, 0}}, {0xF0008, {8, 0, 15}}, {0x100007, {7, 0, 16}}};
    for (const auto& t : tints) {
        a->tint = t.word;
        for (int i = 0; i < 640 * 480; ++i) gPaintBuf[i] = under;
        a->drawFn(*a);
        for (int i = 0; i < kAfterImageCopies; ++i) {
            const u16 copy = Join(TintRef(Split(BlendRef(colour, under, 16 - 3 * i)), t.rgb));
            EXPECT_EQ(
                std::tuple(gPaintBuf[100 * 640 + 50 + 100 * i], gPaintBuf[99 * 640 + 50 + 100 * i]),
                std::tuple(copy, under))
                << t.word << " " << i;
        }
    }
    fighter.flags = 0;
    UpdateAfterImages();
    EXPECT_FALSE(a->Taken());
}

}  // namespace
