// Settings file reading, writing and conversion; disc drive search.
#include "shell/Settings.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/ByteIo.h"
#include "base/Types.h"
#include "platform/Fault.h"
#include "platform/FileCalls.h"
#include "platform/HostFs.h"
#include "engine/DataErrors.h"
#include "engine/File.h"
#include "data/GameFlags.h"
#include "map/MapCache.h"
#include "shell/PictureSetup.h"
#include "shell/Startup.h"

namespace {

std::string EnvPath() {
    return std::string(gBasePath) + "Env.dat";
}

void CopyPath(char* dst, const std::string& src) {
    std::snprintf(dst, kPathSize, "%s", src.c_str());
}

// A zero-ended string at off inside [0, size); false when the zero is missing
// or the text would not fit a path buffer.
bool TakeString(const u8* data, size_t size, size_t off, std::string* out, size_t* next) {
    if (off >= size) return false;
    const void* zero = std::memchr(data + off, 0, size - off);
    if (!zero) return false;
    size_t len = static_cast<const u8*>(zero) - (data + off);
    if (len >= static_cast<size_t>(kPathSize)) return false;
    out->assign(reinterpret_cast<const char*>(data + off), len);
    *next = off + len + 1;
    return true;
}

}  // namespace

void ResetSettings() {
    ResetSettingsValues();
}

void SetDefaultKeys() {
    gMapKeyCodes[0] = 1;     // Esc
    gMapKeyCodes[1] = 57;    // Space
    gMapKeyCodes[2] = 54;    // Right Shift
    gMapKeyCodes[3] = 203;   // Left
    gMapKeyCodes[4] = 200;   // Up
    gMapKeyCodes[5] = 205;   // Right
    gMapKeyCodes[6] = 208;   // Down
    gMapKeyCodes[7] = 201;   // Page Up
    gMapKeyCodes[8] = 209;   // Page Down
    gMapKeyCodes[9] = 157;   // Right Ctrl
    gMapKeyCodes[10] = 207;  // End
    gMapKeyCodes[12] = 28;   // Enter
    gMapKeyCodes[16] = 19;   // R
    gMapKeyCodes[17] = 30;   // A
    gMapKeyCodes[18] = 34;   // G
    gMapKeyCodes[19] = 59;   // F1
}

namespace {

// Lays the values over buf (4096 bytes) and returns the length to write.
size_t PutEnvValues(std::vector<u8>& buf, const EnvValues& v) {
    size_t rootLen = strnlen(v.root.c_str(), kPathSize - 1);
    size_t cdLen = strnlen(v.cdPath.c_str(), kPathSize - 1);
    StoreU32(buf.data(), kEnvMark);
    for (int i = 0; i < 16; ++i) buf[4 + i] = static_cast<u8>(gMapKeyCodes[kEnvKeySlots[i]]);
    StoreU32(buf.data() + 20, v.memory);
    buf[24] = v.sfxVolume;
    buf[25] = v.musicVolume;
    buf[26] = v.cacheMb;
    buf[27] = v.sceneSwitch;
    buf[28] = v.textDelay;
    buf[29] = v.byte29;
    size_t p = kEnvRootOffset;
    std::memcpy(buf.data() + p, v.root.c_str(), rootLen);
    buf[p + rootLen] = 0;
    p += rootLen + 1;
    std::memcpy(buf.data() + p, v.cdPath.c_str(), cdLen);
    buf[p + cdLen] = 0;
    p += cdLen + 1;
    buf[p++] = v.installMode;
    buf[p++] = 0;  // run mark
    return p;
}

int WriteEnvBytes(const std::vector<u8>& buf, size_t len) {
    // The file is cut to what was written, so the run mark stays its last byte.
    if (ReplaceFile(EnvPath().c_str(), buf.data(), static_cast<u32>(len))) return 1;
    ReportNotWritten(EnvPath(), std::strerror(LastWriteError()));
    return 0;
}

}  // namespace

