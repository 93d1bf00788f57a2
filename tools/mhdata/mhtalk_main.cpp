// mhtalk: assembles story-script source into a talk file, or disassembles one.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mhdata/StoryAsm.h"

namespace {

bool ReadFile(const char* path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: mhtalk asm <source.txt> <TalkN.dat>\n       mhtalk dis <TalkN.dat>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    std::string mode = argv[1], input, error;
    if (!ReadFile(argv[2], &input)) {
        std::fprintf(stderr, "mhtalk: cannot read %s\n", argv[2]);
        return 1;
    }
    if (mode == "asm" && argc == 4) {
        std::vector<u8> bytes;
        if (!AssembleTalkFile(input, &bytes, &error)) {
            std::fprintf(stderr, "mhtalk: %s: %s\n", argv[2], error.c_str());
            return 1;
        }
        std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return out ? 0 : 1;
    }
    if (mode == "dis" && argc == 3) {
        std::string text;
        if (!DisassembleTalkFile(std::vector<u8>(input.begin(), input.end()), &text, &error)) {
            std::fprintf(stderr, "mhtalk: %s: %s\n", argv[2], error.c_str());
            return 1;
        }
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    return Usage();
}
