// The developer keys of a battle in fast mode: F1 empties the enemy side,
// F3 raises every living party member one level.
#pragma once

// Acts on the first key newly down this tick; nothing outside fast mode.
void BattleDeveloperKeys();
