// Where picture objects get their acts and frames: the act player and the
// picture cache of the archives.
#pragma once
#include "engine/MyAct.h"
#include "engine/RlePic.h"
#include "engine/Tsw.h"
