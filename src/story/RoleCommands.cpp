// Story commands on the people of the map: acts, actions, directions, speed,
// the control lock, presence, state bits, talk values and the player's role.
#include "base/ByteIo.h"
#include "platform/TextCodec.h"
#include "engine/ErrorBox.h"
#include "data/GameFlags.h"
#include "map/AStar.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/RoleWalk.h"
#include "map/SystemServices.h"
#include "story/CommandHandlers.h"
#include "story/Dialog.h"
#include "story/PartyCommands.h"
#include "story/StoryRoles.h"

namespace {

u32 Op(const CmdArgs& a) {
    return LoadU16(a.at) & 0x3FFFu;
}

enum class ActField { Action, Dir, Act };

ActField FieldOf(u32 op) {
    switch (op) {
        case 0x0B:
        case 0xE0:
        case 0xE5:
            return ActField::Dir;
        case 0x2D:
        case 0xDE:
        case 0xE3:
            return ActField::Act;
        default:
            return ActField::Action;
    }
}

const char* ActTag(ActField f) {
    return f == ActField::Dir   ? "Act Err23(Talk:ChangDir)"
           : f == ActField::Act ? "Act Err26(Talk:ChangAct)"
                                : "Act Err22(Talk:ChangQQ)";
}

// Act changes with the value in the command, in a role value or in a variable.
bool IsActOp(u32 op) {
    switch (op) {
        case 0x0A:
        case 0x0B:
        case 0x2D:
        case 0xDE:
        case 0xDF:
        case 0xE0:
        case 0xE3:
        case 0xE4:
        case 0xE5:
            return true;
        default:
            return false;
    }
}

// The next command is an act command for the same slot: this one only stores.
bool NextChangesSameRole(const TalkContext* c, const CmdArgs& a, int slot) {
    u32 next = static_cast<u32>(a.at - gTalkBuffer) + a.len;
    if (next + 4 > gTalkWindowBytes || next + 4 > kTalkWindow) return false;
    if (!IsActOp(LoadU16(gTalkBuffer + next) & 0x3FFFu)) return false;
    return ScriptRoleSlot(c, LoadU16(gTalkBuffer + next + 2)) == slot;
}

// The value of an act command: the operand, a role value or a variable.
bool ActValue(const TalkContext* c, const CmdArgs& a, i32* v) {
    u32 op = Op(a);
    if (op == 0xDF || op == 0xE0 || op == 0xDE)
        return AccessRoleValue(ScriptRoleId(c, a.v[0]), static_cast<int>(a.v[1]), v, 1) != 0;
    if (op == 0xE4 || op == 0xE5 || op == 0xE3) {
        if (a.v[1] >= kScriptVarCount) return false;
        *v = static_cast<i32>(gScriptVars[a.v[1]]);
        return true;
    }
    *v = static_cast<i32>(a.v[1]);
    return true;
}

void SetSpeed(int slot, u16 speed, const char* tag) {
    ActPlayer* p = gMapRoles[slot].act;
    if (!p) return;
    p->delayOverride = speed;
    p->delayCount = 0;
    StepRoleAct(slot, tag);
}

u32 StateBitOf(u32 op) {
    switch (op) {
        case 0x66:
            return kRoleCursor10;
        case 0x67:
            return kRoleNoTalkCursor;
        case 0x75:
            return kRoleLow;
        case 0x88:
            return kRoleIdleAnim;
        case 0x8C:
            return kRoleTurnsToTalk;
        case 0x91:
            return kRoleTouchTalk;
        case 0x92:
            return kRoleTakesCell;
        default:
            return kRoleWide;  // 0xAE
    }
}

}  // namespace

Step CmdRoleAct(TalkContext* c, CmdArgs& a) {
    ActField f = FieldOf(Op(a));
    i32 v = 0;
    if (!ActValue(c, a, &v)) return Step::On;
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) {
        u16 id = ScriptRoleId(c, a.v[0]);
        UpdateRoleRecord(id, f == ActField::Act ? v : -1, f == ActField::Action ? v : -1,
                         f == ActField::Dir ? v : -1, -1, -1, 0xFFFF, 0xFFFF, 0xFFFF, -1, -1,
                         0xFFFF, 255);
        return Step::On;
    }
    ActPlayer* p = gMapRoles[slot].act;
    if (!p) return Step::On;
    (f == ActField::Act ? p->act : f == ActField::Dir ? p->dir : p->action) = v;
    if (IsActOp(Op(a)) && NextChangesSameRole(c, a, slot)) return Step::On;
    StepRoleAct(slot, ActTag(f));
    return Step::On;
}

