// The database loaders: every count and record checked against the bytes of
// its file before anything is allocated or copied.
#include "data/GameDatabase.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "platform/TextCodec.h"
#include "engine/DataErrors.h"
#include "engine/File.h"
#include "data/DerivedStats.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameFlags.h"

namespace {

const char* LoadCaption() {
    return B5("開檔失敗");
}

// Bad data is named by file and offset under the load caption, once per load.
void ReportBadFile(const char* name, size_t offset, const std::string& what) {
    ReportDataError({name, offset, what}, LoadCaption());
}

std::string TooShortForCount(const ByteReader& r) {
    return "the file (" + std::to_string(r.size()) + " bytes) is too short for its record count";
}

std::string CountRefused(long long count, long long fits, size_t recSize) {
    return "record count " + std::to_string(count) + " refused: the file holds " +
           std::to_string(fits) + " records of " + std::to_string(recSize) + " bytes";
}

template <class Rec>
Rec* AllocRecords(i32 count) {
    return static_cast<Rec*>(std::calloc(static_cast<size_t>(count), sizeof(Rec)));
}

template <class T>
void FreeTable(T*& p) {
    if (!p) return;
    std::free(p);
    p = nullptr;
}

// Reads the leading count and checks it against the whole records that follow.
bool ReadCount(ByteReader& r, const char* name, size_t recSize, i32* count) {
    i32 n = r.I32();
    if (!r.ok()) {
        ReportBadFile(name, 0, TooShortForCount(r));
        return false;
    }
    long long fits = static_cast<long long>(r.bytesLeft() / recSize);
    if (n < 0 || n > fits) {
        ReportBadFile(name, 0, CountRefused(n, fits, recSize));
        return false;
    }
    *count = n;
    return true;
}

template <class Rec>
Rec* ReadRecords(ByteReader& r, i32 count) {
    if (count == 0) return nullptr;
    Rec* t = AllocRecords<Rec>(count);
    if (!t) return nullptr;
    for (i32 i = 0; i < count; ++i) Fields(r, t[i]);
    return t;
}

bool LoadRoleData(ByteReader& r, const char* name) {
    const size_t recSize = kDatabaseLayouts[kRoleDataFile].recordSize;
    i32 n = r.I32();
    if (!r.ok()) {
        ReportBadFile(name, 0, TooShortForCount(r));
        return false;
    }
    if (n < 0) {
        ReportBadFile(name, 0,
                      CountRefused(n, static_cast<long long>(r.bytesLeft() / recSize), recSize));
        return false;
    }
    // The table holds eight roles; further records are not read. Roles the file
    // lacks, or cuts short, stay zeroed with nothing worn.
    std::memset(gRoles, 0, sizeof(gRoles));
    for (RoleData& role : gRoles) {
        for (i32& s : role.equip) s = -1;
        role.extra = -1;
    }
    i32 wanted = n < kRoleCount ? n : kRoleCount;
    for (i32 i = 0; i < wanted; ++i) {
        if (!r.Has(recSize)) {
            ReportBadFile(name, r.pos(),
                          "role record " + std::to_string(i) + " of " + std::to_string(n) +
                              " is cut short; it and the roles after it stay empty");
            break;
        }
        RoleFileRecord rec{};
        Fields(r, rec);
        static_cast<RoleStats&>(gRoles[i]) = rec.role;
        std::memcpy(gRoles[i].equip, rec.equipIds, sizeof(rec.equipIds));
    }
    return true;
}

bool LoadLevelUp(ByteReader& r, const char* name) {
    // Rows the file does not reach read as zeros.
    static LevelUpFile file;
    file = LevelUpFile{};
    Fields(r, file);
    if (!r.ok())
        ReportBadFile(name, r.size(),
                      "the file ends before its " +
                          std::to_string(kDatabaseLayouts[kLevelUpFile].recordSize) +
                          " bytes; the rows after it are zero");
    std::memcpy(gLevelUpStats, file.stats, sizeof(gLevelUpStats));
    std::memcpy(gLevelUpSkills, file.skills, sizeof(gLevelUpSkills));
    return true;
}

void CollectGodForms() {
    std::memset(gGodForms, 0, sizeof(gGodForms));
    int forms = 0;
    for (i32 i = 0; i < gMonsterCount && forms < kGodFormCount; ++i) {
        if (gMonsters[i].kind != 1) continue;
        gGodForms[forms] = gMonsters[i];
        gGodForms[forms].index = forms;
        ++forms;
    }
}

bool LoadMonsters(ByteReader& r, const char* name) {
    i32 n = 0;
    if (!ReadCount(r, name, kDatabaseLayouts[kMonsterDataFile].recordSize, &n)) return false;
    FreeTable(gMonsters);
    FreeTable(gOwnedMonsters);
    gMonsterCount = 0;
    gMonsters = ReadRecords<MonsterData>(r, n);
    gOwnedMonsters = n ? AllocRecords<i32>(n) : nullptr;
    if (n && (!gMonsters || !gOwnedMonsters)) {
        FreeTable(gMonsters);
        FreeTable(gOwnedMonsters);
        return false;
    }
    gMonsterCount = n;
    // The offering counts a monster by its index word: it is the record number.
    for (i32 i = 0; i < n; ++i) gMonsters[i].index = i;
    CollectGodForms();
    return true;
}

bool LoadItems(ByteReader& r, const char* name) {
    i32 n = 0;
    if (!ReadCount(r, name, kDatabaseLayouts[kItemDataFile].recordSize, &n)) return false;
    FreeTable(gItems);
    FreeTable(gOwnedItems);
    gItemCount = 0;
    gItems = ReadRecords<ItemData>(r, n);
    gOwnedItems = n ? AllocRecords<i32>(n) : nullptr;
    if (n && (!gItems || !gOwnedItems)) {
        FreeTable(gItems);
        FreeTable(gOwnedItems);
        return false;
    }
    gItemCount = n;
    return true;
}

template <class Rec>
bool LoadPlainTable(ByteReader& r, const char* name, DatabaseFile which, Rec*& table, i32& count) {
    i32 n = 0;
    if (!ReadCount(r, name, kDatabaseLayouts[which].recordSize, &n)) return false;
    FreeTable(table);
    count = 0;
    table = ReadRecords<Rec>(r, n);
    if (n && !table) return false;
    count = n;
    return true;
}

const char* SlotCaption(int slot) {
    return slot == kSlotShield ? B5("持有裝備資料庫錯誤") : B5("持有裝備資料錯誤");
}

// Where role r's id of slot s lies in RoleData.dat: the ids end each record.
size_t EquipIdOffset(int r, int s) {
    const size_t recSize = kDatabaseLayouts[kRoleDataFile].recordSize;
    return 4 + recSize * static_cast<size_t>(r) + recSize - 4 * (kSlotCount - s);
}

// Turns the record ids read from RoleData.dat into owned pieces. A two-handed
// weapon also fills the shield slot; an id not in the database leaves its slot empty.
void EquipStartingPieces(int r) {
    RoleData& role = gRoles[r];
    i32 ids[kSlotCount];
    std::memcpy(ids, role.equip, sizeof(ids));
    bool bothHands = false;
    for (int s = 0; s < kSlotCount; ++s) {
        if (s == kSlotShield && bothHands) continue;
        role.equip[s] = -1;
        i32 id = ids[s];
        if (id < 0) continue;
        if (id >= gEquipageCount) {
            DataError at{"MH_Data\\RoleData.dat", EquipIdOffset(r, s),
                         "role " + std::to_string(r) + " wears equipment " + std::to_string(id) +
                             "; the database holds " + std::to_string(gEquipageCount)};
            ReportDataError(
                BoxedDataError(at, B5("請確認 編號%d的裝備 是否存在資料庫中(最大值=%d)"), id,
                               gEquipageCount),
                SlotCaption(s));
            continue;
        }
        i32 owned = AddEquipage(gEquipages[id]);
        role.equip[s] = owned;
        if (s == kSlotWeapon && owned >= 0 && IsTwoHanded(EquipKindOf(gOwnedEquipage[owned]))) {
            role.equip[kSlotShield] = owned;
            bothHands = true;
        }
    }
}

void LearnSkillsUpToLevel(int r) {
    for (int k = 0; k < kSkillRows; ++k) {
        i32 level = gLevelUpSkills[r][k].level;
        if (level >= 1 && level <= gRoleStats[r].level) gLearnedSkills[r][k] = 1;
    }
}

}  // namespace

