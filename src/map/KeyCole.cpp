// Player control: key states, walking and running cell by cell, the corner
// slide, talks with people and map spots, encounters and the function keys.
#include "map/KeyCole.h"

#include <algorithm>

#include "base/Types.h"
#include "platform/TextCodec.h"
#include "engine/DInput.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/Screen.h"
#include "data/Config.h"
#include "data/GameFlags.h"
#include "map/City.h"
#include "map/InterfaceLink.h"
#include "map/MapArchive.h"
#include "map/MapManage.h"
#include "map/RoleTable.h"
#include "map/SessionServices.h"
#include "map/StoryLink.h"
#include "map/SystemServices.h"
#include "map/SystemServices.h"

KeyState gKeyStates[kKeyEntries];
i32 gMouseX = 0, gMouseY = 0;
i32 gScrollStepX = 0, gScrollStepY = 0;
i32 gPlayerStepX = 0, gPlayerStepY = 0;
u32 gWalkStep = 16;

namespace {
u32 gMapWalkStep = 16;  // the map record's step, which walking and running start from
}  // namespace

void SetWalkStep(u32 step) {
    gMapWalkStep = step;
}
u32 GetWalkStep() {
    return gMapWalkStep;
}
i32 gFastMode = 0;
i32 gDevChord1 = 0, gDevChord2 = 0;
i32 gIdleFrames = 0;
i32 gHudFade = 0;
PlayerControl gControl;

