// Discs in the drive table: mounted ISO 9660 and UDF file systems found in the
// mount table, labelled from their volume descriptors, and the disc folders of
// MOONHARBOR_DISCS.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "base/Types.h"

struct MountEntry {
    std::string device;
    std::string mountPoint;
    std::string type;
};

// The lines of a mount table (the form of /proc/self/mounts), with the octal
// escapes of the names undone. Malformed lines are skipped.
std::vector<MountEntry> ParseMountTable(const std::string& text);

// Reads n bytes at a byte offset of a volume; false when they are not all there.
using VolumeReader = std::function<bool(u64 offset, u8* out, size_t n)>;

// The volume identifier of the primary volume descriptor in sector 16, blanks
// trimmed; false when there is no such descriptor.
bool ReadIso9660Label(const VolumeReader& read, std::string* label);
// The logical volume identifier of the logical volume descriptor, found from
// the anchor at sector 256 (2048- or 512-byte sectors); false when not found.
bool ReadUdfLabel(const VolumeReader& read, std::string* label);

// The label of the file system of type ("iso9660" or "udf") on the device; when
// the device cannot be read or holds no descriptor, the mount point's last
// component.
std::string DiscLabel(const MountEntry& mount);

// Adds every ISO 9660 and UDF mount of the table text to the drive table at the
// next free letters from D, then the folders of the list (':'-separated).
// Returns the number of drives added.
int MountDiscsFrom(const std::string& mountTable, const std::string& folderList);

// Start-up: MountDiscsFrom with /proc/self/mounts and MOONHARBOR_DISCS.
int MountDiscs();
