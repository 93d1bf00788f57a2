// The command table of the story scripts, command lengths and lookups.
#include "story/TalkCommands.h"

#include <array>
#include <cstring>

#include "engine/ByteIo.h"
#include "story/CommandHandlers.h"

namespace {

// opcode, name, operands, handler
constexpr Command kCommands[] = {
    // The loop's own.
    {0x030C, "Skip10", "wwwww", CmdSkip},
    {0x0400, "RunOn", "", CmdRunOn},
    {0x0401, "RunOff", "", CmdRunOff},
    {0x0402, "Nop", "", CmdNop},
    {0x3FFF, "End", "", CmdEnd},
    {0x008E, "Countdown", "www", CmdCountdown},
    // Jumps and tests.
    {0x000F, "Jump", "T", CmdJump},
    {0x0015, "JumpIfFlag", "wT", CmdFlagJump},
    {0x0016, "JumpIfNotFlag", "wT", CmdFlagJump},
    {0x0017, "JumpIfAllFlags", "FT", CmdFlagListJump},
    {0x0018, "JumpIfAnyFlag", "FT", CmdFlagListJump},
    {0x0010, "JumpIfWalking", "wT", CmdWalkJump},
    {0x0011, "JumpIfNotWalking", "wT", CmdWalkJump},
    {0x0029, "JumpByAnswer", "J", CmdAnswerJump},
    {0x0057, "JumpRandom", "J", CmdRandomJump},
    {0x006E, "JumpIfAnyWalking", "T", CmdAnyRoleJump},
    {0x006F, "JumpIfNoneWalking", "T", CmdAnyRoleJump},
    {0x00CF, "JumpIfAnyOnRoute", "T", CmdAnyRoleJump},
    {0x0081, "JumpIfHasItem", "wT", CmdItemJump},
    {0x0082, "JumpIfLacksItem", "wT", CmdItemJump},
    {0x00A5, "JumpIfItemAtLeast", "wwT", CmdItemCountJump},
    {0x00A6, "JumpIfItemAtMost", "wwT", CmdItemCountJump},
    {0x00A7, "JumpIfWorn", "wT", CmdWornJump},
    {0x00A8, "JumpIfNotWorn", "wT", CmdWornJump},
    {0x00A3, "JumpIfNotMap", "sT", CmdMapJump},
    {0x00A4, "JumpIfMap", "sT", CmdMapJump},
    {0x00C1, "JumpIfSlotAt", "wwwT", CmdSlotCellJump},
    {0x008A, "JumpIfFarFromPoint", "wwwwT", CmdPointDistanceJump},
    {0x00CC, "JumpIfRolesApart", "wwwT", CmdRoleDistanceJump},
    {0x00E6, "JumpIfInRect", "wssssT", CmdRectJump},
    {0x00E7, "JumpIfOutsideRect", "wssssT", CmdRectJump},
    {0x007E, "JumpIfAction", "wwT", CmdActionJump},
    {0x007F, "JumpIfNotAction", "wwT", CmdActionJump},
    {0x014F, "JumpIfActNot", "wwT", CmdActJump},
    {0x00A1, "GoTalk", "s", CmdGoTalk},
    // Variables.
    {0x001D, "Set", "ss", CmdVariable},
    {0x001E, "Add", "ss", CmdVariable},
    {0x001F, "Sub", "ss", CmdVariable},
    {0x0020, "JumpIfAtLeast", "ssT", CmdVariable},
    {0x0021, "JumpIfAtMost", "ssT", CmdVariable},
    {0x00B5, "SetL", "sd", CmdVariable},
    {0x00B6, "AddL", "sd", CmdVariable},
    {0x00B7, "SubL", "sd", CmdVariable},
    {0x00B8, "JumpIfAtLeastL", "sdT", CmdVariable},
    {0x00B9, "JumpIfAtMostL", "sdT", CmdVariable},
    {0x030E, "Mul", "sd", CmdVariable},
    {0x030F, "Div", "sd", CmdVariable},
    // Counter and timing.
    {0x0022, "Counter", "w", CmdCounter},
    {0x0023, "JumpIfCounterAtLeast", "BT", CmdCounter},
    {0x0024, "JumpIfCounterPast", "wT", CmdCounter},
    {0x0025, "MarkCounter", "", CmdCounter},
    {0x0043, "Wait", "w", CmdWait},
    {0x0062, "PicShow", "w", CmdPicShow},
    {0x0063, "WaitPicShow", "w", CmdPicShow},
    // Flags.
    {0x0019, "SetFlag", "w", CmdFlag},
    {0x001A, "ClearFlag", "w", CmdFlag},
    {0x0093, "SetFlag70", "", CmdFlag},
    {0x0094, "SetFlag19", "", CmdFlag},
    {0x0095, "ClearFlag19", "", CmdFlag},
    {0x008F, "StopCountdown", "", CmdFlag},
    // Dialogue and text.
    {0x0001, "Say", "wX", CmdDialog},
    {0x0002, "Show", "wX", CmdDialog},
    {0x0003, "SayWide", "wX", CmdDialog},
    {0x0004, "ShowWide", "wX", CmdDialog},
    {0x0005, "SayWide2", "wX", CmdDialog},
    {0x0006, "ShowWide2", "wX", CmdDialog},
    {0x0059, "SayBox", "wX", CmdDialog},
    {0x005A, "ShowBox", "wX", CmdDialog},
    {0x0007, "BoxNoOpt31", "", CmdNextBox},
    {0x0008, "BoxTime", "w", CmdNextBox},
    {0x0009, "BoxNoOpt30", "", CmdNextBox},
    {0x0050, "BoxNoOpt29", "", CmdNextBox},
    {0x0068, "BoxOffset", "ss", CmdNextBox},
    {0x0069, "BoxBound", "", CmdNextBox},
    {0x0079, "BoxNoOpt26", "", CmdNextBox},
    {0x007C, "BoxKeepText", "", CmdNextBox},
    {0x00A0, "BoxCentreX", "", CmdNextBox},
    {0x00E9, "BoxCentreY", "", CmdNextBox},
    {0x006C, "BoxAt", "ww", CmdBoxPosition},
    {0x005B, "BoxCaption", "w", CmdCaption},
    {0x00A2, "BoxCaptionVar", "w", CmdCaption},
    {0x003F, "Quake", "wF", CmdQuake},
    {0x0040, "QuakeStop", "", CmdQuake},
    {0x013A, "SkipText", "X", CmdSkipText},
    {0x0134, "SecondFont", "ww", CmdFont},
    {0x0135, "MainFont", "ww", CmdFont},
    {0x0139, "TalkValue", "ww", CmdTalkValue},
    {0x00D1, "NameEntry", "w", CmdNameEntry},
};

// Opcode -> row, built once.
const std::array<const Command*, 0x4000>& Index() {
    static const std::array<const Command*, 0x4000> index = [] {
        std::array<const Command*, 0x4000> t{};
        for (const Command& c : kCommands) t[c.op & 0x3FFF] = &c;
        return t;
    }();
    return index;
}

}  // namespace

