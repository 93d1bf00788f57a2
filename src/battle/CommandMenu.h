// The party's command menu as the controller sees it: the rings, lists and
// target picking live in BattleMenu.h.
#pragma once
#include "battle/BattleMenu.h"
