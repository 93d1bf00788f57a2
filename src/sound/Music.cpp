// The XMIDI and stream players, the music manager's playlists and fades.
#include "sound/Music.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>

#include "base/DataError.h"
#include "engine/DataErrors.h"
#include "engine/File.h"

cMidi gMidi;
cStream gStream;
cMusic gMusic;
cMiles gMiles;

namespace {

void (*gTrackWatcher)(const char*, i32, int) = nullptr;
void (*gModeWatcher)(int, int, int) = nullptr;
constexpr int kSequenceRecords = 2;

// A test's hold on the making of the XMIDI sequences.
std::mutex gOpenHoldMutex;
std::condition_variable gOpenHoldChanged;
bool gOpenHold = false;

void WaitWhileOpeningHeld() {
    // Held back at most ten seconds: a test that forgets to let go still ends.
    std::unique_lock lock(gOpenHoldMutex);
    gOpenHoldChanged.wait_for(lock, std::chrono::seconds(10), [] { return !gOpenHold; });
}

char* LockedCopy(const char* text) {
    size_t n = std::strlen(text) + 1;
    char* p = static_cast<char*>(AudioMemAllocLock(static_cast<u32>(n)));
    std::memcpy(p, text, n);
    return p;
}

void FreeLocked(char*& p) {
    AudioMemFreeLock(p);
    p = nullptr;
}

// A playlist that repeats asks for a piece again as soon as it has ended: a
// piece that cannot be played is reported once until another one plays.
// refused is the player's piece last reported. Gives 0, for Play to return.
int RefusePiece(std::string& refused, const char* name, DataError e) {
    if (e.file.empty()) e.file = name;
    if (refused != name) ReportDataError(e);
    refused = name;
    return 0;
}

// One fade step of a level (volume x 16); true when it has reached 0.
bool StepFade(i32& level, i32 step, int* volume) {
    level -= step;
    *volume = std::clamp(level / 16, 0, 127);
    return level <= 0;
}
}  // namespace

// ---- cMidi ----

void HoldMidiOpening(bool hold) {
    {
        std::lock_guard lock(gOpenHoldMutex);
        gOpenHold = hold;
    }
    gOpenHoldChanged.notify_all();
}

cMidi::~cMidi() {
    WaitForSequences();
}

// On the opener thread: pool_ and free_ are its own until it is joined.
void cMidi::AllocateSequences() {
    WaitWhileOpeningHeld();
    for (Record& r : pool_) {
        r.handle = AudioAllocateSequence(driver_);
        if (!r.handle) break;
        free_.push_back(&r);
    }
}

void cMidi::WaitForSequences() {
    if (!opener_.joinable()) return;
    HoldMidiOpening(false);
    opener_.join();
}

int cMidi::Open() {
    if (open_) return 1;
    driver_ = AudioMidiOutOpen(-1);
    if (!driver_) driver_ = AudioMidiOutOpen(0);
    if (!driver_) return 0;
    pool_.assign(kSequenceRecords, Record{});
    try {
        opener_ = std::thread([this] { AllocateSequences(); });
    } catch (const std::system_error&) {
        AllocateSequences();  // no thread to spare: made here and now
    }
    open_ = ready_ = ready2_ = true;
    return 1;
}

void cMidi::Close() {
    if (!open_) return;
    WaitForSequences();
    Stop();
    for (Record& r : pool_) {
        AudioReleaseSequence(r.handle);
        AudioMemFreeLock(r.data);
    }
    pool_.clear();
    free_.clear();
    AudioMidiOutClose(driver_);
    driver_ = nullptr;
    refused_.clear();
    open_ = ready_ = ready2_ = false;
}

// A free record for the piece: the one that holds it when there is one, else
// one that holds none, else the last; taken off the free list only when the
// piece is there.
cMidi::Record* cMidi::TakeFree(const char* name) {
    Record* pick = nullptr;
    for (Record* r : free_) {
        if (r->data && r->piece == name) return r;
        if (!pick || !r->data) pick = r;
    }
    return pick;
}

