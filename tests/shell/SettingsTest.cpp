// The settings file: the installer's writing, reading, conversion and bad files.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <tuple>

#include "platform/FileCalls.h"
#include "engine/ErrorBox.h"
#include "shell/Main.h"
#include "shell/Settings.h"
#include "support/Harness.h"

namespace {

// The head, then the root, the CD path, each ended by a zero, and the install mode.
std::vector<u8> WithPaths(std::vector<u8> b, const std::string& root, const std::string& cd,
                          u8 mode) {
    for (const std::string& path : {root, cd}) {
        b.insert(b.end(), path.begin(), path.end());
        b.push_back(0);
    }
    b.push_back(mode);
    return b;
}

// The current format: the mark, 42 bytes of keys and values, the paths, the mode and a zero.
std::vector<u8> EnvBytes(const std::string& root, const std::string& cd, u8 mode, u8 scene) {
    const u8 head[] = {0xFF, 0xFF, 0xFF, 0xFF, 200, 208, 203, 205, 57, 28, 157, 1,  207,   54, 19,
                       30,   34,   59,   201,  209, 100, 0,   0,   0,  6,  6,   60, scene, 2,  10};
    std::vector<u8> b(46, 0);
    std::copy(std::begin(head), std::end(head), b.begin());
    b = WithPaths(b, root, cd, mode);
    b.push_back(0);
    return b;
}

// The older format: no mark, 42 bytes of keys and values, then the paths and the mode.
std::vector<u8> OldEnvBytes(const std::string& root, const std::string& cd, u8 mode) {
    std::vector<u8> b(42, 0);
    std::fill(b.begin(), b.begin() + 16, 1);
    return WithPaths(b, root, cd, mode);
}

// Each test in a harness of its own, its folder the game's.
struct Settings : ::testing::Test {
    Harness h;
};

}  // namespace

// The installer's command line, an install mode of 1 or 2 followed at once by
// a folder ending in a separator, writes Env.dat there and ends with 0; any
// other gets the form in one line, fails and writes nothing. A write that
// fails (a root that does not exist, a full disk) fails and names Env.dat.
TEST_F(Settings, OnlyTheInstallersCommandLineWritesEnvDat) {
    const std::string root = h.root(), form = "moonharbor: not the installer's command line";
    auto mode = [&] {
        const std::vector<u8> env = ReadHostFile(h.Path("Env.dat"));
        return env.size() < 2 ? -1 : env[env.size() - 2];
    };
    // The command line, a full disk, the status, how the one line on stderr
    // starts (none: empty), and the install mode in Env.dat after (-1: no file).
    const std::tuple<std::string, bool, int, std::string, int> cases[] = {
        {"--help", false, 1, form, -1},
        {"1", false, 1, form, -1},
        {"x" + root, false, 1, form, -1},
        {"3" + root, false, 1, form, -1},
        {"2" + root.substr(0, root.size() - 1), false, 1, form, -1},
        {root + "Save/Quick.sav", false, 1, form, -1},
        {"2" + root, false, 0, "", 2},
        {"1" + root + "missing/", false, 1, root + "missing/Env.dat: could not be written", 2},
        {"1" + root, true, 1, root + "Env.dat: could not be written", 2},
        {"1" + root, false, 0, "", 1},
    };
    for (const auto& [line, full, status, said, after] : cases) {
        SCOPED_TRACE(line);
        FsSetDiskFull(full);
        testing::internal::CaptureStderr();
        EXPECT_EQ(WinMain(nullptr, nullptr, line.c_str(), 1), status);
        const std::string err = testing::internal::GetCapturedStderr();
        FsSetDiskFull(false);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), said.empty() ? 0 : 1) << err;
        EXPECT_EQ(err.rfind(said, 0), 0u) << err;
        EXPECT_EQ(mode(), after);
        EXPECT_EQ(gMainWnd, nullptr);
    }
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")), EnvBytes(root, "", 1, 0));
    // A rewritten file is cut to its new length.
    EnvValues v;
    v.root = root + "a/much/longer/root/folder/than/later/";
    ASSERT_EQ(WriteEnvFileAtRoot(v), 1);
    v.root = root;
    ASSERT_EQ(WriteEnvFileAtRoot(v), 1);
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")), EnvBytes(root, "", 2, 0));
}

