// Discs in the drive table: mount table parsing, volume labels read from ISO
// 9660 and UDF descriptors, and the start-up scan.
#include "platform/Disc.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/AudioLib.h"
#include "platform/HostFs.h"
#include "platform/TextCodec.h"

namespace {

constexpr u64 kIsoSector = 2048;
constexpr u32 kUdfAnchorSector = 256;
// A volume descriptor sequence longer than this is taken as damaged.
constexpr u32 kUdfMaxSequence = 64;

// Undoes the \ooo escapes the kernel writes for blanks, tabs, newlines and
// backslashes in device and mount point names.
std::string Unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char* d = field.c_str() + i + 1;
            bool octal = true;
            for (int k = 0; k < 3; ++k)
                if (d[k] < '0' || d[k] > '7') octal = false;
            if (octal) {
                out.push_back(
                    static_cast<char>((d[0] - '0') * 64 + (d[1] - '0') * 8 + (d[2] - '0')));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

u16 Le16(const u8* p) {
    return static_cast<u16>(p[0] | p[1] << 8);
}
u32 Le32(const u8* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<u32>(p[3]) << 24;
}

std::string TrimBlanks(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    size_t start = s.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : s.substr(start);
}

// A UDF descriptor tag: its checksum over bytes 0-3 and 5-15 and the sector it
// claims to be at must both hold.
bool UdfTagValid(const u8* tag, u32 sector) {
    u8 sum = 0;
    for (int i = 0; i < 16; ++i)
        if (i != 4) sum = static_cast<u8>(sum + tag[i]);
    return sum == tag[4] && Le32(tag + 12) == sector;
}

void AppendUtf8(u32 c, std::string* out) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | c >> 6));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xE0 | c >> 12));
        out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// A UDF dstring: the last byte is the number of bytes used, the first names
// 8- or 16-bit characters. The result is UTF-8.
std::string UdfDstring(const u8* d, size_t size) {
    size_t used = d[size - 1];
    if (used == 0 || used > size - 1) return {};
    std::string out;
    u8 comp = d[0];
    if (comp == 8 || comp == 254) {
        for (size_t i = 1; i < used; ++i) AppendUtf8(d[i], &out);
    } else if (comp == 16 || comp == 255) {
        for (size_t i = 1; i + 1 < used; i += 2)
            AppendUtf8(static_cast<u32>(d[i] << 8 | d[i + 1]), &out);
    }
    return out;
}

bool ReadUdfLabelAt(const VolumeReader& read, u64 sectorSize, std::string* label) {
    std::vector<u8> sector(sectorSize);
    if (!read(kUdfAnchorSector * sectorSize, sector.data(), sector.size())) return false;
    if (Le16(sector.data()) != 2 || !UdfTagValid(sector.data(), kUdfAnchorSector)) return false;
    u32 length = Le32(sector.data() + 16);
    u32 location = Le32(sector.data() + 20);
    u32 count = static_cast<u32>(std::min<u64>(length / sectorSize, kUdfMaxSequence));
    for (u32 i = 0; i < count; ++i) {
        u32 at = location + i;
        if (!read(at * sectorSize, sector.data(), sector.size())) return false;
        if (!UdfTagValid(sector.data(), at)) return false;
        u16 id = Le16(sector.data());
        if (id == 8) return false;  // terminating descriptor
        if (id != 6) continue;
        // Logical volume descriptor: the identifier is a 128-byte dstring at 84.
        *label = Utf8ToBig5(TrimBlanks(UdfDstring(sector.data() + 84, 128)));
        return true;
    }
    return false;
}

char NextFreeDrive(char from) {
    for (char letter = from; letter <= 'Z'; ++letter) {
        char root[4] = {letter, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) return letter;
    }
    return 0;
}

}  // namespace

std::vector<MountEntry> ParseMountTable(const std::string& text) {
    std::vector<MountEntry> mounts;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        MountEntry m;
        if (!(fields >> m.device >> m.mountPoint >> m.type)) continue;
        m.device = Unescape(m.device);
        m.mountPoint = Unescape(m.mountPoint);
        mounts.push_back(std::move(m));
    }
    return mounts;
}

bool ReadIso9660Label(const VolumeReader& read, std::string* label) {
    u8 pvd[72];
    if (!read(16 * kIsoSector, pvd, sizeof(pvd))) return false;
    // Type 1 (primary), "CD001", version 1.
    if (pvd[0] != 1 || std::memcmp(pvd + 1, "CD001", 5) != 0 || pvd[6] != 1) return false;
    *label = TrimBlanks(std::string(reinterpret_cast<const char*>(pvd + 40), 32));
    return true;
}

bool ReadUdfLabel(const VolumeReader& read, std::string* label) {
    return ReadUdfLabelAt(read, 2048, label) || ReadUdfLabelAt(read, 512, label);
}

std::string DiscLabel(const MountEntry& mount) {
    std::string label;
    int fd = ::open(mount.device.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        VolumeReader read = [fd](u64 offset, u8* out, size_t n) {
            return ::pread(fd, out, n, static_cast<off_t>(offset)) == static_cast<ssize_t>(n);
        };
        bool found =
            mount.type == "udf" ? ReadUdfLabel(read, &label) : ReadIso9660Label(read, &label);
        ::close(fd);
        if (found) return label;
    }
    // The device is not readable (no permission, usually): the desktop names the
    // mount point after the label, so its last component stands in.
    std::string p = mount.mountPoint;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

int MountDiscsFrom(const std::string& mountTable, const std::string& folderList) {
    int added = 0;
    for (const MountEntry& m : ParseMountTable(mountTable)) {
        if (m.type != "iso9660" && m.type != "udf") continue;
        char letter = NextFreeDrive('D');
        if (!letter) return added;
        HostSetDrive(letter, m.mountPoint);
        HostSetVolumeLabel(letter, DiscLabel(m));
        ++added;
    }
    return added + MountDiscFolders(folderList);
}

int MountDiscs() {
    std::ifstream in("/proc/self/mounts");
    std::stringstream table;
    table << in.rdbuf();
    const char* folders = std::getenv("MOONHARBOR_DISCS");
    return MountDiscsFrom(table.str(), folders ? folders : "");
}
