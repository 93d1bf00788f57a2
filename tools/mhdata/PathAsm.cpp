// Behaviour-program assembler and disassembler, both driven by one opcode table.
#include "mhdata/PathAsm.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "base/ByteIo.h"
#include "map/Behaviour.h"
#include "mhdata/AsmLexer.h"
#include "platform/TextCodec.h"

namespace {

constexpr u32 kTableEntries = kMainBlockIds + 1;
constexpr u32 kProgramsAt = kPathTableAt + 4 * kTableEntries;

// Operand letters: w a word, L a label, F a flag list then a label, T a colour and
// a text, R a table of labels; an empty string takes no operands.
struct OpInfo {
    const char* name;
    const char* operands;
};
constexpr OpInfo kOps[bop::kCount] = {
    {"restart", ""},     {"end", ""},         {"action", "w"},
    {"dir", "w"},        {"setwait", "w"},    {"wait", ""},
    {"waitanim", ""},    {"route", "ww"},     {"walk", ""},
    {"until", "w"},      {"iftime", "wL"},    {"settime", "w"},
    {"jump", "L"},       {"ifflag", "wL"},    {"ifnotflag", "wL"},
    {"ifall", "F"},      {"ifany", "F"},      {"setflag", "w"},
    {"clearflag", "w"},  {"setvar", "ww"},    {"addvar", "ww"},
    {"subvar", "ww"},    {"ifvarge", "wwL"},  {"ifvarle", "wwL"},
    {"give", "ww"},      {"ifmark", "wL"},    {"mark", ""},
    {"hide", "w"},       {"show", "w"},       {"place", "ww"},
    {"wander", ""},      {"look", "www"},     {"sound", "w"},
    {"walkto", "w"},     {"say", "T"},        {"nosay", ""},
    {"walknear", "www"}, {"ifnear", "wwL"},   {"random", "R"},
    {"setval", "www"},   {"addval", "www"},   {"ifvalge", "wwwL"},
    {"ifvalle", "wwwL"}, {"ifvaleq", "wwwL"}, {"valuetable", nullptr},
    {"iffar", "wwL"},    {"stop", ""},        {"attach", "w"},
    {"detach", ""},      {"move", "ww"},
};

int FindOp(const std::string& name) {
    for (int i = 0; i < bop::kCount; ++i)
        if (name == kOps[i].name) return i;
    return -1;
}

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

    bool Op(int op, const std::vector<Token>& t, int line) {
        const char* spec = kOps[op].operands;
        if (!spec) return Fail(error, line, std::string(kOps[op].name) + " is not supported");
        std::string s = spec;
        w.U16(static_cast<u16>(op));
        if (s == "F") {
            if (t.empty()) return Fail(error, line, "a label is expected");
            for (size_t i = 0; i + 1 < t.size(); ++i)
                if (!Word(t[i], line)) return false;
            w.U16(0xFFFF);
            return Label(t.back(), line);
        }
        if (s == "R") {
            if (t.empty()) return Fail(error, line, "random needs at least one label");
            w.U16(static_cast<u16>(t.size()));
            for (const Token& k : t)
                if (!Label(k, line)) return false;
            return true;
        }
        if (s == "T") {
            if (t.size() != 2) return Fail(error, line, "say takes a colour and a text");
            return Word(t[0], line) && Text(t[1], line);
        }
        if (t.size() != s.size())
            return Fail(error, line,
                        std::string(kOps[op].name) + " takes " + std::to_string(s.size()) +
                            " operand(s), not " + std::to_string(t.size()));
        for (size_t i = 0; i < s.size(); ++i)
            if (!(s[i] == 'L' ? Label(t[i], line) : Word(t[i], line))) return false;
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
        int op = FindOp(head);
        if (op < 0) return Fail(error, line, "unknown opcode: " + head);
        if (!a.Op(op, tokens, line)) return false;
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

// Decodes one instruction at byte offset at (below end); false when it does not fit.
bool DecodeOne(const std::vector<u8>& f, u32 at, u32 end, Decoded* d, u32* next) {
    auto word = [&](u32 o, u16* v) {
        if (o + 2 > end) return false;
        *v = LoadU16(f.data() + o);
        return true;
    };
    u16 op;
    if (!word(at, &op) || op >= bop::kCount || !kOps[op].operands) return false;
    d->at = at;
    d->text = kOps[op].name;
    d->targets.clear();
    std::string spec = kOps[op].operands;
    u32 o = at + 2;
    auto label = [&](u32* v) {
        u16 lo, hi;
        if (!word(o, &lo) || !word(o + 2, &hi)) return false;
        *v = lo | static_cast<u32>(hi) << 16;
        o += 4;
        return true;
    };
    if (spec == "F") {
        for (;;) {
            u16 v;
            if (!word(o, &v)) return false;
            o += 2;
            if (v == 0xFFFF) break;
            d->text += " " + std::to_string(v);
        }
        u32 l;
        if (!label(&l)) return false;
        d->targets.push_back(l);
    } else if (spec == "R") {
        u16 n;
        if (!word(o, &n) || n == 0) return false;
        o += 2;
        for (u16 k = 0; k < n; ++k) {
            u32 l;
            if (!label(&l)) return false;
            d->targets.push_back(l);
        }
    } else if (spec == "T") {
        u16 col;
        if (!word(o, &col)) return false;
        o += 2;
        u32 t = o;
        while (t + 1 < end && !(f[t] == 0x25 && f[t + 1] == 0x51)) ++t;
        if (t + 1 >= end) return false;
        d->text += " " + std::to_string(col) + " " + QuoteBytes(f.data() + o, t - o);
        o = t + 2;
        if (o & 1) ++o;
    } else {
        for (char c : spec) {
            if (c == 'L') {
                u32 l;
                if (!label(&l)) return false;
                d->targets.push_back(l);
                continue;
            }
            u16 v;
            if (!word(o, &v)) return false;
            o += 2;
            d->text += " " + std::to_string(v);
        }
    }
    *next = o;
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
# A wanderer: a step at a time in a random direction, now and then a rest.
program 1
    wander

# A guard that paces between two posts and waits at each.
program 2
pace:
    route 46 40
    walk
    dir 3
    setwait 20
    wait
    route 54 40
    walk
    dir 2
    setwait 20
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
