// Host file calls with a counting fault hook for tests.
#include "platform/FileCalls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

struct Hook {
    u32 calls = 0;
    u32 syncs = 0;
    u32 armed = 0;  // 0: none
    FsFault fault = FsFault::kNone;
    int error = EIO;
    bool forGood = false;
    bool hit = false;
    bool stopped = false;  // the file system no longer changes or answers
    bool diskFull = false;
};

Hook gHook;

enum class Verdict { kRun, kFail, kShort };

// Counts the call and decides its fate.
Verdict Decide() {
    ++gHook.calls;
    if (gHook.stopped) return Verdict::kFail;
    if (gHook.armed == 0 || gHook.calls < gHook.armed) return Verdict::kRun;
    if (gHook.calls > gHook.armed) return Verdict::kRun;
    gHook.hit = true;
    // A disk that filled up fails every later write; any other lasting error, every call.
    if (gHook.forGood && gHook.error == ENOSPC)
        gHook.diskFull = true;
    else if (gHook.forGood)
        gHook.stopped = true;
    switch (gHook.fault) {
        case FsFault::kFail:
            return Verdict::kFail;
        case FsFault::kShortWrite:
            return Verdict::kShort;
        case FsFault::kStopBefore:
            gHook.stopped = true;
            return Verdict::kFail;
        case FsFault::kStopAfter:
            gHook.stopped = true;
            return Verdict::kRun;
        case FsFault::kNone:
            break;
    }
    return Verdict::kRun;
}

int Failed() {
    errno = gHook.error;
    return -1;
}

}  // namespace

int FsOpen(const char* path, int flags, int mode) {
    if (Decide() == Verdict::kFail) return Failed();
    return ::open(path, flags, mode);
}

ssize_t FsRead(int fd, void* buffer, size_t count) {
    if (Decide() == Verdict::kFail) return Failed();
    return ::read(fd, buffer, count);
}

ssize_t FsWrite(int fd, const void* buffer, size_t count) {
    Verdict v = Decide();
    if (v == Verdict::kFail) return Failed();
    if (v == Verdict::kShort) {
        if (count < 2) return Failed();
        return ::write(fd, buffer, count / 2);
    }
    if (gHook.diskFull && count > 0) {
        errno = ENOSPC;
        return -1;
    }
    return ::write(fd, buffer, count);
}

int FsSync(int fd) {
    ++gHook.syncs;
    if (Decide() == Verdict::kFail) return Failed();
    return ::fsync(fd);
}

int FsClose(int fd) {
    // The descriptor goes in any case, as the kernel would take it from a killed process.
    bool fail = Decide() == Verdict::kFail;
    int r = ::close(fd);
    return fail ? Failed() : r;
}

int FsTruncate(int fd, off_t length) {
    if (Decide() == Verdict::kFail) return Failed();
    return ::ftruncate(fd, length);
}

int FsRename(const char* from, const char* to) {
    if (Decide() == Verdict::kFail) return Failed();
    return ::rename(from, to);
}

int FsLink(const char* from, const char* to) {
    if (Decide() == Verdict::kFail) return Failed();
    return ::link(from, to);
}

int FsUnlink(const char* path) {
    if (Decide() == Verdict::kFail) return Failed();
    return ::unlink(path);
}

int FsMkdir(const char* path, int mode) {
    if (Decide() == Verdict::kFail) return Failed();
    return ::mkdir(path, static_cast<mode_t>(mode));
}

bool FsSyncFolder(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "."
                         : slash == 0               ? "/"
                                                    : path.substr(0, slash);
    ++gHook.syncs;
    if (Decide() == Verdict::kFail) return Failed() == 0;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void FsArmFault(u32 call, FsFault fault, int error, bool forGood) {
    gHook = Hook{};
    gHook.armed = call;
    gHook.fault = fault;
    gHook.error = error;
    gHook.forGood = forGood;
}

void FsSetDiskFull(bool full) {
    gHook.diskFull = full;
}

u32 FsCallCount() {
    return gHook.calls;
}

u32 FsSyncCount() {
    return gHook.syncs;
}

bool FsFaultHit() {
    return gHook.hit;
}

void ResetFileCalls() {
    gHook = Hook{};
}
