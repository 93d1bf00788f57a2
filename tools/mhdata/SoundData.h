// Writers of the sound and video data of the sample game: tones, WAVE and MP3
// pieces, XMIDI pieces, the sound bank, a disc folder and a short video.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "base/Types.h"

// A sine tone: frames of channels interleaved 16-bit samples.
std::vector<i16> MakeTone(double hz, u32 ms, u32 rate, int channels, int amplitude = 12000);
// A whole RIFF WAVE file of 16-bit PCM.
std::vector<u8> MakeWave(const std::vector<i16>& samples, int channels, u32 rate);
// A whole RIFF WAVE file of 8-bit PCM.
std::vector<u8> MakeWave8(const std::vector<u8>& samples, int channels, u32 rate);

struct XmiNote {
    u32 tick = 0;  // at 120 Hz
    u8 channel = 0;
    u8 note = 60;
    u8 velocity = 100;
    u32 duration = 60;
};
struct XmiPiece {
    std::vector<XmiNote> notes;
    u8 program = 0;      // program of channel 0
    u32 endTick = 0;     // end of track (0: at the last note's end)
    int loopCount = -1;  // >= 0: FOR at tick 0 with this count, NEXT at endTick
};
// A complete XMIDI file: FORM XDIR with INFO, then CAT XMID holding one FORM XMID.
std::vector<u8> MakeXmi(const XmiPiece& piece);
// The same around hand-written EVNT bytes, with a timbre list of one program.
std::vector<u8> MakeXmiFromEvents(const std::vector<u8>& events, u8 program);
// Just the EVNT chunk's event bytes of a piece.
std::vector<u8> MakeXmiEvents(const XmiPiece& piece);

struct BankSound {
    int kind = 0;           // 0: a WAVE file stored without its first 20 bytes; 1: a whole image
    std::vector<u8> image;  // a whole WAVE (kind 0 and 1) or MP3 (kind 1) file
};
// The bank image: header, 3000 entries of 44 bytes, then the data.
std::vector<u8> MakeSoundBank(const std::map<int, BankSound>& sounds);

// An uncompressed 24-bit AVI whose frames are solid colours (0xRRGGBB), at fps.
std::vector<u8> MakeSolidVideo(int width, int height, const std::vector<u32>& colours, int fps);
// An uncompressed 16-bit (5-5-5) AVI of pictures, each width x height stored
// 5-5-5 pixels row by row from the top, at fps.
std::vector<u8> MakePictureVideo(int width, int height,
                                 const std::vector<std::vector<u16>>& pictures, int fps);

// The sample game's sound data under root: PicLib\all.snd, music\*.xmi/.wav/.mp3,
// Video\*.BIK and a disc folder "Disc" with its label and tracks.
bool WriteSoundData(const std::string& root, std::string* error);

// The sample game's known sounds and pieces.
constexpr int kSampleToneSound = 1;  // kind 0, 440 Hz mono 22,050 Hz, 200 ms
constexpr int kSampleWaveSound = 2;  // kind 1 WAVE, 660 Hz stereo 44,100 Hz, 150 ms
constexpr int kSampleMp3Sound = 3;   // kind 1 MP3, 880 Hz, 300 ms
constexpr int kSampleUiSoundFirst = 261;
constexpr int kSampleUiSoundLast = 265;
constexpr const char* kSampleDiscLabel = "RX417K";
constexpr int kSampleDiscTracks = 8;
// Track n of the sample disc is a tone of 200 + 100 n Hz lasting 1 s.
inline double SampleDiscTrackHz(int n) {
    return 200.0 + 100.0 * n;
}
extern const std::vector<u32> kSampleVideoColours;

// The end picture's music (name record 41) in the sample's music folder.
constexpr const char* kSampleEndMusic = "end.wav";
constexpr size_t kSampleEndMusicName = 41;
void AddSampleEndMusicName(std::vector<std::string>* names);
