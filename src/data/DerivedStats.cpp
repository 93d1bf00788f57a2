// Derived statistics: base record + worn equipment, then the clamps.
#include "data/DerivedStats.h"

#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/StatMath.h"

namespace {

constexpr i32 kBareHandedHitRate = 85;

// mode 1 adds b, mode 2 adds base x b / 100, mode 5 puts b in place; b = 0 does nothing.
void ApplyBonus(i32 mode, i32& value, i32 base, i32 b) {
    if (b == 0) return;
    if (mode == 1) AddTo(value, b);
    if (mode == 2) AddTo(value, Percent(base, b));
    if (mode == 5) value = b;
}

}  // namespace

void CopyBaseStats(const RoleData& role, RoleStats& out) {
    i32 level = out.level;
    i32 exp = out.exp;
    out = role;
    out.level = level;
    out.exp = exp;
}

namespace {

void AddPieceStats(const RoleData& role, RoleStats& out, const EquipageData* p) {
    i32 mode = p->bonusMode;
    ApplyBonus(mode, out.maxHp, role.maxHp, p->maxHp);
    ApplyBonus(mode, out.maxMp, role.maxMp, p->maxMp);
    const i32 bonus[5] = {p->strength, p->stamina, p->magic, p->spirit, p->agility};
    for (int i = 0; i < 5; ++i)
        ApplyBonus(mode, out.*kNineValues[i], role.*kNineValues[i], bonus[i]);
    for (int i = 0; i < kRatioCount; ++i)
        ApplyBonus(mode, out.ratios[i], role.ratios[i], p->ratios[i]);
    AddTo(out.hitRate, p->hitRate);
    AddTo(out.evasion, p->evasion);
    AddTo(out.attack, p->attack);
    AddTo(out.defence, p->defence);
}

}  // namespace

void AddEquipageStats(const RoleData& role, RoleStats& out, i32 owned) {
    if (const EquipageData* p = GetOwnedEquipage(owned)) AddPieceStats(role, out, p);
}

// A slot that does not name an owned place counts as empty.
SlotPieces WornPieces(const RoleData& role) {
    SlotPieces pieces{};
    for (int s = 0; s < kSlotCount; ++s) pieces[s] = GetOwnedEquipage(role.equip[s]);
    return pieces;
}

void ClampAttributePair(i32& attack, i32& defence) {
    attack = Clamp(attack, 0, 500);
    defence = Clamp(defence, 0, 500);
}

void ClampRoleStats(RoleData& role, RoleStats& out) {
    out.maxHp = Clamp(out.maxHp, 0, 9999);
    if (out.hp > out.maxHp) out.hp = out.maxHp;
    if (out.hp < 1) out.hp = 0;
    out.maxMp = Clamp(out.maxMp, 0, 9999);
    if (out.mp > out.maxMp) out.mp = out.maxMp;
    if (out.mp < 1) out.mp = 0;
    // These work on the base record: equipment may lift the derived values past them.
    ClampAttributePair(role.attack, role.defence);
    role.hitRate = Clamp(role.hitRate, 0, 999);
    role.evasion = Clamp(role.evasion, 0, 999);
}

void CalcRoleStats(RoleData& role, RoleStats& out) {
    CalcRoleStatsWith(role, out, WornPieces(role));
}

void CalcRoleStatsWith(RoleData& role, RoleStats& out, const SlotPieces& pieces) {
    i32 hp = out.hp;
    i32 mp = out.mp;
    i32 status = out.status;
    CopyBaseStats(role, out);

    const EquipageData* weapon = pieces[kSlotWeapon];
    bool bothHands = weapon && IsTwoHanded(EquipKindOf(*weapon));
    if (weapon) AddPieceStats(role, out, weapon);
    if (!bothHands && pieces[kSlotShield]) AddPieceStats(role, out, pieces[kSlotShield]);
    for (int s = kSlotHat; s < kSlotCount; ++s)
        if (pieces[s]) AddPieceStats(role, out, pieces[s]);
    if (!weapon) out.hitRate = kBareHandedHitRate;

    // The base attack and defence count twice: once through the copy, once here.
    AddTo(out.attack, static_cast<i64>(role.attack) + role.strength);
    AddTo(out.defence, static_cast<i64>(role.defence) + role.stamina);

    out.hp = hp;
    out.mp = mp;
    out.status = status;
    ClampRoleStats(role, out);
}
