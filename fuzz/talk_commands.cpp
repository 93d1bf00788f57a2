// Fuzz target over the whole command table: the input picks commands by their
// row and fills their operands, so every command runs with arbitrary values.
#include <vector>

#include "TalkRun.h"

#include "battle/Battle.h"
#include "base/ByteIo.h"
#include "engine/Water.h"
#include "map/MapDraw.h"
#include "map/MapManage.h"
#include "story/CommandHandlers.h"
#include "story/PartyCommands.h"
#include "story/PicShow.h"
#include "story/ScriptScene.h"
#include "story/TalkCommands.h"
#include "ui/ScreenLink.h"
#include "ui/ScreenState.h"
#include "menu/ItemFrame.h"

namespace {

// Talk 1 at the first script position: commands chosen by the input.
std::vector<u8> BuildTalk(const uint8_t* data, size_t size) {
    ByteWriter w;
    w.Zeros(kTalkBase + 4 * kTalkEntries);
    u32 start = static_cast<u32>(w.bytes().size()) - kTalkBase;
    auto table = CommandTable();
    size_t i = 0;
    auto next = [&]() -> u16 {
        u16 v = i + 1 < size ? static_cast<u16>(data[i] | data[i + 1] << 8) : 0;
        i += 2;
        return v;
    };
    while (i < size && w.bytes().size() < 16000) {
        const Command& cmd = table[next() % table.size()];
        w.U16(cmd.op);
        for (const char* s = cmd.sig; *s; ++s) {
            switch (*s) {
                case 'X':
                    w.U16(next());
                    w.U16(kTextMark);
                    break;
                case 'F':
                    w.U16(next());
                    w.U16(kListEnd);
                    break;
                case 'J':
                    w.U32(start);
                    w.U32(kTargetListEnd);
                    break;
                case 'T':
                    w.U32(start + (next() & 0x3E));
                    break;
                case 'd':
                    w.U32(next() | static_cast<u32>(next()) << 16);
                    break;
                default:  // a count of a list keeps to the input's own words
                    w.U16(next());
                    break;
            }
        }
    }
    w.U16(0x3FFF);
    w.PatchU32(kTalkBase + 4, start);
    return std::move(w.bytes());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& root = FuzzTalkRoot("cmds");
    ResetFuzzTalk(root);
    ResetStoryCommands();
    gPlayerId = 1;
    gMapRoles[0].roleId = 1;
    std::vector<u8> talk = BuildTalk(data, size);
    RunFuzzTalk(root, talk.data(), talk.size());
    delete gItemFrame;
    gItemFrame = nullptr;
    gFrameId = 0;
    gPlayerSlot = 0;
    ResetDialogs();
    ResetTalk();
    ResetStoryCommands();
    ResetScriptScene();
    ResetPicShow();
    DeleteWaterList();
    // The scene's lists outlive a talk: without this they grow from input to input.
    ReleaseWipeEffects();
    ReleaseScriptObjectLists();
    ReleaseRoleHeads();
    return 0;
}
