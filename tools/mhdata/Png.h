// A small PNG writer: 8-bit RGB, stored (uncompressed) deflate blocks.
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

// The PNG bytes of w x h RGB pixels (3 bytes each, rows top to bottom).
std::vector<u8> EncodePng(u32 w, u32 h, const std::vector<u8>& rgb);
bool WritePng(const std::string& path, u32 w, u32 h, const std::vector<u8>& rgb);
