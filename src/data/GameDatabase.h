// Loading and releasing the six game databases under MH_Data, and the reset of
// the owned state that goes with a load.
#pragma once
#include <cstddef>

#include "base/Types.h"
#include "data/Records.h"

// Loads RoleData.dat, LevelUp.dat, MonsterData.dat, ItemData.dat,
// EquipageData.dat and SkillData.dat from "<root>MH_Data\", where root is the
// game's base folder (gBasePath) ending in a separator; then rebuilds the
// equipment descriptions, resets the owned state and equips every role with its
// starting pieces. A missing or bad file shows its box, keeps its table as it
// was and the other files still load. The battle's role-change codes and the
// story's state words that a load also resets belong to their callers
// (NewGameData, ReloadGameDatabase), which reset them right after this returns.
void LoadGameDatabase(const char* root);

// Frees the monster, owned-monster, item, owned-item, equipment and skill
// arrays, each only when present, and sets their pointers to null and counts to 0.
void ReleaseGameDatabase();

// Reads one database file's bytes into its table. name is what a box shows.
// False when the file was refused (its box shown) and the table kept as it was.
bool LoadDatabaseBytes(DatabaseFile which, const u8* data, size_t size, const char* name);

// The steps after the files: descriptions, owned state, starting equipment,
// derived stats and learned skills.
void FinishDatabaseLoad();

// Empties owned pieces, items, monsters and learned skills, sets party and
// formation to role 0 alone and clears the god/demon form flags and 321..329.
void ResetOwnedState();
