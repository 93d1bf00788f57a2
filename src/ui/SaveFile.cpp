// The save file: one field list of its 22 items walked by the writer and the
// checking reader, the staging image, and the loaders into the running game.
#include "ui/SaveFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/ByteIo.h"
#include "base/Types.h"
#include "platform/Display.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "engine/DDraw.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/File.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/Lzo.h"
#include "engine/MemDbg.h"
#include "engine/MyAct.h"
#include "engine/PixelFormat.h"
#include "sound/Music.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/MapArchive.h"
#include "map/MapDb.h"
#include "map/MapDraw.h"
#include "map/MapScene.h"
#include "map/MapTransients.h"
#include "map/RoleTable.h"
#include "map/SessionServices.h"
#include "map/StoryLink.h"
#include "story/PartyCommands.h"
#include "story/Talk.h"
#include "ui/DevTool.h"
#include "ui/SaveBlocks.h"

u8 gSaveReserved[kSaveReservedBytes];
ScriptRecord* gScriptRecordA = nullptr;
ScriptRecord* gScriptRecordB = nullptr;
i32 gCurrentSlot = 0;

namespace {

using namespace save_blocks;

constexpr u32 kMusicKeepFlag = 0x800;
constexpr int kMaskedFlags[] = {kParticlesFlag, kBirdsFlag,         kShimmerFlag,
                                kFlashFlag,     kSpotlightClipFlag, kGlowFlag};

constexpr BlockRule kFlagBlock{500, 0, 0};
constexpr BlockRule kRoleBlock{0, kRecordBytes, kRecordBytes* kSaveMaxRoleRows};
constexpr BlockRule kScriptBlock{2 * kScriptRecordBytes, 0, 0};
// The variable block's size is checked by walking its content.
constexpr BlockRule kVarBlock{0, 2, kSaveVarBlockFixed + 8 * kSaveMaxMusicRows + 2};

// ---- the pieces whose reading and writing differ ----

template <class T>
void CountedU32s(ByteWriter& w, std::vector<T>& v) {
    w.U32(static_cast<u32>(v.size()));
    for (T x : v) w.U32(static_cast<u32>(x));
}
template <class T>
void CountedU32s(ByteReader& r, std::vector<T>& v) {
    u32 q = r.U32();
    // The count is checked against the bytes left before anything is allocated.
    if (!r.HasRecords(q, 4)) return r.Fail();
    v.resize(q);
    for (T& x : v) x = static_cast<T>(r.U32());
}

// Tables whose length is the database's, not the file's.
template <class T>
void FixedI32s(ByteWriter& w, std::vector<T>& v, size_t) {
    for (T x : v) w.I32(x);
}
template <class T>
void FixedI32s(ByteReader& r, std::vector<T>& v, size_t n) {
    if (!r.HasRecords(n, 4)) return r.Fail();
    v.resize(n);
    for (T& x : v) x = r.I32();
}

// Party and formation entries must name one of the eight roles or none.
bool RoleIndexOk(i32 v) {
    return v >= -1 && v <= 7;
}
void CheckRoleIndices(ByteReader& r, const i32* v) {
    for (int i = 0; i < 8; ++i)
        if (!RoleIndexOk(v[i])) r.Fail();
}
void CheckRoleIndices(ByteWriter&, const i32*) {}

// ---- the file, item by item ----

template <class Io>
void HeaderItems(Io& io, SaveHeader& h) {
    Raw(io, h.date, kSaveDateBytes);    // 1
    io.Array(h.thumb, kThumbPixels);    // 2
    Raw(io, h.place, kSavePlaceBytes);  // 3
    for (int i = 0; i < 8; ++i) {       // 4
        io.Field(h.partyRole[i]);
        io.Field(h.partyValue[i]);
    }
    CheckRoleIndices(io, h.partyRole);
    Raw(io, h.money, kSaveMoneyBytes);    // 5
    Raw(io, h.playTime, kSaveTimeBytes);  // 6
}

template <class Io>
void SaveItems(Io& io, SaveImage& s) {
    HeaderItems(io, s.header);
    Block(io, kFlagBlock, [&](auto& b) { Raw(b, s.flags, sizeof(s.flags)); });  // 7
    Block(io, kRoleBlock, [&](auto& b) { RestBytes(b, s.roleRows); });          // 8
    io.Field(s.playerId);                                                       // 9
    io.Field(s.mapId);
    io.Field(s.cellX);
    io.Field(s.cellY);
    io.Field(s.act);
    io.Field(s.action);
    io.Field(s.dir);
    Block(io, kVarBlock, [&](auto& b) {  // 10
        b.Field(s.gameTime);
        b.Array(s.scriptVars, 256);
        MusicRows(b, s.music);
    });
    Raw(io, s.reserved, sizeof(s.reserved));  // 11
    io.Field(s.quakePeriod);                  // 12
    io.Field(s.quakeCountdown);
    Raw(io, s.quakeTable, sizeof(s.quakeTable));
    Block(io, kScriptBlock, [&](auto& b) { Raw(b, s.scriptRecords, sizeof(s.scriptRecords)); });
    CountedU32s(io, s.quests);                                     // 14
    FixedI32s(io, s.ownedItems, static_cast<size_t>(gItemCount));  // 15
    io.Array(s.formation, 8);                                      // 16
    CheckRoleIndices(io, s.formation);
    for (int k = 0; k < 8; ++k) {  // 17
        Fields(io, s.roleStats[k]);
        Fields(io, static_cast<RoleStats&>(s.roles[k]));
        io.Array(s.roles[k].equip, kSlotCount);
        io.Field(s.roles[k].extra);
    }
    FixedI32s(io, s.ownedMonsters, static_cast<size_t>(gMonsterCount));  // 18
    for (EquipageData& e : s.equipage) Fields(io, e);                    // 19
    for (auto& row : s.learned) io.Array(row, kSkillRows);               // 20
    for (MonsterData& m : s.godForms) Fields(io, m);                     // 21
    io.Field(s.musicState.mode);                                         // 22
    io.Field(s.musicState.music1);
    io.Field(s.musicState.music2);
    io.Field(s.musicState.spare);
    io.Field(s.musicState.override1);
    io.Field(s.musicState.override2);
}

// Writes a fixed-width text: the bytes of t, cut or zero-padded to n.
void PutText(char* out, size_t n, const char* t) {
    std::memset(out, 0, n);
    std::memcpy(out, t, std::min(n, std::strlen(t)));
}

// The map-music table inside the map database: rows of four u16 after the
// u32 of name record 1, ended by map id 0. Null when it is missing.
u8* MusicTable(u32* rows) {
    *rows = 0;
    ByteReader r = MapDbTable(dbTable::kNames);
    r.Skip(4);
    u32 off = r.U32();
    ByteReader t(gMapDatabase, gMapDatabaseSize);
    if (!r.ok() || !t.Seek(off) || !t.Skip(4)) return nullptr;
    u8* start = gMapDatabase + t.pos();
    for (;;) {
        u16 id = t.U16();
        if (!t.ok() || id == 0) break;
        if (!t.Skip(6)) break;
        ++*rows;
    }
    return start;
}

void CollectMusicRows(SaveImage* img) {
    u32 n = 0;
    const u8* p = MusicTable(&n);
    img->music.clear();
    for (u32 i = 0; p && i < n; ++i, p += 8)
        img->music.push_back({LoadU16(p), LoadU16(p + 2), LoadU16(p + 4), LoadU16(p + 6)});
}

void LayMusicRows(const SaveImage& img) {
    u32 n = 0;
    u8* table = MusicTable(&n);
    if (!table) return;
    for (const MapMusicRow& m : img.music) {
        for (u32 i = 0; i < n; ++i) {
            u8* row = table + 8 * i;
            if (LoadU16(row) != m.mapId) continue;
            if (LoadU16(row + 6) & kMusicKeepFlag) break;
            StoreU16(row, m.mapId);
            StoreU16(row + 2, m.music1);
            StoreU16(row + 4, m.music2);
            StoreU16(row + 6, m.flags);
            break;
        }
    }
}

void ThumbnailFrom(const u16* canvas, u16* thumb) {
    if (!canvas) {
        std::memset(thumb, 0, kThumbPixels * 2);
        return;
    }
    for (int y = 0; y < kThumbH; ++y)
        for (int x = 0; x < kThumbW; ++x) thumb[y * kThumbW + x] = canvas[(4 * y) * 640 + 4 * x];
    ConvertPixelsBack(thumb, kThumbPixels);
}

void HeaderFromGame(SaveHeader* h, const u16* canvas) {
    std::time_t now = std::time(nullptr);
    std::tm tmv{};
    localtime_r(&now, &tmv);
    FormatSaveDate(tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min,
                   h->date);
    ThumbnailFrom(canvas, h->thumb);
    PutText(h->place, kSavePlaceBytes, gMap.name);
    bool swap = GetGameFlag(kLeadSwapFlag) != 0;
    for (int i = 0; i < 8; ++i) {
        i32 r = gParty[i];
        i32 shown = r;
        if (swap && (r == 0 || r == 1)) shown = 1 - r;
        h->partyRole[i] = shown;
        h->partyValue[i] = (r >= 0 && r < kRoleCount) ? gRoleStats[r].level : r;
    }
    FormatSaveMoney(static_cast<i32>(gScriptVars[0]), h->money);
    FormatSavePlayTime(gGameTime, h->playTime);
}

void PlayerPosition(SaveImage* img) {
    img->playerId = gPlayerId;
    img->mapId = gMapId;
    if (gPlayerSlot <= 0 || gPlayerSlot >= kRoleRows) return;
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    img->cellX = p.x / 16u;
    img->cellY = p.y / 16u;
    if (p.act) {
        img->act = static_cast<u32>(p.act->act);
        img->action = static_cast<u32>(p.act->action);
        img->dir = static_cast<u32>(p.act->dir);
    }
}

void FreeScriptRecords() {
    delete gScriptRecordA;
    delete gScriptRecordB;
    gScriptRecordA = gScriptRecordB = nullptr;
}

void StoreScriptRecord(const ScriptRecord* rec, u8* out) {
    std::memset(out, 0, kScriptRecordBytes);
    if (!rec) return;
    for (int w = 0; w < 13; ++w) StoreU16(out + 2 * w, rec->words[w]);
}

ScriptRecord* LoadScriptRecord(const u8* in) {
    if (in[0] == 0) return nullptr;
    ScriptRecord* rec = new ScriptRecord;
    for (int w = 0; w < 13; ++w) rec->words[w] = LoadU16(in + 2 * w);
    return rec;
}

void ReloadMapDatabase() {
    ReadMapDatabase();
    ByteReader r = MapDbTable(dbTable::kRoleRecords);
    if (!r.ok()) {
        BindRoleRecords(nullptr, 0);
        return;
    }
    BindRoleRecords(const_cast<u8*>(r.here()), r.bytesLeft());
}

i32 KeepOr(u16 w) {
    return w == 0xFFFF ? -1 : w;
}

void LayRoleRows(const SaveImage& img) {
    size_t rows = img.roleRows.size() / kRecordBytes;
    for (size_t i = 0; i < rows; ++i) {
        const u8* p = img.roleRows.data() + i * kRecordBytes;
        u16 w[kRecordWords];
        for (int k = 0; k < kRecordWords; ++k) w[k] = LoadU16(p + 2 * k);
        namespace rw = recWord;
        const u16 state = w[rw::kState] == 0xFFFF ? u16{0} : w[rw::kState];
        const u16 extras = w[rw::kExtras] == 0x00FF ? u16{255} : w[rw::kExtras];
        UpdateRoleRecord(w[rw::kId], KeepOr(w[rw::kAct]), KeepOr(w[rw::kAction]),
                         KeepOr(w[rw::kDir]), KeepOr(w[rw::kCellX]), KeepOr(w[rw::kCellY]),
                         w[rw::kTalk], w[rw::kScript], state, 0, KeepOr(w[rw::kMap]), w[rw::kValue],
                         extras);
    }
}

template <class T>
void CopyCounted(const std::vector<T>& from, T* to, i32 count) {
    if (!to || count <= 0) return;
    size_t n = std::min(from.size(), static_cast<size_t>(count));
    std::copy_n(from.begin(), n, to);
}

}  // namespace

