// Dialogue boxes: set-up and placement, the reveal with its escapes, answer
// items, closing, and the text output helpers of the story module.
#include "story/Dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/Big5.h"
#include "platform/TextCodec.h"
#include "engine/ErrorBox.h"
#include "engine/FrameState.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/PixelFormat.h"
#include "engine/Tsw.h"
#include "sound/Sound.h"
#include "data/Config.h"
#include "data/GameData.h"
#include "map/ActDraw.h"
#include "map/City.h"
#include "map/MapManage.h"
#include "map/MapScene.h"
#include "map/SessionServices.h"
#include "story/Talk.h"
#include "story/TextTools.h"

std::vector<std::unique_ptr<DialogRecord>> gDialogs;
std::vector<ScreenItem> gScreenItems;
u32 gChosenAnswer = 0;
i32 gDialogInput = 0;
i32 gDialogClick = 0;
i32 gInputLock = 0;
i32 gMouseLockFrames = 0;
u16 gTextColors[16], gShadowColors[16];
std::vector<std::string> gKeptTexts;

namespace {

// Stored 5-5-5 colours of the text and shadow tables.
constexpr u16 kTextColors555[16] = {0x7FFF, 0x7C00, 0x03E0, 0x7FE0, 0x001F, 0x7C1F, 0x03FF, 0x5294,
                                    0x7E94, 0x4BF2, 0x7F6A, 0x529F, 0x2108, 0x7DEF, 0x3DEF, 0x0000};
constexpr u16 kShadowColors555[16] = {0x0000, 0x2000, 0x0100, 0x2100, 0x0008, 0x2008,
                                      0x0108, 0x1084, 0x0C63, 0x0842, 0x0421, 0x1CE7,
                                      0x7FFF, 0x0000, 0x0000, 0x0000};
constexpr i32 kDirDx[8] = {0, 0, 160, -160, 80, -80, 80, -80};
constexpr i32 kDirDy[8] = {96, -104, -64, -56, 56, -112, -112, 56};

struct Replacement {
    char pattern[32];
    char replacement[32];
};
Replacement gReplacements[9];

i32 gTextDelay = 0;  // the current text delay, read at the start of DlgMessage

// The four frame states and their caption plates. Boxes share them, so each
// steps once a frame however many boxes use it.
struct FrameStates {
    ActPlayer frame[kDialogFrameCount];
    ActPlayer caption[kDialogFrameCount];
    u32 steppedFrames = 0, steppedCaptions = 0;  // bits: stepped this frame
    bool made = false;
};
FrameStates gFrames;

// Most tiles one box may take; a frame picture tinier than that is drawn flat.
constexpr int kMaxTiles = 4096;

// A pixel of the paint buffer, or null outside the 640 x 480 canvas.
u16* Px(i32 x, i32 y) {
    if (!gPaintBuf || x < 0 || y < 0 || x >= 640 || y >= 480) return nullptr;
    return PaintPixelAddr(x, y);
}

i32 Size() {
    return static_cast<i32>(gDialogTextSize ? gDialogTextSize : 10);
}

// Where the "%Q" of a text lies (bytes before it), or -1 within limit bytes.
int FindMark(const char* t, int limit) {
    size_t at = FindQMark(t, strnlen(t, static_cast<size_t>(limit)));
    return at == kNoMark ? -1 : static_cast<int>(at);
}

// The longest length of at most n bytes of t that does not split a Big5 character.
int CutOnCharacter(const char* t, int n) {
    return static_cast<int>(Big5Cut(t, strnlen(t, static_cast<size_t>(n)), static_cast<size_t>(n)));
}

// Parses a decimal number up to '.', starting at p; the length through the dot, or 0.
int ParseDotNumber(const char* p, i32* value) {
    char digits[16];
    int n = 0;
    while (n < 15 && p[n] && p[n] != '.') {
        digits[n] = p[n];
        ++n;
    }
    if (p[n] != '.') return 0;
    digits[n] = 0;
    if (!StrToInt(digits, value)) return 0;
    return n + 1;
}

// Replaces len bytes at p with rep, moving the rest; false when it would not fit.
bool Splice(char* text, char* p, int len, const char* rep) {
    int total = static_cast<int>(std::strlen(text));
    int repLen = static_cast<int>(std::strlen(rep));
    if (total - len + repLen > kDialogTextMax) return false;
    std::memmove(p + repLen, p + len, std::strlen(p + len) + 1);
    std::memcpy(p, rep, repLen);
    return true;
}

std::string FullWidthNumber(u32 v) {
    std::string digits = std::to_string(v), out;
    for (char d : digits) {
        out += static_cast<char>(0xA2);
        out += static_cast<char>(0xAF + (d - '0'));
    }
    return out;
}

// Expands one "%T" or "%I" escape at p; the bytes to step over.
int ExpandEscape(char* text, char* p) {
    i32 n = 0;
    int len = ParseDotNumber(p + 2, &n);
    if (len == 0) return 2;
    if (p[1] == 'T') {
        const char* name = nullptr;
        if (n < 300) {
            if (const ItemData* it = GetItemRecord(n)) name = it->name;
        } else if (const EquipageData* e = GetEquipageRecord(n - 300)) {
            name = e->name;
        }
        if (!name) return 2 + len;
        char copy[40];
        std::snprintf(copy, sizeof(copy), "%.31s", name);
        return Splice(text, p, 2 + len, copy) ? static_cast<int>(std::strlen(copy)) : 2 + len;
    }
    if (n < 0 || n >= kScriptVarCount) {
        ErrorBox(B5("角色變數代換"), B5("不存在的角色\n%d"), n);
        return 2 + len;
    }
    std::string v = FullWidthNumber(gScriptVars[n]);
    return Splice(text, p, 2 + len, v.c_str()) ? static_cast<int>(v.size()) : 2 + len;
}

// Measures columns and lines of a text up to "%Q".
u32 MeasureText(const char* t) {
    int col = 0, cols = 0, lines = 0;
    bool any = false;
    for (int i = 0; t[i] && i < kDialogTextMax;) {
        if (t[i] == '%' && t[i + 1]) {
            char e = t[i + 1];
            if (e == 'Q') break;
            if (e == 'N' || e == 'P') {
                cols = std::max(cols, col);
                col = 0;
                ++lines;
                i += 2;
                continue;
            }
            if (e == 'C' || e == 'S' || e == 'D' || e == 'L') {
                i += t[i + 2] ? 3 : 2;
                continue;
            }
            if (e == 'A' || e == 'a') {
                i32 v;
                i += 2 + ParseDotNumber(t + i + 2, &v);
                continue;
            }
            if (e == 'B' || e == 'b' || e == 'K' || e == 'k' || e == 'G') {
                i += 2;
                continue;
            }
        }
        int step = IsBig5Lead(static_cast<u8>(t[i])) && t[i + 1] ? 2 : 1;
        col += step;
        any = true;
        i += step;
    }
    cols = std::max(cols, col);
    if (any || col) ++lines;
    return (static_cast<u32>(lines) << 16) | static_cast<u32>(cols);
}

int ColumnsOf(const DialogRecord& r) {
    return std::max(1, r.w / Size());
}
int LinesOf(const DialogRecord& r) {
    return std::max(1, r.h / (2 * Size()));
}

// Where the reveal stands on the page.
struct Cursor {
    u32 pos = 0;
    int col = 0, line = 0;
    int colour = 0, shadow = 0, style = kStyleShadow;
};

enum class Tok { Char, Page, End, Silent, Full };

// One token of the text at c.pos. reveal: first time through (sounds, items).
Tok NextToken(DialogRecord* r, Cursor* c, bool reveal, int* bytes) {
    char* t = r->text;
    char* p = t + c->pos;
    *bytes = 0;
    if (!*p || c->pos >= kDialogTextMax) return Tok::End;
    if (p[0] == '%' && p[1]) {
        char e = p[1];
        int digit = p[2] >= '0' && p[2] <= '9' ? p[2] - '0' : -1;
        switch (e) {
            case 'Q':
                return Tok::End;
            case 'N':
                c->pos += 2;
                c->col = 0;
                ++c->line;
                return c->line >= LinesOf(*r) ? Tok::Full : Tok::Silent;
            case 'P':
                c->pos += 2;
                return Tok::Page;
            case 'C':
            case 'S':
            case 'D':
            case 'L':
                c->pos += digit >= 0 ? 3 : 2;
                if (digit < 0) return Tok::Silent;
                if (e == 'C') c->colour = digit;
                if (e == 'S') c->colour = c->shadow = digit;
                if (e == 'D') c->style = digit <= 1 ? 2 : digit;
                if (e == 'L' && reveal && !(r->flags & kDlgAllAtOnce))
                    r->delay = (digit + gTextDelay) * 2;
                return Tok::Silent;
            case 'K':
            case 'k':
                c->pos += 2;
                if (reveal) {
                    r->flags |= kDlgAllAtOnce;
                    r->delay = 0;
                }
                return Tok::Silent;
            case 'A':
            case 'a': {
                i32 v = 0;
                int len = ParseDotNumber(p + 2, &v);
                if (len) r->number = v;
                if (e == 'A' && reveal) {
                    PlaySfx(192, static_cast<int>(gSfxVolume));
                    p[1] = 'a';
                }
                c->pos += 2 + len;
                return Tok::Silent;
            }
            case 'B':
            case 'b':
                if (e == 'B' && reveal) {
                    ScreenItem it;
                    it.kind = 1;
                    it.left = static_cast<u16>(r->x + c->col * Size());
                    it.top = static_cast<u16>(r->y + c->line * 2 * Size());
                    it.right = static_cast<u16>(r->x + r->w);
                    it.bottom = static_cast<u16>(it.top + 2 * Size());
                    gScreenItems.push_back(it);
                    r->flags |= kDlgChoices;
                    p[1] = 'b';
                }
                c->pos += 2;
                return Tok::Silent;
            case 'G':
                c->pos += 2;
                return Tok::Silent;
            default:
                break;
        }
    }
    int step = IsBig5Lead(static_cast<u8>(p[0])) && p[1] ? 2 : 1;
    if (c->col + step > ColumnsOf(*r) && c->col > 0) {
        c->col = 0;
        ++c->line;
    }
    if (c->line >= LinesOf(*r)) return Tok::Full;
    *bytes = step;
    c->pos += step;
    c->col += step;
    return Tok::Char;
}

// Replays the page up to what has been revealed, drawing when a target exists.
Cursor WalkPage(DialogRecord* r, bool draw) {
    Cursor c;
    c.pos = r->pageStart;
    while (c.pos < r->revealed) {
        u32 at = c.pos;
        int n = 0;
        Tok k = NextToken(r, &c, false, &n);
        if (k == Tok::End || k == Tok::Page || k == Tok::Full) break;
        if (k != Tok::Char || !draw) continue;
        char glyph[3] = {r->text[at], n == 2 ? r->text[at + 1] : '\0', '\0'};
        FontTextOut(gPaintBuf, r->x + (c.col - n) * Size(), r->y + c.line * 2 * Size(), c.colour,
                    c.shadow, glyph, c.style);
    }
    return c;
}

// Takes the next character (and the escapes before it); false when the reveal stops.
bool RevealOne(DialogRecord* r) {
    Cursor c = WalkPage(r, false);
    c.pos = r->revealed;
    for (;;) {
        int n = 0;
        u32 before = c.pos;
        Tok k = NextToken(r, &c, true, &n);
        if (k == Tok::End) {
            r->textDone = true;
            r->flags |= kDlgTextOut;
            return false;
        }
        if (k == Tok::Page || k == Tok::Full) {
            r->revealed = k == Tok::Page ? c.pos : before;
            r->pageWait = true;
            return false;
        }
        r->revealed = c.pos;
        if (k == Tok::Char) return true;
    }
}

void RevealFrame(DialogRecord* r) {
    if (r->textDone || r->pageWait) return;
    if (r->flags & kDlgAllAtOnce) {
        while (RevealOne(r)) {
        }
        return;
    }
    if (--r->counter > 0) return;
    if (RevealOne(r)) r->counter = r->delay;
    if (r->flags & kDlgAllAtOnce)
        while (RevealOne(r)) {
        }
}

void ShowPage(DialogRecord* r) {
    while (RevealOne(r)) {
    }
}

// The player's confirm on a box: next page, the rest of the page, or done.
void Confirm(DialogRecord* r) {
    if (r->pageWait) {
        r->pageWait = false;
        r->pageStart = r->revealed;
        r->counter = 0;
        return;
    }
    if (!r->textDone) {
        ShowPage(r);
        return;
    }
    if (r->displayTime == kNoDisplayTime && !(r->flags & kDlgChoices)) r->done = true;
}

void CloseRecord(DialogRecord* r) {
    if (r->speaker != 0xFFFD && r->speakerSlot >= 0 && r->speakerSlot < kRoleRows)
        gMapRoles[r->speakerSlot].talkLock = 0;
    if (r->flags & kDlgWaits) {
        if (gTalkFlags & 0x7FFF) --gTalkFlags;
        if (gTalkContext.speakerState == 1) gTalkContext.speakerState = 0;
    } else if (gTalkContext.speakerState == 2) {
        gTalkContext.speakerState = 0;
    }
    gMouseLockFrames = 12;
}

// Player input stays with the boxes while any open box waits for the player.
void HoldInputWhileABoxWaits() {
    gInputLock = 0;
    for (const auto& r : gDialogs)
        if (r && (r->flags & kDlgWaits)) gInputLock = 1;
}

void FillFlat(i32 l, i32 t, i32 r, i32 b) {
    u16 fill = ConvertPixel(0x0C63);
    for (i32 yy = t; yy < b; ++yy)
        for (i32 xx = l; xx < r; ++xx)
            if (u16* px = Px(xx, yy)) *px = fill;
}

// Steps a shared state once per DlgMessage; false when it has no frame.
bool StepState(ActPlayer* p, u32* stepped, int k) {
    if (*stepped & (1u << k)) return p->pic != 0;
    *stepped |= 1u << k;
    return TakeActData(p) != 0 && p->pic != 0;
}

// Covers [l, r) x [t, b) with the state's picture, tile by tile, clipped to
// the rectangle; false when there is no picture to tile with.
bool TileState(const ActPlayer* p, i32 l, i32 t, i32 r, i32 b) {
    if (!p->pic || r <= l || b <= t) return false;
    PicFrame* f = GetPic(p->pic, p->frame);
    if (!f || f->width <= 0 || f->height <= 0) return false;
    i64 tiles = (static_cast<i64>(r - l) / f->width + 1) * ((b - t) / f->height + 1);
    if (tiles > kMaxTiles) return false;
    ClipRect saved = gClipRect;
    SetClip(std::max(l, saved.left), std::max(t, saved.top), std::min(r, saved.left + saved.width),
            std::min(b, saved.top + saved.height));
    if (gClipRect.width > 0 && gClipRect.height > 0) {
        ActPlayer copy = *p;
        for (i32 y = t; y < b; y += f->height)
            for (i32 x = l; x < r; x += f->width)
                DrawActPicture(&copy, x + p->xOff, y + p->yOff, 0);
    }
    gClipRect = saved;
    return true;
}

// The box's frame: the frame state's picture over the box and a margin, and
// a one-pixel edge; without a picture the box is drawn flat.
void DrawBox(const DialogRecord& r, i32 x, i32 y, i32 w, i32 h) {
    if (!gPaintBuf) return;
    constexpr i32 kPad = 8;
    i32 l = x - kPad, t = y - kPad, rr = x + w + kPad, b = y + h + kPad;
    int k = std::clamp(r.frameState, 0, kDialogFrameCount - 1);
    ActPlayer* st = &gFrames.frame[k];
    bool drawn = StepState(st, &gFrames.steppedFrames, k) && TileState(st, l, t, rr, b);
    if (!drawn) {
        ReportActError("Act Err20(DlgMessage:Fr)", st, r.speaker);
        FillFlat(std::max(0, l), std::max(0, t), std::min(640, rr), std::min(480, b));
    }
    DrawRectFrame(l, t, rr - l, b - t, ConvertPixel(0x7FFF));
}

// A box a person on the map says, placed by that person, carries the name
// marker of its size; the marker holds the caption when there is one.
bool HasNameMarker(const DialogRecord& r) {
    u32 k = r.kind & 0x7FFF;
    return !r.balloon && (k == 0 || k == 2) && r.speakerSlot >= 0;
}

// The speaker's face above the box's left corner, and the caption on its
// plate beside it.
void DrawDecor(const DialogRecord& r) {
    if (!gPaintBuf) return;
    DialogDecor d = DialogDecorOf(r);
    ActPlayer face;
    if (d.faceW > 0 && SpeakerFace(r, &face))
        DrawActPicture(&face, d.faceX + face.xOff, d.faceY + face.yOff, 0);
    if (r.captionState < 0 || !r.caption[0] || HasNameMarker(r)) return;
    int k = std::clamp(r.captionState, 0, kDialogFrameCount - 1);
    ActPlayer* st = &gFrames.caption[k];
    if (!(StepState(st, &gFrames.steppedCaptions, k) &&
          TileState(st, d.capX, d.capY, d.capX + d.capW, d.capY + d.capH)))
        FillFlat(std::max(0, d.capX), std::max(0, d.capY), std::min(640, d.capX + d.capW),
                 std::min(480, d.capY + d.capH));
    FontTextOut(gPaintBuf, d.capX + 4, d.capY + 2, 0, 0, r.caption, kStyleShadow);
}

// A balloon is drawn whole from its first frame; its text starts where the
// balloon says.
void DrawBalloon(DialogRecord* r) {
    r->x = DrawTalkBalloon(r->text);
    r->y = kBalloonTextY;
    if (r->opening < 4) {
        r->opening = 4;
        r->flags |= kDlgShown;
        r->counter = 0;
    }
}

// The chosen answer of the box's list wears a yellow frame around its line:
// its top on the row above the line and its bottom on the line's last row,
// the two rows the glyphs leave free, its sides two pixels wide in the box's
// margin. The keys and the mouse move it with gChosenAnswer.
void DrawChosenAnswer(const DialogRecord& r) {
    if (!gPaintBuf || !(r.flags & kDlgChoices) || gChosenAnswer >= gScreenItems.size()) return;
    const ScreenItem& it = gScreenItems[gChosenAnswer];
    if (it.left < r.x || it.right > r.x + r.w || it.top < r.y || it.bottom > r.y + r.h) return;
    i32 w = it.right - it.left, h = it.bottom - it.top;
    u16 marker = gTextColors[3];
    DrawRectFrame(it.left - 4, it.top - 1, w + 8, h + 1, marker);
    DrawRectFrame(it.left - 3, it.top - 1, w + 6, h + 1, marker);
}

bool AgeRecord(DialogRecord* r, bool* inputTaken) {
    if (r->balloon) DrawBalloon(r);
    if (r->opening < 4) {
        ++r->opening;
        i32 q = static_cast<i32>(r->opening);
        DrawBox(*r, r->anchorX + (r->x - r->anchorX) * q / 4,
                r->anchorY + (r->y - r->anchorY) * q / 4, r->w * q / 4, r->h * q / 4);
        if (r->opening < 4) return false;
        r->flags |= kDlgShown;
        r->counter = 0;
    }
    RevealFrame(r);
    if (!r->balloon) DrawBox(*r, r->x, r->y, r->w, r->h);
    if (!r->balloon) DrawDecor(*r);
    if (HasNameMarker(*r) && gPaintBuf)
        DrawNameMarker(r->x, r->y, r->w, r->h, r->caption[0] ? r->caption : nullptr);
    WalkPage(r, gPaintBuf != nullptr);
    DrawChosenAnswer(*r);
    if ((gDialogInput > 0 || gDialogClick) && !*inputTaken) {
        *inputTaken = true;
        Confirm(r);
    }
    // Taking an answer (the list freed) closes its box.
    if ((r->flags & kDlgChoices) && gScreenItems.empty()) r->done = true;
    // A timed box closes when its time is up, whether or not its text is all out.
    if (r->displayTime != kNoDisplayTime && (gFrameTime - r->startTime) / 100 > r->displayTime)
        r->done = true;
    return r->done;
}

// Picks the frame state (and the caption plate) of a new box; a frame act
// that is none of the four, or a state without frames, is reported and the
// box is drawn all the same.
void ChooseFrame(DialogRecord* r, u16 frameAct, const char* caption) {
    if (!gFrames.made) InitDialogFrames();
    int k = DialogFrameIndex(frameAct);
    if (k < 0) {
        ErrorBox("SetupDialog", "frame act %d", static_cast<int>(frameAct));
        k = 0;
    }
    r->frameState = k;
    if (!LoadAct(kDialogAct, k))
        ReportActError("Act Err06(Dialog:Frame)", &gFrames.frame[k], r->speaker);
    if (!caption || !*caption) return;
    // A caption cut to its buffer must not end in half a character.
    int n = CutOnCharacter(caption, static_cast<int>(strnlen(caption, kCaptionBytes - 1)));
    std::memcpy(r->caption, caption, static_cast<size_t>(n));
    r->caption[n] = 0;
    r->captionState = k;
    if (!LoadAct(kDialogAct, kCaptionActionBase + k))
        ReportActError("Act Err07(Dialog:Caption)", &gFrames.caption[k], r->speaker);
}

}  // namespace

