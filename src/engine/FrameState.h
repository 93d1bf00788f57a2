// The frame loop's shared words: the run state, the frame clock, play time and
// the battle and developer-tool flags that every mode reads.
#pragma once
#include "base/Types.h"

// Bits of gRunState.
constexpr u8 kRunTransition = 0x02;
constexpr u8 kRunQuit = 0x04;
constexpr u8 kRunDiscPrompt = 0x10;
constexpr u8 kRunVideo = 0x20;
constexpr u8 kRunScriptHold = 0x40;
constexpr u8 kRunSwim = 0x80;  // the swimming scene owns the frame

constexpr u32 kFrameMs = 35;

extern u32 gGameActive;
extern u32 gSuspended;
extern u32 gWindowShown;
extern u8 gRunState;
extern u32 gFrameInterval;
extern u32 gFrameTime;
extern u32 gLastFrameTime;
extern u32 gGameTime;
extern u32 gGameTimeCycle;
extern u32 gBattleRequest;
// Bit 31 of gBattleRequest: a story command's battle waits for the next frame.
constexpr u32 kBattlePending = 0x80000000u;
extern u32 gBattleActive;
extern u32 gDevToolActive;

// The mode word: which mode or screen owns the frame, the screen manager's
// phase, the keyboard focus handed between screens and the screens' hub word.
constexpr u32 kMapMode = 0;
constexpr u32 kScreenBit = 0x80000000u;
constexpr u32 kQuitFrameId = 0x81000000u;
constexpr u32 kScreenCount = 33;  // screen ids 0..32

// The screen id a mode word asks for; a word without the top bit asks too.
constexpr u32 ScreenIdOf(u32 word) {
    return word & 0x0FFFFFFFu;
}

extern u32 gFrameId;     // kMapMode, kScreenBit | n screen n, kQuitFrameId quit
extern u32 gFramePhase;  // 0 open, 1 run, 2 close
extern i32 gKeyFocus;    // keyboard focus index handed from one screen to the next
extern u32 gScreenHubWord;

int SetFrameInterval(u32 ms);
int ClearFrameInterval();
void ResetFrameState();
