// The sample game's design at a glance: its people, talks, shops, quests and
// flags by name, each on a line. The maps, the talks' source and the tests take
// the numbers from here; the talks' source names them as written below.
#pragma once
#include <map>
#include <string>

#include "base/Types.h"

// People: role ids on the maps.
constexpr int kSamplePlayerRole = 1;           // the player, on the town's street
constexpr int kSampleHarbourMasterRole = 100;  // walks by the water; the bounty
constexpr int kSampleLookerRole = 101;         // the carrier with the question
constexpr int kSampleGuardRole = 102;          // on the square, points the way
constexpr int kSampleRoomRole = 103;           // seen in the room during the visit
constexpr int kSampleCollectorRole = 104;      // asks for an item through the chooser
constexpr int kSampleKeeperRole = 105;         // the lighthouse keeper
constexpr int kSampleStoreRole = 110;          // the general store's keeper
constexpr int kSampleSmithRole = 111;          // the smith: sells, buys, strengthens

// Talks by number.
constexpr int kSampleOpeningTalk = 1;           // the new game's opening
constexpr int kSampleQuestionTalk = 2;          // the carrier's question
constexpr int kSampleSpotTalk = 3;              // the old stone
constexpr int kSampleCountdownTalk = 4;         // ninety seconds (no map leads here)
constexpr int kSampleCountdownEndTalk = 5;      // the countdown run out
constexpr int kSampleVariablesTalk = 6;         // variables and branches
constexpr int kSampleRewardTalk = 7;            // the harbour master's bounty
constexpr int kSampleShopTalk = 8;              // the smith's shop
constexpr int kSampleBattleTalk = 9;            // the pier: the pirates' fight
constexpr int kSampleRoomTalk = 10;             // the house's door: the room and back
constexpr int kSampleMusicTalk = 11;            // the tavern's song and a bell
constexpr int kSampleViewTalk = 12;             // a look along the harbour
constexpr int kSampleSignTalk = 13;             // the signpost: out to the world map
constexpr int kSampleWorldTownTalk = 14;        // the world map's town mark
constexpr int kSampleWorldLighthouseTalk = 15;  // the world map's lighthouse mark
constexpr int kSampleCollectorTalk = 16;        // the collector's item chooser
constexpr int kSampleGoodsTalk = 17;            // the opening's party and goods
constexpr int kSamplePortraitTalk = 20;         // a portrait beside a box
constexpr int kSampleKeeperTalk = 21;           // the keeper: question, raid, legend, ending
constexpr int kSampleStoreTalk = 25;            // the general store
constexpr int kSampleMeadowTalk = 27;           // the world map's meadow mark
constexpr int kSampleMeadowExitTalk = 28;       // the meadow's way back
constexpr int kSampleGuardTalk = 29;            // the guard's directions
constexpr int kSampleLighthouseExitTalk = 30;   // the lighthouse's way back
constexpr int kSampleWalkTalk = 40;             // the fisherman walks the pier and back
constexpr int kSampleGroupWalkTalk = 41;        // three walk together

// Shops by number.
constexpr int kSampleSmithShop = 1;  // sells, buys and strengthens
constexpr int kSampleStoreShop = 2;  // the general store, no strengthening

// Quests by number; their names are name texts of the same numbers.
constexpr int kSampleKeeperQuest = 8;   // from the opening until the legend
constexpr int kSamplePiratesQuest = 9;  // from the legend until the pirates leave
constexpr int kSampleBountyQuest = 10;  // from the bounty posted until paid
constexpr const char* kSampleQuestNames[] = {"幫助燈塔守塔人", "趕走碼頭的海盜", "港務長的賞金"};

// Flags the talks set.
constexpr int kSampleYesFlag = 200;          // the carrier's question answered yes
constexpr int kSampleNoFlag = 201;           // ... answered no
constexpr int kSampleSpotFlag = 202;         // the old stone read
constexpr int kSampleBranchFlag = 203;       // the branches all taken
constexpr int kSampleRoomFlag = 204;         // the room visited
constexpr int kSampleViewFlag = 205;         // the look along the harbour taken
constexpr int kSamplePortraitFlag = 206;     // the portrait has left
constexpr int kSampleWalkFlag = 210;         // the fisherman is back
constexpr int kSampleGroupWalkFlag = 211;    // the three have arrived
constexpr int kSampleCollectorFlag = 212;    // the collector took an item
constexpr int kSampleBountyFlag = 213;       // the bounty posted
constexpr int kSampleBountyPaidFlag = 214;   // the bounty paid
constexpr int kSamplePiratesFlag = 220;      // the pirates beaten, the pier free
constexpr int kSampleRaidFlag = 221;         // the captain's raid over
constexpr int kSampleEarnedForm = 2;         // the thunder god's form the legend earns
constexpr int kSampleEarnedFormFlag = 302;   // unlocks it (300 + form)
constexpr int kSampleSurviveLossFlag = 322;  // the raid's defeat keeps the game going

// The names above as the talks' source writes them, with their numbers.
const std::map<std::string, i64>& SampleDesignNames();
// Talk source with each of those names replaced by its number; a name not
// found stays, for the assembler to name.
std::string WithDesignNumbers(const std::string& named);
