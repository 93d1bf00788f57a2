// The sound library the game's players call: library start-up, locked memory,
// the digital output, samples, XMIDI sequences, streams and audio-disc control.
// Results follow what the players rely on: user-data slot 0 holds the caller's
// id, sample status 1 or 2 is finished, sequence status 4, 8 or 16 is active,
// stream status 2 is done and disc status 3 is stopped.
#pragma once
#include <string>

#include "base/DataError.h"
#include "base/Types.h"

struct AudioDriver;
struct AudioMidiDriver;
struct AudioSampleRec;
struct AudioSequenceRec;
struct AudioStreamRec;
struct AudioRedbookRec;
using HDIGDRIVER = AudioDriver*;
using HMDIDRIVER = AudioMidiDriver*;
using HSAMPLE = AudioSampleRec*;
using HSEQUENCE = AudioSequenceRec*;
using HSTREAM = AudioStreamRec*;
using HREDBOOK = AudioRedbookRec*;

// Status values.
constexpr int kSmpFree = 1, kSmpDone = 2, kSmpPlaying = 4, kSmpStopped = 8;
constexpr int kSeqFree = 1, kSeqDone = 2, kSeqPlaying = 4, kSeqStopped = 8;
constexpr int kStreamPlaying = 4, kStreamDone = 2;
constexpr int kRedbookPlaying = 1, kRedbookPaused = 2, kRedbookStopped = 3;

// Preferences.
constexpr int kPrefMixerChannels = 1;  // voices of the digital output
constexpr int kPrefUseWaveOut = 15;

// Library.
void AudioSetRedistDirectory(const char* folder);
bool AudioStartup();
void AudioShutdown();
const char* AudioLastError();
// The last error as bad data: where a file's bytes were refused, the offset
// and (when the bytes came with a name) the file; otherwise the text alone.
const DataError& AudioLastDataError();
void AudioSetLastError(const std::string& text);
void AudioSetLastError(const DataError& e);
void* AudioMemAllocLock(u32 size);
void AudioMemFreeLock(void* p);
int AudioGetPreference(int number);
void AudioSetPreference(int number, int value);
// Forgets every handle and the library state (for tests).
void AudioReset();
// The sound font the sequences play from (null: the system's; a reset
// returns to it).
void AudioSetSoundFont(const char* path);

// Digital output: every format is accepted and converted by the mixer.
HDIGDRIVER AudioWaveOutOpen(u32 rate, int bits, int channels);
void AudioWaveOutClose(HDIGDRIVER driver);
const char* AudioDigitalConfiguration(HDIGDRIVER driver);
void AudioDigitalHandleRelease(HDIGDRIVER driver);
void AudioDigitalHandleReacquire(HDIGDRIVER driver);
void AudioSetDigitalMasterVolume(HDIGDRIVER driver, int volume);

// Samples.
HSAMPLE AudioAllocateSample(HDIGDRIVER driver);
void AudioReleaseSample(HSAMPLE s);
void AudioInitSample(HSAMPLE s);
bool AudioSetSampleFile(HSAMPLE s, const void* image, u32 size);  // a RIFF WAVE image
bool AudioSetNamedSampleFile(HSAMPLE s, const char* type, const void* image, u32 size);
void AudioSetSampleVolume(HSAMPLE s, int volume);  // 0..127
void AudioSetSamplePan(HSAMPLE s, int pan);        // 0..127, 63 centre
void AudioSetSampleLoopCount(HSAMPLE s, int loops);
void AudioSetSampleUserData(HSAMPLE s, int slot, i32 value);
i32 AudioSampleUserData(HSAMPLE s, int slot);
void AudioStartSample(HSAMPLE s);
void AudioEndSample(HSAMPLE s);
int AudioSampleStatus(HSAMPLE s);
int AudioSampleVolume(HSAMPLE s);
int AudioSamplePan(HSAMPLE s);

// XMIDI sequences.
HMDIDRIVER AudioMidiOutOpen(int device);
void AudioMidiOutClose(HMDIDRIVER driver);
HSEQUENCE AudioAllocateSequence(HMDIDRIVER driver);
void AudioReleaseSequence(HSEQUENCE s);
bool AudioInitSequence(HSEQUENCE s, const void* data, u32 size, int index);
void AudioSetSequenceVolume(HSEQUENCE s, int volume, int ms);
void AudioSetSequenceLoopCount(HSEQUENCE s, int loops);
void AudioSetSequenceUserData(HSEQUENCE s, int slot, i32 value);
i32 AudioSequenceUserData(HSEQUENCE s, int slot);
void AudioStartSequence(HSEQUENCE s);
void AudioEndSequence(HSEQUENCE s);
int AudioSequenceStatus(HSEQUENCE s);
void AudioSequenceMsPosition(HSEQUENCE s, i32* total, i32* current);
void AudioSetXmidiMasterVolume(HMDIDRIVER driver, int volume);
int AudioXmidiMasterVolume(HMDIDRIVER driver);
void AudioMidiHandleRelease(HMDIDRIVER driver);
void AudioMidiHandleReacquire(HMDIDRIVER driver);

// Streams: a WAVE or MP3 file named by a Windows path.
HSTREAM AudioOpenStream(HDIGDRIVER driver, const char* fileName, int mem);
void AudioCloseStream(HSTREAM s);
void AudioSetStreamVolume(HSTREAM s, int volume);
int AudioStreamVolume(HSTREAM s);
void AudioSetStreamLoopCount(HSTREAM s, int loops);
void AudioSetStreamUserData(HSTREAM s, int slot, i32 value);
i32 AudioStreamUserData(HSTREAM s, int slot);
void AudioStartStream(HSTREAM s);
int AudioStreamStatus(HSTREAM s);

// Audio disc: a drive of the drive table whose folder holds TrackNN.wav or TrackNN.mp3.
HREDBOOK AudioRedbookOpen(u32 index);
HREDBOOK AudioRedbookOpenDrive(char letter);
void AudioRedbookClose(HREDBOOK h);
u32 AudioRedbookTracks(HREDBOOK h);
u32 AudioRedbookTrack(HREDBOOK h);  // 1-based track now playing, 0 none
void AudioRedbookTrackInfo(HREDBOOK h, u32 track, u32* startMs, u32* endMs);
u32 AudioRedbookPlay(HREDBOOK h, u32 startMs, u32 endMs);
u32 AudioRedbookStop(HREDBOOK h);
u32 AudioRedbookPause(HREDBOOK h);
u32 AudioRedbookResume(HREDBOOK h);
u32 AudioRedbookStatus(HREDBOOK h);
u32 AudioRedbookPosition(HREDBOOK h);  // ms on the disc
u32 AudioRedbookVolume(HREDBOOK h);
u32 AudioRedbookSetVolume(HREDBOOK h, int volume);
u32 AudioRedbookEject(HREDBOOK h);
u32 AudioRedbookRetract(HREDBOOK h);
u32 AudioRedbookId(HREDBOOK h);

// The program's built-in sounds, played as a sound resource is played
// (asynchronously, ending the one still playing): 120 the start chime, 119 the
// dialog buttons' click. Any other id plays nothing and answers false.
constexpr int kSoundResourceStart = 120;
constexpr int kSoundResourceDialog = 119;
bool PlaySoundResource(int id);

// Folders that stand for discs: each entry of the list (':'-separated host
// folders, the form of MOONHARBOR_DISCS) becomes the next free drive letter
// from D on, labelled by the first line of the file "label" in it. Returns the
// number of folders mounted.
int MountDiscFolders(const std::string& list);
