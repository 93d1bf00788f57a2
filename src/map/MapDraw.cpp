// One frame of the map screen in layers: ground, people, act lists, timed
// objects, weather, markers, fade, wipe strips, heads, dialogue and cursor.
#include "map/MapDraw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Types.h"
#include "engine/FrameState.h"
#include "engine/LineFilter.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/PlainBlit.h"
#include "engine/Random.h"
#include "engine/Tsw.h"
#include "engine/Water.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/GameFlags.h"
#include "map/ActDraw.h"
#include "map/AntiAliasObject.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/KeyCole.h"
#include "map/MapArchive.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "map/SessionServices.h"
#include "map/StoryLink.h"

std::vector<ActNode> gMapActList;
std::vector<ActNode> gTopActList;
std::vector<TimedObject> gTimedObjects;
std::vector<WipeStrip> gWipeStrips;
ColorFade gColorFade;
ScriptActList gScriptActA, gScriptActB;

namespace {

struct Bird {
    ActPlayer act;
    i32 x = -10000, y = 0, vx = 2, vy = 0;
};
struct Streak {
    i32 x = 0, y = 0, slant = 0, speed = 0, length = 0, steps = 0;
    bool live = false;
};
struct Glow {
    i32 x = 0, y = 0, speed = 0;
    bool live = false;
};
struct Particle {
    ActPlayer act;
    i32 x = -100000, y = -100000, vx = 0, vy = 0;
    i32 wait = 0, waitTarget = 20, count = 0, tint = 0, tintTarget = 0;
};
struct Band {
    i32 x = 0, y = 0, w = 76, h = 1;
};

// The weather pools and counters: the scene buffer that map entry clears.
struct Weather {
    Bird birds[4];
    Streak streaks[64];
    int flashLevel = 0;
    Glow glows[96];
    int glowLevel = 0;
    Particle particles[2];
    Band bands[48];
    u32 frame = 0;
};
Weather& W() {
    static Weather w;
    return w;
}

bool Visible16(i32 x, i32 y) {
    const ClipRect& c = gClipRect;
    return x >= c.left && y >= c.top && x + 16 <= c.left + c.width && y + 16 <= c.top + c.height;
}
bool Touches(i32 x, i32 y, i32 w, i32 h) {
    const ClipRect& c = gClipRect;
    return x + w > c.left && y + h > c.top && x < c.left + c.width && y < c.top + c.height;
}

void ClipSpotlight() {
    SetClip(gSpotX - 192, gSpotY - 192, gSpotX + 192, gSpotY + 192);
}

u16* Line(int y) {
    return PaintPixelAddr(0, y);
}

}  // namespace

// ---- ground ----

namespace {

// The plain 16-bit tiles of one row of cells that lie wholly on the screen,
// drawn a screen row at a time: each row of the canvas is written from left
// to right once instead of in 32-byte pieces sixteen rows apart.
struct PlainRow {
    static constexpr int kMax = 640 / 16;  // whole cells side by side on a screen row
    i32 x[kMax] = {};
    const u8* src[kMax] = {};
    int count = 0;
    // False when the row is full (no screen has room for more).
    bool Add(i32 at, const void* tile) {
        if (count == kMax) return false;
        x[count] = at;
        src[count++] = static_cast<const u8*>(tile);
        return true;
    }
    void Draw(i32 y) const {
        if (count == 0) return;
        // Row by row down from row y, as a tile is drawn.
        u8* line = reinterpret_cast<u8*>(gPaintBuf) + gRowOffsets[y];
        for (int k = 0; k < 16; ++k, line += gScreenPitch)
            for (int i = 0; i < count; ++i) std::memcpy(line + 2 * x[i], src[i] + 32 * k, 32);
    }
};

}  // namespace

