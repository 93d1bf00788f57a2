// The battle's message log: a ring of lines shown one at a time in a strip at
// the bottom of the battle screen.
#pragma once
#include "base/Types.h"

constexpr int kBattleLogSlots = 32;  // the ring keeps one slot free: 31 lines at most
constexpr i32 kBattleLogTicks = 40;  // how long the newest line stays
constexpr int kBattleLogLineBytes = 128;
constexpr u16 kBattleLogStripPic = 9167;

class cBattleLog {
public:
    cBattleLog() = default;
    ~cBattleLog();
    cBattleLog(const cBattleLog&) = delete;
    cBattleLog& operator=(const cBattleLog&) = delete;

    // Empties the ring, freeing every line still waiting.
    void Reset();
    // Formats a line (at most 127 bytes, cut between characters) and adds it;
    // 0 when the ring is full.
    int Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int Add(const char* text);
    void Draw();

    bool Empty() const { return head_ == tail_; }
    int Count() const { return (tail_ - head_ + kBattleLogSlots) % kBattleLogSlots; }
    // The line shown next, null when empty.
    const char* HeadText() const { return Empty() ? nullptr : entries_[head_].text; }
    i32 HeadTimer() const { return Empty() ? 0 : entries_[head_].timer; }

private:
    struct Entry {
        i32 timer = 0;
        u16 colour = 0;
        char* text = nullptr;
    };
    void DropHead();

    i32 head_ = 0;
    i32 tail_ = 0;
    Entry entries_[kBattleLogSlots];
};

extern cBattleLog gBattleLog;

void ResetBattleLog();
