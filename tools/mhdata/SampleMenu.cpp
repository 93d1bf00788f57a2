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

ItemData Item(i32 id, const char* name, i32 type, i32 useKind, i32 place, i32 target, i32 mode) {
    ItemData it{};
    it.id = id;
    it.useKind = useKind;
    SetText(it.name, sizeof(it.name), name);
    it.price = 10 + id;
    it.castSkill = -1;
    it.effectMode = mode;
    it.icon = type;
    it.usePlace = place;
    it.target = target;
    char text[64];
    std::snprintf(text, sizeof(text), "%s的說明", name);
    SetText(it.description, sizeof(it.description), text);
    return it;
}
}  // namespace

void AppendMenuItems(std::vector<ItemData>& items) {
    ItemData it = Item(kStrengthPill, "強心丸", 3, 1, 1, 1, 1);
    it.strength = 5;
    it.stamina = -3;
    items.push_back(it);
    it = Item(kWeakDraught, "迷魂湯", 2, 1, 3, 1, 1);
    it.magic = -4;
    it.agility = 2;
    items.push_back(it);
    it = Item(kWisdomWater, "智慧水", 8, 1, 1, 1, 2);
    it.magic = 10;
    it.spirit = -5;
    items.push_back(it);
    it = Item(kRebirthHerb, "重生草", 9, 1, 3, 5, 5);
    it.magic = 50;
    it.spirit = 30;
    items.push_back(it);
    items.push_back(Item(kFireFlask, "火焰瓶", 10, 1, 3, 3, 1));
    items.push_back(Item(kWarDrum, "戰鼓", 10, 1, 2, 2, 1));
    items.push_back(Item(kBrokenBell, "破鈴", 11, 0, 3, 1, 1));
    items.push_back(Item(kNameless, "", 11, 1, 3, 1, 1));
    items.push_back(Item(kOldMap, "舊海圖", 12, 0, 0, 0, 0));
    const char* story[] = {"月之石", "星之石", "日之石", "海之珠", "風之羽", "港之鑰"};
    for (i32 id = kOldMap + 1; id < kItemCount; ++id) {
        if (id >= kFirstStory && id <= kLastStory)
            items.push_back(
                Item(id, story[id - kFirstStory], 12 + (id - kFirstStory) % 4, 0, 0, 0, 0));
        else if (id == kKeepsake)
            items.push_back(Item(id, "信物", 14, 0, 0, 0, 0));
        else if (id >= kFirstSpecial)
            items.push_back(Item(id, id % 2 ? "航海日誌" : "船長印章", 20 + id % 4, 0, 0, 0, 0));
        else
            items.push_back(Item(id, "", 0, 0, 0, 0, 0));  // a place kept for later items
    }
}

std::string SampleMenuTalkSource() {
    std::string s = R"(
talk 16
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
    SetFlag 212
    Say 0xFFF0 "謝謝，我收下了。"
    WaitSpeaker 0xFFF0
    End
shown:
    Say 0xFFF0 "這個我不需要。"
    WaitSpeaker 0xFFF0
    End

talk 17
    # The opening's party and goods.
)";
    for (int n = 2; n <= 6; ++n) s += "    JoinParty " + std::to_string(n) + "\n";
    for (i32 id : kOpeningItems)
        s += "    AddItem " + std::to_string(id) + " " + std::to_string(kOpeningCount) + "\n";
    s += MenuSkillOpeningLines();
    s += BattleGoodsOpeningLines();
    s += SampleEquipOpeningLines();
    s += "    AddL 0 " + std::to_string(kOpeningMoney) + "\n    End\n";
    return s;
}

void AppendMenuRoles(MapDbSpec& db) {
    // map, id, act, -, 1, x, y, talk, script, -, state, -, -
    db.roles.push_back({sampleMap::kTown, kCollectorRole, 2, 0, 1, 20, 14,
                        static_cast<u16>(kCollectorTalk), 0, 0, 0xC000, 0, 0});
}
