// Text and input: cDINPUT keys by scan code and the mouse cursor with speed,
// clamp and origin tracking; cTextBuf editing; cGrpFont drawing and glyphs.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/DInput.h"
#include "engine/GrpFont.h"
#include "engine/Ime.h"
#include "platform/Backend.h"
#include "platform/CodePage.h"
#include "platform/Display.h"
#include "platform/Glyphs.h"
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

// Bytes typed into an empty field of eight bytes, the text it holds and the caret.
TEST_F(TextBufTest, TypedInsertedEditedAndImeTextKeepsWholeCharacters) {
    const std::string yg = Utf8ToBig5("月港"), qi = Utf8ToBig5("奇");
    const struct {
        const char* what;
        std::string typed, text;
        int caret;
    } cases[] = {
        {"Big5 and ASCII", yg + "ab", yg + "ab", 6},
        // A two-byte character with one byte free does not go in.
        {"one byte free", yg + "abc" + qi, yg + "abc", 7},
        {"full", yg + "abc" + qi + "de", yg + "abcd", 8},
        {"a control byte cannot be a trail", "\xA4\x10x", "x", 1},
        {"0x80 leads nothing", "x\x80\xA5\x40", "x\xA5\x40", 3},
        {"percent and control bytes refused", "a%b\x05", "ab", 2},
    };
    for (const auto& c : cases) {
        cTextBuf f(8, 10, 20);
        Type(f, c.typed);
        EXPECT_EQ(std::pair(std::string(f.Text()), f.GetCaret()), std::pair(c.text, c.caret))
            << c.what;
    }
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
    Key(e, VK_RETURN);
    Type(e, "a");  // the result stays until the field is made anew
    EXPECT_EQ(std::pair(e.GetInsertMode(), e.GetResult()), std::pair(1, 1));
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
    TextInputHandleMessage(WM_CHAR, 'r', 0);  // refused while the IME is on
    EXPECT_EQ(std::pair(ime.GetImeMode(), std::string(ime.Text())),
              std::pair(1, std::string("\xA4\xA4q")));
    SetActiveTextBuf(nullptr);
    EXPECT_FALSE(TextInputHandleMessage(WM_IME_CHAR, 0xA4A4, 0));
    // GetText and SetText cut on character boundaries.
    cTextBuf t(5, 0, 0);
    EXPECT_EQ((std::pair{t.SetText(("a" + yue + yue + "b").c_str()), std::string(t.Text())}),
              std::pair(1, "a" + yue + yue));
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
    // Stepping by characters across a trailing lead byte and a pair.
    const char cut[] = {'a', '\xA4', '\xA4', 'b', 0};
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

using Px = std::tuple<int, int, int>;  // x, y, value

constexpr int kW = 32;
constexpr int kH = 24;
constexpr u16 kInk = 0x7000;
constexpr u16 kShade = 0x0011;

// Glyph pixels the fake source draws, by code.
std::map<u16, std::vector<std::pair<int, int>>> gShapes;

void FakeSource(int, u16 code, u8* cell, int cellW, int cellH, int rowBytes) {
    for (auto [c, r] : gShapes[code])
        if (c < cellW && r < cellH) cell[r * rowBytes + c / 8] |= 0x80 >> (c % 8);
}

struct FontTest : ::testing::Test {
    cGrpFont font;
    std::vector<u16> buf = std::vector<u16>(kW * kH, 0);

    void SetUp() override {
        // 'a' one pixel at the cell's corner, 'b' two pixels, one under the other.
        gShapes = {{'a', {{0, 0}}}, {'b', {{1, 1}, {1, 2}}}};
        GlyphSetFake(FakeSource);
        GlyphResetStats();
        font.Init(kW, kH);
        font.SetFont("fake", 8);
    }
    void TearDown() override { GlyphSetFake(nullptr); }

    std::vector<Px> Ink() const {
        std::vector<Px> out;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (buf[y * kW + x]) out.emplace_back(x, y, buf[y * kW + x]);
        return out;
    }
    int drawn = 0;  // what the last Draw returned
    std::vector<Px> Draw(const char* text, int x, int y, int style) {
        std::fill(buf.begin(), buf.end(), 0);
        drawn = font.DrawString(buf.data(), x, y, text, kInk, style);
        return Ink();
    }
};

// Glyphs of many pixels in every style against a pixel-by-pixel painter of the
// style rules, inside the clip and across its edges.
constexpr int kRowsW = 64, kRowsH = 48, kCell = 16;
std::vector<u8> gBits(kCell* kCell);  // the glyph of 'a', a byte per pixel

// The rules: an outline rings each pixel (the row above, the left neighbour,
// the row below from left to right) first; then row by row the ink (twice as
// wide when bold) and its shadow one row down; the ramp moves the ink each row.
// A pixel is written only inside the clip, one column short of its right edge.
std::vector<u16> Paint(std::vector<u16> buf, int x, int y, int style, int kind, int L, int T, int R,
                       int B) {
    bool bold = kind == kStyleBoldShadow || kind == kStyleBoldOutline;
    bool outline = kind == kStyleOutline || kind == kStyleBoldOutline;
    bool shadow = kind == kStyleShadow || kind == kStyleBoldShadow;
    int reach = bold ? 2 : 1;
    auto put = [&](int px, int py, u16 v) {
        if (px >= L && px + 1 < R && py >= T && py < B) buf[py * kRowsW + px] = v;
    };
    auto on = [&](int r, int c) { return gBits[r * kCell + c] != 0; };
    if (outline)
        for (int r = 0; r < kCell; ++r)
            for (int c = 0; c < kCell; ++c) {
                int px = x + c, py = y + r;
                if (!on(r, c) || py <= T || py + 1 >= B || px < L - 1 || px + reach >= R) continue;
                for (int d = 0; d < reach; ++d)
                    for (auto [dx, dy] :
                         {std::pair{0, -1}, {-1, 0}, {0, 0}, {-1, 1}, {0, 1}, {1, 1}})
                        put(px + d + dx, py + dy, kShade);
            }
    u16 ink = kInk;
    for (int r = 0; r < kCell; ++r) {
        int py = y + r;
        for (int c = 0; c < kCell; ++c) {
            int px = x + c;
            if (!on(r, c) || py < T || py >= B || (shadow && py + 1 >= B)) continue;
            if (px < L || px + reach >= R) continue;
            buf[py * kRowsW + px] = ink;
            if (bold) buf[py * kRowsW + px + 1] = ink;
            if (shadow) put(px + bold, py + 1, kShade), put(px + bold + 1, py + 1, kShade);
        }
        ink = static_cast<u16>(style & kStyleRampDown ? ink - 1
                               : style & kStyleRampUp ? ink + 1
                                                      : ink);
    }
    return buf;
}

// The pixels of each style, the ramp and the clip edges are checked against a
// painter of the rules below; here how the style word picks one, and
// texts that draw nothing or less than they hold.
TEST_F(FontTest, TheLowestStyleBitPicksTheStyleAndEmptyTextsDrawNothing) {
    EXPECT_TRUE(Draw("a", 5, 5, 0x20).empty()) << "no style bit draws nothing";
    EXPECT_EQ(Draw("a", 5, 5, kStylePlain | kStyleOutline), (std::vector<Px>{{5, 5, kInk}}));
    // A lone lead byte at the end is not paired with the zero.
    gShapes[0x00A4] = {{0, 0}};
    const char lone[] = {'a', char(0xA4), 0};
    EXPECT_EQ((std::tuple{Draw(lone, 0, 0, kStylePlain).size(), drawn, font.FindGlyph(0x00A4),
                          font.GetGlyphCount()}),
              std::tuple(size_t{1}, 2, -1, 1));
    // Empty text and a released font.
    EXPECT_EQ((std::pair{Draw("", 0, 0, 1).empty(), drawn}), std::pair(true, 0));
    font.Release();
    EXPECT_EQ((std::pair{Draw("a", 0, 0, 1).empty(), drawn}), std::pair(true, 0));
    font.Init(kW, kH);
    EXPECT_EQ((std::pair{Draw("a", 0, 0, 1).size(), drawn}), std::pair(size_t{1}, 1));
    // A clip is cut to the target.
    int l, t, w, h;
    for (auto [in, out] : {std::pair{std::tuple(-5, -5, 100, 100), std::tuple(0, 0, kW, kH)},
                           {std::tuple(30, 20, 10, 10), std::tuple(30, 20, 2, 4)}}) {
        font.SetClip(std::get<0>(in), std::get<1>(in), std::get<2>(in), std::get<3>(in));
        font.GetClip(&l, &t, &w, &h);
        EXPECT_EQ(std::tuple(l, t, w, h), out);
    }
}

TEST_F(FontTest, PenAdvancesFullForBig5AndHalfForAsciiAndBackgroundsFillEachCell) {
    font.SetAdvance(18);
    gShapes[0xA4A4] = {{0, 1}};
    // "a", then a Big5 character, then "a": the Big5 one starts at 18 - 9 = 9, the last at 27.
    const char text[] = {'a', char(0xA4), char(0xA4), 'a', 0};
    font.SetTargetSize(kW, kH);
    // After a Big5 character the pen moves the full advance.
    EXPECT_EQ((std::pair{Draw(text, 0, 0, kStylePlain), drawn}),
              std::pair(std::vector<Px>{{0, 0, kInk}, {27, 0, kInk}, {9, 1, kInk}}, 4));
    // The background fills each cell, the last one narrower.
    font.SetFont("fake", 8);
    gShapes['a'].clear();
    font.SetAdvance(10);
    font.SetBkColor(0x0505);
    // First cell: the half-advance, 5 wide; the last: cell width - half-advance
    // + 2 = 8 - 5 + 2 = 5; both the cell's 8 rows tall.
    std::vector<Px> cells;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 5 + 5; ++x) cells.emplace_back(x, y, 0x0505);
    EXPECT_EQ(Draw("aa", 0, 0, kStylePlain), cells);
    font.SetBkColor(kNoBkColor);
    EXPECT_TRUE(Draw("aa", 0, 0, kStylePlain).empty());
}

