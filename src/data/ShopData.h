// The shop file "MH_Data\tore.dat" and the stock of the shop a script opens.
#pragma once
#include <deque>
#include <vector>

#include "base/Types.h"

constexpr int kShopCategories = 6;  // weapons, shields, hats, armour, accessories, items
constexpr u32 kShopHeaderBytes = 512;
constexpr u16 kShopTagEnhance = 2000;  // a shop that also strengthens
constexpr u16 kShopTagPlain = 2001;
constexpr u16 kShopTagCategory = 1000;  // + k, k = 0..5
constexpr u16 kShopTagIgnored = 1006;
constexpr u16 kShopListEnd = 65535;

struct ShopCategory {
    i32 index = -1;  // the category, or -1 when the shop does not sell it
    std::deque<u32> ids;
};

struct ShopStock {
    u32 enhance = 0;  // 1: the shop came from tag 2000
    ShopCategory cat[kShopCategories];
};

extern ShopStock gShopStock;

enum class ShopParse { Ok, NoShop };
// Reads shop n from the words of a whole tore.dat into *out.
ShopParse ParseShop(const std::vector<u8>& file, u32 n, ShopStock* out);

void ResetShopStock();