std::string SlotPath(int slot) {
    char buf[kPathSize + 32];
    std::snprintf(buf, sizeof(buf), "%sSave\\MH%02d.sav", gBasePath, slot + 1);
    return buf;
}

std::string QuickPath() {
    return std::string(gBasePath) + "Save\\Quick.sav";
}

void FormatSaveDate(int year, int month, int day, int hour, int minute, char out[kSaveDateBytes]) {
    const char* half = hour >= 12 ? "PM" : "AM";
    int h12 = hour % 12 == 0 ? 12 : hour % 12;
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%04d/%02d/%02d %s %02d:%02d", year, month, day, half, h12,
                  minute);
    PutText(out, kSaveDateBytes, buf);
}

void FormatSaveMoney(i32 money, char out[kSaveMoneyBytes]) {
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%s%7d", B5("金錢："), money);
    PutText(out, kSaveMoneyBytes, buf);
}

void FormatSavePlayTime(u32 t, char out[kSaveTimeBytes]) {
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%s%02u%s%02u%s%02u", B5("遊戲時間："), (t / 3600) % 60,
                  B5("："), (t / 60) % 60, B5("："), t % 60);
    PutText(out, kSaveTimeBytes, buf);
}

void BuildSaveImage(SaveImage* img, const u16* canvas) {
    HeaderFromGame(&img->header, canvas);
    std::memcpy(img->flags, gGameFlags, sizeof(img->flags));
    img->roleRows.assign(gRoleRecords,
                         gRoleRecords ? gRoleRecords + gRoleRecordCount * kRecordBytes : nullptr);
    PlayerPosition(img);
    img->gameTime = gGameTime;
    std::memcpy(img->scriptVars, gScriptVars, sizeof(img->scriptVars));
    CollectMusicRows(img);
    std::memcpy(img->reserved, gSaveReserved, sizeof(img->reserved));
    img->quakePeriod = static_cast<u16>(gQuakePeriod);
    img->quakeCountdown = static_cast<u16>(gQuakeCountdown);
    std::memcpy(img->quakeTable, gQuakeTable, sizeof(img->quakeTable));
    StoreScriptRecord(gScriptRecordA, img->scriptRecords);
    StoreScriptRecord(gScriptRecordB, img->scriptRecords + kScriptRecordBytes);
    img->quests.assign(gQuestList.begin(), gQuestList.end());
    img->ownedItems.assign(gOwnedItems, gOwnedItems ? gOwnedItems + gItemCount : nullptr);
    std::memcpy(img->formation, gFormation, sizeof(img->formation));
    std::copy_n(gRoleStats, 8, img->roleStats);
    std::copy_n(gRoles, 8, img->roles);
    img->ownedMonsters.assign(gOwnedMonsters,
                              gOwnedMonsters ? gOwnedMonsters + gMonsterCount : nullptr);
    std::copy_n(gOwnedEquipage, kOwnedEquipageCount, img->equipage);
    std::memcpy(img->learned, gLearnedSkills, sizeof(img->learned));
    std::copy_n(gGodForms, kGodFormCount, img->godForms);
    img->musicState = gMapMusic;
}

