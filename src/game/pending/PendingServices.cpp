// Placeholders for start-up's calls into modules not built yet: each does the
// least and goes when its module arrives.
#include "game/Pending.h"

u32 ResetMapCache(int) { return 0; }
void SetRunMark() {}
void ClearRunMark() {}
int OpenMapDatabases() { return 1; }
void InitGameData() {}
void ResetMapData() {}
void MakeAStarPool() {}
void ReleaseMapData() {}
bool GetMusicName(u32, std::string*) { return false; }
void StartNewGame(int) {}
void ClearRoleStateBits(u32) {}
void ResetMapMusicState() {}
void AllocTalkBuffer() {}
void ConvertTextColors() {}
void ZeroScriptVariables() {}
void ClearQuestList() {}
void SetupWorldMap() {}
