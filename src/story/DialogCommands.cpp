// Commands that open dialogue boxes and set their options, and the text,
// quake, font, talk-value and name-entry commands.
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/ByteIo.h"
#include "platform/TextCodec.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/Ime.h"
#include "data/GameFlags.h"
#include "map/ActDraw.h"
#include "map/City.h"
#include "map/MapScene.h"
#include "map/SessionServices.h"
#include "map/SystemServices.h"
#include "story/CommandHandlers.h"
#include "story/Dialog.h"
#include "story/PartyCommands.h"

NextBoxOptions gNextBox;
char gEnteredNames[kNameSlots][3][32];

namespace {

u32 Op(const CmdArgs& a) {
    return LoadU16(a.at) & 0x3FFFu;
}

// The option bits of the next box: a clear bit adds its flag.
struct OptionBit {
    u32 bit;
    u32 boxFlag;
    u32 kindBit;
};
constexpr OptionBit kOptionBits[] = {
    {31, 0x20, 0},       {30, 0x400, 0}, {29, 0x80, 0},          {28, 0, kKindOffset},
    {27, 0, kKindBound}, {26, 0x02, 0},  {25, 0, kKindKeepText},
};

// Name entry: the three fields of the running entry.
struct NameEntry {
    std::unique_ptr<cTextBuf> fields[3];
    int active = 0;
    int slot = 0;
};
NameEntry gNameEntry;

void EndNameEntry() {
    for (int i = 0; i < 3; ++i) {
        if (gNameEntry.fields[i] && gNameEntry.slot >= 0 && gNameEntry.slot < kNameSlots)
            std::snprintf(gEnteredNames[gNameEntry.slot][i], 32, "%s",
                          gNameEntry.fields[i]->Text());
        gNameEntry.fields[i].reset();
    }
    SetActiveTextBuf(nullptr);
    ClearGameFlag(kTextInputFlag);
    gRunState &= static_cast<u8>(~kRunScriptHold);
    gNameEntry.active = 0;
}

}  // namespace

Step CmdDialog(TalkContext* c, CmdArgs& a) {
    u32 op = Op(a);
    u16 speaker = static_cast<u16>(a.v[0]);
    if (speaker == kRefOwner) speaker = c->owner;
    if (speaker == kRefPlayer) speaker = gPlayerId;
    StoreU16(a.at + 2, speaker);

    DialogSpec spec;
    spec.speaker = speaker;
    spec.text = reinterpret_cast<const char*>(a.text);
    spec.textLen = a.textLen;
    if (gNextBox.x != 0x8000) {
        spec.x = gNextBox.x;
        spec.y = gNextBox.y;
    }
    u32 kind = op <= 0x02 ? 0 : op <= 0x06 ? 1 : 2;
    if (op == 0x05 || op == 0x06) spec.flags |= 0x40;
    for (const OptionBit& o : kOptionBits) {
        if (gNextBox.opts & (1u << o.bit)) continue;
        spec.flags |= o.boxFlag;
        kind |= o.kindBit;
    }
    if (gNextBox.centreX) kind |= kKindCentreX;
    if (gNextBox.centreY) kind |= kKindCentreY;
    spec.dx = gNextBox.dx;
    spec.dy = gNextBox.dy;
    if (gNextBox.timeSet) spec.displayTime = static_cast<u16>(gNextBox.time);
    auto r = std::make_unique<DialogRecord>();
    bool built = SetupDialog(r.get(), spec, gNextBox.caption, kind) != 0;
    gNextBox = NextBoxOptions{};
    // A refused box (speaker off the map) leaves nothing to wait for.
    if (!built) return Step::Yield;
    bool waits = (op & 1) != 0;
    u16 state = waits ? 1 : 2;
    if (waits) {
        r->flags |= kDlgWaits;
        ++gTalkFlags;
    }
    if (r->speakerSlot >= 0) gMapRoles[r->speakerSlot].talkLock = state;
    c->speakerState = state;
    AppendDialog(std::move(r));
    return Step::Yield;
}

Step CmdNextBox(TalkContext*, CmdArgs& a) {
    switch (Op(a)) {
        case 0x07:
            gNextBox.opts &= ~(1u << 31);
            break;
        case 0x08:
            gNextBox.time = a.v[0];
            gNextBox.timeSet = true;
            break;
        case 0x09:
            gNextBox.opts &= ~(1u << 30);
            break;
        case 0x50:
            gNextBox.opts &= ~(1u << 29);
            break;
        case 0x68:
            gNextBox.opts &= ~(1u << 28);
            gNextBox.dx = static_cast<i16>(a.v[0]);
            gNextBox.dy = static_cast<i16>(a.v[1]);
            break;
        case 0x69:
            gNextBox.opts &= ~(1u << 27);
            break;
        case 0x79:
            gNextBox.opts &= ~(1u << 26);
            break;
        case 0x7C:
            gNextBox.opts &= ~(1u << 25);
            break;
        case 0xA0:
            gNextBox.centreX = true;
            return Step::Yield;
        case 0xE9:
            gNextBox.centreY = true;
            return Step::Yield;
        default:
            break;
    }
    return Step::On;
}

