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
extern i32 gZoomStepX[kZoomTableSize], gZoomStepY[kZoomTableSize];
extern i32 gZoomShearTable[kZoomTableSize];
extern u16 gZoomSilhouetteColor;

void SetZoom(i32 anchorX, i32 anchorY, i32 scaleX, i32 scaleY);
void SetZoomSkew(i32 anchorX, i32 anchorY, i32 scaleX, i32 scaleY, i32 shear);
// Rebuilds the tables whose scale or shear changed since they were built.
void BuildZoomTables();
void RegisterZoomBlitters(Blitter* table);
// Anchor 0, 0, scales 1024, no shear, tables built.
void ResetZoom();
