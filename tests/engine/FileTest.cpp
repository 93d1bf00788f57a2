// cFile and cDataFile: end-of-file behaviour, the sticky transfer count,
// Windows paths, formatted lines, tags and bounded strings.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <tuple>

#include "engine/File.h"
#include "shell/Settings.h"
#include "platform/HostFs.h"
#include "support/Harness.h"

namespace {
std::vector<u8> Ints(std::initializer_list<i32> values) {
    std::vector<u8> out;
    for (i32 v : values)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<u8>(static_cast<u32>(v) >> (8 * i)));
    return out;
}
}  // namespace

TEST(File, EndOfFileReadsSucceedAndLeaveTheDestination) {
    Harness h;
    WriteHostFile(h.Path("a.bin"), {1, 2, 3, 4, 5, 6});
    cFile f;
    EXPECT_EQ(f.SeekSet(0), 0u);  // closed
    ASSERT_EQ(f.Open(h.Path("a.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    EXPECT_EQ(f.SeekSet(0), 1u);
    u32 v = 0;
    EXPECT_EQ(f.ReadDword(&v), 1);
    EXPECT_EQ(v, 0x04030201u);
    EXPECT_EQ(f.SeekEnd(0), 7u);
    v = 0xDEADBEEF;
    EXPECT_EQ(f.ReadDword(&v), 1);
    EXPECT_EQ(v, 0xDEADBEEFu);
    // Short reads store the bytes that came, low first, and keep the rest.
    EXPECT_EQ(f.SeekSet(4), 5u);
    EXPECT_EQ(f.ReadDword(&v), 1);
    EXPECT_EQ(v, 0xDEAD0605u);
    EXPECT_EQ(f.SeekSet(5), 6u);
    u16 w = 0xBEEF;
    EXPECT_EQ(f.ReadWord(&w), 1);
    EXPECT_EQ(w, 0xBE06u);
    u8 buf[4];
    u32 n = 0;
    EXPECT_EQ(f.Read(buf, &n), 0);  // a count of 0 fails
    EXPECT_EQ(f.GetSize(), 6u);
    EXPECT_EQ(f.Close(), 1);
    EXPECT_EQ(f.GetSize(), 0xFFFFFFFFu);
}

TEST(File, OpenFilesAreNotShared) {
    Harness h;
    WriteHostFile(h.Path("s.bin"), {1});
    cFile a, b;
    ASSERT_EQ(a.Open(h.Path("s.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    EXPECT_EQ(b.Open(h.Path("s.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 0);
    EXPECT_STRNE(b.GetErrorText(), "");
    a.Close();
    EXPECT_EQ(b.Open(h.Path("s.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
}

TEST(File, ReadOnlyFileOpensForWriting) {
    Harness h;
    WriteHostFile(h.Path("ro.bin"), {9});
    ::chmod(h.Path("ro.bin").c_str(), 0444);
    cFile f;
    EXPECT_EQ(f.Open(h.Path("ro.bin").c_str(), OPEN_EXISTING, GENERIC_READ | GENERIC_WRITE), 1);
    EXPECT_EQ(f.WriteByte(7), 1);
}

TEST(File, MixedCaseAndBackslashedPaths) {
    Harness h;
    std::filesystem::create_directories(h.Path("MH_Data"));
    std::filesystem::create_directories(h.Path("save"));
    WriteHostFile(h.Path("MH_Data/battlefield.dat"), {7, 7});
    cFile f;
    std::string win = std::string(gBasePath) + "MH_DATA\\\\BattleField.DAT";
    ASSERT_EQ(f.Open(win.c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    EXPECT_EQ(f.GetSize(), 2u);
    f.Close();
    // A new file inside an existing folder of another case.
    std::string save = std::string(gBasePath) + "Save\\MH01.sav";
    ASSERT_EQ(f.Open(save.c_str(), CREATE_ALWAYS, GENERIC_WRITE), 1);
    f.Close();
    EXPECT_TRUE(std::filesystem::exists(h.Path("save/MH01.sav")));
    EXPECT_EQ(HostPath("D:\\x"), "/nonexistent-drive-D/x");
}

TEST(File, PrintfWritesTheLineAndCrLf) {
    Harness h;
    cFile f;
    ASSERT_EQ(f.Open(h.Path("p.txt").c_str(), CREATE_ALWAYS, GENERIC_WRITE), 1);
    EXPECT_EQ(f.Printf("%d", 5), 1);
    std::string lng(400, 'x');
    EXPECT_EQ(f.Printf("%s", lng.c_str()), 1);  // cut at 255 characters
    f.Close();
    std::vector<u8> got = ReadHostFile(h.Path("p.txt"));
    ASSERT_EQ(got.size(), 3u + 255u + 2u);
    EXPECT_EQ(std::tuple(got[0], got[1], got[2], got[3 + 254], got[3 + 255]),
              std::tuple('5', '\r', '\n', 'x', '\r'));
}

TEST(File, ViewsAndStrings) {
    Harness h;
    WriteHostFile(h.Path("v.bin"), {'a', 'b', 0, 'c', 'd', 'e', 'f', 0, 'g'});
    cFile f;
    ASSERT_EQ(f.Open(h.Path("v.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    ASSERT_EQ(f.CreateMapping(), 1);
    const u8* view = f.MapView(3, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[0], 'c');
    int other = 0;
    EXPECT_EQ(f.CloseView(&other), 0);  // not this file's view: left mapped
    EXPECT_EQ(view[1], 'd');
    EXPECT_EQ(f.CloseView(view), 1);
    EXPECT_EQ(f.MapView(100, 0), nullptr);
    char s[4];
    f.SeekSet(0);
    EXPECT_EQ(f.ReadString(s, sizeof(s)), 1);
    EXPECT_STREQ(s, "ab");
    EXPECT_EQ(f.ReadString(s, sizeof(s)), 1);  // "cdef" cut to fit
    EXPECT_STREQ(s, "cde");
    EXPECT_EQ(f.ReadString(s, sizeof(s)), 0);  // the file ends before the zero
    EXPECT_STREQ(s, "g");
}

TEST(DataFile, TransferCountStaysStickyUntilReopened) {
    Harness h;
    auto bytes = Ints({11, 22});
    bytes.push_back(0x33);
    WriteHostFile(h.Path("d.bin"), bytes);
    cDataFile f;
    ASSERT_EQ(f.Open(h.Path("d.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    i32 v = 0;
    EXPECT_EQ(f.ReadInt(&v), 1);
    EXPECT_EQ(v, 11);
    EXPECT_EQ(f.ReadInt(&v), 1);
    EXPECT_EQ(v, 22);
    v = -7;
    EXPECT_EQ(f.ReadInt(&v), 1);  // one byte left: a short transfer
    EXPECT_EQ(v, -7);
    EXPECT_EQ(f.ReadInt(&v), 1);  // now at the end: done, nothing moved
    EXPECT_EQ(f.ReadInt(&v), 0);  // and from now on every transfer fails
    f.file().SeekSet(0);
    EXPECT_EQ(f.ReadInt(&v), 0);
    EXPECT_EQ(v, -7);
    f.Close();
    ASSERT_EQ(f.Open(h.Path("d.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    EXPECT_EQ(f.ReadInt(&v), 1);
    EXPECT_EQ(v, 11);
}

TEST(DataFile, WriteTagWritesFiveIntegers) {
    Harness h;
    cDataFile f;
    ASSERT_EQ(f.Open(h.Path("t.bin").c_str(), CREATE_ALWAYS, GENERIC_WRITE), 1);
    EXPECT_EQ(f.WriteTag("MHsv"), 1);
    EXPECT_EQ(f.WriteTag("\x80"
                         "abc"),
              1);
    f.Close();
    std::vector<u8> got = ReadHostFile(h.Path("t.bin"));
    std::vector<u8> want = Ints({4, 'M', 'H', 's', 'v', 4});
    want.insert(want.end(), {0x80, 0xFF, 0xFF, 0xFF});
    auto rest = Ints({'a', 'b', 'c'});
    want.insert(want.end(), rest.begin(), rest.end());
    EXPECT_EQ(got, want);
}

TEST(DataFile, StringsWithBadLengthsAreRefused) {
    Harness h;
    std::vector<u8> good = Ints({3, 'a', 'b', 0x1C1});
    WriteHostFile(h.Path("ok.bin"), good);
    cDataFile f;
    char buf[256];
    ASSERT_EQ(f.Open(h.Path("ok.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    ASSERT_NE(f.ReadString(buf, sizeof(buf)), nullptr);
    EXPECT_EQ(std::string(buf), std::string("ab\xC1"));
    f.Close();
    for (i32 len : {1000000, -5, 256}) {
        WriteHostFile(h.Path("bad.bin"), Ints({len, 'x', 'y'}));
        ASSERT_EQ(f.Open(h.Path("bad.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
        std::memset(buf, 'q', sizeof(buf));
        EXPECT_EQ(f.ReadString(buf, sizeof(buf)), nullptr) << len;
        EXPECT_EQ(buf[0], 0);
        f.Close();
    }
    // A length that fits 255 but not the caller's buffer.
    WriteHostFile(h.Path("small.bin"), Ints({5, 'a', 'b', 'c', 'd', 'e'}));
    ASSERT_EQ(f.Open(h.Path("small.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    char tiny[4];
    EXPECT_EQ(f.ReadString(tiny, sizeof(tiny)), nullptr);
    f.Close();
    // A file that ends inside the text.
    WriteHostFile(h.Path("cut.bin"), Ints({5, 'a'}));
    ASSERT_EQ(f.Open(h.Path("cut.bin").c_str(), OPEN_EXISTING, GENERIC_READ), 1);
    EXPECT_EQ(f.ReadString(buf, sizeof(buf)), nullptr);
}
