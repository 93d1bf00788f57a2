// Story commands of the wipe strips and the rest of the scene: wipes and their
// wait, scene copies of roles, dialogue text lines, the party gathering, role
// effects, the wait on a scene object, map entry points and sending a role to a map.
#include <algorithm>
#include <cstring>
#include <string>

#include "base/ByteIo.h"
#include "platform/TextCodec.h"
#include "engine/ErrorBox.h"
#include "map/City.h"
#include "map/DrawOrder.h"
#include "map/MapDb.h"
#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "story/CommandHandlers.h"
#include "story/Dialog.h"
#include "story/ScriptScene.h"
#include "story/StoryRoles.h"

namespace {

u32 Op(const CmdArgs& a) {
    return LoadU16(a.at) & 0x3FFFu;
}

constexpr u16 kStartedMark = 0x8000;    // bit of a running command's own word
constexpr u32 kGathering = 0x4000000u;  // a follower on its way to the player
constexpr u16 kGatherSpeed = 0x8000;    // animation speed word while gathering
constexpr int kMapEntryTable = 5;       // database field of the per-map entry points
constexpr u32 kMapEntryRow = 6;         // u16 map, x, y
constexpr size_t kDialogLineBytes = 256;

RoleSlot* PlayerRow() {
    if (gPlayerSlot < 0 || gPlayerSlot >= gMapRoleCount || gPlayerSlot >= kRoleRows) return nullptr;
    return &gMapRoles[gPlayerSlot];
}

bool IsFollower(int i) {
    return i != gPlayerSlot && (gMapRoles[i].state & kRoleFollows);
}

void FillTrails(const RoleSlot& p) {
    for (int k = 0; k < kTrailLength; ++k) {
        gFollowers.trailX[k] = p.x;
        gFollowers.trailY[k] = p.y;
    }
}

void FreeRoutesOfSlot(int slot) {
    for (RoleRoute& r : gRoleRoutes)
        if (r.role == slot) ClearRoleRoute(&r);
}

// Builds a role of the current map from its record into row s, as map entry
// places it; false (the record's cell pulled inside the map) when the cell
// lies outside the map.
bool PlaceFromRecord(RoleSlot& s, u16 id) {
    i32 row = FindRecord(id);
    if (row < 0) return false;
    u16 cx = RecordWord(row, recWord::kCellX), cy = RecordWord(row, recWord::kCellY);
    if (cx >= gMap.width || cy >= gMap.height) {
        SetRecordWord(row, recWord::kCellX, static_cast<u16>(gMap.width ? gMap.width - 1 : 0));
        SetRecordWord(row, recWord::kCellY, static_cast<u16>(gMap.height ? gMap.height - 1 : 0));
        return false;
    }
    ActPlayer* act = s.act ? s.act : NewActPlayer();
    ResetActPlayer(act);
    char* text = s.text;  // owned by the row; a reused row keeps it
    u16 textColour = s.textColour;
    s = RoleSlot{};
    s.act = act;
    s.text = text;
    s.textColour = textColour;
    ApplyRoleRecord(&s, id);
    s.pc = static_cast<u32>(static_cast<i32>(static_cast<i16>(RecordWord(row, recWord::kPc))));
    s.extra1 = static_cast<i8>(RecordByte(row, recByte::kExtra1));
    s.extra2 = RecordByte(row, recByte::kExtra2);
    ReadRoleFootprint(&s);
    InsertMapObject(&s, static_cast<int>(s.state & kRoleLayer));
    newRoleInit(&s);
    return true;
}

}  // namespace

// ---- Wipe strips ----

Step CmdWipe(TalkContext*, CmdArgs& a) {
    MakeWipeStrip(a.v[0], static_cast<i32>(a.v[1]), static_cast<i32>(a.v[2]), a.v[3], a.v[4],
                  static_cast<u16>(a.v[5]), static_cast<u16>(a.v[6]));
    return Step::Yield;
}

Step CmdFreeWipe(TalkContext*, CmdArgs& a) {
    FreeWipeStrip(a.v[0]);
    return Step::On;
}

Step CmdWaitWipes(TalkContext*, CmdArgs&) {
    return !gWipeStrips.empty() || gRoleHeads ? Step::Stay : Step::On;
}

Step CmdReleaseWipes(TalkContext*, CmdArgs&) {
    ReleaseWipeEffects();
    ReleaseRoleHeads();
    return Step::Yield;
}

// ---- Scene copies, objects and buffers ----

Step CmdSceneCopy(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0 || !gMapRoles[slot].act) return Step::On;
    ActNode n;
    ResetActPlayer(&n.act);
    n.act = *gMapRoles[slot].act;
    n.x = static_cast<i32>(a.v[1]);
    n.y = static_cast<i32>(a.v[2]);
    n.offX = static_cast<i32>(a.v[3]);
    n.offY = static_cast<i32>(a.v[4]);
    n.mode = a.v[5];
    n.level = static_cast<i32>(a.v[6]);
    gMapActList.push_back(n);
    return Step::On;
}

Step CmdFreeSceneCopies(TalkContext*, CmdArgs&) {
    gMapActList.clear();
    gTopActList.clear();
    return Step::On;
}

Step CmdWaitSceneObject(TalkContext*, CmdArgs& a) {
    for (const ScriptActList* l : {&gScriptActA, &gScriptActB})
        for (const ScriptActObject& o : *l)
            if (o.k1 == a.v[0] && o.k2 == a.v[1]) return Step::Stay;
    return Step::On;
}

