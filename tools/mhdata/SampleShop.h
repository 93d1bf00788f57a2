// The sample game's additions for the shops: the general store's keeper in
// the town and her talk, and the frame sizes of the shop pictures (act 9907).
#pragma once
#include <string>

#include "base/Types.h"

struct MapDbSpec;

namespace sampleShop {
constexpr int kStoreTalk = 25;  // opens shop 2, the general store (no strengthening)
constexpr u16 kStoreRole = 110;
constexpr u16 kStoreX = 24, kStoreY = 14;
constexpr u16 kStoreShop = 2;
// The store's items, in the order its list shows them.
constexpr u16 kStoreItems[] = {1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14, 16, 103};
}  // namespace sampleShop

std::string SampleShopTalkSource();
void AppendShopRoles(MapDbSpec& db);
// Width and height of action `action` of the shop act 9907.
void ShopFrameSize(u32 action, i32* w, i32* h);
