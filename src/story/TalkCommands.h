// The one table of story-script commands: opcode, name, operand signature and
// handler. It gives every command's length, checks that it lies inside the
// window, drives the dispatch and the assembler and disassembler of the tools.
#pragma once
#include <span>

#include "base/Types.h"
#include "story/Talk.h"

// What a handler tells the run loop.
enum class Step {
    On,      // advance past the command, go on in this frame
    Yield,   // advance past the command, stop until the next frame
    Stay,    // keep the pointer, run the command again next frame
    Jumped,  // the handler moved the pointer (a jump goes on)
    Ended,   // the talk ended or the loop must stop without advancing
};

// Operand signature letters:
//   w u16, s i16, d u32, T target (u32), B byte then a pad byte,
//   X text up to and including the end mark "%Q" (word-aligned scan),
//   F u16 list ended by 0xFF00, J target list ended by 0xFF00FF00,
//   z a u16 read and ignored (the assembler writes 0),
//   G / H a u16 count (low 14 bits; bits 14 and 15 are marks of the running
//   command) then that many entries of 3 / 6 u16, N a u16 count then that many u16.
struct CmdArgs {
    u8* at = nullptr;  // the command's word in the window (handlers may write operands)
    u32 len = 0;       // bytes including the word
    u32 v[8] = {};  // fixed operands in order (i16 sign-extended); lists and texts take a slot too
    int count = 0;
    const u8* text = nullptr;  // X: the text's first byte
    u32 textLen = 0;           // X: bytes before the end mark
    const u8* list = nullptr;  // F or J: the first entry
    u32 listCount = 0;
};

using CmdHandler = Step (*)(TalkContext* c, CmdArgs& a);

struct Command {
    u16 op;
    const char* name;
    const char* sig;
    CmdHandler handler;
};

constexpr u16 kTextMark = 0x5125;  // "%Q" read as a little-endian word
constexpr u16 kListEnd = 0xFF00;
constexpr u32 kTargetListEnd = 0xFF00FF00u;

std::span<const Command> CommandTable();
const Command* FindCommand(u32 op);
const Command* FindCommandByName(const char* name);

enum class LenResult { Ok, Short, Bad };
// Length of the command at p with avail bytes readable; Short when it runs past
// them; fills args when given.
LenResult CommandLength(const Command& cmd, const u8* p, u32 avail, u32* len, CmdArgs* args);

constexpr u32 kGroupCountMask = 0x3FFF;
// Words of one entry of a G, H or N list.
u32 GroupEntryWords(char letter);

// Bytes of one operand letter that has a fixed size (0 for texts and lists).
u32 OperandSize(char letter);