std::vector<u8> SaveImageBytes(const SaveImage& img) {
    ByteWriter w;
    // The writer only reads the image; the field list takes it by reference.
    SaveItems(w, const_cast<SaveImage&>(img));
    return std::move(w.bytes());
}

bool ParseSaveImage(const u8* data, size_t size, SaveImage* img, DataError* error) {
    ByteReader r(data, size);
    SaveItems(r, *img);
    return EndsAfterLastItem(r, error);
}

bool ParseSaveHeader(const u8* data, size_t size, SaveHeader* h) {
    ByteReader r(data, size);
    HeaderItems(r, *h);
    return r.ok();
}

bool SaveIdsKnown(const SaveImage& img, DataError* error) {
    char why[96] = {};
    MapDbRecord rec;
    if (!FindMapRecord(img.mapId, &rec))
        std::snprintf(why, sizeof(why), "map %u is not in the map database", img.mapId);
    else if (img.playerId > 0xFFFF || FindRecord(static_cast<u16>(img.playerId)) < 0)
        std::snprintf(why, sizeof(why), "player role %u has no role record", img.playerId);
    for (int n = 0; n < kOwnedEquipageCount && !why[0]; ++n) {
        i32 id = img.equipage[n].id;
        if (id >= gEquipageCount)
            std::snprintf(why, sizeof(why), "owned piece %d names equipment record %d of %d", n, id,
                          gEquipageCount);
    }
    for (int k = 0; k < 8 && !why[0]; ++k)
        for (int s = 0; s < kSlotCount && !why[0]; ++s) {
            i32 piece = img.roles[k].equip[s];
            if (piece == -1) continue;
            if (piece < 0 || piece >= kOwnedEquipageCount || img.equipage[piece].id < 0)
                std::snprintf(why, sizeof(why), "role %d wears piece %d that is not owned", k,
                              piece);
        }
    if (!why[0]) return true;
    if (error) *error = DataError::Unplaced("", why);
    return false;
}

