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

}  // namespace

TEST_F(Files, EndOfFileReadsViewsAndStrings) {
    Put("a.bin", {1, 2, 3, 4, 5, 6});
    cFile f;
    EXPECT_EQ(f.SeekSet(0), 0u);  // closed
    ASSERT_EQ(Open(f, "a.bin"), 1);
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
    // Views, and strings cut to fit or ended by the file.
    Put("v.bin", {'a', 'b', 0, 'c', 'd', 'e', 'f', 0, 'g'});
    cFile vf;
    ASSERT_EQ(Open(vf, "v.bin"), 1);
    ASSERT_EQ(vf.CreateMapping(), 1);
    const u8* view = vf.MapView(3, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[0], 'c');
    int other = 0;
    EXPECT_EQ(vf.CloseView(&other), 0);  // not this file's view: left mapped
    EXPECT_EQ(view[1], 'd');
    EXPECT_EQ(vf.CloseView(view), 1);
    EXPECT_EQ(vf.MapView(100, 0), nullptr);
    char str[4];
    vf.SeekSet(0);
    EXPECT_EQ(vf.ReadString(str, sizeof(str)), 1);
    EXPECT_STREQ(str, "ab");
    EXPECT_EQ(vf.ReadString(str, sizeof(str)), 1);  // "cdef" cut to fit
    EXPECT_STREQ(str, "cde");
    EXPECT_EQ(vf.ReadString(str, sizeof(str)), 0);  // the file ends before the zero
    EXPECT_STREQ(str, "g");
}

TEST_F(Files, OpenFilesAreNotSharedReadOnlyOnesOpenForWritingAndWindowsPathsWork) {
    Put("s.bin", {1});
    cFile a, b;
    ASSERT_EQ(Open(a, "s.bin"), 1);
    EXPECT_EQ(Open(b, "s.bin"), 0);
    EXPECT_STRNE(b.GetErrorText(), "");
    a.Close();
    EXPECT_EQ(Open(b, "s.bin"), 1);
    ::chmod(Put("ro.bin", {9}).c_str(), 0444);
    cFile f;
    EXPECT_EQ(Open(f, "ro.bin", OPEN_EXISTING, GENERIC_READ | GENERIC_WRITE), 1);
    EXPECT_EQ(f.WriteByte(7), 1);
    // Mixed-case and backslashed paths.
    std::filesystem::create_directories(h.Path("MH_Data"));
    std::filesystem::create_directories(h.Path("save"));
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
    EXPECT_EQ(HostPath("D:\\x"), "/nonexistent-drive-D/x");
}

TEST_F(Files, PrintfWritesTheLineAndCrLfAndWriteTagFiveIntegers) {
    cFile f;
    ASSERT_EQ(Open(f, "p.txt", CREATE_ALWAYS, GENERIC_WRITE), 1);
    EXPECT_EQ(f.Printf("%d", 5), 1);
    std::string lng(400, 'x');
    EXPECT_EQ(f.Printf("%s", lng.c_str()), 1);  // cut at 255 characters
    f.Close();
    std::vector<u8> got = ReadHostFile(h.Path("p.txt"));
    ASSERT_EQ(got.size(), 3u + 255u + 2u);
    EXPECT_EQ(std::tuple(got[0], got[1], got[2], got[3 + 254], got[3 + 255]),
              std::tuple('5', '\r', '\n', 'x', '\r'));
    // cDataFile::WriteTag writes five integers.
    cDataFile tf;
    ASSERT_EQ(Open(tf, "t.bin", CREATE_ALWAYS, GENERIC_WRITE), 1);
    EXPECT_EQ(tf.WriteTag("MHsv"), 1);
    EXPECT_EQ(tf.WriteTag("\x80"
                          "abc"),
              1);
    tf.Close();
    std::vector<u8> tag = Ints({4, 'M', 'H', 's', 'v', 4, -128, 'a', 'b', 'c'});
    EXPECT_EQ(ReadHostFile(h.Path("t.bin")), tag);
}

TEST_F(Files, DataFileTransferCountStaysStickyAndBadStringLengthsAreRefused) {
    auto bytes = Ints({11, 22});
    bytes.push_back(0x33);
    Put("d.bin", bytes);
    cDataFile f;
    ASSERT_EQ(Open(f, "d.bin"), 1);
    i32 v = 0;
    // Two whole values, then one byte left: a short transfer that keeps v; then
    // at the end: done, nothing moved; from then on every transfer fails.
    for (auto [ok, want] : {std::pair{1, 11}, {1, 22}, {1, 22}, {1, 22}, {0, 22}}) {
        EXPECT_EQ(f.ReadInt(&v), ok);
        EXPECT_EQ(v, want);
    }
    f.file().SeekSet(0);
    EXPECT_EQ(f.ReadInt(&v), 0);
    f.Close();
    ASSERT_EQ(Open(f, "d.bin"), 1);
    EXPECT_EQ(f.ReadInt(&v), 1);
    EXPECT_EQ(v, 11);
    Put("ok.bin", Ints({3, 'a', 'b', 0x1C1}));
    cDataFile sf;
    char buf[256];
    ASSERT_EQ(Open(sf, "ok.bin"), 1);
    ASSERT_NE(sf.ReadString(buf, sizeof(buf)), nullptr);
    EXPECT_EQ(std::string(buf), std::string("ab\xC1"));
    sf.Close();
    // Lengths out of range, one that fits 255 but not the caller's buffer of
    // four, and a file that ends inside the text.
    const struct {
        std::vector<u8> bytes;
        size_t room;
        bool cleared;  // the length itself refused: nothing read, the text emptied
    } bad[] = {{Ints({1000000, 'x', 'y'}), 256, true},
               {Ints({-5, 'x', 'y'}), 256, true},
               {Ints({256, 'x', 'y'}), 256, true},
               {Ints({5, 'a', 'b', 'c', 'd', 'e'}), 4, false},
               {Ints({5, 'a'}), 256, false}};
    for (const auto& b : bad) {
        Put("bad.bin", b.bytes);
        ASSERT_EQ(Open(sf, "bad.bin"), 1);
        std::memset(buf, 'q', sizeof(buf));
        EXPECT_EQ(sf.ReadString(buf, b.room), nullptr) << b.bytes[0];
        EXPECT_TRUE(!b.cleared || buf[0] == 0);
        sf.Close();
    }
}