u32 ExpandTextVariables(char* text) {
    for (char* p = text; *p && p - text < kDialogTextMax;) {
        if (p[0] == '%' && p[1] == 'Q') break;
        if (p[0] == '%' && (p[1] == 'T' || p[1] == 'I')) {
            p += ExpandEscape(text, p);
            continue;
        }
        bool replaced = false;
        for (const Replacement& rp : gReplacements) {
            if (!rp.pattern[0]) continue;
            int room = kDialogTextMax - static_cast<int>(std::strlen(text)) +
                       static_cast<int>(std::strlen(p));
            if (ReplaceAtStart(p, rp.pattern, rp.replacement, room)) {
                p += std::strlen(rp.replacement);
                replaced = true;
                break;
            }
        }
        if (!replaced) p += IsBig5Lead(static_cast<u8>(*p)) && p[1] ? 2 : 1;
    }
    return MeasureText(text);
}

int ReplaceAtStart(char* text, const char* pattern, const char* replacement, int room) {
    size_t pl = std::strlen(pattern), rl = std::strlen(replacement), tl = std::strlen(text);
    if (pl == 0 || std::strncmp(text, pattern, pl) != 0) return 0;
    if (static_cast<int>(tl - pl + rl) > room) return 0;
    std::memmove(text + rl, text + pl, tl - pl + 1);
    std::memcpy(text, replacement, rl);
    return 1;
}

