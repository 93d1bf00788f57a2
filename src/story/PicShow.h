// The picture show: a pack of full-screen pictures read frame by frame from
// "Video\", shown in place of the map layers between black bars.
#pragma once
#include <string>

#include "base/Types.h"
#include "map/StoryLink.h"

// The pack: a 36-byte header, then the frames, then the palettes of a show with
// several palettes, then a 1,024-byte block of 256 four-byte RGB entries.
constexpr u32 kPicShowHeaderSize = 36;
constexpr u32 kPicShowFrameHeaderSize = 12;
constexpr u32 kPicShowFrameBytes = 0x9C400;  // 640,000
constexpr u32 kPicShowPaletteBlock = 1024;
constexpr u32 kPicShowRowHead = 8;

struct PicShowHeader {
    u32 frames = 0;
    u32 bits = 16;      // 16: 5-5-5 pixels; 8: palette indices
    u32 palettes = 0;   // palettes of 768 bytes before the final block
    u32 interval = 70;  // frame interval while the show runs, ms
    u32 reserved[2] = {};
    u32 packed = 0;    // the first frame's header: packed size (with the next header)
    u32 rows = 0;      // row records
    u32 unpacked = 0;  // bytes the frame unpacks to
};

template <class Io, class H>
void PicShowHeaderFields(Io& io, H& h) {
    io.Field(h.frames);
    io.Field(h.bits);
    io.Field(h.palettes);
    io.Field(h.interval);
    io.Field(h.reserved[0]);
    io.Field(h.reserved[1]);
    io.Field(h.packed);
    io.Field(h.rows);
    io.Field(h.unpacked);
}

struct PicShowState {
    bool running = false;
    std::string path;
    PicShowHeader header;
    u32 frame = 0;                           // frames shown
    u32 offset = 0;                          // file offset of the next frame's packed bytes
    u32 packed = 0, rows = 0, unpacked = 0;  // the next frame's header
    u32 frameRows = 0;                       // row records of the unpacked frame
    i32 counter = 0;                         // below 1: opening bars; 10000 on: the closing fade
    u16 palette[256] = {};
    u8* frameBuf[2] = {};  // unpacked frame, and the picture on show
    u32 fileSize = 0;
};
extern PicShowState gPicShow;

// Opens the pack named by name under "Video\" of the folder (the base folder
// when none); false (with its box) when it cannot be read.
bool StartPicShow(const char* name, u32 soundFlags, const char* folder = nullptr);
// Unpacks the next frame into frame buffer 0 and checks its row records;
// false (naming the file and offset) when they are bad.
bool LoadPicShowFrame();
// Draws the unpacked frame into the picture on show.
bool ConvertPicShowFrame();
void StopPicShow();
void ResetPicShow();
