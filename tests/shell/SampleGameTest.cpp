// The sample game writer: the folders and a settings file the game reads back.
#include <gtest/gtest.h>

#include <filesystem>

#include "shell/Settings.h"
#include "mhdata/SampleGame.h"
#include "support/Harness.h"

TEST(SampleGame, WritesFoldersAndASettingsFileWithAnEmptyRoot) {
    Harness h;
    std::string error;
    ASSERT_TRUE(WriteSampleGame(h.Path("game"), &error)) << error;
    for (const char* dir : {"MH_Data", "PicLib", "music", "Video", "Save", "data", "ScrnShot"})
        EXPECT_TRUE(std::filesystem::is_directory(h.Path("game/") + dir)) << dir;
    std::snprintf(gBasePath, kPathSize, "%s", h.Path("game/").c_str());
    EnvValues v;
    v.root = "preset";
    ASSERT_EQ(ReadEnvFile(&v), 1);
    EXPECT_EQ(v.root, "");
    EXPECT_EQ(gMapKeyCodes[4], 200u);
}
