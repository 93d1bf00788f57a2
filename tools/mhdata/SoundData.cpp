// The sound and video writers and the sample game's sound data.
#include "mhdata/SoundData.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include "base/ByteIo.h"
#include "platform/AudioEncode.h"
#include "sound/SoundBank.h"
#include "mhdata/FileOut.h"

const std::vector<u32> kSampleVideoColours = {0xF80000, 0x00FC00, 0x0000F8, 0xF8FC00,
                                              0x00FCF8, 0xF800F8, 0xFFFFFF, 0x000000};

std::vector<i16> MakeTone(double hz, u32 ms, u32 rate, int channels, int amplitude) {
    size_t frames = static_cast<size_t>(static_cast<u64>(ms) * rate / 1000);
    std::vector<i16> out(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < frames; ++i) {
        auto s =
            static_cast<i16>(amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate));
        for (int c = 0; c < channels; ++c)
            out[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = s;
    }
    return out;
}

static std::vector<u8> WaveHeader(u32 dataBytes, int channels, u32 rate, int bits) {
    ByteWriter w;
    w.Bytes("RIFF", 4);
    w.U32(36 + dataBytes);
    w.Bytes("WAVEfmt ", 8);
    w.U32(16);
    w.U16(1);
    w.U16(static_cast<u16>(channels));
    w.U32(rate);
    w.U32(rate * static_cast<u32>(channels * bits / 8));
    w.U16(static_cast<u16>(channels * bits / 8));
    w.U16(static_cast<u16>(bits));
    w.Bytes("data", 4);
    w.U32(dataBytes);
    return w.bytes();
}

std::vector<u8> MakeWave(const std::vector<i16>& samples, int channels, u32 rate) {
    std::vector<u8> out = WaveHeader(static_cast<u32>(samples.size() * 2), channels, rate, 16);
    ByteWriter w;
    for (i16 s : samples) w.I16(s);
    out.insert(out.end(), w.bytes().begin(), w.bytes().end());
    return out;
}

