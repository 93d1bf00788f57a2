// The map database "MH_Data\maps.dat" (read whole into gMapDatabase after its
// 512-byte file header) with bounds-checked views of its tables, and the path
// database "MH_Data\path.dat" mapped whole into gPathDatabase.
#pragma once
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "base/Types.h"
#include "engine/File.h"

constexpr int kMapsFileHeader = 512;
// The database's file under the root folder, as its error boxes name it.
constexpr const char* kMapsFileName = "MH_Data\\maps.dat";
constexpr int kMapDbTableCount = 27;  // fields 0..26

// Table numbers the game reads.
namespace dbTable {
constexpr int kRoleRecords = 1, kNames = 2, kMaps = 3, kStart = 4, kInitRecords = 6, kZones = 7,
              kPopOut = 8, kGroups = 18, kPlaceNames = 20, kFootprints = 21, kFirstVisit = 25,
              kNameIds = 26;
}

extern u8* gMapDatabase;
extern u32 gMapDatabaseSize;
extern cFile gMapDbFile;
extern const u8* gPathDatabase;
extern u32 gPathDatabaseSize;

// Reads "MH_Data\maps.dat" from offset 512 to its end into gMapDatabase.
bool ReadMapDatabase();
// Why the last ReadMapDatabase failed (its file, offset and fault).
const DataError& MapDatabaseFault();
// Installs a database image (copied) without a file; for tests and tools.
void SetMapDatabase(const u8* data, u32 size);
void FreeMapDatabase();
// Opens both files and reads the map database: 1 done; failures show the
// boxes, close the window and give 0.
int OpenMapDatabases();
// A reader over table k from its offset to the end of the database; a failed
// reader when the field or the offset lies outside the database.
ByteReader MapDbTable(int k);
// Text of name record n, or "" when the record is missing or unterminated.
const char* GetDbRecord(u32 n);
// Name record n as a music name; false when the record is missing.
bool GetMusicName(u32 n, std::string* name);
// The current command word of a behaviour program, or 0xFFFF when there is none.
u16 BehaviourCommandAt(u16 scriptId, u32 pc);
void ResetMapDb();
