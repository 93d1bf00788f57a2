// The party's command menu as the controller sees it: who it holds, whether a
// command is being chosen, and its per-tick input and drawing.
#pragma once
#include "base/Types.h"

class cFighter;

class cCommandMenu {
public:
    void Reset();
    // One tick of the player's choice.
    void Input();
    void Draw();

    cFighter* Current() const { return current_; }
    void SetCurrent(cFighter* f) { current_ = f; }
    // A command is in progress (a ring row or a target is being chosen).
    bool Chosen() const { return chosen_ != 0; }

private:
    cFighter* current_ = nullptr;
    i32 chosen_ = 0;
};
