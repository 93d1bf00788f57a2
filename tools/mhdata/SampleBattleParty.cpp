// The sample party's battle goods: the spare piece the opening hands over.
#include "mhdata/SampleBattleParty.h"

std::string BattleGoodsOpeningLines() {
    return "    AddItem " + std::to_string(300 + sampleBattleParty::kSparePiece) + " 1\n";
}
