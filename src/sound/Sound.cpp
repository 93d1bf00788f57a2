// Sound effects: loading the bank, opening the digital output, the sample
// records, and the game's calls on the 0..11 volume scale.
#include "sound/Sound.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/DataError.h"
#include "engine/DataErrors.h"

cSound gSound;

namespace {
constexpr int kMaxSampleHandles = 16;
// The header a kind-0 sound gets back; the lengths are filled in afterwards.
constexpr char kWaveTemplate[] = "RIFF....WAVEfmt ....";
static_assert(sizeof(kWaveTemplate) == kSoundKind0Prefix + 1);
}  // namespace

cSound::~cSound() {
    Release();
}

const cSound::Entry* cSound::GetEntry(int n) const {
    if (n < 1 || n > static_cast<int>(table_.size())) return nullptr;
    return &table_[static_cast<size_t>(n - 1)];
}

bool cSound::LoadBank(const char* root) {
    std::string path = std::string(root ? root : "") + "PicLib\\all.snd";
    // The bank is only read: a missing one must not be created empty.
    if (!bank_.Open(path.c_str(), OPEN_EXISTING, GENERIC_READ)) {
        ReportDataError(DataError::Unplaced(path, "SFX file connot open."));
        return false;
    }
    std::vector<u8> dir(kSoundBankDirSize);
    u32 count = kSoundBankDirSize;
    if (bank_.SeekSet(kSoundBankHeaderSize) == 0 || !bank_.Read(dir.data(), &count) ||
        count != kSoundBankDirSize) {
        ReportDataError({path, kSoundBankHeaderSize + count, "directory cut short"});
        bank_.Close();
        return false;
    }
    table_.assign(kSoundBankEntries, Entry{});
    ByteReader r(dir);
    for (Entry& t : table_) {
        SoundBankEntry e;
        SoundBankEntryFields(r, e);
        t.offset = e.offset;
        t.sizeKind = (e.size & kSoundSizeMask) | ((e.kind & 3) << 26);
    }
    return true;
}

bool cSound::OpenOutput() {
    AudioSetPreference(kPrefUseWaveOut, 0);
    u32 rate = 44100;
    int bits = 16;
    const int channels = 2;
    while (rate >= 11025) {
        driver_ = AudioWaveOutOpen(rate, bits, channels);
        if (driver_) break;
        error_ = AudioLastError();
        if (AudioGetPreference(kPrefUseWaveOut) == 0) {
            AudioSetPreference(kPrefUseWaveOut, 1);
            continue;
        }
        rate /= 2;
        if (rate < 11025 && bits == 16) {
            rate = 44100;
            bits = 8;
        }
    }
    if (!driver_) return false;
    rate_ = rate;
    bits_ = bits;
    channels_ = channels;
    config_ = AudioDigitalConfiguration(driver_);
    open_ = true;
    ready_ = true;
    handleCount_ = std::min(AudioGetPreference(kPrefMixerChannels) - 8, kMaxSampleHandles);
    for (int i = 0; i < handleCount_; ++i) {
        HSAMPLE s = AudioAllocateSample(driver_);
        if (!s) {
            error_ = AudioLastError();
            handleCount_ = i;
            break;
        }
        AudioInitSample(s);
        free_.push_back(s);
    }
    return true;
}

bool cSound::Init(const char* root) {
    Release();
    if (!LoadBank(root)) return false;
    return OpenOutput();
}

void cSound::Release() {
    for (HSAMPLE s : playing_) {
        AudioEndSample(s);
        AudioReleaseSample(s);
    }
    for (HSAMPLE s : free_) AudioReleaseSample(s);
    playing_.clear();
    free_.clear();
    for (Entry& e : table_) {
        AudioMemFreeLock(e.data);
        e.data = nullptr;
        e.useCount = 0;
    }
    table_.clear();
    bank_.Close();
    if (driver_) AudioWaveOutClose(driver_);
    driver_ = nullptr;
    ready_ = open_ = false;
    handleCount_ = 0;
    highest_ = 0;
}

