// The run-state byte.
#include "game/RunState.h"

u8 gRunState = 0;
