// What the story fuzz targets share: the running sample game with its maps and
// databases, a new game begun, and a talk file run for a few frames with
// answers confirmed.
#pragma once
#include <cstdint>
#include <string>

#include "FuzzWorld.h"
#include "game/NewGame.h"
#include "story/Dialog.h"
#include "story/Talk.h"

inline FuzzWorld& TalkWorld() {
    static FuzzWorld world;
    return world;
}

// Writes "Talk1.dat", starts the game and a new game in the sample town, then
// runs talk 1 for up to eight frames.
inline void RunFuzzTalk(const uint8_t* bytes, size_t size) {
    FuzzWorld& world = TalkWorld();
    world.Write("MH_Data/Talk1.dat", bytes, size);
    world.Start();
    if (!StartNewGame(1)) return;
    ResetTalkContext(&gTalkContext);
    StartTalk(1, gPlayerId);
    for (int frame = 0; frame < 8 && TalkRunning(); ++frame) {
        Talk(&gTalkContext);
        gDialogInput = 1;
        DlgMessage();
    }
}

// Every module back to its start (the next input's talk file replaces this one).
inline void EndFuzzTalk() {
    ResetAllGlobals();
}
