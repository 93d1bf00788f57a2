// Global game data beside the map: start values of flags and counters, the
// map-object buckets that order drawing by row, the transient lists, the walk
// step, the start of a new game, and small helpers of the map-side code.
#pragma once
#include "base/Types.h"
#include "map/RoleTable.h"

constexpr int kBucketRowBias = 20;  // head 20 + r belongs to cell row r
constexpr int kBuckets = 3;

// The four 52-byte records of table 6, unpacked.
struct InitEntry {
    u8 bytes[56] = {};
};

struct NewGameState {
    RoleSlot** buckets[kBuckets] = {};
    u32 bucketRows = 0;  // map height + 40
    u32 walkStep = 16;
    InitEntry entries[4];
    u16 playerValue = 0;  // handed to the player slot on map entry
    u32 sceneWord = 0;
    ActPlayer* cursor = nullptr;
    u32 cursorMode = 0;  // the map cursor's mode word
    u32 bounds[4] = {};  // transient-list bounds, 0x7FFFFFFF when empty
};
extern NewGameState gNewGame;
extern u32 gGameDataReady;  // set once InitGameData has run

void AllocMapObjectBuckets();
void FreeMapObjectBuckets();
void InsertMapObject(RoleSlot* s, int bucket);
void RemoveMapObject(RoleSlot* s, int bucket);
RoleSlot* RefileMapObject(u16 id, int bucket, int fromRow, int mode);
// The head of bucket b's list for cell row r (null outside the bucket).
RoleSlot* BucketRow(int b, int r);

int InitGameData();
// 1 started; 0 when the start record cannot be read: its box is shown and
// the window closes after the frame.
int StartNewGame(int load);
void newRoleInit(RoleSlot* s);
void Talkend(int n);
// Frees the transient lists of the map (the countdown's expiry and map entry).
void ReleaseMapTransients();
// The countdown's expiry after the lists: every role's walk ends, then the talk.
void StartCountdownTalk();
void ReleaseForLoad();

void SetWalkStep(u32 step);
u32 GetWalkStep();
int ParseInt(const char* s, i32* out);
void DrawRectOutline(u16* buf, i32 x, i32 y, i32 w, i32 h, i32 pitch, u16 colour);
void MakeThumbnail(u16* buf);
int GetPlayerDirectionTo(i32 x, i32 y);
void FillRandom(u16* buf, i32 w, i32 h);
void ShowNotice(const char* text, i32 value);

// Everything the map side holds, in release order (ReleaseGame).
void ReleaseMapData();
void ResetNewGame();
