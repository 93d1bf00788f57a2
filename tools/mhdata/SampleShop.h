// The sample game's additions for the shops: the general store's keeper in
// the town and her talk, and the frame sizes of the shop pictures (act 9907).
#pragma once
#include <string>

#include "base/Types.h"
#include "mhdata/Databases.h"
#include "mhdata/SampleDesign.h"
#include "mhdata/SampleMenu.h"

struct MapDbSpec;

namespace sampleShop {
constexpr u16 kStoreX = 24, kStoreY = 14;
// The store's items, in the order its list shows them.
constexpr u16 kStoreItems[] = {
    sample::kBigPotion,       sample::kAntidote,         sample::kReviveDrug,
    sample::kPowerFruit,      sampleMenu::kStrengthPill, sampleMenu::kWeakDraught,
    sampleMenu::kWisdomWater, sampleMenu::kRebirthHerb,  sampleMenu::kFireFlask,
    sampleMenu::kWarDrum,     sampleMenu::kBrokenBell,   sampleMenu::kOldMap,
    sampleMenu::kFirstStory};
}  // namespace sampleShop

std::string SampleShopTalkSource();
void AppendShopRoles(MapDbSpec& db);
// Width and height of action `action` of the shop act 9907.
void ShopFrameSize(u32 action, i32* w, i32* h);
