// cGrpFont: Big5 and ASCII text drawn into 16-bit pixel buffers from a cache of
// one-bit glyph cells, in five glyph styles; the three game fonts.
#pragma once
#include <vector>

#include "base/Types.h"
#include "platform/Glyphs.h"

constexpr int kGlyphSlots = 2000;
constexpr int kGlyphsKept = 1998;
constexpr u16 kNoBkColor = 0xFFFE;

// Glyph styles of DrawString; bits 0x80 and 0x100 add a colour ramp.
constexpr int kStylePlain = 1;
constexpr int kStyleShadow = 2;
constexpr int kStyleBoldShadow = 4;
constexpr int kStyleOutline = 8;
constexpr int kStyleBoldOutline = 16;
constexpr int kStyleRampUp = 0x80;
constexpr int kStyleRampDown = 0x100;

class cGrpFont {
public:
    cGrpFont();
    ~cGrpFont();
    cGrpFont(const cGrpFont&) = delete;
    cGrpFont& operator=(const cGrpFont&) = delete;

    // Target of the screen's size, "細明體" 16, advance 16, no background, shadow 0.
    int Init();
    int Init(int targetWidth, int targetHeight);
    // Frees everything; the object can be set up again.
    void Release();
    // Lets go of the font face only (the window loses the focus); SetFont makes a new one.
    void ReleaseFace();

    int SetFont(const char* faceName, int size);
    int SetCellSize(int width, int height);
    int AllocGlyphStore();
    int SetTargetSize(int width, int height);
    void SetClip(int left, int top, int width, int height);
    void SetAdvance(int pixels) { advance_ = pixels; }
    void SetBkColor(u16 c) { bkColor_ = c; }
    void SetShadowColor(u16 c) { shadowColor_ = c; }

    // Draws a zero-ended Big5/ASCII text into a buffer of the target's size;
    // returns the bytes processed.
    int DrawString(u16* target, int x, int y, const char* text, u16 colour, int style);
    // How far DrawString moves its pen over the text: a double-byte character
    // takes the advance, a single byte half of it.
    int TextWidth(const char* text) const;

    int GetGlyphCount() const { return count_; }
    int FindGlyph(u16 code) const;
    const u8* GlyphCell(int slot) const;
    int GetAdvance() const { return advance_; }
    int GetSize() const { return size_; }
    int GetCellWidth() const { return cellW_; }
    int GetCellHeight() const { return cellH_; }
    int GetRowBytes() const { return rowBytes_; }
    u16 GetShadowColor() const { return shadowColor_; }
    u16 GetBkColor() const { return bkColor_; }
    bool HasFace() const { return face_ != nullptr; }
    void GetClip(int* left, int* top, int* width, int* height) const;

private:
    struct Clip {
        int left, top, right, bottom;
    };
    int AddGlyph(u16 code);
    void RenderGlyph(u8* cell);
    void FillCell(u16* target, int x, int y, int width, int height, u16 colour);
    void BlitGlyph(u16* t, int x, int y, int slot, u16 colour, int style, int style5);
    bool BlitGlyphRows(u16* t, int x, int y, const u8* cell, u16 colour, int style, int kind);
    void PutClipped(u16* t, int px, int py, u16 c) const;
    u8* CellAt(int slot) { return store_.data() + slot * cellBytes_; }

    int targetW_ = 0;
    int targetH_ = 0;
    u16 codes_[kGlyphSlots] = {};
    std::vector<u8> store_;
    int cellBytes_ = 0;
    int rowBytes_ = 2;
    int count_ = 0;
    u8 lead_ = 0;
    u8 trail_ = 0;
    GlyphFace face_ = nullptr;
    int size_ = 16;
    int cellW_ = 16;
    int cellH_ = 16;
    int advance_ = 16;
    u16 shadowColor_ = 0;
    u16 bkColor_ = kNoBkColor;
    Clip clip_{0, 0, 0, 0};
};

// Index of a Big5 character in a table of 157 characters per lead byte; 0 outside it.
int Big5ToGlyphIndex(u8 lead, u8 trail);

// The three game fonts and the sizes, advances and shadow colours they stand at.
struct GameFontSetting {
    int size;
    int advance;
    u16 shadow;
};
extern cGrpFont gMainFont;
extern cGrpFont gSecondFont;
extern cGrpFont gSmallFont;
extern GameFontSetting gMainFontSetting;
extern GameFontSetting gSecondFontSetting;
extern GameFontSetting gSmallFontSetting;

// Makes the three fonts again at their settings (window restored, battle over).
void RecreateFonts();
// Lets go of the three fonts' faces (window switched away).
void ReleaseFontObjects();
// Puts the advances (main 18, second 20, small 16) and shadow colours back.
void ResetFontAdvances();
// Releases the three fonts and puts the settings back to their start values.
void ResetGameFonts();
