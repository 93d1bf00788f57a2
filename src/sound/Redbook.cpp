// The audio-disc player: spans of tracks, loop counts and the poll.
#include "sound/Redbook.h"

#include <algorithm>
#include <cctype>

#include "platform/Win.h"

cRedbook* gRedbook = nullptr;

cRedbook::cRedbook() = default;

cRedbook::~cRedbook() {
    if (handle_) Close();
}

bool cRedbook::Open(int index, int letter) {
    if (handle_) Close();
    if (letter == -1) {
        handle_ = AudioRedbookOpen(static_cast<u32>(index));
        letter_ = 'A' + index;
        index_ = index;
    } else {
        letter_ = std::toupper(letter);
        index_ = letter_ - 'A';
        handle_ = AudioRedbookOpenDrive(static_cast<char>(letter_));
    }
    return handle_ != nullptr;
}

void cRedbook::Close() {
    letter_ = -1;
    loops_ = -1;
    spanStart_ = spanEnd_ = 0;
    index_ = 0;
    AudioRedbookStop(handle_);
    AudioRedbookClose(handle_);
    handle_ = nullptr;
}

void cRedbook::PlaySpan() {
    AudioRedbookPlay(handle_, spanStart_, spanEnd_);
    activity_ = static_cast<i32>(timeGetTime() + (spanEnd_ - spanStart_));
}

void cRedbook::Play(int track, int loops) {
    u32 n = AudioRedbookTracks(handle_);
    // A negative count plays the span once with nothing to replay (the battle
    // asks for its disc track with no loop count and still expects to hear it).
    loops_ = loops < 0 ? -1 : loops;
    u32 t = std::min<u32>(n, static_cast<u32>(std::max(track, 0)));
    if (t != 0) {
        AudioRedbookTrackInfo(handle_, t, &spanStart_, &spanEnd_);
    } else {
        if (n == 0) return;
        u32 dummy = 0;
        AudioRedbookTrackInfo(handle_, 1, &spanStart_, &dummy);
        AudioRedbookTrackInfo(handle_, n, &dummy, &spanEnd_);
    }
    PlaySpan();
}

void cRedbook::Stop() {
    AudioRedbookStop(handle_);
    activity_ = 0;
}

void cRedbook::Poll() {
    if (loops_ == -1) return;
    if (AudioRedbookStatus(handle_) != kRedbookStopped) return;
    if (loops_ == 0) {
        PlaySpan();
        return;
    }
    PlaySpan();
    if (loops_ == 1) {
        // The last replay: the activity word stays non-zero until Stop.
        loops_ = -1;
        activity_ = -1;
        return;
    }
    --loops_;
}

void cRedbook::SetVolume(int v) {
    if (v < 0 || v > 127) v = 127;
    AudioRedbookSetVolume(handle_, v);
}

int cRedbook::GetVolume() {
    return static_cast<int>(AudioRedbookVolume(handle_));
}
int cRedbook::GetTrackCount() {
    return static_cast<int>(AudioRedbookTracks(handle_));
}
int cRedbook::GetCurrentTrack() {
    return static_cast<int>(AudioRedbookTrack(handle_));
}
int cRedbook::Eject() {
    return static_cast<int>(AudioRedbookEject(handle_));
}
int cRedbook::Retract() {
    return static_cast<int>(AudioRedbookRetract(handle_));
}
int cRedbook::Status() {
    return static_cast<int>(AudioRedbookStatus(handle_));
}
int cRedbook::Pause() {
    return static_cast<int>(AudioRedbookPause(handle_));
}
int cRedbook::Resume() {
    return static_cast<int>(AudioRedbookResume(handle_));
}
int cRedbook::Position() {
    return static_cast<int>(AudioRedbookPosition(handle_));
}
int cRedbook::DiscId() {
    return static_cast<int>(AudioRedbookId(handle_));
}
bool cRedbook::IsReady() {
    return handle_ && AudioRedbookTracks(handle_) > 0;
}

void ResetRedbook() {
    delete gRedbook;
    gRedbook = nullptr;
}
