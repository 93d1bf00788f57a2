// What the command menu's files share below it: the rows of each role's ring,
// the ring points, the role a fighter is commanded as, and the interface sound.
#pragma once
#include "base/Types.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/Records.h"

class cFighter;

constexpr int kRingRows = 8;
constexpr int kCreatureRows = 4;

struct CommandRow {
    i32 code;
    i32 enabled;
    i32 frameBase;        // action of act 11001
    const char* caption;  // UTF-8
};
// Eight rows per role (roles 0 and 1 exchanged while kLeadSwapFlag is set).
extern CommandRow gCommandRows[kRoleCount][kRingRows];
// Row k of role r as the game starts, enabled.
CommandRow DefaultCommandRow(i32 role, int k);
struct RingPoint {
    i32 x, y;
};
extern const RingPoint gRingPoints[kRingRows];
extern const RingPoint gCreatureRingPoints[kCreatureRows];

// The role index a party fighter's rows and lists are chosen by, or -1 when
// its picture number is outside the table.
i32 CommandRole(const cFighter& f);

// Every role's rows as the game starts.
void ResetBattleMenus();

inline void MenuSound(int n) {
    PlaySfx(n, static_cast<int>(gSfxVolume));
}
