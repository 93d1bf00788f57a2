// Side set-up, the added form, the side queries, and both sides at once.
#include "battle/BattleSide.h"

#include <algorithm>
#include <utility>

#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "battle/BattleFiles.h"
#include "battle/BattleMath.h"
#include "battle/BattleRandom.h"
#include "battle/FighterDraw.h"

cBattleSide gPartySide;
cBattleSide gEnemySide;
i32 gGaugeHeadStart[kSetupPositions] = {150, 120, 90, 60, 30, 0};

namespace {

constexpr i32 kShadowAct = 4000, kIconAct = 9901, kBarAct = 11002;
constexpr i32 kNoWeaponHitAct = 7141;
constexpr i32 kPartyKinds = 8;

void ShuffleHeadStart() {
    for (int k = 0; k < kSetupPositions; ++k) {
        u32 a, b;
        DrawDistinctPair(kSetupPositions, a, b);
        std::swap(gGaugeHeadStart[a], gGaugeHeadStart[b]);
    }
}

i32 StartGauge(i64 base, i64 agility) {
    const i64 g = SatAdd(base, agility);
    return static_cast<i32>(g < 0 ? 0 : (g > kGaugeFull ? kGaugeFull : g));
}

// A skill number that names a record, else 0.
i32 SkillOrNone(i32 n) {
    return GetSkillRecord(n) ? n : 0;
}

void SetStatusIcons(cFighter& f) {
    for (int k = 0; k < 15; ++k) f.aux[10 + k] = {kIconAct, 30 + k};
}

// A monster's special effect (kind and four values), with the reflect it gives.
void ApplyMonsterEffect(cFighter& f, i32 reflectGain) {
    const cFighterStats& s = f.stats;
    switch (s.SpecialEffect(0)) {
        case 1:
            AddSat(f.hpRegen, s.SpecialEffect(1));
            AddSat(f.mpRegen, s.SpecialEffect(2));
            break;
        case 2:
            AddSat(f.hpRegenPercent, s.SpecialEffect(1));
            AddSat(f.mpRegenPercent, s.SpecialEffect(2));
            break;
        case 3:
            AddSat(f.hpDrain, s.SpecialEffect(1));
            AddSat(f.mpDrain, s.SpecialEffect(2));
            break;
        case 4:
            f.hitCodes[0] = s.SpecialEffect(3);
            break;
        case 5:
            AddSat(f.reflect, reflectGain);
            break;
        case 6:
            f.specialSkill = SkillOrNone(s.SpecialEffect(4));
            break;
        default:
            break;
    }
}

// A worn piece's battle special.
void ApplyEquipSpecial(cFighter& f, const EquipSpecial& sp, int& nextCode) {
    switch (sp.kind) {
        case 1:
            AddSat(f.hpRegen, sp.hp);
            AddSat(f.mpRegen, sp.mp);
            break;
        case 2:
            AddSat(f.hpRegenPercent, sp.hp);
            AddSat(f.mpRegenPercent, sp.mp);
            break;
        case 3:
            AddSat(f.hpDrain, sp.hp);
            AddSat(f.mpDrain, sp.mp);
            break;
        case 4:
            if (nextCode < kHitCodeCount) f.hitCodes[nextCode++] = sp.status;
            break;
        case 5:
            AddSat(f.reflect, 19);
            break;
        case 6:
            f.specialSkill = SkillOrNone(sp.skill);
            break;
        default:
            break;
    }
}

// The owned piece in a slot, or null for an empty slot, a bad index or a free place.
const EquipageData* WornPiece(const RoleData& role, int slot) {
    const EquipageData* p = GetOwnedEquipage(role.equip[slot]);
    return p && p->id >= 0 ? p : nullptr;
}

void SetupEquipment(cFighter& f, const RoleData& role) {
    int nextCode = 0;
    for (int s = 0; s < kSlotCount; ++s) {
        if (s == kSlotShield && role.equip[kSlotShield] == role.equip[kSlotWeapon]) continue;
        if (const EquipageData* p = WornPiece(role, s)) ApplyEquipSpecial(f, p->special, nextCode);
    }
    const EquipageData* weapon = WornPiece(role, kSlotWeapon);
    const EquipageData* shield = WornPiece(role, kSlotShield);
    if (shield && EquipKindOf(*shield) != EquipKind::Shield) shield = nullptr;
    f.attackKind = weapon && EquipKindOf(*weapon) == EquipKind::Ranged ? 2 : 1;
    f.hitAct = weapon ? weapon->weaponPic : kNoWeaponHitAct;
    const i32 weaponLook = weapon ? weapon->look : 0;
    const i32 shieldLook = shield ? shield->look : 0;
    f.act = Sat32(SatAdd(role.act, GetEquipLookOffset(weaponLook, shieldLook)));
    f.specialAct = shield ? Sat32(SatAdd(role.act, GetEquipLookOffset(0, shieldLook))) : role.act;
}

void SetPartyAux(cFighter& f, i32 panelAction, i32 portraitAction) {
    f.aux[0] = {kShadowAct, 1};
    SetStatusIcons(f);
    f.aux[32] = {kBarAct, 0};
    f.aux[33] = {kBarAct, 2};
    f.aux[34] = {kBarAct, 3};
    f.aux[35] = {kBarAct, 4};
    f.aux[36] = {kBarAct, panelAction};
    f.aux[37] = {kBarAct, portraitAction};
    f.aux[38] = {kBarAct, 6};
}

// A damaged battlefield file may place a fighter anywhere: far off the screen is
// as far as it goes, so the offsets added to a position cannot overflow.
constexpr i32 kFarthestPosition = 1 << 20;

void PlaceAt(cFighter& f, i32 x, i32 y, i32 z) {
    auto onField = [](i32 v) { return std::clamp(v, -kFarthestPosition, kFarthestPosition); };
    f.x = f.homeX = onField(x);
    f.y = f.homeY = onField(y);
    f.z = f.homeZ = onField(z);
}

// The usable formation entries of slots 0..5: roles 0..7, each once.
int UsableFormation(i32 (&roles)[kSetupPositions]) {
    bool seen[kPartyKinds] = {};
    int n = 0;
    for (int k = 0; k < kSetupPositions; ++k) {
        const i32 r = gFormation[k];
        roles[k] = -1;
        if (r < 0 || r >= kPartyKinds || seen[r]) continue;
        seen[r] = true;
        roles[k] = r;
        ++n;
    }
    return n;
}

void SetupMember(cFighter& f, int k, i32 r, const FighterSpot& spot) {
    RoleStats& rs = gRoleStats[r];
    f.flags = cFighter::kInUse | cFighter::kTaken;
    f.slot = k;
    f.kind = kKindParty;
    f.pic = r;
    f.facing = 4;
    PlaceAt(f, spot.x, spot.y, spot.z);
    f.stats = cFighterStats::OfRole(&rs);
    f.status = static_cast<u32>(rs.status);
    f.maxHp = rs.maxHp;
    f.hp = rs.hp;
    f.maxMp = rs.maxMp;
    f.mp = rs.mp;
    f.attack = rs.attack;
    f.defence = rs.defence;
    f.hitRate = rs.hitRate;
    f.evasionRate = f.magicEvasionRate = rs.evasion;
    f.fleeRate = rs.agility;
    f.gauge = StartGauge(gGaugeHeadStart[k], rs.agility);
    f.homeRow = k < 3 ? 1 : 2;
    SetupEquipment(f, gRoles[r]);
    const i32 shown = GetGameFlag(kLeadSwapFlag) && r < 2 ? 1 - r : r;
    SetPartyAux(f, 10, shown + 11);
    f.SetAction(1, 0, 0);
}

}  // namespace

