// Loading and bounds-checked reading of the map and path databases.
#include "map/MapDb.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/DataError.h"
#include "platform/TextCodec.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/MemDbg.h"
#include "data/Config.h"
#include "data/GameFlags.h"

u8* gMapDatabase = nullptr;
u32 gMapDatabaseSize = 0;
cFile gMapDbFile;
const u8* gPathDatabase = nullptr;
u32 gPathDatabaseSize = 0;

namespace {
cFile gPathFile;
bool gReportedExtraBlock = false;
DataError gMapDbFault;  // why the last read of maps.dat failed

std::string Rooted(const char* rel) {
    return std::string(gBasePath) + rel;
}
}  // namespace

void FreeMapDatabase() {
    if (gMapDatabase) MH_FREE(gMapDatabase);
    gMapDatabase = nullptr;
    gMapDatabaseSize = 0;
}

void SetMapDatabase(const u8* data, u32 size) {
    FreeMapDatabase();
    // One spare zero byte so that an empty image still owns a buffer.
    gMapDatabase = static_cast<u8*>(MH_ALLOC_ZERO(static_cast<i32>(size) + 1));
    if (size) std::memcpy(gMapDatabase, data, size);
    gMapDatabaseSize = size;
}

// Reads through the database cFile: the game keeps "maps.dat" open there, and
// a second open of the same file is refused as a sharing violation.
bool ReadMapDatabase() {
    FreeMapDatabase();
    DataError& why = gMapDbFault;
    why = {};
    cFile& f = gMapDbFile;
    if (!f.IsOpen() && !f.Open(Rooted(kMapsFileName).c_str(), OPEN_EXISTING, GENERIC_READ)) {
        why = DataError::Unplaced(kMapsFileName, "cannot be opened");
        return false;
    }
    u32 size = f.GetSize();
    if (size == 0xFFFFFFFFu || size < kMapsFileHeader || size > (256u << 20)) {
        bool shortOne = size < kMapsFileHeader;
        why = {kMapsFileName, shortOne ? size : 0,
               shortOne ? "ends inside its " + std::to_string(kMapsFileHeader) + "-byte header"
                        : "is too large (" + std::to_string(size) + " bytes)"};
        return false;
    }
    u32 n = size - kMapsFileHeader;
    gMapDatabase = static_cast<u8*>(MH_ALLOC_ZERO(static_cast<i32>(n) + 1));
    gMapDatabaseSize = n;
    f.SeekSet(kMapsFileHeader);
    u32 got = n;
    if (n && (!f.Read(gMapDatabase, &got) || got != n)) {
        FreeMapDatabase();
        why = {kMapsFileName, kMapsFileHeader, "cannot be read"};
        return false;
    }
    return true;
}

const DataError& MapDatabaseFault() {
    return gMapDbFault;
}

namespace {

// The database boxes of the start: the box as the game words it, the file and
// the fault on stderr; the window closes.
int FailDatabases(const DataError& why, const char* box) {
    ReportDataError(why.Boxed(box), "Moonharbor");
    SendMessageA(gMainWnd, WM_DESTROY, 0, 0);
    return 0;
}

}  // namespace

int OpenMapDatabases() {
    gMapDbFile.Close();
    if (!ReadMapDatabase()) return FailDatabases(gMapDbFault, "RoleDataBase init Failed.");
    gPathFile.Close();
    gPathDatabase = nullptr;
    gPathDatabaseSize = 0;
    const char* pathFile = "MH_Data\\path.dat";
    if (!gPathFile.Open(Rooted(pathFile).c_str(), OPEN_EXISTING, GENERIC_READ))
        return FailDatabases(DataError::Unplaced(pathFile, "cannot be opened"),
                             "PathDataBase init Failed.");
    if (gPathFile.CreateMapping()) {
        gPathDatabase = gPathFile.MapView(0, 0);
        if (gPathDatabase) gPathDatabaseSize = gPathFile.GetSize();
    }
    if (!gPathDatabase)
        return FailDatabases(DataError::Unplaced(pathFile, "cannot be mapped"),
                             "PathDataBase init Failed.");
    return 1;
}

ByteReader MapDbTable(int k) {
    ByteReader r(gMapDatabase, gMapDatabaseSize);
    if (!gMapDatabase || k < 0 || !r.Seek(static_cast<size_t>(k) * 4)) {
        r.Fail();
        return r;
    }
    u32 off = r.U32();
    if (!r.ok() || off >= gMapDatabaseSize) {
        r.Fail();
        return r;
    }
    r.Seek(off);
    return r;
}

const char* GetDbRecord(u32 n) {
    ByteReader r = MapDbTable(dbTable::kNames);
    if (!r.Skip(static_cast<size_t>(n) * 4)) return "";
    u32 off = r.U32();
    ByteReader t(gMapDatabase, gMapDatabaseSize);
    // A record is a u32 then a zero-ended text that must end inside the database.
    if (!r.ok() || !t.Seek(off) || !t.Skip(4)) return "";
    const u8* text = t.here();
    if (!std::memchr(text, 0, t.bytesLeft())) return "";
    return reinterpret_cast<const char*>(text);
}

bool GetMusicName(u32 n, std::string* name) {
    ByteReader r = MapDbTable(dbTable::kNames);
    if (!r.Skip(static_cast<size_t>(n) * 4) || !r.Has(4)) return false;
    const char* text = GetDbRecord(n);
    // A missing record and an empty one read alike; an empty name plays nothing.
    if (!text[0]) return false;
    *name = text;
    return true;
}

u16 BehaviourCommandAt(u16 scriptId, u32 pc) {
    if (scriptId == 0 || !gPathDatabase) return 0xFFFF;
    if (scriptId > 2000) {
        // Our data has no extra program blocks: such an id runs no program.
        if (!gReportedExtraBlock) {
            gReportedExtraBlock = true;
            ReportDataError(DataError::Unplaced(
                "path.dat",
                "script id " + std::to_string(scriptId) + " lies in an extra block; no program"));
        }
        return 0xFFFF;
    }
    ByteReader r(gPathDatabase, gPathDatabaseSize);
    if (!r.Seek(0x200 + 4u * scriptId)) return 0xFFFF;
    u32 off = r.U32();
    u64 at = 0x200ull + off + 2ull * pc;
    if (!r.ok() || at + 2 > gPathDatabaseSize) return 0xFFFF;
    return LoadU16(gPathDatabase + at);
}

void ResetMapDb() {
    FreeMapDatabase();
    gMapDbFile.Close();
    gPathFile.Close();
    gPathDatabase = nullptr;
    gPathDatabaseSize = 0;
    gReportedExtraBlock = false;
}
