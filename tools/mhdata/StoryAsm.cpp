// Story-script assembler and disassembler, both driven by the command table.
#include "mhdata/StoryAsm.h"

#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "base/ByteIo.h"
#include "platform/TextCodec.h"
#include "story/TalkCommands.h"
#include "mhdata/AsmLexer.h"

namespace {

constexpr u32 kTableEnd = kTalkBase + 4 * kTalkEntries;

using Token = AsmToken;

bool Fail(std::string* error, int line, const std::string& what) {
    return AsmFail(error, line, what);
}

bool Tokenize(const std::string& rest, std::vector<Token>* out, std::string* what) {
    return AsmTokenize(rest, out, what);
}

struct Fixup {
    size_t at;
    std::string label;
    int line;
};

struct Assembler {
    ByteWriter w;
    std::map<std::string, u32> labels;
    std::vector<Fixup> fixups;
    std::map<int, u32> entries;
    std::string* error;

    u32 Here() const { return static_cast<u32>(w.size()) - kTalkBase; }

    bool Number(const Token& t, char letter, int line) {
        if (t.kind != Token::Number) return Fail(error, line, "a number is expected");
        i64 v = t.number;
        bool fits = letter == 's'   ? v >= -32768 && v <= 32767
                    : letter == 'd' ? v >= -2147483648LL && v <= 0xFFFFFFFFLL
                    : letter == 'B' ? v >= 0 && v <= 255
                                    : v >= -32768 && v <= 0xFFFF;
        if (!fits) return Fail(error, line, "operand out of range: " + std::to_string(v));
        if (letter == 'd')
            w.U32(static_cast<u32>(v));
        else if (letter == 'B')
            w.U16(static_cast<u16>(v));
        else
            w.U16(static_cast<u16>(v));
        return true;
    }

    bool Target(const Token& t, int line) {
        if (t.kind == Token::Number) return Number(t, 'd', line);
        if (t.kind != Token::Label) return Fail(error, line, "a target (@label) is expected");
        fixups.push_back({w.size(), t.text, line});
        w.U32(0);
        return true;
    }

    bool Text(const Token& t, int line) {
        if (t.kind != Token::Text) return Fail(error, line, "a text is expected");
        std::string b = Utf8ToBig5(t.text);
        if (b.find("%Q") != std::string::npos)
            return Fail(error, line, "a text holds its end mark %Q");
        // The interpreter looks for the mark word by word.
        if (b.size() & 1) b += ' ';
        w.Bytes(b.data(), b.size());
        w.U16(kTextMark);
        return true;
    }

    bool Command(const ::Command& cmd, const std::vector<Token>& ops, int line) {
        w.U16(cmd.op);
        size_t k = 0;
        for (const char* s = cmd.sig; *s; ++s) {
            char letter = *s;
            if (letter == 'F') {
                // Numbers up to the first target (or the end of the line).
                while (k < ops.size() && ops[k].kind == Token::Number &&
                       !(s[1] == 'T' && k + 1 == ops.size())) {
                    if (!Number(ops[k++], 'w', line)) return false;
                }
                w.U16(kListEnd);
                continue;
            }
            if (letter == 'z') {
                w.U16(0);
                continue;
            }
            if (letter == 'G' || letter == 'H' || letter == 'N') {
                size_t n = ops.size() - k;
                u32 per = GroupEntryWords(letter);
                if (n % per != 0)
                    return Fail(error, line,
                                std::string(cmd.name) + ": entries of " + std::to_string(per) +
                                    " numbers are expected");
                w.U16(static_cast<u16>(n / per));
                while (k < ops.size())
                    if (!Number(ops[k++], 'w', line)) return false;
                continue;
            }
            if (letter == 'J') {
                while (k < ops.size())
                    if (!Target(ops[k++], line)) return false;
                w.U32(kTargetListEnd);
                continue;
            }
            if (k >= ops.size())
                return Fail(error, line, std::string(cmd.name) + ": too few operands");
            const Token& t = ops[k++];
            bool ok = letter == 'T'   ? Target(t, line)
                      : letter == 'X' ? Text(t, line)
                                      : Number(t, letter, line);
            if (!ok) return false;
        }
        if (k != ops.size())
            return Fail(error, line, std::string(cmd.name) + ": too many operands");
        return true;
    }

    bool Line(const std::string& raw, int line) {
        std::string s = raw;
        size_t first = s.find_first_not_of(" \t");
        if (first == std::string::npos || s[first] == '#') return true;
        s = s.substr(first);
        size_t space = s.find_first_of(" \t");
        std::string head = s.substr(0, space);
        std::string rest = space == std::string::npos ? "" : s.substr(space);
        if (head.back() == ':' && rest.find_first_not_of(" \t") == std::string::npos) {
            std::string name = head.substr(0, head.size() - 1);
            if (!labels.emplace(name, Here()).second)
                return Fail(error, line, "label defined twice: " + name);
            return true;
        }
        std::vector<Token> ops;
        std::string what;
        if (!Tokenize(rest, &ops, &what)) return Fail(error, line, what);
        if (head == "talk") {
            if (ops.size() != 1 || ops[0].kind != Token::Number)
                return Fail(error, line, "talk needs its number");
            int n = static_cast<int>(ops[0].number);
            int file = 0, entry = 0;
            TalkFileEntry(n, &file, &entry);
            if (entries.count(entry)) return Fail(error, line, "talk entry used twice");
            entries[entry] = Here();
            return true;
        }
        const ::Command* cmd = FindCommandByName(head.c_str());
        if (!cmd) return Fail(error, line, "no command named " + head);
        return Command(*cmd, ops, line);
    }
};

}  // namespace