void cBattleSide::Reset() {
    for (cFighter& f : fighters) f.Reset();
    count = memberCount = frontCount = averageLevel = fleeFlag = 0;
    ShuffleHeadStart();
}

void cBattleSide::SetupParty(const FighterSpot (&spots)[kSetupPositions]) {
    Reset();
    i32 roles[kSetupPositions];
    UsableFormation(roles);
    bool frontAlive = false;
    for (int k = 0; k < 3; ++k)
        if (roles[k] >= 0 && !(gRoleStats[roles[k]].status & kStDying)) frontAlive = true;
    i64 levels = 0;
    for (int k = 0; k < kSetupPositions; ++k) {
        if (roles[k] < 0) continue;
        cFighter& f = fighters[count++];
        ++memberCount;
        SetupMember(f, k, roles[k], spots[k]);
        if (f.IsAlive()) {
            f.row = k < 3 || !frontAlive ? 1 : 2;
            if (f.row == 1) ++frontCount;
        }
        levels += f.stats.Level();
    }
    creatureInControl = 0;
    averageLevel = memberCount ? Sat32(levels / memberCount) : 0;
}

void cBattleSide::SetupEnemies(const EnemySpot (&spots)[kSetupPositions]) {
    const EnemySpot* order[kSetupPositions];
    int n = 0;
    for (const EnemySpot& s : spots)
        if (s.monster != kNoMonster && GetMonsterRecord(static_cast<i32>(s.monster)))
            order[n++] = &s;
    auto depth = [](const EnemySpot* s) { return static_cast<i64>(s->x) + s->z; };
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (depth(order[i]) < depth(order[j])) std::swap(order[i], order[j]);
    Reset();
    i64 levels = 0;
    for (int i = 0; i < n; ++i) {
        const EnemySpot& s = *order[i];
        MonsterData& m = gMonsters[s.monster];
        cFighter& f = fighters[count++];
        ++memberCount;
        f.flags = cFighter::kInUse | cFighter::kTaken;
        f.slot = i;
        f.kind = kKindEnemy;
        f.pic = static_cast<i32>(s.monster);
        f.row = f.homeRow = s.row == 0 ? 1 : 2;
        if (f.row == 1) ++frontCount;
        f.facing = 5;
        PlaceAt(f, s.x, s.y, s.z);
        f.status = 0;
        f.stats = cFighterStats::OfMonster(&m);
        f.act = f.specialAct = m.act;
        f.hitAct = m.hitAct;
        f.attackKind = 1;
        f.maxHp = f.hp = Sat32(m.maxHp + SatMul(m.maxHp, BattleRandom(21)) / 100);
        f.maxMp = f.mp = m.maxMp;
        f.attack = Sat32(SatAdd(m.attack, m.strength));
        f.defence = Sat32(SatAdd(m.defence, m.stamina));
        f.hitRate = m.hitRate;
        f.evasionRate = f.magicEvasionRate = m.evasion;
        f.fleeRate = m.agility;
        f.theftRate = m.theftChance;
        f.gauge = StartGauge(gGaugeHeadStart[i], m.agility);
        for (int k = 0; k < 5; ++k) f.specials[k] = m.specials[k];
        f.healSpecial = m.healSkill;
        ApplyMonsterEffect(f, 16);
        f.aux[0] = {kShadowAct, m.shadowAction};
        SetStatusIcons(f);
        f.aux[32] = {kBarAct, 1};
        f.aux[33] = {kBarAct, 5};
        f.SetAction(1, 0, 0);
        levels += m.level;
    }
    averageLevel = memberCount ? Sat32(levels / memberCount) : 0;
    expTotal = goldTotal = 0;
    for (i32& d : drops) d = -1;
}

