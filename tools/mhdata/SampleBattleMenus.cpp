// Pictures and acts of the command rings (a tile per command with its first
// character, a creature's portrait) and the battle lists (flat colours).
#include "mhdata/SampleBattleMenus.h"

#include <cstring>
#include <string>

#include "battle/BattleMenu.h"
#include "mhdata/InterfaceArt.h"
#include "mhdata/SampleFigures.h"

namespace sample_menus {
u16 RingIconColour(i32 look) {
    // Normal, chosen, closed, closed and chosen: slate, gold, grey, dull gold.
    static constexpr u16 kTiles[4] = {6 << 10 | 9 << 5 | 16, 22 << 10 | 17 << 5 | 3,
                                      11 << 10 | 11 << 5 | 11, 15 << 10 | 13 << 5 | 7};
    return kTiles[look & 3];
}

ActProgram StillFrames(const std::string& name, u32 pic, int count) {
    ActProgram a;
    a.name = name;
    for (int k = 0; k < count; ++k)
        a.parts[k] = ActWords()
                         .Rf(static_cast<u16>(pic))
                         .Xy(0, 0)
                         .Sd(0)
                         .Pa(static_cast<u16>(k))
                         .Ed()
                         .Ov()
                         .words;
    return a;
}
}  // namespace sample_menus

namespace {
using namespace sample_menus;
constexpr u16 kKey = 619;  // transparent in stored pictures
constexpr i32 kRingW = 128, kRingH = 100;
constexpr i32 kCreatureW = 260, kCreatureH = 120;
constexpr i32 kCreatureFaceW = 96, kCreatureFaceH = 72;
constexpr int kRingFrames = 69;      // frame bases up to 65, four looks each
constexpr int kCreatureFrames = 40;  // back 20, icons 21..36, portraits below 20

// A transparent frame the size of the ring with one tile around point (px,
// py): the look's colour in a dark rim, the command's first character on it
// (a caption is UTF-8: a Chinese character is three bytes).
ArchiveFrame Icon(i32 w, i32 h, i32 px, i32 py, i32 look, const char* caption) {
    constexpr u16 kRim = 2 << 10 | 2 << 5 | 4;
    ArchiveFrame f = Flat(w, h, kKey);
    ArchiveFrame tile = Flat(kIconSize, kIconSize, RingIconColour(look));
    for (i32 y = 0; y < kIconSize; ++y)
        for (i32 x = 0; x < kIconSize; ++x)
            if (x == 0 || y == 0 || x == kIconSize - 1 || y == kIconSize - 1)
                tile.pixels[static_cast<size_t>(y) * kIconSize + x] = kRim;
    if (caption && std::strlen(caption) >= 3) {
        const std::string first(caption, 3);
        DrawCaptionAt(&tile, first.c_str(), 16, 2, 2);
    }
    const i32 x0 = px - kIconSize / 2, y0 = py - kIconSize / 2;
    for (i32 y = 0; y < kIconSize; ++y)
        for (i32 x = 0; x < kIconSize; ++x)
            if (x0 + x >= 0 && y0 + y >= 0 && x0 + x < w && y0 + y < h)
                f.pixels[static_cast<size_t>(y0 + y) * w + x0 + x] =
                    tile.pixels[static_cast<size_t>(y) * kIconSize + x];
    return f;
}

// The member ring in place stands at (300, 0); the row of frame base b sits on its point.
ArchivePicture RingPicture() {
    ArchivePicture p;
    p.name = "ring11001";
    for (int a = 0; a < kRingFrames; ++a) p.frames.push_back(Flat(1, 1, kKey));
    p.frames[0] = Flat(kRingW, kRingH, static_cast<u16>(6 << 10 | 6 << 5 | 10));
    for (i32 role = 0; role < kRoleCount; ++role)
        for (int k = 0; k < kRingRows; ++k)
            for (int look = 0; look < 4; ++look) {
                const CommandRow r = DefaultCommandRow(role, k);
                p.frames[r.frameBase + look] = Icon(kRingW, kRingH, gRingPoints[k].x - kRingInX,
                                                    gRingPoints[k].y, look, r.caption);
            }
    return p;
}

// The list panel: the battle writes its caption white on the dark band at
// the top and its rows black on the pale rest (the chosen row white on the
// band it shades under that row).
ArchiveFrame ListPanel() {
    constexpr u16 kBand = 4 << 10 | 8 << 5 | 4, kPale = 28 << 10 | 27 << 5 | 21;
    constexpr i32 kBandH = 21;
    ArchiveFrame f = Flat(kListPanelW, kListPanelH, kPale);
    for (i32 y = 0; y < kBandH; ++y)
        for (i32 x = 0; x < f.w; ++x) f.pixels[static_cast<size_t>(y) * f.w + x] = kBand;
    return f;
}

ArchivePicture ListPicture() {
    ArchivePicture p;
    p.name = "list11003";
    for (int a = 0; a < 16; ++a) {
        const bool panel = a == 0 || a == 10;
        p.frames.push_back(
            panel ? ListPanel()
                  : Flat(kListPartSize, kListPartSize, static_cast<u16>(20 << 10 | a)));
    }
    return p;
}

// The creature ring in place stands at (352, 0); its icons are drawn from (360, 2).
ArchivePicture CreaturePicture() {
    ArchivePicture p;
    p.name = "ring11005";
    // The creature's portrait by its picture number (a god form's number):
    // right of the icons, above its offering value at (122, 87).
    for (int a = 0; a < kCreatureFrames; ++a)
        p.frames.push_back(MonsterPortraitFigure(kCreatureFaceW, kCreatureFaceH,
                                                 FormMonster(static_cast<u32>(a)),
                                                 kPortraitBackdrop, kPortraitRim));
    p.frames[20] = Flat(kCreatureW, kCreatureH, static_cast<u16>(8 << 10 | 4 << 5 | 8));
    static const char* const kCaptions[kCreatureRows] = {"攻擊", "防禦", "魔法", "解除"};
    for (int k = 0; k < kCreatureRows; ++k)
        for (int look = 0; look < 2; ++look) {
            const RingPoint pt = gCreatureRingPoints[k];
            const i32 a = 21 + 4 * k + look;
            p.frames[a] = Icon(kCreatureW, kCreatureH, pt.x - kCreatureRingInX - 8, pt.y - 2, look,
                               kCaptions[k]);
            if (k == 2) p.frames[31 + look] = p.frames[a];
        }
    return p;
}

}  // namespace

void AddSampleMenuPictures(std::map<u32, ArchivePicture>* pics) {
    (*pics)[kRingAct] = RingPicture();
    (*pics)[kListArtAct] = ListPicture();
    (*pics)[kCreatureRingAct] = CreaturePicture();
}

void AddSampleMenuActs(std::map<u32, ActProgram>* acts) {
    auto still = [](u32 act, int count) {
        return StillFrames("menu" + std::to_string(act), act, count);
    };
    (*acts)[kRingAct] = still(kRingAct, kRingFrames);
    (*acts)[kListArtAct] = still(kListArtAct, 16);
    (*acts)[kCreatureRingAct] = still(kCreatureRingAct, kCreatureFrames);
}
