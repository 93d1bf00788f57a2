// The behaviour-program interpreter: one step of a map person's program per
// frame, over the programs of the path database.
#include "map/StoryLink.h"
#include "map/Behaviour.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/GameFlags.h"
#include "base/ByteIo.h"
#include "engine/ErrorBox.h"
#include "base/MemDbg.h"
#include "engine/Random.h"
#include "map/City.h"
#include "engine/FrameState.h"
#include "map/SessionServices.h"
#include "map/MapArchive.h"
#include "map/MapDb.h"
#include "map/NewGame.h"
#include "base/Types.h"
#include "map/AStar.h"
#include "map/MapScene.h"
#include "map/RoleTable.h"
#include "data/Config.h"
#include "platform/TextCodec.h"
#include "sound/Sound.h"

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
        ErrorBox(B5("Act Err16(PathDB:Script)"), B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"),
                 s.roleId, s.act->act, s.act->action, s.act->dir);
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
    RefileMapObject(s.roleId, static_cast<int>(s.state & 3), oldRow, 0);
}

RoleRoute* RouteOf(int index, int state) {
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == index && (r.state & 15) == state) return &r;
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
    s.state &= 0x7FFF;
    s.extra2 = 0x80;
    ClearRoleFootprint(&s);
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == index) ClearRoleRoute(&r);
}

class Step {
public:
    explicit Step(int index) : index_(index), s_(gMapRoles[index]) {}
    void Run();

private:
    enum class Next { Continue, Yield };

    bool Load();
    u16 Word(u32 k);
    u32 Label(u32 k) { return Word(k) | static_cast<u32>(Word(k + 1)) << 16; }
    Next Jump(u32 label);
    Next Fault(const char* what, u32 at);
    Next Exec(u16 op);
    bool Resolve(u16 ref, int* index, bool selfRef);
    u16 RoleIdOf(u16 ref);
    Next GiveScript(u16 ref, u16 script);
    Next HideShow(u16 ref, bool show);
    Next WalkToRole(u16 ref, i16 p, i16 q, bool offset, u32 len);
    Next IfDistance(bool near);
    Next RoleValueTest(int kind);
    Next Speech();
    void Wander();

    int index_;
    RoleSlot& s_;
    const u8* block_ = nullptr;
    u32 size_ = 0;
    u32 start_ = 0;  // byte offset of the program's first word in the block
    bool fault_ = false;
    bool ended_ = false;
};

bool Step::Load() {
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

u16 Step::Word(u32 k) {
    u64 at = start_ + 2ull * (static_cast<u64>(s_.pc) + k);
    if (at + 2 > size_) {
        if (!fault_) Fault("the program runs past the end of the file", static_cast<u32>(at));
        return 0;
    }
    return LoadU16(block_ + at);
}

Step::Next Step::Fault(const char* what, u32 at) {
    fault_ = true;
    ++gBehaviourReport.faults;
    char text[200];
    std::snprintf(text, sizeof(text), "path.dat: script %u of role %u at offset 0x%X: %s",
                  s_.scriptId, s_.roleId, at, what);
    gBehaviourReport.last = text;
    std::fprintf(stderr, "%s\n", text);
    // The program ends, so the fault is reported once.
    s_.scriptId = 0;
    s_.pc = 0;
    ended_ = true;
    return Next::Yield;
}

Step::Next Step::Jump(u32 label) {
    if (fault_) return Next::Yield;
    u64 at = kPathTableAt + static_cast<u64>(label);
    if (at < start_ || ((at - start_) & 1) || at + 2 > size_)
        return Fault("a label lies outside the program", static_cast<u32>(at));
    s_.pc = static_cast<u32>((at - start_) / 2);
    return Next::Yield;
}

bool Step::Resolve(u16 ref, int* index, bool selfRef) {
    if (selfRef && ref == kSelfRef) {
        *index = index_;
        return true;
    }
    int i = -1;
    if (!GetRoleIndex(ref, &i) || i <= 0 || i >= kRoleRows) return false;
    *index = i;
    return true;
}

u16 Step::RoleIdOf(u16 ref) {
    return ref == kSelfRef ? s_.roleId : ref;
}

Step::Next Step::GiveScript(u16 ref, u16 script) {
    int i = -1;
    if (!Resolve(ref, &i, true)) {
        s_.pc += 3;
        return Next::Continue;
    }
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
            RefileMapObject(r.roleId, static_cast<int>(r.state & 3), row, 0);
        }
        ClearRoleRoute(w);
    }
    r.scriptId = script;
    r.pc = 0;
    if (i == index_) {
        // The running role goes on at the start of its new program in this step.
        if (!Load()) {
            ended_ = true;
            return Next::Yield;
        }
        return Next::Continue;
    }
    s_.pc += 3;
    return Next::Continue;
}

