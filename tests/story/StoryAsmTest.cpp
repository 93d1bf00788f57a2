// The story-script assembler and disassembler, and the sample game's talks.
#include "mhdata/StoryAsm.h"

#include <gtest/gtest.h>

#include "base/ByteIo.h"
#include "mhdata/SampleTalks.h"
#include "platform/TextCodec.h"
#include "story/TalkCommands.h"

namespace {

TEST(StoryAsm, SampleTalksRoundTrip) {
    std::vector<u8> a, b;
    std::string error, text;
    ASSERT_TRUE(AssembleTalkFile(SampleTalkSource(), &a, &error)) << error;
    ASSERT_TRUE(DisassembleTalkFile(a, &text, &error)) << error;
    ASSERT_TRUE(AssembleTalkFile(text, &b, &error)) << error << "\n" << text;
    EXPECT_EQ(a, b);
}

TEST(StoryAsm, LayoutOfACommandWithTextAndTarget) {
    std::vector<u8> f;
    std::string error;
    ASSERT_TRUE(AssembleTalkFile("talk 3\nx:\n Say 0xFFF0 \"月a\"\n Jump @x\n", &f, &error))
        << error;
    u32 first = 4 * kTalkEntries;
    EXPECT_EQ(LoadU32(&f[kTalkBase + 12]), first);
    const u8* p = &f[kTalkBase + first];
    EXPECT_EQ(LoadU16(p), 0x0001);
    EXPECT_EQ(LoadU16(p + 2), 0xFFF0);
    std::string big5 = Utf8ToBig5("月a");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p + 4), 3), big5);
    EXPECT_EQ(p[7], ' ');  // padded to an even length
    EXPECT_EQ(LoadU16(p + 8), kTextMark);
    EXPECT_EQ(LoadU16(p + 10), 0x000F);
    EXPECT_EQ(LoadU32(p + 12), first);  // counted from 0x200
}

// Each command: its word, then its operand words, and nothing more, as the
// interpreter's table measures it.
TEST(StoryAsm, LayoutOfTheHeadAndObjectCommands) {
    const std::tuple<const char*, std::vector<u16>> rows[] = {
        {"AddRoleHead 20 1 100 0x8032", {0x51, 20, 1, 100, 0x8032}},
        {"DismissRoleHead 20 1", {0x52, 20, 1}},
        {"ShowRoleHead 21 2 400 60", {0x56, 21, 2, 400, 60}},
        {"ReleaseRoleHeads", {0x136}},
        {"AddAntiAliasObject 20 0 300 0x8010", {0xD8, 20, 0, 300, 0x8010}},
        {"RemoveAntiAliasObject 20 0", {0xD9, 20, 0}},
        {"ReplaceAntiAliasObjects 7 8 9 10", {0xDA, 7, 8, 9, 10}},
    };
    for (const auto& [src, words] : rows) {
        SCOPED_TRACE(src);
        std::vector<u8> f;
        std::string error;
        ASSERT_TRUE(AssembleTalkFile(std::string("talk 1\n ") + src + "\n End\n", &f, &error))
            << error;
        const u8* p = &f[kTalkBase + LoadU32(&f[kTalkBase + 4])];
        for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(LoadU16(p + 2 * i), words[i]) << i;
        const Command* cmd = FindCommand(words[0]);
        ASSERT_NE(cmd, nullptr);
        u32 len = 0;
        ASSERT_EQ(CommandLength(*cmd, p, 64, &len, nullptr), LenResult::Ok);
        EXPECT_EQ(len, 2 * words.size());
        EXPECT_EQ(LoadU16(p + len), 0x3FFF);
    }
}

TEST(StoryAsm, AssemblerAndDisassemblerRefuseBadInput) {
    const char* bad[] = {
        "talk 1\n NoSuchCommand\n", "talk 1\n Jump @nowhere\n", "talk 1\n Set 5\n",
        "talk 1\n Set 5 6 7\n",     "talk 1\n Set 5 40000\n",   "talk 1\n Say 1 \"a%Qb\"\n",
        "talk 1\n Say 1 \"open\n",  "talk 1\nx:\nx:\n End\n",   "talk 1\ntalk 1\n End\n",
    };
    for (const char* src : bad) {
        std::vector<u8> f;
        std::string error;
        EXPECT_FALSE(AssembleTalkFile(src, &f, &error)) << src;
        EXPECT_NE(error.find("line "), std::string::npos) << src;
    }
    std::vector<u8> f;
    std::string error, text;
    ASSERT_TRUE(AssembleTalkFile("talk 1\n Jump @x\nx:\n End\n", &f, &error));
    EXPECT_FALSE(DisassembleTalkFile(std::vector<u8>(f.begin(), f.begin() + 100), &text, &error));
    std::vector<u8> odd = f;
    StoreU32(&odd[odd.size() - 6], 4 * kTalkEntries + 1);  // the jump's target inside a command
    EXPECT_FALSE(DisassembleTalkFile(odd, &text, &error));
    std::vector<u8> cut(f.begin(), f.end() - 3);
    EXPECT_FALSE(DisassembleTalkFile(cut, &text, &error));
}

}  // namespace