Step CmdDialogLine(TalkContext*, CmdArgs& a) {
    size_t n = std::min<size_t>(a.textLen, kDialogLineBytes - 1);
    const char* t = reinterpret_cast<const char*>(a.text);
    const void* zero = std::memchr(t, 0, n);
    if (zero) n = static_cast<size_t>(static_cast<const char*>(zero) - t);
    gKeptTexts.emplace_back(t, n);
    return Step::Yield;
}

// ---- The party, control and role effects ----

Step CmdGatherParty(TalkContext*, CmdArgs& a) {
    RoleSlot* p = PlayerRow();
    if (!p) return Step::On;
    u16 word = LoadU16(a.at);
    if (!(word & kStartedMark)) {
        StoreU16(a.at, static_cast<u16>(word | kStartedMark));
        gTalkFlags |= kTalkLockBit;
        if (p->act) p->act->action = 0;
        FillTrails(*p);
        for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
            if (!IsFollower(i)) continue;
            gMapRoles[i].state |= kGathering;
            if (gMapRoles[i].act) gMapRoles[i].act->delayOverride = kGatherSpeed;
        }
        return Step::Stay;
    }
    if (!(p->x & 15) && !(p->y & 15)) FillTrails(*p);
    // Counting the followers of this map, not the party list, keeps a member
    // that is not on the map from holding the talk for ever.
    bool waiting = false;
    for (int i = 1; i < gMapRoleCount && i < kRoleRows; ++i) {
        RoleSlot& s = gMapRoles[i];
        if (!IsFollower(i) || !(s.state & kGathering)) continue;
        if (s.x == p->x && s.y == p->y) {
            s.state &= ~kGathering;
            if (s.act) s.act->delayOverride = 0;
            continue;
        }
        waiting = true;
    }
    if (waiting) return Step::Stay;
    StoreU16(a.at, static_cast<u16>(word & ~kStartedMark));
    return Step::On;
}

Step CmdClearStepCount(TalkContext*, CmdArgs&) {
    gStepCount = 0;
    return Step::On;
}

Step CmdRoleEffect(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) return Step::On;
    if (Op(a) == 0x48) {
        gMapRoles[slot].second = nullptr;
        return Step::On;
    }
    if (a.v[1] < static_cast<u32>(kActSlots)) gMapRoles[slot].second = &gActSlots[a.v[1]];
    return Step::On;
}

// ---- Map entry points and sending roles ----

Step CmdMapEntryPoint(TalkContext*, CmdArgs& a) {
    u16 map = static_cast<u16>(a.v[0]), x = static_cast<u16>(a.v[1]), y = static_cast<u16>(a.v[2]);
    u32 size = gMapDatabaseSize;
    if (gMapDatabase && size >= 4 * (kMapEntryTable + 1)) {
        u32 off = LoadU32(gMapDatabase + 4 * kMapEntryTable);
        // Offset 0 is the field list itself: the database has no such table.
        for (; off && off <= size - kMapEntryRow; off += kMapEntryRow) {
            u16 id = LoadU16(gMapDatabase + off);
            if (id == 0xFFFF) break;
            if (id != map) continue;
            StoreU16(gMapDatabase + off + 2, x);
            StoreU16(gMapDatabase + off + 4, y);
            break;
        }
    }
    if (map == gMapId) {
        gScriptScene.entryX = x;
        gScriptScene.entryY = y;
        gScriptScene.entryValue = static_cast<u16>(a.v[3]);
    }
    return Step::On;
}

Step CmdSendRole(TalkContext* c, CmdArgs& a) {
    u16 id = ScriptRoleId(c, a.v[0]);
    i32 row = FindRecord(id);
    if (row < 0) {
        ReportTalkData(c, B5("!!! 警告 !!!"), B5("Maps沒有定義角色[%d]"), id);
        return Step::On;
    }
    int slot = ScriptRoleSlot(c, a.v[0]);
    i32 cx = RecordWord(row, recWord::kCellX), cy = RecordWord(row, recWord::kCellY);
    if (slot >= 0) {
        RoleSlot& s = gMapRoles[slot];
        cx = s.x / 16;
        cy = s.y / 16;
        FreeRoutesOfSlot(slot);
        ClearRoleFootprint(&s);
        RemoveMapObject(&s, static_cast<int>(s.state & kRoleLayer));
        // Off this map: map entry stores no record from it and lookups pass it by.
        s.state = (s.state & ~kRoleShown) | kRoleRemoved;
    }
    if (a.v[2] != 0xFFFF) cx = static_cast<i32>(a.v[2]);
    if (a.v[3] != 0xFFFF) cy = static_cast<i32>(a.v[3]);
    UpdateRoleRecord(id, -1, -1, -1, cx, cy, 0xFFFF, 0xFFFF, 0xFFFF, -1, static_cast<i32>(a.v[1]),
                     0xFFFF, 255);
    if (RecordWord(row, recWord::kMap) != gMapId) return Step::On;
    if (slot < 0) {
        if (gMapRoleCount >= kRoleRows) return Step::On;
        slot = gMapRoleCount;
        gMapRoles[slot] = RoleSlot{};
        if (!PlaceFromRecord(gMapRoles[slot], id)) return Step::On;
        ++gMapRoleCount;
        return Step::On;
    }
    PlaceFromRecord(gMapRoles[slot], id);
    return Step::On;
}
