// The sample game's skills for the skill pages and their level-up rows.
#include "mhdata/SampleSkillMenu.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "mhdata/Databases.h"
#include "mhdata/SampleFighters.h"

namespace {
using namespace sampleSkills;

SkillData MenuSkill(i32 id, const char* name, i32 category, i32 target, i32 useMode, i32 cost,
                    i32 hp) {
    SkillData sk{};
    sk.id = id;
    sk.effectAct = 7500 + id % 100;
    sk.category = category;
    SetText(sk.name, sizeof(sk.name), name);
    sk.mpCost = cost;
    sk.effectMode = 1;
    sk.hp = hp;
    sk.useMode = useMode;
    sk.target = target;
    char text[64];
    std::snprintf(text, sizeof(text), "%s的說明", name);
    SetText(sk.description, sizeof(sk.description), text);
    return sk;
}

// Nameless records keep the numbers up to id free.
void PadTo(std::vector<SkillData>& skills, i32 id) {
    if (skills.size() > static_cast<size_t>(id)) {
        std::fprintf(stderr, "mhgen: skill %d is taken before the menu skills\n", id);
        std::abort();
    }
    while (skills.size() < static_cast<size_t>(id)) {
        SkillData filler{};
        filler.id = static_cast<i32>(skills.size());
        skills.push_back(filler);
    }
}

// The god/demon forms (the monsters of kind 1, in order) fight with skills of
// their own: the transformation page lists them, a transformed member uses them.
void GiveFormSkills(DatabaseSet& set) {
    struct FormSkills {
        MonsterSkill specials[3];
        MonsterSkill heal;
    };
    const FormSkills forms[] = {
        {{{sample::kFireball, 3}, {sample::kHeavyBlow, 2}, {-1, 0}}, {sample::kHeal, 2}},
        {{{kIceArrow, 3}, {sample::kManaDrain, 2}, {sample::kPoisonMist, 1}}, {-1, 0}},
        {{{sample::kThunder, 3}, {sample::kHolyRay, 1}, {-1, 0}}, {sample::kRally, 1}},
    };
    size_t form = 0;
    for (MonsterData& m : set.monsters) {
        if (m.kind != 1 || form >= std::size(forms)) continue;
        const FormSkills& f = forms[form++];
        for (size_t k = 0; k < std::size(f.specials); ++k) m.specials[k] = f.specials[k];
        m.healSkill = f.heal;
    }
}

void Learn(DatabaseSet& set, int role, std::initializer_list<i32> skills) {
    int row = kFirstRow;
    i32 level = 1 + role % 3;  // the role's starting level
    for (i32 id : skills) set.levelUp->skills[role][row++] = {id, level};
}
}  // namespace

void AddMenuSkills(DatabaseSet& set) {
    std::vector<SkillData>& s = set.skills;
    PadTo(s, kStrike);
    s.push_back(MenuSkill(kStrike, "斬擊", 0, 3, 2, 6, 0));
    for (i32 id = kMend; id <= kLastCure; ++id) {
        const HealingSkill& h = kHealingSkills[id - kMend];
        s.push_back(MenuSkill(id, h.name, 3, h.target, h.useMode, h.mpCost, h.hp));
    }
    s.push_back(MenuSkill(kHymn, "聖歌", 5, 2, 1, 10, 15));
    s.push_back(MenuSkill(kIceArrow, "冰箭", 6, 3, 2, 8, 0));
    s.push_back(MenuSkill(kMirage, "幻影", 9, 5, 3, 7, 0));
    PadTo(s, kFireSummon);
    SkillData summon = MenuSkill(kFireSummon, "火神降臨", 2, 4, 2, 30, 0);
    summon.formIndex = 0;
    s.push_back(summon);
    summon = MenuSkill(kIceSummon, "冰魔降臨", 2, 4, 2, 35, 0);
    summon.formIndex = 1;
    s.push_back(summon);

    GiveFormSkills(set);

    Learn(set, 0, {kStrike});
    // Role 0's fifteen healing skills follow its combat skill.
    for (i32 id = kMend; id <= kLastCure; ++id)
        set.levelUp->skills[0][kFirstRow + 1 + (id - kMend)] = {id, 1};
    Learn(set, 1, {kStrike});
    Learn(set, 2, {kHymn, kIceArrow});
    Learn(set, 3, {kStrike, kIceArrow});
    Learn(set, 4, {kMirage, kIceArrow});
    Learn(set, 5, {kIceArrow, kMirage});
}

std::string MenuSkillOpeningLines() {
    return "    SetFlag " + std::to_string(300 + kOpeningForm) + "\n";
}
