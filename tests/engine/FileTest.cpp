// cFile and cDataFile: end-of-file behaviour, the sticky transfer count,
// Windows paths, formatted lines, tags and bounded strings.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "engine/File.h"
#include "engine/MemDbg.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"
#include "shell/Settings.h"
#include "data/Options.h"
#include "ui/SaveFile.h"
#include "support/Harness.h"

namespace {

std::vector<u8> Ints(std::initializer_list<i32> values) {
    std::vector<u8> out;
    for (i32 v : values)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<u8>(static_cast<u32>(v) >> (8 * i)));
    return out;
}

// A temporary folder; files written into it and opened from it.
struct Files : testing::Test {
    Harness h;
    std::string Put(const std::string& name, const std::vector<u8>& bytes) {
        WriteHostFile(h.Path(name), bytes);
        return h.Path(name);
    }
    template <class F>
    int Open(F& f, const std::string& name, u32 how = OPEN_EXISTING, u32 access = GENERIC_READ) {
        return f.Open(h.Path(name).c_str(), how, access);
    }
};

// A folder, a pipe or a loop of links at Env.dat, Save/Option.sav or
// Save/Quick.sav opens at once (no wait for a pipe's other end) as no file, for
// reading or writing anew; its reader names it, not a regular file, in one line.
TEST_F(Files, WhatIsNoRegularFileIsNamedAsSuch) {
    namespace fs = std::filesystem;
    fs::create_directories(h.Path("Save"));
    const std::pair<const char*, void (*)()> readers[] = {
        {"Env.dat",
         [] {
             EnvValues v;
             EXPECT_EQ(ReadEnvFile(&v), 0);
         }},
        {"Save/Option.sav", [] { LoadOptions(); }},
        {"Save/Quick.sav", [] { EXPECT_EQ(FindQuickSave(), 0); }},
    };
    for (const auto& [name, read] : readers)
        for (const std::string kind : {"folder", "pipe", "loop"}) {
            SCOPED_TRACE(std::string(name) + ", a " + kind);
            const std::string path = h.Path(name);
            if (kind == "folder")
                fs::create_directory(path);
            else if (kind == "pipe")
                ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
            else
                fs::create_symlink(fs::path(path).filename(), path);
            // Written anew, the name is refused at once too.
            cFile w;
            EXPECT_EQ(w.Open(path.c_str(), CREATE_ALWAYS, GENERIC_WRITE), 0);
            EXPECT_STREQ(w.GetErrorText(), kNotRegularFile);
            testing::internal::CaptureStderr();
            read();
            const std::string err = testing::internal::GetCapturedStderr();
            fs::remove(path);
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
            EXPECT_EQ(err.rfind(path + ": cannot be ", 0), 0u) << err;
            EXPECT_NE(err.find("(not a regular file)"), std::string::npos) << err;
        }
}

