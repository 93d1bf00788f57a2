// The sample game's shop file "MH_Data\tore.dat".
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

struct ShopDef {
    u16 number;
    bool enhance;  // tag 2000 (with strengthening) or 2001
    struct Category {
        int k;  // 0..5
        std::vector<u16> ids;
    };
    std::vector<Category> categories;
};

// The whole file: a zero header of 512 bytes, then each shop's words.
std::vector<u8> MakeShopFile(const std::vector<ShopDef>& shops);
// The sample game's shops.
std::vector<ShopDef> SampleShops();
bool WriteSampleShops(const std::string& root, std::string* error);
