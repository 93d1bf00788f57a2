// The behaviour-program interpreter: one step of a map person's program per
// frame, over the programs of the path database.
#include "map/Behaviour.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "base/Types.h"
#include "platform/TextCodec.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/MemDbg.h"
#include "engine/Random.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/GameFlags.h"
#include "map/AStar.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/MapArchive.h"
#include "map/MapDb.h"
#include "map/MapScene.h"
#include "map/RoleTable.h"
#include "map/SessionServices.h"
#include "map/StoryLink.h"

BehaviourReport gBehaviourReport;
u32 gScriptTimeMark = 0;

namespace {

// Unit cell steps of the route directions, and the animation direction each gives.
constexpr int kRouteDx[8] = {1, 0, -1, -1, -1, 0, 1, 1};
constexpr int kRouteDy[8] = {1, 1, 1, 0, -1, -1, -1, 0};
constexpr int kRouteToAnim[8] = {5, 1, 6, 2, 4, 0, 7, 3};
constexpr int kAnimToRoute[8] = {5, 1, 3, 7, 4, 0, 2, 6};

bool OnCell(const RoleSlot& s) {
    return (s.x & 15) == 0 && (s.y & 15) == 0;
}

void AdvanceAnimation(RoleSlot& s) {
    if (!s.act) return;
    if (!TakeActData(s.act))
        ReportActFault(s.act->act, B5("Act Err16(PathDB:Script)"),
                       B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"), s.roleId, s.act->act,
                       s.act->action, s.act->dir);
}

u32* CellPointer(int cx, int cy) {
    if (!gMap.cells || cx < 0 || cy < 0 || cx >= static_cast<int>(gMap.width) ||
        cy >= static_cast<int>(gMap.height))
        return nullptr;
    return &gMap.cells[static_cast<size_t>(cy) * gMap.width + cx];
}

u32 CellBits(int cx, int cy) {
    const u32* c = CellPointer(cx, cy);
    return c ? *c : kCellWall;  // outside the map reads as a wall
}

// Puts the role at cell (cx, cy), kept inside the map.
void PlaceRole(int index, int cx, int cy) {
    RoleSlot& s = gMapRoles[index];
    if (gMap.width == 0 || gMap.height == 0) return;
    int w, h;
    RoleFootprint(&s, &w, &h);
    cx = cx < 0 ? 0 : cx;
    cy = cy < 0 ? 0 : cy;
    if (cx > static_cast<int>(gMap.width) - w) cx = std::max(0, static_cast<int>(gMap.width) - w);
    if (cy > static_cast<int>(gMap.height) - h) cy = std::max(0, static_cast<int>(gMap.height) - h);
    ClearRoleFootprint(&s);
    int oldRow = s.y / 16;
    s.x = static_cast<u16>(cx * 16);
    s.y = static_cast<u16>(cy * 16);
    s.cell = CellPointer(cx, cy);
    AdvanceAnimation(s);
    MarkRoleFootprint(&s);
    RefileMapObject(s.roleId, static_cast<int>(s.state & kRoleLayer), oldRow, 0);
}

RoleRoute* RouteOf(int index, int state) {
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == index && (r.state & kRouteStateMask) == state) return &r;
    return nullptr;
}

void FreeSpeech(RoleSlot& s) {
    if (s.text) MH_FREE(s.text);
    s.text = nullptr;
    s.textColour = 0;
}

double DistanceFromOrigin(const RoleSlot& s) {
    return std::sqrt(double(s.x) * s.x + double(s.y) * s.y);
}

// Removes a role whose program cannot start: it leaves the map and its routes
// end. Its pop-out byte is marked, which its record keeps when the map is left.
void RemoveRole(int index) {
    RoleSlot& s = gMapRoles[index];
    s.state &= kRoleKeptOnHide;
    s.extra2 = 0x80;
    ClearRoleFootprint(&s);
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == index) ClearRoleRoute(&r);
}