void DrawGround() {
    if (!gMap.cells || !gMap.layerGrid || !gMap.Pixel || gMap.width == 0) return;
    bool eight = gMap.tileBits == 8;
    u32 tileBytes = eight ? 256 : 512;
    u32 first = eight ? 2 : 0;
    u32 tiles = gMap.pixelSize / tileBytes;
    tiles = tiles > first ? tiles - first : 0;
    const u16* palette = eight ? reinterpret_cast<const u16*>(gMapScene.palette) : nullptr;
    const u16* oldPalette = gPaintPalette;
    gPaintPalette = palette;
    i32 mw = static_cast<i32>(gMap.width), mh = static_cast<i32>(gMap.height);
    // A view left of or above the map starts at cell 0.
    i32 c0 = std::max(0, gViewX >> 4), r0 = std::max(0, gViewY >> 4);
    i32 c1 = std::min(mw, ((gViewX + 640 + 15) >> 4)),
        r1 = std::min(mh, ((gViewY + 480 + 15) >> 4));
    size_t layer = gTileAnim.offset;
    size_t grid = static_cast<size_t>(gMap.layers ? gMap.layers : 1) * mw * mh;
    PlainRow plain;
    for (i32 r = r0; r < r1; ++r) {
        i32 y = r * 16 - gViewY;
        plain.count = 0;
        for (i32 c = c0; c < c1; ++c) {
            size_t ci = static_cast<size_t>(r) * mw + c;
            u32 cell = gMap.cells[ci];
            if (cell & 0x08000000) continue;
            if (layer + ci >= grid) continue;
            u32 tile = gMap.layerGrid[layer + ci];
            // A tile beyond the map's pictures draws nothing.
            if (tile >= tiles) continue;
            i32 x = c * 16 - gViewX;
            if (!Touches(x, y, 16, 16)) continue;
            gCurPic = gMap.Pixel + static_cast<size_t>(tile + first) * tileBytes;
            bool key = (cell & 0x04000000) != 0;
            if (Visible16(x, y)) {
                if (eight)
                    key ? PutTile8Key(x, y) : PutTile8(x, y);
                else if (key)
                    PutTile16Key(x, y);
                else if (!plain.Add(x, gCurPic))
                    PutTile16(x, y);
            } else {
                PutPic(x, y, 16, 16, key ? 4 : 0, nullptr);
            }
        }
        plain.Draw(y);
    }
    gPaintPalette = oldPalette;
}

// ---- people ----

void DrawDepthRows() {
    static const int kOrder[3] = {2, 0, 1};
    i32 top = gViewY / 16 - 20;
    i32 last = std::min<i32>(top + 70, static_cast<i32>(gMap.height) + 20);
    for (int b : kOrder) {
        for (i32 r = top; r < last; ++r) {
            for (RoleSlot* s = BucketRow(b, r); s; s = s->next) {
                DrawRole(s);
                if (s->soundId) UpdateRoleSound(s);
            }
        }
    }
}

// ---- act lists, timed objects, overlays ----

