// The interpreter: talk numbering, loading, the window, the run loop and bad scripts.
#include "story/Talk.h"

#include "data/GameFlags.h"
#include "base/ByteIo.h"
#include "platform/TextCodec.h"
#include "story/Countdowns.h"
#include "story/TalkCommands.h"
#include "story/StoryTestUtil.h"

namespace {

using TalkTest = StoryFixture;

TEST_F(TalkTest, NumberingAcrossFiles) {
    int f, e;
    TalkFileEntry(0, &f, &e);
    EXPECT_EQ(f * 10000 + e, 1 * 10000 + 1000);
    TalkFileEntry(1000, &f, &e);
    EXPECT_EQ(f * 10000 + e, 1 * 10000 + 1000);
    TalkFileEntry(1001, &f, &e);
    EXPECT_EQ(f * 10000 + e, 2 * 10000 + 1);
    TalkFileEntry(2000, &f, &e);
    EXPECT_EQ(f * 10000 + e, 2 * 10000 + 1000);

    // Each talk sets its own flag, so the right entry of the right file ran.
    WriteTalks(1, "talk 1000\n SetFlag 300\n End\n");
    WriteTalks(2, "talk 1001\n SetFlag 301\n End\ntalk 2000\n SetFlag 302\n End\n");
    RunTalk(0);
    EXPECT_TRUE(GetGameFlag(300));
    ClearGameFlag(300);
    RunTalk(1000);
    EXPECT_TRUE(GetGameFlag(300));
    RunTalk(1001);
    EXPECT_TRUE(GetGameFlag(301));
    EXPECT_FALSE(GetGameFlag(302));
    RunTalk(2000);
    EXPECT_TRUE(GetGameFlag(302));
    EXPECT_TRUE(h.boxes().empty());
}

TEST_F(TalkTest, WaitsForTheGrid) {
    WriteTalks(1, "talk 1\n SetFlag 300\n End\n");
    gMapRoles[0].x = 68;
    StartTalk(1, 1);
    for (int i = 0; i < 3; ++i) Talk(&gTalkContext);
    EXPECT_EQ(gTalkContext.offset, 0u);
    EXPECT_FALSE(GetGameFlag(300));
    gMapRoles[0].x = 80;
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(300));
    EXPECT_FALSE(TalkRunning());
}

TEST_F(TalkTest, LoadLocksPlayerControlAndEndFreesEverything) {
    WriteTalks(1, "talk 1\n Set 5 1\n Wait 100\n End\n");
    StartTalk(1, 1);
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

TEST_F(TalkTest, ScriptLongerThanTheWindowRunsThrough) {
    // 6000 six-byte commands (36,000 bytes) before the end: the window is read again.
    std::string src = "talk 1\n";
    for (int i = 0; i < 6000; ++i) src += " Add 7 1\n";
    src += " SetFlag 300\n End\n";
    WriteTalks(1, src);
    RunTalk(1);
    EXPECT_EQ(gScriptVars[7], 6000u);
    EXPECT_TRUE(GetGameFlag(300));
    EXPECT_TRUE(h.boxes().empty());
}

TEST_F(TalkTest, TimerVariablesCountDownEveryCall) {
    gScriptVars[1] = 2;
    gScriptVars[2] = 1;
    for (int i = 0; i < 3; ++i) Talk(&gTalkContext);
    EXPECT_EQ(gScriptVars[1], 0u);
    EXPECT_EQ(gScriptVars[2], 0u);
}

TEST_F(TalkTest, RunOnModeRunsYieldingCommandsInOneFrame) {
    WriteTalks(1, "talk 1\n RunOn\n SetFlag70\n SetFlag19\n RunOff\n SetFlag 300\n End\n");
    StartTalk(1, 1);
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(70));
    EXPECT_TRUE(GetGameFlag(19));
    EXPECT_FALSE(GetGameFlag(300));  // RunOff stops the frame
    Talk(&gTalkContext);
    EXPECT_TRUE(GetGameFlag(300));
}

struct BadCase {
    const char* name;
    std::vector<u8> (*make)();
};

