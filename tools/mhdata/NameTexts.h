// Writer of "MH_Data\namex.dat": a 512-byte header, a table of offsets, texts ended by "%Q".
#pragma once
#include <string>
#include <vector>

#include "base/Types.h"

std::vector<u8> BuildNameTexts(const std::vector<std::string>& big5Texts);
