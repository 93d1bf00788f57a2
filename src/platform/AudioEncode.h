// MP3 encoding (for the data tools and tests that need an MP3 image).
#pragma once
#include <vector>

#include "base/Types.h"

// Encodes interleaved 16-bit samples (1 or 2 channels) as an MPEG-1 Layer III
// stream of frames; false when no encoder is available.
bool EncodeMp3(const i16* samples, size_t frames, int channels, u32 rate, std::vector<u8>* out);
