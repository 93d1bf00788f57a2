// Behaviour-program assembler and disassembler, both driven by one opcode table.
#include "mhdata/PathAsm.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string_view>

#include "base/ByteIo.h"
#include "platform/TextCodec.h"
#include "map/Behaviour.h"
#include "mhdata/AsmLexer.h"

namespace {

constexpr u32 kTableEntries = kMainBlockIds + 1;
constexpr u32 kProgramsAt = kPathTableAt + 4 * kTableEntries;

using Token = AsmToken;

bool Fail(std::string* error, int line, const std::string& what) {
    return AsmFail(error, line, what);
}

bool Tokenize(const std::string& rest, std::vector<Token>* out, std::string* what) {
    static const std::map<std::string, i64> kNames = {{"self", 0xFFF0}, {"player", 0xFFF1}};
    return AsmTokenize(rest, out, what, &kNames);
}

// Text source into Big5 bytes: UTF-8 runs are converted, "\xNN" is a raw byte.
bool TextBytes(const std::string& src, std::string* out, std::string* what) {
    std::string run;
    auto flush = [&] {
        *out += Utf8ToBig5(run);
        run.clear();
    };
    for (size_t i = 0; i < src.size(); ++i) {
        if (src[i] != '\\') {
            run += src[i];
            continue;
        }
        if (i + 1 < src.size() && (src[i + 1] == '"' || src[i + 1] == '\\')) {
            run += src[++i];
            continue;
        }
        if (i + 3 >= src.size() + 0 || src[i + 1] != 'x')
            return (*what = "a bad escape in a text", false);
        int v = 0;
        if (std::sscanf(src.substr(i + 2, 2).c_str(), "%2x", &v) != 1)
            return (*what = "a bad escape in a text", false);
        flush();
        *out += static_cast<char>(v);
        i += 3;
    }
    flush();
    if (out->find("%Q") != std::string::npos)
        return (*what = "a text may not hold its end mark", false);
    return true;
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
    std::string* error;

    u32 Here() const { return static_cast<u32>(w.size()) - kPathTableAt; }

    bool Word(const Token& t, int line) {
        if (t.kind != Token::Number) return Fail(error, line, "a number is expected");
        if (t.number < -32768 || t.number > 0xFFFF)
            return Fail(error, line,
                        "the number " + std::to_string(t.number) + " does not fit a word");
        w.U16(static_cast<u16>(t.number));
        return true;
    }
    bool Label(const Token& t, int line) {
        if (t.kind != Token::Label) return Fail(error, line, "a label (@name) is expected");
        char* stop = nullptr;
        unsigned long long raw = std::strtoull(t.text.c_str(), &stop, 0);
        if (!t.text.empty() && stop && !*stop && (t.text[0] >= '0' && t.text[0] <= '9')) {
            if (raw > 0xFFFFFFFFull) return Fail(error, line, "a raw label does not fit");
            w.U32(static_cast<u32>(raw));
            return true;
        }
        fixups.push_back({w.size(), t.text, line});
        w.U32(0);
        return true;
    }
    bool Text(const Token& t, int line) {
        if (t.kind != Token::Text) return Fail(error, line, "a text in quotes is expected");
        std::string bytes, what;
        if (!TextBytes(t.text, &bytes, &what)) return Fail(error, line, what);
        if (bytes.size() > static_cast<size_t>(kSpeechMax))
            return Fail(error, line,
                        "the text is longer than " + std::to_string(kSpeechMax) + " bytes");
        w.Bytes(bytes.data(), bytes.size());
        w.Bytes("%Q", 2);
        if (w.size() & 1) w.U8(0);
        return true;
    }

    // Operands by the row's signature: a flag list or a label table takes the
    // operands the letters after it leave over.
    bool Op(const BehaviourOp& row, const std::vector<Token>& t, int line) {
        if (!row.sig) return Fail(error, line, std::string(row.name) + " is not supported");
        std::string_view sig = row.sig;
        size_t fixed = 0;
        bool open = false;
        for (char c : sig) {
            if (c == 'F' || c == 'R')
                open = true;
            else
                ++fixed;
        }
        if (open ? t.size() < fixed : t.size() != fixed)
            return Fail(error, line,
                        std::string(row.name) + " takes " + (open ? "at least " : "") +
                            std::to_string(fixed) + " operand(s), not " + std::to_string(t.size()));
        w.U16(row.op);
        size_t k = 0, rest = t.size() - fixed;
        for (char c : sig) {
            bool ok = true;
            switch (c) {
                case 'L':
                    ok = Label(t[k++], line);
                    break;
                case 'T':
                    ok = Text(t[k++], line);
                    break;
                case 'F':
                    for (; ok && rest > 0; --rest) {
                        if (t[k].kind == Token::Number && t[k].number == kFlagListEnd)
                            return Fail(error, line, "a flag list may not hold its end word");
                        ok = Word(t[k++], line);
                    }
                    w.U16(kFlagListEnd);
                    break;
                case 'R':
                    w.U16(static_cast<u16>(rest));
                    for (; ok && rest > 0; --rest) ok = Label(t[k++], line);
                    break;
                default:
                    ok = Word(t[k++], line);
                    break;
            }
            if (!ok) return false;
        }
        return true;
    }
};

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

}  // namespace

