// The battle frame: set-up, opening dissolve, main, ending and release, each
// tick's order, and the result handed back to the shell.
#include "battle/Battle.h"

#include "engine/DDraw.h"
#include "engine/FrameState.h"
#include "engine/MemDbg.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/RlePic.h"
#include "sound/Music.h"
#include "data/Config.h"
#include "data/GameFlags.h"
#include "map/KeyCole.h"
#include "map/MapDraw.h"
#include "map/ShadedBox.h"
#include "story/PartyCommands.h"
#include "battle/BattleController.h"
#include "battle/BattleDevKeys.h"
#include "battle/BattleEnd.h"
#include "battle/BattleFiles.h"
#include "battle/BattleKeys.h"
#include "battle/BattleLog.h"
#include "battle/BattleRandom.h"
#include "battle/BattleScene.h"
#include "battle/BattleSide.h"
#include "battle/DrawList.h"
#include "battle/FighterAct.h"
#include "battle/SpritePools.h"

cBattle gBattle;

namespace {
constexpr i32 kRoleShowBase = 10000;
constexpr u32 kBattleList = 3;
constexpr i32 kBlend = 0x14;
bool gBattleKeysReady = false;

// Step 1 to 3 of a drawing tick: scene, sides, pools, controller.
void StepBattle(bool pools, bool controller) {
    gBattleScene.Tick();
    UpdateFighters();
    if (pools) {
        UpdateAfterImages();
        UpdateHitAnims();
        UpdateFloatTexts();
    }
    if (controller) gBattleController.Update();
}

void DrawBattleWorld() {
    FillSurface(gDrawSurface, 0);
    gBattleScene.DrawBack();
    gDrawList.Draw();
    gBattleScene.DrawTop();
}

void FinishTick() {
    gDrawList.PlaySounds();
    ShowCanvas();
}

void DrawBlackColumns() {
    DrawShadedBox(0, 0, 2, 480, 0, 0, 0, 0);
}

void StartBattleMusic(u32 m) {
    gMusic.ClearList(kBattleList);
    std::string path;
    if (BattleMusicPath(m, &path)) {
        gMusic.SetTrack(path.c_str(), 1, 0, kBattleList);
        gMusic.SetMode(kBattleList, 1, 0);
    }
    gMusic.SetVolume(static_cast<int>(gMusicVolume * 127 / 11));
}

// Writes each party fighter's HP, MP and lasting status back and resets its slot.
void ReleaseBattleParty() {
    for (i32 i = 0; i < gPartySide.count && i < kSideSlots; ++i) {
        cFighter& f = gPartySide.fighters[i];
        if (!f.IsInUse()) continue;
        if (StatsHead* s = f.stats.Head())
            WriteBackFighter(&s->hp, &s->mp, &s->status, f.hp, f.mp, f.status);
        f.Reset();
    }
}
}  // namespace

int BattleResult(u32 outcome) {
    switch (outcome) {
        case kOutcomeVictory:
            return 0;
        case kOutcomeEscaped:
            return GetGameFlag(kSurviveLossFlag) ? 2 : 0;
        case kOutcomeDefeat:
            return 2;
        default:
            return 1;
    }
}

void WriteBackFighter(i32* hp, i32* mp, i32* status, i32 fighterHp, i32 fighterMp,
                      u32 fighterStatus) {
    *hp = fighterHp;
    *mp = fighterMp;
    *status = static_cast<i32>(fighterStatus & ~kBattleOnlyStatus);
}

u32 cBattle::Run() {
    if (!table_[0]) {
        table_[kPhaseSetUp] = &cBattle::Init;
        table_[kPhaseOpening] = &cBattle::Opening;
        table_[kPhaseMain] = &cBattle::Main;
        table_[kPhaseEnding] = &cBattle::Ending;
        table_[kPhaseRelease] = &cBattle::Release;
    }
    BattleDeveloperKeys();
    if (phase_ > kPhaseRelease) phase_ = kPhaseSetUp;
    return (this->*table_[phase_])();
}

void cBattle::FreeScreenPicture() {
    MH_FREE(screenPic_);
    screenPic_ = nullptr;
}

// The map as it stands, run-coded; without a canvas or memory the dissolve is left out.
void cBattle::CaptureScreen() {
    FreeScreenPicture();
    u16* raw = CopyCanvasPixels();
    if (!raw) return;
    i32 size = 0;
    screenPic_ = RleEncode(raw, &size, 640, 480, 16);
    MH_FREE(raw);
}

void cBattle::DrawScreenPicture(i32 alpha, i32 wave, u8* phase) {
    if (!screenPic_) return;
    gCurPic = screenPic_;
    gPaintAlpha = alpha < 0 ? 0 : (alpha > 16 ? 16 : alpha);
    gPaintWave = ClampWave(wave);
    gWavePhase = *phase % 33;
    PutPic(0, 0, 640, 480, kBlend, nullptr);
    *phase = static_cast<u8>(gWavePhase % 33);
    gPaintWave = 0;
}

