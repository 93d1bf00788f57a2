// Background music: the XMIDI player gMidi, the stream player gStream, and
// the music manager gMusic with its three playlists of two pieces.
#pragma once
#include <string>
#include <thread>
#include <vector>

#include "base/Types.h"
#include "platform/AudioLib.h"

constexpr u32 kFadingBit = 0x80000000u;

// The XMIDI player. Each of its sequences holds a synthesizer that takes a
// few milliseconds to make, so Open makes them on a thread of their own and
// returns at once; the first Play (or Close) waits for them.
class cMidi {
public:
    ~cMidi();
    struct Record {
        HSEQUENCE handle = nullptr;
        void* data = nullptr;  // locked copy of the file
        i32 fadeStep = 0;
        i32 level = 0;  // volume x 16
        u32 id = 0;     // bit 31 while fading
        // The piece the handle holds, kept with its data when it has ended:
        // played again, it starts over without reading the file anew.
        std::string piece;
    };

    int Open();
    void Close();
    int Play(const char* name, u32 id, int volume, int loops);
    void Fade(u32 id, int time);
    void FadeAll() { Fade(0, 200); }
    void Stop();
    int IsFinished(u32 id);
    void SetVolumeAll(int volume);
    // The volume of the playing sequence with the id only.
    void SetVolumeOf(u32 id, int volume);
    int GetVolumeAll();
    void Service();
    void ReleaseHandle();
    void ReacquireHandle();
    bool IsOpen() const { return open_; }
    // Waits until the sequences Open makes are there (a held making goes on);
    // Play and Close wait themselves.
    void WaitForSequences();
    const std::vector<Record*>& Playing() const { return playing_; }

private:
    void Finish(size_t i);
    void AllocateSequences();
    Record* TakeFree(const char* name);
    void Begin(Record* r, u32 id, int volume, int loops);

    std::thread opener_;  // makes the sequences of pool_ and fills free_
    bool open_ = false;
    i32 tick_ = 30;
    bool ready_ = false;
    bool ready2_ = false;
    HMDIDRIVER driver_ = nullptr;
    std::string refused_;  // the piece last reported, while no other one plays
    std::vector<Record> pool_;
    std::vector<Record*> playing_;
    std::vector<Record*> free_;
};

class cStream {
public:
    struct Record {
        HSTREAM handle = nullptr;
        char* name = nullptr;  // locked copy of the file name
        i32 fadeStep = 0;
        i32 level = 0;
        u32 id = 0;
    };

    void Init(HDIGDRIVER driver);
    void Release();
    int Play(const char* name, u32 id, int volume, int loops);
    void Fade(u32 id, int time);
    void FadeAll() { Fade(0, 200); }
    int IsFinished(u32 id);
    void SetVolume(int volume);
    // The volume of the open stream with the id only.
    void SetVolumeOf(u32 id, int volume);
    int GetVolume();
    void Service();
    u32 FirstId() const;
    const std::vector<Record*>& Open() const { return open_; }

private:
    void Finish(size_t i);

    HDIGDRIVER driver_ = nullptr;
    bool ready_ = false;
    bool ready2_ = false;
    std::string refused_;  // the piece last reported, while no other one plays
    Record pool_[2];
    std::vector<Record*> open_;
    std::vector<Record*> free_;
};

class cMusic {
public:
    enum Kind { kNotMusic = 0, kStream = 1, kMidi = 2 };
    struct Slot {
        char* name = nullptr;  // locked copy; null when empty
        i32 id = 0;
        i32 kind = 0;
        i32 spare[2] = {};
    };
    struct List {
        Slot slots[2];
        i32 index = 0;
        i32 repeat = 1;
    };

    cMusic();
    ~cMusic();
    cMusic(const cMusic&) = delete;
    cMusic& operator=(const cMusic&) = delete;

    void SetTrack(const char* name, i32 id, int slot, int list);
    void ClearList(int list);
    void SetVolume(int v);
    // The volume of the piece with the id while it plays; the manager's volume stays.
    void SetPieceVolume(i32 id, int v);
    void SetMode(int mode, int repeat, int fadeTime);
    void Service();
    int IsFinished();
    // Tests answer whether the music has finished: 0 or 1, or -1 to ask the players.
    void SetFinishedAnswer(int answer) { finishedAnswer_ = answer; }
    int GetMode() const { return mode_; }
    int GetPendingMode() const { return pending_; }
    int GetVolume() const { return volume_; }
    i32 CurrentId() const { return currentId_; }
    int CurrentKind() const { return currentKind_; }
    const List& GetList(int list) const { return lists_[list - 1]; }
    static int KindOf(const char* name);

private:
    i32 tick_ = 30;
    i32 spare_[2] = {};
    int mode_ = 4;
    int pending_ = 4;
    List lists_[3];  // index 0 is list 1
    int volume_ = 127;
    std::string currentName_;
    i32 currentId_ = 0;
    int currentKind_ = kNotMusic;
    int finishedAnswer_ = -1;
};

// Owns the sound library: shuts it down when the program ends.
class cMiles {
public:
    ~cMiles();
};

extern cMidi gMidi;
extern cStream gStream;
extern cMusic gMusic;
extern cMiles gMiles;

void MilesStartup(const char* redistFolder);
// Closes the players and empties the manager (tests).
void ResetMusic();
// Holds back the making of the XMIDI player's sequences that Open starts, so
// that a test sees the player before they are there; the player's first
// Play or Close lets them go on and waits for them.
void HoldMidiOpening(bool hold);
// Sees every piece put on a play list (name, id, list) and every play mode set
// (mode, repeat, fade time), in order; null stops it. For tests.
void SetMusicWatchers(void (*track)(const char* name, i32 id, int list),
                      void (*mode)(int mode, int repeat, int fadeTime));
