// Commands that steer the script: the loop's own, jumps and tests, variables,
// the story counter, waits and game flags.
#include <cmath>

#include "base/ByteIo.h"
#include "engine/FrameState.h"
#include "engine/Random.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "map/AStar.h"
#include "map/City.h"
#include "map/MapScene.h"
#include "map/RoleWalk.h"
#include "map/SessionServices.h"
#include "story/CommandHandlers.h"
#include "story/Countdowns.h"
#include "story/Dialog.h"

u32 gStoryCounter = 0, gStoryCounterMark = 0;

namespace {

// Money stops here so that a real balance never reads as a wrapped one.
constexpr u32 kMoneyCap = 0x7FFFFFFFu;

Step JumpTo(TalkContext* c, u32 target) {
    return TalkJump(c, target) ? Step::Jumped : Step::Ended;
}
Step JumpIf(TalkContext* c, bool cond, u32 target) {
    return cond ? JumpTo(c, target) : Step::On;
}

u32 Op(const CmdArgs& a) {
    return LoadU16(a.at) & 0x3FFFu;
}

// The slot of a role reference (0xFFF0 the owner), or -1.
int RoleSlotOf(TalkContext* c, u32 ref) {
    u16 r = static_cast<u16>(ref);
    if (r == kRefOwner) r = c->owner;
    int slot = -1;
    if (r == kTalkSpot || r == kTalkFree || !GetRoleIndex(r, &slot)) return -1;
    return slot >= 0 && slot < kRoleRows ? slot : -1;
}

bool HasWalk(int slot) {
    if (slot < 0 || !(gMapRoles[slot].state & kWalkUnderWay)) return false;
    for (const RoleRoute& r : gRoleRoutes)
        if (r.role == slot && (r.state & kRouteStateMask) == kRouteStory)
            return true;  // records hold slots
    return false;
}

i32 OwnedCount(u32 item) {
    return item > 0 && static_cast<i32>(item) < gItemCount && gOwnedItems ? gOwnedItems[item] : 0;
}

int LacksItem(i32 n) {
    if (n < 1) return 0;
    // An item id past the item table has no count: the party lacks it.
    if (n < 300) return OwnedCount(static_cast<u32>(n)) < 1 ? 1 : 0;
    i32 rec = n - 300;
    if (rec < 0 || rec >= gEquipageCount) return 0;
    for (const EquipageData& e : gOwnedEquipage)
        if (e.id == rec) return 0;
    return 1;
}

bool PartyWears(u32 record) {
    for (int i = 0; i < kPartySize && gParty[i] >= 0; ++i) {
        if (gParty[i] >= kRoleCount) continue;
        for (i32 piece : gRoles[gParty[i]].equip) {
            const EquipageData* e = GetOwnedEquipage(piece);
            if (e && static_cast<u32>(e->id) == record) return true;
        }
    }
    return false;
}

// Variable number operand: valid numbers are 0..255; others refuse the command.
bool VarOk(u32 v) {
    return static_cast<i32>(v) >= 0 && static_cast<i32>(v) < kScriptVarCount;
}

}  // namespace

// ---- The loop's own ----

Step CmdSkip(TalkContext*, CmdArgs&) {
    return Step::Yield;
}
Step CmdRunOn(TalkContext*, CmdArgs&) {
    gTalkRun.runOn = true;
    return Step::On;
}
Step CmdRunOff(TalkContext*, CmdArgs&) {
    gTalkRun.runOn = false;
    return Step::Yield;
}
Step CmdNop(TalkContext*, CmdArgs&) {
    return Step::On;
}
Step CmdEnd(TalkContext* c, CmdArgs&) {
    TalkEnd(c);
    return Step::Ended;
}
Step CmdCountdown(TalkContext*, CmdArgs& a) {
    StartCountdown(static_cast<int>(a.v[0]), static_cast<int>(a.v[1]), static_cast<u16>(a.v[2]), 0);
    return Step::Yield;
}

// ---- Jumps and tests ----

Step CmdJump(TalkContext* c, CmdArgs& a) {
    return JumpTo(c, a.v[0]);
}

Step CmdFlagJump(TalkContext* c, CmdArgs& a) {
    bool set = GetGameFlag(static_cast<i32>(a.v[0])) != 0;
    return JumpIf(c, Op(a) == 0x15 ? set : !set, a.v[1]);
}

Step CmdFlagListJump(TalkContext* c, CmdArgs& a) {
    bool all = true, any = false;
    for (u32 i = 0; i < a.listCount; ++i) {
        bool set = GetGameFlag(LoadU16(a.list + 2 * i)) != 0;
        all = all && set;
        any = any || set;
    }
    return JumpIf(c, Op(a) == 0x17 ? all : any, a.v[1]);
}

Step CmdWalkJump(TalkContext* c, CmdArgs& a) {
    bool walking = HasWalk(RoleSlotOf(c, a.v[0]));
    if (Op(a) == 0x10 && walking) gTalkRun.runOn = false;
    return JumpIf(c, Op(a) == 0x10 ? walking : !walking, a.v[1]);
}

