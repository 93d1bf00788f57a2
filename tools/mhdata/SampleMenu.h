// The sample game's additions for the menu pages and the item chooser: items
// of every kind the lists sort and test, the opening's party and goods, and a
// collector in the town who asks for a story item through the chooser.
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"
#include "data/Records.h"
#include "mhdata/SampleDesign.h"

struct MapDbSpec;

namespace sampleMenu {
constexpr i32 kItemCount = 204;   // every record below 300: AddItem reads 300 up as equipment
constexpr i32 kStrengthPill = 8;  // add: strength +5, stamina -3, magic 0; one member; type 3
constexpr i32 kWeakDraught = 9;   // add: magic -4, agility +2; one member; type 2
constexpr i32 kWisdomWater = 10;  // percent: magic +10, spirit -5; one member; type 8
constexpr i32 kRebirthHerb = 11;  // overwrite: magic 50, spirit 30; the user; type 9
constexpr i32 kFireFlask = 12;    // aimed at one foe: listed, does nothing; type 10
constexpr i32 kWarDrum = 13;      // battle only (use place 2)
constexpr i32 kBrokenBell = 14;   // use kind 0
constexpr i32 kNameless = 15;     // empty name
constexpr i32 kOldMap = 16;       // type 12 below the handed-over range
constexpr i32 kFirstStory = 103, kLastStory = 108;  // types 12..15, handed over in mode 1
constexpr i32 kKeepsake = 109;                      // type 14, shown in mode 1 but kept
constexpr i32 kFirstSpecial = 200, kLastSpecial = 203;
constexpr i32 kOpeningMoney = 500;
// What the opening gives: roles 1..5 join, these items (3 of each) and the money.
constexpr i32 kOpeningItems[] = {0,  1,  2,  3,  4,  5,  6,   7,   8,   9,   10,
                                 11, 12, 13, 14, 15, 16, 103, 108, 109, 200, 201};
constexpr i32 kOpeningCount = 3;
}  // namespace sampleMenu

// Appends items 8..203 to the sample's items 0..7.
void AppendMenuItems(std::vector<ItemData>& items);
// The talks of the goods and the collector, appended to the sample talks.
std::string SampleMenuTalkSource();
// Places the collector in the town.
void AppendMenuRoles(MapDbSpec& db);
