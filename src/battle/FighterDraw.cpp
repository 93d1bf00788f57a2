// Drawing a fighter: shadow, body and its colour passes; the bars and panels.
#include "battle/Fighter.h"

void cFighter::DrawSprite(cBattleSprite&) {}
