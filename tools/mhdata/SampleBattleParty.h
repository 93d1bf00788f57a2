// The sample party's battle goods: a piece nobody wears for the throw list,
// and the battle with the thunder god (a kind-1 enemy, so the flee row closes).
#pragma once
#include <string>

#include "base/Types.h"

namespace sampleBattleParty {
constexpr i32 kSparePiece = 13;    // the iron shield, given unworn: the throw list's row
constexpr u32 kThunderFight = 13;  // the thunder god alone
}  // namespace sampleBattleParty

// The opening talk's line that hands over the spare piece.
std::string BattleGoodsOpeningLines();