// The offset (p, q) turned by the facing of the role walked to.
void TurnOffset(int dir, int p, int q, int* ox, int* oy) {
    switch (dir) {
        case 0:
            *ox = p, *oy = -q;
            break;
        case 1:
            *ox = -p, *oy = q;
            break;  // facing down mirrors facing up
        case 2:
            *ox = -q, *oy = p;
            break;
        case 3:
            *ox = q, *oy = -p;
            break;
        case 4:
            *ox = q + p, *oy = q - p;
            break;
        case 5:
            *ox = -(q + p), *oy = p - q;
            break;
        case 6:
            *ox = q - p, *oy = -(q + p);
            break;
        case 7:
            *ox = p - q, *oy = q + p;
            break;
        default:
            *ox = p, *oy = -q;
            break;
    }
}

// Map 224's one exception: while role slot 13 runs program 2311 there, its
// route orders (opcode 7) start no route. The counter moves on as usual, so the
// program goes on with the role where it stands. (Program 2311 lies in the first
// extra block, which our path database does not have: GetProgramBlock.)
constexpr u32 kHeldRouteMap = 224;
constexpr int kHeldRouteSlot = 13;
constexpr u16 kHeldRouteScript = 2311;

bool RouteOrdersHeld(int index, u16 script) {
    return gMapId == kHeldRouteMap && index == kHeldRouteSlot && script == kHeldRouteScript;
}

// Words a walk or distance test skips when its role operand names no role.
constexpr u32 kUnresolvedRoleSkip = 2;

}  // namespace

// One step of one role's program: the state the handlers share.
class BehaviourStep {
public:
    explicit BehaviourStep(int index) : index_(index), s_(gMapRoles[index]) {}
    void Run();

    bool Load();
    u16 Word(u32 k);
    BopNext Jump(u32 label);
    // Jumps to the label in operand slot k, which may lie past the file's end.
    BopNext JumpTo(const BopArgs& a, int k) {
        if (k < a.count) return Jump(a.v[k]);
        return Fault("the program runs past the end of the file", start_ + 2 * s_.pc + a.cutAt);
    }
    BopNext Fault(const char* what, u32 at);
    // Moves the counter n words on, a count the signature does not give.
    BopNext Skip(u32 n) {
        s_.pc += n;
        return BopNext::Jumped;
    }
    bool Resolve(u16 ref, int* index, bool selfRef);
    u16 RoleIdOf(u16 ref) { return ref == kSelfRef ? s_.roleId : ref; }
    void Wander();

    int index_;
    RoleSlot& s_;
    const u8* block_ = nullptr;
    u32 size_ = 0;
    u32 start_ = 0;  // byte offset of the program's first word in the block
    bool fault_ = false;
};

bool BehaviourStep::Load() {
    ScriptBlockRef ref;
    if (!SelectScriptBlock(s_.scriptId, &ref)) return false;
    if (!GetProgramBlock(ref.block, &block_, &size_)) {
        Fault("the script's block is missing", 0);
        return false;
    }
    u64 at = kPathTableAt + 4ull * ref.local;
    if (at + 4 > size_) {
        Fault("the script's offset lies outside the file", static_cast<u32>(at));
        return false;
    }
    start_ = kPathTableAt + LoadU32(block_ + at);
    if (start_ < kPathTableAt || start_ >= size_) {
        Fault("the program lies outside the file", static_cast<u32>(at));
        return false;
    }
    return true;
}

u16 BehaviourStep::Word(u32 k) {
    u64 at = start_ + 2ull * (static_cast<u64>(s_.pc) + k);
    if (at + 2 > size_) {
        if (!fault_) Fault("the program runs past the end of the file", static_cast<u32>(at));
        return 0;
    }
    return LoadU16(block_ + at);
}

BopNext BehaviourStep::Fault(const char* what, u32 at) {
    fault_ = true;
    ++gBehaviourReport.faults;
    ReportDataError({"path.dat", at,
                     "script " + std::to_string(s_.scriptId) + " of role " +
                         std::to_string(s_.roleId) + ": " + what});
    // The program ends, so the fault is reported once.
    s_.scriptId = 0;
    s_.pc = 0;
    return BopNext::Ended;
}

BopNext BehaviourStep::Jump(u32 label) {
    u64 at = kPathTableAt + static_cast<u64>(label);
    if (at < start_ || ((at - start_) & 1) || at + 2 > size_)
        return Fault("a label lies outside the program", static_cast<u32>(at));
    s_.pc = static_cast<u32>((at - start_) / 2);
    return BopNext::Jumped;
}

