// The ending (screen 5): four pictures that fade and slide in, hold, and fade
// out back to map mode, in one of four layouts a story command chooses.
#pragma once
#include "base/Types.h"

class cActPic;
class cControl;

constexpr int kEndingPictures = 4;  // acts 2901..2904
constexpr i32 kEndingFirstAct = 2901;
// Stage lengths (ms): entry, rising or fade-in, hold, fade-out.
constexpr u32 kEndingEntryMs = 800;
constexpr u32 kEndingRiseMs = 8000;
constexpr u32 kEndingHoldMs = 6401;
constexpr u32 kEndingFadeMs = 1600;

class cEndingFrame {
public:
    cEndingFrame() = default;
    cEndingFrame(const cEndingFrame&) = delete;
    cEndingFrame& operator=(const cEndingFrame&) = delete;

    // The layout (1..4) and the action of each of the four acts; the pictures
    // are made when the screen opens, so that they belong to it.
    void Setup(i32 layout, i32 action1, i32 action2, i32 action3, i32 action4);
    void Open();
    void Run();
    void Close();
    // Forgets an open ending (the object is static; the screen manager's
    // registries own its controls and pictures).
    void Reset();

    u16* screenCopy = nullptr;
    cActPic* pics[kEndingPictures] = {};
    cControl* background = nullptr;  // act 2901
    cControl* rising = nullptr;      // act 2902
    cControl* sliding = nullptr;     // act 2903
    cControl* companion = nullptr;   // act 2904, moves with the sliding picture
    // 1..4 the layout's entry, 21, 23 rising or fading in, 41, 42 holding,
    // 61 fading out, 0 done.
    i32 state = 0;
    u32 start = 0;
    i32 actions[kEndingPictures] = {};

private:
    void RunEntry(u32 t);
    void RunRise(u32 t);
    void RunHold(u32 t);
    void RunFadeOut(u32 t);
    void MovePair(i32 x, i32 y);
    void Next(i32 s);
};
