// Battle mode's entry points. Until battle mode exists a battle ends at once in victory.
#include "battle/Battle.h"

int BattleFrame() {
    return 0;
}