std::vector<u8> MakeWave8(const std::vector<u8>& samples, int channels, u32 rate) {
    std::vector<u8> out = WaveHeader(static_cast<u32>(samples.size()), channels, rate, 8);
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

namespace {
void Delay(ByteWriter& w, u32 ticks) {
    // Delays are bytes below 0x80 that add up.
    while (ticks > 0) {
        u32 d = std::min<u32>(ticks, 127);
        w.U8(static_cast<u8>(d));
        ticks -= d;
    }
}
void Vlq(ByteWriter& w, u32 v) {
    u8 bytes[5];
    int n = 0;
    do {
        bytes[n++] = static_cast<u8>(v & 0x7F);
        v >>= 7;
    } while (v && n < 5);
    for (int i = n - 1; i >= 0; --i) w.U8(static_cast<u8>(bytes[i] | (i ? 0x80 : 0)));
}
void Chunk(ByteWriter& w, const char* id, const std::vector<u8>& body) {
    w.Bytes(id, 4);
    u32 n = static_cast<u32>(body.size());
    for (int i = 3; i >= 0; --i) w.U8(static_cast<u8>(n >> (8 * i)));  // IFF lengths are big-endian
    w.Bytes(body.data(), body.size());
    if (n & 1) w.U8(0);
}
}  // namespace

std::vector<u8> MakeXmiEvents(const XmiPiece& piece) {
    ByteWriter w;
    u32 now = 0, end = piece.endTick;
    w.U8(0xC0);
    w.U8(piece.program);
    if (piece.loopCount >= 0) {
        w.U8(0xB0);
        w.U8(116);
        w.U8(static_cast<u8>(piece.loopCount));
    }
    for (const XmiNote& n : piece.notes) {
        Delay(w, n.tick - now);
        now = n.tick;
        w.U8(static_cast<u8>(0x90 | n.channel));
        w.U8(n.note);
        w.U8(n.velocity);
        Vlq(w, n.duration);
        if (piece.endTick == 0) end = std::max(end, n.tick + n.duration);
    }
    Delay(w, end - now);
    if (piece.loopCount >= 0) {
        w.U8(0xB0);
        w.U8(117);
        w.U8(127);
    }
    w.U8(0xFF);
    w.U8(0x2F);
    w.U8(0);
    return w.bytes();
}

std::vector<u8> MakeXmi(const XmiPiece& piece) {
    return MakeXmiFromEvents(MakeXmiEvents(piece), piece.program);
}

std::vector<u8> MakeXmiFromEvents(const std::vector<u8>& events, u8 program) {
    ByteWriter info, xdir, timb, form, cat, file;
    info.U16(1);  // one sequence
    xdir.Bytes("XDIR", 4);
    Chunk(xdir, "INFO", info.bytes());
    Chunk(file, "FORM", xdir.bytes());
    timb.U16(1);
    timb.U8(program);
    timb.U8(0);
    form.Bytes("XMID", 4);
    Chunk(form, "TIMB", timb.bytes());
    Chunk(form, "EVNT", events);
    cat.Bytes("XMID", 4);
    Chunk(cat, "FORM", form.bytes());
    Chunk(file, "CAT ", cat.bytes());
    return file.bytes();
}

std::vector<u8> MakeSoundBank(const std::map<int, BankSound>& sounds) {
    ByteWriter w;
    w.Bytes("Moonharbor sound bank", 21);
    w.Zeros(kSoundBankHeaderSize - 21);
    u32 dataAt = kSoundBankHeaderSize + kSoundBankDirSize;
    std::vector<u8> data;
    for (int i = 1; i <= kSoundBankEntries; ++i) {
        SoundBankEntry e;
        auto it = sounds.find(i);
        if (it != sounds.end()) {
            const BankSound& s = it->second;
            // Kind 0 keeps the WAVE file from its format block on.
            size_t skip = s.kind == 0 ? 20 : 0;
            std::snprintf(e.name, sizeof e.name, "snd%04d", i);
            e.offset = dataAt + static_cast<u32>(data.size());
            e.size = static_cast<u32>(s.image.size() - skip);
            e.kind = static_cast<u32>(s.kind);
            data.insert(data.end(), s.image.begin() + static_cast<long>(skip), s.image.end());
        }
        SoundBankEntryFields(w, e);
    }
    w.Bytes(data.data(), data.size());
    return w.bytes();
}

namespace {

// An uncompressed AVI of frames already laid out as the bitmap rows
// (bottom-up, each padded to 4 bytes) of bits-per-pixel `bits`.
std::vector<u8> MakeRawVideo(int width, int height, int bits,
                             const std::vector<std::vector<u8>>& images, int fps) {
    const u32 rowBytes = static_cast<u32>((width * bits / 8 + 3) & ~3);
    const u32 frameBytes = rowBytes * static_cast<u32>(height);
    const u32 frames = static_cast<u32>(images.size());
    ByteWriter avih, strh, strf, strl, hdrl, movi, idx1, riff;
    avih.U32(1000000 / static_cast<u32>(fps));  // microseconds per frame
    avih.U32(frameBytes * static_cast<u32>(fps));
    avih.U32(0);
    avih.U32(0x10);  // has an index
    avih.U32(frames);
    avih.U32(0);
    avih.U32(1);  // streams
    avih.U32(frameBytes);
    avih.U32(static_cast<u32>(width));
    avih.U32(static_cast<u32>(height));
    avih.Zeros(16);
    strh.Bytes("vids", 4);
    strh.U32(0);  // handler: uncompressed
    strh.U32(0);
    strh.U16(0);
    strh.U16(0);
    strh.U32(0);
    strh.U32(1);                      // scale
    strh.U32(static_cast<u32>(fps));  // rate
    strh.U32(0);
    strh.U32(frames);
    strh.U32(frameBytes);
    strh.U32(0xFFFFFFFFu);
    strh.U32(0);
    strh.U16(0);
    strh.U16(0);
    strh.U16(static_cast<u16>(width));
    strh.U16(static_cast<u16>(height));
    strf.U32(40);  // BITMAPINFOHEADER
    strf.I32(width);
    strf.I32(height);  // positive: rows bottom-up
    strf.U16(1);
    strf.U16(static_cast<u16>(bits));
    strf.U32(0);  // BI_RGB
    strf.U32(frameBytes);
    strf.Zeros(16);
    auto le = [](ByteWriter& w, const char* id, const std::vector<u8>& body) {
        w.Bytes(id, 4);
        w.U32(static_cast<u32>(body.size()));
        w.Bytes(body.data(), body.size());
        if (body.size() & 1) w.U8(0);
    };
    strl.Bytes("strl", 4);
    le(strl, "strh", strh.bytes());
    le(strl, "strf", strf.bytes());
    hdrl.Bytes("hdrl", 4);
    le(hdrl, "avih", avih.bytes());
    le(hdrl, "LIST", strl.bytes());
    movi.Bytes("movi", 4);
    u32 offset = 4;
    for (const std::vector<u8>& frame : images) {
        idx1.Bytes("00db", 4);
        idx1.U32(0x10);  // key frame
        idx1.U32(offset);
        idx1.U32(static_cast<u32>(frame.size()));
        le(movi, "00db", frame);
        offset += 8 + frameBytes;
    }
    riff.Bytes("AVI ", 4);
    le(riff, "LIST", hdrl.bytes());
    le(riff, "LIST", movi.bytes());
    le(riff, "idx1", idx1.bytes());
    ByteWriter file;
    le(file, "RIFF", riff.bytes());
    return file.bytes();
}

}  // namespace

std::vector<u8> MakeSolidVideo(int width, int height, const std::vector<u32>& colours, int fps) {
    const size_t rowBytes = static_cast<size_t>((width * 3 + 3) & ~3);
    std::vector<std::vector<u8>> images;
    for (u32 c : colours) {
        std::vector<u8> frame(rowBytes * static_cast<size_t>(height), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                u8* p =
                    frame.data() + static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) * 3;
                p[0] = static_cast<u8>(c), p[1] = static_cast<u8>(c >> 8),
                p[2] = static_cast<u8>(c >> 16);
            }
        images.push_back(std::move(frame));
    }
    return MakeRawVideo(width, height, 24, images, fps);
}

