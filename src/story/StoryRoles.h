// Role lookups shared by the story commands that act on roles.
#pragma once
#include "engine/MyAct.h"
#include "map/RoleTable.h"
#include "story/Talk.h"

// The role id a script operand names (0xFFF0 the talk's owner, 0xFFF1 and
// 0xFFFE the player).
u16 ScriptRoleId(const TalkContext* c, u32 ref);
// The map slot of a script role operand, or -1 when it is not on the map.
int ScriptRoleSlot(const TalkContext* c, u32 ref);
// One act step of slot; on failure the act error box with that caption.
bool StepRoleAct(int slot, const char* caption);
// The act error box of a role.
void ActErrorBox(const char* caption, u16 id, const ActPlayer* p);
