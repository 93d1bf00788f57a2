// The current voice: a sample file read whole, handed to its own sample handle
// of the sound output, ended when the next voice starts.
#include "story/Voice.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/DataError.h"
#include "platform/AudioLib.h"
#include "engine/DataErrors.h"
#include "engine/File.h"
#include "sound/Sound.h"

namespace {

// Longer files are refused: a voice is a line of speech, not a piece of music.
constexpr u32 kMaxVoiceBytes = 16u << 20;

struct VoiceState {
    HSAMPLE sample = nullptr;
    HDIGDRIVER driver = nullptr;  // the output the handle belongs to
};
VoiceState gVoice;

bool ReadWhole(const char* path, std::vector<u8>* out) {
    cFile f;
    if (!f.Open(path, OPEN_EXISTING, GENERIC_READ)) {
        ReportDataError(DataError::Unplaced(path, "cannot be opened"));
        return false;
    }
    u32 size = f.GetSize();
    if (size < 12 || size > kMaxVoiceBytes) {
        ReportDataError(
            DataError::Unplaced(path, "size " + std::to_string(size) + " is not a voice"));
        return false;
    }
    out->resize(size);
    u32 n = size;
    if (!f.Read(out->data(), &n) || n != size) {
        ReportDataError({path, n, "cut short"});
        return false;
    }
    return true;
}

// The handle is dropped when the output it came from has gone away.
void ForgetStaleHandle() {
    if (gVoice.sample && gVoice.driver != gSound.GetDigDriver()) gVoice.sample = nullptr;
}

}  // namespace

int PlayVoice(const char* path, int volume) {
    StopVoice();
    HDIGDRIVER driver = gSound.GetDigDriver();
    if (!path || !*path || !driver) return 0;
    std::vector<u8> image;
    if (!ReadWhole(path, &image)) return 0;
    if (!gVoice.sample || gVoice.driver != driver) {
        gVoice.sample = AudioAllocateSample(driver);
        gVoice.driver = driver;
    }
    if (!gVoice.sample) return 0;
    AudioInitSample(gVoice.sample);
    bool wave = image.size() >= 4 && std::equal(image.begin(), image.begin() + 4, "RIFF");
    bool ok = wave ? AudioSetSampleFile(gVoice.sample, image.data(), static_cast<u32>(image.size()))
                   : AudioSetNamedSampleFile(gVoice.sample, ".mp3", image.data(),
                                             static_cast<u32>(image.size()));
    if (!ok) {
        DataError e = AudioLastDataError();
        e.file = path;
        ReportDataError(e);
        return 0;
    }
    AudioSetSampleVolume(gVoice.sample, std::clamp(volume, 0, 11) * 127 / 11);
    AudioSetSampleLoopCount(gVoice.sample, 1);
    AudioStartSample(gVoice.sample);
    return 1;
}

void StopVoice() {
    ForgetStaleHandle();
    if (gVoice.sample) AudioEndSample(gVoice.sample);
}

int VoicePlaying() {
    ForgetStaleHandle();
    return gVoice.sample && AudioSampleStatus(gVoice.sample) == kSmpPlaying ? 1 : 0;
}

void ResetVoice() {
    ForgetStaleHandle();
    if (gVoice.sample) AudioReleaseSample(gVoice.sample);
    gVoice = VoiceState{};
}
