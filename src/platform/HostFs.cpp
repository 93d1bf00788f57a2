// Host file system access behind Windows-style paths.
#include "platform/HostFs.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <map>
#include <vector>

#include "platform/FileCalls.h"

namespace {

std::map<char, std::string> gDrives;
std::map<char, std::string> gLabels;
i64 gFreeOverride = -1;

bool Exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

// Finds name inside dir, exactly or else ignoring case.
std::string MatchComponent(const std::string& dir, const std::string& name) {
    std::string exact = dir.empty() ? name : (dir == "/" ? "/" + name : dir + "/" + name);
    if (name == "." || name == ".." || Exists(exact)) return exact;
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return exact;
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    if (found.empty()) return exact;
    return dir.empty() ? found : (dir == "/" ? "/" + found : dir + "/" + found);
}

}  // namespace

std::string HostPath(const std::string& winPath) {
    std::string p = winPath;
    for (char& c : p)
        if (c == '\\') c = '/';
    std::string base;
    // A drive letter names a folder of the drive table; an unknown one resolves
    // to a path that never exists.
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
        char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(p[0])));
        auto it = gDrives.find(letter);
        base = it != gDrives.end() ? it->second : std::string("/nonexistent-drive-") + letter;
        p = p.substr(2);
    } else if (!p.empty() && p[0] == '/') {
        base = "/";
    }
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < p.size()) {
        size_t j = p.find('/', i);
        if (j == std::string::npos) j = p.size();
        if (j > i) parts.push_back(p.substr(i, j - i));
        i = j + 1;
    }
    std::string cur = base;
    while (cur.size() > 1 && cur.back() == '/') cur.pop_back();
    for (const auto& part : parts) cur = MatchComponent(cur, part);
    return cur.empty() ? std::string(".") : cur;
}

void HostSetDrive(char letter, const std::string& folder) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (folder.empty())
        gDrives.erase(letter);
    else
        gDrives[letter] = folder;
}

void HostClearDrives() {
    gDrives.clear();
    gLabels.clear();
    gFreeOverride = -1;
}

u32 GetDriveTypeA(const char* root) {
    if (!root || !std::isalpha(static_cast<unsigned char>(root[0]))) return DRIVE_NO_ROOT_DIR;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    // Every drive of the table stands for a disc drive.
    return gDrives.count(letter) ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR;
}

bool GetVolumeLabel(const char* root, std::string* label) {
    if (!root || !std::isalpha(static_cast<unsigned char>(root[0]))) return false;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
    if (!gDrives.count(letter)) return false;
    auto it = gLabels.find(letter);
    *label = it == gLabels.end() ? std::string() : it->second;
    return true;
}

void HostSetVolumeLabel(char letter, const std::string& label) {
    gLabels[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = label;
}

bool GetDiskFreeSpaceExA(const char* winPath, u64* freeBytes) {
    if (gFreeOverride >= 0) {
        *freeBytes = static_cast<u64>(gFreeOverride);
        return true;
    }
    std::string p = HostPath(winPath && *winPath ? winPath : ".");
    // Walk up to an existing folder: the question is about the disk.
    while (!Exists(p) && p.find('/') != std::string::npos) p = p.substr(0, p.rfind('/'));
    const std::string folder = p.empty() || !Exists(p) ? std::string(".") : p;
    struct statvfs st;
    if (::statvfs(folder.c_str(), &st) != 0) return false;
    *freeBytes = static_cast<u64>(st.f_bavail) * st.f_frsize;
    return true;
}

void HostSetFreeSpaceOverride(i64 bytes) {
    gFreeOverride = bytes;
}

bool CreateDirectoryA(const char* winPath) {
    return FsMkdir(HostPath(winPath).c_str(), 0755) == 0;
}

bool DeleteFileA(const char* winPath) {
    return FsUnlink(HostPath(winPath).c_str()) == 0;
}

bool FileExists(const char* winPath) {
    return Exists(HostPath(winPath));
}

bool NameTaken(const char* winPath) {
    struct stat st;
    return ::lstat(HostPath(winPath).c_str(), &st) == 0;
}

bool GetCurrentDirectoryA(std::string* out) {
    char buf[4096];
    if (!::getcwd(buf, sizeof(buf))) return false;
    *out = buf;
    return true;
}

bool OpenWithDesktop(const std::string& target) {
    pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) {
        ::execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return true;
}
