// Shaded boxes that dialogues, menus, battle and the pause notice draw.
#pragma once
#include "base/Types.h"

// Modes: 0 fill, 1 add (r, g, b), 2 a quarter of the brightness, 3 grey,
// 4 an eighth, 5 add growing from the top and bottom edges to the middle.
// Clipped to the clip rectangle; any other mode draws nothing.
void DrawShadedBox(i32 x, i32 y, i32 w, i32 h, i32 r, i32 g, i32 b, int mode);

// The picture whose eight frames make a box's frame: four corners (top left,
// top right, bottom left, bottom right), then top, bottom, left and right edges.
constexpr u16 kBoxFramePic = 9011;
// A shaded box 8 pixels larger on every side with the frame around the inner rectangle.
void DrawFramedBox(i32 x, i32 y, i32 w, i32 h, int mode, i32 r, i32 g, i32 b);
