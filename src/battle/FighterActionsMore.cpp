// The fighter's air raid, theft, throw, capture, skill strike and the
// god/demon transformation and its end.
#include "battle/FighterAct.h"

namespace {
void Done(cFighter& f) {
    ClearActionLinks(f);
    f.SetAction(kStateWaiting, 0, 0);
}
}  // namespace

void RunAirRaid(cFighter& f) { Done(f); }
void RunTheft(cFighter& f) { Done(f); }
void RunThrow(cFighter& f) { Done(f); }
void RunCapture(cFighter& f) { Done(f); }
void RunSkillStrike(cFighter& f) { Done(f); }
void RunTransform(cFighter& f) { Done(f); }
void RunEndTransform(cFighter& f) { Done(f); }
