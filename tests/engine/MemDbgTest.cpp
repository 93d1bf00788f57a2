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
    // Block n of ten bytes from alloc.cpp line 7 freed in free.cpp line 9 with
    // damage on one side, and the guard with the written byte at `at`.
    auto report = [](const char* side, int serial, size_t at, const char* byte) {
        std::string guard = Guard();
        return std::string(B5("Check::資料寫入不合法位置(")) + B5(side) + ")\n" + B5("    配置") +
               "alloc.cpp(7)(~" + std::to_string(serial) + ") size==10\n" + B5("    釋放") +
               "free.cpp(9)\n" + guard.replace(at, 2, byte);
    };
    // The written byte is the last of the 64 front-guard bytes; past the end,
    // the first of the back guard.
    for (int side : {-1, 10}) {
        u8* p = static_cast<u8*>(MemAlloc(10, 0, "alloc.cpp", 7));
        p[side] = side < 0 ? 0x41 : 0x42;
        MemFree(p, "free.cpp", 9);
    }
    EXPECT_EQ(messages, (std::vector{report("前端", 1, Guard().rfind("ce\n"), "41"),
                                     report("後端", 2, 4, "42")}));
    // A double free is reported, a free of null is not.
    messages.clear();
    void* q = MemAlloc(16, 0, "a.cpp", 1);
    MemFree(q, "b.cpp", 2);
    MemFree(nullptr, "a.cpp", 1);
    EXPECT_TRUE(messages.empty());
    MemFree(q, "b.cpp", 3);
    // Size zero is reported and still usable; a negative size is refused.
    q = MemAlloc(0, 0, "z.cpp", 5);
    ASSERT_NE(q, nullptr);
    MemFree(q, "z.cpp", 6);
    EXPECT_EQ(MemAlloc(-8, 0, "n.cpp", 1), nullptr);
    EXPECT_EQ(messages,
              (std::vector<std::string>{
                  std::string("FreeFail::b.cpp(3) ,") + B5("沒有這筆資料") + "\n",
                  std::string("AllocFail::") + B5("配置大小<=0") + " ,z.cpp(5) ,size==0\n\n",
                  std::string("AllocFail::") + B5("配置大小<=0") + " ,n.cpp(1) ,size==-8\n\n"}));
    EXPECT_EQ(MemDbgGetStats().curBlocks, 0);
}

TEST_F(MemDbgTest, ChecksRecycledRecordsAndAtExitLeaksAndStatistics) {
    u8* q = static_cast<u8*>(MemAlloc(100, 0, "c.cpp", 1));
    int local = 0;
    auto check = [&](const void* p, i32 n) { return MemCheck(p, n, "t.cpp", 1); };
    EXPECT_EQ(std::tuple(check(q, 100), check(q + 10, 90), check(q, 101), check(&local, 4),
                         check(nullptr, 4), check(q, -1)),
              std::tuple(1, 1, -3, -5, -1, -2));
    q[100] = 0;
    EXPECT_EQ(check(q, 100), -4);
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
    for (std::string text : std::vector<std::string>{
             "Leak::leak.cpp(42)(~8) ,size==33\n", "Leak::x.cpp(1)(~7) ,size==1\n",
             B5("最大總配置量 4KB"), B5("單一最大配置量 2KB"), B5("最多存在配置數 2")})
        EXPECT_TRUE(has(text)) << text;
    EXPECT_EQ(MemDbgGetStats().curBlocks, 0);
}
