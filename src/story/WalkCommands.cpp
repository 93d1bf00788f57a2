// Story commands that walk the people of the map: single and group walks,
// their steps, the end of a walk, and walks to cells, role values and roles.
#include "base/ByteIo.h"
#include "platform/TextCodec.h"
#include "engine/ErrorBox.h"
#include "map/City.h"
#include "map/RoleWalk.h"
#include "story/CommandHandlers.h"
#include "story/PartyCommands.h"
#include "story/StoryRoles.h"

namespace {

constexpr u32 kGroupStarted = 0x4000;
constexpr u32 kGroupFlag = 0x8000;
constexpr u16 kRunSpeed = 0x8001;  // one frame per act step while a group walks

u32 Op(const CmdArgs& a) {
    return LoadU16(a.at) & 0x3FFFu;
}

void NoRoleBox(const TalkContext* c, const char* caption, u16 id) {
    ReportTalkData(c, B5(caption), B5("角色號碼(GUID:%d)不存在此地圖(%d)"), id,
                   static_cast<int>(gMapId));
}

// The player walking a scripted walk has no control of its own.
void LockIfPlayer(int slot) {
    if (slot == gPlayerSlot) gTalkFlags |= kTalkLockBit;
}

i32 CellX(int slot) {
    return gMapRoles[slot].x >> 4;
}
i32 CellY(int slot) {
    return gMapRoles[slot].y >> 4;
}

// One entry of a group walk: its role's walk starts.
void StartGroupEntry(TalkContext* c, u32 op, const u8* e, bool flag) {
    u16 ref = LoadU16(e);
    int slot = ScriptRoleSlot(c, ref);
    if (slot < 0) {
        NoRoleBox(c, "Talk(Walk)", ScriptRoleId(c, ref));
        return;
    }
    RoleSlot& s = gMapRoles[slot];
    u16 wx = LoadU16(e + 2), wy = LoadU16(e + 4);
    i32 cx, cy;
    if (op == 0x14 || op == 0xA9) {
        bool player = gPlayerSlot >= 0 && gPlayerSlot < gMapRoleCount;
        cx = wx == 0xFFFF && player ? CellX(gPlayerSlot) : wx;
        cy = wy == 0xFFFF && player ? CellY(gPlayerSlot) : wy;
    } else {
        cx = CellX(slot) + static_cast<i16>(wx);
        cy = CellY(slot) + static_cast<i16>(wy);
    }
    u16 act = 0xFFFF, action = 0xFFFF, dir = 0xFFFF;
    if (op == 0xA9 || op == 0x138) {
        act = LoadU16(e + 6);
        action = LoadU16(e + 8);
        dir = LoadU16(e + 10);
    }
    if (s.roleId == c->owner) {
        s.state &= ~kRoleInTalk;
        if (gTalkTurn.slot == slot) gTalkTurn = TalkTurn{};
    }
    if (s.act && s.act->delayOverride == 0) s.act->delayOverride = kRunSpeed;
    WalkRoleTo(slot, cx * 16, cy * 16, flag ? kWalkKeepRecord : 0, act, action, dir);
    LockIfPlayer(slot);
}

// A group entry has arrived: its walk has ended, or its last step did. A role
// that is not on the map has nowhere to walk, and one without a walk (taken
// away by another command, or never started when the script itself carries
// the started mark) has nothing left to wait for.
bool EntryArrived(TalkContext* c, const u8* e) {
    int slot = ScriptRoleSlot(c, LoadU16(e));
    if (slot < 0) return true;
    if (gMapRoles[slot].state & kWalkArrived) return true;
    if (!RoleHasWalk(slot)) return true;
    return iMove(slot) == 2;
}

// The end of a role's walk for 0x12 and 0x13.
void EndWalkOf(int slot) {
    AdvanceRoleWalk(slot);
    if (RoleHasWalk(slot)) return;
    gMapRoles[slot].state &= ~kWalkHeld;
    if (gMapRoles[slot].act) gMapRoles[slot].act->hold = 0;
}

}  // namespace

Step CmdWalkTo(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) {
        NoRoleBox(c, "Talk(Walk)", ScriptRoleId(c, a.v[0]));
        return Step::On;
    }
    WalkRoleTo(slot, static_cast<i32>(a.v[1]) * 16, static_cast<i32>(a.v[2]) * 16);
    LockIfPlayer(slot);
    return Step::On;
}

