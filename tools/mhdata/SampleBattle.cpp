// The sample game's battle data and battle art: drawn backdrops, the cursor's
// arrows, panels and hit animations.
#include "mhdata/SampleBattle.h"

#include <filesystem>
#include <fstream>

#include "engine/MyAct.h"
#include "battle/BattleFiles.h"
#include "mhdata/Databases.h"
#include "mhdata/FileOut.h"
#include "mhdata/SampleBattleMenus.h"
#include "mhdata/SampleBattleParty.h"
#include "mhdata/SampleFighters.h"
#include "mhdata/SampleFigures.h"

namespace sample_battle {
const u32 kHitAnimActs[] = {6012, 7233, 7234, 7246, 7251, 7292, 7293,
                            7294, 7295, 7296, 7300, 7998, 8070, 8082};
const int kHitAnimActCount = sizeof(kHitAnimActs) / sizeof(kHitAnimActs[0]);

u16 StripColour() {
    return static_cast<u16>(10 << 10 | 12 << 5 | 20);
}
}  // namespace sample_battle

namespace {
using namespace sample_battle;
// The cursor looks the interface art does not hold already (it has 9102, in
// the look CursorLook draws, and 9104).
constexpr u32 kCursorLooks[] = {9101, 9103, 9105, 9106, 9107};

ArchivePicture FlatPicture(const std::string& name, std::initializer_list<ArchiveFrame> frames) {
    ArchivePicture p;
    p.name = name;
    p.frames = frames;
    return p;
}

}  // namespace

// The battle cursor's looks: an arrow whose tip is the spot it points at, so it
// never hides what it points at. White is the ordinary look; a target that can
// be chosen turns it gold with a ring, one that cannot red with a cross; with
// nobody to command it is grey with an hourglass.
ArchiveFrame sample_battle::CursorLook(u32 act) {
    using namespace figures;
    ArchiveFrame f = Blank(16, 16);
    const u16 gold = Rgb(31, 26, 4), red = Rgb(31, 6, 4), grey = Rgb(20, 20, 22);
    const u16 body = act == 9103 ? gold : act == 9107 ? red : act == 9102 ? grey : Rgb(31, 31, 31);
    Tri(f, 1, 1, 1, 11, 8, 8, body);
    Limb(f, 4, 8, 6, 12, 1, body);
    Outline(f, Rgb(2, 2, 4));
    if (act == 9103) {
        Oval(f, 12, 12, 3, 3, gold);
        Oval(f, 12, 12, 1, 1, kClear);
    } else if (act == 9107) {
        Limb(f, 10, 10, 14, 14, 0, red);
        Limb(f, 14, 10, 10, 14, 0, red);
    } else if (act == 9102) {
        Tri(f, 9, 8, 15, 8, 12, 11, Rgb(31, 28, 14));
        Tri(f, 9, 14, 15, 14, 12, 11, Rgb(31, 28, 14));
        Box(f, 9, 7, 7, 1, Rgb(12, 8, 4));
        Box(f, 9, 15, 7, 1, Rgb(12, 8, 4));
    }
    return f;
}

namespace {

// Each hit act flashes in a colour of its own.
ArchiveFrame HitBurst(u32 act, int k) {
    static const u16 kColours[] = {figures::Rgb(31, 28, 8), figures::Rgb(31, 14, 6),
                                   figures::Rgb(12, 24, 31), figures::Rgb(20, 31, 12),
                                   figures::Rgb(28, 12, 31)};
    return BurstFigure(kColours[act % 5], k);
}

ActProgram Backdrop(u32 act) {
    ActProgram a;
    a.name = "backdrop" + std::to_string(act);
    for (int k = 1; k <= 3; ++k)
        a.parts[k - 1] = ActWords()
                             .Rf(static_cast<u16>(act))
                             .Xy(kBackdropHotX, kBackdropHotY)
                             .Sd(0)
                             .Pa(static_cast<u16>(k - 1))
                             .Ed()
                             .Ov()
                             .words;
    return a;
}

ActProgram OneFrame(u32 act, int actions, u16 delay) {
    ActProgram a;
    a.name = "battle" + std::to_string(act);
    for (int k = 0; k < actions; ++k)
        a.parts[k] = ActWords().Rf(static_cast<u16>(act)).Xy(0, 0).Sd(delay).Pa(0).Ed().Ov().words;
    return a;
}

// Mirrored action 1 is the same picture; both raise the events and ask for a sound once.
ActProgram HitAnim(u32 act) {
    ActProgram a;
    a.name = "hit" + std::to_string(act);
    for (int k = 0; k < 2; ++k)
        a.parts[k] = ActWords()
                         .Rf(static_cast<u16>(act))
                         .Xy(24, 24)
                         .Cmd(kActAX, {24})
                         .Cmd(kActAY, {24})
                         .Sd(1)
                         .Cmd(kActWV, {kCueSound})
                         .Pa(0)
                         .Ed()
                         .Cmd(kActAT, {0x4})
                         .Pa(1)
                         .Ed()
                         .Cmd(kActAT, {0x1})
                         .Pa(2)
                         .Ed()
                         .O2()
                         .words;
    return a;
}

// Action k shows frame k of the end screens' picture.

}  // namespace

void AddSampleBattleNames(std::vector<std::string>* names) {
    if (names->size() < 46) names->resize(46);
    (*names)[33] = "battle.mp3";
    (*names)[34] = "theme.xmi";
    (*names)[44] = "theme.xmi";
    (*names)[45] = "field.wav";
}