namespace {

constexpr u32 kMaskWalls = 0x60000000;  // wall and blocking role
constexpr int kReach = 5;
constexpr u32 kRestChordMs = 500, kRestFastMs = 350, kRestSwitchMs = 200;

// Unit steps of the animation direction codes.
constexpr int kDirDx[8] = {0, 0, -1, 1, -1, 1, -1, 1};
constexpr int kDirDy[8] = {-1, 1, 0, 0, -1, 1, 1, -1};
// Offsets of the map-spot talk point per animation direction.
constexpr int kSpotOx[8] = {4, 0, -4, -4, -4, 0, 4, 4};
constexpr int kSpotOy[8] = {4, 4, 4, 0, -4, -4, -4, 0};

// The keys that feed each entry: the map key codes, 0 for none.
int EntryCode(int e) {
    switch (e) {
        case keyEntry::kCancel:
        case keyEntry::kSecond:
        case keyEntry::kLeft:
        case keyEntry::kUp:
        case keyEntry::kRight:
        case keyEntry::kDown:
        case keyEntry::kPageUp:
        case keyEntry::kPageDown:
        case keyEntry::kRightCtrl:
        case keyEntry::kEnd:
        case keyEntry::kWalkSpeed:
        case keyEntry::kFreeA:
        case keyEntry::kFreeG:
        case keyEntry::kFreeF1:
            return static_cast<int>(gMapKeyCodes[e]);
        default:
            return 0;
    }
}

bool KeyDown(int code) {
    return code > 0 && code < 256 && gDInput.IsKeyDown(code);
}

bool ConfirmDown() {
    return KeyDown(static_cast<int>(gMapKeyCodes[1])) ||
           KeyDown(static_cast<int>(gMapKeyCodes[12]));
}

void Rest(u32 ms) {
    gControl.restUntil = gControl.now + ms;
    gControl.resting = true;
}

bool Resting() {
    if (!gControl.resting) return false;
    if (static_cast<i32>(gControl.restUntil - gControl.now) > 0) return true;
    gControl.resting = false;
    return false;
}

RoleSlot* Player() {
    if (gPlayerSlot <= 0 || gPlayerSlot >= kRoleRows || gPlayerSlot >= gMapRoleCount)
        return nullptr;
    return &gMapRoles[gPlayerSlot];
}

bool PlayerStands() {
    return gScrollStepX == 0 && gScrollStepY == 0 && gPlayerStepX == 0 && gPlayerStepY == 0;
}

bool InMap(int cx, int cy) {
    return gMap.cells && cx >= 0 && cy >= 0 && cx < static_cast<int>(gMap.width) &&
           cy < static_cast<int>(gMap.height);
}

// Every probe reads a cell outside the map as a wall.
u32 CellAt(int cx, int cy) {
    if (!InMap(cx, cy)) return kCellWall;
    return gMap.cells[static_cast<size_t>(cy) * gMap.width + cx];
}

void RoleCell(const RoleSlot& s, int* cx, int* cy) {
    *cx = s.x / 16;
    *cy = s.y / 16;
}

const char* kRoleErr = "設定錯誤\nGUID%d ,act[%d] qq[%d] dir[%d]";
const char* kPlayerErr = "設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]";

void TurnAndCheck(RoleSlot& s, i32 action, i32 dir, const char* tag, const char* text) {
    if (!s.act) return;
    s.act->action = action;
    s.act->dir = dir;
    if (!TakeActData(s.act))
        ReportActFault(s.act->act, B5(tag), B5(text), s.roleId, s.act->act, s.act->action,
                       s.act->dir);
}

// Fills the talk context for a new talk with its place and the owner's state word.
void StartTalkAt(u16 talk, u16 owner, u16 x, u16 y, u32 ownerState) {
    gDialogInput = 0;
    StartTalk(talk, owner);
    gTalkContext.x = x;
    gTalkContext.y = y;
    gTalkContext.ownerState = ownerState;
}

// The role turns to the player, the player to the role, and the role's talk starts.
void StartRoleTalk(int index, const char* roleTag, const char* playerTag) {
    RoleSlot& r = gMapRoles[index];
    RoleSlot* p = Player();
    if (!p) return;
    int w, h, pw, ph;
    RoleFootprint(&r, &w, &h);
    RoleFootprint(p, &pw, &ph);
    // Centre to centre: a person beside the player turns straight to it.
    int d = DirectionTo(r.x + 8 * w, r.y + 8 * h, p->x + 8 * pw, p->y + 8 * ph);
    if ((r.state & kRoleTurnsToTalk) && r.act) {
        gTalkTurn = {index, r.act->action, r.act->dir};
        TurnAndCheck(r, 0, d, roleTag, kRoleErr);
    }
    TurnAndCheck(*p, 0, d ^ 1, playerTag, kPlayerErr);
    StartTalkAt(r.talk, r.roleId, r.x, r.y, r.state);
}

// The first live role with a talk whose footprint covers cell (cx, cy).
int FindRoleAtCell(int cx, int cy, int except) {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        if (i == except) continue;
        const RoleSlot& s = gMapRoles[i];
        if (!(s.state & kRoleShown) || s.talk == 0) continue;
        int w, h, x, y;
        RoleFootprint(&s, &w, &h);
        RoleCell(s, &x, &y);
        if (cx >= x && cx < x + w && cy >= y && cy < y + h) return i;
    }
    return -1;
}

int FindTriggerAtCell(int cx, int cy, int except) {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        if (i == except) continue;
        const RoleSlot& s = gMapRoles[i];
        if (!(s.state & kRoleShown) || !(s.state & kRoleTouchTalk)) continue;
        int w, h, x, y;
        RoleFootprint(&s, &w, &h);
        RoleCell(s, &x, &y);
        if (cx >= x && cx < x + w && cy >= y && cy < y + h) return i;
    }
    return -1;
}

bool Covers(int x, int y, int w, int h, int cx, int cy) {
    return cx >= x && cx < x + w && cy >= y && cy < y + h;
}

void StartSpotTalk(const MapEvent& ev, const RoleSlot& p) {
    int d = p.act && p.act->dir >= 0 && p.act->dir < 8 ? p.act->dir : 1;
    i32 x = p.x - 16 * kSpotOx[d], y = p.y - 16 * kSpotOy[d];
    StartTalkAt(static_cast<u16>(ev.script), kTalkSpot, static_cast<u16>(x), static_cast<u16>(y),
                0);
}

bool FreshPress(int e) {
    return gKeyStates[e].down != 0 && gKeyStates[e].held == 1;
}

