// cDINPUT: the keyboard as 256 scan-code bytes and the mouse as a cursor on the
// 640x480 screen, polled once per frame.
#pragma once
#include "base/Types.h"
#include "platform/Win.h"

struct ModuleRec;

class cDINPUT {
public:
    cDINPUT();
    ~cDINPUT();

    // 0 when both devices are ready, 1 on failure (the caller treats it as fatal).
    int Init(ModuleRec* instance, HWND window);
    void Release();

    int ReadKeyboard();
    int IsKeyDown(int code) const;
    int GetFirstKey() const;
    void PressKey(int code);

    // Cursor through x and y; bit 0 = button 0 down, bit 1 = button 1 down.
    int ReadMouse(i32* x, i32* y);
    void SetMousePos(i32 x, i32 y);
    void SetMouseSpeed(double factor);

    i32 GetSpeed() const { return speed_; }
    i32 GetOriginX() const { return originX_; }
    i32 GetOriginY() const { return originY_; }
    const u8* KeyState() const { return keys_; }

private:
    u8 keys_[256] = {};
    bool ready_ = false;
    i32 originX_ = 0;
    i32 originY_ = 0;
    i32 speed_ = 10;  // ten times the cursor speed factor
};

extern cDINPUT gDInput;

// The frame tick's poll: cDINPUT::ReadKeyboard on gDInput.
void PollInput();
// A fresh gDInput for tests: no keys, speed 10, origin 0.
void ResetDInput();
