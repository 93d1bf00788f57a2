// The sound library over the mixer, the decoders, the XMIDI sequencer and the
// synthesizer. Every entry takes the mixer's lock, which the audio thread
// holds while it pulls, so game calls never race the mix.
#include "platform/AudioLib.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "platform/AllocatorLink.h"
#include "platform/AudioDecode.h"
#include "platform/AudioDevice.h"
#include "platform/AudioMixer.h"
#include "platform/HostFs.h"
#include "platform/MidiSynth.h"
#include "platform/MidiXmi.h"

struct AudioDriver {
    bool released = false;
};
struct AudioMidiDriver {
    int master = 127;
};
struct AudioSampleRec {
    int voice = -1;
    i32 user[8] = {};
};
struct AudioSequenceRec {
    AudioMidiDriver* driver = nullptr;
    int voice = -1;
    int volume = 127;
    i32 user[8] = {};
    bool loaded = false;
    cXmiSequencer seq;
    cMidiSynth synth;
};
struct AudioStreamRec {
    int voice = -1;
    i32 user[8] = {};
};
struct AudioRedbookRec {
    std::string folder;
    std::vector<std::string> files;  // track n at index n - 1
    std::vector<u32> startMs;        // one more than tracks: the end of the last
    int voice = -1;
    u32 spanStartMs = 0;
    int volume = 127;
};