bool BehaviourStep::Resolve(u16 ref, int* index, bool selfRef) {
    if (selfRef && ref == kSelfRef) {
        *index = index_;
        return true;
    }
    int i = -1;
    if (!GetRoleIndex(ref, &i) || i <= 0 || i >= kRoleRows) return false;
    *index = i;
    return true;
}

void BehaviourStep::Wander() {
    RoleRoute* w = RouteOf(index_, 1);
    int dir = w && w->dirs[0] < 8
                  ? w->dirs[0]
                  : (s_.act && s_.act->dir >= 0 && s_.act->dir < 8 ? kAnimToRoute[s_.act->dir] : 1);
    u32 r = RandomN(80);
    if (r > 60)
        dir = 0xFF;
    else if (r < 8)
        dir = static_cast<int>(r);
    StepRoleInDirection(index_, dir);
}

namespace {

using Step = BehaviourStep;
using Next = BopNext;

// ---- handlers, one per opcode (or pair of opcodes that differ in one choice) ----

Next OpRestart(Step& st, const BopArgs&) {
    st.s_.pc = 0;
    return Next::Jumped;
}

Next OpEnd(Step& st, const BopArgs&) {
    st.s_.scriptId = 0;
    st.s_.pc = 0;
    return Next::Ended;
}

template <bool kDirectionWord>
Next OpPose(Step& st, const BopArgs& a) {
    if (st.s_.act) (kDirectionWord ? st.s_.act->dir : st.s_.act->action) = static_cast<u16>(a.v[0]);
    AdvanceAnimation(st.s_);
    return Next::Yield;
}

Next OpSetWait(Step& st, const BopArgs& a) {
    st.s_.wait = static_cast<u16>(a.v[0]);
    return Next::Continue;
}

template <bool kAnimate>
Next OpWait(Step& st, const BopArgs&) {
    if (st.s_.wait == 0) return Next::Yield;
    --st.s_.wait;
    if (kAnimate) AdvanceAnimation(st.s_);
    return Next::Stay;
}

Next OpRouteTo(Step& st, const BopArgs& a) {
    if (!RouteOrdersHeld(st.index_, st.s_.scriptId))
        StartRoleRoute(st.index_, static_cast<u16>(a.v[0]), static_cast<u16>(a.v[1]));
    return Next::Continue;
}

Next OpWalk(Step& st, const BopArgs&) {
    if (!OnCell(st.s_) || StepRoleRoute(st.index_) != 2) return Next::Stay;
    st.s_.state &= ~kRoleDoubleStep;
    return Next::Continue;
}

Next OpUntilTime(Step& st, const BopArgs& a) {
    if (st.s_.state & kRoleIdleAnim) AdvanceAnimation(st.s_);
    return gGameTime < a.v[0] ? Next::Stay : Next::Continue;
}

Next OpIfTime(Step& st, const BopArgs& a) {
    return gGameTime >= a.v[0] ? st.JumpTo(a, 1) : Next::Yield;
}

// The counter passes the opcode only: its operand runs next as an opcode.
Next OpSetTime(Step&, const BopArgs& a) {
    gGameTime = a.v[0] > 1000 ? 0 : a.v[0];
    return Next::Continue;
}

Next OpJump(Step& st, const BopArgs& a) {
    return st.JumpTo(a, 0);
}

template <bool kWhenSet>
Next OpIfFlag(Step& st, const BopArgs& a) {
    bool set = GetGameFlag(static_cast<u16>(a.v[0])) != 0;
    return set == kWhenSet ? st.JumpTo(a, 1) : Next::Yield;
}

// An empty list holds for "all" and fails for "any".
template <bool kAll>
Next OpIfFlags(Step& st, const BopArgs& a) {
    bool all = true, any = false;
    for (u32 k = 0; k < a.listCount; ++k) {
        bool set = GetGameFlag(LoadU16(a.list + 2 * k)) != 0;
        all = all && set;
        any = any || set;
    }
    return (kAll ? all : any) ? st.JumpTo(a, 1) : Next::Yield;
}

template <bool kSet>
Next OpFlag(Step&, const BopArgs& a) {
    if (kSet)
        SetGameFlag(static_cast<u16>(a.v[0]));
    else
        ClearGameFlag(static_cast<u16>(a.v[0]));
    return Next::Continue;
}

// Variables of 256 and above stay unchanged and fail their tests.
template <u16 kOp>
Next OpVariable(Step&, const BopArgs& a) {
    if (a.v[0] >= 256) return Next::Continue;
    u32& var = gScriptVars[a.v[0]];
    u32 x = a.v[1];
    if (kOp == bop::kSetVar) var = x;
    if (kOp == bop::kAddVar) var = std::min<u32>(var + x, 1000);
    if (kOp == bop::kSubVar) var = var > x ? var - x : 0;
    return Next::Continue;
}

template <bool kAtLeast>
Next OpIfVariable(Step& st, const BopArgs& a) {
    u32 v = a.v[0], x = a.v[1];
    bool hit = v < 256 && (kAtLeast ? gScriptVars[v] >= x : gScriptVars[v] <= x);
    return hit ? st.JumpTo(a, 2) : Next::Yield;
}

Next OpGiveScript(Step& st, const BopArgs& a) {
    int i = -1;
    if (!st.Resolve(static_cast<u16>(a.v[0]), &i, true)) return Next::Continue;
    RoleSlot& r = gMapRoles[i];
    if (RoleRoute* q = RouteOf(i, 2)) q->queuedRole = q->queuedX = q->queuedY = 0xFFFF;
    if (RoleRoute* w = RouteOf(i, 1)) {
        if (!OnCell(r)) {
            // Back along the route to the cell the role left.
            u16 pos = w->pos & 0x7FFF;
            u8 d = pos < sizeof(w->dirs) ? w->dirs[pos] : 255;
            if (d > 7 && pos > 0) d = w->dirs[pos - 1];
            int row = r.y / 16;
            ClearRoleFootprint(&r);
            SnapToGrid(&r, d, -1);
            r.cell = CellPointer(r.x / 16, r.y / 16);
            MarkRoleFootprint(&r);
            RefileMapObject(r.roleId, static_cast<int>(r.state & kRoleLayer), row, 0);
        }
        ClearRoleRoute(w);
    }
    r.scriptId = static_cast<u16>(a.v[1]);
    r.pc = 0;
    if (i != st.index_) return Next::Continue;
    // The running role goes on at the start of its new program in this step.
    return st.Load() ? Next::JumpedOn : Next::Ended;
}

Next OpIfMarkPast(Step& st, const BopArgs& a) {
    return static_cast<u64>(gScriptTimeMark) + a.v[0] < gGameTime ? st.JumpTo(a, 1) : Next::Yield;
}

Next OpMarkTime(Step&, const BopArgs&) {
    gScriptTimeMark = gGameTime;
    return Next::Continue;
}

// A role on the map changes its state; an absent one its record.
template <bool kShow>
Next OpHideShow(Step& st, const BopArgs& a) {
    u16 ref = static_cast<u16>(a.v[0]);
    int i = -1;
    if (st.Resolve(ref, &i, true)) {
        RoleSlot& r = gMapRoles[i];
        if (kShow) {
            r.state |= kRoleShown | kRoleWide;
        } else {
            r.state &= ~(kRoleShown | kRoleWide);
            ClearRoleFootprint(&r);
        }
    } else if (kShow) {
        UpdateRoleRecord(st.RoleIdOf(ref), -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, kRoleShown, -1, -1,
                         0x8080, 0xFF);
    } else {
        UpdateRoleRecord(st.RoleIdOf(ref), -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, 0, kRoleKeptOnHide,
                         -1, 0x8080, 0xFF);
    }
    return Next::Continue;
}

Next OpPlace(Step& st, const BopArgs& a) {
    PlaceRole(st.index_, static_cast<u16>(a.v[0]), static_cast<u16>(a.v[1]));
    return Next::Yield;
}

Next OpMove(Step& st, const BopArgs& a) {
    PlaceRole(st.index_, st.s_.x / 16 + static_cast<i32>(a.v[0]),
              st.s_.y / 16 + static_cast<i32>(a.v[1]));
    return Next::Yield;
}

Next OpWander(Step& st, const BopArgs&) {
    if (OnCell(st.s_)) st.Wander();
    return Next::Stay;
}

// Each of act, action and direction unless 0xFFFF.
Next OpLook(Step& st, const BopArgs& a) {
    if (ActPlayer* p = st.s_.act) {
        if (a.v[0] != 0xFFFF) p->act = static_cast<u16>(a.v[0]);
        if (a.v[1] != 0xFFFF) p->action = static_cast<u16>(a.v[1]);
        if (a.v[2] != 0xFFFF) p->dir = static_cast<u16>(a.v[2]);
    }
    AdvanceAnimation(st.s_);
    return Next::Yield;
}

Next OpSound(Step& st, const BopArgs& a) {
    const RoleSlot& s = st.s_;
    const RoleSlot* p = gPlayerSlot > 0 && gPlayerSlot < kRoleRows ? &gMapRoles[gPlayerSlot] : &s;
    PlaySfxFrom(static_cast<u16>(a.v[0]), s.x, s.y, p->x, p->y, static_cast<int>(gSfxVolume));
    return Next::Yield;
}

// The cell of role r, or with kBeside the cell offset from it by r's facing.
template <bool kBeside>
Next OpWalkToRole(Step& st, const BopArgs& a) {
    int i = -1;
    if (!st.Resolve(static_cast<u16>(a.v[0]), &i, true)) return st.Skip(kUnresolvedRoleSkip);
    RoleSlot& r = gMapRoles[i];
    if (!OnCell(r)) return Next::Stay;
    int cx = r.x / 16, cy = r.y / 16;
    if (kBeside) {
        int ox, oy;
        TurnOffset(r.act ? r.act->dir : 0, static_cast<i32>(a.v[1]), static_cast<i32>(a.v[2]), &ox,
                   &oy);
        int tx = cx + ox, ty = cy + oy;
        if (!(CellBits(tx, ty) & kCellWall) && !(CellBits(tx + 1, ty) & kCellWall)) {
            cx = tx;
            cy = ty;
        }
    }
    StartRoleRoute(st.index_, cx, cy);
    if (std::fabs(DistanceFromOrigin(st.s_) - DistanceFromOrigin(r)) > 128)
        st.s_.state |= kRoleDoubleStep;
    return Next::Continue;
}

// Role r is always a role id here, never the running role.
template <bool kNear>
Next OpIfDistance(Step& st, const BopArgs& a) {
    int i = -1;
    if (!st.Resolve(static_cast<u16>(a.v[0]), &i, false)) return st.Skip(kUnresolvedRoleSkip);
    const RoleSlot& r = gMapRoles[i];
    double dx = double(r.x) - st.s_.x, dy = double(r.y) - st.s_.y;
    double reach = 16.0 * a.v[1];
    bool within = dx * dx + dy * dy <= reach * reach;
    return within == kNear ? st.JumpTo(a, 2) : Next::Yield;
}

// A text without its mark keeps what fits, and the program cannot go on past it.
Next OpSpeech(Step& st, const BopArgs& a) {
    RoleSlot& s = st.s_;
    FreeSpeech(s);
    s.text = static_cast<char*>(MH_ALLOC_ZERO(static_cast<i32>(a.textLen + 16)));
    if (s.text) std::memcpy(s.text, a.text, a.textLen);
    s.textColour = a.v[0] > 10 ? 0 : static_cast<u16>(a.v[0]);
    if (!a.whole)
        return st.Fault("a speech text has no end mark", static_cast<u32>(a.text - st.block_));
    return Next::Yield;
}

Next OpNoSpeech(Step& st, const BopArgs&) {
    FreeSpeech(st.s_);
    return Next::Continue;
}

// An empty table has nothing to choose from. Only the drawn label has to lie
// inside the file.
Next OpRandomJump(Step& st, const BopArgs& a) {
    if (a.listCount == 0) return Next::Yield;
    u64 at = static_cast<u64>(a.list - st.block_) + 4ull * RandomN(a.listCount);
    if (at + 4 > st.size_)
        return st.Fault("the program runs past the end of the file",
                        static_cast<u32>(at + 2 <= st.size_ ? at + 2 : at));
    return st.Jump(LoadU32(st.block_ + at));
}

template <bool kAdd>
Next OpRoleValue(Step& st, const BopArgs& a) {
    u16 id = st.RoleIdOf(static_cast<u16>(a.v[0]));
    u16 k = static_cast<u16>(a.v[1]);
    i32 value = static_cast<i32>(a.v[2]);
    if (kAdd) {
        i32 old = 0;
        if (AccessRoleValue(id, k, &old, 1)) value = old + value;
    }
    AccessRoleValue(id, k, &value, 2);
    return Next::Continue;
}

enum class Compare { AtLeast, AtMost, Equal };

template <Compare kHow>
Next OpIfRoleValue(Step& st, const BopArgs& a) {
    i32 v = 0;
    int have =
        AccessRoleValue(st.RoleIdOf(static_cast<u16>(a.v[0])), static_cast<u16>(a.v[1]), &v, 1);
    i32 want = static_cast<i32>(a.v[2]);
    bool hit = have && (kHow == Compare::AtLeast  ? v >= want
                        : kHow == Compare::AtMost ? v <= want
                                                  : v == want);
    return hit ? st.JumpTo(a, 3) : Next::Yield;
}

Next OpStop(Step&, const BopArgs&) {
    return Next::Stay;
}

Next OpAttach(Step& st, const BopArgs& a) {
    st.s_.second = GlobalActSlot(static_cast<u16>(a.v[0]));
    return Next::Yield;
}

Next OpDetach(Step& st, const BopArgs&) {
    st.s_.second = nullptr;
    return Next::Yield;
}

// opcode, name, operands, handler; row n is opcode n.
constexpr BehaviourOp kOps[bop::kCount] = {
    {bop::kRestart, "restart", "", OpRestart},
    {bop::kEnd, "end", "", OpEnd},
    {bop::kAction, "action", "w", OpPose<false>},
    {bop::kDirection, "dir", "w", OpPose<true>},
    {bop::kSetWait, "setwait", "w", OpSetWait},
    {bop::kWait, "wait", "", OpWait<false>},
    {bop::kWaitAnim, "waitanim", "", OpWait<true>},
    {bop::kRouteTo, "route", "ww", OpRouteTo},
    {bop::kWalk, "walk", "", OpWalk},
    {bop::kUntilTime, "until", "w", OpUntilTime},
    {bop::kIfTime, "iftime", "wL", OpIfTime},
    {bop::kSetTime, "settime", "p", OpSetTime},
    {bop::kJump, "jump", "L", OpJump},
    {bop::kIfFlag, "ifflag", "wL", OpIfFlag<true>},
    {bop::kIfNotFlag, "ifnotflag", "wL", OpIfFlag<false>},
    {bop::kIfAllFlags, "ifall", "FL", OpIfFlags<true>},
    {bop::kIfAnyFlag, "ifany", "FL", OpIfFlags<false>},
    {bop::kSetFlag, "setflag", "w", OpFlag<true>},
    {bop::kClearFlag, "clearflag", "w", OpFlag<false>},
    {bop::kSetVar, "setvar", "ww", OpVariable<bop::kSetVar>},
    {bop::kAddVar, "addvar", "ww", OpVariable<bop::kAddVar>},
    {bop::kSubVar, "subvar", "ww", OpVariable<bop::kSubVar>},
    {bop::kIfVarGe, "ifvarge", "wwL", OpIfVariable<true>},
    {bop::kIfVarLe, "ifvarle", "wwL", OpIfVariable<false>},
    {bop::kGiveScript, "give", "rw", OpGiveScript},
    {bop::kIfMarkPast, "ifmark", "wL", OpIfMarkPast},
    {bop::kMarkTime, "mark", "", OpMarkTime},
    {bop::kHide, "hide", "r", OpHideShow<false>},
    {bop::kShow, "show", "r", OpHideShow<true>},
    {bop::kPlace, "place", "ww", OpPlace},
    {bop::kWander, "wander", "", OpWander},
    {bop::kLook, "look", "www", OpLook},
    {bop::kSound, "sound", "w", OpSound},
    {bop::kWalkToRole, "walkto", "r", OpWalkToRole<false>},
    {bop::kSpeech, "say", "wT", OpSpeech},
    {bop::kNoSpeech, "nosay", "", OpNoSpeech},
    {bop::kWalkNearRole, "walknear", "rss", OpWalkToRole<true>},
    {bop::kIfNear, "ifnear", "rwL", OpIfDistance<true>},
    {bop::kRandomJump, "random", "R", OpRandomJump},
    {bop::kSetValue, "setval", "rws", OpRoleValue<false>},
    {bop::kAddValue, "addval", "rws", OpRoleValue<true>},
    {bop::kIfValueGe, "ifvalge", "rwwL", OpIfRoleValue<Compare::AtLeast>},
    {bop::kIfValueLe, "ifvalle", "rwwL", OpIfRoleValue<Compare::AtMost>},
    {bop::kIfValueEq, "ifvaleq", "rwwL", OpIfRoleValue<Compare::Equal>},
    // A jump by a role value through a table: it has no working form.
    {bop::kValueTable, "valuetable", nullptr, nullptr},
    {bop::kIfFar, "iffar", "rwL", OpIfDistance<false>},
    {bop::kStop, "stop", "", OpStop},
    {bop::kAttach, "attach", "w", OpAttach},
    {bop::kDetach, "detach", "", OpDetach},
    {bop::kMove, "move", "ss", OpMove},
};

constexpr bool RowsInOrder() {
    for (u16 i = 0; i < bop::kCount; ++i)
        if (kOps[i].op != i) return false;
    return true;
}
static_assert(RowsInOrder(), "row n of the behaviour-opcode table is opcode n");

}  // namespace

