// Shared set-up of the data tests: a clean data module, a headless platform and
// the sample databases written into a fresh temporary root.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/GameFlags.h"
#include "mhdata/Databases.h"
#include "platform/Backend.h"

class DataTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformReset();
        ResetGameFlags();
        ResetGameData();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::temp_directory_path() /
                ("mh_data_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
                 info->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "MH_Data");
    }
    void TearDown() override {
        ResetGameData();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    // The root as the game passes it: with a trailing separator.
    std::string Root() const { return root_.string() + "/"; }

    void WriteSet(const DatabaseSet& set) {
        std::string error;
        ASSERT_TRUE(WriteDatabases(root_.string(), set, &error)) << error;
    }
    void WriteFile(DatabaseFile which, const std::vector<u8>& bytes) {
        std::ofstream out(root_ / "MH_Data" / kDatabaseLayouts[which].fileName, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    void RemoveFile(DatabaseFile which) {
        std::filesystem::remove(root_ / "MH_Data" / kDatabaseLayouts[which].fileName);
    }
    void LoadSample() {
        WriteSet(MakeSampleDatabases());
        LoadGameDatabase(Root().c_str());
    }
    std::vector<RecordedBox>& Boxes() { return PlatformRecordedBoxes(); }

    std::filesystem::path root_;
};

// Loads a database set from its writers' bytes, without files, then finishes the load.
inline void LoadSetInMemory(const DatabaseSet& set) {
    for (int f = 0; f < kDatabaseFileCount; ++f) {
        std::vector<u8> bytes = DatabaseFileBytes(set, static_cast<DatabaseFile>(f));
        LoadDatabaseBytes(static_cast<DatabaseFile>(f), bytes.data(), bytes.size(),
                          kDatabaseLayouts[f].fileName);
    }
    FinishDatabaseLoad();
}
