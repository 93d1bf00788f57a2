// The open quests: ids that story commands add and remove, front to back.
#pragma once
#include <deque>

#include "engine/Types.h"

extern std::deque<u32> gQuestList;
