// Dialogue boxes: the records built from a script's dialogue spec, their
// placement, the reveal of their text with its escapes, the answer items, the
// closing, and what player control reads of them.
#pragma once
#include <memory>
#include <vector>

#include "base/Types.h"
#include "engine/MyAct.h"
#include "map/StoryLink.h"

constexpr int kDialogTextBytes = 512;  // buffer of a box's text
constexpr int kDialogTextMax = 510;    // text bytes the buffer keeps
constexpr int kCaptionBytes = 32;
constexpr u16 kNoDisplayTime = 0xFFFF;
constexpr i16 kNoSpeakerSlot = -3;

// Record flags.
constexpr u32 kDlgTextOut = 0x01;  // the reveal has reached the end of the text
constexpr u32 kDlgNoSpeakerCheck = 0x800;
constexpr u32 kDlgWaits = 0x10;
constexpr u32 kDlgTimed = 0x08;
constexpr u32 kDlgChoices = 0x1000;
constexpr u32 kDlgShown = 0x8000;
constexpr u32 kDlgAllAtOnce = 0x40000000;
// Kind bits of SetupDialog.
constexpr u32 kKindBound = 0x10000;
constexpr u32 kKindKeepText = 0x20000;
constexpr u32 kKindCentreX = 0x40000;
constexpr u32 kKindCentreY = 0x80000;
constexpr u32 kKindOffset = 0x8000;

// The dialogue act: its actions 0-3 are the four box frames, 4-7 the caption
// plates that go with them.
constexpr i32 kDialogAct = 9005;
constexpr int kDialogFrameCount = 4;
constexpr int kCaptionActionBase = 4;

// A talk balloon's text starts at this screen row; a text longer than this
// many characters takes the balloon's two lines.
constexpr i32 kBalloonTextY = 10;
constexpr i32 kBalloonColumns = 40;

// What a script's dialogue command hands to SetupDialog.
struct DialogSpec {
    u16 speaker = 0xFFFD;           // resolved role id; 0xFFFD no speaker
    u16 frameAct = 0;               // 0-3 a frame by number, 9005 the message frame
    u16 width2 = 4, height2 = 3;    // kind 2, in units
    u16 width1 = 40, height1 = 10;  // kind 1, in units
    u16 x = 0x8000, y = 0x8000;     // screen position; 0x8000 none
    i16 dx = 0, dy = 0;             // offsets of kind bit 0x8000
    u32 flags = 0;                  // record flags to start with
    u16 displayTime = kNoDisplayTime;
    const char* text = nullptr;  // ends with "%Q"
    u32 textLen = 0;             // bytes before the mark
};

struct DialogRecord {
    u32 flags = 0;
    u32 kind = 0;
    i32 x = 0, y = 0, w = 0, h = 0;  // screen pixels
    i32 anchorX = 0, anchorY = 0;    // where the opening grows from
    i16 speakerSlot = kNoSpeakerSlot;
    u16 speaker = 0xFFFD;
    int frameState = 0;                // which of the four frame states draws the box
    int captionState = -1;             // the caption plate's state, -1 without caption
    u32 revealed = 0;                  // bytes of the text taken so far
    u32 pageStart = 0;                 // first byte of the page on show
    i32 delay = 10;                    // frames per character
    i32 counter = 0;                   // frames until the next character
    u16 displayTime = kNoDisplayTime;  // tenths of a second
    u32 startTime = 0;
    u32 opening = 0;        // 0..4: the box grows over four frames
    bool pageWait = false;  // a full page or "%P" waits for the player
    bool textDone = false;  // "%Q" reached
    bool done = false;      // marked to close
    i32 number = 0;         // the last "%A" number
    bool balloon = false;   // a one-line talk balloon at the top of the screen
    char text[kDialogTextBytes] = {};
    char caption[kCaptionBytes] = {};
};

// One answer of an open answer box, in screen pixels.
struct ScreenItem {
    u16 kind = 0, state = 0;
    u16 left = 0, top = 0, right = 0, bottom = 0;
};

extern std::vector<std::unique_ptr<DialogRecord>> gDialogs;
extern std::vector<ScreenItem> gScreenItems;
extern u32 gChosenAnswer;  // the highlighted answer
extern i32 gDialogClick;   // a mouse click of this frame for the boxes
extern u16 gTextColors[16], gShadowColors[16];
extern std::vector<std::string> gKeptTexts;

// 1 built, 0 refused (speaker not on the map: the record is cleared).
int SetupDialog(DialogRecord* r, const DialogSpec& spec, const char* caption, u32 kind);
void AppendDialog(std::unique_ptr<DialogRecord> r);
void ShowMessageBox(u16 speaker, const char* text);
// Closes every open box of the speaker as the player's close does: the
// speaker's talk lock and the boxes' share of the waiting count go with them.
void CloseDialogsOf(u16 speaker);
// Expands "%T", "%I" and the replacement table in place; (lines << 16) | columns.
u32 ExpandTextVariables(char* text);
int ReplaceAtStart(char* text, const char* pattern, const char* replacement, int room);
// The 3 x 3 replacement table of the story scripts (pattern, replacement).
void SetTextReplacement(int i, const char* pattern, const char* replacement);

int FindScreenItemAtMouse(i32 x, i32 y, int* index);

// The four frame states and their caption plates, reset to their first frame.
void InitDialogFrames();
// The frame state a frame act chooses; -1 for an act that is none of them.
int DialogFrameIndex(u16 frameAct);
// The speaker's face: the picture of this action of the act the speaker
// plays on the map (its look). A look without it shows no face.
constexpr i32 kFaceAction = 24;
constexpr i32 kFaceInset = 6;  // the face's left edge from the box's text
// The face of the box's speaker, its animation taken once; false when the box
// has no speaker on the map or the speaker's look has no face.
bool SpeakerFace(const DialogRecord& r, ActPlayer* face);
// Where a box's caption plate and the speaker's face go (screen pixels).
struct DialogDecor {
    i32 faceX = 0, faceY = 0, faceW = 0, faceH = 0;
    i32 capX = 0, capY = 0, capW = 0, capH = 0;
};
DialogDecor DialogDecorOf(const DialogRecord& r);

void ConvertTextColors();
void FontTextOut(u16* buffer, i32 x, i32 y, int colour, int shadow, const char* text, int style);
void DrawRectFrame(i32 x, i32 y, i32 w, i32 h, u16 colour);

void ResetDialogs();