void SetTextReplacement(int i, const char* pattern, const char* replacement) {
    if (i < 0 || i >= 9) return;
    std::snprintf(gReplacements[i].pattern, 32, "%s", pattern);
    std::snprintf(gReplacements[i].replacement, 32, "%s", replacement);
}

int SetupDialog(DialogRecord* r, const DialogSpec& spec, const char* caption, u32 kind) {
    *r = DialogRecord{};
    r->flags = spec.flags;
    r->kind = kind;
    // The text up to its mark, cut on a character boundary to what the buffer keeps.
    int len = static_cast<int>(spec.textLen);
    if (len > kDialogTextMax - 2) len = CutOnCharacter(spec.text, kDialogTextMax - 2);
    std::memcpy(r->text, spec.text, static_cast<size_t>(len));
    std::memcpy(r->text + len, "%Q", 3);
    u32 measure = ExpandTextVariables(r->text);
    if (kind & kKindKeepText) gKeptTexts.emplace_back(r->text);
    i32 cols = static_cast<i32>(measure & 0xFFFF), lines = static_cast<i32>(measure >> 16);
    i32 s = Size();
    u32 k = kind & 0x7FFF;
    if (kind & kKindBound) {
        r->w = s * cols;
        r->h = 2 * s;
        // Not bound to a record: a talk balloon, over two lines when long.
        if (!(r->flags & kDlgNoSpeakerCheck)) {
            r->balloon = true;
            r->w = s * std::min(cols, kBalloonColumns);
            r->h = cols > kBalloonColumns ? 4 * s : 2 * s;
        }
    } else if (k == 1) {
        r->w = spec.width1 * s;
        r->h = spec.height1 * s;
    } else if (k == 2) {
        // The size the box's record gives, whatever the text: a longer text wraps and pages.
        r->w = spec.width2 * s;
        r->h = spec.height2 * s;
    } else {
        r->w = s * cols;
        r->h = std::max(s, s * lines * 2);
    }
    r->speaker = spec.speaker;
    int slot = -1;
    if (spec.speaker != 0xFFFD && !(r->flags & kDlgNoSpeakerCheck)) {
        if (!GetRoleIndex(spec.speaker, &slot) || !(gMapRoles[slot].state & kRoleShown)) {
            *r = DialogRecord{};
            return 0;
        }
        r->speakerSlot = static_cast<i16>(slot);
    }
    ChooseFrame(r, spec.frameAct, caption);
    r->delay = 11 - static_cast<i32>(gTextSpeed > 11 ? 11 : gTextSpeed);
    gTextDelay = r->delay;
    r->displayTime = spec.displayTime;
    if (r->displayTime != kNoDisplayTime) r->flags |= kDlgTimed;
    r->startTime = gFrameTime;

    // Placement, in screen pixels.
    i32 x = spec.x == 0x8000 ? 0 : spec.x, y = spec.y == 0x8000 ? 0 : spec.y;
    bool hasPos = spec.x != 0x8000;
    if (kind & kKindCentreX) x -= r->w / 2;
    if (kind & kKindCentreY) y -= r->h / 2;
    if ((kind & kKindBound) && (r->flags & kDlgNoSpeakerCheck)) {
        x = std::clamp(x - r->h - 16, 16, std::max(16, 608 - r->w));
        y = std::clamp(y, 16, std::max(16, 464 - r->h));
        r->x = r->anchorX = x;
        r->y = r->anchorY = y;
        return 1;
    }
    bool spot = spec.speaker == 0xFFFD;
    i32 sx = 0, sy = 0;
    if (spot) {
        sx = gTalkContext.x - gViewX;
        sy = gTalkContext.y - gViewY;
    } else if (slot >= 0) {
        sx = gMapRoles[slot].x - gViewX;
        sy = gMapRoles[slot].y - gViewY;
    }
    if (k != 1 && !hasPos) {
        x = sx - r->w / 2;
        y = sy - r->h / 2;
    }
    int dir = slot >= 0 && gMapRoles[slot].act ? gMapRoles[slot].act->dir & 7 : 0;
    i32 ddx = kDirDx[dir], ddy = kDirDy[dir] + ((r->flags & 0x80) ? (dir & 1 ? 32 : -48) : 0);
    if ((r->flags & kDlgNoSpeakerCheck) || spot) y -= 104;
    if (kind & kKindOffset) {
        x += spec.dx;
        y += spec.dy;
    } else if (!spot) {
        x += ddx;
        y += ddy;
    }
    x = std::clamp(x, 30, std::max(30, 576 - r->w));
    y = std::clamp(y, 40, std::max(40, 456 - r->h));
    if (!spot && slot >= 0 && sx >= x - 16 && sx < x + r->w + 48 && sy >= y - 16 &&
        sy < y + r->h + 64) {
        x = std::clamp(x + ddx, 24, std::max(24, 576 - r->w));
        y = std::clamp(y + ddy, 32, std::max(32, 456 - r->h));
    }
    r->x = x;
    r->y = y;
    r->anchorX = spot || slot >= 0 ? sx : x;
    r->anchorY = spot || slot >= 0 ? sy : y;
    return 1;
}

