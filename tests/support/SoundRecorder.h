// Records the sound effects the game asks for (interface and battle sounds go
// through PlaySfx), in order, while the recorder lives. One at a time.
#pragma once
#include <vector>

#include "sound/Sound.h"

class SoundRecorder {
public:
    SoundRecorder() {
        log_.clear();
        SetSfxWatcher([](int n) { log_.push_back(n); });
    }
    ~SoundRecorder() { SetSfxWatcher(nullptr); }
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    const std::vector<int>& played() const { return log_; }
    void Clear() { log_.clear(); }

private:
    static inline std::vector<int> log_;
};
