// The start of a new game and the global game data beside the map: the start
// values of flags and counters, the map cursor, the entries of table 6, and the
// release of everything the map side holds.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

// The four 52-byte records of table 6, unpacked.
struct InitEntry {
    u8 bytes[56] = {};
};

struct NewGameState {
    InitEntry entries[4];
    u16 playerValue = 0;  // handed to the player slot on map entry
    u32 sceneWord = 0;
    ActPlayer* cursor = nullptr;
    u32 cursorMode = 0;  // the map cursor's mode word
};
extern NewGameState gNewGame;
extern u32 gGameDataReady;  // set once InitGameData has run

int InitGameData();
// 1 started; 0 when the start record cannot be read: its box is shown and
// the window closes after the frame.
int StartNewGame(int load);

// Everything the map side holds, in release order (ReleaseGame).
void ReleaseMapData();
void ResetNewGame();
