// System services: name texts, name lookup, angles and directions, random ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/Random.h"
#include "map/SystemServices.h"
#include "mhdata/NameTexts.h"
#include "platform/HostFs.h"
#include "support/Harness.h"

namespace {
void WriteNames(Harness& h, const std::vector<u8>& bytes) {
    std::filesystem::create_directories(h.Path("MH_Data"));
    WriteHostFile(h.Path("MH_Data/namex.dat"), bytes);
}
}  // namespace

TEST(NameTexts, TextsEndAtTheirMark) {
    Harness h;
    WriteNames(h, BuildNameTexts({"Alpha", "\xA4\xEB\xB4\xE4", "C"}));
    char buf[64];
    EXPECT_EQ(ReadNameText(0, 64, buf, "%Q"), 5);
    EXPECT_STREQ(buf, "Alpha");
    EXPECT_EQ(ReadNameText(1, 64, buf, "%Q"), 4);
    EXPECT_STREQ(buf, "\xA4\xEB\xB4\xE4");
    EXPECT_EQ(ReadNameText(2, 64, buf, "%Q"), 1);
    EXPECT_STREQ(buf, "C");
}

TEST(NameTexts, MissingMarksAndNumbersBeyondTheTable) {
    Harness h;
    std::vector<u8> b = BuildNameTexts({"Short", "LongerText"});
    b.resize(b.size() - 2);  // the last text loses its mark
    WriteNames(h, b);
    char buf[8];
    std::memset(buf, 'z', sizeof(buf));
    EXPECT_EQ(ReadNameText(1, 8, buf, "%Q"), 7);  // cut and terminated
    EXPECT_STREQ(buf, "LongerT");
    EXPECT_EQ(ReadNameText(2, 8, buf, "%Q"), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(ReadNameText(-1, 8, buf, "%Q"), 0);
    EXPECT_EQ(ReadNameText(1000000, 8, buf, "%Q"), 0);
    // A table entry pointing past the end of the file.
    std::vector<u8> bad = BuildNameTexts({"A"});
    bad[512] = 0xFF;
    bad[513] = 0xFF;
    WriteNames(h, bad);
    EXPECT_EQ(ReadNameText(0, 8, buf, "%Q"), 0);
    // A file too short for its table.
    WriteNames(h, std::vector<u8>(100, 0));
    EXPECT_EQ(ReadNameText(0, 8, buf, "%Q"), 0);
}

TEST(NameTexts, IdLookupIgnoresCase) {
    const char rows[] = "\x05" "Harbour%Q" "\xFE" "Lighthouse%Q" "\x07" "Market%Q";
    std::vector<u8> t(rows, rows + sizeof(rows));  // ends with the 0 byte
    EXPECT_EQ(FindNameIdIn(t.data(), t.size(), "harbour"), 5);
    EXPECT_EQ(FindNameIdIn(t.data(), t.size(), "LIGHTHOUSE"), -2);
    EXPECT_EQ(FindNameIdIn(t.data(), t.size(), "Market"), 7);
    EXPECT_EQ(FindNameIdIn(t.data(), t.size(), "Harb"), -1);
    EXPECT_EQ(FindNameIdIn(t.data(), 5, "Harbour"), -1);  // cut inside a row
}

TEST(Angles, TableIsTheFlooredSine) {
    for (int k = 0; k < 90; ++k)
        EXPECT_EQ(kAngleTable[k], static_cast<i16>(std::floor(8192 * std::sin(k * M_PI / 180)))) << k;
}

TEST(Angles, QuadrantsAndDistance) {
    i32 d = -1;
    EXPECT_EQ(GetAngleTo(0, 0, 0, 0, &d), 0);
    EXPECT_EQ(d, 0);
    EXPECT_EQ(GetAngleTo(0, 0, -100, 0, &d), 355);  // dy = 0, dx >= 0: 270 up, sin nearest 0
    EXPECT_EQ(d, 100);
    EXPECT_EQ(GetAngleTo(0, 0, 100, 0, &d), 180);  // dx < 0
    EXPECT_EQ(GetAngleTo(0, 0, 0, 100, &d), 85);   // dy < 0, dx >= 0: 0 up to 85, the largest sine
    EXPECT_EQ(GetAngleTo(0, 0, 30, 40, &d), 90 - 5 * 7);  // dy -40, dx -30: |s| 6553 nearest sin 55
    EXPECT_EQ(d, 50);
    EXPECT_EQ(GetAngleTo(10, 10, 13, 14, nullptr) % 5, 0);
}

TEST(Angles, Directions) {
    EXPECT_EQ(AngleToDirection(0), 3);
    EXPECT_EQ(AngleToDirection(360), 0);
    EXPECT_EQ(AngleToDirection(30), 7);
    EXPECT_EQ(AngleToDirection(90), 0);
    EXPECT_EQ(AngleToDirection(180), 2);
    EXPECT_EQ(AngleToDirection(270), 1);
    EXPECT_EQ(AngleToDirection(350), 3);
    EXPECT_EQ(AngleToDirection(-5), 0);
    EXPECT_EQ(AngleToDirection(361), 0);
}

TEST(RandomBetween, StaysInsideTheBounds) {
    InitRandom(7);
    bool seen[3] = {};
    for (int i = 0; i < 300; ++i) {
        i32 r = RandomBetween(5, 2);
        ASSERT_GE(r, 2);
        ASSERT_LE(r, 4);
        seen[r - 2] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
    EXPECT_EQ(RandomBetween(9, 9), 9);
    EXPECT_EQ(RandomBetween(-3, -2), -3);
}
