// Story commands on the party and its things, role values, screens, shops,
// quests and the battle request, with the services other modules call.
#include "story/PartyCommands.h"

#include <algorithm>
#include <cstring>

#include "base/ByteIo.h"
#include "base/DataError.h"
#include "platform/TextCodec.h"
#include "engine/DataErrors.h"
#include "engine/ErrorBox.h"
#include "engine/File.h"
#include "engine/FrameState.h"
#include "engine/Screen.h"
#include "data/Config.h"
#include "data/DerivedStats.h"
#include "data/Equipage.h"
#include "data/GameData.h"
#include "data/GameFlags.h"
#include "data/ShopData.h"
#include "map/GameMusic.h"
#include "map/SessionServices.h"
#include "story/CommandHandlers.h"
#include "story/ScreenCalls.h"
#include "story/StoryRoles.h"

u32 gScriptResult = 0;
char gPickedItemName[32] = {};
std::deque<u32> gQuestList;
RolePose gRolePose;
EnterPrompt gEnterPrompt;

namespace {

constexpr i32 kFallen = 0x4000;
constexpr u32 kMoneyMax = 0x7FFFFFFFu;
constexpr int kEndingRecord = 2801;
constexpr int kPromptRecord = 2761;

bool IsPartyRole(i32 n) {
    return n >= 1 && n <= kPartySize && n <= kRoleCount;
}

void RestoreOne(i32 i, i32 mode) {
    RoleStats& s = gRoleStats[i];
    if (mode != 1 && (s.status & kFallen)) return;
    s.hp = s.maxHp;
    s.mp = s.maxMp;
    s.status = 0;
}

// Removes value from a -1-ended list of eight and packs the rest forward.
void RemovePacked(i32* list, i32 value) {
    i32* end = std::remove(list, list + kPartySize, value);
    std::fill(end, list + kPartySize, -1);
}

void AddToFirstFree(i32* list, i32 value) {
    for (int i = 0; i < kPartySize; ++i)
        if (list[i] < 0) {
            list[i] = value;
            return;
        }
}

// A missing role of the role-value commands: its box, then the command is skipped.
bool RoleValueOf(const TalkContext* c, u32 id, u32 which, i32* v, const char* caption) {
    if (AccessRoleValue(static_cast<u16>(id), static_cast<int>(which), v, 1)) return true;
    ReportTalkData(c, B5(caption), B5("找不到角色 %d"), static_cast<int>(id));
    return false;
}

Step JumpIf(TalkContext* c, bool cond, u32 target) {
    if (!cond) return Step::On;
    return TalkJump(c, target) ? Step::Jumped : Step::Ended;
}

u32 Op(const CmdArgs& a) {
    return LoadU16(a.at) & 0x3FFFu;
}

bool Top(int var) {
    for (int v = 120; v <= 124; ++v)
        if (v != var && gScriptVars[var] < gScriptVars[v]) return false;
    return true;
}

int TailEnding() {
    if (Top(123)) return 7;
    if (Top(124)) return 8;
    return 9;
}

int PickEnding() {
    bool f201 = GetGameFlag(kEndingBranchFlag), f204 = GetGameFlag(kNoEndingSixFlag),
         f205 = GetGameFlag(kEndingFiveFlag);
    if (!f201) return Top(121) ? 0 : Top(123) ? 2 : Top(124) ? 3 : 4;
    if (f205) return Top(122) ? 5 : Top(121) ? 0 : Top(123) ? 2 : Top(124) ? 3 : 4;
    if (f204) return Top(121) ? 0 : TailEnding();
    return Top(121) ? 6 : TailEnding();
}

bool OwnsOtherSpecial() {
    if (!gItems || !gOwnedItems) return false;
    for (i32 i = 0; i < gItemCount; ++i) {
        const ItemData& it = gItems[i];
        if (gOwnedItems[i] <= 0 || it.icon < 12 || it.icon > 15) continue;
        if (std::strncmp(it.name, gPickedItemName, sizeof(it.name)) != 0) return true;
    }
    return false;
}

}  // namespace

// ---- Services ----