// F12, F9, F10 and F1-F4; true when a key ended the step.
bool FunctionKeys() {
    if (KeyDown(scan::kF12)) {
        gFrameId = ScreenWord(Screen::LeaveGame);
        return true;
    }
    if (TalkRunning()) return false;
    if (KeyDown(scan::kF9) || KeyDown(scan::kF10)) {
        PlayUISound(265);
        // The load notice's word is written without the screen bit; the frame
        // tick masks it off all the same.
        gFrameId = KeyDown(scan::kF9) ? ScreenWord(Screen::QuickSaveNotice)
                                      : ScreenIndex(Screen::QuickLoadNotice);
        return true;
    }
    static const int kKeys[4] = {scan::kF1, scan::kF2, scan::kF3, scan::kF4};
    for (int k = 0; k < 4; ++k) {
        if (!KeyDown(kKeys[k])) continue;
        if (!GetGameFlag(kMenuKeysOffFlag)) {
            PlayUISound(261);
            ResetMenuPage();
            gFrameId = ScreenWord(kFunctionKeyScreens[k]);
        }
        return true;
    }
    return false;
}

void DevChords() {
    if (!GetGameFlag(kDevChordsFlag)) return;
    if (!gDevChord1) {
        if (KeyDown(scan::kN) && KeyDown(scan::kP) && KeyDown(scan::kC)) {
            PlayUISound(1);
            gDevChord1 = 1;
            Rest(kRestChordMs);
        }
        return;
    }
    if (!gDevChord2) {
        if (KeyDown(scan::kQ) && KeyDown(scan::kU) && KeyDown(scan::kE) && KeyDown(scan::kS) &&
            KeyDown(scan::kT)) {
            PlayUISound(334);
            gDevChord2 = 1;
            Rest(kRestChordMs);
        }
    }
}

// True when the fast-mode chord ended the step.
bool FastModeChord() {
    if (!gDevChord2 || !KeyDown(scan::kF8)) return false;
    if (!KeyDown(scan::kLeftAlt) && !KeyDown(scan::kRightAlt)) return false;
    gFastMode ^= 1;
    Rest(kRestFastMs);
    ShowNotice(gFastMode ? B5("啟動快速模式") : B5("關閉快速模式"), gFastMode);
    return true;
}

// Talk keys; true when they ended the step.
bool TalkKeys(RoleSlot& p) {
    bool fresh1 = FreshPress(keyEntry::kConfirm), fresh12 = FreshPress(keyEntry::kConfirm2);
    bool choice = ChoiceOpen();
    if (fresh1 && !choice) ++gDialogInput;
    if (fresh12 && (gTalkFlags & 0x7FFF)) ++gDialogInput;
    if (choice) {
        if (!fresh1 && !fresh12) return false;
        // While the answers are still being revealed the press only shows the rest:
        // taking the list then would let the rest come back as a list of one.
        if (ChoicesShown()) FreeScreenItemList();
        return true;
    }
    if (!fresh1 || TalkRunning()) return false;
    int d = p.act && p.act->dir >= 0 && p.act->dir < 8 ? p.act->dir : 1;
    int found = FindRoleInFront(gPlayerSlot, kDirDx[d], kDirDy[d]);
    if (found < 0) return false;
    const RoleSlot& r = gMapRoles[found];
    if ((r.state & kRoleNoMouse) || r.talkLock != 0) return false;
    StartRoleTalk(found, "Act Err01(KeyCole:Talk1)", "Act Err02(KeyCole:Talk2)");
    return true;
}

struct Scroll {
    bool left = false, right = false, up = false, down = false;
    bool stepLeft = false, stepRight = false, stepUp = false, stepDown = false;
};

Scroll ScrollPermissions(const RoleSlot& p) {
    Scroll s;
    i32 vx = gViewX, vy = gViewY;
    i32 mw = static_cast<i32>(gMap.width) * 16, mh = static_cast<i32>(gMap.height) * 16;
    i32 px = p.x - vx, py = p.y - vy;
    s.left = px < 305 && vx > 0;
    s.right = gViewRight < mw && px >= 304;
    s.up = py < 241 && vy > 0;
    s.down = gViewBottom < mh && py >= 240;
    s.stepLeft = p.x > 0;
    s.stepRight = px < 600;
    s.stepUp = p.y > 0;
    s.stepDown = py < 450;
    return s;
}