Step CmdRoleActAll(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    i32 act = static_cast<i32>(a.v[1]), qq = static_cast<i32>(a.v[2]),
        dir = static_cast<i32>(a.v[3]);
    if (slot < 0) {
        UpdateRoleRecord(ScriptRoleId(c, a.v[0]), act, qq, dir, -1, -1, 0xFFFF, 0xFFFF, 0xFFFF, -1,
                         -1, 0xFFFF, 255);
        return Step::On;
    }
    ActPlayer* p = gMapRoles[slot].act;
    if (!p) return Step::On;
    p->act = act;
    p->action = qq;
    p->dir = dir;
    StepRoleAct(slot, "TakeActData(Talk,TakeActData)");
    return Step::On;
}

Step CmdRoleSpeed(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) return Step::On;
    switch (Op(a)) {
        case 0x2C:
            SetSpeed(slot, static_cast<u16>(a.v[1]), "Act Err27(Talk:RestoreOpSet)");
            break;
        case 0x31:
            SetSpeed(slot, 0xFFFF, "Act Err27(Talk:RestoreOpSet)");
            break;
        case 0x4D:
            SetSpeed(slot, static_cast<u16>(a.v[1] | 0x8000), "Act Err33(Talk:SetRoleSpd)");
            break;
        default:  // 0x4E
            SetSpeed(slot, 0, "Act Err33(Talk:SetRoleSpd)");
            break;
    }
    return Step::On;
}

Step CmdRoleRestart(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0 || !gMapRoles[slot].act) return Step::On;
    ActPlayer* p = gMapRoles[slot].act;
    p->lastAct = p->lastAction = -1;
    p->cmdIndex = 0;
    p->frameCounter = 0;
    StepRoleAct(slot, "Act Err(Talk:Restart)");
    for (i32 n = static_cast<i32>(a.v[1]); n > 0; --n)
        if (!TakeActData(p)) break;
    return Step::On;
}

Step CmdControlLock(TalkContext*, CmdArgs& a) {
    if (Op(a) == 0x2B) {
        gTalkFlags &= ~kTalkLockBit;
        return Step::On;
    }
    gTalkFlags |= kTalkLockBit;
    if (gPlayerSlot >= 0 && gPlayerSlot < gMapRoleCount && gMapRoles[gPlayerSlot].act) {
        gMapRoles[gPlayerSlot].act->action = 0;
        StepRoleAct(gPlayerSlot, "Act Err24(Talk:Rmlock)");
    }
    return Step::On;
}

Step CmdPresence(TalkContext* c, CmdArgs& a) {
    u16 id = ScriptRoleId(c, a.v[0]);
    if (Op(a) == 0x26)
        HideRole(id);
    else
        ShowRole(id);
    return Step::On;
}

Step CmdStateBit(TalkContext* c, CmdArgs& a) {
    u32 bit = StateBitOf(Op(a));
    bool on = a.v[1] != 0;
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) {
        UpdateRoleRecord(ScriptRoleId(c, a.v[0]), -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF,
                         on ? static_cast<u16>(bit) : 0xFFFF,
                         on ? -1 : static_cast<i32>(0xFFFF & ~bit), -1, 0xFFFF, 255);
        return Step::On;
    }
    RoleSlot& r = gMapRoles[slot];
    ClearRoleFootprint(&r);
    r.state = on ? r.state | bit : r.state & ~bit;
    MarkRoleFootprint(&r);
    return Step::On;
}

