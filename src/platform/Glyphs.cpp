// FreeType glyph source: the faces of the AR PL UMing collection, one-bit cells.
#include "platform/Glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace {

constexpr const char* kMingFile = "/usr/share/fonts/truetype/arphic/uming.ttc";
// "AR PL UMing TW" first; a character it lacks comes from the HK, CN or TW MBE face.
constexpr int kFaceOrder[] = {2, 1, 0, 3};

struct LoadedFace {
    int index = 0;
    FT_Face face = nullptr;
    int pixelSize = 0;  // size last set on the face
};

struct GlyphState {
    FT_Library lib = nullptr;
    bool libFailed = false;
    std::vector<std::unique_ptr<LoadedFace>> faces;
    GlyphFakeFn fake;
    int renders = 0;
};

GlyphState& G() {
    static GlyphState g;
    return g;
}

LoadedFace* LoadFace(int index) {
    auto& g = G();
    for (auto& f : g.faces)
        if (f->index == index) return f.get();
    if (!g.lib && !g.libFailed && FT_Init_FreeType(&g.lib) != 0) g.libFailed = true;
    if (!g.lib) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(g.lib, kMingFile, index, &face) != 0) return nullptr;
    auto rec = std::make_unique<LoadedFace>();
    rec->index = index;
    rec->face = face;
    g.faces.push_back(std::move(rec));
    return g.faces.back().get();
}

// The first face of the collection that has a glyph for uc, or null.
LoadedFace* FaceFor(u32 uc) {
    for (int index : kFaceOrder) {
        LoadedFace* f = LoadFace(index);
        if (f && FT_Get_Char_Index(f->face, uc) != 0) return f;
    }
    return nullptr;
}

void SetBit(u8* cell, int rowBytes, int x, int y) {
    cell[y * rowBytes + (x >> 3)] |= static_cast<u8>(0x80 >> (x & 7));
}

bool InkAt(const FT_Bitmap& bm, int x, int y) {
    const unsigned char* row = bm.buffer + y * bm.pitch;
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) return row[x] >= 128;
    return false;
}

// A character code page 950 knows but no face draws shows as a hollow box,
// so a gap in the text is never taken for a space.
void DrawPlaceholder(u8* cell, int cellW, int cellH, int rowBytes) {
    if (cellW < 4 || cellH < 4) return;
    int right = cellW - 2, bottom = cellH - 2;
    for (int x = 1; x <= right; ++x) {
        SetBit(cell, rowBytes, x, 1);
        SetBit(cell, rowBytes, x, bottom);
    }
    for (int y = 1; y <= bottom; ++y) {
        SetBit(cell, rowBytes, 1, y);
        SetBit(cell, rowBytes, right, y);
    }
}

// The baseline row that puts the em square (ascender over descender) into the cell.
int BaselineOf(FT_Face face, int size) {
    int asc = face->ascender;
    int desc = face->descender < 0 ? -face->descender : face->descender;
    if (asc + desc <= 0) return size;
    int descentPx = (size * desc + (asc + desc) / 2) / (asc + desc);
    return size - descentPx;
}

}  // namespace

struct GlyphFaceRec {
    LoadedFace* loaded = nullptr;
    int size = 0;
};

GlyphFace GlyphOpen(const char* faceName, int size) {
    auto rec = new GlyphFaceRec;
    rec->size = size;
    if (G().fake) return rec;
    rec->loaded = LoadFace(kFaceOrder[0]);
    if (!rec->loaded) {
        delete rec;
        return nullptr;
    }
    return rec;
}

void GlyphClose(GlyphFace face) {
    delete face;
}

int GlyphRender(GlyphFace f, u8 lead, u8 trail, u8* cell, int cellW, int cellH, int rowBytes) {
    auto& g = G();
    ++g.renders;
    if (!f) return 0;
    if (g.fake) {
        g.fake(f->size, static_cast<u16>(lead | (trail << 8)), cell, cellW, cellH, rowBytes);
        return 0;
    }
    if (!f->loaded) return 0;
    u32 uc = Big5CharToUnicode(lead, trail);
    if (uc == 0 || uc == ' ' || uc == 0x3000) return 0;
    LoadedFace* from = FaceFor(uc);
    if (!from) {
        DrawPlaceholder(cell, cellW, cellH, rowBytes);
        return 0;
    }
    FT_Face face = from->face;
    if (from->pixelSize != f->size) {
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(f->size)) != 0) return 0;
        from->pixelSize = f->size;
    }
    if (FT_Load_Char(face, uc, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
        return 0;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    int top = BaselineOf(face, f->size) - slot->bitmap_top;
    int left = slot->bitmap_left;
    int outside = 0;
    for (int r = 0; r < static_cast<int>(bm.rows); ++r) {
        for (int c = 0; c < static_cast<int>(bm.width); ++c) {
            if (!InkAt(bm, c, r)) continue;
            int x = left + c;
            int y = top + r;
            if (x < 0 || y < 0 || x >= cellW || y >= cellH) {
                ++outside;
                continue;
            }
            SetBit(cell, rowBytes, x, y);
        }
    }
    return outside;
}

void GlyphSetFake(GlyphFakeFn fake) {
    G().fake = std::move(fake);
}

int GlyphRenderCount() {
    return G().renders;
}
void GlyphResetStats() {
    G().renders = 0;
}