bool AssemblePath(const std::string& source, std::vector<u8>* out, std::string* error) {
    Assembler a;
    a.error = error;
    a.w.Zeros(kProgramsAt);
    std::set<int> programs;
    std::istringstream in(source);
    std::string raw;
    int line = 0;
    while (std::getline(in, raw)) {
        ++line;
        std::string text = Trim(raw);
        if (text.empty() || text[0] == '#') continue;
        size_t sp = text.find_first_of(" \t");
        std::string head = text.substr(0, sp),
                    rest = sp == std::string::npos ? "" : text.substr(sp);
        if (head.back() == ':') {
            std::string after = Trim(rest);
            if (!after.empty() && after[0] != '#')
                return Fail(error, line, "a label stands alone on its line");
            std::string name = head.substr(0, head.size() - 1);
            if (name.empty() || a.labels.count(name))
                return Fail(error, line, "label defined twice: " + name);
            a.labels[name] = a.Here();
            continue;
        }
        std::vector<Token> tokens;
        std::string what;
        if (!Tokenize(rest, &tokens, &what)) return Fail(error, line, what);
        if (head == "program") {
            if (tokens.size() != 1 || tokens[0].kind != Token::Number || tokens[0].number < 1 ||
                tokens[0].number > kMainBlockIds)
                return Fail(error, line, "program takes an id of 1..2000");
            int id = static_cast<int>(tokens[0].number);
            if (!programs.insert(id).second) return Fail(error, line, "program defined twice");
            a.w.PatchU32(kPathTableAt + 4 * id, a.Here());
            continue;
        }
        if (head == "word") {
            for (const Token& t : tokens)
                if (!a.Word(t, line)) return false;
            continue;
        }
        const BehaviourOp* row = FindBehaviourOpByName(head);
        if (!row) return Fail(error, line, "unknown opcode: " + head);
        if (!a.Op(*row, tokens, line)) return false;
    }
    for (const Fixup& f : a.fixups) {
        auto it = a.labels.find(f.label);
        if (it == a.labels.end()) return Fail(error, f.line, "undefined label: " + f.label);
        a.w.PatchU32(f.at, it->second);
    }
    *out = a.w.bytes();
    return true;
}

namespace {

struct Decoded {
    u32 at;  // byte offset in the file
    std::string text;
    std::vector<u32> targets;  // raw label values
};

std::string Hex(u32 v) {
    char b[16];
    std::snprintf(b, sizeof(b), "0x%X", v);
    return b;
}

std::string QuoteBytes(const u8* p, size_t n) {
    std::string s = "\"";
    for (size_t i = 0; i < n; ++i) {
        u8 c = p[i];
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            s += static_cast<char>(c);
        } else {
            char b[8];
            std::snprintf(b, sizeof(b), "\\x%02X", c);
            s += b;
        }
    }
    return s + "\"";
}

std::string RoleName(u32 v) {
    return v == kSelfRef ? "self" : v == kSelfRef + 1 ? "player" : std::to_string(v);
}

// Decodes one instruction at byte offset at (below end) by its row's signature;
// false when it is no opcode or does not fit. Labels come last in every
// signature: they are printed after the other operands.
bool DecodeOne(const std::vector<u8>& f, u32 at, u32 end, Decoded* d, u32* next) {
    if (at + 2 > end) return false;
    const BehaviourOp* row = FindBehaviourOp(LoadU16(f.data() + at));
    BopArgs a;
    u32 missing = 0;
    if (!row || DecodeBehaviourOp(*row, f.data() + at, end - at, &a, &missing) != BopDecode::Ok)
        return false;
    d->at = at;
    d->text = row->name;
    d->targets.clear();
    int slot = 0;
    for (const char* s = row->sig; *s; ++s) {
        u32 v = a.v[slot++];
        switch (*s) {
            case 'L':
                d->targets.push_back(v);
                break;
            case 'F':
                for (u32 k = 0; k < a.listCount; ++k) {
                    d->text += ' ';
                    d->text += std::to_string(LoadU16(a.list + 2 * k));
                }
                break;
            case 'R':
                for (u32 k = 0; k < a.listCount; ++k) d->targets.push_back(LoadU32(a.list + 4 * k));
                break;
            case 'T':
                d->text += " " + QuoteBytes(a.text, a.textLen);
                break;
            case 'r':
                d->text += " " + RoleName(v);
                break;
            case 's':
                d->text += " " + std::to_string(static_cast<i32>(v));
                break;
            default:
                d->text += " " + std::to_string(v);
                break;
        }
    }
    *next = at + 2 * a.words;
    return true;
}

}  // namespace