TEST_F(FontTest, CacheRendersEachCodeOnceKeepsCodesSortedAndWhenFullDropsTheHighest) {
    for (const char* text : {"a", "a", "cba"}) Draw(text, 0, 0, kStylePlain);
    EXPECT_EQ(std::tuple(GlyphRenderCount(), font.GetGlyphCount(), font.FindGlyph('a'),
                         font.FindGlyph('b'), font.FindGlyph('c'), font.FindGlyph('z')),
              std::tuple(3, 3, 0, 1, 2, -1));
    font.SetFont("fake", 8);
    EXPECT_EQ(font.GetGlyphCount(), 0) << "a new font empties the cache";
    // A full cache drops the highest code.
    std::string text;
    int made = 0;
    // 1998 distinct Big5 codes, low ones first.
    for (int lead = 0xA4; made < kGlyphsKept; ++lead)
        for (int trail = 0x40; trail <= 0x7E && made < kGlyphsKept; ++trail, ++made)
            text += {char(lead), char(trail)};
    font.DrawString(buf.data(), 0, 0, text.c_str(), kInk, kStylePlain);
    ASSERT_EQ(font.GetGlyphCount(), kGlyphsKept);
    // A code above all others (trail 0xFE is the highest byte) is drawn but not kept.
    gShapes[0xFEF9] = {{0, 0}};
    const char high[] = {char(0xF9), char(0xFE), 0};
    EXPECT_EQ(Draw(high, 3, 3, kStylePlain), (std::vector<Px>{{3, 3, kInk}}));
    EXPECT_EQ(std::pair(font.GetGlyphCount(), font.FindGlyph(0xFEF9)), std::pair(kGlyphsKept, -1));
    int before = GlyphRenderCount();
    Draw(high, 3, 3, kStylePlain);
    EXPECT_EQ(GlyphRenderCount(), before + 1) << "not kept, so rendered again";
    // A low code pushes the highest kept one out instead.
    const char low[] = {'a', 0};
    Draw(low, 0, 0, kStylePlain);
    EXPECT_EQ(std::pair(font.GetGlyphCount(), font.FindGlyph('a')), std::pair(kGlyphsKept, 0));
}