std::span<const BehaviourOp> BehaviourOpTable() {
    return kOps;
}

void BehaviourStep::Run() {
    if (!Load()) return;
    for (int ops = 0; ops < kOpsPerStep; ++ops) {
        const BehaviourOp* row = FindBehaviourOp(Word(0));
        if (fault_) return;
        // A word that is no opcode restarts the program; at its start it removes the role.
        if (!row && s_.pc != 0) {
            s_.pc = 0;
            row = FindBehaviourOp(Word(0));
            if (fault_) return;
        }
        if (!row) {
            RemoveRole(index_);
            return;
        }
        u32 at = start_ + 2 * s_.pc;
        BopArgs args;
        u32 missing = 0;
        BopDecode d = DecodeBehaviourOp(*row, block_ + at, size_ - at, &args, &missing);
        if (d == BopDecode::Short) {
            Fault("the program runs past the end of the file", at + missing);
            return;
        }
        switch (row->handler(*this, args)) {
            case BopNext::Continue:
                s_.pc += args.advance;
                break;
            case BopNext::Yield:
                s_.pc += args.advance;
                return;
            case BopNext::JumpedOn:
                break;
            case BopNext::Stay:
            case BopNext::Jumped:
            case BopNext::Ended:
                return;
        }
    }
}

bool SelectScriptBlock(u16 id, ScriptBlockRef* out) {
    if (id == 0) return false;
    if (id <= kMainBlockIds) {
        *out = {0, id};
        return true;
    }
    u32 m = id - kMainBlockIds;
    if (m % kExtraBlockIds == 0 && m >= static_cast<u32>(kExtraBlockIds))
        *out = {m / kExtraBlockIds - 1 + 1, static_cast<u32>(kExtraBlockIds)};
    else
        *out = {m / kExtraBlockIds + 1, m % kExtraBlockIds};
    return true;
}

