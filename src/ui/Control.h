// UI controls (pictures, buttons, texts, numbers, boxes, run-coded pictures,
// panels), their registry gControlList, the scroll bar of list pages, and the
// small services every screen uses: interface fonts and the interface sound.
#pragma once
#include <deque>

#include "base/Types.h"
#include "map/InterfaceLink.h"

class cActPic;
class cGrpFont;

enum ControlKind : i32 {
    kCtlPicture = 0,
    kCtlButton = 1,
    kCtlText = 2,
    kCtlNumber = 3,
    kCtlDigits = 4,
    kCtlBox = 5,
    kCtlRle = 8,
    kCtlPanel = 9,
    kCtlDrag = 10,
    kCtlNothing = 11,
};

class cControl {
public:
    cControl(i32 x, i32 y);
    ~cControl();
    cControl(const cControl&) = delete;
    cControl& operator=(const cControl&) = delete;

    void SetPics(cActPic* normal, cActPic* hover, cActPic* pressed);
    void SetButton(i32 newId, cActPic* normal, cActPic* hover, cActPic* pressed);
    void SetText(const char* t);
    void SetNumber(const i32* v, int padded);
    // A number drawn with the frames 0..9 of the digit picture, left to right.
    void SetDigits(const i32* v, cActPic* digitPic);
    void SetRect(i32 x1, i32 y1, i32 x2, i32 y2, i32 mode, u32 colour, i32 nx, i32 ny);
    void SetRlePic(const u16* pixels, i32 w, i32 h, u32 scale);
    void SetAlpha(i32 a) { paddedOrAlpha = a; }
    void SetPanel(i32 w, i32 h, u32 colorRef);
    void SetDraggable() { kind = kCtlDrag; }
    void SetFont(cGrpFont* f, u32 colorRef, i32 style);
    void Show() { shown = 1; }
    void Hide() { shown = 0; }
    void Move(i32 nx, i32 ny) {
        x = nx;
        y = ny;
    }
    void BringToFront();
    void SendToBack();
    void Draw();
    // The id when the cursor lies on an opaque pixel of the shown picture, else 0.
    i32 HitTest() const;

    i32 id = 0;
    i32 x = 0, y = 0;
    u32 shown = 1;
    i32 kind = kCtlNothing;
    cGrpFont* font = nullptr;
    u32 colour = 0;  // screen colour, both halves
    cActPic* normalPic = nullptr;
    cActPic* hoverPic = nullptr;
    cActPic* pressedPic = nullptr;
    const char* text = nullptr;
    const i32* value = nullptr;  // kind 3 and 4; kind 8: wave option
    const u16* rleSource = nullptr;
    i32 boxMode = -1;
    i32 paddedOrAlpha = 0;  // kind 3 padded, kind 8 alpha, kind 5 x1, kind 10 drag x
    i32 boxY1 = 0;          // kind 5 y1, kind 10 drag y
    i32 width = 0;          // kind 8 w, kind 5 x2, kind 9 w
    i32 height = 0;         // kind 8 h, kind 5 y2, kind 9 h
    i32 style = 1;
    u8* rle = nullptr;  // kind 8: the encoded picture
    i32 rleSize = 0;
    u32 zoom = 1024;
    // A picture kept to its place: drawn only within placeW pixels right of x
    // (0: the whole picture).
    i32 placeW = 0;

private:
    cActPic* ButtonPicture() const;
    void DrawPicture(cActPic* p);
    void DrawText(const char* t);
    void DrawDigits();
    void DrawBox();
    void DrawRle();
    void DrawPanel();
    void DrawDrag();
};

extern std::deque<cControl*> gControlList;

class cScrollBar {
public:
    void Init(cControl* increasing, cControl* decreasing, cControl* thumbCtl, i32 breadth,
              i32 width, i32 vertical);
    void Update();

    cControl* arrow1 = nullptr;  // adds the arrow step
    cControl* arrow2 = nullptr;  // takes it away
    cControl* thumb = nullptr;
    i32 homeX = 0, homeY = 0;
    i32 trackBreadth = 0;
    i32 trackWidth = 0;
    i32* value = nullptr;
    i32 maximum = 0, minimum = 0;
    i32 arrowStep = 1, pageStep = 1;
    i32 trackStart = 0, trackEnd = 0;
    i32 vertical = 1;
    i32 dragOffset = 0;
    u32 enabled = 0;
    u32 lastTime = 0;
    u32 repeating = 0;
    i32 heldId = -1;

private:
    void RepeatHeldArrow(u32 now);
    void PageOnTrack();
    void PlaceThumb();
};

constexpr u32 kArrowFirstRepeatMs = 800;
constexpr u32 kArrowRepeatMs = 100;
constexpr u32 kPageSleepMs = 200;
constexpr u16 kNoFontBk = 0xFFFE;

// A 0x00BBGGRR colour reduced to 5-5-5 and converted to the screen layout.
u16 ColorRefToScreen(u32 colorRef);
// Interface font set-up: InitFont first, then SetupFont.
void InitFont(cGrpFont* f);
void SetupFont(cGrpFont* f, i32 size, i32 ignored, u32 background, u32 shadow);
// Formats a control number: "%10d" when padded, else "%d".
void FormatControlNumber(char* out, size_t n, i32 v, int padded);

// Deletes every control and picture object still registered.
void ClearFrameObjects();
// The same at the end of a session.
void DestroyScreenObjects();
