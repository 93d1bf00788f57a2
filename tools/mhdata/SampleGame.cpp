// The sample game's folders and files.
#include "mhdata/SampleGame.h"

#include <filesystem>

#include "mhdata/Databases.h"

bool WriteSampleGame(const std::string& root, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const char* dir : {"", "MH_Data", "PicLib", "music", "Video", "Save", "data", "ScrnShot"}) {
        fs::create_directories(fs::path(root) / dir, ec);
        if (ec) {
            *error = "cannot create " + (fs::path(root) / dir).string() + ": " + ec.message();
            return false;
        }
    }
    if (!WriteSampleDatabases(root, error)) return false;
    return true;
}
