// The fighter's tick until its action states exist: waiting fills the gauge,
// a pending command is taken as played at once.
#pragma once

class cFighter;

void UpdateFighter(cFighter& f);
