// LoadCity and the map database reads of map entry; encounters, pop-out
// points, the camera, the load progress bar and the map music.
#include "map/City.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/Big5.h"
#include "base/DataError.h"
#include "base/Types.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/DDraw.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/MyAct.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Random.h"
#include "engine/Tsw.h"
#include "sound/Music.h"
#include "sound/Redbook.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/GameFlags.h"
#include "map/ActDraw.h"
#include "map/DrawOrder.h"
#include "map/GameMusic.h"
#include "map/Ghosts.h"
#include "map/InterfaceLink.h"
#include "map/KeyCole.h"
#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/MapTransients.h"
#include "map/NewGame.h"
#include "map/RoleTable.h"
#include "map/SessionServices.h"
#include "map/StoryLink.h"

u32 gMapId = 0;
MapScene gMapScene;
i32 gViewX = 0, gViewY = 0, gViewRight = 640, gViewBottom = 480;
MapMusicState gMapMusic;
std::vector<u16> gEncounterGroups;
u32 gEncounterGroupCount = 0;
u32 gEncounterGroup = 0;
std::vector<EncounterZone> gEncounterZones;
u32 gStepCount = 0;
i32 gSavedWalkMode = 0;

// ---- database reads ----

bool FindMapRecord(u32 m, MapDbRecord* out, DataError* why) {
    ByteReader r = MapDbTable(dbTable::kMaps);
    std::string fault = "the map table's offset lies outside the database";
    size_t at = 4u * dbTable::kMaps;
    while (r.ok()) {
        at = r.pos();
        if (!r.Has(kMapRecordSize)) {
            fault = "the map table ends without its end mark";
            break;
        }
        MapDbRecord rec;
        MapDbRecordFields(r, rec);
        if (rec.id == m) {
            *out = rec;
            return true;
        }
        if (rec.id == 0xFFFF) {
            fault = "the map table holds no map " + std::to_string(m);
            break;
        }
    }
    if (why)
        *why = gMapDatabase ? DataError(kMapsFileName, kMapsFileHeader + at, fault)
                            : MapDatabaseFault();
    return false;
}

namespace {

// Copies a Big5 text into a field of n bytes, cutting before a character that
// would not fit whole.
void CopyBig5(char* dst, const u8* src, size_t len, size_t n) {
    size_t i = Big5Cut(reinterpret_cast<const char*>(src), len, n - 1);
    std::memcpy(dst, src, i);
    dst[i] = 0;
}

// Finds "%Q" from the reader's position; its offset or npos.
size_t FindMark(const ByteReader& r) {
    size_t at = FindQMark(reinterpret_cast<const char*>(r.here()), r.bytesLeft());
    return at == kNoMark ? std::string::npos : at;
}

}  // namespace

int ReadPlaceName(u32 m, char* out) {
    ByteReader r = MapDbTable(dbTable::kPlaceNames);
    while (r.Has(2)) {
        u16 id = r.U16();
        if (id == 0xFFFF) return 0;
        size_t at = FindMark(r);
        if (at == std::string::npos) return 0;
        if (id == m) {
            CopyBig5(out, r.here(), at, kPlaceNameField);
            return 1;
        }
        r.Skip(at + 2);
    }
    return 0;
}

bool LoadEncounterGroups() {
    gEncounterGroups.clear();
    gEncounterGroupCount = 0;
    ByteReader r = MapDbTable(dbTable::kGroups);
    std::vector<u16> words;
    bool ended = false;
    while (r.Has(2)) {
        u16 v = r.U16();
        if (v == 0xFFFF) {
            ended = true;
            break;
        }
        words.push_back(v);
    }
    if (!ended || words.size() % kGroupWords != 0) {
        ReportDataError(WordedDataError(B5("%s\n戰鬥機率組資料有誤 (%d)"), kMapsFileName,
                                        static_cast<int>(words.size())),
                        B5("遊戲初始"));
        return false;
    }
    gEncounterGroups = words;
    gEncounterGroupCount = static_cast<u32>(words.size() / kGroupWords);
    return true;
}

void ReadEncounterZones() {
    ByteReader r = MapDbTable(dbTable::kZones);
    while (r.Has(kZoneRecordSize)) {
        u16 id = r.U16();
        EncounterZone z;
        z.left = r.U16();
        z.top = r.U16();
        z.right = r.U16();
        z.bottom = r.U16();
        z.battles = r.U32();
        if (id == 0xFFFF) return;
        if (id == gMapId) gEncounterZones.insert(gEncounterZones.begin(), z);
    }
}

