// Fuzz target: a save file through the checking reader and the header reader.
#include "ui/SaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SaveImage* img = new SaveImage;
    std::string why;
    if (ParseSaveImage(data, size, img, &why)) {
        // Whatever parses must write again as a whole file.
        std::vector<u8> again = SaveImageBytes(*img);
        if (again.size() < kSaveHeaderBytes) __builtin_trap();
    }
    SaveHeader h;
    ParseSaveHeader(data, size, &h);
    return 0;
}
