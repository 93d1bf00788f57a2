// The start of a new game: the start values of flags and counters, the map
// cursor, the role records and the entries of table 6, and the start record.
#include "map/NewGame.h"

#include <cstdio>
#include <cstring>

#include "base/DataError.h"
#include "base/Types.h"
#include "platform/TextCodec.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/MemDbg.h"
#include "sound/Music.h"
#include "data/GameFlags.h"
#include "map/ActDraw.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/KeyCole.h"
#include "map/MapArchive.h"
#include "map/MapCache.h"
#include "map/MapDb.h"
#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/RoleTable.h"
#include "map/Scale.h"
#include "map/StoryLink.h"

NewGameState gNewGame;
u32 gGameDataReady = 0;

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
        ReportActFault(9001, "Act Err08(Misc:Init:Mouse:Norm)", RoleErrorText(), 0, 9001, 0, 0);
}

void BindRecordsFromDatabase() {
    ByteReader r = MapDbTable(dbTable::kRoleRecords);
    if (!r.ok()) {
        BindRoleRecords(nullptr, 0);
        return;
    }
    if (!BindRoleRecords(const_cast<u8*>(r.here()), r.bytesLeft()))
        ReportDataError({kMapsFileName, kMapsFileHeader + r.pos(), "role records have no end row"});
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
        DataError why = gMapDatabase
                            ? DataError(kMapsFileName, kMapsFileHeader + 4u * dbTable::kStart,
                                        "the start record lies outside the database")
                            : MapDatabaseFault();
        ReportDataError(BoxedDataError(why, B5("找不到設定的起始地圖碼 (%d)"), map),
                        B5("遊戲初始"));
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
    if (gNewGame.cursor) MH_FREE(gNewGame.cursor);
    gNewGame = NewGameState{};
    gGameDataReady = 0;
}
