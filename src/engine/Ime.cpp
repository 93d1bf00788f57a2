// Text fields, the routing of text input to the active field, and the code map.
#include "engine/Ime.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/Big5.h"
#include "platform/CodePage.h"
#include "platform/Input.h"

namespace {

struct TextInputState {
    cTextBuf* active = nullptr;
    bool leadPending = false;  // the last typed byte was a lead byte
    u8 lead = 0;
    std::function<void(int)> sound;
};

TextInputState& T() {
    static TextInputState t;
    return t;
}

bool IsTrail(u8 b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE);
}

}  // namespace

const char* Big5CharNext(const char* p) {
    if (!*p) return p;
    if (IsBig5Lead(static_cast<u8>(*p)) && p[1]) return p + 2;
    return p + 1;
}

const char* Big5CharPrev(const char* start, const char* p) {
    const char* prev = start;
    for (const char* q = start; q < p && *q;) {
        const char* n = Big5CharNext(q);
        if (n >= p) return q;
        prev = q = n;
    }
    return prev;
}

int MbsCutLen(const char* text, int n) {
    if (!text || n <= 0) return 0;
    const char* p = text;
    while (*p) {
        const char* q = Big5CharNext(p);
        if (q - text > n) break;
        p = q;
    }
    return static_cast<int>(p - text);
}

bool ImmIsIME() {
    return PlatformImeActive();
}

cTextBuf::cTextBuf() {
    Setup(nullptr, 16, 0, 0);
}
cTextBuf::cTextBuf(int capacity, int x, int y) {
    Setup(nullptr, capacity, x, y);
}
cTextBuf::cTextBuf(const char* text, int capacity, int x, int y) {
    Setup(text, capacity, x, y);
}

cTextBuf::~cTextBuf() {
    if (T().active == this) T().active = nullptr;
    delete[] text_;
}

void cTextBuf::Setup(const char* text, int capacity, int x, int y) {
    capacity_ = std::max(capacity, 0);
    x_ = x;
    y_ = y;
    text_ = new char[capacity_ + 1]();
    if (text) std::memcpy(text_, text, MbsCutLen(text, capacity_));
}

int cTextBuf::GetText(char* buffer, int n) const {
    if (!buffer || n <= 0) return 1;
    std::memset(buffer, 0, n);
    // One byte stays for the zero when the caller's buffer is the smaller.
    int room = n <= capacity_ ? n - 1 : capacity_;
    std::memcpy(buffer, text_, MbsCutLen(text_, room));
    return 1;
}

int cTextBuf::SetText(const char* text) {
    std::memset(text_, 0, capacity_ + 1);
    if (text) std::memcpy(text_, text, MbsCutLen(text, capacity_));
    caret_ = std::min(caret_, static_cast<int>(std::strlen(text_)));
    return 1;
}

int cTextBuf::InsertText(const char* text) {
    if (insert_ != 1 || !text) return 0;
    std::vector<char> out(capacity_ + 1, 0);
    std::memcpy(out.data(), text_, caret_);
    int k = MbsCutLen(text, capacity_ - caret_);
    std::memcpy(out.data() + caret_, text, k);
    int rest = MbsCutLen(text_ + caret_, capacity_ - caret_ - k);
    std::memcpy(out.data() + caret_ + k, text_ + caret_, rest);
    std::memcpy(text_, out.data(), capacity_ + 1);
    caret_ += k;
    return k > 0;
}

int cTextBuf::DeleteChar() {
    char* at = text_ + caret_;
    if (!*at) return 0;
    const char* next = Big5CharNext(at);
    std::memmove(at, next, std::strlen(next) + 1);
    return 1;
}

int cTextBuf::CaretLeft() {
    caret_ = static_cast<int>(Big5CharPrev(text_, text_ + caret_) - text_);
    return caret_ != 0;
}

int cTextBuf::CaretRight() {
    const char* at = text_ + caret_;
    if (!*at) return 0;
    caret_ = static_cast<int>(Big5CharNext(at) - text_);
    return 1;
}

// The field never leaves insert mode: there is no overwrite mode.
void cTextBuf::SetInsertMode(int) {
    insert_ = 1;
}

