// The font engine: glyph cache, glyph styles, background cells, the game fonts.
#include "engine/GrpFont.h"

#include <algorithm>
#include <cstring>

#include "platform/TextCodec.h"

cGrpFont gMainFont;
cGrpFont gSecondFont;
cGrpFont gSmallFont;

namespace {

constexpr GameFontSetting kMainStart{16, 18, 0};
constexpr GameFontSetting kSecondStart{18, 20, 0};
constexpr GameFontSetting kSmallStart{12, 16, 0};
constexpr int kMaxFontSize = 64;

// The screen the fonts draw on. The drawing kernel's back surface (pitch / 2 by
// height) takes the place of these once the display exists.
constexpr int kScreenTargetW = 640;
constexpr int kScreenTargetH = 480;

// The style drawn: the lowest of the five style bits that is set, 0 for none.
int StyleKind(int style) {
    for (int k : {kStylePlain, kStyleShadow, kStyleBoldShadow, kStyleOutline, kStyleBoldOutline})
        if (style & k) return k;
    return 0;
}

bool Bit(const u8* row, int c) {
    return (row[c >> 3] >> (7 - (c & 7))) & 1;
}

// Glyph rows as masks: column c of the cell at bit c + 1, so bit 0 is the
// column left of the cell (where an outline reaches).
constexpr int kMaskCellWidth = 56;  // wider cells leave no room for the reach
struct ByteReverse {
    u8 v[256];
    constexpr ByteReverse() : v() {
        for (int i = 0; i < 256; ++i)
            for (int b = 0; b < 8; ++b)
                if (i & (1 << b)) v[i] |= static_cast<u8>(0x80 >> b);
    }
};
constexpr ByteReverse kReverse;

u64 RowMask(const u8* row, int rowBytes, int width) {
    u64 m = 0;
    for (int j = 0; j < rowBytes; ++j) m |= u64{kReverse.v[row[j]]} << (8 * j + 1);
    return m & (((u64{1} << width) - 1) << 1);
}

// Writes c at every set bit of m; line points at bit 0's pixel.
void PutMask(u16* line, u64 m, u16 c) {
    while (m) {
        line[__builtin_ctzll(m)] = c;
        m &= m - 1;
    }
}

}  // namespace

GameFontSetting gMainFontSetting = kMainStart;
GameFontSetting gSecondFontSetting = kSecondStart;
GameFontSetting gSmallFontSetting = kSmallStart;

cGrpFont::cGrpFont() = default;

cGrpFont::~cGrpFont() {
    Release();
}

int cGrpFont::Init() {
    return Init(kScreenTargetW, kScreenTargetH);
}

int cGrpFont::Init(int targetWidth, int targetHeight) {
    SetTargetSize(targetWidth, targetHeight);
    int ok = SetFont(B5("細明體"), 16);
    advance_ = 16;
    bkColor_ = kNoBkColor;
    shadowColor_ = 0;
    return ok;
}

void cGrpFont::Release() {
    ReleaseFace();
    store_.clear();
    store_.shrink_to_fit();
    count_ = 0;
    targetW_ = targetH_ = 0;
    clip_ = Clip{0, 0, 0, 0};
}

void cGrpFont::ReleaseFace() {
    GlyphClose(face_);
    face_ = nullptr;
}

int cGrpFont::SetFont(const char* faceName, int size) {
    size = std::clamp(size, 1, kMaxFontSize);
    ReleaseFace();
    face_ = GlyphOpen(faceName, size);
    size_ = size;
    SetCellSize(size, size);
    AllocGlyphStore();
    return face_ ? 1 : 0;
}

int cGrpFont::SetCellSize(int width, int height) {
    cellW_ = std::clamp(width, 1, kMaxFontSize);
    cellH_ = std::clamp(height, 1, kMaxFontSize);
    advance_ = cellW_;
    // Cells of the old size cannot be read with the new one.
    return AllocGlyphStore();
}

