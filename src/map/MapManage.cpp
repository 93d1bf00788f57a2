// Battle hand-over, world map, HUD, markers, balloons, role heads, spotlight.
#include "map/MapManage.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/Big5.h"
#include "base/Types.h"
#include "engine/DInput.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/MemDbg.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Screen.h"
#include "engine/Tsw.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/DerivedStats.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/KeyBindings.h"
#include "map/ActDraw.h"
#include "map/AntiAliasObject.h"
#include "map/City.h"
#include "map/GameMusic.h"
#include "map/InterfaceLink.h"
#include "map/KeyCole.h"
#include "map/MapDb.h"
#include "map/MapScene.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "map/RoleWalk.h"
#include "map/SessionServices.h"
#include "map/StoryLink.h"

u32 gMapMusicSaved = 0;
WorldMapLocation gWorldMap[kWorldMapLocations];
u32 gWorldMapIndex = kWorldMapUnchosen;
RoleHead* gRoleHeads = nullptr;
i32 gHudSlide = 48;
i32 gHudIconPics[4] = {9006, 9006, 9006, 9006};

namespace {
constexpr WorldMapLocation kLocations[kWorldMapLocations] = {
    {15, 314, 86, 19, 15},  {14, 278, 294, 19, 15}, {11, 288, 100, 19, 35}, {10, 408, 158, 19, 35},
    {12, 258, 198, 19, 35}, {13, 310, 352, 19, 35}, {9, 500, 336, 19, 35},  {8, 376, 360, 43, 35},
    {1, 362, 264, 43, 35},  {2, 514, 190, 43, 35},  {3, 260, 154, 43, 35},  {4, 376, 102, 43, 35},
    {6, 422, 308, 43, 15},  {5, 180, 386, 43, 15},  {7, 316, 220, 43, 15}};
constexpr i32 kHudX[4] = {460, 505, 550, 595};
i32 gLastLeftDown = 0;

void ResumeMapMusic() {
    if (gCdMusic && gRedbook)
        gRedbook->Play(static_cast<int>(gMapMusicSaved), 0);
    else
        gMusic.SetMode(static_cast<int>(gMapMusicSaved), 1, 15);
}

// Party members that are down come back with 1 HP; the others are untouched. A
// battle marks a fallen member in its derived record, the map in either.
void ReviveDownedParty() {
    for (int k = 0; k < kPartySize && gParty[k] >= 0; ++k) {
        i32 r = gParty[k];
        if (r >= kRoleCount || !((gRoles[r].status | gRoleStats[r].status) & kStatusDying))
            continue;
        gRoles[r].status = 0;
        gRoles[r].hp = 1;
        gRoleStats[r].status = 0;
        gRoleStats[r].hp = 1;
    }
}
}  // namespace

void EnterBattle() {
    if (gCdMusic && gRedbook) {
        gMapMusicSaved = static_cast<u32>(gRedbook->GetCurrentTrack());
        gRedbook->Play(32, -1);
    } else {
        gMapMusicSaved = static_cast<u32>(gMusic.GetMode());
    }
    StopAllSfx();
    ClearRoleStateBits(kRoleSoundOn);
    gScrollStepX = gScrollStepY = gPlayerStepX = gPlayerStepY = 0;
    gMusic.SetMode(4, 1, 0);
    gBattleActive = 1;
}

void ReturnFromBattle(int won) {
    gMusic.ClearList(3);
    gMusic.SetMode(4, 1, 0);
    StopAllSfx();
    if (!won) {
        if (GetGameFlag(kSurviveLossFlag)) {
            ResumeMapMusic();
            ReviveDownedParty();
        } else {
            gFrameId = ScreenWord(Screen::EndPicture);
            EndGame();
        }
    } else {
        ResumeMapMusic();
        if (GetGameFlag(kSurviveLossFlag)) {
            ClearGameFlag(kSurviveLossFlag);
            ReviveDownedParty();
        }
    }
    RecreateFonts();
    SetDialogTextSize();
    gBattleRequest = 0;
    gDInput.SetMousePos(gMouseX, gMouseY);
    if (gPlayerSlot > 0 && gPlayerSlot < kRoleRows) {
        if (ActPlayer* a = gMapRoles[gPlayerSlot].act) {
            a->action = 0;
            TakeActData(a);
        }
    }
}

