// The battle backdrop: four animated layers, the shake of the upper three and
// the tint that darkens them.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

constexpr u32 kSceneUnderlayAct = 15001;
constexpr u32 kSceneDefaultAct = 15112;
constexpr int kSceneLayers = 4;
// A shake of no count: its ticks never run down, and only StopShake ends it.
constexpr i32 kShakeUntilStopped = -1;

class cBattleScene {
public:
    void Setup(u32 backgroundAct);
    void Tick();
    void DrawBack();
    void DrawTop();
    void Shake(i32 ticks);
    void StopShake();
    void FadeTo(i32 n);
    void FadeBack();

    i32 ShakeX() const { return shakeX_; }
    i32 ShakeY() const { return shakeY_; }
    bool Shaking() const { return shakeOn_ != 0; }
    i32 TintLevel() const { return tintLevel_; }
    const ActPlayer& Layer(int k) const { return layers_[k]; }
    ActPlayer& Layer(int k) { return layers_[k]; }

private:
    void DrawLayer(int k);

    ActPlayer layers_[kSceneLayers];
    i32 shakeX_ = 0, shakeY_ = 0;
    i32 shakeOn_ = 0, shakeTicks_ = 0;
    i32 tintMode_ = 0, tintTarget_ = 0, tintLevel_ = 0;
};

extern cBattleScene gBattleScene;

// The blitter's wave option for a wave byte of an act: past the table's last block it stays on the
// last.
i32 ClampWave(i32 wave);

void ResetBattleScene();
