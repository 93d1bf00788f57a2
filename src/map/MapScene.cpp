// The per-frame movement of the map's people, the view's shake and quake, the
// ground-tile animation, the drawing of one role and its positional sound.
#include "map/MapScene.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <tuple>

#include "base/ByteIo.h"
#include "base/Types.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/DDraw.h"
#include "engine/ErrorBox.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "engine/ZoomBlit.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/GameFlags.h"
#include "map/AStar.h"
#include "map/ActDraw.h"
#include "map/Behaviour.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/Ghosts.h"
#include "map/KeyCole.h"
#include "map/MapArchive.h"
#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "map/RoleTable.h"
#include "map/RoleWalk.h"
#include "map/Scale.h"
#include "map/StoryLink.h"

u32 gViewMode = 0;
i32 gSpotX = 320, gSpotY = 240;
i32 gShakeLeftX = 0, gShakeLeftY = 0, gShakeStepX = 0, gShakeStepY = 0;
u8 gQuakeTable[128];
u32 gQuakeIndex = 0, gQuakePeriod = 1, gQuakeCountdown = 0, gQuakeBaseX = 0, gQuakeBaseY = 0;
u32 gMapCycle = 1;
TileAnim gTileAnim;
ActPlayer gActSlots[kActSlots];
u32 gPicShowCounter = 0;
PicSlot gPicSlots[kPicSlots];
RoleFade gRoleFade;
u32 gPlayerStands = 1;
u32 gDebugOverlay = 0;

