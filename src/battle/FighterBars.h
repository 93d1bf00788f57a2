// The fighters' bars and status icons as the controller draws them.
#pragma once

class cFighter;

// Party members and added creatures: the panel with HP, MP and the gauge.
void DrawPartyBars(cFighter& f);
// Enemies: the small bars over the body.
void DrawEnemyBars(cFighter& f);
