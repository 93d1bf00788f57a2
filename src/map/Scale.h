// The depth-scale table: the zoom factor (1024 = full size) of a role drawn at
// a map point, from a depth picture (mode 1) or a list of cell rows (mode 2).
#pragma once
#include <vector>

#include "base/Types.h"

constexpr int kDefaultScale = 1024;

struct DepthScale {
    u32 mode = 0;  // 0 none, 1 depth picture, 2 row list
    std::vector<u32> rows;
    u32 table32[256] = {};
    u16 table16[256] = {};
    std::vector<u8> picture;  // run-coded depth picture
    u32 defaultScale = kDefaultScale;
};

extern DepthScale gDepthScale;

void ClearDepthScale();
// First block: 256 u16 entries, then the depth picture.
void LoadDepthPicture(const u8* block, u32 size);
// Second block: u32 kind, u32 count, two u32, then the values.
void LoadDepthRows(const u8* block, u32 size);
int GetDepthIndex(i32 x, i32 y);
int GetDepthScale(i32 i);
u32 GetDepthMode();