namespace {

std::set<std::tuple<std::string, u16, i32>>& Reported() {
    static std::set<std::tuple<std::string, u16, i32>> s;
    return s;
}

bool OnCell(const RoleSlot& s) {
    return ((s.x | s.y) & 15) == 0;
}

RoleSlot* Row(int i) {
    if (i <= 0 || i >= gMapRoleCount || i >= kRoleRows) return nullptr;
    return &gMapRoles[i];
}

int SlotIndex(const RoleSlot* s) {
    return static_cast<int>(s - gMapRoles);
}

u32* CellAt(i32 x, i32 y) {
    if (!gMap.cells || x < 0 || y < 0) return nullptr;
    u32 cx = static_cast<u32>(x) >> 4, cy = static_cast<u32>(y) >> 4;
    if (cx >= gMap.width || cy >= gMap.height) return nullptr;
    return &gMap.cells[static_cast<size_t>(cy) * gMap.width + cx];
}

bool Shown(const RoleSlot& s) {
    return (s.state & kRoleDrawnBits) == kRoleShown;
}

// A step that never carries a role past the next cell boundary in one frame.
i32 ClampToBoundary(i32 pos, i32 step) {
    if (step == 0) return 0;
    i32 within = pos & 15;
    i32 room = step > 0 ? 16 - within : (within ? within : 16);
    if (std::abs(step) > room) return step > 0 ? room : -room;
    return step;
}

void CopyCellBits(RoleSlot& s) {
    if (!(s.state & kRoleTakesCell) || !s.cell) return;
    u32 c = *s.cell;
    s.state &= ~(kRoleShadow | kRoleTint);
    if (c & kCellShadow) s.state |= kRoleShadow;
    s.state |= ((c & kCellTint) >> kCellTintShift) << kRoleTintShift;
}

// The role stands on a new cell, come from (dx, dy) cells away: its footprint
// leaves the old cells and its cell pointer follows.
void EnterCell(RoleSlot& s, i32 dx, i32 dy) {
    u16 x = s.x, y = s.y;
    s.x = static_cast<u16>(x - 16 * dx);
    s.y = static_cast<u16>(y - 16 * dy);
    ClearRoleFootprint(&s);
    s.x = x;
    s.y = y;
    s.cell = CellAt(s.x, s.y);
    if (Shown(s)) MarkRoleFootprint(&s);
    CopyCellBits(s);
}

void Arrive(int i, RoleSlot& s, RoleRoute& r) {
    s.state &= ~(kWalkUnderWay | kRoleDoubleStep);
    s.state |= kWalkArrived;
    ActPlayer* a = s.act;
    if (a) {
        a->delayOverride = 0;
        if (r.arriveAct != 0xFFFF) a->act = r.arriveAct;
        if (r.arriveAction != 0xFFFF) a->action = r.arriveAction;
        if (r.arriveDir != 0xFFFF) a->dir = r.arriveDir;
    }
    if (!(r.state & kRouteKeep)) {
        AdvanceRoleWalk(i);
        // A behaviour walk ends at its target; a story walk went on or was freed above.
        if (r.role == i && (r.state & kRouteStateMask) == kRouteBehaviour) ClearRoleRoute(&r);
        // A queued target keeps the role held for its next leg.
        if (!RoleHasWalk(i)) s.state &= ~kWalkHeld;
        if (a) a->delayCount = 0;
    }
    if (i == gPlayerSlot) {
        gScrollStepX = gScrollStepY = gPlayerStepX = gPlayerStepY = 0;
        ClearKeyStates();
        if (!(gViewMode & kViewNoFollow)) CenterCameraOnPlayer();
    }
    s.state &= ~kWalkThrough;
}

void TouchTalk(int i, RoleSlot& s) {
    if (!(s.state & kRoleTouchTalk) || TalkOwner() != 0xFFFF || !s.cell) return;
    int w, h;
    RoleFootprint(&s, &w, &h);
    if (GetBlockedDirections(s.cell, w, h, kCellPlayer)) StartTouchTalk(i);
}

void StepRoute(RoleRoute& r) {
    RoleSlot* sp = Row(r.role);
    if (!sp || !(sp->state & kRoleShown)) return;
    RoleSlot& s = *sp;
    int i = r.role;
    if (TalkOwner() == s.roleId && (r.state & kRouteStateMask) == kRouteBehaviour) return;
    if ((s.state & kRoleTurnsToTalk) && s.talkLock == 1) return;
    ActPlayer* a = s.act;
    u32 pos = r.pos & 0x7FFF;
    u8 d = RouteDirAt(&r, pos);
    bool moved = false;
    if (!a || a->delayCount == 0) {
        i32 dx = r.stepX, dy = r.stepY;
        if (!a || !a->smFlag) dx *= 2, dy *= 2;
        if (s.state & kRoleDoubleStep) dx *= 2, dy *= 2;
        dx = ClampToBoundary(s.x, dx);
        dy = ClampToBoundary(s.y, dy);
        if (d < 8 && a) a->dir = kRouteAnimDir[d];
        s.x = static_cast<u16>(s.x + dx);
        s.y = static_cast<u16>(s.y + dy);
        moved = dx != 0 || dy != 0;
    }
    if (moved && OnCell(s)) {
        RefileRole(&s);
        EnterCell(s, d < 8 ? kRouteDx[d] : 0, d < 8 ? kRouteDy[d] : 0);
        r.pos = static_cast<u16>(((pos + 1) & 0x7FFF) | kRoutePaused);
        // Last, as the arrival may free the record or hand it a new route from here.
        if (s.x == r.targetX && s.y == r.targetY) Arrive(i, s, r);
    }
    TouchTalk(i, s);
    if (a && !TakeActData(a)) ReportActError("Act Err13(picPaint:PathMove)", &s);
    if (i == gPlayerSlot && !(gViewMode & kViewNoFollow)) CenterCameraOnPlayer();
}

void StepFollowers() {
    bool stands = gPlayerStands != 0;
    for (u32 k = 1; k < gFollowers.count && k < kFollowerMax; ++k) {
        RoleSlot* sp = Row(gFollowers.slot[k]);
        if (!sp) continue;
        RoleSlot& s = *sp;
        RoleRoute& r = gFollowers.routes[k];
        if (r.role == kNoRole) {
            if (stands && s.act && !TakeActData(s.act))
                ReportActError("Act Err14(picPaint:CompanyMove)", &s);
            continue;
        }
        u32 pos = r.pos & 0x7FFF;
        u8 d = RouteDirAt(&r, pos);
        if (d < 8 && s.act) s.act->dir = kRouteAnimDir[d];
        if (!(r.pos & kRoutePaused)) {
            i32 dx = r.stepX, dy = r.stepY;
            if (!stands && gWalkStep == 4) dx /= 2, dy /= 2;
            dx = ClampToBoundary(s.x, dx);
            dy = ClampToBoundary(s.y, dy);
            s.x = static_cast<u16>(s.x + dx);
            s.y = static_cast<u16>(s.y + dy);
            if ((dx || dy) && OnCell(s)) {
                RefileRole(&s);
                EnterCell(s, d < 8 ? kRouteDx[d] : 0, d < 8 ? kRouteDy[d] : 0);
                r.pos = static_cast<u16>(((pos + 1) & 0x7FFF) | kRoutePaused);
            }
        }
        if (s.act && !TakeActData(s.act)) ReportActError("Act Err14(picPaint:CompanyMove)", &s);
    }
}

void MovePlayer() {
    RoleSlot* p = Row(gPlayerSlot);
    i32 tx = (gScrollStepX + gPlayerStepX) * static_cast<i32>(gWalkStep);
    i32 ty = (gScrollStepY + gPlayerStepY) * static_cast<i32>(gWalkStep);
    if (p) {
        p->x = static_cast<u16>(p->x + tx);
        p->y = static_cast<u16>(p->y + ty);
    }
    i32 vx = gScrollStepX * static_cast<i32>(gWalkStep),
        vy = gScrollStepY * static_cast<i32>(gWalkStep);
    gViewX += vx;
    gViewRight += vx;
    gViewY += vy;
    gViewBottom += vy;
    gPlayerStands = (tx == 0 && ty == 0) ? 1 : 0;
}

void PlayerArrival() {
    RoleSlot* p = Row(gPlayerSlot);
    if (!p || !(p->state & kRoleShown) || !OnCell(*p)) return;
    RefileRole(p);
    EnterCell(*p, gScrollStepX + gPlayerStepX, gScrollStepY + gPlayerStepY);
    gScrollStepX = gScrollStepY = gPlayerStepX = gPlayerStepY = 0;
    if (p->x != gFollowers.trailX[0] || p->y != gFollowers.trailY[0]) {
        for (int k = kTrailLength - 1; k > 0; --k) {
            gFollowers.trailX[k] = gFollowers.trailX[k - 1];
            gFollowers.trailY[k] = gFollowers.trailY[k - 1];
            gFollowers.trailDir[k] = gFollowers.trailDir[k - 1];
        }
        gFollowers.trailX[0] = p->x;
        gFollowers.trailY[0] = p->y;
        gFollowers.trailDir[0] = p->act ? p->act->dir : 0;
    }
}

void DrawPicSlots() {
    for (const PicSlot& s : gPicSlots) {
        if (!s.pic) continue;
        DrawPicFrame(s.pic, s.frame, s.x, s.y);
    }
}

void ClearLineStarts() {
    if (!gPaintBuf) return;
    for (int y = 0; y < 480; ++y) {
        u16* row = PaintPixelAddr(0, y);
        row[0] = row[1] = 0;
    }
}

}  // namespace