bool LoadDatabaseBytes(DatabaseFile which, const u8* data, size_t size, const char* name) {
    ByteReader r(data, size);
    switch (which) {
        case kRoleDataFile:
            return LoadRoleData(r, name);
        case kLevelUpFile:
            return LoadLevelUp(r, name);
        case kMonsterDataFile:
            return LoadMonsters(r, name);
        case kItemDataFile:
            return LoadItems(r, name);
        case kEquipageDataFile:
            return LoadPlainTable(r, name, kEquipageDataFile, gEquipages, gEquipageCount);
        case kSkillDataFile:
            return LoadPlainTable(r, name, kSkillDataFile, gSkills, gSkillCount);
        default:
            return false;
    }
}

void ResetOwnedState() {
    std::memset(gOwnedEquipage, 0, sizeof(gOwnedEquipage));
    for (EquipageData& e : gOwnedEquipage) e.id = -1;
    for (int i = 0; i < kPartySize; ++i) gParty[i] = gFormation[i] = -1;
    gParty[0] = 0;
    gFormation[0] = 0;
    if (gOwnedItems) std::memset(gOwnedItems, 0, sizeof(i32) * static_cast<size_t>(gItemCount));
    if (gOwnedMonsters)
        std::memset(gOwnedMonsters, 0, sizeof(i32) * static_cast<size_t>(gMonsterCount));
    std::memset(gLearnedSkills, 0, sizeof(gLearnedSkills));
    for (int f = kFormFlagBase; f <= kLastEngineFlag; ++f)
        if (f != kLoadKeepsFlag) ClearGameFlag(f);
}

