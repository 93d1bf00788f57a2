// Role lookups and the act error box of the story commands.
#include "story/StoryRoles.h"

#include "platform/TextCodec.h"
#include "engine/ErrorBox.h"

u16 ScriptRoleId(const TalkContext* c, u32 ref) {
    u16 r = static_cast<u16>(ref);
    if (r == kRefOwner) return c->owner;
    if (r == kRefPlayer || r == kPlayerRef2) return gPlayerId;
    return r;
}

int ScriptRoleSlot(const TalkContext* c, u32 ref) {
    u16 r = static_cast<u16>(ref);
    if (r == kRefOwner) r = c->owner;
    int slot = -1;
    if (r == kTalkSpot || r == kTalkFree || !GetRoleIndex(r, &slot)) return -1;
    return slot >= 0 && slot < gMapRoleCount && slot < kRoleRows ? slot : -1;
}

void ActErrorBox(const char* caption, u16 id, const ActPlayer* p) {
    ReportActFault(p ? p->act : 0, B5(caption), B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"), id,
                   p ? p->act : 0, p ? p->action : 0, p ? p->dir : 0);
}

bool StepRoleAct(int slot, const char* caption) {
    RoleSlot& r = gMapRoles[slot];
    if (!r.act) return true;  // a still map object has no act to step
    if (TakeActData(r.act)) return true;
    ActErrorBox(caption, r.roleId, r.act);
    return false;
}