void AddItem(i32 n, i32 k) {
    if (n < 0) return;
    if (n < 300) {
        if (n >= gItemCount || !gOwnedItems) return;
        i64 v = i64{gOwnedItems[n]} + k;
        gOwnedItems[n] = static_cast<i32>(std::clamp<i64>(v, 0, kMaxOwned));
        return;
    }
    const EquipageData* rec = GetEquipageRecord(n - 300);
    if (!rec) return;
    for (i32 i = 0; i < k; ++i)
        if (AddEquipage(*rec) < 0) return;  // a full table drops the rest
}

void JoinParty(i32 n) {
    FullRestore(n, 1);
    if (!IsPartyRole(n)) return;
    if (std::find(gParty, gParty + kPartySize, n - 1) != gParty + kPartySize) return;
    AddToFirstFree(gParty, n - 1);
    AddToFirstFree(gFormation, n - 1);
}

void LeaveParty(i32 n) {
    FullRestore(n, 1);
    if (!IsPartyRole(n)) return;
    RemovePacked(gParty, n - 1);
    // The formation keeps its rows: the place the role held becomes free.
    std::replace(gFormation, gFormation + kPartySize, n - 1, -1);
    for (i32 m : gParty) {
        if (m < 0) break;
        if (m < kRoleCount && (gRoleStats[m].status & kFallen)) {
            gRoleStats[m].status = 0;
            gRoleStats[m].hp = 1;
        }
    }
}

void FullRestore(i32 n, i32 mode) {
    if (n == -1) {
        for (i32 i = 0; i < kPartySize && i < kRoleCount; ++i) RestoreOne(i, mode);
        return;
    }
    if (IsPartyRole(n)) RestoreOne(n - 1, mode);
}

void DamageParty(i32 d) {
    int members = 0, fallen = 0;
    for (i32 m : gParty) {
        if (m < 0) break;
        if (m >= kRoleCount) continue;
        ++members;
        RoleStats& s = gRoleStats[m];
        s.hp -= d;
        if (s.hp < 1) {
            s.hp = 0;
            s.status |= kFallen;
        }
        if (s.status & kFallen) ++fallen;
    }
    if (members > 0 && fallen == members) gFrameId = ScreenWord(Screen::EndPicture);
}

void RaiseMaxHpMp(i32 n, i32 a, i32 b) {
    if (!IsPartyRole(n)) return;
    RoleData& r = gRoles[n - 1];
    RoleStats& s = gRoleStats[n - 1];
    r.maxHp += a;
    s.hp += a;
    r.maxMp += b;
    s.mp += b;
    CalcRoleStats(r, s);
}

void AddOwnedMonster(i32 n, i32 k) {
    if (!gOwnedMonsters || n < 0 || n >= gMonsterCount) return;
    i64 v = i64{gOwnedMonsters[n]} + k;
    gOwnedMonsters[n] = static_cast<i32>(std::clamp<i64>(v, 0, kMaxOwned));
}

void SwapLeadRoles(i32 mode) {
    bool swapped = GetGameFlag(kLeadSwapFlag) != 0;
    if (mode == 1 ? swapped : !swapped) return;
    PutGameFlag(kLeadSwapFlag, mode == 1 ? 1 : 0);
    if (kRoleCount < 2) return;
    // The records trade places; each keeps its own index word.
    auto swapKeepFirst = [](auto& x, auto& y) {
        i32 ix = x.index, iy = y.index;
        std::swap(x, y);
        x.index = ix;
        y.index = iy;
    };
    swapKeepFirst(gRoleStats[0], gRoleStats[1]);
    swapKeepFirst(gRoles[0], gRoles[1]);
}

void ChooseEndingRole() {
    i32 v = PickEnding();
    AccessRoleValue(kEndingRecord, 1, &v, 2);
}

int AccessRoleValue(u16 id, int which, i32* value, int op) {
    i32 row = FindRecord(id);
    if (row < 0 || (which != 1 && which != 2)) return 0;
    int byte = which == 1 ? recByte::kExtra1 : recByte::kExtra2;
    if (op == 1) {
        *value = RecordByte(row, byte);
        return 1;
    }
    if (op != 2) return 1;
    u8 v = static_cast<u8>(*value);
    SetRecordByte(row, byte, v);
    // A role on the map keeps its copy of the record bytes too.
    int slot = FindRoleById(id);
    if (slot >= 0) {
        if (which == 1)
            gMapRoles[slot].extra1 = static_cast<i8>(v);
        else
            gMapRoles[slot].extra2 = v;
    }
    return 1;
}

