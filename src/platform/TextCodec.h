// Conversion between UTF-8 (the source code's strings) and Big5 (code page 950,
// what the game handles everywhere). Only conversion goes through iconv.
#pragma once
#include <string>
#include <string_view>

// Bytes iconv rejects become '?' so a bad byte never loses the rest of the text.
std::string Utf8ToBig5(std::string_view utf8);
std::string Big5ToUtf8(std::string_view big5);

// A Big5 copy of a UTF-8 literal, made once and kept for the life of the program:
// ErrorBox(B5("對話系統"), ...).
const char* B5(const char* utf8);
