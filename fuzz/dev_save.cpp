// Fuzz target: a developer save through its checking reader.
#include "ui/DevTool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static DevSaveImage* img = new DevSaveImage;
    std::string why;
    if (ParseDevSave(data, size, img, &why)) {
        // Whatever parses must write again to a file that parses.
        std::vector<u8> again = DevSaveBytes(*img);
        if (!ParseDevSave(again.data(), again.size(), img, nullptr)) __builtin_trap();
    }
    return 0;
}
