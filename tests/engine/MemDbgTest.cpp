// The debug allocator's guard checks, reports and statistics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "base/MemDbg.h"
#include "platform/TextCodec.h"

namespace {

class MemDbgTest : public ::testing::Test {
protected:
    void SetUp() override {
        MemDbgInit();
        MemDbgSetSink([this](const std::string& m) { messages.push_back(m); });
        messages.clear();
    }
    void TearDown() override {
        MemDbgExit();
        MemDbgSetSink(nullptr);
    }
    std::vector<std::string> messages;
};

// The dump of a guard: four lines of sixteen bytes, each 0xCE, then a blank line.
std::string Guard() {
    const std::string row = "    cececece  cececece  cececece  cececece\n";
    return row + row + row + row + "\n";
}

}  // namespace

// Damage before and after a block is told by its side, with the guard dump
// showing the written byte.
TEST_F(MemDbgTest, DamageDoubleFreesAndBadSizesAreReported) {
    u8* p = static_cast<u8*>(MemAlloc(10, 0, "alloc.cpp", 7));
    p[-1] = 0x41;
    MemFree(p, "free.cpp", 9);
    ASSERT_EQ(messages.size(), 1u);
    std::string want = std::string(B5("Check::資料寫入不合法位置(前端)\n")) + B5("    配置") +
                       "alloc.cpp(7)(~1) size==10\n" + B5("    釋放") + "free.cpp(9)\n";
    // The written byte is the last of the 64 front-guard bytes.
    std::string guard = Guard();
    guard.replace(guard.rfind("ce\n"), 2, "41");
    EXPECT_EQ(messages[0], want + guard);
    // Past the end: the back alone, its first byte written.
    p = static_cast<u8*>(MemAlloc(10, 0, "alloc.cpp", 7));
    p[10] = 0x42;
    MemFree(p, "free.cpp", 9);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].find(B5("Check::資料寫入不合法位置(後端)\n")), 0u);
    guard = Guard();
    guard.replace(4, 2, "42");
    EXPECT_NE(messages[1].find(guard), std::string::npos);
    // A double free is reported, a free of null is not.
    messages.clear();
    void* q = MemAlloc(16, 0, "a.cpp", 1);
    MemFree(q, "b.cpp", 2);
    MemFree(nullptr, "a.cpp", 1);
    EXPECT_TRUE(messages.empty());
    MemFree(q, "b.cpp", 3);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], std::string("FreeFail::b.cpp(3) ,") + B5("沒有這筆資料") + "\n");
    // Size zero is reported and still usable; a negative size is refused.
    q = MemAlloc(0, 0, "z.cpp", 5);
    ASSERT_NE(q, nullptr);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1],
              std::string("AllocFail::") + B5("配置大小<=0") + " ,z.cpp(5) ,size==0\n\n");
    MemFree(q, "z.cpp", 6);
    EXPECT_EQ(MemAlloc(-8, 0, "n.cpp", 1), nullptr);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[2].find("size==-8"), std::string::npos);
    EXPECT_EQ(MemDbgGetStats().curBlocks, 0);
}

TEST_F(MemDbgTest, ChecksRecycledRecordsAndAtExitLeaksAndStatistics) {
    u8* q = static_cast<u8*>(MemAlloc(100, 0, "c.cpp", 1));
    EXPECT_EQ(MemCheck(q, 100, "t.cpp", 1), 1);
    EXPECT_EQ(MemCheck(q + 10, 90, "t.cpp", 2), 1);
    EXPECT_EQ(MemCheck(q, 101, "t.cpp", 3), -3);
    int local = 0;
    EXPECT_EQ(MemCheck(&local, 4, "t.cpp", 4), -5);
    EXPECT_EQ(MemCheck(nullptr, 4, "t.cpp", 5), -1);
    EXPECT_EQ(MemCheck(q, -1, "t.cpp", 6), -2);
    q[100] = 0;
    EXPECT_EQ(MemCheck(q, 100, "t.cpp", 7), -4);
    q[100] = 0xCE;
    MemFree(q, "c.cpp", 2);
    messages.clear();
    for (int round = 0; round < 3; ++round) {
        q = static_cast<u8*>(MemAllocZero(64, 0, "r.cpp", round));
        for (int i = 0; i < 64; ++i) ASSERT_EQ(q[i], 0);
        MemFree(q, "r.cpp", round);
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(MemDbgGetStats().nextSerial, 5u);
    // Blocks 5 and 6 at once; blocks 7 and 8 leak.
    void* a = MemAlloc(3000, 0, "s.cpp", 1);
    void* b = MemAlloc(2000, 0, "s.cpp", 2);
    MemFree(a, "s.cpp", 3);
    MemFree(b, "s.cpp", 4);
    MemDbgStats st = MemDbgGetStats();
    EXPECT_EQ(std::tuple(st.peakBytes, st.largest, st.peakBlocks), std::tuple(5000, 3000, 2));
    MemAlloc(1, 0, "x.cpp", 1);
    MemAlloc(33, 0, "leak.cpp", 42);
    MemDbgExit();
    auto has = [&](const std::string& text) {
        return std::any_of(messages.begin(), messages.end(),
                           [&](const std::string& m) { return m.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(has("Leak::leak.cpp(42)(~8) ,size==33\n"));
    EXPECT_TRUE(has("Leak::x.cpp(1)(~7) ,size==1\n"));
    EXPECT_TRUE(has(B5("最大總配置量 4KB")));
    EXPECT_TRUE(has(B5("單一最大配置量 2KB")));
    EXPECT_TRUE(has(B5("最多存在配置數 2")));
    EXPECT_EQ(MemDbgGetStats().curBlocks, 0);
}
