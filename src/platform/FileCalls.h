// The host file calls every reader and writer of the game goes through, and a
// test hook that makes a chosen call fail, write short, or stop the file system
// as a killed process would.
#pragma once
#include <sys/types.h>

#include <string>

#include "base/Types.h"

int FsOpen(const char* path, int flags, int mode);
ssize_t FsRead(int fd, void* buffer, size_t count);
ssize_t FsWrite(int fd, const void* buffer, size_t count);
int FsSync(int fd);
int FsClose(int fd);
int FsTruncate(int fd, off_t length);
int FsRename(const char* from, const char* to);
int FsLink(const char* from, const char* to);
int FsUnlink(const char* path);
int FsMkdir(const char* path, int mode);
// Flushes the folder that holds path, so a rename in it survives a power cut.
bool FsSyncFolder(const std::string& path);

// What the hook does to the call it is armed for.
enum class FsFault {
    kNone,
    kFail,        // the call fails with the hook's error and does nothing
    kShortWrite,  // a write puts half its bytes (at least one fewer); other calls run
    kStopBefore,  // this call and every later one do nothing, as after a kill
    kStopAfter,   // this call runs; every later one does nothing
};

// Arms the hook for call number `call` (counted from 1 since the last reset).
// forGood: the error lasts: with ENOSPC every later write fails (a full disk),
// with any other error every later call.
void FsArmFault(u32 call, FsFault fault, int error, bool forGood);
// A full disk: until reset, every write fails with ENOSPC; reads and the rest run.
void FsSetDiskFull(bool full);
// Calls made since the last reset, and of them the flushes to the disk (of a
// file or a folder).
u32 FsCallCount();
u32 FsSyncCount();
// True once the armed call has been reached.
bool FsFaultHit();
// Disarms the hook and restarts the count.
void ResetFileCalls();