void ReportActError(const char* tag, const ActPlayer* p, u16 roleId) {
    i32 act = p ? p->act : 0;
    if (!Reported().insert({tag, roleId, act}).second) return;
    static const std::string text = B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]");
    ReportActFault(act, tag, text.c_str(), roleId, act, p ? p->action : 0, p ? p->dir : 0);
}

void ReportActError(const char* tag, const RoleSlot* s) {
    ReportActError(tag, s->act, s->roleId);
}

void RefileRole(RoleSlot* s) {
    int b = static_cast<int>(s->state & kRoleLayer);
    int row = s->y >> 4;
    // A role that just finished a cell was filed one row away at most.
    for (int r = row - 1; r <= row + 1; ++r) {
        for (RoleSlot* n = BucketRow(b, r); n; n = n->next) {
            if (n != s) continue;
            if (r == row) return;
            RemoveMapObject(s, b);
            InsertMapObject(s, b);
            return;
        }
    }
    RemoveMapObject(s, b);
    InsertMapObject(s, b);
}

void UpdateRoles() {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        RoleSlot& s = gMapRoles[i];
        if (!(s.state & kRoleShown)) continue;
        if (s.state & kRoleFollows) {
            if (OnCell(s)) StepFollower(i);
        } else if ((s.state & kWalkHeld) || s.talkLock == 1) {
            MarkRoleFootprint(&s);
        } else if (s.scriptId != 0) {
            RunRoleScript(i);
        } else if ((s.state & kRoleIdleAnim) && i != gPlayerSlot) {
            if (s.act && !TakeActData(s.act)) ReportActError("Act Err13(picPaint:PathMove)", &s);
            MarkRoleFootprint(&s);
        }
    }
}

