// Placeholders for start-up's calls into modules not built yet: each does the
// least and goes when its module arrives.
#include "game/Pending.h"

void MakeAStarPool() {}
void SetupWorldMap() {}
