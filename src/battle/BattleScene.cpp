// The battle backdrop's layers, shake and tint.
#include "battle/BattleScene.h"

#include <cstdlib>

#include "engine/PicPaint.h"
#include "engine/Random.h"
#include "engine/Tsw.h"
#include "map/MapDraw.h"

cBattleScene gBattleScene;

namespace {
constexpr i32 kWaveBlocks = 15;
constexpr i32 kWavePhases = 33;

PicFrame* LayerFrame(ActPlayer& p) {
    if (!TakeActData(&p) || p.pic == 0) return nullptr;
    PicFrame* f = GetPic(p.pic, p.frame);
    return f && f->pixels ? f : nullptr;
}

void PutLayerFrame(const PicFrame* f, i32 x, i32 y, i32 mode) {
    gCurPic = f->pixels;
    PutPic(x, y, f->width, f->height, mode, f->alpha);
}
}  // namespace

i32 ClampWave(i32 wave) {
    return wave < 0 ? 0 : (wave > kWaveBlocks ? kWaveBlocks : wave);
}

void cBattleScene::Setup(u32 backgroundAct) {
    u32 bg = backgroundAct == 0 ? kSceneDefaultAct : backgroundAct;
    *this = cBattleScene{};
    layers_[0].act = static_cast<i32>(kSceneUnderlayAct);
    for (int k = 1; k < kSceneLayers; ++k) {
        layers_[k].act = static_cast<i32>(bg);
        layers_[k].action = k - 1;
    }
}

void cBattleScene::Tick() {
    if (shakeOn_) {
        if (shakeTicks_ > 0 && --shakeTicks_ == 0) shakeOn_ = 0;
        shakeX_ = static_cast<i32>(RandomN(7)) - 3;
        shakeY_ = static_cast<i32>(RandomN(7)) - 3;
    }
    if (tintMode_ == 1 && tintLevel_ > tintTarget_) --tintLevel_;
    if (tintMode_ == 0 && tintLevel_ < tintTarget_) ++tintLevel_;
}

void cBattleScene::DrawLayer(int k) {
    ActPlayer& p = layers_[k];
    PicFrame* f = LayerFrame(p);
    if (!f) return;
    // Backdrop layers are screen-sized: they stand at the screen's corner (the
    // upper three moved by the shake) whatever hot spot their act names.
    if (k == 0) {
        PutLayerFrame(f, 0, 0, 0);
        return;
    }
    const i32 x = shakeX_, y = shakeY_;
    gPaintWave = ClampWave(p.wave);
    gWavePhase = p.wavePhase % kWavePhases;
    PutLayerFrame(f, x, y, 0);
    if (tintLevel_ != 0) {
        gPaintTintR = gPaintTintG = gPaintTintB = tintLevel_;
        PutLayerFrame(f, x, y, 0x10);
    }
    gPaintWave = 0;
    p.wavePhase = static_cast<u8>(gWavePhase % kWavePhases);
}

void cBattleScene::DrawBack() {
    for (int k = 0; k < 3; ++k) DrawLayer(k);
}

void cBattleScene::DrawTop() {
    DrawLayer(3);
    DrawFlash();
    DrawFlash2();
}

void cBattleScene::Shake(i32 ticks) {
    shakeOn_ = 1;
    shakeTicks_ = ticks;
}

void cBattleScene::StopShake() {
    shakeOn_ = 0;
    shakeX_ = shakeY_ = shakeTicks_ = 0;
}

void cBattleScene::FadeTo(i32 n) {
    tintMode_ = 1;
    tintTarget_ = -std::abs(n);
}

void cBattleScene::FadeBack() {
    tintMode_ = 0;
    tintTarget_ = 0;
}

void ResetBattleScene() {
    gBattleScene = cBattleScene{};
}