namespace {
struct AudioLibState {
    DataError lastError;
    std::string lastMessage;
    std::string redist;
    std::string soundFont = kDefaultSoundFont;
    bool started = false;
    int useWaveOut = 0;
    // Every live handle with its deleter, so a stale one is ignored and a reset frees all.
    std::map<void*, std::function<void()>> handles;
    std::set<AudioSequenceRec*> sequences;
    HSAMPLE resourceSample = nullptr;  // the built-in sound playing or last played
};
AudioLibState& Lib() {
    static AudioLibState* s = new AudioLibState;  // outlives the players' static destructors
    return *s;
}
using Guard = std::lock_guard<std::recursive_mutex>;
Guard Lock() {
    return Guard(AudioMixer().Lock());
}

template <class T>
bool Live(T* h) {
    return h && Lib().handles.count(h);
}
template <class T>
T* Track(T* h) {
    Lib().handles[h] = [h] { delete h; };
    return h;
}
template <class T>
void Forget(T* h) {
    Lib().handles.erase(h);
    delete h;
}

bool ReadHostFile(const std::string& winPath, std::vector<u8>* out) {
    std::ifstream in(HostPath(winPath), std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

u32 FramesToMs(size_t frames) {
    return static_cast<u32>(static_cast<u64>(frames) * 1000 / kMixRate);
}
size_t MsToFrames(u32 ms) {
    return static_cast<size_t>(static_cast<u64>(ms) * kMixRate / 1000);
}
}  // namespace

// ---- Library ----

void AudioSetRedistDirectory(const char* folder) {
    Lib().redist = folder ? folder : "";
}

bool AudioStartup() {
    auto g = Lock();
    Lib().started = true;
    AudioDeviceKeepTime();
    return true;
}

void AudioShutdown() {
    AudioDeviceClose();
    AudioReset();
}

const char* AudioLastError() {
    return Lib().lastMessage.c_str();
}
const DataError& AudioLastDataError() {
    return Lib().lastError;
}
void AudioSetLastError(const std::string& text) {
    AudioSetLastError(DataError::Unplaced("", text));
}
void AudioSetLastError(const DataError& e) {
    Lib().lastError = e;
    Lib().lastMessage = e.Message();
}

void* AudioMemAllocLock(u32 size) {
    return MH_ALLOC(static_cast<i32>(std::max<u32>(size, 1)));
}
void AudioMemFreeLock(void* p) {
    if (p) MH_FREE(p);
}

int AudioGetPreference(int number) {
    if (number == kPrefMixerChannels) return AudioMixer().VoiceCount();
    if (number == kPrefUseWaveOut) return Lib().useWaveOut;
    return 0;
}

void AudioSetPreference(int number, int value) {
    if (number == kPrefUseWaveOut) Lib().useWaveOut = value;
}

void AudioSetSoundFont(const char* path) {
    auto g = Lock();
    Lib().soundFont = path ? path : kDefaultSoundFont;
}

void AudioReset() {
    auto g = Lock();
    MidiFinishFontLoads();
    Lib().soundFont = kDefaultSoundFont;
    // Handles left open (by a test) are freed with the mixer's voices.
    auto handles = std::move(Lib().handles);
    Lib().handles.clear();
    Lib().sequences.clear();
    Lib().resourceSample = nullptr;
    for (auto& [h, del] : handles) del();
    Lib().lastError = {};
    Lib().lastMessage.clear();
    Lib().useWaveOut = 0;
    AudioMixer().Reset();
}

// ---- Digital output ----

HDIGDRIVER AudioWaveOutOpen(u32 rate, int bits, int channels) {
    auto g = Lock();
    if (rate < 8000 || (bits != 8 && bits != 16) || channels < 1 || channels > 2) {
        AudioSetLastError("unsupported output format");
        return nullptr;
    }
    if (!AudioDeviceOpen()) {
        AudioSetLastError("cannot open the audio device");
        return nullptr;
    }
    return Track(new AudioDriver);
}

void AudioWaveOutClose(HDIGDRIVER driver) {
    auto g = Lock();
    if (Live(driver)) Forget(driver);
}

const char* AudioDigitalConfiguration(HDIGDRIVER driver) {
    return AudioDeviceIsOpen() ? "SDL mixer 44100 Hz 16-bit stereo" : "no device";
}

void AudioDigitalHandleRelease(HDIGDRIVER driver) {
    auto g = Lock();
    if (Live(driver)) driver->released = true;
}

void AudioDigitalHandleReacquire(HDIGDRIVER driver) {
    auto g = Lock();
    if (Live(driver)) driver->released = false;
}

void AudioSetDigitalMasterVolume(HDIGDRIVER driver, int volume) {
    AudioMixer().SetMasterVolume(std::clamp(volume, 0, 127));
}

// ---- Samples ----

HSAMPLE AudioAllocateSample(HDIGDRIVER driver) {
    auto g = Lock();
    int v = AudioMixer().Allocate();
    if (v < 0) {
        AudioSetLastError("out of sample handles");
        return nullptr;
    }
    HSAMPLE s = Track(new AudioSampleRec);
    s->voice = v;
    return s;
}

void AudioReleaseSample(HSAMPLE s) {
    auto g = Lock();
    if (!Live(s)) return;
    AudioMixer().Release(s->voice);
    Forget(s);
}

void AudioInitSample(HSAMPLE s) {
    auto g = Lock();
    if (!Live(s)) return;
    AudioMixer().Release(s->voice);
    s->voice = AudioMixer().Allocate();  // the same slot comes back: it was just freed
    std::memset(s->user, 0, sizeof s->user);
}

static bool SetSamplePcm(HSAMPLE s, const void* image, u32 size, bool wave) {
    auto g = Lock();
    if (!Live(s) || !image) {
        AudioSetLastError("no sample");
        return false;
    }
    auto pcm = std::make_shared<PcmBuffer>();
    DataError error;
    const u8* p = static_cast<const u8*>(image);
    bool ok = wave ? DecodeWave(p, size, pcm.get(), &error) : DecodeMp3(p, size, pcm.get(), &error);
    if (!ok) {
        AudioSetLastError(error);
        return false;
    }
    AudioMixer().SetPcm(s->voice, pcm);
    return true;
}

bool AudioSetSampleFile(HSAMPLE s, const void* image, u32 size) {
    return SetSamplePcm(s, image, size, true);
}

bool AudioSetNamedSampleFile(HSAMPLE s, const char* type, const void* image, u32 size) {
    std::string t = type ? type : "";
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (t.size() >= 4 && t.compare(t.size() - 4, 4, ".wav") == 0)
        return SetSamplePcm(s, image, size, true);
    return SetSamplePcm(s, image, size, false);
}

void AudioSetSampleVolume(HSAMPLE s, int volume) {
    auto g = Lock();
    if (Live(s)) AudioMixer().SetVolume(s->voice, volume);
}
void AudioSetSamplePan(HSAMPLE s, int pan) {
    auto g = Lock();
    if (Live(s)) AudioMixer().SetPan(s->voice, pan);
}
void AudioSetSampleLoopCount(HSAMPLE s, int loops) {
    auto g = Lock();
    if (Live(s)) AudioMixer().SetLoops(s->voice, loops);
}
void AudioSetSampleUserData(HSAMPLE s, int slot, i32 value) {
    auto g = Lock();
    if (Live(s) && slot >= 0 && slot < 8) s->user[slot] = value;
}
i32 AudioSampleUserData(HSAMPLE s, int slot) {
    auto g = Lock();
    return Live(s) && slot >= 0 && slot < 8 ? s->user[slot] : 0;
}
void AudioStartSample(HSAMPLE s) {
    auto g = Lock();
    if (Live(s)) AudioMixer().Start(s->voice);
}
void AudioEndSample(HSAMPLE s) {
    auto g = Lock();
    if (Live(s)) AudioMixer().End(s->voice);
}
int AudioSampleStatus(HSAMPLE s) {
    auto g = Lock();
    return Live(s) ? AudioMixer().Status(s->voice) : kSmpFree;
}
int AudioSampleVolume(HSAMPLE s) {
    auto g = Lock();
    return Live(s) ? AudioMixer().Volume(s->voice) : 0;
}
int AudioSamplePan(HSAMPLE s) {
    auto g = Lock();
    return Live(s) ? AudioMixer().Pan(s->voice) : 0;
}

// ---- Built-in sounds ----

namespace {
// A sine note with a fast attack and an exponential decay, added into mono.
void AddNote(std::vector<float>& mono, double startMs, double ms, double hz, double level) {
    size_t first = static_cast<size_t>(startMs * kMixRate / 1000);
    size_t n = static_cast<size_t>(ms * kMixRate / 1000);
    if (mono.size() < first + n) mono.resize(first + n, 0.0f);
    const double kAttack = 0.004 * kMixRate;
    for (size_t i = 0; i < n; ++i) {
        double t = static_cast<double>(i) / kMixRate;
        double env = std::min(1.0, static_cast<double>(i) / kAttack) * std::exp(-t * 5000.0 / ms);
        mono[first + i] += static_cast<float>(level * env * std::sin(2 * M_PI * hz * t));
    }
}

PcmRef Synthesize(int id) {
    std::vector<float> mono;
    if (id == kSoundResourceStart) {
        // A rising two-note chime.
        AddNote(mono, 0, 350, 1046.5, 0.35);
        AddNote(mono, 120, 450, 1568.0, 0.35);
    } else if (id == kSoundResourceDialog) {
        AddNote(mono, 0, 90, 880.0, 0.4);  // a short click of a tone
    } else {
        return nullptr;
    }
    auto pcm = std::make_shared<PcmBuffer>(mono.size() * 2);
    for (size_t i = 0; i < mono.size(); ++i) {
        auto v = static_cast<i16>(std::clamp(mono[i], -1.0f, 1.0f) * 32767);
        (*pcm)[2 * i] = (*pcm)[2 * i + 1] = v;
    }
    return pcm;
}

// Made at first use and kept: the sounds never change.
PcmRef BuiltInSound(int id) {
    static std::map<int, PcmRef> made;
    auto it = made.find(id);
    if (it != made.end()) return it->second;
    PcmRef pcm = Synthesize(id);
    if (pcm) made[id] = pcm;
    return pcm;
}
}  // namespace

bool PlaySoundResource(int id) {
    auto g = Lock();
    PcmRef pcm = BuiltInSound(id);
    if (!pcm) return false;  // no default sound in place of a missing one
    if (!AudioDeviceOpen()) return false;
    // A new sound ends the one still playing, so at most one voice is held.
    AudioReleaseSample(Lib().resourceSample);
    HSAMPLE s = AudioAllocateSample(nullptr);
    Lib().resourceSample = s;
    if (!s) return false;
    AudioMixer().SetPcm(s->voice, pcm);
    AudioMixer().SetLoops(s->voice, 1);
    AudioMixer().Start(s->voice);
    return true;
}

// ---- Sequences ----

HMDIDRIVER AudioMidiOutOpen(int device) {
    auto g = Lock();
    if (device != -1 && device != 0) {
        AudioSetLastError("no such MIDI device");
        return nullptr;
    }
    return Track(new AudioMidiDriver);
}

void AudioMidiOutClose(HMDIDRIVER driver) {
    auto g = Lock();
    if (Live(driver)) Forget(driver);
}

static void ApplySequenceVolume(HSEQUENCE s) {
    AudioMixer().SetVolume(s->voice, s->volume * s->driver->master / 127);
}

HSEQUENCE AudioAllocateSequence(HMDIDRIVER driver) {
    std::string font;
    {
        auto g = Lock();
        if (!Live(driver)) {
            AudioSetLastError("no MIDI driver");
            return nullptr;
        }
        font = Lib().soundFont;
    }
    // The synthesizer takes milliseconds to make: the mixer and the other
    // calls go on meanwhile.
    auto s = std::make_unique<AudioSequenceRec>();
    std::string error;
    bool made = s->synth.Open(font, &error);
    auto g = Lock();
    if (!made || !Live(driver)) {
        AudioSetLastError(made ? "no MIDI driver" : error);
        return nullptr;
    }
    s->synth.Ready();  // a font already read joins at once
    s->voice = AudioMixer().Allocate();
    if (s->voice < 0) {
        AudioSetLastError("out of voices for a sequence");
        return nullptr;
    }
    s->driver = driver;
    HSEQUENCE h = s.release();
    AudioMixer().SetSource(h->voice, [h](i16* out, int frames) {
        // Until its sound font is in, the piece waits at its start in silence.
        if (!h->synth.HasFont()) {
            std::memset(out, 0, static_cast<size_t>(frames) * 4);
            return frames;
        }
        auto sink = [h](u8 st, u8 d1, u8 d2) { h->synth.Send(st, d1, d2); };
        int done = 0;
        auto render = [&](int k) {
            h->synth.Render(out + done * 2, k);
            done += k;
        };
        return h->seq.Advance(frames, kMixRate, sink, render);
    });
    Lib().sequences.insert(h);
    return Track(h);
}

void AudioReleaseSequence(HSEQUENCE s) {
    auto g = Lock();
    if (!Live(s)) return;
    AudioMixer().Release(s->voice);
    Lib().sequences.erase(s);
    Forget(s);
}

bool AudioInitSequence(HSEQUENCE s, const void* data, u32 size, int index) {
    auto g = Lock();
    if (!Live(s) || !data) {
        AudioSetLastError("no sequence");
        return false;
    }
    AudioMixer().End(s->voice);
    s->synth.AllNotesOff();
    XmiSequence seq;
    DataError error;
    s->loaded = false;
    std::memset(s->user, 0, sizeof s->user);
    if (!ParseXmi(static_cast<const u8*>(data), size, index, &seq, &error)) {
        AudioSetLastError(error);
        return false;
    }
    s->seq.Load(std::move(seq));
    s->seq.SetLoops(1);
    s->loaded = true;
    s->volume = 127;
    ApplySequenceVolume(s);
    return true;
}

void AudioSetSequenceVolume(HSEQUENCE s, int volume, int ms) {
    auto g = Lock();
    if (!Live(s)) return;
    s->volume = std::clamp(volume, 0, 127);
    ApplySequenceVolume(s);
}
void AudioSetSequenceLoopCount(HSEQUENCE s, int loops) {
    auto g = Lock();
    if (Live(s)) s->seq.SetLoops(std::max(loops, 0));
}
void AudioSetSequenceUserData(HSEQUENCE s, int slot, i32 value) {
    auto g = Lock();
    if (Live(s) && slot >= 0 && slot < 8) s->user[slot] = value;
}
i32 AudioSequenceUserData(HSEQUENCE s, int slot) {
    auto g = Lock();
    return Live(s) && slot >= 0 && slot < 8 ? s->user[slot] : 0;
}
void AudioStartSequence(HSEQUENCE s) {
    auto g = Lock();
    if (!Live(s) || !s->loaded) return;
    s->synth.Ready();
    s->synth.AllNotesOff();
    s->seq.Start();
    AudioMixer().Start(s->voice);
}
void AudioEndSequence(HSEQUENCE s) {
    auto g = Lock();
    if (!Live(s)) return;
    s->seq.Stop([s](u8 st, u8 d1, u8 d2) { s->synth.Send(st, d1, d2); });
    s->synth.AllNotesOff();
    AudioMixer().End(s->voice);
}
int AudioSequenceStatus(HSEQUENCE s) {
    auto g = Lock();
    if (!Live(s) || !s->loaded) return kSeqFree;
    s->synth.Ready();  // asked every frame: the font joins as soon as it is read
    return AudioMixer().Status(s->voice);
}
void AudioSequenceMsPosition(HSEQUENCE s, i32* total, i32* current) {
    auto g = Lock();
    bool live = Live(s) && s->loaded;
    if (total) *total = live ? static_cast<i32>(s->seq.TotalMs()) : 0;
    if (current) *current = live ? static_cast<i32>(s->seq.PositionMs()) : 0;
}
void AudioSetXmidiMasterVolume(HMDIDRIVER driver, int volume) {
    auto g = Lock();
    if (!Live(driver)) return;
    driver->master = std::clamp(volume, 0, 127);
    for (AudioSequenceRec* s : Lib().sequences)
        if (s->driver == driver) ApplySequenceVolume(s);
}
int AudioXmidiMasterVolume(HMDIDRIVER driver) {
    auto g = Lock();
    return Live(driver) ? driver->master : 0;
}
void AudioMidiHandleRelease(HMDIDRIVER driver) {}
void AudioMidiHandleReacquire(HMDIDRIVER driver) {}

// ---- Streams ----

HSTREAM AudioOpenStream(HDIGDRIVER driver, const char* fileName, int mem) {
    std::vector<u8> bytes;
    if (!fileName || !ReadHostFile(fileName, &bytes)) {
        AudioSetLastError(DataError::Unplaced(fileName ? fileName : "", "cannot be opened"));
        return nullptr;
    }
    auto pcm = std::make_shared<PcmBuffer>();
    DataError error;
    if (!DecodeAudioFile(fileName, bytes.data(), bytes.size(), pcm.get(), &error)) {
        AudioSetLastError(error);
        return nullptr;
    }
    auto g = Lock();
    int v = AudioMixer().Allocate();
    if (v < 0) {
        AudioSetLastError("out of voices for a stream");
        return nullptr;
    }
    AudioMixer().SetPcm(v, pcm);
    HSTREAM s = Track(new AudioStreamRec);
    s->voice = v;
    return s;
}

void AudioCloseStream(HSTREAM s) {
    auto g = Lock();
    if (!Live(s)) return;
    AudioMixer().Release(s->voice);
    Forget(s);
}
void AudioSetStreamVolume(HSTREAM s, int volume) {
    auto g = Lock();
    if (Live(s)) AudioMixer().SetVolume(s->voice, volume);
}
int AudioStreamVolume(HSTREAM s) {
    auto g = Lock();
    return Live(s) ? AudioMixer().Volume(s->voice) : 0;
}
void AudioSetStreamLoopCount(HSTREAM s, int loops) {
    auto g = Lock();
    if (Live(s)) AudioMixer().SetLoops(s->voice, loops);
}
void AudioSetStreamUserData(HSTREAM s, int slot, i32 value) {
    auto g = Lock();
    if (Live(s) && slot >= 0 && slot < 8) s->user[slot] = value;
}
i32 AudioStreamUserData(HSTREAM s, int slot) {
    auto g = Lock();
    return Live(s) && slot >= 0 && slot < 8 ? s->user[slot] : 0;
}
void AudioStartStream(HSTREAM s) {
    auto g = Lock();
    if (Live(s)) AudioMixer().Start(s->voice);
}
int AudioStreamStatus(HSTREAM s) {
    auto g = Lock();
    if (!Live(s)) return kStreamDone;
    int st = AudioMixer().Status(s->voice);
    return st == kVoicePlaying || st == kVoiceStopped ? kStreamPlaying : kStreamDone;
}

// ---- Audio disc ----

namespace {
// Track number of a file named TrackNN.wav or TrackNN.mp3 (any case), else 0.
int TrackNumber(const std::string& name) {
    if (name.size() != 11) return 0;
    std::string n = name;
    for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (n.compare(0, 5, "track") != 0 || !std::isdigit(static_cast<unsigned char>(n[5])) ||
        !std::isdigit(static_cast<unsigned char>(n[6])))
        return 0;
    if (n.compare(7, 4, ".wav") != 0 && n.compare(7, 4, ".mp3") != 0) return 0;
    return (n[5] - '0') * 10 + (n[6] - '0');
}

bool DecodeTrack(const std::string& path, PcmBuffer* pcm) {
    std::ifstream in(path, std::ios::binary);
    std::vector<u8> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    DataError error;
    return !bytes.empty() && DecodeAudio(bytes.data(), bytes.size(), pcm, &error);
}
}  // namespace

HREDBOOK AudioRedbookOpenDrive(char letter) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    char root[4] = {letter, ':', '\\', 0};
    if (GetDriveTypeA(root) != DRIVE_CDROM) {
        AudioSetLastError("no disc drive");
        return nullptr;
    }
    std::string folder = HostPath(root);
    std::map<int, std::string> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        int n = TrackNumber(entry.path().filename().string());
        if (n > 0 && entry.is_regular_file()) found[n] = entry.path().string();
    }
    auto h = std::make_unique<AudioRedbookRec>();
    h->folder = folder;
    // Tracks count from 1 without gaps, as on a disc; the length of each is measured once.
    u32 at = 0;
    for (int n = 1; found.count(n); ++n) {
        PcmBuffer pcm;
        if (!DecodeTrack(found[n], &pcm)) break;
        h->files.push_back(found[n]);
        h->startMs.push_back(at);
        at += FramesToMs(pcm.size() / 2);
    }
    h->startMs.push_back(at);
    auto g = Lock();
    return Track(h.release());
}