u32 cBattle::Init() {
    u32 music = 0;
    LoadBattleFiles(gBattleRequest, &music);
    StartBattleMusic(music);
    SetActZoomAll(1);
    savedX_ = gBattleCursor.x();
    savedY_ = gBattleCursor.y();
    gBattleCursor.SetPos(320, 240);
    gBattleCursor.SetLook(kCursorLookAct, 0);
    gShuffleTable.Init();
    gBattleScene.Setup(gBattlefield.background);
    gBattleLog.Reset();
    gDrawList.Clear();
    SetUpBattleSides();
    ResetBattleSprites();
    gBattleController.Reset();
    gBattleEnd.Reset();
    CaptureScreen();
    FreezeBattleSides(true);
    fade_ = kBattleFadeTicks;
    tick_ = 0;
    outcome_ = kOutcomeNone;
    openingWave_ = releaseWave_ = 0;
    phase_ = kPhaseOpening;
    return 1;
}

bool cBattle::ApplyRoleChanges() {
    bool acted = false;
    for (i32& v : gBattleRoleChanges) {
        if (v > 0 && v < kRoleShowBase) {
            HideRole(static_cast<u16>(v));
            acted = true;
        } else if (v > kRoleShowBase && v - kRoleShowBase <= 0xFFFF) {
            ShowRole(static_cast<u16>(v - kRoleShowBase));
            acted = true;
        }
        v = -1;
    }
    return acted;
}

u32 cBattle::Opening() {
    StepBattle(false, false);
    DrawBattleWorld();
    DrawScreenPicture(fade_, fade_, &openingWave_);
    FinishTick();
    if (fade_ > 0) {
        --fade_;
        return 1;
    }
    // The closing dissolve shows the map as it will be after the battle.
    if (ApplyRoleChanges() && screenPic_) {
        DrawWorld();
        CaptureScreen();
    }
    FreezeBattleSides(false);
    gBattleKeys.IgnoreHeld();  // keys kept down from the map do not act in the fight
    phase_ = kPhaseMain;
    return 1;
}

void cBattle::Decide(u32 outcome) {
    FreezeBattleSides(true);
    gBattleKeys.IgnoreHeld();  // nor do keys kept down from the fight in the end screens
    gBattleEnd.SetOutcome(static_cast<i32>(outcome));
    outcome_ = outcome;
    tick_ = 0;
    phase_ = kPhaseEnding;
}

u32 cBattle::Main() {
    StepBattle(true, true);
    DrawBattleWorld();
    gBattleController.Draw();
    DrawFrontHitAnims();
    gBattleLog.Draw();
    if (gBattleRequest == kBattleNoVictoryScreen) DrawBlackColumns();
    FinishTick();
    if (!BattleSidesEmpty()) {
        if (BattlePartyFled())
            Decide(kOutcomeEscaped);
        else if (BattlePartyAllDown())
            Decide(kOutcomeDefeat);
        return 1;
    }
    EndBattleTransformation();
    if (gBattleRequest != kBattleNoVictoryScreen) {
        Decide(kOutcomeVictory);
        return 1;
    }
    FreezeBattleSides(true);
    outcome_ = kOutcomeVictory;
    fade_ = kBattleFadeTicks;
    tick_ = 0;
    phase_ = kPhaseRelease;
    return 1;
}

u32 cBattle::Ending() {
    StepBattle(true, false);
    bool done = tick_ >= kEndingWaitTicks && gBattleEnd.Step() != 0;
    ++tick_;
    DrawBattleWorld();
    DrawFrontHitAnims();
    gBattleLog.Draw();
    gBattleEnd.Draw();
    FinishTick();
    if (!done) return 1;
    if (outcome_ == kOutcomeDefeat) {
        gBattleScene.FadeTo(32);
        DimAllSides();
    }
    fade_ = 0;
    tick_ = 0;
    phase_ = kPhaseRelease;
    return 1;
}

u32 cBattle::Release() {
    if (fade_ < kBattleFadeTicks) {
        gBattleScene.Tick();
        UpdateFighters();
        DrawBattleWorld();
        if (outcome_ == kOutcomeVictory || outcome_ == kOutcomeEscaped) {
            DrawShadedBox(0, 0, 640, 480, 128, 128, 128, 0);
            DrawScreenPicture(fade_, kBattleFadeTicks - fade_, &releaseWave_);
        } else if (outcome_ == kOutcomeDefeat) {
            DrawShadedBox(0, 0, 640, 480, 0, 0, 0, 3);
        }
        DrawBlackColumns();
        FinishTick();
        ++fade_;
        return 1;
    }
    ReleaseBattleParty();
    FreeScreenPicture();
    SetActZoomAll(0);
    gMusic.ClearList(kBattleList);
    gBattleCursor.SetPos(savedX_, savedY_);
    phase_ = kPhaseSetUp;
    return static_cast<u32>(BattleResult(outcome_));
}

int BattleFrame() {
    if (!gBattleKeysReady) {
        gBattleKeysReady = true;
        gBattleKeys.Clear();
        gBattleCursor.Init();
    }
    gBattleKeys.Poll();
    gBattleCursor.Poll();
    return static_cast<int>(gBattle.Run());
}

void ResetBattle() {
    gBattle.FreeScreenPicture();
    gBattle = cBattle{};
    gBattleKeysReady = false;
    ResetBattleRoleChanges();
    ResetBattleKeys();
    ResetBattleLog();
    ResetBattleScene();
    ResetDrawList();
    ResetBattleSprites();
    ResetBattleFiles();
    ResetBattleController();
    ResetBattleEnd();
}
