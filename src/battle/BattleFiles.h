// The battle's two data files: "MH_DATA\battlefield.dat" (one 196-byte record
// per battle number: background act, party positions, six enemy slots) and
// "MH_DATA\FBGM.dat" (one battle-music index per battle number).
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

constexpr u32 kBattlefieldRecordBytes = 196;
constexpr u32 kBattleMusicEntryBytes = 4;
constexpr int kBattleSlots = 6;
constexpr u32 kEmptyEnemySlot = 0xFFFFFFFFu;
constexpr u32 kBattleMusicNameBase = 33;  // name record of battle-music index 0

struct BattlePosition {
    i32 x = 0, y = 0, z = 0;
};

struct EnemySlot {
    u32 monster = kEmptyEnemySlot;
    u32 row = 0;  // 0 front, 1 back
    i32 x = 0, y = 0, z = 0;
};

struct BattlefieldRecord {
    u32 background = 0;  // 0: the default backdrop
    BattlePosition party[kBattleSlots];
    EnemySlot enemies[kBattleSlots];
};

// The one field list of a record, for the reader and the writer.
template <class IO, class R>
void BattlefieldFields(IO& io, R& r) {
    io.Field(r.background);
    for (auto& p : r.party) {
        io.Field(p.x);
        io.Field(p.y);
        io.Field(p.z);
    }
    for (auto& e : r.enemies) {
        io.Field(e.monster);
        io.Field(e.row);
        io.Field(e.x);
        io.Field(e.y);
        io.Field(e.z);
    }
}

// Where the party stands, whatever the file says.
extern const BattlePosition kPartyPositions[kBattleSlots];

// Record n of a whole battlefield.dat; false (and an empty record) when the
// file does not hold all of it.
bool ParseBattlefield(const std::vector<u8>& file, u32 n, BattlefieldRecord* out);
// Entry n of a whole FBGM.dat; false (and index 0) when the file does not hold it.
bool ParseBattleMusic(const std::vector<u8>& file, u32 n, u32* index);

std::vector<u8> BuildBattlefieldFile(const std::vector<BattlefieldRecord>& records);
std::vector<u8> BuildBattleMusicFile(const std::vector<u32>& indices);

// The battlefield record of the running battle.
extern BattlefieldRecord gBattlefield;

// Reads record n of both files under the base path into gBattlefield and the
// music index; a file that is missing or too short gives an empty record and
// index 0, and is reported once.
void LoadBattleFiles(u32 n, u32* musicIndex);
// The music file of battle-music index m: "music\" and name record m + 33;
// false when there is no such name.
bool BattleMusicPath(u32 m, std::string* path);
// The music file named by name record n: "music\" and the name; false when empty.
bool MusicPathOfName(u32 n, std::string* path);

void ResetBattleFiles();