void AppendDialog(std::unique_ptr<DialogRecord> r) {
    if (r->flags & kDlgWaits) gInputLock = 1;
    gDialogs.push_back(std::move(r));
}

void ShowMessageBox(u16 speaker, const char* text) {
    DialogSpec spec;
    spec.speaker = speaker;
    spec.frameAct = 9005;
    spec.text = text;
    int mark = FindMark(text, kDialogTextBytes * 4);
    spec.textLen = static_cast<u32>(mark >= 0 ? mark : static_cast<int>(std::strlen(text)));
    auto r = std::make_unique<DialogRecord>();
    if (SetupDialog(r.get(), spec, nullptr, 1)) AppendDialog(std::move(r));
}

void DlgMessage() {
    bool inputTaken = false;
    if (!gFrames.made) InitDialogFrames();
    gFrames.steppedFrames = gFrames.steppedCaptions = 0;
    for (size_t i = 0; i < gDialogs.size();) {
        DialogRecord* r = gDialogs[i].get();
        if (AgeRecord(r, &inputTaken)) {
            CloseRecord(r);
            gDialogs.erase(gDialogs.begin() + static_cast<long>(i));
            continue;
        }
        ++i;
    }
    HoldInputWhileABoxWaits();
    gDialogInput = 0;
    gDialogClick = 0;
    // The text delay a new box set counts for this call only.
    gTextDelay = 0;
}

