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
    }
};

}  // namespace

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
        {0, 5, true, {0, 0, 0}},                                  // no line at all: there at once
        {1, 4, false, {4, -1, 1}}, {1, 100, false, {10, -4, 3}},  // the last step is taken, arrival
                                                                  // waits
        {1, 1, true, {10, -4, 3}}, {2, 5, false, {1, 5, 5}},  // y leads: above x and level with z;
                                                              // a tie goes to x
        {2, 9, false, {2, 9, 9}},  {5, 3, false, {3, 48, 0}},    {5, 2, false, {5, 47, 0}},
        {5, 4, false, {9, 47, 0}}, {5, 100, false, {10, 50, 0}},  // landing: y back at its start,
                                                                  // arrival waits
        {5, 1, true, {10, 50, 0}}, {6, 2, false, {-1, 0, 2}},    {6, 6, false, {-4, 0, 8}},
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

TEST_F(BattleSpriteArt, AfterImageCopiesFadeBy3AndVanishWithTheirFighter) {
    const u16 under = 0x0C63, colour = PlainColour(15001, 0);  // one plain colour

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
        EXPECT_EQ(
            std::tuple(gPaintBuf[100 * 640 + 50 + 100 * i], gPaintBuf[99 * 640 + 50 + 100 * i]),
            std::tuple(BlendRef(colour, under, 16 - 3 * i), under))
            << i;
    }
    fighter.flags = 0;
    UpdateAfterImages();
    EXPECT_FALSE(a->Taken());
}
