// The story as map mode sees it: the running talk's words that player control
// and the scene read, the dialogue boxes' holds on input, the countdowns, and the
// story calls map mode makes. The story, above map mode, defines all of these;
// its own headers include this one.
#pragma once
#include "base/Types.h"

// The talk.
constexpr u16 kTalkSpot = 0xFFFD;     // owner of a map-spot talk; also "no speaker"
constexpr u32 kTalkLockBit = 0x8000;  // gTalkFlags: player control locked
constexpr int kScriptVarCount = 256;
struct TalkContext {
    u16 x, y;          // talk partner or clicked spot, map pixels
    u32 ownerState;    // the owner's state word when the talk started
    u32 offset;        // window position from kTalkBase; 0 = not loaded yet
    u16 talk;          // talk number
    u16 ip;            // next command inside the window
    u16 owner;         // role id, kTalkSpot, or kTalkFree
    u16 speakerState;  // 1 a box waits for the player, 2 a box shows
    u8 spare[52];
};
extern TalkContext gTalkContext;
extern u32 gTalkFlags;
extern u32 gScriptVars[kScriptVarCount];
// A role's share of a talk's end, run when its scripted walk ends (Talkend): the
// last step of its walk, and the look it had before it turned to the player.
void TalkRoleCleanup(int slot);
// Fills the context for a new talk (it loads once the player stands on the grid).
void StartTalk(u16 talk, u16 owner);
bool TalkRunning();
u16 TalkOwner();  // the running talk's owner, 0xFFFF none
u32 TalkScriptPosition();
// Starts the talk of the role the player walked into.
void StartTouchTalk(int role);
// The look a role had before the talk turned it to face the player (-1 = none).
struct TalkTurn {
    int slot = -1;
    i32 action = -1, dir = -1;
};
extern TalkTurn gTalkTurn;
void SetScriptVar(int n, i32 value);

// The dialogue boxes.
extern i32 gDialogInput;      // confirm presses of this frame for the boxes
extern i32 gInputLock;        // player control ignores movement while set
extern i32 gMouseLockFrames;  // frames the left button reads as released
void DlgMessage();
void ReleaseDialogs();
void FreeScreenItemList();
bool ChoiceOpen();
// True when every answer of the open boxes has been revealed.
bool ChoicesShown();
// Moves the highlighted answer by delta, wrapping at the item count.
void MoveChosenAnswer(int delta);
// The dialogue's text colour n (0..15) in the screen layout.
u16 TextColourAt(int n);
void ReleaseDialogPictures();
bool DialogTakesMouse();    // a box with flag 0x8000 is shown
bool DialogWantsPointer();  // an open box carries flag 0x2000

// The story's countdowns, in frames of 1/30 s (-1 = off).
extern i32 gStoryCountdown;
extern u16 gCountdownTalk;
extern i32 gFlagCountdown;
void DrawStoryCountdown(i32 x, i32 y);

// Scene drawing, role values and the picture show.
// Debug grid: in the 28 x 38 cells one cell inside the view at (vx, vy), every
// cell of the map whose word has a bit of mask gets a square outline of side
// 15 - inset, inset pixels into the cell. Cells outside the map are skipped.
void DrawCellFlags(u32 mask, u16 colour, i32 vx, i32 vy, i32 inset);
// Role value which (1 low byte, 2 high byte of record word 12) of role id:
// op 1 gets into *value, op 2 sets the low 8 bits of *value. 0 when the role
// has no record.
int AccessRoleValue(u16 id, int which, i32* value, int op);
// One frame of the show into the canvas; ends the show after the last frame.
void RunPicShow();
// True while a picture show owns the screen.
bool PicShowRunning();
