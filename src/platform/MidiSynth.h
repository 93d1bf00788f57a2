// The General MIDI synthesizer: FluidSynth with the system's GM sound font,
// rendering 44.1 kHz 16-bit stereo for the mixer.
#pragma once
#include <string>

#include "base/Types.h"

// The sound font used when none is named.
constexpr const char* kDefaultSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
// Output gain of the synthesizer (its own default, 0.2, leaves a piano note
// of full velocity some 20 dB below a recorded piece at the same volume).
constexpr double kMidiGain = 1.4;

// How many times a sound font file was read since the program started: each
// file is read once and shared by every synthesizer.
u32 MidiSoundFontLoads();
// Sound fonts are read on a loader thread. Tests hold the loads back to play
// a piece before its font is there; finishing lets every load end and joins
// the loaders (the sound library's shutdown and reset do).
void MidiHoldFontLoads(bool hold);
void MidiFinishFontLoads();

class cMidiSynth {
public:
    cMidiSynth() = default;
    ~cMidiSynth();
    cMidiSynth(const cMidiSynth&) = delete;
    cMidiSynth& operator=(const cMidiSynth&) = delete;

    // Creates the synthesizer and starts reading the sound font; false with
    // error set when there is no such file. Safe on any thread; the font
    // joins through Ready.
    bool Open(const std::string& soundFont, std::string* error);
    // Whether the sound font is in: true once it has been read and added,
    // which this call does when the loader has finished (never on the audio
    // thread: it allocates). Until then the synthesizer plays nothing.
    bool Ready();
    bool HasFont() const { return fontAdded_; }
    void Close();
    bool IsOpen() const { return synth_ != nullptr; }
    // One channel message (note on/off, controller, program, pressure, pitch bend).
    void Send(u8 status, u8 data1, u8 data2);
    void AllNotesOff();
    // Renders frames stereo frames into out.
    void Render(i16* out, int frames);

private:
    void* settings_ = nullptr;
    void* synth_ = nullptr;
    std::string fontPath_;
    bool fontAdded_ = false;
};
