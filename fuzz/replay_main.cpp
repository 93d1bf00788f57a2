// Runs a fuzz target over every file named on the command line (gcc builds).
// With "--mutate N" first, each file is also run in N deterministic variants:
// cut short, bytes flipped, or words overwritten with extreme values.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

struct Lcg {
    uint64_t s;
    uint32_t Next() {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(s >> 33);
    }
    size_t Below(size_t n) { return n ? Next() % n : 0; }
};

std::vector<uint8_t> Mutate(const std::vector<uint8_t>& in, Lcg& rng) {
    std::vector<uint8_t> out = in;
    if (out.empty()) return out;
    switch (rng.Below(3)) {
        case 0:
            out.resize(rng.Below(out.size()));
            break;
        case 1:
            for (int i = 0, n = 1 + static_cast<int>(rng.Below(8)); i < n; ++i)
                out[rng.Below(out.size())] ^= static_cast<uint8_t>(1u << rng.Below(8));
            break;
        default: {
            static const uint32_t kWords[] = {0, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x10000u};
            uint32_t w = kWords[rng.Below(5)];
            size_t at = rng.Below(out.size()) & ~size_t{3};
            for (size_t i = 0; i < 4 && at + i < out.size(); ++i)
                out[at + i] = static_cast<uint8_t>(w >> (8 * i));
            break;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    long variants = 0;
    if (argc > 2 && std::strcmp(argv[1], "--mutate") == 0) {
        variants = std::strtol(argv[2], nullptr, 10);
        first = 3;
    }
    long runs = 0;
    for (int i = first; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot open %s\n", argv[i]);
            return 1;
        }
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++runs;
        Lcg rng{static_cast<uint64_t>(i) * 7919u + bytes.size()};
        for (long k = 0; k < variants; ++k) {
            std::vector<uint8_t> v = Mutate(bytes, rng);
            LLVMFuzzerTestOneInput(v.data(), v.size());
            ++runs;
        }
    }
    std::printf("replayed %ld inputs\n", runs);
    return 0;
}