u32 RollEncounter(u32 steps) {
    if (gEncounterGroup == 0 || gEncounterGroup > gEncounterGroupCount) return 0;
    u32 r = RandomN(100);
    const u16* g = &gEncounterGroups[(gEncounterGroup - 1) * kGroupWords];
    u32 sum = 0;
    int pick = -1;
    for (int k = 0; k < 4; ++k) {
        sum += g[2 * k];
        if (sum > steps) {
            pick = k;
            break;
        }
    }
    if (pick < 0 || g[2 * pick + 1] <= r) return 0;
    if (gPlayerSlot <= 0 || gPlayerSlot >= kRoleRows) return 0;
    u32 px = gMapRoles[gPlayerSlot].x >> 4, py = gMapRoles[gPlayerSlot].y >> 4;
    for (const EncounterZone& z : gEncounterZones) {
        if (px < z.left || px > z.right || py < z.top || py > z.bottom) continue;
        ByteReader b(gMapDatabase, gMapDatabaseSize);
        b.Seek(z.battles);
        u16 n = b.U16();
        // An empty or cut list starts nothing.
        if (!b.ok() || n == 0 || !b.HasRecords(n, 2)) return 0;
        b.Skip(2ull * RandomN(n));
        gStepCount = 0;
        return b.U16();
    }
    return 0;
}

// ---- pop-out points ----

int PickPopOutPoint(u16 id, i32* x, i32* y) {
    ByteReader r = MapDbTable(dbTable::kPopOut);
    while (r.Has(4)) {
        size_t at = r.pos();
        u16 role = r.U16();
        std::vector<u16> vals;
        u16 first = r.U16();
        if (role == 0xFFFF && first == 0xFFFF) return 0;
        for (u16 v = first; v != 0xFFFF && r.ok(); v = r.U16()) vals.push_back(v);
        if (!r.ok()) return 0;
        if (role != id) continue;
        if (vals.size() % 2)
            ReportDataError(DataError(kMapsFileName, kMapsFileHeader + at,
                                      "pop-out points of role " + std::to_string(id) +
                                          " hold an odd count of words")
                                .Boxed(B5("迸出資料有問題 位置不完整")),
                            "2k");
        // A role listed without points keeps its cell.
        if (vals.size() < 2) return 0;
        size_t k = static_cast<size_t>(std::rand()) % (vals.size() / 2);
        *x = vals[2 * k];
        *y = vals[2 * k + 1];
        return 1;
    }
    return 0;
}

void AgePopOutRoles() {
    for (i32 i = 0; i < gRoleRecordCount; ++i) {
        u8 b25 = RecordByte(i, recByte::kExtra2);
        if (!(b25 & 0x80)) continue;
        b25 &= 0x7F;
        u8 period = RecordByte(i, recByte::kExtra1);
        if (period != 0) {
            b25 = static_cast<u8>(b25 + 1);
            if (b25 >= period) {
                b25 = 0;
                i32 x = 0, y = 0;
                if (PickPopOutPoint(RecordWord(i, recWord::kId), &x, &y)) {
                    SetRecordWord(i, recWord::kCellX, static_cast<u16>(x));
                    SetRecordWord(i, recWord::kCellY, static_cast<u16>(y));
                }
            } else {
                b25 |= 0x80;
            }
        }
        SetRecordByte(i, recByte::kExtra2, b25);
    }
}

// ---- camera and progress ----

namespace {
// The view rectangle with its origin at (x, y), kept on the map.
void ViewRectFrom(i32 x, i32 y, Rect16* v) {
    i32 mw = static_cast<i32>(gMap.width) * 16, mh = static_cast<i32>(gMap.height) * 16;
    v->left = std::max(0, x);
    v->top = std::max(0, y);
    v->right = v->left + 640;
    v->bottom = v->top + 480;
    // A map smaller than the screen keeps its origin at 0.
    if (v->right >= mw) {
        v->right = mw;
        v->left = std::max(0, mw - 640);
    }
    if (v->bottom >= mh) {
        v->bottom = mh;
        v->top = std::max(0, mh - 480);
    }
}
}  // namespace