std::unique_ptr<SaveImage> ReadSaveFile(const std::string& path, DataError* error) {
    DataError why;
    auto img = ReadImageFile<SaveImage>(path, 0xFFFFFFFFu, ParseSaveImage, &why);
    if (img && !SaveIdsKnown(*img, &why)) {
        why.file = path;
        img = nullptr;
    }
    if (!img && error) *error = why;
    return img;
}

int IsSlotUsed(int slot) {
    if (slot < 0 || slot >= kSaveSlots) return 0;
    return ReadSaveFile(SlotPath(slot), nullptr) ? 1 : 0;
}

int IsQuickSaveValid() {
    return ReadSaveFile(QuickPath(), nullptr) ? 1 : 0;
}

int IsSlotTaken(int slot) {
    if (slot < 0 || slot >= kSaveSlots) return 0;
    return FileExists(SlotPath(slot).c_str()) ? 1 : 0;
}

int IsQuickSaveTaken() {
    return FileExists(QuickPath().c_str()) ? 1 : 0;
}

int WriteSaveFile(const char* path) {
    std::vector<u16> canvas(640 * 480);
    DrawWorld();
    bool haveCanvas = CopyDrawSurface(canvas.data());
    auto img = std::make_unique<SaveImage>();
    BuildSaveImage(img.get(), haveCanvas ? canvas.data() : nullptr);
    std::vector<u8> bytes = SaveImageBytes(*img);
    if (ReplaceFile(path, bytes.data(), static_cast<u32>(bytes.size()))) return 1;
    ShowSaveWriteFailure(path);
    return 0;
}

