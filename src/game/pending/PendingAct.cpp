// Placeholder for the act archives: every act counts as having frames.
#include "game/pending/ActStandIn.h"

int ActHasFrames(ActPlayer* p) {
    return p ? 1 : 0;
}