void GetViewRectAt(i32 x, i32 y, Rect16* v) {
    ViewRectFrom(x - 320, y - 240, v);
}

void CenterCameraOnPlayer() {
    if (gPlayerSlot <= 0 || gPlayerSlot >= kRoleRows) return;
    Rect16 v;
    ViewRectFrom(gMapRoles[gPlayerSlot].x - 304, gMapRoles[gPlayerSlot].y - 240, &v);
    gViewX = v.left;
    gViewY = v.top;
    gViewRight = v.right;
    gViewBottom = v.bottom;
}

namespace {
// The load screen's picture, its frame and the bar.
ActPlayer gLoadActs[3];
constexpr i32 kLoadActIds[3] = {kLoadPictureAct, kLoadFrameAct, kLoadFrameAct};
constexpr i32 kLoadActX[3] = {100, 50, 50}, kLoadActY[3] = {50, 400, 400};

void SetUpLoadScreen() {
    for (int k = 0; k < 3; ++k) {
        ResetActPlayer(&gLoadActs[k]);
        gLoadActs[k].act = kLoadActIds[k];
    }
}

// The picture shows the tenth of the way done, the frame stays, the bar fills
// by tenths: its action is one past the tenth.
void DrawLoadScreen(int frame) {
    const i32 actions[3] = {frame, 0, frame + 1};
    for (int k = 0; k < 3; ++k) {
        ActPlayer* a = &gLoadActs[k];
        if (a->act == 0) continue;
        a->action = actions[k];
        if (TakeActData(a)) DrawActPicture(a, kLoadActX[k], kLoadActY[k], 0);
    }
}
}  // namespace

void ShowLoadProgress(i32 p) {
    if (gFrameId != kMapMode || !GetGameFlag(kLoadBarFlag) || !gDrawSurface) return;
    if (p == -1) {
        SetUpLoadScreen();
        return;
    }
    int frame = std::clamp(p / 10, 0, 9);
    gDDraw.EraseSurface(gDrawSurface);
    gPaintBuf = LockSurface(gDrawSurface);
    UnlockSurface(gDrawSurface, nullptr);
    DrawLoadScreen(frame);
    gDDraw.Present();
}

void ResetLoadScreen() {
    for (ActPlayer& a : gLoadActs) a = ActPlayer{};
}

// ---- music ----

void PlayMapMusic(u32 m) {
    const char* table = GetDbRecord(1);
    // The row table follows the record's u32; GetDbRecord points at its text.
    ByteReader r = MapDbTable(dbTable::kNames);
    r.Skip(4);
    u32 off = r.U32();
    ByteReader t(gMapDatabase, gMapDatabaseSize);
    (void)table;
    if (!r.ok() || !t.Seek(off) || !t.Skip(4)) return;
    for (;;) {
        u16 id = t.U16(), m1 = t.U16(), m2 = t.U16(), mode = t.U16();
        if (!t.ok() || id == 0) {
            gMapScene.roleFlags &= ~0xC0000u;
            return;
        }
        if (id != m) continue;
        if (m1 == gMapMusic.music1 && m2 == gMapMusic.music2) return;
        gMapMusic.mode = mode;
        gMapMusic.music1 = m1;
        gMapMusic.music2 = m2;
        bool hold =
            gMusic.GetMode() == 2 || (gMapMusic.override1 >= 1 && gMapMusic.override1 <= 1023);
        u16 nums[2] = {m1, m2};
        for (int k = 0; k < 2; ++k) {
            const char* name = GetDbRecord(nums[k]);
            std::string path = std::string(gBasePath) + "music\\" + name;
            bool cd = name[0] == 'C' && name[1] == 'D' && std::isdigit(static_cast<u8>(name[2])) &&
                      std::isdigit(static_cast<u8>(name[3]));
            if (cd) {
                StopAllSfx();
                if (!hold) {
                    gMusic.SetMode(4, 1, 0);
                    gCdMusic = 1;
                    if (gRedbook) gRedbook->Play((name[2] - '0') * 10 + (name[3] - '0'), 0);
                }
            } else if (!hold) {
                if (gCdMusic && gRedbook) gRedbook->Stop();
                gCdMusic = 0;
            }
            gMusic.SetTrack(path.c_str(), nums[k], k, 1);
        }
        if (!gCdMusic && !hold) gMusic.SetMode(1, static_cast<int>(mode & 3), 15);
        return;
    }
}

