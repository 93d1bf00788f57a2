// XMIDI container reading, event decoding and the sequencer.
#include "platform/MidiXmi.h"

#include <algorithm>
#include <cstring>

#include "base/ByteIo.h"

namespace {
// IFF chunk lengths are big-endian.
u32 LoadBe32(const u8* p) {
    return (static_cast<u32>(p[0]) << 24) | (static_cast<u32>(p[1]) << 16) |
           (static_cast<u32>(p[2]) << 8) | p[3];
}

struct Chunk {
    const u8* id;
    const u8* body;
    size_t size;
    size_t offset;  // of the chunk header in the image
};

// Reads the chunk at pos inside [0, end); false when its header or body passes end.
bool ReadChunk(const u8* data, size_t pos, size_t end, Chunk* c) {
    if (pos > end || end - pos < 8) return false;
    u32 len = LoadBe32(data + pos + 4);
    if (len > end - pos - 8) return false;
    *c = {data + pos, data + pos + 8, len, pos};
    return true;
}

bool Is(const u8* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

DataError At(const char* what, size_t offset) {
    return {"", offset, what};
}

// Finds the FORM XMID chunks: either one at the top or inside a CAT XMID after FORM XDIR.
std::vector<Chunk> FindSequences(const u8* data, size_t size) {
    std::vector<Chunk> out;
    size_t pos = 0;
    Chunk c;
    while (ReadChunk(data, pos, size, &c)) {
        if (Is(c.id, "FORM") && c.size >= 4 && Is(c.body, "XMID")) out.push_back(c);
        if (Is(c.id, "CAT ") && c.size >= 4 && Is(c.body, "XMID")) {
            size_t inner = c.offset + 12, end = c.offset + 8 + c.size;
            Chunk f;
            while (ReadChunk(data, inner, end, &f)) {
                if (Is(f.id, "FORM") && f.size >= 4 && Is(f.body, "XMID")) out.push_back(f);
                inner = f.offset + 8 + f.size + (f.size & 1);
            }
        }
        pos = c.offset + 8 + c.size + (c.size & 1);
    }
    return out;
}

// Standard MIDI variable-length quantity, at most 4 bytes.
bool ReadVlq(ByteReader& r, u32* v) {
    *v = 0;
    for (int i = 0; i < 4; ++i) {
        if (!r.Has(1)) return false;
        u8 b = r.U8();
        *v = (*v << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
    }
    return false;
}

int DataBytes(u8 status) {
    switch (status & 0xF0) {
        case 0xC0:
        case 0xD0:
            return 1;
        default:
            return 2;
    }
}

bool ParseEvents(const u8* data, size_t size, size_t base, XmiSequence* out, DataError* error) {
    ByteReader r(data, size);
    u32 tick = 0;
    while (r.bytesLeft() > 0) {
        size_t at = base + r.pos();
        u8 b = r.U8();
        if (b < 0x80) {  // a delay: consecutive bytes below 0x80 add up
            tick += b;
            continue;
        }
        XmiEvent e;
        e.tick = tick;
        e.status = b;
        if (b == 0xFF) {
            u8 type = r.U8();
            u32 len = 0;
            if (!r.ok() || !ReadVlq(r, &len) || !r.Skip(len)) {
                *error = At("meta event runs past the end", at);
                return false;
            }
            if (type == 0x2F) {
                out->lengthTicks = tick;
                out->endOfTrack = true;
                return true;
            }
            continue;
        }
        if (b == 0xF0 || b == 0xF7) {
            u32 len = 0;
            if (!ReadVlq(r, &len) || !r.Skip(len)) {
                *error = At("system exclusive event runs past the end", at);
                return false;
            }
            continue;
        }
        if (b >= 0xF0) {
            *error = At("unknown system event", at);
            return false;
        }
        e.data1 = r.U8() & 0x7F;
        if (DataBytes(b) == 2) e.data2 = r.U8() & 0x7F;
        if ((b & 0xF0) == 0x90 && r.ok() && !ReadVlq(r, &e.duration)) {
            *error = At("bad note duration", at);
            return false;
        }
        if (!r.ok()) {
            *error = At("event runs past the end", at);
            return false;
        }
        out->events.push_back(e);
        u32 end = e.tick + ((b & 0xF0) == 0x90 ? e.duration : 0);
        out->lengthTicks = std::max(out->lengthTicks, end);
    }
    out->lengthTicks = std::max(out->lengthTicks, tick);
    return true;
}
}  // namespace

int XmiSequenceCount(const u8* data, size_t size) {
    return static_cast<int>(FindSequences(data, size).size());
}

bool ParseXmi(const u8* data, size_t size, int index, XmiSequence* out, DataError* error) {
    *out = XmiSequence{};
    std::vector<Chunk> forms = FindSequences(data, size);
    if (forms.empty()) {
        *error = At("no XMIDI sequence", 0);
        return false;
    }
    if (index < 0 || index >= static_cast<int>(forms.size())) {
        *error = DataError::Unplaced("", "no sequence " + std::to_string(index));
        return false;
    }
    const Chunk& form = forms[static_cast<size_t>(index)];
    size_t pos = form.offset + 12, end = form.offset + 8 + form.size;
    Chunk c;
    while (pos < end) {
        if (!ReadChunk(data, pos, end, &c)) {
            *error = At("chunk runs past its form", pos);
            return false;
        }
        if (Is(c.id, "EVNT")) return ParseEvents(c.body, c.size, c.offset + 8, out, error);
        pos = c.offset + 8 + c.size + (c.size & 1);
    }
    *error = At("sequence without EVNT chunk", form.offset);
    return false;
}

void cXmiSequencer::Load(XmiSequence seq) {
    seq_ = std::move(seq);
    playing_ = false;
    // Advance runs on the audio thread and allocates nothing: the room for
    // the notes held and the loops open is made here.
    offs_.reserve(static_cast<size_t>(
        std::count_if(seq_.events.begin(), seq_.events.end(),
                      [](const XmiEvent& e) { return (e.status & 0xF0) == 0x90 && e.data2 > 0; })));
    loops_stack_.reserve(kXmiLoopNesting);
}

void cXmiSequencer::Start() {
    loopsLeft_ = loops_;
    frames_ = 0;
    now_ = 0;
    offs_.clear();
    Restart();
    playing_ = true;
}

void cXmiSequencer::Restart() {
    next_ = 0;
    loops_stack_.clear();
    offset_ = static_cast<i64>(now_);
}

u32 cXmiSequencer::PositionMs() const {
    i64 t = static_cast<i64>(now_) - offset_;
    if (t < 0) t = 0;
    return static_cast<u32>(std::min<i64>(t * 1000 / kXmiTickRate, seq_.LengthMs()));
}

u64 cXmiSequencer::NextDueTick() const {
    u64 due = UINT64_MAX;
    if (next_ < seq_.events.size()) due = static_cast<u64>(offset_ + seq_.events[next_].tick);
    for (const PendingOff& o : offs_) due = std::min(due, o.tick);
    return due;
}

void cXmiSequencer::LoopEnd(const XmiEvent& e) {
    if (loops_stack_.empty()) return;
    Loop& l = loops_stack_.back();
    // A BREAK ends the loop; so does the last pass, and a body with no length,
    // which would jump back forever within one tick.
    if (e.data2 < 64 || l.count == 1 || e.tick <= l.startTick) {
        loops_stack_.pop_back();
        return;
    }
    if (l.count > 1) --l.count;
    // Jump back: the loop body's events fall due again from now.
    offset_ = static_cast<i64>(now_) - static_cast<i64>(l.startTick);
    next_ = l.index;
}

void cXmiSequencer::Dispatch(const XmiEvent& e, Sink sink) {
    u8 type = e.status & 0xF0, ch = e.status & 0x0F;
    if (type == 0x90 && e.data2 > 0) {
        sink(e.status, e.data1, e.data2);
        offs_.push_back({now_ + e.duration, ch, e.data1});
        return;
    }
    if (type == 0xB0 && e.data1 >= kXmiFirstController && e.data1 <= kXmiLastController) {
        if (e.data1 == kXmiForLoop && loops_stack_.size() < kXmiLoopNesting)
            loops_stack_.push_back({next_, e.tick, e.data2});
        if (e.data1 == kXmiNextLoop) LoopEnd(e);
        return;
    }
    sink(e.status, e.data1, e.data2);
}

void cXmiSequencer::ReleaseHeld(Sink sink) {
    for (const PendingOff& o : offs_) sink(static_cast<u8>(0x80 | o.channel), o.note, 0);
    offs_.clear();
}

void cXmiSequencer::Stop(Sink sink) {
    ReleaseHeld(sink);
    playing_ = false;
}

int cXmiSequencer::Advance(int frames, int sampleRate, Sink sink, Render render) {
    int done = 0;
    while (playing_ && done < frames) {
        // Events due at the current tick go out before the audio that follows them.
        for (;;) {
            u64 due = NextDueTick();
            if (due > now_) break;
            auto off = std::find_if(offs_.begin(), offs_.end(),
                                    [&](const PendingOff& o) { return o.tick <= now_; });
            if (off != offs_.end()) {
                sink(static_cast<u8>(0x80 | off->channel), off->note, 0);
                offs_.erase(off);
                continue;
            }
            Dispatch(seq_.events[next_++], sink);
        }
        if (next_ >= seq_.events.size() && (offs_.empty() || seq_.endOfTrack) &&
            now_ >= static_cast<u64>(offset_ + seq_.lengthTicks)) {
            ReleaseHeld(sink);  // notes still held when the track ends
            if (loopsLeft_ == 1) {
                playing_ = false;
                break;
            }
            if (loopsLeft_ > 1) --loopsLeft_;
            Restart();
            if (seq_.lengthTicks == 0) {  // an empty sequence would spin forever
                playing_ = false;
                break;
            }
            continue;
        }
        // Render up to the next tick boundary (frames per tick need not be whole).
        u64 nextTickFrame =
            ((now_ + 1) * static_cast<u64>(sampleRate) + kXmiTickRate - 1) / kXmiTickRate;
        int n = static_cast<int>(
            std::min<u64>(nextTickFrame - frames_, static_cast<u64>(frames - done)));
        if (n > 0) render(n);
        done += n;
        frames_ += static_cast<u64>(n);
        if (frames_ >= nextTickFrame) ++now_;
    }
    return done;
}
