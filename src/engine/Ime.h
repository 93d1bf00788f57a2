// cTextBuf: one-line Big5 text fields edited from window messages without ever
// cutting a double-byte character; the routing of messages to the active field;
// the Big5-to-GB2312 code map.
#pragma once
#include <functional>

#include "base/Types.h"
#include "platform/Win.h"

// Messages and keys of text input beyond the window's own set.
constexpr u32 WM_INPUTLANGCHANGE = 0x0051;
constexpr u32 WM_IME_CHAR = 0x0286;
constexpr u32 VK_INSERT = 0x2D;

constexpr int kRefusedCharSfx = 140;

class cTextBuf {
public:
    cTextBuf();
    cTextBuf(int capacity, int x, int y);
    cTextBuf(const char* text, int capacity, int x, int y);
    ~cTextBuf();
    cTextBuf(const cTextBuf&) = delete;
    cTextBuf& operator=(const cTextBuf&) = delete;

    int GetResult() const { return result_; }
    int GetX() const { return x_; }
    int GetY() const { return y_; }
    int GetCapacity() const { return capacity_; }
    int GetCaret() const { return caret_; }
    int GetInsertMode() const { return insert_; }
    int GetImeMode() const { return ime_; }
    const char* Text() const { return text_; }

    int GetText(char* buffer, int n) const;
    int SetText(const char* text);
    // 0 for WM_IME_CHAR (the message ends here), 1 for every other message.
    int ImeProc(HWND window, u32 message, WPARAM wParam, LPARAM lParam);

    int InsertText(const char* text);
    int DeleteChar();
    int CaretLeft();
    int CaretRight();
    void SetInsertMode(int flag);

private:
    void Setup(const char* text, int capacity, int x, int y);
    void TypeByte(u8 b);
    void KeyDown(u32 key);

    char* text_ = nullptr;
    int x_ = 0;
    int y_ = 0;
    int capacity_ = 16;
    int caret_ = 0;
    int result_ = 0;
    int ime_ = 0;
    int insert_ = 1;
};

// The longest byte length of at most n that ends on a character boundary.
int MbsCutLen(const char* text, int n);
// Character steps over Big5 text (lead byte 0x81-0xFE); a lead byte right before
// the terminating zero is one character by itself.
const char* Big5CharNext(const char* p);
const char* Big5CharPrev(const char* start, const char* p);
// Whether an input method composes text (answered by the platform).
bool ImmIsIME();

// The field that window messages go to while a text field is open (game flag 80,
// which the window procedure checks); null for none.
void SetActiveTextBuf(cTextBuf* field);
cTextBuf* GetActiveTextBuf();
// Passes a message to the active field; true when the field ended its handling.
bool TextInputHandleMessage(u32 msg, WPARAM w, LPARAM l);
// The sound of a refused character: called with sound number 140. The game
// connects it to its sound effects at the effects volume.
void SetTextInputSound(std::function<void(int sound)> play);
// No active field, no half-typed character, no sound connected.
void ResetTextInput();

// Code map: 65536 entries indexed by a Big5 character's two bytes read little-endian
// (lead byte low); each holds the GB2312 bytes in the same order, 0x2E2E for none.
extern u16* gCodeMap;
struct CodePair {
    u16 big5;
    u16 gb;
};
void InitCodeMap();
void BuildCodeMap();  // the window's creation calls this name
void FreeCodeMap();
// The GB2312 entry of a Big5 code (0x2E2E when none or no map).
u16 CodeMapLookup(u16 big5);
// The Big5 code paired with a GB2312 code in the pair table, or the code itself.
u16 CodePairFind(u16 gb);
// The pair table, ending with a pair whose first code is 0.
const CodePair* CodePairs(int* count);
