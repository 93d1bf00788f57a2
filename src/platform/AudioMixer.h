// The software mixer: a fixed set of voices (PCM buffers or generators) with
// volume, pan, loop count and status, mixed into 44.1 kHz 16-bit stereo. The
// audio device pulls from it on its own thread; tests pull from it directly.
#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "base/Types.h"

constexpr int kMixRate = 44100;
// The most frames mixed in one go; a longer pull is mixed in blocks of it.
constexpr int kMixBlock = 2048;

// Voice status values, as the sound players read them.
constexpr int kVoiceFree = 1;  // reserved, nothing set up
constexpr int kVoiceDone = 2;  // played to its end or ended
constexpr int kVoicePlaying = 4;
constexpr int kVoiceStopped = 8;  // paused

// Interleaved stereo frames at kMixRate.
using PcmBuffer = std::vector<i16>;
using PcmRef = std::shared_ptr<const PcmBuffer>;
// Fills up to n stereo frames; a result below n means the source has ended.
using VoiceSource = std::function<int(i16* out, int frames)>;

class cAudioMixer {
public:
    explicit cAudioMixer(int voices = 24);

    // Reserves a voice; -1 when every voice is taken.
    int Allocate();
    void Release(int v);
    // A PCM span [begin, end) in frames (end -1 = to the end), played loops times (0 = forever).
    void SetPcm(int v, PcmRef pcm, size_t begin = 0, size_t end = static_cast<size_t>(-1));
    void SetSource(int v, VoiceSource source);
    void SetVolume(int v, int volume);  // 0..127
    void SetPan(int v, int pan);        // 0..127, 63 the centre
    void SetLoops(int v, int loops);
    void Start(int v);
    void End(int v);
    void Pause(int v, bool on);
    int Status(int v);
    int Volume(int v);
    int Pan(int v);
    // Frames played since the voice started (including loops).
    u64 Played(int v);
    size_t Position(int v);  // frame inside the PCM span
    void Seek(int v, size_t frame);
    void SetMasterVolume(int volume);  // 0..127
    int VoiceCount() const { return static_cast<int>(voices_.size()); }
    int ActiveVoices();

    // Mixes frames stereo frames into out (the audio device's pull).
    void Mix(i16* out, int frames);

    // Every call from the game thread goes through this lock, which the pull also holds.
    std::recursive_mutex& Lock() { return mutex_; }
    void Reset();

private:
    struct Voice {
        bool reserved = false;
        int status = kVoiceFree;
        PcmRef pcm;
        size_t begin = 0, end = 0, pos = 0;
        VoiceSource source;
        int volume = 127;
        int pan = 63;
        int loops = 1;
        int loopsLeft = 1;
        u64 played = 0;
    };
    bool Valid(int v) const {
        return v >= 0 && v < static_cast<int>(voices_.size()) && voices_[v].reserved;
    }
    void MixVoice(Voice& voice, int* acc, int frames);

    std::recursive_mutex mutex_;
    std::vector<Voice> voices_;
    int master_ = 127;
    std::vector<int> acc_;      // the sum of one block, made once
    std::vector<i16> scratch_;  // one source's block, made once
};

// The one mixer the game's players share.
cAudioMixer& AudioMixer();

// Channel gains on a scale of 64 for a pan of 0..127: full in both at the centre.
inline int PanLeft(int pan) {
    return pan <= 63 ? 64 : (127 - pan) * 64 / 64;
}
inline int PanRight(int pan) {
    return pan >= 63 ? 64 : pan * 64 / 63;
}