Step CmdAnswerJump(TalkContext* c, CmdArgs& a) {
    u32 k = gChosenAnswer;
    gChosenAnswer = 0;
    // An answer without a target goes on after the list.
    if (k >= a.listCount) return Step::On;
    return JumpTo(c, LoadU32(a.list + 4 * k));
}

Step CmdRandomJump(TalkContext* c, CmdArgs& a) {
    if (a.listCount == 0) return Step::On;
    return JumpTo(c, LoadU32(a.list + 4 * RandomN(a.listCount)));
}

Step CmdAnyRoleJump(TalkContext* c, CmdArgs& a) {
    u32 op = Op(a);
    u32 bit = op == 0xCF ? kRoleFollows : kWalkUnderWay;
    bool any = false;
    for (int i = op == 0xCF ? 0 : 1; i < gMapRoleCount && i < kRoleRows && !any; ++i) {
        if (op == 0xCF && !(gMapRoles[i].state & kRoleShown)) continue;
        any = (gMapRoles[i].state & bit) != 0;
    }
    return JumpIf(c, op == 0x6F ? !any : any, a.v[0]);
}

Step CmdItemJump(TalkContext* c, CmdArgs& a) {
    if (Op(a) == 0x81) return JumpIf(c, OwnedCount(a.v[0]) != 0, a.v[1]);
    return JumpIf(c, LacksItem(static_cast<i32>(a.v[0])) != 0, a.v[1]);
}

Step CmdItemCountJump(TalkContext* c, CmdArgs& a) {
    i32 n = OwnedCount(a.v[0]), k = static_cast<i32>(a.v[1]);
    return JumpIf(c, Op(a) == 0xA5 ? n >= k : n <= k, a.v[2]);
}

Step CmdWornJump(TalkContext* c, CmdArgs& a) {
    bool worn = PartyWears(a.v[0]);
    return JumpIf(c, Op(a) == 0xA7 ? worn : !worn, a.v[1]);
}

Step CmdMapJump(TalkContext* c, CmdArgs& a) {
    bool same = static_cast<i32>(gMapId) == static_cast<i32>(a.v[0]);
    return JumpIf(c, Op(a) == 0xA4 ? same : !same, a.v[1]);
}

Step CmdSlotCellJump(TalkContext* c, CmdArgs& a) {
    u32 slot = a.v[0];
    if (slot >= kRoleRows) return Step::On;
    const RoleSlot& r = gMapRoles[slot];
    return JumpIf(c, r.x / 16u == a.v[1] && r.y / 16u == a.v[2], a.v[3]);
}

Step CmdPointDistanceJump(TalkContext* c, CmdArgs& a) {
    int slot = RoleSlotOf(c, a.v[2]);
    if (slot < 0) return Step::On;
    double dx = gMapRoles[slot].x - (16.0 * a.v[0] - 8), dy = gMapRoles[slot].y - 16.0 * a.v[1];
    return JumpIf(c, std::sqrt(dx * dx + dy * dy) > 16.0 * a.v[3], a.v[4]);
}

Step CmdRoleDistanceJump(TalkContext* c, CmdArgs& a) {
    int s1 = RoleSlotOf(c, a.v[0]), s2 = RoleSlotOf(c, a.v[1]);
    if (s1 < 0 || s2 < 0) return Step::On;
    double dx = gMapRoles[s1].x - gMapRoles[s2].x, dy = gMapRoles[s1].y - gMapRoles[s2].y;
    i32 d = static_cast<i32>(std::sqrt(dx * dx + dy * dy));
    return JumpIf(c, d > static_cast<i32>(16 * a.v[2]), a.v[3]);
}

Step CmdRectJump(TalkContext* c, CmdArgs& a) {
    int slot = RoleSlotOf(c, a.v[0]);
    if (slot < 0) return Step::On;
    i32 x = gMapRoles[slot].x, y = gMapRoles[slot].y;
    i32 x0 = static_cast<i32>(a.v[1]), y0 = static_cast<i32>(a.v[2]);
    i32 x1 = static_cast<i32>(a.v[3]), y1 = static_cast<i32>(a.v[4]);
    bool in = (x0 < 0 || x >= x0 * 16) && (y0 < 0 || y >= y0 * 16) && (x1 < 0 || x <= x1 * 16) &&
              (y1 < 0 || y <= y1 * 16);
    return JumpIf(c, Op(a) == 0xE6 ? in : !in, a.v[5]);
}

Step CmdActionJump(TalkContext* c, CmdArgs& a) {
    int slot = RoleSlotOf(c, a.v[0]);
    i32 action = 0;
    if (slot >= 0 && gMapRoles[slot].act) {
        action = gMapRoles[slot].act->action;
    } else {
        u16 id = static_cast<u16>(a.v[0]) == kRefOwner ? c->owner : static_cast<u16>(a.v[0]);
        i32 row = FindRecord(id);
        if (row < 0) return Step::On;  // neither on the map nor in the records
        action = RecordWord(row, recWord::kAction);
    }
    bool same = action == static_cast<i32>(a.v[1]);
    return JumpIf(c, Op(a) == 0x7E ? same : !same, a.v[2]);
}