void ShowRole(u16 id) {
    int slot = FindRoleById(id);
    if (slot < 0) {
        UpdateRoleRecord(id, -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, kRoleShown, -1, -1, 0xFFFF, 255);
        return;
    }
    RoleSlot& r = gMapRoles[slot];
    r.state |= kRoleShown;
    ClearRoleFootprint(&r);
    MarkRoleFootprint(&r);
    if (!r.act) return;
    r.act->lastAct = r.act->lastAction = -1;
    r.act->frameCounter = 0;
    r.act->cmdIndex = 0;
    StepRoleAct(slot, "Act Err(Talk:ShowRole)");
}

void HideRole(u16 id) {
    int slot = FindRoleById(id);
    if (slot < 0) {
        UpdateRoleRecord(id, -1, -1, -1, -1, -1, 0xFFFF, 0xFFFF, 0xFFFF,
                         static_cast<i32>(0xFFFF & ~kRoleShown), -1, 0xFFFF, 255);
        return;
    }
    RoleSlot& r = gMapRoles[slot];
    r.state &= kRoleKeptOnHide;
    ClearRoleFootprint(&r);
    for (RoleRoute& rr : gRoleRoutes)
        if (rr.role == slot) ClearRoleRoute(&rr);  // route records hold slots, not ids
}

void AddQuest(u32 q, int front) {
    if (std::find(gQuestList.begin(), gQuestList.end(), q) != gQuestList.end()) return;
    if (front == 1)
        gQuestList.push_front(q);
    else
        gQuestList.push_back(q);
}

void RemoveQuest(u32 q) {
    gQuestList.erase(std::remove(gQuestList.begin(), gQuestList.end(), q), gQuestList.end());
}

void ClearQuestList() {
    gQuestList.clear();
}

void AddMoney(i64 d) {
    // A stored value above the cap (an old save) counts as the cap.
    i64 v = i64{std::min(gScriptVars[0], kMoneyMax)} + d;
    gScriptVars[0] = static_cast<u32>(std::clamp<i64>(v, 0, kMoneyMax));
}

void ResetPartyCommands() {
    gScriptResult = 0;
    gPickedItemName[0] = 0;
    gQuestList.clear();
    gRolePose = RolePose{};
    gEnterPrompt = EnterPrompt{};
    ResetShopStock();
}

// ---- Party, items, money ----

Step CmdAddItem(TalkContext*, CmdArgs& a) {
    AddItem(static_cast<i32>(a.v[0]), static_cast<i32>(a.v[1]));
    return Step::Yield;
}

Step CmdParty(TalkContext*, CmdArgs& a) {
    i32 n = static_cast<i32>(a.v[0]);
    switch (Op(a)) {
        case 0x41:
            JoinParty(n);
            return Step::On;
        case 0x42:
            LeaveParty(n);
            return Step::Yield;
        case 0x147:
            FullRestore(static_cast<i16>(a.v[0]), static_cast<i32>(a.v[1]));
            return Step::On;
        case 0x13D:
            DamageParty(n);
            return Step::On;
        case 0x14B:
            RaiseMaxHpMp(n, static_cast<i32>(a.v[1]), static_cast<i32>(a.v[2]));
            return Step::On;
        case 0x151:
            AddOwnedMonster(n, static_cast<i32>(a.v[1]));
            return Step::On;
        case 0x148:
            SwapLeadRoles(n);
            return Step::On;
        case 0x14A:
            ChooseEndingRole();
            return Step::On;
        default:
            return Step::On;
    }
}

Step CmdTestWorn(TalkContext*, CmdArgs& a) {
    i32 n = static_cast<i32>(a.v[0]);
    const EquipageData* rec = GetEquipageRecord(static_cast<i32>(a.v[1]));
    bool worn = false;
    if (rec && IsPartyRole(n)) {
        for (i32 piece : gRoles[n - 1].equip) {
            const EquipageData* e = GetOwnedEquipage(piece);
            if (e && e->id == rec->id) worn = true;
        }
    }
    PutGameFlag(kWornFlag, worn ? 1 : 0);
    return Step::On;
}

Step CmdAddAction(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0 || !gMapRoles[slot].act) return Step::On;
    ActPlayer* p = gMapRoles[slot].act;
    i32 next = p->action + static_cast<i32>(a.v[1]);
    if (next < 0) return Step::On;
    p->action = next;
    StepRoleAct(slot, "Act Err(Talk:AddAction)");
    return Step::On;
}

