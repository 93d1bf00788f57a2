// A small PNG encoder of our own: 8-bit RGBA, stored (uncompressed) deflate blocks.
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

// w x h pixels of 4 bytes (R, G, B, A) -> the bytes of a PNG file.
std::vector<u8> EncodePng(const u8* rgba, i32 w, i32 h);
bool WritePng(const std::string& hostPath, const u8* rgba, i32 w, i32 h);
