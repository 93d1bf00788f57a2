// The story-script interpreter: the one talk context, the talk file with its
// 32 KB window, the script variables, the run loop and the talk end.
#pragma once
#include <string>

#include "base/DataError.h"
#include "base/Types.h"
#include "engine/File.h"
#include "map/StoryLink.h"

constexpr u16 kTalkFree = 0xFFFF;   // owner of a free context
constexpr u16 kRefOwner = 0xFFF0;   // role reference: the talk's owner
constexpr u16 kRefPlayer = 0xFFF1;  // role reference: the player
constexpr u32 kTalkWindow = 0x8000;
constexpr u32 kTalkBase = 0x200;    // script positions count from here
constexpr u32 kTalkEntries = 1001;  // offset-table entries 0..1000
constexpr u32 kTalkFiller = 0x0C;   // the window is filled with this before a read
constexpr int kMaxCommandsPerFrame = 10000;

extern u8 gTalkBuffer[kTalkWindow];
extern u32 gTalkWindowBytes;  // bytes of the window that came from the file
extern u32 gTalkFileSize;
extern cFile TalkHandle;

// One step of the running talk; 0 when the talk file is missing.
int Talk(TalkContext* c);
// Moves the talk to script position t and reads the window there. A target that
// is odd or lies outside the file is reported and ends the talk (result 0).
int TalkJump(TalkContext* c, u32 t);
// Continues in talk n of its file; 0 when the file is missing (the window closes).
int LoadTalk(TalkContext* c, int n);
// The talk-end command: roles let go, the lock cleared, the context freed.
void TalkEnd(TalkContext* c);
// Reports a fault of the running script once (naming the file and offset) and ends the talk.
void TalkFault(TalkContext* c, const char* what);
// Where the running command of c lies in its talk file, with what is wrong.
DataError TalkDataAt(const TalkContext* c, std::string what);
// Bad data a command met, in the box the game words (printf-style); stderr and
// the last error name the talk file and the command's offset as well.
void ReportTalkData(const TalkContext* c, const char* caption, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Talk n lives in file ceil(n / 1000) (at least 1) at entry n mod 1000 (1000 for multiples).
void TalkFileEntry(int n, int* file, int* entry);
void TalkFilePath(int file, char* out, size_t size);

void ResetTalkContext(TalkContext* c);

// The frame tick's calls.
void TalkStep();
void AllocTalkBuffer();
void ZeroScriptVariables();
void ReleaseTalk();

// Run-on mode and the opcodes of this call, for the commands that steer the loop.
struct TalkRunState {
    bool runOn = false;
    u32 op = 0;
    u32 prevOp = 0;
};
extern TalkRunState gTalkRun;

void ResetTalk();
