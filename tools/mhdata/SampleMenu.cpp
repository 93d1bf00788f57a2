// The sample game's menu items, the opening's goods and the collector's talk.
#include "mhdata/SampleMenu.h"

#include <cstdio>
#include <cstring>

#include "platform/TextCodec.h"
#include "mhdata/Databases.h"
#include "mhdata/Maps.h"
#include "mhdata/SampleBattleParty.h"
#include "mhdata/SampleEquip.h"
#include "mhdata/SampleSkillMenu.h"

namespace {
using namespace sampleMenu;

// The menu items' price and their description line.
i32 MenuPrice(i32 id) {
    return 10 + id;
}
std::string Described(const char* name) {
    char text[64];
    std::snprintf(text, sizeof(text), "%s的說明", name);
    return text;
}

// Items 8..16: what the menu's lists sort and use.
void AppendUsableItems(std::vector<ItemData>& items) {
    ItemData it = SampleItem({.id = kStrengthPill,
                              .name = "強心丸",
                              .useKind = 1,
                              .usePlace = 1,
                              .mode = 1,
                              .target = kTargetOneAlly,
                              .price = MenuPrice(kStrengthPill),
                              .icon = 3,
                              .description = Described("強心丸").c_str()});
    it.strength = 5;
    it.stamina = -3;
    items.push_back(it);
    it = SampleItem({.id = kWeakDraught,
                     .name = "迷魂湯",
                     .useKind = 1,
                     .usePlace = 3,
                     .mode = 1,
                     .target = kTargetOneAlly,
                     .price = MenuPrice(kWeakDraught),
                     .icon = 2,
                     .description = Described("迷魂湯").c_str()});
    it.magic = -4;
    it.agility = 2;
    items.push_back(it);
    it = SampleItem({.id = kWisdomWater,
                     .name = "智慧水",
                     .useKind = 1,
                     .usePlace = 1,
                     .mode = 2,
                     .target = kTargetOneAlly,
                     .price = MenuPrice(kWisdomWater),
                     .icon = 8,
                     .description = Described("智慧水").c_str()});
    it.magic = 10;
    it.spirit = -5;
    items.push_back(it);
    it = SampleItem({.id = kRebirthHerb,
                     .name = "重生草",
                     .useKind = 1,
                     .usePlace = 3,
                     .mode = 5,
                     .target = kTargetSelf,
                     .price = MenuPrice(kRebirthHerb),
                     .icon = 9,
                     .description = Described("重生草").c_str()});
    it.magic = 50;
    it.spirit = 30;
    items.push_back(it);
    items.push_back(SampleItem({.id = kFireFlask,
                                .name = "火焰瓶",
                                .useKind = 1,
                                .usePlace = 3,
                                .mode = 1,
                                .target = kTargetOneFoe,
                                .price = MenuPrice(kFireFlask),
                                .icon = 10,
                                .description = Described("火焰瓶").c_str()}));
    items.push_back(SampleItem({.id = kWarDrum,
                                .name = "戰鼓",
                                .useKind = 1,
                                .usePlace = 2,
                                .mode = 1,
                                .target = kTargetAllAllies,
                                .price = MenuPrice(kWarDrum),
                                .icon = 10,
                                .description = Described("戰鼓").c_str()}));
    items.push_back(SampleItem({.id = kBrokenBell,
                                .name = "破鈴",
                                .usePlace = 3,
                                .mode = 1,
                                .target = kTargetOneAlly,
                                .price = MenuPrice(kBrokenBell),
                                .icon = 11,
                                .description = Described("破鈴").c_str()}));
    items.push_back(SampleItem({.id = kNameless,
                                .name = "",
                                .useKind = 1,
                                .usePlace = 3,
                                .mode = 1,
                                .target = kTargetOneAlly,
                                .price = MenuPrice(kNameless),
                                .icon = 11,
                                .description = Described("").c_str()}));
    items.push_back(SampleItem({.id = kOldMap,
                                .name = "舊海圖",
                                .price = MenuPrice(kOldMap),
                                .icon = 12,
                                .description = Described("舊海圖").c_str()}));
}

// Items 17..203.
void AppendKeptItems(std::vector<ItemData>& items) {
    const char* story[] = {"月之石", "星之石", "日之石", "海之珠", "風之羽", "港之鑰"};
    // Story items and the keepsake, used nowhere; the others are places kept for later items.
    for (i32 id = kOldMap + 1; id < kItemCount; ++id) {
        const char* name = "";
        i32 type = 0;
        if (id >= kFirstStory && id <= kLastStory) {
            name = story[id - kFirstStory];
            type = 12 + (id - kFirstStory) % 4;
        } else if (id == kKeepsake) {
            name = "信物";
            type = 14;
        } else if (id >= kFirstSpecial) {
            name = id % 2 ? "航海日誌" : "船長印章";
            type = 20 + id % 4;
        }
        items.push_back(SampleItem({.id = id,
                                    .name = name,
                                    .price = MenuPrice(id),
                                    .icon = type,
                                    .description = Described(name).c_str()}));
    }
}

}  // namespace

void AppendMenuItems(std::vector<ItemData>& items) {
    AppendUsableItems(items);
    AppendKeptItems(items);
}

std::string SampleMenuTalkSource() {
    std::string s = R"(
talk kSampleCollectorTalk
    # The collector asks for a story item through the item chooser.
    Say 0xFFF0 "有要交給我的東西嗎？"
    WaitSpeaker 0xFFF0
    ItemChooser 1
    JumpIfAtLeast 8 2 @taken
    JumpIfAtLeast 8 1 @shown
    Say 0xFFF0 "沒有啊……"
    WaitSpeaker 0xFFF0
    End
taken:
    SetFlag kSampleCollectorFlag
    Say 0xFFF0 "謝謝，我收下了。"
    WaitSpeaker 0xFFF0
    End
shown:
    Say 0xFFF0 "這個我不需要。"
    WaitSpeaker 0xFFF0
    End

talk kSampleGoodsTalk
    # The opening's party and goods.
)";
    for (int n = 2; n <= 6; ++n) s += "    JoinParty " + std::to_string(n) + "\n";
    for (i32 id : kOpeningItems)
        s += "    AddItem " + std::to_string(id) + " " + std::to_string(kOpeningCount) + "\n";
    s += MenuSkillOpeningLines();
    s += BattleGoodsOpeningLines();
    s += SampleEquipOpeningLines();
    s += "    AddL 0 " + std::to_string(kOpeningMoney) + "\n    End\n";
    return WithDesignNumbers(s);
}

void AppendMenuRoles(MapDbSpec& db) {
    // map, id, act, -, 1, x, y, talk, script, -, state, -, -
    db.roles.push_back({sampleMap::kTown, kSampleCollectorRole, 2, 0, 1, 20, 14,
                        static_cast<u16>(kSampleCollectorTalk), 0, 0, 0xC000, 0, 0});
}
