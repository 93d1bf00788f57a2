// The general store's keeper, her talk, and the sizes of the shop pictures.
#include "mhdata/SampleShop.h"

#include "mhdata/Maps.h"
#include "mhdata/SampleDesign.h"

std::string SampleShopTalkSource() {
    return WithDesignNumbers(R"(
talk kSampleStoreTalk
    # The general store.
    Say 0xFFF0 "要買點什麼？"
    WaitSpeaker 0xFFF0
    Shop kSampleStoreShop
    End
)");
}

void AppendShopRoles(MapDbSpec& db) {
    using namespace sampleShop;
    // map, id, act, -, 1, x, y, talk, script, -, state, -, -
    db.roles.push_back({sampleMap::kTown, kSampleStoreRole, 3, 0, 1, kStoreX, kStoreY,
                        static_cast<u16>(kSampleStoreTalk), 0, 0, 0xC000, 0, 0});
}

void ShopFrameSize(u32 action, i32* w, i32* h) {
    struct Size {
        u32 first, last;
        i32 w, h;
    };
    // Every control the keyboard reaches holds its cursor point; the overlay
    // (41) stays clear of every control, the strengthening screen's list marks
    // (14, 15) of its headings.
    const Size sizes[] = {
        {1, 8, 45, 40},     {9, 11, 640, 480}, {12, 13, 180, 330}, {16, 16, 155, 24},
        {17, 17, 15, 40},   {18, 21, 15, 14},  {22, 23, 220, 340}, {24, 24, 196, 24},
        {25, 25, 15, 45},   {26, 29, 15, 14},  {32, 33, 150, 30},  {34, 34, 250, 150},
        {35, 35, 230, 130}, {36, 39, 16, 14},  {40, 40, 100, 30},  {41, 41, 40, 40},
        {14, 15, 20, 20},
    };
    *w = 96;
    *h = 32;
    for (const Size& s : sizes)
        if (action >= s.first && action <= s.last) {
            *w = s.w;
            *h = s.h;
        }
}
