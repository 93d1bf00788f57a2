// Fuzz target: the XMIDI reader and a short run of the sequencer.
#include <cstdint>

#include "platform/MidiXmi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XmiSequence seq;
    DataError error;
    int count = XmiSequenceCount(data, size);
    if (!ParseXmi(data, size, count > 1 ? 1 : 0, &seq, &error)) return 0;
    cXmiSequencer player;
    player.Load(seq);
    player.SetLoops(2);
    player.Start();
    // Ten seconds of music at most, in 100 ms slices.
    for (int i = 0; i < 100 && player.Playing(); ++i)
        player.Advance(
            4410, 44100, [](u8, u8, u8) {}, [](int) {});
    return 0;
}
