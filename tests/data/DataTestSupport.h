// Shared set-up of the data tests: a clean data module, a headless platform and
// the sample databases written into the harness's temporary root.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/GameData.h"
#include "data/GameDatabase.h"
#include "data/GameFlags.h"
#include "mhdata/Databases.h"
#include "platform/Backend.h"
#include "support/Harness.h"

class DataTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameData();
        std::filesystem::create_directories(h_.Path("MH_Data"));
    }
    void TearDown() override { ResetGameData(); }

    // The root as the game passes it: with a trailing separator.
    std::string Root() const { return h_.root(); }

    void WriteSet(const DatabaseSet& set) {
        std::string error;
        ASSERT_TRUE(WriteDatabases(h_.root(), set, &error)) << error;
    }
    void WriteFile(DatabaseFile which, const std::vector<u8>& bytes) {
        WriteHostFile(h_.Path("MH_Data/") + kDatabaseLayouts[which].fileName, bytes);
    }
    void RemoveFile(DatabaseFile which) {
        std::filesystem::remove(h_.Path("MH_Data/") + kDatabaseLayouts[which].fileName);
    }
    void LoadSample() {
        WriteSet(MakeSampleDatabases());
        LoadGameDatabase(Root().c_str());
    }
    std::vector<RecordedBox>& Boxes() { return PlatformRecordedBoxes(); }

    Harness h_;
};

// Loads one database file from bytes, under the file's own name.
inline bool LoadBytes(DatabaseFile which, const std::vector<u8>& bytes) {
    return LoadDatabaseBytes(which, bytes.data(), bytes.size(), kDatabaseLayouts[which].fileName);
}

// Loads a database set from its writers' bytes, without files, then finishes the load.
inline void LoadSetInMemory(const DatabaseSet& set) {
    for (int f = 0; f < kDatabaseFileCount; ++f)
        LoadBytes(static_cast<DatabaseFile>(f),
                  DatabaseFileBytes(set, static_cast<DatabaseFile>(f)));
    FinishDatabaseLoad();
}
