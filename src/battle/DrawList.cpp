// The battle draw list: depth order with the front and back classes, and the sound cues.
#include "battle/DrawList.h"

#include <utility>

#include "sound/Sound.h"
#include "data/Config.h"
#include "battle/BattleSprite.h"

cDrawList gDrawList;
SoundCueListener gSoundCueListener = nullptr;

void PlaySoundCue(int n) {
    if (n == 0) return;
    if (gSoundCueListener) gSoundCueListener(n);
    PlaySfx(n, static_cast<int>(gSfxVolume));
}

void StopSoundCue(int n) {
    if (n != 0) StopSfx(n);
}

void cDrawList::Clear() {
    spriteCount_ = 0;
    cueCount_ = 0;
}

bool cDrawList::AddSprite(cBattleSprite* s) {
    if (spriteCount_ >= kDrawListSize) return false;
    sprites_[spriteCount_++] = s;
    return true;
}

bool cDrawList::AddSoundCue(cBattleSprite* s) {
    if (cueCount_ >= kDrawListSize) return false;
    cues_[cueCount_++] = s;
    return true;
}

void cDrawList::Sort() {
    cBattleSprite** s = sprites_;
    const i32 n = spriteCount_;
    for (i32 i = 0; i + 1 < n; ++i)
        for (i32 j = i + 1; j < n; ++j)
            if (s[i]->z > s[j]->z) std::swap(s[i], s[j]);
    // Front-class sprites travel to the back of the list, drawn over everything.
    for (i32 i = 0; i + 1 < n; ++i)
        for (i32 j = i + 1; j < n; ++j)
            if (s[i]->drawClass == kClassFront) std::swap(s[i], s[j]);
    // Back-class sprites travel to the front of the list, drawn under everything.
    for (i32 k = n - 1; k >= 1; --k)
        for (i32 m = k - 1; m >= 0; --m)
            if (s[k]->drawClass == kClassBack) std::swap(s[k], s[m]);
}

void cDrawList::Draw() {
    Sort();
    for (i32 i = 0; i < spriteCount_; ++i)
        if (sprites_[i]->drawFn) sprites_[i]->drawFn(*sprites_[i]);
    spriteCount_ = 0;
}

void cDrawList::PlaySounds() {
    for (i32 i = 0; i < cueCount_; ++i) PlaySoundCue(cues_[i]->TakeSoundCue());
    cueCount_ = 0;
}

void ResetDrawList() {
    gDrawList.Clear();
    gSoundCueListener = nullptr;
}