void CloseDialogsOf(u16 speaker) {
    for (size_t i = 0; i < gDialogs.size();) {
        DialogRecord* r = gDialogs[i].get();
        if (!r || r->speaker != speaker) {
            ++i;
            continue;
        }
        CloseRecord(r);
        gDialogs.erase(gDialogs.begin() + static_cast<long>(i));
    }
    HoldInputWhileABoxWaits();
}

void ReleaseDialogs() {
    gDialogs.clear();
    gInputLock = 0;
}

int FindScreenItemAtMouse(i32 x, i32 y, int* index) {
    for (size_t i = 0; i < gScreenItems.size(); ++i) {
        const ScreenItem& it = gScreenItems[i];
        if (x >= it.left && x < it.right && y >= it.top && y < it.bottom) {
            *index = static_cast<int>(i);
            return 1;
        }
    }
    *index = -1;
    return 0;
}

void FreeScreenItemList() {
    gScreenItems.clear();
}

bool ChoiceOpen() {
    return !gScreenItems.empty();
}

// A revealed answer's escape is rewritten to "%b", so an answer still to come
// is a "%B" left in the text.
bool ChoicesShown() {
    for (const auto& r : gDialogs) {
        if (!(r->flags & kDlgChoices) || r->textDone) continue;
        for (int i = 0; i + 1 < kDialogTextMax && r->text[i]; ++i) {
            if (r->text[i] != '%') continue;
            if (r->text[i + 1] == 'Q') break;
            if (r->text[i + 1] == 'B') return false;
            ++i;  // an escape's letter is never the start of another
        }
    }
    return true;
}

