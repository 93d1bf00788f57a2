// A fighter's stats record seen through one typed view: a party member reads its
// RoleStats, an enemy or a god/demon form its MonsterData. Words that only a
// monster record has read 0 for a party member, so nothing reads past a record.
#pragma once
#include "base/Types.h"
#include "data/Records.h"

class cFighterStats {
public:
    cFighterStats() = default;
    static cFighterStats OfRole(RoleStats* r) {
        cFighterStats s;
        s.head_ = r;
        return s;
    }
    static cFighterStats OfMonster(MonsterData* m) {
        cFighterStats s;
        s.head_ = m;
        s.monster_ = m;
        return s;
    }

    bool IsSet() const { return head_ != nullptr; }
    StatsHead* Head() const { return head_; }
    const MonsterData* Monster() const { return monster_; }

    i32 Word(i32 StatsHead::*w) const { return head_ ? head_->*w : 0; }
    i32 Index() const { return Word(&StatsHead::index); }
    i32 Act() const { return Word(&StatsHead::act); }
    i32 Level() const { return Word(&StatsHead::level); }
    i32 MaxHp() const { return Word(&StatsHead::maxHp); }
    i32 Hp() const { return Word(&StatsHead::hp); }
    i32 MaxMp() const { return Word(&StatsHead::maxMp); }
    i32 Mp() const { return Word(&StatsHead::mp); }
    i32 Strength() const { return Word(&StatsHead::strength); }
    i32 Stamina() const { return Word(&StatsHead::stamina); }
    i32 Magic() const { return Word(&StatsHead::magic); }
    i32 Spirit() const { return Word(&StatsHead::spirit); }
    i32 Agility() const { return Word(&StatsHead::agility); }
    i32 Attack() const { return Word(&StatsHead::attack); }
    i32 Defence() const { return Word(&StatsHead::defence); }
    i32 HitRate() const { return Word(&StatsHead::hitRate); }
    i32 Evasion() const { return Word(&StatsHead::evasion); }
    i32 Status() const { return Word(&StatsHead::status); }
    // Element ratio k (0..7), percent of the damage taken.
    i32 Ratio(int k) const { return head_ && k >= 0 && k < kRatioCount ? head_->ratios[k] : 100; }
    // The name, always ended within its 32 bytes.
    void CopyName(char (&out)[33]) const;

    // Monster-only words.
    i32 MonsterWord(i32 MonsterData::*w) const { return monster_ ? monster_->*w : 0; }
    i32 Kind() const { return MonsterWord(&MonsterData::kind); }
    i32 AttackKindLess1() const { return monster_ ? monster_->attackKind : 0; }
    i32 HitAct() const { return MonsterWord(&MonsterData::hitAct); }
    i32 ExpValue() const { return MonsterWord(&MonsterData::expValue); }
    i32 Gold() const { return MonsterWord(&MonsterData::gold); }
    i32 DropItem() const { return monster_ ? monster_->dropItem : -1; }
    i32 DropChance() const { return MonsterWord(&MonsterData::dropChance); }
    i32 TheftItem() const { return monster_ ? monster_->theftItem : -1; }
    i32 TheftChance() const { return MonsterWord(&MonsterData::theftChance); }
    i32 FleeRate() const { return MonsterWord(&MonsterData::fleeRate); }
    i32 CaptureRate() const { return MonsterWord(&MonsterData::captureRate); }
    i32 OfferValue() const { return MonsterWord(&MonsterData::offerValue); }
    i32 ActionCost() const { return MonsterWord(&MonsterData::actionCost); }
    i32 ShadowAction() const { return MonsterWord(&MonsterData::shadowAction); }
    // Special effect word k (0 kind, 1 HP, 2 MP, 3 status, 4 skill).
    i32 SpecialEffect(int k) const {
        return monster_ && k >= 0 && k < 5 ? monster_->specialEffect[k] : 0;
    }

private:
    StatsHead* head_ = nullptr;
    MonsterData* monster_ = nullptr;
};

inline void cFighterStats::CopyName(char (&out)[33]) const {
    out[0] = 0;
    if (!head_) return;
    for (int i = 0; i < 32; ++i) out[i] = head_->name[i];
    out[32] = 0;
}
