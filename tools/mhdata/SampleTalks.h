// The sample game's story scripts.
#pragma once
#include <string>

// Flags the sample talks set, for tests.
constexpr int kSampleYesFlag = 200;
constexpr int kSampleNoFlag = 201;
constexpr int kSampleSpotFlag = 202;
constexpr int kSampleBranchFlag = 203;
// Talk numbers of the sample game.
constexpr int kSampleOpeningTalk = 1;
constexpr int kSampleQuestionTalk = 2;
constexpr int kSampleSpotTalk = 3;
constexpr int kSampleCountdownTalk = 4;
constexpr int kSampleCountdownEndTalk = 5;
constexpr int kSampleVariablesTalk = 6;
constexpr int kSampleRewardTalk = 7;
constexpr int kSampleShopTalk = 8;
constexpr int kSampleBattleTalk = 9;
constexpr int kSampleRoomTalk = 10;
constexpr int kSampleMusicTalk = 11;
constexpr int kSampleViewTalk = 12;
constexpr int kSampleSignTalk = 13;
constexpr int kSampleWorldTownTalk = 14;
constexpr int kSampleWorldLighthouseTalk = 15;
constexpr int kSampleRoomFlag = 204;
constexpr int kSampleViewFlag = 205;
// The adventure: the lighthouse keeper's talk and the flag of the pirates beaten.
constexpr int kSampleKeeperTalk = 21;
constexpr int kSamplePiratesFlag = 220;
// The keeper's raid: the fight the party loses (kept going by flag 322), the
// flag once it is over, and the form it earns (form 2, unlocked by flag 302).
constexpr int kSampleRaidBattle = 14;
constexpr int kSampleRaidFlag = 221;
constexpr int kSampleEarnedForm = 2;
// The quests: the keeper's errand from the opening, then the pirates on the pier.
constexpr int kSampleKeeperQuest = 8, kSamplePiratesQuest = 9;
// The harbour master's bounty on the pirates: its quest, the flags of the
// bounty posted and paid.
constexpr int kSampleBountyQuest = 10, kSampleBountyFlag = 213, kSampleBountyPaidFlag = 214;
// The quests' names, quest 8 first (name texts 8, 9 and 10).
constexpr const char* kSampleQuestNames[] = {"幫助燈塔守塔人", "趕走碼頭的海盜", "港務長的賞金"};
// The meadow: in from its world-map mark, and back out.
constexpr int kSampleMeadowTalk = 27;
constexpr int kSampleMeadowExitTalk = 28;
// Walks: a person who walks a route and back, and three who walk together.
constexpr int kSampleWalkTalk = 40;
constexpr int kSampleGroupWalkTalk = 41;
constexpr int kSampleWalkFlag = 210;
constexpr int kSampleGroupWalkFlag = 211;

// The source of MH_Data\Talk1.dat.
const char* SampleTalkSource();
// Writes MH_Data\Talk1.dat under root.
bool WriteSampleTalks(const std::string& root, std::string* error);
