// Figures of the sample game's art, drawn at generation time from small
// primitives (boxes, ovals, limbs, triangles and an outline): people on the
// map, fighters and monsters in battle, and the battle backdrops.
#pragma once
#include <vector>

#include "mhdata/Archives.h"

namespace figures {
constexpr u16 kClear = 619;  // transparent in stored 5-5-5 pictures

constexpr u16 Rgb(int r, int g, int b) {
    return static_cast<u16>(r << 10 | g << 5 | b);
}
// A colour moved by d on every channel, held in 0..31.
u16 Shade(u16 c, int d);
// The colour a share t of 0..256 of the way from a to b.
u16 Mix(u16 a, u16 b, int t);

ArchiveFrame Blank(i32 w, i32 h, u16 c = kClear);
// Every primitive clips to the frame and never writes a key colour.
void Dot(ArchiveFrame& f, i32 x, i32 y, u16 c);
void Box(ArchiveFrame& f, i32 x, i32 y, i32 w, i32 h, u16 c);
void Oval(ArchiveFrame& f, i32 cx, i32 cy, i32 rx, i32 ry, u16 c);
// A line r pixels thick on each side (r = 0 a plain line).
void Limb(ArchiveFrame& f, i32 x0, i32 y0, i32 x1, i32 y1, i32 r, u16 c);
void Tri(ArchiveFrame& f, i32 x0, i32 y0, i32 x1, i32 y1, i32 x2, i32 y2, u16 c);
// Every clear pixel beside (left, right, above, below) a drawn one takes c.
void Outline(ArchiveFrame& f, u16 c);
ArchiveFrame Mirrored(const ArchiveFrame& f);
}  // namespace figures

// A person on the map: 32x48, the soles on row kPersonFoot (the act puts
// them at the bottom of the cell the person stands on), one frame for
// animation direction dir (0 up, 1 down, 2 left, 3 right, 4 up-left,
// 5 down-right, 6 down-left, 7 up-right) and step 0 (standing), 1 or 2 (the two strides).
constexpr i32 kPersonFoot = 46;
ArchiveFrame PersonFigure(u32 person, i32 dir, i32 step);

// A battle body's poses: each body picture holds them facing left (facing 4)
// in frames 0..kPoseCount - 1 and the same mirrored (facing 5) after them.
// The figure stands on the frame's bottom row, centred.
enum FigurePose : u16 {
    kPoseIdle,
    kPoseBreathe,
    kPoseWindup,
    kPoseStrike,
    kPoseCast,
    kPoseHurt,
    kPoseFallen,
    kPoseCount
};
struct FigureSize {
    i32 w, h;
};
// Party bodies (acts 1000 + 100 role + look) are 32x48; monsters have sizes
// of their own by shape. A monster's body is act 3000 + its number, but for
// numbers 0 and 1, whose acts would be entry 0 of an archive and the item
// icons: theirs are 3300 and 3301.
u32 MonsterBodyAct(i32 monster);
FigureSize BodySize(u32 act);
std::vector<ArchiveFrame> BodyFigureFrames(u32 act);

// A portrait w x h: the face and shoulders of party member `role` (0..7, in
// the colours of the member's battle body; any other role a plainly dressed
// stranger, for pictures every member shares) on a plain backdrop back, in a
// rim of colour rim.
ArchiveFrame PortraitFigure(i32 w, i32 h, i32 role, u16 back, u16 rim);
constexpr u16 kPortraitBackdrop = figures::Rgb(6, 7, 18), kPortraitRim = figures::Rgb(18, 18, 20);
// The face a person of the map shows beside its words: head and shoulders in
// the person's clothes, kFaceSide square, on the portraits' backdrop and rim.
constexpr i32 kFaceSide = 40;
ArchiveFrame FaceFigure(u32 person);
// Monster `monster` standing, scaled to fit a w x h picture, facing left, on
// a backdrop shaded from back, in a rim of colour rim.
ArchiveFrame MonsterPortraitFigure(i32 w, i32 h, u32 monster, u16 back, u16 rim);
// The monster whose figure pictures god form `form`: the fire god, the ice
// demon and the thunder god for the sample's three forms.
constexpr u32 FormMonster(u32 form) {
    constexpr u32 kFormMonsters[3] = {2, 3, 7};
    return form < 3 ? kFormMonsters[form] : 8 + form;
}

// A 48x48 flash, frame k of three: a star of eight rays of colour ray round a
// bright core, growing and then thinning out; the rest clear.
ArchiveFrame BurstFigure(u16 ray, int k);

// A gull 16 x 8 seen from the side, on clear: wings raised (wings 0), spread
// (1) or lowered (2), its head to the right when right, else to the left.
ArchiveFrame BirdFigure(i32 wings, bool right);

// A battle backdrop's layer k (1..3), 640x480, in the shapes the battle art
// promises (see SampleBattle.h); harbour picks the pier's look.
ArchiveFrame BackdropFigure(bool harbour, int k);
// The harbour at dusk as one 640x480 picture (all three layers).
ArchiveFrame HarbourFigure();
// The same with the pirates' ship at step
// `step` of `steps` of its way from the pier out to the horizon.
ArchiveFrame HarbourShipFigure(int step, int steps);
// The opening: the harbour by night at step `step` of `steps`, the full moon
// rising over the sea from behind the far cliff to its place at
// (kOpeningMoonX, kOpeningMoonTop + kOpeningMoonR) on the last step, under stars.
ArchiveFrame OpeningFigure(int step, int steps);
constexpr i32 kOpeningMoonX = 560, kOpeningMoonTop = 40, kOpeningMoonR = 30;
// The rows the ship can take on its way: [kShipTop, kShipBottom).
constexpr i32 kShipTop = 150, kShipBottom = 290;
