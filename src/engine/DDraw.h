// cDDRAW: the display with its primary, back and work surfaces named by id,
// colour fills and matching, the pixel layout code, and presenting a frame.
#pragma once
#include "base/Types.h"
#include "platform/Win.h"

struct DisplaySurface;

constexpr i32 kSurfacePrimary = 10001;
constexpr i32 kSurfaceBack = 10002;
constexpr i32 kSurfaceWork = 10003;
constexpr i32 kDisplayWindowed = 20001;
constexpr i32 kDisplayFullScreen = 20002;
constexpr u32 kCoopNormal = 8;       // windowed
constexpr u32 kCoopFullScreen = 19;  // exclusive full screen: flips, restores the mode
// A windowed present gives up after this many failed blits.
constexpr int kPresentTries = 8;

class cDDRAW {
public:
    int Create(HWND wnd, i32 mode, i32 width, i32 height, i32 bits);
    int CreateDirectDraw();
    int DDSetCooper(HWND wnd, u32 flags);
    int DDSetMode(HWND wnd, i32 width, i32 height, i32 bits);
    int CreatePrimary();
    int CreateClipper(HWND wnd);
    DisplaySurface* CreateSysSurface(i32 width, i32 height);
    DisplaySurface* CreateVidSurface(i32 width, i32 height);
    DisplaySurface* CreateWorkSurface(i32 width, i32 height);
    int Present();
    int Release();
    void ReleaseDirectDraw();
    // Restores lost surfaces (ours are never lost; kept for the callers' shape).
    int RestoreSurfaces();

    DisplaySurface* GetSurface(i32 id) const;
    void ClearSurface(i32 id);
    void EraseSurface(DisplaySurface* surface);
    u32 GetBitDepth() const { return bits_; }
    int QueryTextureMemory();
    u32 GetFreeTextureMemory();
    u32 GetTotalTextureMemory() const { return textureTotal_; }
    u32 GetSurfaceBytes() const { return surfaceBytes_; }
    int GetPixelMode();
    u8 GetPixelLayout() const { return layout_; }
    void GetPrimaryPitch(i32* pitch, i32* height) const;
    void GetBackPitch(i32* pitch, i32* height) const;
    bool HasDirectDraw() const { return directDraw_; }
    bool RestoresDisplayMode() const { return (coopFlags_ & 0x10) != 0; }
    u32 GetCoopFlags() const { return coopFlags_; }
    void GetWorkPitch(i32* pitch, i32* height) const;
    // The surface value EraseSurface fills with.
    u32 background = 0;

private:
    bool directDraw_ = false;
    DisplaySurface* primary_ = nullptr;
    DisplaySurface* back_ = nullptr;
    DisplaySurface* work_ = nullptr;
    bool clipper_ = false;
    DisplaySurface* extra_ = nullptr;
    i32 workRect_[4] = {};
    u32 surfaceBytes_ = 0;
    u32 textureTotal_ = 0, textureFree_ = 0;
    u32 coopFlags_ = 0;
    i32 width_ = 0, height_ = 0, bits_ = 0;
    u8 layout_ = 0;
    i32 workPitch_ = 0, workHeight_ = 0;
    i32 primaryPitch_ = 0, primaryHeight_ = 0;
    i32 backPitch_ = 0, backHeight_ = 0;
    HWND wnd_ = nullptr;
};

extern cDDRAW gDDraw;
// The 640x480 canvas that game, screens and battle draw into.
extern DisplaySurface* gDrawSurface;

// Fills the whole surface with the value matching a 0x00BBGGRR colour.
int FillSurface(DisplaySurface* surface, u32 colorRef);
// The surface value of a colour; 0xFFFFFFFF reads the pixel at (0, 0) instead.
u32 ColorMatch(DisplaySurface* surface, u32 colorRef);

// The game shell's calls into the display.
void RestoreSurfacesAndKernel();
// Copies the canvas onto the primary surface and shows it.
void ShowCanvas();
// A 640x480 copy of the canvas as last drawn (MH_ALLOC), null when there is none.
u16* CopyCanvasPixels();
void ClearPaintBufferAndShow();  // before a video: clear the paint buffer, show it
u32 PrimaryPitch();

// Releases every surface and forgets the display: a clean start for a test.
void ResetDDraw();