// Reads the direction keys into (dx, dy) and the facing; with a choice list open
// they move the highlighted answer instead.
void DirectionKeys(int* dx, int* dy, int* dir, u32* runMask) {
    const KeyState* k = gKeyStates;
    if (ChoiceOpen()) {
        auto moved = [](int e) {
            return gKeyStates[e].down != 0 &&
                   (gKeyStates[e].held == 1 || (gKeyStates[e].held & 7) == 7);
        };
        if (moved(keyEntry::kLeft) || moved(keyEntry::kUp)) MoveChosenAnswer(-1);
        if (moved(keyEntry::kRight) || moved(keyEntry::kDown)) MoveChosenAnswer(1);
        return;
    }
    if (k[keyEntry::kLeft].down) {
        *dx = -1;
        *dir = 2;
        *runMask |= k[keyEntry::kLeft].down;
    } else if (k[keyEntry::kRight].down) {
        *dx = 1;
        *dir = 3;
        *runMask |= k[keyEntry::kRight].down;
    }
    if (k[keyEntry::kUp].down) {
        *dy = -1;
        *dir = *dx < 0 ? 4 : *dx > 0 ? 7 : 0;
        *runMask |= k[keyEntry::kUp].down;
    } else if (k[keyEntry::kDown].down) {
        *dy = 1;
        *dir = *dx < 0 ? 6 : *dx > 0 ? 5 : 1;
        *runMask |= k[keyEntry::kDown].down;
    }
}

// Walking into what lies in front: a person's talk or a map spot's; the step may be cancelled.
// True when a talk started.
bool WalkInto(RoleSlot& p, int* dx, int* dy, int origDx, int origDy) {
    int role = -1;
    int ev = CheckStepBlocked(gPlayerSlot, *dx, *dy, &role);
    if (ev < 0 && role < 0 && (*dx != origDx || *dy != origDy))
        ev = CheckStepBlocked(gPlayerSlot, origDx, origDy, &role);
    if (role >= 0) ev = gMapRoles[role].talk;
    if (GetGameFlag(kOwnCellEventFlag)) {
        int cx, cy;
        RoleCell(p, &cx, &cy);
        ev = static_cast<int>(CellAt(cx, cy) & 0xFF);
        role = -1;
    }
    if (ev <= 0 && role < 0) return false;
    const MapEvent* event = role < 0 ? FindMapEvent(static_cast<u32>(ev)) : nullptr;
    if (event && GetGameFlag(static_cast<i32>(event->passable))) *dx = *dy = 0;
    if (TalkRunning()) return false;
    if (role >= 0) {
        StartRoleTalk(role, "Act Err03(KeyCole:Collision1)", "Act Err04(KeyCole:Collision2)");
        return true;
    }
    if (event) {
        StartSpotTalk(*event, p);
        return true;
    }
    return false;
}

void RollForEncounter() {
    if (gBattleActive || !GetGameFlag(kEncountersFlag) || gBattleRequest != 0 || TalkRunning())
        return;
    u32 battle = RollEncounter(gStepCount);
    if (battle == 0) return;
    gBattleRequest = battle;
    if (GetGameFlag(kNoEncounterFlag)) {
        gBattleRequest = 0;
        return;
    }
    EnterBattle();
}

// A step of the map can never leave it.
void KeepInsideMap(const RoleSlot& p, int* dx, int* dy) {
    int w, h, cx, cy;
    RoleFootprint(&p, &w, &h);
    RoleCell(p, &cx, &cy);
    if (*dx < 0 && cx - 1 < 0) *dx = 0;
    if (*dx > 0 && cx + w >= static_cast<int>(gMap.width)) *dx = 0;
    if (*dy < 0 && cy - 1 < 0) *dy = 0;
    if (*dy > 0 && cy + h >= static_cast<int>(gMap.height)) *dy = 0;
}