bool AssembleTalkFile(const std::string& source, std::vector<u8>* out, std::string* error) {
    Assembler a;
    a.error = error;
    a.w.Zeros(kTableEnd);
    std::istringstream in(source);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!a.Line(line, n)) return false;
    }
    for (const Fixup& f : a.fixups) {
        auto it = a.labels.find(f.label);
        if (it == a.labels.end()) return Fail(error, f.line, "no label named " + f.label);
        a.w.PatchU32(f.at, it->second);
    }
    for (const auto& [entry, off] : a.entries) a.w.PatchU32(kTalkBase + 4 * entry, off);
    *out = std::move(a.w.bytes());
    return true;
}

bool DisassembleTalkFile(const std::vector<u8>& file, std::string* out, std::string* error) {
    if (file.size() < kTableEnd) {
        *error = "file of " + std::to_string(file.size()) + " bytes ends inside the offset table";
        return false;
    }
    std::map<u32, int> talkAt;  // script position -> entry
    for (u32 e = 1; e < kTalkEntries; ++e) {
        u32 off = LoadU32(&file[kTalkBase + 4 * e]);
        if (off == 0) continue;
        if (u64{off} + kTalkBase >= file.size() || off < kTableEnd - kTalkBase) {
            *error = "offset-table entry " + std::to_string(e) + " points outside the scripts";
            return false;
        }
        talkAt.emplace(off, static_cast<int>(e));
    }
    // Two passes: the first collects jump targets for labels.
    std::set<u32> targets;
    std::string text;
    for (int pass = 0; pass < 2; ++pass) {
        std::ostringstream o;
        u32 pos = kTableEnd - kTalkBase;
        u32 end = static_cast<u32>(file.size()) - kTalkBase;
        while (pos < end) {
            if (auto t = talkAt.find(pos); t != talkAt.end()) o << "talk " << t->second << "\n";
            if (targets.count(pos)) o << "L" << std::hex << pos << std::dec << ":\n";
            const u8* p = &file[kTalkBase + pos];
            u32 avail = end - pos;
            const Command* cmd = avail >= 2 ? FindCommand(LoadU16(p)) : nullptr;
            CmdArgs args;
            u32 len = 0;
            if (!cmd || (LoadU16(p) & 0xC000) ||
                CommandLength(*cmd, p, avail, &len, &args) != LenResult::Ok) {
                *error = "undecodable bytes at file offset " + std::to_string(kTalkBase + pos);
                return false;
            }
            o << "    " << cmd->name;
            u32 at = 2;
            for (const char* s = cmd->sig; *s; ++s) {
                char letter = *s;
                if (letter == 'X') {
                    std::string t(reinterpret_cast<const char*>(p + at), args.textLen);
                    o << " \"" << Big5ToUtf8(t) << "\"";
                    at += args.textLen + 2;
                } else if (letter == 'z') {
                    at += 2;
                } else if (letter == 'G' || letter == 'H' || letter == 'N') {
                    u32 n = args.listCount * GroupEntryWords(letter);
                    at += 2;
                    for (u32 i = 0; i < n; ++i, at += 2) o << " " << LoadU16(p + at);
                } else if (letter == 'F') {
                    for (; LoadU16(p + at) != kListEnd; at += 2) o << " " << LoadU16(p + at);
                    at += 2;
                } else if (letter == 'J' || letter == 'T') {
                    for (;;) {
                        u32 v = LoadU32(p + at);
                        at += 4;
                        if (letter == 'J' && v == kTargetListEnd) break;
                        targets.insert(v);
                        o << " @L" << std::hex << v << std::dec;
                        if (letter == 'T') break;
                    }
                } else {
                    u32 n = OperandSize(letter);
                    u32 v = n == 2 ? LoadU16(p + at) : LoadU32(p + at);
                    if (letter == 's')
                        o << " " << static_cast<i16>(v);
                    else
                        o << " " << v;
                    at += n;
                }
            }
            o << "\n";
            pos += len;
        }
        text = o.str();
    }
    // Targets that lie inside a command cannot be labelled.
    std::string check;
    for (u32 t : targets) {
        char name[16];
        std::snprintf(name, sizeof(name), "L%x:", t);
        if (text.find(std::string("\n") + name) == std::string::npos && text.rfind(name, 0) != 0) {
            *error = "jump target " + std::to_string(t) + " does not start a command";
            return false;
        }
    }
    *out = text;
    return true;
}