void ApplySaveImage(const SaveImage& img) {
    if (gMusic.GetMode() == 2) gMusic.SetMode(4, 1, 15);
    ReleaseForLoad();
    ReloadMapDatabase();
    FreeScriptRecords();
    std::memcpy(gParty, img.header.partyRole, sizeof(gParty));
    std::memcpy(gGameFlags, img.flags, sizeof(img.flags));
    bool mask[6];
    for (int i = 0; i < 6; ++i) mask[i] = GetGameFlag(kMaskedFlags[i]) != 0;
    SetGameFlag(kLoadedFlagA);
    SetGameFlag(kLoadedFlagB);
    LayRoleRows(img);
    gPlayerId = static_cast<u16>(img.playerId);
    gMapId = img.mapId;
    gGameTime = img.gameTime;
    std::memcpy(gScriptVars, img.scriptVars, sizeof(gScriptVars));
    LayMusicRows(img);
    std::memcpy(gSaveReserved, img.reserved, sizeof(gSaveReserved));
    gQuakePeriod = static_cast<u32>(static_cast<i32>(static_cast<i16>(img.quakePeriod)));
    gQuakeCountdown = static_cast<u32>(static_cast<i32>(static_cast<i16>(img.quakeCountdown)));
    std::memcpy(gQuakeTable, img.quakeTable, sizeof(gQuakeTable));
    gScriptRecordA = LoadScriptRecord(img.scriptRecords);
    gScriptRecordB = LoadScriptRecord(img.scriptRecords + kScriptRecordBytes);
    gQuestList.assign(img.quests.begin(), img.quests.end());
    CopyCounted(img.ownedItems, gOwnedItems, gItemCount);
    std::memcpy(gFormation, img.formation, sizeof(gFormation));
    std::copy_n(img.roleStats, 8, gRoleStats);
    std::copy_n(img.roles, 8, gRoles);
    CopyCounted(img.ownedMonsters, gOwnedMonsters, gMonsterCount);
    std::copy_n(img.equipage, kOwnedEquipageCount, gOwnedEquipage);
    std::memcpy(gLearnedSkills, img.learned, sizeof(gLearnedSkills));
    std::copy_n(img.godForms, kGodFormCount, gGodForms);
    gMapMusic = img.musicState;
    // A talk the game was in when it ended (a lost fight within it) goes,
    // and so does its hold on the player.
    ResetTalkContext(&gTalkContext);
    gTalkFlags &= ~kTalkLockBit;
    LoadCity(gMapId, static_cast<i32>(img.cellX), static_cast<i32>(img.cellY),
             static_cast<i32>(img.act), static_cast<i32>(img.action), static_cast<i32>(img.dir), 0);
    for (int i = 0; i < 6; ++i) PutGameFlag(kMaskedFlags[i], mask[i] ? 1 : 0);
    SetGameFlag(kCursorOnFlag);
    if (GetGameFlag(kLeadSwapFlag))
        for (i32& r : gParty)
            if (r == 0 || r == 1) r = 1 - r;
    LeaveDebugTool();
    RecreateFonts();
}

