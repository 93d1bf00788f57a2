// Error boxes: texts, captions and buttons as the player sees them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/Big5.h"
#include "engine/ErrorBox.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"
#include "support/Harness.h"

namespace {

// Message-box text broken into lines that fit the 640-pixel screen.

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == '\n')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// True when the bytes are whole characters: no lead byte without its trail.
bool WholeCharacters(const std::string& s) {
    return Big5Cut(s.data(), s.size(), s.size()) == s.size();
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(ErrorBox, TextsCaptionsButtonsAndLinesThatFitTheScreen) {
    Harness h;
    ErrorBox("Moonharbor", "RoleDataBase init Failed.");
    // The box may format the scratch text itself; long texts are cut.
    std::snprintf(gScratchBuf, sizeof(gScratchBuf), "%s", "MH_Data\\Talk1.dat");
    ErrorBox(B5("對話系統"), "%s %s", gScratchBuf, gScratchBuf);
    std::string lng(3000, 'y');
    ErrorBox("c", "%s", lng.c_str());
    for (u32 code : {0x8878000Au, 0x12345678u, 0x80040110u}) DSErrorBox(nullptr, "cap", code);
    DDErrorBox(nullptr, "DirectDraw Create Error!!");
    PlatformSetBoxAnswer(IDIGNORE);
    EXPECT_EQ(MaintenanceBox(nullptr, "bad %d", 7, "x.cpp", 12), 1);
    const auto& b = h.boxes();
    ASSERT_EQ(b.size(), 8u);
    EXPECT_EQ(std::tuple(b[0].text, b[0].caption, b[0].type),
              std::tuple("RoleDataBase init Failed.", "Moonharbor", MB_OK));
    EXPECT_EQ(b[1].text, "MH_Data\\Talk1.dat MH_Data\\Talk1.dat");
    EXPECT_EQ(b[2].text.size(), 1023u);
    EXPECT_EQ(std::tuple(b[3].text, b[4].text, b[5].text, b[6].text, b[6].caption),
              std::tuple("DSERR_ALLOCATED", "DSERR", "DSERR_NOAGGREGATION ", "DDERR",
                         "DirectDraw Create Error!!"));
    EXPECT_EQ(std::tuple(b[7].caption, b[7].text, b[7].type),
              std::tuple(B5("維護錯誤"), B5("\n檔案: x.cpp\n行數: 第12行\n錯誤: bad 7"),
                         MB_ABORTRETRYIGNORE | MB_ICONERROR));
    // Message-box text broken into lines that fit the 640-pixel screen.
    const std::string kDamaged =
        "MH_Data\\ItemData.dat: offset 0: record count 65535 refused: the file holds 208 records "
        "of 180 bytes";
    const std::string kChar = B5("測");
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } kCases[] = {
        // Broken after the last space that keeps 72 columns; the space goes.
        {kDamaged,
         {"MH_Data\\ItemData.dat: offset 0: record count 65535 refused: the file",
          "holds 208 records of 180 bytes"}},
        // One column and 50 double-byte characters: 1 + 35 x 2 = 71 columns fit,
        // a 36th character would end at column 73.
        {"a" + Repeat(kChar, 50), {"a" + Repeat(kChar, 35), Repeat(kChar, 15)}},
        // Lines of their own are kept; a short text is left as it is.
        {"DDraw init Failed.\nMoonharbor", {"DDraw init Failed.", "Moonharbor"}},
        // A word longer than a line is cut between two characters.
        {std::string(80, 'x') + " y", {std::string(72, 'x'), std::string(8, 'x') + " y"}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> got = Lines(BreakBoxText(c.text));
        EXPECT_EQ(got, c.lines);
        for (const std::string& line : got) {
            EXPECT_LE(line.size(), kBoxColumns);
            EXPECT_TRUE(WholeCharacters(line)) << line;
        }
    }
}

}  // namespace
