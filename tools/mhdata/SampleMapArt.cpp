// The sample maps' pictures laid over their ground: drawn from the figures'
// primitives, their words written in the game's own font.
#include "mhdata/SampleMapArt.h"

#include "mhdata/InterfaceArt.h"

namespace sampleMapArt {

using namespace figures;

namespace {
constexpr u16 kInk = Rgb(4, 3, 2), kBoard = Rgb(26, 20, 11), kBoardEdge = Rgb(12, 7, 3);
constexpr u16 kWhite = Rgb(29, 29, 28), kRed = Rgb(24, 5, 5), kLamp = Rgb(31, 29, 10);
constexpr u16 kSea = Rgb(3, 8, 24), kSand = Rgb(27, 23, 14), kFoam = Rgb(26, 28, 31);

// A board with a dark rim and a word centred on it.
void Board(ArchiveFrame& f, i32 x, i32 y, i32 w, i32 h, const char* word, int size) {
    Box(f, x, y, w, h, kBoardEdge);
    Box(f, x + 1, y + 1, w - 2, h - 2, kBoard);
    ArchiveFrame text = Blank(w - 2, h - 2, kBoard);
    DrawCaptionInk(&text, word, size, -1, (h - 2 - size) / 2, kInk, kBoard);
    for (i32 j = 0; j < text.h; ++j)
        for (i32 i = 0; i < text.w; ++i) Dot(f, x + 1 + i, y + 1 + j, text.pixels[j * text.w + i]);
}
}  // namespace

ArchiveFrame Signpost(const char* to) {
    ArchiveFrame f = Blank(48, 32);
    Box(f, 16 + kPostLeft, 6, 6, 26, kPostWood);
    Box(f, 16 + kPostLeft + 4, 6, 2, 26, Shade(kPostWood, -4));
    // The board points west: an arrow's head on its left end.
    Board(f, 8, 0, 40, 15, to, 12);
    Tri(f, 0, 7, 8, 0, 8, 14, kBoardEdge);
    Tri(f, 2, 7, 8, 2, 8, 12, kBoard);
    return f;
}

ArchiveFrame Door() {
    ArchiveFrame f = Blank(16, 16, Rgb(8, 7, 6));
    Box(f, 2, 1, 12, 15, Rgb(15, 8, 3));
    for (i32 x : {5, 8, 11}) Box(f, x, 1, 1, 15, Rgb(10, 5, 2));
    Box(f, 2, 1, 12, 1, Rgb(6, 4, 2));
    Dot(f, 11, 9, Rgb(30, 26, 8));
    Dot(f, 12, 9, Rgb(30, 26, 8));
    return f;
}

ArchiveFrame Pier(i32 cells) {
    ArchiveFrame f = Blank(16, 16 * cells);
    Box(f, 2, 0, 12, f.h, kPlank);
    for (i32 y = 3; y < f.h; y += 4) Box(f, 2, y, 12, 1, Shade(kPlank, -6));
    for (i32 y = 0; y < f.h; y += 16) {
        Box(f, 0, y + 6, 3, 6, Rgb(9, 6, 3));
        Box(f, 13, y + 6, 3, 6, Rgb(9, 6, 3));
    }
    return f;
}

ArchiveFrame Lighthouse() {
    ArchiveFrame f = Blank(48, 128);
    // The tower narrows from 36 pixels at its foot to 20 under the gallery.
    for (i32 y = 32; y < 128; ++y) {
        const i32 half = 10 + (y - 32) * 8 / 96;
        const bool band = (y - 32) / 16 % 2 == 1;
        Box(f, 24 - half, y, 2 * half, 1, band ? kRed : kWhite);
        Box(f, 24 + half - 3, y, 3, 1, Shade(band ? kRed : kWhite, -6));
    }
    Box(f, 20, 112, 8, 16, Rgb(8, 5, 3));  // the door
    Box(f, 10, 28, 28, 4, Rgb(6, 6, 8));   // the gallery
    Box(f, 15, 12, 18, 16, Rgb(6, 6, 8));  // the lamp room and its light
    Box(f, 17, 14, 14, 12, kLamp);
    Tri(f, 13, 12, 35, 12, 24, 2, Rgb(6, 6, 8));  // the roof
    Box(f, 23, 0, 2, 3, Rgb(6, 6, 8));
    // Beams of light to both sides.
    Tri(f, 0, 14, 0, 24, 15, 19, Mix(kLamp, kWhite, 128));
    Tri(f, 47, 14, 47, 24, 33, 19, Mix(kLamp, kWhite, 128));
    return f;
}

ArchiveFrame Shore() {
    ArchiveFrame f = Blank(16, 16, kSea);
    for (i32 y = 0; y < 16; ++y) {
        const i32 edge = 7 + (y / 4 % 2);
        Box(f, 0, y, edge, 1, kSand);
        Box(f, edge, y, 2, 1, kFoam);
    }
    return f;
}

ArchiveFrame Boat() {
    ArchiveFrame f = Blank(32, 16);
    Tri(f, 0, 6, 31, 6, 26, 13, Rgb(14, 8, 3));
    Tri(f, 0, 6, 6, 13, 26, 13, Rgb(14, 8, 3));
    Box(f, 2, 6, 28, 1, Rgb(22, 15, 7));
    Limb(f, 10, 2, 22, 12, 0, Rgb(20, 14, 7));  // an oar
    return f;
}

ArchiveFrame Gate(const char* to) {
    ArchiveFrame f = Blank(80, 64);
    for (i32 x : {12, 62}) {
        Box(f, x, 8, 6, 56, kPostWood);
        Box(f, x + 4, 8, 2, 56, Shade(kPostWood, -4));
    }
    Board(f, 8, 0, 64, 18, to, 14);
    return f;
}

ArchiveFrame Stone() {
    ArchiveFrame f = Blank(16, 16);
    Oval(f, 8, 14, 7, 2, Rgb(4, 10, 4));  // its shadow on the grass
    Box(f, 3, 3, 10, 12, Shade(kStone, -6));
    Oval(f, 8, 4, 5, 3, Shade(kStone, -6));
    Box(f, 4, 4, 8, 10, kStone);
    Oval(f, 8, 4, 4, 2, kStone);
    for (i32 y : {6, 8, 10}) Box(f, 6, y, 4, 1, Shade(kStone, -9));  // its worn words
    return f;
}

ArchiveFrame Crate() {
    ArchiveFrame f = Blank(32, 32, kCrateRim);
    Box(f, 2, 2, 28, 28, kCrateWood);
    for (i32 y : {10, 21}) Box(f, 2, y, 28, 1, Shade(kCrateWood, -5));
    Limb(f, 3, 3, 28, 28, 0, kCrateRim);
    Limb(f, 4, 3, 28, 27, 0, kCrateRim);
    return f;
}

ArchiveFrame Well(int k) {
    constexpr u16 kRock = Rgb(17, 17, 16), kWater = Rgb(4, 9, 20), kRoof = Rgb(20, 6, 4);
    ArchiveFrame f = Blank(32, 32, Rgb(6, 18, 6));
    Oval(f, 16, 22, 13, 8, Shade(kRock, -6));
    Oval(f, 16, 21, 12, 7, kRock);
    Oval(f, 16, 20, 8, 4, kWater);
    Dot(f, 13 + 5 * k, 19 + k, Rgb(24, 27, 31));  // light on the water
    Dot(f, 14 + 5 * k, 19 + k, Rgb(24, 27, 31));
    for (i32 x : {4, 26}) Box(f, x, 4, 2, 16, kPostWood);
    Tri(f, 1, 6, 31, 6, 16, 0, kRoof);
    Box(f, 6, 9, 20, 1, Rgb(9, 6, 3));  // the winch's bar
    return f;
}

ArchiveFrame ClosedPlace() {
    ArchiveFrame f = Blank(16, 16);
    Box(f, 2, 7, 12, 8, Rgb(20, 17, 12));
    Tri(f, 0, 7, 15, 7, 8, 1, Rgb(12, 8, 6));
    Box(f, 5, 9, 6, 6, Rgb(6, 4, 2));
    Limb(f, 5, 9, 10, 14, 0, Rgb(28, 22, 12));  // boards across the door
    Limb(f, 10, 9, 5, 14, 0, Rgb(28, 22, 12));
    return f;
}

ArchiveFrame PlaceMark(Place place) {
    ArchiveFrame f = Blank(48, 48);
    if (place == Place::kTown) {
        // Four houses with red roofs round a square, the harbour below them.
        Box(f, 0, 38, 48, 10, kSea);
        for (i32 k = 0; k < 4; ++k) {
            const i32 x = 3 + (k % 2) * 24, y = 6 + (k / 2) * 16;
            Box(f, x, y + 7, 18, 9, Rgb(27, 24, 18));
            Tri(f, x - 2, y + 7, x + 19, y + 7, x + 9, y, kRed);
            Box(f, x + 7, y + 11, 4, 5, Rgb(10, 6, 3));
        }
    } else if (place == Place::kLighthouse) {
        // The tower on its rock in the sea.
        Box(f, 0, 36, 48, 12, kSea);
        Oval(f, 24, 40, 14, 5, Rgb(14, 13, 12));
        for (i32 y = 12; y < 38; ++y) Box(f, 18, y, 12, 1, (y - 12) / 6 % 2 ? kRed : kWhite);
        Box(f, 19, 4, 10, 8, kLamp);
        Tri(f, 16, 4, 32, 4, 24, 0, Rgb(6, 6, 8));
        Tri(f, 0, 4, 0, 12, 18, 8, Mix(kLamp, kWhite, 128));
        Tri(f, 47, 4, 47, 12, 30, 8, Mix(kLamp, kWhite, 128));
    } else {
        // Tall grass and flowers round two trees.
        for (i32 k = 0; k < 2; ++k) {
            const i32 x = 12 + 24 * k;
            Box(f, x - 2, 20, 4, 14, Rgb(12, 7, 3));
            Oval(f, x, 14, 9, 10, Rgb(4, 16, 5));
            Oval(f, x - 3, 11, 4, 4, Rgb(8, 22, 8));
        }
        constexpr u16 kFlowers[3] = {Rgb(31, 12, 14), Rgb(31, 29, 12), Rgb(29, 29, 31)};
        for (i32 k = 0; k < 9; ++k) {
            const i32 x = 3 + k * 5, y = 38 + (k * 7) % 8;
            Limb(f, x, y, x + 1, y - 4, 0, Rgb(6, 20, 4));
            Dot(f, x + 1, y - 5, kFlowers[k % 3]);
        }
    }
    return f;
}

ArchiveFrame NamePlate(const char* name) {
    ArchiveFrame f = Blank(48, 16);
    Board(f, 0, 0, 48, 16, name, 12);
    return f;
}

}  // namespace sampleMapArt
