// Sound effects: the sound bank, the sample players of gSound and the calls
// the game makes (PlaySfx and its family).
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"
#include "platform/AudioLib.h"
#include "engine/File.h"
#include "sound/SoundBank.h"

class cSound {
public:
    struct Entry {
        u32 offset = 0;
        u32 sizeKind = 0;  // size in the low 26 bits, kind in bits 26-27
        i32 useCount = 0;
        u8* data = nullptr;  // locked memory, null when not loaded
        u32 dataSize = 0;
        u32 Size() const { return sizeKind & kSoundSizeMask; }
        u32 Kind() const { return (sizeKind >> 26) & 3; }
    };

    cSound() = default;
    ~cSound();
    cSound(const cSound&) = delete;
    cSound& operator=(const cSound&) = delete;

    // Loads the bank under root and opens the digital output; false on failure,
    // a bad bank reported as bad data and the output's error text kept.
    bool Init(const char* root);
    void Release();
    // Plays sound n; with data null the bank entry is loaded. 0 on failure.
    int Play(u8* data, int n, int volume, int pan, int loops, u32 size);
    void Stop(int n);
    void StopAll();
    void SetVolume(int n, int volume);
    void SetPan(int n, int pan);
    int IsFinished(int n);
    void Service();
    HDIGDRIVER GetDigDriver() const { return driver_; }
    void ReleaseDigHandle();
    void ReacquireDigHandle();
    void SetMasterVolume(int volume);

    // Why the output or the last play failed; bad bank data is reported instead.
    const char* GetErrorText() const { return error_.c_str(); }
    bool IsReady() const { return ready_ && open_; }
    bool HasBank() const { return !table_.empty(); }
    int HighestPlayed() const { return highest_; }
    int HandleCount() const { return handleCount_; }
    int PlayingCount() const { return static_cast<int>(playing_.size()); }
    const Entry* GetEntry(int n) const;

    // The WAVE image of a kind-0 entry: stored bytes with the header rebuilt.
    // Exposed so that the header can be checked byte by byte.
    static bool BuildKind0Image(const u8* stored, u32 size, std::vector<u8>* out);

private:
    bool LoadBank(const char* root);
    bool OpenOutput();
    bool LoadEntry(int n);
    bool RefuseEntry(int n, const std::string& why);
    void FreeEntryUse(int n);
    void EndRecord(size_t i);

    cFile bank_;
    HDIGDRIVER driver_ = nullptr;
    bool ready_ = false;
    bool open_ = false;
    int handleCount_ = 0;
    u32 rate_ = 0;
    int bits_ = 0;
    int channels_ = 0;
    std::string config_;
    std::string error_;
    std::vector<HSAMPLE> playing_;
    std::vector<HSAMPLE> free_;
    int highest_ = 0;
    std::vector<Entry> table_;
};

extern cSound gSound;

// Sound calls on the game's 0..11 volume scale.
int PlaySfx(int n, int v);
// A watcher sees every number PlaySfx is asked for, in order, played or not
// (null: none). Tests record the interface sounds with it.
void SetSfxWatcher(void (*watch)(int n));
void StopSfx(int n);
void StopAllSfx();
void SetSfxPan(int n, int pan);
void SetSfxVolume(int n, int v);
// Plays sound n as heard at listener (lx, ly) from map point (x, y); sfxVolume on 0..11.
void PlaySfxFrom(int n, int x, int y, int lx, int ly, int sfxVolume);

// Releases the sound players and starts them clean (tests).
void ResetSound();