// ---- world map ----

void InitWorldMap() {
    std::memcpy(gWorldMap, kLocations, sizeof(gWorldMap));
    gWorldMapIndex = kWorldMapUnchosen;
}

void SetWorldMapHandOver(int value) {
    gWorldMapIndex = static_cast<u32>(value);
}

bool WorldMapLocationOpen(int index) {
    if (index < 0 || index >= kWorldMapLocations) return false;
    i32 row = FindRecord(static_cast<u16>(2700 + gWorldMap[index].id));
    return row >= 0 && RecordWord(row, recWord::kValue) != 0;
}

void SelectWorldMapLocation(int step) {
    if (gWorldMap[0].id == 0) InitWorldMap();
    i32 i = static_cast<i32>(gWorldMapIndex);
    if (gWorldMapIndex == kWorldMapUnchosen) {
        i = kWorldMapLocations;
        for (int k = 0; k < kWorldMapLocations; ++k)
            if (gWorldMap[k].id == kWorldMapUnchosen) i = k;
    }
    // One full round at most: with no open location the selection stays.
    for (int tries = 0; tries < kWorldMapLocations; ++tries) {
        i += step;
        if (i < 0) i = kWorldMapLocations - 1;
        if (i >= kWorldMapLocations) i = 0;
        if (!WorldMapLocationOpen(i)) continue;
        gWorldMapIndex = static_cast<u32>(i);
        const WorldMapLocation& l = gWorldMap[i];
        MoveInterfaceCursor(static_cast<i32>(l.cursorX), static_cast<i32>(l.cursorY));
        if (gPlayerSlot > 0)
            WalkRoleTo(gPlayerSlot, static_cast<i32>(l.cellX) * 16, static_cast<i32>(l.cellY) * 16);
        return;
    }
}

void WorldMapKeys() {
    if (InterfaceKeyPressed(kKeyUp) || InterfaceKeyPressed(kKeyLeft))
        SelectWorldMapLocation(-1);
    else if (InterfaceKeyPressed(kKeyDown) || InterfaceKeyPressed(kKeyRight) ||
             InterfaceKeyPressed(kKeySwitch))
        SelectWorldMapLocation(1);
    // No script steps the walk to the chosen location: it moves on by itself,
    // one cell after the other.
    if (gPlayerSlot > 0) iMove(gPlayerSlot);
}

// A music number names a piece from 1 to 1023.
bool ValidMusic(u32 n) {
    return n >= 1 && n <= 1023;
}

void PlayWorldMapMusic() {
    const u32 nums[4] = {gMapMusic.music1, gMapMusic.music2, gMapMusic.override1,
                         gMapMusic.override2};
    bool stored = false;
    for (int k = 0; k < 4; ++k) {
        if (!ValidMusic(nums[k])) continue;
        const char* name = GetDbRecord(nums[k]);
        if (!name || !name[0]) continue;
        int track = 0;
        if (ParseDiscTrackName(name, &track)) {
            gCdMusic = 1;
            if (gRedbook) gRedbook->Play(track, 0);
            continue;
        }
        // The map's pair goes to list 1, the overrides to list 2.
        std::string path = std::string(gBasePath) + "music\\" + name;
        gMusic.SetTrack(path.c_str(), static_cast<i32>(nums[k]), k & 1, 1 + k / 2);
        stored = true;
    }
    if (!stored) return;
    bool overridden = ValidMusic(gMapMusic.override1) || ValidMusic(gMapMusic.override2);
    gMusic.SetMode(overridden ? 2 : 1, static_cast<int>(gMapMusic.mode & 3), 15);
}

// ---- HUD ----

void ClearMapInputHolds() {
    gLastLeftDown = 0;
}