std::span<const Command> CommandTable() {
    return kCommands;
}

const Command* FindCommand(u32 op) {
    return Index()[op & 0x3FFF];
}

const Command* FindCommandByName(const char* name) {
    for (const Command& c : kCommands)
        if (std::strcmp(c.name, name) == 0) return &c;
    return nullptr;
}

u32 OperandSize(char letter) {
    switch (letter) {
        case 'w':
        case 's':
        case 'B':
            return 2;
        case 'd':
        case 'T':
            return 4;
        default:
            return 0;
    }
}

LenResult CommandLength(const Command& cmd, const u8* p, u32 avail, u32* len, CmdArgs* args) {
    u32 at = 2;
    CmdArgs local;
    CmdArgs& a = args ? *args : local;
    a.count = 0;
    for (const char* s = cmd.sig; *s; ++s) {
        u32 n = OperandSize(*s);
        if (n) {
            if (at + n > avail) return LenResult::Short;
            u32 v = n == 2 ? LoadU16(p + at) : LoadU32(p + at);
            if (*s == 's') v = static_cast<u32>(static_cast<i32>(static_cast<i16>(v)));
            if (*s == 'B') v &= 0xFF;
            if (a.count < 8) a.v[a.count++] = v;
            at += n;
            continue;
        }
        if (*s == 'X') {
            a.text = p + at;
            for (;;) {
                if (at + 2 > avail) return LenResult::Short;
                if (LoadU16(p + at) == kTextMark) break;
                at += 2;
            }
            a.textLen = static_cast<u32>(p + at - a.text);
            at += 2;
        } else if (*s == 'F' || *s == 'J') {
            u32 step = *s == 'F' ? 2 : 4;
            a.list = p + at;
            a.listCount = 0;
            for (;;) {
                if (at + step > avail) return LenResult::Short;
                u32 v = step == 2 ? LoadU16(p + at) : LoadU32(p + at);
                at += step;
                if (v == (step == 2 ? kListEnd : kTargetListEnd)) break;
                ++a.listCount;
            }
        } else {
            return LenResult::Bad;
        }
        if (a.count < 8) a.v[a.count++] = 0;
    }
    *len = at;
    a.len = at;
    return LenResult::Ok;
}