Step CmdOwnsSpecial(TalkContext*, CmdArgs& a) {
    gScriptResult = a.v[0] == 1 && OwnsOtherSpecial() ? 1 : 0;
    return Step::On;
}

// ---- Role values ----

Step CmdRoleValue(TalkContext* c, CmdArgs& a) {
    u32 op = Op(a);
    u16 id = ScriptRoleId(c, a.v[0]);
    const char* tag = op == 0xC5 ? "Err(Talk:rv_set)" : "Err(Talk:rv_add)";
    i32 v = 0;
    if (!RoleValueOf(c, id, a.v[1], &v, tag)) return Step::On;
    i32 x = static_cast<i32>(a.v[2]);
    switch (op) {
        case 0xC5:
            AccessRoleValue(id, static_cast<int>(a.v[1]), &x, 2);
            return Step::On;
        case 0xC6:
        case 0xC7:
            v = op == 0xC6 ? v + x : v - x;
            AccessRoleValue(id, static_cast<int>(a.v[1]), &v, 2);
            return Step::Yield;
        case 0xC8:
            return JumpIf(c, v >= x, a.v[3]);
        case 0xC9:
            return JumpIf(c, v <= x, a.v[3]);
        default:
            return JumpIf(c, v == x, a.v[3]);
    }
}

Step CmdRoleValueSwitch(TalkContext* c, CmdArgs& a) {
    u16 id = ScriptRoleId(c, a.v[0]);
    i32 v = 0;
    if (!RoleValueOf(c, id, a.v[1], &v, "Err(Talk:rv_switch)")) return Step::On;
    if (static_cast<u32>(v) >= a.listCount) {
        ReportTalkData(c, B5("Err(Talk:rv_switch)"), B5("數值太大(%d) 沒有定義 %d"), v, id);
        return Step::On;
    }
    return TalkJump(c, LoadU32(a.list + 4 * v)) ? Step::Jumped : Step::Ended;
}

Step CmdRoleValueCompare(TalkContext* c, CmdArgs& a) {
    u16 ida = ScriptRoleId(c, a.v[0]), idb = ScriptRoleId(c, a.v[2]);
    i32 va = 0, vb = 0;
    if (!AccessRoleValue(ida, static_cast<int>(a.v[1]), &va, 1)) {
        ReportTalkData(c, B5("Err(Talk:rv_comp)"), B5("找不到角色 %d(1)"), ida);
        return Step::On;
    }
    if (!AccessRoleValue(idb, static_cast<int>(a.v[3]), &vb, 1)) {
        ReportTalkData(c, B5("Err(Talk:rv_comp)"), B5("找不到角色 %d(2)"), idb);
        return Step::On;
    }
    if (Op(a) == 0xD5) return JumpIf(c, va >= vb, a.v[4]);
    AccessRoleValue(ida, static_cast<int>(a.v[1]), &vb, 2);
    AccessRoleValue(idb, static_cast<int>(a.v[3]), &va, 2);
    return Step::On;
}

Step CmdSwapVars(TalkContext*, CmdArgs& a) {
    if (a.v[0] < kScriptVarCount && a.v[1] < kScriptVarCount)
        std::swap(gScriptVars[a.v[0]], gScriptVars[a.v[1]]);
    return Step::On;
}

// ---- Screens, shop, quests ----

Step CmdScreen(TalkContext* c, CmdArgs& a) {
    switch (Op(a)) {
        case 0x133:
            SetupEndingScreen(static_cast<i32>(a.v[0]), static_cast<i32>(a.v[1]),
                              static_cast<i32>(a.v[2]), static_cast<i32>(a.v[3]),
                              static_cast<i32>(a.v[4]));
            gFrameId = ScreenWord(Screen::Ending);
            return Step::On;
        case 0x13E: {
            i32 v = 0;
            AccessRoleValue(kPromptRecord, 1, &v, 1);
            gEnterPrompt = EnterPrompt{static_cast<u16>(a.v[0]), static_cast<u16>(a.v[1]),
                                       static_cast<u32>(v), c->ip};
            SetupEnterPrompt(static_cast<i32>(a.v[0]), static_cast<i32>(a.v[1]), c, a.at, &c->ip);
            gFrameId = ScreenWord(Screen::EnterPrompt);
            // The prompt's close moves the talk on: a jump, or past this command.
            return Step::Ended;
        }
        case 0x144:
            gFrameId = ScreenWord(Screen::TestEnd);
            return Step::On;
        case 0x14C:
            gFrameId = ScreenWord(Screen::Title);
            EndGame();
            return Step::Ended;
        default:
            break;
    }
    return Step::Yield;
}

