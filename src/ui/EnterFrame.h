// The enter/cancel prompt (screen 7): a box over the frozen map with a caption
// from the story script; enter jumps the talk, cancel steps past the command.
#pragma once
#include "base/Types.h"
#include "engine/GrpFont.h"

class cActPic;
class cControl;
struct TalkContext;

constexpr i32 kEnterButtonId = 1010;
constexpr u32 kEnterCaptionBytes = 96;  // the box holds about sixteen characters
constexpr u16 kEnterHiddenRole = 2762;  // hidden when the player cancels

class cEnterFrame {
public:
    cEnterFrame() = default;
    cEnterFrame(const cEnterFrame&) = delete;
    cEnterFrame& operator=(const cEnterFrame&) = delete;

    // The box position, the talk to continue, the prompt command in the talk
    // window and the talk's instruction-position word.
    void Setup(i32 x, i32 y, TalkContext* talk, const u8* command, u16* position);
    void Open();
    void Run();
    void Close();
    // Forgets an open prompt (the object is static; the screen manager's
    // registries own its controls and pictures).
    void Reset();

    i32 result = 0;      // 1 enter, 2 cancel
    i32 selection = -1;  // -1 none, 0 enter, 1 cancel
    cGrpFont font;
    u16* screenCopy = nullptr;
    cActPic* pics[4] = {};  // box, button, button under the mouse, marker
    cControl* marker = nullptr;
    i32 boxX = 0, boxY = 0;
    u32 captionLength = 0;  // bytes of the caption in the script
    TalkContext* talk = nullptr;
    const u8* command = nullptr;
    u16* position = nullptr;
    u32 jumpTarget = 0;
    char caption[kEnterCaptionBytes] = {};

private:
    void TakeCaption();
    void FreezeMap();
    bool RunClick();
    void RunKeys();
    void Choose(i32 r, int sound);
};