void FinishDatabaseLoad() {
    for (i32 i = 0; i < gEquipageCount; ++i) MakeEquipageText(gEquipages[i]);
    ResetOwnedState();
    for (int r = 0; r < kRoleCount; ++r) {
        gRoleStats[r] = gRoles[r];
        EquipStartingPieces(r);
        CalcRoleStats(gRoles[r], gRoleStats[r]);
        LearnSkillsUpToLevel(r);
    }
}

void LoadGameDatabase(const char* root) {
    for (int f = 0; f < kDatabaseFileCount; ++f) {
        const char* file = kDatabaseLayouts[f].fileName;
        std::string path = std::string(root ? root : "") + "MH_Data\\" + file;
        cFile in;
        std::string bytes;
        if (!in.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ) || !in.ReadAll(&bytes)) {
            ReportDataError(
                BoxedDataError(
                    DataError::Unplaced("MH_Data\\" + std::string(file), "cannot be read"),
                    B5("無法開啟 %s，請確定MH_Data目錄中是否有此檔？"), file),
                LoadCaption());
            continue;
        }
        in.Close();
        std::string shown = std::string("MH_Data\\") + file;
        LoadDatabaseBytes(static_cast<DatabaseFile>(f), reinterpret_cast<const u8*>(bytes.data()),
                          bytes.size(), shown.c_str());
    }
    FinishDatabaseLoad();
}

void ReleaseGameDatabase() {
    FreeTable(gMonsters);
    FreeTable(gOwnedMonsters);
    FreeTable(gItems);
    FreeTable(gOwnedItems);
    FreeTable(gEquipages);
    FreeTable(gSkills);
    gMonsterCount = gItemCount = gEquipageCount = gSkillCount = 0;
}