void ApplyScreenShake() {
    if (gShakeLeftX <= 0 && gShakeLeftY <= 0) return;
    auto one = [](i32& left, i32& step, i32& view, i32& far) {
        if (left <= 0) {
            step = 0;
            return;
        }
        view += step;
        far += step;
        left -= std::abs(step);
        if (left <= 0 || step == 0) {
            left = 0;
            step = 0;
        }
    };
    one(gShakeLeftX, gShakeStepX, gViewX, gViewRight);
    one(gShakeLeftY, gShakeStepY, gViewY, gViewBottom);
}

bool QuakeRunning() {
    return LoadU16(gQuakeTable) != kQuakeEnd;
}

void ApplyQuake() {
    if (!QuakeRunning()) return;
    constexpr u32 kPairs = sizeof(gQuakeTable) / 4;
    if (gQuakeIndex >= kPairs || LoadU16(gQuakeTable + 4 * gQuakeIndex) == kQuakeEnd)
        gQuakeIndex = 0;
    i16 dx = static_cast<i16>(LoadU16(gQuakeTable + 4 * gQuakeIndex));
    i16 dy = static_cast<i16>(LoadU16(gQuakeTable + 4 * gQuakeIndex + 2));
    // The story command starts the count at the period; each entry holds that many frames.
    if (gQuakeCountdown == 0 || --gQuakeCountdown == 0) {
        gQuakeCountdown = gQuakePeriod ? gQuakePeriod : 1;
        ++gQuakeIndex;
    }
    gQuakeBaseX = static_cast<u32>(gViewX);
    gQuakeBaseY = static_cast<u32>(gViewY);
    gViewX += dx;
    gViewY += dy;
    gViewRight = gViewX + 640;
    gViewBottom = gViewY + 480;
}

void ResetTileAnimation() {
    gTileAnim = TileAnim{};
}

void StepTileAnimation() {
    u32 frames = gMap.layers;
    if (++gTileAnim.counter < (gMapCycle ? gMapCycle : 1)) return;
    gTileAnim.counter = 0;
    if (frames <= 1) return;
    gTileAnim.frame += gTileAnim.dir;
    if (gTileAnim.frame < 0 || gTileAnim.frame >= static_cast<i32>(frames)) {
        gTileAnim.dir = -gTileAnim.dir;
        gTileAnim.frame += 2 * gTileAnim.dir;
    }
    gTileAnim.offset = gMap.width * gMap.height * static_cast<u32>(gTileAnim.frame);
}

