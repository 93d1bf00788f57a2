// WAVE reading, MP3 decoding through libmpg123, and conversion to mixer frames.
#include "platform/AudioDecode.h"

#include <mpg123.h>

#include <cctype>
#include <cstring>
#include <mutex>

#include "base/ByteIo.h"

namespace {
DataError At(const char* what, size_t offset) {
    return {"", offset, what};
}
}  // namespace

bool ParseWave(const u8* data, size_t size, WaveFormat* format, const u8** pcm, size_t* pcmBytes,
               DataError* error) {
    ByteReader r(data, size);
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
        *error = At("not a RIFF WAVE image", 0);
        return false;
    }
    r.Seek(12);
    bool haveFormat = false;
    while (r.bytesLeft() >= 8) {
        size_t at = r.pos();
        char id[4];
        r.Bytes(id, 4);
        u32 len = r.U32();
        if (len > r.bytesLeft()) {
            *error = At("chunk runs past the end", at);
            return false;
        }
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (len < 16) {
                *error = At("format chunk too short", at);
                return false;
            }
            ByteReader f(r.here(), len);
            format->tag = f.U16();
            format->channels = f.U16();
            format->rate = f.U32();
            format->bytesPerSecond = f.U32();
            format->blockAlign = f.U16();
            format->bits = f.U16();
            haveFormat = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            if (!haveFormat) {
                *error = At("data chunk before the format chunk", at);
                return false;
            }
            if (format->tag != 1 || format->channels < 1 || format->channels > 2 ||
                (format->bits != 8 && format->bits != 16) || format->rate < 1000 ||
                format->rate > 192000) {
                *error = At("unsupported format", at);
                return false;
            }
            *pcm = r.here();
            *pcmBytes = len;
            return true;
        }
        r.Skip(len + (len & 1 && r.bytesLeft() > len ? 1 : 0));
    }
    *error = At("no data chunk", r.pos());
    return false;
}

void ConvertToMix(const i16* in, size_t frames, int channels, u32 rate, PcmBuffer* out) {
    out->clear();
    if (frames == 0 || rate == 0) return;
    // Linear interpolation in 32.32 fixed point: good enough for effects and music.
    const u64 step = (static_cast<u64>(rate) << 32) / kMixRate;
    const u64 outFrames = (static_cast<u64>(frames) * kMixRate + rate - 1) / rate;
    out->resize(static_cast<size_t>(outFrames) * 2);
    u64 pos = 0;
    for (u64 i = 0; i < outFrames; ++i, pos += step) {
        size_t a = static_cast<size_t>(pos >> 32);
        if (a >= frames) a = frames - 1;
        size_t b = a + 1 < frames ? a + 1 : a;
        i64 t = static_cast<i64>(pos & 0xFFFFFFFFu) >> 16;  // 0..65535
        for (int c = 0; c < 2; ++c) {
            int ch = channels == 1 ? 0 : c;
            i64 sa = in[a * channels + ch], sb = in[b * channels + ch];
            (*out)[i * 2 + c] = static_cast<i16>(sa + ((sb - sa) * t >> 16));
        }
    }
}

bool DecodeWave(const u8* data, size_t size, PcmBuffer* out, DataError* error) {
    WaveFormat f;
    const u8* pcm = nullptr;
    size_t bytes = 0;
    if (!ParseWave(data, size, &f, &pcm, &bytes, error)) return false;
    size_t frames = bytes / (f.bits / 8 * f.channels);
    std::vector<i16> samples(frames * f.channels);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = f.bits == 8 ? static_cast<i16>((pcm[i] - 128) << 8)
                                 : static_cast<i16>(LoadU16(pcm + i * 2));
    }
    ConvertToMix(samples.data(), frames, f.channels, f.rate, out);
    return true;
}

bool DecodeMp3(const u8* data, size_t size, PcmBuffer* out, DataError* error) {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
    int err = 0;
    mpg123_handle* h = mpg123_new(nullptr, &err);
    if (!h) {
        *error = DataError::Unplaced("", "mpg123: cannot create a decoder");
        return false;
    }
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(h);
    for (long rate : {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L})
        mpg123_format(h, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    std::vector<i16> samples;
    long rate = 0;
    int channels = 0;
    if (mpg123_open_feed(h) == MPG123_OK && mpg123_feed(h, data, size) == MPG123_OK) {
        std::vector<u8> buf(16384);
        for (;;) {
            size_t got = 0;
            int rc = mpg123_read(h, buf.data(), buf.size(), &got);
            if (rc == MPG123_NEW_FORMAT) {
                int enc = 0;
                mpg123_getformat(h, &rate, &channels, &enc);
                continue;
            }
            size_t at = samples.size();
            samples.resize(at + got / 2);
            if (got) std::memcpy(samples.data() + at, buf.data(), got / 2 * 2);
            if (rc != MPG123_OK) break;  // NEED_MORE at the end of the image, or an error
        }
    }
    mpg123_delete(h);
    if (rate == 0 || channels < 1 || channels > 2 || samples.empty()) {
        // Nothing decodes from the image's first byte on.
        *error = At("no MPEG audio frames found", 0);
        return false;
    }
    ConvertToMix(samples.data(), samples.size() / channels, channels, static_cast<u32>(rate), out);
    return true;
}

bool DecodeAudio(const u8* data, size_t size, PcmBuffer* out, DataError* error) {
    if (size >= 4 && std::memcmp(data, "RIFF", 4) == 0) return DecodeWave(data, size, out, error);
    return DecodeMp3(data, size, out, error);
}

bool DecodeAudioFile(const std::string& name, const u8* data, size_t size, PcmBuffer* out,
                     DataError* error) {
    std::string ext = name.size() >= 4 ? name.substr(name.size() - 4) : "";
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool ok = ext == ".wav"   ? DecodeWave(data, size, out, error)
              : ext == ".mp3" ? DecodeMp3(data, size, out, error)
                              : DecodeAudio(data, size, out, error);
    if (!ok) error->file = name;
    return ok;
}
