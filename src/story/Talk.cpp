// The story-script interpreter: talk files, the window, the run loop and the talk end.
#include "story/Talk.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "base/Types.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "data/Config.h"
#include "map/AStar.h"
#include "map/City.h"
#include "map/MapScene.h"
#include "map/RoleTable.h"
#include "map/RoleWalk.h"
#include "map/RoleWalk.h"
#include "map/SessionServices.h"
#include "story/Dialog.h"
#include "story/TalkCommands.h"

TalkContext gTalkContext;
u8 gTalkBuffer[kTalkWindow];
u32 gTalkWindowBytes = 0;
u32 gTalkFileSize = 0;
cFile TalkHandle;
u32 gTalkFlags = 0;
u32 gScriptVars[kScriptVarCount];
TalkRunState gTalkRun;
TalkTurn gTalkTurn;

namespace {

int gTalkFile = 0;  // number of the open talk file, for messages

RoleSlot* PlayerRow() {
    return gPlayerSlot >= 0 && gPlayerSlot < kRoleRows ? &gMapRoles[gPlayerSlot] : nullptr;
}

// Reads the window at script position t (the buffer is filled first, so bytes
// past the file read as the filler).
void ReadWindow(u32 t) {
    std::memset(gTalkBuffer, kTalkFiller, sizeof(gTalkBuffer));
    gTalkWindowBytes = 0;
    if (!TalkHandle.IsOpen() || TalkHandle.SeekSet(static_cast<i32>(t + kTalkBase)) == 0) return;
    u32 count = kTalkWindow;
    if (TalkHandle.Read(gTalkBuffer, &count)) gTalkWindowBytes = count;
}

bool OpenTalkFile(int file) {
    char path[kPathSize + 32];
    TalkFilePath(file, path, sizeof(path));
    TalkHandle.Close();
    gTalkFileSize = 0;
    if (!TalkHandle.Open(path, OPEN_EXISTING, GENERIC_READ)) return false;
    u32 size = TalkHandle.GetSize();
    gTalkFileSize = size == 0xFFFFFFFFu ? 0 : size;
    gTalkFile = file;
    return true;
}

// The script offset of talk n from the open file's table; 0 when the entry
// cannot be read.
u32 ReadTalkOffset(int entry) {
    u8 raw[4] = {};
    if (TalkHandle.SeekSet(static_cast<i32>(kTalkBase + 4 * entry)) == 0) return 0;
    if (!TalkHandle.ReadData(raw, 4)) return 0;
    return LoadU32(raw);
}

bool OffsetInFile(u32 off) {
    return off != 0 && u64{off} + kTalkBase < gTalkFileSize;
}

enum class Open { Done, Missing, BadEntry };

// Opens the file of talk n and points the context at the talk. A missing file
// shows its box, frees the context (so the box comes once) and closes the window.
Open OpenTalk(TalkContext* c, int n, bool loadTalkBox) {
    int file = 0, entry = 0;
    TalkFileEntry(n, &file, &entry);
    if (!OpenTalkFile(file)) {
        if (loadTalkBox) {
            char name[kPathSize + 32];
            TalkFilePath(file, name, sizeof(name));
            ReportDataError(WordedDataError(B5("劇情資料(%d)無法讀取/%s"), file, name),
                            B5("Moonharbor-Talk"));
        } else {
            ReportDataError(WordedDataError(B5("找不到 Talk%d"), file), B5("Moonharbor-Talk"));
        }
        PostMessageA(gMainWnd, WM_DESTROY, 0, 0);
        gTalkFlags &= ~kTalkLockBit;
        ResetTalkContext(c);
        return Open::Missing;
    }
    u32 off = ReadTalkOffset(entry);
    c->offset = off;
    c->ip = 0;
    if (!OffsetInFile(off)) {
        char what[96];
        std::snprintf(what, sizeof(what), "talk %d: offset-table entry %d holds 0x%X", n, entry,
                      off);
        TalkFault(c, what);
        return Open::BadEntry;
    }
    ReadWindow(off);
    return Open::Done;
}

void TickTimerVars() {
    for (int v = 1; v <= 2; ++v)
        if (gScriptVars[v] > 0) --gScriptVars[v];
}

void ReportUndefined(TalkContext* c, u32 op) {
    Beep();
    char what[64];
    std::snprintf(what, sizeof(what), "unknown command 0x%X", op);
    ReportDataError(BoxedDataError(TalkDataAt(c, what), B5("沒有指令(%d,%x),(%d,%x)"), op, op,
                                   gTalkRun.prevOp, gTalkRun.prevOp),
                    B5("對話系統"));
    TalkEnd(c);
}

// Runs the command at the pointer. Sets *stop when the loop must end this frame.
Step RunOne(TalkContext* c) {
    for (int pass = 0; pass < 2; ++pass) {
        u32 ip = c->ip;
        u32 avail = ip < gTalkWindowBytes ? gTalkWindowBytes - ip : 0;
        const Command* cmd = nullptr;
        u32 op = 0;
        LenResult r = LenResult::Short;
        CmdArgs args;
        if (avail >= 2) {
            op = LoadU16(gTalkBuffer + ip) & 0x3FFFu;
            gTalkRun.op = op;
            cmd = FindCommand(op);
            if (!cmd) {
                ReportUndefined(c, op);
                return Step::Ended;
            }
            r = CommandLength(*cmd, gTalkBuffer + ip, avail, &args.len, &args);
        }
        if (r == LenResult::Ok) {
            args.at = gTalkBuffer + ip;
            Step s = cmd->handler(c, args);
            if (s == Step::On || s == Step::Yield) c->ip = static_cast<u16>(ip + args.len);
            return s;
        }
        if (r == LenResult::Bad) break;
        // The command runs past the window: a full window is read again from
        // the command on; a window that holds the file's end has no more bytes.
        if (gTalkWindowBytes < kTalkWindow || ip == 0) break;
        c->offset += ip;
        c->ip = 0;
        ReadWindow(c->offset);
    }
    char what[96];
    std::snprintf(what, sizeof(what), "command 0x%X runs past the end of the script", gTalkRun.op);
    TalkFault(c, what);
    return Step::Ended;
}

}  // namespace

