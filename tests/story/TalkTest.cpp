// The interpreter: talk numbering, loading, the window, the run loop and bad scripts.

#include "data/GameFlags.h"
#include "platform/TextCodec.h"
#include "story/StoryTestUtil.h"

namespace {

using TalkTest = StoryFixture;

// Each talk sets its own flag, so the right entry of the right file ran: talk 0
// is entry 1000 of file 1, talk 1001 the first of file 2.
TEST_F(TalkTest, NumberingAcrossFiles) {
    WriteTalks(1, "talk 1000\n SetFlag 300\n End\n");
    WriteTalks(2, "talk 1001\n SetFlag 301\n End\ntalk 2000\n SetFlag 302\n End\n");
    const std::pair<int, int> talks[] = {{0, 300}, {1000, 300}, {1001, 301}, {2000, 302}};
    for (const auto& [talk, flag] : talks) {
        ResetGameFlags();
        RunTalk(talk);
        for (int f = 300; f <= 302; ++f) EXPECT_EQ(GetGameFlag(f) != 0, f == flag) << talk;
    }
    EXPECT_TRUE(h.boxes().empty());
}

TEST_F(TalkTest, WaitsForTheGrid) {
    gMapRoles[0].x = 68;
    Start("SetFlag 300");
    for (int i = 0; i < 3; ++i) Talk(&gTalkContext);
    EXPECT_FALSE(GetGameFlag(300));
    gMapRoles[0].x = 80;
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(300));
    EXPECT_FALSE(TalkRunning());
}

TEST_F(TalkTest, LoadLocksPlayerControlAndEndFreesEverything) {
    Start("Set 5 1\n Wait 100");
    Talk(&gTalkContext);
    EXPECT_TRUE(gTalkFlags & kTalkLockBit);
    EXPECT_EQ(gScriptVars[5], 1u);
    RunUntilFree(20);
    EXPECT_FALSE(gTalkFlags & kTalkLockBit);
    const u8* raw = reinterpret_cast<const u8*>(&gTalkContext);
    for (size_t i = 0; i < sizeof(gTalkContext); ++i) ASSERT_EQ(raw[i], 0xFF) << i;
    EXPECT_EQ(Talk(&gTalkContext), 1);
}

TEST_F(TalkTest, MissingFileShowsBoxAndClosesTheWindow) {
    h.CreateMainWindow();
    StartTalk(1500, 1);
    EXPECT_EQ(Talk(&gTalkContext), 0);
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].text, Utf8ToBig5("找不到 Talk2"));
    EXPECT_FALSE(TalkRunning());
    h.RunFrames(2);
    EXPECT_TRUE(h.quit());
}

TEST_F(TalkTest, TheWindowIsReadAgainPastItsEndAndOnEveryJump) {
    // 6000 six-byte commands (36,000 bytes) before the end: the window is read again.
    std::string src = "talk 1\n";
    for (int i = 0; i < 6000; ++i) src += " Add 7 1\n";
    src += " SetFlag 300\n End\n";
    WriteTalks(1, src);
    RunTalk(1);
    EXPECT_EQ(gScriptVars[7], 6000u);
    EXPECT_TRUE(GetGameFlag(300));
    EXPECT_TRUE(h.boxes().empty());
    // A jump back to a command inside the window reads it from the file again:
    // what was written into the window meanwhile is gone.
    gScriptVars[7] = 0;
    WriteTalks(1,
               "talk 1\ntop:\n Add 7 1\n JumpIfAtLeast 7 2 @end\n SetFlag70\n Jump @top\n"
               "end:\n End\n");
    StartTalk(1, 1);
    Talk(&gTalkContext);
    ASSERT_EQ(gScriptVars[7], 1u);
    ASSERT_EQ(LoadU16(gTalkBuffer), 0x1E);
    StoreU16(gTalkBuffer + 4, 5);  // the value operand of "Add 7 1"
    RunUntilFree(5);
    EXPECT_EQ(gScriptVars[7], 2u);
}

TEST_F(TalkTest, TimerVariablesCountDownEveryCall) {
    gScriptVars[1] = 2;
    gScriptVars[2] = 1;
    for (int i = 0; i < 3; ++i) Talk(&gTalkContext);
    EXPECT_EQ(gScriptVars[1], 0u);
    EXPECT_EQ(gScriptVars[2], 0u);
}

TEST_F(TalkTest, RunOnModeRunsYieldingCommandsInOneFrame) {
    Start("RunOn\n SetFlag70\n SetFlag19\n RunOff\n SetFlag 300");
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(70));
    EXPECT_TRUE(GetGameFlag(19));
    EXPECT_FALSE(GetGameFlag(300));  // RunOff stops the frame
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(300));
}

constexpr u32 kFirst = 4 * kTalkEntries;
constexpr u16 Lo(u32 v) {
    return static_cast<u16>(v);
}
constexpr u16 Hi(u32 v) {
    return static_cast<u16>(v >> 16);
}

// A talk file whose entry 1 is entry1, followed by these words.
std::vector<u8> TalkFileOf(u32 entry1, const std::vector<u16>& words) {
    std::vector<u8> f(kTalkBase + kFirst, 0);
    StoreU32(&f[kTalkBase + 4], entry1);
    for (u16 w : words) {
        f.push_back(static_cast<u8>(w));
        f.push_back(static_cast<u8>(w >> 8));
    }
    return f;
}

// Every bad script is reported once and ends the talk; an undefined command
// names both its opcodes.
TEST_F(TalkTest, BadScriptsAreReportedOnceAndEndTheTalk) {
    const struct {
        const char* name;
        std::vector<u8> file;
        const char* text = nullptr;  // the box's words, in UTF-8, where checked
    } cases[] = {
        {"entry 0", TalkFileOf(0, {})},
        {"entry past the file", TalkFileOf(0x100000, {})},
        {"truncated offset table", std::vector<u8>(0x300, 0)},
        {"undefined opcode", TalkFileOf(kFirst, {0x0058})},
        {"filler", TalkFileOf(kFirst, {0x0C0C, 0x0C0C})},
        {"command cut by the file end", TalkFileOf(kFirst, {0x001D, 5})},
        // "abcdef" and no text mark after it.
        {"text without its mark", TalkFileOf(kFirst, {0x0001, 0xFFF1, 0x6261, 0x6463, 0x6665})},
        {"odd target", TalkFileOf(kFirst, {0x000F, Lo(kFirst + 1), Hi(kFirst + 1), 0x3FFF})},
        {"target past the file", TalkFileOf(kFirst, {0x000F, 0xFFF0, 0x7FFF})},
        {"endless loop", TalkFileOf(kFirst, {0x000F, Lo(kFirst), Hi(kFirst)})},
        {"command of another family", TalkFileOf(kFirst, {0x0077, 0})},
        {"two undefined opcodes", TalkFileOf(kFirst, {0x0402, 0x00BA}),
         "沒有指令(186,ba),(1026,402)"},
    };
    for (const auto& bc : cases) {
        SCOPED_TRACE(bc.name);
        h.boxes().clear();
        WriteTalkFile(1, bc.file);
        StartTalk(1, 1);
        for (int i = 0; i < 5; ++i) Talk(&gTalkContext);
        EXPECT_FALSE(TalkRunning());
        ASSERT_EQ(h.boxes().size(), 1u);
        EXPECT_FALSE(gTalkFlags & kTalkLockBit);
        if (bc.text) {
            EXPECT_EQ(h.boxes()[0].text, Utf8ToBig5(bc.text));
            EXPECT_EQ(h.boxes()[0].caption, Utf8ToBig5("對話系統"));
        }
    }
}

}  // namespace
