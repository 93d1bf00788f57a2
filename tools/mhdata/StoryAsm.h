// Story-script assembler and disassembler over the interpreter's command table.
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

// Assembles a talk file from UTF-8 source. Lines: "talk N" starts talk N (its
// offset-table entry), "name:" defines a label, "Command operands..." emits a
// command of the table; numbers are decimal or 0x hex, "@name" is a target,
// "..." a text (turned into Big5, padded to an even length, ended with "%Q").
// "#" starts a comment. False with a message naming the line on any fault.
bool AssembleTalkFile(const std::string& source, std::vector<u8>* out, std::string* error);
// Disassembles a talk file into source the assembler reads back to the same bytes.
bool DisassembleTalkFile(const std::vector<u8>& file, std::string* out, std::string* error);
