// Video playback: one video at a time through gBinkPlayer, decoded straight
// into the primary pixels while gRunState bit 0x20 is set.
#pragma once
#include <functional>
#include <string>

#include "base/Types.h"
#include "platform/AudioLib.h"
#include "platform/Video.h"

class cBinkPlayer {
public:
    cBinkPlayer() = default;
    ~cBinkPlayer() { Close(); }
    cBinkPlayer(const cBinkPlayer&) = delete;
    cBinkPlayer& operator=(const cBinkPlayer&) = delete;

    int Open(const char* name, u32 flags, int volume, void* window);
    int Close();
    // Decodes the current frame into dest; 1 while more frames follow, -1 after the last.
    int DoFrame(void* dest, u32 pitch, u32 height, u32 x, u32 y);
    void Goto(u32 frame);
    bool Wait();
    void Pause(bool on);
    // The current frame; its negative once past the last; -1 without a video.
    int Frame() const;
    bool IsOpen() const { return handle_ != nullptr; }
    const VideoSummary& Summary() const { return summary_; }
    int Volume() const { return VideoVolume(handle_); }

private:
    HVIDEO handle_ = nullptr;
    u32 second_ = 0;
    VideoSummary summary_;
};

// Where frames go: the primary's pixels (pitch in bytes, rows) and the row
// offset of the video in it. With lock set, every frame asks it for the pixels,
// pitch and rows afresh (null: no screen now) and calls unlock after the copy.
struct VideoTarget {
    void* pixels = nullptr;
    u32 pitch = 0;
    u32 height = 480;
    u32 rowOffset = 0;
    VideoPixels layout = VideoPixels::Rgb565;
    std::function<void*(u32* pitch, u32* height)> lock;
    std::function<void()> unlock;
    std::function<void()> present;    // shows the primary after a frame was copied
    std::function<void()> afterStop;  // the canvas back and the title music
};

extern cBinkPlayer* gBinkPlayer;
extern VideoTarget gVideoTarget;

void InitBinkOutput(VideoPixels layout, int directSound, HDIGDRIVER driver);
// Points gVideoTarget at the display's primary surface (locked for each frame,
// its pixel layout, shown after each frame); false, and nothing changed, when
// there is no primary yet. The stop action is kept.
bool BindVideoToPrimary();
// Starts a video named by a Windows path; false (and stopped again) when it cannot be opened.
bool PlayVideoFile(const char* path, int volume);
// The story command: the name follows the two opcode bytes up to the end mark
// 0x5125; *ip advances past it. Bytes past the script or past the path buffer are not read.
void ScriptPlayVideo(const char* basePath, const u8* script, u32 scriptSize, u32* ip);
void ServiceVideo();
void StopVideo();
int GetVideoFrame();
// While a video plays: the act and action drawn over it; 1, or 0 with no video.
int SetBinkOverLap(i32 act, i32 action);
// Advances the overlay act and draws its frame centred at the bottom of the
// 640x480 pixels (pitch in bytes); nothing without an overlay.
void BinkOverLap(void* pixels, u32 pitch, u32 rows);
void PauseVideo(bool on);
void ResetVideo();

// The game shell's entries.
void UpdateAudio();
bool StartVideo(const char* path, int volume);
void StepVideo();
