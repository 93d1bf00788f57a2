// The sample records the battle rules need: fighting monsters (thieves, a
// boss at number 222), skills of every battle category, special, element and
// target kind, and offensive items.
#pragma once
#include <map>
#include <vector>

#include "mhdata/Archives.h"
#include "mhdata/Databases.h"

void AddSampleFighters(DatabaseSet& set);

// The fighters' art. A body act has, for facings 4 and 5, the stand, ready,
// cast, hurt, fallen, special, attack, critical and skill actions, three poses
// each (no delay) of the figure (SampleFigures.h), anchored at the middle of
// the frame's bottom edge: the special, attack and skill actions raise 0x1 on
// their second pose, the critical on the second and the third (two blows);
// stand, ready and fallen loop, the others end on their third pose. Effect acts
// raise 0x1 on frame 1.
void AddSampleFighterPictures(std::map<u32, ArchivePicture>* pics);
void AddSampleFighterActs(std::map<u32, ActProgram>* acts);
std::vector<u32> SampleBodyActs();
std::vector<u32> SampleEffectActs();

namespace sample_fighters {
constexpr u16 kCaptureAct = 7998;  // the capture orb, drawn by the battle art
constexpr i32 kBodyStand = 0, kBodyReady = 8, kBodyCast = 16, kBodyHurt = 24, kBodyFallen = 32,
              kBodySpecial = 40, kBodyAttack = 48, kBodyCritical = 56, kBodySkill = 64;
// The flat colour of frame k of an effect picture.
u16 BodyColour(u32 act, int frame);
// Digits (act 11000): action d shows digit d, action 10 the slash.
constexpr u16 kDigitAct = 11000;
constexpr i32 kDigitW = 4, kDigitH = 5;
// Bars and panels (act 11002): frames 0 party panel, 1 enemy panel, 2 gauge,
// 3 HP, 4 MP, 5 enemy gauge, 6 ordered mark, 7 command panel, 8 portrait.
constexpr u16 kBarAct = 11002;
struct PanelFrame {
    i32 w, h;
};
constexpr PanelFrame kPanelFrames[9] = {{60, 18}, {44, 8}, {50, 2},   {48, 3}, {48, 3},
                                        {40, 3},  {8, 8},  {200, 90}, {80, 80}};
}  // namespace sample_fighters

namespace sample {
constexpr i32 kThief = 5, kStatue = 6, kThunderGod = 7, kBoss = 222;
// The pirates of the pier fight, as strong as the slime and the goblin they
// stand in for; the boss is their captain.
constexpr i32 kPirate = 30, kPirateMate = 31;
constexpr i32 kSacrificeStrike = 7, kOffering = 8, kHeavyBlow = 9, kLifeDrain = 10, kManaDrain = 11,
              kRally = 12, kHolyRay = 13, kThunder = 14, kPoisonMist = 15, kSummonThunder = 16;
constexpr i32 kFireFlask = 8, kPoisonNeedle = 9, kScroll = 10, kSelfCharm = 11;
}  // namespace sample