const MapEvent* FindMapEvent(u32 n) {
    for (const MapEvent& e : gMapEvents)
        if (e.number == n) return &e;
    return nullptr;
}

// ---- LoadCity ----

namespace {

void ApplyMapRecord(const MapDbRecord& rec) {
    gMapScene.attribute = rec.scene & 15;
    gMapScene.defaultSwitch = (rec.scene & 0x10) ? 0 : 1;
    static const struct {
        u8 bit;
        int flag;
    } kEffects[] = {{0x80, kBlackCanvasFlag}, {0x10, kBirdsFlag},         {0x08, kShimmerFlag},
                    {0x04, kFlashFlag},       {0x02, kSpotlightClipFlag}, {0x01, kGlowFlag}};
    for (const auto& e : kEffects) PutGameFlag(e.flag, (rec.effects & e.bit) ? 1 : 0);
    PutGameFlag(kParticlesFlag, (rec.effects & 0x60) ? 1 : 0);
    u32 step = rec.step & 15;
    SetWalkStep(step == 1 || step == 2 || step == 4 || step == 8 || step == 16 ? step : 4);
    gMapScene.colours[0] = rec.step >> 4;
    gMapScene.colours[1] = rec.colours >> 4;
    gMapScene.colours[2] = rec.colours & 15;
    gMapScene.sceneValue = std::max<u32>(1, rec.sceneValue);
    gMapScene.roleFlags = rec.roleFlags;
    gEncounterGroup = rec.group;
    if (gEncounterGroup > gEncounterGroupCount) {
        ReportDataError(WordedDataError(B5("錯誤的戰鬥機率組[%d]"), static_cast<int>(rec.group)),
                        B5("載入地圖"));
        // With no groups at all there is nothing to fall back on.
        gEncounterGroup = gEncounterGroupCount > 0 ? 1 : 0;
    }
}

void ResetMapLevelState() {
    for (int f : {kParticlesFlag, kBirdsFlag, kShimmerFlag, kFlashFlag, kGlowFlag})
        ClearGameFlag(f);
    ResetSceneLayers();
    for (u32& b : gMapScene.bucketBounds) b = 0x7FFFFFFF;
    gMapScene.centreX = 320;
    gMapScene.centreY = 240;
    // The caches are emptied; the archives stay open for the new map's pictures.
    FreePics();
    FreeActs();
    StopAllSfx();
}

void FirstVisitFlags(u32 m) {
    ClearGameFlag(kFirstVisitFlag);
    ByteReader r = MapDbTable(dbTable::kFirstVisit);
    while (r.Has(4)) {
        u16 id = r.U16(), flag = r.U16();
        if (id == 0) return;
        if (id == m && !GetGameFlag(flag)) {
            SetGameFlag(flag);
            SetGameFlag(kFirstVisitFlag);
        }
    }
}

void ClearMapLevelLists() {
    if (!GetGameFlag(kKeepStepsFlag)) gStepCount = 0;
    gEncounterZones.clear();
    ReleaseMapTransients();
    ReleaseDialogPictures();
    ClearRoleTable();
    ClearRouteRecords();
    ClearFollowers();
    FreeMapOverlays();
    gMapRoleCount = 1;
    gMapScene.hasPalette = false;
    ClearSceneBuffer();
    ClearKeyStates();
    DeleteRipplesButHead();
}

void MakeDrift(bool large) {
    for (DriftItem& d : gMapScene.drift) {
        d.counter = static_cast<i32>(RandomN(3)) + 1;
        d.value = large ? static_cast<i32>(RandomN(8)) + 64 : static_cast<i32>(RandomN(4)) + 96;
        d.x = static_cast<i32>(RandomN(gMap.width * 16));
        d.y = static_cast<i32>(RandomN(gMap.height * 16));
        d.dx = static_cast<i32>(RandomN(2)) - 2;
        d.dy = static_cast<i32>(RandomN(2)) - 2;
    }
}

void PlaceRole(i32 row, u32 m, const MapDbRecord& rec) {
    u16 cx = RecordWord(row, recWord::kCellX), cy = RecordWord(row, recWord::kCellY);
    if (cx >= gMap.width || cy >= gMap.height) {
        SetRecordWord(row, recWord::kCellX, static_cast<u16>(gMap.width - 1));
        SetRecordWord(row, recWord::kCellY, static_cast<u16>(gMap.height - 1));
        return;
    }
    if (gMapRoleCount >= kRoleRows) return;
    int n = gMapRoleCount++;
    RoleSlot& s = gMapRoles[n];
    s = RoleSlot{};
    s.act = NewActPlayer();
    s.roleId = RecordWord(row, recWord::kId);
    s.act->act = static_cast<i16>(RecordWord(row, recWord::kAct));
    s.act->action = static_cast<i16>(RecordWord(row, recWord::kAction));
    s.act->dir = static_cast<i16>(RecordWord(row, recWord::kDir));
    s.x = static_cast<u16>(cx * 16);
    s.y = static_cast<u16>(cy * 16);
    s.talk = RecordWord(row, recWord::kTalk);
    s.scriptId = RecordWord(row, recWord::kScript);
    s.pc = static_cast<u32>(static_cast<i32>(static_cast<i16>(RecordWord(row, recWord::kPc))));
    s.state = RecordWord(row, recWord::kState);
    s.extra1 = static_cast<i8>(RecordByte(row, recByte::kExtra1));
    s.extra2 = RecordByte(row, recByte::kExtra2);
    ReadRoleFootprint(&s);
    InsertMapObject(&s, static_cast<int>(s.state & kRoleLayer));
    if (s.roleId == gPlayerId) {
        gPlayerSlot = n;
        gFollowers.slot[0] = static_cast<u8>(n);
        gFollowers.count = std::max<u32>(gFollowers.count, 1);
    } else if (s.state & kRoleFollows) {
        AddFollower(n);
        s.state |= kRoleShown;
        if (m == 22 || (rec.roleFlags & 0x8000)) s.state &= ~kRoleShown;
    }
}

void PlaceRoles(u32 m, i32 x, i32 y, i32 act, i32 action, i32 dir, const MapDbRecord& rec) {
    for (i32 i = 0; i < gRoleRecordCount; ++i) {
        u16 id = RecordWord(i, recWord::kId);
        if (id == 0 || id == 10000 || id == 10001)
            SetRecordWord(i, recWord::kMap, static_cast<u16>(m));
        if (id == gPlayerId) {
            SetRecordWord(i, recWord::kMap, static_cast<u16>(m));
            SetRecordWord(i, recWord::kAct, static_cast<u16>(act));
            SetRecordWord(i, recWord::kAction, static_cast<u16>(action));
            SetRecordWord(i, recWord::kDir, static_cast<u16>(dir));
            SetRecordWord(i, recWord::kCellX, static_cast<u16>(x));
            SetRecordWord(i, recWord::kCellY, static_cast<u16>(y));
            for (int w : {recWord::kTalk, recWord::kScript, recWord::kPc}) SetRecordWord(i, w, 0);
            SetRecordWord(i, recWord::kState,
                          kRoleShown | kRoleWide | kRoleIdleAnim | kRoleTakesCell);
            for (int k = 0; k < kTrailLength; ++k) {
                gFollowers.trailX[k] = x * 16;
                gFollowers.trailY[k] = y * 16;
                gFollowers.trailDir[k] = dir;
            }
        }
        if (RecordWord(i, recWord::kMap) == m) PlaceRole(i, m, rec);
    }
}

// The window goes after the frame that called: the frame still draws into
// what the release would free.
void CloseAfterFrame() {
    PostMessageA(gMainWnd, WM_DESTROY, 0, 0);
}

bool Fail(const char* caption, const char* text) {
    ReportDataError(WordedDataError("%s", text), caption);
    CloseAfterFrame();
    return false;
}

}  // namespace

