// The data tables, the owned state and the shared constant tables.
#include "data/GameData.h"

#include <cstdlib>
#include <cstring>

#include "platform/TextCodec.h"
#include "data/GameDatabase.h"

RoleData gRoles[kRoleCount];
RoleStats gRoleStats[kRoleCount];
i32 gLevelUpStats[kRoleCount][kLevelRows][kLevelRowWords];
LevelUpSkill gLevelUpSkills[kRoleCount][kSkillRows];
i32 gLearnedSkills[kRoleCount][kSkillRows];

MonsterData* gMonsters = nullptr;
i32 gMonsterCount = 0;
i32* gOwnedMonsters = nullptr;
ItemData* gItems = nullptr;
i32 gItemCount = 0;
i32* gOwnedItems = nullptr;
EquipageData* gEquipages = nullptr;
i32 gEquipageCount = 0;
SkillData* gSkills = nullptr;
i32 gSkillCount = 0;

MonsterData gGodForms[kGodFormCount];
EquipageData gOwnedEquipage[kOwnedEquipageCount];
i32 gParty[kPartySize];
i32 gFormation[kPartySize];
int gRulesInBattle = 0;

const char* const gStatusNames[kStatusNameCount] = {
    B5("正常"), B5("沈睡"), B5("快速"), B5("遲緩"), B5("祝福"), B5("衰弱"), B5("星星"), B5("月亮"),
    B5("太陽"), B5("神壁"), B5("禁咒"), B5("中毒"), B5("混亂"), B5("麻痺"), B5("盲目"), B5("瀕死"),
};

const char* StatusName(i32 k) {
    return k >= 0 && k < kStatusNameCount ? gStatusNames[k] : nullptr;
}

const char* const gSkillCategoryNames[kSkillCategoryCount] = {
    B5("戰 　技"), B5("神 　術"), B5("召 　喚"), B5("醫 　療"), B5("捕 　捉"), B5("吟 　唱"),
    B5("魔 　法"), B5("偷 　竊"), B5("投 　擲"), B5("幻 　術"), B5("變 　身"), B5("空 　襲"),
};

const char* SkillCategoryName(i32 k) {
    return k >= 0 && k < kSkillCategoryCount ? gSkillCategoryNames[k] : nullptr;
}

const ItemData* GetItemRecord(i32 n) {
    return gItems && n >= 0 && n < gItemCount ? &gItems[n] : nullptr;
}

const SkillData* GetSkillRecord(i32 n) {
    return gSkills && n > 0 && n < gSkillCount ? &gSkills[n] : nullptr;
}

const EquipageData* GetEquipageRecord(i32 n) {
    return gEquipages && n >= 0 && n < gEquipageCount ? &gEquipages[n] : nullptr;
}

const MonsterData* GetMonsterRecord(i32 n) {
    return gMonsters && n >= 0 && n < gMonsterCount ? &gMonsters[n] : nullptr;
}

EquipageData* GetOwnedEquipage(i32 n) {
    return n >= 0 && n < kOwnedEquipageCount ? &gOwnedEquipage[n] : nullptr;
}

void ResetGameData() {
    ReleaseGameDatabase();
    std::memset(gRoles, 0, sizeof(gRoles));
    std::memset(gRoleStats, 0, sizeof(gRoleStats));
    std::memset(gLevelUpStats, 0, sizeof(gLevelUpStats));
    std::memset(gLevelUpSkills, 0, sizeof(gLevelUpSkills));
    std::memset(gLearnedSkills, 0, sizeof(gLearnedSkills));
    std::memset(gGodForms, 0, sizeof(gGodForms));
    std::memset(gOwnedEquipage, 0, sizeof(gOwnedEquipage));
    for (EquipageData& e : gOwnedEquipage) e.id = -1;
    for (RoleData& r : gRoles)
        for (i32& s : r.equip) s = -1;
    for (int i = 0; i < kPartySize; ++i) gParty[i] = gFormation[i] = -1;
    gRulesInBattle = 0;
}

i32 gBattleRoleChanges[kBattleRoleChanges] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

void ResetBattleRoleChanges() {
    for (i32& r : gBattleRoleChanges) r = -1;
}
