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

TEST_F(Settings, InstallerCommandLineAndRewritesWriteEnvDat) {
    // With no file at all, the base path is the current folder.
    gBasePath[0] = 0;
    ReadSettings();
    ASSERT_NE(gBasePath[0], 0);
    EXPECT_EQ(std::string(gBasePath).back(), '\\');
    EXPECT_EQ(gCdDrives[0], 0xFF);  // no disc drives here
    std::string bad = "x" + h.root(), good = "2" + h.root();
    EXPECT_EQ(WinMain(nullptr, nullptr, bad.c_str(), 1), 0);
    EXPECT_TRUE(ReadHostFile(h.Path("Env.dat")).empty()) << "the mode is not a digit";
    EXPECT_EQ(WinMain(nullptr, nullptr, good.c_str(), 1), 0);
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")), EnvBytes(h.root(), "", 2, 0));
    EXPECT_EQ(FindWindowA("Moonharbor", "Moonharbor"), nullptr);
    EXPECT_EQ(gMainWnd, nullptr);
    // A rewritten file is cut to its new length.
    EnvValues v;
    v.root = h.root() + "a/much/longer/root/folder/than/later/";
    ASSERT_EQ(WriteEnvFileAtRoot(v), 1);
    v.root = h.root();
    v.installMode = 1;
    ASSERT_EQ(WriteEnvFileAtRoot(v), 1);
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")), EnvBytes(h.root(), "", 1, 0));
    // An installer's run that cannot write fails and names Env.dat in one
    // line: a root that does not exist, and a full disk under the file there.
    for (const auto& [line, full] :
         {std::pair("2" + h.root() + "missing/", false), std::pair(good, true)}) {
        SCOPED_TRACE(line);
        FsSetDiskFull(full);
        testing::internal::CaptureStderr();
        EXPECT_EQ(WinMain(nullptr, nullptr, line.c_str(), 1), 1);
        std::string said = testing::internal::GetCapturedStderr();
        FsSetDiskFull(false);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("Env.dat: could not be written"), std::string::npos) << said;
    }
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")), EnvBytes(h.root(), "", 1, 0));
}

TEST_F(Settings, ReadingTakesKeysValuesAndStrings) {
    std::vector<u8> b = EnvBytes("C:\\Game\\", "E:\\", 1, 3);
    b[4] = 17;  // slot 4 (up) = W
    b[24] = 9;
    b[30] = 0x00;
    b[31] = 0xF8;  // red mask 0xF800
    WriteHostFile(h.Path("Env.dat"), b);
    EnvValues v;
    ASSERT_EQ(ReadEnvFile(&v), 1);
    EXPECT_EQ(std::tie(v.root, v.cdPath), std::make_tuple("C:\\Game\\", "E:\\"));
    EXPECT_EQ(std::make_tuple(v.installMode, v.sfxVolume, v.sceneSwitch, v.stamp[0]),
              std::make_tuple(1, 9, 3, 0xF800));
    EXPECT_EQ(std::make_tuple(gMapKeyCodes[4], gMapKeyCodes[12], gMapKeyCodes[11]),
              std::make_tuple(17u, 28u, 0u));
}

TEST_F(Settings, OldFormatIsConvertedOnFirstRead) {
    std::string root = h.root();
    WriteHostFile(h.Path("Env.dat"), OldEnvBytes(root, "F:", 1));
    EnvValues v;
    EXPECT_EQ(ReadEnvFile(&v), 0);
    EXPECT_EQ(std::tie(v.root, v.installMode), std::make_tuple(root, 1));
    EXPECT_EQ(ReadHostFile(h.Path("Env.dat")), EnvBytes(root, "F:", 1, 1));
    // The next read finds the current format.
    EnvValues again;
    EXPECT_EQ(ReadEnvFile(&again), 1);
    EXPECT_EQ(again.sceneSwitch, 1);
}

TEST_F(Settings, BadFilesLeaveThePresetValues) {
    EnvValues preset;
    preset.root = "keep";
    preset.sfxVolume = 4;
    // 10 KB of a valid head followed by a root with no end; a root that runs into
    // the end; files cut inside the head.
    std::vector<std::vector<u8>> files;
    files.push_back(EnvBytes("x", "", 2, 0));
    files.back().resize(46);
    files.back().resize(10 * 1024, 'r');
    files.push_back(EnvBytes("root", "", 2, 0));
    files.back().resize(46 + 4);
    for (size_t cut : {0, 3, 20, 45}) {
        files.push_back(EnvBytes("root", "cd", 2, 0));
        files.back().resize(cut);
    }
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
}