void StartStep(RoleSlot& p, int dx, int dy, int dir, u32 runMask) {
    Scroll s = ScrollPermissions(p);
    gIdleFrames = 0;
    if (dx > 0) {
        if (s.right)
            gScrollStepX = 1;
        else if (s.stepRight)
            gPlayerStepX = 1;
    } else if (dx < 0) {
        if (s.left)
            gScrollStepX = -1;
        else if (s.stepLeft)
            gPlayerStepX = -1;
    }
    if (dy > 0) {
        if (s.down)
            gScrollStepY = 1;
        else if (s.stepDown)
            gPlayerStepY = 1;
    } else if (dy < 0) {
        if (s.up)
            gScrollStepY = -1;
        else if (s.stepUp)
            gPlayerStepY = -1;
    }
    if (p.act) {
        bool run = p.act->action == 16 || (runMask & 2) || gWalkMode == 1;
        i32 action = run ? 16 : 8;
        p.act->dir = dir;
        if (p.act->action != action) {
            p.act->action = action;
            u32 step = GetWalkStep() * (run ? 2 : 1);
            gWalkStep = gFastMode ? 16 : std::min<u32>(step, 16);
        }
    }
    ++gStepCount;
    RollForEncounter();
}

void StandStill(RoleSlot& p) {
    if (p.act) p.act->action = 0;
    ++gIdleFrames;
    if ((gIdleFrames > 100 || (gHudFade > 0 && gHudFade < 16)) && gHudFade < 16) ++gHudFade;
}

}  // namespace

// ---- key states ----

u32 UpdateKeyState(int e, bool pressed) {
    if (e < 0 || e >= kKeyEntries) return 0;
    KeyState& k = gKeyStates[e];
    if (pressed) {
        if (k.releaseTime != 0) {
            static const u32 kNext[4] = {1, 2, 3, 3};
            k.down = kNext[std::min<u32>(k.lastDown, 3)];
            k.lastDown = k.down;
            k.held = 0;
        }
        k.releaseTime = 0;
        ++k.held;
        return k.held;
    }
    k.held = 0;
    if (k.releaseTime == 0) {
        // The first released frame; a stamp of 0 would read as "held".
        k.releaseTime = gControl.now ? gControl.now : 1;
        return 0;
    }
    k.down = 0;
    if (gControl.now - k.releaseTime > kKeyAgainMs) k.lastDown = 0;
    return 0;
}

bool IsKeyRepeat(int e) {
    if (e < 0 || e >= kKeyEntries) return false;
    const KeyState& k = gKeyStates[e];
    return k.down != 0 && (k.held == 1 || (k.held >= 11 && (k.held & 1)));
}

void ClearKeyStates() {
    for (KeyState& k : gKeyStates) k = KeyState{};
}

void UpdateKeyStates() {
    gControl.now = gFrameTime;
    i32 mx = 0, my = 0;
    int buttons = gDInput.ReadMouse(&mx, &my);
    gMouseX = mx;
    gMouseY = my;
    // On the world map the confirm keys hold the left button down and the right
    // one up, one press for as long as they are held.
    const bool worldMap = gMapId == 2 && gFrameId == kMapMode;
    const int pressed = worldMap && ConfirmDown() ? (buttons & ~2) | 1 : buttons;
    for (int e = 0; e < kKeyEntries; ++e) {
        if (e == keyEntry::kConfirm || e == keyEntry::kConfirm2)
            UpdateKeyState(e, ConfirmDown());
        else if (e == keyEntry::kMouseLeft)
            UpdateKeyState(e, pressed & 1);
        else if (e == keyEntry::kMouseRight)
            UpdateKeyState(e, pressed & 2);
        else if (int code = EntryCode(e))
            UpdateKeyState(e, KeyDown(code));
    }
    if (worldMap && !TalkRunning()) {
        // The keys pick a place.
        WorldMapKeys();
        for (int e : {1, 2, 3, 4, 5, 6}) gKeyStates[e] = KeyState{};
    }
    if (gMouseLockFrames > 0) {
        gKeyStates[keyEntry::kMouseLeft] = KeyState{};
        --gMouseLockFrames;
    }
    ClearGameFlag(kCursorFrameOffFlag);
    if (mx != gControl.lastMouseX || my != gControl.lastMouseY || (buttons & ~gControl.lastButtons))
        gControl.mouseIdle = 0;
    else
        ++gControl.mouseIdle;
    gControl.lastMouseX = mx;
    gControl.lastMouseY = my;
    gControl.lastButtons = buttons;
}

