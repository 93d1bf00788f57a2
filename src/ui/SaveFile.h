// The save file: its layout as one field list, the staging copy a file is
// parsed into, the writer, the loaders into the running game, and the slot
// and quick-save file names.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/DataError.h"
#include "base/Types.h"
#include "data/Records.h"
#include "map/City.h"

constexpr int kSaveSlots = 99;
constexpr int kThumbW = 160, kThumbH = 120;
constexpr int kThumbPixels = kThumbW * kThumbH;
constexpr int kSaveDateBytes = 19;
constexpr int kSavePlaceBytes = 32;
constexpr int kSaveMoneyBytes = 13;
constexpr int kSaveTimeBytes = 20;
constexpr int kSaveHeaderBytes = 38548;
constexpr int kSaveReservedBytes = 384;
constexpr int kScriptRecordBytes = 52;
constexpr int kSaveVarBlockFixed = 4 + 256 * 4;
// The map-music rows a variable block may carry: far above any map database.
constexpr int kSaveMaxMusicRows = 8192;
constexpr int kSaveMaxRoleRows = 65535;

// The front of the file that the slot screens show.
struct SaveHeader {
    char date[kSaveDateBytes] = {};
    u16 thumb[kThumbPixels] = {};  // 5-5-5
    char place[kSavePlaceBytes] = {};
    i32 partyRole[8] = {};   // as written: roles 0 and 1 swapped while flag 324 is set
    i32 partyValue[8] = {};  // the number shown under each portrait
    char money[kSaveMoneyBytes] = {};
    char playTime[kSaveTimeBytes] = {};
};

// One row of the map-music table (name record 1 of the map database).
struct MapMusicRow {
    u16 mapId = 0, music1 = 0, music2 = 0, flags = 0;
};

// A whole save file, parsed and checked; nothing of the running game is
// touched until a staging copy is complete.
struct SaveImage {
    SaveHeader header;
    u8 flags[500] = {};
    std::vector<u8> roleRows;  // rows of 26 bytes
    u32 playerId = 0, mapId = 0, cellX = 0, cellY = 0, act = 0, action = 0, dir = 0;
    u32 gameTime = 0;
    u32 scriptVars[256] = {};
    std::vector<MapMusicRow> music;
    u8 reserved[kSaveReservedBytes] = {};
    u16 quakePeriod = 0, quakeCountdown = 0;
    u8 quakeTable[128] = {};
    u8 scriptRecords[2 * kScriptRecordBytes] = {};
    std::vector<u32> quests;
    std::vector<i32> ownedItems;
    i32 formation[8] = {};
    RoleStats roleStats[8] = {};
    RoleData roles[8] = {};
    std::vector<i32> ownedMonsters;
    EquipageData equipage[256] = {};
    i32 learned[kRoleCount][kSkillRows] = {};
    MonsterData godForms[20] = {};
    MapMusicState musicState;
};

// The 384 bytes the file keeps for later use, and the two 13-word script
// records. No module owns them yet: they live here so the file is complete.
extern u8 gSaveReserved[kSaveReservedBytes];
struct ScriptRecord {
    u16 words[13] = {};
};
extern ScriptRecord* gScriptRecordA;
extern ScriptRecord* gScriptRecordB;
// The slot the last slot load came from.
extern i32 gCurrentSlot;

// "%sSave\MH%02d.sav" with slot + 1, and "%sSave\Quick.sav".
std::string SlotPath(int slot);
std::string QuickPath();

// The save's texts.
void FormatSaveDate(int year, int month, int day, int hour, int minute, char out[kSaveDateBytes]);
void FormatSaveMoney(i32 money, char out[kSaveMoneyBytes]);
void FormatSavePlayTime(u32 seconds, char out[kSaveTimeBytes]);

// Fills an image from the running game; the thumbnail from a 640x480 canvas
// copy in the screen layout (null: black). Date from the local clock.
void BuildSaveImage(SaveImage* img, const u16* canvas);
// The file's bytes, and their parse. Parse is true only when the header and
// every block parse and the bytes end exactly after the last item; error
// names the offset of the first fault.
std::vector<u8> SaveImageBytes(const SaveImage& img);
bool ParseSaveImage(const u8* data, size_t size, SaveImage* img, DataError* error);
// The SaveHeader alone, without checking the rest (the caller has checked).
bool ParseSaveHeader(const u8* data, size_t size, SaveHeader* h);

// The ids a load follows are known: the map in the map database, the player
// in the role records, every worn piece an owned one.
bool SaveIdsKnown(const SaveImage& img, DataError* error);
// Reads and checks a save file into a new image; null (with error) when it is
// missing, not a well-formed save, or names what the databases lack.
std::unique_ptr<SaveImage> ReadSaveFile(const std::string& path, DataError* error);
// A slot holds a well-formed save.
int IsSlotUsed(int slot);
int IsQuickSaveValid();
// Something is at the slot's or the quick save's name, a damaged save too:
// what a save there would replace.
int IsSlotTaken(int slot);
int IsQuickSaveTaken();

// Writes the running game to path through a temporary file; 0 with a box
// when anything fails (the old file stays as it was).
int WriteSaveFile(const char* path);
// The running game becomes the image: database reloaded, roles laid over it,
// the map entered, flags and fonts put back. The loaders below and the
// developer tool's load are its only callers.
void ApplySaveImage(const SaveImage& img);

// The save calls of the screens and of map mode's F9 and F10.
int SaveToSlotFile(int slot);
int QuickSave();
// 1 when the quick save reads whole. A file that is there but does not is
// reported (file and offset) on stderr and as the last error, and counts as none.
int FindQuickSave();
// The loads: the file is read and checked whole, then `prepare` runs (what a
// screen does just before the game changes), then the game becomes the save.
// 0 when the file is missing or bad: the fault is reported (file and offset)
// under the box "進度檔已損毀，無法讀取。" and nothing changes.
int LoadGameFromQuick(const std::function<void()>& prepare = {});
int LoadSlotFile(int slot, const std::function<void()>& prepare = {});

// The live roles of the map into the role records, at the player's cell.
void StorePlayerRoles();
// A 640x480 copy of the canvas as last drawn; false when there is none.
bool CopyDrawSurface(u16* out);

// Animated doors and the like of maps 641 and 631 back to their resting state.
void ResetMapObjectStates();

void ResetSaveFile();
