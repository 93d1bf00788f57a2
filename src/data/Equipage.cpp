// Owned equipment, strengthening, offering and equipment descriptions.
#include "data/Equipage.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Big5.h"
#include "platform/TextCodec.h"
#include "data/DerivedStats.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/StatMath.h"

namespace {

bool IsFree(const EquipageData& e) {
    return e.id < 0;
}

bool RoleWears(const RoleData& role, i32 n, EquipKind kind) {
    const int slot = SlotOf(kind);
    if (slot < 0) return false;
    if (slot == kSlotAccessory1 && role.equip[kSlotAccessory2] == n) return true;
    return role.equip[slot] == n;
}

// A piece's strength, stamina, magic, spirit, agility, attack and defence: the
// order of a monster's strengthening blocks.
constexpr i32 EquipageData::*kBlockValues[7] = {
    &EquipageData::strength, &EquipageData::stamina, &EquipageData::magic,   &EquipageData::spirit,
    &EquipageData::agility,  &EquipageData::attack,  &EquipageData::defence,
};

void AddBlock(EquipageData& piece, const i32 (&block)[7]) {
    for (int i = 0; i < 7; ++i) AddTo(piece.*kBlockValues[i], block[i]);
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(buf, sizeof(buf), format, ap);
    va_end(ap);
    return buf;
}

// "攻+10" / "攻-5" and the like: positive values get a plus; zero gives nothing.
std::string SignedPart(const char* label, i32 v, bool percent) {
    if (v == 0) return "";
    const char* format = v > 0 ? (percent ? "%s+%d%%" : "%s+%d") : (percent ? "%s%d%%" : "%s%d");
    return Format(format, label, v);
}

std::string BonusText(const EquipageData& r) {
    if (r.bonusMode != 1 && r.bonusMode != 2) return "";
    bool percent = r.bonusMode == 2;
    std::string text = SignedPart(B5("攻"), r.attack, percent);
    std::string defence = SignedPart(B5("防"), r.defence, percent);
    if (!text.empty() && !defence.empty()) text += B5("，");
    return text + defence;
}

// The HP and MP parts of specials 1 to 3: fixed points or percentages.
std::string HpMpParts(const EquipSpecial& s, bool percent) {
    std::string text;
    if (s.hp != 0)
        text += percent ? Format(s.hp > 0 ? "HP+%d%% " : "HP%d%% ", s.hp)
                        : Format(s.hp > 0 ? B5("HP+%d點 ") : B5("HP%d點 "), s.hp);
    if (s.mp != 0)
        text += percent ? Format(s.mp > 0 ? "%sMP+%d%%" : "%sMP%d%%", "", s.mp)
                        : Format(s.mp > 0 ? B5("%sMP+%d點") : B5("%sMP%d點"), "", s.mp);
    return text;
}

std::string SpecialText(const EquipSpecial& s) {
    switch (s.kind) {
        case 1:
            return Format(B5("每回合 %s"), HpMpParts(s, false).c_str());
        case 2:
            return Format(B5("每回合 %s"), HpMpParts(s, true).c_str());
        case 3:
            return Format(B5("攻擊敵人吸取 %s"), HpMpParts(s, true).c_str());
        case 4: {
            const char* name = s.status != 0 ? StatusName(s.status) : nullptr;
            return name ? Format(B5("攻擊後賦予 %s"), name) : "";
        }
        case 5:
            return B5("反彈敵人攻擊");
        case 6: {
            const SkillData* skill = GetSkillRecord(s.skill);
            return skill ? Format(B5("攻擊後附加 %s"), skill->name) : "";
        }
        default:
            return "";
    }
}

// Copies text into a field of width bytes: at most width - 1 bytes, whole Big5 characters only.
void CopyBig5(char* dst, size_t width, const std::string& text) {
    size_t n = Big5Cut(text.data(), text.size(), width - 1);
    std::memcpy(dst, text.data(), n);
    std::memset(dst + n, 0, width - n);
}

}  // namespace

i32 AddEquipage(const EquipageData& record) {
    for (i32 i = 0; i < kOwnedEquipageCount; ++i) {
        if (!IsFree(gOwnedEquipage[i])) continue;
        gOwnedEquipage[i] = record;
        return i;
    }
    return -1;
}

