// The per-tick battle draw list: sprites drawn in depth order and the sound
// cues of the sprites updated this tick.
#pragma once
#include "base/Types.h"

struct cBattleSprite;

constexpr int kDrawListSize = 256;

class cDrawList {
public:
    void Clear();
    // False when the list is full (the sprite is not drawn this tick).
    bool AddSprite(cBattleSprite* s);
    bool AddSoundCue(cBattleSprite* s);
    // Sorts by depth (front-class sprites last, back-class first), draws, empties.
    void Draw();
    // Plays each queued sprite's pending sound once, empties.
    void PlaySounds();

    // Puts the queued sprites in drawing order without drawing them.
    void Sort();
    int SpriteCount() const { return spriteCount_; }
    int CueCount() const { return cueCount_; }
    cBattleSprite* SpriteAt(int i) const { return sprites_[i]; }

private:
    i32 spriteCount_ = 0;
    cBattleSprite* sprites_[kDrawListSize] = {};
    i32 cueCount_ = 0;
    cBattleSprite* cues_[kDrawListSize] = {};
};

extern cDrawList gDrawList;

void PlaySoundCue(int n);
void StopSoundCue(int n);
// Sees every sound cue played (the tests' recorder); null for none.
using SoundCueListener = void (*)(int n);
extern SoundCueListener gSoundCueListener;

void ResetDrawList();