void cMidi::Begin(Record* r, u32 id, int volume, int loops) {
    free_.erase(std::find(free_.begin(), free_.end(), r));
    r->id = id;
    r->level = std::clamp(volume, 0, 127) * 16;
    r->fadeStep = 0;
    AudioSetSequenceUserData(r->handle, 0, static_cast<i32>(id));
    AudioSetSequenceVolume(r->handle, std::clamp(volume, 0, 127), 0);
    AudioSetSequenceLoopCount(r->handle, loops);
    AudioStartSequence(r->handle);
    playing_.push_back(r);
}

int cMidi::Play(const char* name, u32 id, int volume, int loops) {
    if (!open_ || !ready_ || !name) return 0;
    WaitForSequences();
    Record* r = TakeFree(name);
    // A list that loops plays its piece again: the handle still holds it.
    if (r && r->data && r->piece == name) {
        refused_.clear();
        Begin(r, id, volume, loops);
        return 1;
    }
    cFile file;
    // Music is only read: a missing piece must not leave an empty file behind.
    if (!file.Open(name, OPEN_EXISTING, GENERIC_READ))
        return RefusePiece(refused_, name, DataError::Unplaced("", file.GetErrorText()));
    if (!r) return 0;
    u32 size = file.GetSize();
    if (size == 0 || size == 0xFFFFFFFFu)
        return RefusePiece(refused_, name, DataError::Unplaced("", "empty file"));
    void* data = AudioMemAllocLock(size);
    u32 count = size;
    if (!file.Read(data, &count) || count != size) {
        AudioMemFreeLock(data);
        return RefusePiece(refused_, name, DataError::Unplaced("", "cannot be read"));
    }
    file.Close();
    AudioMemFreeLock(r->data);  // the piece the handle held is replaced
    r->data = nullptr;
    r->piece.clear();
    if (!AudioInitSequence(r->handle, data, size, 0)) {
        AudioMemFreeLock(data);
        return RefusePiece(refused_, name, AudioLastDataError());
    }
    refused_.clear();
    r->data = data;
    r->piece = name;
    Begin(r, id, volume, loops);
    return 1;
}

void cMidi::Fade(u32 id, int time) {
    if (!open_) return;
    for (Record* r : playing_) {
        if (r->id & kFadingBit) continue;
        if (id != 0 && r->id != id) continue;
        i32 total = 0, current = 0;
        AudioSequenceMsPosition(r->handle, &total, &current);
        i32 m = std::clamp(std::min(total - current, time), 30, 30 * 2048);
        r->fadeStep = 2048 / (m / 30);
        r->id |= kFadingBit;
    }
}

void cMidi::Finish(size_t i) {
    Record* r = playing_[i];
    AudioEndSequence(r->handle);
    r->id = 0;
    playing_.erase(playing_.begin() + static_cast<long>(i));
    free_.push_back(r);
}

void cMidi::Stop() {
    while (!playing_.empty()) Finish(0);
}

int cMidi::IsFinished(u32 id) {
    if (id == 0) return playing_.empty() ? 1 : 0;
    // A fading piece still belongs to its player until the fade has ended it.
    for (Record* r : playing_)
        if ((r->id & ~kFadingBit) == id) return 0;
    return 1;
}

void cMidi::SetVolumeAll(int volume) {
    if (open_) AudioSetXmidiMasterVolume(driver_, std::clamp(volume, 0, 127));
}

void cMidi::SetVolumeOf(u32 id, int volume) {
    if (!open_) return;
    for (Record* r : playing_) {
        if ((r->id & ~kFadingBit) != id) continue;
        if (!(r->id & kFadingBit)) r->level = std::clamp(volume, 0, 127) * 16;
        AudioSetSequenceVolume(r->handle, std::clamp(volume, 0, 127), 0);
    }
}

int cMidi::GetVolumeAll() {
    return open_ ? AudioXmidiMasterVolume(driver_) : 0;
}

void cMidi::Service() {
    if (!open_) return;
    for (size_t i = 0; i < playing_.size();) {
        Record* r = playing_[i];
        if (r->id & kFadingBit) {
            int volume = 0;
            if (StepFade(r->level, r->fadeStep, &volume)) {
                Finish(i);
                continue;
            }
            AudioSetSequenceVolume(r->handle, volume, 0);
        } else {
            int st = AudioSequenceStatus(r->handle);
            if (st == kSeqFree || st == kSeqDone) {
                Finish(i);
                continue;
            }
        }
        ++i;
    }
}

