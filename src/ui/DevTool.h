// The developer tool: a game-flag editor and a save tool with 99 saves of its
// own ("%ssave\%d.sav", a shorter layout than the player's saves), run by the
// frame tick instead of the map while gDevToolActive is set.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "base/Types.h"
#include "engine/File.h"
#include "engine/MyAct.h"
#include "ui/SaveFile.h"

constexpr int kDevSlots = 99;
constexpr int kDevSlotsPerPage = 3;
constexpr int kDevDateBytes = 12;
constexpr int kDevPartyRecords = 4, kDevPartyRecordBytes = 60;
constexpr int kDevQuakeTableBytes = 128;
// gGameTime and the script variables, then the party records.
constexpr int kDevVarBlockFixed = 4 + 256 * 4 + kDevPartyRecords * kDevPartyRecordBytes;
constexpr int kDevFlagBlockBytes = 500;
constexpr int kDevFlagsPerBlock = 120;
constexpr u32 kDevEndMark = 0xFFFFEEEEu;
// A developer save is a few hundred KB; anything far larger is not one.
constexpr u32 kDevMaxFileBytes = 8u << 20;

// The values gDevToolActive takes: off, running, and just switched on (the
// next tick sets the tool up and makes it 1).
constexpr u32 kDevToolOff = 0, kDevToolOn = 1, kDevToolStarting = 3;

// One developer save file, parsed and checked.
struct DevSaveImage {
    char date[kDevDateBytes] = {};  // "%04d%02d%02d%02d%02d", no end mark
    u16 thumb[kThumbPixels] = {};   // 5-5-5
    char place[kSavePlaceBytes] = {};
    u8 flags[kDevFlagBlockBytes] = {};
    std::vector<u8> roleRows;  // rows of 26 bytes
    u32 playerId = 0, mapId = 0, cellX = 0, cellY = 0, act = 0, action = 0, dir = 0;
    u32 gameTime = 0;
    u32 scriptVars[256] = {};
    u8 party[kDevPartyRecords][kDevPartyRecordBytes] = {};
    std::vector<MapMusicRow> music;
    u8 reserved[kSaveReservedBytes] = {};
    u16 quakePeriod = 0, quakeCountdown = 0;
    u8 quakeTable[kDevQuakeTableBytes] = {};
    u8 scriptRecords[2 * kScriptRecordBytes] = {};
};

// One row of the save page.
struct DebugSlotInfo {
    i32 state = 0;  // 0 not read, 1 no file, 2 read
    i32 slot = -1;
    i32 partyRole[kDevPartyRecords] = {};
    i32 partyValue[kDevPartyRecords] = {};
    u32 mapId = 0;
    u32 money = 0;
    u32 playTime = 0;
    u16* thumb = nullptr;   // 160 x 120, screen layout
    char* date = nullptr;   // "____/__/__ __:__" filled in
    char* place = nullptr;  // 32 bytes and an end mark
    u8* block = nullptr;    // the file's 128-byte quake table
    char* playTimeText = nullptr;
};

// Keys the tool reads itself, each with its held-frame count.
enum DevKey {
    kDevKeyF1,
    kDevKeyF2,
    kDevKeyEscape,
    kDevKeyLeftCtrl,
    kDevKeyRightCtrl,
    kDevKeyLeft,
    kDevKeyRight,
    kDevKeyUp,
    kDevKeyDown,
    kDevKeyPageUp,
    kDevKeyPageDown,
    kDevKeyConfirm,
    kDevKeySave,
    kDevKeyLoad,
    kDevKeyCount
};

struct DevToolState {
    i32 page = 0;  // 0 flag editor, 1 save tool
    i32 flag = 0;  // the edited flag
    i32 countdown = 0;
    u32 ticks = 0;
    u32 held[kDevKeyCount] = {};
    i32 mouseX = 0, mouseY = 0;
    int lastButtons = 0;
    bool asking = false;     // the overwrite question is open
    i32 arrowBlink[2] = {};  // top and bottom arrow flashes after a click
    DebugSlotInfo rows[kDevSlotsPerPage];
    ActPlayer roleActs[kDevSlotsPerPage][kDevPartyRecords];
};
extern DevToolState gDevTool;

// "%ssave\%d.sav".
std::string DevSavePath(int slot);

// The file's bytes, and their parse: true only when every item parses and the
// bytes end right after the last one; error names the offset of the fault.
void BuildDevSaveImage(DevSaveImage* img, const u16* canvas);
std::vector<u8> DevSaveBytes(const DevSaveImage& img);
bool ParseDevSave(const u8* data, size_t size, DevSaveImage* img, DataError* error);
std::unique_ptr<DevSaveImage> ReadDevSaveFile(const std::string& path, DataError* error);

// Saves the running game into slot n (the live roles stored first); 0 with a
// box when it cannot be written.
int WriteDevSave(int slot);
// Loads slot n into the running game the way a slot load does, for the items
// the file holds; 0 (and nothing changed) when it is missing or bad.
int LoadDevSave(int slot);

// The flag editor's step: below 0 to the last flag, past the last flag to 0.
i32 StepDebugFlag(i32 flag, i32 delta);

void ReadDebugSlotInfo(DebugSlotInfo* row, int slot);
void FreeDebugSlotInfo(DebugSlotInfo* row);
void ReleaseDebugSlotInfo();
// The rows of the current slot's page.
void ReadDebugSlotPage();
void ResetDebugSlotRoles();

// Key states cleared, counters and page 0, arrow flashes set.
void ResetDebugTool();
// The slot whose file was written last becomes the current slot; its page is read.
void SelectNewestDebugSlot();
int AnyDebugSaveExists();
// Whether the last four bytes of the open file are the end mark.
int HasDebugEndMark(cFile* file);

// Switches the tool on (it sets itself up on the next tick).
void OpenDebugTool();
// Leaves the tool from outside: mode word 0, rows freed.
void LeaveDebugTool();
// The frame tick's step while gDevToolActive is set.
void RunDebugTool();

void ResetDevTool();
