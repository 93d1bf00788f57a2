// The sample's pictures as a player meets them: the pier's deck under every
// place of the pier fight, each person's face in the clothes the person
// wears on the map, and icons that picture their things and keep to their
// rows and fighters.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "battle/BattleFiles.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "mhdata/Archives.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleFighters.h"
#include "support/MenuSession.h"

namespace {

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
int Red(u16 c) {
    return c >> 10 & 31;
}
int Blue(u16 c) {
    return c & 31;
}

using SampleArtTest = MenuTest;

// Every formation place (the fixed table of the battle's set-up) and each
// pirate's place of the pier fight, with the 40 x 12 shadow round the feet,
// stands on the deck's brown planks, not on the blue sea.
TEST_F(SampleArtTest, HarbourDeckHoldsEveryPlaceOfThePierFight) {
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
            for (i32 dx = -20; dx < 20; dx += 3)
                ASSERT_GT(Red(deck.At(x + dx, y)), Blue(deck.At(x + dx, y))) << x << "," << y;
}

// A face's shoulders (its bottom rows, inside the rim) are in a colour the
// person's own standing figure wears.
TEST_F(SampleArtTest, EachPersonsFaceWearsTheClothesOfTheirFigure) {
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

// Every item-type icon (9901/0..28) and status icon (30..44) is a picture, no
// two alike. An item icon fits the rows of the lists: at most 23 wide and 20
// high (a battle list's rows are 20 apart, the name 23 pixels right of the
// icon). A row of up to three status icons stays inside a party member's
// 60-pixel plate, up to two inside an enemy's 44: the row of n starts 9 n
// left of the plate's middle, each icon one pixel past the last.
TEST_F(SampleArtTest, IconsPictureTheirThingsAndKeepToTheirRowsAndFighters) {
    struct Group {
        u32 first, count;
        i32 maxW, maxH;
    };
    const Group groups[] = {{0, 29, 23, 20}, {30, 15, 640, 480}};
    std::set<std::vector<u16>> seen;
    for (const Group& g : groups)
        for (u32 a = g.first; a < g.first + g.count; ++a) {
            const Drawn d = DrawAct(9901, a);
            std::vector<u16> px;
            std::set<u16> colours;
            for (i32 y = 0; y < d.h; ++y)
                for (i32 x = 0; x < d.w; ++x) px.push_back(d.At(x, y)), colours.insert(d.At(x, y));
            EXPECT_GE(colours.size(), 3u) << "icon " << a << " is flat";
            EXPECT_TRUE(seen.insert(px).second) << "icon " << a << " repeats another";
            EXPECT_LE(d.w, g.maxW) << a;
            EXPECT_LE(d.h, g.maxH) << a;
            if (a >= 30) {
                for (auto [n, plate] : {std::pair{3, 60}, std::pair{2, 44}})
                    EXPECT_LE(-9 * n + n * (d.w + 1) - 2, plate / 2 - 1) << a << " x" << n;
            }
        }
}

}  // namespace
