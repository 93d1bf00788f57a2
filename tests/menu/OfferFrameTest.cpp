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

#include "menu/AbilityPanel.h"
#include "menu/MenuPages.h"
#include "menu/OfferFrame.h"
#include "menu/TransformFrame.h"
#include "mhdata/SampleOfferArt.h"

namespace {

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
    const size_t old = static_cast<size_t>(gMonsterCount);
    auto* records =
        static_cast<MonsterData*>(std::calloc(static_cast<size_t>(n), sizeof(MonsterData)));
    auto* owned = static_cast<i32*>(std::calloc(static_cast<size_t>(n), sizeof(i32)));
    ASSERT_TRUE(records && owned);
    std::memcpy(records, gMonsters, old * sizeof(MonsterData));
    std::memcpy(owned, gOwnedMonsters, old * sizeof(i32));
    std::free(gMonsters);
    std::free(gOwnedMonsters);
    gMonsters = records;
    gOwnedMonsters = owned;
    gMonsterCount = n;
}

struct OfferTest : MenuPageTest {
    i32 golem = -1, phantom = -1, nameless = -1;
    void SetUp() override {
        MenuPageTest::SetUp();
        golem = MonsterNamed("石魔像");
        phantom = MonsterNamed("幻影");
        nameless = MonsterNamed("無名之物");
        ASSERT_TRUE(golem >= 0 && phantom > golem && nameless >= 0);
        // The opening unlocks forms 0 and 1 and gives these monsters.
        ASSERT_TRUE(GetGameFlag(300) && GetGameFlag(301));
        ASSERT_EQ(Owned(), std::make_tuple(2, 1, 1));
    }
    // How many of the golem, the phantom and the nameless one are owned.
    std::tuple<i32, i32, i32> Owned() const {
        return {gOwnedMonsters[golem], gOwnedMonsters[phantom], gOwnedMonsters[nameless]};
    }
    // The choice: mode, form and monster.
    static std::tuple<u32, i32, i32> Choice() {
        return {gOfferFrame->mode, gOfferFrame->chosenForm, gOfferFrame->chosenMonster};
    }
    cOfferFrame& Offer() { return *gOfferFrame; }
    void OpenOffer() {
        OpenSide(2, 4);
        sounds.Clear();
    }
    void ClickForm(int s) { ClickAt(60 + 198 * (s % 2), 396 + 24 * (s / 2)); }
    void ClickMonster(int k) { ClickAt(500, 108 + 24 * k); }
    void Confirm() { ClickAt(400, 335); }
    void Cancel() { ClickAt(480, 335); }
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
    i32 form = -1;
    for (i32 i = 0; i < gMonsterCount && form < 0; ++i)
        if (gMonsters[i].kind == 1) form = i;
    ASSERT_GE(form, 0);
    gOwnedMonsters[form] = 4;
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

    // The last 幻影 (row 1): the list loses the row, the cursor goes up one.
    ClickMonster(1);
    ASSERT_TRUE(Offer().mode & kOfferAsking) << "the chosen form asks at once";
    Confirm();
    RunOut();
    EXPECT_EQ(gOwnedMonsters[phantom], 0);
    EXPECT_EQ(Offer().monsters, (std::deque<u32>{static_cast<u32>(golem)}));
    EXPECT_EQ(Offer().rowNames.size(), 1u);
    EXPECT_EQ(gMouseInput.y, 110);
    // The last 石魔像 on row 0: the cursor stays on row 0.
    ClickMonster(0);
    Confirm();
    RunOut();
    EXPECT_TRUE(Offer().monsters.empty());
    EXPECT_EQ(gMouseInput.y, 110);
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
    Cancel();
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
    EXPECT_EQ(Offer().monsterPic->normalPic->player.act, 3201);
    EXPECT_EQ(Action(Offer().monsterPic), 13);
    EXPECT_EQ(Spot(Offer().monsterPic), std::pair(320, 270));
    EXPECT_NE(Offer().monsterPic->normalPic->frame, nullptr) << "the sample draws 3201/13";
    MoveTo(500, 108, 2);
    EXPECT_EQ(std::string(gAbilityPanel.lines[0]), "+99999999") << "bounded to the line";
    EXPECT_EQ(std::string(gAbilityPanel.lines[1]), "-10");
    EXPECT_EQ(std::string(gAbilityPanel.lines[2 + kFire]), "+7");
    EXPECT_TRUE(gAbilityPanel.slots[4]->shown && gAbilityPanel.slots[11]->shown);
    EXPECT_FALSE(gAbilityPanel.slots[12]->shown) << "no water bonus";
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
    EXPECT_EQ(sounds.played(), (std::vector<int>{265, sampleOffer::kBlessSound}));
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
    EXPECT_GE(ticks, sampleOffer::kBlessSteps - 1);
    EXPECT_LE(ticks, sampleOffer::kBlessSteps + 1);
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
    ASSERT_LT(gMonsterCount, 301);
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
    EXPECT_EQ(Offer().monsterPic->normalPic->player.act, gMonsters[golem].act);
    EXPECT_EQ(Spot(Offer().monsterPic), std::pair(320, 270));
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
    const i32 rows[4] = {1, 2, 3, 4};
    for (int j = 0; j < 4; ++j) {
        EXPECT_TRUE(Page17().skillName[j]->shown) << j;
        EXPECT_EQ(std::string(Page17().skillName[j]->text), std::string(gSkills[rows[j]].name));
    }
    EXPECT_EQ(std::string(Page17().mpText[3]), "Mp:-2147483648");
    EXPECT_FALSE(Page17().skillName[4]->shown);
    EXPECT_FALSE(Page17().skillMp[5]->shown);

    // Slots 0-3 filled, slot 4 empty, the healing special: row 4.
    for (int k = 0; k < 4; ++k) f.specials[k].skill = 1 + k;
    f.specials[4].skill = -1;
    f.healSkill.skill = 5;
    ClickAt(520, 108);  // the row of the form shown
    EXPECT_EQ(std::string(Page17().skillName[4]->text), std::string(gSkills[5].name));
    EXPECT_TRUE(Page17().skillName[4]->shown);
    EXPECT_FALSE(Page17().skillName[5]->shown);
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
    EXPECT_EQ(Page17().rowPics.size(), 10u);
    EXPECT_EQ(Page17().maxTop, 2);
}

}  // namespace