int WriteEnvFile(const EnvValues& v) {
    std::vector<u8> buf(kEnvBufferSize, 0);
    {
        // The fields this write leaves alone come from the file itself.
        cFile f;
        u32 n = kEnvBufferSize;
        if (!f.Open(EnvPath().c_str(), OPEN_EXISTING, GENERIC_READ | GENERIC_WRITE) ||
            (f.GetSize() > 0 && !f.Read(buf.data(), &n))) {
            ReportNotWritten(EnvPath(), f.GetErrorText());
            return 0;
        }
    }
    if (LoadU32(buf.data()) != kEnvMark) {
        // An older file: everything moves up by the 4-byte mark.
        std::memmove(buf.data() + 4, buf.data(), kEnvBufferSize - 4);
        std::memset(buf.data() + 30, 0, 16);
    }
    return WriteEnvBytes(buf, PutEnvValues(buf, v));
}

int WriteFreshEnvFile(const EnvValues& v) {
    std::vector<u8> buf(kEnvBufferSize, 0);
    return WriteEnvBytes(buf, PutEnvValues(buf, v));
}

int WriteEnvFileAtRoot(const EnvValues& v) {
    std::string path = EnvPath();
    if (!FileExists(path.c_str())) {
        cFile f;
        if (!f.Open(path.c_str(), CREATE_ALWAYS, GENERIC_WRITE)) {
            ReportNotWritten(path, f.GetErrorText());
            return 0;
        }
    }
    return WriteEnvFile(v);
}

