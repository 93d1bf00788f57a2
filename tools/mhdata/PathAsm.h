// Assembler and disassembler of behaviour programs ("path.dat").
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

// Assembles a path database from UTF-8 source. Lines: "program N" points script
// id N (1..2000) at the next word; "name:" defines a label; "op operands..." emits
// an opcode by its name in the behaviour-opcode table, with the operands its
// signature gives (a flag list or a label table takes any number). Operands are
// numbers (decimal or 0x hex, -32768..65535), "self" (the running role) and
// "player", "@name" labels (or "@0x1A" raw label values), and for "say" a colour
// then a "..." text (turned into Big5; "\xNN" is a raw byte) that is ended with
// "%Q" and padded to a whole word. "#" starts a comment; "word n..." emits raw
// words. False with a message naming the line on any fault.
bool AssemblePath(const std::string& source, std::vector<u8>* out, std::string* error);

// Disassembles every program of a path database into source the assembler reads
// back to the same program bytes. False with a message for a file too short for
// its offset table.
bool DisassemblePath(const std::vector<u8>& file, std::string* out, std::string* error);

// The sample town's programs: a wanderer, a guard that paces, a person who looks about.
namespace samplePath {
constexpr u16 kWanderer = 1, kGuard = 2, kLooker = 3;
}
std::string SamplePathSource();
