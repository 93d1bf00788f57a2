// Zoomed drawing of run-coded pictures about an anchor, with an optional
// shear: the zoom state, its step and shear tables and the zoom blitters.
#pragma once
#include "engine/PicPaint.h"

// A zoomed picture covers at most this many destination columns and rows;
// larger boxes are cut to it on the side away from where drawing starts.
constexpr int kZoomTableSize = 1280;

extern i32 gZoomAnchorX, gZoomAnchorY;
extern i32 gZoomScaleX, gZoomScaleY;  // 1024 = 1.0; 0 is stored as 1
extern i32 gZoomShear;                // 1/1024 pixel per row; 0 = none
// The step and shear tables of the current scales and shear: each points into
// a small cache of tables, so roles drawn at many depths in turn rebuild
// nothing from one frame to the next. A step table is filled as far as the
// draws at its scale have needed.
extern const i32* gZoomStepX;
extern const i32* gZoomStepY;
extern const i32* gZoomShearTable;
extern u16 gZoomSilhouetteColor;

void SetZoom(i32 anchorX, i32 anchorY, i32 scaleX, i32 scaleY);
void SetZoomSkew(i32 anchorX, i32 anchorY, i32 scaleX, i32 scaleY, i32 shear);
// Points the tables at the current scales and shear, taking a table for a scale not cached.
void BuildZoomTables();
// How many step or shear tables were built since the last reset.
u32 ZoomTablesBuilt();
void RegisterZoomBlitters(Blitter* table);
// Anchor 0, 0, scales 1024, no shear, tables built.
void ResetZoom();
