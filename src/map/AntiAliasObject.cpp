// Anti-aliased overlay objects, and drawing them with the role heads each frame.
#include "map/AntiAliasObject.h"

#include <new>

#include "engine/AaDraw.h"
#include "engine/MemDbg.h"
#include "engine/Tsw.h"
#include "map/ActDraw.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/RoleTable.h"

AntiAliasObject* gAntiAliasObjects = nullptr;

namespace {

// Both lists belong to one drawing layer, which reports a failed step by this tag.
constexpr const char* kHeadLayerTag = "Act Err19(PicPaint:drawRoleHead)";

PicFrame* CurrentPicture(const ActPlayer& p) {
    return p.pic ? GetPic(p.pic, p.frame) : nullptr;
}

u8* EdgeMapOf(const ActPlayer& p) {
    PicFrame* f = CurrentPicture(p);
    return f ? MakeAntiAliasMap(f->pixels) : nullptr;
}

void FreeObject(AntiAliasObject* o) {
    if (o->edgeMap) MH_FREE(o->edgeMap);
    o->~AntiAliasObject();
    MH_FREE(o);
}

// The link that points at the first object with that key, or null.
AntiAliasObject** FindLink(u32 id, u32 subId) {
    for (AntiAliasObject** link = &gAntiAliasObjects; *link; link = &(*link)->next)
        if ((*link)->id == id && (*link)->subId == subId) return link;
    return nullptr;
}

void SetAnimation(AntiAliasObject* o) {
    o->act.act = static_cast<i32>(o->id);
    o->act.action = static_cast<i32>(o->subId);
}

// The animation's first picture gives the edge map; the map stays with the
// object until it is rekeyed or freed.
void StartAnimation(AntiAliasObject* o) {
    SetAnimation(o);
    if (!TakeActData(&o->act)) ReportActError(kHeadLayerTag, &o->act, 0);
    if (o->edgeMap) MH_FREE(o->edgeMap);
    o->edgeMap = EdgeMapOf(o->act);
}

void DrawAntiAliasObjects() {
    for (AntiAliasObject* o = gAntiAliasObjects; o; o = o->next) {
        if (!TakeActData(&o->act)) {
            ReportActError(kHeadLayerTag, &o->act, 0);
        } else if (PicFrame* f = CurrentPicture(o->act)) {
            SetAntiAliasMap(o->edgeMap);
            PutPicAntiAlias(o->x - o->act.xOff, o->y - o->act.yOff, f->pixels);
            // The map is freed with its object; no later draw may pick it up.
            SetAntiAliasMap(nullptr);
        }
        o->x += (o->targetX - o->x) / 2;
    }
}

void FreeHead(RoleHead* h) {
    h->~RoleHead();
    MH_FREE(h);
}

// A leaving head speeds up threefold each frame; a resting one closes two
// thirds of the way and snaps once the step is a pixel or less.
bool MoveHead(RoleHead* h) {
    if (h->motion) {
        h->x += h->motion;
        if (h->motion != kHeadLeaveAtOnce) h->motion *= 3;
        return h->x >= -119 && h->x < kSlideFromRight;
    }
    i32 step = 2 * (h->targetX - h->x) / 3;
    h->x = step >= -1 && step <= 1 ? h->targetX : h->x + step;
    return true;
}

void DrawRoleHeads() {
    for (RoleHead** link = &gRoleHeads; *link;) {
        RoleHead* h = *link;
        if (!TakeActData(&h->act))
            ReportActError(kHeadLayerTag, &h->act, 0);
        else
            DrawActPicture(&h->act, h->x, h->y, 0);
        if (MoveHead(h)) {
            link = &h->next;
            continue;
        }
        *link = h->next;
        FreeHead(h);
    }
}

}  // namespace

u32 CreateAntiAliasObject(u32 id, u32 subId, i32 targetX, i32 y) {
    void* mem = MH_ALLOC(sizeof(AntiAliasObject));
    AntiAliasObject* o = new (mem) AntiAliasObject();
    ResetActPlayer(&o->act);
    o->id = id;
    o->subId = subId;
    o->targetX = targetX;
    o->y = o->targetY = y & 0x7FFF;
    if (y & kPlaceAtOnce)
        o->x = targetX;
    else
        o->x = targetX >= 320 ? kSlideFromRight : kSlideFromLeft;
    StartAnimation(o);
    o->next = gAntiAliasObjects;
    gAntiAliasObjects = o;
    return id;
}

void RekeyAntiAliasObject(u32 id, u32 subId, u32 newId, u32 newSubId) {
    AntiAliasObject* o = FindAntiAliasObject(id, subId);
    if (!o) return;
    o->id = newId;
    o->subId = newSubId;
    // The new animation is stepped once, so the map fits the picture it will draw.
    StartAnimation(o);
}

int RemoveAntiAliasObject(u32 id, u32 subId) {
    AntiAliasObject** link = FindLink(id, subId);
    if (!link) return 0;
    AntiAliasObject* o = *link;
    *link = o->next;
    FreeObject(o);
    return 0;
}

AntiAliasObject* FindAntiAliasObject(u32 id, u32 subId) {
    AntiAliasObject** link = FindLink(id, subId);
    return link ? *link : nullptr;
}

int PopAntiAliasObject() {
    AntiAliasObject* o = gAntiAliasObjects;
    if (!o) return 0;
    gAntiAliasObjects = o->next;
    FreeObject(o);
    return 0;
}

AntiAliasObject* GetAntiAliasObjects() {
    return gAntiAliasObjects;
}

void FreeAntiAliasObjects() {
    while (gAntiAliasObjects) PopAntiAliasObject();
}

void drawRoleHead() {
    DrawAntiAliasObjects();
    DrawRoleHeads();
}

void ResetAntiAliasObjects() {
    FreeAntiAliasObjects();
    SetAntiAliasMap(nullptr);
}
