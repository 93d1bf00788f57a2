// The pictures drawn from a fighter's fields: the small panels under each
// fighter (gauge, HP and MP bars, status icons) and the command panel of the
// acting party member. The fighters' own bodies draw through cFighter::DrawSprite.
#pragma once
#include "base/Types.h"
#include "battle/Fighter.h"

// Sets the main font to the battle's face "細明體" at size, with the advance.
void UseBattleFont(int size, int advance);

// A 5-6-5 colour literal in the screen's pixel layout.
u16 FighterScreenColour(u16 rgb565);

// Draws value right-aligned in at least four places of act 11000 from x;
// returns the x after the last place. Negative values draw as 0.
i32 DrawFighterDigits(i32 value, i32 x, i32 y);

void DrawGaugeBar(cFighter& f, i32 x, i32 y);
void DrawHpBar(cFighter& f, i32 x, i32 y);
void DrawMpBar(cFighter& f, i32 x, i32 y);
// The icons of the set status bits, left to right from x - 9 x their count.
void DrawStatusIcons(cFighter& f, i32 x, i32 y);

// True when screen point (x, y) falls on an opaque pixel of the fighter's
// current body frame, placed where the fighter stands (without its shake).
bool FighterBodyHit(const cFighter& f, i32 x, i32 y);

void DrawPartyPanel(cFighter& f);
void DrawEnemyPanel(cFighter& f);
void DrawCommandPanel(cFighter& f, i32 x, i32 y);
