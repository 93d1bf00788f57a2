// Surfaces of 16-bit pixels with ids, lock, colour fill, blit and present: the
// display the engine draws through. SDL shows the primary in play; headless
// keeps the presented frames when a test asks for them.
#pragma once
#include <vector>

#include "base/Types.h"

struct DisplaySurface;

struct DisplayRect {
    i32 left = 0, top = 0, right = 0, bottom = 0;
};

// Opens the display mode (width x height at 16 bits). The pixel layout comes
// from DisplaySetMasks (5-6-5 unless a test chose otherwise). Windowed keeps
// the picture in a window-sized back surface that present blits.
bool DisplayOpen(i32 width, i32 height, i32 bits);
void DisplayClose();
bool DisplayIsOpen();
i32 DisplayBits();

// The channel masks the next opened display reports (tests pick 5-5-5 here).
void DisplaySetMasks(u32 red, u32 green, u32 blue);

// Surfaces. The primary is the one shown; it exists while the display is open.
DisplaySurface* DisplayCreatePrimary();
DisplaySurface* DisplayCreateSurface(i32 width, i32 height);
void DisplayReleaseSurface(DisplaySurface* s);
void DisplaySurfaceSize(const DisplaySurface* s, i32* width, i32* height, i32* pitch);
void DisplaySurfaceMasks(const DisplaySurface* s, u32* red, u32* green, u32* blue);

// Pixels stay where they are between lock and unlock; a lock of the primary
// marks it as changed so the next pump shows it.
u16* DisplayLock(DisplaySurface* s, i32* pitch);
void DisplayUnlock(DisplaySurface* s);

// Colour fill with a surface value; rect null = whole surface.
bool DisplayFill(DisplaySurface* s, const DisplayRect* rect, u16 value);
// Copies src (srcRect, null = whole) to dst at (x, y), clipped to both; with
// keyed set, source pixels equal to the source's colour key are skipped. Onto
// the primary only the rows that differ are copied and marked as changed.
bool DisplayBlit(DisplaySurface* dst, i32 x, i32 y, DisplaySurface* src, const DisplayRect* srcRect,
                 bool keyed);
void DisplaySetColorKey(DisplaySurface* s, u16 key);

// The GDI-like pixel access: a 0x00BBGGRR colour reduced into the layout.
void DisplaySetPixelColor(DisplaySurface* s, i32 x, i32 y, u32 colorRef);

// Where the picture sits in an area of width x height pixels: scaled by the
// largest whole multiple that fits (at least 1) and centred.
struct DisplayPlace {
    i32 x = 0, y = 0;
    i32 scale = 1;
};
DisplayPlace DisplayFit(i32 areaW, i32 areaH);
// The size of the picture the display mode shows (640x480 before one is open).
void DisplayPictureSize(i32* width, i32* height);
// The picture's place in the game's window now, in window pixels. Headless,
// the window has the size a test gave it (640x480 after a reset).
DisplayPlace DisplayWindowPlace();
void DisplaySetHeadlessWindowSize(i32 width, i32 height);

// Shows the primary now: the rows changed since it was last shown go to the
// screen, and nothing does when none changed.
bool DisplayPresent();
// Shows the primary when it changed since it was last shown (called by the message pump).
void DisplayPumpShow();

// Test controls: the frames shown headless (the newest last; none are kept
// until a test sets a limit, and the oldest are dropped beyond it), and blits
// made to fail on purpose.
const std::vector<std::vector<u16>>& DisplayFrames();
u32 DisplayFrameCount();  // every frame shown since the reset, kept or not
u64 DisplayRowsSent();    // rows of the primary sent to the screen since the reset
void DisplaySetFrameLimit(size_t n);
void DisplayClearFrames();
void DisplayFailNextBlits(int n);
i32 DisplayLiveSurfaces();
// Releases every surface and closes the display.
void DisplayReset();
