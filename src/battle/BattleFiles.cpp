// Reading and writing the battlefield records and the battle-music table.
#include "battle/BattleFiles.h"

#include <cstdio>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "engine/DataErrors.h"
#include "engine/File.h"
#include "data/Config.h"
#include "map/MapDb.h"

BattlefieldRecord gBattlefield;

const BattlePosition kPartyPositions[kBattleSlots] = {
    {510, 0, 262}, {440, 0, 314}, {352, 0, 364}, {568, 0, 306}, {510, 0, 362}, {422, 0, 394},
};

namespace {
bool gReportedField = false;
bool gReportedMusic = false;

// Offsets in 64 bits: a battle number near 2^32 times 196 cannot wrap.
bool Locate(size_t fileSize, u32 n, u32 recordBytes, size_t* offset) {
    u64 off = u64{n} * recordBytes;
    if (off > fileSize || fileSize - off < recordBytes) return false;
    *offset = static_cast<size_t>(off);
    return true;
}

std::vector<u8> ReadDataFile(const char* rel) {
    char path[kPathSize + 64];
    std::snprintf(path, sizeof(path), "%s%s", gBasePath, rel);
    cFile f;
    std::string bytes;
    if (!f.Open(path, OPEN_EXISTING, GENERIC_READ) || !f.ReadAll(&bytes)) return {};
    return std::vector<u8>(bytes.begin(), bytes.end());
}

void ReportOnce(bool* reported, const char* file, u32 n) {
    if (*reported) return;
    *reported = true;
    ReportDataError(DataError::Unplaced(file, "no entry for battle " + std::to_string(n) +
                                                  "; the battle has no enemies and no music"));
}
}  // namespace

bool ParseBattlefield(const std::vector<u8>& file, u32 n, BattlefieldRecord* out) {
    *out = BattlefieldRecord{};
    size_t off = 0;
    if (!Locate(file.size(), n, kBattlefieldRecordBytes, &off)) return false;
    ByteReader r(file);
    r.Seek(off);
    BattlefieldRecord rec;
    BattlefieldFields(r, rec);
    if (!r.ok()) return false;
    *out = rec;
    return true;
}

bool ParseBattleMusic(const std::vector<u8>& file, u32 n, u32* index) {
    *index = 0;
    size_t off = 0;
    if (!Locate(file.size(), n, kBattleMusicEntryBytes, &off)) return false;
    ByteReader r(file);
    r.Seek(off);
    u32 v = r.U32();
    if (!r.ok()) return false;
    *index = v;
    return true;
}

std::vector<u8> BuildBattlefieldFile(const std::vector<BattlefieldRecord>& records) {
    ByteWriter w;
    for (const BattlefieldRecord& rec : records) BattlefieldFields(w, rec);
    return std::move(w.bytes());
}

std::vector<u8> BuildBattleMusicFile(const std::vector<u32>& indices) {
    ByteWriter w;
    for (u32 v : indices) w.U32(v);
    return std::move(w.bytes());
}

void LoadBattleFiles(u32 n, u32* musicIndex) {
    if (!ParseBattlefield(ReadDataFile("MH_DATA\\battlefield.dat"), n, &gBattlefield))
        ReportOnce(&gReportedField, "MH_DATA\\battlefield.dat", n);
    for (int k = 0; k < kBattleSlots; ++k) gBattlefield.party[k] = kPartyPositions[k];
    if (!ParseBattleMusic(ReadDataFile("MH_DATA\\FBGM.dat"), n, musicIndex))
        ReportOnce(&gReportedMusic, "MH_DATA\\FBGM.dat", n);
}

bool BattleMusicPath(u32 m, std::string* path) {
    // An index near 2^32 would wrap the record number round to a small one.
    if (m > 0xFFFFu) return false;
    return MusicPathOfName(m + kBattleMusicNameBase, path);
}

bool MusicPathOfName(u32 n, std::string* path) {
    std::string name;
    if (!GetMusicName(n, &name)) return false;
    char buf[kPathSize + 64];
    std::snprintf(buf, sizeof(buf), "%smusic\\%s", gBasePath, name.c_str());
    *path = buf;
    return true;
}

void ResetBattleFiles() {
    gBattlefield = BattlefieldRecord{};
    gReportedField = gReportedMusic = false;
}
