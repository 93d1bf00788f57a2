// The command table of the story scripts, command lengths and lookups.
#include "story/TalkCommands.h"

#include <array>
#include <cstring>

#include "base/ByteIo.h"
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
    // Party, items, money.
    {0x0080, "AddItem", "ws", CmdAddItem},
    {0x0041, "JoinParty", "w", CmdParty},
    {0x0042, "LeaveParty", "w", CmdParty},
    {0x0147, "FullRestore", "sw", CmdParty},
    {0x013D, "DamageParty", "w", CmdParty},
    {0x014B, "RaiseMaxHpMp", "www", CmdParty},
    {0x014D, "TestWorn", "ww", CmdTestWorn},
    {0x0151, "AddMonster", "ws", CmdParty},
    {0x0148, "SwapLeadRoles", "w", CmdParty},
    {0x0149, "AddAction", "ws", CmdAddAction},
    {0x014A, "ChooseEnding", "", CmdParty},
    {0x0146, "OwnsOtherSpecial", "w", CmdOwnsSpecial},
    // Role values.
    {0x00C5, "SetRoleValue", "www", CmdRoleValue},
    {0x00C6, "AddRoleValue", "www", CmdRoleValue},
    {0x00C7, "SubRoleValue", "www", CmdRoleValue},
    {0x00C8, "JumpIfRoleValueAtLeast", "wwwT", CmdRoleValue},
    {0x00C9, "JumpIfRoleValueAtMost", "wwwT", CmdRoleValue},
    {0x00CA, "JumpIfRoleValue", "wwwT", CmdRoleValue},
    {0x00CB, "JumpByRoleValue", "wwJ", CmdRoleValueSwitch},
    {0x00D5, "JumpIfRoleValueNotBelow", "wwwwT", CmdRoleValueCompare},
    {0x00DC, "SwapRoleValues", "wwww", CmdRoleValueCompare},
    {0x00E1, "SwapVars", "ww", CmdSwapVars},
    // Screens, shops, quests.
    {0x0133, "ShowEnding", "wwwww", CmdScreen},
    {0x013E, "EnterPrompt", "wwzTX", CmdScreen},
    {0x0140, "ItemChooser", "w", CmdItemFrame},
    {0x0144, "DemoEnd", "", CmdScreen},
    {0x0145, "Shop", "w", CmdShop},
    {0x014C, "ReturnToTitle", "", CmdScreen},
    {0x013B, "AddQuest", "ww", CmdQuest},
    {0x013C, "RemoveQuest", "w", CmdQuest},
    {0x0142, "RolePose", "ww", CmdRolePose},
    {0x0143, "ShowRolePose", "wwwww", CmdRolePose},
    // The battle request: the battle number and ten role codes.
    {0x0313, "Battle", "wssssssssss", CmdBattle},
    // Role acts.
    {0x000A, "SetAction", "ww", CmdRoleAct},
    {0x00DF, "SetActionFromValue", "ww", CmdRoleAct},
    {0x00E4, "SetActionFromVar", "ww", CmdRoleAct},
    {0x000B, "SetDir", "ww", CmdRoleAct},
    {0x00E0, "SetDirFromValue", "ww", CmdRoleAct},
    {0x00E5, "SetDirFromVar", "ww", CmdRoleAct},
    {0x002D, "SetAct", "ww", CmdRoleAct},
    {0x00DE, "SetActFromValue", "ww", CmdRoleAct},
    {0x00E3, "SetActFromVar", "ww", CmdRoleAct},
    {0x0078, "SetActAll", "wwwww", CmdRoleActAll},
    {0x002C, "SetActSpeedRaw", "ww", CmdRoleSpeed},
    {0x0031, "StopActSpeed", "w", CmdRoleSpeed},
    {0x004D, "SetActSpeed", "ww", CmdRoleSpeed},
    {0x004E, "ClearActSpeed", "w", CmdRoleSpeed},
    {0x0036, "RestartAct", "ws", CmdRoleRestart},
    {0x002A, "LockControl", "", CmdControlLock},
    {0x002B, "UnlockControl", "", CmdControlLock},
    // Walks.
    {0x000C, "WalkTo", "www", CmdWalkTo},
    {0x000D, "WalkStep", "w", CmdWalkStep},
    {0x0012, "EndWalk", "w", CmdEndWalk},
    {0x0013, "EndAllWalks", "", CmdEndWalk},
    {0x0014, "GroupWalk", "G", CmdGroupWalk},
    {0x0137, "GroupWalkBy", "G", CmdGroupWalk},
    {0x00A9, "GroupWalkArrive", "H", CmdGroupWalk},
    {0x0138, "GroupWalkByArrive", "H", CmdGroupWalk},
    {0x006D, "StepOwner", "N", CmdPointWalk},
    {0x0074, "WalkOwnerTo", "N", CmdPointWalk},
    {0x0028, "WalkToCell", "wwwz", CmdWalkRole},
    {0x00DD, "WalkToValues", "wzz", CmdWalkRole},
    {0x00E2, "WalkToRole", "wwzz", CmdWalkRole},
    {0x00E8, "WalkBy", "wssz", CmdWalkRole},
    {0x013F, "WalkToRoleAgain", "wwzz", CmdWalkRole},
    // Presence and state.
    {0x0026, "HideRole", "w", CmdPresence},
    {0x0027, "ShowRole", "w", CmdPresence},
    {0x0066, "StateBit40", "ww", CmdStateBit},
    {0x0067, "StateBit20", "ww", CmdStateBit},
    {0x0075, "StateBit10", "ww", CmdStateBit},
    {0x0088, "StateBit1000", "ww", CmdStateBit},
    {0x008C, "StateBit800", "ww", CmdStateBit},
    {0x0091, "StateBit2000", "ww", CmdStateBit},
    {0x0092, "StateBit100", "ww", CmdStateBit},
    {0x00AE, "StateBit4000", "ww", CmdStateBit},
    {0x0044, "ClearBit400", "w", CmdMapBit},
    {0x0045, "SetBit400", "w", CmdMapBit},
    {0x0065, "SetBit4000000", "w", CmdSetStateBit},
    {0x00B2, "SetBit40000", "w", CmdSetStateBit},
    {0x00D3, "RouteRolesBlock", "", CmdRouteBits},
    {0x00D4, "RouteRolesPass", "", CmdRouteBits},
    {0x0064, "SetTalkNumber", "ww", CmdTalkNumber},
    {0x00CE, "SetPlayerRole", "w", CmdPlayerRole},
    {0x002E, "RestoreAct", "w", CmdRoleRestore},
    {0x002F, "RestoreAction", "w", CmdRoleRestore},
    {0x0030, "RestoreDir", "w", CmdRoleRestore},
    {0x004B, "SnapRole", "w", CmdSnapRole},
    {0x004C, "TurnToFace", "ww", CmdTurnToFace},
    {0x000E, "WaitSpeaker", "w", CmdWaitSpeaker},
    {0x00D7, "EndRolePart", "w", CmdEndRolePart},
    {0x001C, "TakeOffMap", "wz", CmdTakeOffMap},
    {0x0037, "RoleLayer1", "w", CmdRoleLayer},
    {0x0038, "RoleLayer2", "w", CmdRoleLayer},
    {0x0039, "RoleLayer0", "w", CmdRoleLayer},
    {0x006B, "WaitActFrame", "ww", CmdWaitActFrame},
    {0x0076, "CloseSpeakerBoxes", "w", CmdCloseSpeakerBoxes},
    {0x0077, "WaitBoxTextOut", "w", CmdWaitBoxFlag},
    {0x008B, "WaitBoxFlag8000", "w", CmdWaitBoxFlag},
    {0x003A, "AddActA", "wwww", CmdAddScriptAct},
    {0x0099, "AddActB", "wwww", CmdAddScriptAct},
    {0x006A, "WaitActA", "w", CmdWaitScriptAct},
    {0x009A, "WaitActB", "w", CmdWaitScriptAct},
    // Map and view.
    {0x014E, "ChangeMap", "wwwwww", CmdChangeMap},
    {0x001B, "FadeChangeMap", "wwwwww", CmdFadeChangeMap},
    {0x0032, "ScrollBy", "ssw", CmdScroll},
    {0x0046, "ScrollTo", "ssw", CmdScroll},
    {0x0049, "ScrollToRole", "ww", CmdScroll},
    {0x0033, "WaitScroll", "", CmdWaitScroll},
    {0x00BF, "WaitScrollY", "s", CmdWaitScroll},
    {0x0034, "ColorFade", "sssssss", CmdColorFade},
    {0x0035, "WaitColorFade", "", CmdColorFade},
    {0x004A, "StopColorFade", "", CmdColorFade},
    {0x0096, "Spot", "ss", CmdSpot},
    {0x0097, "SpotTarget", "ssss", CmdSpot},
    {0x0098, "WaitSpot", "", CmdSpot},
    {0x003C, "BlackView", "", CmdViewMode},
    {0x003D, "ShowView", "", CmdViewMode},
    {0x005E, "FixView", "", CmdViewMode},
    {0x005F, "FollowView", "", CmdViewMode},
    {0x030D, "ClearMapEffect", "w", CmdMapEffect},
    {0x00B3, "WaterDrop", "wwww", CmdWater},
    // Heads and overlay objects.
    {0x0051, "AddRoleHead", "wwww", CmdRoleHead},
    {0x0052, "DismissRoleHead", "ww", CmdRoleHead},
    {0x0056, "ShowRoleHead", "wwww", CmdRoleHead},
    {0x0136, "ReleaseRoleHeads", "", CmdRoleHead},
    {0x00D8, "AddAntiAliasObject", "wwww", CmdAntiAliasObject},
    {0x00D9, "RemoveAntiAliasObject", "ww", CmdAntiAliasObject},
    {0x00DA, "ReplaceAntiAliasObjects", "wwww", CmdAntiAliasObject},
    // Media.
    {0x0072, "Music", "www", CmdMusic},
    {0x0089, "StopMusic", "", CmdMusic},
    {0x008D, "MusicVolume", "wzw", CmdMusic},
    {0x00C0, "WaitMusic", "", CmdMusic},
    {0x003B, "Sound", "w", CmdSound},
    {0x0071, "Sound2", "wz", CmdSound},
    {0x0150, "StopSound", "w", CmdSound},
    {0x00C2, "Video", "X", CmdVideo},
    {0x00C3, "VideoOverlay", "wwz", CmdVideo},
    {0x00C4, "ReopenMap", "", CmdVideo},
    {0x0055, "OldVideo", "", CmdObsoleteVideo},
    {0x0060, "PictureShow", "X", CmdStartPicShow},
    {0x0061, "WaitPictureShow", "", CmdWaitPicShowEnd},
    // Wipes and the rest of the scene.
    {0x0053, "Wipe", "wsswwww", CmdWipe},
    {0x0054, "FreeWipe", "wz", CmdFreeWipe},
    {0x0070, "WaitWipes", "", CmdWaitWipes},
    {0x0141, "ReleaseWipes", "zzzzzzzzzzz", CmdReleaseWipes},
    {0x004F, "SceneCopy", "wssssww", CmdSceneCopy},
    {0x0310, "FreeSceneCopies", "ww", CmdFreeSceneCopies},
    {0x00D0, "WaitSceneObject", "ww", CmdWaitSceneObject},
    {0x007D, "DialogLine", "X", CmdDialogLine},
    {0x00B1, "GatherParty", "", CmdGatherParty},
    {0x0152, "ClearStepCount", "", CmdClearStepCount},
    {0x0047, "AttachEffect", "ww", CmdRoleEffect},
    {0x0048, "DetachEffect", "w", CmdRoleEffect},
    {0x007B, "MapEntryPoint", "wwww", CmdMapEntryPoint},
    {0x003E, "SendRole", "wwwwzzzz", CmdSendRole},
    // Scene texts, sound flags and switches.
    {0x00AB, "SceneText0", "X", CmdSceneText},
    {0x00AD, "SceneText1", "X", CmdSceneText},
    {0x00AA, "FreeSceneText0", "", CmdSceneText},
    {0x00AC, "FreeSceneText1", "", CmdSceneText},
    {0x00AF, "SoundFlagOn", "", CmdSceneMisc},
    {0x00B0, "SoundFlagOff", "", CmdSceneMisc},
    {0x007A, "FastModeOff", "", CmdSceneMisc},
    {0x00B4, "GameInactive", "", CmdSceneMisc},
    {0x00D6, "KeepMapClosed", "", CmdSceneMisc},
    {0x0312, "ClearTalkFlags", "", CmdSceneMisc},
    {0x0073, "Skip4a", "z", CmdSceneMisc},
    {0x0090, "Skip4b", "z", CmdSceneMisc},
    {0x0311, "Skip4c", "z", CmdSceneMisc},
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

u32 GroupEntryWords(char letter) {
    return letter == 'G' ? 3 : letter == 'H' ? 6 : 1;
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
        if (*s == 'z') {
            if (at + 2 > avail) return LenResult::Short;
            at += 2;
            continue;
        }
        if (*s == 'G' || *s == 'H' || *s == 'N') {
            if (at + 2 > avail) return LenResult::Short;
            u32 raw = LoadU16(p + at);
            u32 n = *s == 'N' ? raw : raw & kGroupCountMask;
            u64 bytes = u64{n} * 2 * GroupEntryWords(*s);
            a.list = p + at + 2;
            a.listCount = n;
            if (a.count < 8) a.v[a.count++] = raw;
            if (u64{at} + 2 + bytes > avail) return LenResult::Short;
            at += 2 + static_cast<u32>(bytes);
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
