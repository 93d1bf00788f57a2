// Talk triggers: the mouse over people and answers, and the click that starts a talk.
#pragma once
#include "base/Types.h"

void TriggerStory();
// The hovered role's slot of the last TriggerStory, or -1.
extern int gHoveredRole;
// The cursor shape TriggerStory chose this frame.
extern int gTriggerCursor;
void ResetTrigger();
