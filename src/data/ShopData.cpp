// Reading one shop out of the word stream of tore.dat into the shop stock.
#include "data/ShopData.h"

#include "base/ByteIo.h"

ShopStock gShopStock;

namespace {

bool IsShopTag(u16 w) {
    return w == kShopTagEnhance || w == kShopTagPlain;
}

}  // namespace

ShopParse ParseShop(const std::vector<u8>& file, u32 n, ShopStock* out) {
    if (file.size() < kShopHeaderBytes + 4) return ShopParse::NoShop;
    // Whole words only: a trailing odd byte is not part of the stream.
    const size_t words = (file.size() - kShopHeaderBytes) / 2;
    auto word = [&](size_t i) { return LoadU16(&file[kShopHeaderBytes + 2 * i]); };
    size_t at = 0;
    for (; at + 1 < words; ++at)
        if (IsShopTag(word(at)) && word(at + 1) == n) break;
    if (at + 1 >= words) return ShopParse::NoShop;

    ShopStock s;
    s.enhance = word(at) == kShopTagEnhance ? 1 : 0;
    // Each category takes the ids after its first tag; a tag seen again, and
    // the list of tag 1006, are read past.
    bool seen[kShopCategories] = {};
    ShopCategory* current = nullptr;
    for (size_t i = at + 2; i < words; ++i) {
        u16 w = word(i);
        if (w == kShopListEnd || IsShopTag(w)) break;
        if (w >= kShopTagCategory && w < kShopTagCategory + kShopCategories) {
            int k = w - kShopTagCategory;
            current = seen[k] ? nullptr : &s.cat[k];
            seen[k] = true;
            s.cat[k].index = k;
            continue;
        }
        if (w == kShopTagIgnored || w >= kShopTagCategory) {
            current = nullptr;
            continue;
        }
        if (current) current->ids.push_back(w);
    }
    *out = std::move(s);
    return ShopParse::Ok;
}

void ResetShopStock() {
    gShopStock = ShopStock{};
}