void cMidi::ReleaseHandle() {
    if (open_) AudioMidiHandleRelease(driver_);
}
void cMidi::ReacquireHandle() {
    if (open_) AudioMidiHandleReacquire(driver_);
}

// ---- cStream ----

void cStream::Init(HDIGDRIVER driver) {
    Release();
    driver_ = driver;
    for (Record& r : pool_) {
        r = Record{};
        free_.push_back(&r);
    }
    // Without a driver (no sound device) a stream still opens and takes its
    // time, played silent: whoever waits for the piece sees it end.
    ready_ = ready2_ = true;
}

void cStream::Finish(size_t i) {
    Record* r = open_[i];
    AudioCloseStream(r->handle);
    FreeLocked(r->name);
    *r = Record{};
    open_.erase(open_.begin() + static_cast<long>(i));
    free_.push_back(r);
}

void cStream::Release() {
    while (!open_.empty()) Finish(0);
    free_.clear();
    driver_ = nullptr;
    ready_ = ready2_ = false;
    refused_.clear();
}

int cStream::Play(const char* name, u32 id, int volume, int loops) {
    if (!ready_ || !name) return 0;
    if (free_.empty()) return 0;
    HSTREAM h = AudioOpenStream(driver_, name, 0);
    if (!h) return RefusePiece(refused_, name, AudioLastDataError());
    refused_.clear();
    Record* r = free_.back();
    free_.pop_back();
    r->handle = h;
    r->name = LockedCopy(name);
    r->id = id;
    r->level = std::clamp(volume, 0, 127) * 16;
    r->fadeStep = 0;
    AudioSetStreamUserData(h, 0, static_cast<i32>(id));
    AudioSetStreamVolume(h, std::clamp(volume, 0, 127));
    AudioSetStreamLoopCount(h, loops);
    AudioStartStream(h);
    open_.push_back(r);
    return 1;
}

void cStream::Fade(u32 id, int time) {
    for (size_t i = 0; i < open_.size();) {
        Record* r = open_[i];
        if ((r->id & kFadingBit) || (id != 0 && r->id != id)) {
            ++i;
            continue;
        }
        // A fade time of 0 means now: close at once rather than divide by it.
        if (time <= 0) {
            Finish(i);
            continue;
        }
        r->fadeStep = std::max(r->level / time, 1);
        r->id |= kFadingBit;
        ++i;
    }
}

int cStream::IsFinished(u32 id) {
    if (id == 0) return open_.empty() ? 1 : 0;
    for (Record* r : open_)
        if ((r->id & ~kFadingBit) == id) return 0;
    return 1;
}

// The library's volume of the first open stream; a stream that fades keeps
// the level its fade counts down from.
void cStream::SetVolume(int volume) {
    if (open_.empty()) return;
    Record* r = open_.front();
    if (!(r->id & kFadingBit)) r->level = std::clamp(volume, 0, 127) * 16;
    AudioSetStreamVolume(r->handle, std::clamp(volume, 0, 127));
}

void cStream::SetVolumeOf(u32 id, int volume) {
    for (Record* r : open_) {
        if ((r->id & ~kFadingBit) != id) continue;
        if (!(r->id & kFadingBit)) r->level = std::clamp(volume, 0, 127) * 16;
        AudioSetStreamVolume(r->handle, std::clamp(volume, 0, 127));
    }
}

int cStream::GetVolume() {
    return open_.empty() ? 0 : AudioStreamVolume(open_.front()->handle);
}

u32 cStream::FirstId() const {
    return open_.empty() ? 0 : open_.front()->id & ~kFadingBit;
}

void cStream::Service() {
    for (size_t i = 0; i < open_.size();) {
        Record* r = open_[i];
        if (r->id & kFadingBit) {
            int volume = 0;
            if (StepFade(r->level, r->fadeStep, &volume)) {
                Finish(i);
                continue;
            }
            AudioSetStreamVolume(r->handle, volume);
        } else if (AudioStreamStatus(r->handle) == kStreamDone) {
            Finish(i);
            continue;
        }
        ++i;
    }
}

// ---- cMusic ----

cMusic::cMusic() = default;

