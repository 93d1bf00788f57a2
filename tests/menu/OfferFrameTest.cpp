// The offering and transformation pages through the real tick on the sample
// game: who is listed, the question, the animation and the offering's result,
// the form details with their skills, and bad values in the records.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "menu/MenuPages.h"
#include "menu/OfferFrame.h"
#include "menu/TransformFrame.h"
#include "mhdata/SampleOfferArt.h"

namespace {

using Texts = std::vector<std::string>;

// The monster whose name (or, for the nameless one, description) is utf8.
i32 MonsterNamed(const char* utf8) {
    std::string big5 = Utf8ToBig5(utf8);
    for (i32 i = 0; i < gMonsterCount; ++i)
        if (big5 == gMonsters[i].name ||
            (!gMonsters[i].name[0] && big5 == gMonsters[i].description))
            return i;
    return -1;
}

// Grows the monster table to n records, as a larger database would load it:
// the new ones zeroed and none owned.
void GrowMonsters(i32 n) {
    const size_t old = static_cast<size_t>(gMonsterCount), size = static_cast<size_t>(n);
    gMonsters = static_cast<MonsterData*>(std::realloc(gMonsters, size * sizeof(MonsterData)));
    gOwnedMonsters = static_cast<i32*>(std::realloc(gOwnedMonsters, size * sizeof(i32)));
    ASSERT_TRUE(gMonsters && gOwnedMonsters);
    std::memset(static_cast<void*>(gMonsters + old), 0, (size - old) * sizeof(MonsterData));
    std::memset(gOwnedMonsters + old, 0, (size - old) * sizeof(i32));
    gMonsterCount = n;
}

struct OfferTest : MenuPageTest {
    i32 golem = -1, phantom = -1, nameless = -1;
    void SetUp() override {
        MenuPageTest::SetUp();
        golem = MonsterNamed("石魔像");
        phantom = MonsterNamed("幻影");
        nameless = MonsterNamed("無名之物");
        // The opening unlocks forms 0 and 1 and gives two golems and a phantom.
        ASSERT_TRUE(golem >= 0 && phantom > golem && nameless >= 0);
    }
    // The choice: mode, form and monster.
    static std::tuple<u32, i32, i32> Choice() {
        return {gOfferFrame->mode, gOfferFrame->chosenForm, gOfferFrame->chosenMonster};
    }
    cOfferFrame& Offer() { return *gOfferFrame; }
    i32 PicAct() { return static_cast<i32>(Offer().monsterPic->normalPic->player.act); }
    void OpenOffer() {
        OpenSide(2, 4);
        sounds.Clear();
    }
    void ClickForm(int s) { ClickAt(60 + 198 * (s % 2), 396 + 24 * (s / 2)); }
    void ClickMonster(int k) { ClickAt(500, 108 + 24 * k); }
    void Confirm() { ClickAt(400, 335); }
    // Runs the animation out once 確定 is clicked.
    void RunOut() { h.RunFrames(30); }
    // Chooses form 0 and the first monster, confirms, and runs the nine blend
    // ticks and the tick that shows the effects.
    void StartAnOffering() {
        ClickForm(0);
        ClickMonster(0);
        ASSERT_TRUE(Offer().mode & kOfferAsking);
        sounds.Clear();
        Confirm();
        h.RunFrames(10);
        ASSERT_TRUE(Offer().mode & kOfferSecondPhase);
    }
    // Rewrites the act archive holding the blessing (act 8079) with that act
    // changed by edit, and drops what the game read of the old one.
    void RewriteBlessing(void (*edit)(std::map<u32, ActProgram>&, u32)) {
        using sampleOffer::kBlessAct;
        const u32 archive = kBlessAct / kPicsPerArchive;
        std::map<u32, ActProgram> acts;
        for (const auto& [n, a] : SampleActs())
            if (n / kPicsPerArchive == archive) acts[n % kPicsPerArchive] = a;
        edit(acts, kBlessAct % kPicsPerArchive);
        std::string path = std::string(gBasePath) + kPicArchiveNames[archive] + ".act";
        for (char& c : path)
            if (c == '\\') c = '/';
        WriteHostFile(path, BuildActArchive(acts));
        FreeActs();
    }
    // Ticks of the offering's second phase until it finishes (limit 400).
    int SecondPhaseTicks() {
        int n = 0;
        while ((Offer().mode & kOfferPlaying) && n < 400) {
            h.RunFrames(1);
            ++n;
        }
        return n;
    }
};

TEST_F(OfferTest, OnlyOwnedOrdinaryNamedMonstersAreListed) {
    gOwnedMonsters[nameless] = 3;
    auto form = std::find_if(gMonsters, gMonsters + gMonsterCount,
                             [](const MonsterData& m) { return m.kind == 1; });
    ASSERT_NE(form, gMonsters + gMonsterCount);
    gOwnedMonsters[form - gMonsters] = 4;
    OpenOffer();
    EXPECT_EQ(Offer().monsters,
              (std::deque<u32>{static_cast<u32>(golem), static_cast<u32>(phantom)}));
    EXPECT_EQ(Offer().forms, (std::deque<u32>{0, 1}));
}

TEST_F(OfferTest, AnOfferingRaisesTheFormAndSpendsOneMonster) {
    MonsterData& f = gGodForms[0];
    f.offerValue = 95;
    f.attack = 495;
    f.defence = 5;
    f.ratios[kFire] = 100;
    f.ratios[kDark] = 2;
    OpenOffer();
    ClickForm(0);
    EXPECT_EQ(Offer().mode, kOfferForm);
    ClickMonster(0);
    ASSERT_EQ(Offer().mode, kOfferForm | kOfferMonster | kOfferAsking);
    sounds.Clear();
    ::ClickAt(h, 400, 335, 0);  // 確定: the release's tick clicks, the next one starts
    h.RunFrames(2);
    EXPECT_EQ(sounds.played(), (std::vector<int>{265, sampleOffer::kBlessSound}))
        << "確定, then the blessing's own sound";
    ASSERT_NE(Offer().offeredPic, nullptr);
    // A click and a right click on a monster row during the blend: not read,
    // and dropped at the end.
    gDInput.SetMousePos(500, 108);
    const bool left[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0}, right[9] = {0, 0, 0, 1, 0, 0, 0, 0, 0};
    std::vector<u32> blends;
    for (int t = 0; t < 9; ++t) {
        PlatformSetMouseButtons(left[t], right[t]);
        h.RunFrames(1);
        blends.push_back(Offer().offeredPic->blendA);
    }
    EXPECT_EQ(blends, (std::vector<u32>{3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_FALSE(Offer().mode & kOfferSecondPhase);
    RunOut();
    EXPECT_EQ(Choice(), std::make_tuple(u32{kOfferForm}, 0, -1)) << "the form stays chosen";
    EXPECT_EQ(gMouseInput.rightClick, 0u);
    // 95 + 10 caps at 99; attack 495 + 10 stops at 500, defence 5 - 10 at 0;
    // the ratios take the bonuses unbounded.
    EXPECT_EQ(std::make_tuple(f.offerValue, f.attack, f.defence, f.ratios[kFire], f.ratios[kDark]),
              std::make_tuple(99, 500, 0, 107, -1));
    EXPECT_EQ(std::string(Offer().offerText), " 99");
    EXPECT_EQ(gOwnedMonsters[golem], 1);
    EXPECT_EQ(Offer().rowCounts[0]->value, &gOwnedMonsters[golem]) << "the row shows one less";
    EXPECT_EQ(gMouseInput.y, 110) << "the cursor stays on the row";

    // The last 幻影 (row 1): the list loses the row, the cursor goes up one;
    // the last 石魔像 on row 0: the cursor stays on row 0.
    const std::pair<int, std::deque<u32>> lasts[] = {{1, {static_cast<u32>(golem)}}, {0, {}}};
    for (const auto& [row, left] : lasts) {
        ClickMonster(row);
        ASSERT_TRUE(Offer().mode & kOfferAsking) << "the chosen form asks at once";
        Confirm();
        RunOut();
        EXPECT_EQ(Offer().monsters, left);
        EXPECT_EQ(std::make_pair(Offer().rowNames.size(), gMouseInput.y),
                  std::make_pair(left.size(), 110));
    }
    EXPECT_EQ(std::make_pair(gOwnedMonsters[golem], gOwnedMonsters[phantom]), std::make_pair(0, 0));
}

TEST_F(OfferTest, MonsterFirstThenFormAndTheWaysToCancel) {
    gOwnedMonsters[golem] = 1;
    OpenOffer();
    ClickMonster(0);
    EXPECT_EQ(Offer().mode, kOfferMonster) << "no question without a form";
    ClickForm(1);
    EXPECT_TRUE(Offer().mode & kOfferAsking);
    EXPECT_EQ(Offer().chosenForm, 1);
    sounds.Clear();
    ClickAt(480, 335);  // 取消
    EXPECT_EQ(sounds.played(), (std::vector<int>{263}));
    EXPECT_EQ(Choice(), std::make_tuple(0u, -1, -1));
    ClickForm(0);
    ClickMonster(0);
    ASSERT_TRUE(Offer().mode & kOfferAsking);
    RightClick();
    EXPECT_EQ(Choice(), std::make_tuple(0u, -1, -1));
    EXPECT_EQ(gOwnedMonsters[golem], 1);
    EXPECT_EQ(gFrameId, kScreenBit | 4u) << "backing out of a choice stays on the page";
}

TEST_F(OfferTest, PreviewsAndBadValues) {
    gOwnedMonsters[golem] = 1;
    gOwnedMonsters[phantom] = 1;
    gMonsters[golem].offerBonus[0] = 123456789;
    gGodForms[0].index = 40;  // a save may hold any word there
    OpenOffer();
    // The act-0 monster first: 3201/13 where the control stands at first.
    MoveTo(500, 108 + 24, 2);
    ASSERT_NE(Offer().monsterPic->normalPic, nullptr);
    EXPECT_EQ(std::make_tuple(PicAct(), Action(Offer().monsterPic), Spot(Offer().monsterPic)),
              std::make_tuple(3201, 13, std::pair(320, 270)));
    EXPECT_NE(Offer().monsterPic->normalPic->frame, nullptr) << "the sample draws 3201/13";
    MoveTo(500, 108, 2);
    // Bounded to the line; no water bonus.
    EXPECT_EQ(
        (Texts{gAbilityPanel.lines[0], gAbilityPanel.lines[1], gAbilityPanel.lines[2 + kFire]}),
        (Texts{"+99999999", "-10", "+7"}));
    EXPECT_TRUE(PanelShown(4) && PanelShown(11) && !PanelShown(12));
    ASSERT_EQ(Action(Offer().monsterPic), 13);
    EXPECT_NE(Offer().monsterPic->normalPic->frame, nullptr) << "the monster's act has action 13";
    ClickForm(0);
    EXPECT_EQ(Action(Offer().formPic), 8) << "form 0's picture, not word 40's";
}

// The animation lasts as long as the blessing (effect A, 16 steps), not the
// rising light (effect B, 12 steps); the monster goes once B reaches step 11.
TEST_F(OfferTest, TheAnimationEndsWithTheBlessing) {
    OpenOffer();
    StartAnOffering();
    bool bDoneWhilePlaying = false, hiddenEarly = false, hiddenLate = true;
    int ticks = 0;
    while (Offer().mode & kOfferPlaying && ticks < 400) {
        if (Offer().effects[0]->IsDone()) {
            h.RunFrames(1);
            ++ticks;
            EXPECT_FALSE(Offer().mode & kOfferPlaying) << "the tick after the blessing ends";
            break;
        }
        int stepB = Offer().effects[1]->GetStep();
        bDoneWhilePlaying |= Offer().effects[1]->IsDone() != 0;
        if (stepB <= 10) hiddenEarly |= !Offer().monsterPic->shown;
        h.RunFrames(1);
        ++ticks;
        if (stepB >= 11 && (Offer().mode & kOfferPlaying)) hiddenLate &= !Offer().monsterPic->shown;
    }
    EXPECT_TRUE(bDoneWhilePlaying) << "the light ends first and does not end the offering";
    EXPECT_FALSE(hiddenEarly) << "the monster stays up to step 10 of the light";
    EXPECT_TRUE(hiddenLate) << "and goes from step 11";
    EXPECT_NEAR(ticks, sampleOffer::kBlessSteps, 1);
    EXPECT_EQ(gOwnedMonsters[golem], 1);
}

// A looping blessing ends the offering after 300 ticks, a missing one at once
// (and plays no sound); the offering is made all the same.
TEST_F(OfferTest, ALoopingOrMissingBlessingStillEnds) {
    // Missing or looping, the ticks of the second phase, the sounds.
    const std::tuple<bool, int, std::vector<int>> cases[] = {
        {false, 300, {265, sampleOffer::kBlessSound}}, {true, 1, {265}}};
    for (const auto& [missing, ticks, played] : cases) {
        SCOPED_TRACE(missing ? "missing" : "looping");
        if (missing) {
            RewriteBlessing([](std::map<u32, ActProgram>& acts, u32 k) { acts.erase(k); });
        } else {
            RewriteBlessing([](std::map<u32, ActProgram>& acts, u32 k) {
                std::vector<u16>& w = acts[k].parts[0];
                ASSERT_EQ(w.back(), kActO2);
                w.back() = kActOV;  // back to the start forever
            });
        }
        gOwnedMonsters[golem] = 1;
        const i32 before = gGodForms[0].offerValue;
        OpenOffer();
        StartAnOffering();
        EXPECT_EQ(sounds.played(), played);
        EXPECT_EQ(SecondPhaseTicks(), ticks);
        EXPECT_EQ(gOwnedMonsters[golem], 0);
        EXPECT_EQ(gGodForms[0].offerValue, std::min(before + 10, 99));
        CloseToMap(h);
    }
}

TEST_F(OfferTest, NoFormUnlockedAsksNothing) {
    PutGameFlag(300, 0);
    PutGameFlag(301, 0);
    gOwnedMonsters[golem] = 1;
    OpenOffer();
    for (cControl* c : Offer().slotPic) EXPECT_FALSE(c->shown);
    EXPECT_EQ(gAbilityPanel.slots[4], nullptr);
    ClickMonster(0);
    ClickForm(0);
    EXPECT_EQ(Offer().mode, kOfferMonster);
}

// Monster 300 lies past the picture offsets table (256 entries): its preview
// and its offering read no offset, while 250, inside it, is drawn 20 higher.
TEST_F(OfferTest, AMonsterPastTheOffsetsTable) {
    GrowMonsters(301);
    for (i32 m : {250, 300}) {
        gMonsters[m] = gMonsters[golem];
        gMonsters[m].index = m;
    }
    for (i32 m = 0; m < gMonsterCount; ++m) gOwnedMonsters[m] = m == 250 || m == 300;
    OpenOffer();
    ASSERT_EQ(Offer().monsters, (std::deque<u32>{250, 300}));
    MoveTo(500, 108, 2);
    EXPECT_EQ(Offer().monsterPic->y, 250);
    MoveTo(500, 108 + 24, 2);
    ASSERT_NE(Offer().monsterPic->normalPic, nullptr);
    EXPECT_EQ(std::make_pair(PicAct(), Spot(Offer().monsterPic)),
              std::make_pair(static_cast<i32>(gMonsters[golem].act), std::pair(320, 270)));
    ClickForm(0);
    ClickMonster(1);
    Confirm();
    h.RunFrames(10);
    EXPECT_EQ(Offer().monsterPic->y, 270) << "the offered picture";
    SecondPhaseTicks();
    EXPECT_EQ(gOwnedMonsters[300], 0);
    EXPECT_EQ(Offer().monsters, (std::deque<u32>{250}));
}

// ---- the transformation page ----

struct TransformTest : OfferTest {
    cTransformFrame& Page17() { return *gTransformFrame; }
    // The skill rows' names, "-" for a hidden row.
    Texts SkillRows() {
        Texts out;
        for (cControl* c : Page17().skillName) out.push_back(c->shown ? Text(c) : "-");
        return out;
    }
    void OpenTransform() { OpenSide(3, 17); }
};

TEST_F(TransformTest, TheFirstFormWithItsSkillsPacked) {
    MonsterData& f = gGodForms[0];
    const i32 skills[5] = {0, 1, 9999, 2, 3};  // 0 and 9999 name no skill
    for (int k = 0; k < 5; ++k) f.specials[k].skill = skills[k];
    f.healSkill.skill = 4;
    gSkills[4].mpCost = INT_MIN;
    OpenTransform();
    EXPECT_EQ(sounds.played(), (std::vector<int>{261, 261})) << "the side row, then the first form";
    EXPECT_EQ(Page17().shownForm, 0);
    Texts names = {gSkills[1].name, gSkills[2].name, gSkills[3].name, gSkills[4].name, "-", "-"};
    EXPECT_EQ(SkillRows(), names);
    EXPECT_EQ(std::string(Page17().mpText[3]), "Mp:-2147483648");
    EXPECT_FALSE(Page17().skillMp[5]->shown);

    // Slots 0-3 filled, slot 4 empty, the healing special: row 4.
    for (int k = 0; k < 4; ++k) f.specials[k].skill = 1 + k;
    f.specials[4].skill = -1;
    f.healSkill.skill = 5;
    ClickAt(520, 108);  // the row of the form shown
    names[4] = gSkills[5].name;
    EXPECT_EQ(SkillRows(), names);
    // The agility row has no caption on its right.
    MoveTo(340, 175, 2);
    EXPECT_FALSE(Page17().hintLine->shown);
    MoveTo(240, 175, 2);
    EXPECT_TRUE(Page17().hintLine->shown);
    EXPECT_EQ(std::string(Page17().hint), Big5("敏捷"));
}

TEST_F(TransformTest, ElevenFormsAndMoreScrollToTheLengthLessTen) {
    for (i32 n = 0; n < 12; ++n) PutGameFlag(300 + n, 1);
    OpenTransform();
    EXPECT_EQ(std::make_pair(Page17().rowPics.size(), Page17().maxTop),
              std::make_pair(size_t{10}, 2));
}

}  // namespace
