// cDINPUT: keys by scan code, the mouse cursor with speed, clamp and origin tracking.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/DInput.h"
#include "engine/Ime.h"
#include "platform/Backend.h"
#include "platform/Display.h"
#include "platform/Input.h"
#include "platform/TextCodec.h"

namespace {

struct DInputTest : ::testing::Test {
    cDINPUT in;
    void SetUp() override {
        PlatformReset();
        InputPlatformReset();
        ASSERT_EQ(in.Init(nullptr, nullptr), 0);
    }
    void TearDown() override { InputPlatformReset(); }
    std::pair<int, int> Read() {
        i32 x = -1, y = -1;
        in.ReadMouse(&x, &y);
        return {x, y};
    }
};

// Moves of the device, each followed by a read, and where the cursor then is.
struct Move {
    i32 dx, dy, x, y;
};
void Moves(DInputTest& t, std::initializer_list<Move> moves) {
    for (const Move& m : moves) {
        PlatformMoveMouse(m.dx, m.dy);
        EXPECT_EQ(t.Read(), std::make_pair(m.x, m.y)) << m.dx << "," << m.dy;
    }
}

TEST_F(DInputTest, KeysButtonsCursorAndTheScanCodeTable) {
    EXPECT_EQ(in.GetFirstKey(), 0);
    for (u8 key : {0xC8, 0x3B}) PlatformSetKey(key, true);
    EXPECT_EQ(in.IsKeyDown(0xC8), 0) << "the state changes only on ReadKeyboard";
    in.ReadKeyboard();
    EXPECT_EQ(std::tuple(in.IsKeyDown(0xC8), in.IsKeyDown(0x3B), in.GetFirstKey()),
              std::tuple(0x80, 0x80, 0x3B));
    PlatformSetKey(0x3B, false);
    in.ReadKeyboard();
    EXPECT_EQ(std::tuple(in.IsKeyDown(0x3B), in.IsKeyDown(-1), in.IsKeyDown(300)),
              std::tuple(0, 0, 0));
    in.PressKey(0x10);
    EXPECT_EQ(in.GetFirstKey(), 0x10);
    // PollInput refreshes the global device.
    ResetDInput();
    PlatformSetKey(0x1C, true);
    PollInput();
    EXPECT_TRUE(gDInput.IsKeyDown(0x1C));
    ResetDInput();
    EXPECT_FALSE(gDInput.IsKeyDown(0x1C));
    // Buttons come back as bits.
    for (int bits = 1; bits <= 3; ++bits) {
        PlatformSetMouseButtons(bits & 1, bits & 2);
        EXPECT_EQ(in.ReadMouse(nullptr, nullptr), bits);
    }
    PlatformSetMouseCounters(5000, -300);
    ASSERT_EQ(in.Init(nullptr, nullptr), 0);
    EXPECT_EQ(Read(), std::make_pair(0, 0));
    // Past the right edge the origin follows and the cursor comes back at once.
    Moves(*this, {{100, 50, 100, 50},
                  {5000, 0, 639, 50},
                  {-10, 0, 629, 50},
                  {-5000, -500, 0, 0},
                  {3, 4, 3, 4}});
    in.SetMousePos(700, -5);
    EXPECT_EQ(Read(), std::make_pair(639, 0));
    in.SetMousePos(0, 0);
    in.SetMouseSpeed(2.0);
    ASSERT_EQ(in.GetSpeed(), 20);
    // 6390 / 20 = 319 units from the edge.
    Moves(*this, {{100, 50, 200, 100}, {9000, 9000, 639, 479}, {-10, -10, 618, 458}});
    in.SetMousePos(320, 240);
    EXPECT_EQ(Read(), std::make_pair(320, 240));
    // The speed is never below one.
    for (double speed : {0.01, -3.0}) {
        in.SetMouseSpeed(speed);
        EXPECT_EQ(in.GetSpeed(), 1) << speed;
    }
    Moves(*this, {{10000, 10000, 639, 479}});
    in.SetMousePos(5, 5);  // divides by the speed
    EXPECT_EQ(Read(), std::make_pair(5, 5));
    // The picture fills a window of any size by whole multiples, centred. Moving
    // the system pointer by (100, 100) picture pixels moves the cursor (speed 2.0,
    // as the game sets it) by (100, 100), and wherever the pointer stands the cursor
    // is under it, also after the pointer went past the picture's edges.
    const struct {
        i32 w, h, scale, x, y;
    } kWindows[] = {{640, 480, 1, 0, 0},
                    {1280, 960, 2, 0, 0},
                    {1024, 768, 1, 192, 144},
                    {1280, 1024, 2, 0, 32},
                    {1920, 1080, 2, 320, 60}};
    for (const auto& win : kWindows) {
        SCOPED_TRACE(testing::Message() << win.w << "x" << win.h);
        DisplaySetHeadlessWindowSize(win.w, win.h);
        DisplayPlace at = DisplayWindowPlace();
        EXPECT_EQ(std::tuple(at.scale, at.x, at.y), std::tuple(win.scale, win.x, win.y));
        ASSERT_EQ(in.Init(nullptr, nullptr), 0);
        in.SetMouseSpeed(2.0);
        in.SetMousePos(320, 240);
        EXPECT_EQ(Read(), std::make_pair(320, 240));
        // Picture points, and past the edges the window's corners (-1 where
        // the far corner, -2 where (-5, -5) in the window), and where the
        // cursor then is.
        const i32 points[][4] = {{420, 340, 420, 340}, {0, 0, 0, 0},       {100, 60, 100, 60},
                                 {638, 478, 638, 478}, {-1, -1, 638, 478}, {600, 400, 600, 400},
                                 {-2, -2, 0, 0},       {40, 20, 40, 20}};
        for (const auto& p : points) {
            if (p[0] == -1)
                PlatformPointerAt(win.w - 1, win.h - 1);
            else if (p[0] == -2)
                PlatformPointerAt(-5, -5);
            else
                PlatformPointerAt(win.x + p[0] * win.scale, win.y + p[1] * win.scale);
            EXPECT_EQ(Read(), std::make_pair(p[2], p[3])) << p[0] << "," << p[1];
        }
    }
    DisplaySetHeadlessWindowSize(640, 480);
    // The scan-code table: each code maps back, and every key the game names is there.
    std::set<int> have;
    for (int sdl = 0; sdl < kSdlScancodeLimit; ++sdl) {
        u8 code = ScanCodeFromSdl(sdl);
        if (!code) continue;
        EXPECT_TRUE(have.insert(code).second) << "scan code " << int(code) << " twice";
        EXPECT_EQ(SdlFromScanCode(code), sdl);
    }
    // Map keys, interface bindings, F1-F4, F9, F10, F12, P, Insert, Delete, Home and
    // the extended keys of the numeric pad and the right-hand modifiers.
    std::vector<int> named = {0x01, 0x39, 0x36, 0xCB, 0xC8, 0xCD, 0xD0, 0xC9, 0xD1, 0x9D,
                              0xCF, 0x1C, 0x13, 0x1E, 0x22, 0x3B, 0x3C, 0x3D, 0x3E, 0x43,
                              0x44, 0x58, 0x19, 0x0F, 0xD2, 0xD3, 0xC7, 0x9C, 0xB5, 0xB8,
                              0xB7, 0xC5, 0x2A, 0x1D, 0x38, 0xDB, 0xDC, 0xDD, 0x0E};
    // Every letter and digit and F1-F10.
    for (auto [first, last] :
         {std::pair{0x02, 0x0B}, {0x10, 0x19}, {0x1E, 0x26}, {0x2C, 0x32}, {0x3B, 0x44}})
        for (int code = first; code <= last; ++code) named.push_back(code);
    for (int code : named) EXPECT_TRUE(have.count(code)) << "no key gives scan code " << code;
}

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
