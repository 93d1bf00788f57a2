// Writing a whole file of bytes for the sample-game writers.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/Types.h"
#include "platform/Fault.h"

// Writes bytes to path, replacing it; on failure error names the file.
inline bool WriteBytesTo(const std::filesystem::path& path, const std::vector<u8>& bytes,
                         std::string* error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) *error = NotWrittenText(path.string());
    return static_cast<bool>(out);
}