cFighter* cBattleSide::AddFighter(const MonsterData& record) {
    if (count < 0 || count >= kSideSlots) return nullptr;
    i64 hp = 0, maxHp = 0, mp = 0, maxMp = 0, attr[5] = {};
    i64 n = 0;
    for (int i = 0; i < count; ++i) {
        const cFighter& p = fighters[i];
        if (!p.IsAlive()) continue;
        ++n;
        hp += p.hp;
        maxHp += p.maxHp;
        mp += p.mp;
        maxMp += p.maxMp;
        const cFighterStats& s = p.stats;
        const i32 words[5] = {s.Strength(), s.Stamina(), s.Magic(), s.Spirit(), s.Agility()};
        for (int k = 0; k < 5; ++k) attr[k] += words[k];
    }
    const i64 div = n > 0 ? n : 1;
    cFighter& f = fighters[count];
    f.Reset();
    f.flags = cFighter::kInUse | cFighter::kTaken;
    f.slot = count;
    f.kind = kKindAdded;
    f.pic = record.index;
    f.row = f.homeRow = 1;
    f.facing = 4;
    PlaceAt(f, 470, 0, 330);
    f.status = 0;
    creature = record;
    MonsterData& c = creature;
    f.stats = cFighterStats::OfMonster(&c);
    f.act = f.specialAct = c.act;
    f.hitAct = c.hitAct;
    f.attackKind = Sat32(SatAdd(c.attackKind, 1));
    f.maxHp = Sat32((SatAdd(record.maxHp, maxHp)) / 2);
    f.hp = Sat32((SatAdd(record.hp, hp)) / 2);
    f.maxMp = Sat32((SatAdd(record.maxMp, maxMp)) / 2);
    f.mp = Sat32((SatAdd(record.mp, mp)) / 2);
    i32* words[5] = {&c.strength, &c.stamina, &c.magic, &c.spirit, &c.agility};
    const i32 own[5] = {record.strength, record.stamina, record.magic, record.spirit,
                        record.agility};
    for (int k = 0; k < 5; ++k) *words[k] = Sat32(attr[k] / div + own[k] / 2);
    c.attack = Sat32(SatAdd(record.attack, attr[0]));
    c.defence = Sat32(SatAdd(record.defence, attr[1]));
    f.attack = c.attack;
    f.defence = c.defence;
    f.hitRate = c.hitRate;
    f.evasionRate = f.magicEvasionRate = c.evasion;
    f.fleeRate = c.fleeRate;
    f.theftRate = c.theftChance;
    f.gauge = StartGauge(BattleRandom(50), c.agility);
    ApplyMonsterEffect(f, 16);
    f.SetAction(1, 0, 0);
    f.FlashIn();  // the form fades in as the members fade out
    SetPartyAux(f, 40, Sat32(SatAdd(record.index, 20)));
    f.aux[0] = {kShadowAct, c.shadowAction};
    ++count;
    return &f;
}

