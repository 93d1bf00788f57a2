// The sound bank "PicLib\all.snd": a 28-byte header, then 3000 directory
// entries of 44 bytes (entry i is sound i + 1), then the sounds' data.
#pragma once
#include "base/ByteIo.h"
#include "base/Types.h"

constexpr u32 kSoundBankHeaderSize = 28;
constexpr int kSoundBankEntries = 3000;
constexpr u32 kSoundBankEntrySize = 44;
constexpr u32 kSoundBankDirSize = kSoundBankEntries * kSoundBankEntrySize;  // 132,000
constexpr u32 kSoundSizeMask = 0x03FFFFFF;  // low 26 bits of the size word
// A kind-0 sound is a WAVE file without its first 20 bytes: the stored data
// are the 16-byte format block, the data chunk's id and length, then the
// samples. The 20 bytes are put back in front when it loads.
constexpr u32 kSoundKind0Prefix = 20;
constexpr u32 kSoundKind0MinSize = 24;  // the format block and the data chunk's header
constexpr u32 kWaveHeaderSize = 44;

struct SoundBankEntry {
    char name[20] = {};
    u32 size = 0;    // low 26 bits: bytes stored
    u32 offset = 0;  // 0 = no sound
    u32 reserved = 0;
    u32 kind = 0;  // low 2 bits: 0 WAVE without header, 1 whole file image
    u8 rest[8] = {};
};

// The entry's fields in file order, for the loader and the writer alike.
template <class Io, class Entry>
void SoundBankEntryFields(Io& io, Entry& e) {
    io.Text(e.name, 20);
    io.Field(e.size);
    io.Field(e.offset);
    io.Field(e.reserved);
    io.Field(e.kind);
    io.Array(e.rest, 8);
}