void UpdateMapScene() {
    for (ActPlayer& a : gActSlots)
        if (a.act > 0) TakeActData(&a);
    MovePlayer();
    for (RoleRoute& r : gRoleRoutes)
        if (r.role != kNoRole && !(r.pos & kRoutePaused)) StepRoute(r);
    StepFollowers();
    ApplyScreenShake();
    ApplyQuake();
    if (gDrawSurface) {
        gPaintBuf = LockSurface(gDrawSurface);
        UnlockSurface(gDrawSurface, nullptr);
    }
    if (gPaintBuf) {
        DrawWorld();
        DrawStoryCountdown(400, 8);
        if (RoleSlot* p = Row(gPlayerSlot)) DrawGhosts(p->x + 16, p->y - 64);
        ClearLineStarts();
        DrawPicSlots();
        if (gDebugOverlay == 1) DrawDebugOverlay(gViewX, gViewY);
        ShowCanvas();
    }
    PlayerArrival();
    if (RoleSlot* p = Row(gPlayerSlot)) {
        if (p->act && (p->state & kRoleIdleAnim) && !(p->state & kWalkUnderWay) &&
            !TakeActData(p->act))
            ReportActError("Act Err15(PicPaint:Render:MRl)", p);
    }
    StepTileAnimation();
    if (QuakeRunning()) {
        gViewX = static_cast<i32>(gQuakeBaseX);
        gViewY = static_cast<i32>(gQuakeBaseY);
        gViewRight = gViewX + 640;
        gViewBottom = gViewY + 480;
    }
}

// ---- one role ----

namespace {

constexpr i32 kTintSteps[16] = {0, 2, 4, 6, 8, 10, 12, 0, 0, 0, -12, -10, -8, -6, -4, -2};

int RoleScale(const RoleSlot& s) {
    if (s.roleId == kNoRole || (s.state & kRoleUnscaled) || GetDepthMode() == 0)
        return kDefaultScale;
    int now = GetDepthScale(GetDepthIndex(s.x, s.y));
    if (GetDepthMode() != 2) return now;
    int above = GetDepthScale(GetDepthIndex(s.x, s.y - 16));
    return above + (now - above) * (s.y & 15) / 16;
}

int FadeLevel(const RoleSlot& s, int level) {
    if (gRoleFade.role != SlotIndex(&s)) return level;
    u32 elapsed = timeGetTime() - gRoleFade.start;
    u32 dur = gRoleFade.duration ? gRoleFade.duration : 1;
    int in = static_cast<int>(std::min<u64>(16, 16ull * elapsed / dur));
    int result = gRoleFade.fadeIn ? in : 16 - in;
    if (elapsed >= dur) {
        bool fadeIn = gRoleFade.fadeIn;
        gRoleFade.role = -1;
        gRoleFade.done = true;
        gRoleFade.advance = fadeIn ? 12 : 6;
        if (!fadeIn) {
            RoleSlot& m = const_cast<RoleSlot&>(s);
            ClearRoleFootprint(&m);
            m.state &= ~kRoleShown;
        }
    }
    return result;
}

void DrawText(const RoleSlot& s, i32 sx, i32 sy) {
    if (!s.text || TalkOwner() != 0xFFFF || !gPaintBuf) return;
    i32 len = static_cast<i32>(std::strlen(s.text));
    gMainFont.DrawString(gPaintBuf, sx - 11 * len / 2 + 16, sy, s.text, TextColourAt(s.textColour),
                         kStyleShadow);
}

}  // namespace

