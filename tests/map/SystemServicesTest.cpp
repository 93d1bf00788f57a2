// System services: name texts, name lookup, angles and directions, random ranges.
#include "MapTestSupport.h"

namespace {
void WriteNames(Harness& h, const std::vector<u8>& bytes) {
    std::filesystem::create_directories(h.Path("MH_Data"));
    WriteHostFile(h.Path("MH_Data/namex.dat"), bytes);
}
}  // namespace

TEST(NameTexts, TextsEndAtTheirMarkBadTablesReadNothingAndIdsIgnoreCase) {
    Harness h;
    // Text i read into n bytes of a buffer full of 'z': its length and the text.
    using Read = std::pair<int, std::string>;
    auto read = [](int i, int n) {
        char buf[64];
        std::memset(buf, 'z', sizeof(buf) - 1);
        buf[63] = 0;
        const int got = ReadNameText(i, n, buf, "%Q");
        return Read(got, buf);
    };
    WriteNames(h, BuildNameTexts({"Alpha", "\xA4\xEB\xB4\xE4", "C"}));
    EXPECT_EQ(std::tuple(read(0, 64), read(1, 64), read(2, 64)),
              std::tuple(Read(5, "Alpha"), Read(4, "\xA4\xEB\xB4\xE4"), Read(1, "C")));
    // The last text loses its mark: cut and terminated; past the table nothing.
    std::vector<u8> b = BuildNameTexts({"Short", "LongerText"});
    b.resize(b.size() - 2);
    WriteNames(h, b);
    EXPECT_EQ(std::tuple(read(1, 8), read(2, 8), read(-1, 8).first, read(1000000, 8).first),
              std::tuple(Read(7, "LongerT"), Read(0, ""), 0, 0));
    // A table entry pointing past the end of the file; a file too short for its table.
    std::vector<u8> bad = BuildNameTexts({"A"});
    StoreU16(bad.data() + 512, 0xFFFF);
    for (const std::vector<u8>& file : {bad, std::vector<u8>(100, 0)}) {
        WriteNames(h, file);
        EXPECT_EQ(read(0, 8).first, 0);
    }
    // The id lookup ignores case.
    const char rows[] = "\x05Harbour%Q\xFELighthouse%Q\x07Market%Q";
    std::vector<u8> t(rows, rows + sizeof(rows));  // ends with the 0 byte
    auto id = [&](const char* name, size_t n) { return FindNameIdIn(t.data(), n, name); };
    // The last is cut inside a row.
    EXPECT_EQ(std::tuple(id("harbour", t.size()), id("LIGHTHOUSE", t.size()),
                         id("Market", t.size()), id("Harb", t.size()), id("Harbour", 5)),
              std::tuple(5, -2, 7, -1, -1));
}

TEST(Angles, SineTableQuadrantsDistanceDirectionsAndTheTargetAllRound) {
    // The table is the floored sine.
    for (int k = 0; k < 90; ++k)
        EXPECT_EQ(kAngleTable[k], static_cast<i16>(std::floor(8192 * std::sin(k * M_PI / 180))))
            << k;
    // The angle from the origin to (x, y) and the distance.
    auto angle = [](i32 x, i32 y) {
        i32 d = -1;
        const int a = GetAngleTo(0, 0, x, y, &d);
        return std::pair(a, d);
    };
    EXPECT_EQ(angle(0, 0), std::pair(0, 0));
    EXPECT_EQ(angle(-100, 0), std::pair(355, 100));  // dy = 0, dx >= 0: 270 up, sin nearest 0
    EXPECT_EQ(angle(100, 0).first, 180);             // dx < 0
    EXPECT_EQ(angle(0, 100).first, 85);  // dy < 0, dx >= 0: 0 up to 85, the largest sine
    // dy -40, dx -30: up and to the left; |s| 6553 is nearest sin 54 (6627), seven steps from 90.
    EXPECT_EQ(angle(30, 40), std::pair(90 + 5 * 7, 50));
    EXPECT_EQ(GetAngleTo(10, 10, 13, 14, nullptr) % 5, 0);
    // Directions, borders and angles outside 0..360 included.
    const int kCases[][2] = {{0, 3},   {360, 0}, {30, 7}, {90, 0}, {180, 2},
                             {270, 1}, {350, 3}, {-5, 0}, {361, 0}};
    for (const auto& c : kCases) EXPECT_EQ(AngleToDirection(c[0]), c[1]) << c[0];
    // The angle runs from the second point toward the first, counted up from the
    // right as on a screen whose y grows downward: checked against atan2 all round,
    // and the direction code against the nearest of the eight.
    auto reference = [](double dx, double dy) {
        double a = std::atan2(-dy, dx) * 180 / M_PI;
        return a < 0 ? a + 360 : a;
    };
    // Direction codes counter-clockwise from the right: right, up-right, up, ...
    const int kByOctant[8] = {3, 7, 0, 4, 2, 6, 1, 5};
    for (int k = 0; k < 360; k += 3) {
        for (double r : {20.0, 150.0, 900.0, 5000.0}) {
            i32 dx = static_cast<i32>(std::lround(r * std::cos(k * M_PI / 180)));
            i32 dy = static_cast<i32>(std::lround(-r * std::sin(k * M_PI / 180)));
            double want = reference(dx, dy);
            int got = GetAngleTo(500 + dx, 400 + dy, 500, 400, nullptr);
            // The distance is cut to an integer: only far points give the angle to 5 degrees.
            double off = std::fabs(got - want);
            EXPECT_TRUE(r < 900 || std::min(off, 360 - off) <= 5.0)
                << k << " r " << r << ": " << got;
            // Away from the borders between two directions the code is the nearest one.
            double inOctant = std::fmod(want + 22.5, 45.0);
            if (inOctant < 6 || inOctant > 39) continue;
            int octant = static_cast<int>((want + 22.5) / 45) % 8;
            EXPECT_EQ(AngleToDirection(got), kByOctant[octant]) << k << " r " << r;
        }
    }
}

TEST(RandomBetween, StaysInsideTheBounds) {
    InitRandom(7);
    bool seen[3] = {};
    for (int i = 0; i < 300; ++i) {
        i32 r = RandomBetween(5, 2);
        ASSERT_TRUE(r >= 2 && r <= 4) << r;
        seen[r - 2] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
    EXPECT_EQ(std::tuple(RandomBetween(9, 9), RandomBetween(-3, -2)), std::tuple(9, -3));
    // A span above one random word (a map's width in pixels) still ends.
    i32 wide = RandomBetween(0, 100000);
    EXPECT_TRUE(wide >= 0 && wide < 100000) << wide;
}