Step CmdItemFrame(TalkContext*, CmdArgs& a) {
    OpenItemFrame(a.v[0]);
    return Step::Yield;
}

namespace {
// A stock id names an equipment record (categories 0-4) or an item (5).
bool NamesRecord(int cat, u32 id) {
    if (cat < 5) return id < static_cast<u32>(std::max(gEquipageCount, 0));
    return id < static_cast<u32>(std::max(gItemCount, 0)) && id < 300;
}

// Goods that name no record go; the first one is reported.
void DropUnknownGoods(ShopStock* s, u32 shop) {
    bool reported = false;
    for (int k = 0; k < kShopCategories; ++k) {
        std::deque<u32>& ids = s->cat[k].ids;
        for (auto it = ids.begin(); it != ids.end();) {
            if (NamesRecord(k, *it)) {
                ++it;
                continue;
            }
            if (!reported)
                ReportDataError(WordedDataError(B5("%s 第 %u 號商店的貨品編號 %u 不存在"),
                                                "tore.dat", shop, *it),
                                B5("商店資料錯誤"));
            reported = true;
            it = ids.erase(it);
        }
    }
}
}  // namespace

int LoadShop(u32 n) {
    char path[kPathSize + 32];
    std::snprintf(path, sizeof(path), "%sMH_Data\\tore.dat", gBasePath);
    cFile f;
    std::string bytes;
    if (!f.Open(path, OPEN_EXISTING, GENERIC_READ) || !f.ReadAll(&bytes)) {
        ReportDataError(WordedDataError("%s", B5("請檢查MH_Data目錄中是否有tore.dat檔案？")),
                        B5("商店資料錯誤"));
        return 0;
    }
    std::vector<u8> words(bytes.begin(), bytes.end());
    ShopStock s;
    if (ParseShop(words, n, &s) != ShopParse::Ok) {
        ReportDataError(WordedDataError(B5("沒有編號 %d 的商店"), static_cast<int>(n)),
                        B5("商店資料錯誤"));
        return 0;
    }
    DropUnknownGoods(&s, n);
    gShopStock = std::move(s);
    gKeyFocus = 0;
    gFrameId = ScreenWord(Screen::ShopBuyMenu);
    return 1;
}

Step CmdShop(TalkContext*, CmdArgs& a) {
    LoadShop(a.v[0]);
    return Step::On;
}

Step CmdQuest(TalkContext*, CmdArgs& a) {
    if (Op(a) == 0x13B)
        AddQuest(a.v[0], static_cast<int>(a.v[1]));
    else
        RemoveQuest(a.v[0]);
    return Step::On;
}

Step CmdRolePose(TalkContext* c, CmdArgs& a) {
    int slot = ScriptRoleSlot(c, a.v[0]);
    if (slot < 0) {
        gRolePose = RolePose{};
        gRolePose.done = 1;
        return Step::On;
    }
    if (Op(a) == 0x143) {
        u16 id = gMapRoles[slot].roleId;
        ShowRole(id);
        if (ActPlayer* p = gMapRoles[slot].act) {
            if (a.v[1] != 0xFFFF) p->act = static_cast<i32>(a.v[1]);
            if (a.v[2] != 0xFFFF) p->action = static_cast<i32>(a.v[2]);
            if (a.v[3] != 0xFFFF) p->dir = static_cast<i32>(a.v[3]);
        }
    }
    u32 value = Op(a) == 0x143 ? a.v[4] : a.v[1];
    gRolePose = RolePose{gMapRoles[slot].roleId, value, 0, gFrameTime};
    return Step::On;
}

// ---- The battle request ----

Step CmdBattle(TalkContext*, CmdArgs& a) {
    for (int i = 0; i < kBattleRoleChanges; ++i)
        gBattleRoleChanges[i] = static_cast<i16>(LoadU16(a.at + 4 + 2 * i));
    gBattleRequest = kBattlePending | a.v[0];
    return Step::Yield;
}
