// Picture objects: one action of an act drawn with its current frame, each
// registered in gActPicList until its owner or the screen's close deletes it.
#pragma once
#include <deque>

#include "base/Types.h"
#include "ui/ActSource.h"

class cActPic {
public:
    cActPic(i32 act, i32 action);
    ~cActPic();
    cActPic(const cActPic&) = delete;
    cActPic& operator=(const cActPic&) = delete;

    // Advances the act one tick and draws its current frame.
    void Draw(i32 x, i32 y);
    // 1 when (x, y) inside the current frame is an opaque pixel.
    int HitTest(i32 x, i32 y) const;
    int IsDone() const { return player.ended ? 1 : 0; }
    void SetAlpha(i32 level) { alpha = level; }
    void SetSize(i32 w, i32 h);
    void ResetSize();
    void SetScale(u32 s) { zoom = s; }
    void SetBlend(u32 a, u32 b) {
        blendA = a;
        blendB = b;
    }
    void GetHotSpot(i32* x, i32* y) const {
        *x = player.xOff;
        *y = player.yOff;
    }
    int GetSound() const { return player.sound; }
    int GetStep() const { return player.frameCounter; }
    i32 Width() const { return frame ? frame->width : 0; }
    i32 Height() const { return frame ? frame->height : 0; }

    PicFrame* frame = nullptr;
    ActPlayer player;
    i32 alpha = -1;  // -1 opaque, 0..16 blended
    u32 scaled = 0;
    u32 drawH = 0, drawW = 0;
    u32 zoom = 1024;
    u32 blendA = 0, blendB = 0;
};

extern std::deque<cActPic*> gActPicList;

// Null-safe helpers for screens that hold pictures they may not have.
inline int ActPicIsDone(const cActPic* p) {
    return p ? p->IsDone() : 1;
}
inline int ActPicSound(const cActPic* p) {
    return p ? p->GetSound() : 0;
}
inline int ActPicHitTest(const cActPic* p, i32 x, i32 y) {
    return p ? p->HitTest(x, y) : 0;
}

// Deletes every registered picture object.
void DeleteAllActPics();