void MoveChosenAnswer(int delta) {
    if (gScreenItems.empty()) return;
    i32 n = static_cast<i32>(gScreenItems.size());
    i32 v = (static_cast<i32>(gChosenAnswer) + delta) % n;
    gChosenAnswer = static_cast<u32>(v < 0 ? v + n : v);
}

void InitDialogFrames() {
    gFrames = FrameStates{};
    for (int k = 0; k < kDialogFrameCount; ++k) {
        ResetActPlayer(&gFrames.frame[k]);
        gFrames.frame[k].act = kDialogAct;
        gFrames.frame[k].action = k;
        ResetActPlayer(&gFrames.caption[k]);
        gFrames.caption[k].act = kDialogAct;
        gFrames.caption[k].action = kCaptionActionBase + k;
    }
    gFrames.made = true;
}

int DialogFrameIndex(u16 frameAct) {
    if (frameAct < kDialogFrameCount) return frameAct;
    if (frameAct == kDialogAct) return 1;
    return -1;
}

bool SpeakerFace(const DialogRecord& r, ActPlayer* face) {
    ResetActPlayer(face);
    bool speaker = r.speaker != 0xFFFD && r.speakerSlot >= 0 && r.speakerSlot < kRoleRows;
    const ActPlayer* look = speaker ? gMapRoles[r.speakerSlot].act : nullptr;
    if (!look || look->act <= 0) return false;
    face->act = look->act;
    face->action = kFaceAction;
    return TakeActData(face) == 1 && face->pic != 0;
}