int CheckMenuIconClick(int leftDown) {
    int was = gLastLeftDown;
    gLastLeftDown = leftDown;
    if (GetGameFlag(kMenuKeysOffFlag) || gScrollStepX || gScrollStepY) return 0;
    if (!(was != 0 && leftDown == 0)) return 0;
    if (TalkOwner() != 0xFFFF || gMouseY > 48) return 0;
    for (int k = 3; k >= 0; --k) {
        if (gMouseX < kHudX[k]) continue;
        PlaySfx(261, static_cast<int>(gSfxVolume));
        gFrameId = ScreenWord(kFunctionKeyScreens[k]);
        gKeyStates[15] = KeyState{};
        SetMenuPage(0);
        return 1;
    }
    return 0;
}

void DrawMapHud() {
    if (TalkOwner() != 0xFFFF && TalkScriptPosition() >= 8) return;
    if (gKeyStates[14].down) return;
    if (gMouseX >= 460 && gMouseY <= 48) {
        gHudSlide = std::max(0, gHudSlide - 6);
        if (gNewGame.cursor) gNewGame.cursor->action = 11;
    } else {
        gHudSlide = std::min(48, gHudSlide + 6);
    }
    for (int k = 0; k < 4; ++k) DrawPicFrame(gHudIconPics[k], k, kHudX[k], -gHudSlide);
}

// ---- markers and balloons ----

void DrawNameMarker(i32 x, i32 y, i32 a, i32 b, const char* text) {
    i32 s = std::max(1, static_cast<i32>(gDialogTextSize));
    // Marker frames never go below 0.
    i32 frame = std::max(0, std::min(b / (2 * s), 10) + 10 * (a / (2 * s) - 1));
    if (text && *text) {
        DrawActFrame(9012, frame, x - 17, y - 43);
        i32 len = static_cast<i32>(std::strlen(text));
        if (gPaintBuf)
            gMainFont.DrawString(gPaintBuf, x - 13 * len / 4 + 36, y - 29, text,
                                 ConvertPixel(0x7FFF), kStylePlain);
    } else {
        DrawActFrame(9013, frame, x - 5, y - 15);
    }
}

namespace {
// An item-name escape ("%T", a number, ".") at p: the bytes it takes (0 when p
// holds none) and the length of the item's or equipment's name it stands for.
int ItemNameEscape(const u8* p, i32* nameLen) {
    if (p[0] != '%' || p[1] != 'T') return 0;
    int k = 2;
    i32 n = 0;
    for (; k < 11 && p[k] >= '0' && p[k] <= '9'; ++k) n = n * 10 + (p[k] - '0');
    if (k == 2 || p[k] != '.') return 0;
    const char* name = nullptr;
    if (n < 300) {
        if (const ItemData* it = GetItemRecord(n)) name = it->name;
    } else if (const EquipageData* e = GetEquipageRecord(n - 300)) {
        name = e->name;
    }
    *nameLen = name ? static_cast<i32>(strnlen(name, 31)) : 0;
    return k + 1;
}
}  // namespace

i32 DrawTalkBalloon(const char* text) {
    if (!text) return 315;
    i32 len = 0, wide = 0;
    for (const u8* p = reinterpret_cast<const u8*>(text); *p;) {
        i32 name = 0;
        if (int n = ItemNameEscape(p, &name)) {
            len += name;
            p += n;
            continue;
        }
        if (p[0] == '%' && p[1]) {  // escape pairs count nothing
            p += 2;
            continue;
        }
        if (IsBig5Lead(*p) && p[1]) {
            len += 2;
            ++wide;
            p += 2;
        } else {
            ++len;
            ++p;
        }
    }
    bool two = len > 40;
    DrawActFrame(9016, two ? 2 : 1, 0, 0);
    return two ? 95 : 315 - 11 * (len / 2 + wide);
}

void DrawAreaMarker(int n, i32 x, i32 y) {
    if (n < 1 || n > 15) return;
    DrawActFrame(2999, n, x, y);
}

// ---- role heads ----