bool GetProgramBlock(u32 block, const u8** data, u32* size) {
    // Our path database has no extra blocks: their ids run no program.
    if (block != 0 || !gPathDatabase) return false;
    *data = gPathDatabase;
    *size = gPathDatabaseSize;
    return true;
}

int GetScriptBlock(int role, u32 label, const u8** pointer) {
    if (role <= 0 || role >= kRoleRows) return 0;
    RoleSlot& s = gMapRoles[role];
    ScriptBlockRef ref;
    const u8* block = nullptr;
    u32 size = 0;
    if (!SelectScriptBlock(s.scriptId, &ref) || !GetProgramBlock(ref.block, &block, &size))
        return 0;
    u64 slot = kPathTableAt + 4ull * ref.local;
    if (slot + 4 > size) return 0;
    u64 start = kPathTableAt + static_cast<u64>(LoadU32(block + slot));
    u64 at = kPathTableAt + static_cast<u64>(label);
    if (at < start || ((at - start) & 1) || at + 2 > size) return 0;
    *pointer = block + at;
    s.pc = static_cast<u32>((at - start) / 2);
    return 1;
}

void RunRoleScript(int role) {
    if (role <= 0 || role >= kRoleRows || gMapRoles[role].scriptId == 0) return;
    BehaviourStep(role).Run();
}

void ResetBehaviour() {
    gBehaviourReport = BehaviourReport{};
    gScriptTimeMark = 0;
}
