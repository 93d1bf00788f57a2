// Records the sound effects the game asks for (interface and battle sounds go
// through PlaySfx), in order, while the recorder lives. One at a time.
#pragma once
#include <vector>

#include "sound/Sound.h"

class SoundRecorder {
public:
    SoundRecorder() {
        Log().clear();
        SetSfxWatcher([](int n) { Log().push_back(n); });
    }
    ~SoundRecorder() { SetSfxWatcher(nullptr); }
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    const std::vector<int>& played() const { return Log(); }
    void Clear() { Log().clear(); }

private:
    static std::vector<int>& Log() {
        static std::vector<int> log;
        return log;
    }
};
