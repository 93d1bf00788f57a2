// The sample game's skills for the skill pages: support skills each party
// role learns at its starting level in its own categories (role 0 fifteen
// healing skills, so that its list scrolls), the summons 200 and 201, and the
// opening's unlock of god/demon form 0; the forms' own skills.
#pragma once
#include <iterator>
#include <string>

#include "base/Types.h"

struct DatabaseSet;

namespace sampleSkills {
constexpr i32 kStrike = 170;     // combat, battle only (use mode 2): grey on the list
constexpr i32 kMend = 171;       // healing, one member, use mode 1, HP +40, MP 8
constexpr i32 kSoothe = 172;     // healing, the party, use mode 3, HP +20, MP 12
constexpr i32 kCalm = 173;       // healing, the caster, use mode 1, HP +60, MP 5
constexpr i32 kGreatMend = 174;  // healing, one member, MP 99: more than role 0 has
constexpr i32 kFirstCure = 175;  // eleven more healing skills 175..185, the caster, MP 1..11
constexpr i32 kLastCure = 185;
constexpr i32 kHymn = 186;        // chant, the party, use mode 1, MP 10
constexpr i32 kIceArrow = 187;    // magic, one foe, battle only
constexpr i32 kMirage = 188;      // illusion, the caster, use mode 3, MP 7
constexpr i32 kFireSummon = 200;  // summon of form 0
constexpr i32 kIceSummon = 201;   // summon of form 1
constexpr i32 kSkillCount = 202;
constexpr int kFirstRow = 20;  // the level-up rows of these skills start here
constexpr int kOpeningForm = 0;

// The healing skills kMend..kLastCure in id order, the order role 0 learns them.
struct HealingSkill {
    const char* name;
    i32 target, useMode, mpCost, hp;
};
constexpr HealingSkill kHealingSkills[] = {
    {"小治療", 1, 1, 8, 40},   {"安撫", 2, 3, 12, 20},  {"靜心", 5, 1, 5, 60},
    {"大治療", 1, 3, 99, 200}, {"療法01", 5, 1, 1, 5},  {"療法02", 5, 1, 2, 5},
    {"療法03", 5, 1, 3, 5},    {"療法04", 5, 1, 4, 5},  {"療法05", 5, 1, 5, 5},
    {"療法06", 5, 1, 6, 5},    {"療法07", 5, 1, 7, 5},  {"療法08", 5, 1, 8, 5},
    {"療法09", 5, 1, 9, 5},    {"療法10", 5, 1, 10, 5}, {"療法11", 5, 1, 11, 5},
};
static_assert(std::size(kHealingSkills) == kLastCure - kMend + 1);
}  // namespace sampleSkills

// Appends the skills (nameless fillers up to 170 and between 189 and 199) and
// the level-up rows, and gives the god/demon forms their skills.
void AddMenuSkills(DatabaseSet& set);
// The opening talk's lines that unlock form 0.
std::string MenuSkillOpeningLines();
