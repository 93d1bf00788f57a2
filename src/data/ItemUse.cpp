// Item and skill use outside and inside battle.
#include "data/ItemUse.h"

#include "data/DerivedStats.h"
#include "data/GameData.h"
#include "data/StatMath.h"

namespace {

// The thirteen effect values items and skills share (record +60..+108).
struct Effect {
    i32 mode;
    i32 maxHp, hp, maxMp, mp;
    i32 nine[9];  // to role record +68..+100
};

Effect EffectOf(const ItemData& r) {
    return {r.effectMode, r.maxHp,  r.hp,      r.maxMp,  r.mp,      r.strength, r.stamina,
            r.magic,      r.spirit, r.agility, r.attack, r.defence, r.hitRate,  r.evasion};
}

Effect EffectOf(const SkillData& r) {
    return {r.effectMode, r.maxHp,  r.hp,      r.maxMp, r.mp,      r.strength, r.stamina,
            r.magic,      r.spirit, r.agility, r.power, r.defence, r.hitRate,  r.evasion};
}

bool IsDying(const RoleStats& s) {
    return (s.status & kStatusDying) != 0;
}
bool Blocked(const RoleStats& s, i32 statusEffect) {
    return IsDying(s) && statusEffect != kStatusEffectRevive;
}
RoleData* RoleOf(const RoleStats& s) {
    return s.index >= 0 && s.index < kRoleCount ? &gRoles[s.index] : nullptr;
}

void AddValues(const Effect& e, RoleData& role, RoleStats& d) {
    AddTo(d.hp, e.hp);
    AddTo(role.maxHp, e.maxHp);
    AddTo(d.mp, e.mp);
    AddTo(role.maxMp, e.maxMp);
    for (int k = 0; k < 9; ++k) AddTo(role.*kNineValues[k], e.nine[k]);
}

void OverwriteValues(const Effect& e, RoleData& role, RoleStats& d) {
    if (e.maxHp) role.maxHp = e.maxHp;
    if (e.hp) d.hp = e.hp;
    if (e.maxMp) role.maxMp = e.maxMp;
    if (e.mp) d.mp = e.mp;
    for (int k = 0; k < 9; ++k)
        if (e.nine[k]) role.*kNineValues[k] = e.nine[k];
}

void PercentNine(const Effect& e, RoleData& role) {
    for (int k = 0; k < 9; ++k)
        AddTo(role.*kNineValues[k], Percent(role.*kNineValues[k], e.nine[k]));
}

// giveBack: the item index while one taken piece may still be given back, else -1.
void ApplyItem(i32 r, const ItemData& item, i32* giveBack) {
    RoleData& role = gRoles[r];
    RoleStats& d = gRoleStats[r];
    Effect e = EffectOf(item);
    bool inBattle = gRulesInBattle != 0;
    switch (e.mode) {
        case 1:
            AddValues(e, role, d);
            break;
        case 2:
            AddTo(d.hp, Percent(role.maxHp, e.hp));
            AddTo(role.maxHp, Percent(d.maxHp, e.maxHp));
            AddTo(d.mp, Percent(d.maxMp, e.mp));
            AddTo(role.maxMp, Percent(role.maxMp, e.maxMp));
            PercentNine(e, role);
            break;
        case 5:
            OverwriteValues(e, role, d);
            if (inBattle) break;
            // An overwrite whose status effect changes nothing hands the piece back.
            if (!ApplyStatusEffect(d.status, item.statusEffect) && item.useKind == 1 && giveBack &&
                *giveBack >= 0) {
                ++gOwnedItems[*giveBack];
                *giveBack = -1;
            }
            break;
        default:
            break;
    }
    if (e.mode != 5 && !inBattle) ApplyStatusEffect(d.status, item.statusEffect);
    CalcRoleStats(role, d);
}

}  // namespace

bool ApplyStatusEffect(i32& status, i32 s) {
    u32 word = static_cast<u32>(status);
    u32 before = word;
    if (s == 1) word = 0;
    if (s >= 2 && s <= 16) word |= 1u << (s - 2);
    if (s >= 17 && s <= 31) word &= ~(1u << (s - 17));
    status = static_cast<i32>(word);
    return word != before;
}

void ApplyItemToRole(i32 r, const ItemData& item) {
    if (r < 0 || r >= kRoleCount) return;
    ApplyItem(r, item, nullptr);
}

void UseItem(i32 r, i32 i) {
    const ItemData* item = GetItemRecord(i);
    if (!item || !gOwnedItems || gOwnedItems[i] <= 0) return;
    i32 giveBack = -1;
    if (item->useKind == 1) {
        if (!gRulesInBattle) {
            --gOwnedItems[i];
            giveBack = i;
        }
    } else if (item->useKind != 2) {
        return;
    }
    if (item->target == kTargetOneAlly || item->target == kTargetSelf) {
        if (r < 0 || r >= kRoleCount || Blocked(gRoleStats[r], item->statusEffect)) {
            if (giveBack >= 0) ++gOwnedItems[i];
            return;
        }
        ApplyItem(r, *item, &giveBack);
        return;
    }
    if (item->target != kTargetAllAllies) return;
    for (int k = 0; k < kPartySize; ++k) {
        i32 m = gParty[k];
        if (m < 0 || m >= kRoleCount) break;
        if (!Blocked(gRoleStats[m], item->statusEffect)) ApplyItem(m, *item, &giveBack);
    }
}

void ApplySkillToRole(const SkillData& skill, RoleStats& t) {
    RoleData* role = RoleOf(t);
    if (!role) return;
    Effect e = EffectOf(skill);
    bool inBattle = gRulesInBattle != 0;
    switch (e.mode) {
        case 1:
            if (!IsDying(t)) AddValues(e, *role, t);
            break;
        case 2:
            if (IsDying(t)) {
                if (skill.statusEffect != kStatusEffectRevive) break;
                t.status = 0;
            }
            AddTo(t.hp, Percent(t.maxHp, e.hp));
            AddTo(role->maxHp, Percent(role->maxHp, e.maxHp));
            AddTo(t.mp, Percent(t.maxMp, e.mp));
            AddTo(role->maxMp, Percent(role->maxMp, e.maxMp));
            PercentNine(e, *role);
            break;
        case 3:
            OverwriteValues(e, *role, t);
            if (!inBattle) ApplyStatusEffect(t.status, skill.statusEffect);
            break;
        default:
            break;
    }
    if (e.mode != 3 && e.mode != 5 && !inBattle) ApplyStatusEffect(t.status, skill.statusEffect);
    CalcRoleStats(*role, t);
}

void UseSkill(RoleStats& caster, const SkillData& skill, RoleStats& target) {
    if (Blocked(target, skill.statusEffect)) return;
    AddTo(caster.mp, -static_cast<i64>(skill.mpCost));
    switch (skill.target) {
        case kTargetOneAlly:
            ApplySkillToRole(skill, target);
            break;
        case kTargetAllAllies:
            for (int k = 0; k < kPartySize; ++k) {
                i32 m = gParty[k];
                if (m < 0 || m >= kRoleCount) break;
                ApplySkillToRole(skill, gRoleStats[m]);
            }
            break;
        case kTargetSelf:
            ApplySkillToRole(skill, caster);
            break;
        default:
            break;
    }
}
