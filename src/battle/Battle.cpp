// Battle mode's entry points. Until battle mode exists a battle ends at once in victory.
#include "battle/Battle.h"

i32 gBattleEndRoles[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

void ResetBattleEndRoles() {
    for (i32& r : gBattleEndRoles) r = -1;
}

int BattleFrame() { return 0; }
