// mhgen: writes the sample game into a folder.
#include <cstdio>
#include <cstring>

#include "mhdata/SampleGame.h"

int main(int argc, char** argv) {
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::printf("usage: mhgen <folder>\nWrites the sample game into <folder>.\n");
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: mhgen <folder>\n");
        return 2;
    }
    std::string error;
    if (!WriteSampleGame(argv[1], &error)) {
        std::fprintf(stderr, "mhgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