cMusic::~cMusic() {
    for (int list = 3; list >= 1; --list) ClearList(list);
}

int cMusic::KindOf(const char* name) {
    if (!name) return kNotMusic;
    if (std::strstr(name, "wav") || std::strstr(name, "mp3")) return kStream;
    if (std::strstr(name, "xmi")) return kMidi;
    return kNotMusic;
}

void cMusic::SetTrack(const char* name, i32 id, int slot, int list) {
    if (id <= 0 || slot < 0 || slot > 1 || list < 1 || list > 3) return;
    if (gTrackWatcher) gTrackWatcher(name, id, list);
    Slot& s = lists_[list - 1].slots[slot];
    FreeLocked(s.name);
    s.kind = KindOf(name);
    if (s.kind != kNotMusic) s.name = LockedCopy(name);
    s.id = id;
}

void cMusic::ClearList(int list) {
    if (list < 1 || list > 3) return;
    List& l = lists_[list - 1];
    for (Slot& s : l.slots) {
        FreeLocked(s.name);
        s = Slot{};
    }
    l.index = 0;
}

void cMusic::SetVolume(int v) {
    volume_ = v;
    gMidi.SetVolumeAll(v);
    gStream.SetVolume(v);
}

void cMusic::SetMode(int mode, int repeat, int fadeTime) {
    if (gModeWatcher) gModeWatcher(mode, repeat, fadeTime);
    if (currentKind_ == kStream) gStream.Fade(static_cast<u32>(currentId_), fadeTime);
    if (currentKind_ == kMidi) gMidi.Fade(static_cast<u32>(currentId_), fadeTime);
    pending_ = mode;
    if (mode >= 1 && mode <= 3) {
        List& l = lists_[mode - 1];
        l.index = 0;
        l.repeat = repeat == 1 || repeat == 2 ? repeat : 1;
    }
}

void cMusic::SetPieceVolume(i32 id, int v) {
    if (id <= 0) return;
    gStream.SetVolumeOf(static_cast<u32>(id), v);
    gMidi.SetVolumeOf(static_cast<u32>(id), v);
}

int cMusic::IsFinished() {
    if (finishedAnswer_ >= 0) return finishedAnswer_;
    if (currentKind_ == kStream) return gStream.IsFinished(static_cast<u32>(currentId_));
    if (currentKind_ == kMidi) return gMidi.IsFinished(static_cast<u32>(currentId_));
    return 1;
}

void cMusic::Service() {
    if ((currentKind_ == kStream || currentKind_ == kMidi) && !IsFinished()) return;
    currentName_.clear();
    currentId_ = 0;
    currentKind_ = kNotMusic;
    if (pending_ >= 1 && pending_ <= 3) {
        mode_ = pending_;
        lists_[mode_ - 1].index = 0;
    } else if (pending_ == 4) {
        mode_ = 0;
    }
    pending_ = 0;
    if (mode_ < 1 || mode_ > 3) return;
    List& l = lists_[mode_ - 1];
    if (l.index >= 2) return;
    const Slot& s = l.slots[l.index];
    if (s.name) {
        currentName_ = s.name;
        currentId_ = s.id;
        currentKind_ = s.kind;
        if (s.kind == kStream) gStream.Play(s.name, static_cast<u32>(s.id), volume_, 1);
        // The MIDI driver's master volume carries the setting already: the
        // sequence plays at full level, as a stream plays at the setting once.
        if (s.kind == kMidi) gMidi.Play(s.name, static_cast<u32>(s.id), 127, 1);
    }
    ++l.index;
    if (l.repeat == 1 && l.index >= 2) l.index = 0;
}

// ---- Library ----

cMiles::~cMiles() {
    gMidi.WaitForSequences();  // none is made once the library is down
    AudioShutdown();
}

void MilesStartup(const char* redistFolder) {
    AudioSetRedistDirectory(redistFolder);
    AudioStartup();
}

void SetMusicWatchers(void (*track)(const char* name, i32 id, int list),
                      void (*mode)(int mode, int repeat, int fadeTime)) {
    gTrackWatcher = track;
    gModeWatcher = mode;
}

void ResetMusic() {
    gMidi.Close();
    gStream.Release();
    gMusic.~cMusic();
    new (&gMusic) cMusic();
}
