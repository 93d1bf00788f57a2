// Audio-disc music: the player gRedbook plays a span of tracks with a loop
// count and is kept looping by a poll from the frame tick.
#pragma once
#include "base/Types.h"
#include "platform/AudioLib.h"

class cRedbook {
public:
    cRedbook();
    ~cRedbook();
    cRedbook(const cRedbook&) = delete;
    cRedbook& operator=(const cRedbook&) = delete;

    // letter -1: opens drive number index; else that drive letter.
    bool Open(int index, int letter);
    void Close();
    // Plays track (0 = the whole disc) with a loop count: n > 0 replays n
    // times, 0 forever; a negative count plays once.
    void Play(int track, int loops);
    void Stop();
    void Poll();
    void SetVolume(int v);
    int GetVolume();
    int GetTrackCount();
    int GetCurrentTrack();
    int Eject();
    int Retract();
    int Status();
    int Pause();
    int Resume();
    int Position();
    int DiscId();
    // Open with at least one audio track.
    bool IsReady();

    i32 Activity() const { return activity_; }
    int LoopCount() const { return loops_; }
    int DriveLetter() const { return letter_; }
    u32 SpanStart() const { return spanStart_; }
    u32 SpanEnd() const { return spanEnd_; }

private:
    void PlaySpan();

    i32 activity_ = 0;
    HREDBOOK handle_ = nullptr;
    int loops_ = -1;
    int index_ = 0;
    int letter_ = -1;
    u32 spanStart_ = 0;
    u32 spanEnd_ = 0;
};

// Made when a game starts; null before.
extern cRedbook* gRedbook;
void ResetRedbook();