// ---- probes ----

int FindRoleInFront(int role, int dx, int dy) {
    if (role <= 0 || role >= kRoleRows) return -1;
    const RoleSlot& s = gMapRoles[role];
    int w, h, x, y;
    RoleFootprint(&s, &w, &h);
    RoleCell(s, &x, &y);
    int reachX = std::min({kReach, dx < 0 ? x : static_cast<int>(gMap.width) - (x + w)});
    int reachY = std::min({kReach, dy < 0 ? y : static_cast<int>(gMap.height) - (y + h)});
    reachX = std::max(reachX, 0);
    reachY = std::max(reachY, 0);
    auto probe = [&](int cx, int cy) { return InMap(cx, cy) ? FindRoleAtCell(cx, cy, role) : -1; };
    if (dx != 0 && dy == 0) {
        for (int k = 1; k <= reachX; ++k) {
            int cx = dx > 0 ? x + w - 1 + k : x - k;
            for (int cy = y - 1; cy <= y + h; ++cy)
                if (int f = probe(cx, cy); f >= 0) return f;
        }
    } else if (dy != 0 && dx == 0) {
        for (int k = 1; k <= reachY; ++k) {
            int cy = dy > 0 ? y + h - 1 + k : y - k;
            for (int cx = x - 1; cx <= x + w; ++cx)
                if (int f = probe(cx, cy); f >= 0) return f;
        }
    } else if (dx != 0 && dy != 0) {
        int cornerX = dx > 0 ? x + w - 1 : x, cornerY = dy > 0 ? y + h - 1 : y;
        for (int ring = 1; ring <= std::max(reachX, reachY); ++ring)
            for (int j = 1; j <= std::min(ring, reachY); ++j)
                for (int i = 1; i <= std::min(ring, reachX); ++i) {
                    if (std::max(i, j) != ring) continue;
                    if (int f = probe(cornerX + dx * i, cornerY + dy * j); f >= 0) return f;
                }
    }
    for (int cy = y; cy < y + h; ++cy)
        for (int cx = x; cx < x + w; ++cx)
            if (int f = probe(cx, cy); f >= 0) return f;
    return -1;
}

int CheckStepBlocked(int role, int dx, int dy, int* hitRole) {
    *hitRole = -1;
    if (role <= 0 || role >= kRoleRows || (dx == 0 && dy == 0)) return -1;
    const RoleSlot& s = gMapRoles[role];
    int w, h, x, y;
    RoleFootprint(&s, &w, &h);
    RoleCell(s, &x, &y);
    // The leading edge: the cells of the moved footprint that it does not cover now.
    int result = -1;
    for (int cy = y + dy; cy < y + dy + h; ++cy)
        for (int cx = x + dx; cx < x + dx + w; ++cx) {
            if (Covers(x, y, w, h, cx, cy) || !InMap(cx, cy)) continue;
            u32 c = CellAt(cx, cy);
            if (c & 0xFF) return static_cast<int>(c & 0xFF);
            if (c & kCellRole) {
                int t = FindTriggerAtCell(cx, cy, role);
                if (t >= 0) {
                    *hitRole = t;
                    return 0;
                }
            }
        }
    return result;
}