void PlayAct(std::vector<ActNode>& list) {
    for (size_t i = 0; i < list.size();) {
        ActNode& n = list[i];
        if (!TakeActData(&n.act)) ReportActError("Act Err16(PicPaint:PlayAct)", &n.act, 0xFFFF);
        if (PicFrame* f = n.act.pic ? GetPic(n.act.pic, n.act.frame) : nullptr) {
            gPaintAlpha = n.level;
            gCurPic = f->pixels;
            PutPic(n.x - n.offX - n.act.xOff, n.y - n.offY - n.act.yOff, f->width, f->height,
                   static_cast<i32>(n.mode), f->alpha);
        }
        if (n.sound) {
            RoleSlot* p = gPlayerSlot > 0 ? &gMapRoles[gPlayerSlot] : nullptr;
            PlaySfxFrom(n.sound, n.x + gViewX, n.y + gViewY, p ? p->x : n.x + gViewX,
                        p ? p->y : n.y + gViewY, static_cast<int>(gSfxVolume));
            n.sound = 0;
        }
        if (n.endMark == 1)
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

void PlayScriptActs(ScriptActList& list) {
    auto prev = list.before_begin();
    for (auto it = list.begin(); it != list.end();) {
        ActPlayer& a = it->act;
        if (!TakeActData(&a)) ReportActError("Act Err16(PicPaint:PlayAct)", &a, 0xFFFF);
        i32 x = static_cast<i32>(it->k1), y = static_cast<i32>(it->k2);
        DrawActPicture(&a, x, y, 0);
        if (a.sound) {
            RoleSlot* p = gPlayerSlot > 0 ? &gMapRoles[gPlayerSlot] : nullptr;
            PlaySfxFrom(a.sound, x + gViewX, y + gViewY, p ? p->x : x + gViewX,
                        p ? p->y : y + gViewY, static_cast<int>(gSfxVolume));
            a.sound = 0;
        }
        if (a.ended) {
            it = list.erase_after(prev);
            continue;
        }
        prev = it++;
    }
}

void DrawTObj() {
    for (size_t i = 0; i < gTimedObjects.size();) {
        TimedObject& o = gTimedObjects[i];
        if (!TakeActData(&o.act)) ReportActError("Act Err18(PicPaint:DrawTObj)", &o.act, 0xFFFF);
        i32 sx = static_cast<i32>(o.x) - gViewX, sy = static_cast<i32>(o.y) - gViewY;
        if (sx >= -71 && sx <= 711 && sy >= -71 && sy <= 551) {
            DrawActPicture(&o.act, sx, sy, 0);
            if (!o.hold) {
                o.x += o.vx;
                o.y += o.vy;
                if (std::fabs(o.x - o.targetX) <= 32 && std::fabs(o.y - o.targetY) <= 32) {
                    gTimedObjects.erase(gTimedObjects.begin() + static_cast<std::ptrdiff_t>(i));
                    continue;
                }
            }
        }
        ++i;
    }
}

void DrawOverlayPictures() {
    ClipRect full = gClipRect;
    for (const MapOverlay& o : gMapOverlays) {
        if (!o.pic) continue;
        i32 left = std::max(o.left, gViewX), top = std::max(o.top, gViewY);
        i32 right = std::min(o.right + 16, gViewRight),
            bottom = std::min(o.bottom + 16, gViewBottom);
        if (left >= right || top >= bottom) continue;
        i32 L = left - gViewX, T = top - gViewY;
        auto shift = [](i32 view, i32 viewFar, i32 at, i32 f, i32 edge) {
            if (f == 8) return view < at ? 0 : view - at;
            i32 s = (viewFar - at) * f / 16;
            return view < at ? s + edge : s;
        };
        i32 sx = shift(gViewX, gViewRight, o.left, static_cast<i32>(o.attr1), L);
        i32 sy = shift(gViewY, gViewBottom, o.top, static_cast<i32>(o.attr2), T);
        SetClip(L, T, right - gViewX, bottom - gViewY);
        gCurPic = o.pic;
        PutPic(L - sx, T - sy, o.width, o.height, 0, nullptr);
        gClipRect = full;
    }
}

// ---- wipe strips and fade ----

void DrawWipeStrips() {
    if (!gPaintBuf) return;
    for (size_t i = 0; i < gWipeStrips.size();) {
        WipeStrip& s = gWipeStrips[i];
        u32 mode = s.mode;
        bool done = true, freeIt = false;
        for (i32 k = 0; k < s.lines; ++k) {
            i32& len = s.lens[k];
            i32& off = s.offs[k];
            i32 from = 0, n = s.length;
            if (mode & kWipeStatic) {
            } else if (mode & kWipeGrow) {
                len = std::min(s.length, len + 2 * static_cast<i32>(RandomN(6)) + 48);
                n = len;
                done &= len >= s.length;
            } else if (mode & kWipeShrink) {
                off = std::max(0, off - 48 - 2 * static_cast<i32>(RandomN(24)));
                n = s.length - off;
                done &= off == 0;
            } else if (mode & kWipeGrowFree) {
                off = std::min(s.length, off + 2 * static_cast<i32>(RandomN(48)) + 48);
                from = off;
                n = std::max(2, s.length - off);
                done &= off >= s.length;
                freeIt = true;
            } else if (mode & kWipeShrinkFree) {
                len = std::max(2, len - 48 - 2 * static_cast<i32>(RandomN(48)));
                n = len;
                done &= len <= 2;
                freeIt = true;
            }
            i32 y = s.y + k, x = (s.x + from) & ~1;
            if (y < 0 || y >= 480 || n <= 0) continue;
            // A line that starts left of the screen loses the part that lies there.
            if (x < 0) n += x, x = 0;
            n = std::min(n, 640 - x) & ~1;
            if (n <= 0) continue;
            u32 pair = static_cast<u32>(s.colour) | (static_cast<u32>(s.colour) << 16);
            BlendLineToColor(reinterpret_cast<u32*>(Line(y) + x), pair, n);  // n pixels, two a word
        }
        if (!(mode & kWipeStatic) && done) {
            if (freeIt) {
                gWipeStrips.erase(gWipeStrips.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            s.mode |= kWipeStatic;
        }
        ++i;
    }
}

void ApplyColorFade(int step) {
    ColorFade& f = gColorFade;
    if (f.delta[0] == 0 && f.delta[1] == 0 && f.delta[2] == 0) return;
    if (step == 1 && f.counter >= 0) --f.counter;
    for (int c = 0; c < 3; ++c) {
        if (f.counter >= 0)
            f.acc[c] += f.delta[c];
        else
            f.delta[c] = f.finalDelta[c];
    }
    if (!gPaintBuf) return;
    for (int y = 0; y < 480; ++y)
        AdjustRGB(Line(y), 640, static_cast<i32>(f.acc[0]), static_cast<i32>(f.acc[1]),
                  static_cast<i32>(f.acc[2]));
}

// ---- cursor ----

void RefrashCursor() {
    if (!GetGameFlag(kMenuKeysOffFlag)) DrawMapHud();
    ActPlayer* c = gNewGame.cursor;
    if (!c) return;
    bool box = DialogTakesMouse();
    if (box) c->action = DialogWantsPointer() ? 4 : 12;
    if (!TakeActData(c)) {
        ReportActError("Act Err17(RefrashCursor)", c, 0);
        return;
    }
    if (TalkOwner() == 0xFFFF || box) DrawActPicture(c, gMouseX, gMouseY, 0);
}

// ---- weather ----

void DrawBirds() {
    Weather& w = W();
    i32 mw = static_cast<i32>(gMap.width) * 16, mh = static_cast<i32>(gMap.height) * 16;
    for (Bird& b : w.birds) {
        if (b.x < -120 || b.x > mw + 120) {
            b.vx = static_cast<i32>(RandomN(7)) - 3;
            if (b.vx == 0) b.vx = 2;
            b.vy = static_cast<i32>(RandomN(5)) - 2;
            b.x = b.vx > 0 ? -64 : mw + 64;
            b.y = static_cast<i32>(RandomN(static_cast<u32>(std::max(1, mh))));
            ResetActPlayer(&b.act);
            b.act.act = 9005;
        }
        if (RandomN(4) != 0) {
            b.vx = std::clamp(b.vx + static_cast<i32>(RandomN(3)) - 1, -5, 5);
            if (b.vx == 0) b.vx = 1;
            b.vy = std::clamp(b.vy + static_cast<i32>(RandomN(3)) - 1, -3, 3);
        }
        b.x += b.vx;
        b.y += b.vy;
        b.act.action = (b.vy < 0 ? 52 : b.vy == 0 ? 54 : 56) + (b.vx > 0 ? 1 : 0);
        if (TakeActData(&b.act)) DrawActPicture(&b.act, b.x - gViewX, b.y - gViewY, 0);
    }
}

void DrawFlash() {
    Weather& w = W();
    if (RandomN(1000) > 900) {
        if (GetGameFlag(kFlashFlag))
            w.flashLevel = std::min(8, w.flashLevel + 1);
        else
            w.flashLevel = std::max(0, w.flashLevel - 1);
    }
    int live = 0;
    for (Streak& s : w.streaks) live += s.live;
    for (Streak& s : w.streaks) {
        if (live >= w.flashLevel) break;
        if (s.live) continue;
        s = Streak{static_cast<i32>(RandomN(640)),
                   0,
                   static_cast<i32>(RandomN(3)),
                   16 + static_cast<i32>(RandomN(30)),
                   8 + static_cast<i32>(RandomN(16)),
                   32,
                   true};
        if (s.x >= 320) s.slant = -s.slant;
        ++live;
    }
    if (!gPaintBuf) return;
    for (Streak& s : w.streaks) {
        if (!s.live) continue;
        for (i32 k = 0; k < s.length; ++k) {
            i32 x = s.x + s.slant * k / 4, y = s.y + k;
            if (x < 0 || x >= 640 || y < 0 || y >= 480) continue;
            u16* p = Line(y) + x;
            AdjustRGB(p, 1, k / 3, k / 3, k / 3);
        }
        s.x += s.slant * s.speed / 16;
        s.y += s.speed;
        if (--s.steps <= 0 || s.y >= 480) s.live = false;
    }
}

void DrawFlash2() {
    Weather& w = W();
    if (RandomN(1000) > 100) w.glowLevel = GetGameFlag(kGlowFlag) ? 1 : 0;
    for (Glow& g : w.glows) {
        if (!g.live && w.glowLevel > 0 && RandomN(100) < 2)
            g = Glow{static_cast<i32>(RandomN(640)), 479, 1 + static_cast<i32>(RandomN(4)), true};
        if (!g.live) continue;
        if (gPaintBuf) {
            auto light = [](i32 x, i32 y, i32 v) {
                if (x >= 0 && x < 640 && y >= 0 && y < 480) AdjustRGB(Line(y) + x, 1, v, v, v);
            };
            light(g.x, g.y, 8);
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                light(g.x + dx, g.y + dy, 4);
            for (auto [dx, dy] : {std::pair{1, 1}, {-1, 1}, {1, -1}, {-1, -1}})
                light(g.x + dx, g.y + dy, 2);
        }
        g.y -= g.speed;
        if (g.y < 0) g.live = false;
    }
}

void DrawParticles() {
    Weather& w = W();
    i32 mw = static_cast<i32>(gMap.width), mh = static_cast<i32>(gMap.height);
    for (Particle& p : w.particles) {
        bool inside = p.x >= -639 && p.x <= (mw + 40) * 16 && p.y >= -319 && p.y <= (mh + 20) * 16;
        if (!inside) {
            if (RandomN(1000) < 990) continue;
            p.tintTarget = 0;
            p.waitTarget = 20;
            ResetActPlayer(&p.act);
            p.act.act = 9002;
            p.x = static_cast<i32>(RandomN(static_cast<u32>(std::max(1, mw * 16))));
            switch (gMapScene.attribute & 3) {
                case 0:
                    p.y = mh * 16 + 118, p.vx = -2, p.vy = -2;
                    break;
                case 1:
                    p.y = mh * 16 + 118, p.vx = RandomN(2), p.vy = RandomN(2);
                    break;
                case 2:
                    p.y = -300, p.vx = -1 - RandomN(2), p.vy = -1 - RandomN(2);
                    break;
                default:
                    p.y = -300, p.vx = RandomN(2), p.vy = RandomN(2);
                    break;
            }
            continue;
        }
        if (++p.count >= p.wait) {
            p.count = 0;
            i32 sx = (gScrollStepX * static_cast<i32>(gWalkStep)) / 4;
            i32 sy = (gScrollStepY * static_cast<i32>(gWalkStep)) / 4;
            p.x += p.vx + sx;
            p.y += p.vy + sy;
        }
        u32 r = RandomN(1000);
        if (r < 25) p.waitTarget = 1 + static_cast<i32>(RandomN(5));
        if (r < 5) p.tintTarget = -5 + static_cast<i32>(RandomN(4));
        p.wait += (p.waitTarget > p.wait) - (p.waitTarget < p.wait);
        p.tint += (p.tintTarget > p.tint) - (p.tintTarget < p.tint);
        if (!TakeActData(&p.act)) continue;
        gPaintTintR = gPaintTintG = gPaintTintB = p.tint;
        DrawActPicture(&p.act, p.x - gViewX, p.y - gViewY, 4);
    }
}

void DrawShimmer() {
    Weather& w = W();
    if (w.frame++ % 4 == 0) {
        for (int k = 0; k < 48; ++k) {
            Band& b = w.bands[k];
            b.x = (k % 8) * 80 + static_cast<i32>(RandomN(4));
            b.y = (k / 8) * 80 + static_cast<i32>(RandomN(60));
            b.w = 76 + static_cast<i32>(RandomN(75));
            b.h = 1 + static_cast<i32>(RandomN(20));
        }
    }
    if (!gPaintBuf) return;
    for (const Band& b : w.bands) {
        i32 n = std::min(b.w, 640 - b.x);
        for (i32 y = b.y; y < b.y + b.h && y + 1 < 480; ++y)
            if (n > 0) std::memmove(Line(y) + b.x, Line(y + 1) + b.x, static_cast<size_t>(n) * 2);
    }
}

void DrawRipples() {
    if (!gWaterList || !gPaintBuf) return;
    cWater* prev = gWaterList;
    for (cWater* w = gWaterList->next; w;) {
        w->GrabScreen(gPaintBuf, static_cast<int>(gRowOffsets[1] / 2));
        w->Render(gPaintBuf, static_cast<int>(gRowOffsets[1] / 2));
        cWater* next = w->next;
        if (w->Step()) {
            prev->next = next;
            delete w;
        } else {
            prev = w;
        }
        w = next;
    }
}

void DeleteRipplesButHead() {
    if (!gWaterList) return;
    while (cWater* w = gWaterList->next) {
        gWaterList->next = w->next;
        delete w;
    }
}

// ---- the frame ----

void DrawWorld() {
    if (!gPaintBuf) return;
    SetClip(0, 0, 640, 480);
    if (gViewMode & kViewSpotlight) ClipSpotlight();
    if (GetGameFlag(kBlackCanvasFlag) || GetGameFlag(kSpotlightClipFlag)) {
        for (int y = 0; y < 480; ++y) std::memset(Line(y), 0, 1280);
    }
    if (PicShowRunning()) {
        RunPicShow();
    } else if (gViewMode & kViewChanging) {
        for (int y = 0; y < 480; ++y) std::memset(Line(y), 0, 1280);
        PlayAct(gTopActList);
        PlayScriptActs(gScriptActB);
    } else {
        DrawOverlayPictures();
        if (!GetGameFlag(kSceneSwitchFlag) && GetGameFlag(kSpotlightClipFlag)) ClipSpotlight();
        DrawGround();
        DrawDepthRows();
        PlayAct(gMapActList);
        PlayScriptActs(gScriptActA);
        DrawTObj();
        if (!GetGameFlag(kSceneSwitchFlag)) {
            if (GetGameFlag(kBirdsFlag)) DrawBirds();
            if (GetGameFlag(kFlashFlag) || W().flashLevel > 0) DrawFlash();
            if (GetGameFlag(kGlowFlag) || W().glowLevel > 0) DrawFlash2();
            if (GetGameFlag(kParticlesFlag)) DrawParticles();
            if (GetGameFlag(kShimmerFlag)) DrawShimmer();
            DrawRipples();
            if (GetGameFlag(kSpotlightMaskFlag)) DrawSpotlightMask();
        }
        PlayAct(gTopActList);
        PlayScriptActs(gScriptActB);
    }
    SetClip(0, 0, 640, 480);
    bool tintAll = GetGameFlag(kFadeAllFlag) != 0;
    if (!tintAll) ApplyColorFade(1);
    DrawWipeStrips();
    drawRoleHead();
    DlgMessage();
    if (tintAll) ApplyColorFade(1);
    if (gFrameId == kMapMode && !gBattleActive && GetGameFlag(kCursorOnFlag) &&
        !GetGameFlag(kCursorFrameOffFlag) && !GetGameFlag(kCursorOffFlag))
        RefrashCursor();
}

// ---- lists ----

void ReleaseScriptObjectLists() {
    gMapActList.clear();
    gTopActList.clear();
    gScriptActA.clear();
    gScriptActB.clear();
}
void ReleaseWipeEffects() {
    gWipeStrips.clear();
}

void MakeWipeStrip(u32 n, i32 x, i32 y, u32 lines, u32 length, u16 colour, u16 modeWord) {
    FreeWipeStrip(n);
    WipeStrip s;
    s.id = n;
    s.x = x;
    s.y = y;
    s.lines = static_cast<i32>(lines);
    s.length = static_cast<i32>(length);
    s.colour = ConvertPixel(colour);
    s.mode = modeWord >> 8;
    // Growing lines start empty, shrinking ones full; an offset is where a line's drawn part
    // begins.
    bool startsEmpty = (s.mode & (kWipeGrow | kWipeStatic)) == kWipeGrow;
    bool shrinkUp = (s.mode & (kWipeShrink | kWipeStatic | kWipeGrow)) == kWipeShrink;
    s.lens.assign(lines, startsEmpty ? 0 : s.length);
    s.offs.assign(lines, shrinkUp ? s.length : 0);
    gWipeStrips.push_back(std::move(s));
}

void FreeWipeStrip(u32 n) {
    std::erase_if(gWipeStrips, [n](const WipeStrip& s) { return s.id == n; });
}
void ReleaseTimedObjects() {
    gTimedObjects.clear();
}

void ClearWeather() {
    W() = Weather{};
}

// The colour fade is the story's and outlives a map change: a change behind
// a fade stays dark until the fade brings the new map in.
void ResetSceneLayers() {
    ClearWeather();
}

void ResetMapDraw() {
    ReleaseScriptObjectLists();
    ReleaseWipeEffects();
    ReleaseTimedObjects();
    ResetSceneLayers();
    gColorFade = ColorFade{};
}
