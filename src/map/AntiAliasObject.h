// Anti-aliased overlay objects (large pictures over the map whose edges blend
// into what lies below) and the per-frame drawing of them and the role heads.
#pragma once
#include "base/Types.h"
#include "engine/MyAct.h"

// One object of gAntiAliasObjects; the list is singly linked, newest first.
struct AntiAliasObject {
    AntiAliasObject* next = nullptr;
    u32 id = 0, subId = 0;  // the key, also the act and action of the animation
    i32 x = 0, y = 0;
    i32 targetX = 0, targetY = 0;
    u8* edgeMap = nullptr;  // owned; made from the animation's picture
    ActPlayer act;
};

// Bit of the y word that places an object (or a head) at its target at once.
constexpr i32 kPlaceAtOnce = 0x8000;
// Where a sliding object starts: left of the screen, or right of it.
constexpr i32 kSlideFromLeft = -120;
constexpr i32 kSlideFromRight = 760;

extern AntiAliasObject* gAntiAliasObjects;

// Makes an object that slides in from the nearer edge toward targetX (or
// stands there at once with bit 0x8000 of y); returns id.
u32 CreateAntiAliasObject(u32 id, u32 subId, i32 targetX, i32 y);
// Gives the first object with the old key the new key, its animation and a
// new edge map.
void RekeyAntiAliasObject(u32 id, u32 subId, u32 newId, u32 newSubId);
// Frees the first (newest) object with that key; nothing when there is none.
int RemoveAntiAliasObject(u32 id, u32 subId);
AntiAliasObject* FindAntiAliasObject(u32 id, u32 subId);
// Frees the first object of the list.
int PopAntiAliasObject();
AntiAliasObject* GetAntiAliasObjects();
void FreeAntiAliasObjects();

// One frame of the anti-aliased objects, then the role heads: each is drawn
// where it stands and then eased toward its target (or sent on its way out).
void drawRoleHead();

void ResetAntiAliasObjects();
