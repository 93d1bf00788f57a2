// Operand lexer of the script assemblers.
#include "mhdata/AsmLexer.h"

#include <cstdlib>

bool AsmFail(std::string* error, int line, const std::string& what) {
    *error = "line " + std::to_string(line) + ": " + what;
    return false;
}

bool AsmTokenize(const std::string& rest, std::vector<AsmToken>* out, std::string* what,
                 const std::map<std::string, i64>* names) {
    size_t i = 0;
    while (i < rest.size()) {
        char ch = rest[i];
        if (ch == ' ' || ch == '\t' || ch == ',') {
            ++i;
            continue;
        }
        if (ch == '#') break;
        if (ch == '"') {
            size_t end = i + 1;
            while (end < rest.size() && rest[end] != '"') end += rest[end] == '\\' ? 2 : 1;
            if (end >= rest.size()) return (*what = "text without its closing quote", false);
            out->push_back({AsmToken::Text, 0, rest.substr(i + 1, end - i - 1)});
            i = end + 1;
            continue;
        }
        size_t end = rest.find_first_of(" \t,#", i);
        std::string word = rest.substr(i, end == std::string::npos ? std::string::npos : end - i);
        i = end == std::string::npos ? rest.size() : end;
        if (word[0] == '@') {
            out->push_back({AsmToken::Label, 0, word.substr(1)});
            continue;
        }
        if (names) {
            auto it = names->find(word);
            if (it != names->end()) {
                out->push_back({AsmToken::Number, it->second, {}});
                continue;
            }
        }
        char* stop = nullptr;
        long long v = std::strtoll(word.c_str(), &stop, 0);
        if (!stop || *stop) return (*what = "not a number: " + word, false);
        out->push_back({AsmToken::Number, v, {}});
    }
    return true;
}