void cBattleSide::SetFrozen(i32 v) {
    for (int i = 0; i < count; ++i)
        if (fighters[i].IsTaken()) fighters[i].gaugesFrozen = v;
}

void cBattleSide::DimBystanders(i32) {
    for (int i = 0; i < count; ++i) {
        cFighter& f = fighters[i];
        if (f.IsTaken() && !f.attackedBy && !f.targets[0]) f.StartFade(15);
    }
}

void cBattleSide::UndimBystanders() {
    for (int i = 0; i < count; ++i)
        if (fighters[i].IsTaken() && fighters[i].fadeMode == 1) fighters[i].EndFade();
}

void cBattleSide::FleeAll() {
    for (int i = 0; i < count; ++i) {
        cFighter& f = fighters[i];
        if (!f.IsTaken() || !f.IsAlive()) continue;
        f.command = kCmdFlee;
        f.SetAction(14, 2, 0);
    }
}

void cBattleSide::ClearOrdered() {
    for (int i = 0; i < count; ++i)
        if (fighters[i].IsTaken()) fighters[i].ordered = 0;
}

void cBattleSide::ClearCommands() {
    for (int i = 0; i < count; ++i)
        if (fighters[i].IsTaken()) fighters[i].command = kCmdNone;
}

bool cBattleSide::AllDown() const {
    for (int i = 0; i < count; ++i)
        if (fighters[i].IsInUse() && fighters[i].IsAlive()) return false;
    return true;
}

bool cBattleSide::NoneInUse() const {
    for (int i = 0; i < count; ++i)
        if (fighters[i].IsInUse()) return false;
    return true;
}

bool cBattleSide::AllGaugesFull() const {
    if (memberCount < 2) return false;
    for (int i = 0; i < count; ++i)
        if (fighters[i].IsTaken() && fighters[i].gauge != kGaugeFull) return false;
    return true;
}

bool cBattleSide::AllOrdered() const {
    for (int i = 0; i < count; ++i) {
        const cFighter& f = fighters[i];
        if (f.IsTaken() && f.IsAlive() && !f.ordered) return false;
    }
    return true;
}

cFighter* cBattleSide::FindPending() {
    for (int i = 0; i < count; ++i)
        if (fighters[i].IsTaken() && fighters[i].HasCommand()) return &fighters[i];
    return nullptr;
}

bool cBattleSide::Ready(i32 i) const {
    return fighters[i].CanAct() && !fighters[i].IsConfused();
}

i32 cBattleSide::SlotOf(const cFighter* f) const {
    if (!f || f < fighters || f >= fighters + count) return -1;
    return static_cast<i32>(f - fighters);
}

cFighter* cBattleSide::NextReady(const cFighter* from) {
    if (count <= 0) return nullptr;
    const i32 start = SlotOf(from);
    for (i32 k = 1; k <= count; ++k) {
        const i32 i = start < 0 ? k - 1 : (start + k) % count;
        if (Ready(i)) return &fighters[i];
    }
    return nullptr;
}

cFighter* cBattleSide::PrevReady(const cFighter* from) {
    if (count <= 0) return nullptr;
    const i32 start = SlotOf(from);
    for (i32 k = 1; k <= count; ++k) {
        const i32 i = start < 0 ? count - k : (start - k + count) % count;
        if (Ready(i)) return &fighters[i];
    }
    return nullptr;
}