DialogDecor DialogDecorOf(const DialogRecord& r) {
    constexpr i32 kPad = 8;
    DialogDecor d;
    i32 left = r.x - kPad, top = r.y - kPad;
    ActPlayer face;
    PicFrame* f = SpeakerFace(r, &face) ? GetPic(face.pic, face.frame) : nullptr;
    if (f && f->width > 0 && f->height > 0) {
        // Above the box, right of the name marker on its corner, and kept on
        // the screen when the box stands at its top.
        d.faceX = r.x + kFaceInset;
        d.faceY = std::max(0, top - f->height);
        d.faceW = f->width;
        d.faceH = f->height;
    }
    i32 s = Size();
    d.capW = static_cast<i32>(std::strlen(r.caption)) * s + 8;
    d.capH = 2 * s + 4;
    d.capX = d.faceW > 0 ? d.faceX + d.faceW : left;
    d.capY = top - d.capH;
    return d;
}

void ConvertTextColors() {
    for (int i = 0; i < 16; ++i) {
        gTextColors[i] = ConvertPixel(kTextColors555[i]);
        gShadowColors[i] = ConvertPixel(kShadowColors555[i]);
    }
}

void FontTextOut(u16* buffer, i32 x, i32 y, int colour, int shadow, const char* text, int style) {
    if (!buffer) return;
    gMainFont.SetBkColor(kNoBkColor);
    gMainFont.SetShadowColor(gShadowColors[shadow & 15]);
    gMainFont.DrawString(buffer, x, y, text, gTextColors[colour & 15], style);
    gMainFont.SetBkColor(kNoBkColor);
    gMainFont.SetShadowColor(0);
}

