// Small services of the game shell: free disk space, volume labels, the name
// texts of "namex.dat", angles and directions between map points.
#pragma once
#include <string>

#include "base/Types.h"

extern const i16 kAngleTable[90];  // floor(8192 * sin k degrees)

u32 GetFreeDiskMB();
int HasVolumeLabel(const char* root, const char* label);
// Reads text n of "MH_Data\namex.dat" into buf (room for len bytes), ended at
// the first mark; a text without its mark is cut at len - 1 bytes. A number
// outside the table gives an empty text. Returns the text's length. A file
// that cannot be opened, has no table or points past its end gives an empty
// text too, and is reported (once) as bad data.
int ReadNameText(i32 n, i32 len, char* buf, const char* mark);
void ResetSystemServices();
// Looks a name up in the name-id table (rows of a signed id byte, a text and
// "%Q"; a 0 byte ends the table), ignoring case. -1 when absent.
int FindNameIdIn(const u8* table, size_t size, const char* name);
// The same over table 26 of the map database.
int FindNameId(const char* name);
// Angle in degrees (a multiple of 5) at which (x0, y0) lies seen from (x1, y1).
int GetAngleTo(i32 x0, i32 y0, i32 x1, i32 y1, i32* distance);
int AngleToDirection(int angle);
// Direction code 0-7 from (fx, fy) toward (tx, ty), by the angle between them.
int DirectionTo(i32 fx, i32 fy, i32 tx, i32 ty);
// A number from the lower bound up to, not including, the upper one.
i32 RandomBetween(i32 a, i32 b);
// Direction code 0-7 from the player's foot centre toward (x, y); 1 without a player.
int GetPlayerDirectionTo(i32 x, i32 y);
// A notice on the screen: shows nothing.
void ShowNotice(const char* text, i32 value);
