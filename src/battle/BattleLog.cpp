// The battle message log: adding lines, their turns and the strip they show in.
#include "battle/BattleLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/Big5.h"
#include "platform/TextCodec.h"
#include "engine/GrpFont.h"
#include "engine/PicPaint.h"
#include "engine/Tsw.h"

cBattleLog gBattleLog;

namespace {
constexpr i32 kStripX = 90, kStripY = 450, kStripAlpha = 8;
constexpr i32 kTextX = 168, kTextY = 454;
constexpr int kTextSize = 16, kTextAdvance = 18;

void DrawStrip() {
    PicFrame* f = GetPic(kBattleLogStripPic, 0);
    if (!f || !f->pixels) return;
    gCurPic = f->pixels;
    gPaintAlpha = kStripAlpha;
    PutPic(kStripX, kStripY, f->width, f->height, 0x14, f->alpha);
}
}  // namespace

cBattleLog::~cBattleLog() {
    Reset();
}

void cBattleLog::Reset() {
    while (!Empty()) DropHead();
    for (Entry& e : entries_) {
        delete[] e.text;
        e = Entry{};
    }
    head_ = tail_ = 0;
}

int cBattleLog::Printf(const char* format, ...) {
    char line[kBattleLogLineBytes];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    if (n < 0) return 0;
    // A line that did not fit loses its last part at a character boundary.
    line[Big5Cut(line, std::strlen(line), sizeof(line) - 1)] = 0;
    return Add(line);
}

int cBattleLog::Add(const char* text) {
    i32 next = (tail_ + 1) % kBattleLogSlots;
    if (next == head_ || !text) return 0;
    size_t n = std::strlen(text);
    char* copy = new (std::nothrow) char[n + 1];
    if (!copy) return 0;
    std::memcpy(copy, text, n + 1);
    entries_[tail_] = Entry{kBattleLogTicks, 0xFFFF, copy};
    tail_ = next;
    return 1;
}

void cBattleLog::DropHead() {
    Entry& e = entries_[head_];
    delete[] e.text;
    e = Entry{};
    head_ = (head_ + 1) % kBattleLogSlots;
}

void cBattleLog::Draw() {
    if (Empty()) return;
    DrawStrip();
    Entry& e = entries_[head_];
    // Setting the face empties the glyph cache: only when the size is not the log's already.
    if (gMainFont.GetSize() != kTextSize || !gMainFont.HasFace())
        gMainFont.SetFont(B5("細明體"), kTextSize);
    gMainFont.SetAdvance(kTextAdvance);
    if (gPaintBuf && e.text)
        gMainFont.DrawString(gPaintBuf, kTextX, kTextY, e.text, e.colour, kStylePlain);
    bool lastLine = (head_ + 1) % kBattleLogSlots == tail_;
    if (e.timer != 0 && lastLine) {
        --e.timer;
        return;
    }
    DropHead();
}

void ResetBattleLog() {
    gBattleLog.Reset();
}