void DrawRectFrame(i32 x, i32 y, i32 w, i32 h, u16 colour) {
    if (!gPaintBuf || w <= 0 || h <= 0) return;
    for (i32 i = 0; i < w; ++i) {
        if (u16* p = Px(x + i, y)) *p = colour;
        if (u16* p = Px(x + i, y + h - 1)) *p = colour;
    }
    for (i32 j = 0; j < h; ++j) {
        if (u16* p = Px(x, y + j)) *p = colour;
        if (u16* p = Px(x + w - 1, y + j)) *p = colour;
    }
}

void ResetDialogs() {
    gDialogs.clear();
    gScreenItems.clear();
    gKeptTexts.clear();
    gChosenAnswer = 0;
    gDialogInput = gDialogClick = gInputLock = gMouseLockFrames = 0;
    gTextDelay = 0;
    for (Replacement& r : gReplacements) r = Replacement{};
    gFrames = FrameStates{};
    ConvertTextColors();
}

u16 TextColourAt(int n) {
    return gTextColors[n & 15];
}

// What the boxes keep between talks: the kept texts, and the frame and
// caption states, which start again from their first frame.
void ReleaseDialogPictures() {
    gKeptTexts.clear();
    gKeptTexts.shrink_to_fit();
    gFrames = FrameStates{};
}