TEST_F(Files, ReadsViewsSharingPathsLinesTagsAndBoundedStrings) {
    Put("a.bin", {1, 2, 3, 4, 5, 6});
    cFile f;
    EXPECT_EQ(f.SeekSet(0), 0u);  // closed
    ASSERT_EQ(Open(f, "a.bin"), 1);
    // Seeks and the position they report, then a read into a value that held
    // 0xDEADBEEF: short reads store the bytes that came, low first, and keep
    // the rest.
    const struct {
        bool fromEnd;
        i32 at;
        u32 pos, dword;
    } reads[] = {{false, 0, 1, 0x04030201}, {true, 0, 7, 0xDEADBEEF}, {false, 4, 5, 0xDEAD0605}};
    for (const auto& r : reads) {
        EXPECT_EQ(r.fromEnd ? f.SeekEnd(r.at) : f.SeekSet(r.at), r.pos);
        u32 v = 0xDEADBEEF;
        EXPECT_EQ((std::pair{f.ReadDword(&v), v}), std::pair(1, r.dword)) << r.at;
    }
    EXPECT_EQ(f.SeekSet(5), 6u);
    u16 w = 0xBEEF;
    EXPECT_EQ((std::pair{f.ReadWord(&w), w}), std::pair(1, u16{0xBE06}));
    u8 buf[4];
    u32 n = 0;
    EXPECT_EQ(std::tuple(f.Read(buf, &n), f.GetSize()), std::tuple(0, 6u));  // a count of 0 fails
    EXPECT_EQ((std::pair{f.Close(), f.GetSize()}), std::pair(1, 0xFFFFFFFFu));
    // Views, and strings cut to fit or ended by the file.
    Put("v.bin", {'a', 'b', 0, 'c', 'd', 'e', 'f', 0, 'g'});
    cFile vf;
    ASSERT_EQ(Open(vf, "v.bin"), 1);
    ASSERT_EQ(vf.CreateMapping(), 1);
    const u8* view = vf.MapView(3, 0);
    ASSERT_NE(view, nullptr);
    int other = 0;
    EXPECT_EQ(vf.CloseView(&other), 0);  // not this file's view: left mapped
    EXPECT_EQ(std::string(view, view + 2), "cd");
    EXPECT_EQ(vf.CloseView(view), 1);
    EXPECT_EQ(vf.MapView(100, 0), nullptr);
    vf.SeekSet(0);
    // "cdef" is cut to fit; the file ends before the zero after "g".
    for (auto [ok, text] : {std::pair{1, "ab"}, {1, "cde"}, {0, "g"}}) {
        char str[4];
        EXPECT_EQ(vf.ReadString(str, sizeof(str)), ok);
        EXPECT_STREQ(str, text);
    }
    // Open files are not shared; read-only ones open for writing; Windows paths work.
    Put("s.bin", {1});
    cFile a, b;
    ASSERT_EQ(Open(a, "s.bin"), 1);
    EXPECT_EQ(Open(b, "s.bin"), 0);
    EXPECT_STRNE(b.GetErrorText(), "");
    a.Close();
    EXPECT_EQ(Open(b, "s.bin"), 1);
    ::chmod(Put("ro.bin", {9}).c_str(), 0444);
    cFile ro;
    EXPECT_EQ((std::pair{Open(ro, "ro.bin", OPEN_EXISTING, GENERIC_READ | GENERIC_WRITE),
                         ro.WriteByte(7)}),
              std::pair(1, 1));
    // Mixed-case and backslashed paths.
    for (const char* dir : {"MH_Data", "save"}) std::filesystem::create_directories(h.Path(dir));
    Put("MH_Data/battlefield.dat", {7, 7});
    cFile pf;
    std::string win = std::string(gBasePath) + "MH_DATA\\\\BattleField.DAT";
    ASSERT_EQ(pf.Open(win.c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    EXPECT_EQ(pf.GetSize(), 2u);
    pf.Close();
    // A new file inside an existing folder of another case.
    std::string save = std::string(gBasePath) + "Save\\MH01.sav";
    ASSERT_EQ(pf.Open(save.c_str(), CREATE_ALWAYS, GENERIC_WRITE), 1);
    pf.Close();
    EXPECT_TRUE(std::filesystem::exists(h.Path("save/MH01.sav")));
    // Printf writes the line and CR LF.
    ASSERT_EQ(Open(pf, "p.txt", CREATE_ALWAYS, GENERIC_WRITE), 1);
    std::string lng(400, 'x');
    EXPECT_EQ((std::pair{pf.Printf("%d", 5), pf.Printf("%s", lng.c_str())}), std::pair(1, 1));
    pf.Close();
    std::string lines = "5\r\n" + std::string(255, 'x') + "\r\n";  // cut at 255 characters
    EXPECT_EQ(ReadHostFile(h.Path("p.txt")), std::vector<u8>(lines.begin(), lines.end()));
    // cDataFile::WriteTag writes five integers.
    cDataFile tf;
    ASSERT_EQ(Open(tf, "t.bin", CREATE_ALWAYS, GENERIC_WRITE), 1);
    for (const char* tag : {"MHsv", "\200abc"}) EXPECT_EQ(tf.WriteTag(tag), 1);
    tf.Close();
    EXPECT_EQ(ReadHostFile(h.Path("t.bin")), Ints({4, 'M', 'H', 's', 'v', 4, -128, 'a', 'b', 'c'}));
    // The data file transfer count stays sticky; bad string lengths are refused.
    Put("d.bin", {11, 0, 0, 0, 22, 0, 0, 0, 0x33});  // two integers and a byte
    cDataFile df;
    ASSERT_EQ(Open(df, "d.bin"), 1);
    i32 iv = 0;
    // Two whole values, then one byte left: a short transfer that keeps iv; then
    // at the end: done, nothing moved; from then on every transfer fails.
    for (auto want : {std::pair{1, 11}, {1, 22}, {1, 22}, {1, 22}, {0, 22}})
        EXPECT_EQ((std::pair{df.ReadInt(&iv), iv}), want);
    df.file().SeekSet(0);
    EXPECT_EQ(df.ReadInt(&iv), 0);
    df.Close();
    ASSERT_EQ(Open(df, "d.bin"), 1);
    EXPECT_EQ((std::pair{df.ReadInt(&iv), iv}), std::pair(1, 11));
    // A string of three bytes (the integer's low byte each); lengths out of
    // range, one that fits 255 but not the caller's buffer of four, and a file
    // that ends inside the text are refused.
    const struct {
        std::vector<u8> bytes;
        size_t room;
        const char* text;  // what is read; "" where the length itself is refused
    } strings[] = {{Ints({3, 'a', 'b', 0x1C1}), 256, "ab\xC1"},
                   {Ints({1000000, 'x', 'y'}), 256, ""},
                   {Ints({-5, 'x', 'y'}), 256, ""},
                   {Ints({256, 'x', 'y'}), 256, ""},
                   {Ints({5, 'a', 'b', 'c', 'd', 'e'}), 4, nullptr},
                   {Ints({5, 'a'}), 256, nullptr}};
    for (const auto& c : strings) {
        cDataFile sf;
        Put("str.bin", c.bytes);
        ASSERT_EQ(Open(sf, "str.bin"), 1);
        char buf[256];
        std::memset(buf, 'q', sizeof(buf));
        bool ok = c.text && *c.text;
        EXPECT_EQ(sf.ReadString(buf, c.room), ok ? buf : nullptr) << c.bytes[0];
        if (c.text) {
            EXPECT_EQ(std::string(buf), c.text);
        }
    }
}

class MemDbgTest : public ::testing::Test {
protected:
    void SetUp() override {
        MemDbgInit();
        MemDbgSetSink([this](const std::string& m) { messages.push_back(m); });
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
    EXPECT_EQ(std::tuple(messages.size(), MemDbgGetStats().nextSerial), std::tuple(0u, 5u));
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
