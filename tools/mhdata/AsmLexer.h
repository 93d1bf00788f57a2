// The line lexer both script assemblers share: numbers, @labels, quoted texts
// (a backslash keeps the next character), '#' comments, blanks and commas between.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "base/Types.h"

struct AsmToken {
    enum Kind { Number, Label, Text } kind;
    i64 number = 0;
    std::string text;
};

// Splits the operands of one line; words found in names stand for their numbers.
// False with what set when a word is no number or a text is not closed.
bool AsmTokenize(const std::string& rest, std::vector<AsmToken>* out, std::string* what,
                 const std::map<std::string, i64>* names = nullptr);

// "line N: what", for the assemblers' errors; always false.
bool AsmFail(std::string* error, int line, const std::string& what);
