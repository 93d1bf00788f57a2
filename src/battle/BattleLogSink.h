// Where the fighters' rules write their battle-log lines.
#pragma once
#include <string>
#include <vector>

// Adds one Big5 line to the battle's message log.
void AddBattleLogLine(const char* line);

// The lines written since the last clear (what a test reads while the message
// log is not wired in).
const std::vector<std::string>& LoggedBattleLines();
void ClearLoggedBattleLines();