std::vector<u8> Header(u32 entry1) {
    std::vector<u8> f(kTalkBase + 4 * kTalkEntries, 0);
    StoreU32(&f[kTalkBase + 4], entry1);
    return f;
}
void Put16(std::vector<u8>& f, u16 v) {
    f.push_back(static_cast<u8>(v));
    f.push_back(static_cast<u8>(v >> 8));
}
void Put32(std::vector<u8>& f, u32 v) {
    Put16(f, static_cast<u16>(v));
    Put16(f, static_cast<u16>(v >> 16));
}
constexpr u32 kFirst = 4 * kTalkEntries;

// Every bad script is reported once and ends the talk.
TEST_F(TalkTest, BadScriptsAreReportedOnceAndEndTheTalk) {
    const BadCase cases[] = {
        {"entry 0", [] { return Header(0); }},
        {"entry past the file", [] { return Header(0x100000); }},
        {"truncated offset table", [] { return std::vector<u8>(0x300, 0); }},
        {"undefined opcode",
         [] {
             auto f = Header(kFirst);
             Put16(f, 0x0058);
             return f;
         }},
        {"filler",
         [] {
             auto f = Header(kFirst);
             Put16(f, 0x0C0C);
             Put16(f, 0x0C0C);
             return f;
         }},
        {"command cut by the file end",
         [] {
             auto f = Header(kFirst);
             Put16(f, 0x001D);
             Put16(f, 5);
             return f;
         }},
        {"text without its mark",
         [] {
             auto f = Header(kFirst);
             Put16(f, 0x0001);
             Put16(f, 0xFFF1);
             for (char ch : std::string("abcdef")) f.push_back(static_cast<u8>(ch));
             return f;
         }},
        {"odd target",
         [] {
             auto f = Header(kFirst);
             Put16(f, 0x000F);
             Put32(f, kFirst + 1);
             Put16(f, 0x3FFF);
             return f;
         }},
        {"target past the file",
         [] {
             auto f = Header(kFirst);
             Put16(f, 0x000F);
             Put32(f, 0x7FFFFFF0);
             return f;
         }},
        {"endless loop",
         [] {
             auto f = Header(kFirst);
             Put16(f, 0x000F);
             Put32(f, kFirst);
             return f;
         }},
        {"command of another family",
         [] {
             auto f = Header(kFirst);
             Put16(f, 0x0077);
             Put16(f, 0);
             return f;
         }},
    };
    for (const BadCase& bc : cases) {
        SCOPED_TRACE(bc.name);
        h.boxes().clear();
        WriteTalkFile(1, bc.make());
        StartTalk(1, 1);
        for (int i = 0; i < 5; ++i) Talk(&gTalkContext);
        EXPECT_FALSE(TalkRunning());
        EXPECT_EQ(h.boxes().size(), 1u);
        EXPECT_FALSE(gTalkFlags & kTalkLockBit);
    }
}

TEST_F(TalkTest, UndefinedCommandNamesBothOpcodes) {
    auto f = Header(kFirst);
    Put16(f, 0x0402);
    Put16(f, 0x00BA);
    WriteTalkFile(1, f);
    RunTalk(1);
    ASSERT_EQ(h.boxes().size(), 1u);
    EXPECT_EQ(h.boxes()[0].text, Utf8ToBig5("沒有指令(186,ba),(1026,402)"));
    EXPECT_EQ(h.boxes()[0].caption, Utf8ToBig5("對話系統"));
}

TEST_F(TalkTest, EveryTableRowHasTheLengthItsSignatureGives) {
    for (const Command& c : CommandTable()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindCommand(c.op), &c);
        EXPECT_EQ(FindCommandByName(c.name), &c);
        bool variable = std::string(c.sig).find_first_of("XFJGHN") != std::string::npos;
        if (variable) continue;
        std::vector<u8> bytes(64, 0);
        StoreU16(bytes.data(), c.op);
        u32 len = 0, want = 2;
        for (const char* s = c.sig; *s; ++s) want += *s == 'z' ? 2 : OperandSize(*s);
        ASSERT_EQ(CommandLength(c, bytes.data(), 64, &len, nullptr), LenResult::Ok);
        EXPECT_EQ(len, want);
        EXPECT_EQ(CommandLength(c, bytes.data(), want - 1, &len, nullptr),
                  want > 2 ? LenResult::Short : LenResult::Ok);
    }
}

}  // namespace
