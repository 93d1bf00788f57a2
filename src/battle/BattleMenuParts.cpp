// The command rows of each role, the ring points, and the role a fighter is
// commanded as.
#include "battle/BattleMenuParts.h"

#include "data/GameFlags.h"
#include "battle/Fighter.h"

// clang-format off
CommandRow gCommandRows[kRoleCount][kRingRows];
namespace {
constexpr CommandRow kCommonRows[4] = {
    {0, 1, 1, "攻擊"}, {1, 1, 5, "防禦"}, {2, 1, 9, "待機"}, {3, 1, 13, "逃跑"}};
constexpr CommandRow kRoleRows[kRoleCount][4] = {
    {{4, 1, 17, "物品"}, {7, 1, 29, "捕捉"}, {13, 1, 53, "醫療"}, {14, 1, 65, "戰技"}},
    {{4, 1, 17, "物品"}, {10, 1, 25, "召喚"}, {12, 1, 49, "神術"}, {14, 1, 65, "戰技"}},
    {{4, 1, 17, "物品"}, {6, 1, 37, "偷竊"}, {11, 1, 45, "魔法"}, {16, 1, 61, "吟唱"}},
    {{4, 1, 17, "物品"}, {5, 1, 41, "投擲"}, {11, 1, 45, "魔法"}, {14, 1, 65, "戰技"}},
    {{4, 1, 17, "物品"}, {6, 1, 37, "偷竊"}, {11, 1, 45, "魔法"}, {15, 1, 57, "幻術"}},
    {{4, 1, 17, "物品"}, {9, 1, 21, "變身"}, {11, 1, 45, "魔法"}, {15, 1, 57, "幻術"}},
    {{4, 1, 17, "物品"}, {7, 1, 29, "捕捉"}, {12, 1, 49, "神術"}, {15, 1, 57, "幻術"}},
    {{4, 1, 17, "物品"}, {8, 1, 33, "空襲"}, {13, 1, 53, "醫療"}, {16, 1, 61, "吟唱"}},
};
}  // namespace
const RingPoint gRingPoints[kRingRows] = {{364, 18}, {394, 24}, {406, 50}, {392, 76},
                                          {366, 82}, {336, 76}, {322, 50}, {336, 26}};
const RingPoint gCreatureRingPoints[kCreatureRows] = {{462, 12}, {406, 24}, {384, 56}, {424, 80}};
// clang-format on

i32 CommandRole(const cFighter& f) {
    if (f.pic >= static_cast<u32>(kRoleCount)) return -1;
    i32 r = static_cast<i32>(f.pic);
    if (GetGameFlag(kLeadSwapFlag) && r < 2) r = 1 - r;
    return r;
}

CommandRow DefaultCommandRow(i32 role, int k) {
    if (role < 0 || role >= kRoleCount || k < 0 || k >= kRingRows) return {};
    return k < 4 ? kCommonRows[k] : kRoleRows[role][k - 4];
}

void ResetBattleMenus() {
    for (int r = 0; r < kRoleCount; ++r)
        for (int k = 0; k < kRingRows; ++k) gCommandRows[r][k] = DefaultCommandRow(r, k);
}
