// Drawing one animation frame or picture on the map side, numbers drawn from
// digit pictures, the game fonts, the cycling border, and the fixed animation
// states of the map screen (HUD icons, markers).
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

class cGrpFont;

constexpr int kIconActs = 20;
constexpr int kMarkerActs = 4;

// The fixed animation states made when a game starts.
struct FixedActs {
    ActPlayer icons[kIconActs];      // act 9006, actions 0-11 in the first twelve
    ActPlayer markers[kMarkerActs];  // act 9900, actions 16, 18, 20, 22
    i32 sceneW = 640, sceneH = 480, sceneValue = 48;
};
extern FixedActs gFixedActs;
extern u32 gDialogTextSize;  // the dialogue layout unit, about half the main font's size
extern i32 gNumberFade;      // blend level of DrawActNumber

// Draws the state's current picture at (x - hot spot) with its blend level and
// its mode word ORed with extra; false when it has no picture.
bool DrawActPicture(const ActPlayer* p, i32 x, i32 y, u32 extra);
void DrawActData(ActPlayer* p, i32 x, i32 y);
void DrawActDataMode(ActPlayer* p, i32 x, i32 y, u32 extra);
void DrawActFrame(i32 act, i32 frame, i32 x, i32 y);
void DrawPicFrame(i32 pic, i32 frame, i32 x, i32 y);
void DrawActNumber(i32 rightX, i32 y, i32 width, i32 value);
// Makes a game font at a size (sizes 16 and 20 take the advances 18 and 24);
// the main font also records its size and sets the dialogue text size.
void CreateGameFont(cGrpFont& font, i32 screenW, i32 screenH, i32 size);
// The dialogue text size from the main font's size: (size + 2) / 2. Every
// place that makes the main font again (start-up, the window coming back, a
// battle's end, a load, the font command) sets it through here.
void SetDialogTextSize();
// A one-pixel outline whose grey level cycles along the edges from phase.
void DrawCycleBorder(u16* buf, i32 x, i32 y, i32 w, i32 h, i32 pitch, i32 phase);
void InitFixedActs();
void ResetActDraw();
