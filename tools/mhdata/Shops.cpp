// Writes tore.dat: per shop its start pair, each category tag with its ids, and
// the end word.
#include "mhdata/Shops.h"

#include <fstream>
#include <iterator>

#include "base/ByteIo.h"
#include "platform/Fault.h"
#include "data/ShopData.h"
#include "mhdata/Databases.h"
#include "mhdata/SampleShop.h"

std::vector<u8> MakeShopFile(const std::vector<ShopDef>& shops) {
    ByteWriter w;
    w.Zeros(kShopHeaderBytes);
    for (const ShopDef& s : shops) {
        w.U16(s.enhance ? kShopTagEnhance : kShopTagPlain);
        w.U16(s.number);
        for (const ShopDef::Category& c : s.categories) {
            w.U16(static_cast<u16>(kShopTagCategory + c.k));
            for (u16 id : c.ids) w.U16(id);
        }
        w.U16(kShopListEnd);
    }
    return std::move(w.bytes());
}

std::vector<ShopDef> SampleShops() {
    using namespace sample;
    return {
        // The harbour smithy: weapons, shields and armour, and strengthening.
        {1,
         true,
         {{0, {kShortSword, kGreatSword}}, {1, {kLongBow}}, {3, {kWoodShield, kLeatherHat}}}},
        // The general store: items (more than a page of them) and accessories.
        {2,
         false,
         {{5, std::vector<u16>(std::begin(sampleShop::kStoreItems),
                               std::end(sampleShop::kStoreItems))},
          {4, {kCharm}}}},
        // A pedlar with hats and items.
        {3, false, {{2, {kGodArmour}}, {5, {kBigPotion, kMagicBook}}}},
    };
}

bool WriteSampleShops(const std::string& root, std::string* error) {
    std::vector<u8> bytes = MakeShopFile(SampleShops());
    std::string path = root + "/MH_Data/tore.dat";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) *error = NotWrittenText(path);
    return static_cast<bool>(out);
}
