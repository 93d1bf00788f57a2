// The item-type and status icons, drawn from the figures' primitives.
#include "mhdata/SampleIcons.h"

#include "mhdata/SampleFigures.h"

using namespace figures;
using namespace sample_icons;

namespace {
constexpr u16 kInk = Rgb(3, 3, 5);
// Drawn on a symbol's layer where the tile shows through a hole in it.
constexpr u16 kHole = Rgb(0, 0, 1);
constexpr u16 kWhite = Rgb(30, 30, 29), kGold = Rgb(30, 24, 6), kSilver = Rgb(24, 25, 27),
              kWood = Rgb(17, 10, 4), kRed = Rgb(28, 6, 5), kGreen = Rgb(8, 24, 8),
              kBlue = Rgb(8, 14, 30), kPurple = Rgb(20, 8, 24);

// A flask: round body of colour c, a pale neck and a cork.
void Flask(ArchiveFrame& f, u16 c) {
    Box(f, 8, 4, 5, 5, Rgb(24, 27, 28));
    Box(f, 8, 3, 5, 2, kWood);
    Oval(f, 10, 12, 5, 5, c);
    Box(f, 7, 10, 2, 2, Shade(c, 10));  // its shine
}

void Gem(ArchiveFrame& f, u16 c) {
    Tri(f, 5, 8, 15, 8, 10, 16, c);
    Tri(f, 7, 5, 13, 5, 10, 8, Shade(c, 6));
    Box(f, 7, 5, 7, 1, Shade(c, 6));
    Tri(f, 5, 8, 7, 5, 8, 8, Shade(c, 3));
    Tri(f, 15, 8, 13, 5, 12, 8, Shade(c, 3));
}

void Bell(ArchiveFrame& f, u16 c, bool cracked) {
    Oval(f, 10, 8, 4, 4, c);
    Box(f, 6, 8, 9, 6, c);
    Box(f, 5, 13, 11, 2, Shade(c, -4));
    Oval(f, 10, 16, 1, 1, Shade(c, -8));
    Box(f, 9, 3, 3, 1, Shade(c, -6));
    if (!cracked) return;
    Limb(f, 11, 6, 9, 9, 0, kInk);
    Limb(f, 9, 9, 11, 12, 0, kInk);
}

void Book(ArchiveFrame& f, u16 cover) {
    Box(f, 6, 4, 9, 13, cover);
    Box(f, 14, 5, 2, 11, kWhite);  // the pages' edge
    Box(f, 6, 4, 2, 13, Shade(cover, -6));
    Box(f, 9, 8, 4, 1, Shade(cover, 10));
}

void Seal(ArchiveFrame& f, u16 base) {
    Box(f, 9, 4, 3, 6, kWood);
    Oval(f, 10, 4, 2, 1, kWood);
    Box(f, 6, 10, 9, 4, Shade(base, -4));
    Box(f, 5, 14, 11, 3, base);
}

// What each type stands for, drawn on a clear layer the size of the tile.
void ItemSymbol(ArchiveFrame& f, i32 type) {
    switch (type) {
        case 0:  // a herb's leaf
            Oval(f, 10, 9, 4, 6, kGreen);
            Limb(f, 10, 5, 10, 15, 0, Shade(kGreen, -6));
            Limb(f, 10, 15, 12, 17, 0, kWood);
            break;
        case 1:
            Flask(f, kRed);
            break;
        case 2:
            Flask(f, kGreen);
            break;
        case 3:  // a pill
            Oval(f, 10, 11, 5, 5, Rgb(28, 14, 6));
            Box(f, 5, 11, 11, 1, Rgb(30, 26, 18));
            Box(f, 8, 8, 2, 2, kWhite);
            break;
        case 4:  // a fruit
            Oval(f, 10, 12, 5, 5, kRed);
            Limb(f, 10, 7, 11, 4, 0, kWood);
            Tri(f, 11, 6, 15, 4, 14, 7, kGreen);
            break;
        case 5:
            Book(f, kBlue);
            break;
        case 6:
            Bell(f, kGold, false);
            break;
        case 7:  // the panacea's golden flask and a spark
            Flask(f, kGold);
            Box(f, 14, 3, 1, 3, kWhite);
            Box(f, 13, 4, 3, 1, kWhite);
            break;
        case 8:
            Flask(f, kBlue);
            break;
        case 9:  // a sprouting herb
            Limb(f, 10, 17, 10, 8, 0, Shade(kGreen, -6));
            Oval(f, 7, 9, 3, 2, kGreen);
            Oval(f, 13, 7, 3, 2, kGreen);
            Oval(f, 10, 5, 1, 2, Shade(kGreen, 5));
            break;
        case 11:
            Bell(f, kSilver, true);
            break;
        case 12:  // the moon's stone
            Gem(f, Rgb(18, 24, 30));
            Oval(f, 10, 10, 2, 2, kWhite);
            Oval(f, 11, 9, 2, 2, Rgb(18, 24, 30));
            break;
        case 13:
            Gem(f, Rgb(14, 10, 28));
            Box(f, 10, 9, 1, 3, kWhite);
            Box(f, 9, 10, 3, 1, kWhite);
            break;
        case 14:
            Gem(f, Rgb(30, 16, 4));
            Oval(f, 10, 10, 1, 1, kGold);
            break;
        case 15:  // the sea's pearl
            Oval(f, 10, 11, 5, 5, Rgb(28, 28, 30));
            Oval(f, 8, 9, 1, 1, kWhite);
            Oval(f, 12, 14, 2, 1, Rgb(22, 22, 26));
            break;
        case kIconSword:
            Limb(f, 6, 15, 14, 5, 0, kSilver);
            Limb(f, 7, 15, 15, 5, 0, Shade(kSilver, -6));
            Limb(f, 5, 11, 9, 16, 0, kGold);
            Limb(f, 5, 17, 6, 16, 1, kWood);
            break;
        case kIconBow:
            Limb(f, 8, 4, 12, 8, 0, kWood);
            Limb(f, 12, 8, 12, 12, 0, kWood);
            Limb(f, 12, 12, 8, 16, 0, kWood);
            Limb(f, 8, 4, 8, 16, 0, kWhite);
            Limb(f, 6, 10, 15, 10, 0, kSilver);
            break;
        case kIconShield:
            Box(f, 5, 5, 11, 6, kBlue);
            Tri(f, 5, 10, 15, 10, 10, 17, kBlue);
            Box(f, 10, 5, 1, 10, kGold);
            Box(f, 6, 8, 9, 1, kGold);
            break;
        case kIconCharm:
            Oval(f, 10, 11, 5, 5, kGold);
            Oval(f, 10, 11, 3, 3, kHole);
            Oval(f, 10, 6, 2, 2, Rgb(8, 26, 20));
            break;
        case 20:
            Seal(f, kRed);
            break;
        case 21:
            Book(f, kWood);
            Box(f, 9, 11, 4, 1, kWhite);
            break;
        case 22:
            Seal(f, kGold);
            break;
        case 23:
            Book(f, Rgb(6, 10, 20));
            Box(f, 9, 11, 4, 1, kWhite);
            break;
        case kIconDrum:  // a war drum
            Box(f, 5, 8, 11, 8, kRed);
            Oval(f, 10, 8, 5, 2, Rgb(28, 26, 20));
            Limb(f, 5, 10, 15, 14, 0, kGold);
            Limb(f, 15, 10, 5, 14, 0, kGold);
            break;
        case kIconFireFlask:
            Flask(f, Rgb(30, 12, 2));
            Tri(f, 13, 8, 16, 8, 15, 3, kGold);
            break;
        case kIconNeedle:
            Limb(f, 5, 16, 14, 5, 0, kSilver);
            Oval(f, 14, 13, 2, 3, kPurple);
            break;
        case kIconScroll:
            Box(f, 6, 6, 9, 9, Rgb(29, 26, 18));
            Box(f, 5, 5, 11, 2, Rgb(22, 16, 8));
            Box(f, 5, 14, 11, 2, Rgb(22, 16, 8));
            Box(f, 8, 9, 5, 1, kWood);
            Box(f, 8, 11, 5, 1, kWood);
            break;
        case kIconArmour:
            Box(f, 6, 5, 9, 11, kSilver);
            Box(f, 5, 5, 2, 4, Shade(kSilver, -5));
            Box(f, 14, 5, 2, 4, Shade(kSilver, -5));
            Tri(f, 8, 5, 12, 5, 10, 8, kHole);
            Box(f, 10, 9, 1, 6, Shade(kSilver, -8));
            break;
        case kIconHat:
            Box(f, 5, 13, 11, 2, Rgb(16, 10, 6));
            Oval(f, 10, 11, 3, 3, Rgb(20, 13, 7));
            Limb(f, 12, 10, 15, 4, 0, kWhite);
            break;
        default:
            break;
    }
}

u16 ItemTile(i32 type) {
    if ((type >= 12 && type <= 15) || (type >= 20 && type <= 23)) return Rgb(10, 6, 14);
    if ((type >= kIconSword && type <= kIconCharm) || type >= kIconArmour) return Rgb(12, 10, 8);
    return Rgb(6, 10, 14);
}

// Draws a layer outlined in ink onto a frame of its size; its holes keep
// the frame's own pixels.
void Stamp(ArchiveFrame& f, ArchiveFrame layer) {
    Outline(layer, kInk);
    for (size_t i = 0; i < f.pixels.size(); ++i)
        if (layer.pixels[i] != kClear && layer.pixels[i] != kHole) f.pixels[i] = layer.pixels[i];
}

// What each status stands for, on a clear layer of the icon's size.
void StatusSymbol(ArchiveFrame& f, i32 bit) {
    const i32 cx = sample_icons::kStatusIconW / 2, cy = sample_icons::kStatusIconH / 2;
    auto shield = [&](u16 c) {
        Box(f, cx - 4, 2, 9, 5, c);
        Tri(f, cx - 4, 6, cx + 4, 6, cx, 11, c);
    };
    switch (bit) {
        case 0:  // sleep: a Z
            Box(f, 5, 3, 7, 1, kWhite);
            Limb(f, 11, 4, 5, 9, 0, kWhite);
            Box(f, 5, 10, 7, 1, kWhite);
            Box(f, 12, 2, 3, 1, kWhite);
            break;
        case 1:  // haste: two chevrons up
        case 2:  // slow: two chevrons down
            for (i32 k = 0; k < 2; ++k) {
                const i32 y = bit == 1 ? 6 + 4 * k : 3 + 4 * k, d = bit == 1 ? -3 : 3;
                Limb(f, cx - 4, y, cx, y + d, 0, kWhite);
                Limb(f, cx, y + d, cx + 4, y, 0, kWhite);
            }
            break;
        case 3:  // blessing: a sparkle
            Limb(f, cx, 1, cx, 12, 0, kWhite);
            Limb(f, cx - 5, cy, cx + 5, cy, 0, kWhite);
            Box(f, cx - 1, cy - 1, 3, 3, kGold);
            break;
        case 4:  // weakness: a blade pointing down, broken
            Limb(f, cx, 2, cx, 8, 1, kSilver);
            Tri(f, cx - 3, 9, cx + 3, 9, cx, 12, kRed);
            break;
        case 5:
            shield(kBlue);
            Dot(f, cx, 5, kWhite);
            Box(f, cx - 1, 6, 3, 1, kWhite);
            break;
        case 6:
            shield(Rgb(10, 12, 22));
            Oval(f, cx, 6, 2, 2, kWhite);
            Oval(f, cx + 1, 5, 2, 2, Rgb(10, 12, 22));
            break;
        case 7:
            shield(Rgb(26, 12, 2));
            Oval(f, cx, 6, 2, 2, kGold);
            break;
        case 8:  // holy barrier: a ring of light
            Oval(f, cx, cy, 6, 5, Rgb(28, 28, 18));
            Oval(f, cx, cy, 4, 3, kHole);
            break;
        case 9:  // spell ban: a crossed ring
            Oval(f, cx, cy, 5, 5, kRed);
            Oval(f, cx, cy, 3, 3, kHole);
            Limb(f, cx - 3, cy + 3, cx + 3, cy - 3, 0, kRed);
            break;
        case 10:  // poison: a drop
            Oval(f, cx, 8, 3, 3, Rgb(12, 28, 8));
            Tri(f, cx - 2, 7, cx + 2, 7, cx, 2, Rgb(12, 28, 8));
            break;
        case 11:  // confusion: a question mark
            Box(f, cx - 3, 2, 6, 1, kGold);
            Box(f, cx + 2, 3, 1, 3, kGold);
            Box(f, cx, 6, 2, 1, kGold);
            Box(f, cx, 7, 1, 2, kGold);
            Box(f, cx, 11, 1, 1, kGold);
            break;
        case 12:  // paralysis: a bolt
            Limb(f, cx + 2, 1, cx - 2, 7, 0, kGold);
            Limb(f, cx - 2, 7, cx + 2, 7, 0, kGold);
            Limb(f, cx + 2, 7, cx - 2, 12, 0, kGold);
            break;
        case 13:  // blindness: a closed eye, struck through
            Oval(f, cx, cy, 5, 2, kWhite);
            Oval(f, cx, cy, 1, 1, kInk);
            Limb(f, cx - 5, 11, cx + 5, 2, 0, kRed);
            break;
        default:  // dying: a skull
            Oval(f, cx, 5, 4, 3, kWhite);
            Box(f, cx - 2, 8, 5, 3, kWhite);
            Box(f, cx - 2, 4, 1, 2, kInk);
            Box(f, cx + 2, 4, 1, 2, kInk);
            break;
    }
}

u16 StatusTile(i32 bit) {
    // Kind ones blue, the shields teal, harmful ones purple and red.
    if (bit >= 1 && bit <= 3) return Rgb(4, 10, 20);
    if (bit >= 5 && bit <= 8) return Rgb(3, 14, 14);
    if (bit == 14) return Rgb(2, 2, 3);
    return bit == 0 ? Rgb(8, 6, 18) : Rgb(16, 4, 10);
}
}  // namespace

