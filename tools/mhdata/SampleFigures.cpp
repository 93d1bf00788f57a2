// Figures drawn at generation time: the primitives, people on the map, party
// fighters, monsters of several shapes and sizes, and the battle backdrops.
#include "mhdata/SampleFigures.h"

#include <algorithm>
#include <cstdlib>

#include "mhdata/SampleBattle.h"
#include "mhdata/SampleFighters.h"

namespace figures {

namespace {
constexpr u16 kOtherKey = 12703;  // the second key colour

int Channel(u16 c, int shift) {
    return c >> shift & 31;
}
}  // namespace

u16 Shade(u16 c, int d) {
    auto ch = [&](int shift) { return std::clamp(Channel(c, shift) + d, 0, 31); };
    return Rgb(ch(10), ch(5), ch(0));
}

u16 Mix(u16 a, u16 b, int t) {
    auto ch = [&](int shift) {
        return Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * t / 256;
    };
    return Rgb(ch(10), ch(5), ch(0));
}

ArchiveFrame Blank(i32 w, i32 h, u16 c) {
    return Flat(w, h, c);
}

void Dot(ArchiveFrame& f, i32 x, i32 y, u16 c) {
    if (x < 0 || y < 0 || x >= f.w || y >= f.h) return;
    if (c == kClear || c == kOtherKey) c ^= 1;
    f.pixels[static_cast<size_t>(y) * f.w + x] = c;
}

void Box(ArchiveFrame& f, i32 x, i32 y, i32 w, i32 h, u16 c) {
    for (i32 j = y; j < y + h; ++j)
        for (i32 i = x; i < x + w; ++i) Dot(f, i, j, c);
}

void Oval(ArchiveFrame& f, i32 cx, i32 cy, i32 rx, i32 ry, u16 c) {
    if (rx < 0 || ry < 0) return;
    // Inside when (dx / (rx + 0.5))^2 + (dy / (ry + 0.5))^2 <= 1, in integers.
    const i64 a = 2 * rx + 1, b = 2 * ry + 1;
    for (i32 dy = -ry; dy <= ry; ++dy)
        for (i32 dx = -rx; dx <= rx; ++dx)
            if (4 * dx * dx * b * b + 4 * dy * dy * a * a <= a * a * b * b)
                Dot(f, cx + dx, cy + dy, c);
}

void Limb(ArchiveFrame& f, i32 x0, i32 y0, i32 x1, i32 y1, i32 r, u16 c) {
    const i32 n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (i32 k = 0; k <= n; ++k) {
        const i32 x = n ? x0 + ((x1 - x0) * k * 2 + (x1 > x0 ? n : -n)) / (2 * n) : x0;
        const i32 y = n ? y0 + ((y1 - y0) * k * 2 + (y1 > y0 ? n : -n)) / (2 * n) : y0;
        if (r == 0)
            Dot(f, x, y, c);
        else
            Oval(f, x, y, r, r, c);
    }
}

void Tri(ArchiveFrame& f, i32 x0, i32 y0, i32 x1, i32 y1, i32 x2, i32 y2, u16 c) {
    const i32 left = std::min({x0, x1, x2}), right = std::max({x0, x1, x2});
    const i32 top = std::min({y0, y1, y2}), bottom = std::max({y0, y1, y2});
    auto side = [](i64 ax, i64 ay, i64 bx, i64 by, i64 px, i64 py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    for (i32 y = top; y <= bottom; ++y)
        for (i32 x = left; x <= right; ++x) {
            const i64 a = side(x0, y0, x1, y1, x, y), b = side(x1, y1, x2, y2, x, y),
                      d = side(x2, y2, x0, y0, x, y);
            if ((a >= 0 && b >= 0 && d >= 0) || (a <= 0 && b <= 0 && d <= 0)) Dot(f, x, y, c);
        }
    Limb(f, x0, y0, x1, y1, 0, c);
    Limb(f, x1, y1, x2, y2, 0, c);
    Limb(f, x2, y2, x0, y0, 0, c);
}

void Outline(ArchiveFrame& f, u16 c) {
    const ArchiveFrame was = f;
    auto drawn = [&](i32 x, i32 y) {
        return x >= 0 && y >= 0 && x < f.w && y < f.h &&
               was.pixels[static_cast<size_t>(y) * f.w + x] != kClear;
    };
    for (i32 y = 0; y < f.h; ++y)
        for (i32 x = 0; x < f.w; ++x)
            if (!drawn(x, y) &&
                (drawn(x - 1, y) || drawn(x + 1, y) || drawn(x, y - 1) || drawn(x, y + 1)))
                Dot(f, x, y, c);
}

ArchiveFrame Mirrored(const ArchiveFrame& f) {
    ArchiveFrame m = f;
    for (i32 y = 0; y < f.h; ++y)
        for (i32 x = 0; x < f.w; ++x)
            m.pixels[static_cast<size_t>(y) * f.w + x] =
                f.pixels[static_cast<size_t>(y) * f.w + f.w - 1 - x];
    return m;
}

}  // namespace figures

using namespace figures;

namespace {

constexpr u16 kInk = Rgb(3, 3, 5);  // outlines, eyes

// Figure space: u across from the figure's centre line (positive toward the
// way it faces when drawn facing right), v up from the soles, in units of a
// 48-pixel person; a pen maps them onto a frame at a scale in sixteenths.
struct Pen {
    ArchiveFrame* f;
    i32 ox, foot, s = 16, dir = 1;  // dir -1 mirrors u
    i32 X(i32 u) const { return ox + dir * u * s / 16; }
    i32 Y(i32 v) const { return foot - v * s / 16; }
    i32 R(i32 r) const { return std::max(r * s / 16, r > 0 ? 1 : 0); }
    void Oval(i32 u, i32 v, i32 ru, i32 rv, u16 c) const {
        figures::Oval(*f, X(u), Y(v), R(ru), R(rv), c);
    }
    void Limb(i32 u0, i32 v0, i32 u1, i32 v1, i32 r, u16 c) const {
        figures::Limb(*f, X(u0), Y(v0), X(u1), Y(v1), R(r), c);
    }
    void Tri(i32 u0, i32 v0, i32 u1, i32 v1, i32 u2, i32 v2, u16 c) const {
        figures::Tri(*f, X(u0), Y(v0), X(u1), Y(v1), X(u2), Y(v2), c);
    }
    // A box from (u0, v0) to (u1, v1), both corners inside.
    void Box(i32 u0, i32 v0, i32 u1, i32 v1, u16 c) const {
        const i32 x0 = std::min(X(u0), X(u1)), x1 = std::max(X(u0), X(u1));
        const i32 y0 = std::min(Y(v0), Y(v1)), y1 = std::max(Y(v0), Y(v1));
        figures::Box(*f, x0, y0, x1 - x0 + 1, y1 - y0 + 1, c);
    }
};

struct Clothes {
    u16 skin, hair, shirt, trousers, shoes;
};

const Clothes kTownsfolk[6] = {
    {Rgb(28, 21, 16), Rgb(12, 7, 3), Rgb(5, 10, 24), Rgb(6, 6, 11), Rgb(6, 4, 2)},
    {Rgb(28, 20, 15), Rgb(5, 4, 5), Rgb(24, 6, 8), Rgb(11, 7, 4), Rgb(5, 3, 2)},
    {Rgb(23, 16, 11), Rgb(26, 26, 25), Rgb(6, 18, 8), Rgb(9, 9, 7), Rgb(6, 4, 2)},
    {Rgb(29, 22, 17), Rgb(28, 23, 8), Rgb(18, 8, 22), Rgb(7, 6, 12), Rgb(5, 3, 2)},
    {Rgb(27, 19, 14), Rgb(23, 8, 4), Rgb(28, 23, 6), Rgb(10, 8, 5), Rgb(6, 4, 2)},
    {Rgb(26, 19, 14), Rgb(4, 6, 14), Rgb(27, 27, 26), Rgb(6, 8, 14), Rgb(5, 3, 2)},
};

// ---- People on the map ----

// Seen from the front (or the back when back): legs, body, arms, head; hx
// turns the face a little toward one side (-1 left, 1 right).
void FrontFigure(const Pen& p, const Clothes& c, i32 step, bool back, i32 hx) {
    const i32 lift[2] = {step == 1 ? 3 : 0, step == 2 ? 3 : 0};
    for (int side = 0; side < 2; ++side) {
        const i32 u = side ? 1 : -4;
        p.Box(u + hx, 2 + lift[side], u + hx + 3, 15, c.trousers);
        p.Box(u + hx - (side ? 0 : 1), lift[side], u + hx + 3 + (side ? 1 : 0), 1 + lift[side],
              c.shoes);
    }
    p.Box(-6, 16, 5, 29, c.shirt);
    p.Box(-6, 16, -6, 29, Shade(c.shirt, -4));
    p.Box(5, 16, 5, 29, Shade(c.shirt, -4));
    p.Box(-6, 16, 5, 17, Shade(c.trousers, 3));  // belt
    // Arms swing against the legs: the arm over the lifted leg hangs shorter.
    for (int side = 0; side < 2; ++side) {
        const i32 u = side ? 6 : -9, end = lift[1 - side] ? 19 : 17;
        p.Box(u, end, u + 2, 28, Shade(c.shirt, -2));
        p.Box(u, end - 2, u + 2, end - 1, back ? Shade(c.skin, -3) : c.skin);
    }
    p.Box(-1, 30, 1, 31, Shade(c.skin, -3));
    p.Oval(hx, 38, 6, 6, c.hair);
    if (back) {
        if (hx) p.Oval(hx * 5, 36, 1, 2, c.skin);  // a cheek past the hair
        return;
    }
    p.Oval(2 * hx, 36, 4, 4, c.skin);
    p.Box(2 * hx - 2, 37, 2 * hx - 2, 37, kInk);
    p.Box(2 * hx + 2, 37, 2 * hx + 2, 37, kInk);
    p.Box(2 * hx - 1, 34, 2 * hx + 1, 34, Shade(c.skin, -7));
}

// A stance of a figure seen from the side, facing +u.
struct Stance {
    i32 lean = 0, bob = 0;             // upper body forward; whole body down
    i32 frontFoot = 4, backFoot = -4;  // soles' u
    i32 handU = 2, handV = 17;         // the near (front) arm's hand
    i32 backHandU = -2, backHandV = 17;
    i32 headTilt = 0;  // the head's extra u
};

void SideFigure(const Pen& p, const Clothes& c, const Stance& s, bool eyesShut = false) {
    const i32 hip = 15 - s.bob, shoulder = 28 - s.bob, head = 37 - s.bob;
    const u16 far = Shade(c.trousers, -3);
    // The far leg and arm first, darker; then body, head, near leg and arm.
    p.Limb(0, hip, s.backFoot, 2, 2, far);
    p.Box(s.backFoot - 2, 0, s.backFoot + 2, 1, Shade(c.shoes, -1));
    p.Limb(s.lean, shoulder, s.backHandU, s.backHandV, 1, Shade(c.shirt, -5));
    p.Oval(s.backHandU, s.backHandV, 1, 1, Shade(c.skin, -4));
    p.Limb(0, hip, s.lean, shoulder - 1, 4, c.shirt);
    p.Limb(-4, hip, 3, hip, 1, Shade(c.trousers, 3));  // belt
    p.Box(s.lean - 1, shoulder + 1, s.lean + 1, shoulder + 2, Shade(c.skin, -3));
    const i32 hu = s.lean + s.headTilt;
    p.Oval(hu - 1, head + 1, 6, 6, c.hair);
    p.Oval(hu + 2, head - 1, 4, 5, c.skin);
    p.Box(hu - 2, head + 3, hu + 5, head + 6, c.hair);  // fringe
    if (eyesShut)
        p.Box(hu + 3, head, hu + 4, head, kInk);
    else
        p.Box(hu + 3, head, hu + 3, head + 1, kInk);
    p.Box(hu + 6, head - 1, hu + 6, head - 1, Shade(c.skin, -3));  // nose
    p.Limb(0, hip, s.frontFoot, 2, 2, c.trousers);
    p.Box(s.frontFoot - 2, 0, s.frontFoot + 3, 1, c.shoes);
    p.Limb(s.lean, shoulder, s.handU, s.handV, 1, Shade(c.shirt, 2));
    p.Oval(s.handU, s.handV, 1, 1, c.skin);
}

// The town's guard: a steel-grey tunic, a helmet over his hair and a spear
// held upright at his side.
constexpr Clothes kGuardClothes = {Rgb(27, 20, 15), Rgb(8, 5, 3), Rgb(10, 13, 17), Rgb(5, 6, 9),
                                   Rgb(4, 3, 2)};

void GuardGear(const Pen& p) {
    const u16 steel = Rgb(21, 23, 25), wood = Rgb(15, 9, 4);
    p.Limb(9, 1, 9, 42, 0, wood);
    p.Tri(7, 42, 11, 42, 9, 46, steel);
    p.Oval(0, 43, 6, 3, steel);
    p.Box(-7, 40, 7, 40, Shade(steel, -6));  // the brim, above the eyes
}

}  // namespace

ArchiveFrame PersonFigure(u32 person, i32 dir, i32 step) {
    const bool guard = person == sample_art::kGuardPerson;
    const Clothes& c = guard ? kGuardClothes : kTownsfolk[person % 6];
    ArchiveFrame f =
        Blank(static_cast<i32>(sample_art::kPeopleW), static_cast<i32>(sample_art::kPeopleH));
    Pen p{&f, 16, kPersonFoot};
    // Animation directions: 0 up, 1 down, 2 left, 3 right, 4 up-left,
    // 5 down-right, 6 down-left, 7 up-right.
    dir &= 7;
    if (dir == 2 || dir == 3) {
        p.dir = dir == 3 ? 1 : -1;
        Stance s;
        const i32 stride = step == 0 ? 1 : 5;
        s.frontFoot = step == 2 ? -stride : stride;
        s.backFoot = -s.frontFoot;
        s.handU = step == 0 ? 1 : -s.frontFoot + (step == 1 ? 0 : 1);
        s.backHandU = -s.handU;
        SideFigure(p, c, s);
    } else {
        const bool back = dir == 0 || dir == 4 || dir == 7;
        const i32 hx = dir == 5 || dir == 7 ? 1 : (dir == 4 || dir == 6 ? -1 : 0);
        FrontFigure(p, c, step, back, hx);
    }
    if (guard) GuardGear(p);
    Outline(f, kInk);
    return f;
}

// ---- Battle bodies ----

namespace {

const Clothes kHeroes[8] = {
    {Rgb(28, 21, 16), Rgb(10, 6, 3), Rgb(4, 10, 26), Rgb(7, 6, 12), Rgb(9, 5, 2)},
    {Rgb(29, 22, 18), Rgb(25, 8, 5), Rgb(26, 8, 12), Rgb(20, 18, 20), Rgb(8, 4, 4)},
    {Rgb(24, 17, 12), Rgb(4, 4, 6), Rgb(8, 20, 9), Rgb(10, 8, 5), Rgb(7, 5, 2)},
    {Rgb(28, 22, 17), Rgb(29, 25, 10), Rgb(22, 10, 26), Rgb(8, 6, 14), Rgb(6, 3, 6)},
    {Rgb(27, 20, 15), Rgb(20, 20, 22), Rgb(27, 21, 6), Rgb(12, 9, 5), Rgb(7, 4, 2)},
    {Rgb(26, 19, 14), Rgb(6, 10, 20), Rgb(27, 27, 27), Rgb(5, 8, 16), Rgb(5, 4, 3)},
    {Rgb(28, 21, 16), Rgb(14, 8, 3), Rgb(6, 20, 22), Rgb(6, 10, 10), Rgb(6, 4, 2)},
    {Rgb(25, 18, 13), Rgb(18, 4, 8), Rgb(14, 14, 15), Rgb(6, 6, 6), Rgb(4, 3, 3)},
};

// Weapons by look: none, sword, spear, staff; look bit 4 adds a shield.
void Weapon(const Pen& p, i32 kind, i32 hu, i32 hv, i32 tu, i32 tv) {
    if (kind == 1) {
        p.Limb(hu, hv, tu, tv, 0, Rgb(26, 27, 29));
        p.Limb(hu + (tu - hu) / 6, hv + (tv - hv) / 6, tu, tv, 0, Rgb(30, 30, 31));
        p.Oval(hu, hv, 1, 1, Rgb(14, 9, 3));
    } else if (kind == 2) {
        p.Limb(2 * hu - tu, 2 * hv - tv, tu, tv, 0, Rgb(16, 10, 4));
        p.Tri(tu, tv, tu - (tu - hu) / 4 - 1, tv - (tv - hv) / 4 - 1, tu - (tu - hu) / 4 + 1,
              tv - (tv - hv) / 4 + 1, Rgb(26, 27, 29));
    } else if (kind == 3) {
        p.Limb(2 * hu - tu, 2 * hv - tv, tu, tv, 0, Rgb(18, 11, 5));
        p.Oval(tu, tv, 2, 2, Rgb(12, 24, 31));
    }
}

// The stances of the poses, for a person-sized figure facing +u; tips are
// where a held weapon points.
struct Pose {
    Stance s;
    i32 tipU, tipV;
};

Pose PoseOf(FigurePose pose) {
    Pose p{};
    Stance& s = p.s;
    s.handU = 5;
    s.handV = 19;
    s.backHandU = -3;
    s.backHandV = 18;
    p.tipU = 12;
    p.tipV = 33;
    switch (pose) {
        case kPoseBreathe:
            s.bob = 1;
            s.handV = 18;
            p.tipV = 32;
            break;
        case kPoseWindup:
            s.lean = -1;
            s.frontFoot = 5;
            s.backFoot = -6;
            s.handU = -4;
            s.handV = 37;
            s.backHandU = -5;
            s.backHandV = 22;
            p.tipU = -13;
            p.tipV = 44;
            break;
        case kPoseStrike:
            s.lean = 3;
            s.frontFoot = 8;
            s.backFoot = -7;
            s.handU = 10;
            s.handV = 25;
            s.backHandU = -6;
            s.backHandV = 21;
            p.tipU = 15;
            p.tipV = 21;
            break;
        case kPoseCast:
            s.handU = 8;
            s.handV = 34;
            s.backHandU = 5;
            s.backHandV = 36;
            p.tipU = 11;
            p.tipV = 45;
            break;
        case kPoseHurt:
            s.lean = -3;
            s.bob = 1;
            s.headTilt = -1;
            s.frontFoot = 3;
            s.backFoot = -6;
            s.handU = -8;
            s.handV = 23;
            s.backHandU = -9;
            s.backHandV = 26;
            p.tipU = -14;
            p.tipV = 29;
            break;
        default:
            break;
    }
    return p;
}

// A fallen person: lying along the ground, head toward -u.
void Fallen(const Pen& p, const Clothes& c) {
    p.Limb(-4, 3, 9, 3, 3, c.shirt);
    p.Limb(8, 2, 14, 2, 2, c.trousers);
    p.Box(14, 0, 15, 4, c.shoes);
    p.Oval(-10, 4, 4, 4, c.hair);
    p.Oval(-10, 3, 3, 3, c.skin);
    p.Box(-11, 3, -9, 3, kInk);
    p.Limb(-2, 5, 4, 8, 1, Shade(c.shirt, 2));
}

void Hero(const Pen& p, const Clothes& c, FigurePose pose, i32 weapon, bool shield) {
    if (pose == kPoseFallen) return Fallen(p, c);
    const Pose q = PoseOf(pose);
    if (shield) p.Oval(q.s.backHandU - 1, q.s.backHandV + 2, 3, 5, Rgb(20, 17, 6));
    SideFigure(p, c, q.s, pose == kPoseHurt);
    Weapon(p, weapon, q.s.handU, q.s.handV, q.tipU, q.tipV);
    if (pose == kPoseCast) {
        p.Oval(q.s.handU + 1, q.s.handV + 1, 1, 1, Rgb(31, 31, 20));
        p.Box(q.s.handU + 3, q.s.handV + 3, q.s.handU + 3, q.s.handV + 3, Rgb(31, 30, 12));
    }
}

// ---- Monsters ----

enum Shape { kBlob, kBeast, kWinged, kHumanoid };

struct Kind {
    Shape shape;
    i32 w, h;
    u16 body, trim;  // main colour, second colour
    u16 extra =
        0;  // humanoids: 1 ears, 2 hood, 3 flame hair, 4 horns, 5 stone, 6 pirate, 7 captain
};

Kind KindOf(u32 monster) {
    switch (monster) {
        case 0:
            return {kBlob, 40, 30, Rgb(6, 18, 28), Rgb(14, 26, 31)};
        case 1:
            return {kHumanoid, 28, 40, Rgb(10, 20, 6), Rgb(14, 9, 4), 1};
        case 2:
            return {kHumanoid, 44, 66, Rgb(30, 12, 4), Rgb(31, 24, 6), 3};
        case 3:
            return {kWinged, 64, 64, Rgb(14, 22, 30), Rgb(24, 28, 31)};
        case 4:
            return {kBeast, 88, 56, Rgb(13, 13, 15), Rgb(22, 22, 24)};
        case 5:
            return {kHumanoid, 32, 48, Rgb(27, 20, 15), Rgb(6, 6, 9), 2};
        case 6:
            return {kHumanoid, 42, 60, Rgb(17, 17, 16), Rgb(12, 12, 11), 5};
        case 7:
            return {kHumanoid, 50, 78, Rgb(26, 24, 10), Rgb(10, 14, 28), 4};
        case sample::kPirate:  // a striped shirt under a red bandana
            return {kHumanoid, 32, 48, Rgb(27, 19, 14), Rgb(26, 4, 4), 6};
        case sample::kPirateMate:  // a patch over one eye, a blue bandana
            return {kHumanoid, 34, 52, Rgb(24, 17, 12), Rgb(5, 9, 22), 6};
        case sample::kBoss:  // the pirates' captain: hat, coat and beard
            return {kHumanoid, 56, 84, Rgb(26, 19, 14), Rgb(20, 3, 5), 7};
        default:
            break;
    }
    // The other monsters cycle through the shapes in three sizes and colours.
    const i32 size = 12 + 3 * static_cast<i32>(monster % 3);  // sixteenths of the base
    const u16 body = Rgb(8 + monster * 7 % 20, 6 + monster * 11 % 20, 6 + monster * 5 % 20);
    const u16 trim = Shade(body, 7);
    switch (monster % 4) {
        case 0:
            return {kBlob, 40 * size / 16, 30 * size / 16, body, trim};
        case 1:
            return {kBeast, 64 * size / 16, 40 * size / 16, body, trim};
        case 2:
            return {kWinged, 48 * size / 16, 48 * size / 16, body, trim};
        default:
            return {kHumanoid, 32 * size / 16, 48 * size / 16,
                    body,      trim,           static_cast<u16>(1 + monster % 2 * 3)};
    }
}

void Blob(const Pen& p, const Kind& k, FigurePose pose) {
    // Figure units here are pixels of a 40x30 slime scaled to the frame.
    i32 rx = 18, ry = 13, lean = 0;
    switch (pose) {
        case kPoseBreathe:
            rx = 19, ry = 12;
            break;
        case kPoseWindup:
            rx = 15, ry = 14, lean = -2;
            break;
        case kPoseStrike:
            rx = 17, ry = 13, lean = 3;
            break;
        case kPoseCast:
            rx = 16, ry = 14;
            break;
        case kPoseHurt:
            rx = 19, ry = 10, lean = -2;
            break;
        case kPoseFallen:
            rx = 19, ry = 5;
            break;
        default:
            break;
    }
    p.Oval(lean, ry + 1, rx, ry, Shade(k.body, -4));
    p.Oval(lean - 1, ry + 2, rx - 2, ry - 2, k.body);
    p.Oval(lean - rx / 2, ry + ry / 2 + 1, std::max(rx / 5, 1), std::max(ry / 6, 1), k.trim);
    const i32 ev = ry + ry / 4 + 1;
    for (i32 e : {rx / 4, rx * 2 / 3}) {
        if (pose == kPoseFallen || pose == kPoseHurt) {
            p.Box(lean + e - 1, ev, lean + e + 1, ev, kInk);
            continue;
        }
        p.Oval(lean + e, ev, 2, 3, Rgb(31, 31, 31));
        p.Box(lean + e + 1, ev, lean + e + 1, ev + 1, kInk);
    }
    if (pose == kPoseStrike) p.Oval(lean + rx / 2, ev - 5, 2, 1, Rgb(12, 2, 4));
}

void Beast(const Pen& p, const Kind& k, FigurePose pose) {
    // Units: a wolf of 88x56.
    i32 shift = 0, bob = 0, headU = 30, headV = 34, stride = 3;
    switch (pose) {
        case kPoseBreathe:
            bob = 1;
            break;
        case kPoseWindup:
            shift = -3, headU = 27, headV = 28, stride = 5;
            break;
        case kPoseStrike:
            shift = 5, headU = 34, headV = 32, stride = 7;
            break;
        case kPoseCast:
            headV = 38;
            break;
        case kPoseHurt:
            shift = -4, headU = 28, headV = 38, stride = 1;
            break;
        default:
            break;
    }
    const u16 far = Shade(k.body, -5), belly = k.trim;
    if (pose == kPoseFallen) {
        p.Limb(-34, 8, -46, 6, 3, k.body);
        p.Oval(-4, 9, 28, 8, k.body);
        p.Oval(-2, 6, 20, 4, belly);
        p.Limb(16, 3, 34, 2, 2, far);
        p.Oval(30, 9, 9, 7, k.body);
        p.Oval(39, 7, 6, 4, k.body);
        p.Box(32, 10, 35, 10, kInk);
        return;
    }
    const i32 s = shift, b = bob;
    p.Limb(16 + s, 18 - b, 18 + s - stride, 2, 3, far);  // far legs
    p.Limb(-22 + s, 18 - b, -24 + s + stride, 2, 3, far);
    p.Limb(-28 + s, 28 - b, -40 + s, 36 - b, 4, k.body);  // tail
    p.Limb(-40 + s, 36 - b, -45 + s, 30 - b, 3, belly);
    p.Oval(-4 + s, 24 - b, 26, 11, k.body);
    p.Oval(-4 + s, 31 - b, 22, 4, Shade(k.body, -3));
    p.Oval(-2 + s, 18 - b, 20, 4, belly);
    p.Oval(14 + s, 26 - b, 12, 12, k.body);
    p.Limb(14 + s, 28 - b, headU + s, headV - b, 6, k.body);  // neck
    const i32 hu = headU + s, hv = headV - b;
    p.Tri(hu - 6, hv + 4, hu + 1, hv + 4, hu - 4, hv + 16, Shade(k.body, -2));  // ear
    p.Oval(hu, hv, 9, 8, k.body);
    p.Oval(hu + 11, hv - 3, 8, 4, k.body);  // snout
    p.Oval(hu + 10, hv - 6, 6, 1, belly);
    p.Box(hu + 18, hv - 2, hu + 19, hv, kInk);  // nose
    p.Box(hu + 3, hv + 2, hu + 4, hv + 3, pose == kPoseHurt ? kInk : Rgb(31, 28, 6));
    if (pose == kPoseStrike) {
        p.Tri(hu + 5, hv - 5, hu + 19, hv - 6, hu + 17, hv - 11, Rgb(12, 2, 4));
        p.Box(hu + 8, hv - 6, hu + 16, hv - 6, Rgb(31, 31, 31));
    }
    p.Limb(16 + s, 18 - b, 18 + s + stride, 2, 3, k.body);  // near legs
    p.Limb(-22 + s, 18 - b, -20 + s - stride, 2, 3, k.body);
    for (i32 u : {18 + s + stride, -20 + s - stride}) p.Box(u - 3, 0, u + 4, 1, Shade(k.body, -7));
}

void Winged(const Pen& p, const Kind& k, FigurePose pose) {
    // Units: a demon of 64x64.
    i32 flap = 0, lean = 0;
    switch (pose) {
        case kPoseBreathe:
            flap = 4;
            break;
        case kPoseWindup:
            flap = 8, lean = -2;
            break;
        case kPoseStrike:
            flap = -6, lean = 4;
            break;
        case kPoseCast:
            flap = 6;
            break;
        case kPoseHurt:
            flap = -4, lean = -4;
            break;
        default:
            break;
    }
    const u16 wing = Shade(k.body, -6);
    if (pose == kPoseFallen) {
        p.Tri(-6, 6, -30, 2, -24, 14, wing);
        p.Oval(0, 7, 14, 6, k.body);
        p.Oval(16, 8, 6, 6, k.body);
        p.Box(17, 9, 19, 9, kInk);
        return;
    }
    p.Tri(-2 + lean, 40, -30 + lean, 58 + flap, -26 + lean, 22 - flap / 2, wing);
    p.Limb(-2 + lean, 40, -30 + lean, 58 + flap, 1, k.trim);
    p.Limb(-3, 14, -6, 0, 2, Shade(k.body, -3));
    p.Limb(3, 14, 6, 0, 2, k.body);
    p.Limb(0, 14, lean, 34, 8, k.body);
    p.Oval(lean, 26, 5, 8, k.trim);
    const i32 hu = lean + 2;
    p.Tri(hu - 4, 47, hu - 2, 49, hu - 8, 58, Rgb(28, 28, 24));  // horns
    p.Tri(hu + 2, 48, hu + 4, 48, hu + 5, 58, Rgb(28, 28, 24));
    p.Oval(hu, 44, 6, 6, k.body);
    p.Box(hu + 2, 45, hu + 5, 45, pose == kPoseHurt ? kInk : Rgb(31, 12, 4));
    const i32 clawU = pose == kPoseStrike ? 22 : 10, clawV = pose == kPoseCast ? 44 : 28;
    p.Limb(lean + 2, 34, clawU, clawV, 2, k.body);
    p.Tri(clawU, clawV + 2, clawU + 5, clawV, clawU, clawV - 2, k.trim);
    if (pose == kPoseCast) p.Oval(clawU + 2, clawV + 4, 3, 3, Rgb(20, 28, 31));
    p.Tri(2 + lean, 40, 26 + lean, 54 + flap, 20 + lean, 20 - flap / 2, Shade(wing, 3));
    p.Limb(2 + lean, 40, 26 + lean, 54 + flap, 1, k.trim);
}

// A cutlass from the hand toward the tip: a broad blade curving at its end,
// a brass guard at the hand.
void Cutlass(const Pen& p, i32 hu, i32 hv, i32 tu, i32 tv) {
    const i32 mu = hu + (tu - hu) * 2 / 3, mv = hv + (tv - hv) * 2 / 3;
    p.Limb(hu, hv, mu, mv, 1, Rgb(24, 25, 27));
    p.Tri(mu - 1, mv - 1, mu + 1, mv + 1, tu + (tv - hv) / 8, tv - (tu - hu) / 8, Rgb(27, 28, 30));
    p.Limb(hu + (tu - hu) / 8, hv + (tv - hv) / 8, mu, mv, 0, Rgb(31, 31, 31));
    p.Box(hu - 2, hv - 1, hu + 2, hv + 1, Rgb(28, 22, 6));
}

// Sea-going clothes over a side figure: a pirate's bandana and striped shirt
// (a patch over the eye in the blue one), or the captain's tricorn hat, long
// coat and beard. Drawn before (behind: the coat's tails) and after the body.
void PirateBack(const Pen& p, const Kind& k, const Stance& s) {
    if (k.extra != 7) return;
    const u16 coat = k.trim;
    p.Tri(-5, 16 - s.bob, 3, 16 - s.bob, -8, 5, Shade(coat, -3));  // the coat's tails
}

void PirateFront(const Pen& p, const Kind& k, const Stance& s) {
    const i32 hu = s.lean + s.headTilt, head = 37 - s.bob, hip = 15 - s.bob;
    if (k.extra == 6) {
        for (i32 v = hip + 3; v < 27 - s.bob; v += 4)
            p.Limb(s.lean * (v - hip) / 13 - 3, v, s.lean * (v - hip) / 13 + 3, v, 0,
                   Rgb(30, 30, 30));
        p.Oval(hu - 1, head + 4, 6, 3, k.trim);  // the bandana and its knot
        p.Tri(hu - 6, head + 4, hu - 11, head + 1, hu - 10, head + 6, k.trim);
        if (k.trim == Rgb(5, 9, 22)) {  // the patch and its strap
            p.Limb(hu - 4, head + 3, hu + 3, head + 1, 0, kInk);
            p.Box(hu + 2, head - 1, hu + 4, head + 2, kInk);
        }
        return;
    }
    const u16 coat = k.trim, gold = Rgb(29, 24, 6), black = Rgb(3, 3, 4);
    p.Limb(0, hip + 1, s.lean, 27 - s.bob, 4, coat);      // the coat over the shirt
    p.Limb(1, hip + 1, s.lean + 1, 27 - s.bob, 0, gold);  // its buttons' row
    p.Limb(-4, hip, 3, hip, 1, black);                    // the belt
    p.Oval(hu + 3, head - 4, 3, 2, black);                // the beard
    p.Box(hu - 8, head + 5, hu + 7, head + 6, black);     // the hat: brim, crown, trim
    p.Oval(hu - 1, head + 8, 5, 4, black);
    p.Tri(hu - 8, head + 6, hu - 10, head + 9, hu - 5, head + 7, black);
    p.Tri(hu + 7, head + 6, hu + 9, head + 9, hu + 4, head + 7, black);
    p.Limb(hu - 8, head + 6, hu + 7, head + 6, 0, gold);
    p.Oval(hu - 1, head + 9, 1, 1, Rgb(30, 30, 29));                  // a skull on its front
    p.Limb(s.lean, 28 - s.bob, s.handU, s.handV, 1, Shade(coat, 3));  // the sleeve again
    p.Oval(s.handU, s.handV, 1, 1, k.body);
}

void Humanoid(const Pen& p, const Kind& k, FigurePose pose) {
    // Units: a person of 48 rows, scaled to the frame by the pen.
    Clothes c{k.body, k.trim, k.trim, Shade(k.trim, -4), Shade(k.trim, -8)};
    if (k.extra == 5) c = {k.body, Shade(k.body, 3), k.body, k.trim, k.trim};  // stone
    if (k.extra == 2) c = {k.body, k.trim, Rgb(8, 8, 11), Rgb(5, 5, 8), Rgb(4, 3, 3)};
    if (k.extra == 3) c.hair = Rgb(31, 28, 8);
    if (k.extra == 4) c = {k.body, Rgb(31, 31, 28), k.trim, Shade(k.trim, -6), Rgb(6, 6, 8)};
    if (k.extra == 6) c = {k.body, Rgb(6, 4, 3), Rgb(24, 6, 6), Rgb(9, 8, 12), Rgb(4, 3, 2)};
    if (k.extra == 7) c = {k.body, Rgb(4, 3, 3), Rgb(28, 27, 24), Rgb(6, 5, 7), Rgb(3, 2, 2)};
    if (pose == kPoseFallen) return Fallen(p, c);
    const Pose q = PoseOf(pose);
    const i32 hu = q.s.lean + q.s.headTilt, hv = 37 - q.s.bob;
    if (k.extra == 3)  // flames over the head
        for (i32 t = 0; t < 3; ++t)
            p.Tri(hu - 5 + 4 * t, hv + 3, hu - 1 + 4 * t, hv + 3, hu - 4 + 4 * t - (pose % 2),
                  hv + 11, Rgb(31, 16 + 5 * t, 2));
    if (k.extra >= 6) PirateBack(p, k, q.s);
    SideFigure(p, c, q.s, pose == kPoseHurt);
    if (k.extra >= 6) {
        PirateFront(p, k, q.s);
        return Cutlass(p, q.s.handU, q.s.handV, q.tipU, q.tipV);
    }
    if (k.extra == 1) p.Tri(hu - 2, hv + 1, hu + 1, hv + 1, hu - 5, hv + 6, k.body);  // ear
    if (k.extra == 2) {  // hood and mask
        p.Oval(hu, hv + 2, 6, 5, c.shirt);
        p.Box(hu + 2, hv - 2, hu + 6, hv, Rgb(6, 6, 9));
        p.Box(hu + 3, hv + 1, hu + 4, hv + 1, Rgb(31, 31, 31));
    }
    if (k.extra == 4) {  // horns
        p.Tri(hu - 3, hv + 5, hu - 1, hv + 5, hu - 6, hv + 12, Rgb(30, 29, 22));
        p.Tri(hu + 2, hv + 5, hu + 4, hv + 5, hu + 6, hv + 12, Rgb(30, 29, 22));
    }
    // Goblins club, thieves stab, statues fist, gods hold lightning or fire.
    const i32 weapon = k.extra == 5 ? 0 : (k.extra == 1 ? 3 : 1);
    Weapon(p, weapon, q.s.handU, q.s.handV, q.tipU, q.tipV);
    if (k.extra == 3 || k.extra == 4) {
        const u16 glow = k.extra == 3 ? Rgb(31, 20, 2) : Rgb(31, 31, 12);
        p.Limb(q.tipU, q.tipV, q.tipU + 2, q.tipV - 4, 0, glow);
        p.Oval(q.s.handU, q.s.handV, 2, 2, glow);
    }
}

// Kind k's figure drawn to fill the frame (k.w x k.h: its own size or another).
void DrawMonster(ArchiveFrame& f, const Kind& k, FigurePose pose) {
    Pen p{&f, f.w / 2, f.h - 2};
    switch (k.shape) {
        case kBlob:
            p.s = 16 * k.w / 40;
            Blob(p, k, pose);
            break;
        case kBeast:
            p.s = 16 * k.w / 88;
            Beast(p, k, pose);
            break;
        case kWinged:
            p.s = 16 * k.w / 64;
            Winged(p, k, pose);
            break;
        case kHumanoid:
            p.s = 16 * k.h / 48;
            Humanoid(p, k, pose);
            break;
    }
}

}  // namespace

u32 MonsterBodyAct(i32 monster) {
    return static_cast<u32>(monster < 2 ? 3300 + monster : 3000 + monster);
}

namespace {
u32 MonsterOfAct(u32 act) {
    return act == 3300 || act == 3301 ? act - 3300 : act - 3000;
}
}  // namespace

FigureSize BodySize(u32 act) {
    if (act >= 3000 && act < 6000) {
        const Kind k = KindOf(MonsterOfAct(act));
        return {k.w, k.h};
    }
    return {32, 48};
}

std::vector<ArchiveFrame> BodyFigureFrames(u32 act) {
    const FigureSize size = BodySize(act);
    std::vector<ArchiveFrame> left;
    for (u16 pose = 0; pose < kPoseCount; ++pose) {
        ArchiveFrame f = Blank(size.w, size.h);
        if (act >= 3000) {
            DrawMonster(f, KindOf(MonsterOfAct(act)), static_cast<FigurePose>(pose));
        } else {
            const u32 role = (act - 1000) / 100 % 8, look = act % 100;
            Pen p{&f, size.w / 2, size.h - 2};
            Hero(p, kHeroes[role], static_cast<FigurePose>(pose), static_cast<i32>(look % 4),
                 (look & 4) != 0);
        }
        // Drawn facing right; facing 4 looks left.
        Outline(f, kInk);
        left.push_back(Mirrored(f));
    }
    std::vector<ArchiveFrame> out = left;
    for (const ArchiveFrame& f : left) out.push_back(Mirrored(f));
    return out;
}

// ---- Portraits ----

namespace {

// A stranger in plain clothes, for the pictures every member shares.
constexpr Clothes kPlainClothes = {Rgb(27, 20, 15), Rgb(9, 6, 4), Rgb(15, 13, 10), Rgb(8, 7, 6),
                                   Rgb(5, 4, 3)};

// Draws a rim round the frame: two pixels of rim (one in small frames) and a
// dark line inside.
void Rim(ArchiveFrame& f, u16 rim) {
    const i32 t = std::min(f.w, f.h) >= 40 ? 2 : 1;
    const u16 inner = Shade(rim, -12);
    Box(f, 0, 0, f.w, t, rim);
    Box(f, 0, f.h - t, f.w, t, rim);
    Box(f, 0, 0, t, f.h, rim);
    Box(f, f.w - t, 0, t, f.h, rim);
    Box(f, t, t, f.w - 2 * t, 1, inner);
    Box(f, t, f.h - t - 1, f.w - 2 * t, 1, inner);
    Box(f, t, t, 1, f.h - 2 * t, inner);
    Box(f, f.w - t - 1, t, 1, f.h - 2 * t, inner);
}

// Puts the drawn (not clear) pixels of a layer onto a frame of its size.
void Over(ArchiveFrame& f, const ArchiveFrame& layer) {
    for (size_t i = 0; i < f.pixels.size() && i < layer.pixels.size(); ++i)
        if (layer.pixels[i] != kClear) f.pixels[i] = layer.pixels[i];
}

// Head and shoulders on a clear w x h layer, the shoulders on its bottom row:
// the size s of the bust is the height, or a little more than the width in a
// tall frame (the shoulders run out of its sides), every part a share of it.
// Long hair falls to the shoulders; a grey-haired member wears a beard.
ArchiveFrame Bust(i32 w, i32 h, const Clothes& c, bool longHair, bool beard) {
    ArchiveFrame f = Blank(w, h);
    const i32 s = std::min(w * 13 / 10, h), cx = w / 2, hy = h - s * 53 / 100;
    auto S = [s](i32 percent) { return std::max(s * percent / 100, 1); };
    // Shoulders and the collar's opening, then the neck.
    Oval(f, cx, h + S(4), S(40), S(27), c.shirt);
    Oval(f, cx, h + S(8), S(40), S(20), Shade(c.shirt, -3));
    Box(f, cx - S(7), hy + S(14), 2 * S(7) + 1, S(22), Shade(c.skin, -3));
    Tri(f, cx - S(9), h - S(23), cx + S(9), h - S(23), cx, h - S(11), Shade(c.skin, -3));
    Limb(f, cx - S(10), h - S(24), cx, h - S(11), 0, Shade(c.shirt, 4));
    Limb(f, cx + S(10), h - S(24), cx, h - S(11), 0, Shade(c.shirt, 4));
    // Hair behind the head (down to the shoulders when long), then the face.
    Oval(f, cx, hy - S(2), S(22), S(23), c.hair);
    if (longHair) Box(f, cx - S(22), hy, 2 * S(22) + 1, S(30), c.hair);
    Oval(f, cx - S(17), hy + S(3), S(3), S(5), Shade(c.skin, -2));  // ears
    Oval(f, cx + S(17), hy + S(3), S(3), S(5), Shade(c.skin, -2));
    Oval(f, cx, hy + S(3), S(16), S(19), c.skin);
    if (beard) {
        Oval(f, cx, hy + S(14), S(14), S(9), c.hair);
        Box(f, cx - S(5), hy + S(12), 2 * S(5) + 1, S(2), Shade(c.skin, -8));  // the mouth in it
    }
    Oval(f, cx, hy - S(13), S(19), S(9), c.hair);  // fringe
    Oval(f, cx - S(8), hy - S(8), S(8), S(4), c.hair);
    // Eyes (whites and dark pupils when there is room), brows, nose, mouth.
    const i32 ey = hy + S(2), ex = S(7);
    for (i32 side : {-1, 1}) {
        const i32 x = cx + side * ex;
        if (s >= 40) {
            Oval(f, x, ey, S(3), S(2), Rgb(31, 31, 30));
            Box(f, x - S(1) / 2, ey - S(2), std::max(S(2), 2), S(4) + 1, kInk);
            Box(f, x - S(4), ey - S(5), 2 * S(4) + 1, std::max(S(1), 1), Shade(c.hair, -4));
        } else {
            Box(f, x, ey, 1, 2, kInk);
        }
    }
    Box(f, cx, hy + S(7), std::max(S(1), 1), S(3), Shade(c.skin, -5));  // nose
    if (!beard) Box(f, cx - S(4), hy + S(13), 2 * S(4) + 1, std::max(S(1), 1), Rgb(20, 9, 9));
    if (s >= 40) Outline(f, kInk);
    return f;
}

}  // namespace

ArchiveFrame PortraitFigure(i32 w, i32 h, i32 role, u16 back, u16 rim) {
    ArchiveFrame f = Blank(w, h, back);
    const bool member = role >= 0 && role < 8;
    const Clothes& c = member ? kHeroes[role] : kPlainClothes;
    // The second and the fourth are women with long hair; the fifth is grey and bearded.
    Over(f, Bust(w, h, c, role == 1 || role == 3, role == 4));
    Rim(f, rim);
    return f;
}

ArchiveFrame FaceFigure(u32 person) {
    ArchiveFrame f = Blank(kFaceSide, kFaceSide, kPortraitBackdrop);
    // The map's people: the first and the third in short hair, the second
    // long-haired; the guard in his grey tunic under a steel helmet with a
    // brim above the eyes and a strap down each cheek.
    const bool guard = person == sample_art::kGuardPerson;
    const Clothes& c = guard ? kGuardClothes : kTownsfolk[person % 6];
    Over(f, Bust(kFaceSide, kFaceSide, c, !guard && person % 3 == 1, false));
    if (guard) {
        const u16 steel = Rgb(21, 23, 25);
        const i32 cx = kFaceSide / 2, hy = kFaceSide - kFaceSide * 53 / 100;
        Oval(f, cx, hy - 8, 10, 6, steel);
        Box(f, cx - 11, hy - 3, 23, 2, Shade(steel, -6));
        Box(f, cx - 7, hy - 1, 1, 7, Shade(steel, -6));
        Box(f, cx + 7, hy - 1, 1, 7, Shade(steel, -6));
        Box(f, cx - 3, hy - 12, 6, 2, Shade(steel, 4));  // the light on its crown
    }
    Rim(f, kPortraitRim);
    return f;
}

ArchiveFrame MonsterPortraitFigure(i32 w, i32 h, u32 monster, u16 back, u16 rim) {
    ArchiveFrame f = Blank(w, h, back);
    // The backdrop lighter toward the top, a shadow under the feet.
    for (i32 y = 0; y < h; ++y)
        Box(f, 0, y, w, 1, Mix(Shade(back, 5), Shade(back, -3), y * 256 / h));
    Kind k = KindOf(monster);
    const i32 room = std::max(std::min((w - 12) * 256 / k.w, (h - 14) * 256 / k.h), 1);
    k.w = std::max(k.w * room / 256, 1);
    k.h = std::max(k.h * room / 256, 1);
    Oval(f, w / 2, h - 8, k.w * 2 / 5, 3, Shade(back, -8));
    ArchiveFrame body = Blank(k.w, k.h);
    DrawMonster(body, k, kPoseIdle);
    Outline(body, kInk);
    body = Mirrored(body);  // facing left, as in battle
    const i32 x0 = (w - k.w) / 2, y0 = h - 6 - k.h;
    for (i32 y = 0; y < k.h; ++y)
        for (i32 x = 0; x < k.w; ++x) {
            const u16 c = body.pixels[static_cast<size_t>(y) * k.w + x];
            if (c != kClear) Dot(f, x0 + x, y0 + y, c);
        }
    Rim(f, rim);
    return f;
}

// ---- Battle backdrops ----

namespace {

using namespace sample_battle;

constexpr i32 kHorizon = kHillBottom;       // the hills stand on it
constexpr i32 kSceneDeckTop = kShipBottom;  // the ship sails on the rows above

// A small fixed hash for textures: the same picture every run.
u32 Hash(i32 x, i32 y) {
    u32 h = static_cast<u32>(x) * 374761393u + static_cast<u32>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// The sky, by row: deep at the top, pale at the horizon.
u16 Sky(bool harbour, i32 y) {
    const u16 top = harbour ? Rgb(8, 10, 22) : Rgb(6, 12, 26),
              low = harbour ? Rgb(28, 20, 18) : Rgb(22, 26, 30);
    return Mix(top, low, std::min(y, kHorizon) * 256 / kHorizon);
}

// The harbour's deck starts at row deckTop: lower in the scenes, where the
// ship lies beside the pier, higher in battle, where it holds every place.
u16 Ground(bool harbour, i32 x, i32 y, i32 deckTop) {
    const i32 depth = (y - kHorizon) * 256 / (480 - kHorizon);
    if (!harbour) {
        u16 c = Mix(Rgb(8, 16, 6), Rgb(12, 24, 7), depth);
        if (Hash(x / 2, y) % 23 == 0) c = Shade(c, 3);  // tufts
        if (Hash(x, y / 3) % 41 == 0) c = Shade(c, -3);
        return c;
    }
    if (y < deckTop) {  // the sea beyond the pier
        u16 c = Mix(Rgb(4, 10, 18), Rgb(6, 14, 22), (y - kHorizon) * 256 / 90);
        return (x / 6 + y * 3) % 29 == 0 ? Shade(c, 6) : c;
    }
    // The deck's edge beam, then planks across the screen, seams every 24
    // rows and board ends staggered.
    if (y < deckTop + 4) return y == deckTop + 3 ? Rgb(6, 4, 2) : Rgb(22, 15, 8);
    const i32 row = (y - deckTop) / 24;
    u16 c = Mix(Rgb(15, 10, 5), Rgb(20, 13, 7), depth);
    if ((y - deckTop) % 24 == 0 || (x + row * 97) % 160 == 0) return Shade(c, -6);
    return Hash(x / 8, y) % 7 == 0 ? Shade(c, -1) : c;
}

// The ridge row of the hills at column x: mesas rising to kHillTop, one of
// them 20 columns wide round column 150, the rest lower.
i32 Ridge(i32 x) {
    const i32 peaks[4][2] = {{150, 0}, {330, 30}, {480, 14}, {620, 36}};
    i32 ridge = kHillBottom;
    for (const auto& [at, drop] : peaks) {
        const i32 d = std::max(std::abs(x - at) - 10, 0);
        ridge = std::min(ridge, kHillTop + drop + d / 2 + d * d / 400);
    }
    return ridge;
}

ArchiveFrame Layer1(bool harbour, i32 deckTop = kSceneDeckTop) {
    ArchiveFrame f = Blank(kLayerW, kLayerH);
    for (i32 y = 0; y < kLayerH; ++y)
        for (i32 x = 0; x < kLayerW; ++x)
            f.pixels[static_cast<size_t>(y) * kLayerW + x] =
                y < kHorizon ? Sky(harbour, y) : Ground(harbour, x, y, deckTop);
    // Clouds (or the low sun over the harbour).
    if (harbour) {
        Oval(f, 520, 90, 26, 26, Rgb(31, 26, 14));
    } else {
        for (const auto& [x, y] : {std::pair{90, 50}, std::pair{300, 80}, std::pair{520, 40}}) {
            Oval(f, x, y, 40, 10, Rgb(28, 29, 30));
            Oval(f, x - 16, y - 6, 18, 9, Rgb(30, 30, 31));
            Oval(f, x + 14, y - 7, 20, 10, Rgb(30, 30, 31));
        }
    }
    return f;
}

// Layer 2: the band of rows kHillTop..kHillBottom - 1, opaque: the sky again
// behind the hills (or the harbour's cliffs and its lighthouse).
ArchiveFrame Layer2(bool harbour) {
    ArchiveFrame f = Blank(kLayerW, kLayerH);
    const u16 far = harbour ? Rgb(9, 8, 12) : Rgb(10, 14, 20),
              near = harbour ? Rgb(6, 6, 8) : Rgb(7, 13, 9);
    for (i32 y = kHillTop; y < kHillBottom; ++y)
        for (i32 x = 0; x < kLayerW; ++x) {
            const i32 ridge = Ridge(x);
            u16 c = Sky(harbour, y);
            if (y >= ridge)
                c = Mix(far, near, (y - ridge) * 256 / std::max(kHillBottom - ridge, 1));
            if (y >= ridge && y < ridge + 3 && !harbour) c = Rgb(26, 27, 28);  // snow on the ridge
            f.pixels[static_cast<size_t>(y) * kLayerW + x] = c;
        }
    if (harbour) {  // the lighthouse on the far cliff
        Box(f, 474, kHillTop + 2, 12, 14, Rgb(28, 26, 20));
        Box(f, 476, kHillTop + 4, 8, 6, Rgb(31, 30, 12));
        for (i32 y = kHillTop + 16; y < kHillTop + 34; y += 6) Box(f, 472, y, 16, 3, Rgb(24, 4, 4));
    }
    return f;
}

// Layer 3: two posts kPostW wide at the screen's sides from kPostTop down:
// tree trunks in the field, pier posts with rope at the harbour.
ArchiveFrame Layer3(bool harbour) {
    ArchiveFrame f = Blank(kLayerW, kLayerH);
    const u16 wood = harbour ? Rgb(14, 9, 5) : Rgb(11, 7, 4);
    for (i32 y = kPostTop; y < kLayerH; ++y)
        for (i32 k = 0; k < kPostW; ++k) {
            // Lit from the left: lighter toward the middle of the left half.
            const i32 light = 4 - std::abs(k - kPostW / 3) / 3;
            u16 c = Shade(wood, light);
            if (!harbour && (k * 7 + y / 5) % 11 == 0) c = Shade(wood, -3);  // bark
            if (harbour && (y - kPostTop) % 60 < 5) c = Rgb(22, 19, 12);     // rope
            Dot(f, k, y, c);
            Dot(f, kLayerW - kPostW + k, y, c);
        }
    return f;
}

}  // namespace

ArchiveFrame BackdropFigure(bool harbour, int k) {
    if (k == 1) return Layer1(harbour, kPierDeckTop);
    return k == 2 ? Layer2(harbour) : Layer3(harbour);
}

namespace {

// A two-sailed ship with a black flag, its waterline at (cx, wy), scale in
// 256ths: hull, mast, sails and flag.
void Ship(ArchiveFrame& f, i32 cx, i32 wy, i32 scale) {
    auto s = [scale](i32 v) { return std::max(v * scale / 256, 1); };
    const i32 hullH = s(14), topW = s(36), bottomW = s(24);
    for (i32 r = 0; r < hullH; ++r) {
        const i32 half = topW - (topW - bottomW) * r / hullH;
        Box(f, cx - half, wy - hullH + r, 2 * half, 1, r == 0 ? Rgb(16, 10, 5) : Rgb(9, 5, 3));
    }
    const i32 deck = wy - hullH, mastH = s(62);
    Box(f, cx - s(2) / 2, deck - mastH, std::max(s(3), 1), mastH, Rgb(7, 4, 2));
    Tri(f, cx + s(3), deck - mastH + s(6), cx + s(3), deck - s(6), cx + s(34), deck - s(8),
        Rgb(27, 25, 21));
    Tri(f, cx - s(3), deck - mastH + s(12), cx - s(3), deck - s(6), cx - s(28), deck - s(8),
        Rgb(25, 23, 19));
    Box(f, cx, deck - mastH - s(7), s(12), s(7), Rgb(2, 2, 2));
    // Its wake on the water.
    Box(f, cx - topW - s(20), wy, s(20), 1, Rgb(12, 16, 22));
}

}  // namespace

ArchiveFrame OpeningFigure(int step, int steps) {
    ArchiveFrame f = HarbourFigure();
    // Night: every colour but the lamp's far down toward a deep blue; the
    // dusk sun is gone under the sky of its rows.
    const u16 lamp = Rgb(31, 30, 12), night = Rgb(1, 2, 7);
    for (u16& c : f.pixels)
        if (c != lamp) c = Mix(c, night, 176);
    for (i32 y = 60; y <= 120; ++y) Box(f, 490, y, 61, 1, Mix(Sky(true, y), night, 176));
    for (i32 k = 0; k < 60; ++k) {
        const u32 h = Hash(k, 7);
        const i32 x = static_cast<i32>(h % 640), y = static_cast<i32>(h / 640 % kHillTop);
        Dot(f, x, y, k % 5 ? Rgb(20, 20, 24) : Rgb(30, 30, 31));
    }
    // The moon climbs from the cliffs' line, its light on the water below it.
    const i32 t = steps > 1 ? std::clamp(step, 0, steps - 1) * 256 / (steps - 1) : 256;
    const i32 start = kHillBottom, end = kOpeningMoonTop + kOpeningMoonR;
    const i32 cy = start + (end - start) * t / 256;
    ArchiveFrame sky = Blank(640, kHillBottom);
    Oval(sky, kOpeningMoonX, cy, kOpeningMoonR + 6, kOpeningMoonR + 6, Rgb(10, 11, 18));
    Oval(sky, kOpeningMoonX, cy, kOpeningMoonR, kOpeningMoonR, Rgb(30, 30, 24));
    Oval(sky, kOpeningMoonX - 9, cy - 6, 7, 6, Rgb(25, 25, 20));  // its seas
    Oval(sky, kOpeningMoonX + 8, cy + 9, 5, 4, Rgb(26, 26, 21));
    // Only above the hills: the moon rises from behind them.
    for (i32 y = 0; y < kHillBottom; ++y)
        for (i32 x = 0; x < 640; ++x) {
            const u16 c = sky.pixels[static_cast<size_t>(y) * 640 + x];
            if (c != kClear && y < Ridge(x)) Dot(f, x, y, c);
        }
    for (i32 y = kHorizon + 4; y < 290; y += 5) {
        const i32 w = (2 * (y - kHorizon) / 3 + 8) * t / 256;
        Box(f, kOpeningMoonX - w / 2, y, w, 1, Rgb(22, 22, 18));
    }
    return f;
}

ArchiveFrame BirdFigure(i32 wings, bool right) {
    constexpr u16 kWing = Rgb(22, 22, 25), kTip = Rgb(3, 3, 4), kBody = Rgb(30, 30, 31),
                  kBeak = Rgb(30, 22, 4);
    ArchiveFrame f = Blank(16, 8);
    // Wing tips at rows 0, 3 and 7 for raised, spread and lowered, joined at
    // the body in the middle of row 4; dark tips, a dark rim round it all.
    const i32 tip = wings <= 0 ? 0 : (wings == 1 ? 3 : 7);
    const i32 inner = tip < 4 ? tip + 1 : tip - 1;
    Limb(f, 1, tip, 5, 4, 0, kWing);
    Limb(f, 2, inner, 6, 4, 0, kWing);
    Limb(f, 14, tip, 10, 4, 0, kWing);
    Limb(f, 13, inner, 9, 4, 0, kWing);
    Dot(f, 1, tip, kTip);
    Dot(f, 14, tip, kTip);
    Box(f, 5, 4, 6, 2, kBody);
    Dot(f, 11, 4, kBody);
    Dot(f, 12, 4, kBeak);
    return right ? f : Mirrored(f);
}

ArchiveFrame BurstFigure(u16 ray, int k) {
    const u16 core = Rgb(31, 31, 28);
    ArchiveFrame f = Blank(48, 48);
    const i32 reach = 10 + 7 * k, width = k == 2 ? 0 : 1;
    // The diagonal rays a little shorter than the straight ones.
    static const i32 dx[8] = {1, 1, 0, -1, -1, -1, 0, 1}, dy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    for (int r = 0; r < 8; ++r) {
        const i32 len = r % 2 ? reach * 3 / 4 : reach;
        Limb(f, 24, 24, 24 + dx[r] * len, 24 + dy[r] * len, width, ray);
    }
    if (k < 2) Oval(f, 24, 24, 5 - 2 * k, 5 - 2 * k, core);
    return f;
}

ArchiveFrame HarbourFigure() {
    ArchiveFrame f = Layer1(true);
    for (const ArchiveFrame& layer : {Layer2(true), Layer3(true)})
        for (size_t i = 0; i < f.pixels.size(); ++i)
            if (layer.pixels[i] != kClear) f.pixels[i] = layer.pixels[i];
    return f;
}

ArchiveFrame HarbourShipFigure(int step, int steps) {
    ArchiveFrame f = HarbourFigure();
    // From beside the pier out toward the horizon, smaller as it goes.
    const i32 t = steps > 1 ? std::clamp(step, 0, steps - 1) * 256 / (steps - 1) : 0;
    Ship(f, 300 + 260 * t / 256, 284 - 78 * t / 256, 256 - 200 * t / 256);
    return f;
}