// The stored bytes go back behind "RIFF", the file length, "WAVE", "fmt " and
// the format block's length 16, so the samples start at 44 as in any WAVE
// file. The data chunk's length is taken from the entry's size: every stored
// sample is heard and nothing past them.
bool cSound::BuildKind0Image(const u8* stored, u32 size, std::vector<u8>* out) {
    if (size < kSoundKind0MinSize) return false;
    out->assign(size + kSoundKind0Prefix, 0);
    u8* p = out->data();
    std::memcpy(p, kWaveTemplate, kSoundKind0Prefix);
    std::memcpy(p + kSoundKind0Prefix, stored, size);
    StoreU32(p + 4, size + kSoundKind0Prefix - 8);
    StoreU32(p + 16, 16);
    std::memcpy(p + 36, "data", 4);
    StoreU32(p + 40, size - kSoundKind0MinSize);
    return true;
}

// Reports sound n of the bank as bad and empties its entry, so that it is
// reported once and never read again.
bool cSound::RefuseEntry(int n, const std::string& why) {
    Entry& e = table_[static_cast<size_t>(n - 1)];
    ReportDataError({bank_.GetName() ? bank_.GetName() : "bank", e.offset,
                     "sound " + std::to_string(n) + " " + why});
    e.offset = 0;
    return false;
}

// Reads sound n into locked memory unless another sample already holds it.
bool cSound::LoadEntry(int n) {
    Entry& e = table_[static_cast<size_t>(n - 1)];
    if (e.data) return true;
    u32 size = e.Size(), kind = e.Kind();
    if (e.offset == 0) return false;
    u32 fileSize = bank_.GetSize();
    if (kind > 1 || (kind == 0 && size < kSoundKind0MinSize) ||
        (kind == 1 && size < kWaveHeaderSize) || fileSize == 0xFFFFFFFFu || e.offset > fileSize ||
        size > fileSize - e.offset)
        return RefuseEntry(n, "is not a usable sound");
    std::vector<u8> stored(size);
    u32 count = size;
    if (bank_.SeekSet(static_cast<i32>(e.offset)) == 0 || !bank_.Read(stored.data(), &count) ||
        count != size)
        return RefuseEntry(n, "cannot be read");
    std::vector<u8> image;
    if (kind == 0)
        BuildKind0Image(stored.data(), size, &image);
    else
        image = std::move(stored);
    e.data = static_cast<u8*>(AudioMemAllocLock(static_cast<u32>(image.size())));
    std::memcpy(e.data, image.data(), image.size());
    e.dataSize = static_cast<u32>(image.size());
    return true;
}

void cSound::FreeEntryUse(int n) {
    if (n < 1 || n > static_cast<int>(table_.size())) return;
    Entry& e = table_[static_cast<size_t>(n - 1)];
    if (--e.useCount > 0) return;
    e.useCount = 0;
    AudioMemFreeLock(e.data);
    e.data = nullptr;
}

int cSound::Play(u8* data, int n, int volume, int pan, int loops, u32 size) {
    if (!IsReady() || n == 0) return 0;
    highest_ = std::max(highest_, n);
    bool fromBank = data == nullptr;
    if (fromBank) {
        if (n < 1 || n > kSoundBankEntries || table_.empty()) {
            error_ = "sound " + std::to_string(n) + " is outside the bank";
            return 0;
        }
        if (!LoadEntry(n)) return 0;
        data = table_[static_cast<size_t>(n - 1)].data;
        size = table_[static_cast<size_t>(n - 1)].dataSize;
    }
    if (free_.empty()) {
        error_ = "no free sample handle";
        if (fromBank && table_[static_cast<size_t>(n - 1)].useCount == 0) FreeEntryUse(n);
        return 0;
    }
    HSAMPLE s = free_.back();
    AudioInitSample(s);
    bool ok = size >= 4 && std::memcmp(data, "RIFF", 4) == 0
                  ? AudioSetSampleFile(s, data, size)
                  : AudioSetNamedSampleFile(s, ".mp3", data, size);
    if (!ok) {
        // Only data this call loaded may go: other samples may still play the entry.
        if (fromBank && table_[static_cast<size_t>(n - 1)].useCount == 0) {
            FreeEntryUse(n);
            RefuseEntry(n, std::string("cannot be decoded: ") + AudioLastError());
        } else {
            error_ = AudioLastError();
        }
        return 0;
    }
    free_.pop_back();
    if (fromBank) {
        Entry& e = table_[static_cast<size_t>(n - 1)];
        ++e.useCount;
    }
    AudioSetSampleUserData(s, 0, n);
    AudioSetSampleVolume(s, std::clamp(volume, 0, 127));
    AudioSetSamplePan(s, std::clamp(pan + 63, 0, 127));
    AudioSetSampleLoopCount(s, loops);
    AudioStartSample(s);
    playing_.push_back(s);
    return 1;
}

