// The role table of the current map (gMapRoles), the role records of the whole
// game (gRoleRecords, inside the map database), the occupancy marks roles leave
// in the cell grid, the followers behind the player and the route records.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

constexpr int kRoleRows = 4096;
constexpr int kRouteRecords = 72;
constexpr int kFollowerMax = 8;
constexpr int kRecordWords = 13;
constexpr int kRecordBytes = kRecordWords * 2;
constexpr u16 kNoRole = 0xFFFF;
constexpr u16 kPlayerRef = 0xFFF1;
constexpr u16 kPlayerRef2 = 0xFFFE;

// State bits of a role row (the walk bits are in map/RoleWalk.h).
constexpr u32 kRoleShown = 0x8000;
constexpr u32 kRoleFollows = 0x80;
constexpr u32 kRoleWide = 0x4000;    // footprint takes 0x20000000 too
constexpr u32 kRoleLow = 0x10;       // footprint takes 0x00800000 too
constexpr u32 kRoleOnMap2 = 0x0400;  // a shown role with it is neither drawn nor on the cells
constexpr u32 kRoleTakesCell = 0x100;
constexpr u32 kRoleRemoved = 0x18000000;
constexpr u32 kRoleGone = 0x10000000;    // bit 28: FindRoleById skips it
constexpr u32 kRoleLayer = 0x03;         // the drawing bucket (layer) the role is filed in
constexpr u32 kRoleNoMouse = 0x04;       // no talk by a click or by facing it
constexpr u32 kRoleUnscaled = 0x08;      // never scaled by the map's depth
constexpr u32 kRoleNoTalkCursor = 0x20;  // the mouse over it keeps its cursor
constexpr u32 kRoleCursor10 = 0x40;      // the mouse over it shows cursor 10, spots ignored
constexpr u32 kRoleCursor15 = 0x200;     // the mouse over it shows cursor 15
constexpr u32 kRoleTurnsToTalk = 0x800;  // faces the player while its talk runs
constexpr u32 kRoleIdleAnim = 0x1000;    // animated while it stands
constexpr u32 kRoleTouchTalk = 0x2000;   // starts its talk by walking into the player
constexpr u32 kRoleInTalk = 0x80000;     // the owner of the running talk
constexpr u32 kRoleTint = 0x00F00000;    // bits 20-23: a tint step index
constexpr int kRoleTintShift = 20;
constexpr u32 kRoleSoundOn = 1u << 24;  // its positional sound plays
constexpr u32 kRoleDoubleStep = 1u << 26;
constexpr u32 kRoleShadow = 0x20000000;  // bit 29: drawn with a shadow
// A shown role is drawn and marks its footprint unless it also has kRoleOnMap2:
// (state & kRoleDrawnBits) == kRoleShown.
constexpr u32 kRoleDrawnBits = kRoleShown | kRoleOnMap2;
// Hiding a role keeps only the bits below kRoleShown.
constexpr u32 kRoleKeptOnHide = kRoleShown - 1;

// Cell-word bits.
constexpr u32 kCellRole = 0x10000000;
constexpr u32 kCellWide = 0x20000000;
constexpr u32 kCellLow = 0x00800000;
constexpr u32 kCellPlayer = 0x100;
constexpr u32 kCellWall = 0x40000000;
constexpr u32 kCellWalkMask = 0x600000FF;
constexpr u32 kCellRoleBits = 0x30800000;
// Taken by a role with kRoleTakesCell when it is placed or enters the cell.
constexpr u32 kCellShadow = 0x800;  // gives kRoleShadow
constexpr u32 kCellTint = 0xF000;   // gives the tint step of kRoleTint
constexpr int kCellTintShift = 12;

struct RoleSlot {
    RoleSlot* next = nullptr;  // link of the drawing bucket's row list
    u16 x = 0, y = 0;          // map pixels
    u32* cell = nullptr;       // anchor cell in gMap's cell grid
    u32 state = 0;
    u32 cleared = 0;
    u32 pc = 0;  // behaviour program counter
    u16 scriptId = 0;
    u16 talk = 0;
    u16 talk2 = 0;
    u16 wait = 0;
    u16 roleId = kNoRole;
    u16 talkLock = 0;
    i16 extra1 = 0;  // record byte 24, sign-extended
    u16 extra2 = 0;  // record byte 25
    u16 fpSize = 0;  // footprint words of table 21
    u32 fpValue = 0;
    u16 stillPic = 0;  // 1: a still map object drawn from objectNo
    u16 objectNo = 0;
    u16 attr1 = 0, attr2 = 0;  // placement attributes of map objects
    ActPlayer* act = nullptr;
    // Drawing and sound of the map scene.
    i16 drawX = 0, drawY = 0;     // draw offsets
    u32 soundRepeat = 0;          // low half: frames to the next repeat; high half: the reload
    u16 soundId = 0;              // positional sound (0: none)
    u16 textColour = 0;           // speech or name text: an index of the text colours (0..10)
    char* text = nullptr;         // speech or name text (Big5, debug allocator), or null
    u16 markerId = 0;             // frame of the area marker (0: none)
    ActPlayer* second = nullptr;  // an attached second animation (not owned)
};

