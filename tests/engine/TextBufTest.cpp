// cTextBuf editing, the message routing to the active field, and the code map.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/Ime.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"

namespace {

struct TextBufTest : ::testing::Test {
    std::vector<int> sounds;
    void SetUp() override {
        ResetTextInput();
        InputPlatformReset();
        SetTextInputSound([this](int n) { sounds.push_back(n); });
    }
    void TearDown() override { ResetTextInput(); }
    static void Type(cTextBuf& f, const std::string& bytes) {
        for (unsigned char c : bytes) f.ImeProc(nullptr, WM_CHAR, c, 0);
    }
    static void Key(cTextBuf& f, u32 vk) { f.ImeProc(nullptr, WM_KEYDOWN, vk, 0); }
};

}  // namespace

// Bytes typed into an empty field of eight bytes, and the text it then holds.
TEST_F(TextBufTest, TypedInsertedEditedAndImeTextKeepsWholeCharacters) {
    const std::string yg = Utf8ToBig5("月港"), qi = Utf8ToBig5("奇");
    const struct {
        const char* what;
        std::string typed, text;
    } cases[] = {
        {"Big5 and ASCII", yg + "ab", yg + "ab"},
        // A two-byte character with one byte free does not go in.
        {"one byte free", yg + "abc" + qi, yg + "abc"},
        {"full", yg + "abc" + qi + "de", yg + "abcd"},
        {"a control byte cannot be a trail", "\xA4\x10x", "x"},
        {"0x80 leads nothing", "x\x80\xA5\x40", "x\xA5\x40"},
        {"percent and control bytes refused", "a%b\x05", "ab"},
    };
    for (const auto& c : cases) {
        cTextBuf f(8, 10, 20);
        Type(f, c.typed);
        EXPECT_EQ(std::string(f.Text()), c.text) << c.what;
    }
    cTextBuf f(8, 10, 20);
    Type(f, yg + "ab");
    EXPECT_EQ(f.GetCaret(), 6);
    // Only the percent sign is refused with a sound.
    EXPECT_EQ(sounds, std::vector<int>{kRefusedCharSfx});
    // An insert in the middle pushes out whole characters only.
    const std::string yue = Utf8ToBig5("月"), gang = Utf8ToBig5("港");
    cTextBuf m((yue + gang + "ab").c_str(), 6, 0, 0);
    EXPECT_EQ(std::string(m.Text()), yue + gang + "ab");
    Key(m, VK_RIGHT);
    // Half of 港 never stays.
    for (auto [typed, text] :
         {std::pair{"z", yue + "z" + gang + "a"}, {"y", yue + "zy" + gang}, {"x", yue + "zyx"}}) {
        Type(m, typed);
        EXPECT_EQ(std::string(m.Text()), text) << typed;
    }
    // Editing keys move by characters; Enter and Esc set the result.
    cTextBuf e((yue + "a" + yue).c_str(), 16, 0, 0);
    // At the start Backspace deletes the character at the start.
    const struct {
        u32 key;
        std::string text;
        int caret;
    } steps[] = {{VK_END, yue + "a" + yue, 5}, {VK_LEFT, yue + "a" + yue, 3},
                 {VK_BACK, yue + yue, 2},      {VK_HOME, yue + yue, 0},
                 {VK_DELETE, yue, 0},          {VK_BACK, "", 0}};
    for (const auto& s : steps) {
        Key(e, s.key);
        EXPECT_EQ(std::pair(std::string(e.Text()), e.GetCaret()), std::pair(s.text, s.caret))
            << s.key;
    }
    Key(e, VK_INSERT);
    EXPECT_EQ(e.GetInsertMode(), 1);
    Key(e, VK_RETURN);
    EXPECT_EQ(e.GetResult(), 1);
    Type(e, "a");
    EXPECT_EQ(e.GetResult(), 1) << "stays until the field is made anew";
    cTextBuf g;
    Key(g, VK_ESCAPE);
    EXPECT_EQ(g.GetResult(), 2);
    cTextBuf ime(8, 0, 0);
    SetActiveTextBuf(&ime);
    EXPECT_EQ((std::pair{TextInputHandleMessage(WM_IME_CHAR, 0xA4A4, 0), std::string(ime.Text())}),
              std::pair(true, std::string("\xA4\xA4")));
    EXPECT_EQ((std::pair{TextInputHandleMessage(WM_CHAR, 'q', 0), std::string(ime.Text())}),
              std::pair(false, std::string("\xA4\xA4q")));
    PlatformSetImeActive(true);
    TextInputHandleMessage(WM_INPUTLANGCHANGE, 0, 0);
    EXPECT_EQ(ime.GetImeMode(), 1);
    TextInputHandleMessage(WM_CHAR, 'r', 0);
    EXPECT_EQ(std::string(ime.Text()), "\xA4\xA4q");
    SetActiveTextBuf(nullptr);
    EXPECT_FALSE(TextInputHandleMessage(WM_IME_CHAR, 0xA4A4, 0));
    // GetText and SetText cut on character boundaries.
    cTextBuf t(5, 0, 0);
    EXPECT_EQ(t.SetText(("a" + yue + yue + "b").c_str()), 1);
    EXPECT_EQ(std::string(t.Text()), "a" + yue + yue);
    char out[8];
    std::memset(out, 'X', sizeof out);
    // Four bytes hold three of text and the zero.
    for (auto [room, text] :
         {std::pair{4, "a" + yue}, {3, std::string("a")}, {8, "a" + yue + yue}}) {
        t.GetText(out, room);
        EXPECT_EQ(std::string(out), text) << room;
    }
    Key(t, VK_END);
    t.SetText("z");
    Type(t, "y");
    EXPECT_EQ(std::string(t.Text()), "zy") << "the caret never stays past the text";
    // Cuts never split a character; the code map maps Big5 to GB2312 and back.
    const char cut[] = {'a', '\xA4', '\xA4', 'b', 0};
    for (auto [room, len] : {std::pair{0, 0}, {1, 1}, {2, 1}, {3, 3}, {99, 4}})
        EXPECT_EQ(MbsCutLen(cut, room), len) << room;
    const char lone[] = "a\xA4";
    EXPECT_EQ(MbsCutLen(lone, 5), 2) << "a final lead byte is one character";
    EXPECT_EQ(std::pair(Big5CharPrev(cut, cut + 3), Big5CharNext(cut + 1)),
              std::pair(cut + 1, cut + 3));
    // The code map from Big5 to GB2312 and back.
    EXPECT_EQ(CodeMapLookup(0x40A1), 0x2E2E) << "no map yet";
    BuildCodeMap();
    ASSERT_NE(gCodeMap, nullptr);
    EXPECT_EQ(gCodeMap[0x40A1], 0xA1A1) << "the full-width space";
    // 中 is A4 A4 in Big5 and D6 D0 in GB2312.
    // Codes without a pair stay as they are one way and become ".." the other.
    EXPECT_EQ(std::tuple(CodeMapLookup(0xA4A4), CodePairFind(0xD0D6), CodePairFind(0x1234),
                         CodeMapLookup(0x0041)),
              std::tuple(0xD0D6, 0xA4A4, 0x1234, 0x2E2E));
    int n = 0;
    const CodePair* pairs = CodePairs(&n);
    EXPECT_GT(n, 5000);
    EXPECT_EQ(pairs[n - 1].big5, 0);
    FreeCodeMap();
    EXPECT_EQ(gCodeMap, nullptr);
}