void cSound::EndRecord(size_t i) {
    HSAMPLE s = playing_[i];
    int n = AudioSampleUserData(s, 0);
    AudioSetSampleVolume(s, 0);
    AudioEndSample(s);
    FreeEntryUse(n);
    playing_.erase(playing_.begin() + static_cast<long>(i));
    free_.push_back(s);
}

void cSound::Stop(int n) {
    if (!IsReady()) return;
    for (size_t i = 0; i < playing_.size(); ++i) {
        if (AudioSampleUserData(playing_[i], 0) == n) {
            EndRecord(i);
            return;
        }
    }
}

void cSound::StopAll() {
    while (!playing_.empty()) EndRecord(0);
}

void cSound::SetVolume(int n, int volume) {
    for (HSAMPLE s : playing_)
        if (AudioSampleUserData(s, 0) == n) AudioSetSampleVolume(s, std::clamp(volume, 0, 127));
}

void cSound::SetPan(int n, int pan) {
    for (HSAMPLE s : playing_)
        if (AudioSampleUserData(s, 0) == n) AudioSetSamplePan(s, std::clamp(pan + 63, 0, 127));
}

int cSound::IsFinished(int n) {
    if (n < 1) return playing_.empty() ? 1 : 0;
    for (HSAMPLE s : playing_)
        if (AudioSampleUserData(s, 0) == n) return 0;
    return 1;
}

void cSound::Service() {
    if (!IsReady()) return;
    for (size_t i = 0; i < playing_.size();) {
        int st = AudioSampleStatus(playing_[i]);
        if (st == kSmpFree || st == kSmpDone)
            EndRecord(i);
        else
            ++i;
    }
}

void cSound::ReleaseDigHandle() {
    AudioDigitalHandleRelease(driver_);
}
void cSound::ReacquireDigHandle() {
    AudioDigitalHandleReacquire(driver_);
}
void cSound::SetMasterVolume(int volume) {
    AudioSetDigitalMasterVolume(driver_, std::clamp(volume, 0, 127));
}

namespace {
void (*gSfxWatcher)(int) = nullptr;
}  // namespace

void SetSfxWatcher(void (*watch)(int n)) {
    gSfxWatcher = watch;
}

int PlaySfx(int n, int v) {
    if (gSfxWatcher) gSfxWatcher(n);
    return gSound.Play(nullptr, n, v * 128 / 11, 0, 1, 0);
}
void StopSfx(int n) {
    gSound.Stop(n);
}
void StopAllSfx() {
    gSound.StopAll();
}
void SetSfxPan(int n, int pan) {
    gSound.SetPan(n, pan);
}
void SetSfxVolume(int n, int v) {
    gSound.SetVolume(n, v * 128 / 10);
}

void PlaySfxFrom(int n, int x, int y, int lx, int ly, int sfxVolume) {
    // Squares in 64 bits: map coordinates far apart would overflow 32.
    u64 ax = static_cast<u64>(std::llabs(static_cast<i64>(lx) - x));
    u64 ay = static_cast<u64>(std::llabs(static_cast<i64>(ly) - y));
    u64 sum = ax * ax + ay * ay;  // each square below 2^64; a wrapped sum is far away anyway
    if (sum < ax * ax || ax >= 512 || ay >= 512) return;
    i64 d = static_cast<i64>(std::sqrt(static_cast<double>(sum)));
    if (d >= 512) return;
    if (!gSound.Play(nullptr, n, 0, 0, 1, 0)) return;
    gSound.SetVolume(n, static_cast<int>((128 - d * 128 / 512) * sfxVolume / 11));
    gSound.SetPan(n, static_cast<int>((static_cast<i64>(x) - lx) * 64 / 512));
}

void ResetSound() {
    gSound.Release();
}
