// Battle sprites: the movement line, draw order with the front and back
// classes, pool and list limits, sound cues, events, and the after-image trail.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "battle/Battle.h"
#include "battle/BattleSprite.h"
#include "battle/DrawList.h"
#include "PixelRefs.h"
#include "support/BattleRun.h"
#include "support/Harness.h"

namespace {

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

// Over the sample game's acts and canvas.
struct BattleSpriteArt : ::testing::Test {
    Harness h;
    void SetUp() override {
        h.WriteSample();
        h.StartGame();
        ASSERT_NE(gPaintBuf, nullptr);
    }
};

}  // namespace

TEST(BattleSprite, MovesAlongAnIntegerLineOrAnArcAndReportsArrivalOnTheNextCall) {
    cBattleSprite s;
    s.MoveTo(0, 0, 0);
    EXPECT_TRUE(s.StepMove(5));  // no line at all: there at once
    EXPECT_EQ(At(s), (P3{0, 0, 0}));

    s.MoveTo(10, -4, 3);  // x leads: 10 against 4 and 3
    EXPECT_FALSE(s.StepMove(4));
    // Worked by hand: y moves on step 3 (errors 4, 8, 12), z on step 4 (3, 6, 9, 12).
    EXPECT_EQ(At(s), (P3{4, -1, 1}));
    EXPECT_FALSE(s.StepMove(100));  // the last step is taken, arrival waits
    EXPECT_EQ(At(s), (P3{10, -4, 3}));
    EXPECT_TRUE(s.StepMove(1));

    s = cBattleSprite{};
    s.MoveTo(2, 9, 9);  // y leads: above x and level with z
    EXPECT_EQ(s.move.major, 1);
    EXPECT_FALSE(s.StepMove(5));
    EXPECT_EQ(At(s), (P3{1, 5, 5}));
    s.StepMove(9);
    EXPECT_EQ(At(s), (P3{2, 9, 9}));

    s = cBattleSprite{};
    s.MoveTo(3, 3, 3);  // a tie goes to x
    EXPECT_EQ(s.move.major, 0);
    s.MoveTo(1, 2, 5);
    EXPECT_EQ(s.move.major, 2);

    // An arc hops over the floor and lands where it started.
    s = cBattleSprite{};
    s.y = 50;
    s.MoveArc(10, 0, 2);  // x leads over 10; the hop adds 4 a step against 10
    // Worked by hand: the hop's accumulator reaches 10 on steps 3, 5, 8 and 10,
    // taking 2, 1, 0 and -1 off y in turn.
    EXPECT_FALSE(s.StepArc(3));
    EXPECT_EQ(At(s), (P3{3, 48, 0}));
    EXPECT_FALSE(s.StepArc(2));
    EXPECT_EQ(At(s), (P3{5, 47, 0}));
    EXPECT_FALSE(s.StepArc(4));
    EXPECT_EQ(At(s), (P3{9, 47, 0}));
    EXPECT_FALSE(s.StepArc(100));  // landing: y back at its start, arrival waits
    EXPECT_EQ(At(s), (P3{10, 50, 0}));
    EXPECT_TRUE(s.StepArc(1));

    s = cBattleSprite{};
    s.MoveArc(-4, 8, 1);  // z leads; x steps back on every second step
    EXPECT_EQ(s.move.major, 2);
    EXPECT_FALSE(s.StepArc(2));
    EXPECT_EQ(At(s), (P3{-1, 0, 2}));
    s.StepArc(6);
    EXPECT_EQ(At(s), (P3{-4, 0, 8}));
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
    EXPECT_EQ(std::string(gDrawn.begin(), gDrawn.end()), "DBECA");
    EXPECT_EQ(gDrawList.SpriteCount(), 0);

    // Full pools and a full list drop the new entry.
    cBattleSprite fighter;
    fighter.flags = kSpriteInUse | kSpriteTaken;
    for (int i = 0; i < kSpritePoolSize; ++i) {
        ASSERT_NE(SpawnHitAnim(nullptr, 7246, 0, i, 0, 0, 0), nullptr) << i;
        ASSERT_NE(SpawnFloatText(nullptr, "1", 0, 0, 0, 0, 0, -48, 0), nullptr) << i;
        ASSERT_NE(AttachAfterImage(&fighter, 0, 3), nullptr) << i;
    }
    EXPECT_EQ(SpawnHitAnim(nullptr, 7246, 0, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(SpawnFloatNumber(nullptr, 12, 0, 0, 0, 0, 0, -48, 0), nullptr);
    EXPECT_EQ(AttachAfterImage(&fighter, 0, 3), nullptr);

    std::vector<cBattleSprite> many(kDrawListSize + 1);
    for (auto& m : many) m.drawFn = &RecordDraw;
    for (int i = 0; i < kDrawListSize; ++i) {
        ASSERT_TRUE(gDrawList.AddSprite(&many[i]));
        ASSERT_TRUE(gDrawList.AddSoundCue(&many[i]));
    }
    EXPECT_FALSE(gDrawList.AddSprite(&many[kDrawListSize]));
    EXPECT_FALSE(gDrawList.AddSoundCue(&many[kDrawListSize]));
    gDrawn.clear();
    gDrawList.Draw();
    EXPECT_EQ(gDrawn.size(), static_cast<size_t>(kDrawListSize));
}

TEST_F(BattleSpriteArt, HitAnimationPlaysItsCueOnceRaisesItsEventsAndAlwaysFreesItsSlot) {
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
    EXPECT_FALSE(a->Taken());
    EXPECT_EQ(SoundCueRecorder::Cues(), (std::vector<int>{1}));
    EXPECT_EQ(events, (std::vector<u16>{0x4, 0x1}));

    // Two events raised on one frame are both seen, each once.
    cBattleSprite s;
    s.anim.event = 0x5;
    EXPECT_TRUE(s.TakeEvent(0x1));
    EXPECT_TRUE(s.TakeEvent(0x4));
    EXPECT_FALSE(s.TakeEvent(0x4));

    // An act that is missing, or one that loops, lets its slot go.
    cHitAnim* missing = SpawnHitAnim(nullptr, 2999, 0, 0, 0, 0, 0);
    cHitAnim* endless = SpawnHitAnim(nullptr, 9001, 0, 0, 0, 0, 0);  // the cursor loops
    UpdateHitAnims();
    EXPECT_FALSE(missing->Taken());
    EXPECT_TRUE(endless->Taken());
    gDrawList.Clear();
    for (int t = 1; t < kHitAnimMaxTicks; ++t) {
        UpdateHitAnims();
        gDrawList.Clear();
    }
    EXPECT_TRUE(endless->Taken());
    UpdateHitAnims();
    EXPECT_FALSE(endless->Taken());
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
    EXPECT_EQ(drawn, 16);
    EXPECT_FALSE(t->Taken());
}

TEST_F(BattleSpriteArt, AfterImageCopiesFadeBy3AndVanishWithTheirFighter) {
    const u16 under = 0x0C63, colour = PlainColour(15001, 0);  // one plain colour
    ASSERT_NE(colour, 0xDEAD);

    cBattleSprite fighter;
    fighter.flags = kSpriteInUse | kSpriteTaken;
    fighter.anim.pic = 15001;
    fighter.anim.cellW = 1;  // drawn 8 pixels left of and above its point
    fighter.anim.cellH = 1;
    fighter.x = 58;
    fighter.z = 108;
    cAfterImage* a = AttachAfterImage(&fighter, 0, 9);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->count, kAfterImageCopies);
    for (int i = 0; i < kAfterImageCopies; ++i) a->history[i].x = 58 + 100 * i;
    for (int i = 0; i < 640 * 480; ++i) gPaintBuf[i] = under;
    a->drawFn(*a);
    for (int i = 0; i < kAfterImageCopies; ++i) {
        EXPECT_EQ(gPaintBuf[100 * 640 + 50 + 100 * i], BlendRef(colour, under, 16 - 3 * i)) << i;
        EXPECT_EQ(gPaintBuf[99 * 640 + 50 + 100 * i], under) << i;
    }
    fighter.flags = 0;
    UpdateAfterImages();
    EXPECT_FALSE(a->Taken());
}
