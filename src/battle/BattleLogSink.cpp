// Where the fighters' log lines go: the battle's message log, and a copy kept
// so they can be read back.
#include "battle/BattleLogSink.h"

#include "battle/BattleLog.h"

namespace {
std::vector<std::string> gLines;
constexpr size_t kKeptLines = 256;  // a long battle never grows this without bound
}  // namespace

void AddBattleLogLine(const char* line) {
    if (gLines.size() >= kKeptLines) gLines.erase(gLines.begin());
    gLines.emplace_back(line ? line : "");
    if (line) gBattleLog.Add(line);
}

const std::vector<std::string>& LoggedBattleLines() {
    return gLines;
}

void ClearLoggedBattleLines() {
    gLines.clear();
}