void cTextBuf::TypeByte(u8 b) {
    auto& t = T();
    if (t.leadPending) {
        t.leadPending = false;
        // The pair goes in whole, so a field never holds half a character.
        if (IsTrail(b)) {
            char pair[3] = {static_cast<char>(t.lead), static_cast<char>(b), 0};
            InsertText(pair);
            return;
        }
    }
    if (b >= 0x80) {
        t.leadPending = IsBig5Lead(b);
        t.lead = b;
        return;
    }
    if (b < 0x1F) return;
    if (b == '%') {
        // "%" would be read as a format directive where the text is shown.
        if (t.sound) t.sound(kRefusedCharSfx);
        return;
    }
    char one[2] = {static_cast<char>(b), 0};
    InsertText(one);
}

void cTextBuf::KeyDown(u32 key) {
    switch (key) {
        case VK_BACK:
            CaretLeft();
            DeleteChar();
            break;
        case VK_RETURN:
            result_ = 1;
            break;
        case VK_ESCAPE:
            result_ = 2;
            break;
        case VK_END:
            while (CaretRight()) {
            }
            break;
        case VK_HOME:
            while (CaretLeft()) {
            }
            break;
        case VK_LEFT:
            CaretLeft();
            break;
        case VK_RIGHT:
            CaretRight();
            break;
        case VK_INSERT:
            SetInsertMode(!insert_);
            break;
        case VK_DELETE:
            DeleteChar();
            break;
        default:
            break;
    }
}

int cTextBuf::ImeProc(HWND, u32 message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_IME_CHAR: {
            u8 hi = static_cast<u8>(wParam >> 8);
            u8 lo = static_cast<u8>(wParam);
            char chr[3] = {static_cast<char>(hi ? hi : lo), static_cast<char>(hi ? lo : 0), 0};
            InsertText(chr);
            return 0;
        }
        case WM_CHAR:
            if (!ime_) TypeByte(static_cast<u8>(wParam));
            return 1;
        case WM_INPUTLANGCHANGE:
            ime_ = ImmIsIME() ? 1 : 0;
            return 1;
        case WM_KEYDOWN:
            KeyDown(static_cast<u32>(wParam));
            return 1;
        default:
            return 1;
    }
}

void SetActiveTextBuf(cTextBuf* field) {
    T().active = field;
    T().leadPending = false;
}

cTextBuf* GetActiveTextBuf() {
    return T().active;
}

bool TextInputHandleMessage(u32 msg, WPARAM w, LPARAM l) {
    cTextBuf* f = T().active;
    if (!f) return false;
    return f->ImeProc(nullptr, msg, w, l) == 0;
}

void SetTextInputSound(std::function<void(int)> play) {
    T().sound = std::move(play);
}

void ResetTextInput() {
    auto& t = T();
    t.active = nullptr;
    t.leadPending = false;
    t.lead = 0;
    t.sound = nullptr;
}

// ---- Code map ----

u16* gCodeMap = nullptr;

namespace {

// The published correspondence as iconv knows it: every Big5 character that has a
// GB2312 counterpart, in Big5 order, ended by a zero pair. Made once.
const std::vector<CodePair>& PairTable() {
    static const std::vector<CodePair> table = [] {
        std::vector<CodePair> t;
        for (int lead = 0x81; lead <= 0xFE; ++lead)
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (!IsTrail(static_cast<u8>(trail))) continue;
                u16 gb = Big5CharToGb2312(static_cast<u8>(lead), static_cast<u8>(trail));
                if (gb) t.push_back({static_cast<u16>(lead | (trail << 8)), gb});
            }
        t.push_back({0, 0});
        return t;
    }();
    return table;
}

}  // namespace

void InitCodeMap() {
    FreeCodeMap();
    gCodeMap = new u16[65536];
    std::fill(gCodeMap, gCodeMap + 65536, static_cast<u16>(0x2E2E));
    for (const CodePair& p : PairTable()) {
        if (p.big5 == 0) break;
        gCodeMap[p.big5] = p.gb;
    }
}

void BuildCodeMap() {
    InitCodeMap();
}

void FreeCodeMap() {
    delete[] gCodeMap;
    gCodeMap = nullptr;
}

u16 CodeMapLookup(u16 big5) {
    return gCodeMap ? gCodeMap[big5] : static_cast<u16>(0x2E2E);
}

u16 CodePairFind(u16 gb) {
    for (const CodePair& p : PairTable()) {
        if (p.big5 == 0) break;
        if (p.gb == gb) return p.big5;
    }
    return gb;
}

const CodePair* CodePairs(int* count) {
    const auto& t = PairTable();
    if (count) *count = static_cast<int>(t.size());
    return t.data();
}
