// The bars until the fighter drawing exists: nothing is drawn.
#include "battle/FighterBars.h"

void DrawPartyBars(cFighter&) {}
void DrawEnemyBars(cFighter&) {}
