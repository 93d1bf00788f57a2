// Start values of a game, the map-object buckets, the start of a new game and
// the small helpers of the map-side code.
#include "map/StoryLink.h"
#include "map/NewGame.h"

#include <cstring>

#include "data/GameFlags.h"
#include "engine/ErrorBox.h"
#include "base/MemDbg.h"
#include "engine/Random.h"
#include "map/City.h"
#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "base/Types.h"
#include "map/RoleTable.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/MapDraw.h"
#include "map/ActDraw.h"
#include "map/RoleWalk.h"
#include "map/Scale.h"
#include "map/SystemServices.h"
#include "platform/TextCodec.h"
#include "sound/Music.h"

NewGameState gNewGame;
u32 gGameDataReady = 0;

namespace {
const char* RoleErrorText() {
    static const std::string t = B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]");
    return t.c_str();
}
}  // namespace

// ---- map-object buckets ----

void FreeMapObjectBuckets() {
    for (RoleSlot**& b : gNewGame.buckets) {
        if (b) MH_FREE(b);
        b = nullptr;
    }
    gNewGame.bucketRows = 0;
}

void AllocMapObjectBuckets() {
    FreeMapObjectBuckets();
    gNewGame.bucketRows = gMap.height + 40;
    for (RoleSlot**& b : gNewGame.buckets)
        b = static_cast<RoleSlot**>(
            MH_ALLOC_ZERO(static_cast<i32>(gNewGame.bucketRows * sizeof(RoleSlot*))));
}

namespace {
RoleSlot** HeadFor(int b, int row) {
    if (b < 0 || b >= kBuckets || !gNewGame.buckets[b]) return nullptr;
    i64 i = static_cast<i64>(row) + kBucketRowBias;
    if (i < 0 || i >= gNewGame.bucketRows) return nullptr;
    return &gNewGame.buckets[b][i];
}
}  // namespace

RoleSlot* BucketRow(int b, int r) {
    RoleSlot** h = HeadFor(b, r);
    return h ? *h : nullptr;
}

void InsertMapObject(RoleSlot* s, int b) {
    RoleSlot** link = HeadFor(b, s->y / 16);
    if (!link) return;
    while (*link && ((*link)->y < s->y || ((*link)->y == s->y && (*link)->roleId <= s->roleId)))
        link = &(*link)->next;
    s->next = *link;
    *link = s;
}

void RemoveMapObject(RoleSlot* s, int b) {
    if (b < 0 || b >= kBuckets || !gNewGame.buckets[b]) return;
    for (u32 i = 0; i < gNewGame.bucketRows; ++i) {
        for (RoleSlot** link = &gNewGame.buckets[b][i]; *link; link = &(*link)->next) {
            if (*link != s) continue;
            *link = s->next;
            s->next = nullptr;
            return;
        }
    }
}

RoleSlot* RefileMapObject(u16 id, int b, int fromRow, int mode) {
    for (int r = fromRow; r >= -kBucketRowBias; --r) {
        RoleSlot** link = HeadFor(b, r);
        for (; link && *link; link = &(*link)->next) {
            if ((*link)->roleId != id) continue;
            RoleSlot* s = *link;
            *link = s->next;
            s->next = nullptr;
            if (mode != 1) InsertMapObject(s, static_cast<int>(s->state & 3));
            return s;
        }
    }
    return nullptr;
}

// ---- roles ----

void newRoleInit(RoleSlot* s) {
    if (s->act) {
        s->act->frameCounter = 0;
        // The first step takes the act's first frame: a role that never animates
        // (no behaviour script, no 0x1000) shows it from now on and its footprint
        // takes the frame's size.
        if (!ActHasFrames(s->act) || !TakeActData(s->act))
            ErrorBox("Act Err11(Misc:newRoleInit)", RoleErrorText(), s->roleId, s->act->act,
                     s->act->action, s->act->dir);
    }
    s->state &= ~(0x20000000u | 0x00F00000u);
    u32 cx = s->x / 16, cy = s->y / 16;
    s->cell = nullptr;
    if (gMap.cells && cx < gMap.width && cy < gMap.height)
        s->cell = &gMap.cells[static_cast<size_t>(cy) * gMap.width + cx];
    if ((s->state & kRoleTakesCell) && s->cell) {
        if (*s->cell & 0x800) s->state |= 0x20000000;
        s->state |= ((*s->cell & 0xF000) >> 12) << 20;
    }
    if (s->act && (s->state & 0x8400) == 0x8000) MarkRoleFootprint(s);
}

