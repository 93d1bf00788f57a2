// Discs in the drive table: mount table lines, ISO 9660 and UDF labels read from
// images built here, the label fallback and the start-up scan.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "base/ByteIo.h"
#include "platform/Disc.h"
#include "platform/HostFs.h"
#include "support/Harness.h"

namespace {

namespace fs = std::filesystem;

// An image with a primary volume descriptor whose identifier is id (blank padded).
std::vector<u8> IsoImage(const std::string& id) {
    std::vector<u8> img(18 * 2048, 0);
    u8* pvd = img.data() + 16 * 2048;
    std::memcpy(pvd, "\1CD001\1", 7);  // type 1, the signature, version 1
    std::memset(pvd + 8, ' ', 64);     // system and volume identifiers

    std::memcpy(pvd + 40, id.data(), std::min<size_t>(id.size(), 32));
    img[17 * 2048] = 255;  // set terminator
    return img;
}

// A UDF descriptor tag with its checksum, claiming to be at sector.
void UdfTag(std::vector<u8>& img, size_t sectorSize, u32 sector, u16 id) {
    u8* t = img.data() + sector * sectorSize;
    StoreU16(t, id);
    t[2] = 3;
    StoreU32(t + 12, sector);
    u8 sum = 0;
    for (int i = 0; i < 16; ++i)
        if (i != 4) sum = static_cast<u8>(sum + t[i]);
    t[4] = sum;
}

// Anchor at 256 pointing at a sequence at sector 32: a primary volume
// descriptor, the logical volume descriptor (identifier dstring `name`, first
// byte the compression id) and a terminator.
std::vector<u8> UdfImage(size_t sectorSize, const std::vector<u8>& name) {
    std::vector<u8> img(257 * sectorSize, 0);
    StoreU32(img.data() + 256 * sectorSize + 16, static_cast<u32>(4 * sectorSize));
    StoreU32(img.data() + 256 * sectorSize + 20, 32);
    UdfTag(img, sectorSize, 256, 2);
    UdfTag(img, sectorSize, 32, 1);
    u8* lvd = img.data() + 33 * sectorSize;
    std::memcpy(lvd + 84, name.data(), name.size());
    lvd[84 + 127] = static_cast<u8>(name.size());
    UdfTag(img, sectorSize, 33, 6);
    UdfTag(img, sectorSize, 34, 8);
    return img;
}

VolumeReader Reader(const std::vector<u8>& img) {
    return [&img](u64 offset, u8* out, size_t n) {
        if (offset > img.size() || n > img.size() - offset) return false;
        std::memcpy(out, img.data() + offset, n);
        return true;
    };
}

std::vector<u8> Dstring8(const std::string& s) {
    std::vector<u8> d(s.size() + 1, 8);
    std::copy(s.begin(), s.end(), d.begin() + 1);
    return d;
}

class Disc : public ::testing::Test {
protected:
    std::string WriteFile(const std::string& rel, const std::vector<u8>& bytes) {
        fs::path p = dir_ / rel;
        fs::create_directories(p.parent_path());
        WriteHostFile(p.string(), bytes);
        return p.string();
    }
    static std::string Label(char letter) {
        char root[4] = {letter, ':', '\\', 0};
        std::string label;
        EXPECT_TRUE(GetVolumeLabel(root, &label)) << letter;
        return label;
    }
    Harness h_;  // a clean drive table and a temporary folder
    fs::path dir_ = h_.root();
};

}  // namespace