void TalkFileEntry(int n, int* file, int* entry) {
    if (n <= 0) {
        *file = 1;
        *entry = 1000;
        return;
    }
    *file = (n + 999) / 1000;
    *entry = n % 1000 == 0 ? 1000 : n % 1000;
}

void TalkFilePath(int file, char* out, size_t size) {
    std::snprintf(out, size, "%sMH_Data\\Talk%d.dat", gBasePath, file);
}

void ResetTalkContext(TalkContext* c) {
    std::memset(c, 0xFF, sizeof(*c));
}

DataError TalkDataAt(const TalkContext* c, std::string what) {
    return {"Talk" + std::to_string(gTalkFile) + ".dat", c->offset + kTalkBase + c->ip,
            std::move(what)};
}

void ReportTalkData(const TalkContext* c, const char* caption, const char* format, ...) {
    char text[1024];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(text, sizeof(text), format, ap);
    va_end(ap);
    ReportDataError(TalkDataAt(c, text), caption);
}

void TalkFault(TalkContext* c, const char* what) {
    ReportDataError(TalkDataAt(c, what), B5("對話系統"));
    TalkEnd(c);
}

int TalkJump(TalkContext* c, u32 t) {
    if ((t & 1) || u64{t} + kTalkBase >= gTalkFileSize) {
        char what[64];
        std::snprintf(what, sizeof(what), "jump target 0x%X lies outside the file", t);
        TalkFault(c, what);
        return 0;
    }
    // Every jump reads the window afresh from its target, also one inside the
    // window: what commands wrote into the window (their marks) starts over.
    c->offset = t;
    c->ip = 0;
    ReadWindow(t);
    return 1;
}

int LoadTalk(TalkContext* c, int n) {
    return OpenTalk(c, n, true) == Open::Missing ? 0 : 1;
}

namespace {

// With kRoleTurnsToTalk the role turned to the player when the talk began: its look
// comes back from the copy saved then (where one was saved), and the copy goes.
void RestoreTalkTurn(int slot, const char* tag) {
    RoleSlot& r = gMapRoles[slot];
    if (!(r.state & kRoleTurnsToTalk) || !r.act) return;
    if (gTalkTurn.slot == slot) {
        if (gTalkTurn.action != -1) r.act->action = gTalkTurn.action;
        if (gTalkTurn.dir != -1) r.act->dir = gTalkTurn.dir;
        gTalkTurn = TalkTurn{};
    }
    if (!TakeActData(r.act))
        ReportActFault(r.act->act, B5(tag), B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"),
                       r.roleId, r.act->act, r.act->action, r.act->dir);
}

}  // namespace

void TalkRoleCleanup(int slot) {
    if (slot < 0 || slot >= kRoleRows || slot >= gMapRoleCount) return;
    AdvanceRoleWalk(slot);  // the last step of its walk
    // A walk still under way ends here: once the role is let go nothing steps it.
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == slot && (r.state & kRouteStateMask) == kRouteStory) ClearRoleRoute(&r);
    RestoreTalkTurn(slot, "Act Err12(Talk:Talkend)");
}