Step CmdMapBit(TalkContext* c, CmdArgs& a) {
    bool set = Op(a) == 0x45;
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) {
        UpdateRoleRecord(ScriptRoleId(c, a.v[0]), -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF,
                         set ? kRoleOnMap2 : 0xFFFF,
                         set ? -1 : static_cast<i32>(0xFFFF & ~kRoleOnMap2), -1, 0xFFFF, 255);
        return Step::Yield;
    }
    if (set)
        gMapRoles[slot].state |= kRoleOnMap2;
    else
        gMapRoles[slot].state &= ~kRoleOnMap2;
    return Step::Yield;
}

Step CmdSetStateBit(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot >= 0) gMapRoles[slot].state |= Op(a) == 0x65 ? kRoleDoubleStep : kWalkThrough;
    return Step::On;
}

Step CmdRouteBits(TalkContext*, CmdArgs& a) {
    for (int i = 0; i < gMapRoleCount && i < kRoleRows; ++i) {
        RoleSlot& r = gMapRoles[i];
        if (!(r.state & kRoleFollows)) continue;
        if (Op(a) == 0xD4)
            r.state |= kRoleOnMap2;
        else
            r.state &= ~kRoleOnMap2;
    }
    return Step::On;
}

Step CmdTalkNumber(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    u16 v = static_cast<u16>(a.v[1]);
    if (slot >= 0)
        gMapRoles[slot].talk = v;
    else
        UpdateRoleRecord(ScriptRoleId(c, a.v[0]), -1, -1, -1, -1, -1, v, 0xFFFF, 0xFFFF, -1, -1,
                         0xFFFF, 255);
    return Step::On;
}

Step CmdPlayerRole(TalkContext* c, CmdArgs& a) {
    u16 id = ScriptRoleId(c, a.v[0]);
    int slot = FindRoleById(id);
    if (slot < 0) return Step::On;
    gPlayerSlot = slot;
    gPlayerId = id;
    return Step::On;
}

// ---- Restores, grid, turning, waits and layers ----

namespace {

constexpr const char* kRestoreTag = "Act Err27(Talk:RestoreOpSet)";

void FreeRoutesOf(int slot) {
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == slot) ClearRoleRoute(&r);
}

// Puts the role back on its 16-pixel grid against its facing and marks its step done.
void SnapRoleToGrid(int slot) {
    RoleSlot& s = gMapRoles[slot];
    ClearRoleFootprint(&s);
    SnapToGrid(&s, RoleMoveDir(slot), -1);
    for (RoleRoute& r : gRoleRoutes) {
        if (r.role != slot) continue;
        // It stands on the cell it left: the next step is decided again from there.
        r.pos |= kRoutePaused;
        r.stepX = r.stepY = 0;
        if (r.state != 1) continue;
        r.targetX = s.x;
        r.targetY = s.y;
    }
    s.state |= kWalkHeld;
    MarkRoleFootprint(&s);
}

// The open boxes of a speaker (kTalkSpot: those without one).
DialogRecord* FirstDialogOf(u16 speaker) {
    for (auto& d : gDialogs)
        if (d && !d->done && d->speaker == speaker) return d.get();
    return nullptr;
}

}  // namespace

Step CmdRoleRestore(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0 || !gMapRoles[slot].act) return Step::On;
    ActPlayer* p = gMapRoles[slot].act;
    bool saved = gTalkTurn.slot == slot;
    u32 op = Op(a);
    if ((op == 0x2E || op == 0x2F) && saved && gTalkTurn.action != -1) p->action = gTalkTurn.action;
    if ((op == 0x2E || op == 0x30) && saved && gTalkTurn.dir != -1) p->dir = gTalkTurn.dir;
    if (saved && op != 0x30) gTalkTurn.action = -1;
    if (saved && op != 0x2F) gTalkTurn.dir = -1;
    if (op == 0x2E) {
        i32 act = p->act, action = p->action, dir = p->dir;
        ResetActPlayer(p);
        p->act = act;
        p->action = action;
        p->dir = dir;
    }
    StepRoleAct(slot, kRestoreTag);
    return Step::On;
}

Step CmdSnapRole(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot >= 0) SnapRoleToGrid(slot);
    return Step::On;
}