cFighter* cBattleSide::FighterAt(i32 px, i32 py) {
    cFighter* order[kSideSlots];
    int n = 0;
    for (int i = 0; i < count; ++i)
        if (fighters[i].IsTaken()) order[n++] = &fighters[i];
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            if (order[i]->z < order[j]->z) std::swap(order[i], order[j]);
    for (int i = 0; i < n; ++i)
        if (FighterBodyHit(*order[i], px, py)) return order[i];
    return nullptr;
}

cFighter* cBattleSide::ReadyFighterAt(i32 px, i32 py) {
    cFighter* f = FighterAt(px, py);
    return f && f->CanAct() ? f : nullptr;
}

cFighter* cBattleSide::PickRandomTarget(i32 wantRow) {
    if (AllDown()) return nullptr;
    const i32 n = wantRow == 1 ? frontCount : count;
    if (n <= 0 || count <= 0) return nullptr;
    const i32 start = static_cast<i32>(BattleRandom(static_cast<u32>(n))) % count;
    for (i32 k = 0; k < count; ++k) {
        cFighter& f = fighters[(start + k) % count];
        if (f.IsTaken() && f.IsAlive() && (wantRow == 0 || f.row == wantRow)) return &f;
    }
    return nullptr;
}

cFighter* cBattleSide::PickWeakestTarget(i32 wantRow) {
    if (AllDown()) return nullptr;
    cFighter* best = nullptr;
    for (int i = 0; i < count; ++i) {
        cFighter& f = fighters[i];
        if (!f.IsTaken() || !f.IsAlive() || (wantRow != 0 && f.row != wantRow)) continue;
        if (!best || f.hp < best->hp) best = &f;
    }
    return best;
}

i32 cBattleSide::MaxAgility() const {
    i32 best = 0;
    bool any = false;
    // Every living fighter counts, taken or not: members who stand aside for a
    // form still set the pace a flight must beat.
    for (int i = 0; i < count; ++i) {
        const cFighter& f = fighters[i];
        if (!f.IsAlive()) continue;
        const i32 a = f.stats.Agility();
        if (!any || a > best) best = a;
        any = true;
    }
    return any ? best : 0;
}

i32 cBattleSide::LowestLevel() const {
    i32 low = 100;
    bool any = false;
    for (int i = 0; i < count; ++i) {
        const cFighter& f = fighters[i];
        if (!f.IsTaken()) continue;
        if (!any || f.stats.Level() < low) low = f.stats.Level();
        any = true;
    }
    return low;
}

void ResetBattleSides() {
    static constexpr i32 kHeadStart[kSetupPositions] = {150, 120, 90, 60, 30, 0};
    for (int k = 0; k < kSetupPositions; ++k) gGaugeHeadStart[k] = kHeadStart[k];
    gPartySide = cBattleSide{};
    gEnemySide = cBattleSide{};
}

void SetUpBattleSides() {
    FighterSpot party[kSetupPositions];
    EnemySpot enemies[kSetupPositions];
    for (int k = 0; k < kSetupPositions; ++k) {
        const BattlePosition& p = gBattlefield.party[k];
        party[k] = {p.x, p.y, p.z};
        const EnemySlot& e = gBattlefield.enemies[k];
        enemies[k] = {e.monster, e.row, e.x, e.y, e.z};
    }
    gPartySide.SetupParty(party);
    gEnemySide.SetupEnemies(enemies);
}

void DimAllSides() {
    gPartySide.DimBystanders(15);
    gEnemySide.DimBystanders(15);
}

void UndimAllSides() {
    gPartySide.UndimBystanders();
    gEnemySide.UndimBystanders();
}

void FreezeBattleSides(bool frozen) {
    gPartySide.SetFrozen(frozen ? 1 : 0);
    gEnemySide.SetFrozen(frozen ? 1 : 0);
}

bool BattleSidesEmpty() {
    return gEnemySide.NoneInUse();
}

bool AnySidePending() {
    return gPartySide.FindPending() || gEnemySide.FindPending();
}

bool BattlePartyFled() {
    return gPartySide.IsFleeing();
}

bool BattlePartyAllDown() {
    return gPartySide.AllDown();
}

void EndBattleTransformation() {
    if (!gPartySide.creatureInControl || gPartySide.count <= 0) return;
    gPartySide.fighters[gPartySide.count - 1].SetAction(kStateEndTransform, 0, 0);
}
