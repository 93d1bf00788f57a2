// Decoding of WAVE and MP3 images into the mixer's format (44.1 kHz 16-bit
// stereo), with a bounded RIFF reader and libmpg123.
#pragma once
#include <string>

#include "base/DataError.h"
#include "base/Types.h"
#include "platform/AudioMixer.h"

struct WaveFormat {
    u16 tag = 0;
    u16 channels = 0;
    u32 rate = 0;
    u32 bytesPerSecond = 0;
    u16 blockAlign = 0;
    u16 bits = 0;
};

// Finds the format and data chunks of a RIFF WAVE image. Every chunk length is
// checked against the image; only PCM of 8 or 16 bits and 1 or 2 channels is
// taken. On failure error names the offset
// (its file left to the caller).
bool ParseWave(const u8* data, size_t size, WaveFormat* format, const u8** pcm, size_t* pcmBytes,
               DataError* error);
// A whole WAVE image as mixer frames.
bool DecodeWave(const u8* data, size_t size, PcmBuffer* out, DataError* error);
// A whole MP3 (or other MPEG audio) image as mixer frames.
bool DecodeMp3(const u8* data, size_t size, PcmBuffer* out, DataError* error);
// Either, by the image's first bytes ("RIFF" is WAVE, anything else MPEG audio).
bool DecodeAudio(const u8* data, size_t size, PcmBuffer* out, DataError* error);
// The file `name`'s image: a ".wav" is read as WAVE and a ".mp3" as MPEG audio
// whatever its first bytes hold, any other name as DecodeAudio reads it; a
// failure names the file.
bool DecodeAudioFile(const std::string& name, const u8* data, size_t size, PcmBuffer* out,
                     DataError* error);

// Converts interleaved 16-bit samples of any rate and 1 or 2 channels to mixer frames.
void ConvertToMix(const i16* in, size_t frames, int channels, u32 rate, PcmBuffer* out);
