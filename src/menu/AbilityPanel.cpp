// gAbilityPanel: its line buffers, the slot positions and bindings of each screen.
#include "menu/AbilityPanel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/GrpFont.h"
#include "ui/Control.h"

AbilityPanel gAbilityPanel = {};

namespace {
struct Spot {
    i16 x, y;
};
constexpr Spot kNone = {-1, -1};

// clang-format off
// Slot positions by screen: equipment, items, offering, strengthening, sell list.
constexpr Spot kSpots[5][kAbilitySlots] = {
    {kNone, kNone, {85, 120}, {175, 120}, {85, 98}, {175, 98}, {85, 142}, {175, 142}, {85, 164},
     {175, 164}, {85, 186}, {85, 218}, {175, 218}, {85, 240}, {175, 240}, {85, 262}, {175, 262},
     {85, 284}, {175, 284}},
    {{75, 131}, {125, 131}, {75, 161}, {125, 161}, {85, 263}, {175, 263}, {85, 285}, {175, 285},
     {85, 307}, {175, 307}, {85, 329}, {85, 363}, {175, 363}, {85, 385}, {175, 385}, {85, 407},
     {175, 407}, {85, 429}, {175, 429}},
    {kNone, kNone, kNone, kNone, {80, 235}, {176, 235}, kNone, kNone, kNone, kNone, kNone,
     {80, 279}, {176, 279}, {80, 301}, {176, 301}, {80, 323}, {176, 323}, {80, 345}, {176, 345}},
    {{65, 227}, kNone, {160, 227}, kNone, {65, 205}, {160, 205}, {65, 249}, {160, 249}, {65, 271},
     {160, 271}, {65, 293}, {65, 323}, {160, 323}, {65, 345}, {160, 345}, {65, 367}, {160, 367},
     {65, 389}, {160, 389}},
    {{215, 227}, kNone, {310, 227}, kNone, {215, 205}, {310, 205}, {215, 249}, {310, 249},
     {215, 271}, {310, 271}, {215, 293}, {215, 323}, {310, 323}, {215, 345}, {310, 345},
     {215, 367}, {310, 367}, {215, 389}, {310, 389}},
};

// The line of each slot by screen (-1 none).
constexpr i8 kLines[5][kAbilitySlots] = {
    {-1, -1, 2, 3, 0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
    {-1, -1, -1, -1, 4, 5, 6, 7, 8, 9, 10, -1, -1, -1, -1, -1, -1, -1, -1},
    {-1, -1, -1, -1, 0, 1, -1, -1, -1, -1, -1, 2, 3, 4, 5, 6, 7, 8, 9},
    {2, -1, 3, -1, 0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
    {2, -1, 3, -1, 0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
};

// clang-format on

int Row(AbilityScreen s) {
    return static_cast<int>(s);
}
bool SlotOk(int k) {
    return k >= 0 && k < kAbilitySlots;
}
}  // namespace

bool AbilitySlotSpot(AbilityScreen s, int k, i32* x, i32* y) {
    if (!SlotOk(k) || kSpots[Row(s)][k].x < 0) return false;
    *x = kSpots[Row(s)][k].x;
    *y = kSpots[Row(s)][k].y;
    return true;
}

int AbilitySlotLine(AbilityScreen s, int k) {
    return SlotOk(k) ? kLines[Row(s)][k] : -1;
}

void CreateAbilitySlots(AbilityScreen s, cGrpFont* font, u32 colorRef) {
    DeleteAbilitySlots();
    for (int k = 0; k < kAbilitySlots; ++k) {
        i32 x = 0, y = 0;
        if (!AbilitySlotSpot(s, k, &x, &y)) continue;
        cControl* c = new cControl(x, y);
        c->SetFont(font, colorRef, kStylePlain);
        int line = AbilitySlotLine(s, k);
        if (line >= 0) c->SetText(gAbilityPanel.lines[line]);
        c->Hide();
        gAbilityPanel.slots[k] = c;
    }
}

void SetAbilityLine(int n, i32 value, bool percent) {
    if (n < 0 || n >= kAbilityLines) return;
    // Nine characters: a sign, the digits and, for a percentage, the mark.
    const i32 limit = percent ? 9999999 : 99999999;
    i32 v = std::clamp(value, -limit, limit);
    const char* format = percent ? (v > 0 ? "+%d%%" : "%d%%") : (v > 0 ? "+%d" : "%d");
    std::snprintf(gAbilityPanel.lines[n], kAbilityLineBytes, format, v);
}

void ShowAbilitySlot(int k) {
    if (SlotOk(k) && gAbilityPanel.slots[k]) gAbilityPanel.slots[k]->Show();
}

void HideAbilitySlots() {
    for (cControl* c : gAbilityPanel.slots)
        if (c) c->Hide();
}

void DeleteAbilitySlots() {
    for (cControl*& c : gAbilityPanel.slots) {
        delete c;
        c = nullptr;
    }
}

void ResetAbilityPanel() {
    // The controls belong to the screen lists, which a reset clears on its own.
    std::memset(&gAbilityPanel, 0, sizeof(gAbilityPanel));
}