HREDBOOK AudioRedbookOpen(u32 index) {
    if (index >= 26) return nullptr;
    return AudioRedbookOpenDrive(static_cast<char>('A' + index));
}

void AudioRedbookClose(HREDBOOK h) {
    auto g = Lock();
    if (!Live(h)) return;
    AudioMixer().Release(h->voice);
    Forget(h);
}

u32 AudioRedbookTracks(HREDBOOK h) {
    auto g = Lock();
    return Live(h) ? static_cast<u32>(h->files.size()) : 0;
}

void AudioRedbookTrackInfo(HREDBOOK h, u32 track, u32* startMs, u32* endMs) {
    auto g = Lock();
    *startMs = *endMs = 0;
    if (!Live(h) || track < 1 || track > h->files.size()) return;
    *startMs = h->startMs[track - 1];
    *endMs = h->startMs[track];
}

u32 AudioRedbookPlay(HREDBOOK h, u32 startMs, u32 endMs) {
    auto g = Lock();
    if (!Live(h) || h->files.empty() || endMs <= startMs) return 0;
    // The span's tracks are decoded into one buffer that starts at its first track.
    auto pcm = std::make_shared<PcmBuffer>();
    u32 firstStart = 0;
    bool first = true;
    for (size_t i = 0; i < h->files.size(); ++i) {
        if (h->startMs[i + 1] <= startMs || h->startMs[i] >= endMs) continue;
        PcmBuffer t;
        if (!DecodeTrack(h->files[i], &t)) continue;
        if (first) firstStart = h->startMs[i];
        first = false;
        pcm->insert(pcm->end(), t.begin(), t.end());
    }
    if (first) return 0;
    if (h->voice < 0) h->voice = AudioMixer().Allocate();
    if (h->voice < 0) {
        AudioSetLastError("out of voices for the disc");
        return 0;
    }
    AudioMixer().SetPcm(h->voice, pcm, MsToFrames(startMs - firstStart),
                        MsToFrames(endMs - firstStart));
    AudioMixer().SetLoops(h->voice, 1);
    AudioMixer().SetVolume(h->voice, h->volume);
    AudioMixer().Start(h->voice);
    h->spanStartMs = firstStart;
    return 1;
}

