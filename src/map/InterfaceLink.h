// What map mode asks of the interface above it: its sounds, its key state and
// cursor, and the page the in-game menu opens on. The screens define these; the
// interface's headers include this one.
#pragma once
#include "base/Types.h"

// A fresh key state for a new session.
void ResetInterfaceKeys();
void PlayUISound(int n);
bool InterfaceKeyPressed(int logicalKey);
void MoveInterfaceCursor(i32 x, i32 y);
// The page the menu opens on, and back to its first page.
void SetMenuPage(int page);
void ResetMenuPage();