void Talkend(int n) {
    if (n < 0 || n >= kRoleRows) return;
    RoleSlot& s = gMapRoles[n];
    if (!(s.state & 0x80000000u)) return;
    for (RoleRoute& r : gRoleRoutes) {
        if (r.role != n) continue;
        if ((s.x & 15) || (s.y & 15)) {
            ClearRoleFootprint(&s);
            if (n != gPlayerSlot) SnapToGrid(&s, RoleMoveDir(n), -1);
        }
        s.state &= ~0x44000000u;
        if (s.act) s.act->frameCounter = 0;
    }
    TalkRoleCleanup(n);
    s.state &= ~0x80000000u;
    s.wait = 0;
}

void ReleaseMapTransients() {
    ReleaseScriptObjectLists();
    ReleaseWipeEffects();
    ReleaseTimedObjects();
    ReleaseRoleHeads();
    FreeScreenItemList();
    ReleaseDialogs();
}

void StartCountdownTalk() {
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        Talkend(i);
        gMapRoles[i].talkLock = 0;
    }
    StartTalk(gCountdownTalk, gPlayerId);
}

void ReleaseForLoad() {
    ReleaseWipeEffects();
    ReleaseTimedObjects();
    ReleaseRoleHeads();
    ReleaseDialogs();
    ReleaseScriptObjectLists();
    ReleaseDialogPictures();
    for (u32& b : gNewGame.bounds) b = 0x7FFFFFFF;
    std::memset(gQuakeTable, 0xCF, sizeof(gQuakeTable));
}

// ---- game data ----

namespace {

void SetStartFlags() {
    std::memset(gGameFlags, 0, 500);
    auto set = [](int a, int b, bool on) {
        for (int f = a; f <= b; ++f) PutGameFlag(f, on ? 1 : 0);
    };
    set(1, 1, true);
    set(0, 0, false);
    set(2, 2, false);
    set(3, 4, true);
    set(5, 9, false);
    set(10, 10, true);
    set(11, 11, false);
    set(12, 12, true);
    set(13, 20, false);
    set(22, 25, false);
    set(34, 34, false);
    set(70, 70, true);
    set(72, 82, false);
    set(82, 82, true);
    set(83, 83, false);
    set(90, 90, false);
    set(30, 30, true);
    set(21, 21, false);
}

// Table 6: four 52-byte records, their fields moved into the entries' layout.
void UnpackInitRecords() {
    ByteReader r = MapDbTable(dbTable::kInitRecords);
    for (InitEntry& e : gNewGame.entries) {
        e = InitEntry{};
        u8 rec[52] = {};
        if (!r.Bytes(rec, sizeof(rec))) break;
        std::memcpy(e.bytes, rec, 4);
        std::memcpy(e.bytes + 10, rec + 4, 6);
        std::memcpy(e.bytes + 4, rec + 10, 6);
        std::memcpy(e.bytes + 16, rec + 16, 16);
        std::memcpy(e.bytes + 32, rec + 32, 4);
        std::memcpy(e.bytes + 36, rec + 36, 6);
        std::memcpy(e.bytes + 44, rec + 42, 10);
        e.bytes[54] = rec[51];
        e.bytes[55] = rec[51];
    }
}

void MakeCursor() {
    if (gNewGame.cursor) MH_FREE(gNewGame.cursor);
    gNewGame.cursor = NewActPlayer();
    gNewGame.cursor->act = 9001;
    gNewGame.cursor->action = 0;
    gNewGame.cursorMode = 0x9000;
    if (!ActHasFrames(gNewGame.cursor))
        ErrorBox("Act Err08(Misc:Init:Mouse:Norm)", RoleErrorText(), 0, 9001, 0, 0);
}

void BindRecordsFromDatabase() {
    ByteReader r = MapDbTable(dbTable::kRoleRecords);
    if (!r.ok()) {
        BindRoleRecords(nullptr, 0);
        return;
    }
    if (!BindRoleRecords(const_cast<u8*>(r.here()), r.bytesLeft()))
        std::fprintf(stderr, "maps.dat: role records have no end row\n");
}

}  // namespace

