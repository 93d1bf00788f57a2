// Message-box text broken into lines that fit the 640-pixel screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Big5.h"
#include "platform/TextCodec.h"
#include "platform/Win.h"

namespace {

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

}  // namespace

TEST(BoxText, LinesFitTheScreenAndCharactersStayWhole) {
    const std::string kDamaged =
        "MH_Data\\ItemData.dat: offset 0: record count 65535 refused: the file holds 208 records "
        "of 180 bytes";
    const std::string kChar = B5("測");
    ASSERT_EQ(kChar.size(), 2u);
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