TEST(GameFonts, SettingsGlyphIndicesAndEveryStyleMatchingThePixelRulesInsideAndAtTheClip) {
    GlyphSetFake(FakeSource);
    ResetGameFonts();
    RecreateFonts();
    EXPECT_EQ(std::tuple(gMainFont.GetSize(), gMainFont.GetAdvance(), gSmallFont.GetAdvance()),
              std::tuple(16, 18, 16));
    gMainFont.SetAdvance(30);
    gSecondFont.SetShadowColor(0x1F);
    gSecondFontSetting.shadow = 0x3E0;
    ResetFontAdvances();
    EXPECT_EQ(std::pair(gMainFont.GetAdvance(), gSecondFont.GetShadowColor()),
              std::pair(18, u16{0x3E0}));
    ReleaseFontObjects();
    EXPECT_FALSE(gMainFont.HasFace());
    RecreateFonts();
    EXPECT_TRUE(gMainFont.HasFace());
    ResetGameFonts();
    // Lead, trail, index: the common block from A440, the rarer one from C940,
    // symbols before them, and codes outside every block at 0.
    const int cases[][3] = {
        {0xA1, 0x40, 0},   {0xA1, 0x7E, 62},   {0xA1, 0xA1, 63},
        {0xA2, 0x40, 157}, {0xA4, 0x40, 408},  {0xC6, 0x7E, 408 + 34 * 157 + 62},
        {0xC6, 0xA1, 0},   {0xC7, 0x41, 5809}, {0xC9, 0xFE, 6172 + 0xFE - 0x62},
        {0xFA, 0x40, 0},   {0x80, 0x40, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Big5ToGlyphIndex(static_cast<u8>(c[0]), static_cast<u8>(c[1])), c[2])
            << std::hex << c[0] << " " << c[1];
    std::mt19937 rng(31);
    for (int shape = 0; shape < 12; ++shape) {
        gShapes['a'].clear();
        for (int i = 0; i < kCell * kCell; ++i) {
            gBits[i] = static_cast<int>(rng() % 100) < 15 + shape * 6;
            if (gBits[i]) gShapes['a'].emplace_back(i % kCell, i / kCell);
        }
        cGrpFont font;
        font.Init(kRowsW, kRowsH);
        font.SetFont("fake", kCell);
        font.SetAdvance(kCell);
        font.SetShadowColor(kShade);
        int L = 2 + shape % 3, T = 1 + shape % 2, R = kRowsW - 1 - shape % 4,
            B = kRowsH - shape % 3;
        font.SetClip(L, T, R - L, B - T);
        // Inside, at the clip's corners, and across each of its edges.
        const std::pair<int, int> at[] = {
            {20, 16},     {L, T},      {L - 3, 10}, {R - kCell - 2, B - kCell - 1},
            {R - 10, 20}, {30, B - 6}, {25, T + 1}};
        for (int kind :
             {kStylePlain, kStyleShadow, kStyleBoldShadow, kStyleOutline, kStyleBoldOutline})
            for (int ramp : {0, kStyleRampUp, kStyleRampDown})
                for (auto [x, y] : at) {
                    std::vector<u16> buf(kRowsW * kRowsH);
                    for (auto& p : buf) p = static_cast<u16>(rng() | 0x8000);
                    std::vector<u16> want = Paint(buf, x, y, kind | ramp, kind, L, T, R, B);
                    char text[2] = {'a', 0};
                    font.DrawString(buf.data(), x, y, text, kInk, kind | ramp);
                    ASSERT_EQ(buf, want) << "shape " << shape << " style " << (kind | ramp)
                                         << " at " << x << "," << y;
                }
    }
    GlyphSetFake(nullptr);
}

// The real glyph source: AR PL UMing TW through FreeType, and Big5 conversions.

struct Rendered {
    int ink = 0, outside = 0;  // -1 each where the face is missing
};

Rendered RenderOne(int size, u8 lead, u8 trail) {
    GlyphFace f = GlyphOpen(B5("細明體"), size);
    if (!f) return {-1, -1};
    int rowBytes = (size + 7) / 8;
    std::vector<u8> cell(rowBytes * size, 0);
    Rendered r;
    r.outside = GlyphRender(f, lead, trail, cell.data(), size, size, rowBytes);
    for (u8 b : cell)
        for (int i = 0; i < 8; ++i) r.ink += (b >> i) & 1;
    GlyphClose(f);
    return r;
}

TEST(RealGlyphs, KnownSentencesConvertBothWaysAndGlyphsFallInsideTheCell) {
    for (const char* s :
         {"遊戲暫停", "遊戲暫停  按F8繼續遊戲", "細明體", "─ Ｔｈｅ　Ｅｎｄ ─", "月港奇譚"})
        EXPECT_EQ(Big5ToUtf8(Utf8ToBig5(s)), s);
    std::string pause = Utf8ToBig5("遊戲暫停");
    ASSERT_EQ(pause.size(), 8u);
    std::vector<u32> chars;
    for (int i = 0; i < 4; ++i)
        chars.push_back(Big5CharToUnicode(u8(pause[2 * i]), u8(pause[2 * i + 1])));
    EXPECT_EQ(chars, (std::vector<u32>{0x904A, 0x6232, 0x66AB, 0x505C}));
    // A lead byte alone, or before 0x20, is no character.
    EXPECT_EQ(std::tuple(Big5CharToUnicode('A', 0), Big5CharToUnicode(0xA4, 0),
                         Big5CharToUnicode(0xA4, 0x20)),
              std::tuple(u32('A'), 0u, 0u));
    // The real glyph source, where the font is installed.
    GlyphSetFake(nullptr);
    if (RenderOne(16, 'A', 0).ink < 0) GTEST_SKIP() << "AR PL UMing is not installed";
    const std::string zhong = B5("中");
    for (int size : {12, 16, 20, 24, 40}) {
        Rendered z = RenderOne(size, u8(zhong[0]), u8(zhong[1]));
        Rendered a = RenderOne(size, 'A', 0);
        EXPECT_EQ(std::tuple(z.ink > size, z.outside, a.ink > size / 2, a.outside),
                  std::tuple(true, 0, true, 0))
            << "中 and A at " << size;
    }
    // 0x20 is no trail byte; a space and the full-width space are blank.
    EXPECT_EQ(std::tuple(RenderOne(16, 0xA4, 0x20).ink, RenderOne(16, ' ', 0).ink,
                         RenderOne(16, 0xA1, 0x40).ink),
              std::tuple(0, 0, 0));
    // The 45 codes the TW face has no glyph for are drawn from the HK face where it
    // has them (C8D6-C8F1) and as a hollow box elsewhere, never blank.
    std::vector<std::pair<u8, u8>> codes = {{0xA1, 0xC3}, {0xC6, 0xE5}};
    for (int t = 0xD4; t <= 0xFE; ++t) codes.push_back({0xC8, static_cast<u8>(t)});
    for (int size : {12, 16}) {
        const int box = 2 * (size - 2) + 2 * (size - 4);  // the outline of (1,1)-(size-2,size-2)
        for (auto [lead, trail] : codes) {
            Rendered r = RenderOne(size, lead, trail);
            bool fromHk = lead == 0xC8 && trail >= 0xD6 && trail <= 0xF1;
            EXPECT_EQ(std::tuple(r.ink > 0, r.outside, r.ink == box), std::tuple(true, 0, !fromHk))
                << std::hex << int(lead) << int(trail) << " at " << std::dec << size;
        }
    }
    // The font draws Big5 text into a buffer.
    cGrpFont font;
    ASSERT_TRUE(font.Init(64, 20));
    std::vector<u16> buf(64 * 20, 0);
    EXPECT_EQ(font.DrawString(buf.data(), 0, 0, B5("遊戲暫停"), 0x7FFF, kStylePlain), 8);
    int left = 0, right = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 64; ++x)
            if (buf[y * 64 + x]) (x < 32 ? left : right)++;
    EXPECT_EQ(std::tuple(left > 40, right > 40, font.GetGlyphCount()), std::tuple(true, true, 4));
}

}  // namespace
