// gAbilityPanel: the 17 short ability lines (attack, defence, hit rate,
// evasion, strength, stamina, magic, spirit, agility, the eight ratios) that
// the menu pages and shop screens show beside a character, with the 19 text
// controls that draw them.
//
// Use from a screen (only one screen owns the panel at a time):
//   CreateAbilitySlots(screen, font, colour)  in the screen's create routine:
//       makes the slots that screen uses at its positions, each bound to its
//       line (the control draws the line buffer itself, so rewriting a line
//       changes what it shows next frame); every control starts hidden.
//   SetAbilityLine(line, value, percent) then ShowAbilitySlot(slot) to show a
//       change; HideAbilitySlots() hides every created slot.
//   DeleteAbilitySlots() in the screen's Close and wherever its sub-state ends
//       (safe when nothing was created; the slots are nulled).
#pragma once
#include "base/Types.h"

class cControl;
class cGrpFont;

constexpr int kAbilityLines = 17;
constexpr int kAbilitySlots = 19;
constexpr int kAbilityLineBytes = 10;

enum class AbilityScreen { Equipment, Items, Offering, Strengthening, SellList };

struct AbilityPanel {
    char lines[kAbilityLines][kAbilityLineBytes];
    cControl* slots[kAbilitySlots];
};
extern AbilityPanel gAbilityPanel;

// Where screen s places slot k; false when the screen does not make it.
bool AbilitySlotSpot(AbilityScreen s, int k, i32* x, i32* y);
// The line slot k of screen s is bound to, or -1 (made but never given text).
int AbilitySlotLine(AbilityScreen s, int k);

void CreateAbilitySlots(AbilityScreen s, cGrpFont* font, u32 colorRef);
// Writes line n as "+%d" / "%d", or "+%d%%" / "%d%%" for a percentage, with
// the value bounded so that the text always fits the line.
void SetAbilityLine(int n, i32 value, bool percent);
// Shows slot k (created) with its line.
void ShowAbilitySlot(int k);
void HideAbilitySlots();
void DeleteAbilitySlots();
void ResetAbilityPanel();
