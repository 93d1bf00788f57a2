// Battle mode's entry points. Until battle mode exists a battle ends at once in victory.
#include "battle/Battle.h"

i32 gBattleRoleChanges[kBattleRoleChanges] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

void ResetBattleRoleChanges() {
    for (i32& r : gBattleRoleChanges) r = -1;
}

int BattleFrame() {
    return 0;
}
