// The settings file "%sEnv.dat": the map-mode key codes, volumes, map-cache
// size, root and CD paths, install mode, the map cache's data stamp and the run
// mark; and the search for disc drives.
#pragma once
#include <string>

#include "base/DataError.h"
#include "base/Types.h"
#include "data/Config.h"

// Values of the settings file besides the keys.
struct EnvValues {
    std::string root;
    std::string cdPath;
    u8 installMode = kDefaultInstallMode;
    u8 sfxVolume = kDefaultVolume;
    u8 musicVolume = kDefaultVolume;
    u8 cacheMb = kDefaultCacheMb;
    u32 memory = 100;
    u8 sceneSwitch = 0;
    u8 textDelay = 2;
    u8 byte29 = 10;
    u16 stamp[3] = {};
    u8 runMark = 0;
};

constexpr u32 kEnvMark = 0xFFFFFFFFu;
constexpr int kEnvRootOffset = 46;
constexpr int kEnvOldRootOffset = 42;
constexpr int kEnvBufferSize = 4096;
// The key slots stored at offsets 4..19, in file order.
constexpr int kEnvKeySlots[16] = {4, 6, 3, 5, 1, 12, 9, 0, 10, 2, 16, 17, 18, 19, 7, 8};

void SetDefaultKeys();
// Writes "%sEnv.dat" under gBasePath (an existing file only) and cuts it to its new length.
int WriteEnvFile(const EnvValues& v);
// The installer's entry: creates "%sEnv.dat" when missing, then WriteEnvFile.
int WriteEnvFileAtRoot(const EnvValues& v);
// Reads "%sEnv.dat" under gBasePath into v and the key codes: 1 when it was in the
// current format, 0 otherwise (an older file is converted and read again).
// damaged: the file was read but is neither format (v is left as preset), and
// why says where it goes wrong. Something at the name that is there but cannot
// be opened (a folder, a pipe, a loop of links) is named on stderr.
int ReadEnvFile(EnvValues* v, bool* damaged = nullptr, DataError* why = nullptr);
// Writes a new "%sEnv.dat" from the values alone, over whatever was there.
int WriteFreshEnvFile(const EnvValues& v);
int FindCdDrives(char* firstRoot);
// Start-up: defaults, disc drives, the settings file, the root folder, flag 72.
// False, with nothing in the root touched, when another running copy holds it.
bool ReadSettings();
// Parses the bytes of a settings file; false, with the offset and the fault in
// why, when it is not a sound one. An older file must be exactly one, its root
// an existing folder.
bool ParseEnvFile(const u8* data, size_t size, EnvValues* v, u32 keys[32], bool* oldFormat,
                  DataError* why = nullptr);

// Reads the install mode and root from the installer's command line ("2/tmp/x/");
// false when it is not an install mode the settings reader takes (1 or 2)
// followed by a folder that ends in a separator.
bool ParseInstallCommand(const char* commandLine, u8* mode, std::string* root);
// The installer's command line, as told to whoever gives another one.
constexpr const char* kInstallCommandForm =
    "moonharbor: not the installer's command line: give an install mode (1: the data stay on "
    "the disc, 2: installed) followed at once by the game's folder ending in a separator, as "
    "in `moonharbor 2/home/me/moonharbor/`, or nothing to play; nothing was written";
// Takes the lock of the root folder the settings file names, before anything
// is opened; false when another running copy holds it. Nothing is read but the
// file, and nothing is written or said.
bool TakeSettingsRoot();

void ResetSettings();