// A route record (a free one is all bytes 0xFF).
struct RoleRoute {
    u16 role;
    u16 pos;
    u16 targetX, targetY;
    u16 queuedRole, queuedX, queuedY;
    u16 arriveAct, arriveAction, arriveDir;
    i16 stepX, stepY;
    u8 retry;
    u8 state;
    u8 dirs[514];  // up to 512 directions, 255 ends
};
static_assert(sizeof(RoleRoute) == 540);

// The leader's trail: newest first. Follower k walks toward entry 2k, so the
// trail is long enough for every follower's entry.
constexpr int kTrailLength = 2 * kFollowerMax;

struct Followers {
    u8 slot[kFollowerMax];  // entry 0 the player; 0xFF empty
    u32 count;
    RoleRoute routes[kFollowerMax];
    i32 trailX[kTrailLength], trailY[kTrailLength], trailDir[kTrailLength];
};

extern RoleSlot gMapRoles[kRoleRows];
extern i32 gMapRoleCount;
extern i32 gPlayerSlot;
extern u16 gPlayerId;
extern RoleRoute gRoleRoutes[kRouteRecords];
extern Followers gFollowers;

// The words of a role record, by index.
namespace recWord {
constexpr int kMap = 0;  // the map the role stands on (0xFFFF: the end row)
constexpr int kId = 1;   // role id; ids 0, 10000 and 10001 follow the player's map
constexpr int kAct = 2, kAction = 3, kDir = 4;
constexpr int kCellX = 5, kCellY = 6;
constexpr int kTalk = 7, kScript = 8, kPc = 9;  // pc: the behaviour's, low 16 bits
constexpr int kState = 10;                      // low 16 bits of the state word
constexpr int kValue = 11;   // a script's value; a world-map place's is not 0 when open
constexpr int kExtras = 12;  // the two extra bytes below
}  // namespace recWord
// The bytes of word recWord::kExtras: a role slot's extra1 (sign-extended) and extra2.
namespace recByte {
constexpr int kExtra1 = 2 * recWord::kExtras, kExtra2 = kExtra1 + 1;
}  // namespace recByte

// The role records: rows of 13 u16 inside the map database (table 1).
extern u8* gRoleRecords;
extern i32 gRoleRecordCount;  // rows before the end row
u16 RecordWord(i32 row, int word);
void SetRecordWord(i32 row, int word, u16 v);
u8 RecordByte(i32 row, int byte);
void SetRecordByte(i32 row, int byte, u8 v);
// Row index of the record with that role id, or -1.
i32 FindRecord(u16 id);
// Points gRoleRecords at size bytes and counts the rows up to the end row (a
// missing end row counts only whole rows). False when there was no end row.
bool BindRoleRecords(u8* table, size_t size);

// Route directions 0-7 and their 4-pixel steps.
extern const i8 kDirStepX[8];
extern const i8 kDirStepY[8];

void MarkRoleFootprint(RoleSlot* s);
void ClearRoleFootprint(RoleSlot* s);
// Footprint in cells from the animation state (at least 1 x 1).
void RoleFootprint(const RoleSlot* s, int* w, int* h);
int FindRoleById(u16 id);
u16 GetRoleId(int index);
int GetRoleIndex(u16 ref, int* index);
int IsAreaFree(int x, int y, int w, int h);
u8 GetBlockedDirections(const u32* anchor, int w, int h, u32 mask);
int ClearRoleRoute(RoleRoute* r);
void ResetActPlayer(ActPlayer* p);
// 1 when the act has a part for the player's action and direction.
int ActHasFrames(ActPlayer* p);
ActPlayer* NewActPlayer();
void ClearRoleTable();
void StoreRoleRecords(int x, int y);
int UpdateRoleRecord(u16 id, i32 act, i32 action, i32 dir, i32 cx, i32 cy, u16 talk, u16 script,
                     u16 orBits, i32 andMask, i32 mapId, u16 word11, u16 word12);
// The save loader's road: every word as stored, no value read as "unchanged".
int RestoreRoleRecord(i32 row, const u16 words[kRecordWords]);
i32 ApplyRoleRecord(RoleSlot* s, u16 id);
void AddFollower(int n);
void RemoveFollower(u16 ref, u16 script, u16 talk, i32 act, i32 action, i32 dir, u32 state);
int ReadRoleFootprint(RoleSlot* s);
void ClearFollowers();
void ClearRouteRecords();
// Puts a role back onto the 16-pixel grid, stepping back (-1) or forward (+1)
// along route direction dir (0 down-right .. 7 right).
void SnapToGrid(RoleSlot* s, int dir, int sign);

// Clears state bits of rows 1 .. gMapRoleCount - 1.
void ClearRoleStateBits(u32 bits);
void ResetRoleTable();
// The text of the data error box of a role's animation (role id, act, action, direction).
const char* RoleErrorText();
// Finishes a placed role: its animation's first frame, the cell it stands on,
// the state bits that cell gives, and its footprint.
void newRoleInit(RoleSlot* s);