int IsEquipageEquipped(i32 n) {
    const EquipageData* p = GetOwnedEquipage(n);
    if (!p || IsFree(*p)) return 0;
    for (const RoleData& role : gRoles)
        if (RoleWears(role, n, EquipKindOf(*p))) return 1;
    return 0;
}

int CanRoleEquip(i32 n, i32 role) {
    const EquipageData* p = GetOwnedEquipage(n);
    if (!p || role < 0 || role >= kRoleCount) return 0;
    return (p->wearerMask >> role) & 1;
}

int CountUnwornEquipage(i32 id) {
    int count = 0;
    for (i32 i = 0; i < kOwnedEquipageCount; ++i)
        if (gOwnedEquipage[i].id == id && !IsFree(gOwnedEquipage[i]) && !IsEquipageEquipped(i))
            ++count;
    return count;
}

int CountFreeEquipageSlots() {
    int count = 0;
    for (const EquipageData& e : gOwnedEquipage)
        if (IsFree(e)) ++count;
    return count;
}

int GetPartyCount() {
    int n = 0;
    while (n < kPartySize && gParty[n] >= 0) ++n;
    return n;
}

int CountLearnedSkills(i32 role, i32 category) {
    if (role < 0 || role >= kRoleCount) return 0;
    int count = 0;
    for (int k = 0; k < kSkillRows; ++k) {
        const SkillData* skill = GetSkillRecord(gLevelUpSkills[role][k].skill);
        if (skill && skill->category == category && gLearnedSkills[role][k]) ++count;
    }
    return count;
}

i32 GetEquipLookOffset(i32 weaponLook, i32 shieldLook) {
    static constexpr i32 kOffsets[16] = {0, 2, 4, 6, 8, 10, 12, 1, 14, 15, 3, 5, 7, 9, 11, 13};
    i64 sum = static_cast<i64>(weaponLook) + shieldLook;
    return sum >= 1 && sum <= 15 ? kOffsets[sum] : 0;
}

void EnhanceEquipageCommon(const MonsterData& monster, EquipageData& piece) {
    for (int i = 0; i < kRatioCount; ++i) AddTo(piece.ratios[i], monster.commonBlock[i]);
    // Clamped before the text is made, so the description shows the value the piece keeps.
    ClampAttributePair(piece.attack, piece.defence);
    MakeEquipageText(piece);
}

void EnhanceWeapon(const MonsterData& monster, EquipageData& piece) {
    AddBlock(piece, monster.weaponBlock);
    if (monster.weaponSpecial.kind != 0) piece.special = monster.weaponSpecial;
    EnhanceEquipageCommon(monster, piece);
}

void EnhanceArmour(const MonsterData& monster, EquipageData& piece) {
    AddBlock(piece, monster.armourBlock);
    if (monster.armourSpecial.kind > 0) piece.special = monster.armourSpecial;
    EnhanceEquipageCommon(monster, piece);
}

void OfferMonster(MonsterData& form, const MonsterData& monster) {
    if (form.kind != 1 || form.index < 0 || form.index >= kGodFormCount) return;
    if (!GetGameFlag(kFormFlagBase + form.index) || monster.kind != 0) return;
    if (!gOwnedMonsters || monster.index < 0 || monster.index >= gMonsterCount) return;
    i32& owned = gOwnedMonsters[monster.index];
    if (owned <= 0) return;
    i32 value = WrapAdd(form.offerValue, monster.offerValue);
    form.offerValue = value > kMaxOfferValue ? kMaxOfferValue : value;
    AddTo(form.attack, monster.offerBonus[0]);
    AddTo(form.defence, monster.offerBonus[1]);
    for (int i = 0; i < kRatioCount; ++i) AddTo(form.ratios[i], monster.offerBonus[2 + i]);
    ClampAttributePair(form.attack, form.defence);
    --owned;
}

const char* MakeEquipageText(EquipageData& record) {
    std::string bonus = BonusText(record);
    std::string special = SpecialText(record.special);
    std::string text = bonus;
    if (!bonus.empty() && !special.empty()) text += B5("，");
    text += special;
    CopyBig5(record.description, sizeof(record.description), text);
    return record.description;
}
