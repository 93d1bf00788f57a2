// FluidSynth behind the synthesizer interface.
#include "platform/MidiSynth.h"

#include <fluidsynth.h>

#include <cstring>

#include "platform/AudioMixer.h"

namespace {
fluid_synth_t* Synth(void* p) { return static_cast<fluid_synth_t*>(p); }
}  // namespace

cMidiSynth::~cMidiSynth() { Close(); }

bool cMidiSynth::Open(const std::string& soundFont, std::string* error) {
    Close();
    static bool quiet = [] {
        // FluidSynth prints to stderr by default; its failures come back as results.
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
        return true;
    }();
    (void)quiet;
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) {
        *error = "cannot create synthesizer settings";
        return false;
    }
    fluid_settings_setnum(settings, "synth.sample-rate", kMixRate);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    // The synthesizer's own default gain (0.2) leaves a piece far below the
    // recorded music at the same volume.
    fluid_settings_setnum(settings, "synth.gain", kMidiGain);
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth) {
        delete_fluid_settings(settings);
        *error = "cannot create the synthesizer";
        return false;
    }
    if (fluid_synth_sfload(synth, soundFont.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        *error = "cannot load sound font " + soundFont;
        return false;
    }
    settings_ = settings;
    synth_ = synth;
    return true;
}

void cMidiSynth::Close() {
    if (synth_) delete_fluid_synth(Synth(synth_));
    if (settings_) delete_fluid_settings(static_cast<fluid_settings_t*>(settings_));
    synth_ = nullptr;
    settings_ = nullptr;
}

void cMidiSynth::Send(u8 status, u8 data1, u8 data2) {
    if (!synth_) return;
    fluid_synth_t* s = Synth(synth_);
    int ch = status & 0x0F;
    switch (status & 0xF0) {
        case 0x80: fluid_synth_noteoff(s, ch, data1); break;
        case 0x90:
            if (data2 == 0) fluid_synth_noteoff(s, ch, data1);
            else fluid_synth_noteon(s, ch, data1, data2);
            break;
        case 0xA0: fluid_synth_key_pressure(s, ch, data1, data2); break;
        case 0xB0: fluid_synth_cc(s, ch, data1, data2); break;
        case 0xC0: fluid_synth_program_change(s, ch, data1); break;
        case 0xD0: fluid_synth_channel_pressure(s, ch, data1); break;
        case 0xE0: fluid_synth_pitch_bend(s, ch, data1 | (data2 << 7)); break;
        default: break;
    }
}

void cMidiSynth::AllNotesOff() {
    if (!synth_) return;
    for (int ch = 0; ch < 16; ++ch) fluid_synth_all_notes_off(Synth(synth_), ch);
}

void cMidiSynth::Render(i16* out, int frames) {
    if (!synth_) {
        std::memset(out, 0, static_cast<size_t>(frames) * 4);
        return;
    }
    fluid_synth_write_s16(Synth(synth_), frames, out, 0, 2, out, 1, 2);
}
