// mhpath: disassembles a path database ("mhpath path.dat") or assembles one
// ("mhpath -a source.txt path.dat").
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Fault.h"
#include "mhdata/PathAsm.h"

namespace {

bool ReadAll(const char* path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "-a") {
        std::string src, error;
        if (!ReadAll(argv[2], &src)) {
            std::fprintf(stderr, "mhpath: cannot read %s\n", argv[2]);
            return 1;
        }
        std::vector<u8> bytes;
        if (!AssemblePath(src, &bytes, &error)) {
            std::fprintf(stderr, "mhpath: %s: %s\n", argv[2], error.c_str());
            return 1;
        }
        std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "mhpath: %s\n", NotWrittenText(argv[3]).c_str());
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: mhpath path.dat | mhpath -a source.txt path.dat\n");
        return 2;
    }
    std::string raw, text, error;
    if (!ReadAll(argv[1], &raw)) {
        std::fprintf(stderr, "mhpath: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<u8> file(raw.begin(), raw.end());
    if (!DisassemblePath(file, &text, &error)) {
        std::fprintf(stderr, "mhpath: %s\n", error.c_str());
        return 1;
    }
    std::fputs(text.c_str(), stdout);
    return 0;
}
