// Where picture objects get their acts and frames: the act player and the
// picture cache of the archives.
#pragma once
#include "engine/RlePic.h"
#include "engine/Types.h"

#if __has_include("engine/MyAct.h")
#include "engine/MyAct.h"
#include "engine/Tsw.h"
#define MH_UI_HAVE_ARCHIVES 1
#else
// Until the archives are in, an act player with the fields the interface reads
// and a picture cache that has nothing.
struct ActPlayer {
    i32 act = 0, action = 0;
    i32 xOff = 0, yOff = 0;
    u32 drawMode = 0;
    u16 pic = 0, frame = 0;
    u16 sound = 0;
    u8 frameCounter = 0;
    u8 wave = 0, wavePhase = 0, blend = 0;
    u32 ended = 0;
};
int TakeActData(ActPlayer* p);
PicFrame* GetPic(u16 pic, u16 frame);
#define MH_UI_HAVE_ARCHIVES 0
#endif