Step CmdWalkStep(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) {
        NoRoleBox(c, "Talk(Step)", ScriptRoleId(c, a.v[0]));
        return Step::Yield;
    }
    if (!(gMapRoles[slot].state & kWalkArrived)) iMove(slot);
    return Step::Yield;
}

Step CmdEndWalk(TalkContext* c, CmdArgs& a) {
    if (Op(a) == 0x12) {
        int slot = ScriptRoleSlot(c, a.v[0]);
        if (slot > 0) EndWalkOf(slot);
        return Step::On;
    }
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i)
        if (gMapRoles[i].state & kWalkHeld) EndWalkOf(i);
    return Step::On;
}

Step CmdGroupWalk(TalkContext* c, CmdArgs& a) {
    u32 op = Op(a);
    u16 raw = LoadU16(a.at + 2);
    u32 bytes = 2 * GroupEntryWords(op == 0x14 || op == 0x137 ? 'G' : 'H');
    // The table has checked that every entry lies inside the window.
    if (!(raw & kGroupStarted)) {
        for (u32 k = 0; k < a.listCount; ++k)
            StartGroupEntry(c, op, a.list + k * bytes, (raw & kGroupFlag) != 0);
        StoreU16(a.at + 2, static_cast<u16>(raw | kGroupStarted));
        return Step::Stay;
    }
    u32 arrived = 0;
    for (u32 k = 0; k < a.listCount; ++k)
        if (EntryArrived(c, a.list + k * bytes)) ++arrived;
    if (arrived < a.listCount) return Step::Stay;
    StoreU16(a.at + 2, static_cast<u16>(raw & kGroupCountMask));
    return Step::On;
}

Step CmdPointWalk(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, kRefOwner);
    if (slot < 0) return Step::On;
    if (Op(a) == 0x6D) {
        iMove(slot);
        return Step::On;
    }
    if (a.listCount < 2) return Step::On;
    const u8* end = a.list + 2 * (a.listCount - 2);
    WalkRoleTo(slot, LoadU16(end) * 16, LoadU16(end + 2) * 16);
    LockIfPlayer(slot);
    return Step::On;
}

Step CmdWalkRole(TalkContext* c, CmdArgs& a) {
    u32 op = Op(a);
    u16 id = ScriptRoleId(c, a.v[0]);
    int slot = ScriptRoleSlot(c, a.v[0]);
    i32 row = FindRecord(id);
    if (slot < 0 && row < 0) {
        NoRoleBox(c, "Talk(Walk)", id);
        return Step::On;
    }
    i32 cx = 0, cy = 0;
    if (op == 0x28) {
        cx = static_cast<i32>(a.v[1]);
        cy = static_cast<i32>(a.v[2]);
    } else if (op == 0xDD) {
        if (!AccessRoleValue(id, 1, &cx, 1) || !AccessRoleValue(id, 2, &cy, 1)) return Step::On;
    } else if (op == 0xE8) {
        const i32 dx = static_cast<i32>(a.v[1]), dy = static_cast<i32>(a.v[2]);
        cx = (slot >= 0 ? CellX(slot) : RecordWord(row, recWord::kCellX)) + dx;
        cy = (slot >= 0 ? CellY(slot) : RecordWord(row, recWord::kCellY)) + dy;
    } else {
        u16 otherId = ScriptRoleId(c, a.v[1]);
        int other = ScriptRoleSlot(c, a.v[1]);
        i32 otherRow = FindRecord(otherId);
        if (other < 0 && otherRow < 0) {
            NoRoleBox(c, "Talk(Walk)", otherId);
            return Step::On;
        }
        cx = other >= 0 ? CellX(other) : RecordWord(otherRow, recWord::kCellX);
        cy = other >= 0 ? CellY(other) : RecordWord(otherRow, recWord::kCellY);
    }
    if (slot < 0) {
        if (cx >= 0 && cy >= 0)
            UpdateRoleRecord(id, -1, -1, -1, cx, cy, 0xFFFF, 0xFFFF, 0xFFFF, -1, -1, 0xFFFF, 255);
        return Step::On;
    }
    WalkRoleTo(slot, cx * 16, cy * 16);
    AdvanceRoleWalk(slot);
    LockIfPlayer(slot);
    return Step::On;
}