Step::Next Step::HideShow(u16 ref, bool show) {
    int i = -1;
    if (Resolve(ref, &i, true)) {
        RoleSlot& r = gMapRoles[i];
        if (show) {
            r.state |= 0xC000;
        } else {
            r.state &= ~0xC000u;
            ClearRoleFootprint(&r);
        }
    } else if (show) {
        UpdateRoleRecord(RoleIdOf(ref), -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, 0x8000, -1, -1, 0x8080,
                         0xFF);
    } else {
        UpdateRoleRecord(RoleIdOf(ref), -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, 0, 0x7FFF, -1, 0x8080,
                         0xFF);
    }
    s_.pc += 2;
    return Next::Continue;
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

Step::Next Step::WalkToRole(u16 ref, i16 p, i16 q, bool offset, u32 len) {
    int i = -1;
    if (!Resolve(ref, &i, true)) {
        s_.pc += 2;
        return Next::Yield;
    }
    RoleSlot& r = gMapRoles[i];
    if (!OnCell(r)) return Next::Yield;
    int cx = r.x / 16, cy = r.y / 16;
    if (offset) {
        int ox, oy;
        TurnOffset(r.act ? r.act->dir : 0, p, q, &ox, &oy);
        int tx = cx + ox, ty = cy + oy;
        if (!(CellBits(tx, ty) & kCellWall) && !(CellBits(tx + 1, ty) & kCellWall)) {
            cx = tx;
            cy = ty;
        }
    }
    StartRoleRoute(index_, cx, cy);
    if (std::fabs(DistanceFromOrigin(s_) - DistanceFromOrigin(r)) > 128)
        s_.state |= kRoleDoubleStep;
    s_.pc += len;
    return Next::Continue;
}

Step::Next Step::IfDistance(bool near) {
    int i = -1;
    if (!Resolve(Word(1), &i, false)) {
        s_.pc += 2;
        return Next::Yield;
    }
    const RoleSlot& r = gMapRoles[i];
    double dx = double(r.x) - s_.x, dy = double(r.y) - s_.y;
    double reach = 16.0 * Word(2);
    bool within = dx * dx + dy * dy <= reach * reach;
    if (within == near) return Jump(Label(3));
    s_.pc += 5;
    return Next::Yield;
}

Step::Next Step::RoleValueTest(int kind) {
    u16 id = RoleIdOf(Word(1));
    i32 v = 0;
    int have = AccessRoleValue(id, Word(2), &v, 1);
    i32 want = Word(3);
    bool hit = have && (kind == 0 ? v >= want : kind == 1 ? v <= want : v == want);
    if (hit) return Jump(Label(4));
    s_.pc += 6;
    return Next::Yield;
}

Step::Next Step::Speech() {
    FreeSpeech(s_);
    u16 col = Word(1);
    u64 from = start_ + 2ull * (static_cast<u64>(s_.pc) + 2);
    if (fault_) return Next::Yield;
    u64 limit = std::min<u64>(size_, from + kSpeechMax + 2);
    u64 end = from;
    while (end + 1 < limit && !(block_[end] == 0x25 && block_[end + 1] == 0x51)) ++end;
    bool marked = end + 1 < limit;
    if (!marked) end = std::min<u64>(limit, from + kSpeechMax);
    u32 len = static_cast<u32>(end - from);
    s_.text = static_cast<char*>(MH_ALLOC_ZERO(static_cast<i32>(len + 16)));
    if (s_.text) std::memcpy(s_.text, block_ + from, len);
    s_.textColour = col > 10 ? 0 : col;
    // A text without its mark keeps what fits, and the program cannot go on past it.
    if (!marked) return Fault("a speech text has no end mark", static_cast<u32>(from));
    s_.pc = static_cast<u32>((end + 2 - start_ + 1) / 2);
    return Next::Yield;
}

void Step::Wander() {
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

Step::Next Step::Exec(u16 op) {
    switch (op) {
        case bop::kRestart:
            s_.pc = 0;
            return Next::Yield;
        case bop::kEnd:
            s_.scriptId = 0;
            s_.pc = 0;
            ended_ = true;
            return Next::Yield;
        case bop::kAction:
        case bop::kDirection: {
            u16 v = Word(1);
            if (fault_) return Next::Yield;
            if (s_.act) (op == bop::kAction ? s_.act->action : s_.act->dir) = v;
            s_.pc += 2;
            AdvanceAnimation(s_);
            return Next::Yield;
        }
        case bop::kSetWait: {
            u16 n = Word(1);
            if (fault_) return Next::Yield;
            s_.wait = n;
            s_.pc += 2;
            return Next::Continue;
        }
        case bop::kWait:
        case bop::kWaitAnim:
            if (s_.wait != 0) {
                --s_.wait;
                if (op == bop::kWaitAnim) AdvanceAnimation(s_);
                return Next::Yield;
            }
            s_.pc += 1;
            return Next::Yield;
        case bop::kRouteTo: {
            u16 x = Word(1), y = Word(2);
            if (fault_) return Next::Yield;
            if (!(gMapId == 224 && index_ == 13 && s_.scriptId == 2311))
                StartRoleRoute(index_, x, y);
            s_.pc += 3;
            return Next::Continue;
        }
        case bop::kWalk:
            if (!OnCell(s_) || StepRoleRoute(index_) != 2) return Next::Yield;
            s_.pc += 1;
            s_.state &= ~kRoleDoubleStep;
            return Next::Continue;
        case bop::kUntilTime: {
            u16 t = Word(1);
            if (s_.state & kRoleIdleAnim) AdvanceAnimation(s_);
            if (fault_ || gGameTime < t) return Next::Yield;
            s_.pc += 2;
            return Next::Continue;
        }
        case bop::kIfTime:
            if (gGameTime >= Word(1)) return Jump(Label(2));
            s_.pc += 4;
            return Next::Yield;
        case bop::kSetTime: {
            u16 t = Word(1);
            if (fault_) return Next::Yield;
            gGameTime = t > 1000 ? 0 : t;
            s_.pc += 1;  // the operand is read next as an opcode
            return Next::Continue;
        }
        case bop::kJump:
            return Jump(Label(1));
        case bop::kIfFlag:
        case bop::kIfNotFlag: {
            bool set = GetGameFlag(Word(1)) != 0;
            if (set == (op == bop::kIfFlag)) return Jump(Label(2));
            s_.pc += 4;
            return Next::Yield;
        }
        case bop::kIfAllFlags:
        case bop::kIfAnyFlag: {
            u32 n = 0;
            bool all = true, any = false;
            for (u16 f; (f = Word(1 + n)) != 0xFFFF && !fault_; ++n) {
                bool set = GetGameFlag(f) != 0;
                all = all && set;
                any = any || set;
            }
            if (fault_) return Next::Yield;
            if (op == bop::kIfAllFlags ? all : any) return Jump(Label(2 + n));
            s_.pc += n + 4;
            return Next::Yield;
        }
        case bop::kSetFlag:
        case bop::kClearFlag: {
            u16 f = Word(1);
            if (fault_) return Next::Yield;
            if (op == bop::kSetFlag)
                SetGameFlag(f);
            else
                ClearGameFlag(f);
            s_.pc += 2;
            return Next::Continue;
        }
        case bop::kSetVar:
        case bop::kAddVar:
        case bop::kSubVar: {
            u16 v = Word(1), x = Word(2);
            if (!fault_ && v < 256) {
                u32& var = gScriptVars[v];
                if (op == bop::kSetVar) var = x;
                if (op == bop::kAddVar) var = std::min<u32>(var + x, 1000);
                if (op == bop::kSubVar) var = var > x ? var - x : 0;
            }
            s_.pc += 3;
            return Next::Continue;
        }
        case bop::kIfVarGe:
        case bop::kIfVarLe: {
            u16 v = Word(1), x = Word(2);
            bool hit = v < 256 && (op == bop::kIfVarGe ? gScriptVars[v] >= x : gScriptVars[v] <= x);
            if (hit) return Jump(Label(3));
            s_.pc += 5;
            return Next::Yield;
        }
        case bop::kGiveScript: {
            u16 r = Word(1), sc = Word(2);
            if (fault_) return Next::Yield;
            return GiveScript(r, sc);
        }
        case bop::kIfMarkPast:
            if (static_cast<u64>(gScriptTimeMark) + Word(1) < gGameTime) return Jump(Label(2));
            s_.pc += 4;
            return Next::Yield;
        case bop::kMarkTime:
            gScriptTimeMark = gGameTime;
            s_.pc += 1;
            return Next::Continue;
        case bop::kHide:
        case bop::kShow: {
            u16 r = Word(1);
            if (fault_) return Next::Yield;
            return HideShow(r, op == bop::kShow);
        }
        case bop::kPlace:
        case bop::kMove: {
            i16 a = static_cast<i16>(Word(1)), b = static_cast<i16>(Word(2));
            if (fault_) return Next::Yield;
            if (op == bop::kPlace)
                PlaceRole(index_, static_cast<u16>(a), static_cast<u16>(b));
            else
                PlaceRole(index_, s_.x / 16 + a, s_.y / 16 + b);
            s_.pc += 3;
            return Next::Yield;
        }
        case bop::kWander:
            if (OnCell(s_)) Wander();
            return Next::Yield;
        case bop::kLook: {
            u16 a = Word(1), q = Word(2), d = Word(3);
            if (fault_) return Next::Yield;
            if (s_.act) {
                if (a != 0xFFFF) s_.act->act = a;
                if (q != 0xFFFF) s_.act->action = q;
                if (d != 0xFFFF) s_.act->dir = d;
            }
            s_.pc += 4;
            AdvanceAnimation(s_);
            return Next::Yield;
        }
        case bop::kSound: {
            u16 n = Word(1);
            if (fault_) return Next::Yield;
            const RoleSlot* p =
                gPlayerSlot > 0 && gPlayerSlot < kRoleRows ? &gMapRoles[gPlayerSlot] : &s_;
            PlaySfxFrom(n, s_.x, s_.y, p->x, p->y, static_cast<int>(gSfxVolume));
            s_.pc += 2;
            return Next::Yield;
        }
        case bop::kWalkToRole:
            return WalkToRole(Word(1), 0, 0, false, 2);
        case bop::kSpeech:
            return Speech();
        case bop::kNoSpeech:
            FreeSpeech(s_);
            s_.pc += 1;
            return Next::Continue;
        case bop::kWalkNearRole: {
            u16 r = Word(1);
            i16 p = static_cast<i16>(Word(2)), q = static_cast<i16>(Word(3));
            if (fault_) return Next::Yield;
            return WalkToRole(r, p, q, true, 4);
        }
        case bop::kIfNear:
            return IfDistance(true);
        case bop::kIfFar:
            return IfDistance(false);
        case bop::kRandomJump: {
            u16 n = Word(1);
            if (fault_) return Next::Yield;
            // An empty table has nothing to choose from.
            if (n == 0) {
                s_.pc += 2;
                return Next::Yield;
            }
            return Jump(Label(2 + 2 * RandomN(n)));
        }
        case bop::kSetValue:
        case bop::kAddValue: {
            u16 id = RoleIdOf(Word(1)), k = Word(2), v = Word(3);
            if (fault_) return Next::Yield;
            i32 value = static_cast<i16>(v);
            if (op == bop::kAddValue) {
                i32 old = 0;
                if (AccessRoleValue(id, k, &old, 1)) value = old + value;
            }
            AccessRoleValue(id, k, &value, 2);
            s_.pc += 4;
            return Next::Continue;
        }
        case bop::kIfValueGe:
            return RoleValueTest(0);
        case bop::kIfValueLe:
            return RoleValueTest(1);
        case bop::kIfValueEq:
            return RoleValueTest(2);
        case bop::kStop:
            return Next::Yield;
        case bop::kAttach: {
            u16 n = Word(1);
            if (fault_) return Next::Yield;
            s_.second = GlobalActSlot(n);
            s_.pc += 2;
            return Next::Yield;
        }
        case bop::kDetach:
            s_.second = nullptr;
            s_.pc += 1;
            return Next::Yield;
        default:
            return Next::Yield;
    }
}

void Step::Run() {
    if (!Load()) return;
    for (int ops = 0; ops < kOpsPerStep; ++ops) {
        u16 op = Word(0);
        if (fault_) return;
        // 44 has no working form; it reads as a word that is no opcode.
        if (op >= bop::kCount || op == bop::kValueTable) {
            if (s_.pc != 0) {
                s_.pc = 0;
                op = Word(0);
                if (fault_) return;
            }
            if (op >= bop::kCount || op == bop::kValueTable) {
                RemoveRole(index_);
                return;
            }
        }
        Next next = Exec(op);
        if (fault_) {
            s_.scriptId = 0;
            s_.pc = 0;
            return;
        }
        if (next == Next::Yield || ended_) return;
    }
}

}  // namespace

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
    Step(role).Run();
}

void ResetBehaviour() {
    gBehaviourReport = BehaviourReport{};
    gScriptTimeMark = 0;
}