Step CmdTurnToFace(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    int other = ScriptRoleSlot(c, a.v[1]);
    if (slot < 0 || !gMapRoles[slot].act) {
        ReportTalkData(c, B5("Act Err30(Talk:TurnFace[1])"),
                       B5("角色號碼(GUID:%d)不存在此地圖(%d)"), ScriptRoleId(c, a.v[0]),
                       static_cast<int>(gMapId));
        return Step::On;
    }
    if (other < 0) {
        ReportTalkData(c, B5("Act Err31(Talk:TurnFace[2])"),
                       B5("角色號碼(GUID:%d)不存在此地圖(%d)"), ScriptRoleId(c, a.v[1]),
                       static_cast<int>(gMapId));
        return Step::On;
    }
    const RoleSlot &r = gMapRoles[slot], &o = gMapRoles[other];
    i32 distance = 0;
    // The angle runs from the second point toward the first.
    int angle = GetAngleTo(o.x, o.y, r.x, r.y, &distance);
    // Two roles on the same spot have no direction between them.
    if (distance > 0 || r.x != o.x || r.y != o.y) r.act->dir = AngleToDirection(angle);
    StepRoleAct(slot, "Act Err32(Talk:TurnFace[3])");
    SnapRoleToGrid(slot);
    return Step::On;
}

Step CmdWaitSpeaker(TalkContext* c, CmdArgs& a) {
    u16 who = static_cast<u16>(a.v[0]);
    if (who == kTalkSpot) return c->speakerState ? Step::Stay : Step::On;
    return FirstDialogOf(ScriptRoleId(c, who)) ? Step::Stay : Step::On;
}

Step CmdEndRolePart(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) {
        ReportTalkData(c, B5("對話系統(TalkEnd)"), B5("角色不存在 (%d) "), ScriptRoleId(c, a.v[0]));
        return Step::On;
    }
    ClearRoleFootprint(&gMapRoles[slot]);
    FreeRoutesOf(slot);
    return Step::On;
}

Step CmdTakeOffMap(TalkContext* c, CmdArgs& a) {
    u16 id = ScriptRoleId(c, a.v[0]);
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot >= 0) {
        RoleSlot& s = gMapRoles[slot];
        ClearRoleFootprint(&s);
        FreeRoutesOf(slot);
        s.state &= ~kRoleShown;
    }
    UpdateRoleRecord(id, -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, kRoleIdleAnim, -1, -1, 0xFFFF, 255);
    return Step::Yield;
}

Step CmdRoleLayer(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) return Step::Yield;
    u32 layer = Op(a) == 0x37 ? 1 : Op(a) == 0x38 ? 2 : 0;
    RoleSlot& s = gMapRoles[slot];
    int from = static_cast<int>(s.state & kRoleLayer);
    s.state = (s.state & ~kRoleLayer) | layer;
    // The drawing lists are kept per layer: the role moves to its new one.
    if (static_cast<u32>(from) != layer)
        RefileMapObject(s.roleId, from, static_cast<int>(gDrawOrder.rows), 0);
    return Step::Yield;
}

Step CmdWaitActFrame(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0 || !gMapRoles[slot].act) {
        ReportTalkData(c, B5("Talk(tilpa1)"), B5("不存在地圖上的角色(GUID:%d)"),
                       ScriptRoleId(c, a.v[0]));
        return Step::On;
    }
    return gMapRoles[slot].act->frame < a.v[1] ? Step::Stay : Step::On;
}

Step CmdCloseSpeakerBoxes(TalkContext* c, CmdArgs& a) {
    CloseDialogsOf(ScriptRoleId(c, a.v[0]));
    c->speakerState = 0;
    return Step::On;
}

Step CmdWaitBoxFlag(TalkContext* c, CmdArgs& a) {
    u16 who = static_cast<u16>(a.v[0]);
    u16 speaker = who == kTalkSpot ? kTalkSpot : ScriptRoleId(c, who);
    DialogRecord* d = FirstDialogOf(speaker);
    if (!d) return Step::On;
    // 0x77 waits until the box has shown all its text, 0x8B until it has opened.
    u32 flag = Op(a) == 0x77 ? kDlgTextOut : kDlgShown;
    return d->flags & flag ? Step::On : Step::Stay;
}
