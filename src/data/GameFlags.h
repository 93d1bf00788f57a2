// The numbered one-bit game flags: story progress and the game's fixed switches.
#pragma once
#include "base/Types.h"

constexpr int kGameFlagBytes = 1020;
constexpr int kGameFlagCount = kGameFlagBytes * 8;  // flags 0..8159
constexpr int kSavedFlagBytes = 500;                // flags 0..3999 go into a save

extern u8 gGameFlags[kGameFlagBytes];

// Numbers outside 0..8159 read as clear and are not written.
int GetGameFlag(i32 n);
void SetGameFlag(i32 n);
void ClearGameFlag(i32 n);
int PutGameFlag(i32 n, i32 value);
void ResetGameFlags();

// The flags the engine itself reads or writes. Story scripts own every other
// number, and may set and test these as well.
constexpr i32 kGameReadyFlag = 1;  // game data initialised: shot key, activation, release
// Set by a loaded game; the frame tick clears both on a device-state condition.
constexpr i32 kLoadedFlagA = 3, kLoadedFlagB = 4;
// The map effect layers, each drawn while its flag is set; map entry writes
// them from the map record's effect bits.
constexpr i32 kParticlesFlag = 5;
constexpr i32 kBirdsFlag = 6;
constexpr i32 kShimmerFlag = 7;
constexpr i32 kFlashFlag = 8;
constexpr i32 kGlowFlag = 22;
constexpr i32 kCursorFrameOffFlag = 9;       // no cursor and no answer pick; cleared every frame
constexpr i32 kCursorOnFlag = 10;            // the map screen draws the mouse cursor
constexpr i32 kHideActorsFlag = 11;          // roles with an animation are not drawn
constexpr i32 kEncountersFlag = 12;          // walking rolls for wild encounters
constexpr i32 kHoldBattleFlag = 13;          // a pending battle request waits
constexpr i32 kBlackCanvasFlag = 15;         // the map drawing clears the canvas first
constexpr i32 kStoryCountdownFlag = 16;      // the story countdown runs
constexpr i32 kStoryCountdownOutFlag = 17;   // the story countdown ran out
constexpr i32 kStoryCountdownMarkFlag = 18;  // set and cleared with the countdown
constexpr i32 kStoryCountdownStopFlag = 76;  // cleared when a script stops the countdown
constexpr i32 kSpotlightClipFlag = 19;       // black canvas, map clipped around the spotlight
constexpr i32 kWalkThroughFlag = 20;         // no corner slide, walls do not stop the player
constexpr i32 kOwnCellEventFlag = 24;        // the event ahead is the player's own cell's
constexpr i32 kFirstVisitFlag = 25;          // the map just entered set a first-visit flag
constexpr i32 kLoadBarFlag = 70;             // the world map was entered or left: progress shows
constexpr i32 kSceneSwitchFlag = 72;         // no weather, markers or spotlight clip
constexpr i32 kFlagCountdownFlag = 74;       // the flag countdown runs
constexpr i32 kFlagCountdownOutFlag = 75;    // the flag countdown ran out
constexpr i32 kSceneTextFlag = 77;           // + k: scene text k (0 or 1) is held
constexpr i32 kFollowFreelyFlag = 79;        // followers' paths ignore walls
constexpr i32 kTextInputFlag = 80;           // a text-input field is open
constexpr i32 kCursorOffFlag = 81;           // no mouse cursor on the map
constexpr i32 kDevChordsFlag = 82;           // the developer key chords are live
// The ending command's choice: without 201 only the plain endings; 205 opens
// ending 5, 204 closes ending 6.
constexpr i32 kEndingBranchFlag = 201, kNoEndingSixFlag = 204, kEndingFiveFlag = 205;
constexpr i32 kFormFlagBase = 300;       // + form: the god form is the party's (300..319)
constexpr i32 kLastEngineFlag = 329;     // the database load clears 300..329 ...
constexpr i32 kLoadKeepsFlag = 320;      // ... but this one
constexpr i32 kSpotlightMaskFlag = 321;  // the spotlight mask around the player
constexpr i32 kSurviveLossFlag = 322;    // a lost battle revives the party instead of ending
constexpr i32 kNoEncounterFlag = 323;    // cancels a rolled encounter
constexpr i32 kLeadSwapFlag = 324;       // roles 0 and 1 have changed places
constexpr i32 kKeysFrozenFlag = 325;     // the configurable key states are not updated
constexpr i32 kFadeAllFlag = 326;        // the colour fade tints boxes, heads and wipes too
constexpr i32 kWornFlag = 327;           // the answer of the worn-equipment test
constexpr i32 kKeepStepsFlag = 328;      // map entry keeps the step count
constexpr i32 kMenuKeysOffFlag = 329;    // F1-F4 and the map's menu icons are off
constexpr i32 kVisitedFlagBase = 500;    // + map: the map has been entered
