// The software mixer's voices and the mixing arithmetic.
#include "platform/AudioMixer.h"

#include <algorithm>
#include <cstring>

namespace {
int Clamp127(int v) {
    return std::clamp(v, 0, 127);
}
}  // namespace

cAudioMixer::cAudioMixer(int voices)
    : voices_(static_cast<size_t>(voices)),
      acc_(static_cast<size_t>(kMixBlock) * 2),
      scratch_(static_cast<size_t>(kMixBlock) * 2) {}

cAudioMixer& AudioMixer() {
    // Never destroyed: static destructors of the players still reach it at exit.
    static cAudioMixer* mixer = new cAudioMixer;
    return *mixer;
}

int cAudioMixer::Allocate() {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < voices_.size(); ++i) {
        if (voices_[i].reserved) continue;
        voices_[i] = Voice{};
        voices_[i].reserved = true;
        return static_cast<int>(i);
    }
    return -1;
}

void cAudioMixer::Release(int v) {
    std::lock_guard lock(mutex_);
    if (Valid(v)) voices_[v] = Voice{};
}

void cAudioMixer::SetPcm(int v, PcmRef pcm, size_t begin, size_t end) {
    std::lock_guard lock(mutex_);
    if (!Valid(v)) return;
    Voice& voice = voices_[v];
    size_t frames = pcm ? pcm->size() / 2 : 0;
    voice.pcm = std::move(pcm);
    voice.source = nullptr;
    voice.end = std::min(end, frames);
    voice.begin = std::min(begin, voice.end);
    voice.pos = voice.begin;
    voice.status = kVoiceDone;
}

void cAudioMixer::SetSource(int v, VoiceSource source) {
    std::lock_guard lock(mutex_);
    if (!Valid(v)) return;
    voices_[v].pcm = nullptr;
    voices_[v].source = std::move(source);
    voices_[v].status = kVoiceDone;
}

void cAudioMixer::SetVolume(int v, int volume) {
    std::lock_guard lock(mutex_);
    if (Valid(v)) voices_[v].volume = Clamp127(volume);
}

void cAudioMixer::SetPan(int v, int pan) {
    std::lock_guard lock(mutex_);
    if (Valid(v)) voices_[v].pan = Clamp127(pan);
}

void cAudioMixer::SetLoops(int v, int loops) {
    std::lock_guard lock(mutex_);
    if (Valid(v)) voices_[v].loops = std::max(loops, 0);
}

void cAudioMixer::Start(int v) {
    std::lock_guard lock(mutex_);
    if (!Valid(v)) return;
    Voice& voice = voices_[v];
    if (!voice.pcm && !voice.source) return;
    voice.pos = voice.begin;
    voice.loopsLeft = voice.loops;
    voice.played = 0;
    voice.status = kVoicePlaying;
}

void cAudioMixer::End(int v) {
    std::lock_guard lock(mutex_);
    if (Valid(v) && voices_[v].status != kVoiceFree) voices_[v].status = kVoiceDone;
}

void cAudioMixer::Pause(int v, bool on) {
    std::lock_guard lock(mutex_);
    if (!Valid(v)) return;
    Voice& voice = voices_[v];
    if (on && voice.status == kVoicePlaying) voice.status = kVoiceStopped;
    if (!on && voice.status == kVoiceStopped) voice.status = kVoicePlaying;
}

int cAudioMixer::Status(int v) {
    std::lock_guard lock(mutex_);
    return Valid(v) ? voices_[v].status : kVoiceFree;
}

int cAudioMixer::Volume(int v) {
    std::lock_guard lock(mutex_);
    return Valid(v) ? voices_[v].volume : 0;
}

int cAudioMixer::Pan(int v) {
    std::lock_guard lock(mutex_);
    return Valid(v) ? voices_[v].pan : 63;
}

u64 cAudioMixer::Played(int v) {
    std::lock_guard lock(mutex_);
    return Valid(v) ? voices_[v].played : 0;
}

size_t cAudioMixer::Position(int v) {
    std::lock_guard lock(mutex_);
    return Valid(v) ? voices_[v].pos : 0;
}

void cAudioMixer::Seek(int v, size_t frame) {
    std::lock_guard lock(mutex_);
    if (Valid(v)) voices_[v].pos = std::clamp(frame, voices_[v].begin, voices_[v].end);
}

void cAudioMixer::SetMasterVolume(int volume) {
    std::lock_guard lock(mutex_);
    master_ = Clamp127(volume);
}

int cAudioMixer::ActiveVoices() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(
        voices_.begin(), voices_.end(), [](const Voice& v) { return v.status == kVoicePlaying; }));
}

void cAudioMixer::Reset() {
    std::lock_guard lock(mutex_);
    for (Voice& v : voices_) v = Voice{};
    master_ = 127;
}

// Adds one voice into the 32-bit accumulator. The gain is volume x pan x
// master on a scale of 127 x 64 x 127, applied per sample in integers.
void cAudioMixer::MixVoice(Voice& voice, int* acc, int frames) {
    const i64 scale = 127 * 64 * 127;
    const i64 gl = static_cast<i64>(voice.volume) * PanLeft(voice.pan) * master_;
    const i64 gr = static_cast<i64>(voice.volume) * PanRight(voice.pan) * master_;
    int done = 0;
    while (done < frames) {
        const i16* src = nullptr;
        int n = 0;
        if (voice.source) {
            n = std::clamp(voice.source(scratch_.data(), frames - done), 0, frames - done);
            src = scratch_.data();
        } else if (voice.pos < voice.end) {
            n = static_cast<int>(std::min<size_t>(voice.end - voice.pos, frames - done));
            src = voice.pcm->data() + voice.pos * 2;
            voice.pos += static_cast<size_t>(n);
        }
        for (int i = 0; i < n; ++i) {
            acc[(done + i) * 2] += static_cast<int>(src[i * 2] * gl / scale);
            acc[(done + i) * 2 + 1] += static_cast<int>(src[i * 2 + 1] * gr / scale);
        }
        done += n;
        voice.played += static_cast<u64>(n);
        if (done >= frames) break;
        // The source has ended: a PCM span starts again while loops are left.
        if (voice.source || voice.loopsLeft == 1 || voice.end == voice.begin) {
            voice.status = kVoiceDone;
            return;
        }
        if (voice.loopsLeft > 1) --voice.loopsLeft;
        voice.pos = voice.begin;
    }
    if (!voice.source && voice.pos >= voice.end && voice.loopsLeft == 1) voice.status = kVoiceDone;
}

// The pull runs on the audio device's thread and allocates nothing: it mixes
// in blocks through buffers made with the mixer.
void cAudioMixer::Mix(i16* out, int frames) {
    std::lock_guard lock(mutex_);
    for (int done = 0; done < frames; done += kMixBlock) {
        const int n = std::min(frames - done, kMixBlock);
        std::fill_n(acc_.begin(), n * 2, 0);
        for (Voice& voice : voices_) {
            if (voice.reserved && voice.status == kVoicePlaying) MixVoice(voice, acc_.data(), n);
        }
        i16* to = out + static_cast<size_t>(done) * 2;
        for (int i = 0; i < n * 2; ++i)
            to[i] = static_cast<i16>(std::clamp(acc_[i], -32768, 32767));
    }
}