std::vector<u8> MakePictureVideo(int width, int height,
                                 const std::vector<std::vector<u16>>& pictures, int fps) {
    const size_t rowBytes = static_cast<size_t>((width * 2 + 3) & ~3);
    std::vector<std::vector<u8>> images;
    for (const std::vector<u16>& picture : pictures) {
        std::vector<u8> frame(rowBytes * static_cast<size_t>(height), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                // Rows bottom-up; 5-5-5 as stored, the top bit clear.
                const u16 v = picture[static_cast<size_t>(height - 1 - y) * width + x] & 0x7FFF;
                u8* p =
                    frame.data() + static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) * 2;
                p[0] = static_cast<u8>(v), p[1] = static_cast<u8>(v >> 8);
            }
        images.push_back(std::move(frame));
    }
    return MakeRawVideo(width, height, 16, images, fps);
}

namespace {

XmiPiece SamplePiece() {
    XmiPiece p;
    // Four notes of half a second on the piano, then a quarter second of rest.
    for (int i = 0; i < 4; ++i)
        p.notes.push_back({static_cast<u32>(i * 60), 0, static_cast<u8>(60 + i * 4), 127, 60});
    p.endTick = 270;
    return p;
}
// The end picture's music: a falling scale of eight notes, 5.6 seconds; the
// picture stays until it has played.
std::vector<i16> EndMusic() {
    std::vector<i16> out;
    for (double hz : {523.0, 494.0, 440.0, 392.0, 349.0, 330.0, 294.0, 262.0}) {
        std::vector<i16> note = MakeTone(hz, 700, 11025, 1, 9000);
        out.insert(out.end(), note.begin(), note.end());
    }
    return out;
}
}  // namespace

void AddSampleEndMusicName(std::vector<std::string>* names) {
    if (names->size() <= kSampleEndMusicName) names->resize(kSampleEndMusicName + 1);
    (*names)[kSampleEndMusicName] = kSampleEndMusic;
}

bool WriteSoundData(const std::string& root, std::string* error) {
    namespace fs = std::filesystem;
    fs::path base(root);
    std::map<int, BankSound> bank;
    bank[kSampleToneSound] = {0, MakeWave(MakeTone(440, 200, 22050, 1), 1, 22050)};
    bank[kSampleWaveSound] = {1, MakeWave(MakeTone(660, 150, 44100, 2), 2, 44100)};
    std::vector<i16> mp3Tone = MakeTone(880, 300, 44100, 1);
    std::vector<u8> mp3;
    if (EncodeMp3(mp3Tone.data(), mp3Tone.size(), 1, 44100, &mp3)) bank[kSampleMp3Sound] = {1, mp3};
    for (int n = kSampleUiSoundFirst; n <= kSampleUiSoundLast; ++n)
        bank[n] = {
            0, MakeWave(MakeTone(500 + 50 * (n - kSampleUiSoundFirst), 80, 22050, 1), 1, 22050)};
    if (!WriteBytesTo(base / "PicLib" / "all.snd", MakeSoundBank(bank), error)) return false;
    if (!WriteBytesTo(base / "music" / "theme.xmi", MakeXmi(SamplePiece()), error)) return false;
    if (!WriteBytesTo(base / "music" / "field.wav",
                      MakeWave(MakeTone(330, 1000, 22050, 2), 2, 22050), error))
        return false;
    if (!WriteBytesTo(base / "music" / kSampleEndMusic, MakeWave(EndMusic(), 1, 11025), error))
        return false;
    std::vector<i16> song = MakeTone(392, 1000, 44100, 2);
    if (EncodeMp3(song.data(), song.size() / 2, 2, 44100, &mp3) &&
        !WriteBytesTo(base / "music" / "battle.mp3", mp3, error))
        return false;
    fs::path disc = base / "Disc";
    std::error_code ec;
    fs::create_directories(disc, ec);
    if (!WriteBytesTo(disc / "label", std::vector<u8>(kSampleDiscLabel, kSampleDiscLabel + 6),
                      error))
        return false;
    for (int n = 1; n <= kSampleDiscTracks; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "Track%02d.wav", n);
        if (!WriteBytesTo(disc / name,
                          MakeWave(MakeTone(SampleDiscTrackHz(n), 1000, 22050, 1), 1, 22050),
                          error))
            return false;
    }
    return true;
}
