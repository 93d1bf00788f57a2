// The screens the story commands set up.
#include "story/ScreenCalls.h"

#include "ui/EndingFrame.h"
#include "ui/EnterFrame.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"
#include "menu/ItemFrame.h"

void SetupEndingScreen(i32 layout, i32 action1, i32 action2, i32 action3, i32 action4) {
    gEndingFrame.Setup(layout, action1, action2, action3, action4);
}

void SetupEnterPrompt(i32 x, i32 y, TalkContext* talk, const u8* command, u16* position) {
    gEnterFrame.Setup(x, y, talk, command, position);
}

void OpenItemFrame(u32 mode) {
    gFrameId = ScreenWord(Screen::ItemChooser);
    delete gItemFrame;
    gItemFrame = new cItemFrame(mode);
}