int SaveToSlotFile(int slot) {
    if (slot < 0 || slot >= kSaveSlots) return 0;
    StorePlayerRoles();
    int ok = WriteSaveFile(SlotPath(slot).c_str());
    LeaveDebugTool();
    return ok;
}

int QuickSave() {
    StorePlayerRoles();
    int ok = WriteSaveFile(QuickPath().c_str());
    LeaveDebugTool();
    return ok;
}

int FindQuickSave() {
    const std::string path = QuickPath();
    if (!NameTaken(path.c_str())) return 0;
    DataError why;
    if (ReadSaveFile(path, &why)) return 1;
    ReportDataError(why);
    return 0;
}

namespace {

int LoadSaveFile(const std::string& path, const std::function<void()>& prepare) {
    DataError why;
    std::unique_ptr<SaveImage> img = ReadSaveFile(path, &why);
    if (!img) {
        ReportDataError(why.Boxed(B5("進度檔已損毀，無法讀取。")), B5("讀取進度"));
        return 0;
    }
    if (prepare) prepare();
    ApplySaveImage(*img);
    return 1;
}

}  // namespace

int LoadGameFromQuick(const std::function<void()>& prepare) {
    return LoadSaveFile(QuickPath(), prepare);
}

int LoadSlotFile(int slot, const std::function<void()>& prepare) {
    if (slot < 0 || slot >= kSaveSlots) return 0;
    if (!LoadSaveFile(SlotPath(slot), prepare)) return 0;
    gCurrentSlot = slot;
    return 1;
}

void StorePlayerRoles() {
    if (gPlayerSlot <= 0 || gPlayerSlot >= kRoleRows) return StoreRoleRecords(0, 0);
    const RoleSlot& p = gMapRoles[gPlayerSlot];
    StoreRoleRecords(p.x / 16, p.y / 16);
}

bool CopyDrawSurface(u16* out) {
    if (!gDrawSurface) return false;
    i32 pitch = 0, w = 0, h = 0;
    DisplaySurfaceSize(gDrawSurface, &w, &h, &pitch);
    u16* src = DisplayLock(gDrawSurface, &pitch);
    if (!src) return false;
    bool ok = w >= 640 && h >= 480;
    if (ok)
        for (i32 y = 0; y < 480; ++y)
            std::memcpy(out + y * 640, reinterpret_cast<const u8*>(src) + y * pitch, 640 * 2);
    DisplayUnlock(gDrawSurface);
    return ok;
}

void ResetMapObjectStates() {
    static const int kOrder[kBuckets] = {2, 0, 1};
    i32 first = gViewY / 16 - kBucketRowBias;
    i32 last = static_cast<i32>(gMap.height) + kBucketRowBias;
    for (int b : kOrder)
        for (i32 r = first; r < first + 70 && r < last; ++r)
            for (RoleSlot* s = BucketRow(b, r); s; s = s->next) {
                if (s->roleId < 751 || s->roleId > 999 || !s->act) continue;
                if (s->act->act < 751 || s->act->act > 755) continue;
                if (s->act->dir == 3)
                    s->act->dir = 0;
                else if (s->act->dir == 2)
                    s->act->dir = 1;
                TakeActData(s->act);
            }
}

void ResetSaveFile() {
    std::memset(gSaveReserved, 0, sizeof(gSaveReserved));
    FreeScriptRecords();
    gCurrentSlot = 0;
}
