// The one list of every module's reset of its globals to their start values.
#pragma once

// Puts every module of the game back to its start values and drops what it
// holds. The platform (windows, drives, the backend) is left as it is.
void ResetGame();