bool DisassemblePath(const std::vector<u8>& file, std::string* out, std::string* error) {
    if (file.size() < kProgramsAt) {
        *error = "path.dat: " + std::to_string(file.size()) + " bytes hold no offset table of " +
                 std::to_string(kTableEntries) + " entries";
        return false;
    }
    u32 size = static_cast<u32>(file.size());
    std::map<u32, std::vector<int>> starts;  // file offset -> program ids
    for (u32 id = 1; id < kTableEntries; ++id) {
        u32 off = LoadU32(file.data() + kPathTableAt + 4 * id);
        if (off == 0) continue;
        u64 at = static_cast<u64>(kPathTableAt) + off;
        if (at >= size) {
            *out +=
                "# program " + std::to_string(id) + " points outside the file (" + Hex(off) + ")\n";
            continue;
        }
        starts[static_cast<u32>(at)].push_back(static_cast<int>(id));
    }
    std::vector<Decoded> code;
    std::map<u32, std::vector<int>> programAt;
    std::set<u32> covered;
    for (auto it = starts.begin(); it != starts.end(); ++it) {
        auto nextIt = std::next(it);
        u32 end = nextIt == starts.end() ? size : nextIt->first;
        u32 at = it->first;
        if (covered.count(at)) continue;
        programAt[at] = it->second;
        while (at < end) {
            Decoded d;
            u32 next;
            if (!DecodeOne(file, at, end, &d, &next)) {
                // What decodes to no opcode is kept as raw words.
                d.at = at;
                d.text = "word " + std::to_string(LoadU16(file.data() + at));
                d.targets.clear();
                if (at + 2 > end) {
                    d.text = "# an odd byte left over";
                    code.push_back(d);
                    break;
                }
                covered.insert(at);
                code.push_back(d);
                at += 2;
                continue;
            }
            covered.insert(at);
            code.push_back(d);
            at = next;
        }
    }
    std::set<u32> instr;
    for (const Decoded& d : code) instr.insert(d.at);
    auto labelName = [&](u32 raw) {
        u64 at = static_cast<u64>(kPathTableAt) + raw;
        return instr.count(static_cast<u32>(at)) ? "@L" + Hex(raw).substr(2) : "@" + Hex(raw);
    };
    std::set<u32> used;
    for (const Decoded& d : code)
        for (u32 t : d.targets)
            if (instr.count(kPathTableAt + t)) used.insert(kPathTableAt + t);
    std::ostringstream s;
    for (const Decoded& d : code) {
        if (programAt.count(d.at))
            for (int id : programAt[d.at]) s << "program " << id << "\n";
        if (used.count(d.at)) s << "L" << Hex(d.at - kPathTableAt).substr(2) << ":\n";
        s << "    " << d.text;
        for (u32 t : d.targets) s << " " << labelName(t);
        s << "\n";
    }
    *out += s.str();
    return true;
}

std::string SamplePathSource() {
    return R"(# The sample town's people.
# The harbour master strolls his stretch: a few steps east or west, or none,
# then a long look about wherever he stands.
program 1
stroll:
    random @east @west @rest
east:
    route 14 30
    walk
    jump @rest
west:
    route 10 30
    walk
rest:
    dir 1
    setwait 90
    wait
    jump @stroll

# A guard who keeps his post: a few steps between two marks and a long stand
# at each, facing the square.
program 2
pace:
    route 48 40
    walk
    dir 1
    setwait 120
    wait
    route 52 40
    walk
    dir 1
    setwait 120
    wait
    jump @pace

# A person who looks about; talked to, it turns to face the player.
program 3
look:
    dir 1
    setwait 40
    wait
    dir 2
    setwait 25
    wait
    dir 3
    setwait 25
    wait
    restart
)";
}
