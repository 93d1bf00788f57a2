// FluidSynth behind the synthesizer interface, every synthesizer playing from
// one loaded copy of each sound font, read in the background.
#include "platform/MidiSynth.h"

#include <dlfcn.h>
#include <fluidsynth.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "platform/AudioMixer.h"

namespace {
fluid_synth_t* Synth(void* p) {
    return static_cast<fluid_synth_t*>(p);
}

fluid_settings_t* NewSettings() {
    fluid_settings_t* settings = new_fluid_settings();
    if (!settings) return nullptr;
    fluid_settings_setnum(settings, "synth.sample-rate", kMixRate);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    fluid_settings_setint(settings, "synth.threadsafe-api", 0);
    // The synthesizer's own default gain (0.2) leaves a piece far below the
    // recorded music at the same volume.
    fluid_settings_setnum(settings, "synth.gain", kMidiGain);
    return settings;
}

// A loaded sound font is held by a keeper synthesizer that never plays and
// lives as long as the program (the sequences' synthesizers borrow its
// presets and samples, and may be released in any order). The file is read
// on a loader thread of its own, so that the first frame does not wait for
// it: the keeper is made here, touched by the loader alone until `done`, and
// the loader is joined before the font is used.
struct KeptFont {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* keeper = nullptr;
    fluid_sfont_t* font = nullptr;
    std::thread loader;
    std::atomic<bool> done{false};
    int id = FLUID_FAILED;
};
std::map<std::string, KeptFont>& KeptFonts() {
    static auto* fonts = new std::map<std::string, KeptFont>;  // outlives static destructors
    return *fonts;
}

u32 gSoundFontLoads;

// Synthesizers are made, and the kept fonts looked up, one at a time on any
// thread: the library's first synthesizer sets up its shared tables, and one
// made meanwhile would not wait for them.
std::mutex gMakeMutex;

// Loads wait while a test holds them back.
std::mutex gHoldMutex;
std::condition_variable gHoldChanged;
bool gHold = false;

// FluidSynth reads a sound font's samples in an OpenMP team whose threads
// spin while they wait: on a busy machine that is several times slower than
// one thread. The team size is set for this thread, through the runtime the
// library brought in (none: nothing to set).
void LoadOnThisThreadOnly() {
    using SetThreads = void (*)(int);
    static auto set = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"));
    if (set) set(1);
}

void Load(KeptFont* k, std::string path) {
    {
        // Held back at most ten seconds: a test that forgets to let go still ends.
        std::unique_lock lock(gHoldMutex);
        gHoldChanged.wait_for(lock, std::chrono::seconds(10), [] { return !gHold; });
    }
    LoadOnThisThreadOnly();
    k->id = fluid_synth_sfload(k->keeper, path.c_str(), 0);
    k->done.store(true, std::memory_order_release);
}

// Starts reading the file unless it is read or being read; false when it
// cannot be (no such file, no synthesizer).
bool StartLoad(const std::string& path) {
    auto& fonts = KeptFonts();
    if (fonts.count(path)) return true;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    KeptFont& k = fonts[path];
    k.settings = NewSettings();
    // The keeper never plays: one voice is all it needs room for.
    if (k.settings) fluid_settings_setint(k.settings, "synth.polyphony", 1);
    k.keeper = k.settings ? new_fluid_synth(k.settings) : nullptr;
    if (!k.keeper) {
        if (k.settings) delete_fluid_settings(k.settings);
        fonts.erase(path);
        return false;
    }
    k.loader = std::thread(Load, &k, path);
    return true;
}

// The loaded font once its loader has finished, else null. A failed load is
// forgotten: a font installed later still loads.
fluid_sfont_t* KeptFontFor(const std::string& path, bool* failed) {
    std::lock_guard lock(gMakeMutex);
    *failed = false;
    auto& fonts = KeptFonts();
    auto it = fonts.find(path);
    if (it == fonts.end()) return nullptr;
    KeptFont& k = it->second;
    if (k.font) return k.font;
    if (!k.done.load(std::memory_order_acquire)) return nullptr;
    if (k.loader.joinable()) k.loader.join();
    if (k.id == FLUID_FAILED) {
        delete_fluid_synth(k.keeper);
        delete_fluid_settings(k.settings);
        fonts.erase(it);
        *failed = true;
        return nullptr;
    }
    ++gSoundFontLoads;
    k.font = fluid_synth_get_sfont_by_id(k.keeper, k.id);
    return k.font;
}

// The borrowing sound font each sequence's synthesizer loads: it answers
// with the kept font's presets and frees only itself.
fluid_sfont_t* Kept(fluid_sfont_t* s) {
    return static_cast<fluid_sfont_t*>(fluid_sfont_get_data(s));
}
const char* BorrowName(fluid_sfont_t* s) {
    return fluid_sfont_get_name(Kept(s));
}
fluid_preset_t* BorrowPreset(fluid_sfont_t* s, int bank, int program) {
    return fluid_sfont_get_preset(Kept(s), bank, program);
}
void BorrowStart(fluid_sfont_t* s) {
    fluid_sfont_iteration_start(Kept(s));
}
fluid_preset_t* BorrowNext(fluid_sfont_t* s) {
    return fluid_sfont_iteration_next(Kept(s));
}
int BorrowFree(fluid_sfont_t* s) {
    delete_fluid_sfont(s);
    return 0;
}

fluid_sfont_t* Borrow(fluid_sfont_t* kept) {
    fluid_sfont_t* s =
        new_fluid_sfont(BorrowName, BorrowPreset, BorrowStart, BorrowNext, BorrowFree);
    if (s) fluid_sfont_set_data(s, kept);
    return s;
}
}  // namespace