void AddSampleBattlePictures(std::map<u32, ArchivePicture>* pics) {
    for (u32 act : {kBackdropAct, kHarbourAct}) {
        ArchivePicture p;
        p.name = "backdrop" + std::to_string(act);
        for (int k = 1; k <= 3; ++k) p.frames.push_back(BackdropFigure(act == kHarbourAct, k));
        (*pics)[act] = p;
    }
    for (u32 act : kCursorLooks)
        (*pics)[act] = FlatPicture("look" + std::to_string(act), {CursorLook(act)});
    (*pics)[9167] = FlatPicture("logstrip", {Flat(kStripW, kStripH, StripColour())});
    (*pics)[kEndPanelPic] = FlatPicture(
        "endpanels", {Flat(kBannerW, kBannerH, static_cast<u16>(6 << 10 | 8 << 5 | 14)),
                      Flat(kLevelPanelW, kLevelPanelH, static_cast<u16>(14 << 10 | 8 << 5 | 6))});
    ArchivePicture shadows;
    shadows.name = "shadow";
    for (i32 k = 0; k < 2; ++k) {
        const i32 w = k ? kBigShadowW : kShadowW, h = k ? kBigShadowH : kShadowH;
        ArchiveFrame shadow = figures::Blank(w, h);
        figures::Oval(shadow, w / 2, h / 2, w / 2 - 1, h / 2 - 1, figures::Rgb(2, 3, 4));
        shadows.frames.push_back(shadow);
    }
    (*pics)[4000] = shadows;
    for (u32 act : kHitAnimActs)
        (*pics)[act] = FlatPicture("hit" + std::to_string(act),
                                   {HitBurst(act, 0), HitBurst(act, 1), HitBurst(act, 2)});
}

void AddSampleBattleActs(std::map<u32, ActProgram>* acts) {
    (*acts)[kBackdropAct] = Backdrop(kBackdropAct);
    (*acts)[kHarbourAct] = Backdrop(kHarbourAct);
    for (u32 act : kCursorLooks) (*acts)[act] = OneFrame(act, 2, 6);
    (*acts)[9167] = OneFrame(9167, 1, 0);
    (*acts)[kEndPanelPic] = sample_menus::StillFrames("endpanels", kEndPanelPic, 2);
    // The fighters' shadows, half blended and centred on the feet: actions 0
    // and 1 the small one, action 2 the large one.
    ActProgram shadowAct;
    shadowAct.name = "shadow";
    for (int k = 0; k < 3; ++k) {
        const bool big = k == 2;
        shadowAct.parts[k] =
            ActWords()
                .Rf(4000)
                .Xy(big ? kBigShadowW / 2 : kShadowW / 2, big ? kBigShadowH / 2 : kShadowH / 2)
                .Cmd(kActGS, {8})
                .Pa(big ? 1 : 0)
                .Ed()
                .Ov()
                .words;
    }
    (*acts)[4000] = shadowAct;
    for (u32 act : kHitAnimActs) (*acts)[act] = HitAnim(act);
}

namespace {
// Enemy places on the left of the field, front row first.
constexpr i32 kEnemyPlaces[6][2] = {{200, 300}, {150, 350}, {230, 380},
                                    {90, 280},  {60, 330},  {110, 390}};

void PlaceEnemies(BattlefieldRecord& r, std::initializer_list<u32> monsters) {
    int k = 0;
    for (u32 m : monsters) {
        EnemySlot& e = r.enemies[k];
        e.monster = m;
        e.row = k < 3 ? 0 : 1;
        e.x = kEnemyPlaces[k][0];
        e.z = kEnemyPlaces[k][1];
        ++k;
    }
}

void AddEnemies(std::vector<BattlefieldRecord>& fields) {
    constexpr u32 kSlime = sample::kSlime, kGoblin = sample::kGoblin, kWolf = sample::kWolf,
                  kThief = sample::kThief;
    PlaceEnemies(fields[kPierFight], {sample::kPirate, sample::kPirateMate});
    PlaceEnemies(fields[kLoneGoblin], {kGoblin});
    PlaceEnemies(fields[kTownEncounter], {kSlime});
    PlaceEnemies(fields[kThreeFoes], {kSlime, kGoblin, kThief});
    PlaceEnemies(fields[kSixSlimes], {kSlime, kSlime, kSlime, kSlime, kSlime, kSlime});
    PlaceEnemies(fields[kLoneWolf], {kWolf});
    PlaceEnemies(fields[kLighthouseEncounter], {kWolf});
    PlaceEnemies(fields[sampleBattleParty::kThunderFight], {sample::kThunderGod});
    PlaceEnemies(fields[kCaptainRaid], {sample::kBoss});
}
}  // namespace

bool WriteSampleBattleFiles(const std::string& root, std::string* error) {
    std::vector<BattlefieldRecord> fields(kLastBattle + 1);
    std::vector<u32> music(kLastBattle + 1, 0);
    // The pier fight has its own backdrop and music.
    fields[1].background = kHarbourAct;
    music[1] = 1;
    AddEnemies(fields);
    std::filesystem::path dir = std::filesystem::path(root) / "MH_Data";
    return WriteBytesTo(dir / "battlefield.dat", BuildBattlefieldFile(fields), error) &&
           WriteBytesTo(dir / "FBGM.dat", BuildBattleMusicFile(music), error);
}