TEST_F(Disc, MountTableLabelsDamagedImagesAndDiscsThenFoldersTakeTheFreeLetters) {
    auto m = ParseMountTable(
        "/dev/sda1 / ext4 rw,relatime 0 0\n"
        "\n"
        "broken-line\n"
        "/dev/sr0 /media/me/MY\\040DISC iso9660 ro,nosuid 0 0\n"
        "/dev/sr1 /mnt/back\\134slash\\011tab udf ro 0 0\n"
        "/dev/sr2 /mnt/odd\\09x iso9660 ro 0 0");
    std::vector<std::string> got;
    for (const auto& e : m) got.insert(got.end(), {e.device, e.mountPoint, e.type});
    // "\09x" is no escape: kept as written.
    EXPECT_EQ(got,
              (std::vector<std::string>{"/dev/sda1", "/", "ext4", "/dev/sr0", "/media/me/MY DISC",
                                        "iso9660", "/dev/sr1", "/mnt/back\\slash\ttab", "udf",
                                        "/dev/sr2", "/mnt/odd\\09x", "iso9660"}));
    // Images, each changed by a step, and the label then read (none: refused).
    auto iso = [](std::vector<u8> img) {
        std::string label;
        return ReadIso9660Label(Reader(img), &label) ? label : "(refused)";
    };
    auto udf = [](std::vector<u8> img) {
        std::string label;
        return ReadUdfLabel(Reader(img), &label) ? label : "(refused)";
    };
    auto with = [](std::vector<u8> img, size_t at, u8 v) {
        img[at] = v;
        return img;
    };
    EXPECT_EQ(iso(IsoImage("RX417K")), "RX417K");
    EXPECT_EQ(iso(IsoImage(std::string(32, 'A'))), std::string(32, 'A'));
    // Not a primary descriptor, a wrong signature, or too short to hold one.
    EXPECT_EQ(iso(with(IsoImage("X"), 16 * 2048, 2)), "(refused)");
    EXPECT_EQ(iso(with(IsoImage("X"), 16 * 2048 + 3, 'x')), "(refused)");
    std::vector<u8> cut = IsoImage("X");
    cut.resize(16 * 2048 + 50);
    EXPECT_EQ(iso(cut), "(refused)");
    EXPECT_EQ(udf(UdfImage(2048, Dstring8("RX417K  "))), "RX417K");
    // 16-bit characters, big-endian, on 512-byte sectors.
    EXPECT_EQ(udf(UdfImage(512, {16, 0, 'A', 0, 'u', 0, 'd', 0, 'i', 0, 'o'})), "Audio");
    const std::vector<u8> name = UdfImage(2048, Dstring8("NAME"));
    EXPECT_EQ(udf(with(name, 256 * 2048 + 4, name[256 * 2048 + 4] ^ 1)), "(refused)");  // checksum
    std::vector<u8> early = name, far = name;
    UdfTag(early, 2048, 33, 8);                           // terminator before the logical volume
    StoreU32(far.data() + 256 * 2048 + 20, 0xFFFFFF00u);  // sequence far past the end
    EXPECT_EQ(std::pair(udf(early), udf(far)),
              std::pair(std::string("(refused)"), std::string("(refused)")));
    EXPECT_EQ(udf(with(name, 33 * 2048 + 84 + 127, 200)), "");  // used length past the field
    EXPECT_EQ(udf(std::vector<u8>(100)), "(refused)");
    // Labels from the device or the mount point; discs, then folders, take the free letters.
    std::string isoPath = WriteFile("iso.img", IsoImage("GAMEDISC"));
    std::string udfPath = WriteFile("udf.img", UdfImage(2048, Dstring8("UDFDISC")));
    EXPECT_EQ(DiscLabel({isoPath, "/media/x/ignored", "iso9660"}), "GAMEDISC");
    EXPECT_EQ(DiscLabel({udfPath, "/media/x/ignored", "udf"}), "UDFDISC");
    EXPECT_EQ(DiscLabel({(dir_ / "none").string(), "/media/me/RX417K/", "iso9660"}), "RX417K");
    // A readable device without a descriptor of its type falls back too.
    EXPECT_EQ(DiscLabel({isoPath, "/run/media/MUSIC", "udf"}), "MUSIC");
    // Mounted discs, then folders, take the free letters.
    std::string disc = WriteFile("disc.img", IsoImage("RX417K"));
    for (const char* mount : {"mnt/disc", "mnt/other"}) fs::create_directories(dir_ / mount);
    WriteFile("folder/label", {'A', 'u', 'd', 'i', 'o', 'C', 'D', '\r', '\n'});
    WriteFile("folder/Track01.wav", {0});
    HostSetDrive('D', dir_.string());  // already taken
    std::string table = "/dev/sda1 / ext4 rw 0 0\n" + disc + " " + (dir_ / "mnt/disc").string() +
                        " iso9660 ro 0 0\n/dev/none " + (dir_ / "mnt/other").string() +
                        " udf ro 0 0\n" + "tmpfs /tmp tmpfs rw 0 0\n";
    EXPECT_EQ(MountDiscsFrom(table, (dir_ / "folder").string()), 3);
    EXPECT_EQ(std::tuple(Label('E'), Label('F'), Label('G')),
              std::tuple("RX417K", "other", "AudioCD"));
    EXPECT_EQ(std::pair(GetDriveTypeA("E:\\"), GetDriveTypeA("H:\\")),
              std::pair(DRIVE_CDROM, DRIVE_NO_ROOT_DIR));
    EXPECT_EQ(std::pair(HostPath("e:\\"), HostPath("G:\\TRACK01.WAV")),
              std::pair((dir_ / "mnt/disc").string(), (dir_ / "folder/Track01.wav").string()));
}

TEST_F(Disc, StartUpScanReadsTheEnvironment) {
    WriteFile("a/label", {'F', 'I', 'R', 'S', 'T'});
    WriteFile("b/label", {'S', 'E', 'C', 'O', 'N', 'D'});
    std::string list =
        (dir_ / "a").string() + ":" + (dir_ / "missing").string() + ":" + (dir_ / "b").string();
    ::setenv("MOONHARBOR_DISCS", list.c_str(), 1);
    int n = MountDiscs();
    ::unsetenv("MOONHARBOR_DISCS");
    ASSERT_GE(n, 2);
    // Real discs of this machine (if any) come first; the folders follow in order.
    std::vector<std::string> labels;
    for (char c = 'D'; c < 'D' + n; ++c) labels.push_back(Label(c));
    EXPECT_EQ(std::vector(labels.end() - 2, labels.end()),
              (std::vector<std::string>{"FIRST", "SECOND"}));
}
