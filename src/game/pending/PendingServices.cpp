// Placeholders for start-up's calls into modules not built yet: each does the
// least and goes when its module arrives.
#include "game/Pending.h"
#include "story/QuestList.h"

// Stands in until the story commands that keep the quest list arrive.
std::deque<u32> gQuestList;

void MakeAStarPool() {}
void ClearQuestList() { gQuestList.clear(); }
void SetupWorldMap() {}