void DrawRole(RoleSlot* sp) {
    if (!sp) return;
    RoleSlot& s = *sp;
    if ((s.state & kRoleDrawnBits) != kRoleShown) return;
    i32 sx = s.x - gViewX, sy = s.y - gViewY;
    if (sx < -400 || sx > 1040) return;
    ActPlayer* a = s.act;
    if (GetGameFlag(kHideActorsFlag) && a && a->act > 0) return;
    if (a && a->sound) {
        RoleSlot* p = Row(gPlayerSlot);
        PlaySfxFrom(a->sound, s.x, s.y, p ? p->x : s.x, p ? p->y : s.y,
                    static_cast<int>(gSfxVolume));
        a->sound = 0;
    }
    if (s.markerId && a && (a->act < 151 || a->act > 160)) DrawAreaMarker(s.markerId, sx, sy);
    if (s.stillPic && !a) {
        // A still map object: its picture comes from the map's own picture table.
        if (PicFrame* f = GetPic(kMapPicNumber, s.objectNo); f && f->pixels) {
            gCurPic = f->pixels;
            PutPic(s.drawX + sx, s.drawY + sy, f->width, f->height, 0, nullptr);
        }
        return;
    }
    if (!a || a->act <= 0 || a->pic == 0) {
        DrawText(s, sx, sy);
        return;
    }
    PicFrame* f = GetPic(a->pic, a->frame);
    if (f && f->pixels) {
        int scale = RoleScale(s);
        u32 mode = a->drawMode & kActModePaint;
        i32 px = s.drawX - a->xOff + sx, py = s.drawY - a->yOff + sy;
        if (scale != kDefaultScale) {
            SetZoom(a->xOff, a->yOff, scale, scale);
            mode = (mode & 0xFF7F) | 0x80;
        }
        int level = FadeLevel(s, a->blend);
        if (gRoleFade.role == SlotIndex(&s) || level != a->blend) mode = (mode & ~0x1Cu) | 0x14;
        gPaintAlpha = level;
        gCurPic = f->pixels;
        PutPic(px, py, f->width, f->height, static_cast<i32>(mode), f->alpha);
        i32 tr = 0, tg = 0, tb = 0;
        if (s.state & kRoleTakesCell) {
            tr = static_cast<i32>(gMapScene.colours[0]);
            tg = static_cast<i32>(gMapScene.colours[1]);
            tb = static_cast<i32>(gMapScene.colours[2]);
            i32 step = kTintSteps[(s.state >> 20) & 15];
            tr += step, tg += step, tb += step;
        }
        if (tr || tg || tb) {
            gPaintTintR = tr;
            gPaintTintG = tg;
            gPaintTintB = tb;
            u32 tint = (a->drawMode & 0x80000013u) + 16 + (scale != kDefaultScale ? 128 : 0);
            gCurPic = f->pixels;
            PutPic(px, py, f->width, f->height, static_cast<i32>(tint), f->alpha);
        }
        if (s.second) {
            i32 h = f->height * scale / kDefaultScale;
            DrawActData(s.second, sx + 20, sy - h);
        }
    }
    DrawText(s, sx, sy);
}

void UpdateRoleSound(RoleSlot* sp) {
    if (!sp || !sp->soundId) return;
    RoleSlot& s = *sp;
    u32 reload = s.soundRepeat >> 16, left = s.soundRepeat & 0xFFFF;
    if (reload != 0xFFFF && left > 0) --left;
    RoleSlot* p = Row(gPlayerSlot);
    i32 dx = p ? s.x - p->x : 0, dy = p ? s.y - p->y : 0;
    i32 d =
        static_cast<i32>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
    if (d < 513 && (s.state & kRoleShown)) {
        if (!(s.state & kRoleSoundOn) && left == 0) {
            left = reload == 0xFFFF ? 0 : reload;
            PlaySfx(s.soundId, static_cast<int>(gSfxVolume));
            if (reload == 0xFFFF) s.state |= kRoleSoundOn;
        }
        SetSfxVolume(s.soundId, 128 - d / 4);
        SetSfxPan(s.soundId, dx / 8);
    } else if (s.state & kRoleSoundOn) {
        StopSfx(s.soundId);
        s.state &= ~kRoleSoundOn;
    }
    s.soundRepeat = (reload << 16) | left;
}

