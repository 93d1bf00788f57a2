// Act animations: the six ".act" archives, the act cache and the cache of
// directory entries, and TakeActData, the interpreter of the act commands.
#pragma once
#include "base/Types.h"

// Command tags: two ASCII letters, the first in the high byte.
constexpr u16 ActTag(char a, char b) {
    return static_cast<u16>(static_cast<u8>(a) << 8 | static_cast<u8>(b));
}
constexpr u16 kActRF = ActTag('R', 'F'), kActPA = ActTag('P', 'A'), kActSD = ActTag('S', 'D');
constexpr u16 kActXY = ActTag('X', 'Y'), kActVI = ActTag('V', 'I'), kActNO = ActTag('N', 'O');
constexpr u16 kActAM = ActTag('A', 'M'), kActAH = ActTag('A', 'H'), kActAN = ActTag('A', 'N');
constexpr u16 kActGS = ActTag('G', 'S'), kActLD = ActTag('L', 'D'), kActSC = ActTag('S', 'C');
constexpr u16 kActLP = ActTag('L', 'P'), kActTN = ActTag('T', 'N'), kActWV = ActTag('W', 'V');
constexpr u16 kActAT = ActTag('A', 'T'), kActAX = ActTag('A', 'X'), kActAY = ActTag('A', 'Y');
constexpr u16 kActOX = ActTag('O', 'X'), kActOY = ActTag('O', 'Y'), kActRO = ActTag('R', 'O');
constexpr u16 kActOA = ActTag('O', 'A'), kActAE = ActTag('A', 'E'), kActQE = ActTag('Q', 'E');
constexpr u16 kActTW = ActTag('T', 'W'), kActWH = ActTag('W', 'H'), kActCR = ActTag('C', 'R');
constexpr u16 kActCG = ActTag('C', 'G'), kActCB = ActTag('C', 'B'), kActCL = ActTag('C', 'L');
constexpr u16 kActFL = ActTag('F', 'L'), kActSM = ActTag('S', 'M'), kActED = ActTag('E', 'D');
constexpr u16 kActOV = ActTag('O', 'V'), kActO2 = ActTag('O', '2');

// Operand words of a tag (0 for an end command or an unknown word).
int ActOperandCount(u16 tag);

constexpr u16 kLoopSet = 0x8000;
constexpr u16 kLoopEndless = 0x4000;
constexpr u16 kDelayOverrideOn = 0x8000;
constexpr u32 kActModeKeep = 0x80000000u;  // draw-mode bit that survives every restart
// The draw-mode bits PutPic takes: bit 31 is the act's own (PutPic's run-coded bit).
constexpr u32 kActModePaint = ~kActModeKeep;
constexpr u16 kActEventLayer2 = 0x20;  // event bit: the act has a second layer

// The state of one playing act, owned by its user.
struct ActPlayer {
    i32 act = 0;  // 0 = none
    i32 lastAct = 0;
    i32 action = 0;  // part key = direction + action
    i32 lastAction = 0;
    i32 xOff = 0, yOff = 0;    // "XY": the user draws at position - offset
    u32 drawMode = 0;          // PutPic mode of the frame
    u32 layerAct = 0;          // "AE": act of the second layer
    u32 layerAction = 0;       // "QE": action of the second layer
    u32 cellW = 0, cellH = 0;  // "WH": frame size in 16-pixel cells
    i32 dir = 0;
    i32 lastDir = 0;
    u8 tnValue = 0;       // "TN" low byte
    u8 frameCounter = 0;  // "TN" high byte, +1 per "PA"; drives loops
    u16 cmdIndex = 0;     // next word of the part
    u16 delayCount = 0;
    u16 delay = 0;
    u16 delayOverride = 0;                // bit 15: use bits 0-14 instead of the delay
    u16 pic = 0;                          // "RF"
    u16 frame = 0;                        // "PA"
    u16 overlayPic = 0;                   // "RO"
    u16 overlayFrame = 0;                 // "OA": overlay frame plus one, cleared each frame
    const u8* actData = nullptr;          // the current part (valid during one tick)
    u32 actBytes = 0;                     // its length in bytes
    u16 sound = 0;                        // "WV": pending sound, cleared by its reader
    u16 event = 0;                        // "AT": event bits, cleared by its reader
    i16 scaleX = 0, scaleY = 0;           // "SC"
    i16 overlayX = 0, overlayY = 0;       // "OX", "OY"
    u16 ldValue = 0;                      // "LD" low byte
    u16 colR = 0, colG = 0, colB = 0;     // "CR", "CG", "CB" first operands
    u16 colR2 = 0, colG2 = 0, colB2 = 0;  // their second operands
    i16 hitX = 0, hitY = 0;               // "AX", "AY": the frame's hit point
    u16 fl[7] = {};
    u16 loopCount = 0;  // bit 15 set, bit 14 endless, bits 0-13 passes left
    u8 loopStart = 0, loopEnd = 0;
    u8 wave = 0;       // "TW": wave number
    u8 wavePhase = 0;  // kept by the user; cleared on restart
    u8 blend = 0;      // "GS": the user's gPaintAlpha
    u8 zoomAlways = 0;
    u32 ended = 0;  // an "O2" end reached with no delay left
    u32 hold = 0;   // set by the user: keep the current frame
    u32 smFlag = 0;
};

// One tick; 1, or 0 when the act's part cannot be loaded.
int TakeActData(ActPlayer* p);
// The box a user of act `act` shows when TakeActData refused it, worded by the
// game (printf-style); stderr and the last error name the act's archive entry.
void ReportActFault(i32 act, const char* caption, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Part key of act from the act cache (loading it); null when there is none.
// partBytes receives the part's length.
const u8* LoadAct(i32 act, i32 key, u32* partBytes = nullptr);
// The same without the cache; the copy lives until the next direct read or FreeActs.
const u8* ReadActDirect(i32 act, i32 key, u32* partBytes = nullptr);
void FreeActs();
void SetActCacheMode(i32 mode);
void SetActZoomAll(i32 flag);
void SetActMemory(u32 bytes);

extern i32 gActCacheMode;
extern i32 gActZoomAll;
// What the last "SC" left: its scale and the offsets it zoomed about.
extern i32 gActLastScale, gActLastX, gActLastY;

// Splits act data into part key; false for a bad table or a missing part.
bool FindActPart(const u8* data, u32 size, i32 key, u32* partOffset, u32* partBytes);

struct ActCacheStats {
    u32 total = 0;
    u32 budget = 0;
    u16 counts[16] = {};
    u32 reads = 0;       // act data read from the archives
    u32 entryReads = 0;  // directory entries read from the archives
};
ActCacheStats GetActCacheStats();
const char* ActLastError();

// Back to the start state: archives closed, caches freed, switches and
// budget at their defaults (cache on, 512 KB).
void ResetActs();
