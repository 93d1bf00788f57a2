// Where the fighters' rules write their battle-log lines.
#pragma once
#include <string>
#include <vector>

// Adds one Big5 line to the battle's message log (and to the kept copy).
void AddBattleLogLine(const char* line);

// The lines written since the last clear, at most the last 256.
const std::vector<std::string>& LoggedBattleLines();
void ClearLoggedBattleLines();