bool RoleScreenRect(int slot, i32* l, i32* t, i32* r, i32* b) {
    if (slot < 0 || slot >= kRoleRows) return false;
    const RoleSlot& s = gMapRoles[slot];
    const ActPlayer* a = s.act;
    if (!a || a->act <= 0 || a->pic == 0) return false;
    PicFrame* f = GetPic(a->pic, a->frame);
    if (!f || !f->pixels) return false;
    *l = s.x - a->xOff - gViewX;
    *t = s.y - a->yOff - gViewY;
    *r = *l + f->width;
    *b = *t + f->height;
    return true;
}

ActPlayer* GlobalActSlot(int n) {
    return n >= 0 && n < kActSlots ? &gActSlots[n] : nullptr;
}

void DrawRoleShadows() {
    i32 row0 = gViewY / 16 - 5;
    for (i32 r = row0; r < row0 + 39; ++r) {
        for (RoleSlot* s = BucketRow(0, r); s; s = s->next) {
            if ((s->state & kRoleDrawnBits) != kRoleShown || !(s->state & kRoleShadow) || !s->act)
                continue;
            PicFrame* f = GetPic(s->act->pic, s->act->frame);
            if (!f || !f->pixels) continue;
            gPaintAlpha = 4;
            gCurPic = f->pixels;
            PutPic(s->x - gViewX - s->act->xOff, s->y - gViewY - s->act->yOff + 8, f->width,
                   f->height, static_cast<i32>((s->act->drawMode & 0x80000017u) | 22), f->alpha);
        }
    }
}

void DrawDebugOverlay(i32 viewX, i32 viewY) {
    if (!gPaintBuf) return;
    char line[96];
    std::snprintf(line, sizeof(line), "MapID[%d] MapCyc[%d] %d", static_cast<int>(gMapId),
                  static_cast<int>(gMapCycle), static_cast<int>(gTileAnim.frame));
    gSmallFont.DrawString(gPaintBuf, 8, 40, line, 0x7FFF, kStylePlain);
    std::snprintf(line, sizeof(line), "MAct[%4.1f/%4.1f] LTCor[%4d/%4d]", viewX / 16.0,
                  viewY / 16.0, static_cast<int>(viewX), static_cast<int>(viewY));
    gSmallFont.DrawString(gPaintBuf, 8, 56, line, 0x7FFF, kStylePlain);
    // The cell flags: each kind's squares start further inside the cell, so
    // the kinds of one cell show side by side.
    struct CellView {
        u32 mask;
        u16 colour;  // stored 5-5-5
    };
    static const CellView kViews[5] = {{0x40000000, 0x7C00},
                                       {0x10000000, 0x03E0},
                                       {0x000000FF, 0x001F},
                                       {0x20000000, 0x7FE0},
                                       {0x00800000, 0x7C1F}};
    for (int i = 0; i < 5; ++i)
        DrawCellFlags(kViews[i].mask, ConvertPixel(kViews[i].colour), viewX, viewY, 2 * i);
}

// The quake is not part of it: a loaded game sets its quake before entering the
// saved map, and a quake ends by itself.
void ClearSceneBuffer() {
    ClearWeather();
    gShakeLeftX = gShakeLeftY = gShakeStepX = gShakeStepY = 0;
    ResetTileAnimation();
}

void ResetMapScene() {
    gViewMode = 0;
    gSpotX = 320;
    gSpotY = 240;
    ClearSceneBuffer();
    std::memset(gQuakeTable, 0, sizeof(gQuakeTable));
    gQuakeIndex = gQuakeCountdown = 0;
    gQuakePeriod = 1;
    gQuakeBaseX = gQuakeBaseY = 0;
    gMapCycle = 1;
    for (ActPlayer& a : gActSlots) ResetActPlayer(&a), a.act = 0;
    for (PicSlot& p : gPicSlots) p = PicSlot{};
    gRoleFade = RoleFade{};
    gPlayerStands = 1;
    gDebugOverlay = 0;
    gPicShowCounter = 0;
    Reported().clear();
}