void AddRoleHead(u32 key1, u32 key2, i32 x, i32 y) {
    void* mem = MH_ALLOC(sizeof(RoleHead));
    RoleHead* h = new (mem) RoleHead();
    ResetActPlayer(&h->act);
    h->act.act = static_cast<i32>(key1);
    h->act.action = static_cast<i32>(key2);
    h->key1 = key1;
    h->key2 = key2;
    h->targetX = x;
    h->y = y & 0x7FFF;
    h->placed = (y & 0x8000) != 0;
    h->x = h->placed ? x : (x > 320 ? 760 : -120);
    h->next = gRoleHeads;
    gRoleHeads = h;
}

// A head already on its way out is passed over: sending it again would only
// slow it down and leave an older head with the same keys on the screen.
void DismissRoleHead(u32 key1, u32 key2) {
    for (RoleHead* h = gRoleHeads; h; h = h->next) {
        if (h->key1 != key1 || h->key2 != key2 || h->motion) continue;
        h->motion = h->placed ? kHeadLeaveAtOnce : (h->x < 321 ? -1 : 1);
        return;
    }
}

void ShowRoleHead(u32 key1, u32 key2, i32 x, i32 y) {
    DismissRoleHead(key1, key2);
    AddRoleHead(key1, key2, x, y);
}

// The anti-aliased objects go with the heads: both belong to the scene of a talk.
void ReleaseRoleHeads() {
    while (RoleHead* h = gRoleHeads) {
        gRoleHeads = h->next;
        h->~RoleHead();
        MH_FREE(h);
    }
    FreeAntiAliasObjects();
}

// ---- spotlight, slots, cursor ----

void DrawSpotlightMask() {
    if (gPlayerSlot <= 0 || !gPaintBuf) return;
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    ActPlayer spot;
    ResetActPlayer(&spot);
    spot.act = 9010;
    spot.action = 0;
    spot.dir = p.act ? p.act->dir : 0;
    i32 cx = p.x - gViewX + 8, cy = p.y - gViewY + 8;
    PicFrame* f = nullptr;
    if (TakeActData(&spot) && spot.pic) f = GetPic(spot.pic, spot.frame);
    i32 w = f ? f->width : 384, h = f ? f->height : 384;
    i32 left = cx - w / 2, top = cy - h / 2;
    if (f) {
        gCurPic = f->pixels;
        PutPic(left, top, w, h, static_cast<i32>(spot.drawMode & kActModePaint), f->alpha);
    }
    PicFrame* mask = GetPic(9902, 0);
    u16 colour = 0;
    // The mask colour is the picture's first literal pixel.
    if (mask && mask->pixels && mask->size >= 14 && (mask->pixels[11] >> 6) == 0)
        std::memcpy(&colour, mask->pixels + 12, 2);
    auto fill = [colour](i32 x0, i32 y0, i32 x1, i32 y1) {
        x0 = std::max(0, x0), y0 = std::max(0, y0), x1 = std::min(640, x1), y1 = std::min(480, y1);
        for (i32 y = y0; y < y1; ++y) {
            u16* row = PaintPixelAddr(0, y);
            for (i32 x = x0; x < x1; ++x) row[x] = colour;
        }
    };
    fill(0, 0, 640, top);
    fill(0, top + h, 640, 480);
    fill(0, top, left, top + h);
    fill(left + w, top, 640, top + h);
}

void DrawActSlot(ActPlayer* p, i32 x, i32 y) {
    if (!p) return;
    if (!TakeActData(p)) {
        ReportActError("Act Err09(Misc::DrawActData)", p, 0);
        return;
    }
    DrawActPicture(p, x, y, 0);
}

void SetMapCursorAction(int action) {
    if (gNewGame.cursor) gNewGame.cursor->action = action;
}

void ResetMapManage() {
    ReleaseRoleHeads();
    gMapMusicSaved = 0;
    std::memset(gWorldMap, 0, sizeof(gWorldMap));
    gWorldMapIndex = kWorldMapUnchosen;
    gHudSlide = 48;
    gLastLeftDown = 0;
}