int InitGameData() {
    gMapArchiveName = "PicLib\\HUGE.lmf";
    SetStartFlags();
    SetScriptVar(0, 100);
    SetScriptVar(3, 1);
    gStoryCountdown = -1;
    gCountdownTalk = 0;
    gFlagCountdown = -1;
    FreeMapObjectBuckets();
    gMapMusic = MapMusicState{};
    gMusic.SetMode(1, 1, 10);
    gNewGame.sceneWord = 0x40000000;
    std::memset(gQuakeTable, 0xCF, sizeof(gQuakeTable));
    ReleaseDialogs();
    SetWalkStep(16);
    MakeCursor();
    InitFixedActs();
    InitWorldMap();
    LoadEncounterGroups();
    BindRecordsFromDatabase();
    UnpackInitRecords();
    gGameDataReady = 1;
    return 0;
}

int StartNewGame(int load) {
    ReadMapDatabase();
    InitGameData();
    ResetMapData();
    ByteReader r = MapDbTable(dbTable::kStart);
    u16 v[8] = {};
    r.Array(v, 8);
    if (!r.ok()) {
        // Without a readable start record no game can begin: the start map's box
        // (its id when at least that word reads, else -1), and the window closes
        // after the frame that asked.
        ByteReader id = MapDbTable(dbTable::kStart);
        int map = id.Has(2) ? id.U16() : -1;
        ErrorBox(B5("遊戲初始"), B5("找不到設定的起始地圖碼 (%d)"), map);
        PostMessageA(gMainWnd, WM_DESTROY, 0, 0);
        return 0;
    }
    gPlayerId = v[6];
    StartTalk(v[7], gPlayerId);
    gMapMusic = MapMusicState{};
    if (load == 1)
        LoadCity(v[0], v[1], v[2], static_cast<i16>(v[3]), static_cast<i16>(v[4]),
                 static_cast<i16>(v[5]), 0);
    return 1;
}

// ---- small helpers ----

void SetWalkStep(u32 step) {
    gNewGame.walkStep = step;
}
u32 GetWalkStep() {
    return gNewGame.walkStep;
}

int ParseInt(const char* s, i32* out) {
    if (!s) return 0;
    int sign = 1;
    if (*s == '+' || *s == '-') sign = *s++ == '-' ? -1 : 1;
    size_t n = std::strlen(s);
    if (n < 1 || n > 9) return 0;
    i32 v = 0, scale = 1;
    for (size_t i = n; i-- > 0;) {
        if (s[i] < '0' || s[i] > '9') return 0;
        v += (s[i] - '0') * scale;
        scale *= 10;
    }
    *out = v * sign;
    return 1;
}

void DrawRectOutline(u16* buf, i32 x, i32 y, i32 w, i32 h, i32 pitch, u16 colour) {
    if (!buf || x <= 0 || y <= 0 || w <= 0 || h <= 0 || x + w >= 640 || y + h >= 480) return;
    i32 stride = pitch / 2;
    for (i32 i = 0; i < w; ++i) {
        buf[y * stride + x + i] = colour;
        buf[(y + h - 1) * stride + x + i] = colour;
    }
    for (i32 j = 0; j < h; ++j) {
        buf[(y + j) * stride + x] = colour;
        buf[(y + j) * stride + x + w - 1] = colour;
    }
}

void MakeThumbnail(u16* buf) {
    if (!buf) return;
    for (int r = 0; r < 120; ++r)
        for (int c = 0; c < 160; ++c) buf[r * 160 + c] = buf[(r * 4) * 640 + c * 4];
}

int GetPlayerDirectionTo(i32 x, i32 y) {
    if (gPlayerSlot <= 0 || gPlayerSlot >= kRoleRows) return 1;
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    int w, h;
    RoleFootprint(&p, &w, &h);
    return DirectionTo(p.x + w * 8, p.y + h * 8, x, y);
}

void FillRandom(u16* buf, i32 w, i32 h) {
    if (!buf || w <= 0 || h <= 0) return;
    for (i64 i = 0; i < static_cast<i64>(w) * h; ++i) buf[i] = static_cast<u16>(RandomN(65535));
}

void ShowNotice(const char*, i32) {}

void ReleaseMapData() {
    ResetMapData();
    FreeMapOverlays();
    FreeMapObjectBuckets();
    ClearDepthScale();
    if (gNewGame.cursor) MH_FREE(gNewGame.cursor);
    gNewGame.cursor = nullptr;
    BindRoleRecords(nullptr, 0);
    FreeMapDatabase();
    gMapArchiveFile.Close();
    gGameDataReady = 0;
}

void ResetNewGame() {
    FreeMapObjectBuckets();
    if (gNewGame.cursor) MH_FREE(gNewGame.cursor);
    gNewGame = NewGameState{};
    gGameDataReady = 0;
}
