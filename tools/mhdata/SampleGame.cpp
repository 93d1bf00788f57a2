// The sample game's folders and files.
#include "mhdata/SampleGame.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/Fault.h"
#include "platform/TextCodec.h"
#include "data/Options.h"
#include "shell/Settings.h"
#include "mhdata/Archives.h"
#include "mhdata/Databases.h"
#include "mhdata/InterfaceArt.h"
#include "mhdata/Maps.h"
#include "mhdata/NameTexts.h"
#include "mhdata/PicShowPack.h"
#include "mhdata/SampleBattle.h"
#include "mhdata/SampleFigures.h"
#include "mhdata/SampleTalks.h"
#include "mhdata/Shops.h"
#include "mhdata/SoundData.h"

namespace {

// A settings file with an empty root: the game then takes the folder it starts in.
// The player's own settings stay as they are.
bool WriteSampleEnv(const std::string& root, std::string* error) {
    std::snprintf(gBasePath, kPathSize, "%s/", root.c_str());
    if (std::filesystem::exists(root + "/Env.dat")) return true;
    SetDefaultKeys();
    EnvValues v;
    v.root = "";
    v.installMode = 2;
    if (!WriteEnvFileAtRoot(v)) {
        *error = NotWrittenText(root + "/Env.dat");
        return false;
    }
    return true;
}

bool WriteBytes(const std::string& path, const std::vector<u8>& bytes, std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) *error = NotWrittenText(path);
    return static_cast<bool>(out);
}

// The names of the sample game's people and places, then the quests' names.
bool WriteSampleNames(const std::string& root, std::string* error) {
    std::vector<std::string> names;
    for (const char* n : {"月港", "林小月", "守衛", "漁夫", "老婆婆", "港口", "市場", "燈塔"})
        names.push_back(Utf8ToBig5(n));
    for (const char* n : kSampleQuestNames) names.push_back(Utf8ToBig5(n));
    return WriteBytes(root + "/MH_Data/namex.dat", BuildNameTexts(names), error);
}

// The pirates' ship sailing off from the harbour, the size of the screen: a
// video is drawn from the screen's corner at its own size.
constexpr int kShipVideoFrames = 6, kShipVideoFps = 4;

std::vector<std::vector<u16>> ShipVideoFrames() {
    std::vector<std::vector<u16>> frames;
    for (int k = 0; k < kShipVideoFrames; ++k)
        frames.push_back(HarbourShipFigure(k, kShipVideoFrames).pixels);
    return frames;
}

// The opening the title plays: the moon rising over the harbour by night,
// the game's name over it on the last frames. Screen-sized, as the ship's.
constexpr int kOpeningFrames = 10, kOpeningFps = 4, kOpeningNamedFrames = 4;

std::vector<std::vector<u16>> OpeningVideoFrames() {
    std::vector<std::vector<u16>> frames;
    for (int k = 0; k < kOpeningFrames; ++k) {
        ArchiveFrame f = OpeningFigure(k, kOpeningFrames);
        if (k >= kOpeningFrames - kOpeningNamedFrames) {
            DrawCaptionAt(&f, "月 港", 48, -1, 40);
            DrawCaptionAt(&f, "MOONHARBOR", 16, -1, 100);
        }
        frames.push_back(f.pixels);
    }
    return frames;
}

// The adventure's own media: the opening, the lighthouse's music and the ship's video.
bool WriteAdventureMedia(const std::string& root, std::string* error) {
    using namespace sampleMap;
    std::vector<i16> tune;
    for (double hz : {392.0, 330.0, 294.0, 262.0}) {
        std::vector<i16> note = MakeTone(hz, 400, 22050, 1, 9000);
        tune.insert(tune.end(), note.begin(), note.end());
    }
    return WriteBytes(root + "/Video/MH OPENING.BIK",
                      MakePictureVideo(640, 480, OpeningVideoFrames(), kOpeningFps), error) &&
           WriteBytes(root + "/music/" + kLighthouseMusicName, MakeWave(tune, 1, 22050), error) &&
           WriteBytes(root + "/Video/" + kPierVideoName,
                      MakePictureVideo(640, 480, ShipVideoFrames(), kShipVideoFps), error);
}

// An options file with every default, unless the player has one.
bool WriteSampleOptions(const std::string& root, std::string* error) {
    if (std::filesystem::exists(root + "/Save/Option.sav")) return true;
    SetDefaultOptions();
    SaveOptions();
    if (!std::filesystem::exists(root + "/Save/Option.sav")) {
        *error = NotWrittenText(root + "/Save/Option.sav");
        return false;
    }
    return true;
}

// The map cache holds maps unpacked from an earlier sample; the maps written
// now may differ, so the game unpacks them afresh.
void EmptyMapCache(const std::string& root) {
    std::error_code ec;
    std::filesystem::remove(root + "/data/mcache.dat", ec);
    for (int n = 0; n < 24; ++n)
        std::filesystem::remove(root + "/data/" + std::to_string(n) + ".cm", ec);
}

}  // namespace

bool WriteSampleGame(const std::string& root, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const char* dir :
         {"", "MH_Data", "PicLib", "music", "Video", "Save", "data", "ScrnShot"}) {
        fs::create_directories(fs::path(root) / dir, ec);
        if (ec) {
            *error = "cannot create " + (fs::path(root) / dir).string() + ": " + ec.message();
            return false;
        }
    }
    EmptyMapCache(root);
    if (!WriteSampleEnv(root, error)) return false;
    if (!WriteSampleNames(root, error)) return false;
    if (!WriteSampleOptions(root, error)) return false;
    if (!WriteSoundData(root, error)) return false;
    if (!WriteAdventureMedia(root, error)) return false;
    if (!WriteSampleMaps(root, error)) return false;
    if (!WriteSampleArchives(root, error)) return false;
    if (!WriteSampleDatabases(root, error)) return false;
    if (!WriteSampleTalks(root, error)) return false;
    if (!WriteSampleShops(root, error)) return false;
    if (!WriteSampleBattleFiles(root, error)) return false;
    if (!WriteSamplePicShow(root, error)) return false;
    if (!WriteInterfaceArt(root, error)) return false;
    return true;
}