void SlideAroundCorner(int role, int* dx, int* dy) {
    if (role <= 0 || role >= kRoleRows || (*dx == 0 && *dy == 0)) return;
    RoleSlot& s = gMapRoles[role];
    int w, h;
    RoleFootprint(&s, &w, &h);
    if (!s.cell) {
        *dx = *dy = 0;
        return;
    }
    u8 m = GetBlockedDirections(s.cell, w, h, kMaskWalls);
    // Ring bits: 0x01 up-left, 0x02 up, 0x04 up-right, 0x08 right, 0x10 down-right,
    // 0x20 down, 0x40 down-left, 0x80 left.
    auto sideBit = [](int x, int y) -> u8 {
        static const u8 kBits[3][3] = {{0x01, 0x02, 0x04}, {0x80, 0, 0x08}, {0x40, 0x20, 0x10}};
        return kBits[y + 1][x + 1];
    };
    int x = *dx, y = *dy;
    if (x != 0 && y != 0) {
        // A diagonal passes only when its corner and both sides are open; else it
        // slides along whichever side is open.
        if (!(m & (sideBit(x, y) | sideBit(x, 0) | sideBit(0, y)))) return;
        if (!(m & sideBit(x, 0)))
            *dy = 0;
        else if (!(m & sideBit(0, y)))
            *dx = 0;
        else
            *dx = *dy = 0;
        return;
    }
    if (!(m & sideBit(x, y))) return;
    // A straight step against a corner slides around it when one side only is open.
    int sx = y != 0 ? 1 : 0, sy = x != 0 ? 1 : 0;
    bool plus = !(m & (sideBit(x + sx, y + sy) | sideBit(sx, sy)));
    bool minus = !(m & (sideBit(x - sx, y - sy) | sideBit(-sx, -sy)));
    if (plus != minus) {
        *dx = x + (plus ? sx : -sx);
        *dy = y + (plus ? sy : -sy);
        return;
    }
    *dx = *dy = 0;
}

// ---- the control step ----

void KeyCole() {
    if (Resting()) return;
    DevChords();
    if (FastModeChord()) return;
    if (!gControl.resting && gKeyStates[keyEntry::kWalkSpeed].down) {
        ShowNotice(B5("切換移動速度"), gWalkMode);
        if (gMapId != 2) gWalkMode ^= 1;
        Rest(kRestSwitchMs);
    }
    gDialogInput = 0;
    bool stands = PlayerStands();
    if (gIdleFrames == 0) gHudFade = std::max(0, gHudFade - 2);
    RoleSlot* p = Player();
    if (!p || !stands || gFrameId != kMapMode || gMouseLockFrames != 0 ||
        (gRunState & kRunScriptHold))
        return;
    if (FunctionKeys()) return;
    if (TalkKeys(*p)) return;
    if (FreshPress(keyEntry::kConfirm2) && !TalkRunning()) return;
    if (gInputLock && !ChoiceOpen()) return;
    int dx = 0, dy = 0, dir = p->act ? p->act->dir : 1;
    u32 runMask = 0;
    // Every answer list opens inside a talk: its keys are read before the talk holds the player.
    if (ChoiceOpen()) {
        DirectionKeys(&dx, &dy, &dir, &runMask);
        return;
    }
    // A talk or a scripted walk holds the player.
    if (gTalkFlags & kTalkLockBit) return;

    DirectionKeys(&dx, &dy, &dir, &runMask);
    int keyDx = dx, keyDy = dy;
    if (!GetGameFlag(kWalkThroughFlag) && (dx || dy)) SlideAroundCorner(gPlayerSlot, &dx, &dy);
    // A talk started by walking in does not stop the step unless the spot says so.
    if (keyDx || keyDy) WalkInto(*p, &dx, &dy, keyDx, keyDy);
    KeepInsideMap(*p, &dx, &dy);
    if (dx || dy) {
        StartStep(*p, dx, dy, dir, runMask);
    } else {
        StandStill(*p);
    }
    i32 action = p->act ? p->act->action : 0;
    if (action != 0 && action != 52)
        gControl.idleAnimFrames = 0;
    else
        ++gControl.idleAnimFrames;
}

void ResetPlayerControl() {
    ClearKeyStates();
    gMouseX = gMouseY = 0;
    gScrollStepX = gScrollStepY = gPlayerStepX = gPlayerStepY = 0;
    gWalkStep = 16;
    gMapWalkStep = 16;
    gFastMode = 0;
    gDevChord1 = gDevChord2 = 0;
    gIdleFrames = 0;
    gHudFade = 0;
    gControl = PlayerControl{};
}