namespace {

bool PlainText(const std::string& t) {
    for (unsigned char c : t)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

bool InstallModeOk(u8 mode) {
    return mode == 1 || mode == 2;
}

// An older file is taken only when it is exactly one: keys and values, a root
// naming a folder that exists, a CD path, an install mode and nothing after.
bool ParseOldEnv(const u8* data, size_t size, EnvValues* out) {
    size_t next = 0;
    if (!TakeString(data, size, kEnvOldRootOffset, &out->root, &next)) return false;
    if (!TakeString(data, size, next, &out->cdPath, &next) || next + 1 != size) return false;
    out->installMode = data[next];
    if (out->root.empty() || !PlainText(out->root) || !PlainText(out->cdPath)) return false;
    if (!InstallModeOk(out->installMode)) return false;
    struct stat st;
    return ::stat(HostPath(out->root).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool ParseEnvFile(const u8* data, size_t size, EnvValues* v, u32 keys[32], bool* oldFormat,
                  DataError* why) {
    auto fail = [&](size_t at, const char* what) {
        if (why) *why = {"", at, what};
        return false;
    };
    if (size < 4) return fail(size, "ends inside its 4-byte mark");
    *oldFormat = LoadU32(data) != kEnvMark;
    EnvValues out = *v;
    size_t next = 0;
    if (*oldFormat) {
        if (!ParseOldEnv(data, size, &out))
            return fail(0, "neither the current format nor a sound older one");
        *v = out;
        return true;
    }
    if (size < static_cast<size_t>(kEnvRootOffset))
        return fail(size, "ends before the root folder");
    if (!TakeString(data, size, kEnvRootOffset, &out.root, &next))
        return fail(kEnvRootOffset, "the root folder has no end");
    // The install mode and the run mark end the file.
    const size_t cd = next;
    if (!TakeString(data, size, cd, &out.cdPath, &next)) return fail(cd, "the CD path has no end");
    if (next + 2 != size) return fail(next, "the install mode and run mark do not end the file");
    out.installMode = data[next];
    out.runMark = data[next + 1];
    if (!InstallModeOk(out.installMode)) return fail(next, "unknown install mode");
    if (out.runMark > 1) return fail(next + 1, "unknown run mark");
    if (!PlainText(out.root)) return fail(kEnvRootOffset, "the root folder is not plain text");
    if (!PlainText(out.cdPath)) return fail(cd, "the CD path is not plain text");
    out.memory = LoadU32(data + 20);
    out.sfxVolume = data[24];
    out.musicVolume = data[25];
    out.cacheMb = data[26];
    out.sceneSwitch = data[27];
    out.textDelay = data[28];
    out.byte29 = data[29];
    for (int i = 0; i < 3; ++i) out.stamp[i] = LoadU16(data + 30 + 2 * i);
    std::memset(keys, 0, 32 * sizeof(u32));
    for (int i = 0; i < 16; ++i) keys[kEnvKeySlots[i]] = data[4 + i];
    *v = out;
    return true;
}

namespace {

// The bytes of "%sEnv.dat" into buf (kEnvBufferSize, zeroed), their count in
// *n; false when there is no file to read. Only what fits the buffer is read:
// a larger file is no settings file of ours. Anything at the name that is
// there but cannot be read (a folder, a pipe, a loop of links) is named.
bool ReadEnvBytes(std::vector<u8>* buf, u32* n, bool tell = true) {
    cFile f;
    *n = kEnvBufferSize;
    if (!f.Open(EnvPath().c_str(), OPEN_EXISTING, GENERIC_READ)) {
        if (tell && !f.NotThere())
            ReportDataError(DataError::Unplaced(
                EnvPath(), std::string("cannot be opened (") + f.GetErrorText() +
                               "); the settings are their defaults"));
        return false;
    }
    u32 size = f.GetSize();
    if (size == 0xFFFFFFFFu || (size > 0 && !f.Read(buf->data(), n))) return false;
    if (size == 0) *n = 0;
    return true;
}

}  // namespace

int ReadEnvFile(EnvValues* v, bool* damaged, DataError* why) {
    if (damaged) *damaged = false;
    std::vector<u8> buf(kEnvBufferSize, 0);
    u32 n = 0;
    if (!ReadEnvBytes(&buf, &n)) return 0;
    bool oldFormat = false;
    u32 keys[32];
    EnvValues parsed = *v;
    if (!ParseEnvFile(buf.data(), n, &parsed, keys, &oldFormat, why)) {
        if (why) why->file = EnvPath();
        if (damaged) *damaged = true;
        return 0;
    }
    if (oldFormat) {
        v->root = parsed.root;
        v->cdPath = parsed.cdPath;
        v->installMode = parsed.installMode;
        std::memset(gMapKeyCodes, 0, sizeof(gMapKeyCodes));
        SetDefaultKeys();
        EnvValues conv = parsed;
        conv.sfxVolume = 6;
        conv.musicVolume = 6;
        conv.cacheMb = 60;
        conv.memory = 100;
        conv.sceneSwitch = 1;
        conv.textDelay = 2;
        conv.byte29 = 10;
        // Unwritten, the older file stays and is converted on the next start.
        if (!WriteEnvFile(conv)) return 0;
        // Read again from the root the old file named.
        CopyPath(gBasePath, parsed.root);
        EnvValues again = *v;
        if (ReadEnvFile(&again) == 1) *v = again;
        return 0;
    }
    std::memcpy(gMapKeyCodes, keys, sizeof(keys));
    *v = parsed;
    return 1;
}

int FindCdDrives(char* firstRoot) {
    std::memset(gCdDrives, 0xFF, sizeof(gCdDrives));
    int count = 0;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        char root[4] = {letter, ':', '\\', 0};
        if (GetDriveTypeA(root) != DRIVE_CDROM) continue;
        if (count == 0 && firstRoot) std::memcpy(firstRoot, root, 4);
        gCdDrives[count++] = static_cast<u8>(letter);
    }
    return count;
}

namespace {

// Keeps a copy of the damaged file as "Env.dat.bad" while the file itself
// stays as it is: a second name for it, or else a copy of its bytes. The
// fresh file only then takes the name, so a program stopped anywhere on the
// way leaves either the damaged file, which the next start keeps and replaces
// again, or the fresh one: never no settings at all.
bool KeepDamagedEnvFile() {
    const std::string host = HostPath(EnvPath()), bad = host + ".bad";
    if (FsUnlink(bad.c_str()) != 0 && errno != ENOENT) return false;
    if (FsLink(host.c_str(), bad.c_str()) == 0) return true;
    cFile f;
    std::string bytes;
    if (!f.Open(EnvPath().c_str(), OPEN_EXISTING, GENERIC_READ) || !f.ReadAll(&bytes)) return false;
    f.Close();
    return ReplaceFile((EnvPath() + ".bad").c_str(), bytes.data(), static_cast<u32>(bytes.size()));
}

// A damaged file counts as none: the presets stay and a sound file replaces
// it. The damaged one is kept beside it, for the player's keys and volumes.
bool ReplaceDamagedEnvFile(DataError why, EnvValues* v) {
    const int keptError = KeepDamagedEnvFile() ? 0 : errno;
    const bool fresh = WriteFreshEnvFile(*v) != 0;
    why.text += "; the settings are reset to their defaults";
    if (keptError == 0)
        why.text += ", the damaged file kept as " + HostSeparators(EnvPath()) + ".bad";
    else
        why.text +=
            std::string(", the damaged file could not be kept (") + std::strerror(keptError) + ")";
    ReportDataError(why);
    return fresh && ReadEnvFile(v) == 1;
}

}  // namespace

bool ReadSettings() {
    gInstallMode = 2;
    gSfxVolume = 6;
    gMusicVolume = 6;
    gSwapSpace = 60;
    FindCdDrives(gCdPath);
    EnvValues v;
    v.root = gBasePath;
    v.cdPath = gCdPath;
    v.installMode = gInstallMode;
    v.sfxVolume = static_cast<u8>(gSfxVolume);
    v.musicVolume = static_cast<u8>(gMusicVolume);
    v.cacheMb = static_cast<u8>(gSwapSpace);
    bool damaged = false;
    DataError why;
    bool read = ReadEnvFile(&v, &damaged, &why) == 1;
    if (damaged) read = ReplaceDamagedEnvFile(why, &v);
    CopyPath(gBasePath, v.root);
    CopyPath(gCdPath, v.cdPath);
    gInstallMode = v.installMode;
    gSfxVolume = v.sfxVolume;
    gMusicVolume = v.musicVolume;
    gSwapSpace = v.cacheMb;
    if (read) std::memcpy(gEnvStamp, v.stamp, sizeof(gEnvStamp));
    if (gBasePath[0] == 0) {
        std::string cwd;
        if (GetCurrentDirectoryA(&cwd)) CopyPath(gBasePath, cwd + "\\");
    }
    if (!TakeGameFolder(gBasePath)) return false;
    ResetMapCache(0);
    MakeStartFolders();
    OpenPictureArchives();
    PutGameFlag(kSceneSwitchFlag, v.sceneSwitch != 0 ? 1 : 0);
    return true;
}

bool TakeSettingsRoot() {
    std::vector<u8> buf(kEnvBufferSize, 0);
    u32 n = 0;
    if (!ReadEnvBytes(&buf, &n, false)) return true;
    EnvValues v;
    u32 keys[32];
    bool oldFormat = false;
    // A damaged file names no root: the start makes a fresh one for this folder.
    if (!ParseEnvFile(buf.data(), n, &v, keys, &oldFormat) || v.root.empty()) return true;
    return TakeGameFolder(v.root.c_str());
}

bool ParseInstallCommand(const char* commandLine, u8* mode, std::string* root) {
    if (!commandLine || !std::isdigit(static_cast<unsigned char>(commandLine[0]))) return false;
    const u8 digit = static_cast<u8>(commandLine[0] - '0');
    const std::string folder = commandLine + 1;
    // The root is a folder, so it ends in a separator: every path of the game
    // is the root with a name after it.
    if (!InstallModeOk(digit) || folder.empty() || folder.size() >= static_cast<size_t>(kPathSize))
        return false;
    if (folder.back() != '\\' && folder.back() != '/') return false;
    *mode = digit;
    *root = folder;
    return true;
}
