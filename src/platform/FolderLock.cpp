// Game folder locks over flock(2) on a lock file inside each folder.
#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <vector>

namespace {

struct HeldLock {
    int fd;
    dev_t dev;
    ino_t ino;
};

std::vector<HeldLock>& Held() {
    static std::vector<HeldLock> held;
    return held;
}

// Another user's lock file may be read-only to us: flock works on any descriptor.
int OpenLockFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd;
}

}  // namespace

FolderLock LockFolder(const std::string& hostFolder) {
    std::string folder = hostFolder.empty() ? "." : hostFolder;
    if (folder.back() != '/') folder += '/';
    int fd = OpenLockFile(folder + kFolderLockName);
    if (fd < 0) return FolderLock::Unavailable;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return FolderLock::Unavailable;
    }
    // flock belongs to one open file: a second one of ours would block on the first.
    for (const HeldLock& h : Held())
        if (h.dev == st.st_dev && h.ino == st.st_ino) {
            ::close(fd);
            return FolderLock::Taken;
        }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // A file system without locks guards nothing: the start goes on.
        bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? FolderLock::HeldElsewhere : FolderLock::Unavailable;
    }
    Held().push_back(HeldLock{fd, st.st_dev, st.st_ino});
    return FolderLock::Taken;
}

void ReleaseFolderLocks() {
    for (const HeldLock& h : Held()) ::close(h.fd);
    Held().clear();
}
