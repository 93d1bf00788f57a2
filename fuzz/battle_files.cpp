// Fuzz target: the battlefield records and the battle-music table, read at
// battle numbers near the start, near the end and far past the end.
#include "battle/BattleFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<u8> file(data, data + size);
    const u32 last = static_cast<u32>(size / kBattlefieldRecordBytes);
    for (u32 n : {0u, 1u, last, last + 1, 0x014E5E0Bu, 0xFFFFFFFFu}) {
        BattlefieldRecord r;
        bool whole = ParseBattlefield(file, n, &r);
        // A record is read only where all of it lies inside the file.
        if (whole && (u64{n} + 1) * kBattlefieldRecordBytes > size) __builtin_trap();
        if (!whole && r.enemies[5].monster != kEmptyEnemySlot) __builtin_trap();
        u32 m = 1;
        bool music = ParseBattleMusic(file, n, &m);
        if (!music && m != 0) __builtin_trap();
        if (music && (u64{n} + 1) * 4 > size) __builtin_trap();
    }
    return 0;
}