i32 sample_icons::EquipIcon(i32 kind) {
    switch (kind) {
        case 3:
            return kIconShield;
        case 4:
            return kIconHat;
        case 5:
            return kIconArmour;
        case 6:
            return kIconBow;
        case 7:
            return kIconCharm;
        default:
            return kIconSword;
    }
}

namespace {
// A symbol drawn on its own layer and stamped over a tile of w x h.
ArchiveFrame TileWithSymbol(i32 w, i32 h, u16 tile, void (*symbol)(ArchiveFrame&, i32), i32 n) {
    ArchiveFrame f = Blank(w, h, tile);
    ArchiveFrame layer = Blank(w, h);
    symbol(layer, n);
    Stamp(f, layer);
    return f;
}
}  // namespace

ArchiveFrame sample_icons::ItemIconFigure(i32 type) {
    return TileWithSymbol(kItemIconSide, kItemIconSide, ItemTile(type), ItemSymbol, type);
}

ArchiveFrame sample_icons::StatusIconFigure(i32 bit) {
    ArchiveFrame f = TileWithSymbol(kStatusIconW, kStatusIconH, StatusTile(bit), StatusSymbol, bit);
    // A dark rim keeps neighbouring icons apart.
    Box(f, 0, 0, kStatusIconW, 1, kInk);
    Box(f, 0, kStatusIconH - 1, kStatusIconW, 1, kInk);
    Box(f, 0, 0, 1, kStatusIconH, kInk);
    Box(f, kStatusIconW - 1, 0, 1, kStatusIconH, kInk);
    return f;
}
