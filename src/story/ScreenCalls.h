// The screens a story command sets up before it opens them. The screens, above
// the story, define these.
#pragma once
#include "base/Types.h"

struct TalkContext;

// The ending screen's layout and its four actions.
void SetupEndingScreen(i32 layout, i32 action1, i32 action2, i32 action3, i32 action4);
// The enter prompt at (x, y) for the talk's command at `command`; its close moves
// the talk's position on.
void SetupEnterPrompt(i32 x, i32 y, TalkContext* talk, const u8* command, u16* position);
// A fresh item chooser in the given mode, for the screen about to open.
void MakeItemFrame(i32 mode);
