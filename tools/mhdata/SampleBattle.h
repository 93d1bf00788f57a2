// The sample game's battle data: the battlefield records and music table, the
// battle music names, and the pictures and acts a battle draws.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "base/Types.h"
#include "mhdata/Archives.h"

namespace sample_battle {
constexpr u32 kBackdropAct = 15112;  // the default backdrop
constexpr u32 kHarbourAct = 15113;   // the pier fight's backdrop
// A backdrop's layers (action k - 1 for layer k) are screen-sized pictures:
// layer 1 is opaque (sky down to row kHillBottom, ground below: a field, or
// the sea and the pier for the harbour), layer 2 an opaque band of rows
// kHillTop..kHillBottom - 1 across the screen (hills against the same sky;
// their highest mesa fills the band's top row over columns 140..160), layer 3
// (over the fighters) two posts kPostW wide at the screen's sides from row
// kPostTop down; the rest of layers 2 and 3 is transparent. Their acts name a
// hot spot (kBackdropHotX, kBackdropHotY) that the battle scene does not use.
// The harbour's layer 1 is the pier's deck from row kPierDeckTop down: every
// place of the party's formation and of the pier fight's pirates, with its
// shadow, stands on the planks.
constexpr i32 kPierDeckTop = 244;
constexpr i32 kLayerW = 640, kLayerH = 480;
constexpr i32 kHillTop = 120, kHillBottom = 200;
constexpr i32 kPostW = 24, kPostTop = 240;
constexpr i16 kBackdropHotX = 32, kBackdropHotY = 16;
constexpr u32 kStripW = 460, kStripH = 24;
u16 StripColour();
constexpr u16 kCueSound = 1;  // the sound every hit animation asks for on its first frame
// The hit animations: events 0x4 on the second frame, 0x1 on the third, then the end.
extern const u32 kHitAnimActs[];
extern const int kHitAnimActCount;
// Battle numbers the sample uses: the pier fight of a talk, the town and lighthouse zones.
constexpr u32 kLastBattle = 20;
// Battles with enemies: the pier fight (two pirates), the town's
// encounter (a slime), a lone goblin, three enemies, six slimes, a wolf, and
// the lighthouse grounds' encounter (a wolf).
constexpr u32 kPierFight = 1, kLoneGoblin = 8, kTownEncounter = 9, kThreeFoes = 10, kSixSlimes = 11,
              kLoneWolf = 12, kLighthouseEncounter = 20;
// The fighters' shadow (act 4000): a dark oval, half blended under the feet;
// action 2 (the boss's shadow action) a large one.
constexpr i16 kShadowW = 40, kShadowH = 12, kBigShadowW = 112, kBigShadowH = 24;
// The pirate captain's raid on the lighthouse: the party is meant to lose it.
constexpr u32 kCaptainRaid = 14;
// The end screens' act: the victory banner (action 0) and the level-up panel (1).
constexpr u32 kEndPanelPic = 11004;
constexpr i32 kBannerW = 300, kBannerH = 180, kLevelPanelW = 260, kLevelPanelH = 240;
// The battle cursor's look of act 9101..9107, 16 x 16, its tip at (1, 1).
ArchiveFrame CursorLook(u32 act);
}  // namespace sample_battle

// Name records up to 45: battle music from 33, victory 44, level-up 45.
void AddSampleBattleNames(std::vector<std::string>* names);
void AddSampleBattlePictures(std::map<u32, ArchivePicture>* pics);
void AddSampleBattleActs(std::map<u32, ActProgram>* acts);
bool WriteSampleBattleFiles(const std::string& root, std::string* error);
