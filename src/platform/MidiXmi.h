// XMIDI sequences: the IFF container reader, the event list (delays as sums of
// bytes below 0x80, note-ons carrying their duration, a 120 Hz clock) and the
// sequencer that plays it as the sound library does: FOR/NEXT/BREAK loop
// controllers, XMIDI's own controllers kept from the synthesizer, the end of
// track ending the piece, and a loop count of the whole.
#pragma once
#include <memory>
#include <type_traits>
#include <string>
#include <vector>

#include "base/DataError.h"
#include "base/Types.h"

constexpr int kXmiTickRate = 120;
// XMIDI's own controllers, 110 (channel lock) to 120 (sequence branch index),
// speak to the player, never to the synthesizer.
constexpr u8 kXmiFirstController = 110, kXmiLastController = 120;
constexpr u8 kXmiForLoop = 116;  // loop start, value = count (0 = forever)
constexpr u8 kXmiNextLoop =
    117;  // loop end: value >= 64 NEXT jumps back, below 64 BREAK ends the loop
constexpr size_t kXmiLoopNesting = 4;  // FORs past this depth are ignored

struct XmiEvent {
    u32 tick = 0;
    u8 status = 0;  // channel message status; 0xFF meta (only end of track is kept)
    u8 data1 = 0;
    u8 data2 = 0;
    u32 duration = 0;  // note-on: ticks until its note-off
};

struct XmiSequence {
    std::vector<XmiEvent> events;
    // The end-of-track event's tick; without one, the last event or note end.
    u32 lengthTicks = 0;
    bool endOfTrack = false;  // the piece ends at lengthTicks, releasing held notes
    u32 LengthMs() const { return lengthTicks * 1000 / kXmiTickRate; }
};

// Counts the sequences of an XMIDI image (1 for a lone FORM XMID); 0 when it is none.
int XmiSequenceCount(const u8* data, size_t size);
// Parses sequence number index. Every length and count is checked; on failure
// error names the offset
// (its file left to the caller).
bool ParseXmi(const u8* data, size_t size, int index, XmiSequence* out, DataError* error);

// A callable lent for the length of one call: made and called without
// allocating, as the audio thread's pull must be (a std::function holding more
// than a pointer or two takes it from the heap).
template <class Signature>
class cCallRef;
template <class R, class... Args>
class cCallRef<R(Args...)> {
public:
    template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, cCallRef> &&
             std::is_invocable_r_v<R, F&, Args...>)
        cCallRef(F&& f)  // lent as a reference is: implicit
        : object_(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
          call_([](void* o, Args... a) -> R {
              return (*static_cast<std::remove_reference_t<F>*>(o))(a...);
          }) {}
    R operator()(Args... a) const { return call_(object_, a...); }

private:
    void* object_;
    R (*call_)(void*, Args...);
};

// Plays a parsed sequence: Render advances time and hands each due MIDI message
// to the sink between slices of output from the synthesizer.
class cXmiSequencer {
public:
    using Sink = cCallRef<void(u8 status, u8 data1, u8 data2)>;
    using Render = cCallRef<void(int frames)>;

    void Load(XmiSequence seq);
    void SetLoops(int loops) { loops_ = loops; }  // 1 once, 0 forever, n times
    void Start();
    bool Playing() const { return playing_; }
    // Advances by frames at sampleRate, calling the sink for each due event and
    // render(frames) for the audio between them. Returns the frames advanced;
    // fewer than asked when the sequence ended.
    int Advance(int frames, int sampleRate, Sink sink, Render render);
    u32 TotalMs() const { return seq_.LengthMs(); }
    u32 PositionMs() const;
    void Stop(Sink sink);

private:
    void Dispatch(const XmiEvent& e, Sink sink);
    void LoopEnd(const XmiEvent& e);
    void ReleaseHeld(Sink sink);
    void Restart();
    u64 NextDueTick() const;

    struct PendingOff {
        u64 tick;
        u8 channel, note;
    };
    struct Loop {
        size_t index;
        u64 startTick;  // event tick at the loop start
        int count;
    };
    XmiSequence seq_;
    std::vector<PendingOff> offs_;
    std::vector<Loop> loops_stack_;
    size_t next_ = 0;
    u64 now_ = 0;     // play ticks scaled by sampleRate (frames x 120)
    i64 offset_ = 0;  // play tick of event tick 0
    u64 frames_ = 0;
    int loops_ = 1;
    int loopsLeft_ = 1;
    bool playing_ = false;
};
