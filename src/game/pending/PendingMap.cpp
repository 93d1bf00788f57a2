// Placeholders for map mode, the story interpreter and the screens until they exist.
#include "shell/Main.h"
#include "game/Pending.h"

void ClearMapInputHolds() {}