u32 MidiSoundFontLoads() {
    return gSoundFontLoads;
}

void MidiHoldFontLoads(bool hold) {
    {
        std::lock_guard lock(gHoldMutex);
        gHold = hold;
    }
    gHoldChanged.notify_all();
}

void MidiFinishFontLoads() {
    MidiHoldFontLoads(false);
    std::lock_guard lock(gMakeMutex);
    for (auto& [path, k] : KeptFonts())
        if (k.loader.joinable()) k.loader.join();
}

cMidiSynth::~cMidiSynth() {
    Close();
}

bool cMidiSynth::Open(const std::string& soundFont, std::string* error) {
    Close();
    static bool quiet = [] {
        // FluidSynth prints to stderr by default; its failures come back as results.
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
        return true;
    }();
    (void)quiet;
    std::lock_guard lock(gMakeMutex);
    fluid_settings_t* settings = NewSettings();
    if (!settings) {
        *error = "cannot create synthesizer settings";
        return false;
    }
    fluid_synth_t* synth = new_fluid_synth(settings);
    if (!synth) {
        delete_fluid_settings(settings);
        *error = "cannot create the synthesizer";
        return false;
    }
    if (!StartLoad(soundFont)) {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        *error = "cannot load sound font " + soundFont;
        return false;
    }
    settings_ = settings;
    synth_ = synth;
    fontPath_ = soundFont;
    fontAdded_ = false;
    return true;
}

bool cMidiSynth::Ready() {
    if (fontAdded_ || !synth_) return fontAdded_;
    bool failed = false;
    fluid_sfont_t* kept = KeptFontFor(fontPath_, &failed);
    if (failed) fontPath_.clear();  // never plays
    if (!kept) return false;
    fluid_sfont_t* font = Borrow(kept);
    if (!font || fluid_synth_add_sfont(Synth(synth_), font) == FLUID_FAILED) {
        if (font) delete_fluid_sfont(font);
        fontPath_.clear();
        return false;
    }
    fluid_synth_program_reset(Synth(synth_));
    fontAdded_ = true;
    return true;
}

void cMidiSynth::Close() {
    if (synth_) delete_fluid_synth(Synth(synth_));
    if (settings_) delete_fluid_settings(static_cast<fluid_settings_t*>(settings_));
    synth_ = nullptr;
    settings_ = nullptr;
    fontAdded_ = false;
}

void cMidiSynth::Send(u8 status, u8 data1, u8 data2) {
    if (!synth_) return;
    fluid_synth_t* s = Synth(synth_);
    int ch = status & 0x0F;
    switch (status & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(s, ch, data1);
            break;
        case 0x90:
            if (data2 == 0)
                fluid_synth_noteoff(s, ch, data1);
            else
                fluid_synth_noteon(s, ch, data1, data2);
            break;
        case 0xA0:
            fluid_synth_key_pressure(s, ch, data1, data2);
            break;
        case 0xB0:
            fluid_synth_cc(s, ch, data1, data2);
            break;
        case 0xC0:
            fluid_synth_program_change(s, ch, data1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(s, ch, data1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(s, ch, data1 | (data2 << 7));
            break;
        default:
            break;
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