Step CmdBoxPosition(TalkContext*, CmdArgs& a) {
    gNextBox.x = static_cast<u16>(a.v[0] > 639 ? 16 : a.v[0]);
    gNextBox.y = static_cast<u16>(a.v[1] > 479 ? 16 : a.v[1]);
    return Step::On;
}

Step CmdCaption(TalkContext* c, CmdArgs& a) {
    char text[kDialogTextBytes] = {};
    i32 n = 0;
    if (Op(a) == 0x5B) {
        u16 id = static_cast<u16>(a.v[0]) == kRefOwner ? c->owner : static_cast<u16>(a.v[0]);
        n = id;
    } else {
        u32 var = a.v[0];
        if (var != 11 && var != 12) {
            ReportTalkData(c, B5("對話系統(Caption2)"), B5("設定的變數(%d)和系統衝突"),
                           static_cast<int>(var));
            return Step::On;
        }
        n = static_cast<i32>(gScriptVars[var]);
        if (n == 0) {
            ReportTalkData(c, B5("對話系統(Caption2)"), "%s", B5("設定的變數(0)和系統衝突"));
            return Step::On;
        }
    }
    ReadNameText(n, 32, text, "%Q");
    std::strcat(text, "%Q");
    ExpandTextVariables(text);
    char* mark = std::strstr(text, "%Q");
    if (mark) *mark = 0;
    // The caption box keeps what fits; a longer name is cut.
    size_t kept = strnlen(text, sizeof(gNextBox.caption) - 1);
    std::memcpy(gNextBox.caption, text, kept);
    gNextBox.caption[kept] = 0;
    return Step::On;
}

Step CmdQuake(TalkContext*, CmdArgs& a) {
    std::memset(gQuakeTable, 0xCF, sizeof(gQuakeTable));
    if (Op(a) == 0x40) return Step::On;
    u32 n = a.listCount < sizeof(gQuakeTable) / 2 ? a.listCount : sizeof(gQuakeTable) / 2;
    std::memcpy(gQuakeTable, a.list, n * 2);
    gQuakePeriod = gQuakeCountdown = a.v[0];
    gQuakeBaseX = static_cast<u32>(gViewX);
    gQuakeBaseY = static_cast<u32>(gViewY);
    return Step::On;
}

Step CmdSkipText(TalkContext*, CmdArgs&) {
    return Step::On;
}

Step CmdFont(TalkContext*, CmdArgs& a) {
    i32 h = static_cast<i32>(a.v[0]), adv = static_cast<i32>(a.v[0] + a.v[1]);
    bool main = Op(a) == 0x135;
    cGrpFont& font = main ? gMainFont : gSecondFont;
    GameFontSetting& setting = main ? gMainFontSetting : gSecondFontSetting;
    setting.size = h;
    setting.advance = adv;
    font.Release();
    font.Init(640, 480);
    font.SetFont("\xB2\xD3\xA9\xFA\xC5\xE9", h);
    font.SetAdvance(adv);
    if (main) SetDialogTextSize();
    return Step::On;
}

Step CmdTalkValue(TalkContext* c, CmdArgs& a) {
    u16 id = static_cast<u16>(a.v[0]) == kRefOwner ? c->owner : static_cast<u16>(a.v[0]);
    int slot = -1;
    if (GetRoleIndex(id, &slot) && slot >= 0 && slot < kRoleRows)
        gMapRoles[slot].talk = static_cast<u16>(a.v[1]);
    i32 row = FindRecord(id);
    if (row >= 0) SetRecordWord(row, recWord::kTalk, static_cast<u16>(a.v[1]));
    return Step::On;
}

Step CmdNameEntry(TalkContext*, CmdArgs& a) {
    u16 w = LoadU16(a.at + 2);
    if (!(w & 0x8000)) {
        gRunState |= kRunScriptHold;
        SetGameFlag(kTextInputFlag);
        gNameEntry.slot = w;
        gNameEntry.fields[0] = std::make_unique<cTextBuf>(4, 290, 238);
        gNameEntry.fields[1] = std::make_unique<cTextBuf>(4, 378, 238);
        gNameEntry.fields[2] = std::make_unique<cTextBuf>(8, 330, 280);
        gNameEntry.active = 0;
        SetActiveTextBuf(gNameEntry.fields[0].get());
        StoreU16(a.at + 2, static_cast<u16>(w | 0x8000));
        return Step::Stay;
    }
    cTextBuf* f = gNameEntry.fields[gNameEntry.active].get();
    if (f && f->GetResult() == 0) return Step::Stay;
    if (f && ++gNameEntry.active < 3) {
        SetActiveTextBuf(gNameEntry.fields[gNameEntry.active].get());
        return Step::Stay;
    }
    EndNameEntry();
    StoreU16(a.at + 2, static_cast<u16>(w & 0x7FFF));
    return Step::On;
}

void ResetStoryCommands() {
    gNextBox = NextBoxOptions{};
    gStoryCounter = gStoryCounterMark = 0;
    std::memset(gEnteredNames, 0, sizeof(gEnteredNames));
    for (auto& f : gNameEntry.fields) f.reset();
    gNameEntry = NameEntry{};
    ResetPartyCommands();
}