Step CmdActJump(TalkContext* c, CmdArgs& a) {
    int slot = RoleSlotOf(c, a.v[0]);
    if (slot >= 0 && gMapRoles[slot].act) {
        TakeActData(gMapRoles[slot].act);
        return JumpIf(c, gMapRoles[slot].act->act != static_cast<i32>(a.v[1]), a.v[2]);
    }
    // A role off the map is tested through a stand-in built from its record.
    u16 id = static_cast<u16>(a.v[0]) == kRefOwner ? c->owner : static_cast<u16>(a.v[0]);
    i32 row = FindRecord(id);
    if (row < 0) return Step::On;  // neither on the map nor in the records
    ActPlayer stand;
    stand.act = RecordWord(row, recWord::kAct);
    stand.action = RecordWord(row, recWord::kAction);
    stand.dir = RecordWord(row, recWord::kDir);
    TakeActData(&stand);
    return JumpIf(c, stand.act != static_cast<i32>(a.v[1]), a.v[2]);
}

Step CmdGoTalk(TalkContext* c, CmdArgs& a) {
    // A missing file has posted the window's end; the loop stops.
    return LoadTalk(c, static_cast<int>(a.v[0])) && c->owner != kTalkFree ? Step::Jumped
                                                                          : Step::Ended;
}

// ---- Variables ----

Step CmdVariable(TalkContext* c, CmdArgs& a) {
    u32 op = Op(a);
    if (!VarOk(a.v[0])) return Step::On;
    u32& var = gScriptVars[a.v[0]];
    u32 value = a.v[1];
    Step s = Step::On;
    switch (op) {
        case 0x1D:
        case 0xB5:
            var = value;
            break;
        case 0x1E:
        case 0xB6:
            var += value;
            break;
        case 0x1F:
        case 0xB7:
            var -= value;
            if (var & 0x80000000u) var = 0;
            break;
        case 0x20:
        case 0xB8:
            if (var >= value) s = JumpTo(c, a.v[2]);
            break;
        case 0x21:
        case 0xB9:
            if (var <= value) s = JumpTo(c, a.v[2]);
            break;
        case 0x30E:
            var *= value;
            break;
        case 0x30F:
            if (value != 0) var /= value;
            break;
        default:
            break;
    }
    if (gScriptVars[0] > kMoneyCap) gScriptVars[0] = kMoneyCap;
    return s;
}

// ---- Counter and timing ----

Step CmdCounter(TalkContext* c, CmdArgs& a) {
    switch (Op(a)) {
        case 0x22:
            gStoryCounter = a.v[0] > 1000 ? 0 : a.v[0];
            return Step::On;
        case 0x23:
            return JumpIf(c, a.v[0] <= (gStoryCounter & 0xFFFF), a.v[1]);
        case 0x24:
            return JumpIf(c, gStoryCounter > gStoryCounterMark + a.v[0], a.v[1]);
        default:
            gStoryCounterMark = gStoryCounter;
            return Step::On;
    }
}

namespace {
u32 gWaitStart = 0;
u32 gWaitMs = 0;
}  // namespace

Step CmdWait(TalkContext*, CmdArgs& a) {
    u16 w = LoadU16(a.at + 2);
    if (!(w & 0x8000)) {
        gWaitMs = w;
        gWaitStart = gFrameTime;
        StoreU16(a.at + 2, static_cast<u16>(w | 0x8000));
        return Step::Stay;
    }
    if (gFrameTime - gWaitStart <= gWaitMs) return Step::Stay;
    StoreU16(a.at + 2, static_cast<u16>(w & 0x7FFF));
    return Step::On;
}

Step CmdPicShow(TalkContext*, CmdArgs& a) {
    if (Op(a) == 0x62) {
        gPicShowCounter = a.v[0];
        return Step::Yield;
    }
    return gPicShowCounter <= a.v[0] ? Step::Stay : Step::On;
}

// ---- Flags ----

Step CmdFlag(TalkContext*, CmdArgs& a) {
    switch (Op(a)) {
        case 0x19:
            SetGameFlag(static_cast<i32>(a.v[0]));
            return Step::On;
        case 0x1A:
            ClearGameFlag(static_cast<i32>(a.v[0]));
            return Step::On;
        case 0x93:
            SetGameFlag(kLoadBarFlag);
            break;
        case 0x94:
            SetGameFlag(kSpotlightClipFlag);
            break;
        case 0x95:
            ClearGameFlag(kSpotlightClipFlag);
            break;
        default:
            ClearGameFlag(kStoryCountdownFlag);
            ClearGameFlag(kStoryCountdownStopFlag);
            ClearGameFlag(kStoryCountdownMarkFlag);
            break;
    }
    return Step::Yield;
}