// The older format is converted on its first read; the next read finds the
// current one.
TEST_F(Settings, ReadingTheOldFormatBadFilesAndAStartKilledReplacingOne) {
    std::vector<u8> b = EnvBytes("C:\\Game\\", "E:\\", 1, 3);
    b[4] = 17;  // slot 4 (up) = W
    b[24] = 9;
    b[31] = 0xF8;  // red mask 0xF800 (byte 30 is 0)
    WriteHostFile(h.Path("Env.dat"), b);
    EnvValues v;
    ASSERT_EQ(ReadEnvFile(&v), 1);
    EXPECT_EQ(std::tie(v.root, v.cdPath), std::make_tuple("C:\\Game\\", "E:\\"));
    EXPECT_EQ(std::make_tuple(v.installMode, v.sfxVolume, v.sceneSwitch, v.stamp[0]),
              std::make_tuple(1, 9, 3, 0xF800));
    EXPECT_EQ(std::make_tuple(gMapKeyCodes[4], gMapKeyCodes[12], gMapKeyCodes[11]),
              std::make_tuple(17u, 28u, 0u));
    const std::string root = h.root();
    WriteHostFile(h.Path("Env.dat"), OldEnvBytes(root, "F:", 1));
    EXPECT_EQ(ReadEnvFile(&v), 0);
    EXPECT_EQ(std::tie(v.root, v.installMode), std::make_tuple(root, 1));
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")), EnvBytes(root, "F:", 1, 1));
    v.sceneSwitch = 0;
    EXPECT_EQ(ReadEnvFile(&v), 1);
    EXPECT_EQ(v.sceneSwitch, 1);
    // Bad files leave the preset values.
    EnvValues preset;
    preset.root = "keep";
    preset.sfxVolume = 4;
    // 10 KB of a valid head followed by a root with no end; a root that runs into
    // the end. (Files cut anywhere are the save tests' start after start.)
    std::vector<std::vector<u8>> files;
    files.push_back(EnvBytes("x", "", 2, 0));
    files.back().resize(46);
    files.back().resize(10 * 1024, 'r');
    files.push_back(EnvBytes("root", "", 2, 0));
    files.back().resize(46 + 4);
    // An older file whose root names no folder is not converted: the game
    // would look for everything there.
    files.push_back(OldEnvBytes(h.root() + "no-such-folder/", "F:", 1));
    const std::string base = gBasePath;
    for (const std::vector<u8>& f : files) {
        SCOPED_TRACE(testing::Message() << f.size() << " bytes");
        WriteHostFile(h.Path("Env.dat"), f);
        EnvValues v = preset;
        bool damaged = false;
        EXPECT_EQ(ReadEnvFile(&v, &damaged), 0);
        EXPECT_EQ(std::tie(damaged, v.root, v.sfxVolume), std::make_tuple(true, "keep", 4));
        EXPECT_EQ(ReadHostFile(h.Path("Env.dat")), f);
        EXPECT_EQ(gBasePath, base);
    }
    // A start that meets a damaged Env.dat and is killed at any file call on its
    // way leaves settings that the next start reads, the damaged file kept beside.
    std::vector<u8> damaged = EnvBytes(h.root(), "", 2, 0);
    damaged.back() = 7;  // a run mark neither 0 nor 1
    bool hit = true;
    for (u32 call = 1; hit; ++call) {
        SCOPED_TRACE(call);
        WriteHostFile(h.Path("Env.dat"), damaged);
        testing::internal::CaptureStderr();
        FsArmFault(call, FsFault::kStopBefore, EIO, false);
        ReadSettings();
        hit = FsFaultHit();
        ResetFileCalls();
        ReadSettings();
        testing::internal::GetCapturedStderr();
        EnvValues v;
        EXPECT_EQ(ReadEnvFile(&v), 1);
        EXPECT_EQ(ReadHostFile(h.Path("Env.dat.bad")), damaged);
    }
}
