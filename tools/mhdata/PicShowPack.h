// Picture-show packs for the sample game and the tests.
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

// One row record of a frame: a pixel offset in the 640x480 picture and its
// pixels (5-5-5 words for a 16-bit show, palette indices for an 8-bit one).
struct PicShowRow {
    u32 target = 0;
    std::vector<u16> pixels;
};
using PicShowFrameSpec = std::vector<PicShowRow>;

struct PicShowSpec {
    u32 bits = 16;
    u32 interval = 70;
    std::vector<PicShowFrameSpec> frames;
    std::vector<u32> palette;  // 256 entries 0xRRGGBB for an 8-bit show
};

// The frame's unpacked bytes: row records of (length, target, pixels).
std::vector<u8> PicShowFrameBytes(const PicShowFrameSpec& f, u32 bits);
// Packs each frame as raw bytes (tests build bad frames this way).
std::vector<u8> BuildPicShowPackRaw(const PicShowSpec& spec,
                                    const std::vector<std::vector<u8>>& frames,
                                    const std::vector<u32>& rowCounts);
std::vector<u8> BuildPicShowPack(const PicShowSpec& spec);
// The sample game's show "Video\harbour.pak": 16-bit frames of the harbour
// with the pirates' ship sailing off, one every kSamplePicShowInterval ms.
bool WriteSamplePicShow(const std::string& root, std::string* error);
constexpr int kSamplePicShowFrames = 24;
constexpr u32 kSamplePicShowInterval = 100;
constexpr const char* kSamplePicShowName = "harbour.pak";