void LoadCity(u32 m, i32 x, i32 y, i32 act, i32 action, i32 dir, u32 options) {
    bool was2 = gMapId == 2;
    PutGameFlag(kLoadBarFlag, (m == 2 || was2) ? 1 : 0);
    if (m == 2 && !was2) {
        gSavedWalkMode = gWalkMode;
        gWalkMode = 1;
    } else if (was2 && m != 2) {
        gWalkMode = gSavedWalkMode;
    }
    bool toRuin = m == 421 || m == 439, fromRuin = gMapId == 421 || gMapId == 439;
    if (toRuin)
        SetGameFlag(kSpotlightMaskFlag);
    else if (fromRuin)
        ClearGameFlag(kSpotlightMaskFlag);

    ClearFrameInterval();
    ShowLoadProgress(-1);
    ResetMapLevelState();

    MapDbRecord rec;
    DataError missing;
    bool found = FindMapRecord(m, &rec, &missing);
    if (found) ApplyMapRecord(rec);
    if (gInstallMode == 1) {
        char letter = 0;
        if (FindDisc(gCdPath, 1, &letter) == 2) return;
        if (letter) gCdPath[0] = letter;
    }
    StopGhosts();
    FirstVisitFlags(m);
    if (!found) {
        ReportDataError(
            BoxedDataError(missing, B5("找不到設定的起始地圖碼 (%d)"), static_cast<int>(m)),
            B5("遊戲初始"));
        CloseAfterFrame();
        return;
    }
    ShowLoadProgress(20);
    gMapId = m;
    SetGameFlag(kVisitedFlagBase + static_cast<i32>(m));
    if (options & 1) StoreRoleRecords(x, y);
    ClearMapLevelLists();

    if (!LoadMap3(rec.archive, &gMap)) {
        Fail(B5("載入地圖"), B5("過程發生錯誤"));
        return;
    }
    if (gMap.tileBits == 8 && gMap.pixelSize >= 512) {
        std::memcpy(gMapScene.palette, gMap.Pixel, 512);
        ConvertPixels(reinterpret_cast<u16*>(gMapScene.palette), 256);
        gMapScene.hasPalette = true;
    }
    gMap.cellCount = gMap.width * gMap.height;
    if (!ReadPlaceName(m, gMap.name)) {
        ReportDataError(
            WordedDataError(B5("MapName.txt中找不到地圖[%d]名稱"), static_cast<int>(rec.archive)),
            B5("讀取地圖名稱"));
        std::snprintf(gMap.name, sizeof(gMap.name), "%s", B5("不知道"));
    }
    AgePopOutRoles();
    ShowLoadProgress(80);
    if (GetGameFlag(kParticlesFlag)) MakeDrift((rec.effects & 0x20) != 0);
    gMapScene.scrollLeft = 0;
    gMapScene.scrollTop = 0;
    gMapScene.scrollRight = static_cast<i32>(gMap.width) * 16;
    gMapScene.scrollBottom = static_cast<i32>(gMap.height) * 16;
    ReadEncounterZones();
    ShowLoadProgress(90);

    PlaceRoles(m, x, y, act, action, dir, rec);
    if (gFrameId == kMapMode)
        PlayMapMusic(m);
    else
        PlayWorldMapMusic();
    ShowLoadProgress(100);
    for (int i = 1; i < gMapRoleCount; ++i) newRoleInit(&gMapRoles[i]);
    CenterCameraOnPlayer();
    if (m == 2) {
        ResetInterfaceKeys();
        // A key still down from the walk that led here (into a way out, into
        // the signpost) picks nothing: it counts once released and pressed again.
        PlatformIgnoreHeldKeys();
        if (gPlayerSlot > 0) gMapRoles[gPlayerSlot].state |= kRoleOnMap2;
        UpdateRoleRecord(gPlayerId, -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, kRoleOnMap2, -1, -1, 0xFFFF,
                         255);
        SetWorldMapHandOver(100);
    }
    gMapCycle = std::max<u32>(1, gMapScene.sceneValue);
    ResetTileAnimation();
    SetFrameInterval(kFrameMs);
    if (gPlayerSlot > 0) gMapRoles[gPlayerSlot].extra1 = static_cast<i16>(gNewGame.playerValue);
}

void ResetMapMusicState() {
    gMapMusic.mode = gMapMusic.music1 = gMapMusic.music2 = gMapMusic.spare = 0xFFFFFFFFu;
}

void ResetCity() {
    gMapId = 0;
    gMapScene = MapScene{};
    gViewX = gViewY = 0;
    gViewRight = 640;
    gViewBottom = 480;
    gMapMusic = MapMusicState{};
    gEncounterGroups.clear();
    gEncounterGroupCount = 0;
    gEncounterGroup = 0;
    gEncounterZones.clear();
    gStepCount = 0;
    gSavedWalkMode = 0;
    ResetLoadScreen();
}
