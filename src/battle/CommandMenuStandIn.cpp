// The command menu until its rings exist: it takes the next ready party member
// and holds it, so the player's turn waits as it will with the real menu.
#include "battle/CommandMenu.h"

#include "battle/BattleSide.h"

void cCommandMenu::Reset() {
    current_ = nullptr;
    chosen_ = 0;
}

void cCommandMenu::Input() {
    if (current_ && current_->CanAct()) return;
    if (current_) current_->StopGlow();
    current_ = gPartySide.NextReady(nullptr);
    if (current_) current_->StartGlow();
}

void cCommandMenu::Draw() {}
