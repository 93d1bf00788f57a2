// The sample game's folders and files.
#include "mhdata/SampleGame.h"

#include <cstdio>
#include <filesystem>

#include "game/Settings.h"

namespace {

// A settings file with an empty root: the game then takes the folder it starts in.
bool WriteSampleEnv(const std::string& root, std::string* error) {
    std::snprintf(gBasePath, kPathSize, "%s/", root.c_str());
    SetDefaultKeys();
    EnvValues v;
    v.root = "";
    v.installMode = 2;
    if (!WriteEnvFileAtRoot(v)) {
        *error = "cannot write " + root + "/Env.dat";
        return false;
    }
    return true;
}

}  // namespace

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
    if (!WriteSampleEnv(root, error)) return false;
    return true;
}
