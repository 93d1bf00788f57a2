// The lock that keeps a second running copy out of a game folder: a lock file
// in the folder itself, held with flock for as long as the process runs. The
// kernel lets go of it when the process ends, however it ends, so the file that
// stays behind never stops a later start.
#pragma once
#include <string>

enum class FolderLock {
    Taken,          // this process holds the folder (now or from before)
    HeldElsewhere,  // another running process holds it
    Unavailable,    // no lock file can be opened there (no such folder, read-only)
};

// The name of the lock file in a game folder.
constexpr const char* kFolderLockName = "moonharbor.lock";

// Takes the lock of a host folder ("." for the current one).
FolderLock LockFolder(const std::string& hostFolder);
// Lets go of every folder this process holds.
void ReleaseFolderLocks();
