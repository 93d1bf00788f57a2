// Windows paths onto the host file system: '\' becomes '/', repeated separators
// collapse, each component is matched without regard to case when the exact
// name is missing, and drive letters go through the platform's drive table.
#pragma once
#include <string>

#include "base/Types.h"

// The host path for a Windows-style path. Components that do not exist keep
// their spelling, so the result also serves to create new files.
std::string HostPath(const std::string& winPath);

// Maps a drive letter ('D') onto a host folder that stands for it; an empty
// folder removes the letter. The table starts empty.
void HostSetDrive(char letter, const std::string& folder);
void HostClearDrives();

// Windows drive types.
constexpr u32 DRIVE_NO_ROOT_DIR = 1;
constexpr u32 DRIVE_FIXED = 3;
constexpr u32 DRIVE_CDROM = 5;
u32 GetDriveTypeA(const char* root);
// Volume label of a drive root; false when the drive is not in the table.
bool GetVolumeLabel(const char* root, std::string* label);
void HostSetVolumeLabel(char letter, const std::string& label);

// Free bytes for the caller on the disk that holds winPath; false on failure.
bool GetDiskFreeSpaceExA(const char* winPath, u64* freeBytes);
// Test hook: a fixed answer for free space (-1 to use the real disk).
void HostSetFreeSpaceOverride(i64 bytes);

bool CreateDirectoryA(const char* winPath);
bool DeleteFileA(const char* winPath);
bool FileExists(const char* winPath);
// True when anything stands at the name, even a link that leads nowhere.
bool NameTaken(const char* winPath);
bool GetCurrentDirectoryA(std::string* out);
// Opens a web page or a file with the desktop's handler (xdg-open).
bool OpenWithDesktop(const std::string& target);