u32 AudioRedbookStop(HREDBOOK h) {
    auto g = Lock();
    if (Live(h)) AudioMixer().End(h->voice);
    return 0;
}
u32 AudioRedbookPause(HREDBOOK h) {
    auto g = Lock();
    if (Live(h)) AudioMixer().Pause(h->voice, true);
    return 0;
}
u32 AudioRedbookResume(HREDBOOK h) {
    auto g = Lock();
    if (Live(h)) AudioMixer().Pause(h->voice, false);
    return 0;
}
u32 AudioRedbookStatus(HREDBOOK h) {
    auto g = Lock();
    if (!Live(h)) return kRedbookStopped;
    int st = AudioMixer().Status(h->voice);
    if (st == kVoicePlaying) return kRedbookPlaying;
    if (st == kVoiceStopped) return kRedbookPaused;
    return kRedbookStopped;
}
u32 AudioRedbookPosition(HREDBOOK h) {
    auto g = Lock();
    if (!Live(h) || h->voice < 0) return 0;
    return h->spanStartMs + FramesToMs(AudioMixer().Position(h->voice));
}
u32 AudioRedbookTrack(HREDBOOK h) {
    auto g = Lock();
    if (!Live(h) || AudioRedbookStatus(h) == kRedbookStopped) return 0;
    u32 pos = AudioRedbookPosition(h);
    for (size_t i = 0; i < h->files.size(); ++i)
        if (pos < h->startMs[i + 1]) return static_cast<u32>(i + 1);
    return static_cast<u32>(h->files.size());
}
u32 AudioRedbookVolume(HREDBOOK h) {
    auto g = Lock();
    return Live(h) ? static_cast<u32>(h->volume) : 0;
}
u32 AudioRedbookSetVolume(HREDBOOK h, int volume) {
    auto g = Lock();
    if (!Live(h)) return 0;
    h->volume = std::clamp(volume, 0, 127);
    if (h->voice >= 0) AudioMixer().SetVolume(h->voice, h->volume);
    return static_cast<u32>(h->volume);
}
u32 AudioRedbookEject(HREDBOOK h) {
    return 0;
}
u32 AudioRedbookRetract(HREDBOOK h) {
    return 0;
}
u32 AudioRedbookId(HREDBOOK h) {
    auto g = Lock();
    if (!Live(h)) return 0;
    // The disc id sums the track start times, as a disc's table of contents would.
    u32 id = static_cast<u32>(h->files.size());
    for (u32 s : h->startMs) id = id * 31 + s;
    return id;
}

int MountDiscFolders(const std::string& list) {
    int mounted = 0;
    char letter = 'D';
    size_t pos = 0;
    while (pos <= list.size() && letter <= 'Z') {
        size_t end = list.find(':', pos);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(pos, end - pos);
        pos = end + 1;
        if (folder.empty() || !std::filesystem::is_directory(folder)) continue;
        char root[4] = {letter, ':', '\\', 0};
        while (letter <= 'Z' && GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR) root[0] = ++letter;
        if (letter > 'Z') break;
        HostSetDrive(letter, folder);
        std::string label;
        std::ifstream in(std::filesystem::path(folder) / "label");
        std::getline(in, label);
        while (!label.empty() && (label.back() == '\r' || label.back() == ' ')) label.pop_back();
        HostSetVolumeLabel(letter, label);
        ++mounted;
        ++letter;
    }
    return mounted;
}
