// Video files through FFmpeg: open (the container is probed, whatever the
// name), decode frame by frame, copy a frame into a 16-bit buffer given as
// pointer and pitch, frame timing, seek, pause and volume.
#pragma once
#include <string>

#include "base/DataError.h"
#include "base/Types.h"

struct VideoRec;
using HVIDEO = VideoRec*;

// 16-bit layouts a frame can be copied as.
enum class VideoPixels { Rgb565, Rgb555 };

struct VideoSummary {
    u32 width = 0;
    u32 height = 0;
    u32 frames = 0;
    u32 rateNum = 0;  // frames per second as a fraction
    u32 rateDen = 1;
};

// Opens a video named by a Windows path; null with error set on failure.
HVIDEO VideoOpen(const char* winPath, DataError* error);
void VideoClose(HVIDEO v);
VideoSummary VideoGetSummary(HVIDEO v);
u32 VideoFrameCount(HVIDEO v);
u32 VideoCurrentFrame(HVIDEO v);  // 1-based: the frame the next DoFrame decodes
// Decodes the current frame; false when it cannot be decoded.
bool VideoDoFrame(HVIDEO v);
// Copies the decoded frame to dest (pitch bytes per row, height rows) at (x, y), clipped.
void VideoCopyToBuffer(HVIDEO v, void* dest, u32 pitch, u32 height, u32 x, u32 y,
                       VideoPixels pixels);
void VideoNextFrame(HVIDEO v);
// True while it is not yet time for the current frame (by timeGetTime).
bool VideoWait(HVIDEO v);
void VideoGoto(HVIDEO v, u32 frame);
void VideoPause(HVIDEO v, bool on);
void VideoSetVolume(HVIDEO v, int volume);  // 0..32768
int VideoVolume(HVIDEO v);
