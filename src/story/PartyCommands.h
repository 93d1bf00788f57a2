// What the party, item, role-value, screen, shop and quest commands offer the
// rest of the game: adding things, the party's joins and leaves, role values,
// showing and hiding roles, the quest list and the battle request of a script.
#pragma once
#include <deque>

#include "base/Types.h"
#include "map/StoryLink.h"

// Answer word of command 0x146.
extern u32 gScriptResult;
// Name of the last item picked in the item chooser (Big5, empty until then).
extern char gPickedItemName[32];
// Quest ids in the order the quest log shows them.
extern std::deque<u32> gQuestList;

// The timed role pose of 0x142 and 0x143 that the role drawing runs.
struct RolePose {
    u16 role = 0xFFFF;
    u32 value = 0;
    u32 done = 0;  // 1 once the pose is over (or never started)
    u32 start = 0;
};
extern RolePose gRolePose;

// What the enter/cancel prompt of 0x13E is handed until its screen takes it.
struct EnterPrompt {
    u16 x = 0, y = 0;
    u32 state = 0;  // role value 1 of record 2761
    u16 ip = 0;     // the prompt command inside the talk window
};
extern EnterPrompt gEnterPrompt;

// Reads shop n from "MH_Data\tore.dat" into gShopStock and opens screen 18;
// a missing file or shop shows its box, keeps the stock and opens nothing.
int LoadShop(u32 n);

// Thing n (an item below 300, else equipment record n - 300) grows by k.
void AddItem(i32 n, i32 k);
void JoinParty(i32 n);
void LeaveParty(i32 n);
// Role n (1..8, or -1 for all eight) gets full HP and MP and status 0; with a
// mode other than 1 a fallen role (0x4000) is left as it is.
void FullRestore(i32 n, i32 mode);
// Every member loses d HP; when all have fallen, screen 6 opens.
void DamageParty(i32 d);
void RaiseMaxHpMp(i32 n, i32 a, i32 b);
void AddOwnedMonster(i32 n, i32 k);
void SwapLeadRoles(i32 mode);
void ChooseEndingRole();
void ShowRole(u16 id);
void HideRole(u16 id);
void AddQuest(u32 q, int front);
void RemoveQuest(u32 q);
void ClearQuestList();
// Adds d to the money (script variable 0): it stops at 0x7FFFFFFF and never drops below 0.
void AddMoney(i64 d);

void ResetPartyCommands();