namespace {

// The owner's share of the end: the last step of its walk and its own look back.
void EndOwner(int slot) {
    RoleSlot& r = gMapRoles[slot];
    AdvanceRoleWalk(slot);
    r.state &= ~kWalkHeld;
    RestoreTalkTurn(slot, "Act Err34(Talk:Talkend)");
    if (r.state & kRoleInTalk) {
        AdvanceRoleWalk(slot);
        r.state &= ~kWalkHeld;
    }
}

// Scripted walks end with their talk: nothing would step them any more, and a
// story walk left behind would hold its role's behaviour walk off for good.
void EndScriptedWalks() {
    for (RoleRoute& r : gRoleRoutes) {
        if (r.role == kNoRole || (r.state & kRouteStateMask) <= kRouteBehaviour) continue;
        int slot = r.role;
        if (slot >= gMapRoleCount || slot >= kRoleRows) {
            ClearRoleRoute(&r);
            continue;
        }
        Talkend(slot);
        PutRoleOnGrid(slot);  // Talkend leaves the player, and a let-go owner, where they stand
        if (r.role == slot) ClearRoleRoute(&r);
        gMapRoles[slot].state &= ~(kWalkHeld | kWalkUnderWay);
        gMapRoles[slot].wait = 0;
    }
}

}  // namespace

void TalkEnd(TalkContext* c) {
    int slot = -1;
    if (c->owner != kTalkFree && c->owner != kTalkSpot && GetRoleIndex(c->owner, &slot) &&
        slot >= 0 && slot < gMapRoleCount && slot < kRoleRows)
        EndOwner(slot);
    // No role keeps a look saved for a talk that is over.
    gTalkTurn = TalkTurn{};
    EndScriptedWalks();
    gTalkFlags &= ~kTalkLockBit;
    StoreU16(gTalkBuffer, 0xFFFF);
    ResetTalkContext(c);
}

int Talk(TalkContext* c) {
    TickTimerVars();
    if (c->owner == kTalkFree) return 1;
    if (c->offset == 0) {
        RoleSlot* player = PlayerRow();
        if (player && ((player->x & 15) || (player->y & 15))) return 1;
        int owner = -1;
        if (c->owner != kTalkSpot && GetRoleIndex(c->owner, &owner))
            gMapRoles[owner].state |= kRoleInTalk;
        Open o = OpenTalk(c, c->talk, false);
        if (o != Open::Done) return o == Open::Missing ? 0 : 1;
        gTalkFlags |= kTalkLockBit;
        if (player && player->act && !TakeActData(player->act))
            ReportActFault(player->act->act, B5("Act Err21(Talk:LoadTalk)"),
                           B5("設定錯誤 GUID[%d]\nact[%d] qq[%d] dir[%d]"), gPlayerId,
                           player->act->act, player->act->action, player->act->dir);
    }
    // A box that waits for the player does not hold the script: the scripts wait
    // for their boxes themselves, and people walk on while a box shows.
    gTalkRun.runOn = false;
    for (int n = 0; n < kMaxCommandsPerFrame; ++n) {
        Step s = RunOne(c);
        gTalkRun.prevOp = gTalkRun.op;
        if (s == Step::Ended || c->owner == kTalkFree) return 1;
        if (gRunState & kRunQuit) return 1;
        if (s == Step::Stay) return 1;
        if (s == Step::Yield && !gTalkRun.runOn) return 1;
    }
    TalkFault(c, "more than 10000 commands in one frame");
    return 1;
}

void StartTalk(u16 talk, u16 owner) {
    TalkContext& c = gTalkContext;
    ResetTalkContext(&c);
    c.talk = talk;
    c.owner = owner;
    c.offset = 0;
    c.ip = 0;
    c.x = c.y = 0;
    c.ownerState = 0;
    c.speakerState = 0;
}

void SetScriptVar(int n, i32 value) {
    if (n >= 0 && n < kScriptVarCount) gScriptVars[n] = static_cast<u32>(value);
}

bool TalkRunning() {
    return gTalkContext.owner != kTalkFree;
}

void TalkStep() {
    // A missing talk file has closed the window already; the tick goes on.
    Talk(&gTalkContext);
}

void AllocTalkBuffer() {
    std::memset(gTalkBuffer, kTalkFiller, sizeof(gTalkBuffer));
    gTalkWindowBytes = 0;
}

void ZeroScriptVariables() {
    std::memset(gScriptVars, 0, sizeof(gScriptVars));
}

void ReleaseTalk() {
    TalkHandle.Close();
    gTalkFileSize = 0;
}

void ResetTalk() {
    ReleaseTalk();
    ResetTalkContext(&gTalkContext);
    AllocTalkBuffer();
    gTalkFlags = 0;
    gTalkFile = 0;
    ZeroScriptVariables();
    gTalkRun = TalkRunState{};
    gTalkTurn = TalkTurn{};
}