int cGrpFont::AllocGlyphStore() {
    rowBytes_ = (cellW_ + 7) / 8;
    cellBytes_ = rowBytes_ * cellH_;
    store_.assign(static_cast<size_t>(kGlyphSlots) * cellBytes_, 0);
    std::memset(codes_, 0, sizeof codes_);
    count_ = 0;
    return 1;
}

int cGrpFont::SetTargetSize(int width, int height) {
    targetW_ = std::max(width, 0);
    targetH_ = std::max(height, 0);
    clip_ = Clip{0, 0, targetW_, targetH_};
    return 1;
}

void cGrpFont::SetClip(int left, int top, int width, int height) {
    // A clip reaching outside the target would let glyphs write outside the buffer.
    clip_.left = std::clamp(left, 0, targetW_);
    clip_.top = std::clamp(top, 0, targetH_);
    clip_.right = std::clamp(left + width, clip_.left, targetW_);
    clip_.bottom = std::clamp(top + height, clip_.top, targetH_);
}

void cGrpFont::GetClip(int* left, int* top, int* width, int* height) const {
    *left = clip_.left;
    *top = clip_.top;
    *width = clip_.right - clip_.left;
    *height = clip_.bottom - clip_.top;
}

int cGrpFont::FindGlyph(u16 code) const {
    int lo = 0;
    int hi = count_ - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        if (codes_[mid] == code) return mid;
        if (codes_[mid] < code)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

const u8* cGrpFont::GlyphCell(int slot) const {
    if (slot < 0 || slot >= kGlyphSlots || store_.empty()) return nullptr;
    return store_.data() + slot * cellBytes_;
}

int cGrpFont::AddGlyph(u16 code) {
    int pos = 0;
    while (pos < count_ && codes_[pos] < code) ++pos;
    int moving = count_ - pos;  // count_ never passes 1998, so slot count_ + 1 exists
    if (moving > 0) {
        std::memmove(codes_ + pos + 1, codes_ + pos, moving * sizeof(u16));
        std::memmove(CellAt(pos + 1), CellAt(pos), static_cast<size_t>(moving) * cellBytes_);
    }
    codes_[pos] = code;
    std::memset(CellAt(pos), 0, cellBytes_);
    return pos;
}

void cGrpFont::RenderGlyph(u8* cell) {
    std::memset(cell, 0, cellBytes_);
    GlyphRender(face_, lead_, trail_, cell, cellW_, cellH_, rowBytes_);
}

void cGrpFont::FillCell(u16* target, int x, int y, int width, int height, u16 colour) {
    int x0 = std::max(x, 0);
    int x1 = std::min(x + width, targetW_);
    int y0 = std::max(y, 0);
    int y1 = std::min(y + height, targetH_);
    if (x0 >= x1 || y0 >= y1) return;
    u16* first = target + y0 * targetW_;
    std::fill(first + x0, first + x1, colour);
    for (int r = y0 + 1; r < y1; ++r)
        std::memcpy(target + r * targetW_ + x0, first + x0, (x1 - x0) * sizeof(u16));
}

// Shadow and outline pixels obey the same clip as glyph pixels.
void cGrpFont::PutClipped(u16* t, int px, int py, u16 c) const {
    if (px < clip_.left || px + 1 >= clip_.right) return;
    if (py < clip_.top || py >= clip_.bottom) return;
    t[py * targetW_ + px] = c;
}

// A glyph whose outline and shadow reach stays inside the clip on every side
// is drawn a row at a time from masks; the same pixels as the per-pixel
// drawing below, which takes glyphs at the clip's edges.
bool cGrpFont::BlitGlyphRows(u16* t, int x, int y, const u8* cell, u16 colour, int style,
                             int kind) {
    const Clip& k = clip_;
    if (cellW_ > kMaskCellWidth || x - 1 < k.left || x + cellW_ + 2 >= k.right || y - 1 < k.top ||
        y + cellH_ + 1 >= k.bottom)
        return false;
    const bool bold = kind == kStyleBoldShadow || kind == kStyleBoldOutline;
    const bool outline = kind == kStyleOutline || kind == kStyleBoldOutline;
    const bool shadow = kind == kStyleShadow || kind == kStyleBoldShadow;
    u64 rows[kMaxFontSize];  // the pixels each row sets, bold included
    for (int r = 0; r < cellH_; ++r) {
        u64 m = RowMask(cell + r * rowBytes_, rowBytes_, cellW_);
        rows[r] = bold ? m | m << 1 : m;
    }
    u16* origin = t + (y * targetW_ + x - 1);
    if (outline) {
        // Each pixel rings itself with the shadow colour: the row above, its
        // left neighbour, and the row below from left to right.
        for (int r = -1; r <= cellH_; ++r) {
            u64 o = 0;
            if (r + 1 < cellH_) o |= rows[r + 1];
            if (r >= 0 && r < cellH_) o |= rows[r] | rows[r] >> 1;
            if (r >= 1) o |= rows[r - 1] | rows[r - 1] >> 1 | rows[r - 1] << 1;
            PutMask(origin + r * targetW_, o, shadowColor_);
        }
    }
    for (int r = 0; r < cellH_; ++r) {
        PutMask(origin + r * targetW_, rows[r], colour);
        // The shadow falls one row down, one column right of a bold glyph's left pixel.
        if (shadow)
            PutMask(origin + (r + 1) * targetW_, bold ? rows[r] << 1 : rows[r] | rows[r] << 1,
                    shadowColor_);
        if (style & kStyleRampDown)
            --colour;
        else if (style & kStyleRampUp)
            ++colour;
    }
    return true;
}

void cGrpFont::BlitGlyph(u16* t, int x, int y, int slot, u16 colour, int style, int kind) {
    if (slot < 0 || slot > count_ || slot >= kGlyphSlots) return;
    const u8* cell = CellAt(slot);
    if (BlitGlyphRows(t, x, y, cell, colour, style, kind)) return;
    const Clip& k = clip_;
    const u16 sh = shadowColor_;
    const bool bold = kind == kStyleBoldShadow || kind == kStyleBoldOutline;
    const bool outline = kind == kStyleOutline || kind == kStyleBoldOutline;
    const int widthPast = bold ? 2 : 1;  // how far right a glyph pixel reaches, plus one
    if (outline) {
        for (int r = 0; r < cellH_; ++r) {
            int py = y + r;
            if (!(k.top < py && py + 1 < k.bottom)) continue;
            const u8* row = cell + r * rowBytes_;
            for (int c = 0; c < cellW_; ++c) {
                int px = x + c;
                if (!Bit(row, c) || !(k.left - 1 <= px && px + widthPast < k.right)) continue;
                for (int d = 0; d < widthPast; ++d) {
                    int ox = px + d;
                    PutClipped(t, ox, py - 1, sh);
                    PutClipped(t, ox - 1, py, sh);
                    PutClipped(t, ox, py, sh);
                    PutClipped(t, ox - 1, py + 1, sh);
                    PutClipped(t, ox, py + 1, sh);
                    PutClipped(t, ox + 1, py + 1, sh);
                }
            }
        }
    }
    const bool shadow = kind == kStyleShadow || kind == kStyleBoldShadow;
    for (int r = 0; r < cellH_; ++r) {
        int py = y + r;
        bool rowOk = shadow ? (k.top <= py && py + 1 < k.bottom) : (k.top <= py && py < k.bottom);
        if (rowOk) {
            const u8* row = cell + r * rowBytes_;
            u16* line = t + py * targetW_;
            for (int c = 0; c < cellW_; ++c) {
                int px = x + c;
                if (!Bit(row, c) || !(k.left <= px && px + widthPast < k.right)) continue;
                line[px] = colour;
                if (bold) line[px + 1] = colour;
                if (!shadow) continue;
                int sx = bold ? px + 1 : px;
                PutClipped(t, sx, py + 1, sh);
                PutClipped(t, sx + 1, py + 1, sh);
            }
        }
        if (style & kStyleRampDown)
            --colour;
        else if (style & kStyleRampUp)
            ++colour;
    }
}

int cGrpFont::TextWidth(const char* text) const {
    if (!text) return 0;
    const u8* s = reinterpret_cast<const u8*>(text);
    int width = 0;
    for (int i = 0; s[i];) {
        if (s[i] >= 0x80) {
            if (!s[i + 1]) break;  // a lone lead byte at the end is not drawn
            width += advance_;
            i += 2;
        } else {
            width += advance_ - advance_ / 2;
            ++i;
        }
    }
    return width;
}

int cGrpFont::DrawString(u16* target, int x, int y, const char* text, u16 colour, int style) {
    if (!target || !text || !*text || store_.empty() || targetW_ == 0) return 0;
    const u8* s = reinterpret_cast<const u8*>(text);
    const int kind = StyleKind(style);
    int pen = 0;
    int i = 0;
    while (s[i]) {
        int len = 1;
        int half = advance_ / 2;
        lead_ = s[i];
        trail_ = 0;
        if (lead_ >= 0x80) {
            // A lead byte at the very end has no trail: it is skipped, never
            // paired with the terminating zero.
            if (!s[i + 1]) {
                ++i;
                break;
            }
            trail_ = s[i + 1];
            len = 2;
            half = 0;
        }
        u16 code = static_cast<u16>(lead_ | (trail_ << 8));
        int slot = FindGlyph(code);
        bool isNew = slot < 0;
        if (isNew) {
            slot = AddGlyph(code);
            RenderGlyph(CellAt(slot));
        }
        bool last = s[i + len] == 0;
        if (bkColor_ != kNoBkColor)
            FillCell(target, x + pen, y, last ? cellW_ - half + 2 : advance_, cellH_, bkColor_);
        if (kind) BlitGlyph(target, x + pen, y, slot, colour, style, kind);
        pen += advance_ - half;
        if (isNew) {
            // A full cache keeps 1998 codes: the highest one falls out.
            if (count_ + 1 >= kGlyphsKept + 1)
                std::memset(CellAt(kGlyphsKept), 0, cellBytes_);
            else
                ++count_;
        }
        i += len;
    }
    return i;
}

int Big5ToGlyphIndex(u8 lead, u8 trail) {
    int base;
    if (lead >= 0xA1 && lead <= 0xA3)
        base = (lead - 0xA1) * 157;
    else if (lead >= 0xA4 && lead <= 0xC6 && !(lead == 0xC6 && trail >= 0xA1))
        base = 408 + (lead - 0xA4) * 157;
    else if (lead >= 0xC7 && lead <= 0xC8)
        base = 5808 + (lead - 0xC7) * 157;
    else if (lead >= 0xC9 && lead <= 0xF9)
        base = 6172 + (lead - 0xC9) * 157;
    else
        return 0;
    if (trail >= 0x40 && trail <= 0x7E) return base + trail - 0x40;
    if (trail >= 0xA1 && trail <= 0xFE) return base + trail - 0x62;
    return 0;
}

namespace {

void MakeGameFont(cGrpFont& f, const GameFontSetting& s) {
    f.Release();
    f.Init();
    f.SetFont(B5("細明體"), s.size);
    f.SetAdvance(s.advance);
    f.SetBkColor(kNoBkColor);
    f.SetShadowColor(s.shadow);
}

}  // namespace

void RecreateFonts() {
    MakeGameFont(gMainFont, gMainFontSetting);
    MakeGameFont(gSecondFont, gSecondFontSetting);
    MakeGameFont(gSmallFont, gSmallFontSetting);
}

void ReleaseFontObjects() {
    gMainFont.ReleaseFace();
    gSecondFont.ReleaseFace();
    gSmallFont.ReleaseFace();
}

void ResetFontAdvances() {
    gMainFont.SetAdvance(18);
    gSecondFont.SetAdvance(20);
    gSmallFont.SetAdvance(16);
    gMainFont.SetShadowColor(gMainFontSetting.shadow);
    gSecondFont.SetShadowColor(gSecondFontSetting.shadow);
}

void ResetGameFonts() {
    gMainFont.Release();
    gSecondFont.Release();
    gSmallFont.Release();
    gMainFontSetting = kMainStart;
    gSecondFontSetting = kSecondStart;
    gSmallFontSetting = kSmallStart;
}
